// Title screen: the room, the logo and start button, the crosshair cursor,
// and the click that fades out into a new game.
#include "Scene/TitleScene.h"

#include "Framework/Audio/Audio.h"
#include "Framework/Graphics/ShaderManager.h"
#include "Framework/Graphics/VeTexture.h"
#include "Framework/Platform/FrameTiming.h"
#include "Framework/Platform/Input.h"
#include "Framework/ResourceCache.h"
#include "Game/AssetPaths.h"
#include "Game/Object/Object.h"
#include "Game/Stage/Stage.h"
#include "Scene/GameScene.h"
#include "Scene/Hud.h"
#include "Scene/SceneManager.h"

namespace {

using Math::kDegToRad;

// A plain room object: one drawn part, no hit-test model, floor 0, kind 0.
void AddRoomObject(Stage* stage, const char* model, const Matrix& world) {
    auto object = std::make_unique<Object>();
    object->AddModelPart(world, Matrix(), 0, ResourceCache::GetInstance().GetModel(model), nullptr);
    object->SetMatrix(world);
    object->SetFloor(0);
    object->SetKind(kKindStage);
    object->SetStage(stage);
    stage->Add(std::move(object));
}

// Mouse position in sprite coordinates: origin at the screen centre, y up.
void CursorInSpriteCoordinates(int& x, int& y) {
    Platform::Input& input = Platform::Input::GetInstance();
    const Platform::Point client = input.ScreenToClient(input.GetCursorPos());
    x = client.x - 640;
    y = 360 - client.y;
}

}  // namespace

TitleScene::TitleScene() {
    ResourceCache& cache = ResourceCache::GetInstance();
    cache.GetRayCaster();

    // The cursor starts on the centre of the start button.
    Platform::Input& input = Platform::Input::GetInstance();
    input.SetCursorPos(input.ClientToScreen(Platform::Point{640, 610}));

    eye_ = Vector3(35.0f, 1.0f, 10.0f);
    viewDirection_ = Vector3::TransformNormal(
        Vector3(0.0f, -1.0f, 0.0f), Matrix::CreateFromRollPitchYaw(-110.0f * kDegToRad, -45.0f * kDegToRad, 0.0f));

    stage_ = std::make_unique<Stage>();
    AddRoomObject(stage_.get(), asset::model::kTitleRoom, Matrix());
    AddRoomObject(stage_.get(), asset::model::kTitleRoomLights, Matrix());
    AddRoomObject(stage_.get(), asset::model::kTitleFigure,
                  Matrix::CreateRotationY(145.0f * kDegToRad) * Matrix::CreateTranslation(33.0f, 0.0f, 20.0f));

    hud_ = std::make_unique<Hud>();
    hud_->LoadTextures(Hud::Mode::Title);

    aimTexture_ = cache.GetTexture(asset::texture::kAim);
    whiteTexture_ = cache.GetTexture(asset::texture::kWhite);
    holeTexture_ = cache.GetTexture(asset::texture::kTitleBulletHole);
    overButton_ = false;
    clicked_ = false;
    fadeColour_ = Vector4(0.0f, 0.0f, 0.0f, 0.0f);

    input.ShowCursor(false);

    clickSound_ = cache.CreateSoundInstance(asset::sound::kClick, false);
    if (clickSound_) clickSound_->SetVolume(0.2f);
}

TitleScene::~TitleScene() {
    stage_.reset();
    hud_.reset();
    Platform::Input::GetInstance().ShowCursor(true);
    clickSound_.reset();
}

void TitleScene::Update() {
    lighting_.SetDirectional(Vector3(1.0f, -1.0f, 0.0f), Vector3(2.0f, 2.0f, 2.0f));
    lighting_.ambient = Vector3(0.8f, 0.8f, 0.8f);

    CursorInSpriteCoordinates(cursorX_, cursorY_);

    Platform::Input& input = Platform::Input::GetInstance();
    SceneManager& manager = SceneManager::GetInstance();
    const bool leftDown = input.IsKeyDown(Platform::Key::LeftButton);
    // A gamepad's A presses the button wherever the pointer is; the hole is
    // then left in the button's middle.
    const bool padPress = input.ConfirmPressed();
    if (((overButton_ && leftDown && !manager.IsClickLatched()) || padPress) && !clicked_) {
        Platform::Timestamp("title: start clicked");
        clicked_ = true;
        const bool atPointer = overButton_ && leftDown;
        holeMatrix_ = Matrix::CreateTranslation(atPointer ? static_cast<float>(cursorX_) : 0.0f,
                                                atPointer ? static_cast<float>(cursorY_) : -250.0f, 0.0f);
        if (clickSound_) clickSound_->Play(false, true);
    }

    if (clicked_) {
        fadeColour_.w += 0.01f;
        // One game only: the fade keeps rising while the switch is pending,
        // and a further update before the switch must not make a second one.
        if (fadeColour_.w > 1.0f && !gameRequested_) {
            if (clickSound_) clickSound_->Stop();
            gameRequested_ = true;
            manager.SetNextScene(std::make_unique<GameScene>());
        }
    }

    manager.SetClickLatched(leftDown);
    // The next step's click counts only over the button where it is now.
    overButton_ = hud_->ButtonHovered(cursorX_, cursorY_);
}

void TitleScene::SetCamera() { SetLookCamera(eye_, viewDirection_, 50.0f); }

void TitleScene::Draw2D() {
    ShaderManager& shaders = ShaderManager::GetInstance();

    // The room is drawn here rather than in Draw3D.
    DrawRoom(*stage_);

    shaders.Begin2D(false, true);
    hud_->DrawTitle(this);

    const Vector4 white(1.0f, 1.0f, 1.0f, 1.0f);
    shaders.SetTransform(Matrix::CreateTranslation(static_cast<float>(cursorX_), static_cast<float>(cursorY_), 0.0f));
    shaders.DrawTexture(aimTexture_, 0.0f, 0.0f, static_cast<float>(aimTexture_->GetWidth()),
                        static_cast<float>(aimTexture_->GetHeight()), nullptr, &white, Vector2(0.5f, 0.5f));

    shaders.SetTransform(Matrix());
    const SpriteRect screen{0.0f, 0.0f, 1280.0f, 720.0f};
    shaders.DrawTexture(whiteTexture_, 0.0f, 0.0f, 1280.0f, 720.0f, &screen, &fadeColour_, Vector2(0.5f, 0.5f));

    // The hole sits above the fade: it stays visible as the screen darkens.
    if (clicked_) {
        shaders.SetTransform(holeMatrix_);
        shaders.DrawTexture(holeTexture_, 0.0f, 0.0f, static_cast<float>(holeTexture_->GetWidth()),
                            static_cast<float>(holeTexture_->GetHeight()), nullptr, &white, Vector2(0.5f, 0.5f));
    }
    shaders.End2D();
}
