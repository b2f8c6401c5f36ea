#include "scenes/scene_helpers.h"
#include "tests/support/gl_test.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace {

struct Point {
    float x, y;
};

void identityView() {
    glViewport(0, 0, kTestScreenWidth, kTestScreenHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// The corners GL rasterises for what draw issues, in normalised device coordinates (equal to
// the drawing's own coordinates under identity matrices), duplicates removed.
std::vector<Point> feedbackCorners(const std::function<void()>& draw) {
    identityView();
    std::vector<GLfloat> buffer(4096);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_2D, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    int used = glRenderMode(GL_RENDER);
    std::vector<Point> corners;
    for (int i = 0; i < used;) {
        int count = 0;
        if (buffer[i] == GL_POLYGON_TOKEN) {
            count = static_cast<int>(buffer[i + 1]);
            i += 2;
        } else {
            i += 1; // no other tokens are expected; skip
            continue;
        }
        for (int k = 0; k < count; k++, i += 2) {
            Point p{(buffer[i] - kTestScreenWidth / 2.0f) / (kTestScreenWidth / 2.0f),
                    (buffer[i + 1] - kTestScreenHeight / 2.0f) / (kTestScreenHeight / 2.0f)};
            bool seen = false;
            for (const Point& q : corners)
                seen = seen || (std::fabs(p.x - q.x) < 1e-4f && std::fabs(p.y - q.y) < 1e-4f);
            if (!seen) corners.push_back(p);
        }
    }
    return corners;
}

// The rotation of a w x h card (w > h) from its corners: the direction of a long edge, in
// degrees within (-90, 90].
float cardAngle(const std::vector<Point>& corners, float w) {
    for (size_t i = 0; i < corners.size(); i++)
        for (size_t j = i + 1; j < corners.size(); j++) {
            float dx = corners[j].x - corners[i].x, dy = corners[j].y - corners[i].y;
            if (std::fabs(std::hypot(dx, dy) - w) > 1e-3f) continue;
            float degrees = std::atan2(dy, dx) * 180.0f / static_cast<float>(M_PI);
            while (degrees <= -90)
                degrees += 180;
            while (degrees > 90)
                degrees -= 180;
            return degrees;
        }
    ADD_FAILURE() << "no edge of length " << w;
    return NAN;
}

constexpr float kCardW = 0.4f, kCardH = 0.2f, kMaxAngle = 30;

std::vector<Point> swingAt(int32_t start, int32_t end, int32_t now) {
    return feedbackCorners([&] { drawSwingingCard(kCardW, kCardH, kMaxAngle, start, end, now); });
}

} // namespace

TEST(CenteredQuad, PutsTextureRowZeroAtTheBottomEdge) {
    // Two texture rows: row 0 red, row 1 blue.
    const uint8_t texels[] = {255, 0, 0, 255, 0, 0, 255, 255};
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    clearTo(0, 0, 0);
    identityView();
    glEnable(GL_TEXTURE_2D);
    glColor4f(1, 1, 1, 1);
    drawCenteredQuad(1, 1); // covers the middle half of the screen in each direction
    glDisable(GL_TEXTURE_2D);
    glDeleteTextures(1, &texture);

    EXPECT_EQ(readPixel(512, 384 - 150), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(readPixel(512, 384 + 150), (Rgba{0, 0, 255, 255}));
    EXPECT_EQ(readPixel(512 - 300, 384), (Rgba{0, 0, 0, 255}));
}

TEST(CenteredQuad, SpansWByHAboutTheOrigin) {
    std::vector<Point> corners = feedbackCorners([] { drawCenteredQuad(0.5f, 0.25f); });
    ASSERT_EQ(corners.size(), 4u);
    float minX = 9, maxX = -9, minY = 9, maxY = -9;
    for (const Point& p : corners) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    EXPECT_NEAR(minX, -0.25f, 1e-4);
    EXPECT_NEAR(maxX, 0.25f, 1e-4);
    EXPECT_NEAR(minY, -0.125f, 1e-4);
    EXPECT_NEAR(maxY, 0.125f, 1e-4);
}

TEST(SwingingCard, DrawsNothingBeforeItsStart) {
    EXPECT_TRUE(swingAt(2000, 2300, 1999).empty());
    EXPECT_TRUE(swingAt(2000, 2300, -5).empty());
}

TEST(SwingingCard, TurnsToItsMaximumAtTheMiddleAndBack) {
    EXPECT_NEAR(cardAngle(swingAt(2000, 2300, 2000), kCardW), 0, 0.01);
    EXPECT_NEAR(cardAngle(swingAt(2000, 2300, 2075), kCardW), kMaxAngle / 2, 0.01);
    EXPECT_NEAR(cardAngle(swingAt(2000, 2300, 2150), kCardW), kMaxAngle, 0.01);
    EXPECT_NEAR(cardAngle(swingAt(2000, 2300, 2225), kCardW), kMaxAngle / 2, 0.01);
    EXPECT_NEAR(cardAngle(swingAt(2000, 2300, 2300), kCardW), 0, 0.01);
}

TEST(SwingingCard, RestsUnrotatedAfterItsEnd) {
    for (int32_t now : {2301, 5000, 1000000}) {
        std::vector<Point> corners = swingAt(2000, 2300, now);
        ASSERT_EQ(corners.size(), 4u) << now;
        EXPECT_NEAR(cardAngle(corners, kCardW), 0, 0.01) << now;
    }
}

TEST(SwingingCard, EmptyWindowDrawsNothingAtAnyTime) {
    for (int32_t now : {1999, 2000, 2001, 100000})
        EXPECT_TRUE(swingAt(2000, 2000, now).empty()) << now;
    EXPECT_TRUE(swingAt(3000, 2000, 3500).empty());
}
