// Projection and view helpers; both multiply onto the current matrix in single precision.
#pragma once

// Multiplies a glFrustum for a vertical field of view in degrees onto the current matrix.
void qorPerspective(float fov, float aspect, float zNear, float zFar);

// Multiplies a view matrix looking from eye at target onto the current matrix, like gluLookAt.
void qorLookAt(float eyeX, float eyeY, float eyeZ, float targetX, float targetY, float targetZ,
               float upX, float upY, float upZ);

// The 4 x 4 column-major matrix qorLookAt multiplies before its translation.
void qorLookAtRotation(const float eye[3], const float target[3], const float up[3],
                       float matrix[16]);
