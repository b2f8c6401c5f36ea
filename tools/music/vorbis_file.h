// Ogg Vorbis files: the encoder that writes the track and the decoder the report reads it with.
#pragma once

#include "tools/music/mixer.h"

#include <cstdint>
#include <string>

namespace music {

// The Ogg stream serial number of every file we write, fixed so that two encodes of the same
// samples give the same bytes.
constexpr int kOggSerial = 0x6c697276;
constexpr float kVorbisQuality = 0.5f; // libvorbis VBR quality, -0.1 to 1

// Encodes float stereo samples (clamped to [-1, 1]) as Ogg Vorbis with the given title tag.
// Returns false and sets 'error' to a message naming the file on failure.
bool encodeOggVorbis(const StereoBuffer& samples, const std::string& path, const char* title,
                     std::string& error);

// Decodes a stereo or mono Ogg Vorbis file into 'samples' (mono becomes two equal channels)
// at the file's own rate. Returns false and sets 'error' to a message naming the file.
bool decodeOggVorbis(const std::string& path, StereoBuffer& samples, std::string& error);

} // namespace music
