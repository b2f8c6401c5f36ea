#include "tools/formats/model_writer.h"

#include "tools/formats/file_writer.h"

#include "engine/model_format.h"

#include <cerrno>
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <zlib.h>

namespace formats {

namespace {

void putU32(std::string& out, uint32_t value) {
    for (int byte = 0; byte < 4; byte++)
        out.push_back(static_cast<char>((value >> (8 * byte)) & 0xff));
}

void putFloat(std::string& out, float value) {
    uint32_t bits;
    memcpy(&bits, &value, sizeof bits);
    putU32(out, bits);
}

void putString(std::string& out, const std::string& text) {
    std::string field(QOR::kModelStringSize, '\0');
    memcpy(&field[0], text.data(), std::min<size_t>(text.size(), field.size()));
    out += field;
}

void putMaterial(std::string& out, const ModelMaterialDesc& material) {
    putU32(out, 0); // reserved
    for (float c : material.diffuse)
        putFloat(out, c);
    for (float c : material.specular)
        putFloat(out, c);
    putFloat(out, material.glossiness);
    putU32(out, static_cast<uint32_t>(material.maps.size()));
    for (const ModelMapDesc& map : material.maps) {
        putString(out, map.imagePath);
        putFloat(out, map.amount);
        putU32(out, map.property);
    }
}

void putMesh(std::string& out, const ModelMeshDesc& mesh) {
    putU32(out, 0); // reserved
    putString(out, mesh.name);
    putU32(out, mesh.vertexCount);
    putU32(out, mesh.faceCount);
    putU32(out, mesh.materialIndex);
    for (float c : mesh.position)
        putFloat(out, c);
    putU32(out, static_cast<uint32_t>(mesh.streams.size()));
    for (const ModelStreamDesc& stream : mesh.streams) {
        putU32(out, stream.type);
        for (uint32_t word : stream.words)
            putU32(out, word);
    }
}

bool writeGzip(const std::string& path, const std::string& bytes, std::string* error) {
    TemporaryFile out(path);
    gzFile file = gzopen(out.path(), "wb9");
    if (!file) {
        *error = "cannot create '" + path + "': " + strerror(errno);
        return false;
    }
    bool written = true;
    // gzwrite takes an unsigned count; write in pieces so any size fits.
    for (size_t done = 0; done < bytes.size() && written;) {
        unsigned piece = static_cast<unsigned>(std::min<size_t>(bytes.size() - done, 1u << 30));
        written = gzwrite(file, bytes.data() + done, piece) == static_cast<int>(piece);
        done += piece;
    }
    int reason = errno;
    if (gzclose(file) != Z_OK && written) {
        written = false;
        reason = errno;
    }
    if (!written) *error = "cannot write compressed '" + path + "': " + strerror(reason);
    return written && out.commit(error);
}

} // namespace

ModelStreamDesc ModelStreamDesc::floats(uint32_t type, const std::vector<float>& values) {
    ModelStreamDesc stream;
    stream.type = type;
    stream.words.resize(values.size());
    if (!values.empty()) memcpy(stream.words.data(), values.data(), values.size() * 4);
    return stream;
}

ModelStreamDesc ModelStreamDesc::indices(const std::vector<uint32_t>& corners) {
    ModelStreamDesc stream;
    stream.type = QOR::kStreamIndices;
    stream.words = corners;
    return stream;
}

std::string encodeModel(const ModelDesc& model) {
    std::string out(QOR::kModelMagic, QOR::kModelMagicSize);
    putU32(out, static_cast<uint32_t>(model.materials.size()));
    putU32(out, static_cast<uint32_t>(model.meshes.size()));
    putU32(out, model.hotspotCount);
    for (const ModelMaterialDesc& material : model.materials)
        putMaterial(out, material);
    for (const ModelMeshDesc& mesh : model.meshes)
        putMesh(out, mesh);
    return out;
}

bool writeModelBytes(const std::string& path, const std::string& bytes, bool gzip,
                     std::string* error) {
    return gzip ? writeGzip(path, bytes, error) : writeBytesFile(path, bytes, error);
}

bool writeModelFile(const std::string& path, const ModelDesc& model, bool gzip,
                    std::string* error) {
    return writeModelBytes(path, encodeModel(model), gzip, error);
}

} // namespace formats
