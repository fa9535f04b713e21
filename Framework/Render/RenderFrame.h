// What one picture shows, as the game describes it to the renderer: the
// camera, the lights, and the models and effect quads of each drawing pass
// in the order they are to be drawn. Plain data only. The game fills it in
// and never touches the graphics device; the renderer
// (Framework/Render/Renderer.h) decides how to draw it: what to leave out
// as unseen, which lights each model needs, which quads go to the device
// together.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "Framework/Math/SimpleMath.h"

class VeModel;
class VeTexture;

namespace Render {

// The view: row-vector view and projection matrices (clip z runs from 0 at
// the near plane to w at the far plane) and the eye they look from.
struct Camera {
    Matrix view;
    Matrix projection;
    Vector3 eye{0.0f, 0.0f, 0.0f};
};

// Lights what lies closer than radius to its position, fading to nothing at
// the radius.
struct PointLight {
    Vector3 colour{3.0f, 3.0f, 3.0f};
    Vector3 position;
    float radius = 0.0f;
};

// The shader takes at most this many point lights; later ones are left out.
constexpr size_t kMaxPointLights = 100;

// The frame's lights: ambient, one directional light (its direction is
// normalised when it is set) and the point lights, in the order they were
// added.
struct Lighting {
    Vector3 ambient{0.0f, 0.0f, 0.0f};
    Vector3 direction{0.0f, -1.0f, 0.0f};
    Vector3 colour{1.0f, 1.0f, 1.0f};
    std::vector<PointLight> points;

    void SetDirectional(const Vector3& towards, const Vector3& lightColour);
};

// The floor a model stands on, for leaving out floors that cannot be seen;
// a model on every floor (the stairwells) is never left out for its floor.
constexpr int kEveryFloor = -1;

// One model to draw: every mesh node of it, placed by the world matrix,
// with the colour multiplier (alpha fades) and the model shader's
// per-object values.
struct ModelDraw {
    const VeModel* model = nullptr;
    // The same look with fewer facets, which the renderer may draw instead
    // where the model comes out small in a picture drawn below the window's
    // size (Frame::reducedScale); none: always the model.
    const VeModel* farModel = nullptr;
    Matrix world;
    Vector4 colour{1.0f, 1.0f, 1.0f, 1.0f};
    Vector2 uvOffset{0.0f, 0.0f};
    Vector2 uvTiling{1.0f, 1.0f};
    bool lit = true;
    // A pixel whose alpha is at most this is dropped.
    float alphaTest = 0.0f;
    int floor = kEveryFloor;
};

// 36-byte effect vertex: position, texture coordinate, colour.
struct EffectVertex {
    Vector3 position;
    Vector2 uv;
    Vector4 colour;
};
static_assert(sizeof(EffectVertex) == 36, "effect vertex is 36 bytes");

enum class Blend : uint8_t { Alpha, Additive };

// One textured effect quad: four corners in triangle-strip order (top left,
// top right, bottom left, bottom right), placed by the world matrix.
struct EffectQuad {
    const VeTexture* texture = nullptr;  // none: drawn untextured
    EffectVertex vertices[4] = {};
    Matrix world;
    Vector2 uvOffset{0.0f, 0.0f};
    Blend blend = Blend::Alpha;
    // Off for particles that must not cut into each other (smoke).
    bool depthWrite = true;
};

// A picture, pass by pass in drawing order:
//   1. opaque, then actors: a depth pass (where asked), then shaded;
//   2. translucent models' inner faces;
//   3. the first effect quads;
//   4. translucent models' outer faces;
//   5. the last effect quads;
//   6. overlay models over a cleared depth (never hidden by the world).
// The 2D overlay is drawn by the scenes with the sprite set.
struct Frame {
    Camera camera;
    Lighting lighting;
    // Bit f set: floor f may be seen from the eye. Models on other floors
    // may be left out.
    uint32_t visibleFloors = ~0u;
    // Lay down the depth of the opaque passes before shading them.
    bool depthPrePass = false;
    // The picture is drawn below the window's size and stretched: detail
    // too small to see there may be left out (far models).
    bool reducedScale = false;
    std::vector<ModelDraw> opaque;
    std::vector<ModelDraw> actors;
    std::vector<ModelDraw> translucent;
    std::vector<EffectQuad> firstEffects;
    std::vector<EffectQuad> lastEffects;
    std::vector<ModelDraw> overlay;

    // Empties every list (keeping their storage) and resets the rest.
    void Clear();
};

inline void Lighting::SetDirectional(const Vector3& towards, const Vector3& lightColour) {
    const float length = std::sqrt(towards.x * towards.x + towards.y * towards.y + towards.z * towards.z);
    // A zero direction stays zero (no directional light) rather than NaN.
    direction = length > 0.0f ? Vector3(towards.x / length, towards.y / length, towards.z / length)
                              : Vector3(0.0f, 0.0f, 0.0f);
    colour = lightColour;
}

inline void Frame::Clear() {
    camera = Camera{};
    lighting.ambient = Vector3(0.0f, 0.0f, 0.0f);
    lighting.direction = Vector3(0.0f, -1.0f, 0.0f);
    lighting.colour = Vector3(1.0f, 1.0f, 1.0f);
    lighting.points.clear();
    visibleFloors = ~0u;
    depthPrePass = false;
    reducedScale = false;
    opaque.clear();
    actors.clear();
    translucent.clear();
    firstEffects.clear();
    lastEffects.clear();
    overlay.clear();
}

}  // namespace Render
