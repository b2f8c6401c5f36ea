// Every file the demo reads from data/, named once. The effects and scenes open these paths,
// the studio writes them, and the inventory test walks the same lists.
#pragma once

namespace datafiles {

constexpr const char* kTimeline = "data/time";
constexpr const char* kMusic = "data/morvane-quelfin.ogg";

// Shader sources, copied from content/shaders/.
constexpr const char* kDeformShader = "data/deform.frag";
constexpr const char* kGlowShader = "data/glow.frag";
constexpr const char* kDefaultFragmentShader = "data/default.frag";
constexpr const char* kDefaultVertexShader = "data/default.vert";
constexpr const char* kFlickerShader = "data/flicker.frag";
constexpr const char* kVertexNoiseFragmentShader = "data/Trainstation/VertexNoise.frag";
constexpr const char* kVertexNoiseVertexShader = "data/Trainstation/VertexNoise.vert";

// Pictures drawn by the Overlay entries of the registry, stretched over the whole screen.
constexpr const char* kMusicOverlay = "data/music.png";
constexpr const char* kFeatOverlay = "data/feat.png";
constexpr const char* kVsqOverlay = "data/vsq.png";
constexpr const char* kOnTopOverlay = "data/on_top.png";
constexpr const char* kRevoltOverlay = "data/revolt.png";
constexpr const char* kVignetteOverlay = "data/vignette.png";
constexpr const char* kTitleOverlay = "data/title.png";
constexpr const char* kCodeOverlay = "data/code.png";
constexpr const char* kCodeNamesOverlay = "data/code-names.png";
constexpr const char* kGfxOverlay = "data/gfx.png";
constexpr const char* kMorvaneOverlay = "data/morvane.png";
constexpr const char* kVsqIsOverlay = "data/vsq_is.png";
constexpr const char* kBackOverlay = "data/back.png";
constexpr const char* kAgainOverlay = "data/again.png";
constexpr const char* kOverlayOverlay = "data/overlay.png";

// City
constexpr const char* kCityModel = "data/city.model";
constexpr const char* kSpikeBallModel = "data/spikeball.model";
constexpr const char* kCityCurves[] = {"data/city_1.curve", "data/city_2.curve",
                                       "data/city_3.curve", "data/city_spike.curve",
                                       "data/city_spike2.curve"};

// SoundBall; its curves are "data/curve%d.curve" for 1 and 2.
constexpr const char* kSoundBallModel = "data/soundball.model";
constexpr const char* kSoundBallCurveFormat = "data/curve%d.curve";
constexpr const char* kSoundBallCurves[] = {"data/curve1.curve", "data/curve2.curve"};
constexpr const char* kBlueNormalPicture = "data/bluenormal.png";

// Credits: the greeting cards, in card order.
constexpr int kGreetingCount = 14;
constexpr const char* kGreetings[kGreetingCount] = {
    "data/greets/aurora.png",     "data/greets/bitfield.png", "data/greets/cinder.png",
    "data/greets/duststorm.png",  "data/greets/echoplex.png", "data/greets/fathom.png",
    "data/greets/glasshouse.png", "data/greets/halcyon.png",  "data/greets/ironlung.png",
    "data/greets/jetlag.png",     "data/greets/kiloton.png",  "data/greets/lumen.png",
    "data/greets/monolith.png",   "data/greets/nightjar.png"};
constexpr const char* kBackdropModel = "data/backdrop.model";
constexpr const char* kFlakePicture = "data/hullkort.png";

// Tunnel and IntoStation
constexpr const char* kTunnelModel = "data/tunnel.model";
constexpr const char* kProbeModel = "data/probe.model";
constexpr const char* kIntoStationModel = "data/intoStation.model";
constexpr const char* kIntoStationCameraCurve = "data/intoStation_camera.curve";
constexpr const char* kIntoStationCurve = "data/intoStation.curve";

// Train: 31 slides "data/Trainstation/%02d.jpg" for 1 to 31, and the captions.
constexpr int kTrainSlideCount = 31;
constexpr const char* kTrainSlideFormat = "data/Trainstation/%02d.jpg";
constexpr const char* kTrainFramePicture = "data/Trainstation/overlay_train.png";
constexpr const char* kTrainWaitingPicture = "data/Trainstation/waiting.png";
constexpr const char* kTrainMessagePicture = "data/Trainstation/msg.png";
constexpr const char* kTrainCaptions[] = {"data/cyberbabes/supposed.png",
                                          "data/cyberbabes/future.png", "data/cyberbabes/where.png",
                                          "data/cyberbabes/cyberbabes.png"};
constexpr const char* kIdeaModel = "data/Trainstation/idea.model";

// Crowd
constexpr const char* kStationModel = "data/station.model";
constexpr const char* kCrowdCurves[] = {"data/spikeball_cam.curve", "data/spikeball_master.curve",
                                        "data/spikeball_crowd.curve"};

// Textures named inside the model files (written by the studio's pictures).
constexpr const char* kFacadeTexture = "data/textures/facade.png";         // city towers
constexpr const char* kReflectionTexture = "data/textures/reflection.png"; // city sphere map
constexpr const char* kTunnelTexture = "data/textures/tunnel.png";         // tiles along the tube
constexpr const char* kMetalTexture = "data/textures/metal.png";           // spike balls
constexpr const char* kSpikeTexture = "data/textures/spike.png";           // their spikes
constexpr const char* kPlatformTexture = "data/textures/platform.png";     // station floors
constexpr const char* kRoofTexture = "data/textures/roof.png";             // station roofs
constexpr const char* kReliefTexture = "data/textures/relief.png";         // credits backdrop
constexpr const char* kProbeTexture = "data/textures/probe.png";           // the probe's hull
constexpr const char* kSoundBallTexture = "data/textures/soundball.png";   // spectrum bands
constexpr const char* kGlassTexture = "data/textures/glass.png";           // the idea bulb
constexpr const char* kHallWallTexture = "data/textures/hall_wall.png";    // station walls
constexpr const char* kHallFloorTexture = "data/textures/hall_floor.png";  // station floors
constexpr const char* kNightSkyTexture = "data/textures/night_sky.png";    // sky behind the station
constexpr const char* kStationFrontTexture = "data/textures/station_front.png"; // its facade
constexpr const char* kStationPropsTexture = "data/textures/station_props.png"; // its furniture
// The city's districts.
constexpr const char* kCitySkyTexture = "data/textures/city_sky.png";               // the dome
constexpr const char* kCityReflectionTexture = "data/textures/city_reflection.png"; // its mirror
constexpr const char* kCityStreetTexture = "data/textures/city_street.png";         // wet streets
constexpr const char* kCityCrossingTexture = "data/textures/city_crossing.png";     // crossings
constexpr const char* kCityPavingTexture = "data/textures/city_paving.png";         // quays, yards
constexpr const char* kCityGlassTexture = "data/textures/city_glass.png";           // glass towers
constexpr const char* kCityOfficeTexture = "data/textures/city_office.png";         // stone towers
constexpr const char* kCityMarketTexture = "data/textures/city_market.png";         // shop houses
constexpr const char* kCityShopsTexture = "data/textures/city_shops.png";           // their shops
constexpr const char* kCitySignsTexture = "data/textures/city_signs.png";           // neon, lenses
constexpr const char* kCitySteelTexture = "data/textures/city_steel.png"; // cranes, bridges
constexpr const char* kCityContainerTexture = "data/textures/city_container.png";
constexpr const char* kCityWaterTexture = "data/textures/city_water.png"; // the harbour
constexpr const char* kModelTextures[] = {
    kFacadeTexture,         kReflectionTexture,   kTunnelTexture,        kMetalTexture,
    kPlatformTexture,       kRoofTexture,         kReliefTexture,        kProbeTexture,
    kSoundBallTexture,      kGlassTexture,        kHallWallTexture,      kHallFloorTexture,
    kNightSkyTexture,       kStationFrontTexture, kStationPropsTexture,  kCitySkyTexture,
    kCityReflectionTexture, kCityStreetTexture,   kCityCrossingTexture,  kCityPavingTexture,
    kCityGlassTexture,      kCityOfficeTexture,   kCityMarketTexture,    kCityShopsTexture,
    kCitySignsTexture,      kCitySteelTexture,    kCityContainerTexture, kCityWaterTexture,
    kSpikeTexture};

// The inventory by reader, built from the names above: the inventory test walks these lists.
// The Train slides follow kTrainSlideFormat and the greetings kGreetings.
constexpr const char* kShaderFiles[] = {kDeformShader,           kGlowShader,
                                        kDefaultFragmentShader,  kDefaultVertexShader,
                                        kFlickerShader,          kVertexNoiseFragmentShader,
                                        kVertexNoiseVertexShader};
constexpr const char* kOverlayPictures[] = {
    kMusicOverlay,    kFeatOverlay,  kVsqOverlay,  kOnTopOverlay,     kRevoltOverlay,
    kVignetteOverlay, kTitleOverlay, kCodeOverlay, kCodeNamesOverlay, kGfxOverlay,
    kMorvaneOverlay,  kVsqIsOverlay, kBackOverlay, kAgainOverlay,     kOverlayOverlay};
constexpr const char* kScenePictures[] = {
    kBlueNormalPicture,   kFlakePicture,        kTrainFramePicture,
    kTrainWaitingPicture, kTrainMessagePicture, kTrainCaptions[0],
    kTrainCaptions[1],    kTrainCaptions[2],    kTrainCaptions[3]};
constexpr const char* kModelFiles[] = {kCityModel,        kSpikeBallModel, kSoundBallModel,
                                       kBackdropModel,    kTunnelModel,    kProbeModel,
                                       kIntoStationModel, kIdeaModel,      kStationModel};
constexpr const char* kCurveFiles[] = {
    kCityCurves[0],    kCityCurves[1],      kCityCurves[2],      kCityCurves[3],
    kCityCurves[4],    kSoundBallCurves[0], kSoundBallCurves[1], kIntoStationCameraCurve,
    kIntoStationCurve, kCrowdCurves[0],     kCrowdCurves[1],     kCrowdCurves[2]};

} // namespace datafiles
