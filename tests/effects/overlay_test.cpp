#include "engine/error.h"
#include "runtime/clip.h"
#include "scenes/overlay.h"
#include "tests/effects/effects_test_util.h"
#include "tests/support/gl_test.h"
#include "tests/support/process.h"
#include "tools/pictures/picture_io.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <string>

namespace {

const Rgba kRed{255, 0, 0, 255};
const Rgba kBlue{0, 0, 255, 255};
const Rgba kGrey{51, 51, 51, 255};

// A 64 x 48 picture, blue with a red band over its top quarter, saved as a 24-bit BMP (SDL_image
// reads it like the demo's PNG and JPG pictures).
std::string writeMarkedPicture(const ScratchDir& dir) {
    SDL_Surface* surface =
        SDL_CreateRGBSurface(SDL_SWSURFACE, 64, 48, 24, 0x0000FF, 0x00FF00, 0xFF0000, 0);
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 255));
    SDL_Rect topRow{0, 0, 64, 12};
    SDL_FillRect(surface, &topRow, SDL_MapRGB(surface->format, 255, 0, 0));
    std::string path = dir.path() + "/marked.bmp";
    SDL_SaveBMP(surface, path.c_str());
    SDL_FreeSurface(surface);
    return path;
}

void setProperties(Overlay& overlay, float transparency, float rotation, float scale, float x,
                   float y) {
    const float values[] = {transparency, rotation, scale, x, y};
    for (size_t i = 0; i < 5; i++)
        *overlay.properties()[i].target = values[i];
}

void renderOver(Overlay& overlay, float grey) {
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    clearTo(grey, grey, grey);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushMatrix();
    overlay.render(0);
    glPopMatrix();
    glPopAttrib();
}

Key key(uint32_t time, int32_t property, float value) {
    Key k{};
    k.time = time;
    k.property = property;
    k.value = value;
    return k;
}

class OverlayTest : public testing::Test {
  protected:
    void SetUp() override {
        path = writeMarkedPicture(dir);
        overlay = std::make_unique<Overlay>(path.c_str());
        ASSERT_TRUE(overlay->load());
    }
    ScratchDir dir;
    std::string path;
    std::unique_ptr<Overlay> overlay;
};

} // namespace

TEST_F(OverlayTest, NameAndProperties) {
    EXPECT_EQ(std::string(overlay->name()), "Overlay: " + path);
    const char* names[] = {"Transparency", "Rotation", "Scale", "Position X", "Position Y"};
    ASSERT_EQ(overlay->properties().size(), 5u);
    for (int i = 0; i < 5; i++)
        EXPECT_STREQ(overlay->propertyName(i), names[i]);
}

TEST(OverlayName, ALongPathIsCutToTheBuffer) {
    std::string longPath = "data/" + std::string(400, 'x') + ".png";
    Overlay overlay(longPath.c_str());
    std::string name = overlay.name();
    EXPECT_EQ(name.size(), Overlay::kNameSize - 1);
    EXPECT_EQ(name, ("Overlay: " + longPath).substr(0, Overlay::kNameSize - 1));
}

TEST_F(OverlayTest, DefaultsCoverTheViewportUpright) {
    setProperties(*overlay, 1, 0, 1, 0, 0);
    renderOver(*overlay, 0.2f);
    // Pixels near an edge mix with the opposite edge (the picture repeats), so probe inside.
    EXPECT_EQ(readPixel(512, 700), kRed);
    EXPECT_EQ(readPixel(20, 700), kRed);
    EXPECT_EQ(readPixel(512, 384), kBlue);
    EXPECT_EQ(readPixel(20, 20), kBlue);
    EXPECT_EQ(readPixel(1003, 20), kBlue);
}

TEST_F(OverlayTest, PositionXOneMovesTheCentreToTheRightEdge) {
    setProperties(*overlay, 1, 0, 1, 1, 0);
    renderOver(*overlay, 0.2f);
    EXPECT_EQ(readPixel(300, 384), kGrey);
    EXPECT_EQ(readPixel(700, 384), kBlue);
    EXPECT_EQ(readPixel(1003, 700), kRed);
}

TEST_F(OverlayTest, RotationNinetyTurnsAndSqueezes) {
    setProperties(*overlay, 1, 90, 1, 0, 0);
    renderOver(*overlay, 0.2f);
    // Turned counter-clockwise, the top row lies along the left edge of the screen, and the
    // picture is stretched over the viewport in device units, not letter-boxed.
    EXPECT_EQ(readPixel(60, 384), kRed);
    EXPECT_EQ(readPixel(1000, 384), kBlue);
    EXPECT_EQ(readPixel(512, 20), kBlue);
}

// Moved, then turned, then scaled about its own centre: the move is neither turned nor scaled.
TEST_F(OverlayTest, PositionRotationAndScaleApplyInThatOrder) {
    setProperties(*overlay, 1, 90, 0.5f, 0.5f, 0);
    renderOver(*overlay, 0.2f);
    // A half-size picture (0.5 from its centre to each side) centred at x = 0.5, that is from
    // pixel 512 to the right edge and from row 192 to row 576, its red top quarter turned to the
    // left.
    EXPECT_EQ(readPixel(560, 384), kRed);
    EXPECT_EQ(readPixel(768, 384), kBlue);
    EXPECT_EQ(readPixel(900, 250), kBlue);
    EXPECT_EQ(readPixel(480, 384), kGrey);
    EXPECT_EQ(readPixel(768, 650), kGrey);
}

TEST_F(OverlayTest, ZeroTransparencyDrawsNothingButClearsDepth) {
    setProperties(*overlay, 0, 0, 1, 0, 0);
    glClearDepth(0.25);
    renderOver(*overlay, 0.2f);
    glClearDepth(1);
    EXPECT_EQ(readPixel(512, 384), kGrey);
    float depth = 0;
    glReadPixels(512, 384, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_FLOAT_EQ(depth, 1.0f);
}

TEST_F(OverlayTest, TwoClipsInOneFrameShowTheirOwnValues) {
    Overlay second(path.c_str());
    ASSERT_TRUE(second.load());
    Clip left(overlay.get());
    left.addKey(key(0, 3, -0.5f)); // Position X
    left.addKey(key(0, 2, 0.4f));  // Scale
    Clip right(&second);
    right.addKey(key(0, 3, 0.5f));
    right.addKey(key(0, 2, 0.4f));

    glDisable(GL_TEXTURE_2D);
    clearTo(0.2f, 0.2f, 0.2f);
    for (Clip* clip : {&left, &right}) {
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        glPushMatrix();
        clip->applyProperties(100);
        clip->effect->render(100);
        glPopMatrix();
        glPopAttrib();
    }
    EXPECT_EQ(readPixel(256, 384), kBlue); // centre of the left picture
    EXPECT_EQ(readPixel(768, 384), kBlue); // centre of the right picture
    EXPECT_EQ(readPixel(512, 384), kGrey); // between them
    EXPECT_EQ(readPixel(256, 700), kGrey); // above them: the pictures are scaled down
}

TEST(OverlayLoad, AMissingPictureFailsTheLoad) {
    testing::internal::CaptureStderr();
    Overlay overlay("no/such/picture.png");
    EXPECT_FALSE(overlay.load());
    EXPECT_EQ(testing::internal::GetCapturedStderr().rfind("QOR error: ", 0), 0u);
}

TEST(OverlayPicture, AMarkInATransparentPictureFollowsRotationAndPosition) {
    // 64 x 48, transparent but for an opaque red block over texels 8-15 by 6-11 (from the top).
    Picture picture;
    picture.width = 64;
    picture.height = 48;
    picture.channels = 4;
    picture.pixels.assign(64 * 48 * 4, 0);
    for (int y = 6; y < 12; y++)
        for (int x = 8; x < 16; x++) {
            uint8_t* texel = &picture.pixels[(size_t(y) * 64 + size_t(x)) * 4];
            texel[0] = 255;
            texel[3] = 255;
        }
    ScratchDir dir;
    std::string path = dir.path() + "/mark.png";
    ASSERT_TRUE(writePng(path, picture));
    Overlay overlay(path.c_str());
    ASSERT_TRUE(overlay.load());
    setProperties(overlay, 1, 90, 1, 0.5f, 0);
    renderOver(overlay, 0.2f);
    // The block's centre (-0.625, 0.625) on the quad, turned a quarter and moved right by 0.5.
    EXPECT_EQ(readPixel(448, 144), kRed);
    EXPECT_EQ(readPixel(448, 624), kGrey);
    EXPECT_EQ(readPixel(512, 384), kGrey);
}
