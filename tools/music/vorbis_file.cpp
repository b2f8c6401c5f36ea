#include "tools/music/vorbis_file.h"

#include "tools/formats/file_writer.h"

#include <vorbis/codec.h>
#include <vorbis/vorbisenc.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace music {

namespace {

constexpr int kEncodeBlockFrames = 1024;

struct FileCloser {
    void operator()(FILE* file) const { fclose(file); }
};
using File = std::unique_ptr<FILE, FileCloser>;

// The libvorbis and libogg encoder state, released together.
struct Encoder {
    vorbis_info info;
    vorbis_comment comment;
    vorbis_dsp_state dsp;
    vorbis_block block;
    ogg_stream_state stream;
    bool analysing = false;
    Encoder() {
        vorbis_info_init(&info);
        vorbis_comment_init(&comment);
    }
    ~Encoder() {
        if (analysing) {
            ogg_stream_clear(&stream);
            vorbis_block_clear(&block);
            vorbis_dsp_clear(&dsp);
        }
        vorbis_comment_clear(&comment);
        vorbis_info_clear(&info);
    }
};

bool writePage(const ogg_page& page, FILE* file) {
    return fwrite(page.header, 1, size_t(page.header_len), file) == size_t(page.header_len) &&
           fwrite(page.body, 1, size_t(page.body_len), file) == size_t(page.body_len);
}

// Moves every finished packet into the stream and writes every full page.
bool drainEncoder(Encoder& encoder, FILE* file) {
    ogg_packet packet;
    ogg_page page;
    while (vorbis_analysis_blockout(&encoder.dsp, &encoder.block) == 1) {
        vorbis_analysis(&encoder.block, nullptr);
        vorbis_bitrate_addblock(&encoder.block);
        while (vorbis_bitrate_flushpacket(&encoder.dsp, &packet)) {
            ogg_stream_packetin(&encoder.stream, &packet);
            while (ogg_stream_pageout(&encoder.stream, &page))
                if (!writePage(page, file)) return false;
        }
    }
    return true;
}

bool writeHeaders(Encoder& encoder, FILE* file) {
    ogg_packet identification, comments, codebooks;
    vorbis_analysis_headerout(&encoder.dsp, &encoder.comment, &identification, &comments,
                              &codebooks);
    ogg_stream_packetin(&encoder.stream, &identification);
    ogg_stream_packetin(&encoder.stream, &comments);
    ogg_stream_packetin(&encoder.stream, &codebooks);
    ogg_page page;
    while (ogg_stream_flush(&encoder.stream, &page))
        if (!writePage(page, file)) return false;
    return true;
}

bool writeSamples(Encoder& encoder, const StereoBuffer& samples, FILE* file) {
    size_t frames = samples.frames();
    for (size_t first = 0; first < frames; first += kEncodeBlockFrames) {
        int count = int(std::min<size_t>(kEncodeBlockFrames, frames - first));
        float** channels = vorbis_analysis_buffer(&encoder.dsp, count);
        for (int i = 0; i < count; ++i) {
            channels[0][i] = std::clamp(samples.left[first + size_t(i)], -1.0f, 1.0f);
            channels[1][i] = std::clamp(samples.right[first + size_t(i)], -1.0f, 1.0f);
        }
        vorbis_analysis_wrote(&encoder.dsp, count);
        if (!drainEncoder(encoder, file)) return false;
    }
    vorbis_analysis_wrote(&encoder.dsp, 0);
    return drainEncoder(encoder, file);
}

const char* vorbisFileError(int code) {
    switch (code) {
    case OV_EREAD:
        return "read error";
    case OV_ENOTVORBIS:
        return "not a Vorbis stream";
    case OV_EVERSION:
        return "unsupported Vorbis version";
    case OV_EBADHEADER:
        return "bad Vorbis header";
    case OV_EFAULT:
        return "decoder fault";
    case OV_EBADLINK:
        return "corrupt link in the stream";
    case OV_EINVAL:
        return "invalid stream";
    default:
        return "corrupt or unreadable stream";
    }
}

} // namespace

bool encodeOggVorbis(const StereoBuffer& samples, const std::string& path, const char* title,
                     std::string& error) {
    Encoder encoder;
    if (vorbis_encode_init_vbr(&encoder.info, 2, samples.sampleRate, kVorbisQuality) != 0) {
        error = path + ": the Vorbis encoder refused 2 channels at " +
                std::to_string(samples.sampleRate) + " Hz";
        return false;
    }
    vorbis_comment_add_tag(&encoder.comment, "TITLE", title);
    vorbis_comment_add_tag(&encoder.comment, "ARTIST", "morvane");
    vorbis_analysis_init(&encoder.dsp, &encoder.info);
    vorbis_block_init(&encoder.dsp, &encoder.block);
    ogg_stream_init(&encoder.stream, kOggSerial);
    encoder.analysing = true;

    formats::TemporaryFile out(path); // the old track stays whole until the new one is written
    File file(fopen(out.path(), "wb"));
    if (!file) {
        error = path + ": cannot create file: " + strerror(errno);
        return false;
    }
    bool written = writeHeaders(encoder, file.get()) && writeSamples(encoder, samples, file.get());
    ogg_page page;
    while (written && ogg_stream_flush(&encoder.stream, &page))
        written = writePage(page, file.get());
    if (!written || fflush(file.get()) != 0) {
        error = path + ": write failed: " + strerror(errno);
        return false;
    }
    file.reset();
    return out.commit(&error);
}

bool decodeOggVorbis(const std::string& path, StereoBuffer& samples, std::string& error) {
    OggVorbis_File vorbis;
    int opened = ov_fopen(path.c_str(), &vorbis);
    if (opened != 0) {
        FILE* probe = fopen(path.c_str(), "rb");
        error = path + ": " + (probe ? vorbisFileError(opened) : strerror(errno));
        if (probe) fclose(probe);
        return false;
    }
    vorbis_info* info = ov_info(&vorbis, -1);
    int channels = info ? info->channels : 0;
    if (channels < 1 || channels > 2) {
        error = path + ": " + std::to_string(channels) + " channels; expected mono or stereo";
        ov_clear(&vorbis);
        return false;
    }
    samples = StereoBuffer();
    samples.sampleRate = int(info->rate);
    int section = 0;
    for (;;) {
        float** pcm = nullptr;
        long count = ov_read_float(&vorbis, &pcm, 4096, &section);
        if (count == 0) break;
        if (count < 0) {
            error = path + ": " + vorbisFileError(int(count)) + " after " +
                    std::to_string(samples.frames()) + " frames";
            ov_clear(&vorbis);
            return false;
        }
        vorbis_info* current = ov_info(&vorbis, section);
        int stride = current ? current->channels : channels;
        for (long i = 0; i < count; ++i) {
            samples.left.push_back(pcm[0][i]);
            samples.right.push_back(pcm[stride > 1 ? 1 : 0][i]);
        }
    }
    ov_clear(&vorbis);
    return true;
}

} // namespace music
