#include "engine/window.h"

#include "engine/error.h"
#include "engine/gl.h"

#include <SDL.h>
#include <cstdio>

namespace {

// Window state; main thread only. Zero until qorCreateWindow.
struct WindowState {
    int screenWidth;
    int screenHeight; // clamped to at least 1
    int windowWidth;  // as opened; differs from the screen size after qorSetRenderSize
    int windowHeight;
    SDL_Event event; // reused by every poll
    Uint8* keyState; // SDL's key array, cached on first use
    qorKeyCallback keyCallback;
    uint8_t handled;
    qorTickSource tickSource; // null: SDL_GetTicks
    // Key-down events seen since qorWasKeyPressed last asked about each key: a press and its
    // release between two frames still count as a press.
    uint8_t pressedSinceAsked[SDLK_LAST];
};

WindowState window;

void dispatchEvent(int code) {
    window.keyState = SDL_GetKeyState(nullptr);
    window.handled = 0;
    if (window.keyCallback) window.keyCallback(code, &window.handled);
}

} // namespace

int qorCreateWindow(const char* caption, int width, int height, bool fullscreen) {
    window.screenWidth = width;
    window.screenHeight = height;
    window.windowWidth = width;
    window.windowHeight = height;
    if (SDL_Init(SDL_INIT_AUDIO | SDL_INIT_VIDEO) < 0)
        qorFatal("Couldn't initialize window: %s\n", SDL_GetError());

    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);

    Uint32 flags = SDL_OPENGL;
    if (fullscreen) flags |= SDL_FULLSCREEN;
    if (!SDL_SetVideoMode(width, height, 0, flags))
        qorFatal("Couldn't initialize window: %s\n", SDL_GetError());

    SDL_ShowCursor(0);
    if (window.screenHeight < 1) window.screenHeight = 1;
    glViewport(0, 0, window.screenWidth, window.screenHeight);

    SDL_EnableKeyRepeat(500, 30);
    SDL_EnableUNICODE(1);
    SDL_WM_SetCaption(caption, nullptr);

    GLenum glewResult = glewInit();
    if (glewResult != GLEW_OK)
        qorFatal("%s\n", reinterpret_cast<const char*>(glewGetErrorString(glewResult)));
    return 0;
}

void qorSwapBuffer() {
    while (SDL_PollEvent(&window.event)) {
        if (window.event.type == SDL_KEYDOWN) {
            const int sym = window.event.key.keysym.sym;
            if (sym >= 0 && sym < SDLK_LAST) window.pressedSinceAsked[sym] = 1;
            dispatchEvent(sym);
        } else if (window.event.type == SDL_MOUSEBUTTONDOWN)
            dispatchEvent(window.event.button.button);
    }
    SDL_GL_SwapBuffers();
    GLenum code = glGetError();
    if (code != GL_NO_ERROR) printf("qorSwapBuffer reported an OpenGL Error: 0x%04x\n", code);
}

uint8_t qorIsKeyDown(int key) {
    if (!window.keyState) window.keyState = SDL_GetKeyState(nullptr);
    return window.keyState[key];
}

uint8_t qorWasKeyPressed(int key) {
    const uint8_t pressed = window.pressedSinceAsked[key];
    window.pressedSinceAsked[key] = 0;
    return pressed || qorIsKeyDown(key);
}

uint64_t qorGetTicks() {
    if (window.tickSource) return window.tickSource();
    return static_cast<uint64_t>(SDL_GetTicks());
}

void qorSetTickSource(qorTickSource source) {
    window.tickSource = source;
}

void qorQuit() {
    SDL_Quit();
}

int qorGetScreenWidth() {
    return window.screenWidth;
}

int qorGetScreenHeight() {
    return window.screenHeight;
}

void qorSetRenderSize(int width, int height) {
    window.screenWidth = width < 1 ? 1 : width;
    window.screenHeight = height < 1 ? 1 : height;
    glViewport(0, 0, window.screenWidth, window.screenHeight);
}

int qorGetWindowWidth() {
    return window.windowWidth;
}

int qorGetWindowHeight() {
    return window.windowHeight;
}

void qorSetKeyCallback(qorKeyCallback callback) {
    window.keyCallback = callback;
}
