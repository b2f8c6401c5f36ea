#include "engine/shader.h"

#include "engine/error.h"
#include "engine/load_stats.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int kInfoLogSize = 1000;

// The specialised builds of a model program, indexed by a mask of the kVariant bits below;
// entry 0 is the full program, a 0 elsewhere a build that failed or moved its uniforms.
constexpr int kVariantSingleLight = 1; // "#define LIGHT_COUNT 1"
constexpr int kVariantDirectional = 2; // "#define DIRECTIONAL_LIGHTS": every light's w is 0
constexpr int kVariantNoSpecular = 4;  // "#define NO_SPECULAR", directional builds only
constexpr int kVariantCount = 8;
struct ModelVariants {
    GLuint builds[kVariantCount];
};
// Every model program qorLoadModelProgram returned, with its builds; main thread only.
std::vector<ModelVariants> modelPrograms;

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

// The driver's log names no file: when the program did not link, says which files it was built
// from.
void reportUnbuilt(GLuint program, const char* fragmentPath, const char* vertexPath) {
    GLint linked = 0;
    if (program) glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked) return;
    fputs("Shader program not built from", stderr);
    if (fragmentPath) fprintf(stderr, " fragment shader '%s'", fragmentPath);
    if (vertexPath) fprintf(stderr, " vertex shader '%s'", vertexPath);
    fputs("\n", stderr);
}

// A program built from files, remembered for qorRebuildProgramsFrom; main thread only.
struct LoadedProgram {
    GLuint program;
    std::string fragmentPath; // empty: no such stage
    std::string vertexPath;
};
std::vector<LoadedProgram> loadedPrograms;
// The newest text given for a file by qorRebuildProgramsFrom, by path.
std::map<std::string, std::string> rebuiltSources;

// Compiles one stage for a rebuild; 0 with the log in problem on failure.
GLuint compileStage(GLenum type, const std::string& source, char* problem, size_t problemSize) {
    GLuint shader = glCreateShader(type);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint compiled = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled) return shader;
    glGetShaderInfoLog(shader, GLsizei(problemSize), nullptr, problem);
    glDeleteShader(shader);
    return 0;
}

// The text of one stage of a rebuild: the new source for the changed file, else the newest
// rebuilt text, else the file. False with a message when the file cannot be read.
bool stageSource(const std::string& path, std::string& text, char* problem, size_t problemSize) {
    auto rebuilt = rebuiltSources.find(path);
    if (rebuilt != rebuiltSources.end()) {
        text = rebuilt->second;
        return true;
    }
    FILE* file = fopen(path.c_str(), "r");
    if (!file) {
        snprintf(problem, problemSize, "%s: cannot be read", path.c_str());
        return false;
    }
    text.clear();
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, got);
    fclose(file);
    return true;
}

// Compiles both stages of a program and links them into `into`, after detaching its old
// shaders. With into 0, links a scratch program only to check. False with the log on failure.
bool linkStages(const LoadedProgram& loaded, GLuint into, char* problem, size_t problemSize) {
    std::string fragment, vertex;
    if (!loaded.fragmentPath.empty() &&
        !stageSource(loaded.fragmentPath, fragment, problem, problemSize))
        return false;
    if (!loaded.vertexPath.empty() && !stageSource(loaded.vertexPath, vertex, problem, problemSize))
        return false;
    GLuint stages[2] = {0, 0};
    if (!loaded.fragmentPath.empty() &&
        !(stages[0] = compileStage(GL_FRAGMENT_SHADER, fragment, problem, problemSize)))
        return false;
    if (!loaded.vertexPath.empty() &&
        !(stages[1] = compileStage(GL_VERTEX_SHADER, vertex, problem, problemSize))) {
        glDeleteShader(stages[0]);
        return false;
    }
    GLuint program = into ? into : glCreateProgram();
    if (into) {
        GLuint old[8];
        GLsizei count = 0;
        glGetAttachedShaders(program, 8, &count, old);
        for (GLsizei i = 0; i < count; i++) {
            glDetachShader(program, old[i]);
            glDeleteShader(old[i]);
        }
    }
    for (GLuint stage : stages)
        if (stage) glAttachShader(program, stage);
    glLinkProgram(program);
    GLint linked = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (!linked) glGetProgramInfoLog(program, GLsizei(problemSize), nullptr, problem);
    if (!into) {
        glDeleteProgram(program);
        for (GLuint stage : stages)
            if (stage) glDeleteShader(stage);
    }
    return linked != 0;
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
    reportUnbuilt(program, fragmentPath, vertexPath);
    if (program)
        loadedPrograms.push_back(
            {program, fragmentPath ? fragmentPath : "", vertexPath ? vertexPath : ""});
    return program;
}

int qorRebuildProgramsFrom(const char* path, const char* source, char* problem,
                           size_t problemSize) {
    if (problemSize > 0) problem[0] = '\0';
    std::map<std::string, std::string> previous = rebuiltSources;
    rebuiltSources[path] = source;
    std::vector<const LoadedProgram*> affected;
    for (const LoadedProgram& loaded : loadedPrograms)
        if (loaded.fragmentPath == path || loaded.vertexPath == path) affected.push_back(&loaded);
    // Check every affected program on a scratch program first, so that a failure changes none.
    for (const LoadedProgram* loaded : affected) {
        if (!linkStages(*loaded, 0, problem, problemSize)) {
            rebuiltSources = previous;
            return -1;
        }
    }
    for (const LoadedProgram* loaded : affected) {
        linkStages(*loaded, loaded->program, problem, problemSize);
        // The specialised builds still have the old code: draw with the rebuilt program.
        for (ModelVariants& variants : modelPrograms)
            if (variants.builds[0] == loaded->program)
                for (int mask = 1; mask < kVariantCount; mask++)
                    variants.builds[mask] = 0;
    }
    return int(affected.size());
}

namespace {

// The source with a line of its own after the #version line (at the very start without one).
std::string withDefine(const char* source, const char* define) {
    std::string text = source;
    size_t version = text.find("#version");
    size_t insertAt = 0;
    if (version != std::string::npos) {
        size_t end = text.find('\n', version);
        insertAt = end == std::string::npos ? text.size() : end + 1;
    }
    std::string line = std::string(define) + "\n";
    if (insertAt == text.size() && (text.empty() || text.back() != '\n')) line = "\n" + line;
    return text.insert(insertAt, line);
}

// Whether every active uniform of full that is not built in lies at the same location in other.
bool sameUniformLocations(GLuint full, GLuint other) {
    GLint count = 0;
    glGetProgramiv(full, GL_ACTIVE_UNIFORMS, &count);
    for (GLint i = 0; i < count; i++) {
        char name[256] = {};
        GLint size = 0;
        GLenum type = 0;
        glGetActiveUniform(full, GLuint(i), sizeof name - 1, nullptr, &size, &type, name);
        if (strncmp(name, "gl_", 3) == 0) continue;
        if (glGetUniformLocation(full, name) != glGetUniformLocation(other, name)) return false;
    }
    return true;
}

bool linked(GLuint program) {
    GLint status = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    return status == GL_TRUE;
}

// The defines of one specialised build, one line each.
std::string variantDefines(int mask) {
    std::string defines;
    if (mask & kVariantSingleLight) defines += "#define LIGHT_COUNT 1\n";
    if (mask & kVariantDirectional) defines += "#define DIRECTIONAL_LIGHTS\n";
    if (mask & kVariantNoSpecular) defines += "#define NO_SPECULAR\n";
    if (!defines.empty()) defines.pop_back();
    return defines;
}

} // namespace

GLuint qorLoadModelProgram(const char* fragmentPath, const char* vertexPath) {
    char* fragmentText = readTextFile(fragmentPath);
    char* vertexText = fragmentText && vertexPath ? readTextFile(vertexPath) : nullptr;
    if (!fragmentText || (vertexPath && !vertexText)) {
        free(fragmentText);
        return 0;
    }
    GLuint program = qorCreateProgram(fragmentText, vertexText);
    reportUnbuilt(program, fragmentPath, vertexPath);
    if (program) {
        // A name GL hands out again after a delete must not keep another program's builds.
        modelPrograms.erase(std::remove_if(modelPrograms.begin(), modelPrograms.end(),
                                           [&](const ModelVariants& variants) {
                                               return variants.builds[0] == program;
                                           }),
                            modelPrograms.end());
        ModelVariants variants = {};
        variants.builds[0] = program;
        for (int mask = 1; mask < kVariantCount && linked(program); mask++) {
            if ((mask & kVariantNoSpecular) && !(mask & kVariantDirectional)) continue;
            std::string text = withDefine(fragmentText, variantDefines(mask).c_str());
            GLuint build = qorCreateProgram(text.c_str(), vertexText);
            if (build != 0 && linked(build) && sameUniformLocations(program, build))
                variants.builds[mask] = build;
            else if (build != 0)
                glDeleteProgram(build);
        }
        modelPrograms.push_back(variants);
        loadedPrograms.push_back({program, fragmentPath, vertexPath ? vertexPath : ""});
    }
    free(fragmentText);
    free(vertexText);
    return program;
}

namespace {

// Whether light 1 adds exactly nothing to the model shader's sums: every colour black, and an
// attenuation that cannot be infinite or not a number (0 times it stays 0).
bool lightOneIsDark() {
    float colour[4];
    for (GLenum part : {GL_AMBIENT, GL_DIFFUSE, GL_SPECULAR}) {
        glGetLightfv(GL_LIGHT1, part, colour);
        if (colour[0] != 0 || colour[1] != 0 || colour[2] != 0) return false;
    }
    float position[4], constant = 0, linear = 0, quadratic = 0;
    glGetLightfv(GL_LIGHT1, GL_POSITION, position);
    if (position[3] == 0) return true;
    glGetLightfv(GL_LIGHT1, GL_CONSTANT_ATTENUATION, &constant);
    glGetLightfv(GL_LIGHT1, GL_LINEAR_ATTENUATION, &linear);
    glGetLightfv(GL_LIGHT1, GL_QUADRATIC_ATTENUATION, &quadratic);
    return constant > 0 && linear >= 0 && quadratic >= 0;
}

bool directional(GLenum light) {
    float position[4];
    glGetLightfv(light, GL_POSITION, position);
    return position[3] == 0;
}

} // namespace

GLuint qorProgramForDraw(GLuint program, bool specularShows) {
    if (program == 0) return 0;
    for (const ModelVariants& variants : modelPrograms) {
        if (variants.builds[0] != program) continue;
        int mask = lightOneIsDark() ? kVariantSingleLight : 0;
        bool lightsDirectional =
            directional(GL_LIGHT0) && ((mask & kVariantSingleLight) || directional(GL_LIGHT1));
        if (lightsDirectional) {
            mask |= kVariantDirectional;
            // Directional lights have an attenuation of exactly 1, so a black specular sum
            // times the material's specular colour stays 0: the build without it matches.
            if (!specularShows) mask |= kVariantNoSpecular;
        }
        return variants.builds[mask] != 0 ? variants.builds[mask] : program;
    }
    return program;
}

bool qorIsModelProgram(GLuint program) {
    for (const ModelVariants& variants : modelPrograms)
        if (variants.builds[0] == program) return true;
    return false;
}

namespace {

const char* const kPlainTextureVertex =
    "#version 110\n"
    "void main() {\n"
    "    gl_Position = ftransform();\n"
    "    gl_TexCoord[0] = gl_TextureMatrix[0] * gl_MultiTexCoord0;\n"
    "    gl_FrontColor = gl_Color;\n"
    "}\n";

const char* const kPlainTextureFragment =
    "#version 110\n"
    "uniform sampler2D picture;\n"
    "void main() {\n"
    "    gl_FragColor = texture2D(picture, gl_TexCoord[0].st) * gl_Color;\n"
    "}\n";

GLuint plainTextureProgram = 0;

} // namespace

namespace {

// Whether the texture bound to unit 0's 2-D target can be sampled: it has an image at level 0
// and its minification filter uses no mipmaps (the loader builds none). The fixed pipeline draws
// with texturing off where it cannot, in the current colour, while a program would sample
// black; texture 0, which holds no image, is such a texture.
bool boundTextureIsComplete() {
    GLint width = 0, height = 0, minFilter = GL_NEAREST_MIPMAP_LINEAR;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    return width > 0 && height > 0 && (minFilter == GL_NEAREST || minFilter == GL_LINEAR);
}

} // namespace

bool qorUsePlainTextureProgram() {
    GLint current = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    GLint unit = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &unit);
    if (current != 0 || unit != GL_TEXTURE0 || !glIsEnabled(GL_TEXTURE_2D) ||
        glIsEnabled(GL_LIGHTING) || glIsEnabled(GL_FOG) || glIsEnabled(GL_COLOR_SUM) ||
        glIsEnabled(GL_TEXTURE_GEN_S) || glIsEnabled(GL_TEXTURE_GEN_T) ||
        glIsEnabled(GL_TEXTURE_CUBE_MAP) || glIsEnabled(GL_TEXTURE_3D) || !boundTextureIsComplete())
        return false;
    // A new GL context (the tests open several) does not know the program built in the last.
    if (plainTextureProgram == 0 || !glIsProgram(plainTextureProgram)) {
        plainTextureProgram = qorCreateProgram(kPlainTextureFragment, kPlainTextureVertex);
        GLint linked = 0;
        if (plainTextureProgram != 0) glGetProgramiv(plainTextureProgram, GL_LINK_STATUS, &linked);
        if (!linked) plainTextureProgram = 0;
    }
    if (plainTextureProgram == 0) return false;
    glUseProgram(plainTextureProgram);
    return true;
}
