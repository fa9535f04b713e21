// The renderer: a frame's passes in their order, with what cannot be seen
// left out, per-model point lights and effect quads in runs.
#include "Framework/Render/Renderer.h"

#include <algorithm>
#include <cmath>

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

void Renderer::UseLightsFor(const Box* box) {
    const std::vector<PointLight>& points = frame_->lighting.points;
    const size_t count = std::min(points.size(), kMaxPointLights);
    wantedLights_.clear();
    for (size_t i = 0; i < count; ++i) {
        if (!options_.lightsPerModel || box == nullptr || LightReaches(points[i], *box))
            wantedLights_.push_back(static_cast<int>(i));
    }
    stats_.modelLights += static_cast<int>(wantedLights_.size());
    if (wantedLights_ == uploadedLights_) return;
    // The reaching lights in the frame's order: the shader adds them up in
    // that order, and leaving out one that adds nothing changes no sum.
    ::PointLight list[kMaxPointLights];
    for (size_t i = 0; i < wantedLights_.size(); ++i)
        list[i] = BlockLight(points[static_cast<size_t>(wantedLights_[i])]);
    ShaderManager::GetInstance().UploadPointLights(list, static_cast<int>(wantedLights_.size()));
    uploadedLights_ = wantedLights_;
    ++stats_.lightUploads;
}

void Renderer::DrawModel(const ModelDraw& draw, ModelPass pass, const Frame& frame) {
    if (draw.model == nullptr) return;
    const VeModel& model = *draw.model;
    ShaderManager& shaders = ShaderManager::GetInstance();
    const bool shaded = pass == ModelPass::Shaded;
    const bool cull = options_.cull;
    const Frustum frustum(frame.camera.view * frame.camera.projection);

    // The subsets with something to draw, and the box around the model.
    int subsetCount = 0;
    bool anyBox = false, endless = false;
    Box modelBox;
    for (const VeModelNode& node : model.nodes) {
        if (!node.mesh) continue;
        for (const VeSubset& subset : node.mesh->GetSubsets())
            if (ShaderManager::SubsetMaterial(model, subset) != nullptr) ++subsetCount;
        const VeBounds& bounds = node.mesh->GetBounds();
        if (!bounds.valid) {
            endless = true;
            continue;
        }
        const Box box = TransformBox(ToBox(bounds), node.matrix * draw.world);
        modelBox = anyBox ? UnionBox(modelBox, box) : box;
        anyBox = true;
    }
    if (shaded) {
        ++stats_.models;
        stats_.subsets += subsetCount;
    }
    if (subsetCount == 0) return;
    if (cull && (!FloorSeen(frame, draw.floor) || (!endless && anyBox && !frustum.MayShow(modelBox)))) {
        if (shaded) {
            ++stats_.modelsCulled;
            stats_.subsetsCulled += subsetCount;
        }
        return;
    }
    if (shaded) UseLightsFor(endless || !anyBox ? nullptr : &modelBox);

    for (const VeModelNode& node : model.nodes) {
        if (!node.mesh) continue;
        const VeMesh& mesh = *node.mesh;
        const Matrix world = node.matrix * draw.world;
        const std::vector<VeSubset>& subsets = mesh.GetSubsets();
        const std::vector<VeBounds>& subsetBounds = mesh.GetSubsetBounds();
        bool uploaded = false;
        for (size_t i = 0; i < subsets.size(); ++i) {
            const VeModelMaterial* material = ShaderManager::SubsetMaterial(model, subsets[i]);
            if (material == nullptr) continue;
            if (cull && i < subsetBounds.size() && subsetBounds[i].valid &&
                !frustum.MayShow(TransformBox(ToBox(subsetBounds[i]), world))) {
                if (shaded) ++stats_.subsetsCulled;
                continue;
            }
            if (!shaded && !ShaderManager::HidesWhatIsBehind(mesh, *material, draw.colour.w, draw.alphaTest))
                continue;
            if (!uploaded) {
                mesh.SetToDevice();
                CbObject& block = shaders.ObjectBlock();
                block.g_mW = world;
                block.g_UVOffset = draw.uvOffset;
                block.g_UVTiling = draw.uvTiling;
                block.g_LightEnable = draw.lit ? 1 : 0;
                block.g_AlphaTestThreshold = draw.alphaTest;
                shaders.UploadObject();
                uploaded = true;
            }
            if (shaded) {
                shaders.ApplyMaterial(*material, draw.colour.x, draw.colour.y, draw.colour.z, draw.colour.w, &mesh);
                ++stats_.subsetsDrawn;
            } else {
                ++stats_.depthDraws;
            }
            mesh.DrawSubset(i);
        }
    }
}

void Renderer::DrawModels(const std::vector<ModelDraw>& models, ModelPass pass, const Frame& frame) {
    for (const ModelDraw& draw : models) DrawModel(draw, pass, frame);
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
    GraphicsDevice& device = GraphicsDevice::GetInstance();
    ShaderManager& shaders = ShaderManager::GetInstance();
    static const BlendState alpha{1}, additive{2};
    const BlendState* restore = device.GetBlendState();
    stats_.effectQuads += static_cast<int>(quads.size());

    auto drawable = [](const EffectQuad& q) {
        // A texture that failed to load leaves the quad out rather than
        // drawing it black; no texture at all draws it untextured.
        return q.texture == nullptr || q.texture->HasImage();
    };
    auto setState = [&](const EffectQuad& q) {
        device.BindTexture(0, q.texture);
        device.SetBlendState(q.blend == Blend::Additive ? &additive : &alpha);
        device.SetDepthWrite(q.depthWrite);
    };

    if (!options_.batch) {
        shaders.SetEffectShader();
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
        shaders.SetEffectBatchShader();
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
    auto done = [mark](Pass pass) {
        if (mark) mark(pass);
    };
    UploadCameraAndLights(frame);

    shaders.SetModelShader();
    // Depth first: the surfaces known to be opaque lay down their nearest
    // depth unshaded, so the shaded pass lights each visible pixel once
    // instead of once for every surface drawn over it.
    if (frame.depthPrePass && shaders.BeginDepthPass()) {
        DrawModels(frame.opaque, ModelPass::Depth, frame);
        DrawModels(frame.actors, ModelPass::Depth, frame);
        shaders.EndDepthPass();
    }
    done(Pass::Depth);
    DrawModels(frame.opaque, ModelPass::Shaded, frame);
    done(Pass::Stage);
    DrawModels(frame.actors, ModelPass::Shaded, frame);
    done(Pass::Zombies);

    // Translucent shells: inner faces first, then (after the first effects)
    // their outer faces.
    device.SetCullMode(CullMode::Front);
    DrawModels(frame.translucent, ModelPass::Shaded, frame);
    device.SetCullMode(CullMode::Back);
    DrawEffects(frame.firstEffects);
    shaders.SetModelShader();
    DrawModels(frame.translucent, ModelPass::Shaded, frame);
    DrawEffects(frame.lastEffects);
    done(Pass::Translucent);

    // The overlay is never hidden by the world.
    shaders.SetModelShader();
    if (!frame.overlay.empty()) {
        device.ClearBoundDepthStencil(1.0f, 0);
        DrawModels(frame.overlay, ModelPass::Shaded, frame);
    }
    done(Pass::ArmGun);
    frame_ = nullptr;
}

}  // namespace Render
