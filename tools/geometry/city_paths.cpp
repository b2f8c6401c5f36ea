// The City scene's paths: three camera flights, each a closed loop through its own districts
// (so that a clip's offset picks the district it starts in), and the two spike-ball swarms,
// which stream along the streets below their cameras' eye level. The cameras look up enough
// that the horizon, and so every ball, stays below the middle of the picture, where words
// are shown over these scenes.
#include "tools/geometry/city.h"

#include "tools/geometry/paths.h"

#include <algorithm>
#include <cmath>

namespace geometry {

namespace {

// A point of a flight: where the camera passes, how fast it flies from there (units per
// second), how far it looks above (or, negative, below) the horizontal, in degrees, and how
// much it turns from the way ahead towards the flight's focus (0 to 1).
struct Waypoint {
    Vec3 at;
    float speed;
    float pitch;
    float watch = 0;
};

// A closed flight through waypoints with rounded corners.
struct Flight {
    std::vector<Waypoint> points;
    float cornerRadius;
    float lookAhead;   // the view turns towards the path this far ahead
    float aimDistance; // how far ahead the aim point lies
    uint32_t stepMs;
    Vec3 focus{}; // what the camera turns to watch where its waypoints ask it to
};

// Speed and pitch along the flight, by arc length: interpolated between the waypoints, whose
// places along the rounded path are taken from the polyline's (a close match).
struct Profile {
    std::vector<float> at; // arc length of each waypoint, the first repeated at the end
    std::vector<float> speed, pitch, watch;
    float value(const std::vector<float>& of, float s) const {
        size_t k = std::upper_bound(at.begin(), at.end(), s) - at.begin();
        if (k == 0) return of.front();
        if (k >= at.size()) return of.back();
        float t = (s - at[k - 1]) / std::max(at[k] - at[k - 1], 1e-3f);
        t = t * t * (3 - 2 * t);
        return of[k - 1] + (of[k] - of[k - 1]) * t;
    }
};

Profile profileOf(const Flight& flight, float pathLength) {
    Profile profile;
    float polyline = 0;
    std::vector<float> cumulative{0};
    const size_t n = flight.points.size();
    for (size_t k = 0; k < n; k++) {
        polyline += length(flight.points[(k + 1) % n].at - flight.points[k].at);
        cumulative.push_back(polyline);
    }
    for (size_t k = 0; k <= n; k++) {
        profile.at.push_back(cumulative[k] * pathLength / polyline);
        profile.speed.push_back(flight.points[k % n].speed);
        profile.pitch.push_back(flight.points[k % n].pitch);
        profile.watch.push_back(flight.points[k % n].watch);
    }
    return profile;
}

// Arc lengths at even steps of time round the loop: m samples spaced stepMs apart, the
// speeds scaled a little so that the loop takes exactly m steps.
std::vector<float> timedArcLengths(const Profile& profile, float pathLength, uint32_t stepMs) {
    const float ds = 0.05f;
    std::vector<float> time{0};
    for (float s = ds; s <= pathLength + ds / 2; s += ds)
        time.push_back(time.back() + ds / profile.value(profile.speed, s - ds / 2));
    const float seconds = time.back();
    const int m = std::max(8, static_cast<int>(std::lround(seconds * 1000 / stepMs)));
    std::vector<float> arcs;
    size_t k = 0;
    for (int i = 0; i < m; i++) {
        float t = seconds * i / m;
        while (k + 1 < time.size() && time[k + 1] < t)
            k++;
        float f = (t - time[k]) / std::max(time[k + 1] - time[k], 1e-6f);
        arcs.push_back((k + f) * ds);
    }
    return arcs;
}

std::vector<Vec3> cornersOf(const Flight& flight) {
    std::vector<Vec3> corners;
    for (const Waypoint& w : flight.points)
        corners.push_back(w.at);
    return corners;
}

// The keys of a flight: the eye on the path, the aim ahead along it at the profile's pitch.
std::vector<CurveRecord> flightKeys(const Flight& flight) {
    Path path(cornersOf(flight), flight.cornerRadius, true);
    const float total = path.length();
    Profile profile = profileOf(flight, total);
    std::vector<float> arcs = timedArcLengths(profile, total, flight.stepMs);
    const int m = static_cast<int>(arcs.size());
    return closedLoopKeys(m, flight.stepMs, [&](int i) {
        float s = arcs[((i % m) + m) % m];
        Vec3 eye = path.at(s);
        Vec3 ahead = path.at(s + flight.lookAhead) - path.at(s - 0.5f);
        Vec3 flat = normalize(Vec3{ahead.x, 0, ahead.z});
        Vec3 toFocus = normalize(Vec3{flight.focus.x - eye.x, 0, flight.focus.z - eye.z});
        flat = normalize(flat + (toFocus - flat) * profile.value(profile.watch, s));
        float pitch = profile.value(profile.pitch, s) * kPi / 180;
        Vec3 aim =
            eye + flat * flight.aimDistance + Vec3{0, flight.aimDistance * std::tan(pitch), 0};
        return makeRecord(eye, aim);
    });
}

// A swarm's path: the route of its camera's flight, run on the camera's own clock but ahead
// of it, surging forwards and back and weaving from side to side, low over the street and
// tumbling. The scene releases the balls over 15 seconds and moves each along the path by its
// age, so on the same loop time as the camera the swarm stays about it: the balls strung out
// ahead, some rushing back towards the camera while others pull away. The scene spreads the
// balls 0 to 4 units from the path on every axis; the path is shifted so that the spread is
// centred on it.
struct Stream {
    float leadSeconds;  // how far ahead of the camera's clock the path runs
    float surgeSeconds; // how far it surges forwards and back about that
    int surges;         // surges per loop
    float weave;        // side to side, units
    int weaves;         // per loop
    float height;       // of the spread's centre
    int spinTurns;      // whole turns of the rotation per loop
};

std::vector<CurveRecord> streamKeys(const Flight& flight, const Stream& stream) {
    Path route(cornersOf(flight), flight.cornerRadius, true);
    const float routeLength = route.length();
    std::vector<float> arcs =
        timedArcLengths(profileOf(flight, routeLength), routeLength, flight.stepMs);
    const int m = static_cast<int>(arcs.size());
    // Corners are cut tighter than the camera's, so that the spread keeps off the buildings
    // on the corners.
    Path path(cornersOf(flight), 1, true);
    const float scale = path.length() / routeLength;
    auto arcAt = [&](float j) {
        float whole = std::floor(j), f = j - whole;
        int k = ((static_cast<int>(whole) % m) + m) % m;
        float next = k + 1 < m ? arcs[k + 1] : arcs[0] + routeLength;
        return (arcs[k] + (next - arcs[k]) * f) * scale;
    };
    // Keys twice as dense as the camera's over the same loop time, so that the spline, which
    // passes near its keys rather than through them, cuts the corners no more than the path.
    const float stepsPerSecond = 1000.0f / flight.stepMs;
    const int n = 2 * m;
    return closedLoopKeys(n, flight.stepMs / 2, [&](int i) {
        float phase = 2 * kPi * i / n;
        float lead = stream.leadSeconds + stream.surgeSeconds * std::sin(stream.surges * phase);
        float s = arcAt(0.5f * i + lead * stepsPerSecond);
        Vec3 tangent = normalize(path.at(s + 1) - path.at(s - 1));
        Vec3 left = normalize(Vec3{tangent.z, 0, -tangent.x});
        float side = stream.weave * std::sin(stream.weaves * phase);
        Vec3 p = path.at(s) + left * side;
        Vec3 centre{p.x, stream.height, p.z};
        float turn = 360.0f * stream.spinTurns * i / n;
        return makeRecord(centre - Vec3{2, 2, 2}, centre + tangent, {turn, 0.5f * turn, 0});
    });
}

// Camera 0: south down the towers' avenue from the quay (the intro), east along the city's
// edge and north up a market street to the quay, over the eastern bridge and up above the
// pier, round high over the sea and the harbour looking back at the city, and down over the
// basin into the avenue again.
Flight cameraZeroFlight() {
    return {{{{kTowerAvenueX, 9, 56}, 8.5f, 11},
             {{kTowerAvenueX, 9, -180}, 8.5f, 11},
             {{36, 7, -180}, 9, 7},
             {{36, 7, 72}, 9, 8},
             {{72, 7.5f, 72}, 8, 6},
             {{72, 9, 150}, 8, 3},
             {{72, 30, 200}, 13, -2, 0.3f},
             {{30, 44, 230}, 16, -6, 0.85f},
             {{-60, 46, 226}, 16, -9, 0.9f},
             {{-140, 40, 190}, 15, -10, 0.6f},
             {{-126, 24, 114}, 13, -6, 0.2f},
             {{kTowerAvenueX, 10, 76}, 10, 6}},
            10,
            14,
            40,
            500,
            {-40, 0, -20}};
}

// Camera 1: north up the avenue between the towers and the market, then round a ring of
// market streets under the signs.
Flight cameraOneFlight() {
    const float eye = 6.8f, pitch = 9.0f;
    return {{{{0, eye, -108}, 6.5f, pitch},
             {{0, eye, 36}, 6.5f, pitch},
             {{108, eye, 36}, 6.5f, pitch},
             {{108, eye, -108}, 6.5f, pitch}},
            8,
            10,
            40,
            500};
}

// Camera 2: along the quay road with the basin on its left, over the eastern bridge, west
// along the pier road under the cranes and back over the western bridge.
Flight cameraTwoFlight() {
    const float eye = 7.4f, pitch = 18.0f;
    return {{{{-72, eye, 72}, 11, pitch},
             {{72, eye, 72}, 11, pitch},
             {{72, eye, kPierRoadZ}, 11, pitch},
             {{-72, eye, kPierRoadZ}, 11, pitch}},
            9,
            12,
            30,
            500};
}

} // namespace

std::vector<std::vector<CurveRecord>> buildCityCurves() {
    Flight zero = cameraZeroFlight(), one = cameraOneFlight(), two = cameraTwoFlight();
    // Half of each swarm is behind its camera at any time, out of sight (and not drawn).
    Stream swarmOne{3.0f, 2.0f, 7, 0.4f, 11, 3.4f, 12};
    Stream swarmTwo{4.0f, 3.0f, 5, 0.8f, 9, 3.2f, 9};
    return {flightKeys(zero), flightKeys(one), flightKeys(two), streamKeys(one, swarmOne),
            streamKeys(two, swarmTwo)};
}

} // namespace geometry
