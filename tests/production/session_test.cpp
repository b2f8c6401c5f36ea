// Seeks of the production session on the generated data/, with a timeline of the test's own.
#include "production/session.h"
#include "runtime/music.h"
#include "tests/support/gl_test.h"
#include "tests/support/process.h"
#include "tools/timeline/timeline_text.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

namespace {

constexpr uint32_t kBlackEffect = 6;

// A Black clip on layer 0 keyed to one grey level, fully opaque.
TimelineClipData greyClip(uint32_t start, uint32_t duration, float grey) {
    TimelineClipData clip{ClipRecord{2, kBlackEffect, start, duration, 0, 0}, {}};
    for (int32_t property : {0, 1}) {
        Key key{};
        key.property = property;
        key.value = property == 0 ? 1.0f : grey;
        clip.keys.push_back(key);
    }
    return clip;
}

// One session for the suite: loading every effect takes a while. White until 1000 ms, then black;
// the music is the generated one.
class Session : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        TimelineFileData file;
        file.clipCount = 2;
        file.clips = {greyClip(0, 1000, 1), greyClip(1000, 1000, 0)};
        std::vector<uint8_t> bytes = encodeTimeline(file);
        scratch = new ScratchDir;
        scratch->write("time", std::string(bytes.begin(), bytes.end()));
        ScopedWorkingDirectory inside(LIRV_SOURCE_DIR); // where data/ lies
        session = new ProductionSession(scratch->path() + "/time",
                                        LIRV_SOURCE_DIR "/data/morvane-quelfin.ogg");
    }
    static void TearDownTestSuite() {
        delete session;
        delete scratch;
    }

    static int centreGrey(uint32_t t) {
        session->play(t);
        return readPixel(512, 384)[0];
    }

    static ScratchDir* scratch;
    static ProductionSession* session;
};

ScratchDir* Session::scratch = nullptr;
ProductionSession* Session::session = nullptr;

} // namespace

// Every bar jump lands on a cut: the frame there shows the outgoing clip's last picture, as a run
// does, whatever the compositor held before the seek.
TEST_F(Session, ASeekOntoACutShowsTheOutgoingPicture) {
    session->seek(500);
    EXPECT_EQ(centreGrey(500), 255);
    session->seek(1500);
    EXPECT_EQ(centreGrey(1500), 0);
    session->seek(1000);
    EXPECT_EQ(centreGrey(1000), 255);
}

// After a seek back the spectrum is analysed afresh from the start, not left silent until play
// passes the old position.
TEST_F(Session, ASeekBackGivesTheSpectrumOfThatTime) {
    auto spectrum = [] {
        std::vector<float> levels;
        for (int bin = 0; bin < SPECTRUM_BINS; bin++)
            levels.push_back(spectrumLevel(bin));
        return levels;
    };
    session->seek(30000);
    std::vector<float> first = spectrum();
    EXPECT_GT(*std::max_element(first.begin(), first.end()), 0.0f);
    session->seek(60000);
    session->seek(30000);
    EXPECT_EQ(spectrum(), first);
}
