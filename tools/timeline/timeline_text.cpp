#include "tools/timeline/timeline_text.h"

#include "production/registry.h"
#include "production/time_text.h"
#include "tools/formats/file_writer.h"
#include "tools/studio.h"

#include <cerrno>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

using timeline_text::checkTimelineTempo;
using timeline_text::parseInteger;
using timeline_text::parseReal;

namespace {

// ---- Writing -------------------------------------------------------------------------------

void appendLe32(std::vector<uint8_t>& bytes, uint32_t value) {
    uint8_t field[4];
    writeLe32(field, value);
    bytes.insert(bytes.end(), field, field + 4);
}

constexpr const char* kDefaultDecompiledPath = "out/timeline.txt";

// ---- Writing the text form -----------------------------------------------------------------

// The effect as the compiler reads it back to the same index: its name when that name's first
// entry is this one, else its index.
std::string formatEffect(uint32_t index) {
    const char* name = describeEffect(int(index)).name;
    for (uint32_t i = 0; i < index; i++)
        if (strcmp(describeEffect(int(i)).name, name) == 0) return std::to_string(index);
    return "\"" + std::string(name) + "\"";
}

// The file's bytes; false with errno set when it cannot be read (EISDIR for a directory, which
// a stream would read as an empty text).
bool readWholeFile(const std::string& path, std::string& contents) {
    struct stat info;
    if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        errno = EISDIR;
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    std::ostringstream buffer;
    buffer << file.rdbuf();
    contents = buffer.str();
    return !file.bad();
}

// Writes the file whole or not at all; prints the problem naming it when it cannot.
bool writeWholeFile(const std::string& path, const void* bytes, size_t size) {
    std::string error;
    if (formats::writeBytesFile(path, bytes, size, &error)) return true;
    fprintf(stderr, "timeline: %s\n", error.c_str());
    return false;
}

int compileFile(const std::string& in, const std::string& out) {
    std::string text, error;
    if (!readWholeFile(in, text)) {
        fprintf(stderr, "timeline: cannot read %s: %s\n", in.c_str(), strerror(errno));
        return 1;
    }
    std::vector<uint8_t> bytes;
    std::vector<std::string> warnings;
    bool compiled = compileTimeline(text, in, bytes, error, &warnings);
    for (const std::string& warning : warnings)
        fprintf(stderr, "%s\n", warning.c_str());
    if (!compiled) {
        fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    if (!writeWholeFile(out, bytes.data(), bytes.size())) return 1;
    printf("timeline: %s -> %s (%zu bytes)\n", in.c_str(), out.c_str(), bytes.size());
    return 0;
}

int decompileFile(const std::string& in, const std::string& out, const Tempo& tempo) {
    std::string contents, text, error;
    if (!readWholeFile(in, contents)) {
        fprintf(stderr, "timeline: cannot read %s: %s\n", in.c_str(), strerror(errno));
        return 1;
    }
    std::vector<uint8_t> bytes(contents.begin(), contents.end());
    if (!decompileTimeline(bytes, in, text, error, tempo)) {
        fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    if (!writeWholeFile(out, text.data(), text.size())) return 1;
    printf("timeline: %s -> %s\n", in.c_str(), out.c_str());
    return 0;
}

} // namespace

std::string formatKeyValue(float value) {
    char text[40];
    if (std::isfinite(value)) {
        // The shortest decimal that reads back as the same float.
        for (int digits = 6; digits <= 9; digits++) {
            snprintf(text, sizeof text, "%.*g", digits, double(value));
            if (strtof(text, nullptr) == value) break;
        }
    } else {
        uint32_t bits;
        memcpy(&bits, &value, 4);
        snprintf(text, sizeof text, "bits:0x%08" PRIx32, bits);
    }
    return text;
}

std::vector<uint8_t> encodeTimeline(const TimelineFileData& timeline) {
    std::vector<uint8_t> bytes;
    appendLe32(bytes, uint32_t(timeline.clipCount));
    for (const TimelineClipData& clip : timeline.clips) {
        uint8_t record[kClipRecordSize];
        encodeClipRecord(clip.record, record);
        bytes.insert(bytes.end(), record, record + kClipRecordSize);
        for (const Key& key : clip.keys) {
            uint8_t field[kKeyRecordSize];
            encodeKey(key, field);
            bytes.insert(bytes.end(), field, field + kKeyRecordSize);
        }
    }
    return bytes;
}

bool decompileTimeline(const std::vector<uint8_t>& bytes, const std::string& sourceName,
                       std::string& text, std::string& error, const Tempo& tempo) {
    TimelineFileData timeline;
    std::string problem;
    if (!parseTimeline(bytes.data(), bytes.size(), kEffectCount, timeline, problem)) {
        error = sourceName + ": " + problem;
        return false;
    }
    bool onGrid = tempo.beatsPerMinute > 0;
    auto time = [&](uint32_t ms) {
        std::string barBeat = onGrid && ms > 0 ? barBeatIfOnGrid(ms, tempo) : "";
        return barBeat.empty() ? std::to_string(ms) : barBeat;
    };
    std::ostringstream out;
    out << "# lirv timeline, decompiled from " << sourceName << "\n";
    out << "# clip EFFECT layer L start T duration T offset T; key T PROPERTY VALUE [ease]\n";
    out << (onGrid ? "# T: bars:beats where a time lies on a quarter beat, else milliseconds\n"
                   : "# T: milliseconds\n");
    if (onGrid) {
        char bpm[40];
        for (int digits = 6; digits <= 17; digits++) { // the shortest text that reads back
            snprintf(bpm, sizeof bpm, "%.*g", digits, tempo.beatsPerMinute);
            if (strtod(bpm, nullptr) == tempo.beatsPerMinute) break;
        }
        out << "\ntempo " << bpm << " " << tempo.beatsPerBar << "\n";
    }
    for (size_t c = 0; c < timeline.clips.size(); c++) {
        const TimelineClipData& clip = timeline.clips[c];
        const ClipRecord& record = clip.record;
        if (c > 0 && record.start < timeline.clips[c - 1].record.start) {
            error = sourceName + ": clip " + std::to_string(c) + " starts at " +
                    std::to_string(record.start) + " ms, before the clip above it";
            return false;
        }
        const EffectDescription& effect = describeEffect(int(record.effect));
        out << "\nclip " << formatEffect(record.effect) << " layer " << record.layer << " start "
            << time(record.start) << " duration " << time(record.duration) << " offset "
            << time(record.offset) << "\n";
        for (size_t k = 0; k < clip.keys.size(); k++) {
            const Key& key = clip.keys[k];
            if (key.property < 0 || key.property >= effect.propertyCount) {
                error = sourceName + ": key " + std::to_string(k) + " of clip " +
                        std::to_string(c) + " animates property " + std::to_string(key.property) +
                        ", which \"" + effect.name + "\" does not declare";
                return false;
            }
            out << "  key " << time(key.time) << " \"" << effect.properties[key.property].name
                << "\" " << formatKeyValue(key.value) << (key.ease ? " ease" : "") << "\n";
        }
    }
    text = out.str();
    return true;
}

namespace {

int timelineUsage() {
    fprintf(stderr,
            "usage: lirv-studio timeline compile TEXT_IN TIME_OUT\n"
            "       lirv-studio timeline decompile TIME_IN [TEXT_OUT] [--tempo BPM [--beats N]]\n"
            "decompile writes to %s unless TEXT_OUT is given; with --tempo (beats per minute;\n"
            "--beats per bar, default 4) times on a quarter beat are written as bars:beats.\n",
            kDefaultDecompiledPath);
    return 2;
}

// "decompile IN [OUT] [--tempo BPM [--beats N]]".
int runDecompile(int argc, char** argv) {
    std::string in, out = kDefaultDecompiledPath;
    Tempo tempo{0, 4};
    int positional = 0;
    for (int i = 2; i < argc; i++) {
        std::string arg = argv[i];
        long long beats = 0;
        if (arg == "--tempo" && i + 1 < argc) {
            std::string problem = "'" + messageExcerpt(argv[++i]) + "' is not a number";
            if (!parseReal(argv[i], tempo.beatsPerMinute) ||
                !checkTimelineTempo(tempo.beatsPerMinute, problem)) {
                fprintf(stderr, "timeline: --tempo: %s\n", problem.c_str());
                return 2;
            }
        } else if (arg == "--beats" && i + 1 < argc) {
            if (!parseInteger(argv[++i], 1, 64, beats)) {
                fprintf(stderr, "timeline: --beats '%s' is not a whole number from 1 to 64\n",
                        argv[i]);
                return 2;
            }
            tempo.beatsPerBar = int(beats);
        } else if (arg.compare(0, 2, "--") != 0 && positional < 2) {
            (positional++ == 0 ? in : out) = arg;
        } else {
            return timelineUsage();
        }
    }
    if (in.empty()) return timelineUsage();
    if (out == kDefaultDecompiledPath) {
        std::error_code failure;
        std::filesystem::create_directories("out", failure);
        if (failure) {
            fprintf(stderr, "timeline: cannot create the folder out: %s\n",
                    failure.message().c_str());
            return 1;
        }
    }
    return decompileFile(in, out, tempo);
}

} // namespace

int runTimelineCommand(int argc, char** argv) {
    if (argc == 4 && strcmp(argv[1], "compile") == 0) return compileFile(argv[2], argv[3]);
    if (argc >= 3 && strcmp(argv[1], "decompile") == 0) return runDecompile(argc, argv);
    return timelineUsage();
}

int generateTimeline(const StudioPaths& paths) {
    return compileFile(paths.sourceDir + "/content/timeline.txt", paths.dataDir + "/time");
}
