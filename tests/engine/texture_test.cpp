#include "engine/error.h"
#include "engine/texture.h"
#include "tests/support/gl_test.h"
#include "tests/support/process.h"

#include <SDL.h>
#include <SDL_image.h>
#include <algorithm>
#include <cstdio>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <string>
#include <vector>
#include <zlib.h>

using testing::EndsWith;
using testing::HasSubstr;
using testing::StartsWith;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

void putBigEndian(std::string& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(char((value >> shift) & 0xff));
}

void putChunk(std::string& out, const char* type, const std::string& data) {
    putBigEndian(out, uint32_t(data.size()));
    std::string body = std::string(type, 4) + data;
    out += body;
    putBigEndian(out, uint32_t(crc32(0, reinterpret_cast<const Bytef*>(body.data()), body.size())));
}

// A PNG of 8-bit channels: colour type 0 (grey), 2 (RGB) or 6 (RGBA); rows top first.
std::string encodePng(int width, int height, int colourType, const std::vector<uint8_t>& pixels) {
    const int channels = colourType == 0 ? 1 : colourType == 2 ? 3 : 4;
    std::string raw;
    for (int y = 0; y < height; y++) {
        raw.push_back(0); // no filter
        raw.append(reinterpret_cast<const char*>(&pixels[y * width * channels]), width * channels);
    }
    uLongf packedSize = compressBound(raw.size());
    std::string packed(packedSize, '\0');
    compress(reinterpret_cast<Bytef*>(&packed[0]), &packedSize,
             reinterpret_cast<const Bytef*>(raw.data()), raw.size());
    packed.resize(packedSize);
    std::string header;
    putBigEndian(header, width);
    putBigEndian(header, height);
    header += std::string{8, char(colourType), 0, 0, 0};
    std::string png = "\x89PNG\r\n\x1a\n";
    putChunk(png, "IHDR", header);
    putChunk(png, "IDAT", packed);
    putChunk(png, "IEND", "");
    return png;
}

// A baseline RGB JPEG of one flat colour, at best quality.
void writeJpeg(const std::string& path, int width, int height, const uint8_t rgb[3]) {
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    FILE* file = fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    jpeg_stdio_dest(&info, file);
    info.image_width = width;
    info.image_height = height;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<uint8_t> row(width * 3);
    for (int x = 0; x < width; x++)
        std::copy(rgb, rgb + 3, &row[x * 3]);
    while (info.next_scanline < info.image_height) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    fclose(file);
    jpeg_destroy_compress(&info);
}

// The texture's level 0 as RGBA bytes.
std::vector<uint8_t> textureRgba(GLuint texture, int width, int height) {
    std::vector<uint8_t> rgba(width * height * 4);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return rgba;
}

// Fills the window with the texture sampled at one texture coordinate.
Rgba sampleAt(GLuint texture, float s, float t) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    clearTo(0, 0, 0);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glColor4f(1, 1, 1, 1);
    glBegin(GL_QUADS);
    glTexCoord2f(s, t);
    glVertex2f(-1, -1);
    glVertex2f(1, -1);
    glVertex2f(1, 1);
    glVertex2f(-1, 1);
    glEnd();
    glDisable(GL_TEXTURE_2D);
    return readPixel(512, 384);
}

class Textures : public testing::Test {
  protected:
    std::string png(const std::string& name, int w, int h, int type, std::vector<uint8_t> px) {
        dir.write(name, encodePng(w, h, type, px));
        return dir.path() + "/" + name;
    }
    ScratchDir dir;
};

// Two rows: red on top, blue below.
const std::vector<uint8_t> kRedOverBlue = {255, 0, 0, 0, 0, 255};

} // namespace

TEST_F(Textures, MissingFileGivesZeroAndOneErrorLine) {
    CaptureStderr();
    GLuint texture = qorLoadTexture((dir.path() + "/missing.png").c_str(), true);
    std::string err = GetCapturedStderr();
    EXPECT_EQ(texture, 0u);
    EXPECT_THAT(err, StartsWith("QOR error: "));
    EXPECT_THAT(err, EndsWith("\n"));
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
    EXPECT_EQ(takeGlError(), GLenum(GL_NO_ERROR));
}

TEST_F(Textures, GreyPictureIsRefusedWithItsDepth) {
    std::string path = png("grey.png", 2, 2, 0, {0, 64, 128, 255});
    CaptureStderr();
    GLuint texture = qorLoadTexture(path.c_str(), true);
    EXPECT_EQ(GetCapturedStderr(), "QOR error: Unknown image format - 8 bpp (expected 24 or 32)\n");
    EXPECT_EQ(texture, 0u);
    EXPECT_STREQ(qorGetLastError(), "Unknown image format - 8 bpp (expected 24 or 32)\n");

    Image image;
    ASSERT_TRUE(qorLoadImage(path.c_str(), &image));
    EXPECT_EQ(image.bytesPerPixel, 1);
    EXPECT_EQ(image.pixels[3], 255);
    qorFreeImage(&image);

    // A 16-bit picture is refused the same way, without creating or binding a texture.
    uint8_t pixels[8] = {};
    Image deep = {2, 2, 2, pixels};
    GLint boundBefore = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &boundBefore);
    CaptureStderr();
    EXPECT_EQ(qorUploadTexture(deep, true), 0u);
    EXPECT_EQ(GetCapturedStderr(),
              "QOR error: Unknown image format - 16 bpp (expected 24 or 32)\n");
    GLint boundAfter = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &boundAfter);
    EXPECT_EQ(boundAfter, boundBefore);
}

TEST_F(Textures, AlphaIsKeptFromPngAndOneForJpeg) {
    std::string path = png("alpha.png", 1, 1, 6, {10, 20, 30, 128});
    GLuint texture = qorLoadTexture(path.c_str(), true);
    ASSERT_NE(texture, 0u);
    EXPECT_EQ(textureRgba(texture, 1, 1), (std::vector<uint8_t>{10, 20, 30, 128}));

    const uint8_t orange[3] = {250, 120, 10};
    writeJpeg(dir.path() + "/flat.jpg", 8, 8, orange);
    GLuint jpeg = qorLoadTexture((dir.path() + "/flat.jpg").c_str(), true);
    ASSERT_NE(jpeg, 0u);
    std::vector<uint8_t> rgba = textureRgba(jpeg, 8, 8);
    for (int i = 0; i < 64; i++) {
        EXPECT_NEAR(rgba[i * 4 + 0], 250, 3);
        EXPECT_NEAR(rgba[i * 4 + 1], 120, 3);
        EXPECT_NEAR(rgba[i * 4 + 2], 10, 3);
        EXPECT_EQ(rgba[i * 4 + 3], 255);
    }
}

// A picture cut short fails with its path instead of showing grey where its data is missing;
// an undecodable one gets a line naming it after the decoder's text.
TEST_F(Textures, DamagedPicturesAreRefusedNamingTheFile) {
    const uint8_t orange[3] = {250, 120, 10};
    const std::string jpeg = dir.path() + "/half.jpg";
    writeJpeg(jpeg, 64, 64, orange);
    std::string bytes = readFile(jpeg);
    dir.write("half.jpg", bytes.substr(0, bytes.size() / 2));
    CaptureStderr();
    EXPECT_EQ(qorLoadTexture(jpeg.c_str(), true), 0u);
    EXPECT_EQ(GetCapturedStderr(),
              "QOR error: Picture '" + jpeg + "' is cut short: its JPEG data has no end marker\n");

    dir.write("noise.png", "\x89PNG\r\n\x1a\nnot really a picture");
    const std::string noise = dir.path() + "/noise.png";
    CaptureStderr();
    EXPECT_EQ(qorLoadTexture(noise.c_str(), true), 0u);
    EXPECT_THAT(GetCapturedStderr(), HasSubstr("\nPicture '" + noise + "' could not be loaded\n"));
}

TEST_F(Textures, TopRowSamplesAtTZero) {
    GLuint texture = qorLoadTexture(png("rows.png", 1, 2, 2, kRedOverBlue).c_str(), false);
    ASSERT_NE(texture, 0u);
    EXPECT_EQ(sampleAt(texture, 0.5f, 0.25f), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(sampleAt(texture, 0.5f, 0.75f), (Rgba{0, 0, 255, 255}));
}

TEST_F(Textures, SmoothRepeatsAndSharpClamps) {
    std::string path = png("rows.png", 1, 2, 2, kRedOverBlue);
    GLuint smooth = qorLoadTexture(path.c_str(), true);
    GLuint sharp = qorLoadTexture(path.c_str(), false);
    // t = 1.25 is the red row's centre again when repeating, beyond the blue row when clamped.
    EXPECT_EQ(sampleAt(smooth, 0.5f, 1.25f), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(sampleAt(sharp, 0.5f, 1.25f), (Rgba{0, 0, 255, 255}));
    // Halfway between the row centres: linear blends, nearest picks one row.
    Rgba blended = sampleAt(smooth, 0.5f, 0.5f);
    EXPECT_NEAR(blended[0], 128, 2);
    EXPECT_NEAR(blended[2], 128, 2);
    Rgba picked = sampleAt(sharp, 0.5f, 0.49f);
    EXPECT_EQ(picked, (Rgba{255, 0, 0, 255}));
}

TEST_F(Textures, OddWidthRgbRowsUploadIntact) {
    // 3 pixels of 3 bytes: 9-byte rows, which a 4-byte unpack alignment would skew.
    std::vector<uint8_t> pixels;
    for (int i = 0; i < 9; i++)
        pixels.insert(pixels.end(), {uint8_t(i * 20), uint8_t(i), uint8_t(200 - i)});
    GLuint texture = qorLoadTexture(png("odd.png", 3, 3, 2, pixels).c_str(), true);
    ASSERT_NE(texture, 0u);
    std::vector<uint8_t> rgba = textureRgba(texture, 3, 3);
    for (int i = 0; i < 9; i++) {
        EXPECT_EQ(rgba[i * 4 + 0], i * 20) << i;
        EXPECT_EQ(rgba[i * 4 + 1], i) << i;
        EXPECT_EQ(rgba[i * 4 + 2], 200 - i) << i;
        EXPECT_EQ(rgba[i * 4 + 3], 255) << i;
    }
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 4);
}

TEST_F(Textures, BgrSurfacesAreConvertedToRgb) {
    // SDL writes 24-bit BMPs, which decode with blue first in memory.
    SDL_Surface* surface = SDL_CreateRGBSurface(SDL_SWSURFACE, 3, 1, 24, 0xff0000, 0xff00, 0xff, 0);
    ASSERT_NE(surface, nullptr);
    const uint32_t colours[3] = {0xff0000, 0x00ff00, 0x102030};
    for (int x = 0; x < 3; x++) {
        SDL_Rect pixel = {Sint16(x), 0, 1, 1};
        SDL_FillRect(surface, &pixel, colours[x]);
    }
    std::string path = dir.path() + "/bgr.bmp";
    ASSERT_EQ(SDL_SaveBMP(surface, path.c_str()), 0);
    SDL_FreeSurface(surface);
    GLuint texture = qorLoadTexture(path.c_str(), true);
    ASSERT_NE(texture, 0u);
    EXPECT_EQ(textureRgba(texture, 3, 1),
              (std::vector<uint8_t>{255, 0, 0, 255, 0, 255, 0, 255, 0x10, 0x20, 0x30, 255}));
}

TEST_F(Textures, SamePathTwiceGivesTwoNames) {
    std::string path = png("twice.png", 1, 1, 2, {1, 2, 3});
    GLuint first = qorLoadTexture(path.c_str(), true);
    GLuint second = qorLoadTexture(path.c_str(), true);
    EXPECT_NE(first, 0u);
    EXPECT_NE(second, 0u);
    EXPECT_NE(first, second);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(GLuint(bound), second);
}

TEST_F(Textures, SharedTexturesLoadEachFileOnce) {
    std::string path = png("shared.png", 1, 1, 2, {1, 2, 3});
    GLuint first = qorLoadSharedTexture(path.c_str(), true);
    ASSERT_NE(first, 0u);
    EXPECT_EQ(qorLoadSharedTexture(path.c_str(), true), first);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(GLuint(bound), first);
    EXPECT_NE(qorLoadSharedTexture(path.c_str(), false), first); // other sampling, other name

    // A file written anew is a new picture.
    png("shared.png", 2, 1, 2, {9, 8, 7, 6, 5, 4});
    GLuint rewritten = qorLoadSharedTexture(path.c_str(), true);
    EXPECT_NE(rewritten, first);
    EXPECT_EQ(textureRgba(rewritten, 2, 1), (std::vector<uint8_t>{9, 8, 7, 255, 6, 5, 4, 255}));
}

TEST_F(Textures, PrefetchedPicturesUploadAsTheyDecode) {
    std::string rgb = png("ahead.png", 2, 1, 2, {10, 20, 30, 40, 50, 60});
    std::string rgba = png("ahead-alpha.png", 1, 1, 6, {1, 2, 3, 4});
    std::string missing = dir.path() + "/none.png";
    qorPrefetchPictures({rgb, rgba, missing});
    EXPECT_EQ(textureRgba(qorLoadSharedTexture(rgb.c_str(), true), 2, 1),
              (std::vector<uint8_t>{10, 20, 30, 255, 40, 50, 60, 255}));
    EXPECT_EQ(textureRgba(qorLoadSharedTexture(rgba.c_str(), true), 1, 1),
              (std::vector<uint8_t>{1, 2, 3, 4}));
    // A picture the workers could not decode is loaded here, and reported as any other.
    CaptureStderr();
    EXPECT_EQ(qorLoadSharedTexture(missing.c_str(), true), 0u);
    EXPECT_THAT(GetCapturedStderr(), StartsWith("QOR error: "));
}

// The common pictures are decoded straight with libpng and libjpeg; they must give exactly what
// SDL_image gives, for direct loads and for the decoding threads' 32-bit copies. The production's
// own pictures: a subsampled JPEG, an RGBA and an RGB PNG.
TEST_F(Textures, StraightDecodingGivesTheDecodersPixels) {
    for (const char* name : {"Trainstation/07.jpg", "title.png", "textures/facade.png"}) {
        const std::string path = std::string(LIRV_SOURCE_DIR) + "/data/" + name;
        SDL_Surface* surface = IMG_Load(path.c_str());
        ASSERT_NE(surface, nullptr) << path << ": generate data/ first";
        const int bpp = surface->format->BytesPerPixel, w = surface->w, h = surface->h;
        std::vector<uint8_t> expected, widened;
        for (int y = 0; y < h; y++) {
            const uint8_t* row = static_cast<const uint8_t*>(surface->pixels) + y * surface->pitch;
            expected.insert(expected.end(), row, row + w * bpp);
            for (int x = 0; x < w; x++) {
                widened.insert(widened.end(), row + x * bpp, row + x * bpp + 3);
                widened.push_back(bpp == 4 ? row[x * bpp + 3] : 255);
            }
        }
        SDL_FreeSurface(surface);
        Image image;
        ASSERT_TRUE(qorLoadImage(path.c_str(), &image)) << path;
        EXPECT_EQ(image.bytesPerPixel, bpp) << path;
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), image.pixels)) << path;
        qorFreeImage(&image);
        qorPrefetchPictures({path});
        EXPECT_TRUE(textureRgba(qorLoadSharedTexture(path.c_str(), true), w, h) == widened) << path;
    }
}
