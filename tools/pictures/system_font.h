// The system's DejaVu Sans Mono, through FreeType: the capture's contact-sheet captions and the
// previewer's HUD use it. No picture of the production is set in it; those use the project's
// own faces (lettering.h).
#pragma once

#include <string>

#include "tools/pictures/lettering.h"

struct FT_LibraryRec_;
struct FT_FaceRec_;

// The faces of fonts-dejavu-core that the tools open.
enum class SystemFace { Mono, MonoBold, Count };

// Where the DejaVu fonts are installed.
constexpr const char* kFontDirectory = "/usr/share/fonts/truetype/dejavu/";

class SystemFont {
  public:
    SystemFont() = default;
    ~SystemFont();
    SystemFont(const SystemFont&) = delete;
    SystemFont& operator=(const SystemFont&) = delete;

    // Opens FreeType and every face; on failure returns false with `error` naming the file.
    bool open(std::string& error);

    // Renders UTF-8 text at a pixel size (em height), with extra letter spacing in pixels.
    // The mask has `margin` empty pixels around the ink, and pixelSize / 4 + 2 pixels of slack
    // on each side of the pen's run for bearings beyond the advance.
    TextLine line(SystemFace face, const std::string& text, int pixelSize, float tracking = 0,
                  int margin = 0) const;

  private:
    FT_LibraryRec_* library = nullptr;
    FT_FaceRec_* faces[static_cast<int>(SystemFace::Count)] = {};
};
