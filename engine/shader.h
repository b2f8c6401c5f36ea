// GLSL programs built from source texts or files. A program is its GL name; 0 means none.
// The engine never deletes a program built here.
#pragma once

#include "engine/gl.h"

// Builds and links a program; either stage may be null (fixed function), not both.
// Returns 0 after logging a compile error; a failed link is logged and still returns the name.
GLuint qorCreateProgram(const char* fragmentSource, const char* vertexSource);

// As qorCreateProgram, reading the stages from text files; a missing file logs and returns 0.
GLuint qorLoadProgram(const char* fragmentPath, const char* vertexPath);
