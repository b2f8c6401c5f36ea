// The model shader of content/shaders/, built by the engine and drawn through a model: lights
// 0 and 1 each with their own colours, the diffuse and reflection maps mixed by their amounts,
// lit windows that stay bright in the shade, and the material's alpha.
#include "engine/camera.h"
#include "engine/model.h"
#include "engine/shader.h"
#include "tests/scenes/scene_fixtures.h"
#include "tests/support/gl_test.h"
#include "tests/support/process.h"
#include "tools/formats/model_writer.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace {

using formats::ModelDesc;
using formats::ModelMapDesc;
using formats::ModelMaterialDesc;
using formats::ModelMeshDesc;
using formats::ModelStreamDesc;

// A 4 x 4 plate at z = -3 facing the viewer, texture u running left to right.
ModelMeshDesc plate() {
    ModelMeshDesc mesh;
    mesh.name = "plate";
    mesh.vertexCount = 4;
    mesh.faceCount = 2;
    mesh.streams.push_back(
        ModelStreamDesc::floats(0, {-2, -2, -3, 2, -2, -3, 2, 2, -3, -2, 2, -3}));
    mesh.streams.push_back(ModelStreamDesc::floats(2, {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1}));
    mesh.streams.push_back(ModelStreamDesc::floats(8, {0, 0, 1, 0, 1, 1, 0, 1}));
    mesh.streams.push_back(ModelStreamDesc::indices({0, 1, 2, 0, 2, 3}));
    return mesh;
}

class ModelShader : public testing::Test {
  protected:
    void SetUp() override {
        std::string shaders = std::string(LIRV_SOURCE_DIR) + "/content/shaders/";
        program = qorLoadModelProgram((shaders + "default.frag").c_str(),
                                      (shaders + "default.vert").c_str());
        ASSERT_NE(program, 0u);
        GLint linked = GL_FALSE;
        glGetProgramiv(program, GL_LINK_STATUS, &linked);
        ASSERT_EQ(linked, GL_TRUE);
    }
    void TearDown() override { glDeleteProgram(program); }

    // A picture of two texels side by side, written as a PNG below the scratch directory.
    std::string picture(const std::string& name, const uint8_t left[3], const uint8_t right[3]) {
        std::vector<uint8_t> pixels = {left[0], left[1], left[2], right[0], right[1], right[2]};
        dir.write(name, encodeTestPng(2, 1, 3, pixels));
        return dir.path() + "/" + name;
    }

    // Loads a plate of that material and attaches the model shader to it.
    std::unique_ptr<QOR::Model> plateModel(const ModelMaterialDesc& material) {
        ModelDesc desc;
        desc.materials.push_back(material);
        desc.meshes.push_back(plate());
        return loadModel(desc);
    }

    std::unique_ptr<QOR::Model> loadModel(const ModelDesc& desc) {
        std::string name = "plate" + std::to_string(models++) + ".model";
        dir.write(name, formats::encodeModel(desc));
        std::unique_ptr<QOR::Model> model(
            new QOR::Model((dir.path() + "/" + name).c_str(), GL_STATIC_DRAW));
        model->setProgram(program);
        glUseProgram(0);
        return model;
    }

    struct Light {
        float diffuse[3];
        float direction[3]; // towards the light, in eye space; a point with w 1
        float specular = 0; // grey level
        float w = 0;        // 1: a point light at direction, attenuated by distance squared
    };

    // Draws the model lit by lights 0 and 1 over black, with the depth test (and drawDepthFirst
    // when depthFirst is set), and returns the pixel at plate point (x, 0).
    Rgba drawLit(QOR::Model& model, const Light& light0, const Light& light1, float ambient,
                 float x = 0) {
        clearTo(0, 0, 0);
        glClear(GL_DEPTH_BUFFER_BIT);
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        glEnable(GL_DEPTH_TEST);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        qorPerspective(60, 1.3333334f, 0.1f, 100);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        const float sceneAmbient[4] = {ambient, ambient, ambient, 1};
        glLightModelfv(GL_LIGHT_MODEL_AMBIENT, sceneAmbient);
        const Light* lights[2] = {&light0, &light1};
        for (int i = 0; i < 2; i++) {
            GLenum id = static_cast<GLenum>(GL_LIGHT0 + i);
            const float black[4] = {0, 0, 0, 1};
            const float diffuse[4] = {lights[i]->diffuse[0], lights[i]->diffuse[1],
                                      lights[i]->diffuse[2], 1};
            const float position[4] = {lights[i]->direction[0], lights[i]->direction[1],
                                       lights[i]->direction[2], lights[i]->w};
            const float s = lights[i]->specular, specular[4] = {s, s, s, 1};
            glLightfv(id, GL_AMBIENT, black);
            glLightfv(id, GL_SPECULAR, specular);
            glLightf(id, GL_CONSTANT_ATTENUATION, lights[i]->w != 0 ? 0 : 1);
            glLightf(id, GL_QUADRATIC_ATTENUATION, lights[i]->w != 0 ? 1 : 0);
            glLightfv(id, GL_DIFFUSE, diffuse);
            glLightfv(id, GL_POSITION, position);
        }
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        if (depthFirst)
            model.drawDepthFirst();
        else
            model.draw();
        glPopAttrib();

        double modelview[16], projection[16];
        glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
        glMatrixMode(GL_PROJECTION);
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glMatrixMode(GL_MODELVIEW);
        const GLint viewport[4] = {0, 0, kTestScreenWidth, kTestScreenHeight};
        double wx, wy, wz;
        gluProject(x, 0, -3, modelview, projection, viewport, &wx, &wy, &wz);
        return readPixel(static_cast<int>(wx), static_cast<int>(wy));
    }

    static ModelMaterialDesc plain(float r, float g, float b, float alpha = 1) {
        ModelMaterialDesc m;
        m.diffuse[0] = r;
        m.diffuse[1] = g;
        m.diffuse[2] = b;
        m.diffuse[3] = alpha;
        return m;
    }

    ScratchDir dir;
    GLuint program = 0;
    int models = 0;
    bool depthFirst = false;
};

const float kFacing[3] = {0, 0, 1}; // towards the viewer: lights the plate fully
const float kBehind[3] = {0, 0, -1};

void expectNear(const Rgba& pixel, int r, int g, int b) {
    EXPECT_NEAR(pixel[0], r, 2);
    EXPECT_NEAR(pixel[1], g, 2);
    EXPECT_NEAR(pixel[2], b, 2);
}

} // namespace

TEST_F(ModelShader, LightsZeroAndOneEachAddTheirOwnColour) {
    std::unique_ptr<QOR::Model> model = plateModel(plain(1, 1, 1));
    const Light red{{0.8f, 0, 0}, {0, 0, 1}}, green{{0, 0.6f, 0}, {0, 0, 1}},
        dark{{0, 0, 0}, {0, 0, 1}};
    expectNear(drawLit(*model, red, dark, 0), 204, 0, 0);
    expectNear(drawLit(*model, dark, green, 0), 0, 153, 0);
    expectNear(drawLit(*model, red, green, 0), 204, 153, 0);
}

TEST_F(ModelShader, DiffuseWrapsAroundFromTheLightAndVanishesBehind) {
    std::unique_ptr<QOR::Model> model = plateModel(plain(1, 1, 1));
    const Light slanted{{1, 1, 1}, {0, 0.8660254f, 0.5f}}, dark{{0, 0, 0}, {0, 0, 1}};
    // Wrapped diffuse: (cos 60 degrees + 0.5) / 1.5.
    expectNear(drawLit(*model, slanted, dark, 0), 170, 170, 170);
    const Light grazing{{1, 1, 1}, {0, 1, 0}};
    expectNear(drawLit(*model, grazing, dark, 0), 85, 85, 85); // at right angles: a third
    const Light behind{{1, 1, 1}, {kBehind[0], kBehind[1], kBehind[2]}};
    expectNear(drawLit(*model, behind, dark, 0.2f), 51, 51, 51); // the scene ambient only
}

TEST_F(ModelShader, SpecularHighlightsAndPointLightsShow) {
    ModelMaterialDesc shiny = plain(0.2f, 0.2f, 0.2f), dull = shiny;
    shiny.specular[0] = shiny.specular[1] = shiny.specular[2] = 1;
    shiny.glossiness = 0.5f;
    dull.specular[0] = dull.specular[1] = dull.specular[2] = 1; // but shininess 0
    std::unique_ptr<QOR::Model> shinyModel = plateModel(shiny), dullModel = plateModel(dull);
    Light white{{1, 1, 1}, {0, 0, 1}}, dark{{0, 0, 0}, {0, 0, 1}};
    white.specular = 0.5f;
    // Viewer, light and plate in line: the half vector is the normal, the highlight full.
    expectNear(drawLit(*shinyModel, white, dark, 0), 179, 179, 179);
    expectNear(drawLit(*dullModel, white, dark, 0), 51, 51, 51);
    // A point light 2 in front of the plate: a quarter of its diffuse colour arrives.
    std::unique_ptr<QOR::Model> whiteModel = plateModel(plain(1, 1, 1));
    const Light point{{1, 1, 1}, {0, 0, -1}, 0, 1};
    expectNear(drawLit(*whiteModel, point, dark, 0), 64, 64, 64);
}

TEST_F(ModelShader, DiffuseMapIsMixedInByItsAmount) {
    const uint8_t blue[3] = {0, 0, 255};
    ModelMaterialDesc half = plain(1, 0, 0);
    half.maps.push_back(ModelMapDesc{picture("blue.png", blue, blue), 0.5f, 1});
    ModelMaterialDesc full = plain(1, 0, 0);
    full.maps.push_back(ModelMapDesc{picture("blue.png", blue, blue), 1.0f, 1});
    const Light white{{1, 1, 1}, {kFacing[0], kFacing[1], kFacing[2]}}, dark{{0, 0, 0}, {0, 0, 1}};
    std::unique_ptr<QOR::Model> halfModel = plateModel(half);
    std::unique_ptr<QOR::Model> fullModel = plateModel(full);
    expectNear(drawLit(*halfModel, white, dark, 0), 128, 0, 128);
    expectNear(drawLit(*fullModel, white, dark, 0), 0, 0, 255);
}

TEST_F(ModelShader, ReflectionMapIsMixedInByItsAmount) {
    const uint8_t green[3] = {0, 255, 0};
    ModelMaterialDesc material = plain(1, 0, 0);
    material.maps.push_back(ModelMapDesc{picture("green.png", green, green), 0.25f, 9});
    std::unique_ptr<QOR::Model> model = plateModel(material);
    const Light white{{1, 1, 1}, {0, 0, 1}}, dark{{0, 0, 0}, {0, 0, 1}};
    expectNear(drawLit(*model, white, dark, 0), 191, 64, 0);
}

TEST_F(ModelShader, LitWindowsStayBrightOnTheShadedSide) {
    const uint8_t window[3] = {255, 220, 120}, wall[3] = {40, 50, 90};
    ModelMaterialDesc material = plain(0.3f, 0.3f, 0.3f);
    material.maps.push_back(ModelMapDesc{picture("facade.png", window, wall), 1.0f, 1});
    std::unique_ptr<QOR::Model> model = plateModel(material);
    const Light behind{{1, 1, 1}, {0, 0, -1}}, dark{{0, 0, 0}, {0, 0, 1}};
    // Plate x = -1 samples the left texel (u = 0.25), x = 1 the right one.
    expectNear(drawLit(*model, behind, dark, 0.2f, -1), 255, 220, 120);
    expectNear(drawLit(*model, behind, dark, 0.2f, 1), 8, 10, 18);
}

TEST_F(ModelShader, AlphaIsTheMaterials) {
    const uint8_t white[3] = {255, 255, 255};
    ModelMaterialDesc material = plain(1, 1, 1, 0.5f);
    material.maps.push_back(ModelMapDesc{picture("white.png", white, white), 1.0f, 1});
    std::unique_ptr<QOR::Model> model = plateModel(material);
    const Light light{{1, 1, 1}, {0, 0, 1}}, dark{{0, 0, 0}, {0, 0, 1}};
    expectNear(drawLit(*model, light, dark, 0), 128, 128, 128); // half over black
}

TEST_F(ModelShader, DepthFirstKeepsTheBlendOfATranslucentMeshInFront) {
    // An opaque red plate, then a half-transparent green one 1 nearer, in that order.
    ModelDesc desc;
    desc.materials = {plain(1, 0, 0), plain(0, 1, 0, 0.5f)};
    desc.meshes = {plate(), plate()};
    desc.meshes[1].materialIndex = 1;
    desc.meshes[1].position[2] = 1;
    std::unique_ptr<QOR::Model> model = loadModel(desc);
    const Light white{{1, 1, 1}, {0, 0, 1}}, dark{{0, 0, 0}, {0, 0, 1}};
    for (bool first : {false, true}) {
        depthFirst = first;
        expectNear(drawLit(*model, white, dark, 0), 128, 128, 0);
    }
}
