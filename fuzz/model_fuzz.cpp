// Walks arbitrary bytes as a model file without touching GL: every input must end in a model
// or in the integer exception of qorLoadError, with no crash, sanitizer report or leak.
#include "engine/model.h"
#include "engine/model_format.h"

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > INT32_MAX) return 0;
    try {
        QOR::Model model(data, static_cast<int32_t>(size), GL_STATIC_DRAW, false);
        for (const auto& mesh : model.meshes)
            mesh->getStream(QOR::kStreamIndices);
    } catch (int) {
    }
    return 0;
}
