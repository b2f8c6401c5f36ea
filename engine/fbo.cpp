#include "engine/fbo.h"

#include "engine/error.h"
#include "engine/window.h"

namespace {

// The framebuffer stack; main thread only. entries[depth - 1] is bound.
struct FboStack {
    unsigned depth;
    GLuint entries[kFboStackSize];
};

FboStack stack;

} // namespace

void qorPushFBO(GLuint framebuffer) {
    if (stack.depth >= kFboStackSize)
        qorFatal("Maximum amount of nested FBO's allowed:\n\tyou must've forgotten a qorPopFBO "
                 "somewhere!");
    stack.entries[stack.depth++] = framebuffer;
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
}

void qorPopFBO() {
    if (stack.depth == 0)
        qorFatal("FBO stack underrun:\n\tyou must've forgotten a qorPushFBO somewhere!");
    stack.depth--;
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, stack.depth > 0 ? stack.entries[stack.depth - 1] : 0);
}

GLuint qorCreateFBO() {
    if (!GLEW_EXT_framebuffer_object) qorFatal("Frame Buffer objects not supported!");
    unsigned width = qorNextPowerOfTwo(static_cast<unsigned>(qorGetScreenWidth()));
    unsigned height = qorNextPowerOfTwo(static_cast<unsigned>(qorGetScreenHeight()));
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    if (width > static_cast<unsigned>(maxSize) || height > static_cast<unsigned>(maxSize))
        qorFatal("FBO dimensions exceed GL_MAX_TEXTURE_SIZE - cannot create FBO!");

    GLuint framebuffer = 0;
    glGenFramebuffersEXT(1, &framebuffer);
    qorPushFBO(framebuffer);

    GLuint texture = 0, depth = 0;
    glGenTextures(1, &texture);
    glGenRenderbuffersEXT(1, &depth);

    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, 9729.0f);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, width, height, 0, GL_RGB, GL_INT, nullptr);
    glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, texture,
                              0);
    qorCheckFBO();

    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, depth);
    glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT24, width, height);
    glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT,
                                 depth);
    qorCheckFBO();

    qorPopFBO();
    return framebuffer;
}

void qorDeleteFBO(GLuint framebuffer) {
    static const GLenum kAttachments[] = {GL_COLOR_ATTACHMENT0_EXT, GL_COLOR_ATTACHMENT1_EXT,
                                          GL_COLOR_ATTACHMENT2_EXT, GL_COLOR_ATTACHMENT3_EXT,
                                          GL_COLOR_ATTACHMENT4_EXT, GL_COLOR_ATTACHMENT5_EXT,
                                          GL_COLOR_ATTACHMENT6_EXT, GL_COLOR_ATTACHMENT7_EXT,
                                          GL_DEPTH_ATTACHMENT_EXT,  GL_STENCIL_ATTACHMENT_EXT};
    qorPushFBO(framebuffer);
    for (GLenum attachment : kAttachments) {
        GLint name = 0, type = 0;
        glGetFramebufferAttachmentParameterivEXT(GL_FRAMEBUFFER_EXT, attachment,
                                                 GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME_EXT, &name);
        glGetFramebufferAttachmentParameterivEXT(GL_FRAMEBUFFER_EXT, attachment,
                                                 GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE_EXT, &type);
        if (name == 0) continue;
        GLuint object = static_cast<GLuint>(name);
        if (type == GL_RENDERBUFFER_EXT)
            glDeleteRenderbuffersEXT(1, &object);
        else
            glDeleteTextures(1, &object);
    }
    qorPopFBO();
    glDeleteFramebuffersEXT(1, &framebuffer);
}

unsigned qorNextPowerOfTwo(unsigned value) {
    unsigned p = 1;
    while (p < value)
        p <<= 1;
    return p;
}

GLuint qorGenFBO() {
    GLuint framebuffer = 0;
    glGenFramebuffersEXT(1, &framebuffer);
    return framebuffer;
}

void qorAttachToFBO(GLuint object, GLenum attachment, GLenum target) {
    if (target == GL_RENDERBUFFER_EXT)
        glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, attachment, GL_RENDERBUFFER_EXT, object);
    else
        glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, attachment, target, object, 0);
    qorCheckFBO();
}

void qorCheckFBO() {
    switch (glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT)) {
    case GL_FRAMEBUFFER_COMPLETE_EXT:
        return;
    case GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT_EXT:
        qorFatal("FBO: Not all framebuffer attachment points are \"framebuffer attachment "
                 "complete\"\n");
    case GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT_EXT:
        qorFatal("FBO: There must be at least one image attached to the framebuffer");
    case GL_FRAMEBUFFER_INCOMPLETE_DIMENSIONS_EXT:
        qorFatal("FBO: All attached images must have the same width and height");
    case GL_FRAMEBUFFER_INCOMPLETE_FORMATS_EXT:
        qorFatal("FBO: All images attached to the attachment points COLOR_ATTACHMENT0_EXT "
                 "through COLOR_ATTACHMENTn_EXT must have the same internal format.");
    case GL_FRAMEBUFFER_INCOMPLETE_DRAW_BUFFER_EXT:
        qorFatal("FBO: The value of FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE_EXT must not be NONE for "
                 "any color attachment point(s) named by DRAW_BUFFERi");
    case GL_FRAMEBUFFER_INCOMPLETE_READ_BUFFER_EXT:
        qorFatal("FBO: If READ_BUFFER is not NONE, then the value of "
                 "FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE_EXT must not be NONE for the color "
                 "attachment point named by READ_BUFFER");
    case GL_FRAMEBUFFER_UNSUPPORTED_EXT:
        qorFatal("FBO: Your videodriver sucks, and has imposed some silly restriction on the FBO "
                 "beyond the initial limitations. I have no idea what is wrong. Try to update "
                 "the drivers");
    default:
        qorFatal("FBO:Something went wrong. Who knows what?");
    }
}

GLuint qorGetFBOTexture() {
    GLint bound = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &bound);
    GLint name = 0, type = 0;
    glGetFramebufferAttachmentParameterivEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT,
                                             GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME_EXT, &name);
    glGetFramebufferAttachmentParameterivEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT,
                                             GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE_EXT, &type);
    if (type != GL_TEXTURE) qorError("FBO Warning: Target of FBO %i is not a texture!", bound);
    return static_cast<GLuint>(name);
}

float qorGetFBOExtent(int size) {
    float value = static_cast<float>(size);
    unsigned p = qorNextPowerOfTwo(static_cast<unsigned>(static_cast<int>(value)));
    return value / static_cast<float>(p);
}

float qorGetFBOMaxU() {
    return qorGetFBOExtent(qorGetScreenWidth());
}

float qorGetFBOMaxV() {
    return qorGetFBOExtent(qorGetScreenHeight());
}

unsigned qorGetFBODepth() {
    return stack.depth;
}
