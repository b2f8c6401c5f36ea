// Model loading speed: a model of about 2.3 MB of streams read from a plain file and from its
// gzip copy (reading + parsing, without the GL upload), beside zlib alone inflating the same
// gzip file. All three count the decompressed model bytes, so their MB/s compare directly.
#include "engine/model.h"
#include "engine/model_format.h"
#include "tools/formats/model_writer.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>
#include <zlib.h>

namespace {

constexpr int kGridSide = 200; // 40,000 vertices, 79,202 triangles

// A wavy grid with positions, normals, texture coordinates and indices.
formats::ModelDesc gridModel() {
    formats::ModelMeshDesc mesh;
    mesh.name = "grid";
    std::vector<float> positions, normals, coords;
    for (int y = 0; y < kGridSide; y++) {
        for (int x = 0; x < kGridSide; x++) {
            float h = 0.1f * std::sin(x * 0.3f) * std::cos(y * 0.2f);
            positions.insert(positions.end(), {float(x), h, float(y)});
            normals.insert(normals.end(), {0, 1, 0});
            coords.insert(coords.end(), {x / float(kGridSide), y / float(kGridSide)});
        }
    }
    std::vector<uint32_t> corners;
    for (uint32_t y = 0; y + 1 < kGridSide; y++) {
        for (uint32_t x = 0; x + 1 < kGridSide; x++) {
            uint32_t i = y * kGridSide + x;
            corners.insert(corners.end(),
                           {i, i + 1, i + kGridSide, i + 1, i + kGridSide + 1, i + kGridSide});
        }
    }
    mesh.vertexCount = kGridSide * kGridSide;
    mesh.faceCount = uint32_t(corners.size() / 3);
    mesh.streams = {formats::ModelStreamDesc::floats(QOR::kStreamPositions, positions),
                    formats::ModelStreamDesc::floats(QOR::kStreamNormals, normals),
                    formats::ModelStreamDesc::floats(QOR::kStreamTexCoord0, coords),
                    formats::ModelStreamDesc::indices(corners)};
    formats::ModelDesc model;
    model.materials.resize(1);
    model.meshes = {mesh};
    return model;
}

struct Files {
    std::string dir, plain, compressedBase, compressed;
    size_t modelBytes = 0;
    Files() {
        char pattern[] = "/tmp/lirv-model-bench-XXXXXX";
        dir = mkdtemp(pattern);
        plain = dir + "/plain.model";
        compressedBase = dir + "/packed.model";
        compressed = compressedBase + ".gz";
        const std::string bytes = formats::encodeModel(gridModel());
        modelBytes = bytes.size();
        std::string error;
        if (!formats::writeModelBytes(plain, bytes, false, &error) ||
            !formats::writeModelBytes(compressed, bytes, true, &error)) {
            fprintf(stderr, "%s\n", error.c_str());
            exit(1);
        }
    }
    ~Files() {
        remove(plain.c_str());
        remove(compressed.c_str());
        rmdir(dir.c_str());
    }
};

Files& files() {
    static Files instance;
    return instance;
}

void parse(const std::vector<uint8_t>& bytes) {
    QOR::Model model(bytes.data(), int32_t(bytes.size()), GL_STATIC_DRAW, false);
    benchmark::DoNotOptimize(model.meshes.data());
}

void BM_LoadPlainModel(benchmark::State& state) {
    for (auto _ : state)
        parse(QOR::qorReadModelFile(files().plain.c_str()));
    state.SetBytesProcessed(int64_t(state.iterations()) * files().modelBytes);
}

void BM_LoadGzipModel(benchmark::State& state) {
    for (auto _ : state)
        parse(QOR::qorReadModelFile(files().compressedBase.c_str()));
    state.SetBytesProcessed(int64_t(state.iterations()) * files().modelBytes);
}

void BM_InflateOnly(benchmark::State& state) {
    std::vector<uint8_t> buffer(QOR::kMaxCompressedModelBytes);
    for (auto _ : state) {
        gzFile file = gzopen(files().compressed.c_str(), "rb");
        int size = gzread(file, buffer.data(), unsigned(buffer.size()));
        gzclose(file);
        benchmark::DoNotOptimize(size);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * files().modelBytes);
}

} // namespace

BENCHMARK(BM_LoadPlainModel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadGzipModel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InflateOnly)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
