#include "tools/capture/contact_sheet.h"

#include <cassert>

ContactSheet::ContactSheet(int frameWidth, int frameHeight, int scale, int columns, int tileCount)
    : scale(scale), columns(columns), tileCount(tileCount), tileWidth(frameWidth / scale),
      tileHeight(frameHeight / scale) {
    assert(scale > 0 && columns > 0 && tileCount > 0);
    int rows = (tileCount + columns - 1) / columns;
    int usedColumns = tileCount < columns ? tileCount : columns;
    sheet.width = usedColumns * (tileWidth + kGap) + kGap;
    sheet.height = rows * (tileHeight + kGap) + kGap;
    sheet.channels = 3;
    sheet.pixels.assign(size_t(sheet.width) * size_t(sheet.height) * 3, kBackground);
}

void ContactSheet::add(const Picture& frame, const Mask* caption) {
    if (added >= tileCount) return;
    assert(frame.channels == 3 && frame.width >= tileWidth * scale &&
           frame.height >= tileHeight * scale);
    int left = kGap + (added % columns) * (tileWidth + kGap);
    int top = kGap + (added / columns) * (tileHeight + kGap);
    int area = scale * scale;
    for (int y = 0; y < tileHeight; y++) {
        for (int x = 0; x < tileWidth; x++) {
            int sum[3] = {0, 0, 0};
            for (int dy = 0; dy < scale; dy++)
                for (int dx = 0; dx < scale; dx++) {
                    const uint8_t* source = frame.pixel(x * scale + dx, y * scale + dy);
                    for (int c = 0; c < 3; c++)
                        sum[c] += source[c];
                }
            uint8_t* target =
                &sheet.pixels[(size_t(top + y) * size_t(sheet.width) + size_t(left + x)) * 3];
            for (int c = 0; c < 3; c++)
                target[c] = uint8_t((sum[c] + area / 2) / area);
        }
    }
    if (caption) drawCaption(*caption, left, top + tileHeight);
    added++;
}

void ContactSheet::drawCaption(const Mask& caption, int left, int bottom) {
    int width = caption.width < tileWidth ? caption.width : tileWidth;
    int height = caption.height < tileHeight ? caption.height : tileHeight;
    for (int y = 0; y < height; y++) {
        int row = bottom - height + y;
        for (int x = 0; x < width; x++) {
            float ink = clamp01(caption.at(x, y));
            uint8_t* target =
                &sheet.pixels[(size_t(row) * size_t(sheet.width) + size_t(left + x)) * 3];
            for (int c = 0; c < 3; c++) {
                float shaded = target[c] * kCaptionShade;
                target[c] = uint8_t(shaded + (255 - shaded) * ink + 0.5f);
            }
        }
    }
}
