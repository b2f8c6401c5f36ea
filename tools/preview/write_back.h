// The timeline text being edited in the preview: its lines as written, what they compile to,
// and which line each clip and key comes from. An edit rewrites, adds or removes one key line
// and keeps every other byte (comments, blank lines, spacing, line ends); saving writes the
// whole file or nothing, and never over a file another program changed meanwhile.
#pragma once

#include "runtime/timeline_format.h"
#include "tools/preview/text_file.h"

#include <cstdint>
#include <string>
#include <vector>

// Where a compiled clip comes from: 0-based line indexes of its statement and of its keys'
// statements, in file order (the order of the compiled keys).
struct ClipSource {
    size_t line = 0;
    std::vector<size_t> keyLines;
};

// A named part of the production: a comment line of three or more dashes and a name
// ("# ------ intro: the night city" names "intro") opens a section at the start of the first
// clip below it.
struct Section {
    std::string name;
    uint32_t start;
};

class TimelineDocument {
  public:
    // Takes text, read from path, as the document: compiles it, maps its statements and finds
    // its sections. False with "PATH:LINE: problem", or "PATH: ..." for a text without clips,
    // and the document unchanged.
    bool adopt(const std::string& path, const std::string& text, std::string& problem);
    bool loaded() const { return !filePath.empty(); }
    // Empty when key edits work; else why they do not (the statements could not be mapped).
    const std::string& editProblem() const { return unmapped; }

    const std::string& path() const { return filePath; }
    std::string text() const;
    // The adopted or last saved text: what the file held when this document last agreed with it.
    const std::string& savedText() const { return base; }
    const TimelineFileData& compiled() const { return timeline; }
    const std::vector<ClipSource>& sources() const { return map; }
    const std::vector<Section>& sections() const { return sectionList; }
    // The 1-based line number of a key (file order) of a clip.
    int keyLineNumber(size_t clip, size_t key) const;
    // Unsaved edits: the text differs from savedText.
    bool dirty() const { return text() != base; }
    int editCount() const { return edits; }

    // Edits of a clip's key (index in file order). Each recompiles the text; false with the
    // problem and the document as it was when the edit is impossible. Times are ms from the
    // clip's start, written as bars:beats when a tempo line is above and the time lies on a
    // quarter beat.
    bool setKeyValue(size_t clip, size_t key, float value, std::string& problem);
    bool setKeyTime(size_t clip, size_t key, uint32_t time, std::string& problem);
    // Adds a key statement beside the clip's keys of the same property (in time order) and
    // gives back the new key's index.
    bool addKey(size_t clip, const Key& key, size_t& index, std::string& problem);
    bool removeKey(size_t clip, size_t key, std::string& problem);

    // Writes the text to the file when the file still holds savedText; otherwise, or when the
    // write fails, false with the problem and the file as it was.
    bool save(std::string& problem);

  private:
    bool keyLine(size_t clip, size_t key, size_t& line, std::string& problem) const;
    bool replaceToken(size_t line, size_t token, const std::string& text, std::string& problem);
    bool commit(std::vector<std::string> edited, std::vector<std::string> editedOrigins,
                std::string& problem, size_t touched = SIZE_MAX);

    std::string filePath;
    std::vector<std::string> lines;   // each with its own line end, as read
    std::vector<std::string> origins; // each line's text as loaded or saved; "" for new lines
    std::string base;
    TimelineFileData timeline;
    std::vector<ClipSource> map;
    std::vector<Section> sectionList;
    std::string unmapped;
    int edits = 0;
};
