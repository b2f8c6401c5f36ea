#include "engine/error.h"
#include "engine/fbo.h"
#include "tests/support/gl_test.h"

#include <gtest/gtest.h>
#include <string>

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

GLint boundFramebuffer() {
    GLint bound = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &bound);
    return bound;
}

GLint textureLevelParameter(GLuint texture, GLenum parameter) {
    glBindTexture(GL_TEXTURE_2D, texture);
    GLint value = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, parameter, &value);
    return value;
}

GLuint attachmentName(GLuint framebuffer, GLenum attachment) {
    qorPushFBO(framebuffer);
    GLint name = 0;
    glGetFramebufferAttachmentParameterivEXT(GL_FRAMEBUFFER_EXT, attachment,
                                             GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME_EXT, &name);
    qorPopFBO();
    return static_cast<GLuint>(name);
}

} // namespace

TEST(FramebufferStack, PopRestoresThePreviousFramebufferThenTheWindow) {
    GLuint a = qorCreateFBO();
    GLuint b = qorCreateFBO();
    qorPushFBO(a);
    qorPushFBO(b);
    EXPECT_EQ(boundFramebuffer(), static_cast<GLint>(b));
    qorPopFBO();
    EXPECT_EQ(boundFramebuffer(), static_cast<GLint>(a));
    qorPopFBO();
    EXPECT_EQ(boundFramebuffer(), 0);
    EXPECT_EQ(qorGetFBODepth(), 0u);
    qorDeleteFBO(a);
    qorDeleteFBO(b);
}

TEST(FramebufferStack, CreateBuildsScreenSizedTargetsAndKeepsTheDepth) {
    GLuint outer = qorCreateFBO();
    qorPushFBO(outer);
    GLuint fbo = qorCreateFBO();
    EXPECT_EQ(qorGetFBODepth(), 1u);
    EXPECT_EQ(boundFramebuffer(), static_cast<GLint>(outer));
    qorPopFBO();

    GLuint texture = attachmentName(fbo, GL_COLOR_ATTACHMENT0_EXT);
    ASSERT_TRUE(glIsTexture(texture));
    EXPECT_EQ(textureLevelParameter(texture, GL_TEXTURE_WIDTH), 1024);
    EXPECT_EQ(textureLevelParameter(texture, GL_TEXTURE_HEIGHT), 1024);
    EXPECT_EQ(textureLevelParameter(texture, GL_TEXTURE_INTERNAL_FORMAT), GL_RGB8);

    GLuint depth = attachmentName(fbo, GL_DEPTH_ATTACHMENT_EXT);
    ASSERT_TRUE(glIsRenderbufferEXT(depth));
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, depth);
    GLint width = 0, height = 0, format = 0;
    glGetRenderbufferParameterivEXT(GL_RENDERBUFFER_EXT, GL_RENDERBUFFER_WIDTH_EXT, &width);
    glGetRenderbufferParameterivEXT(GL_RENDERBUFFER_EXT, GL_RENDERBUFFER_HEIGHT_EXT, &height);
    glGetRenderbufferParameterivEXT(GL_RENDERBUFFER_EXT, GL_RENDERBUFFER_INTERNAL_FORMAT_EXT,
                                    &format);
    EXPECT_EQ(width, 1024);
    EXPECT_EQ(height, 1024);
    EXPECT_EQ(format, GL_DEPTH_COMPONENT24);

    qorDeleteFBO(fbo);
    qorDeleteFBO(outer);
    EXPECT_FALSE(glIsTexture(texture));
    EXPECT_FALSE(glIsRenderbufferEXT(depth));
}

TEST(FramebufferStack, DeleteFreesARenderbufferAtColourZeroAsARenderbuffer) {
    GLuint fbo = qorGenFBO();
    GLuint colour = 0;
    glGenRenderbuffersEXT(1, &colour);
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, colour);
    glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, GL_RGBA8, 16, 16);
    qorPushFBO(fbo);
    qorAttachToFBO(colour, GL_COLOR_ATTACHMENT0_EXT, GL_RENDERBUFFER_EXT);
    qorPopFBO();
    ASSERT_TRUE(glIsRenderbufferEXT(colour));
    qorDeleteFBO(fbo);
    EXPECT_FALSE(glIsRenderbufferEXT(colour));
    EXPECT_EQ(takeGlError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(FramebufferStack, DrawingGoesToThePushedFramebuffer) {
    GLuint fbo = qorCreateFBO();
    qorPushFBO(fbo);
    GLuint texture = qorGetFBOTexture();
    clearTo(0, 1, 0);
    qorPopFBO();
    clearTo(0, 0, 0);
    EXPECT_EQ(readPixel(10, 10), (Rgba{0, 0, 0, 255}));

    glBindTexture(GL_TEXTURE_2D, texture);
    std::vector<uint8_t> pixels(1024 * 1024 * 3);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    EXPECT_EQ(pixels[(10 * 1024 + 10) * 3 + 1], 255);
    qorDeleteFBO(fbo);
}

TEST(FramebufferStack, TextureOfTheWindowWarnsWithZero) {
    CaptureStderr();
    GLuint texture = qorGetFBOTexture();
    EXPECT_EQ(GetCapturedStderr(), "QOR error: FBO Warning: Target of FBO 0 is not a texture!");
    EXPECT_EQ(texture, 0u);
    takeGlError();
}

TEST(FramebufferStack, ExtentOfTheScreenImage) {
    EXPECT_FLOAT_EQ(qorGetFBOMaxU(), 1.0f);
    EXPECT_FLOAT_EQ(qorGetFBOMaxV(), 0.75f);
    EXPECT_FLOAT_EQ(qorGetFBOExtent(1024), 1.0f);
    EXPECT_FLOAT_EQ(qorGetFBOExtent(768), 0.75f);
    EXPECT_FLOAT_EQ(qorGetFBOExtent(800), 0.78125f);
    EXPECT_FLOAT_EQ(qorGetFBOExtent(0), 0.0f);
    EXPECT_FLOAT_EQ(qorGetFBOExtent(1), 1.0f);
}

TEST(FramebufferStackDeathTest, ThePush1024IsFatal) {
    EXPECT_EXIT(
        {
            for (unsigned i = 0; i < kFboStackSize; i++)
                qorPushFBO(0);
            fputs("1023 pushed\n", stderr);
            qorPushFBO(0);
        },
        testing::ExitedWithCode(1),
        "1023 pushed\nQOR encountered a critical error: Maximum amount of nested FBO's "
        "allowed:\n\tyou must've forgotten a qorPopFBO somewhere!\n$");
}

TEST(FramebufferStackDeathTest, CreateAtAFullStackIsFatal) {
    EXPECT_EXIT(
        {
            for (unsigned i = 0; i < kFboStackSize; i++)
                qorPushFBO(0);
            qorCreateFBO();
        },
        testing::ExitedWithCode(1), "Maximum amount of nested FBO's allowed");
}

TEST(FramebufferStackDeathTest, PopOfAnEmptyStackIsFatal) {
    EXPECT_EXIT(qorPopFBO(), testing::ExitedWithCode(1),
                "^QOR encountered a critical error: FBO stack underrun:\n\tyou must've "
                "forgotten a qorPushFBO somewhere!\n$");
}

TEST(FramebufferStackDeathTest, IncompleteFramebufferIsFatalWithItsStatus) {
    EXPECT_EXIT(
        {
            qorPushFBO(qorGenFBO());
            qorCheckFBO();
        },
        testing::ExitedWithCode(1),
        "FBO: There must be at least one image attached to the framebuffer\n$");
}
