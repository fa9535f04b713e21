// Doors, handles, card readers and key cards in the built level, driven by
// the player's gaze and the right button.
#include <cmath>
#include <vector>

#include "Game/Enemy/EnemyBase.h"
#include "Game/Enemy/EnemyList.h"
#include "Game/Stage/Door.h"
#include "Game/Stage/Key.h"
#include "tests/Game/Stage/InteractiveStage.h"

namespace {

// Door yaw in degrees, from its matrix (RotationY rows (c, 0, -s), ...).
float YawOf(const Matrix& m) { return std::atan2(-m._13, m._11) / Math::kDegToRad; }

bool SameMatrix(const Matrix& a, const Matrix& b) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (std::fabs(a.m[r][c] - b.m[r][c]) > 1e-6f) return false;
    return true;
}

}  // namespace

class DoorTest : public InteractiveStageTest {
protected:
    Door* FreeDoor() { return FindAt<Door>(Vector3(22, 0, 20)); }       // yaw 0, no card
    Door* YellowDoor() { return FindAt<Door>(Vector3(22, 0, 60)); }     // yaw 0, card 0
    Key* Card(int colour) {
        for (Key* k : stage_->GetKeys())
            if (k->GetColour() == colour) return k;
        return nullptr;
    }
    // Presses the button for one frame, then runs with it released.
    void Click() {
        Hold(true);
        Step();
        Hold(false);
    }
};

TEST_F(DoorTest, BuilderPlacesTenDoorSetsAndThreeCards) {
    EXPECT_EQ(CountOf<Door>(), 10);
    EXPECT_EQ(CountOf<KeyReader>(), 10);
    EXPECT_EQ(CountOf<DoorHandle>(), 10);
    ASSERT_EQ(stage_->GetKeys().size(), 3u);
    EXPECT_EQ(stage_->GetKeys()[0]->GetColour(), 0);
    EXPECT_EQ(stage_->GetKeys()[2]->GetFloor(), 1);

    // Door, reader and handle follow each other in the list; the reader and
    // the handle sit at door-local (5, 6, 0) and (5, 5, 0).
    const auto& objects = stage_->GetObjects();
    for (size_t i = 0; i + 2 < objects.size(); ++i) {
        Door* door = dynamic_cast<Door*>(objects[i]);
        if (!door) continue;
        EXPECT_EQ(objects[i + 1], door->GetReader());
        EXPECT_EQ(objects[i + 2], door->GetHandle());
        EXPECT_EQ(door->GetReader()->GetKind(), kKindKeyReader);
        EXPECT_EQ(door->GetHandle()->GetKind(), kKindDoor);
        EXPECT_EQ(door->GetReader()->GetFloor(), door->GetFloor());
        const Vector3 readerAt = Vector3::Transform(Vector3(5, 6, 0), door->GetMatrixRef());
        EXPECT_LT(Vector3::Distance(door->GetReader()->GetPosition(), readerAt), 1e-4f);
    }

    // Texture columns: the door by its colour, the reader lit for free doors.
    Door* free = FreeDoor();
    ASSERT_NE(free, nullptr);
    EXPECT_FLOAT_EQ(free->GetUVOffset().x, 0.75f);
    EXPECT_FLOAT_EQ(free->GetReader()->GetUVOffset().x, 0.5f);
    EXPECT_FLOAT_EQ(free->GetReader()->GetLightColour().y, 1.0f);
    Door* yellow = YellowDoor();
    ASSERT_NE(yellow, nullptr);
    EXPECT_FLOAT_EQ(yellow->GetUVOffset().x, 0.0f);
    EXPECT_FLOAT_EQ(yellow->GetReader()->GetUVOffset().x, 0.0f);
    EXPECT_FLOAT_EQ(yellow->GetReader()->GetLightColour().x, 1.0f);
    EXPECT_FLOAT_EQ(FindAt<Door>(Vector3(20, 0, 92))->GetUVOffset().x, 0.25f);
    EXPECT_FLOAT_EQ(FindAt<Door>(Vector3(48, -42, 40))->GetUVOffset().x, 0.5f);
}

TEST_F(DoorTest, FreeDoorOpensFromItsReaderOrFromTheDoorItself) {
    Door* door = FreeDoor();
    ASSERT_NE(door, nullptr);
    PlaceEye(Vector3(27, 6, 14));  // the reader is straight ahead
    ASSERT_NE(Picked(), nullptr);
    ASSERT_EQ(Picked()->GetKind(), kKindKeyReader);
    Step();
    EXPECT_TRUE(door->GetReader()->IsHighlighted()) << "looking at the reader marks it";
    EXPECT_FALSE(door->IsOpening()) << "nothing without the button";
    Click();
    EXPECT_TRUE(door->IsUsed());
    EXPECT_TRUE(door->IsOpening());
    EXPECT_TRUE(door->GetHandle()->IsTurning());
    EXPECT_TRUE(door->GetReader()->IsPulsing());
    EXPECT_FALSE(door->GetReader()->IsHighlighted());

    // The other free door, through a look at its leaf.
    Door* other = FindAt<Door>(Vector3(-2, 0, 20));  // yaw 180: the leaf spans x -8..-2
    ASSERT_NE(other, nullptr);
    PlaceEye(Vector3(-4, 6, 14));
    ASSERT_EQ(Picked(), other);
    Click();
    EXPECT_TRUE(other->IsOpening());
}

TEST_F(DoorTest, KeyedDoorReactsOnlyToALookAtAReader) {
    Door* door = YellowDoor();
    ASSERT_NE(door, nullptr);
    player_->AddKey(Card(0));

    PlaceEye(Vector3(24, 6, 54));  // at the leaf
    ASSERT_EQ(Picked(), door);
    Click();
    Step(30);
    EXPECT_FALSE(door->IsUsed());
    EXPECT_FALSE(door->GetReader()->IsInserting());
    EXPECT_FALSE(door->GetHandle()->IsTurning());
    EXPECT_FALSE(door->GetReader()->IsHighlighted());

    PlaceEye(Vector3(27, 6, 54));  // at the reader
    ASSERT_EQ(Picked(), door->GetReader());
    Click();
    EXPECT_TRUE(door->IsUsed());
    EXPECT_TRUE(door->IsKeyMatched());
    EXPECT_TRUE(door->GetReader()->IsInserting());
    EXPECT_TRUE(Card(0)->IsVisible()) << "the card is shown in the slot";
}

TEST_F(DoorTest, HeldButtonAtALockedDoorKeepsRattling) {
    Door* door = YellowDoor();
    PlaceEye(Vector3(27, 6, 54));
    Hold(true);
    float lowest = 1000.0f, highest = -1000.0f;
    for (int frame = 1; frame <= 200; ++frame) {
        Step();
        if (frame > 30) {
            lowest = std::min(lowest, door->GetHandle()->GetAngle());
            highest = std::max(highest, door->GetHandle()->GetAngle());
        }
    }
    // Up in 20 frames, back down and up again: an error at each top, at
    // frames 20, 61, 102, 143 and 184.
    EXPECT_EQ(door->GetErrorCount(), 5);
    EXPECT_FLOAT_EQ(highest, 60.0f);
    EXPECT_FLOAT_EQ(lowest, 0.0f);
    EXPECT_FALSE(door->IsUsed());
    EXPECT_FALSE(door->IsOpening());
    EXPECT_FLOAT_EQ(door->GetReader()->GetLightColour().x, 1.0f) << "a red pulse";

    // Let go: the rattle under way finishes (one more error at its top),
    // then the handle settles and stays quiet.
    Hold(false);
    Step(100);
    EXPECT_EQ(door->GetErrorCount(), 6);
    EXPECT_FLOAT_EQ(door->GetHandle()->GetAngle(), 0.0f);
    EXPECT_FALSE(door->GetHandle()->IsTurning());
    Step(100);
    EXPECT_EQ(door->GetErrorCount(), 6);
}

TEST_F(DoorTest, AcceptedCardRunsTheWholeSequence) {
    Door* door = YellowDoor();
    KeyReader* reader = door->GetReader();
    DoorHandle* handle = door->GetHandle();
    Key* card = Card(0);
    player_->AddKey(card);
    PlaceEye(Vector3(27, 6, 54));

    int slotFrame = -1, successFrame = -1, cardGoneFrame = -1, handleTopFrame = -1;
    int firstSwing = -1, lastSwing = -1, swings = 0;
    std::vector<float> cardY;
    Matrix before = door->GetMatrixRef();
    Hold(true);
    for (int frame = 1; frame <= 200; ++frame) {
        Step();
        if (frame == 1) Hold(false);
        if (slotFrame < 0 && reader->GetSlotCount() == 1) slotFrame = frame;
        if (successFrame < 0 && door->GetSuccessCount() == 1) successFrame = frame;
        if (cardGoneFrame < 0 && frame > 1 && !card->IsVisible()) cardGoneFrame = frame;
        if (handleTopFrame < 0 && handle->GetAngle() >= 60.0f) handleTopFrame = frame;
        if (frame <= 15) {
            EXPECT_TRUE(card->IsVisible() && card->IsInserting()) << frame;
            EXPECT_FLOAT_EQ(reader->GetCardY(), 1.0f) << "the card only shows for 15 frames";
        }
        if (!SameMatrix(before, door->GetMatrixRef())) {
            if (firstSwing < 0) firstSwing = frame;
            lastSwing = frame;
            ++swings;
        }
        before = door->GetMatrixRef();
    }
    EXPECT_EQ(slotFrame, 16) << "slot sound on the first moving frame";
    EXPECT_EQ(successFrame, 28) << "success at card frame 13";
    EXPECT_EQ(cardGoneFrame, 55) << "15 + 40 card frames";
    EXPECT_EQ(handleTopFrame, 74) << "20 handle frames";
    EXPECT_EQ(firstSwing, 74 + 26 + 1) << "26 still frames";
    EXPECT_EQ(lastSwing, firstSwing + 32);
    EXPECT_EQ(swings, 33);
    EXPECT_NEAR(YawOf(door->GetMatrixRef()), -100.98f, 0.05f);
    EXPECT_FLOAT_EQ(door->GetOpenProgress(), 1.0f);
    EXPECT_TRUE(door->IsTurnSoundPlayed());
    EXPECT_FLOAT_EQ(reader->GetUVOffset().x, 0.5f);
    EXPECT_FLOAT_EQ(reader->GetLightColour().y, 1.0f);
    EXPECT_FLOAT_EQ(handle->GetAngle(), 0.0f) << "the handle has returned";
    // The reader and handle went round with the door.
    const Vector3 readerAt = Vector3::Transform(Vector3(5, 6, 0), door->GetMatrixRef());
    EXPECT_LT(Vector3::Distance(reader->GetPosition(), readerAt), 1e-4f);
    // The card is held for good and hidden, still in the stage.
    ASSERT_EQ(player_->GetKeys().size(), 1u);
    EXPECT_EQ(player_->GetKeys()[0], card);
    EXPECT_FALSE(card->IsVisible());
    EXPECT_FALSE(card->IsInserting());
}

TEST_F(DoorTest, OrangeCardOpensAllThreeOrangeDoorsInTurn) {
    Key* orange = Card(2);
    player_->AddKey(orange);
    struct Target {
        Vector3 door, eye;
    } targets[] = {{{48, -42, 40}, {43, -36, 34}}, {{48, -42, -30}, {43, -36, -36}}, {{62, -84, -20}, {67, -78, -26}}};
    for (const Target& t : targets) {
        Door* door = FindAt<Door>(t.door);
        ASSERT_NE(door, nullptr);
        ASSERT_EQ(door->GetKeyType(), 2);
        PlaceEye(t.eye);
        ASSERT_EQ(Picked(), door->GetReader());
        Click();
        bool shownHere = false;
        for (int i = 0; i < 160; ++i) {
            Step();
            if (orange->IsVisible() && Vector3::Distance(orange->GetPosition(), door->GetReader()->GetPosition()) < 2.0f)
                shownHere = true;
        }
        EXPECT_TRUE(shownHere) << "the card appears in this reader";
        EXPECT_TRUE(door->IsUsed());
        EXPECT_FLOAT_EQ(door->GetOpenProgress(), 1.0f);
        EXPECT_FALSE(orange->IsVisible());
    }
    EXPECT_EQ(player_->GetKeys().size(), 1u);
}

TEST_F(DoorTest, NothingReactsOutOfReach) {
    Door* door = FreeDoor();
    const Vector3 origin = door->GetPosition();
    // Walk the eye back along -z from the reader until the distance to the
    // door is exactly at the limit as the game measures it.
    float z = 20.0f - std::sqrt(39.0f);
    auto at = [&](float zz) { return Vector3::Distance(Vector3(27, 6, zz), origin); };
    while (at(z) < 10.0f) z = std::nextafter(z, -100.0f);
    while (at(std::nextafter(z, 100.0f)) >= 10.0f) z = std::nextafter(z, 100.0f);
    PlaceEye(Vector3(27, 6, z));
    ASSERT_EQ(Picked(), door->GetReader());
    Click();
    Step(5);
    EXPECT_FALSE(door->IsUsed()) << "10 is out of reach for a door";
    EXPECT_FALSE(door->GetHandle()->IsTurning());

    PlaceEye(Vector3(27, 6, std::nextafter(z, 100.0f)));
    Click();
    EXPECT_TRUE(door->IsOpening()) << "just inside 10";
}

TEST_F(DoorTest, CardIsTakenFromTenButNotFromFurther) {
    Key* orange = Card(2);  // lies flat at (5, -37.5, 103)
    const Vector3 at = orange->GetPosition();
    // 10.01 away: the look reaches the card but nothing happens.
    PlaceEyeLookingAt(Vector3(5, -31.5f, 95.0f - 0.0135f), at);
    ASSERT_GT(Vector3::Distance(player_->GetPosition(), at), 10.005f);
    ASSERT_EQ(Picked(), orange);
    Hold(true);
    Step();
    EXPECT_TRUE(orange->IsVisible());
    EXPECT_FALSE(orange->IsHighlighted());
    EXPECT_TRUE(player_->GetKeys().empty());

    // Exactly 10 (6 up, 8 back): highlighted, then taken.
    Hold(false);
    PlaceEyeLookingAt(Vector3(5, -31.5f, 95), at);
    ASSERT_FLOAT_EQ(Vector3::Distance(player_->GetPosition(), at), 10.0f);
    Step();
    EXPECT_TRUE(orange->IsHighlighted());
    Hold(true);
    Step();
    EXPECT_FALSE(orange->IsVisible());
    EXPECT_FALSE(orange->IsHighlighted());
    ASSERT_EQ(player_->GetKeys().size(), 1u);
    EXPECT_EQ(player_->GetKeys()[0], orange);
    // Held again: the list does not grow.
    player_->AddKey(orange);
    EXPECT_EQ(player_->GetKeys().size(), 1u);
}

TEST_F(DoorTest, AHeldCardIsNoTargetWhereItLayNorInTheReaderItPassedThrough) {
    const StageRays rays;
    // What the gun's aiming ray meets from the eye towards the point.
    auto aimAt = [&](const Vector3& eye, const Vector3& target) {
        float distance = 0.0f;
        Vector3 normal;
        int damage = 0;
        return rays.RayTestAll(eye, (target - eye).Normalized(), distance, normal, scene_->GetEnemyList(), stage_,
                               damage);
    };
    Key* yellow = Card(0);
    const Vector3 lay = yellow->GetPosition();
    PlaceEyeLookingAt(Vector3(-4, 9, -16), lay);
    ASSERT_EQ(Picked(), yellow);
    Click();
    ASSERT_FALSE(yellow->IsVisible());
    EXPECT_NE(Picked(), yellow) << "the desk it lay on";
    EXPECT_NE(aimAt(player_->GetPosition(), lay), yellow);

    // Shown in the yellow door's reader, then hidden again for good.
    Door* door = YellowDoor();
    PlaceEye(Vector3(27, 6, 54));
    Click();
    bool shown = false;
    for (int i = 0; i < 200; ++i) {
        Step();
        shown = shown || yellow->IsVisible();
    }
    ASSERT_TRUE(shown);
    ASSERT_FLOAT_EQ(door->GetOpenProgress(), 1.0f);
    ASSERT_FALSE(yellow->IsVisible());
    // Its hit model was left where the reader last showed it, edge-on to the
    // door: looked at and shot at from the side, it is not there.
    const Vector3 left = yellow->GetPosition();
    const Vector3 side = left - Vector3(4, 0, 0);
    PlaceEyeLookingAt(side, left);
    EXPECT_NE(Picked(), yellow);
    EXPECT_NE(aimAt(side, left), yellow);
}
