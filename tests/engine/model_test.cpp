#include "engine/model.h"
#include "engine/model_format.h"
#include "engine/shader.h"
#include "tests/support/gl_test.h"
#include "tests/support/process.h"
#include "tools/formats/model_writer.h"

#include <SDL.h>
#include <sys/resource.h>
#include <unistd.h>
#include <cstring>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using formats::ModelDesc;
using formats::ModelMapDesc;
using formats::ModelMaterialDesc;
using formats::ModelMeshDesc;
using formats::ModelStreamDesc;
using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;

namespace {

// One triangle: three vertices, one face.
ModelMeshDesc triangleMesh(const std::string& name) {
    ModelMeshDesc mesh;
    mesh.name = name;
    mesh.vertexCount = 3;
    mesh.faceCount = 1;
    mesh.streams = {ModelStreamDesc::floats(QOR::kStreamPositions, {0, 0, 0, 1, 0, 0, 0, 1, 0}),
                    ModelStreamDesc::indices({0, 1, 2})};
    return mesh;
}

// The smallest drawable model: one material without maps, one triangle mesh.
ModelDesc smallestModel() {
    ModelDesc model;
    model.materials.resize(1);
    model.meshes = {triangleMesh("triangle")};
    return model;
}

// A square from (x0, y0) to (x1, y1) at z = 0 facing +z, with texture coordinates and
// normals, drawn with material 0.
ModelMeshDesc squareMesh(const std::string& name, float x0, float y0, float x1, float y1) {
    ModelMeshDesc mesh;
    mesh.name = name;
    mesh.vertexCount = 4;
    mesh.faceCount = 2;
    mesh.streams = {
        ModelStreamDesc::floats(QOR::kStreamPositions,
                                {x0, y0, 0, x1, y0, 0, x1, y1, 0, x0, y1, 0}),
        ModelStreamDesc::floats(QOR::kStreamNormals, {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1}),
        ModelStreamDesc::floats(QOR::kStreamTexCoord0, {0, 0, 1, 0, 1, 1, 0, 1}),
        ModelStreamDesc::indices({0, 1, 2, 0, 2, 3})};
    return mesh;
}

struct LoadFailure {
    bool thrown = false;
    int value = -1;
    std::string out;
    std::string err;
};

// Walks bytes without GL upload and returns what a failing load reported.
LoadFailure parseFailure(const std::string& bytes) {
    LoadFailure failure;
    CaptureStdout();
    CaptureStderr();
    try {
        QOR::Model model(reinterpret_cast<const uint8_t*>(bytes.data()), int32_t(bytes.size()),
                         GL_STATIC_DRAW, false);
    } catch (int value) {
        failure.thrown = true;
        failure.value = value;
    }
    failure.err = GetCapturedStderr();
    failure.out = GetCapturedStdout();
    return failure;
}

// The message a load failed with; checks that both reports carry it and the exception is 0.
std::string loadMessage(const std::string& bytes) {
    LoadFailure failure = parseFailure(bytes);
    EXPECT_TRUE(failure.thrown);
    EXPECT_EQ(failure.value, 0);
    const std::string prefix = "Load error: ";
    if (failure.out.rfind(prefix, 0) != 0 || failure.out.back() != '\n') return "(no load error)";
    std::string message = failure.out.substr(prefix.size(), failure.out.size() - prefix.size() - 1);
    EXPECT_EQ(failure.err, "QOR error: " + message);
    return message;
}

// Loads the model in this (death test) process with its address space capped at what it uses
// now plus `room` and 64 MiB; exits 1 when the load threw, 0 when it did not. Standard output
// goes to standard error, where the death test reads it.
[[noreturn]] void loadWithMemoryFor(const std::string& path, size_t room) {
    dup2(2, 1);
    long pages = 0;
    FILE* statm = fopen("/proc/self/statm", "r");
    if (!statm || fscanf(statm, "%ld", &pages) != 1) _exit(3);
    fclose(statm);
    rlim_t limit = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + room + (64u << 20);
    rlimit cap = {limit, limit};
    setrlimit(RLIMIT_AS, &cap);
    try {
        QOR::Model model(path.c_str(), GL_STATIC_DRAW);
    } catch (int) {
        fflush(stdout);
        _exit(1);
    }
    _exit(0);
}

class ModelFiles : public testing::Test {
  protected:
    std::string write(const std::string& name, const std::string& bytes, bool gzip = false) {
        std::string path = dir.path() + "/" + name;
        std::string error;
        EXPECT_TRUE(formats::writeModelBytes(path, bytes, gzip, &error)) << error;
        return path;
    }
    // Writes a one-colour 24-bit picture for a texture map.
    std::string picture(const std::string& name, uint32_t rgb) {
        SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, 2, 2, 24, 0xff0000, 0xff00, 0xff, 0);
        SDL_FillRect(s, nullptr, rgb);
        std::string path = dir.path() + "/" + name;
        SDL_SaveBMP(s, path.c_str());
        SDL_FreeSurface(s);
        return path;
    }
    ScratchDir dir;
};

} // namespace

// ---- reading -------------------------------------------------------------------------------

TEST_F(ModelFiles, SmallestModelLoads) {
    std::string bytes = formats::encodeModel(smallestModel());
    ASSERT_EQ(bytes.size(), 412u);
    QOR::Model model(write("small.model", bytes).c_str(), GL_STATIC_DRAW);
    ASSERT_EQ(model.meshes.size(), 1u);
    QOR::ModelMesh* mesh = model.getMesh(0);
    EXPECT_STREQ(mesh->name, "triangle");
    EXPECT_EQ(mesh->vertexCount, 3);
    EXPECT_EQ(mesh->faceCount, 1);
    EXPECT_EQ(mesh->material, model.materials[0].get());
    QOR::ModelMeshStream* indices = mesh->getStream(QOR::kStreamIndices);
    EXPECT_EQ(indices->target, GLenum(GL_ELEMENT_ARRAY_BUFFER));
    EXPECT_EQ(indices->componentType, GLenum(GL_UNSIGNED_INT));
    EXPECT_EQ(indices->byteSize, 12);
    EXPECT_EQ(mesh->getStream(0)->byteSize, 36);
    EXPECT_TRUE(glIsBuffer(indices->buffer));
    EXPECT_EQ(model.materials[0]->specular[3], 1.0f);
    EXPECT_EQ(takeGlError(), GLenum(GL_NO_ERROR));
}

TEST_F(ModelFiles, CompressedCopyIsPreferred) {
    ModelDesc plain = smallestModel();
    plain.meshes[0].name = "plain";
    ModelDesc packed = smallestModel();
    packed.meshes[0].name = "compressed";
    std::string path = write("both.model", formats::encodeModel(plain));
    write("both.model.gz", formats::encodeModel(packed), true);
    QOR::Model model(path.c_str(), GL_STATIC_DRAW);
    EXPECT_STREQ(model.getMesh(0)->name, "compressed");

    // The ".gz" name may hold the plain format too, and paths longer than 256 bytes work.
    std::string longName = std::string(150, 'a') + "/" + std::string(150, 'b') + "/long.model";
    dir.write(longName + ".gz", formats::encodeModel(plain));
    QOR::Model other((dir.path() + "/" + longName).c_str(), GL_STATIC_DRAW);
    EXPECT_STREQ(other.getMesh(0)->name, "plain");
}

TEST_F(ModelFiles, CompressedSizeLimit) {
    std::string bytes = formats::encodeModel(smallestModel());
    bytes.resize(QOR::kMaxCompressedModelBytes - 1, '\0'); // trailing bytes are ignored
    std::string path = write("largest.model.gz", bytes, true);
    path.resize(path.size() - 3);
    QOR::Model largest(path.c_str(), GL_STATIC_DRAW);
    EXPECT_EQ(largest.meshes.size(), 1u);

    bytes.push_back('\0');
    std::string tooBig = write("big.model.gz", bytes, true);
    tooBig.resize(tooBig.size() - 3);
    EXPECT_EXIT(QOR::qorReadModelFile(tooBig.c_str()), testing::ExitedWithCode(1),
                "^Error: model file is too big \\(max 5mb\\)\nModel file '.*/big.model.gz' "
                "holds 5 MiB or more once decompressed\n$");
}

TEST_F(ModelFiles, AReadingErrorNamesTheFile) {
    std::string path = write("bad.model.gz", "not a model at all", true);
    path.resize(path.size() - 3);
    CaptureStdout();
    CaptureStderr();
    EXPECT_THROW(QOR::Model(path.c_str(), GL_STATIC_DRAW), int);
    EXPECT_EQ(GetCapturedStderr(), "QOR error: Model of improper type, expected QOR_MODEL_v1.06");
    EXPECT_EQ(GetCapturedStdout(), "Load error: Model of improper type, expected QOR_MODEL_v1.06\n"
                                   "Load error: in model file '" +
                                       path + ".gz'\n");
}

// A stream whose data fits the file but not the memory left: the reader reports it as a model
// error (an int exception), not as an uncaught std::bad_alloc that aborts the process.
TEST_F(ModelFiles, RunningOutOfMemoryIsAModelError) {
    constexpr uint32_t kVertices = 16 * 1024 * 1024; // 192 MiB of positions
    ModelDesc desc = smallestModel();
    desc.meshes[0].vertexCount = kVertices;
    desc.meshes[0].streams.clear();
    std::string bytes = formats::encodeModel(desc);
    bytes[bytes.size() - 4] = 1; // one stream: positions, its data the file's zero tail
    bytes.append(4, '\0');
    std::string path = write("huge.model", bytes);
    ASSERT_EQ(truncate(path.c_str(), off_t(bytes.size()) + off_t(kVertices) * 12), 0);
    EXPECT_EXIT(loadWithMemoryFor(path, size_t(kVertices) * 12), testing::ExitedWithCode(1),
                "QOR error: Out of memory while loading model.*"
                "Load error: in model file '.*/huge.model'");
}

TEST_F(ModelFiles, MissingFile) {
    std::string path = dir.path() + "/none.model";
    CaptureStdout();
    CaptureStderr();
    EXPECT_THROW(QOR::Model(path.c_str(), GL_STATIC_DRAW), int);
    EXPECT_EQ(GetCapturedStderr(), "QOR error: Model file '" + path + "' not found");
    EXPECT_EQ(GetCapturedStdout(), "Load error: Model file '" + path + "' not found\n");
}

// A write that fails only when the file is closed (the bytes sat in the buffer) is a failure.
TEST(ModelWriter, AWriteFailingAtCloseIsReported) {
    std::string error;
    EXPECT_FALSE(formats::writeModelBytes("/dev/full", "bytes", false, &error));
    EXPECT_EQ(error, "cannot write '/dev/full': No space left on device");
}

TEST(ModelReader, HeaderFailures) {
    EXPECT_EQ(loadMessage(""), "Model header not found");
    EXPECT_EQ(loadMessage(std::string("QOR_MODEL_v1.0", 15)), "Model header not found");
    EXPECT_EQ(loadMessage(std::string(QOR::kModelMagic, 16)),
              "Unexpected end of Model File while reading u32");
    const std::string good = formats::encodeModel(smallestModel());
    for (int i = 0; i < 16; i++) {
        std::string bad = good;
        bad[i] = bad[i] == 'x' ? 'y' : 'x';
        EXPECT_EQ(loadMessage(bad), "Model of improper type, expected QOR_MODEL_v1.06") << i;
    }
}

TEST(ModelReader, RecordFailures) {
    ModelDesc noMaterials = smallestModel();
    noMaterials.materials.clear();
    noMaterials.meshes[0].name = "lonely";
    EXPECT_EQ(loadMessage(formats::encodeModel(noMaterials)),
              "Illegal material specified in mesh lonely");

    // Counts far beyond the file end in the matching end-of-file message, not an allocation.
    std::string manyMaterials = formats::encodeModel(smallestModel());
    memset(&manyMaterials[16], 0xff, 4);
    EXPECT_EQ(loadMessage(manyMaterials), "Unexpected end of Model File while reading u32");
    ModelDesc manyMaps = smallestModel();
    manyMaps.materials[0].maps.resize(1);
    std::string mapBytes = formats::encodeModel(manyMaps);
    memset(&mapBytes[28 + 36], 0xff, 4); // the mesh is read as maps until the file ends
    EXPECT_EQ(loadMessage(mapBytes), "Unexpected end of Model File while reading 256 byte string");

    std::string cutName = formats::encodeModel(smallestModel());
    cutName.resize(28 + 40 + 4 + 100);
    EXPECT_EQ(loadMessage(cutName), "Unexpected end of Model File while reading 256 byte string");
}

TEST(ModelReader, StreamTypes) {
    for (uint32_t type : {1u, 4u, 16u, 999u, 1002u}) {
        ModelDesc model = smallestModel();
        model.meshes[0].streams.push_back(ModelStreamDesc::floats(type, {}));
        EXPECT_EQ(loadMessage(formats::encodeModel(model)),
                  "Unknown stream type: " + std::to_string(type));
    }
    ModelDesc bones = smallestModel();
    bones.meshes[0].streams.push_back(ModelStreamDesc::floats(QOR::kStreamBones, {}));
    EXPECT_EQ(loadMessage(formats::encodeModel(bones)), "Bones not yet supported!");

    ModelDesc coords = smallestModel();
    coords.meshes[0].streams.push_back(ModelStreamDesc::floats(8, {0, 0, 1, 0, 0, 1}));
    coords.meshes[0].streams.push_back(ModelStreamDesc::floats(15, {0, 0, 1, 0, 0, 1}));
    coords.meshes[0].streams.push_back(ModelStreamDesc::floats(3, {0, 0, 0, 1, 1, 1, 2, 2, 2}));
    std::string bytes = formats::encodeModel(coords);
    QOR::Model model(reinterpret_cast<const uint8_t*>(bytes.data()), int32_t(bytes.size()),
                     GL_STATIC_DRAW, false);
    QOR::ModelMesh* mesh = model.getMesh(0);
    EXPECT_EQ(mesh->getStream(15)->components, 2);
    EXPECT_EQ(mesh->getStream(15)->byteSize, 24);
    EXPECT_EQ(mesh->getStream(3)->byteSize, 36);
    EXPECT_THROW(mesh->getStream(2), int);
}

TEST(ModelReader, StreamPastTheEndNamesItsIndex) {
    ModelDesc model = smallestModel();
    model.meshes[0].name = "short";
    model.meshes[0].streams.push_back(ModelStreamDesc::floats(QOR::kStreamNormals, {0, 0, 1}));
    EXPECT_EQ(loadMessage(formats::encodeModel(model)),
              "Unexpected end of file for mesh 'short', stream 2\n");

    // 0x55555556 vertices x 12 bytes wraps to 8 in 32 bits: the size must not overflow.
    ModelDesc huge = smallestModel();
    huge.meshes[0].vertexCount = 0x55555556;
    huge.meshes[0].streams = {ModelStreamDesc::floats(QOR::kStreamPositions, {1, 2})};
    EXPECT_EQ(loadMessage(formats::encodeModel(huge)),
              "Unexpected end of file for mesh 'triangle', stream 0\n");
}

TEST(ModelReader, MeshesNeedValidIndices) {
    ModelDesc noIndices = smallestModel();
    noIndices.meshes[0].streams.pop_back();
    EXPECT_EQ(loadMessage(formats::encodeModel(noIndices)),
              "Mesh 'triangle' has no index stream (type 1000)");

    ModelDesc outOfRange = smallestModel();
    outOfRange.meshes[0].streams[1] = ModelStreamDesc::indices({0, 1, 3});
    EXPECT_EQ(loadMessage(formats::encodeModel(outOfRange)),
              "Vertex index 3 out of range in mesh 'triangle' (3 vertices)");
}

TEST(ModelReader, HotspotsFailAfterEveryMesh) {
    ModelDesc model = smallestModel();
    model.hotspotCount = 1;
    EXPECT_EQ(loadMessage(formats::encodeModel(model)),
              "Not supporting hotspots in loader quite yet");
    // A broken mesh is found first: the hotspot check comes after all records.
    model.meshes.push_back(triangleMesh("second"));
    model.meshes[1].materialIndex = 5;
    EXPECT_EQ(loadMessage(formats::encodeModel(model)),
              "Illegal material specified in mesh second");
}

TEST(ModelReader, LongNamesKeep255Characters) {
    ModelDesc model = smallestModel();
    model.meshes[0].name = std::string(256, 'n');
    std::string bytes = formats::encodeModel(model);
    QOR::Model parsed(reinterpret_cast<const uint8_t*>(bytes.data()), int32_t(bytes.size()),
                      GL_STATIC_DRAW, false);
    EXPECT_EQ(std::string(parsed.getMesh(0)->name), std::string(255, 'n'));
}

// ---- drawing -------------------------------------------------------------------------------

namespace {

void setUpView() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    clearTo(0, 0, 0);
}

// Pixel at normalised device coordinates (x, y).
Rgba pixelAt(float x, float y) {
    return readPixel(int((x + 1) / 2 * kTestScreenWidth), int((y + 1) / 2 * kTestScreenHeight));
}

GLint currentProgram() {
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    return program;
}

const char* kMapsVertex =
    "void main() { gl_TexCoord[0] = gl_MultiTexCoord0; gl_Position = ftransform(); }";
// Declares only "diffuse_map"/"diffuse_amount".
const char* kDiffuseOnlyFragment =
    "uniform sampler2D diffuse_map; uniform float diffuse_amount;\n"
    "void main() { gl_FragColor = texture2D(diffuse_map, gl_TexCoord[0].st) * diffuse_amount; }";

} // namespace

class ModelDrawing : public ModelFiles {
  protected:
    // A square over the left half of the screen whose material has a green diffuse map and
    // a red reflection map.
    std::unique_ptr<QOR::Model> mappedSquare(float amount = 1) {
        ModelDesc desc;
        desc.materials.resize(1);
        desc.materials[0].maps = {{picture("green.bmp", 0x00ff00), amount, QOR::kPropertyDiffuse},
                                  {picture("red.bmp", 0xff0000), 1, QOR::kPropertyReflection}};
        desc.meshes = {squareMesh("square", -1, -1, 0, 1)};
        return std::make_unique<QOR::Model>(
            write("mapped.model", formats::encodeModel(desc)).c_str(), GL_STATIC_DRAW);
    }
};

TEST_F(ModelDrawing, FixedFunctionShowsOnlyTheDiffuseMap) {
    auto model = mappedSquare();
    setUpView();
    model->draw();
    EXPECT_EQ(pixelAt(-0.5f, 0), (Rgba{0, 255, 0, 255}));
    EXPECT_EQ(pixelAt(0.5f, 0), (Rgba{0, 0, 0, 255}));
    EXPECT_EQ(takeGlError(), GLenum(GL_NO_ERROR));
}

TEST_F(ModelDrawing, PositionTranslatesTheMesh) {
    ModelDesc desc = smallestModel();
    desc.materials[0].diffuse[2] = 0;
    desc.meshes = {squareMesh("moved", -1, -1, 0, 1)};
    desc.meshes[0].position[0] = 1;
    QOR::Model model(write("moved.model", formats::encodeModel(desc)).c_str(), GL_STATIC_DRAW);
    setUpView();
    model.draw();
    EXPECT_EQ(pixelAt(-0.5f, 0), (Rgba{0, 0, 0, 255}));
    EXPECT_EQ(pixelAt(0.5f, 0), (Rgba{255, 255, 0, 255}));
}

TEST_F(ModelDrawing, ArraysAreDisabledAfterADraw) {
    ModelDesc desc = smallestModel();
    desc.meshes[0].streams.push_back(ModelStreamDesc::floats(3, {0, 0, 0, 0, 0, 0, 0, 0, 0}));
    QOR::Model model(write("attr.model", formats::encodeModel(desc)).c_str(), GL_STATIC_DRAW);
    setUpView();
    model.draw();
    GLint attributeEnabled = 1;
    glGetVertexAttribiv(3, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &attributeEnabled);
    EXPECT_EQ(attributeEnabled, 0);
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_NORMAL_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
    EXPECT_EQ(takeGlError(), GLenum(GL_NO_ERROR));
}

TEST_F(ModelDrawing, SetProgramGivesUnitsInMapOrder) {
    auto model = mappedSquare();
    QOR::ModelMaterial* material = model->materials[0].get();
    GLuint both =
        qorCreateProgram(QOR::kDefaultModelFragmentShader, QOR::kDefaultModelVertexShader);
    ASSERT_NE(both, 0u);
    model->setProgram(both);
    EXPECT_EQ(GLuint(currentProgram()), both);
    EXPECT_EQ(model->getMesh(0)->program, both);
    EXPECT_EQ(material->maps[0]->unit, 0);
    EXPECT_EQ(material->maps[1]->unit, 1);
    EXPECT_NE(material->maps[1]->samplerLocation, -1);
    EXPECT_NE(material->maps[1]->amountLocation, -1);
    glUseProgram(0);

    auto fresh = mappedSquare(0.5f);
    GLuint diffuseOnly = qorCreateProgram(kDiffuseOnlyFragment, kMapsVertex);
    ASSERT_NE(diffuseOnly, 0u);
    fresh->setProgram(diffuseOnly);
    glUseProgram(0);
    QOR::ModelMaterial* freshMaterial = fresh->materials[0].get();
    EXPECT_EQ(freshMaterial->maps[0]->unit, 0);
    EXPECT_EQ(freshMaterial->maps[1]->unit, -1);
    EXPECT_EQ(freshMaterial->maps[1]->samplerLocation, -1);
    EXPECT_EQ(freshMaterial->maps[1]->amountLocation, -1);

    setUpView();
    fresh->draw();
    Rgba half = pixelAt(-0.5f, 0);
    EXPECT_EQ(half[0], 0);
    EXPECT_NEAR(half[1], 128, 1); // the green map times diffuse_amount 0.5
    EXPECT_EQ(takeGlError(), GLenum(GL_NO_ERROR));
}

TEST_F(ModelDrawing, UnnamedPropertiesNeverGetAUnit) {
    ModelDesc desc = smallestModel();
    desc.materials[0].maps = {{picture("a.bmp", 0xffffff), 1, 6},
                              {picture("b.bmp", 0xffffff), 1, 12},
                              {picture("c.bmp", 0xffffff), 1, QOR::kPropertyDiffuse}};
    QOR::Model model(write("codes.model", formats::encodeModel(desc)).c_str(), GL_STATIC_DRAW);
    GLuint program =
        qorCreateProgram(QOR::kDefaultModelFragmentShader, QOR::kDefaultModelVertexShader);
    model.setProgram(program);
    glUseProgram(0);
    EXPECT_EQ(model.materials[0]->maps[0]->unit, -1);
    EXPECT_EQ(model.materials[0]->maps[1]->unit, -1);
    EXPECT_EQ(model.materials[0]->maps[2]->unit, 0);
}

TEST_F(ModelDrawing, CallersProgramIsCurrentAgainAfterADraw) {
    auto model = mappedSquare();
    GLuint blue =
        qorCreateProgram("void main() { gl_FragColor = vec4(0.0, 0.0, 1.0, 1.0); }", nullptr);
    ASSERT_NE(blue, 0u);
    setUpView();
    glUseProgram(blue);
    model->draw(); // the mesh has no program: fixed function, green map
    EXPECT_EQ(GLuint(currentProgram()), blue);
    glRectf(0, -1, 1, 1);
    glUseProgram(0);
    EXPECT_EQ(pixelAt(-0.5f, 0), (Rgba{0, 255, 0, 255}));
    EXPECT_EQ(pixelAt(0.5f, 0), (Rgba{0, 0, 255, 255}));
}

TEST_F(ModelDrawing, LookupsThatMissThrowZero) {
    QOR::Model model(write("small.model", formats::encodeModel(smallestModel())).c_str(),
                     GL_STATIC_DRAW);
    int thrown = -1;
    try {
        model.getMesh(1);
    } catch (int value) {
        thrown = value;
    }
    EXPECT_EQ(thrown, 0);
    EXPECT_THROW(model.getMesh(-1), int);
    EXPECT_THROW(model.getMesh(0)->getStream(2), int);
    EXPECT_EQ(model.getMesh(0)->getStream(1000)->type, 1000);
}

TEST_F(ModelDrawing, GlossinessBecomesShininess) {
    ModelDesc desc = smallestModel();
    desc.materials.resize(4);
    desc.materials[0].glossiness = 1;
    desc.materials[1].glossiness = 0;
    desc.materials[2].glossiness = 0.5f;
    desc.materials[3].glossiness = 3; // out of GL's range: clamped, no GL error
    std::string bytes = formats::encodeModel(desc);
    QOR::Model model(reinterpret_cast<const uint8_t*>(bytes.data()), int32_t(bytes.size()),
                     GL_STATIC_DRAW, false);
    const float expected[4] = {128, 0, 64, 128};
    for (int i = 0; i < 4; i++) {
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        model.materials[i]->apply();
        GLfloat shininess = -1;
        glGetMaterialfv(GL_FRONT, GL_SHININESS, &shininess);
        glPopAttrib();
        EXPECT_EQ(shininess, expected[i]) << i;
    }
    EXPECT_EQ(takeGlError(), GLenum(GL_NO_ERROR));
}

TEST_F(ModelDrawing, MappedPositionsCanBeRewritten) {
    ModelDesc desc = smallestModel();
    desc.meshes = {squareMesh("square", -1, -1, 0, 1)};
    QOR::Model model(write("dynamic.model", formats::encodeModel(desc)).c_str(), GL_DYNAMIC_COPY);
    QOR::ModelMeshStream* positions = model.getMesh(0)->getStream(QOR::kStreamPositions);
    float* vertices = static_cast<float*>(positions->map(GL_READ_WRITE));
    ASSERT_NE(vertices, nullptr);
    EXPECT_EQ(vertices[3], 0.0f); // x of the second vertex
    EXPECT_EQ(vertices[4], -1.0f);
    for (int v = 0; v < positions->count; v++)
        vertices[v * 3] += 1; // move right by 1
    glBindBuffer(positions->target, positions->buffer);
    EXPECT_TRUE(glUnmapBuffer(positions->target));
    setUpView();
    model.draw();
    EXPECT_EQ(pixelAt(-0.5f, 0), (Rgba{0, 0, 0, 255}));
    EXPECT_EQ(pixelAt(0.5f, 0), (Rgba{255, 255, 255, 255}));
}

TEST_F(ModelDrawing, MeshesReachingTheViewAreNeverCulled) {
    ModelDesc desc = smallestModel();
    desc.meshes = {squareMesh("far", 4.2f, -0.1f, 4.8f, 0.1f),
                   squareMesh("wide", 0.9f, -0.1f, 5.1f, 0.1f)};
    desc.meshes[0].position[0] = -1.5f;
    QOR::Model model(write("cull.model", formats::encodeModel(desc)).c_str(), GL_DYNAMIC_COPY);
    setUpView();
    // Projection, model-view and mesh position together bring "far" to x 0.6 to 0.9; each
    // alone leaves it outside. "wide" reaches the view only at its left end.
    glMatrixMode(GL_PROJECTION);
    glScalef(0.5f, 0.5f, 0.5f);
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(-1.5f, 0, 0);
    model.getMesh(0)->draw();
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    model.getMesh(1)->draw();
    EXPECT_EQ(pixelAt(0.75f, 0), (Rgba{255, 255, 255, 255}));
    EXPECT_EQ(pixelAt(0.95f, 0), (Rgba{255, 255, 255, 255}));

    // Positions rewritten through map are no longer held to the bounds read at load.
    QOR::ModelMesh* far = model.getMesh(0);
    far->position[0] = 0;
    QOR::ModelMeshStream* positions = far->getStream(QOR::kStreamPositions);
    float* vertices = static_cast<float*>(positions->map(GL_READ_WRITE));
    ASSERT_NE(vertices, nullptr);
    for (int v = 0; v < positions->count; v++)
        vertices[v * 3] -= 4.5f; // now x -0.3 to 0.3
    glBindBuffer(positions->target, positions->buffer);
    EXPECT_TRUE(glUnmapBuffer(positions->target));
    clearTo(0, 0, 0);
    far->draw();
    EXPECT_EQ(pixelAt(0, 0), (Rgba{255, 255, 255, 255}));
}
