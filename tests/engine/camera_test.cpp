#include "engine/camera.h"
#include "tests/support/gl_test.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

using Matrix = std::array<float, 16>;

Matrix modelview() {
    Matrix m;
    glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
    return m;
}

template <typename Apply> Matrix matrixAfter(Apply apply) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    apply();
    return modelview();
}

void expectNear(const Matrix& a, const Matrix& b, float tolerance) {
    for (int i = 0; i < 16; i++)
        EXPECT_NEAR(a[i], b[i], tolerance) << "element " << i;
}

} // namespace

TEST(CameraHelpers, PerspectiveEqualsTheMatchingFrustum) {
    Matrix ours = matrixAfter([] { qorPerspective(90, 1, 1, 100); });
    Matrix frustum = matrixAfter([] { glFrustum(-1, 1, -1, 1, 1, 100); });
    expectNear(ours, frustum, 1e-6f);

    Matrix wide = matrixAfter([] { qorPerspective(45, 4.0f / 3.0f, 0.1f, 1000); });
    double top = 0.1 * std::tan(M_PI / 8);
    Matrix wideFrustum =
        matrixAfter([&] { glFrustum(-top * 4 / 3, top * 4 / 3, -top, top, 0.1, 1000); });
    expectNear(wide, wideFrustum, 1e-4f);
}

TEST(CameraHelpers, LookAtEqualsGluLookAt) {
    const float cases[][9] = {
        {0, 0, 5, 0, 0, 0, 0, 1, 0},      {3, 4, 5, -1, 0.5f, 2, 0, 1, 0},
        {-20, 7, 3, 10, 0, -40, 0, 1, 0}, {1, 2, 3, 4, 5, 6, 0.3f, 0.9f, 0.1f},
        {0, 10, 0, 0, 0, 1, 0, 1, 0},
    };
    for (const float* c : cases) {
        Matrix ours =
            matrixAfter([&] { qorLookAt(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8]); });
        Matrix glu =
            matrixAfter([&] { gluLookAt(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8]); });
        expectNear(ours, glu, 1e-4f);
    }
}

TEST(CameraHelpers, LookAtFromTheTargetOrAlongUpGivesNoNaN) {
    Matrix same = matrixAfter([] { qorLookAt(1, 2, 3, 1, 2, 3, 0, 1, 0); });
    for (float v : same)
        EXPECT_FALSE(std::isnan(v));
    for (int column = 0; column < 3; column++)
        for (int row = 0; row < 3; row++)
            EXPECT_EQ(same[column * 4 + row], 0.0f);
    EXPECT_EQ(same[15], 1.0f);

    Matrix alongUp = matrixAfter([] { qorLookAt(0, 5, 0, 0, 0, 0, 0, 1, 0); });
    for (float v : alongUp)
        EXPECT_FALSE(std::isnan(v));
}
