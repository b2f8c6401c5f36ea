// Picture decoding: PNG and JPG files to tightly packed R, G, B (A) bytes, with SDL_image. Touches
// no GL and no shared state, so decoding threads may call every function here.
#include "engine/picture_decode.h"

#include "engine/error.h"
#include "engine/load_stats.h"

#include <SDL.h>
#include <SDL_image.h>
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <jpeglib.h>
#include <png.h>

namespace {

// Whether the surface's pixels already lie in memory as R, G, B (and A) bytes.
bool isRgbInMemory(const SDL_PixelFormat* format) {
    const int bpp = format->BytesPerPixel;
    if (bpp != 3 && bpp != 4) return true; // other depths are copied as they are and refused
#if SDL_BYTEORDER == SDL_LIL_ENDIAN
    const Uint32 r = 0x000000ff, g = 0x0000ff00, b = 0x00ff0000, a = 0xff000000;
#else
    const Uint32 r = bpp == 4 ? 0xff000000 : 0xff0000, g = bpp == 4 ? 0x00ff0000 : 0x00ff00,
                 b = bpp == 4 ? 0x0000ff00 : 0x0000ff, a = 0x000000ff;
#endif
    return format->Rmask == r && format->Gmask == g && format->Bmask == b &&
           (bpp == 3 || format->Amask == a);
}

// Reads one pixel of 3 or 4 bytes as SDL packs it: a native-endian integer.
Uint32 readPixelValue(const Uint8* p, int bpp) {
    if (bpp == 4) {
        Uint32 value;
        memcpy(&value, p, 4);
        return value;
    }
#if SDL_BYTEORDER == SDL_LIL_ENDIAN
    return p[0] | p[1] << 8 | p[2] << 16;
#else
    return p[0] << 16 | p[1] << 8 | p[2];
#endif
}

Uint8 channel(Uint32 pixel, Uint32 mask, Uint8 shift, Uint8 loss) {
    return static_cast<Uint8>(((pixel & mask) >> shift) << loss);
}

// Copies the surface into the tightly packed buffer, row by row using the surface's pitch,
// rearranging channels into R, G, B (A) where the surface holds another order. A 32-bit
// surface without an alpha mask gets alpha 255.
void copyPixels(const SDL_Surface* surface, const Image& image) {
    const SDL_PixelFormat* format = surface->format;
    const int rowBytes = image.width * image.bytesPerPixel;
    const bool direct = isRgbInMemory(format);
    for (int y = 0; y < image.height; y++) {
        const Uint8* src = static_cast<const Uint8*>(surface->pixels) + y * surface->pitch;
        Uint8* dst = image.pixels + y * rowBytes;
        if (direct) {
            memcpy(dst, src, rowBytes);
            continue;
        }
        for (int x = 0; x < image.width; x++, src += image.bytesPerPixel) {
            Uint32 pixel = readPixelValue(src, image.bytesPerPixel);
            *dst++ = channel(pixel, format->Rmask, format->Rshift, format->Rloss);
            *dst++ = channel(pixel, format->Gmask, format->Gshift, format->Gloss);
            *dst++ = channel(pixel, format->Bmask, format->Bshift, format->Bloss);
            if (image.bytesPerPixel == 4)
                *dst++ = format->Amask
                             ? channel(pixel, format->Amask, format->Ashift, format->Aloss)
                             : 255;
        }
    }
}

// Whether the file is a JPEG (it starts with a start-of-image marker) whose data stops before
// its end-of-image marker. The decoder fills the missing part with grey without failing, so a
// picture cut in half would otherwise load. A few trailing bytes after the marker are allowed.
bool isTruncatedJpeg(const char* path) {
    FILE* file = fopen(path, "rb");
    if (!file) return false;
    unsigned char head[3] = {};
    bool jpeg =
        fread(head, 1, 3, file) == 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF;
    bool ended = false;
    unsigned char tail[32];
    if (jpeg && fseek(file, -long(sizeof tail), SEEK_END) != 0) fseek(file, 0, SEEK_SET);
    size_t got = jpeg ? fread(tail, 1, sizeof tail, file) : 0;
    for (size_t i = 0; i + 1 < got; i++)
        ended = ended || (tail[i] == 0xFF && tail[i + 1] == 0xD9);
    fclose(file);
    return jpeg && !ended;
}

// ---- straight decoding ---------------------------------------------------------------------
// The common kinds of picture are decoded with libpng and libjpeg straight into the image's
// buffer, with the settings SDL_image uses, so the pixels and what is refused are the same:
// no surface to copy out of, and for the decoding threads no second pass to add alpha. Any
// other kind, and any failure, is left to SDL_image, which reports it.

// An image buffer of width x height x bytesPerPixel bytes; false when the size is absurd or
// there is no memory.
bool allocatePixels(Image* image, int width, int height, int bytesPerPixel) {
    if (width <= 0 || height <= 0 || width > 65536 || height > 65536) return false;
    image->width = width;
    image->height = height;
    image->bytesPerPixel = bytesPerPixel;
    image->pixels = static_cast<uint8_t*>(malloc(size_t(width) * size_t(height) * bytesPerPixel));
    return image->pixels != nullptr;
}

void pngFail(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void pngQuiet(png_structp, png_const_charp) {}

// 8-bit RGB or RGBA PNGs without interlacing or a transparent colour. With rgba, RGB comes out
// with alpha 255. hasAlpha tells whether the file had an alpha channel.
bool decodePngDirect(FILE* file, Image* image, bool rgba, bool* hasAlpha) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, pngFail, pngQuiet);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        qorFreeImage(image);
        return false;
    }
    png_init_io(png, file);
    png_read_info(png, info);
    const int colourType = png_get_color_type(png, info);
    if (png_get_bit_depth(png, info) != 8 || png_get_interlace_type(png, info) != 0 ||
        (colourType != PNG_COLOR_TYPE_RGB && colourType != PNG_COLOR_TYPE_RGBA) ||
        png_get_valid(png, info, PNG_INFO_tRNS))
        png_longjmp(png, 1);
    *hasAlpha = colourType == PNG_COLOR_TYPE_RGBA;
    if (rgba && !*hasAlpha) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_read_update_info(png, info);
    const int bytesPerPixel = *hasAlpha || rgba ? 4 : 3;
    if (!allocatePixels(image, int(png_get_image_width(png, info)),
                        int(png_get_image_height(png, info)), bytesPerPixel))
        png_longjmp(png, 1);
    // Row by row: no C++ object may live across the error jump. As SDL_image, the chunks after
    // the picture data are not read.
    for (int y = 0; y < image->height; y++)
        png_read_row(png, image->pixels + size_t(y) * size_t(image->width) * bytesPerPixel,
                     nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

struct JpegFailure {
    jpeg_error_mgr manager;
    jmp_buf jump;
};

void jpegFail(j_common_ptr info) {
    longjmp(reinterpret_cast<JpegFailure*>(info->err)->jump, 1);
}

void jpegQuiet(j_common_ptr) {}

// Three-channel JPEGs, decoded to RGB, or with rgba to RGBA with alpha 255.
bool decodeJpegDirect(FILE* file, Image* image, bool rgba) {
    jpeg_decompress_struct info;
    JpegFailure failure;
    info.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = jpegFail;
    failure.manager.output_message = jpegQuiet;
    if (setjmp(failure.jump)) {
        jpeg_destroy_decompress(&info);
        qorFreeImage(image);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    if (info.num_components != 3) jpegFail(reinterpret_cast<j_common_ptr>(&info));
    info.out_color_space = rgba ? JCS_EXT_RGBA : JCS_RGB;
    info.quantize_colors = FALSE;
    jpeg_calc_output_dimensions(&info);
    const int bytesPerPixel = rgba ? 4 : 3;
    if (!allocatePixels(image, int(info.output_width), int(info.output_height), bytesPerPixel))
        jpegFail(reinterpret_cast<j_common_ptr>(&info));
    jpeg_start_decompress(&info);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row =
            image->pixels + size_t(info.output_scanline) * info.output_width * bytesPerPixel;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

// A PNG or a JPEG of a kind decoded straight; false, with no buffer, for any other kind and
// any failure.
bool decodeDirect(const char* path, Image* image, bool rgba, bool* hasAlpha) {
    FILE* file = fopen(path, "rb");
    if (!file) return false;
    unsigned char head[8] = {};
    const bool read = fread(head, 1, sizeof head, file) == sizeof head;
    rewind(file);
    *hasAlpha = false;
    bool decoded = false;
    if (read && png_sig_cmp(head, 0, sizeof head) == 0)
        decoded = decodePngDirect(file, image, rgba, hasAlpha);
    else if (read && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF)
        decoded = decodeJpegDirect(file, image, rgba);
    fclose(file);
    return decoded;
}

} // namespace

bool decodePicture(const char* path, Image* image, bool report) {
    if (isTruncatedJpeg(path)) {
        if (report) qorError("Picture '%s' is cut short: its JPEG data has no end marker\n", path);
        return false;
    }
    bool hasAlpha = false;
    if (decodeDirect(path, image, false, &hasAlpha)) return true;
    SDL_Surface* surface = IMG_Load(path);
    if (!surface) {
        if (report) {
            const char* reason = SDL_GetError();
            qorError("%s\n", reason);
            // The decoder's text does not always say which file it could not read.
            if (!strstr(reason, path)) fprintf(stderr, "Picture '%s' could not be loaded\n", path);
        }
        return false;
    }
    image->width = surface->w;
    image->height = surface->h;
    image->bytesPerPixel = surface->format->BitsPerPixel / 8;
    const size_t size = size_t(image->width) * image->height * image->bytesPerPixel;
    image->pixels = static_cast<uint8_t*>(malloc(size > 0 ? size : 1));
    if (!image->pixels) {
        SDL_FreeSurface(surface);
        if (report) qorError("Unable to allocate data memory for image '%s'\n", path);
        return false;
    }
    SDL_LockSurface(surface);
    copyPixels(surface, *image);
    SDL_UnlockSurface(surface);
    SDL_FreeSurface(surface);
    return true;
}

bool qorLoadImage(const char* path, Image* image) {
    const double cpuStart = qorThreadCpuMs();
    if (!decodePicture(path, image, true)) return false;
    qorLoadStats().picturesDecoded++;
    qorLoadStats().decodeCpuMs += qorThreadCpuMs() - cpuStart;
    return true;
}

void qorFreeImage(Image* image) {
    free(image->pixels);
    image->pixels = nullptr;
}

namespace {

// The box of a picture without alpha: all of it.
TextureAlphaBox wholePictureBox(const Image& image) {
    TextureAlphaBox box;
    box.width = image.width;
    box.height = image.height;
    box.x0 = box.y0 = 0;
    box.x1 = image.width - 1;
    box.y1 = image.height - 1;
    return box;
}

} // namespace

TextureAlphaBox findAlphaBox(const Image& image) {
    if (image.bytesPerPixel != 4) return wholePictureBox(image);
    TextureAlphaBox box;
    box.width = image.width;
    box.height = image.height;
    box.x0 = image.width;
    box.y0 = image.height;
    for (int y = 0; y < image.height; y++) {
        const uint8_t* alpha = image.pixels + size_t(y) * size_t(image.width) * 4 + 3;
        for (int x = 0; x < image.width; x++, alpha += 4) {
            if (*alpha == 0) continue;
            box.x0 = std::min(box.x0, x);
            box.x1 = std::max(box.x1, x);
            box.y0 = std::min(box.y0, y);
            box.y1 = std::max(box.y1, y);
        }
    }
    return box;
}

namespace {

// RGB to RGBA with alpha 255; other depths stay as they are (the upload refuses them). False,
// with the pixels freed, when there is no memory for the wider copy.
bool widenToRgba(Image& image) {
    if (image.bytesPerPixel != 3) return true;
    size_t count = size_t(image.width) * size_t(image.height);
    uint8_t* wide = static_cast<uint8_t*>(malloc(count > 0 ? count * 4 : 1));
    if (!wide) {
        qorFreeImage(&image);
        return false;
    }
    for (size_t i = 0; i < count; i++) {
        memcpy(wide + i * 4, image.pixels + i * 3, 3);
        wide[i * 4 + 3] = 255;
    }
    qorFreeImage(&image);
    image.pixels = wide;
    image.bytesPerPixel = 4;
    return true;
}

} // namespace

bool decodePictureAsRgba(const char* path, Image* image, TextureAlphaBox* alphaBox) {
    if (isTruncatedJpeg(path)) return false;
    bool hasAlpha = false;
    if (decodeDirect(path, image, true, &hasAlpha)) {
        *alphaBox = hasAlpha ? findAlphaBox(*image) : wholePictureBox(*image);
        return true;
    }
    if (!decodePicture(path, image, false)) return false;
    *alphaBox = findAlphaBox(*image); // before widening: no scan for 24 bits
    return widenToRgba(*image);
}
