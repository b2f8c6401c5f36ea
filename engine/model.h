// QOR models: materials, texture maps, meshes and their vertex streams, read from the model
// format (engine/model_format.h) and drawn through GL buffer objects.
//
// A model owns its materials and meshes; a material owns its maps; a mesh owns its streams and
// points at one material of its model. Reading errors go through qorLoadError, which throws
// the engine's integer exception (value 0); failed lookups throw the same without a message.
#pragma once

#include "engine/error.h"
#include "engine/gl.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Formats the message (at most 999 characters), reports it with qorError and as
// "Load error: %s\n" on standard output, then throws the int 0.
[[noreturn]] void qorLoadError(const char* format, ...) QOR_PRINTF(1, 2);

// Turns the skipping of meshes outside the view (QOR::ModelMesh::outsideView) on or off; on
// unless switched off. Tests that count the draws a scene asks for switch it off.
void qorSetViewCulling(bool enabled);

namespace QOR {

// The decompressed model size at which a ".gz" model counts as too big (5 MiB).
constexpr int32_t kMaxCompressedModelBytes = 5 * 1024 * 1024;

// Reads a model file whole: "PATH.gz" (plain or gzip content) if it opens, else PATH.
// Raises through qorLoadError; a ".gz" copy that reaches 5 MiB ends the process with
// "Error: model file is too big (max 5mb)\n" and a line naming it on standard error, status 1.
// With readPath given, it receives the name of the file that was read.
std::vector<uint8_t> qorReadModelFile(const char* path, std::string* readPath = nullptr);

// The walk through a model file in memory: the read position and the bytes left, advanced by
// every read. With upload false, nothing touches GL (no textures, no buffers), so a file can
// be checked without a context.
struct ModelReader {
    const uint8_t* position;
    int32_t bytesLeft;
    GLenum usage;
    bool upload;

    uint32_t readU32();
    float readFloat();
    // Copies a 256-byte string field into out and terminates it at byte 255.
    void readString(char* out);
};

class ModelMesh;

class ModelMaterialMap {
  public:
    explicit ModelMaterialMap(ModelReader& reader);
    virtual ~ModelMaterialMap() = default;
    // Binds the texture for the current program (at unit, with the sampler and amount
    // uniforms) or, with none current, on the active unit when this is a diffuse map.
    virtual void apply();

    int32_t unit = -1;          // texture unit given by setProgram; -1 for none
    GLint samplerLocation = -1; // "%s_map" in the attached program
    GLuint texture = 0;         // 0 if the picture failed
    float amount = 0;           // handed to shaders as "%s_amount"
    GLint amountLocation = -1;  // "%s_amount" in the attached program
    uint32_t property = 0;      // material property code
};

class ModelMaterial {
  public:
    explicit ModelMaterial(ModelReader& reader);
    virtual ~ModelMaterial() = default;
    // Sets colour and fixed-function material (shininess glossiness x 128), then the maps.
    virtual void apply();
    // Whether the specular colour can add to a lit pixel: not black, and a shininess above 0.
    bool specularShows() const;

    std::vector<std::unique_ptr<ModelMaterialMap>> maps;
    float diffuse[4] = {};
    float specular[4] = {};
    float glossiness = 0;
};

class ModelMeshStream {
  public:
    ModelMeshStream(ModelMesh& mesh, ModelReader& reader);
    virtual ~ModelMeshStream();
    // Binds the buffer and sets up the array this stream feeds.
    virtual void bind();
    // Maps the buffer for the CPU (glMapBuffer with access) and leaves it bound to target;
    // null if GL refuses. The caller unmaps it (bind buffer, glUnmapBuffer) before drawing.
    // Mapping a position stream ends the mesh's culling: its bounds may no longer hold.
    void* map(GLenum access);

    int32_t type = 0;
    GLuint buffer = 0;
    GLenum componentType = GL_FLOAT;
    int32_t components = 0;
    int32_t count = 0;
    GLenum target = GL_ARRAY_BUFFER;
    int32_t byteSize = 0;

  private:
    ModelMesh* mesh = nullptr; // the mesh that owns this stream
};

class ModelMesh {
  public:
    ModelMesh(class Model& model, ModelReader& reader);
    virtual ~ModelMesh() = default;
    // Draws the triangles with the mesh's program (0: fixed function), translated by
    // position, then restores attributes, matrix and program and disables the arrays it used.
    // Skips the whole draw when the mesh lies outside the view (see outsideView).
    virtual void draw();
    // Draws only the triangles' depth with the current program (depthFirst's first pass).
    void drawDepth();
    // Makes program current (it stays current), gives the material's maps texture units in
    // map order for the "%s_map" uniforms the program declares, and keeps the program.
    void setProgram(GLuint program);
    // The first stream of that type; throws the int 0 when there is none.
    ModelMeshStream* getStream(int32_t type);
    // Whether no triangle can reach the screen: the sphere around the bounding box lies
    // wholly outside the current projection times model-view times position. False when that
    // is unknown: positions mapped or not finite, or a program that may move vertices (only
    // fixed function and programs from qorLoadModelProgram position them as GL does).
    bool outsideView() const;

    GLuint program = 0;
    ModelMaterial* material = nullptr; // owned by the model
    char name[256] = {};
    int32_t vertexCount = 0;
    int32_t faceCount = 0;
    float position[3] = {};
    std::vector<std::unique_ptr<ModelMeshStream>> streams;

    // The box holding every position of the position streams, in the mesh's own space.
    // Written by the position streams at load and by map; main thread.
    bool boundsKnown = false;
    bool boundsLost = false; // a position was not finite, or the positions were mapped
    float boundsMin[3] = {};
    float boundsMax[3] = {};
};

class Model {
  public:
    // Reads and uploads a model file (see qorReadModelFile); usage is the hint for every
    // stream's buffer. Needs the GL context current. A reading error is followed by
    // "Load error: in model file '%s'\n" on standard output; running out of memory is
    // reported as "Out of memory while loading model".
    Model(const char* path, GLenum usage);
    // Walks model bytes already in memory; see ModelReader for upload.
    Model(const uint8_t* bytes, int32_t size, GLenum usage, bool upload);
    virtual ~Model();
    Model(const Model&) = delete;
    Model& operator=(const Model&) = delete;

    // Draws every mesh in list order.
    virtual void draw();
    // The same picture as draw() for a model drawn with shaders that position vertices with
    // ftransform(), shading each pixel about once: first the depth of the meshes with a
    // program and a material alpha of 1, then draw() with GL_LEQUAL. Falls back to draw()
    // where the depth test, depth writes, GL_LESS or a replacing blend function is missing.
    void drawDepthFirst();
    // Attaches program to every mesh (see ModelMesh::setProgram); it stays current.
    void setProgram(GLuint program);
    // The mesh at that index; throws the int 0 when the index is not below the mesh count.
    ModelMesh* getMesh(int32_t index);

    std::vector<std::unique_ptr<ModelMaterial>> materials;
    std::vector<std::unique_ptr<ModelMesh>> meshes;

  private:
    void walk(const uint8_t* bytes, int32_t size, GLenum usage, bool upload);
};

// The default model shader: "diffuse_map"/"reflection_map" samplers and "diffuse_amount"/
// "reflection_amount" mixes, sphere-mapped reflection, two directional lights (0 and 1).
extern const char* const kDefaultModelVertexShader;
extern const char* const kDefaultModelFragmentShader;

} // namespace QOR
