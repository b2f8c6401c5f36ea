// Pictures to OpenGL textures. A texture is its GL name; 0 means none. The caller owns the
// name; nothing in the engine deletes a texture made here. Shared textures belong to every
// caller that loaded them: none may delete or change them.
#pragma once

#include "engine/gl.h"

#include <cstdint>
#include <string>
#include <vector>

// A decoded picture between decoding and upload: rows tightly packed, top row first, bytes in
// memory order R, G, B (and A). The pixel buffer belongs to the Image; free it with
// qorFreeImage (qorLoadTexture does so itself).
struct Image {
    int width = 0;
    int height = 0;
    int bytesPerPixel = 0;
    uint8_t* pixels = nullptr;
};

// Decodes a PNG or JPG file into image. Returns false after qorError when the file cannot be
// decoded or the buffer cannot be had; no buffer is left behind then.
bool qorLoadImage(const char* path, Image* image);

// Releases the image's pixel buffer.
void qorFreeImage(Image* image);

// Uploads a 24- or 32-bit image as a GL_RGBA texture (level 0 only). smooth selects repeating,
// linear sampling; otherwise clamped, nearest. Returns the name, bound to GL_TEXTURE_2D of the
// active unit with GL_TEXTURE_2D disabled, or 0 after qorError for any other depth.
GLuint qorUploadTexture(const Image& image, bool smooth);

// qorLoadImage + qorUploadTexture + freeing the pixels. Returns 0 after qorError on failure.
GLuint qorLoadTexture(const char* path, bool smooth);

// As qorLoadTexture, but a file loaded before with the same smooth (the same file: path,
// inode, size and modification time) gives the name it got then, without decoding it again.
// For callers that never delete or change the texture. Failures are not remembered.
// A picture given to qorDeferPictures may come back pending: a texture with the picture's
// sampling and format but only a stand-in image of a few texels (powers of two on the sides
// where the picture has them), whose picture arrives later (qorCompleteTextures). Drawing with
// it before then shows the stand-in's undefined texels.
GLuint qorLoadSharedTexture(const char* path, bool smooth);

// Starts decoding the pictures on worker threads (one per core, at most 4), so that
// qorLoadSharedTexture finds them decoded and only uploads them, on the GL thread. A picture
// that cannot be decoded is left to that load, which reports it.
void qorPrefetchPictures(const std::vector<std::string>& paths);

// Lets the pictures' decoding wait: qorLoadSharedTexture then gives such a picture (an 8-bit RGB
// or RGBA PNG or a three-channel JPEG with a readable header) a pending texture at once, and
// nothing is decoded until qorDecodePictures or qorCompleteTextures asks for it.
// Pictures of any other kind are decoded and reported by the load as before.
void qorDeferPictures(const std::vector<std::string>& paths);

// Hands the pictures of the pending textures among names to the decoding threads, in that
// order after those handed to them before. With background, the threads decode them at a
// lower priority than the frames' (and stay at it), in the time the frames leave over.
void qorDecodePictures(const std::vector<GLuint>& names, bool background);

// Gives the pending textures among names their pixels, on the GL thread, leaving the texture
// binding as it was. With wait, each waits for its picture (decoding it on this thread when no
// worker has started it); without, those still decoding are skipped. uploadsLeft, when given,
// caps the uploads and is lowered by each. Returns false after the decoder's message through
// qorError, as qorLoadTexture reports it, when a picture cannot be decoded; that texture then
// has no pixels and samples as no texture.
bool qorCompleteTextures(const std::vector<GLuint>& names, bool wait, int* uploadsLeft = nullptr);

// The CPU time, in ms, that the picture decoding threads have used so far: what decoding on
// them costs while frames are drawn, for benchmarks that keep it apart from the frames' own.
double qorDecodingThreadsCpuMs();

// Whether the texture still waits for its pixels.
bool qorIsTexturePending(GLuint name);

// The names qorLoadSharedTexture returned since the last call, in order (repeats included), so
// that a loader can tell which textures each of its steps asked for.
std::vector<GLuint> qorTakeLoadedTextures();

// The smallest box of texels that are not fully transparent, recorded when a 32-bit picture is
// uploaded: columns x0 to x1 and rows y0 to y1 (row 0 the top one), inclusive; empty (x1 < x0)
// when every texel is transparent. False for names not made by this loader. A pending texture
// is completed first (qorCompleteTextures), so the box is always the picture's.
struct TextureAlphaBox {
    int width = 0, height = 0;
    int x0 = 0, y0 = 0, x1 = -1, y1 = -1;
};
bool qorGetTextureAlphaBox(GLuint name, TextureAlphaBox* box);
