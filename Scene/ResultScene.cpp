// Result screen: the cleared room with its white flash or the black death
// screen, the banner, and the button back to the title.
#include "Scene/ResultScene.h"

#include "Framework/Graphics/ShaderManager.h"
#include "Framework/Graphics/VeTexture.h"
#include "Framework/Platform/Input.h"
#include "Framework/ResourceCache.h"
#include "Game/AssetPaths.h"
#include "Game/Object/Object.h"
#include "Game/Stage/Stage.h"
#include "Scene/GameScene.h"
#include "Scene/Hud.h"
#include "Scene/SceneManager.h"
#include "Scene/TitleScene.h"

// The game scene's hand-over: a result screen prepared for the ending.
std::unique_ptr<SceneBase> CreateResultScene(bool cleared) {
    auto result = std::make_unique<ResultScene>();
    result->SetCleared(cleared);
    if (cleared) {
        result->PrepareCleared();
    } else {
        result->PrepareDead();
    }
    return result;
}

ResultScene::ResultScene() {
    ResourceCache& cache = ResourceCache::GetInstance();
    cache.GetRayCaster();
    cleared_ = false;
    // Until the button is drawn the whole screen counts as the button: after
    // death a fresh click anywhere during the banner's fade leads back.
    overButton_ = true;

    // The cursor starts on the centre of the button.
    Platform::Input& input = Platform::Input::GetInstance();
    input.SetCursorPos(input.ClientToScreen(Platform::Point{640, 610}));
    // A fire button still held when the game hands over (the gun is
    // automatic) is not a click on this screen: it must be released first.
    // The gun leaves the latch clear while it fires, so this line is what
    // keeps the held button from leading straight back to the title.
    SceneManager::GetInstance().SetClickLatched(input.IsKeyDown(Platform::Key::LeftButton));

    eye_ = Vector3(0.0f, 5.0f, 35.0f);
    viewDirection_ = Vector3(0.0f, 1.0f, -35.0f);
    stage_ = std::make_unique<Stage>();
    hud_ = std::make_unique<Hud>();
    whiteTexture_ = cache.GetTexture(asset::texture::kWhite);
    flash_ = 1.0f;
}

ResultScene::~ResultScene() {
    stage_.reset();
    hud_.reset();
}

void ResultScene::PrepareCleared() {
    auto room = std::make_unique<Object>();
    room->AddModelPart(Matrix(), Matrix(), 0, ResourceCache::GetInstance().GetModel(asset::model::kResultRoom),
                       nullptr);
    room->SetFloor(0);
    room->SetKind(kKindStage);
    room->SetStage(stage_.get());
    stage_->Add(std::move(room));
    hud_->SetCleared(true);
    hud_->LoadTextures(Hud::Mode::Result);
}

void ResultScene::PrepareDead() {
    hud_->SetCleared(false);
    hud_->LoadTextures(Hud::Mode::Result);
}

void ResultScene::Update() {
    lighting_.SetDirectional(Vector3(1.0f, -1.0f, 0.0f), Vector3(2.0f, 2.0f, 2.0f));
    lighting_.ambient = Vector3(0.8f, 0.8f, 0.8f);

    Platform::Input& input = Platform::Input::GetInstance();
    const Platform::Point client = input.ScreenToClient(input.GetCursorPos());
    cursorX_ = client.x - 640;
    cursorY_ = 360 - client.y;

    SceneManager& manager = SceneManager::GetInstance();
    const bool leftDown = input.IsKeyDown(Platform::Key::LeftButton);
    // One title only, even if the scene is updated again before the switch.
    // A gamepad's A presses the button once it is shown.
    const bool padPress = input.ConfirmPressed() && hud_->GetFade() >= 1.0f;
    if (((overButton_ && leftDown && !manager.IsClickLatched()) || padPress) && !titleRequested_) {
        manager.SetClickLatched(true);
        titleRequested_ = true;
        manager.SetNextScene(std::make_unique<TitleScene>());
    }
    manager.SetClickLatched(leftDown);

    hud_->UpdateResult();

    if (cleared_) {
        flash_ -= 0.05f;
        if (flash_ < 0.0f) flash_ = 0.0f;
    }
    // The hover follows the pointer once the button is drawn (the banner
    // fully shown); until then it keeps its starting value.
    if (hud_->GetFade() >= 1.0f) overButton_ = hud_->ButtonHovered(cursorX_, cursorY_);
}

void ResultScene::SetCamera() { SetLookCamera(eye_, viewDirection_, 60.0f); }

void ResultScene::Draw2D() {
    ShaderManager& shaders = ShaderManager::GetInstance();

    // The room is drawn here rather than in Draw3D.
    DrawRoom(*stage_);

    shaders.Begin2D(false, true);
    hud_->DrawResult(this);
    if (cleared_ && flash_ > 0.0f) {
        shaders.SetTransform(Matrix());
        const SpriteRect screen{0.0f, 0.0f, 1280.0f, 720.0f};
        const Vector4 colour(1.0f, 1.0f, 1.0f, flash_);
        shaders.DrawTexture(whiteTexture_, 0.0f, 0.0f, 1280.0f, 720.0f, &screen, &colour, Vector2(0.5f, 0.5f));
    }
    shaders.End2D();
}
