// The preview's editing without a window: the write-back into the timeline text, the strip's
// and the curve view's hit-testing, and where an edited shader's program is found.
#include "production/production.h"
#include "tests/support/process.h"
#include "tools/preview/curve_view.h"
#include "tools/preview/reload.h"
#include "tools/preview/strip.h"
#include "tools/preview/write_back.h"
#include "tools/timeline/timeline_text.h"

#include <gtest/gtest.h>

namespace {

// Comments, blank lines, odd spacing, CRLF line ends and a last line without a line end.
const std::string kText = "# a fixture\r\n"
                          "tempo 100 4\r\n"
                          "\r\n"
                          "# ---- intro: the start\r\n"
                          "clip \"Black\" layer 4 start 0 duration 2:0\r\n"
                          "  key 0   \"Transparency\" 1 ease   # fade in\r\n"
                          "  key 2:0 \"Transparency\" 0\r\n"
                          "# ---- drop\r\n"
                          "clip \"Overlay: data/title.png\" layer 2 start 4:0 duration 1:0\r\n"
                          "    key 0 \"Scale\" 1.5";

std::vector<uint8_t> compiled(const std::string& text) {
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(compileTimeline(text, "hand", bytes, error)) << error;
    return bytes;
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

TEST(WriteBack, EditsChangeOnlyTheirLineAndCompileAsTheSameEditByHand) {
    TimelineDocument document;
    std::string problem;
    ASSERT_TRUE(document.adopt("t.txt", kText, problem)) << problem;
    EXPECT_EQ(document.keyLineNumber(0, 1), 7);
    ASSERT_EQ(document.sections().size(), 2u);
    EXPECT_EQ(document.sections()[1].name, "drop");
    EXPECT_EQ(document.sections()[1].start, 9600u);

    ASSERT_TRUE(document.setKeyValue(0, 0, 0.75f, problem)) << problem;
    ASSERT_TRUE(document.setKeyTime(0, 1, 3000, problem)) << problem; // 1:1 at 100 BPM
    Key key{1200, 2, 0, 1, 0, {}};                                    // "Scale" at 0:2
    size_t index;
    ASSERT_TRUE(document.addKey(1, key, index, problem)) << problem;
    EXPECT_EQ(index, 1u);
    std::string byHand =
        replaced(kText, "0   \"Transparency\" 1 ease", "0   \"Transparency\" 0.75 ease");
    byHand = replaced(byHand, "key 2:0 \"Transparency\" 0", "key 1:1 \"Transparency\" 0");
    byHand += "\r\n    key 0:2 \"Scale\" 1";
    EXPECT_EQ(document.text(), byHand);
    EXPECT_EQ(compiled(document.text()), compiled(byHand));
    EXPECT_TRUE(document.dirty());

    ASSERT_TRUE(document.removeKey(1, 1, problem)) << problem;
    ASSERT_TRUE(document.setKeyTime(0, 1, 1234, problem)) << problem; // off the grid: ms
    EXPECT_NE(document.text().find("key 1234 \"Transparency\" 0\r\n"), std::string::npos);
}

TEST(WriteBack, AnEditUndoneLeavesTheFileAsItWasAndASaveNeverOverwritesAnotherProgram) {
    ScratchDir dir;
    dir.write("t.txt", kText);
    std::string path = dir.path() + "/t.txt", problem;
    TimelineDocument document;
    ASSERT_TRUE(document.adopt(path, kText, problem)) << problem;
    ASSERT_TRUE(document.setKeyValue(0, 0, 0.5f, problem));
    ASSERT_TRUE(document.setKeyValue(0, 0, 1.0f, problem));
    EXPECT_FALSE(document.dirty());
    EXPECT_EQ(document.text(), kText);

    ASSERT_TRUE(document.setKeyValue(1, 0, 2.0f, problem));
    dir.write("t.txt", kText + "\r\n# changed elsewhere\r\n");
    EXPECT_FALSE(document.save(problem));
    EXPECT_NE(problem.find("another program changed it"), std::string::npos) << problem;
    EXPECT_EQ(readFile(path), kText + "\r\n# changed elsewhere\r\n");

    dir.write("t.txt", kText);
    ASSERT_TRUE(document.save(problem)) << problem;
    EXPECT_EQ(readFile(path), replaced(kText, "\"Scale\" 1.5", "\"Scale\" 2"));
    EXPECT_FALSE(document.dirty());
}

TEST(WriteBack, ATextWithoutClipsIsNeverTakenAsTheNewVersion) {
    TimelineDocument document;
    std::string problem;
    ASSERT_TRUE(document.adopt("t.txt", kText, problem));
    EXPECT_FALSE(document.adopt("t.txt", "", problem));
    EXPECT_NE(problem.find("no clips"), std::string::npos) << problem;
    EXPECT_FALSE(document.adopt("t.txt", "tempo 100 4\n# nothing yet\n", problem));
    EXPECT_EQ(document.compiled().clips.size(), 2u);
}

TEST(StripHitTesting, TimesAndClipsUnderThePointer) {
    StripLayout layout(1024, 768, StripSpan{0, kRunTimeMs});
    EXPECT_NEAR(layout.timeAt(layout.xAt(48000)), 48000, 1);
    EXPECT_LE(layout.bottom, 768);
    // The first clip is cut where the next clip on its layer starts.
    std::vector<ClipSpan> spans = {
        {0, 0, 4000, 0, "a"}, {1, 4000, 9000, 0, "b"}, {2, 1000, 2000, 3, "c"}};
    float lane0 = layout.laneTop(0) + 3, lane3 = layout.laneTop(3) + 3;
    EXPECT_EQ(clipAt(layout, spans, layout.xAt(3990), lane0), 0);
    EXPECT_EQ(clipAt(layout, spans, layout.xAt(4010), lane0), 1);
    EXPECT_EQ(clipAt(layout, spans, layout.xAt(1500), lane3), 2);
    EXPECT_EQ(clipAt(layout, spans, layout.xAt(2500), lane3), -1);
    EXPECT_EQ(clipAt(layout, spans, layout.xAt(1500), layout.barsTop + 2), -1);

    StripSpan span{0, kRunTimeMs};
    float x = StripLayout(1024, 768, span).xAt(60000);
    span.zoom(60000, 3, kRunTimeMs);
    EXPECT_NEAR(StripLayout(1024, 768, span).xAt(60000), x, 0.5);
    EXPECT_LT(span.last - span.first, kRunTimeMs / 1.9);

    CurveLayout curve(0, 0, 400, 170, 2400, 0, 1);
    std::vector<Key> keys = {
        {0, 0, 0, 0.25f, 1, {}}, {1200, 1, 0, 0.5f, 0, {}}, {1200, 0, 0, 0.75f, 0, {}}};
    EXPECT_EQ(keyPointAt(curve, keys, 0, curve.xAt(1200) + 2, curve.yAt(0.75f) - 2), 2);
    EXPECT_EQ(keyPointAt(curve, keys, 0, curve.xAt(1200), curve.yAt(0.5f)), -1);
}

TEST(ShaderReload, AnEditedSourceNamesItsDataCopy) {
    EXPECT_EQ(shaderDataPath("content/shaders/glow.frag", "content/shaders"), "data/glow.frag");
    EXPECT_EQ(shaderDataPath("/src/sh/Trainstation/VertexNoise.vert", "/src/sh"),
              "data/Trainstation/VertexNoise.vert");
}

} // namespace
