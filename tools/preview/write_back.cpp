#include "tools/preview/write_back.h"

#include "production/registry.h"
#include "production/time_text.h"
#include "tools/timeline/timeline_text.h"

#include <cmath>
#include <cstdlib>

namespace {

// A token's place in its line; quoted tokens include their quotes.
struct TokenSpan {
    size_t begin, end;
};

// Splits after each "\r\n", "\n" or lone "\r", keeping the line ends, as the compiler counts
// lines.
std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            end = text.size();
        } else {
            end += text.compare(end, 2, "\r\n") == 0 ? 2 : 1;
        }
        lines.push_back(text.substr(start, end - start));
        start = end;
    }
    return lines;
}

std::string joinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line;
    return text;
}

// The tokens of a statement, as the compiler splits it: blanks between, "#" outside quotes
// ends it, a quoted name is one token. A byte-order mark at the very start is skipped.
std::vector<TokenSpan> tokenSpans(const std::string& line) {
    std::vector<TokenSpan> spans;
    size_t i = line.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (i < line.size()) {
        char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            i++;
        } else if (c == '#') {
            break;
        } else if (c == '"') {
            size_t end = line.find('"', i + 1);
            end = end == std::string::npos ? line.size() : end + 1;
            spans.push_back({i, end});
            i = end;
        } else {
            size_t end = line.find_first_of(" \t\r\n#\"", i);
            if (end == std::string::npos) end = line.size();
            spans.push_back({i, end});
            i = end;
        }
    }
    return spans;
}

// The statement's keyword ("clip", "key", "tempo"), or "" for a comment or blank line.
std::string keyword(const std::string& line) {
    std::vector<TokenSpan> spans = tokenSpans(line);
    if (spans.empty() || line[spans[0].begin] == '"') return "";
    return line.substr(spans[0].begin, spans[0].end - spans[0].begin);
}

bool compileText(const std::string& path, const std::string& text, TimelineFileData& timeline,
                 std::string& problem) {
    std::vector<uint8_t> bytes;
    if (!compileTimeline(text, path, bytes, problem)) return false;
    std::string reason;
    if (!parseTimeline(bytes.data(), bytes.size(), kEffectCount, timeline, reason)) {
        problem = path + ": " + reason;
        return false;
    }
    return true;
}

// Pairs each compiled clip and key with its statement; false when the statements and the
// compiled file disagree in number.
bool mapStatements(const std::vector<std::string>& lines, const TimelineFileData& timeline,
                   std::vector<ClipSource>& map) {
    map.clear();
    for (size_t i = 0; i < lines.size(); i++) {
        std::string word = keyword(lines[i]);
        if (word == "clip") {
            map.push_back({i, {}});
        } else if (word == "key") {
            if (map.empty()) return false;
            map.back().keyLines.push_back(i);
        }
    }
    if (map.size() != timeline.clips.size()) return false;
    for (size_t c = 0; c < map.size(); c++)
        if (map[c].keyLines.size() != timeline.clips[c].keys.size()) return false;
    return true;
}

// "# ----- intro: the night city" gives "intro"; anything else "".
std::string sectionName(const std::string& line) {
    size_t hash = line.find_first_not_of(" \t");
    if (hash == std::string::npos || line[hash] != '#') return "";
    size_t dashes = line.find_first_not_of(" \t", hash + 1);
    if (dashes == std::string::npos || line.compare(dashes, 3, "---") != 0) return "";
    size_t name = line.find_first_not_of("- \t", dashes);
    if (name == std::string::npos) return "";
    size_t end = line.find_first_of(":\r\n", name);
    std::string text = line.substr(name, end == std::string::npos ? std::string::npos : end - name);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.pop_back();
    return text;
}

std::vector<Section> findSections(const std::vector<std::string>& lines,
                                  const std::vector<ClipSource>& map,
                                  const TimelineFileData& timeline) {
    std::vector<Section> sections;
    std::string pending;
    size_t clip = 0;
    for (size_t i = 0; i < lines.size(); i++) {
        std::string name = sectionName(lines[i]);
        if (!name.empty()) pending = name;
        if (clip < map.size() && map[clip].line == i) {
            if (!pending.empty()) sections.push_back({pending, timeline.clips[clip].record.start});
            pending.clear();
            clip++;
        }
    }
    return sections;
}

// The tempo declared above a line; beatsPerMinute 0 when there is none.
Tempo tempoAbove(const std::vector<std::string>& lines, size_t line) {
    Tempo tempo{0, 4};
    for (size_t i = 0; i < line && i < lines.size(); i++) {
        if (keyword(lines[i]) != "tempo") continue;
        std::vector<TokenSpan> spans = tokenSpans(lines[i]);
        if (spans.size() < 2) continue;
        tempo.beatsPerMinute = strtod(lines[i].c_str() + spans[1].begin, nullptr);
        tempo.beatsPerBar = spans.size() > 2 ? atoi(lines[i].c_str() + spans[2].begin) : 4;
    }
    return tempo;
}

std::string formatTime(uint32_t ms, const Tempo& tempo) {
    std::string barBeat = ms > 0 ? barBeatIfOnGrid(ms, tempo) : "";
    return barBeat.empty() ? std::to_string(ms) : barBeat;
}

std::string lineEndOf(const std::string& line) {
    size_t end = line.find_last_not_of("\r\n");
    return end == std::string::npos ? line : line.substr(end + 1);
}

} // namespace

bool TimelineDocument::adopt(const std::string& path, const std::string& text,
                             std::string& problem) {
    TimelineFileData compiled;
    if (!compileText(path, text, compiled, problem)) return false;
    if (compiled.clips.empty()) {
        problem = path + ": no clips (an empty file, or one still being written); the last good "
                         "version plays on";
        return false;
    }
    filePath = path;
    lines = splitLines(text);
    origins = lines;
    base = text;
    timeline = compiled;
    edits = 0;
    unmapped.clear();
    if (!mapStatements(lines, timeline, map)) {
        map.clear();
        unmapped = path + ": its statements cannot be matched to what it compiles to; key "
                          "edits are off";
    }
    sectionList = findSections(lines, map, timeline);
    return true;
}

std::string TimelineDocument::text() const {
    return joinLines(lines);
}

int TimelineDocument::keyLineNumber(size_t clip, size_t key) const {
    if (clip >= map.size() || key >= map[clip].keyLines.size()) return 0;
    return int(map[clip].keyLines[key]) + 1;
}

bool TimelineDocument::keyLine(size_t clip, size_t key, size_t& line, std::string& problem) const {
    if (!unmapped.empty()) {
        problem = unmapped;
        return false;
    }
    if (clip >= map.size() || key >= map[clip].keyLines.size()) {
        problem = filePath + ": no such key to edit";
        return false;
    }
    line = map[clip].keyLines[key];
    return true;
}

// Compiles the edited lines; takes them when the clips stay as many and mappable. A touched
// line that compiles to what its text as loaded did gets that text back, so that an edit undone
// by hand (a nudge up, then down) leaves the line byte for byte as it was.
bool TimelineDocument::commit(std::vector<std::string> edited,
                              std::vector<std::string> editedOrigins, std::string& problem,
                              size_t touched) {
    TimelineFileData compiled;
    std::vector<ClipSource> editedMap;
    if (!compileText(filePath, joinLines(edited), compiled, problem)) return false;
    if (compiled.clips.size() != timeline.clips.size() ||
        !mapStatements(edited, compiled, editedMap)) {
        problem = filePath + ": the edit would change more than one key; it was not made";
        return false;
    }
    if (touched < edited.size() && !editedOrigins[touched].empty() &&
        edited[touched] != editedOrigins[touched]) {
        std::vector<std::string> restored = edited;
        restored[touched] = editedOrigins[touched];
        TimelineFileData same;
        std::string ignored;
        if (compileText(filePath, joinLines(restored), same, ignored) &&
            encodeTimeline(same) == encodeTimeline(compiled))
            edited = std::move(restored);
    }
    lines = std::move(edited);
    origins = std::move(editedOrigins);
    timeline = std::move(compiled);
    map = std::move(editedMap);
    sectionList = findSections(lines, map, timeline);
    edits++;
    return true;
}

bool TimelineDocument::replaceToken(size_t line, size_t token, const std::string& text,
                                    std::string& problem) {
    std::vector<TokenSpan> spans = tokenSpans(lines[line]);
    if (token >= spans.size()) {
        problem = filePath + ":" + std::to_string(line + 1) + ": not a key statement";
        return false;
    }
    std::vector<std::string> edited = lines;
    edited[line].replace(spans[token].begin, spans[token].end - spans[token].begin, text);
    return commit(std::move(edited), origins, problem, line);
}

bool TimelineDocument::setKeyValue(size_t clip, size_t key, float value, std::string& problem) {
    size_t line;
    if (!keyLine(clip, key, line, problem)) return false;
    if (!std::isfinite(value)) {
        problem = filePath + ": a key value must be a finite number";
        return false;
    }
    return replaceToken(line, 3, formatKeyValue(value), problem);
}

bool TimelineDocument::setKeyTime(size_t clip, size_t key, uint32_t time, std::string& problem) {
    size_t line;
    if (!keyLine(clip, key, line, problem)) return false;
    return replaceToken(line, 1, formatTime(time, tempoAbove(lines, line)), problem);
}

bool TimelineDocument::addKey(size_t clip, const Key& key, size_t& index, std::string& problem) {
    if (!unmapped.empty() || clip >= map.size()) {
        problem = unmapped.empty() ? filePath + ": no such clip to edit" : unmapped;
        return false;
    }
    const EffectDescription& effect = describeEffect(int(timeline.clips[clip].record.effect));
    if (key.property < 0 || key.property >= effect.propertyCount || !std::isfinite(key.value)) {
        problem = filePath + ": the clip's effect has no such property";
        return false;
    }
    // After the property's last key (in file order) at or before the time; else before its
    // first key; else after the clip's last key, or the clip itself.
    const ClipSource& source = map[clip];
    const std::vector<Key>& keys = timeline.clips[clip].keys;
    long atOrBefore = -1, first = -1;
    for (size_t k = 0; k < keys.size(); k++) {
        if (keys[k].property != key.property) continue;
        if (first < 0) first = long(k);
        if (keys[k].time <= key.time) atOrBefore = long(k);
    }
    size_t at; // the line index the statement takes
    if (atOrBefore >= 0) {
        index = size_t(atOrBefore) + 1;
        at = source.keyLines[size_t(atOrBefore)] + 1;
    } else if (first >= 0) {
        index = size_t(first);
        at = source.keyLines[size_t(first)];
    } else {
        index = keys.size();
        at = (keys.empty() ? source.line : source.keyLines.back()) + 1;
    }
    std::string indent = "  ";
    if (!source.keyLines.empty()) {
        const std::string& model = lines[source.keyLines[0]];
        indent = model.substr(0, model.find_first_not_of(" \t"));
    }
    std::vector<std::string> edited = lines;
    std::string end = lineEndOf(edited[at - 1]);
    for (size_t i = 0; end.empty() && i < edited.size(); i++) // the file's own line end
        end = lineEndOf(edited[i]);
    if (end.empty()) end = "\n";
    std::string statementEnd = end;
    if (at == edited.size() && lineEndOf(edited.back()).empty()) {
        edited.back() += end; // the new statement becomes the last line without a line end
        statementEnd.clear();
    }
    std::string statement = indent + "key " + formatTime(key.time, tempoAbove(lines, at)) + " \"" +
                            effect.properties[key.property].name + "\" " +
                            formatKeyValue(key.value) + (key.ease ? " ease" : "") + statementEnd;
    edited.insert(edited.begin() + long(at), statement);
    std::vector<std::string> editedOrigins = origins;
    editedOrigins.insert(editedOrigins.begin() + long(at), "");
    return commit(std::move(edited), std::move(editedOrigins), problem);
}

bool TimelineDocument::removeKey(size_t clip, size_t key, std::string& problem) {
    size_t line;
    if (!keyLine(clip, key, line, problem)) return false;
    std::vector<std::string> edited = lines, editedOrigins = origins;
    edited.erase(edited.begin() + long(line));
    editedOrigins.erase(editedOrigins.begin() + long(line));
    return commit(std::move(edited), std::move(editedOrigins), problem);
}

bool TimelineDocument::save(std::string& problem) {
    std::string onDisk, reason, now = text();
    if (!readTextFile(filePath, onDisk, reason)) {
        problem = filePath + ": cannot be read to check it before saving (" + reason +
                  "); nothing was saved";
        return false;
    }
    if (onDisk != base) {
        problem = filePath + ": another program changed it since it was loaded; the " +
                  std::to_string(edits) +
                  " unsaved edit(s) were not written over it (R loads the file and drops them)";
        return false;
    }
    if (now != base && !writeTextFileWhole(filePath, now, problem)) return false;
    base = now;
    origins = lines;
    edits = 0;
    return true;
}
