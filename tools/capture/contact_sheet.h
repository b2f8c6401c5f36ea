// A contact sheet: frames shrunk by a whole factor and tiled left to right, top to bottom,
// into one picture for reviewers.
#pragma once

#include "tools/pictures/picture_io.h"

class ContactSheet {
  public:
    // Room for `tileCount` tiles of (frameWidth / scale) x (frameHeight / scale) pixels,
    // `columns` per row, with a gap of kGap pixels of dark grey around every tile.
    ContactSheet(int frameWidth, int frameHeight, int scale, int columns, int tileCount);

    // Shrinks an RGB frame of the sheet's frame size (each tile pixel is the mean of a
    // scale x scale block) into the next free tile; ignored once the sheet is full.
    void add(const Picture& frame);

    const Picture& picture() const { return sheet; }

    static constexpr int kGap = 4;
    static constexpr uint8_t kBackground = 32;

  private:
    Picture sheet;
    int scale, columns, tileCount, tileWidth, tileHeight;
    int added = 0;
};
