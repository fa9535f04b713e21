// Draws a frame as the game describes it (Framework/Render/RenderFrame.h):
// uploads its camera and lights, then draws its passes in their order into
// the colour target that is bound. It decides how: models and their parts
// outside the view or on floors that cannot be seen are left out, each model
// is shaded only with the point lights that can reach it, and runs of effect
// quads that share a texture, blend and depth write go to the device in one
// draw. None of this changes the picture; the options switch each one off
// to show what it buys.
#pragma once

#include <vector>

#include "Framework/Render/Frustum.h"
#include "Framework/Render/RenderFrame.h"

namespace Render {


// What the last frame handed over and what reached the device.
struct Stats {
    int models = 0;          // model draws submitted (every pass but the depth pass)
    int modelsCulled = 0;    // of those, left out whole: unseen floor or out of view
    int subsets = 0;         // subsets of the submitted models that have something to draw
    int subsetsCulled = 0;   // of those, left out as out of view
    int subsetsDrawn = 0;    // shaded subset draws sent to the device
    int depthDraws = 0;      // subset draws of the depth pass
    int effectQuads = 0;     // effect quads submitted
    int effectDraws = 0;     // draws they took
    int lights = 0;          // point lights of the frame
    int modelLights = 0;     // point lights summed over the models drawn shaded
    int lightUploads = 0;    // times the point-light list went to the device

    void Reset() { *this = Stats{}; }
};

struct Options {
    bool cull = true;            // leave out what cannot be seen
    bool batch = true;           // effect quads in runs
    bool lightsPerModel = true;  // only the point lights that reach a model
};

// Where the drawing of a frame has got to (benchmarks time the passes).
enum class Pass { Clear, Depth, Stage, Zombies, Translucent, ArmGun };
using PassMark = void (*)(Pass finished);

class Renderer {
public:
    static Renderer& GetInstance();

    // Draws the 3D passes of the frame into the bound target (whose colour
    // and depth the caller has cleared): the opaque models and the actors
    // (after a depth pass when the frame asks for one), the translucent
    // models' inner faces, the first effects, the translucent outer faces,
    // the last effects, then over a cleared depth the overlay models.
    // mark, when given, is told as each pass is done.
    void DrawWorld(const Frame& frame, PassMark mark = nullptr);

    Options& GetOptions() { return options_; }
    const Stats& GetStats() const { return stats_; }

    // The renderer holds no device objects of its own.
    void Release() {}

private:
    Renderer() = default;
    enum class ModelPass { Depth, Shaded };
    void UploadCameraAndLights(const Frame& frame);
    void DrawModels(const std::vector<ModelDraw>& models, ModelPass pass, const Frame& frame);
    void DrawModel(const ModelDraw& draw, ModelPass pass, const Frame& frame);
    void UseLightsFor(const Box* box);
    void DrawEffects(const std::vector<EffectQuad>& quads);
    void DrawEffectRun(const EffectQuad* quads, int count);

    Options options_;
    Stats stats_;
    const Frame* frame_ = nullptr;
    // The point lights on the device, as indices into the frame's list.
    std::vector<int> uploadedLights_, wantedLights_;
    bool lightsKnown_ = false;
    std::vector<EffectVertex> runVertices_;
};

}  // namespace Render
