// Stage container: floors, the update pass, activity refresh, draw passes,
// push-out against circles and boxes, and the level builder's result.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "Framework/Graphics/ShaderManager.h"
#include "Framework/Platform/Input.h"
#include "Game/Object/Object.h"
#include "Game/Object/Player.h"
#include "Game/Stage/BuildStage.h"
#include "Game/Stage/Furniture.h"
#include "Game/Stage/LevelLayout.h"
#include "Game/Stage/Stage.h"
#include "Scene/GameScene.h"

namespace {

// Counts its updates, draws and destruction; may append a new object to its
// stage on its first update.
struct Probe : Object {
    int* destroyed = nullptr;
    int updates = 0;
    mutable int draws = 0;
    Stage* appendTo = nullptr;
    Probe* appended = nullptr;
    ~Probe() override {
        if (destroyed) ++*destroyed;
    }
    void Update() override {
        ++updates;
        if (appendTo && !appended) appended = appendTo->Add(std::make_unique<Probe>());
    }
    void Submit(std::vector<Render::ModelDraw>&) const override { ++draws; }
};

Probe* AddProbe(Stage& stage, int floor, bool translucent = false) {
    Probe* p = stage.Add(std::make_unique<Probe>());
    p->SetFloor(floor);
    p->SetTranslucent(translucent);
    return p;
}

Vector3 Local(const Object* object, const Matrix& mover) {
    return Vector3::Transform(mover.Translation(), object->GetMatrixRef().Invert());
}

}  // namespace

TEST(StageTest, FloorIndexFollowsHeightAndGroundHeightFollowsIndex) {
    Stage stage;
    EXPECT_EQ(stage.GetFloor(Vector3(0, 12, 0)), 0);
    EXPECT_EQ(stage.GetFloor(Vector3(0, 0, 0)), 0);
    EXPECT_EQ(stage.GetFloor(Vector3(0, -0.01f, 0)), 1);
    EXPECT_EQ(stage.GetFloor(Vector3(0, -42, 0)), 1);
    EXPECT_EQ(stage.GetFloor(Vector3(0, -42.01f, 0)), 2);
    EXPECT_EQ(stage.GetFloor(Vector3(0, -84, 0)), 2);
    // Below the lowest floor still counts as the lowest floor.
    EXPECT_EQ(stage.GetFloor(Vector3(0, -500, 0)), 2);

    EXPECT_FLOAT_EQ(stage.GroundHeight(0), 0.0f);
    EXPECT_FLOAT_EQ(stage.GroundHeight(1), -42.0f);
    EXPECT_FLOAT_EQ(stage.GroundHeight(2), -84.0f);
    EXPECT_FLOAT_EQ(stage.GroundHeight(5), 0.0f);
    EXPECT_FLOAT_EQ(stage.GroundHeight(-1), 0.0f);
}

TEST(StageTest, UpdateVisitsActiveObjectsAndObjectsAppendedDuringThePass) {
    Stage stage;
    Probe* active = AddProbe(stage, 0);
    Probe* inactive = AddProbe(stage, 1);
    inactive->SetActive(false);
    active->appendTo = &stage;

    stage.Update();
    EXPECT_EQ(active->updates, 1);
    EXPECT_EQ(inactive->updates, 0);
    ASSERT_NE(active->appended, nullptr);
    ASSERT_EQ(stage.GetObjects().size(), 3u);
    EXPECT_EQ(active->appended->updates, 1) << "an object appended during the pass is visited in it";
}

TEST(StageTest, ActivityIsRefreshedOnlyEveryThirtiethUpdate) {
    Stage stage;  // no game scene: the refresh takes floor 0
    Probe* ground = AddProbe(stage, 0);
    Probe* upper = AddProbe(stage, 1);
    Probe* shared = AddProbe(stage, layout::kEveryFloor);
    // Right after construction everything is active and updated.
    for (int i = 0; i < 29; ++i) stage.Update();
    EXPECT_TRUE(upper->IsActive());
    EXPECT_EQ(upper->updates, 29);
    stage.Update();
    EXPECT_EQ(stage.GetRefreshCounter(), 0);
    EXPECT_TRUE(ground->IsActive());
    EXPECT_FALSE(upper->IsActive());
    EXPECT_TRUE(shared->IsActive());
    stage.Update();
    EXPECT_EQ(upper->updates, 30) << "inactive objects are not updated";
}

TEST(StageTest, DrawPassesSplitByTranslucencyAndIgnoreActivity) {
    Stage stage;
    Probe* opaque = AddProbe(stage, 0);
    Probe* inactiveOpaque = AddProbe(stage, 2);
    inactiveOpaque->SetActive(false);
    Probe* glass = AddProbe(stage, 0, true);

    std::vector<Render::ModelDraw> drawn;
    stage.SubmitOpaque(drawn);
    EXPECT_EQ(opaque->draws, 1);
    EXPECT_EQ(inactiveOpaque->draws, 1);
    EXPECT_EQ(glass->draws, 0);
    stage.SubmitTranslucent(drawn);
    EXPECT_EQ(opaque->draws, 1);
    EXPECT_EQ(glass->draws, 1);
}

TEST(StageTest, ClearDeletesEveryObjectOnce) {
    int destroyed = 0;
    {
        Stage stage;
        for (int i = 0; i < 3; ++i) AddProbe(stage, 0)->destroyed = &destroyed;
        stage.Clear();
        EXPECT_EQ(destroyed, 3);
        EXPECT_TRUE(stage.GetObjects().empty());
        AddProbe(stage, 0)->destroyed = &destroyed;
    }
    EXPECT_EQ(destroyed, 4) << "the destructor deletes what is left";
}

TEST(StagePushOutTest, ChairPushesToItsRadiusWhateverTheMoverRadius) {
    for (float moverRadius : {0.5f, 2.0f, 3.0f}) {
        Stage stage;
        Object* chair = BuildChair(&stage, PlaceAt(10, 0, 10, 37));
        Matrix mover = Matrix::CreateTranslation(10 + 1.5f * 0.6f, 6, 10 + 1.5f * 0.8f);
        Vector3 displacement;
        stage.PushOut(displacement, mover, moverRadius);
        const Vector3 p = mover.Translation();
        EXPECT_NEAR(std::hypot(p.x - 10, p.z - 10), 2.0f, 1e-4f) << "radius " << moverRadius;
        EXPECT_NEAR(p.y, 6.0f, 1e-6f);
        EXPECT_NEAR(displacement.x, 0.5f * 0.6f, 1e-4f);
        EXPECT_NEAR(displacement.z, 0.5f * 0.8f, 1e-4f);
        (void)chair;
    }
}

TEST(StagePushOutTest, CircleLeavesFarAndCentredMoversAlone) {
    Stage stage;
    BuildChair(&stage, PlaceAt(0, 0, 0, 0));
    Matrix far = Matrix::CreateTranslation(2.5f, 0, 0);
    Vector3 displacement;
    stage.PushOut(displacement, far, 1.0f);
    EXPECT_FLOAT_EQ(far._41, 2.5f);
    Matrix centred = Matrix::CreateTranslation(0, 3, 0);
    stage.PushOut(displacement, centred, 1.0f);
    EXPECT_FLOAT_EQ(centred._41, 0.0f);
    EXPECT_FLOAT_EQ(centred._43, 0.0f);
    EXPECT_FALSE(std::isnan(displacement.x));
}

TEST(StagePushOutTest, Desk5BoxPushesOnlyMoversThatOverlapItsFace) {
    for (float yaw : {0.0f, 90.0f, -35.0f}) {
        Stage stage;
        Object* desk = BuildDesk5(&stage, PlaceAt(20, 0, -5, yaw));
        const Matrix& world = desk->GetMatrixRef();

        Matrix near = Matrix::CreateTranslation(0, 0, 2.5f) * world;  // local z 2.5
        Vector3 displacement;
        stage.PushOut(displacement, near, 1.0f);
        Vector3 local = Local(desk, near);
        EXPECT_NEAR(local.z, 3.0f, 1e-4f) << "yaw " << yaw;
        EXPECT_NEAR(local.x, 0.0f, 1e-4f);
        EXPECT_NEAR(displacement.Length(), 0.5f, 1e-4f);

        Matrix clear = Matrix::CreateTranslation(0, 0, 3.5f) * world;
        stage.PushOut(displacement, clear, 1.0f);
        EXPECT_NEAR(Local(desk, clear).z, 3.5f, 1e-4f);
        EXPECT_NEAR(displacement.Length(), 0.0f, 1e-6f);

        // Behind the desk (local -z) and at its side (local +x).
        Matrix behind = Matrix::CreateTranslation(3, 0, -2.5f) * world;
        stage.PushOut(displacement, behind, 1.0f);
        EXPECT_NEAR(Local(desk, behind).z, -3.0f, 1e-4f);
        Matrix side = Matrix::CreateTranslation(10.5f, 0, 1) * world;
        stage.PushOut(displacement, side, 1.0f);
        EXPECT_NEAR(Local(desk, side).x, 11.0f, 1e-4f);

        Matrix inside = Matrix::CreateTranslation(2, 0, 1) * world;
        stage.PushOut(displacement, inside, 1.0f);
        EXPECT_NEAR(Local(desk, inside).x, 2.0f, 1e-4f);
        EXPECT_NEAR(Local(desk, inside).z, 1.0f, 1e-4f);
    }
}

TEST(StagePushOutTest, InactiveObjectsAndObjectsWithoutShapeDoNotPush) {
    Stage stage;
    Object* chair = BuildChair(&stage, PlaceAt(0, 0, 0, 0));
    BuildMonitor(&stage, PlaceAt(5, 0, 0, 0));
    BuildPc(&stage, Matrix::CreateScale(0.5f) * Matrix::CreateTranslation(-5, 0, 0));
    chair->SetActive(false);
    for (float x : {0.5f, 5.5f, -5.5f}) {
        Matrix mover = Matrix::CreateTranslation(x, 0, 0);
        Vector3 displacement;
        stage.PushOut(displacement, mover, 1.0f);
        EXPECT_FLOAT_EQ(mover._41, x);
    }
}

TEST(StagePushOutTest, ObjectsPushOneAfterAnother) {
    // Two chairs 3 apart: the second sees the position the first left.
    Stage stage;
    BuildChair(&stage, PlaceAt(0, 0, 0, 0));
    BuildChair(&stage, PlaceAt(3, 0, 0, 0));
    Matrix mover = Matrix::CreateTranslation(0.5f, 0, 0);
    Vector3 displacement;
    stage.PushOut(displacement, mover, 1.0f);
    // First to x 2.0 (radius 2 of chair 1), then 1.0 from chair 2: out to 1.0.
    EXPECT_NEAR(mover._41, 1.0f, 1e-5f);
    EXPECT_NEAR(displacement.x, -1.0f, 1e-5f) << "a circle push replaces the displacement";
}

// The level as the game scene builds it.
class BuiltStageTest : public ::testing::Test {
protected:
    void SetUp() override {
        Platform::Input::GetInstance().Reset();
        scene_ = std::make_unique<GameScene>();
    }
    void TearDown() override {
        scene_.reset();
        Platform::Input::GetInstance().Reset();
    }
    Stage& stage() { return *scene_->GetStage(); }
    std::unique_ptr<GameScene> scene_;
};

TEST_F(BuiltStageTest, PlacesEveryFurniturePieceOnItsFloor) {
    // The floors' grounds lie at 0, -42 and -84: a piece belongs to the
    // floor whose ground is at or below it.
    auto floorAt = [](float y) { return y >= 0.0f ? 0 : (y >= -42.0f ? 1 : 2); };
    int count[18] = {};
    for (Object* o : stage().GetObjects()) {
        ASSERT_GE(o->GetKind(), 0);
        ASSERT_LT(o->GetKind(), 18);
        ++count[o->GetKind()];
        EXPECT_EQ(o->GetStage(), &stage());
        if (o->GetKind() != kKindStage) EXPECT_EQ(o->GetFloor(), floorAt(o->GetPosition().y));
    }
    EXPECT_EQ(count[kKindStage], 4);
    EXPECT_EQ(count[kKindDoor], 20);  // ten door sets: a door and a handle each
    EXPECT_EQ(count[kKindKeyReader], 10);
    EXPECT_EQ(count[kKindKey], 3);
    EXPECT_EQ(stage().GetKeys().size(), 3u);
    EXPECT_EQ(count[kKindBulletBox], 19);
    EXPECT_EQ(count[kKindChair], 15);
    EXPECT_EQ(count[kKindDesk], 6);  // 4 desk5, desk4, desk3
    EXPECT_EQ(count[kKindShelf], 6);  // 3 shelf2, 3 bullet shelves
    EXPECT_EQ(count[kKindMonitor], 2);
    EXPECT_EQ(count[kKindPc], 1);
    EXPECT_EQ(count[kKindPlant], 12);  // pots and floating zombies
    EXPECT_EQ(count[kKindPlantGlass], 6);
    EXPECT_EQ(count[kKindPortal], 1);
    EXPECT_NE(stage().GetPortal(), nullptr);

    // Map pieces in build order with their floors: map1 first, then mapS
    // (every floor) and map2, then map3.
    std::vector<int> mapFloors;
    for (Object* o : stage().GetObjects())
        if (o->GetKind() == kKindStage) mapFloors.push_back(o->GetFloor());
    EXPECT_EQ(mapFloors, (std::vector<int>{0, layout::kEveryFloor, 1, 2}));
    EXPECT_EQ(stage().GetObjects().front()->GetKind(), kKindStage);
}

TEST_F(BuiltStageTest, OnlyTheStartFloorAndTheStairwellsStartActive) {
    ASSERT_EQ(scene_->GetPlayer()->GetCurrentFloor(), 0);
    int active = 0, inactive = 0;
    for (Object* o : stage().GetObjects()) {
        const bool expected = o->GetFloor() == 0 || o->GetFloor() == layout::kEveryFloor;
        EXPECT_EQ(o->IsActive(), expected) << "kind " << o->GetKind() << " floor " << o->GetFloor();
        (expected ? active : inactive)++;
    }
    EXPECT_GT(active, 10);
    EXPECT_GT(inactive, 20);
}

TEST_F(BuiltStageTest, WalkingDownSwitchesActivityAtTheNextThirtyUpdateBoundary) {
    Object* map2 = nullptr;
    Object* map1 = nullptr;
    for (Object* o : stage().GetObjects()) {
        if (o->GetKind() == kKindStage && o->GetFloor() == 1) map2 = o;
        if (o->GetKind() == kKindStage && o->GetFloor() == 0) map1 = o;
    }
    ASSERT_TRUE(map1 && map2);
    for (int i = 0; i < 10; ++i) stage().Update();
    scene_->GetPlayer()->SetCurrentFloor(1);
    for (int i = 10; i < 29; ++i) stage().Update();
    EXPECT_FALSE(map2->IsActive()) << "not before the 30th update";
    stage().Update();
    EXPECT_TRUE(map2->IsActive());
    EXPECT_FALSE(map1->IsActive());
    for (Object* o : stage().GetObjects())
        EXPECT_EQ(o->IsActive(), o->GetFloor() == 1 || o->GetFloor() == layout::kEveryFloor);
}

TEST_F(BuiltStageTest, PcIsDrawnAtHalfSize) {
    Object* pc = nullptr;
    for (Object* o : stage().GetObjects())
        if (o->GetKind() == kKindPc) pc = o;
    ASSERT_NE(pc, nullptr);
    std::vector<Render::ModelDraw> draws;
    pc->Submit(draws);
    ASSERT_FALSE(draws.empty());
    const Matrix& drawn = draws.back().world;
    EXPECT_NEAR(Vector3(drawn._11, drawn._12, drawn._13).Length(), 0.5f, 1e-5f);
    EXPECT_NEAR(Vector3(drawn._21, drawn._22, drawn._23).Length(), 0.5f, 1e-5f);
    EXPECT_NEAR(Vector3(drawn._31, drawn._32, drawn._33).Length(), 0.5f, 1e-5f);
    EXPECT_NEAR(drawn._41, -6.0f, 1e-5f);
    EXPECT_NEAR(drawn._42, 3.1f, 1e-5f);
    EXPECT_NEAR(drawn._43, -10.0f, 1e-5f);
}

TEST_F(BuiltStageTest, PlantTankSharesOneMatrixAndOnlyTheGlassIsTranslucent) {
    const auto& objects = stage().GetObjects();
    int tanks = 0;
    for (size_t i = 0; i + 1 < objects.size(); ++i) {
        if (objects[i]->GetKind() != kKindPlant) continue;
        Object* pot = objects[i];
        ASSERT_LT(i + 2, objects.size());
        Object* zombie = objects[i + 1];  // the zombie floating in the tank
        Object* glass = objects[i + 2];
        ASSERT_EQ(zombie->GetKind(), kKindPlant);
        ASSERT_EQ(glass->GetKind(), kKindPlantGlass);
        EXPECT_FALSE(zombie->IsPushEnabled());
        EXPECT_EQ(zombie->GetFloor(), 1);
        for (const auto& part : zombie->GetParts()) EXPECT_EQ(part->rayModel, nullptr);
        EXPECT_TRUE(glass->IsTranslucent());
        EXPECT_FALSE(pot->IsTranslucent());
        EXPECT_EQ(glass->GetFloor(), 1);
        EXPECT_EQ(pot->GetFloor(), 1);
        EXPECT_TRUE(pot->IsPushEnabled() && pot->IsPushCircle());
        EXPECT_FLOAT_EQ(pot->GetPushRadius(), 5.0f);
        EXPECT_FALSE(glass->IsPushEnabled());
        EXPECT_EQ(glass->GetParts()[0]->rayModel, nullptr);
        for (int k = 0; k < 16; ++k)
            EXPECT_FLOAT_EQ((&pot->GetMatrixRef()._11)[k], (&glass->GetMatrixRef()._11)[k]);
        ++tanks;
        i += 2;
    }
    EXPECT_EQ(tanks, 6);
}
