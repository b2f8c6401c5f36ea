// Writes the model fuzz target's seed corpus with the studio's model writer.
#include "engine/model_format.h"
#include "fuzz/seed_writer.h"
#include "tools/formats/model_writer.h"

using namespace formats;

namespace {

ModelMeshDesc triangle(const char* name, uint32_t material) {
    ModelMeshDesc mesh;
    mesh.name = name;
    mesh.vertexCount = 3;
    mesh.faceCount = 1;
    mesh.materialIndex = material;
    mesh.streams = {ModelStreamDesc::floats(QOR::kStreamPositions, {0, 0, 0, 1, 0, 0, 0, 1, 0}),
                    ModelStreamDesc::indices({0, 1, 2})};
    return mesh;
}

ModelDesc smallest() {
    ModelDesc model;
    model.materials.resize(1);
    model.meshes = {triangle("triangle", 0)};
    return model;
}

ModelDesc everyStream() {
    ModelDesc model = smallest();
    model.materials[0].maps = {{"data/none.png", 1, QOR::kPropertyDiffuse},
                               {"data/none.jpg", 0.5f, QOR::kPropertyReflection}};
    model.materials.push_back(model.materials[0]);
    ModelMeshDesc& mesh = model.meshes[0];
    mesh.streams.push_back(
        ModelStreamDesc::floats(QOR::kStreamNormals, {0, 0, 1, 0, 0, 1, 0, 0, 1}));
    mesh.streams.push_back(
        ModelStreamDesc::floats(QOR::kStreamAttribute3, {1, 2, 3, 4, 5, 6, 7, 8, 9}));
    mesh.streams.push_back(ModelStreamDesc::floats(QOR::kStreamTexCoord0, {0, 0, 1, 0, 0, 1}));
    mesh.streams.push_back(ModelStreamDesc::floats(QOR::kStreamTexCoordLast, {0, 0, 1, 0, 0, 1}));
    model.meshes.push_back(triangle("second", 1));
    model.meshes.push_back(triangle("shared", 1));
    return model;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s CORPUS_DIR\n", argv[0]);
        return 2;
    }
    ModelDesc hotspots = smallest();
    hotspots.hotspotCount = 1;
    ModelDesc empty;
    bool ok = writeSeed(argv[1], "smallest", encodeModel(smallest())) &&
              writeSeed(argv[1], "every-stream", encodeModel(everyStream())) &&
              writeSeed(argv[1], "hotspots", encodeModel(hotspots)) &&
              writeSeed(argv[1], "empty", encodeModel(empty));
    return ok ? 0 : 1;
}
