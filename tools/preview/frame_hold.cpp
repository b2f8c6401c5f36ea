#include "tools/preview/frame_hold.h"

#include "engine/fbo.h"
#include "tools/preview/painter.h"

FrameRect placeFrame(int windowWidth, int windowHeight) {
    float width = float(windowWidth), height = float(windowHeight);
    if (width * 3 > height * 4)
        width = height * 4 / 3;
    else
        height = width * 3 / 4;
    return {(float(windowWidth) - width) / 2, (float(windowHeight) - height) / 2, width, height};
}

FrameHold::~FrameHold() {
    if (texture) glDeleteTextures(1, &texture);
}

void FrameHold::capture(int frameWidth, int frameHeight) {
    width = frameWidth;
    height = frameHeight;
    paint::saveProductionState();
    if (!texture) {
        textureWidth = int(qorNextPowerOfTwo(unsigned(width)));
        textureHeight = int(qorNextPowerOfTwo(unsigned(height)));
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, textureWidth, textureHeight, 0, GL_RGB,
                     GL_UNSIGNED_BYTE, nullptr);
    }
    glBindTexture(GL_TEXTURE_2D, texture);
    glReadBuffer(GL_BACK);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, width, height);
    paint::restoreProductionState();
}

void FrameHold::show(int windowWidth, int windowHeight) {
    if (!texture) return;
    FrameRect place = placeFrame(windowWidth, windowHeight);
    paint::begin(windowWidth, windowHeight);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    bool same = float(width) == place.width && float(height) == place.height;
    GLint filter = same ? GL_NEAREST : GL_LINEAR;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    float u = float(width) / float(textureWidth), v = float(height) / float(textureHeight);
    float left = place.x, top = place.y, right = place.x + place.width,
          bottom = place.y + place.height;
    glBegin(GL_QUADS); // texture row 0 is the frame's bottom row; y runs downwards here
    glTexCoord2f(0, v);
    glVertex2f(left, top);
    glTexCoord2f(0, 0);
    glVertex2f(left, bottom);
    glTexCoord2f(u, 0);
    glVertex2f(right, bottom);
    glTexCoord2f(u, v);
    glVertex2f(right, top);
    glEnd();
    glBindTexture(GL_TEXTURE_2D, 0);
    paint::end();
}
