// Picture decoding inside the engine: what the texture loader and the decoding threads share.
// Nothing here touches GL or shared state, so decoding threads may call every function.
#pragma once

#include "engine/texture.h"

// Decodes a PNG or JPG file into tightly packed R, G, B (A) bytes, top row first. With report,
// a failure goes through qorError and names the file; no buffer is left behind then.
bool decodePicture(const char* path, Image* image, bool report);

// As decodePicture without reporting, but 24-bit pictures come out as 32-bit ones with alpha 255,
// so that the upload copies bytes instead of converting them; alphaBox is the picture's box of
// texels that are not fully transparent.
bool decodePictureAsRgba(const char* path, Image* image, TextureAlphaBox* alphaBox);

// The smallest box of texels that are not fully transparent (the whole picture for 24 bits).
TextureAlphaBox findAlphaBox(const Image& image);
