// Writer of the engine's model format (engine/model_format.h): the exact inverse of the
// engine's reader. Generators describe a model with the structs below and write it plain or
// gzip-compressed; tests use the same structs to build fixture files, including broken ones
// (nothing here validates: a record is written as it is described).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace formats {

struct ModelMapDesc {
    std::string imagePath; // written as a 256-byte field; at most 255 characters survive reading
    float amount = 1.0f;
    uint32_t property = 1; // material property code (1 = diffuse)
};

struct ModelMaterialDesc {
    float diffuse[4] = {1, 1, 1, 1};
    float specular[3] = {0, 0, 0};
    float glossiness = 0;
    std::vector<ModelMapDesc> maps;
};

// One stream: its type code and its values as raw 32-bit words (floats by bit pattern).
struct ModelStreamDesc {
    uint32_t type = 0;
    std::vector<uint32_t> words;

    static ModelStreamDesc floats(uint32_t type, const std::vector<float>& values);
    static ModelStreamDesc indices(const std::vector<uint32_t>& corners); // type 1000
};

struct ModelMeshDesc {
    std::string name;
    uint32_t vertexCount = 0;
    uint32_t faceCount = 0;
    uint32_t materialIndex = 0;
    float position[3] = {0, 0, 0};
    std::vector<ModelStreamDesc> streams; // written in this order
};

struct ModelDesc {
    std::vector<ModelMaterialDesc> materials;
    std::vector<ModelMeshDesc> meshes;
    uint32_t hotspotCount = 0; // anything but 0 is rejected by the reader
};

// The file's bytes. Strings longer than 255 characters are cut to their first 256 bytes.
std::string encodeModel(const ModelDesc& model);

// Writes bytes to a file, gzip-compressed (level 9, deterministic header) when gzip is set.
// Returns false and fills error with a message naming the file on failure.
bool writeModelBytes(const std::string& path, const std::string& bytes, bool gzip,
                     std::string* error);

// encodeModel + writeModelBytes. A compressed model is usually written as "NAME.model.gz",
// which the engine prefers over "NAME.model".
bool writeModelFile(const std::string& path, const ModelDesc& model, bool gzip, std::string* error);

} // namespace formats
