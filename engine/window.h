// The single OpenGL window, keyboard state and the millisecond clock (SDL 1.2 + GLEW).
#pragma once

#include <cstdint>

// Receives key-down (code = key symbol) and mouse-button-down (code = button) events during
// qorSwapBuffer. The handled flag is cleared before each call; nothing reads it afterwards.
typedef void (*qorKeyCallback)(int code, uint8_t* handled);

// Opens the window and GL context and initialises GLEW. Returns 0; fatal on any failure.
int qorCreateWindow(const char* caption, int width, int height, bool fullscreen);

// Dispatches pending key and mouse-button events, swaps buffers and reports one pending GL
// error on standard output.
void qorSwapBuffer();

// Nonzero while the key (an SDL key symbol below SDLK_LAST) is held, as of the last event pump.
uint8_t qorIsKeyDown(int key);

// Nonzero if the key is held, or was pressed at any moment since the last call for this key
// (a tap pressed and released between two event pumps is not lost). Clears that memory; the
// key state qorIsKeyDown reports is unchanged.
uint8_t qorWasKeyPressed(int key);

// Milliseconds since SDL started, widened to 64 bits so differences never wrap. With a tick
// source installed, its value instead.
uint64_t qorGetTicks();

// Replaces the clock behind qorGetTicks (null restores SDL's). Offline rendering installs one
// so that everything reading the clock follows the rendered time, not the wall clock.
typedef uint64_t (*qorTickSource)();
void qorSetTickSource(qorTickSource source);

void qorQuit();

// The size the picture is rendered at: the window's, unless qorSetRenderSize chose another.
int qorGetScreenWidth();
int qorGetScreenHeight();

// Renders at a size other than the window's: the screen size reported above becomes
// width x height (each at least 1) and the viewport covers that part of the window from its
// lower-left corner; the caller shows it enlarged. Call before anything sizes framebuffers.
void qorSetRenderSize(int width, int height);
// The window's own size, as opened.
int qorGetWindowWidth();
int qorGetWindowHeight();

// Installs the key callback; null removes it. Nothing in the demo installs one.
void qorSetKeyCallback(qorKeyCallback callback);
