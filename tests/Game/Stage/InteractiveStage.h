// A real game scene with its built level, for tests of the objects the
// player uses: puts the player's eye somewhere looking a given way, holds or
// releases the right button, and runs the stage frame by frame.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "Framework/Audio/Audio.h"
#include "Framework/Collision/RayCaster.h"
#include "Framework/Platform/Input.h"
#include "Framework/ResourceCache.h"
#include "Game/Effect/EffectList.h"
#include "Game/GameWorld.h"
#include "Game/Object/Player.h"
#include "Game/Stage/Stage.h"
#include "Game/Stage/StageRays.h"
#include "Scene/GameScene.h"
#include "tests/Framework/Audio/LoopbackAudio.h"

class InteractiveStageTest : public ::testing::Test {
protected:
    // Set by fixtures that need sound: a loopback engine is opened before the
    // scene so that every sound instance of the level has a voice.
    bool withAudio_ = false;

    void SetUp() override {
        if (withAudio_) ASSERT_TRUE(testaudio::StartLoopback());
        Platform::Input::GetInstance().Reset();
        Platform::Input::GetInstance().SetFrame(Platform::InputFrame{});
        GameWorld::SetSeedOfNewGames(12345);
        scene_ = std::make_unique<GameScene>();
        stage_ = scene_->GetStage();
        player_ = scene_->GetPlayer();
        ASSERT_NEAR(player_->GetForward().z, 1.0f, 1e-6f) << "the tests look along +z";
    }
    void TearDown() override {
        scene_.reset();
        Platform::Input::GetInstance().Reset();
        if (withAudio_) testaudio::StopLoopback();
    }

    // Eye at the point, tilted down by pitch degrees (the yaw is kept: 0
    // looks along +z); the player's floor (and the stage's activity) follow
    // the height.
    void PlaceEye(const Vector3& eye, float pitchDegrees = 0.0f) {
        player_->SetMatrix(Matrix::CreateTranslation(eye));
        player_->AddPitch(pitchDegrees - player_->GetPitch());
        const int floor = stage_->GetFloor(eye);
        player_->SetCurrentFloor(floor);
        stage_->RefreshActivity(floor);
    }
    // Turns the view about the vertical the way the mouse does (one player
    // update with a horizontal mouse move; 0.1 degree steps). The button
    // state is kept.
    void SetYaw(float degrees) {
        Platform::Input& input = Platform::Input::GetInstance();
        const Platform::InputFrame held = input.CurrentFrame();
        Platform::InputFrame move;
        move.relativeCursor = true;
        move.cursor = Platform::Point{static_cast<int>(std::lround((degrees - player_->GetYaw()) * 10.0f)), 0};
        input.SetFrame(move);
        player_->Update();
        input.SetFrame(held);
    }
    // Eye at the point, turned and pitched to look straight at the target.
    void PlaceEyeLookingAt(const Vector3& eye, const Vector3& target) {
        const Vector3 d = target - eye;
        const float horizontal = std::sqrt(d.x * d.x + d.z * d.z);
        SetYaw(std::atan2(d.x, d.z) / Math::kDegToRad);
        PlaceEye(eye, std::atan2(-d.y, horizontal) / Math::kDegToRad);
    }
    void Hold(bool down) {
        Platform::InputFrame frame;
        frame.Set(Platform::Key::RightButton, down);
        Platform::Input::GetInstance().SetFrame(frame);
    }
    // One game frame of the stage (and the effects it spawns).
    void Step(int frames = 1) {
        for (int i = 0; i < frames; ++i) {
            stage_->Update();
            scene_->GetEffectList()->Update();
        }
    }
    Object* Picked() {
        float d = 0.0f;
        return StageRays().RayPick(player_->GetPosition(), player_->GetForward(), d, stage_);
    }
    // The first stage object of type T whose position is within 0.01 of p.
    template <class T>
    T* FindAt(const Vector3& p) {
        for (Object* o : stage_->GetObjects()) {
            T* t = dynamic_cast<T*>(o);
            if (t && Vector3::Distance(t->GetPosition(), p) < 0.01f) return t;
        }
        return nullptr;
    }
    template <class T>
    int CountOf() const {
        int n = 0;
        for (Object* o : stage_->GetObjects())
            if (dynamic_cast<T*>(o)) ++n;
        return n;
    }

    std::unique_ptr<GameScene> scene_;
    Stage* stage_ = nullptr;
    Player* player_ = nullptr;
};
