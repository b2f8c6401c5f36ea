// Loads arbitrary bytes as a model file the way the scenes do, through the file reader, the
// walk and the upload of every stream and texture map into a live GL context (run under an X
// display). The input's size picks how it reaches the reader: size % 3 == 0 as a plain file,
// 1 wrapped by gzip into "NAME.gz", 2 as the "NAME.gz" file itself (plain, or a damaged gzip
// stream). Every input must end in a model or in the integer exception of qorLoadError.
#include "engine/model.h"
#include "engine/window.h"

#include <SDL.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <zlib.h>

// Mesa and the X libraries keep allocations to the end of the process: leak reports here would
// be theirs. The model reader's own leaks are caught by model_fuzz, which needs no GL.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=0";
}

namespace {

const char* const kPlain = "fuzz.model";
const char* const kCompressed = "fuzz.model.gz";

bool writeFile(const char* path, const uint8_t* data, size_t size) {
    FILE* file = fopen(path, "wb");
    if (!file) return false;
    bool written = fwrite(data, 1, size, file) == size;
    return fclose(file) == 0 && written;
}

bool writeGzip(const char* path, const uint8_t* data, size_t size) {
    gzFile file = gzopen(path, "wb");
    if (!file) return false;
    bool written = size == 0 || gzwrite(file, data, unsigned(size)) == int(size);
    return gzclose(file) == Z_OK && written;
}

// Whether the ".gz" file decompresses to the reader's limit, which ends the process by design.
bool reachesSizeLimit(const char* path) {
    gzFile file = gzopen(path, "rb");
    if (!file) return false;
    static char buffer[65536];
    long total = 0;
    int got;
    while ((got = gzread(file, buffer, sizeof buffer)) > 0 && total < QOR::kMaxCompressedModelBytes)
        total += got;
    gzclose(file);
    return total >= QOR::kMaxCompressedModelBytes;
}

// A 2 x 2 picture for the texture maps of the seeds ("data/none.png", any format SDL_image
// reads).
void writePicture() {
    SDL_Surface* picture = SDL_CreateRGBSurface(SDL_SWSURFACE, 2, 2, 24, 0xff, 0xff00, 0xff0000, 0);
    SDL_FillRect(picture, nullptr, 0x336699);
    SDL_SaveBMP(picture, "data/none.png");
    SDL_FreeSurface(picture);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char scratch[] = "/tmp/model_load_fuzz.XXXXXX";
    if (!mkdtemp(scratch) || chdir(scratch) != 0 || system("mkdir -p data") != 0) abort();
    qorCreateWindow("model_load_fuzz", 64, 64, false);
    writePicture();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > INT32_MAX) return 0;
    unlink(kPlain);
    unlink(kCompressed);
    bool written = false;
    switch (size % 3) {
    case 0:
        written = writeFile(kPlain, data, size);
        break;
    case 1:
        written = writeGzip(kCompressed, data, size);
        break;
    default:
        written = writeFile(kCompressed, data, size) && !reachesSizeLimit(kCompressed);
        break;
    }
    if (!written) return 0;
    try {
        QOR::Model model(kPlain, GL_STATIC_DRAW);
        model.draw();
    } catch (int) {
    }
    while (glGetError() != GL_NO_ERROR) {
    }
    return 0;
}
