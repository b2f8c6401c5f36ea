#include "engine/camera.h"

#include "engine/gl.h"

#include <cmath>

namespace {

void normaliseIfNonZero(float v[3]) {
    float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length == 0.0f) return;
    v[0] /= length;
    v[1] /= length;
    v[2] /= length;
}

void cross(const float a[3], const float b[3], float out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

} // namespace

void qorPerspective(float fov, float aspect, float zNear, float zFar) {
    float half = static_cast<float>(fov * M_PI / 360.0);
    double halfAngle = half;
    float top = static_cast<float>(std::sin(halfAngle) * zNear / std::cos(halfAngle));
    float bottom = -top;
    float right = top * aspect;
    float left = bottom * aspect;
    glFrustum(left, right, bottom, top, zNear, zFar);
}

void qorLookAtRotation(const float eye[3], const float target[3], const float up[3],
                       float matrix[16]) {
    float f[3] = {eye[0] - target[0], eye[1] - target[1], eye[2] - target[2]};
    normaliseIfNonZero(f);
    float s[3], u[3];
    cross(up, f, s);
    cross(f, s, u);
    normaliseIfNonZero(s);
    normaliseIfNonZero(u);
    const float m[16] = {s[0], u[0], f[0], 0, s[1], u[1], f[1], 0, s[2], u[2], f[2], 0, 0, 0, 0, 1};
    for (int i = 0; i < 16; i++)
        matrix[i] = m[i];
}

void qorLookAt(float eyeX, float eyeY, float eyeZ, float targetX, float targetY, float targetZ,
               float upX, float upY, float upZ) {
    const float eye[3] = {eyeX, eyeY, eyeZ};
    const float target[3] = {targetX, targetY, targetZ};
    const float up[3] = {upX, upY, upZ};
    float matrix[16];
    qorLookAtRotation(eye, target, up, matrix);
    glMultMatrixf(matrix);
    glTranslatef(-eyeX, -eyeY, -eyeZ);
}
