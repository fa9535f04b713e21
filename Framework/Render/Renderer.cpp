// The renderer: a frame's passes in their order, with what cannot be seen
// left out, per-model point lights and effect quads in runs.
#include "Framework/Render/Renderer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

#include "Framework/Graphics/GraphicsDevice.h"
#include "Framework/Graphics/ShaderManager.h"
#include "Framework/Graphics/VeTexture.h"
#include "Framework/Model/VeModel.h"

namespace Render {

namespace {

Box ToBox(const VeBounds& b) { return Box{b.center, b.extents}; }

// True when a light may add to some pixel of the box: the shader lights a
// point only nearer than the radius, and every point drawn for a model lies
// in its box. The margin covers the rounding of the interpolated positions.
bool LightReaches(const PointLight& light, const Box& box) {
    if (!(light.radius > 0.0f)) return false;
    const Vector3 d = light.position - box.center;
    const float dx = std::fmax(std::fabs(d.x) - box.extents.x, 0.0f);
    const float dy = std::fmax(std::fabs(d.y) - box.extents.y, 0.0f);
    const float dz = std::fmax(std::fabs(d.z) - box.extents.z, 0.0f);
    const float reach = light.radius * 1.001f + 0.01f;
    return dx * dx + dy * dy + dz * dz < reach * reach;
}

// A point light as the light block holds it.
::PointLight BlockLight(const PointLight& light) {
    ::PointLight out;
    out.color = light.colour;
    out.radius = light.radius;
    out.pos = light.position;
    out.tmp4 = 0.0f;
    return out;
}

// The box around the model's mesh nodes placed by world; false when it has
// no node with a mesh or one without bounds (such a model is never culled
// or judged by its size).
bool ModelBox(const VeModel& model, const Matrix& world, Box& out) {
    bool any = false;
    for (const VeModelNode& node : model.nodes) {
        if (!node.mesh) continue;
        const VeBounds& bounds = node.mesh->GetBounds();
        if (!bounds.valid) return false;
        const Box box = TransformBox(ToBox(bounds), node.matrix * world);
        out = any ? UnionBox(out, box) : box;
        any = true;
    }
    return any;
}

bool FloorSeen(const Frame& frame, int floor) {
    if (floor < 0 || floor >= 32) return true;
    return (frame.visibleFloors >> floor) & 1u;
}

}  // namespace

Renderer& Renderer::GetInstance() {
    static Renderer instance;
    return instance;
}

void Renderer::UploadCameraAndLights(const Frame& frame) {
    ShaderManager& shaders = ShaderManager::GetInstance();
    CbCamera& camera = shaders.CameraBlock();
    camera.g_mV = frame.camera.view;
    camera.g_mP = frame.camera.projection;
    camera.g_CamPos = frame.camera.eye;
    shaders.UploadCamera();

    CbLight& light = shaders.LightBlock();
    light.g_AmbientLight = frame.lighting.ambient;
    light.g_DL_Dir = frame.lighting.direction;
    light.g_DL_Color = frame.lighting.colour;
    const size_t count = std::min(frame.lighting.points.size(), kMaxPointLights);
    for (size_t i = 0; i < count; ++i) light.g_PL[i] = BlockLight(frame.lighting.points[i]);
    light.g_PL_Num = static_cast<int>(count);
    shaders.UploadLights();
    uploadedLights_.clear();
    for (size_t i = 0; i < count; ++i) uploadedLights_.push_back(static_cast<int>(i));
    stats_.lights = static_cast<int>(count);
}

void Renderer::ReachingLights(const Box* box, std::vector<int>& wanted) {
    const std::vector<PointLight>& points = frame_->lighting.points;
    const size_t count = std::min(points.size(), kMaxPointLights);
    wanted.clear();
    for (size_t i = 0; i < count; ++i) {
        if (!options_.lightsPerModel || box == nullptr || LightReaches(points[i], *box))
            wanted.push_back(static_cast<int>(i));
    }
    stats_.modelLights += static_cast<int>(wanted.size());
}

void Renderer::UseLights(const std::vector<int>& wanted) {
    if (wanted == uploadedLights_) return;
    // The reaching lights in the frame's order: the shader adds them up in
    // that order, and leaving out one that adds nothing changes no sum.
    const std::vector<PointLight>& points = frame_->lighting.points;
    ::PointLight list[kMaxPointLights];
    for (size_t i = 0; i < wanted.size(); ++i) list[i] = BlockLight(points[static_cast<size_t>(wanted[i])]);
    ShaderManager::GetInstance().UploadPointLights(list, static_cast<int>(wanted.size()));
    uploadedLights_ = wanted;
    ++stats_.lightUploads;
}

bool Renderer::ModelInView(const ModelDraw& draw, ModelPass pass, Box& modelBox, bool& bounded) {
    const VeModel& model = *draw.model;
    const bool shaded = pass == ModelPass::Shaded;

    // The subsets with something to draw, and the box around the model.
    int subsetCount = 0;
    for (const VeModelNode& node : model.nodes) {
        if (!node.mesh) continue;
        for (const VeSubset& subset : node.mesh->GetSubsets())
            if (ShaderManager::SubsetMaterial(model, subset) != nullptr) ++subsetCount;
    }
    bounded = ModelBox(model, draw.world, modelBox);
    if (shaded) {
        ++stats_.models;
        stats_.subsets += subsetCount;
    }
    if (subsetCount == 0) return false;
    if (options_.cull && (!FloorSeen(*frame_, draw.floor) || (bounded && !frustum_.MayShow(modelBox)))) {
        if (shaded) {
            ++stats_.modelsCulled;
            stats_.subsetsCulled += subsetCount;
        }
        return false;
    }
    return true;
}

template <class Visit>
void Renderer::ForEachSubset(const ModelDraw& draw, ModelPass pass, Visit&& visit) {
    const VeModel& model = *draw.model;
    const bool shaded = pass == ModelPass::Shaded;
    for (const VeModelNode& node : model.nodes) {
        if (!node.mesh) continue;
        const VeMesh& mesh = *node.mesh;
        const Matrix world = node.matrix * draw.world;
        const std::vector<VeSubset>& subsets = mesh.GetSubsets();
        const std::vector<VeBounds>& subsetBounds = mesh.GetSubsetBounds();
        for (size_t i = 0; i < subsets.size(); ++i) {
            const VeModelMaterial* material = ShaderManager::SubsetMaterial(model, subsets[i]);
            if (material == nullptr) continue;
            if (options_.cull && i < subsetBounds.size() && subsetBounds[i].valid &&
                !frustum_.MayShow(TransformBox(ToBox(subsetBounds[i]), world))) {
                if (shaded) ++stats_.subsetsCulled;
                continue;
            }
            if (!shaded && !ShaderManager::HidesWhatIsBehind(mesh, *material, draw.colour.w, draw.alphaTest))
                continue;
            visit(node, world, i, *material);
        }
    }
}

// cbObject's per-draw values (all but the world matrix) from the draw.
static void SetLook(CbObject& block, const ModelDraw& draw) {
    block.g_UVOffset = draw.uvOffset;
    block.g_UVTiling = draw.uvTiling;
    block.g_LightEnable = draw.lit ? 1 : 0;
    block.g_AlphaTestThreshold = draw.alphaTest;
}

bool Renderer::DrawChunks(const ModelDraw& draw, ModelPass pass, const VeMesh& mesh, const Matrix& world,
                          size_t subset, const VeModelMaterial& material) {
    ShaderManager& shaders = ShaderManager::GetInstance();
    const bool shaded = pass == ModelPass::Shaded;
    const std::vector<PointLight>& points = frame_->lighting.points;
    uint32_t runFirst = 0, runEnd = 0;
    bool drewAny = false;
    auto flush = [&]() {
        if (runEnd == runFirst) return;
        if (shaded) {
            UseLights(runLights_);
            shaders.ApplyMaterial(material, draw.colour.x, draw.colour.y, draw.colour.z, draw.colour.w, &mesh);
            ++stats_.chunkDraws;
        } else {
            ++stats_.depthDraws;
        }
        mesh.DrawTriangles(runFirst, runEnd - runFirst);
        runFirst = runEnd = 0;
        drewAny = true;
    };
    for (const VeChunk* chunk = mesh.ChunksBegin(subset); chunk != mesh.ChunksEnd(subset); ++chunk) {
        if (shaded) ++stats_.chunks;
        const Box box = TransformBox(ToBox(chunk->bounds), world);
        if (options_.cull && !frustum_.MayShow(box)) {
            if (shaded) ++stats_.chunksCulled;
            flush();
            continue;
        }
        if (shaded) {
            // Of the lights reaching the model, those that reach the chunk.
            chunkLights_.clear();
            for (int light : modelLights_)
                if (!options_.lightsPerModel || LightReaches(points[static_cast<size_t>(light)], box))
                    chunkLights_.push_back(light);
        }
        const bool extends = runEnd > runFirst && chunk->firstTriangle == runEnd &&
                             (!shaded || chunkLights_ == runLights_);
        if (!extends) {
            flush();
            runFirst = chunk->firstTriangle;
            if (shaded) runLights_.swap(chunkLights_);
        }
        runEnd = chunk->firstTriangle + chunk->triangleCount;
    }
    flush();
    return drewAny;
}

void Renderer::DrawModel(const ModelDraw& draw, ModelPass pass) {
    if (draw.model == nullptr) return;
    ShaderManager& shaders = ShaderManager::GetInstance();
    const bool shaded = pass == ModelPass::Shaded;
    Box modelBox;
    bool bounded = false;
    if (!ModelInView(draw, pass, modelBox, bounded)) return;
    if (shaded) ReachingLights(bounded ? &modelBox : nullptr, modelLights_);

    const VeModelNode* uploadedFor = nullptr;
    ForEachSubset(draw, pass,
                  [&](const VeModelNode& node, const Matrix& world, size_t i, const VeModelMaterial& material) {
                      const VeMesh& mesh = *node.mesh;
                      if (uploadedFor != &node) {
                          mesh.SetToDevice();
                          CbObject& block = shaders.ObjectBlock();
                          block.g_mW = world;
                          SetLook(block, draw);
                          shaders.UploadObject();
                          uploadedFor = &node;
                      }
                      if (mesh.ChunksEnd(i) - mesh.ChunksBegin(i) > 1) {
                          // A split subset: chunk by chunk.
                          if (DrawChunks(draw, pass, mesh, world, i, material)) {
                              if (shaded) ++stats_.subsetsDrawn;
                          } else if (shaded) {
                              ++stats_.subsetsCulled;
                          }
                          return;
                      }
                      if (shaded) {
                          UseLights(modelLights_);
                          shaders.ApplyMaterial(material, draw.colour.x, draw.colour.y, draw.colour.z,
                                                draw.colour.w, &mesh);
                          ++stats_.subsetsDrawn;
                      } else {
                          ++stats_.depthDraws;
                      }
                      mesh.DrawSubset(i);
                  });
}

const std::vector<ModelDraw>& Renderer::ActorsAsDrawn(const Frame& frame, int pictureHeight) {
    if (!frame.reducedScale || !(options_.farModelPixels > 0.0f)) return frame.actors;
    // Pixels per unit of size at unit distance: the projection's vertical
    // scale over half the picture's height.
    const float pixelsAtOne = frame.camera.projection._22 * 0.5f * static_cast<float>(pictureHeight);
    actorsAsDrawn_ = frame.actors;
    for (ModelDraw& draw : actorsAsDrawn_) {
        if (draw.farModel == nullptr || draw.model == nullptr) continue;
        // The size the model comes out at.
        Box box;
        if (!ModelBox(*draw.model, draw.world, box)) continue;
        const float size = 2.0f * box.extents.Length();
        const float distance = Vector3::Distance(box.center, frame.camera.eye);
        // Within its own size of the eye a model is never small.
        if (distance <= size || size * pixelsAtOne >= options_.farModelPixels * distance) continue;
        draw.model = draw.farModel;
        ++stats_.farModels;
    }
    return actorsAsDrawn_;
}

bool Renderer::AllHideWhatIsBehind(const std::vector<ModelDraw>& models) const {
    for (const ModelDraw& draw : models) {
        if (draw.model == nullptr) continue;
        for (const VeModelNode& node : draw.model->nodes) {
            if (!node.mesh) continue;
            for (const VeSubset& subset : node.mesh->GetSubsets()) {
                const VeModelMaterial* material = ShaderManager::SubsetMaterial(*draw.model, subset);
                if (material != nullptr &&
                    !ShaderManager::HidesWhatIsBehind(*node.mesh, *material, draw.colour.w, draw.alphaTest))
                    return false;
            }
        }
    }
    return true;
}

void Renderer::DrawModels(const std::vector<ModelDraw>& models, ModelPass pass) {
    for (const ModelDraw& draw : models) DrawModel(draw, pass);
}

// ---- actors, instanced

namespace {

uint32_t Bits(float f) {
    uint32_t u;
    std::memcpy(&u, &f, sizeof(u));
    return u;
}

// The values of a draw that cbObject and the material colour take from it,
// compared bit for bit.
bool SameLook(const ModelDraw& a, const ModelDraw& b) {
    const float fa[] = {a.colour.x, a.colour.y, a.colour.z, a.colour.w, a.uvOffset.x,
                        a.uvOffset.y, a.uvTiling.x, a.uvTiling.y, a.alphaTest};
    const float fb[] = {b.colour.x, b.colour.y, b.colour.z, b.colour.w, b.uvOffset.x,
                        b.uvOffset.y, b.uvTiling.x, b.uvTiling.y, b.alphaTest};
    for (size_t i = 0; i < sizeof(fa) / sizeof(fa[0]); ++i)
        if (Bits(fa[i]) != Bits(fb[i])) return false;
    return a.lit == b.lit;
}

}  // namespace

size_t Renderer::GroupKeyHash::operator()(const GroupKey& k) const {
    size_t h = std::hash<const void*>()(k.mesh);
    auto mix = [&h](size_t v) { h ^= v + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2); };
    mix(k.subset);
    mix(std::hash<const void*>()(k.material));
    mix(static_cast<size_t>(k.lightSet));
    if (k.look != nullptr) {
        mix(Bits(k.look->colour.x));
        mix(Bits(k.look->colour.y));
        mix(Bits(k.look->colour.z));
        mix(Bits(k.look->colour.w));
    }
    return h;
}

bool Renderer::GroupKeyEqual::operator()(const GroupKey& a, const GroupKey& b) const {
    if (a.mesh != b.mesh || a.subset != b.subset || a.material != b.material || a.lightSet != b.lightSet)
        return false;
    if (a.look == nullptr || b.look == nullptr) return a.look == b.look;
    return SameLook(*a.look, *b.look);
}

void Renderer::GatherInstances(const std::vector<ModelDraw>& actors, ModelPass pass) {
    const bool shaded = pass == ModelPass::Shaded;
    for (size_t g = 0; g < groupCount_; ++g) groups_[g].worlds.clear();
    groupCount_ = 0;
    groupIndex_.clear();
    lightSetCount_ = 0;
    // Where each model first comes in the list, left out or not: every
    // zombie hands over its parts in the same order, so this is the order of
    // a zombie's parts, and (model, node, subset) that of its subsets.
    modelRanks_.clear();
    for (const ModelDraw& draw : actors) modelRanks_.emplace(draw.model, static_cast<int>(modelRanks_.size()));
    int segment = 0;
    auto newGroup = [&](const GroupKey& key, const ModelDraw& draw, const VeModelNode& node) -> InstanceGroup& {
        if (groupCount_ == groups_.size()) groups_.emplace_back();
        InstanceGroup& group = groups_[groupCount_++];
        group.key = key;
        group.segment = segment;
        group.model = modelRanks_[draw.model];
        group.node = static_cast<int>(&node - draw.model->nodes.data());
        return group;
    };

    for (const ModelDraw& draw : actors) {
        if (draw.model == nullptr) continue;
        Box modelBox;
        bool bounded = false;
        if (!ModelInView(draw, pass, modelBox, bounded)) continue;
        int lightSet = 0;
        if (shaded) {
            // Models reached by the same lights share a set.
            ReachingLights(bounded ? &modelBox : nullptr, wantedLights_);
            size_t set = 0;
            while (set < lightSetCount_ && lightSets_[set] != wantedLights_) ++set;
            if (set == lightSetCount_) {
                if (lightSetCount_ == lightSets_.size()) lightSets_.emplace_back();
                lightSets_[lightSetCount_++] = wantedLights_;
            }
            lightSet = static_cast<int>(set);
        }
        ForEachSubset(draw, pass,
                      [&](const VeModelNode& node, const Matrix& world, size_t i, const VeModelMaterial& material) {
                          GroupKey key;
                          key.mesh = node.mesh.get();
                          key.subset = i;
                          if (!shaded) {
                              // Depth alone: where and what, nothing of the look;
                              // the nearest depth wins in any order.
                              auto found = groupIndex_.emplace(key, groupCount_);
                              if (found.second) newGroup(key, draw, node);
                              groups_[found.first->second].worlds.push_back(world);
                              return;
                          }
                          key.material = &material;
                          key.look = &draw;
                          key.lightSet = lightSet;
                          if (!ShaderManager::HidesWhatIsBehind(*node.mesh, material, draw.colour.w,
                                                                draw.alphaTest)) {
                              // What shows through this subset depends on what
                              // was drawn before it: it keeps its place, alone,
                              // and the subsets after it gather anew.
                              ++segment;
                              newGroup(key, draw, node).worlds.push_back(world);
                              ++segment;
                              groupIndex_.clear();
                              return;
                          }
                          // Every pixel of the rest is written whole, so among
                          // themselves the order does not matter: the nearest
                          // wins. Only where two surfaces give the same depth
                          // value does the first drawn stay: parts of one
                          // zombie meeting at a seam keep their order (below);
                          // two zombies passing through each other may swap.
                          auto found = groupIndex_.emplace(key, groupCount_);
                          if (found.second) newGroup(key, draw, node);
                          groups_[found.first->second].worlds.push_back(world);
                      });
    }

    // Drawing order: by segment, then as a zombie draws its subsets; groups
    // of the same subset (other looks or lights) as they came.
    order_.resize(groupCount_);
    for (size_t g = 0; g < groupCount_; ++g) order_[g] = g;
    if (shaded)
        std::stable_sort(order_.begin(), order_.end(), [this](size_t a, size_t b) {
            const InstanceGroup& x = groups_[a];
            const InstanceGroup& y = groups_[b];
            if (x.segment != y.segment) return x.segment < y.segment;
            if (x.model != y.model) return x.model < y.model;
            if (x.node != y.node) return x.node < y.node;
            return x.key.subset < y.key.subset;
        });
}

void Renderer::DrawInstanceGroups(ModelPass pass) {
    ShaderManager& shaders = ShaderManager::GetInstance();
    const bool shaded = pass == ModelPass::Shaded;
    for (size_t g : order_) {
        const InstanceGroup& group = groups_[g];
        const GroupKey& key = group.key;
        const VeMesh& mesh = *key.mesh;
        const int count = static_cast<int>(group.worlds.size());
        mesh.SetToDevice();
        CbObject& block = shaders.ObjectBlock();
        block.g_mW = group.worlds.front();
        bool instanced = true;
        if (shaded) {
            UseLights(lightSets_[static_cast<size_t>(key.lightSet)]);
            SetLook(block, *key.look);
            shaders.UploadObject();
            const Vector4& c = key.look->colour;
            shaders.ApplyMaterial(*key.material, c.x, c.y, c.z, c.w, &mesh);
            instanced = shaders.InstancedProgramBound();
            stats_.subsetsDrawn += count;
        } else {
            stats_.depthDraws += count;
        }
        int& draws = shaded ? stats_.actorDraws : stats_.actorDepthDraws;
        if (!instanced) {
            // The instanced program could not be built: one by one.
            for (const Matrix& world : group.worlds) {
                shaders.ObjectBlock().g_mW = world;
                shaders.UploadObject();
                mesh.DrawSubset(key.subset);
                ++draws;
            }
            continue;
        }
        for (int first = 0; first < count; first += ShaderManager::kInstancesPerDraw) {
            const int n = std::min(count - first, ShaderManager::kInstancesPerDraw);
            shaders.UploadInstances(group.worlds.data() + first, n);
            mesh.DrawSubsetInstanced(key.subset, n);
            ++draws;
            stats_.mostInstances = std::max(stats_.mostInstances, n);
        }
    }
}

void Renderer::DrawActors(const std::vector<ModelDraw>& actors, ModelPass pass) {
    ShaderManager& shaders = ShaderManager::GetInstance();
    if (options_.instance && shaders.BeginInstancing()) {
        GatherInstances(actors, pass);
        DrawInstanceGroups(pass);
        shaders.EndInstancing();
        return;
    }
    const int before = pass == ModelPass::Shaded ? stats_.subsetsDrawn : stats_.depthDraws;
    DrawModels(actors, pass);
    if (pass == ModelPass::Shaded)
        stats_.actorDraws += stats_.subsetsDrawn - before;
    else
        stats_.actorDepthDraws += stats_.depthDraws - before;
}

void Renderer::DrawEffectRun(const EffectQuad* quads, int count) {
    GraphicsDevice& device = GraphicsDevice::GetInstance();
    ShaderManager& shaders = ShaderManager::GetInstance();
    CbQuad records[ShaderManager::kQuadsPerDraw];
    runVertices_.resize(static_cast<size_t>(count) * 4);
    for (int i = 0; i < count; ++i) {
        records[i].mW = quads[i].world;
        records[i].uvOffset = quads[i].uvOffset;
        for (int v = 0; v < 4; ++v) runVertices_[static_cast<size_t>(i) * 4 + v] = quads[i].vertices[v];
    }
    shaders.UploadQuads(records, count);
    device.DrawQuads(static_cast<unsigned>(count), runVertices_.data(), sizeof(EffectVertex));
    ++stats_.effectDraws;
}

void Renderer::DrawEffects(const std::vector<EffectQuad>& quads) {
    stats_.effectQuads += static_cast<int>(quads.size());
    // In a picture drawn at a reduced scale, a crowd of quads that write no
    // depth (the generator's smoke late in the game) goes into a coarse
    // layer: a quarter of the pixels to blend, laid over the picture at
    // once. Those quads then come after the others of the list.
    int soft = 0;
    if (options_.coarseEffects && frame_ != nullptr && frame_->reducedScale)
        for (const EffectQuad& q : quads)
            if (!q.depthWrite) ++soft;
    GraphicsDevice& device = GraphicsDevice::GetInstance();
    if (soft == 0 || soft < options_.coarseEffectsMinQuads) {
        DrawEffectQuads(quads, Layering::All);
        return;
    }
    DrawEffectQuads(quads, Layering::Sharp);
    if (!device.BeginCoarseLayer()) {
        DrawEffectQuads(quads, Layering::Soft);
        return;
    }
    DrawEffectQuads(quads, Layering::Soft);
    stats_.coarseQuads += soft;
    int x = 0, y = 0, width = 0, height = 0;
    const VeTexture* layer = device.EndCoarseLayer(x, y, width, height);
    ShaderManager& shaders = ShaderManager::GetInstance();
    static const BlendState over{5};
    const BlendState* restore = device.GetBlendState();
    shaders.Begin2D(true, true);
    device.SetBlendState(&over);
    int viewportWidth = 0, viewportHeight = 0;
    device.GetViewport(viewportWidth, viewportHeight);
    const SpriteRect source{static_cast<float>(x), static_cast<float>(y), static_cast<float>(width),
                            static_cast<float>(height)};
    const Vector4 white(1.0f, 1.0f, 1.0f, 1.0f);
    shaders.SetTransform(Matrix::Identity());
    shaders.DrawTexture(layer, 0.0f, 0.0f, static_cast<float>(viewportWidth), static_cast<float>(viewportHeight),
                        &source, &white, Vector2(0.5f, 0.5f));
    shaders.End2D();
    device.SetBlendState(restore);
    ++stats_.effectDraws;
}

void Renderer::DrawEffectQuads(const std::vector<EffectQuad>& quads, Layering layering) {
    GraphicsDevice& device = GraphicsDevice::GetInstance();
    ShaderManager& shaders = ShaderManager::GetInstance();
    const bool layered = layering == Layering::Soft;
    static const BlendState alpha{1}, additive{2}, layerAlpha{3}, layerAdditive{4};
    const BlendState* restore = device.GetBlendState();

    auto drawable = [layering](const EffectQuad& q) {
        if (layering == Layering::Sharp && !q.depthWrite) return false;
        if (layering == Layering::Soft && q.depthWrite) return false;
        // A texture that failed to load leaves the quad out rather than
        // drawing it black; no texture at all draws it untextured.
        return q.texture == nullptr || q.texture->HasImage();
    };
    int programTested = -1;  // the alpha test of the program bound (-1: none yet)
    auto setState = [&](const EffectQuad& q) {
        // Quads that write no depth need no alpha test (see SetEffectShader).
        const bool alphaTest = q.depthWrite || !options_.untestedEffects;
        if (programTested != static_cast<int>(alphaTest)) {
            if (options_.batch)
                shaders.SetEffectBatchShader(alphaTest);
            else
                shaders.SetEffectShader(alphaTest);
            programTested = alphaTest;
        }
        device.BindTexture(0, q.texture);
        if (layered)
            device.SetBlendState(q.blend == Blend::Additive ? &layerAdditive : &layerAlpha);
        else
            device.SetBlendState(q.blend == Blend::Additive ? &additive : &alpha);
        device.SetDepthWrite(q.depthWrite);
    };

    if (!options_.batch) {
        for (const EffectQuad& q : quads) {
            if (!drawable(q)) continue;
            setState(q);
            CbPerObject& block = shaders.PerObjectBlock();
            block.g_mW = q.world;
            block.g_UVOffset = q.uvOffset;
            shaders.UploadPerObject();
            device.DrawVertices(Topology::TriangleStrip, 4, q.vertices, sizeof(EffectVertex));
            ++stats_.effectDraws;
        }
    } else {
        std::vector<EffectQuad> run;
        size_t i = 0;
        while (i < quads.size()) {
            if (!drawable(quads[i])) {
                ++i;
                continue;
            }
            // A run: the following drawable quads with the same texture,
            // blend and depth write, in their order (quads left out do not
            // break it; they draw nothing).
            const EffectQuad& first = quads[i];
            setState(first);
            run.clear();
            while (i < quads.size() && static_cast<int>(run.size()) < ShaderManager::kQuadsPerDraw) {
                const EffectQuad& q = quads[i];
                if (drawable(q)) {
                    if (q.texture != first.texture || q.blend != first.blend || q.depthWrite != first.depthWrite)
                        break;
                    run.push_back(q);
                }
                ++i;
            }
            DrawEffectRun(run.data(), static_cast<int>(run.size()));
        }
    }
    device.SetDepthWrite(true);
    device.SetBlendState(restore);
}

void Renderer::DrawWorld(const Frame& frame, PassMark mark) {
    GraphicsDevice& device = GraphicsDevice::GetInstance();
    ShaderManager& shaders = ShaderManager::GetInstance();
    stats_.Reset();
    frame_ = &frame;
    frustum_ = Frustum(frame.camera.view * frame.camera.projection);
    auto done = [mark](Pass pass) {
        if (mark) mark(pass);
    };
    UploadCameraAndLights(frame);

    shaders.SetModelShader();
    // Depth first: the surfaces known to be opaque lay down their nearest
    // depth unshaded, so the shaded pass lights each visible pixel once
    // instead of once for every surface drawn over it.
    int width = 0, height = 0;
    device.GetViewport(width, height);
    const bool largePicture = static_cast<long>(width) * height >= options_.depthPassMinPixels;
    const std::vector<ModelDraw>& actors = ActorsAsDrawn(frame, height);
    bool depthLaid = false;
    if (frame.depthPrePass && largePicture && shaders.BeginDepthPass()) {
        DrawModels(frame.opaque, ModelPass::Depth);
        DrawActors(actors, ModelPass::Depth);
        shaders.EndDepthPass();
        depthLaid = true;
    }
    done(Pass::Depth);
    // Without a depth pass, the actors (standing in front of the stage far
    // more often than behind it) go first where every pixel of both is
    // written whole: the stage's pixels behind them then fail the depth test
    // before they are shaded, and the nearest surface wins in either order.
    // Anything that shows what is behind it keeps the stage-first order.
    if (!depthLaid && options_.actorsFirst && AllHideWhatIsBehind(actors) && AllHideWhatIsBehind(frame.opaque)) {
        stats_.actorsFirst = 1;
        DrawActors(actors, ModelPass::Shaded);
        done(Pass::Zombies);
        DrawModels(frame.opaque, ModelPass::Shaded);
        done(Pass::Stage);
    } else {
        DrawModels(frame.opaque, ModelPass::Shaded);
        done(Pass::Stage);
        DrawActors(actors, ModelPass::Shaded);
        done(Pass::Zombies);
    }

    // Translucent shells: inner faces first, then (after the first effects)
    // their outer faces.
    device.SetCullMode(CullMode::Front);
    DrawModels(frame.translucent, ModelPass::Shaded);
    device.SetCullMode(CullMode::Back);
    DrawEffects(frame.firstEffects);
    shaders.SetModelShader();
    DrawModels(frame.translucent, ModelPass::Shaded);
    DrawEffects(frame.lastEffects);
    done(Pass::Translucent);

    // The overlay is never hidden by the world.
    shaders.SetModelShader();
    if (!frame.overlay.empty()) {
        device.ClearBoundDepthStencil(1.0f, 0);
        DrawModels(frame.overlay, ModelPass::Shaded);
    }
    done(Pass::ArmGun);
    frame_ = nullptr;
}

}  // namespace Render
