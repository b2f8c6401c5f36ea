// The background picture queue inside the engine: pictures named ahead of their loads are decoded
// on worker threads, and the texture loader takes them from here on the GL thread.
#pragma once

#include "engine/texture.h"

// Takes the newest decoded picture queued for the path, waiting for its worker or decoding it
// on this thread when no worker has started it, and counts its decoding in the load statistics.
// False, with nothing taken, when none is queued or it did not decode: the caller then decodes
// the file itself, which reports the problem. The image and its alpha box become the caller's.
bool takeQueuedPicture(const char* path, Image& image, TextureAlphaBox& alphaBox);
