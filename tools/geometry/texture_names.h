// The pictures the models name in their material maps, from the one list of data files. The
// demo loads them relative to its working directory, like every other path of data/.
#pragma once

#include "runtime/data_files.h"

namespace geometry::maps {

constexpr const char* kFacade = datafiles::kFacadeTexture;
constexpr const char* kReflection = datafiles::kReflectionTexture;
constexpr const char* kTunnel = datafiles::kTunnelTexture;
constexpr const char* kMetal = datafiles::kMetalTexture;
constexpr const char* kSpike = datafiles::kSpikeTexture;
constexpr const char* kConcrete = datafiles::kPlatformTexture;
constexpr const char* kRoof = datafiles::kRoofTexture;
constexpr const char* kRelief = datafiles::kReliefTexture;
constexpr const char* kHull = datafiles::kProbeTexture;
constexpr const char* kSoundBall = datafiles::kSoundBallTexture;
constexpr const char* kGlass = datafiles::kGlassTexture;
constexpr const char* kHallWall = datafiles::kHallWallTexture;
constexpr const char* kHallFloor = datafiles::kHallFloorTexture;
constexpr const char* kNightSky = datafiles::kNightSkyTexture;
constexpr const char* kBlueNormal = datafiles::kBlueNormalPicture;
constexpr const char* kStationFront = datafiles::kStationFrontTexture;
constexpr const char* kStationProps = datafiles::kStationPropsTexture;
constexpr const char* kCitySky = datafiles::kCitySkyTexture;
constexpr const char* kCityReflection = datafiles::kCityReflectionTexture;
constexpr const char* kCityStreet = datafiles::kCityStreetTexture;
constexpr const char* kCityCrossing = datafiles::kCityCrossingTexture;
constexpr const char* kCityPaving = datafiles::kCityPavingTexture;
constexpr const char* kCityGlass = datafiles::kCityGlassTexture;
constexpr const char* kCityOffice = datafiles::kCityOfficeTexture;
constexpr const char* kCityMarket = datafiles::kCityMarketTexture;
constexpr const char* kCityShops = datafiles::kCityShopsTexture;
constexpr const char* kCitySigns = datafiles::kCitySignsTexture;
constexpr const char* kCitySteel = datafiles::kCitySteelTexture;
constexpr const char* kCityContainer = datafiles::kCityContainerTexture;
constexpr const char* kCityWater = datafiles::kCityWaterTexture;

} // namespace geometry::maps
