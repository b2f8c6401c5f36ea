#include "tools/pictures/picture_io.h"

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>
#include <png.h>

namespace {

bool validLayout(const Picture& picture, int channels) {
    return picture.width > 0 && picture.height > 0 && picture.channels == channels &&
           picture.pixels.size() ==
               static_cast<size_t>(picture.width) * picture.height * picture.channels;
}

// libjpeg reports errors through error_exit, which must not return: jump back to the caller.
struct JpegErrorManager {
    jpeg_error_mgr base;
    jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void jpegErrorExit(j_common_ptr info) {
    JpegErrorManager* manager = reinterpret_cast<JpegErrorManager*>(info->err);
    (*info->err->format_message)(info, manager->message);
    longjmp(manager->jump, 1);
}

void jpegSilence(j_common_ptr, int) {}

} // namespace

bool writePng(const std::string& path, const Picture& picture) {
    if (!validLayout(picture, picture.channels == 3 ? 3 : 4)) {
        fprintf(stderr, "studio: %s: picture is not 8-bit RGB or RGBA with matching pixels\n",
                path.c_str());
        return false;
    }
    png_image image;
    memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(picture.width);
    image.height = static_cast<png_uint_32>(picture.height);
    image.format = picture.channels == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    if (!png_image_write_to_file(&image, path.c_str(), 0, picture.pixels.data(), 0, nullptr)) {
        fprintf(stderr, "studio: cannot write %s: %s\n", path.c_str(), image.message);
        png_image_free(&image);
        return false;
    }
    return true;
}

namespace {

// Writes the rows with libpng's full interface; false with nothing to print on any failure.
bool writeFastRows(FILE* file, const Picture& picture) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, png_uint_32(picture.width), png_uint_32(picture.height), 8,
                 picture.channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // Rendered frames compress well enough with the fastest level and the "up" filter, at a
    // fraction of the default's time.
    png_set_compression_level(png, 1);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
    png_write_info(png, info);
    size_t rowBytes = size_t(picture.width) * size_t(picture.channels);
    for (int y = 0; y < picture.height; y++)
        png_write_row(png, &picture.pixels[size_t(y) * rowBytes]);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

bool writeFastPng(const std::string& path, const Picture& picture) {
    if (!validLayout(picture, picture.channels == 3 ? 3 : 4)) {
        fprintf(stderr, "studio: %s: picture is not 8-bit RGB or RGBA with matching pixels\n",
                path.c_str());
        return false;
    }
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) {
        fprintf(stderr, "studio: cannot write %s: %s\n", path.c_str(), strerror(errno));
        return false;
    }
    bool written = writeFastRows(file, picture);
    if (fclose(file) != 0) written = false;
    if (!written) {
        fprintf(stderr, "studio: cannot write %s\n", path.c_str());
        remove(path.c_str());
    }
    return written;
}

bool readPng(const std::string& path, Picture& picture, std::string& error) {
    png_image image;
    memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        error = path + ": " + image.message;
        return false;
    }
    bool alpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    image.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
    picture.channels = alpha ? 4 : 3;
    picture.pixels.assign(PNG_IMAGE_SIZE(image), 0);
    if (!png_image_finish_read(&image, nullptr, picture.pixels.data(), 0, nullptr)) {
        error = path + ": " + image.message;
        png_image_free(&image);
        return false;
    }
    return true;
}

bool writeJpg(const std::string& path, const Picture& picture, int quality) {
    if (!validLayout(picture, 3)) {
        fprintf(stderr, "studio: %s: a JPG needs an 8-bit RGB picture\n", path.c_str());
        return false;
    }
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) {
        fprintf(stderr, "studio: cannot write %s: %s\n", path.c_str(), strerror(errno));
        return false;
    }
    jpeg_compress_struct info;
    JpegErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = jpegErrorExit;
    errors.base.emit_message = jpegSilence;
    if (setjmp(errors.jump)) {
        fprintf(stderr, "studio: cannot write %s: %s\n", path.c_str(), errors.message);
        jpeg_destroy_compress(&info);
        fclose(file);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(picture.width);
    info.image_height = static_cast<JDIMENSION>(picture.height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    info.optimize_coding = TRUE;
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(picture.pixel(0, static_cast<int>(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    if (fclose(file) != 0) {
        fprintf(stderr, "studio: cannot write %s: %s\n", path.c_str(), strerror(errno));
        return false;
    }
    return true;
}

bool readJpg(const std::string& path, Picture& picture, std::string& error) {
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) {
        error = path + ": " + strerror(errno);
        return false;
    }
    jpeg_decompress_struct info;
    JpegErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = jpegErrorExit;
    errors.base.emit_message = jpegSilence;
    if (setjmp(errors.jump)) {
        error = path + ": " + errors.message;
        jpeg_destroy_decompress(&info);
        fclose(file);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    picture.width = static_cast<int>(info.output_width);
    picture.height = static_cast<int>(info.output_height);
    picture.channels = 3;
    picture.pixels.assign(static_cast<size_t>(picture.width) * picture.height * 3, 0);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row =
            &picture.pixels[static_cast<size_t>(info.output_scanline) * picture.width * 3];
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    fclose(file);
    return true;
}
