#include "tools/pictures/set_textures.h"

#include "tools/geometry/probe.h"
#include "tools/pictures/palette.h"

namespace {

using geometry::ProbeFinish;
using geometry::ProbePatch;
using geometry::Vec3;

// A soft line of `width` units about distance 0, 1 on the line and 0 away from it.
float line(float distance, float width) {
    return 1 - smoothStep(0.5f * width, 1.5f * width, std::fabs(distance));
}

Rgba add(Rgba a, Rgba b) {
    return {a.r + b.r, a.g + b.g, a.b + b.b, 1};
}
Rgba times(Rgba a, Rgba b) {
    return {a.r * b.r, a.g * b.g, a.b * b.b, 1};
}

// What a texel of the probe is made of.
struct ProbeSurface {
    Rgba paint;
    float gloss = 0.5f; // share of the key light's highlight
    Rgba glow{0, 0, 0, 1};
    float occlusion = 1; // 1 open, less in the corners where parts meet
};

// Darkening where the wings and the fin meet the fuselage.
float hullOcclusion(Vec3 p) {
    float open = 1;
    if (p.z > -0.08f && p.z < 0.22f && std::fabs(p.x) > 0.05f)
        open -= 0.5f * std::exp(-std::hypot(std::fabs(p.x) - 0.12f, p.y) / 0.025f);
    if (p.z > 0.0f && p.z < 0.3f) open -= 0.45f * std::exp(-std::hypot(p.x, p.y - 0.13f) / 0.02f);
    return std::max(open, 0.3f);
}

ProbeSurface hullSurface(const ProbePatch& patch, float s, Vec3 p) {
    ProbeSurface surface;
    if (p.z > 0.299f || patch.finish == ProbeFinish::Chamfer) {
        // Chamfers and the tail rim: dark polished metal.
        surface.paint = rgb(0x596170);
        surface.gloss = 0.9f;
    } else {
        float angle = std::atan2(p.y, p.x) * 180 / geometry::kPi; // 90 on top
        surface.paint = rgb(0xd6dae1);
        float seams = 0;
        for (float z : {-0.3f, -0.12f, 0.06f, 0.22f})
            seams = std::max(seams, line(p.z - z, 0.004f));
        seams = std::max(seams, line(s - 0.5f, 0.03f) * (std::fabs(angle) > 100 ? 1.0f : 0.0f));
        surface.paint = mix(surface.paint, rgb(0x4a505a), 0.7f * seams);
        // The orange band round the tail and a dark sensor window on the top facet.
        float band = smoothStep(0.128f, 0.132f, p.z) * (1 - smoothStep(0.168f, 0.172f, p.z));
        surface.paint = mix(surface.paint, rgb(0xe8772a), band);
        if (std::fabs(angle - 90) < 20) {
            float window = smoothStep(-0.3f, -0.29f, p.z) * (1 - smoothStep(-0.15f, -0.14f, p.z)) *
                           (1 - smoothStep(0.3f, 0.36f, std::fabs(s - 0.5f)));
            surface.paint = mix(surface.paint, rgb(0x142238), window);
            surface.gloss += window;
        }
        // Cyan running lights along the flanks.
        if (std::fabs(std::fabs(angle) - 90) > 80 && p.z > -0.02f && p.z < 0.1f) {
            float dash =
                line(std::fmod(p.z + 0.02f, 0.04f) - 0.012f, 0.012f) * line(s - 0.5f, 0.2f);
            surface.glow = scaled(palette::kCyan, 0.9f * dash);
        }
    }
    surface.occlusion = hullOcclusion(p);
    return surface;
}

ProbeSurface plateSurface(const ProbePatch& patch, float chord, float span, bool top) {
    ProbeSurface surface;
    bool fin = patch.side == 0;
    surface.paint = top || fin ? rgb(0xcdd1d8) : rgb(0x7a808b);
    float seams = std::max({line(span - 0.36f, 0.012f), line(span - 0.7f, 0.012f),
                            line(chord - 0.6f, 0.012f) * (span > 0.1f ? 1.0f : 0.0f)});
    surface.paint = mix(surface.paint, rgb(0x3e444e), 0.6f * seams);
    // A band near the tip: orange on the wings, cyan on the fin.
    float band = smoothStep(0.8f, 0.82f, span) * (1 - smoothStep(0.92f, 0.94f, span));
    surface.paint = mix(surface.paint, fin ? rgb(0x3fbfe6) : rgb(0xe8772a), band);
    // The bevelled edges are bare metal.
    float bevel = 1 - smoothStep(0.13f, 0.16f, chord) * (1 - smoothStep(0.79f, 0.82f, chord));
    surface.paint = mix(surface.paint, rgb(0x6a7280), bevel);
    surface.gloss = 0.4f + 0.5f * bevel;
    surface.occlusion = 1 - 0.45f * std::exp(-span * 0.34f / 0.03f);
    return surface;
}

// The glowing throat of an engine, from its rim (0) to its centre (1).
Rgba engineGlow(float depth) {
    Rgba throat = mix(rgb(0x0c3a66), rgb(0x2ab0ec), smoothStep(0.0f, 0.45f, depth));
    return mix(throat, rgb(0xdff8ff), smoothStep(0.55f, 0.95f, depth));
}

ProbeSurface podSurface(const ProbePatch& patch, float t, Vec3 p) {
    ProbeSurface surface;
    surface.paint = rgb(0x4d5460);
    surface.gloss = 0.8f;
    if (t < 0.2f) surface.paint = rgb(0x7a818d); // the nose cone
    float ring = line(p.z - 0.09f, 0.01f);
    surface.glow = scaled(palette::kCyan, 0.8f * ring);
    // Navigation lights near the front: red to the left, green to the right.
    float outside = (p.x - 0.46f * patch.side) * patch.side;
    if (p.z > -0.06f && p.z < -0.03f && outside > 0.025f)
        surface.glow = patch.side < 0 ? rgb(0xff4a3d) : rgb(0x5cff8a);
    if (p.z > 0.199f) {
        float r = std::hypot(p.x - 0.46f * patch.side, p.y + 0.027f);
        surface.paint = rgb(0x101418);
        surface.glow = engineGlow(1 - r / 0.036f);
    }
    return surface;
}

ProbeSurface nozzleSurface(float t, Vec3 p) {
    ProbeSurface surface;
    // The bell's profile turns over its lip at t = 5/9; beyond it lies the throat.
    if (t < 5.0f / 9) {
        float heat = smoothStep(0.34f, 0.41f, p.z);
        surface.paint = mix(rgb(0x3e444f), rgb(0x5b4a78), heat);
        surface.gloss = 0.9f;
    } else {
        float r = std::hypot(p.x, p.y);
        surface.paint = rgb(0x101418);
        surface.glow = engineGlow(std::max(1 - r / 0.07f, smoothStep(0.4f, 0.35f, p.z) * 0.4f));
    }
    return surface;
}

// The light a texel receives from the probe's fixed lighting rig, applied to its surface.
Rgba lightProbe(const ProbeSurface& surface, Vec3 n) {
    const Vec3 key = geometry::normalize({-0.45f, 0.8f, 0.45f});
    const Vec3 fill = geometry::normalize({0.55f, -0.55f, 0.3f});
    const Vec3 towardsCamera{0, 0, 1}; // both scenes follow the probe from behind
    float ambient = 0.22f * (1 + 0.35f * n.y);
    float k = std::max(0.0f, geometry::dot(n, key));
    float f = std::max(0.0f, geometry::dot(n, fill));
    Rgba light = {ambient + 0.8f * k + 0.12f * f, ambient + 0.77f * k + 0.33f * f,
                  ambient * 1.25f + 0.72f * k + 0.42f * f, 1};
    light = scaled(light, surface.occlusion);
    Rgba lit = times(surface.paint, light);
    Vec3 half = geometry::normalize(key + towardsCamera);
    float highlight =
        surface.gloss * 0.6f * std::pow(std::max(0.0f, geometry::dot(n, half)), 40.0f);
    float rim = 0.3f * std::pow(1 - std::max(0.0f, geometry::dot(n, towardsCamera)), 4.0f);
    lit = add(lit, scaled(Rgba{1, 0.98f, 0.94f, 1}, highlight * surface.occlusion));
    lit = add(lit, scaled(Rgba{0.45f, 0.8f, 1, 1}, rim * surface.occlusion));
    return add(lit, surface.glow);
}

ProbeSurface surfaceOf(const ProbePatch& patch, float s, float t, Vec3 p) {
    switch (patch.finish) {
    case ProbeFinish::Hull:
    case ProbeFinish::Chamfer:
        return hullSurface(patch, s, p);
    case ProbeFinish::WingTop:
        return plateSurface(patch, s, t, true);
    case ProbeFinish::WingUnder:
        return plateSurface(patch, s, t, false);
    case ProbeFinish::Pod:
        return podSurface(patch, t, p);
    case ProbeFinish::Nozzle:
        return nozzleSurface(t, p);
    case ProbeFinish::Edge:
        break;
    }
    ProbeSurface edge;
    edge.paint = rgb(0x5a616d);
    edge.gloss = 0.8f;
    return edge;
}

} // namespace

Canvas paintProbe(const Lettering&) {
    const int size = geometry::kProbePictureSize;
    Canvas canvas(size, size, rgb(0x30343c));
    for (const ProbePatch& patch : geometry::probePatches()) {
        int x0 = static_cast<int>(std::lround(patch.u0 * size));
        int x1 = static_cast<int>(std::lround(patch.u1 * size));
        int y0 = static_cast<int>(std::lround(patch.v0 * size));
        int y1 = static_cast<int>(std::lround(patch.v1 * size));
        // Texel centres from the first to the last lie at t (and s) from 0 to 1, as the model
        // maps them (geometry::probeTexCoord).
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                float t = float(x - x0) / (x1 - x0 - 1), s = float(y - y0) / (y1 - y0 - 1);
                Vec3 p = patch.at(s, t);
                canvas.at(x, y) =
                    lightProbe(surfaceOf(patch, s, t, p), geometry::probeNormal(patch, s, t));
            }
    }
    return canvas;
}
