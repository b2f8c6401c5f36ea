#include "tools/timeline/timeline_text.h"

#include "production/registry.h"
#include "production/time_text.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <cstdio>

using timeline_text::checkTimelineTempo;
using timeline_text::parseInteger;
using timeline_text::parseReal;

namespace {

// ---- Reading the text form -----------------------------------------------------------------

// A statement split into tokens; quoted tokens keep their text without the quotes.
struct Token {
    std::string text;
    bool quoted;
};

constexpr const char* kUtf8ByteOrderMark = "\xef\xbb\xbf";

// The production ends this long after the music starts; a clip running past it is cut short.
constexpr uint32_t kProductionEndMs = 139000;

struct CompileState {
    std::string sourceName;
    int line = 0;
    Tempo tempo{0, 4}; // beatsPerMinute 0: no tempo declared yet
    TimelineFileData timeline;
    std::string error;
    std::vector<std::pair<int, std::string>> warnings; // line, text
    int clipLine = 0;                                  // the line of the last clip
    std::vector<int> keyLines;                         // the line of each of its keys

    bool fail(const std::string& problem) {
        error = sourceName + ":" + std::to_string(line) + ": " + problem;
        return false;
    }
    // A warning about one line, or about the whole text when atLine is 0.
    void warn(int atLine, const std::string& problem) {
        std::string where = atLine > 0 ? ":" + std::to_string(atLine) : "";
        warnings.push_back({atLine, sourceName + where + ": warning: " + problem});
    }
};

// A token as messages show it: at most kMessageExcerptLength characters of it, in quotes.
std::string quote(const std::string& text) {
    return "\"" + messageExcerpt(text) + "\"";
}

bool tokenize(const std::string& line, std::vector<Token>& tokens, std::string& problem) {
    tokens.clear();
    size_t i = 0;
    while (i < line.size()) {
        char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            i++;
        } else if (c == '#') {
            break;
        } else if (c == '"') {
            size_t end = line.find('"', i + 1);
            if (end == std::string::npos) {
                problem = "a quoted name is not closed";
                return false;
            }
            tokens.push_back({line.substr(i + 1, end - i - 1), true});
            i = end + 1;
        } else {
            size_t end = line.find_first_of(" \t\r#\"", i);
            if (end == std::string::npos) end = line.size();
            tokens.push_back({line.substr(i, end - i), false});
            i = end;
        }
    }
    return true;
}

// A time in ms: "1500" (bare numbers are milliseconds), "1500ms", "12.5s", "bar 16:2", or
// bars:beats ("16:2") at the declared tempo, through the programs' shared time parser.
bool parseTime(CompileState& state, const std::string& text, uint32_t& time) {
    TimeSyntax syntax{true, true, state.tempo};
    std::string problem;
    if (::parseTime(text, syntax, &time, &problem)) return true;
    return state.fail(problem);
}

bool parseValue(CompileState& state, const std::string& text, float& value) {
    if (text.compare(0, 5, "bits:") == 0) {
        char* end = nullptr;
        errno = 0;
        unsigned long bits = strtoul(text.c_str() + 5, &end, 16);
        if (errno || *end != '\0' || text.size() == 5 || bits > UINT32_MAX)
            return state.fail(quote(text) + " is not a bit pattern like bits:0x3f800000");
        uint32_t word = uint32_t(bits);
        memcpy(&value, &word, 4);
        return true;
    }
    char* end = nullptr;
    value = strtof(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(value))
        return state.fail(quote(text) + " is not a number");
    return true;
}

// The registry index of a quoted name (its first entry) or of a bare index.
bool findEffectIndex(CompileState& state, const Token& token, uint32_t& index) {
    if (token.quoted) {
        for (int i = 0; i < kEffectCount; i++)
            if (token.text == describeEffect(i).name) {
                index = uint32_t(i);
                return true;
            }
        return state.fail("unknown effect " + quote(token.text));
    }
    long long value;
    if (!parseInteger(token.text, 0, kEffectCount - 1, value))
        return state.fail("unknown effect " + messageExcerpt(token.text) +
                          ": an effect is a quoted name or " + "an index from 0 to " +
                          std::to_string(kEffectCount - 1));
    index = uint32_t(value);
    return true;
}

std::string listProperties(const EffectDescription& effect) {
    if (effect.propertyCount == 0) return "it has no properties";
    std::string list = "its properties are";
    for (int i = 0; i < effect.propertyCount; i++)
        list += std::string(i ? ", \"" : " \"") + effect.properties[i].name + "\"";
    return list;
}

bool findPropertyIndex(CompileState& state, uint32_t effectIndex, const Token& token,
                       int32_t& index) {
    const EffectDescription& effect = describeEffect(int(effectIndex));
    if (token.quoted) {
        for (int i = 0; i < effect.propertyCount; i++)
            if (token.text == effect.properties[i].name) {
                index = i;
                return true;
            }
    } else {
        long long value;
        if (parseInteger(token.text, 0, effect.propertyCount - 1, value)) {
            index = int32_t(value);
            return true;
        }
    }
    std::string shown = token.quoted ? quote(token.text) : messageExcerpt(token.text);
    return state.fail("unknown property " + shown + " of effect \"" + effect.name + "\"; " +
                      listProperties(effect));
}

bool parseTempo(CompileState& state, const std::vector<Token>& tokens) {
    long long beatsPerBar = 4;
    double beatsPerMinute = 0;
    if (tokens.size() < 2 || tokens.size() > 3 || !parseReal(tokens[1].text, beatsPerMinute) ||
        (tokens.size() == 3 && !parseInteger(tokens[2].text, 1, 64, beatsPerBar)))
        return state.fail("a tempo is \"tempo BEATS_PER_MINUTE [BEATS_PER_BAR]\"");
    std::string problem;
    if (!checkTimelineTempo(beatsPerMinute, problem)) return state.fail(problem);
    state.tempo = Tempo{beatsPerMinute, int(beatsPerBar)};
    return true;
}

// The warnings about the clip above, once all its keys are read: a clip that never shows, a clip
// past the production's end, keys after the clip's end.
void checkLastClip(CompileState& state) {
    if (state.timeline.clips.empty()) return;
    const TimelineClipData& clip = state.timeline.clips.back();
    if (clip.record.duration == 0)
        state.warn(state.clipLine, "the clip lasts 0 ms and never shows");
    uint64_t end = uint64_t(clip.record.start) + clip.record.duration;
    if (end > kProductionEndMs)
        state.warn(state.clipLine, "the clip runs to " + std::to_string(end) +
                                       " ms, past the production's end at " +
                                       std::to_string(kProductionEndMs) + " ms");
    for (size_t k = 0; k < clip.keys.size(); k++)
        if (clip.keys[k].time > clip.record.duration)
            state.warn(state.keyLines[k], "the key at " + std::to_string(clip.keys[k].time) +
                                              " ms lies after its clip's end (duration " +
                                              std::to_string(clip.record.duration) + " ms)");
}

bool parseClip(CompileState& state, const std::vector<Token>& tokens) {
    if (tokens.size() < 2) return state.fail("a clip needs an effect");
    TimelineClipData clip{};
    if (!findEffectIndex(state, tokens[1], clip.record.effect)) return false;
    bool hasLayer = false, hasStart = false, hasDuration = false;
    std::vector<std::string> given;
    for (size_t i = 2; i < tokens.size(); i += 2) {
        const std::string& field = tokens[i].text;
        if (i + 1 >= tokens.size()) return state.fail(quote(field) + " needs a value");
        if (std::find(given.begin(), given.end(), field) != given.end())
            return state.fail(quote(field) + " is given twice in this clip");
        given.push_back(field);
        const std::string& value = tokens[i + 1].text;
        if (field == "layer") {
            long long layer;
            if (!parseInteger(value, LLONG_MIN, LLONG_MAX, layer) || layer < 0 ||
                layer >= kTimelineLayerCount)
                return state.fail("layer " + messageExcerpt(value) + " is outside 0 to 4");
            clip.record.layer = uint32_t(layer);
            hasLayer = true;
        } else if (field == "start") {
            if (!parseTime(state, value, clip.record.start)) return false;
            hasStart = true;
        } else if (field == "duration") {
            if (!parseTime(state, value, clip.record.duration)) return false;
            hasDuration = true;
        } else if (field == "offset") {
            if (!parseTime(state, value, clip.record.offset)) return false;
        } else {
            return state.fail("unknown clip field " + quote(field) +
                              "; a clip has layer, start, duration and offset");
        }
    }
    if (!hasLayer || !hasStart || !hasDuration)
        return state.fail("a clip needs a layer, a start and a duration");
    if (!state.timeline.clips.empty() &&
        clip.record.start < state.timeline.clips.back().record.start)
        return state.fail("this clip starts at " + std::to_string(clip.record.start) +
                          " ms, before the clip above it (" +
                          std::to_string(state.timeline.clips.back().record.start) +
                          " ms); clips must be in start order");
    checkLastClip(state);
    state.timeline.clips.push_back(clip);
    state.clipLine = state.line;
    state.keyLines.clear();
    return true;
}

bool parseKey(CompileState& state, const std::vector<Token>& tokens) {
    if (state.timeline.clips.empty()) return state.fail("a key must follow its clip");
    if (tokens.size() < 4 || tokens.size() > 5)
        return state.fail("a key is \"key TIME PROPERTY VALUE [ease|hold]\"");
    TimelineClipData& clip = state.timeline.clips.back();
    Key key{};
    if (!parseTime(state, tokens[1].text, key.time)) return false;
    if (!findPropertyIndex(state, clip.record.effect, tokens[2], key.property)) return false;
    if (!parseValue(state, tokens[3].text, key.value)) return false;
    const PropertyInfo& property = describeEffect(int(clip.record.effect)).properties[key.property];
    if (std::isfinite(key.value) &&
        (key.value < property.minValue || key.value > property.maxValue))
        state.warn(state.line, "\"" + std::string(property.name) + "\" " +
                                   messageExcerpt(tokens[3].text) + " is outside its range, " +
                                   formatKeyValue(property.minValue) + " to " +
                                   formatKeyValue(property.maxValue));
    if (tokens.size() == 5) {
        if (tokens[4].text == "ease")
            key.ease = 1;
        else if (tokens[4].text != "hold")
            return state.fail(quote(tokens[4].text) + " is neither ease nor hold");
    }
    clip.keys.push_back(key);
    state.keyLines.push_back(state.line);
    return true;
}

// The next line of the text from `at` on, without its end: "\n", "\r\n" or a lone "\r" (old
// Mac editors). False at the end of the text.
bool nextLine(const std::string& text, size_t& at, std::string& line) {
    if (at >= text.size()) return false;
    size_t end = text.find_first_of("\r\n", at);
    if (end == std::string::npos) end = text.size();
    line.assign(text, at, end - at);
    bool crlf = text.compare(end, 2, "\r\n") == 0;
    at = end + (crlf ? 2 : 1);
    return true;
}

bool parseStatement(CompileState& state, const std::vector<Token>& tokens) {
    const Token& keyword = tokens[0];
    if (!keyword.quoted && keyword.text == "tempo") return parseTempo(state, tokens);
    if (!keyword.quoted && keyword.text == "clip") return parseClip(state, tokens);
    if (!keyword.quoted && keyword.text == "key") return parseKey(state, tokens);
    return state.fail("unknown statement " + quote(keyword.text) + "; expected tempo, clip or key");
}

} // namespace

namespace timeline_text {

bool parseInteger(const std::string& text, long long low, long long high, long long& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    value = strtoll(text.c_str(), &end, 10);
    return errno == 0 && *end == '\0' && value >= low && value <= high;
}

bool parseReal(const std::string& text, double& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    value = strtod(text.c_str(), &end);
    return *end == '\0' && std::isfinite(value);
}

bool checkTimelineTempo(double beatsPerMinute, std::string& problem) {
    if (beatsPerMinute >= kMinTempoBpm && beatsPerMinute <= kMaxTempoBpm) return true;
    char text[40];
    snprintf(text, sizeof text, "%g", beatsPerMinute);
    problem = "a tempo of " + std::string(text) + " beats per minute is outside " +
              std::to_string(int(kMinTempoBpm)) + " to " + std::to_string(int(kMaxTempoBpm));
    return false;
}

} // namespace timeline_text

bool compileTimeline(const std::string& text, const std::string& sourceName,
                     std::vector<uint8_t>& bytes, std::string& error,
                     std::vector<std::string>* warnings) {
    CompileState state;
    state.sourceName = sourceName;
    std::string line, problem;
    std::vector<Token> tokens;
    size_t at = text.compare(0, 3, kUtf8ByteOrderMark) == 0 ? 3 : 0;
    while (nextLine(text, at, line)) {
        state.line++;
        size_t nul = line.find('\0');
        if (nul != std::string::npos)
            problem =
                "a NUL byte in column " + std::to_string(nul + 1) + ": this is not a text file";
        if (nul != std::string::npos || !tokenize(line, tokens, problem)) {
            state.fail(problem);
            error = state.error;
            return false;
        }
        if (!tokens.empty() && !parseStatement(state, tokens)) {
            error = state.error;
            return false;
        }
    }
    checkLastClip(state);
    if (state.timeline.clips.empty())
        state.warn(0, "no clips: the production would show nothing but black");
    // A clip's end is checked after its keys are read: list everything in line order.
    std::stable_sort(state.warnings.begin(), state.warnings.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    if (warnings)
        for (const auto& warning : state.warnings)
            warnings->push_back(warning.second);
    for (TimelineClipData& clip : state.timeline.clips)
        clip.record.keyCount = int32_t(clip.keys.size());
    state.timeline.clipCount = int32_t(state.timeline.clips.size());
    bytes = encodeTimeline(state.timeline);
    return true;
}
