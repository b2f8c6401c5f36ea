#include "scenes/credits.h"

#include "effects/glow.h"
#include "engine/fbo.h"
#include "runtime/data_files.h"
#include "runtime/music.h"
#include "runtime/effect_list.h"
#include "tests/scenes/scene_fixtures.h"
#include "tests/support/gl_test.h"
#include "tests/support/process.h"
#include "tests/support/scratch_target_test.h"
#include "tools/formats/model_writer.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

using State = Credits::CardState;

std::string readSource(const std::string& relativePath) {
    std::ifstream file(std::string(LIRV_SOURCE_DIR) + "/" + relativePath);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// A glow program that adds nothing, so the tests see the cards and the backdrop themselves.
const char* const kDarkGlowShader = "void main() { gl_FragColor = vec4(0.0, 0.0, 0.0, 1.0); }\n";

// One flat quad per entry: centre (x, y) at z = 0, side 4, in a colour of its own.
struct Patch {
    float x, y;
    float rgb[3];
};

std::string backdropModel(const std::vector<Patch>& patches) {
    formats::ModelDesc model;
    for (size_t i = 0; i < patches.size(); i++) {
        const Patch& p = patches[i];
        formats::ModelMaterialDesc colour;
        std::copy(p.rgb, p.rgb + 3, colour.diffuse);
        model.materials.push_back(colour);
        formats::ModelMeshDesc mesh;
        mesh.name = "patch";
        mesh.vertexCount = 4;
        mesh.faceCount = 2;
        mesh.materialIndex = static_cast<uint32_t>(i);
        mesh.streams.push_back(
            formats::ModelStreamDesc::floats(0, {p.x - 2, p.y - 2, 0, p.x + 2, p.y - 2, 0, p.x + 2,
                                                 p.y + 2, 0, p.x - 2, p.y + 2, 0}));
        mesh.streams.push_back(formats::ModelStreamDesc::indices({0, 1, 2, 0, 2, 3}));
        model.meshes.push_back(mesh);
    }
    return formats::encodeModel(model);
}

// A dark backdrop out of the way: the cards are the only light.
const std::vector<Patch> kDarkBackdrop = {{0, 40, {0, 0, 0}}};

// A list holding a "Default Glow" for the scene to find, loaded once for the whole binary (it
// declares its properties on load) from a scratch data/ of its own.
void provideDefaultGlow() {
    static EffectList* list = nullptr;
    if (!list) {
        static ScratchDir glowDir;
        glowDir.write("data/glow.frag", kDarkGlowShader);
        ScopedWorkingDirectory inGlowDir(glowDir.path());
        list = new EffectList{new Glow(0)};
        EXPECT_TRUE(list->front()->load());
    }
    registeredEffects = list;
}

// Each test runs in a scratch directory holding the scene's data/: white greeting cards, the
// flicker shader of the repository, a see-through flake and a backdrop, with the registry's
// glow ready and a screen-sized target like the compositor's.
class CreditsTest : public ScratchTargetTest {
  protected:
    void SetUp() override {
        provideDefaultGlow();
        for (const char* card : datafiles::kGreetings)
            dir.write(card, encodeTestPng(4, 4, 4, std::vector<uint8_t>(64, 255)));
        dir.write("data/flicker.frag", readSource("content/shaders/flicker.frag"));
        dir.write("data/hullkort.png", encodeTestPng(2, 2, 4, std::vector<uint8_t>(16, 0)));
        dir.write("data/backdrop.model", backdropModel(kDarkBackdrop));
        enterScratch();
    }

    bool load() {
        testing::internal::CaptureStdout();
        bool loaded = credits->load();
        output = testing::internal::GetCapturedStdout();
        return loaded;
    }
    void loadAndStart() {
        ASSERT_TRUE(load()) << output;
        credits->start();
    }
    void render(uint32_t time) {
        clearTo(0.3f, 0.3f, 0.3f); // the scene clears to black itself
        renderAsComposition(*credits, time);
    }

    // The share of lit pixels on a vertical line at x between y0 and y1, in view units at the
    // cards' depth (90-degree view at distance 1: x / 1.3333 and y give the screen position).
    static double litShare(float x, float y0, float y1) {
        int px = static_cast<int>((x / 1.3333334f + 1) * 512);
        int from = static_cast<int>((y0 + 1) * 384), to = static_cast<int>((y1 + 1) * 384);
        int lit = 0;
        for (int py = from; py < to; py++) {
            Rgba p = readPixel(px, py);
            if (std::max({p[0], p[1], p[2]}) > 128) lit++;
        }
        return static_cast<double>(lit) / (to - from);
    }
    static int brightest() {
        std::vector<uint8_t> frame = readFrame();
        int most = 0;
        for (size_t i = 0; i < frame.size(); i += 4)
            most = std::max({most, int(frame[i]), int(frame[i + 1]), int(frame[i + 2])});
        return most;
    }
    // Lines through the parts of cards 0, 1, 2 and 13 that no card of their time overlaps.
    static double card0() { return litShare(-0.65f, 0.25f, 0.55f); }
    static double card1() { return litShare(0.75f, -0.75f, -0.45f); }
    static double card2() { return litShare(0.35f, 0.15f, 0.45f); }
    static double card13() { return litShare(0.18f, 0.05f, 0.35f); }

    std::unique_ptr<Credits> credits = std::make_unique<Credits>();
    std::string output;
};

} // namespace

TEST(CreditsSchedule, EachCardFlickersInShowsAndFlickersOut) {
    for (int i = 0; i < Credits::kCardCount; i++) {
        uint32_t step = 1200 * static_cast<uint32_t>(i);
        EXPECT_EQ(Credits::cardState(i, step + 900), State::Hidden) << i;
        EXPECT_EQ(Credits::cardState(i, step + 901), State::FlickerIn) << i;
        EXPECT_EQ(Credits::cardState(i, step + 1199), State::FlickerIn) << i;
        EXPECT_EQ(Credits::cardState(i, step + 1200), State::Steady) << i;
        EXPECT_EQ(Credits::cardState(i, step + 2399), State::Steady) << i;
        EXPECT_EQ(Credits::cardState(i, step + 2400), State::FlickerOut) << i;
        EXPECT_EQ(Credits::cardState(i, step + 2699), State::FlickerOut) << i;
        EXPECT_EQ(Credits::cardState(i, step + 2700), State::Hidden) << i;
    }
    EXPECT_EQ(Credits::cardState(0, 0), State::Hidden);
    EXPECT_EQ(Credits::cardState(13, 18299), State::FlickerOut);
    EXPECT_EQ(Credits::cardState(13, 18300), State::Hidden);
}

TEST(CreditsSchedule, FlickerUniformsFollowTheHalfSecondFlash) {
    // At 400 ms into a flash: m = exp(-1) = 0.3679, r = 0.6321.
    EXPECT_FLOAT_EQ(Credits::flickerLine(2400), 0.321f);
    EXPECT_NEAR(Credits::flickerWidth(2400, false), 0.5 * 0.63212 + 0.05, 1e-4);
    EXPECT_NEAR(Credits::flickerWidth(2400, true), 0.5 * 0.36788 + 0.05, 1e-4);
    // At the start of a flash the card is nearly gone fading in and nearly whole fading out.
    EXPECT_NEAR(Credits::flickerWidth(1000, true), 0.0534, 1e-3);
    EXPECT_NEAR(Credits::flickerWidth(1000, false), 0.5466, 1e-3);
    for (uint32_t t = 0; t < 1000; t += 7) {
        EXPECT_GE(Credits::flickerLine(t), 0.0f);
        EXPECT_LT(Credits::flickerLine(t), 1.0f);
    }
}

TEST_F(CreditsTest, NoCardBefore900ms) {
    ASSERT_NO_FATAL_FAILURE(loadAndStart());
    for (uint32_t t : {0u, 500u, 899u}) {
        render(t);
        EXPECT_LT(brightest(), 40) << t;
    }
    render(950);
    EXPECT_GT(card0(), 0.0);
}

TEST_F(CreditsTest, FirstCardIsSteadyAt1200) {
    ASSERT_NO_FATAL_FAILURE(loadAndStart());
    render(1200);
    EXPECT_EQ(card0(), 1.0);
    EXPECT_EQ(card1(), 0.0);
    EXPECT_EQ(card2(), 0.0);
    saveFrameIfAsked(readFrame(), "credits_fixture_1200");
}

TEST_F(CreditsTest, At2400CardZeroFadesCardOneShowsCardTwoWaits) {
    ASSERT_NO_FATAL_FAILURE(loadAndStart());
    render(2400);
    double fading = card0();
    EXPECT_GT(fading, 0.05); // scan lines: some rows show, others do not
    EXPECT_LT(fading, 0.95);
    EXPECT_EQ(card1(), 1.0);
    EXPECT_EQ(card2(), 0.0);
    render(3300);
    EXPECT_EQ(card2(), 0.0);
    render(3400);
    EXPECT_GT(card2(), 0.0);
}

TEST_F(CreditsTest, TheLastCardIsGoneAt18300) {
    ASSERT_NO_FATAL_FAILURE(loadAndStart());
    render(18299);
    EXPECT_GT(card13(), 0.0);
    render(18300);
    EXPECT_LT(brightest(), 40);
}

TEST_F(CreditsTest, BackdropCameraSlidesFromMinusTenToZero) {
    // A red patch at x = -10 and a green one at x = 0, both at the camera's height.
    dir.write("data/backdrop.model", backdropModel({{-10, 3, {1, 0, 0}}, {0, 3, {0, 1, 0}}}));
    ASSERT_NO_FATAL_FAILURE(loadAndStart());
    render(0);
    Rgba start = readPixel(512, 384);
    EXPECT_GT(start[0], 150);
    EXPECT_LT(start[1], 60);
    render(10000);
    Rgba later = readPixel(512, 384);
    EXPECT_GT(later[1], 150);
    EXPECT_LT(later[0], 60);
    render(4000); // camera at x = -6: both patches off to the sides, no card there
    Rgba between = readPixel(512, 384);
    EXPECT_LT(std::max(between[0], between[1]), 60);
}

TEST_F(CreditsTest, MissingGreetingPictureFailsWithItsName) {
    std::filesystem::remove(datafiles::kGreetings[5]);
    EXPECT_FALSE(load());
    EXPECT_EQ(output, std::string("Failed loading credit: ") + datafiles::kGreetings[5] + "\n");
}

TEST_F(CreditsTest, MissingFlickerShaderFailsWithTheEngineError) {
    std::filesystem::remove("data/flicker.frag");
    EXPECT_FALSE(load());
    EXPECT_EQ(output.rfind("Error: ", 0), 0u) << output;
    EXPECT_NE(output.find("data/flicker.frag"), std::string::npos) << output;
}

TEST_F(CreditsTest, WithoutTheDefaultGlowTheLoadFails) {
    const EffectList* registered = registeredEffects;
    EffectList empty;
    registeredEffects = &empty;
    bool loaded = load();
    registeredEffects = registered;
    EXPECT_FALSE(loaded);
    EXPECT_EQ(output, "Glow effect not yet loaded, failing...\n");
}

// An effect that only carries the glow's name: it has no blur pass to drive.
class NamedLikeTheGlow : public Effect {
  public:
    void render(uint32_t) override {}
    const char* name() override { return "Default Glow"; }
};

TEST_F(CreditsTest, AnEffectThatIsNoGlowIsNotTakenForOne) {
    const EffectList* registered = registeredEffects;
    NamedLikeTheGlow impostor;
    EffectList list{&impostor};
    registeredEffects = &list;
    bool loaded = load();
    registeredEffects = registered;
    EXPECT_FALSE(loaded);
    EXPECT_EQ(output, "Glow effect not yet loaded, failing...\n");
}

TEST_F(CreditsTest, MissingFlakePictureStillLoads) {
    std::filesystem::remove("data/hullkort.png");
    EXPECT_TRUE(load());
    ASSERT_EQ(credits->properties().size(), 1u);
    EXPECT_STREQ(credits->propertyName(0), "Blur focus");
    EXPECT_STREQ(credits->name(), "Credits");
}

TEST(CreditsFlakes, ComeFromTheSharedGeneratorWithoutReseeding) {
    Credits credits;
    srand(11);
    credits.start();
    std::vector<Credits::Particle> first(credits.particles(),
                                         credits.particles() + Credits::kParticleCount);
    credits.start();
    EXPECT_NE(memcmp(first.data(), credits.particles(), sizeof(Credits::Particle)), 0);

    srand(11);
    credits.start();
    EXPECT_EQ(memcmp(first.data(), credits.particles(), first.size() * sizeof(first[0])), 0);
    // The first flake from the C library's generator seeded with 11.
    srand(11);
    float spinX = static_cast<float>(rand() % 1000) / 18000.0f;
    EXPECT_EQ(first[0].spin[0], spinX);
    for (const Credits::Particle& p : first) {
        EXPECT_GE(p.start[0], 1.0f);
        EXPECT_LT(p.start[0], 7.67f);
        EXPECT_GE(p.velocity[1], -0.4f);
        EXPECT_LT(p.velocity[1], -0.323f);
        EXPECT_EQ(p.velocity[2], 0.0f);
    }
}
