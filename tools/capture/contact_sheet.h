// A contact sheet: frames shrunk by a whole factor and tiled left to right, top to bottom,
// into one picture for reviewers.
#pragma once

#include "tools/pictures/canvas.h"
#include "tools/pictures/picture_io.h"

class ContactSheet {
  public:
    // Room for `tileCount` tiles of (frameWidth / scale) x (frameHeight / scale) pixels,
    // `columns` per row, with a gap of kGap pixels of dark grey around every tile.
    ContactSheet(int frameWidth, int frameHeight, int scale, int columns, int tileCount);

    // Shrinks an RGB frame of the sheet's frame size (each tile pixel is the mean of a
    // scale x scale block) into the next free tile; ignored once the sheet is full. A caption
    // (a coverage mask, such as the frame's time in lettering) is drawn in white over a darkened
    // box in the tile's lower left corner, clipped to the tile.
    void add(const Picture& frame, const Mask* caption = nullptr);

    const Picture& picture() const { return sheet; }

    static constexpr int kGap = 4;
    static constexpr uint8_t kBackground = 32;
    static constexpr float kCaptionShade = 0.4f; // what the caption box leaves of the tile

  private:
    void drawCaption(const Mask& caption, int left, int bottom);

    Picture sheet;
    int scale, columns, tileCount, tileWidth, tileHeight;
    int added = 0;
};
