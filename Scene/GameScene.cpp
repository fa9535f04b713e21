// The game scene: construction and teardown orders, the frame, the update
// order with the end check, the camera and the two drawing stages.
#include "Scene/GameScene.h"

#include "Framework/Graphics/GraphicsDevice.h"
#include "Framework/Graphics/ShaderManager.h"
#include "Framework/Math/Random.h"
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

}  // namespace

GameScene::GameScene() {
    Platform::Timestamp("game: loading the level");
    ResourceCache::GetInstance().GetRayCaster();
    Platform::Input::GetInstance().ShowCursor(false);

    ShaderManager& shaders = ShaderManager::GetInstance();
    shaders.SetDirectionalLight(Vector3(1.0f, -1.0f, 0.0f), Vector3(1.0f, 1.0f, 1.0f));
    shaders.SetAmbientLight(Vector3(0.8f, 0.8f, 0.8f));
    shaders.UploadLights();

    world_ = std::make_unique<GameWorld>();

    hud_ = std::make_unique<Hud>();
    hud_->LoadTextures(Hud::Mode::Game);
    hud_->SetFade(1.0f);

    TextureDesc desc;
    desc.width = kSceneWidth;
    desc.height = kSceneHeight;
    desc.format = TextureFormat::RGBA8;
    desc.bindFlags = kBindRenderTarget | kBindShaderResource;
    sceneTexture_.Create(desc);
    Platform::Timestamp("game: level loaded");
}

GameScene::~GameScene() {
    Platform::Input::GetInstance().ShowCursor(true);
    world_.reset();
    hud_.reset();
    sceneTexture_.Release();
}

void GameScene::Step() {
    Platform::SceneTiming& timing = Platform::GetSceneTiming();
    const double start = Platform::NowMs();
    SceneBase::Step();
    // What the overlay and the ending's shake change is counted per step as
    // well, so that several steps and one picture show what the last step's
    // frame showed (the shake draws on the game's random numbers).
    hud_->AnimateGame(*world_);
    lastShakeX_ = 0.0f;
    lastShakeY_ = 0.0f;
    if (world_->IsEnding()) {
        lastShakeX_ = static_cast<float>(Math::Rand() % 11 - 5);
        lastShakeY_ = static_cast<float>(Math::Rand() % 11 - 5);
    }
    timing.updateMs = Platform::NowMs() - start;
    ++timing.steps;
}

void GameScene::Draw() {
    ShaderManager& shaders = ShaderManager::GetInstance();
    GraphicsDevice& device = GraphicsDevice::GetInstance();

    Platform::SceneTiming& timing = Platform::GetSceneTiming();
    const double start = Platform::NowMs();
    shaders.UploadLightsIfPending();

    // While ending, the back buffer keeps the last frames: the faint,
    // shaken copies drawn over it make the picture smear.
    if (!world_->IsEnding()) {
        device.SetBackBufferAsTarget();
        device.ClearTarget(1.0f, 1.0f, 1.0f, 1.0f);
    }
    StartPasses();
    sceneTexture_.Clear(0.0f, 0.0f, 0.0f, 1.0f);
    device.ClearDepthStencil(1.0f, 0);
    MarkPass(Platform::SceneTiming::kPassClear);

    Draw3D();
    Draw2D();
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

void GameScene::RequestResult(GameResult result) {
    requestedResult_ = result;
    SceneManager::GetInstance().SetNextScene(CreateResultScene(result == GameResult::Cleared));
}

void GameScene::Update() {
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
}

void GameScene::Draw3D() {
    ShaderManager& shaders = ShaderManager::GetInstance();
    GraphicsDevice& device = GraphicsDevice::GetInstance();
    Stage& stage = *world_->GetStage();
    EnemyList& enemies = *world_->GetEnemyList();
    EffectList& effects = *world_->GetEffectList();

    sceneTexture_.SetAsRenderTarget();

    shaders.SetModelShader();
    // Depth first: the surfaces known to be opaque lay down their nearest
    // depth unshaded, so the shaded pass lights each visible pixel once
    // instead of once for every surface drawn over it (the floors above and
    // below, rooms behind walls).
    if (shaders.BeginDepthPass()) {
        stage.DrawOpaque();
        enemies.Draw();
        shaders.EndDepthPass();
    }
    MarkPass(Platform::SceneTiming::kPassDepth);
    stage.DrawOpaque();
    MarkPass(Platform::SceneTiming::kPassStage);
    enemies.Draw();
    MarkPass(Platform::SceneTiming::kPassZombies);

    // Translucent shells: inner faces first, then (after the first effect
    // pass) their outer faces.
    device.SetCullMode(CullMode::Front);
    stage.DrawTranslucent();
    device.SetCullMode(CullMode::Back);

    shaders.SetEffectShader();
    effects.DrawFirstPass();

    shaders.SetModelShader();
    stage.DrawTranslucent();

    shaders.SetEffectShader();
    effects.DrawSecondPass();
    MarkPass(Platform::SceneTiming::kPassTranslucent);

    // The arm and the gun are never hidden by the world.
    shaders.SetModelShader();
    device.ClearDepthStencil(1.0f, 0);
    world_->GetPlayer()->Draw();
    world_->GetGun()->Draw();
    MarkPass(Platform::SceneTiming::kPassArmGun);
}

void GameScene::Draw2D() {
    ShaderManager& shaders = ShaderManager::GetInstance();
    GraphicsDevice& device = GraphicsDevice::GetInstance();

    device.SetBackBufferAsTarget();
    shaders.Begin2D(false, true);

    Vector4 colour(1.0f, 1.0f, 1.0f, 1.0f);
    if (world_->IsEnding()) colour = Vector4(1.0f, 1.0f, 1.0f, 0.1f);
    shaders.SetTransform(Matrix::CreateTranslation(lastShakeX_, lastShakeY_, 0.0f));
    const SpriteRect source{0.0f, 0.0f, static_cast<float>(kSceneWidth), static_cast<float>(kSceneHeight)};
    shaders.DrawTexture(&sceneTexture_, 0.0f, 0.0f, static_cast<float>(kSceneWidth),
                        static_cast<float>(kSceneHeight), &source, &colour, Vector2(0.5f, 0.5f));

    hud_->DrawGame(*world_);
    shaders.End2D();
}
