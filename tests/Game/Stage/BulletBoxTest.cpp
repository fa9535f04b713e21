// Ammunition boxes in the built level: taking them by gaze and button, the
// reserve they add, their return, their reach, their prompt, and the shots
// that pass where an emptied box stood.
#include <set>

#include "Game/Object/Gun.h"
#include "Game/Stage/BulletBox.h"
#include "Scene/Hud.h"
#include "Scene/SceneManager.h"
#include "tests/Game/Stage/InteractiveStage.h"

class BulletBoxTest : public InteractiveStageTest {
protected:
    BulletBox* GroundFloorBox() { return FindAt<BulletBox>(Vector3(-18, 0, 75)); }
    // Looks at the ground-floor box from 6 up and d back.
    void LookAtGroundBox(float back) {
        PlaceEyeLookingAt(Vector3(-18, 6, 75 - back), Vector3(-18, 0.5f, 75));
    }
};

TEST_F(BulletBoxTest, BuilderPlacesNineteenBoxesThatNeverPush) {
    EXPECT_EQ(CountOf<BulletBox>(), 19);
    int floor1 = 0;
    for (Object* o : stage_->GetObjects()) {
        auto* box = dynamic_cast<BulletBox*>(o);
        if (!box) continue;
        EXPECT_EQ(box->GetKind(), kKindBulletBox);
        EXPECT_FALSE(box->IsPushEnabled());
        if (box->GetFloor() == 1) ++floor1;
    }
    EXPECT_EQ(floor1, 18);
    // The shelf's upper board: shelf-local (6, 4.2, 1).
    EXPECT_NE(FindAt<BulletBox>(Vector3(91, -37.8f, 71)), nullptr);
}

TEST_F(BulletBoxTest, TakingABoxAddsExactlyTwentyWhateverTheReserve) {
    BulletBox* box = GroundFloorBox();
    ASSERT_NE(box, nullptr);
    player_->AddReserveAmmo(12345 - player_->GetReserveAmmo());
    LookAtGroundBox(7);
    ASSERT_EQ(Picked(), box);
    Step();
    EXPECT_TRUE(box->IsHighlighted());
    EXPECT_EQ(player_->GetReserveAmmo(), 12345) << "looking takes nothing";
    Hold(true);
    Step();
    EXPECT_EQ(player_->GetReserveAmmo(), 12365);
    EXPECT_FALSE(box->IsAvailable());
    EXPECT_FALSE(box->IsHighlighted());
    Step(10);  // still holding: an empty box gives nothing more
    EXPECT_EQ(player_->GetReserveAmmo(), 12365);

    // The same from an empty reserve, at a shelf (its open side faces +z).
    player_->AddReserveAmmo(-player_->GetReserveAmmo());
    BulletBox* shelfBox = FindAt<BulletBox>(Vector3(79, -41.8f, 71));
    ASSERT_NE(shelfBox, nullptr);
    PlaceEyeLookingAt(Vector3(79, -37, 77), shelfBox->GetPosition() + Vector3(0, 0.5f, 0));
    ASSERT_EQ(Picked(), shelfBox);
    Step();
    EXPECT_EQ(player_->GetReserveAmmo(), 20);
}

TEST_F(BulletBoxTest, HeldButtonSweepTakesEachBoxTheMomentItIsPickedTheOnesBehindToo) {
    const int start = player_->GetReserveAmmo();
    auto available = [this]() {
        std::set<BulletBox*> boxes;
        for (Object* o : stage_->GetObjects())
            if (auto* box = dynamic_cast<BulletBox*>(o); box && box->IsAvailable()) boxes.insert(box);
        return boxes;
    };
    Hold(true);
    std::set<BulletBox*> taken;
    // Sweep along both boards of the first shelf, eye level with each row,
    // facing its open side. Two of its six boxes stand behind others: once
    // the front one is emptied the gaze goes through to them.
    SetYaw(180.0f);
    for (float y : {-41.3f, -37.3f}) {
        for (float x = 75.0f; x <= 95.0f; x += 0.25f) {
            PlaceEye(Vector3(x, y, 78));
            auto* picked = dynamic_cast<BulletBox*>(Picked());
            const std::set<BulletBox*> before = available();
            Step();
            const std::set<BulletBox*> after = available();
            for (BulletBox* box : before)
                if (!after.count(box)) taken.insert(box);
            if (picked && before.count(picked))
                EXPECT_FALSE(picked->IsAvailable()) << "taken in the frame it was picked, x " << x;
        }
    }
    EXPECT_EQ(taken.size(), 6u) << "every box of the shelf";
    for (BulletBox* box : taken) EXPECT_NEAR(box->GetPosition().x, 85.0f, 6.01f) << "the first shelf's";
    EXPECT_EQ(player_->GetReserveAmmo(), start + 20 * static_cast<int>(taken.size()));
}

TEST_F(BulletBoxTest, ReturnsAfter3600OfItsOwnUpdates) {
    BulletBox* box = GroundFloorBox();
    LookAtGroundBox(7);
    Hold(true);
    Step();
    Hold(false);
    ASSERT_FALSE(box->IsAvailable());
    // Time on another floor does not count.
    PlaceEye(Vector3(60, -36, 60));
    Step(4000);
    EXPECT_FALSE(box->IsAvailable());
    EXPECT_EQ(box->GetRespawnCounter(), 3600);

    PlaceEye(Vector3(20, 6, 0));  // back on the ground floor, looking away
    Step(3599);
    EXPECT_FALSE(box->IsAvailable());
    Step();
    EXPECT_TRUE(box->IsAvailable());
}

TEST_F(BulletBoxTest, TenUnitsReachesTenPointZeroOneDoesNot) {
    BulletBox* box = GroundFloorBox();
    const int start = player_->GetReserveAmmo();
    Hold(true);
    LookAtGroundBox(8.0135f);  // 10.01 away
    ASSERT_EQ(Picked(), box);
    ASSERT_GT(Vector3::Distance(player_->GetPosition(), box->GetPosition()), 10.005f);
    Step();
    EXPECT_TRUE(box->IsAvailable());
    EXPECT_EQ(player_->GetReserveAmmo(), start);

    LookAtGroundBox(8);  // 6 up, 8 back: exactly 10
    ASSERT_FLOAT_EQ(Vector3::Distance(player_->GetPosition(), box->GetPosition()), 10.0f);
    Step();
    EXPECT_FALSE(box->IsAvailable());
    EXPECT_EQ(player_->GetReserveAmmo(), start + 20);
}

TEST_F(BulletBoxTest, AnEmptiedBoxIsNoTargetForShotsOrGazesUntilItReturns) {
    BulletBox* box = GroundFloorBox();
    Gun& gun = *scene_->GetGun();
    SceneManager::GetInstance().SetClickLatched(false);
    // One shot with the fire button, then the button up until the gun is
    // ready again; what the shot hit.
    auto shoot = [&]() {
        Platform::InputFrame fire;
        fire.Set(Platform::Key::LeftButton);
        Platform::Input::GetInstance().SetFrame(fire);
        gun.Update();
        Platform::Input::GetInstance().SetFrame(Platform::InputFrame{});
        for (int i = 0; i < 10; ++i) gun.Update();
        return gun.GetHitObject();
    };
    LookAtGroundBox(7);
    ASSERT_EQ(shoot(), box);
    Hold(true);
    Step();
    Hold(false);
    ASSERT_FALSE(box->IsAvailable());

    // The shot goes on to what stood behind the box (a bullet hole there, not
    // in the air where the box was), and so does the gaze.
    Object* behind = shoot();
    ASSERT_NE(behind, nullptr);
    EXPECT_NE(behind, box);
    EXPECT_EQ(behind->GetKind(), kKindStage);
    EXPECT_NE(Picked(), box);

    Step(3600);
    ASSERT_TRUE(box->IsAvailable());
    EXPECT_EQ(shoot(), box) << "back, and a target again";
    EXPECT_EQ(Picked(), box);
}

TEST_F(BulletBoxTest, ThePromptShowsOnlyWithinReachAndOnThePlayersFloor) {
    BulletBox* box = GroundFloorBox();
    Hud& hud = *scene_->GetHud();
    ASSERT_NE(hud.GetPickUpPrompt(), nullptr);
    auto prompted = [&]() {
        scene_->SetCamera();
        hud.DrawGame(scene_->GetWorld());
        for (const auto& sprite : hud.GetLastDrawn())
            if (sprite.texture == hud.GetPickUpPrompt()) return true;
        return false;
    };
    LookAtGroundBox(7);
    Step();
    ASSERT_TRUE(box->IsHighlighted());
    EXPECT_TRUE(prompted());

    // Backing off out of reach, still looking at it.
    LookAtGroundBox(9);
    ASSERT_GT(Vector3::Distance(player_->GetPosition(), box->GetPosition()), 10.0f);
    ASSERT_EQ(Picked(), box);
    Step();
    EXPECT_FALSE(box->IsHighlighted());
    EXPECT_FALSE(prompted());

    // Prompted again, then one floor down, the box straight ahead above: the
    // box is no longer updated, and no prompt is drawn for it.
    LookAtGroundBox(7);
    Step();
    ASSERT_TRUE(prompted());
    PlaceEye(Vector3(-18, -36, 70));
    Step();
    EXPECT_FALSE(prompted());
}
