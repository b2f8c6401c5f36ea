// Every file writer of the studio and the capture on a full disk, simulated with a file-size
// limit: the write fails part way, the old file stays whole with nothing left beside it, and the
// message names the program, the file and the reason.
#include "tests/support/process.h"
#include "tools/formats/curve_writer.h"
#include "tools/formats/file_writer.h"
#include "tools/formats/model_writer.h"
#include "tools/music/vorbis_file.h"
#include "tools/pictures/picture_io.h"
#include "tools/timeline/timeline_text.h"

#include <csignal>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <sys/resource.h>

namespace {

// Files grow to at most this many bytes while it lives; a write beyond fails with EFBIG.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved);
        previous = signal(SIGXFSZ, SIG_IGN);
        rlimit limit{bytes, saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved);
        signal(SIGXFSZ, previous);
    }

  private:
    rlimit saved{};
    void (*previous)(int) = nullptr;
};

Picture noisePicture(int channels) {
    Picture picture{128, 128, channels, {}};
    std::mt19937 random(7);
    for (int i = 0; i < 128 * 128 * channels; i++)
        picture.pixels.push_back(uint8_t(random()));
    return picture;
}

struct Writer {
    const char* file;
    std::function<bool(const std::string& path, std::string& error)> write;
};

} // namespace

TEST(FullDisk, AFailedWriteLeavesTheOldFileWholeAndSaysWhy) {
    music::StereoBuffer music;
    for (int i = 0; i < 44100; i++)
        music.left.push_back(float(i % 97) / 97.f - 0.5f);
    music.right = music.left;
    std::vector<CurveRecord> curve(2000, CurveRecord{});
    const std::vector<uint8_t> noise = noisePicture(3).pixels;
    const Writer writers[] = {
        {"model.gz",
         [&](auto& path, auto& error) {
             return formats::writeModelBytes(path, std::string(noise.begin(), noise.end()), true,
                                             &error);
         }},
        {"path.curve",
         [&](auto& path, auto& error) { return formats::writeCurveFile(path, curve, &error); }},
        {"track.ogg",
         [&](auto& path, auto& error) { return music::encodeOggVorbis(music, path, "t", error); }},
        {"picture.png", [&](auto& path, auto&) { return writePng(path, noisePicture(4)); }},
        {"frame.png", [&](auto& path, auto&) { return writeFastPng(path, noisePicture(3)); }},
        {"photo.jpg", [&](auto& path, auto&) { return writeJpg(path, noisePicture(3), 100); }},
        {"time",
         [&](auto& path, auto&) {
             std::string in = LIRV_SOURCE_DIR "/content/timeline.txt";
             const char* argv[] = {"timeline", "compile", in.c_str(), path.c_str()};
             return runTimelineCommand(4, const_cast<char**>(argv)) == 0;
         }},
    };
    for (const Writer& writer : writers) {
        ScratchDir dir;
        std::string path = dir.path() + "/" + writer.file, error;
        dir.write(writer.file, "the old file");
        testing::internal::CaptureStderr();
        bool written;
        {
            FileSizeLimit limit(2048);
            written = writer.write(path, error);
        }
        std::string messages = error + testing::internal::GetCapturedStderr();
        EXPECT_FALSE(written) << writer.file;
        EXPECT_TRUE(readFile(path) == "the old file") << writer.file << ": the old file is lost";
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1)
            << writer.file << ": something was left beside the file";
        EXPECT_NE(messages.find(path), std::string::npos) << messages;
        EXPECT_NE(messages.find("File too large"), std::string::npos) << messages;
        // Without the limit the same write replaces the file.
        EXPECT_TRUE(writer.write(path, error)) << writer.file << ": " << error;
        EXPECT_GT(readFile(path).size(), 2048u) << writer.file;
    }
}

// Pictures are written by the studio and by the capture: the message names the one running.
TEST(FullDisk, APictureMessageNamesTheRunningProgram) {
    ScratchDir dir;
    testing::internal::CaptureStderr();
    {
        FileSizeLimit limit(2048);
        EXPECT_FALSE(writeFastPng(dir.path() + "/f.png", noisePicture(3)));
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), std::string(program_invocation_short_name) +
                                                          ": cannot write '" + dir.path() +
                                                          "/f.png': File too large\n");
}

TEST(FullDisk, ACopiedShaderIsReplacedWholeOrNotAtAll) {
    ScratchDir source, data;
    source.write("content/shaders/glow.frag", std::string(8000, '/'));
    data.write("glow.frag", "the old file");
    std::vector<std::string> copy = {LIRV_CMAKE, "-DSOURCE_DIR=" + source.path(),
                                     "-DDATA_DIR=" + data.path(), "-P",
                                     LIRV_SOURCE_DIR "/tools/copy-shaders.cmake"};
    ProcessResult failed;
    {
        FileSizeLimit limit(2048); // inherited by the copy
        failed = runProcess(copy, ProcessOptions());
    }
    EXPECT_NE(failed.exitStatus, 0);
    EXPECT_NE(failed.err.find(data.path() + "/glow.frag"), std::string::npos) << failed.err;
    EXPECT_TRUE(readFile(data.path() + "/glow.frag") == "the old file");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(data.path()), {}), 1);
    EXPECT_EQ(runProcess(copy, ProcessOptions()).exitStatus, 0);
    EXPECT_EQ(readFile(data.path() + "/glow.frag").size(), 8000u);
}
