// The parts both station models are built from: their shared materials and the platform hall.
// Used by station.cpp (the hall the crowd flies through) and station_front.cpp (the entrance).
#pragma once

#include "tools/geometry/station.h"

#include <vector>

namespace geometry {

// Materials of both station models, by index. The scenes light everything with a strong white
// ambient, so darkness has to live in the materials and pictures: polished black stone floors,
// dark masonry with tall night-blue windows, blackened steel and roof; light comes from the
// bright texels of the props and the front, which the model shader lets glow.
enum StationMaterial {
    kConcreteMat,
    kWallMat,
    kRoofMat,
    kSteelMat,
    kPropsMat,
    kFrontMat,
    kSkyMat,
    kGroundMat
};

void addStationMaterials(formats::ModelDesc& model);

struct HallSpec {
    float halfWidth, zFront, zBack; // zFront > zBack
    float wallHeight, roofRise;
    bool frontWall; // false: the front end is left open (the entrance front closes it)
    uint32_t seed;  // varies the travellers
};

struct HallParts {
    MeshBuilder concrete, walls, roof, steel, props;
    std::vector<Box> obstacles;

    void solid(MeshBuilder& mesh, const Box& box, float uvScale, float uOffset = 0) {
        mesh.addBox(box, uvScale, uOffset);
        obstacles.push_back(box);
    }
};

// Platforms either side of two tracks, walls, an arched roof on iron ribs and pillars, and the
// furniture and travellers of station_props.h.
void addHall(HallParts& parts, const HallSpec& hall);
// The model of the parts, meshes in material order, and the solids paths keep out of.
StationModel finishStation(HallParts& parts, formats::ModelDesc model);

} // namespace geometry
