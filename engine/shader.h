// GLSL programs built from source texts or files. A program is its GL name; 0 means none.
// The engine never deletes a program built here.
#pragma once

#include "engine/gl.h"

#include <cstddef>

// Builds and links a program; either stage may be null (fixed function), not both.
// Returns 0 after logging a compile error; a failed link is logged and still returns the name.
GLuint qorCreateProgram(const char* fragmentSource, const char* vertexSource);

// As qorCreateProgram, reading the stages from text files; a missing file logs and returns 0.
GLuint qorLoadProgram(const char* fragmentPath, const char* vertexPath);

// Rebuilds in place every program qorLoadProgram built with `path` as one of its stages: `source`
// is that file's new text, the other stage is its last rebuilt text or else re-read from its
// file. A program keeps its GL name, so whoever holds it draws with the new code; its uniforms
// return to their defaults and their locations may move. When a stage fails to compile or the
// link fails, every program keeps its old code and `problem` (problemSize bytes) receives the
// driver's log. Returns the number of programs rebuilt (0: none came from that file), or -1.
int qorRebuildProgramsFrom(const char* path, const char* source, char* problem, size_t problemSize);
