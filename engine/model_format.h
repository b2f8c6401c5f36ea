// The model file format, shared by the engine's reader (engine/model.cpp) and the studio's
// writer (tools/formats/model_writer.cpp).
//
// Little-endian throughout: every count, index and code is an unsigned 32-bit integer, every
// real number an IEEE 754 single-precision float, every string a fixed 256-byte field holding a
// zero-terminated text (the reader keeps at most 255 characters). No padding anywhere.
//
//   header    magic (16 bytes), materialCount, meshCount, hotspotCount (must be 0)
//   material  reserved u32, diffuse rgba, specular rgb, glossiness, mapCount, maps...
//   map       image path (string), amount (float), property code (u32)
//   mesh      reserved u32, name (string), vertexCount, faceCount, materialIndex,
//             position xyz, streamCount, streams...
//   stream    type (u32), then its elements, each of `components` 4-byte values
#pragma once

#include <cstdint>

namespace QOR {

// "QOR_MODEL_v1.06" and its terminating zero byte.
constexpr char kModelMagic[] = "QOR_MODEL_v1.06";
constexpr int kModelMagicSize = 16;
static_assert(sizeof(kModelMagic) == kModelMagicSize, "the magic includes its zero byte");

constexpr int kModelStringSize = 256;
constexpr int kModelHeaderSize = kModelMagicSize + 3 * 4;                  // 28
constexpr int kModelMaterialFixedSize = 4 + 16 + 12 + 4 + 4;               // 40, before its maps
constexpr int kModelMapSize = kModelStringSize + 4 + 4;                    // 264
constexpr int kModelMeshFixedSize = 4 + kModelStringSize + 3 * 4 + 12 + 4; // 288, before streams
constexpr int kModelValueSize = 4; // every component of every stream element

// Stream type codes.
constexpr uint32_t kStreamPositions = 0;     // vertexCount x 3 floats
constexpr uint32_t kStreamNormals = 2;       // vertexCount x 3 floats
constexpr uint32_t kStreamAttribute3 = 3;    // vertexCount x 3 floats, generic attribute 3
constexpr uint32_t kStreamTexCoord0 = 8;     // vertexCount x 2 floats, texture unit type - 8
constexpr uint32_t kStreamTexCoordLast = 15; // the last texture-coordinate type
constexpr uint32_t kStreamIndices = 1000;    // faceCount x 3 unsigned 32-bit corner indices
constexpr uint32_t kStreamBones = 1001;      // recognised, not supported

// Material property codes of texture maps; they name the shader uniforms "%s_map" and
// "%s_amount". Codes without a name (6, and 12 and above) never reach a shader.
constexpr uint32_t kPropertyAmbient = 0;
constexpr uint32_t kPropertyDiffuse = 1;
constexpr uint32_t kPropertyReflection = 9;
constexpr uint32_t kPropertyCount = 12;
constexpr const char* kPropertyNames[kPropertyCount] = {
    "ambient", "diffuse", "specular", "specular_level", "glossines",  "glow",
    nullptr,   "filter",  "bump",     "reflection",     "refraction", "displacement"};

// The name of a property code, or null when it has none.
inline const char* modelPropertyName(uint32_t code) {
    return code < kPropertyCount ? kPropertyNames[code] : nullptr;
}

// Whether a stream type loads, and its layout. Returns false for bones and unknown types.
inline bool modelStreamLayout(uint32_t type, bool* perFace, int* components) {
    if (type == kStreamPositions || type == kStreamNormals || type == kStreamAttribute3) {
        *perFace = false;
        *components = 3;
        return true;
    }
    if (type >= kStreamTexCoord0 && type <= kStreamTexCoordLast) {
        *perFace = false;
        *components = 2;
        return true;
    }
    if (type == kStreamIndices) {
        *perFace = true;
        *components = 3;
        return true;
    }
    return false;
}

} // namespace QOR
