#include "engine/shader.h"

#include "engine/error.h"
#include "engine/load_stats.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kInfoLogSize = 1000;

// Compiles one stage and attaches it; logs and returns false on a compile error.
bool attachStage(GLuint program, GLenum type, const char* source, const char* failureFormat) {
    GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint compiled = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (!compiled) {
        char log[kInfoLogSize + 1] = {};
        glGetShaderInfoLog(shader, kInfoLogSize, nullptr, log);
        qorError(failureFormat, log);
        return false;
    }
    glAttachShader(program, shader);
    return true;
}

// Reads a whole text file into a zero-filled heap buffer; logs and returns null on failure.
char* readTextFile(const char* path) {
    FILE* file = fopen(path, "r");
    if (!file) {
        qorError("unable to open file %s\n", path);
        return nullptr;
    }
    fseek(file, 0, SEEK_END);
    long length = ftell(file);
    if (length < 0) length = 0;
    char* text = static_cast<char*>(calloc(static_cast<size_t>(length) + 2, 1));
    rewind(file);
    if (text) fread(text, 1, static_cast<size_t>(length), file);
    fclose(file);
    return text;
}

} // namespace

GLuint qorCreateProgram(const char* fragmentSource, const char* vertexSource) {
    if (!fragmentSource && !vertexSource) {
        qorError("A shader must contain at least either a vertexsource or a fragmentsource");
        return 0;
    }
    const double cpuStart = qorThreadCpuMs();
    qorLoadStats().programsBuilt++;
    GLuint program = glCreateProgram();
    if (fragmentSource &&
        !attachStage(program, GL_FRAGMENT_SHADER, fragmentSource, "Error assembling fragment:\n%s"))
        return 0;
    if (vertexSource &&
        !attachStage(program, GL_VERTEX_SHADER, vertexSource, "Error assembling vertexshader:\n%s"))
        return 0;
    glLinkProgram(program);
    GLint linked = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (!linked) {
        char log[kInfoLogSize + 1] = {};
        glGetProgramInfoLog(program, kInfoLogSize, nullptr, log);
        qorError("Error linking program:\n%s", log);
    }
    qorLoadStats().programCpuMs += qorThreadCpuMs() - cpuStart;
    return program;
}

GLuint qorLoadProgram(const char* fragmentPath, const char* vertexPath) {
    char* fragmentText = nullptr;
    char* vertexText = nullptr;
    if (fragmentPath && !(fragmentText = readTextFile(fragmentPath))) return 0;
    if (vertexPath && !(vertexText = readTextFile(vertexPath))) {
        free(fragmentText);
        return 0;
    }
    GLuint program = qorCreateProgram(fragmentText, vertexText);
    free(fragmentText);
    free(vertexText);
    return program;
}
