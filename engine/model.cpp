#include "engine/model.h"

#include "engine/model_format.h"
#include "engine/shader.h"
#include "engine/texture.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <sys/stat.h>
#include <zlib.h>

void qorLoadError(const char* format, ...) {
    char text[1000];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    qorError("%s", text);
    // The error line ends here, so that what follows on the console starts a line of its own.
    if (text[0] == '\0' || text[strlen(text) - 1] != '\n') fputc('\n', stderr);
    printf("Load error: %s\n", text);
    throw 0;
}

namespace {

bool viewCulling = true; // see qorSetViewCulling; main thread

} // namespace

void qorSetViewCulling(bool enabled) {
    viewCulling = enabled;
}

namespace QOR {

namespace {

// Whether the path names a directory, which opens for reading but holds no model.
bool isDirectory(const char* path) {
    struct stat info;
    return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

// Fills bytes from the gzip (or plain) stream; returns false if file is not there.
bool readCompressedCopy(const char* path, std::vector<uint8_t>& bytes) {
    const std::string compressedPath = std::string(path) + ".gz";
    if (isDirectory(compressedPath.c_str()))
        qorLoadError("Model file '%s' is a directory", compressedPath.c_str());
    gzFile file = gzopen(compressedPath.c_str(), "rb");
    if (!file) return false;
    try {
        bytes.resize(kMaxCompressedModelBytes);
    } catch (const std::bad_alloc&) {
        gzclose(file);
        qorLoadError("Ran out of memory while loading model %s", path);
    }
    const int size = gzread(file, bytes.data(), kMaxCompressedModelBytes);
    if (size == kMaxCompressedModelBytes) {
        fprintf(stderr, "Error: model file is too big (max 5mb)\n");
        fprintf(stderr, "Model file '%s' holds 5 MiB or more once decompressed\n",
                compressedPath.c_str());
        exit(1);
    }
    if (size < 0) {
        int code = 0;
        std::string reason = gzerror(file, &code);
        gzclose(file);
        qorLoadError("Model file '%s' is not readable: %s", compressedPath.c_str(), reason.c_str());
    }
    gzclose(file);
    bytes.resize(size);
    return true;
}

void readPlainFile(const char* path, std::vector<uint8_t>& bytes) {
    if (isDirectory(path)) qorLoadError("Model file '%s' is a directory", path);
    FILE* file = fopen(path, "rb");
    if (!file) qorLoadError("Model file '%s' not found", path);
    long size = -1;
    if (fseek(file, 0, SEEK_END) == 0) size = ftell(file);
    fseek(file, 0, SEEK_SET);
    // The reader counts bytes in 32 bits; larger files cannot be models.
    if (size < 0 || size > INT32_MAX) {
        fclose(file);
        qorLoadError("Model file '%s' is not readable or larger than 2 GiB", path);
    }
    try {
        bytes.resize(size);
    } catch (const std::bad_alloc&) {
        fclose(file);
        qorLoadError("Ran out of memory while loading model %s", path);
    }
    bytes.resize(fread(bytes.data(), 1, bytes.size(), file));
    fclose(file);
}

struct StreamLayout {
    int32_t components;
    GLenum componentType;
    GLenum target;
    bool perFace;
};

StreamLayout layoutOf(uint32_t type) {
    if (type == kStreamBones) qorLoadError("Bones not yet supported!");
    bool perFace = false;
    int components = 0;
    if (!modelStreamLayout(type, &perFace, &components))
        qorLoadError("Unknown stream type: %i", static_cast<int>(type));
    if (perFace) return {components, GL_UNSIGNED_INT, GL_ELEMENT_ARRAY_BUFFER, true};
    return {components, GL_FLOAT, GL_ARRAY_BUFFER, false};
}

GLint currentProgram() {
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    return program;
}

} // namespace

std::vector<uint8_t> qorReadModelFile(const char* path, std::string* readPath) {
    std::vector<uint8_t> bytes;
    bool compressed = readCompressedCopy(path, bytes);
    if (!compressed) readPlainFile(path, bytes);
    if (readPath) *readPath = compressed ? std::string(path) + ".gz" : path;
    return bytes;
}

uint32_t ModelReader::readU32() {
    bytesLeft -= 4;
    if (bytesLeft < 0) qorLoadError("Unexpected end of Model File while reading u32");
    const uint8_t* b = position;
    position += 4;
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

float ModelReader::readFloat() {
    uint32_t bits = readU32();
    float value;
    memcpy(&value, &bits, sizeof value);
    return value;
}

void ModelReader::readString(char* out) {
    bytesLeft -= kModelStringSize;
    if (bytesLeft < 0) qorLoadError("Unexpected end of Model File while reading 256 byte string");
    memcpy(out, position, kModelStringSize);
    out[kModelStringSize - 1] = 0;
    position += kModelStringSize;
}

// ---- reading -------------------------------------------------------------------------------

ModelMaterialMap::ModelMaterialMap(ModelReader& reader) {
    char path[kModelStringSize];
    reader.readString(path);
    if (reader.upload) texture = qorLoadSharedTexture(path, true);
    amount = reader.readFloat();
    property = reader.readU32();
}

ModelMaterial::ModelMaterial(ModelReader& reader) {
    reader.readU32(); // reserved
    for (float& c : diffuse)
        c = reader.readFloat();
    for (int c = 0; c < 3; c++)
        specular[c] = reader.readFloat();
    specular[3] = 1.0f;
    glossiness = reader.readFloat();
    // Every map consumes 264 bytes or fails, so the count never outruns the file.
    for (uint32_t n = reader.readU32(); n > 0; n--)
        maps.push_back(std::make_unique<ModelMaterialMap>(reader));
}

namespace {

// Widens the mesh's bounding box by the x, y, z floats of a position stream (bit patterns as
// read). A position that is not finite loses the bounds for good.
void growBounds(ModelMesh& mesh, const std::vector<uint32_t>& values) {
    for (size_t i = 0; i + 2 < values.size() && !mesh.boundsLost; i += 3) {
        float point[3];
        memcpy(point, &values[i], sizeof point);
        for (int axis = 0; axis < 3; axis++) {
            if (!std::isfinite(point[axis])) mesh.boundsLost = true;
            if (!mesh.boundsKnown || point[axis] < mesh.boundsMin[axis])
                mesh.boundsMin[axis] = point[axis];
            if (!mesh.boundsKnown || point[axis] > mesh.boundsMax[axis])
                mesh.boundsMax[axis] = point[axis];
        }
        mesh.boundsKnown = !mesh.boundsLost;
    }
}

} // namespace

ModelMeshStream::ModelMeshStream(ModelMesh& mesh, ModelReader& reader) {
    const uint32_t fileType = reader.readU32();
    const StreamLayout layout = layoutOf(fileType);
    const uint32_t elements = uint32_t(layout.perFace ? mesh.faceCount : mesh.vertexCount);
    const uint64_t values = uint64_t(elements) * uint64_t(layout.components);
    const uint64_t bytes = values * kModelValueSize;
    if (bytes > uint64_t(reader.bytesLeft))
        qorLoadError("Unexpected end of file for mesh '%s', stream %i\n", mesh.name,
                     static_cast<int>(mesh.streams.size()));
    type = static_cast<int32_t>(fileType);
    componentType = layout.componentType;
    components = layout.components;
    count = static_cast<int32_t>(elements);
    target = layout.target;
    byteSize = static_cast<int32_t>(bytes);

    std::vector<uint32_t> data(values);
    for (uint32_t& value : data)
        value = reader.readU32();
    // Corner indices outside the vertex streams would make GL read beyond their buffers.
    if (layout.perFace) {
        for (uint32_t index : data)
            if (index >= uint32_t(mesh.vertexCount))
                qorLoadError("Vertex index %u out of range in mesh '%s' (%u vertices)", index,
                             mesh.name, uint32_t(mesh.vertexCount));
    }
    if (type == int32_t(kStreamPositions)) growBounds(mesh, data);
    this->mesh = &mesh;
    if (!reader.upload) return;
    glGenBuffers(1, &buffer);
    glBindBuffer(target, buffer);
    glBufferData(target, byteSize, data.data(), reader.usage);
}

ModelMesh::ModelMesh(Model& model, ModelReader& reader) {
    reader.readU32(); // reserved
    reader.readString(name);
    vertexCount = static_cast<int32_t>(reader.readU32());
    faceCount = static_cast<int32_t>(reader.readU32());
    const uint32_t materialIndex = reader.readU32();
    if (materialIndex >= model.materials.size())
        qorLoadError("Illegal material specified in mesh %s", name);
    material = model.materials[materialIndex].get();
    for (float& c : position)
        c = reader.readFloat();
    // Every stream consumes at least its 4-byte type, so the count never outruns the file.
    for (uint32_t n = reader.readU32(); n > 0; n--)
        streams.push_back(std::make_unique<ModelMeshStream>(*this, reader));
    bool hasIndices = false;
    for (const auto& stream : streams)
        hasIndices = hasIndices || stream->type == int32_t(kStreamIndices);
    if (!hasIndices) qorLoadError("Mesh '%s' has no index stream (type 1000)", name);
}

Model::Model(const char* path, GLenum usage) {
    std::string readPath;
    std::vector<uint8_t> bytes = qorReadModelFile(path, &readPath);
    // The reader's messages say what is wrong; one more line says in which file.
    try {
        try {
            walk(bytes.data(), static_cast<int32_t>(bytes.size()), usage, true);
        } catch (const std::bad_alloc&) {
            qorLoadError("Out of memory while loading model");
        }
    } catch (int) {
        printf("Load error: in model file '%s'\n", readPath.c_str());
        throw;
    }
}

Model::Model(const uint8_t* bytes, int32_t size, GLenum usage, bool upload) {
    walk(bytes, size, usage, upload);
}

void Model::walk(const uint8_t* bytes, int32_t size, GLenum usage, bool upload) {
    ModelReader reader = {bytes, size, usage, upload};
    reader.bytesLeft -= kModelMagicSize;
    if (reader.bytesLeft < 0) qorLoadError("Model header not found");
    if (memcmp(reader.position, kModelMagic, kModelMagicSize) != 0)
        qorLoadError("Model of improper type, expected QOR_MODEL_v1.06");
    reader.position += kModelMagicSize;
    const uint32_t materialCount = reader.readU32();
    const uint32_t meshCount = reader.readU32();
    const uint32_t hotspotCount = reader.readU32();
    // Records are appended one by one as they are read, so a count from the file never sizes
    // an allocation by itself.
    for (uint32_t n = materialCount; n > 0; n--)
        materials.push_back(std::make_unique<ModelMaterial>(reader));
    for (uint32_t n = meshCount; n > 0; n--)
        meshes.push_back(std::make_unique<ModelMesh>(*this, reader));
    if (hotspotCount != 0) qorLoadError("Not supporting hotspots in loader quite yet");
}

Model::~Model() {
    materials.clear();
    meshes.clear();
}

ModelMeshStream::~ModelMeshStream() {
    if (buffer != 0) glDeleteBuffers(1, &buffer);
}

// ---- lookups -------------------------------------------------------------------------------

ModelMesh* Model::getMesh(int32_t index) {
    if (uint32_t(index) >= meshes.size()) throw 0;
    return meshes[index].get();
}

ModelMeshStream* ModelMesh::getStream(int32_t wanted) {
    for (const auto& stream : streams)
        if (stream->type == wanted) return stream.get();
    throw 0;
}

// ---- drawing -------------------------------------------------------------------------------

void Model::draw() {
    for (const auto& mesh : meshes)
        mesh->draw();
}

namespace {

// Positions through ftransform() as the model shaders do, so that the depths it writes equal
// theirs; colour writes are off while it draws. Built once; main thread.
GLuint depthOnlyProgram() {
    static GLuint program = qorCreateProgram("void main() { gl_FragColor = vec4(0.0); }",
                                             "void main() { gl_Position = ftransform(); }");
    return program;
}

// Whether a fragment of alpha 1 replaces what lies under it in the current blend state, and
// nearer fragments win with depth writes on: then drawing the depth of opaque meshes first
// changes nothing but which hidden fragments are shaded.
bool depthFirstKeepsThePicture() {
    GLint depthFunc = 0, source = 0, destination = 0;
    GLboolean depthWrites = GL_FALSE;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    if (!glIsEnabled(GL_DEPTH_TEST) || !depthWrites || depthFunc != GL_LESS) return false;
    if (!glIsEnabled(GL_BLEND)) return true;
    glGetIntegerv(GL_BLEND_SRC_RGB, &source);
    glGetIntegerv(GL_BLEND_DST_RGB, &destination);
    return (source == GL_SRC_ALPHA && destination == GL_ONE_MINUS_SRC_ALPHA) ||
           (source == GL_ONE && destination == GL_ZERO);
}

} // namespace

void Model::setProgram(GLuint program) {
    for (const auto& mesh : meshes)
        mesh->setProgram(program);
    if (program != 0) depthOnlyProgram(); // built while loading, not in the first frame
}

void Model::drawDepthFirst() {
    if (depthOnlyProgram() == 0 || !depthFirstKeepsThePicture()) {
        draw();
        return;
    }
    glPushAttrib(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const GLint callerProgram = currentProgram();
    glUseProgram(depthOnlyProgram());
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    for (const auto& mesh : meshes)
        if (mesh->program != 0 && mesh->material->diffuse[3] == 1) mesh->drawDepth();
    glUseProgram(callerProgram);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    // Each opaque pixel is now shaded only by the surface that shows, which meets its own
    // depth; a translucent mesh in front still blends over the colour beneath it.
    glDepthFunc(GL_LEQUAL);
    draw();
    glPopAttrib();
}

void ModelMesh::setProgram(GLuint newProgram) {
    glUseProgram(newProgram);
    int32_t nextUnit = 0;
    for (const auto& map : material->maps) {
        const char* property = modelPropertyName(map->property);
        // Program 0 (back to fixed function) has no uniforms to look up.
        if (!property || newProgram == 0) continue;
        char uniform[64];
        snprintf(uniform, sizeof uniform, "%s_map", property);
        map->samplerLocation = glGetUniformLocation(newProgram, uniform);
        if (map->samplerLocation == -1) continue;
        map->unit = nextUnit++;
        snprintf(uniform, sizeof uniform, "%s_amount", property);
        map->amountLocation = glGetUniformLocation(newProgram, uniform);
    }
    program = newProgram;
}

bool ModelMesh::outsideView() const {
    if (!viewCulling || !boundsKnown || (program != 0 && !qorIsModelProgram(program))) return false;
    float modelView[16], projection[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelView);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    // clip = projection x model-view x translate(position), column-major as GL keeps them.
    double view[16], clip[16];
    for (int column = 0; column < 4; column++)
        for (int row = 0; row < 4; row++)
            view[column * 4 + row] = modelView[column * 4 + row];
    for (int row = 0; row < 4; row++)
        view[12 + row] += modelView[row] * position[0] + modelView[4 + row] * position[1] +
                          modelView[8 + row] * position[2];
    for (int column = 0; column < 4; column++)
        for (int row = 0; row < 4; row++) {
            double sum = 0;
            for (int k = 0; k < 4; k++)
                sum += projection[k * 4 + row] * view[column * 4 + k];
            clip[column * 4 + row] = sum;
        }
    double centre[3], radius = 0;
    for (int axis = 0; axis < 3; axis++) {
        centre[axis] = 0.5 * (double(boundsMin[axis]) + boundsMax[axis]);
        double half = 0.5 * (double(boundsMax[axis]) - boundsMin[axis]);
        radius += half * half;
    }
    radius = sqrt(radius);
    // The six clip planes are w + x, w - x, w + y, w - y, w + z, w - z >= 0 (rows of clip).
    for (int plane = 0; plane < 6; plane++) {
        const int row = plane / 2;
        const double sign = plane % 2 == 0 ? 1.0 : -1.0;
        double p[4];
        for (int column = 0; column < 4; column++)
            p[column] = clip[column * 4 + 3] + sign * clip[column * 4 + row];
        const double length = sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
        if (!(length > 0)) continue;
        const double distance = (p[0] * centre[0] + p[1] * centre[1] + p[2] * centre[2] + p[3]);
        // A margin of a thousandth keeps rounding from dropping a mesh that touches the edge.
        if (distance < -radius * length * 1.001 - 1e-6 * length) return true;
    }
    return false;
}

void ModelMesh::draw() {
    if (outsideView()) return;
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushMatrix();
    glTranslatef(position[0], position[1], position[2]);
    const GLint callerProgram = currentProgram();
    glUseProgram(qorProgramForDraw(program, material->specularShows()));
    for (const auto& stream : streams)
        stream->bind();
    material->apply();
    glDrawElements(GL_TRIANGLES, faceCount * 3, GL_UNSIGNED_INT, nullptr);
    for (int unit = 7; unit >= 0; unit--) {
        glActiveTexture(GL_TEXTURE0 + unit);
        glClientActiveTexture(GL_TEXTURE0 + unit);
        glDisable(GL_TEXTURE_2D);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    }
    // Disable what the streams enabled and unbind their buffers, so that a later mesh or a
    // scene's own client arrays never read from this mesh's buffers.
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    for (const auto& stream : streams)
        if (stream->target == GL_ARRAY_BUFFER && stream->type < int32_t(kStreamTexCoord0) &&
            stream->type != int32_t(kStreamPositions) && stream->type != int32_t(kStreamNormals))
            glDisableVertexAttribArray(stream->type);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    glUseProgram(callerProgram);
    glPopMatrix();
    glPopAttrib();
}

void ModelMesh::drawDepth() {
    ModelMeshStream* positions = nullptr;
    ModelMeshStream* indices = nullptr;
    for (const auto& stream : streams) {
        if (!positions && stream->type == int32_t(kStreamPositions)) positions = stream.get();
        if (!indices && stream->type == int32_t(kStreamIndices)) indices = stream.get();
    }
    if (!positions || !indices || outsideView()) return;
    glPushMatrix();
    glTranslatef(position[0], position[1], position[2]);
    positions->bind();
    indices->bind();
    glDrawElements(GL_TRIANGLES, faceCount * 3, GL_UNSIGNED_INT, nullptr);
    glDisableClientState(GL_VERTEX_ARRAY);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    glPopMatrix();
}

void ModelMeshStream::bind() {
    if (type >= 8 && type <= 71) {
        glClientActiveTexture(GL_TEXTURE0 + (type - 8));
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glBindBuffer(target, buffer);
        glTexCoordPointer(components, componentType, 0, nullptr);
    } else if (type == int32_t(kStreamPositions)) {
        glEnableClientState(GL_VERTEX_ARRAY);
        glBindBuffer(target, buffer);
        glVertexPointer(components, componentType, 0, nullptr);
    } else if (type == int32_t(kStreamNormals)) {
        glEnableClientState(GL_NORMAL_ARRAY);
        glBindBuffer(target, buffer);
        glNormalPointer(componentType, 0, nullptr);
    } else if (type == int32_t(kStreamIndices)) {
        glBindBuffer(target, buffer);
    } else {
        glEnableVertexAttribArray(type);
        glBindBuffer(target, buffer);
        glVertexAttribPointer(type, components, componentType, GL_FALSE, 0, nullptr);
    }
}

void* ModelMeshStream::map(GLenum access) {
    if (type == int32_t(kStreamPositions) && mesh) {
        mesh->boundsLost = true;
        mesh->boundsKnown = false;
    }
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glBindBuffer(target, buffer);
    void* data = glMapBuffer(target, access);
    glPopAttrib();
    return data;
}

void ModelMaterial::apply() {
    glColor4fv(diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    // GL accepts shininess 0 to 128 only; out-of-range glossiness from a file is clamped
    // instead of raising a GL error on every frame.
    const double shininess = fmin(fmax(double(glossiness) * 128.0, 0.0), 128.0);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, static_cast<float>(shininess));
    for (const auto& map : maps)
        map->apply();
}

bool ModelMaterial::specularShows() const {
    return glossiness * 128.0 > 0 && (specular[0] != 0 || specular[1] != 0 || specular[2] != 0);
}

void ModelMaterialMap::apply() {
    if (currentProgram() != 0) {
        glUniform1i(samplerLocation, unit);
        glUniform1f(amountLocation, amount);
        if (unit < 0) return;
        glActiveTexture(GL_TEXTURE0 + unit);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture);
    } else if (property == kPropertyDiffuse) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture);
    }
}

// ---- default shader ------------------------------------------------------------------------

const char* const kDefaultModelVertexShader = R"(
varying vec3 normal;
varying vec2 diffuse_coord;
varying vec2 reflection_coord;

void main() {
    normal = normalize(gl_NormalMatrix * gl_Normal);
    diffuse_coord = (gl_TextureMatrix[0] * gl_MultiTexCoord0).xy;
    vec4 eye = gl_ModelViewMatrix * gl_Vertex;
    vec3 u = normalize(eye.xyz / eye.w);
    vec3 r = reflect(u, normal);
    float m = 2.0 * sqrt(r.x * r.x + r.y * r.y + (r.z + 1.0) * (r.z + 1.0));
    reflection_coord = vec2(r.x / m + 0.5, r.y / m + 0.5);
    gl_Position = ftransform();
}
)";

const char* const kDefaultModelFragmentShader = R"(
uniform sampler2D diffuse_map;
uniform sampler2D reflection_map;
uniform float diffuse_amount;
uniform float reflection_amount;
varying vec3 normal;
varying vec2 diffuse_coord;
varying vec2 reflection_coord;

void directionalLight(in gl_LightSourceParameters light, in vec3 n, inout vec4 ambient,
                      inout vec4 diffuse, inout vec4 specular) {
    float nDotVP = max(0.0, dot(n, normalize(vec3(light.position))));
    float nDotHV = max(0.0, dot(n, normalize(vec3(light.halfVector))));
    float shininess = gl_FrontMaterial.shininess;
    float factor = (nDotVP == 0.0 || shininess == 0.0) ? 0.0 : pow(nDotHV, shininess);
    ambient += light.ambient;
    diffuse += light.diffuse * nDotVP;
    specular += light.specular * factor;
}

void main() {
    vec3 n = normalize(normal);
    vec4 base = mix(gl_FrontMaterial.diffuse, texture2D(diffuse_map, diffuse_coord),
                    diffuse_amount);
    vec4 color = mix(base, texture2D(reflection_map, reflection_coord), reflection_amount);
    vec4 ambient = vec4(0.0);
    vec4 diffuse = vec4(0.0);
    vec4 specular = vec4(0.0);
    directionalLight(gl_LightSource[0], n, ambient, diffuse, specular);
    directionalLight(gl_LightSource[1], n, ambient, diffuse, specular);
    vec4 lit = ambient * color + diffuse * color + specular * gl_FrontMaterial.specular;
    gl_FragColor = vec4(lit.rgb, gl_FrontMaterial.diffuse.a);
}
)";

} // namespace QOR
