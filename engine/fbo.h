// Framebuffer stack and framebuffer helpers (EXT_framebuffer_object). A framebuffer is its GL
// name; 0 is the window. Every failure here is fatal, except qorGetFBOTexture's warning.
#pragma once

#include "engine/gl.h"

constexpr unsigned kFboStackSize = 1023;

// Pushes and binds a framebuffer; fatal when 1023 are already stacked.
void qorPushFBO(GLuint framebuffer);
// Pops and binds the new top, or the window when the stack is empty; fatal on an empty stack.
void qorPopFBO();

// Builds a screen-sized framebuffer (power-of-two RGB8 texture + 24-bit depth renderbuffer).
// The binding afterwards is as before; the new texture stays bound to GL_TEXTURE_2D.
GLuint qorCreateFBO();
// Deletes every attachment of the framebuffer, then the framebuffer itself.
void qorDeleteFBO(GLuint framebuffer);
// One new framebuffer name, nothing bound or attached.
GLuint qorGenFBO();
// Attaches a texture or (target GL_RENDERBUFFER_EXT) a renderbuffer to the bound framebuffer,
// then checks completeness.
void qorAttachToFBO(GLuint object, GLenum attachment, GLenum target);
// Returns when the bound framebuffer is complete; fatal with the status's message otherwise.
void qorCheckFBO();
// Colour attachment 0 of the bound framebuffer; logs a warning when it is not a texture.
GLuint qorGetFBOTexture();

// Texture-coordinate extent of the screen image inside a screen-sized framebuffer texture.
float qorGetFBOMaxU();
float qorGetFBOMaxV();
// The smallest power of two at or above a value (1 for 0 and 1): the side of a screen-sized
// framebuffer texture.
unsigned qorNextPowerOfTwo(unsigned value);
// A size divided by the next power of two at or above it (0 gives 0): one axis of the extent.
float qorGetFBOExtent(int size);

// Number of framebuffers on the stack.
unsigned qorGetFBODepth();
