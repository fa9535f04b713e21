// The game scene: construction and teardown orders, the frame, the update
// order with the end check, the camera and the two drawing stages.
#include "Scene/GameScene.h"

#include "Framework/Graphics/GraphicsDevice.h"
#include "Framework/Graphics/RenderScale.h"
#include "Framework/Graphics/ShaderManager.h"
#include "Framework/Render/Renderer.h"
#include "Framework/Platform/FrameTiming.h"
#include "Framework/Platform/Input.h"
#include "Framework/ResourceCache.h"
#include "Game/Effect/EffectList.h"
#include "Game/Enemy/EnemyList.h"
#include "Game/Object/Gun.h"
#include "Game/Object/Player.h"
#include "Game/Stage/Stage.h"
#include "Scene/Hud.h"
#include "Scene/SceneManager.h"

namespace {

// Benchmark aid: with pass timing on, each mark waits for the renderer and
// charges the time since the previous mark to the given pass.
double g_passMark = 0.0;

void StartPasses() {
    Platform::SceneTiming& timing = Platform::GetSceneTiming();
    for (double& ms : timing.passMs) ms = 0.0;
    g_passMark = Platform::NowMs();
}

void MarkPass(Platform::SceneTiming::Pass pass) {
    Platform::SceneTiming& timing = Platform::GetSceneTiming();
    if (!timing.timePasses) return;
    GraphicsDevice::GetInstance().Finish();
    const double now = Platform::NowMs();
    timing.passMs[pass] += now - g_passMark;
    g_passMark = now;
}

// The renderer's passes as the scene's timing counts them.
void MarkRendererPass(Render::Pass pass) {
    switch (pass) {
        case Render::Pass::Clear: MarkPass(Platform::SceneTiming::kPassClear); break;
        case Render::Pass::Depth: MarkPass(Platform::SceneTiming::kPassDepth); break;
        case Render::Pass::Stage: MarkPass(Platform::SceneTiming::kPassStage); break;
        case Render::Pass::Zombies: MarkPass(Platform::SceneTiming::kPassZombies); break;
        case Render::Pass::Translucent: MarkPass(Platform::SceneTiming::kPassTranslucent); break;
        case Render::Pass::ArmGun: MarkPass(Platform::SceneTiming::kPassArmGun); break;
    }
}

}  // namespace

GameScene::GameScene() {
    Platform::Timestamp("game: loading the level");
    ResourceCache::GetInstance().GetRayCaster();
    Platform::Input::GetInstance().ShowCursor(false);

    lighting_.SetDirectional(Vector3(1.0f, -1.0f, 0.0f), Vector3(1.0f, 1.0f, 1.0f));
    lighting_.ambient = Vector3(0.8f, 0.8f, 0.8f);

    world_ = std::make_unique<GameWorld>();

    hud_ = std::make_unique<Hud>();
    hud_->LoadTextures(Hud::Mode::Game);
    hud_->SetFade(1.0f);
    // The first step's effects face the player's view.
    SetCamera();

    TextureDesc desc;
    desc.width = kSceneWidth;
    desc.height = kSceneHeight;
    desc.format = TextureFormat::RGBA8;
    desc.bindFlags = kBindRenderTarget | kBindShaderResource;
    sceneTexture_.Create(desc);
    smearTexture_.Create(desc);
    copyBlend_ = GraphicsDevice::GetInstance().CreateBlendState(0);
    Platform::Timestamp("game: level loaded");
}

GameScene::~GameScene() {
    Platform::Input::GetInstance().ShowCursor(true);
    world_.reset();
    hud_.reset();
    sceneTexture_.Release();
    smearTexture_.Release();
}

void GameScene::Step() {
    Platform::SceneTiming& timing = Platform::GetSceneTiming();
    const double start = Platform::NowMs();
    SceneBase::Step();
    // What the overlay and the ending's shake change is counted per step as
    // well, so that several steps and one picture show what the last step's
    // frame showed.
    hud_->AnimateGame(*world_);
    lastShakeX_ = 0.0f;
    lastShakeY_ = 0.0f;
    if (world_->IsEnding()) {
        lastShakeX_ = static_cast<float>(shakeRandom_.Next() % 11 - 5);
        lastShakeY_ = static_cast<float>(shakeRandom_.Next() % 11 - 5);
    }
    timing.updateMs = Platform::NowMs() - start;
    ++timing.steps;
}

void GameScene::Draw() {
    GraphicsDevice& device = GraphicsDevice::GetInstance();

    Platform::SceneTiming& timing = Platform::GetSceneTiming();
    const double start = Platform::NowMs();

    // The window's picture is built in the smear picture, whose depth is the
    // device's one depth buffer of the render targets, and copied into the
    // window. Playing at full scale, the world is drawn there straight, the
    // HUD over it. At a smaller scale the world is drawn into the scene
    // picture and stretched into the window under the HUD. While ending, the
    // smear picture keeps the frames before (the window's back buffer could
    // not: its content after a swap is undefined) and each frame goes over
    // them as a faint, shaken copy.
    RenderScale::GetInstance().ScaledSize(kSceneWidth, kSceneHeight, drawWidth_, drawHeight_);
    const bool ending = world_->IsEnding();
    worldInPicture_ = !ending && drawWidth_ == kSceneWidth && drawHeight_ == kSceneHeight;
    VeTexture& worldTarget = worldInPicture_ ? smearTexture_ : sceneTexture_;
    StartPasses();
    worldTarget.Clear(0.0f, 0.0f, 0.0f, 1.0f);
    worldTarget.SetAsRenderTarget();
    device.ClearBoundDepthStencil(1.0f, 0);
    MarkPass(Platform::SceneTiming::kPassClear);

    Draw3D();
    Draw2D();
    const bool pictureInSmear = ending || worldInPicture_;
    if (pictureInSmear) device.CopyToBackBuffer(smearTexture_);
    smearHoldsLastFrame_ = pictureInSmear;
    MarkPass(Platform::SceneTiming::kPass2D);

    if (timing.finishDraw) device.Finish();
    timing.drawMs = Platform::NowMs() - start;
    ++timing.frames;
    if (!drawnOnce_ && Platform::TimestampsOn()) {
        // The renderer's work counts: the picture is there once it is done.
        device.Finish();
        Platform::Timestamp("game: first frame drawn");
    }
    drawnOnce_ = true;
}

VeTexture& GameScene::DrawWorldPicture() {
    GraphicsDevice& device = GraphicsDevice::GetInstance();
    worldInPicture_ = false;
    sceneTexture_.Clear(0.0f, 0.0f, 0.0f, 1.0f);
    sceneTexture_.SetAsRenderTarget();
    device.ClearBoundDepthStencil(1.0f, 0);
    Draw3D();
    device.SetBackBufferAsTarget();
    return sceneTexture_;
}

void GameScene::RequestResult(GameResult result) {
    requestedResult_ = result;
    SceneManager::GetInstance().SetNextScene(CreateResultScene(result == GameResult::Cleared));
}

void GameScene::Update() {
    world_->ClearPointLights();
    // The ending has faded out: on to the result (a clear wins when both
    // endings apply).
    if (world_->IsEnding() && hud_->GetFade() >= 1.0f) {
        const GameResult outcome = world_->GetOutcome();
        if (outcome != GameResult::None) {
            RequestResult(outcome);
            return;
        }
    }

    const bool ended = world_->Update([this] { hud_->UpdateGame(*world_); });
    // White for a clear, black for a death.
    if (ended) hud_->SetFadeColour(world_->GetPlayer()->IsAlive() ? 1.0f : 0.0f);
}

void GameScene::SetCamera() {
    const Player& player = *world_->GetPlayer();
    SetLookCamera(player.GetPosition(), player.GetForward(), 60.0f);
    world_->SetCamera(camera_);
}

void GameScene::Draw3D() {
    // Into the bound target: the smear picture at full size, or the scene
    // picture, where at a render scale below 1 the world takes the lower
    // left corner (where GL's rows start) and the copy stretches it.
    if (worldInPicture_)
        GraphicsDevice::GetInstance().SetViewport(0, 0, kSceneWidth, kSceneHeight);
    else
        GraphicsDevice::GetInstance().SetViewport(0, kSceneHeight - drawHeight_, drawWidth_, drawHeight_);
    frame_.Clear();
    frame_.lighting = lighting_;
    world_->DescribeFrame(frame_);
    frame_.reducedScale = drawWidth_ < kSceneWidth || drawHeight_ < kSceneHeight;
    Render::Renderer::GetInstance().DrawWorld(frame_, MarkRendererPass);
}

void GameScene::Draw2D() {
    if (world_->IsEnding()) {
        smearTexture_.SetAsRenderTarget();
        // Where the last frame went straight into the window (drawn at a
        // smaller scale), the smear starts from this frame's picture, still
        // and opaque, as near as there is to that frame.
        if (!smearHoldsLastFrame_) {
            CopyWorld(1.0f, 0.0f, 0.0f);
            DrawHud();
        }
        CopyWorld(0.1f, lastShakeX_, lastShakeY_);
    } else if (worldInPicture_) {
        smearTexture_.SetAsRenderTarget();
    } else {
        GraphicsDevice::GetInstance().SetBackBufferAsTarget();
        CopyWorld(1.0f, 0.0f, 0.0f);
    }
    DrawHud();
}

void GameScene::DrawHud() {
    ShaderManager& shaders = ShaderManager::GetInstance();
    shaders.Begin2D(false, true);
    hud_->DrawGame(*world_);
    shaders.End2D();
}

void GameScene::CopyWorld(float alpha, float shakeX, float shakeY) {
    ShaderManager& shaders = ShaderManager::GetInstance();
    GraphicsDevice& device = GraphicsDevice::GetInstance();
    // The 3D picture, stretched to the window when drawn smaller (filtered
    // linearly then; texel for pixel at full size).
    const bool scaled = drawWidth_ != kSceneWidth || drawHeight_ != kSceneHeight;
    shaders.Begin2D(scaled, true);
    const Vector4 colour(1.0f, 1.0f, 1.0f, alpha);
    // Every pixel of the picture is opaque (it is cleared opaque and the
    // blending the world draws with keeps alpha at 1): an opaque copy
    // replaces what is beneath it without blending.
    const BlendState* blend = device.GetBlendState();
    if (alpha >= 1.0f) device.SetBlendState(copyBlend_.get());
    shaders.SetTransform(Matrix::CreateTranslation(shakeX, shakeY, 0.0f));
    const SpriteRect source{0.0f, static_cast<float>(kSceneHeight - drawHeight_), static_cast<float>(drawWidth_),
                            static_cast<float>(drawHeight_)};
    shaders.DrawTexture(&sceneTexture_, 0.0f, 0.0f, static_cast<float>(kSceneWidth),
                        static_cast<float>(kSceneHeight), &source, &colour, Vector2(0.5f, 0.5f));
    device.SetBlendState(blend);
    shaders.End2D();
}
