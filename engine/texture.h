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
// For callers that never delete or change the texture. Failures are not remembered. A picture
// given to qorPrefetchPictures is taken from the decoding threads (waiting for it if need be)
// and only uploaded here.
GLuint qorLoadSharedTexture(const char* path, bool smooth);

// Starts decoding the pictures on worker threads (one per core, at most 4), in the order given,
// so that qorLoadSharedTexture finds them decoded and only uploads them, on the GL thread. A
// picture that cannot be decoded is left to that load, which reports it. Pictures queued before
// and not loaded yet are not queued again. Needs no GL context, so it may run before the window
// opens.
void qorPrefetchPictures(const std::vector<std::string>& paths);

// The CPU time, in ms, that the picture decoding threads have used so far, for benchmarks that
// tell it apart from the GL thread's.
double qorDecodingThreadsCpuMs();

// The smallest box of texels that are not fully transparent, recorded when a 32-bit picture is
// uploaded: columns x0 to x1 and rows y0 to y1 (row 0 the top one), inclusive; empty (x1 < x0)
// when every texel is transparent. False for names not made by this loader.
struct TextureAlphaBox {
    int width = 0, height = 0;
    int x0 = 0, y0 = 0, x1 = -1, y1 = -1;
};
bool qorGetTextureAlphaBox(GLuint name, TextureAlphaBox* box);
