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

// As qorLoadProgram for a model shader, also building specialised copies of its fragment
// stage with defines after the #version line: "LIGHT_COUNT 1" (light 1 left out; 2 unless
// defined), "DIRECTIONAL_LIGHTS" (every light used has w = 0: no attenuation) and, with the
// latter, "NO_SPECULAR" (no specular term). A copy is kept only where its uniforms lie where
// the full program's do, so that locations looked up in one serve all. Returns the full
// program (0 on failure).
GLuint qorLoadModelProgram(const char* fragmentPath, const char* vertexPath);

// The program to draw with under the current lights: for a program from qorLoadModelProgram,
// the most specialised copy that gives the same picture: single-light while light 1 cannot
// add anything (black ambient, diffuse and specular at a finite attenuation), directional
// while the lights used have w = 0, and without specular when specularShows is false (the
// caller's material has a black specular colour or shininess 0); the program otherwise.
GLuint qorProgramForDraw(GLuint program, bool specularShows);

// Whether qorLoadModelProgram built the program. Model programs position vertices as fixed
// function does (ftransform), so a mesh's bounds seen through the GL matrices hold for them.
bool qorIsModelProgram(GLuint program);

// Makes current a program that draws exactly as the fixed pipeline does with texture unit 0's
// 2-D texture modulated by the current colour, when that is all the fixed pipeline would do
// now: no program current, 2-D texturing on with a complete texture bound (not texture 0, which
// the fixed pipeline draws untextured in the current colour), no lighting, fog or texture
// coordinate generation.
// Returns whether it did; the caller makes program 0 current again after its draws. Mesa's
// software rasterizer runs these few instructions faster than it runs its own fixed-function
// path for textured quads, which is where the screen passes spend most of their time.
bool qorUsePlainTextureProgram();

// qorUsePlainTextureProgram for the draws of a scope: program 0 is current again at its end
// where the plain program was made current.
class PlainTextureDraw {
  public:
    PlainTextureDraw() : used(qorUsePlainTextureProgram()) {}
    ~PlainTextureDraw() {
        if (used) glUseProgram(0);
    }
    PlainTextureDraw(const PlainTextureDraw&) = delete;
    PlainTextureDraw& operator=(const PlainTextureDraw&) = delete;

  private:
    bool used;
};
