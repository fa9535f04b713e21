// A headless game scene whose level is replaced by a flat floor at height 0
// and whose zombies are removed, so that each test places the zombies and
// the player it needs. The player is not updated unless a test asks: it
// stands where the test puts it.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "../Stage/TestGeometry.h"
#include "Framework/Platform/Input.h"
#include "Game/Effect/EffectList.h"
#include "Game/Enemy/EnemyBase.h"
#include "Game/Enemy/EnemyList.h"
#include "Game/Enemy/Enemy_Normal.h"
#include "Game/Enemy/Enemy_Strong.h"
#include "Game/Enemy/State.h"
#include "Game/GameWorld.h"
#include "Game/Object/Player.h"
#include "Game/Stage/Stage.h"
#include "Scene/GameScene.h"

class EnemyFixture : public ::testing::Test {
protected:
    void SetUp() override {
        Platform::Input::GetInstance().Reset();
        Platform::Input::GetInstance().SetFrame(Platform::InputFrame{});
        GameWorld::SetSeedOfNewGames(12345);
        scene_ = std::make_unique<GameScene>();
        scene_->GetEnemyList()->Clear();
        stage().Clear();
        floor_ = testgeo::MakeFloor(0.0f, -300, 300, -300, 300);
        testgeo::AddStructure(stage(), floor_.get(), 0);
        PlacePlayer(Vector3(0.0f, 4.0f, 0.0f));
    }
    void TearDown() override {
        scene_.reset();
        Platform::Input::GetInstance().Reset();
    }

    Stage& stage() { return *scene_->GetStage(); }
    Player& player() { return *scene_->GetPlayer(); }
    EnemyList& enemies() { return *scene_->GetEnemyList(); }
    EffectList& effects() { return *scene_->GetEffectList(); }

    void PlacePlayer(const Vector3& p) {
        Matrix m = player().GetMatrixRef();
        m.Translation(p);
        player().SetMatrix(m);
    }
    // A zombie added through the list at p, turned to the heading (degrees).
    template <class Zombie = Enemy_Normal>
    Zombie* Add(const Vector3& p, float headingDeg = 0.0f) {
        Matrix m = Matrix::CreateRotationY(headingDeg * Math::kDegToRad);
        m.Translation(p);
        EnemyBase* e = std::is_same_v<Zombie, Enemy_Strong> ? enemies().AddStrong(m) : enemies().AddNormal(m);
        return static_cast<Zombie*>(e);
    }
    // Makes a new state of the given type current, as a state switch would.
    template <class S, class Zombie>
    S* Enter(Zombie& z) {
        auto s = std::make_unique<S>(z);
        S* entered = s.get();
        z.SetState(std::move(s));
        return entered;
    }
    template <class S>
    static S* StateAs(EnemyBase& z) {
        return dynamic_cast<S*>(z.GetState());
    }
    // One zombie update in a sensing frame (counter even) or not.
    static void Tick(EnemyBase& z) {
        z.CountFrame();
        z.Update();
    }

    std::unique_ptr<GameScene> scene_;
    std::unique_ptr<VeModel> floor_;
};
