#include "engine/window.h"

#include <SDL.h>
#include <gtest/gtest.h>

namespace {
uint64_t renderedTime = 0;
uint64_t fixedClock() { return renderedTime; }
} // namespace

TEST(EngineClock, FollowsAnInstalledTickSourceUntilItIsRemoved) {
    SDL_Init(SDL_INIT_NOPARACHUTE); // starts SDL's clock
    renderedTime = (1ull << 33) + 5; // beyond 32 bits: the clock is 64-bit all the way
    qorSetTickSource(fixedClock);
    EXPECT_EQ(qorGetTicks(), renderedTime);
    renderedTime = 140000;
    EXPECT_EQ(qorGetTicks(), 140000u);
    qorSetTickSource(nullptr);
    EXPECT_LT(qorGetTicks(), 140000u);
}
