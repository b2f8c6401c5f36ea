#include "tests/scenes/scene_fixtures.h"

#include "engine/model.h"
#include "runtime/music.h"
#include "scenes/city.h"
#include "scenes/crowd.h"
#include "scenes/into_station.h"
#include "scenes/tunnel.h"
#include "tests/support/gl_test.h"
#include "tests/support/process.h"
#include "tools/formats/curve_writer.h"
#include "tools/formats/model_writer.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fstream>
#include <sstream>
#include <unistd.h>
#include <zlib.h>

// ---- draw records ---------------------------------------------------------------------------

namespace {

std::vector<DrawRecord> records;

using DrawElementsFunction = void(GLAPIENTRY*)(GLenum, GLsizei, GLenum, const GLvoid*);

} // namespace

// Every mesh draw of the engine ends in glDrawElements. This definition in the test binary
// takes the calls of the statically linked engine, notes what they saw and forwards them to
// the GL library.
void GLAPIENTRY glDrawElements(GLenum mode, GLsizei count, GLenum type, const GLvoid* indices) {
    static auto forward =
        reinterpret_cast<DrawElementsFunction>(dlsym(RTLD_NEXT, "glDrawElements"));
    DrawRecord record{};
    record.indexCount = count;
    glGetFloatv(GL_MODELVIEW_MATRIX, record.modelview);
    glGetFloatv(GL_PROJECTION_MATRIX, record.projection);
    glGetFloatv(GL_TEXTURE_MATRIX, record.texture);
    glGetIntegerv(GL_CURRENT_PROGRAM, &record.program);
    record.blend = glIsEnabled(GL_BLEND);
    glGetIntegerv(GL_BLEND_SRC, &record.blendSource);
    glGetIntegerv(GL_BLEND_DST, &record.blendDestination);
    GLboolean colourWrites[4] = {};
    glGetBooleanv(GL_COLOR_WRITEMASK, colourWrites);
    record.depthOnly = !colourWrites[0] && !colourWrites[1] && !colourWrites[2] && !colourWrites[3];
    records.push_back(record);
    forward(mode, count, type, indices);
}

const std::vector<DrawRecord>& drawRecords() {
    return records;
}
void clearDrawRecords() {
    records.clear();
}

int countDraws(int faces) {
    return static_cast<int>(drawsOf(faces).size());
}

std::vector<DrawRecord> drawsOf(int faces) {
    std::vector<DrawRecord> found;
    for (const DrawRecord& record : records)
        if (record.indexCount == faces * 3 && !record.depthOnly) found.push_back(record);
    return found;
}

// ---- pictures -------------------------------------------------------------------------------

namespace {

void putU32(std::string& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((value >> shift) & 0xff);
}

void putChunk(std::string& out, const char* type, const std::string& data) {
    putU32(out, static_cast<uint32_t>(data.size()));
    std::string body = std::string(type, 4) + data;
    out += body;
    putU32(out, static_cast<uint32_t>(
                    crc32(0, reinterpret_cast<const Bytef*>(body.data()), body.size())));
}

} // namespace

std::string encodeTestPng(int width, int height, int channels, const std::vector<uint8_t>& pixels) {
    std::string header;
    putU32(header, static_cast<uint32_t>(width));
    putU32(header, static_cast<uint32_t>(height));
    header += '\x08';                                   // bit depth
    header += static_cast<char>(channels == 4 ? 6 : 2); // RGBA or RGB
    header += std::string(3, '\0');                     // deflate, adaptive filter, no interlace

    std::string raw;
    size_t rowBytes = static_cast<size_t>(width) * channels;
    for (int y = 0; y < height; y++) {
        raw += '\0'; // no filter
        raw.append(reinterpret_cast<const char*>(pixels.data()) + y * rowBytes, rowBytes);
    }
    uLongf packedSize = compressBound(raw.size());
    std::string packed(packedSize, '\0');
    compress2(reinterpret_cast<Bytef*>(&packed[0]), &packedSize,
              reinterpret_cast<const Bytef*>(raw.data()), raw.size(), 6);
    packed.resize(packedSize);

    std::string png("\x89PNG\r\n\x1a\n", 8);
    putChunk(png, "IHDR", header);
    putChunk(png, "IDAT", packed);
    putChunk(png, "IEND", "");
    return png;
}

namespace {

// A dark blue wall with rows of warm lit windows, some of them dark.
std::string windowsPicture() {
    const int size = 64;
    std::vector<uint8_t> pixels(size * size * 3);
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            uint8_t* p = &pixels[(y * size + x) * 3];
            bool window = x % 8 >= 2 && x % 8 <= 5 && y % 8 >= 2 && y % 8 <= 5;
            bool lit = ((x / 8) * 3 + (y / 8) * 5) % 4 != 0;
            p[0] = window ? (lit ? 255 : 20) : 40;
            p[1] = window ? (lit ? 220 : 20) : 50;
            p[2] = window ? (lit ? 120 : 40) : 90;
        }
    return encodeTestPng(size, size, 3, pixels);
}

// Light and dark bands across the tunnel, so its texture scroll shows.
std::string stripesPicture() {
    const int width = 4, height = 32;
    std::vector<uint8_t> pixels(width * height * 3);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            uint8_t* p = &pixels[(y * width + x) * 3];
            bool light = (y / 4) % 2 == 0;
            p[0] = light ? 200 : 30;
            p[1] = light ? 200 : 60;
            p[2] = light ? 255 : 120;
        }
    return encodeTestPng(width, height, 3, pixels);
}

std::string plainPicture(uint8_t grey, uint8_t alpha) {
    std::vector<uint8_t> pixels(8 * 8 * 4);
    for (size_t i = 0; i < pixels.size(); i += 4) {
        pixels[i] = pixels[i + 1] = pixels[i + 2] = grey;
        pixels[i + 3] = alpha;
    }
    return encodeTestPng(8, 8, 4, pixels);
}

// ---- models ---------------------------------------------------------------------------------

using formats::ModelDesc;
using formats::ModelMaterialDesc;
using formats::ModelMeshDesc;
using formats::ModelStreamDesc;

// Vertex data of one mesh in the making.
struct MeshBuilder {
    std::vector<float> positions, normals, texCoords;
    std::vector<uint32_t> corners;

    uint32_t vertex(const float p[3], const float n[3], float u, float v) {
        positions.insert(positions.end(), p, p + 3);
        normals.insert(normals.end(), n, n + 3);
        texCoords.push_back(u);
        texCoords.push_back(v);
        return static_cast<uint32_t>(positions.size() / 3 - 1);
    }

    // A flat quad a-b-c-d (counter-clockwise seen from where the normal points).
    void quad(const float a[3], const float b[3], const float c[3], const float d[3],
              const float n[3], float uScale, float vScale) {
        uint32_t i0 = vertex(a, n, 0, 0), i1 = vertex(b, n, uScale, 0),
                 i2 = vertex(c, n, uScale, vScale), i3 = vertex(d, n, 0, vScale);
        corners.insert(corners.end(), {i0, i1, i2, i0, i2, i3});
    }

    void triangle(const float a[3], const float b[3], const float c[3]) {
        float e1[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
        float e2[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
        float n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                      e1[0] * e2[1] - e1[1] * e2[0]};
        float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        for (float& c : n)
            c /= length;
        uint32_t i0 = vertex(a, n, 0, 0), i1 = vertex(b, n, 1, 0), i2 = vertex(c, n, 0.5f, 1);
        corners.insert(corners.end(), {i0, i1, i2});
    }

    ModelMeshDesc mesh(const std::string& name, uint32_t material) const {
        ModelMeshDesc mesh;
        mesh.name = name;
        mesh.vertexCount = static_cast<uint32_t>(positions.size() / 3);
        mesh.faceCount = static_cast<uint32_t>(corners.size() / 3);
        mesh.materialIndex = material;
        mesh.streams.push_back(ModelStreamDesc::floats(0, positions));
        mesh.streams.push_back(ModelStreamDesc::floats(2, normals));
        mesh.streams.push_back(ModelStreamDesc::floats(8, texCoords));
        mesh.streams.push_back(ModelStreamDesc::indices(corners));
        return mesh;
    }
};

// A box of 12 faces between two corners; inward puts the normals inside (a room).
ModelMeshDesc box(const std::string& name, uint32_t material, const float lo[3], const float hi[3],
                  bool inward, float textureRepeat) {
    MeshBuilder b;
    for (int axis = 0; axis < 3; axis++)
        for (int side = 0; side < 2; side++) {
            int u = (axis + 1) % 3, v = (axis + 2) % 3;
            float sign = (side ? 1.0f : -1.0f) * (inward ? -1.0f : 1.0f);
            float n[3] = {0, 0, 0};
            n[axis] = sign;
            float corner[4][3];
            const float us[4] = {lo[u], hi[u], hi[u], lo[u]};
            const float vs[4] = {lo[v], lo[v], hi[v], hi[v]};
            for (int k = 0; k < 4; k++) {
                corner[k][axis] = side ? hi[axis] : lo[axis];
                corner[k][u] = us[k];
                corner[k][v] = vs[k];
            }
            float uScale = (hi[u] - lo[u]) * textureRepeat,
                  vScale = (hi[v] - lo[v]) * textureRepeat;
            if (sign > 0)
                b.quad(corner[0], corner[1], corner[2], corner[3], n, uScale, vScale);
            else
                b.quad(corner[3], corner[2], corner[1], corner[0], n, uScale, vScale);
        }
    return b.mesh(name, material);
}

ModelMaterialDesc material(float r, float g, float b, float specular, float glossiness) {
    ModelMaterialDesc m;
    m.diffuse[0] = r;
    m.diffuse[1] = g;
    m.diffuse[2] = b;
    m.diffuse[3] = 1;
    m.specular[0] = m.specular[1] = m.specular[2] = specular;
    m.glossiness = glossiness;
    return m;
}

std::string cityModel() {
    ModelDesc model;
    model.materials.push_back(material(0.25f, 0.3f, 0.45f, 0.3f, 0.2f));
    model.materials[0].maps.push_back({"data/fixture/windows.png", 1.0f, 1});
    model.materials.push_back(material(0.12f, 0.12f, 0.16f, 0.1f, 0.1f));
    const float groundLo[3] = {-40, -1, -40}, groundHi[3] = {40, 0, 40};
    model.meshes.push_back(box("ground", 1, groundLo, groundHi, false, 0));
    // Two rows of towers along the street x = 0.
    for (int i = 0; i < 4; i++) {
        float z = 12.0f - i * 9.0f;
        float height = 8.0f + 5.0f * (i % 3);
        const float leftLo[3] = {-10, 0, z - 3}, leftHi[3] = {-4, height, z + 3};
        const float rightLo[3] = {4, 0, z - 4}, rightHi[3] = {9, height + 4, z + 2};
        model.meshes.push_back(box("left", 0, leftLo, leftHi, false, 0.25f));
        model.meshes.push_back(box("right", 0, rightLo, rightHi, false, 0.25f));
    }
    return formats::encodeModel(model);
}

std::string spikeBallModel() {
    ModelDesc model;
    model.materials.push_back(material(0.75f, 0.75f, 0.8f, 1.0f, 0.5f));
    model.materials[0].maps.push_back({"data/fixture/metal.png", 1.0f, 1});
    MeshBuilder b;
    const float px[3] = {0.6f, 0, 0}, nx[3] = {-0.6f, 0, 0}, py[3] = {0, 0.6f, 0},
                ny[3] = {0, -0.6f, 0}, pz[3] = {0, 0, 0.6f}, nz[3] = {0, 0, -0.6f};
    const float* xs[2] = {px, nx};
    const float* ys[2] = {py, ny};
    const float* zs[2] = {pz, nz};
    for (int i = 0; i < 2; i++)
        for (int j = 0; j < 2; j++)
            for (int k = 0; k < 2; k++) {
                // Counter-clockwise seen from outside for every octant.
                if ((i + j + k) % 2 == 0)
                    b.triangle(xs[i], ys[j], zs[k]);
                else
                    b.triangle(xs[i], zs[k], ys[j]);
            }
    model.meshes.push_back(b.mesh("spikes", 0));
    return formats::encodeModel(model);
}

std::string tunnelModel() {
    ModelDesc model;
    model.materials.push_back(material(1, 1, 1, 0, 0));
    model.materials[0].maps.push_back({"data/fixture/stripes.png", 1.0f, 1});
    model.materials.push_back(material(1, 0, 0, 0, 0));
    MeshBuilder tube;
    const int segments = 16;
    const float radius = 1.2f, nearZ = 2, farZ = -40;
    for (int s = 0; s < segments; s++) {
        float a0 = 6.2831853f * s / segments, a1 = 6.2831853f * (s + 1) / segments;
        float am = (a0 + a1) / 2;
        const float n[3] = {-std::cos(am), -std::sin(am), 0};
        const float p0[3] = {radius * std::cos(a0), radius * std::sin(a0), nearZ};
        const float p1[3] = {radius * std::cos(a1), radius * std::sin(a1), nearZ};
        const float p2[3] = {radius * std::cos(a1), radius * std::sin(a1), farZ};
        const float p3[3] = {radius * std::cos(a0), radius * std::sin(a0), farZ};
        tube.quad(p0, p1, p2, p3, n, 1, (nearZ - farZ) / 2);
    }
    model.meshes.push_back(tube.mesh("tube", 0));
    MeshBuilder gate;
    const float n[3] = {0, 0, 1};
    const float a[3] = {-0.6f, -0.6f, -1.2f}, b[3] = {0.6f, -0.6f, -1.2f},
                c[3] = {0.6f, 0.6f, -1.2f}, d[3] = {-0.6f, 0.6f, -1.2f};
    gate.quad(a, b, c, d, n, 1, 1);
    model.meshes.push_back(gate.mesh("gate", 1));
    return formats::encodeModel(model);
}

std::string probeModel() {
    ModelDesc model;
    model.materials.push_back(material(0, 1, 0, 0.5f, 0.3f));
    model.materials[0].maps.push_back({"data/fixture/white.png", 1.0f, 1});
    const float lo[3] = {-0.15f, -0.15f, -0.15f}, hi[3] = {0.15f, 0.15f, 0.15f};
    model.meshes.push_back(box("probe", 0, lo, hi, false, 1));
    return formats::encodeModel(model);
}

// A hall seen from inside: one box with its normals inward.
std::string hallModel(float width, float height, float depth, float r, float g, float b) {
    ModelDesc model;
    model.materials.push_back(material(r, g, b, 0.2f, 0.2f));
    model.materials[0].maps.push_back({"data/fixture/windows.png", 0.5f, 1});
    const float lo[3] = {-width / 2, 0, -depth / 2}, hi[3] = {width / 2, height, depth / 2};
    model.meshes.push_back(box("hall", 0, lo, hi, true, 0.2f));
    return formats::encodeModel(model);
}

// ---- curves ---------------------------------------------------------------------------------

// Six keys 4 s apart, so the curve wraps at 16 s; the path runs from `from` to `to` and the
// rotation turns a full circle about each axis at its own rate.
std::string line(const float from[3], const float to[3], const float aimAhead[3]) {
    std::vector<CurveRecord> keys;
    for (int i = 0; i < 6; i++) {
        CurveRecord r{};
        r.time = static_cast<uint32_t>(i) * kCurveEndMs / 4;
        float f = i / 5.0f;
        for (int axis = 0; axis < 3; axis++) {
            r.position[axis] = from[axis] + (to[axis] - from[axis]) * f;
            r.aimPoint[axis] = r.position[axis] + aimAhead[axis];
            r.rotation[axis] = 360.0f * f * (axis + 1);
        }
        // A little sideways sway so that the path is a curve, not a line.
        r.position[0] += (i % 2 ? 0.5f : -0.5f);
        keys.push_back(r);
    }
    return formats::encodeCurve(keys);
}

std::string readSourceFile(const std::string& relativePath) {
    std::ifstream in(std::string(LIRV_SOURCE_DIR) + "/" + relativePath, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

void writeSceneData(const ScratchDir& dir, bool withRevolt) {
    dir.write("data/default.frag", readSourceFile("content/shaders/default.frag"));
    dir.write("data/default.vert", readSourceFile("content/shaders/default.vert"));
    dir.write("data/fixture/windows.png", windowsPicture());
    dir.write("data/fixture/stripes.png", stripesPicture());
    dir.write("data/fixture/metal.png", plainPicture(190, 255));
    dir.write("data/fixture/white.png", plainPicture(255, 255));
    if (withRevolt) dir.write("data/revolt.png", plainPicture(200, 255));
    dir.write("data/vignette.png", plainPicture(0, 128));

    dir.write("data/city.model", cityModel());
    dir.write("data/spikeball.model", spikeBallModel());
    dir.write("data/tunnel.model", tunnelModel());
    dir.write("data/probe.model", probeModel());
    dir.write("data/station.model", hallModel(24, 8, 24, 0.6f, 0.55f, 0.5f));
    dir.write("data/intoStation.model", hallModel(10, 6, 40, 0.5f, 0.5f, 0.6f));

    const float ahead[3] = {0, -1, -10};
    const float street0[3] = {0, 3, 20}, street1[3] = {0, 4, -20};
    dir.write("data/city_1.curve", line(street0, street1, ahead));
    const float high0[3] = {-2, 8, 22}, high1[3] = {2, 6, -18};
    dir.write("data/city_2.curve", line(high0, high1, ahead));
    const float wide0[3] = {1, 2, 24}, wide1[3] = {-1, 10, -16};
    dir.write("data/city_3.curve", line(wide0, wide1, ahead));
    const float none[3] = {0, 0, 1};
    const float swarm0[3] = {-2, 2, 8}, swarm1[3] = {-2, 5, -30};
    dir.write("data/city_spike.curve", line(swarm0, swarm1, none));
    const float swarm20[3] = {-2, 4, 14}, swarm21[3] = {0, 2, -30};
    dir.write("data/city_spike2.curve", line(swarm20, swarm21, none));

    const float toCentre[3] = {0, -1.5f, -12};
    const float hallCamera0[3] = {-3, 3, 11}, hallCamera1[3] = {3, 2.5f, 10};
    dir.write("data/spikeball_cam.curve", line(hallCamera0, hallCamera1, toCentre));
    const float leader0[3] = {-6, 2, -4}, leader1[3] = {6, 3, 2};
    dir.write("data/spikeball_master.curve", line(leader0, leader1, none));
    const float crowd0[3] = {-8, 1.5f, -6}, crowd1[3] = {8, 2, 3};
    dir.write("data/spikeball_crowd.curve", line(crowd0, crowd1, none));

    const float entranceAhead[3] = {0, 0, -20};
    const float door0[3] = {0, 2.5f, 18}, door1[3] = {0, 2, -5};
    dir.write("data/intoStation_camera.curve", line(door0, door1, entranceAhead));
    const float probe0[3] = {-1, 2, 10}, probe1[3] = {1, 3, -12};
    dir.write("data/intoStation.curve", line(probe0, probe1, none));
}

// ---- rendering ------------------------------------------------------------------------------

void renderAsComposition(Effect& effect, uint32_t time) {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    effect.render(time);
    glPopMatrix();
    glPopAttrib();
}

std::vector<uint8_t> readFrame() {
    std::vector<uint8_t> frame(static_cast<size_t>(kTestScreenWidth) * kTestScreenHeight * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kTestScreenWidth, kTestScreenHeight, GL_RGBA, GL_UNSIGNED_BYTE,
                 frame.data());
    return frame;
}

bool hasDetail(const std::vector<uint8_t>& frame) {
    for (size_t i = 4; i < frame.size(); i += 4)
        if (memcmp(&frame[i], &frame[0], 3) != 0) return true;
    return false;
}

void saveFrameIfAsked(const std::vector<uint8_t>& frame, const std::string& name) {
    const char* dir = getenv("LIRV_SCENE_PNG_DIR");
    if (!dir) return;
    std::vector<uint8_t> rgb(static_cast<size_t>(kTestScreenWidth) * kTestScreenHeight * 3);
    for (int y = 0; y < kTestScreenHeight; y++)
        for (int x = 0; x < kTestScreenWidth; x++) {
            const uint8_t* from = &frame[((kTestScreenHeight - 1 - y) * kTestScreenWidth + x) * 4];
            memcpy(&rgb[(y * kTestScreenWidth + x) * 3], from, 3);
        }
    std::ofstream out(std::string(dir) + "/" + name + ".png", std::ios::binary);
    out << encodeTestPng(kTestScreenWidth, kTestScreenHeight, 3, rgb);
}

// ---- music ----------------------------------------------------------------------------------

void playTestChord() {
    const int bins[7] = {2, 30, 35, 40, 50, 55, 65};
    const double amplitudes[7] = {0.2, 0.1, 0.12, 0.14, 0.16, 0.08, 0.18};
    int16_t stream[FFT_SIZE * 2];
    for (int n = 0; n < FFT_SIZE; n++) {
        double s = 0;
        for (int k = 0; k < 7; k++)
            s += amplitudes[k] * std::sin(2 * M_PI * bins[k] * n / FFT_SIZE);
        stream[2 * n] = stream[2 * n + 1] = static_cast<int16_t>(std::lround(s * 32767));
    }
    resetAnalysis();
    analyseAudio(-2, stream, sizeof stream, nullptr);
}

void silenceSpectrum() {
    resetAnalysis();
}

// ---- matrices -------------------------------------------------------------------------------

// Column-major: element (row i, column j) is m[j * 4 + i]. A rigid view is R p + t.
void eyeOfView(const float view[16], float eye[3]) {
    for (int j = 0; j < 3; j++) {
        eye[j] = 0;
        for (int i = 0; i < 3; i++)
            eye[j] -= view[j * 4 + i] * view[12 + i];
    }
}

void worldOrigin(const float view[16], const float model[16], float world[3]) {
    for (int j = 0; j < 3; j++) {
        world[j] = 0;
        for (int i = 0; i < 3; i++)
            world[j] += view[j * 4 + i] * (model[12 + i] - view[12 + i]);
    }
}

void worldXAxis(const float view[16], const float model[16], float axis[3]) {
    for (int j = 0; j < 3; j++) {
        axis[j] = 0;
        for (int i = 0; i < 3; i++)
            axis[j] += view[j * 4 + i] * model[i];
    }
}

// ---- the loaded scenes ----------------------------------------------------------------------

SceneWorld& sceneWorld() {
    static ScratchDir* dir = nullptr;
    static SceneWorld world{};
    if (dir) return world;
    dir = new ScratchDir; // kept for the whole run: the scenes' files live there
    writeSceneData(*dir);
    if (chdir(dir->path().c_str()) != 0) abort();
    // The tests count the draws the scenes ask for, on screen or not.
    qorSetViewCulling(false);
    for (int i = 0; i < 3; i++) {
        world.cities[i] = new City(i);
        if (!world.cities[i]->load()) abort();
    }
    world.tunnel = new Tunnel;
    world.crowd = new Crowd;
    world.intoStation = new IntoStation;
    if (!world.tunnel->load() || !world.crowd->load() || !world.intoStation->load()) abort();
    return world;
}
