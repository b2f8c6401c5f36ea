// Fixtures of the scene tests: a small data/ folder of models, curves, pictures and the model
// shader, written by the studio's format writers; a record of every mesh draw; frame read-back
// and the matrix arithmetic the tests use to tell where the camera and objects were.
#pragma once

#include "engine/gl.h"
#include "runtime/effect.h"

#include <cstdint>
#include <string>
#include <vector>

class ScratchDir;

// Face counts of the fixture models: the tests tell models apart by the number of indices of a
// draw (faces x 3).
constexpr int kBoxFaces = 12;        // city blocks, station hall and entrance, probe
constexpr int kSpikeBallFaces = 8;   // the spike ball is an octahedron
constexpr int kTunnelTubeFaces = 32; // 16 segments
constexpr int kTunnelGateFaces = 2;  // a plate across the tunnel just ahead of the camera

// Camera and ball curves of the fixtures all end (wrap) at this time.
constexpr uint32_t kCurveEndMs = 16000;

// What one glDrawElements call saw: the index count and the matrices and program then current.
struct DrawRecord {
    int indexCount;
    float modelview[16];
    float projection[16];
    float texture[16];
    GLint program;
    GLboolean blend; // whether blending was on, and its source and destination factors
    GLint blendSource;
    GLint blendDestination;
    bool depthOnly; // colour writes off: a depth pass, which shows nothing by itself
};

// Every mesh draw since the last clearDrawRecords.
const std::vector<DrawRecord>& drawRecords();
void clearDrawRecords();
// How many draws of a model with that many faces were recorded, depth passes left out.
int countDraws(int faces);
// The recorded draws of a model with that many faces that write colour, in order.
std::vector<DrawRecord> drawsOf(int faces);

// Writes the fixture data/ into the directory: every model, curve, picture and shader the four
// scenes open. With withRevolt false, "data/revolt.png" is left out.
void writeSceneData(const ScratchDir& dir, bool withRevolt = true);

// The bytes of an 8-bit RGB or RGBA PNG of the pixels (rows top first).
std::string encodeTestPng(int width, int height, int channels, const std::vector<uint8_t>& pixels);

// Renders an effect the way the composition does: inside saved attributes and matrix.
void renderAsComposition(Effect& effect, uint32_t time);

// The whole 1024 x 768 frame as RGBA bytes, bottom row first.
std::vector<uint8_t> readFrame();
// Whether any pixel differs from the first one.
bool hasDetail(const std::vector<uint8_t>& frame);
// Saves a frame as a PNG into $LIRV_SCENE_PNG_DIR when that variable is set.
void saveFrameIfAsked(const std::vector<uint8_t>& frame, const std::string& name);

// Feeds one analysis block of a chord of sines at bins 2, 30, 35, 40, 50, 55 and 65, each at
// its own amplitude, so those bins hold distinct non-zero levels.
void playTestChord();
// Sets every spectrum level and peak back to zero.
void silenceSpectrum();

// The eye position of a rigid view matrix (column-major).
void eyeOfView(const float view[16], float eye[3]);
// The world position of the origin of `model` (a view matrix times a model transform) under
// the rigid view matrix `view`.
void worldOrigin(const float view[16], const float model[16], float world[3]);
// The world direction that the x axis of `model` points along, under `view`.
void worldXAxis(const float view[16], const float model[16], float axis[3]);

class City;
class Tunnel;
class Crowd;
class IntoStation;

// The four scenes of the registry, loaded in registry order (the Cities first) from the
// fixture data/ of one scratch directory, which is the working directory from then on.
struct SceneWorld {
    City* cities[3];
    Tunnel* tunnel;
    Crowd* crowd;
    IntoStation* intoStation;
};
SceneWorld& sceneWorld();
