// Draws a frame as the game describes it (Framework/Render/RenderFrame.h):
// uploads its camera and lights, then draws its passes in their order into
// the colour target that is bound. It decides how: models and their parts
// outside the view or on floors that cannot be seen are left out, each model
// is shaded only with the point lights that can reach it, and runs of effect
// quads that share a texture, blend and depth write go to the device in one
// draw, and so do the actors' subsets that are drawn alike (instanced). None
// of this changes the picture; the options switch each one off to show what
// it buys.
#pragma once

#include <cstddef>
#include <unordered_map>
#include <vector>

#include "Framework/Render/Frustum.h"
#include "Framework/Render/RenderFrame.h"

class VeMesh;
struct VeModelMaterial;

namespace Render {


// What the last frame handed over and what reached the device.
struct Stats {
    int models = 0;          // model draws submitted (every pass but the depth pass)
    int modelsCulled = 0;    // of those, left out whole: unseen floor or out of view
    int subsets = 0;         // subsets of the submitted models that have something to draw
    int subsetsCulled = 0;   // of those, left out as out of view
    int subsetsDrawn = 0;    // shaded subsets drawn (whole or in part)
    int chunks = 0;          // chunks of the split subsets among those (shaded pass)
    int chunksCulled = 0;    // of those, left out as out of view
    int chunkDraws = 0;      // shaded draws they took (neighbouring chunks lit alike go together)
    int depthDraws = 0;      // subset and chunk draws of the depth pass
    int actorDraws = 0;      // shaded draws the actors' subsets took (instanced: fewer)
    int actorDepthDraws = 0; // depth-pass draws they took
    int mostInstances = 0;   // most copies one instanced draw placed
    int effectQuads = 0;     // effect quads submitted
    int effectDraws = 0;     // draws they took
    int coarseQuads = 0;     // of the quads, those drawn into a coarse layer
    int lights = 0;          // point lights of the frame
    int modelLights = 0;     // point lights summed over the models drawn shaded
    int lightUploads = 0;    // times the point-light list went to the device
    int actorsFirst = 0;     // 1: the actors were shaded before the opaque models
    int farModels = 0;       // actor models drawn with their far look

    void Reset() { *this = Stats{}; }
};

struct Options {
    // The depth pass pays for its own geometry work only on a large
    // picture: with fewer pixels than this (a render scale under 0.7 of
    // 1280 x 720) a CPU renderer draws the frame faster without it.
    long depthPassMinPixels = 400000;
    bool cull = true;            // leave out what cannot be seen
    bool batch = true;           // effect quads in runs
    bool lightsPerModel = true;  // only the point lights that reach a model
    bool instance = true;        // the actors' subsets drawn alike in one draw
    bool actorsFirst = true;     // without a depth pass, actors before the stage where that changes nothing
    bool untestedEffects = true; // effects that write no depth drawn without the alpha test
    // In a picture drawn at a reduced scale, at least this many effect quads
    // that write no depth in one list are drawn at half its resolution in a
    // coarse layer laid over it.
    bool coarseEffects = true;
    int coarseEffectsMinQuads = 200;
    // In a picture drawn at a reduced scale, an actor model with a far look
    // is drawn with it where its box spans fewer pixels than this (0: never).
    float farModelPixels = 60.0f;
};

// Where the drawing of a frame has got to (benchmarks time the passes).
enum class Pass { Clear, Depth, Stage, Zombies, Translucent, ArmGun };
using PassMark = void (*)(Pass finished);

class Renderer {
public:
    static Renderer& GetInstance();

    // Draws the 3D passes of the frame into the bound target (whose colour
    // and depth the caller has cleared): the opaque models and the actors
    // (after a depth pass when the frame asks for one and the picture is
    // large; without it, the actors first where that changes nothing but
    // the seams where two surfaces meet at one depth), the translucent
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
    void DrawModels(const std::vector<ModelDraw>& models, ModelPass pass);
    // True when every subset of every model writes its pixels whole (none
    // shows what is drawn behind it).
    bool AllHideWhatIsBehind(const std::vector<ModelDraw>& models) const;
    // The actors as drawn: the frame's list, or a copy with the far models
    // put in where the options and the picture allow.
    const std::vector<ModelDraw>& ActorsAsDrawn(const Frame& frame, int pictureHeight);
    // Counts the model and its subsets, and returns false when it is left
    // out whole; box (bounded true) is then the box around it.
    bool ModelInView(const ModelDraw& draw, ModelPass pass, Box& box, bool& bounded);
    // Calls visit(node, world, subset index, material) for each subset of the
    // model that the pass draws, in drawing order.
    template <class Visit>
    void ForEachSubset(const ModelDraw& draw, ModelPass pass, Visit&& visit);
    void DrawModel(const ModelDraw& draw, ModelPass pass);
    // Draws the chunks of a split subset that may show, each with the
    // lights of the model (modelLights_) that reach it, in runs of
    // neighbours lit alike; false when none may show.
    bool DrawChunks(const ModelDraw& draw, ModelPass pass, const VeMesh& mesh, const Matrix& world, size_t subset,
                    const VeModelMaterial& material);
    void DrawActors(const std::vector<ModelDraw>& actors, ModelPass pass);
    void GatherInstances(const std::vector<ModelDraw>& actors, ModelPass pass);
    void DrawInstanceGroups(ModelPass pass);
    // The indices of the point lights that can reach the box (all of them
    // without one), into wanted.
    void ReachingLights(const Box* box, std::vector<int>& wanted);
    void UseLights(const std::vector<int>& wanted);
    void DrawEffects(const std::vector<EffectQuad>& quads);
    // Draws the quads of the list that the layering takes, in their order:
    // all, those that write depth, or those that write none (into a coarse
    // layer).
    enum class Layering { All, Sharp, Soft };
    void DrawEffectQuads(const std::vector<EffectQuad>& quads, Layering layering);
    void DrawEffectRun(const EffectQuad* quads, int count);

    // Actor subsets drawn alike: one instanced draw (per cbInstances full)
    // places every copy.
    struct GroupKey {
        const VeMesh* mesh = nullptr;
        size_t subset = 0;
        const VeModelMaterial* material = nullptr;
        const ModelDraw* look = nullptr;  // colour, uv offset and tiling, lit, alpha test
        int lightSet = 0;
    };
    struct GroupKeyHash {
        size_t operator()(const GroupKey& k) const;
    };
    struct GroupKeyEqual {
        bool operator()(const GroupKey& a, const GroupKey& b) const;
    };
    struct InstanceGroup {
        GroupKey key;
        int segment = 0;    // subsets that may show what is behind them part the order into segments
        int model = 0;      // where its model first came in the list
        int node = 0;       // its node in the model
        std::vector<Matrix> worlds;
    };
    std::vector<InstanceGroup> groups_;
    size_t groupCount_ = 0;
    std::vector<size_t> order_;  // the groups in drawing order
    std::unordered_map<const VeModel*, int> modelRanks_;
    std::unordered_map<GroupKey, size_t, GroupKeyHash, GroupKeyEqual> groupIndex_;
    std::vector<std::vector<int>> lightSets_;
    size_t lightSetCount_ = 0;

    Options options_;
    Stats stats_;
    const Frame* frame_ = nullptr;
    Frustum frustum_{Matrix()};
    // The point lights on the device, as indices into the frame's list.
    std::vector<int> uploadedLights_, wantedLights_;
    // The lights reaching the model being drawn, and those of a chunk run.
    std::vector<int> modelLights_, chunkLights_, runLights_;
    bool lightsKnown_ = false;
    std::vector<EffectVertex> runVertices_;
    std::vector<ModelDraw> actorsAsDrawn_;
};

}  // namespace Render
