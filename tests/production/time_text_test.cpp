#include "production/time_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

namespace {

constexpr TimeSyntax kTimelineTime{true, true, kProductionTempo};

uint32_t parsed(const std::string& text, const TimeSyntax& syntax) {
    uint32_t ms = 12345678;
    std::string error;
    EXPECT_TRUE(parseTime(text, syntax, &ms, &error)) << text << ": " << error;
    return ms;
}

std::string refusal(const std::string& text, const TimeSyntax& syntax) {
    uint32_t ms = 0;
    std::string error;
    EXPECT_FALSE(parseTime(text, syntax, &ms, &error)) << text;
    return error;
}

TEST(TimeText, ReadsEachFormWhereItAppears) {
    EXPECT_EQ(parsed("12.5", kCommandLineTime), 12500u);
    EXPECT_EQ(parsed("1500", kTimelineTime), 1500u);
    EXPECT_EQ(parsed("1:40.2", kCommandLineTime), 100200u);
    EXPECT_EQ(parsed("16:2", kTimelineTime), 39600u);
    for (const TimeSyntax& syntax : {kCommandLineTime, kTimelineTime}) {
        EXPECT_EQ(parsed("12.5s", syntax), 12500u);
        EXPECT_EQ(parsed("1500ms", syntax), 1500u);
        EXPECT_EQ(parsed("bar 16", syntax), 38400u);
        EXPECT_EQ(parsed("bar 16:2", syntax), 39600u);
        EXPECT_EQ(parsed("bar 16:2.5", syntax), 39900u);
        EXPECT_EQ(parsed("0.0006s", syntax), 1u);
        EXPECT_EQ(parsed("4294967295ms", syntax), 4294967295u);
    }
    TimeSyntax tempo99{true, true, {99.0, 4}};
    EXPECT_EQ(parsed("bar 2:1", tempo99), 5455u);
    EXPECT_EQ(parsed("2:1", tempo99), 5455u);
}

TEST(TimeText, RefusesBadTimesWithAMessageQuotingThem) {
    EXPECT_EQ(refusal("bar 3:7", kCommandLineTime), "beat 7 is beyond a 4-beat bar in 'bar 3:7'");
    EXPECT_NE(refusal("3:4", kTimelineTime).find("'3:4'"), std::string::npos);
    const char* bad[] = {
        "-1",      "-2s",          "12x",    "1:60",
        "nan",     "inf",          "1e3",    "",
        "s",       "bar",          "bar x",  "1:2:3",
        "bar 1.5", "4294967296ms", "12.5.1", "99999999999999999999999999999999999999999999999999s"};
    for (const char* text : bad) {
        std::string error = refusal(text, kCommandLineTime);
        EXPECT_NE(error.find(std::string("'") + text + "'"), std::string::npos) << error;
    }
    TimeSyntax noTempo{true, true, {0.0, 4}};
    EXPECT_NE(refusal("16:2", noTempo).find("tempo"), std::string::npos);
    EXPECT_NE(refusal("bar 16", noTempo).find("tempo"), std::string::npos);
}

TEST(TimeText, FormatsForDisplays) {
    EXPECT_EQ(formatClockTime(100200), "1:40.200");
    EXPECT_EQ(formatClockTime(5007), "0:05.007");
    EXPECT_EQ(formatBarBeat(39600, kProductionTempo), "16:2");
    EXPECT_EQ(formatBarBeat(39900, kProductionTempo), "16:2.5");
    EXPECT_EQ(formatBarBeat(39750, kProductionTempo), "16:2.25");
    EXPECT_EQ(formatBarBeat(38399, kProductionTempo), "16:0");
}

TEST(TimeText, GridTimesRoundTripThroughTheTimelineSyntax) {
    for (const Tempo& tempo : {kProductionTempo, Tempo{99.0, 4}, Tempo{140.0, 3}}) {
        TimeSyntax syntax{true, true, tempo};
        int onGrid = 0;
        for (uint32_t ms = 0; ms < 20000; ms++) {
            std::string text = barBeatIfOnGrid(ms, tempo);
            if (text.empty()) continue;
            onGrid++;
            EXPECT_EQ(parsed(text, syntax), ms) << text;
        }
        // Every quarter beat of the first 20 s lies on the grid, and nothing else does.
        EXPECT_EQ(onGrid, int(std::ceil(20000 * tempo.beatsPerMinute * 4 / 60000)));
    }
    EXPECT_EQ(barBeatIfOnGrid(39750, kProductionTempo), "16:2.25");
    EXPECT_EQ(barBeatIfOnGrid(39751, kProductionTempo), "");
}

TEST(TimeText, TheTimelineTextDeclaresTheProductionTempo) {
    std::ifstream file(LIRV_SOURCE_DIR "/content/timeline.txt");
    ASSERT_TRUE(file) << "content/timeline.txt";
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream words(line);
        std::string keyword;
        double beatsPerMinute = 0;
        int beatsPerBar = 4;
        if (!(words >> keyword) || keyword != "tempo") continue;
        words >> beatsPerMinute >> beatsPerBar;
        EXPECT_EQ(beatsPerMinute, kProductionTempo.beatsPerMinute);
        EXPECT_EQ(beatsPerBar, kProductionTempo.beatsPerBar);
        return;
    }
    ADD_FAILURE() << "content/timeline.txt has no tempo line";
}

} // namespace
