#include "engine/error.h"
#include "engine/shader.h"
#include "tests/support/gl_test.h"
#include "tests/support/process.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using testing::EndsWith;
using testing::HasSubstr;
using testing::StartsWith;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

const char* kRedFragment = "void main() { gl_FragColor = vec4(1.0, 0.0, 0.0, 1.0); }\n";

GLint linkStatus(GLuint program) {
    GLint linked = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    return linked;
}

GLint attachedShaders(GLuint program) {
    GLint count = 0;
    glGetProgramiv(program, GL_ATTACHED_SHADERS, &count);
    return count;
}

} // namespace

TEST(ShaderPrograms, BothStagesNullLogAndReturnZero) {
    CaptureStderr();
    EXPECT_EQ(qorCreateProgram(nullptr, nullptr), 0u);
    EXPECT_EQ(GetCapturedStderr(), "QOR error: A shader must contain at least either a "
                                   "vertexsource or a fragmentsource");
    EXPECT_EQ(takeGlError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(ShaderPrograms, FragmentOnlyLinksAgainstFixedFunction) {
    GLuint program = qorCreateProgram(kRedFragment, nullptr);
    ASSERT_NE(program, 0u);
    EXPECT_EQ(linkStatus(program), GL_TRUE);
    EXPECT_EQ(attachedShaders(program), 1);

    clearTo(0, 0, 0);
    glUseProgram(program);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRectf(-1, -1, 1, 1);
    glUseProgram(0);
    EXPECT_EQ(readPixel(512, 384), (Rgba{255, 0, 0, 255}));
}

TEST(ShaderPrograms, CompileErrorLogsTheDriverLogAndReturnsZero) {
    CaptureStderr();
    GLuint program = qorCreateProgram("void main() { gl_FragColor = vec4(1.0) }\n", nullptr);
    std::string err = GetCapturedStderr();
    EXPECT_EQ(program, 0u);
    EXPECT_THAT(err, StartsWith("QOR error: Error assembling fragment:\n"));
    EXPECT_GT(err.size(), std::string("QOR error: Error assembling fragment:\n").size());

    CaptureStderr();
    EXPECT_EQ(qorCreateProgram(nullptr, "void main() { gl_Position = ; }\n"), 0u);
    EXPECT_THAT(GetCapturedStderr(), StartsWith("QOR error: Error assembling vertexshader:\n"));
}

TEST(ShaderPrograms, FailedLinkStillReturnsTheProgram) {
    const char* vertex = "varying vec3 colour;\n"
                         "void main() { colour = vec3(1.0); gl_Position = ftransform(); }\n";
    const char* fragment = "varying vec4 colour;\n"
                           "void main() { gl_FragColor = colour; }\n";
    CaptureStderr();
    GLuint program = qorCreateProgram(fragment, vertex);
    EXPECT_THAT(GetCapturedStderr(), StartsWith("QOR error: Error linking program:\n"));
    EXPECT_NE(program, 0u);
    EXPECT_EQ(linkStatus(program), GL_FALSE);
}

TEST(ShaderPrograms, MissingFileLogsThePathAndReturnsZero) {
    CaptureStderr();
    EXPECT_EQ(qorLoadProgram("no/such/shader.frag", nullptr), 0u);
    EXPECT_EQ(GetCapturedStderr(), "QOR error: unable to open file no/such/shader.frag\n");

    ScratchDir dir;
    dir.write("ok.frag", kRedFragment);
    CaptureStderr();
    EXPECT_EQ(qorLoadProgram((dir.path() + "/ok.frag").c_str(), "no/such/shader.vert"), 0u);
    EXPECT_EQ(GetCapturedStderr(), "QOR error: unable to open file no/such/shader.vert\n");
}

TEST(ShaderPrograms, FilesWithCrLfOrLfCompileAlike) {
    ScratchDir dir;
    dir.write("lf.frag", "#version 110\nuniform float level;\nvoid main()\n{\n"
                         "    gl_FragColor = vec4(level);\n}\n");
    dir.write("crlf.frag", "#version 110\r\nuniform float level;\r\nvoid main()\r\n{\r\n"
                           "    gl_FragColor = vec4(level);\r\n}\r\n");
    dir.write("plain.vert", "void main() { gl_Position = ftransform(); }\n");
    GLuint lf = qorLoadProgram((dir.path() + "/lf.frag").c_str(), nullptr);
    GLuint crlf =
        qorLoadProgram((dir.path() + "/crlf.frag").c_str(), (dir.path() + "/plain.vert").c_str());
    EXPECT_EQ(linkStatus(lf), GL_TRUE);
    EXPECT_EQ(linkStatus(crlf), GL_TRUE);
    EXPECT_EQ(attachedShaders(crlf), 2);
    EXPECT_NE(glGetUniformLocation(crlf, "level"), -1);
}

TEST(ShaderPrograms, EmptyAndGarbageFilesAreLoggedNotFatal) {
    ScratchDir dir;
    dir.write("empty.frag", "");
    std::string garbage;
    for (int i = 0; i < 512; i++)
        garbage.push_back(static_cast<char>((i * 37 + 11) % 256));
    dir.write("garbage.frag", garbage);

    CaptureStderr();
    GLuint empty = qorLoadProgram((dir.path() + "/empty.frag").c_str(), nullptr);
    EXPECT_THAT(GetCapturedStderr(), StartsWith("QOR error: "));
    if (empty != 0) {
        EXPECT_EQ(linkStatus(empty), GL_FALSE);
    }

    CaptureStderr();
    EXPECT_EQ(qorLoadProgram((dir.path() + "/garbage.frag").c_str(), nullptr), 0u);
    std::string err = GetCapturedStderr();
    EXPECT_THAT(err, StartsWith("QOR error: Error assembling fragment:\n"));
    // The driver's log is followed by a line naming the file.
    EXPECT_THAT(err, EndsWith("Shader program not built from fragment shader '" + dir.path() +
                              "/garbage.frag'\n"));
}

namespace {

// Draws a 4 x 4 texture of distinct colours, tinted and half transparent, blended over grey
// through a texture matrix that flips it, and reads the result back row by row.
std::vector<Rgba> drawTintedTexture(bool throughPlainProgram, bool* programUsed) {
    unsigned char texels[4 * 4 * 4];
    for (int i = 0; i < 16; i++) {
        texels[i * 4 + 0] = static_cast<unsigned char>(i * 16);
        texels[i * 4 + 1] = static_cast<unsigned char>(255 - i * 9);
        texels[i * 4 + 2] = static_cast<unsigned char>((i * 77) % 256);
        texels[i * 4 + 3] = static_cast<unsigned char>(128 + i * 8);
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);

    clearTo(0.5f, 0.5f, 0.5f);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glScalef(-1, 1, 1);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(0.9f, 0.6f, 0.3f, 0.7f);
    *programUsed = throughPlainProgram && qorUsePlainTextureProgram();
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(-1, -1);
    glTexCoord2f(1, 0);
    glVertex2f(1, -1);
    glTexCoord2f(1, 1);
    glVertex2f(1, 1);
    glTexCoord2f(0, 1);
    glVertex2f(-1, 1);
    glEnd();
    glUseProgram(0);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glDeleteTextures(1, &texture);

    std::vector<Rgba> pixels;
    for (int y = 0; y < kTestScreenHeight; y += 37)
        for (int x = 0; x < kTestScreenWidth; x += 41)
            pixels.push_back(readPixel(x, y));
    return pixels;
}

} // namespace

TEST(PlainTextureProgram, DrawsWhatTheFixedPipelineDraws) {
    bool used = false;
    std::vector<Rgba> fixed = drawTintedTexture(false, &used);
    std::vector<Rgba> plain = drawTintedTexture(true, &used);
    EXPECT_TRUE(used);
    EXPECT_EQ(plain, fixed);
    GLint current = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(current, 0);
    EXPECT_EQ(takeGlError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(PlainTextureProgram, StepsAsideWhenTheFixedPipelineWouldDoMore) {
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
    EXPECT_FALSE(qorUsePlainTextureProgram()); // lit colours, not the current colour
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    EXPECT_FALSE(qorUsePlainTextureProgram()); // untextured
    glEnable(GL_TEXTURE_2D);
    GLuint program = qorCreateProgram(kRedFragment, nullptr);
    glUseProgram(program);
    EXPECT_FALSE(qorUsePlainTextureProgram()); // the caller's own program stays
    GLint current = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(current, static_cast<GLint>(program));
    glUseProgram(0);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    const uint8_t texel[4] = {1, 2, 3, 4};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    EXPECT_TRUE(qorUsePlainTextureProgram());
    glUseProgram(0);
    glDisable(GL_TEXTURE_2D);
    glDeleteTextures(1, &texture);
}

// Texture 0 (a picture that failed to load) or a texture without an image: the fixed pipeline
// draws untextured in the current colour, and so must a draw that offers the plain program.
TEST(PlainTextureProgram, WithoutAPictureDrawsInTheCurrentColour) {
    GLuint empty = 0;
    glGenTextures(1, &empty);
    for (GLuint texture : {0u, empty}) {
        clearTo(0, 0, 0);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture);
        glColor4f(0.8f, 0.4f, 0.2f, 1);
        {
            const PlainTextureDraw plainTexture;
            glBegin(GL_QUADS);
            glVertex2f(-1, -1);
            glVertex2f(1, -1);
            glVertex2f(1, 1);
            glVertex2f(-1, 1);
            glEnd();
        }
        glDisable(GL_TEXTURE_2D);
        EXPECT_EQ(readPixel(5, 5), (Rgba{204, 102, 51, 255})) << "texture " << texture;
    }
    glDeleteTextures(1, &empty);
}
