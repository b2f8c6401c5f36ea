// The pictures the models name in their material maps. The demo loads them relative to its
// working directory, like every other path of data/.
#pragma once

namespace geometry::maps {

constexpr const char* kFacade = "data/textures/facade.png";
constexpr const char* kReflection = "data/textures/reflection.png";
constexpr const char* kTunnel = "data/textures/tunnel.png";
constexpr const char* kMetal = "data/textures/metal.png";
constexpr const char* kConcrete = "data/textures/concrete.png";
constexpr const char* kRoof = "data/textures/roof.png";
constexpr const char* kRelief = "data/textures/relief.png";
constexpr const char* kHull = "data/textures/hull.png";
constexpr const char* kBlueNormal = "data/bluenormal.png";

} // namespace geometry::maps
