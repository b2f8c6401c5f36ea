#include "tools/pictures/picture_io.h"

#include "tools/formats/file_writer.h"

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include <jpeglib.h>
#include <libdeflate.h>
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

// The running program's name, for messages: pictures are written by the studio and the capture.
const char* programName() {
    return program_invocation_short_name;
}

// Puts a completely written picture in its place; prints the problem when it cannot.
bool commitPicture(formats::TemporaryFile& out) {
    std::string error;
    if (out.commit(&error)) return true;
    fprintf(stderr, "%s: %s\n", programName(), error.c_str());
    return false;
}

} // namespace

bool writePng(const std::string& path, const Picture& picture) {
    if (!validLayout(picture, picture.channels == 3 ? 3 : 4)) {
        fprintf(stderr, "%s: %s: picture is not 8-bit RGB or RGBA with matching pixels\n",
                programName(), path.c_str());
        return false;
    }
    png_image image;
    memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(picture.width);
    image.height = static_cast<png_uint_32>(picture.height);
    image.format = picture.channels == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    formats::TemporaryFile out(path);
    if (!png_image_write_to_file(&image, out.path(), 0, picture.pixels.data(), 0, nullptr)) {
        fprintf(stderr, "%s: cannot write %s: %s (%s)\n", programName(), path.c_str(),
                image.message, strerror(errno));
        png_image_free(&image);
        return false;
    }
    return commitPicture(out);
}

namespace {

// Appends a PNG chunk: length, type, data and the CRC of type and data.
void appendChunk(std::vector<uint8_t>& out, const char type[4], const uint8_t* data, size_t size) {
    const uint8_t length[4] = {uint8_t(size >> 24), uint8_t(size >> 16), uint8_t(size >> 8),
                               uint8_t(size)};
    out.insert(out.end(), length, length + 4);
    size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data, data + size);
    uint32_t crc = libdeflate_crc32(0, &out[typeAt], 4 + size);
    const uint8_t crcBytes[4] = {uint8_t(crc >> 24), uint8_t(crc >> 16), uint8_t(crc >> 8),
                                 uint8_t(crc)};
    out.insert(out.end(), crcBytes, crcBytes + 4);
}

// The whole PNG file of the picture, its rows filtered with "up" (each byte less the one above,
// which leaves little but the changes in a rendered frame) and compressed in one call at the
// fastest level: a few times quicker than zlib's streaming deflate for the same size. Empty when
// no compressor can be had.
std::vector<uint8_t> encodeFastPng(const Picture& picture) {
    static thread_local std::unique_ptr<libdeflate_compressor, void (*)(libdeflate_compressor*)>
        compressor(libdeflate_alloc_compressor(1), libdeflate_free_compressor);
    if (!compressor) return {};
    const size_t rowBytes = size_t(picture.width) * size_t(picture.channels);
    std::vector<uint8_t> filtered((rowBytes + 1) * size_t(picture.height));
    for (int y = 0; y < picture.height; y++) {
        uint8_t* line = &filtered[(rowBytes + 1) * size_t(y)];
        const uint8_t* row = &picture.pixels[rowBytes * size_t(y)];
        line[0] = y == 0 ? 0 : 2; // none for the top row, "up" below it
        if (y == 0) {
            memcpy(line + 1, row, rowBytes);
        } else {
            const uint8_t* above = row - rowBytes;
            for (size_t x = 0; x < rowBytes; x++)
                line[1 + x] = uint8_t(row[x] - above[x]);
        }
    }
    std::vector<uint8_t> compressed(
        libdeflate_zlib_compress_bound(compressor.get(), filtered.size()));
    size_t compressedSize = libdeflate_zlib_compress(
        compressor.get(), filtered.data(), filtered.size(), compressed.data(), compressed.size());
    if (compressedSize == 0) return {};

    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    std::vector<uint8_t> file(kSignature, kSignature + 8);
    file.reserve(compressedSize + 64);
    const uint32_t width = uint32_t(picture.width), height = uint32_t(picture.height);
    const uint8_t header[13] = {uint8_t(width >> 24),
                                uint8_t(width >> 16),
                                uint8_t(width >> 8),
                                uint8_t(width),
                                uint8_t(height >> 24),
                                uint8_t(height >> 16),
                                uint8_t(height >> 8),
                                uint8_t(height),
                                8,                                      // bits per channel
                                uint8_t(picture.channels == 4 ? 6 : 2), // RGBA or RGB
                                0,
                                0,
                                0}; // deflate, adaptive filters, no interlace
    appendChunk(file, "IHDR", header, sizeof header);
    appendChunk(file, "IDAT", compressed.data(), compressedSize);
    appendChunk(file, "IEND", nullptr, 0);
    return file;
}

} // namespace

bool writeFastPng(const std::string& path, const Picture& picture) {
    if (!validLayout(picture, picture.channels == 3 ? 3 : 4)) {
        fprintf(stderr, "%s: %s: picture is not 8-bit RGB or RGBA with matching pixels\n",
                programName(), path.c_str());
        return false;
    }
    std::vector<uint8_t> bytes = encodeFastPng(picture);
    if (bytes.empty()) {
        fprintf(stderr, "%s: cannot compress %s\n", programName(), path.c_str());
        return false;
    }
    std::string error;
    if (formats::writeBytesFile(path, bytes.data(), bytes.size(), &error)) return true;
    fprintf(stderr, "%s: %s\n", programName(), error.c_str());
    return false;
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
        fprintf(stderr, "%s: %s: a JPG needs an 8-bit RGB picture\n", programName(), path.c_str());
        return false;
    }
    formats::TemporaryFile out(path);
    FILE* file = fopen(out.path(), "wb");
    if (!file) {
        fprintf(stderr, "%s: cannot write %s: %s\n", programName(), path.c_str(), strerror(errno));
        return false;
    }
    jpeg_compress_struct info;
    JpegErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = jpegErrorExit;
    errors.base.emit_message = jpegSilence;
    if (setjmp(errors.jump)) {
        fprintf(stderr, "%s: cannot write %s: %s (%s)\n", programName(), path.c_str(),
                errors.message, strerror(errno));
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
        fprintf(stderr, "%s: cannot write %s: %s\n", programName(), path.c_str(), strerror(errno));
        return false;
    }
    return commitPicture(out);
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
