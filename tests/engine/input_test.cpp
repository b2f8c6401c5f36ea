#include "engine/window.h"

#include <SDL.h>
#include <gtest/gtest.h>

namespace {

void pushKey(Uint8 type, SDLKey key) {
    SDL_Event event = {};
    event.type = type;
    event.key.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = key;
    ASSERT_EQ(SDL_PushEvent(&event), 0);
}

} // namespace

// A slow frame can take longer than a tap: the press and its release arrive in the same pump.
TEST(KeyPresses, ATapBetweenTwoPumpsIsRememberedOnceWithoutChangingTheKeyState) {
    qorSwapBuffer();
    EXPECT_FALSE(qorWasKeyPressed(SDLK_ESCAPE));
    pushKey(SDL_KEYDOWN, SDLK_ESCAPE);
    pushKey(SDL_KEYUP, SDLK_ESCAPE);
    qorSwapBuffer();
    EXPECT_FALSE(qorIsKeyDown(SDLK_ESCAPE));
    EXPECT_FALSE(qorWasKeyPressed(SDLK_SPACE));
    EXPECT_TRUE(qorWasKeyPressed(SDLK_ESCAPE));
    EXPECT_FALSE(qorWasKeyPressed(SDLK_ESCAPE));
}
