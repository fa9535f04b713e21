// The pose store (blend parameter, key slots, part placement) and the yaw
// helpers, without a scene.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "Game/Enemy/Heading.h"
#include "Game/Enemy/Pose.h"

namespace {

using Math::kDegToRad;

std::vector<std::unique_ptr<ModelPart>> MakeParts(int count, const Vector3& offset = Vector3(1, 0, 0)) {
    std::vector<std::unique_ptr<ModelPart>> parts;
    for (int i = 0; i < count; ++i) {
        auto p = std::make_unique<ModelPart>();
        p->local = Matrix::CreateTranslation(offset);
        parts.push_back(std::move(p));
    }
    return parts;
}

void ExpectVector(const Vector3& a, const Vector3& b, const char* what) {
    EXPECT_NEAR(a.x, b.x, 1e-5f) << what;
    EXPECT_NEAR(a.y, b.y, 1e-5f) << what;
    EXPECT_NEAR(a.z, b.z, 1e-5f) << what;
}

bool SameRotation(const Quaternion& a, const Quaternion& b) {
    return std::fabs(std::fabs(a.Dot(b)) - 1.0f) < 1e-6f;
}

}  // namespace

TEST(PoseTest, PingPongTouchesOneAndZeroExactlyAtItsTurningPoints) {
    PoseStore pose(7);
    auto parts = MakeParts(7);
    pose.Start(0.015f, 0, 1);
    float t = 0.0f;
    for (int i = 0; i < 66; ++i) t = pose.Step(true, 0, 1, parts, Matrix());
    EXPECT_NEAR(t, 0.99f, 1e-5f);
    EXPECT_EQ(pose.Step(true, 0, 1, parts, Matrix()), 1.0f) << "67th step clamps";
    EXPECT_TRUE(pose.Reversed());
    EXPECT_NEAR(pose.Step(true, 0, 1, parts, Matrix()), 0.985f, 1e-6f);
    EXPECT_NEAR(pose.Step(true, 0, 1, parts, Matrix()), 0.97f, 1e-6f);
    int steps = 2;
    while (t != 0.0f && steps < 100) {
        t = pose.Step(true, 0, 1, parts, Matrix());
        ++steps;
        ASSERT_GE(t, 0.0f);
    }
    EXPECT_EQ(t, 0.0f) << "reaches exactly 0 on the way back";
    EXPECT_FALSE(pose.Reversed());
    EXPECT_GT(pose.Step(true, 0, 1, parts, Matrix()), 0.0f) << "and turns forwards again";
}

TEST(PoseTest, OneWayMotionStopsAtOne) {
    PoseStore pose(6);
    auto parts = MakeParts(6);
    pose.Start(0.3f, 0, 1);
    EXPECT_NEAR(pose.Step(false, 0, 1, parts, Matrix()), 0.3f, 1e-6f);
    for (int i = 0; i < 3; ++i) pose.Step(false, 0, 1, parts, Matrix());
    for (int i = 0; i < 5; ++i) EXPECT_EQ(pose.Step(false, 0, 1, parts, Matrix()), 1.0f);
    EXPECT_FLOAT_EQ(pose.Speed(), 0.3f) << "a one-way motion never turns round";
}

TEST(PoseTest, StartCapturesTheCurrentBlendIntoSlotTwo) {
    PoseStore pose(7);
    auto parts = MakeParts(7);
    pose.SetKey(2, 0, 90.0f, 0.0f, 0.0f);
    pose.SetKey(2, 1, 0.0f, 0.0f, 0.0f);
    pose.SetKey(3, 1, 0.0f, 45.0f, 0.0f);
    pose.Start(0.25f, 0, 1);
    pose.Step(false, 0, 1, parts, Matrix());
    pose.Step(false, 0, 1, parts, Matrix());  // t = 0.5

    // a = b copies that slot whatever t is.
    pose.Start(0.1f, 1, 1);
    EXPECT_TRUE(SameRotation(pose.Key(3, 2), pose.Key(3, 1)));
    EXPECT_TRUE(SameRotation(pose.Key(2, 2), pose.Key(2, 1)));
    EXPECT_EQ(pose.T(), 0.0f);
    EXPECT_FLOAT_EQ(pose.Speed(), 0.1f);
    EXPECT_FALSE(pose.Reversed());

    // Half-way from a 90-degree pitch to none is a 45-degree pitch.
    pose.SetKey(2, 0, 90.0f, 0.0f, 0.0f);
    pose.Start(0.5f, 0, 1);
    pose.Step(false, 0, 1, parts, Matrix());
    pose.Start(0.5f, 0, 1);
    Quaternion half = pose.Key(2, 2);
    PoseStore reference(7);
    reference.SetKey(2, 0, 45.0f, 0.0f, 0.0f);
    EXPECT_TRUE(SameRotation(half, reference.Key(2, 0)));
}

TEST(PoseTest, EqualKeysGiveThatKeyForEveryT) {
    PoseStore pose(6);
    auto parts = MakeParts(6, Vector3(0, 0, 0));
    pose.SetKey(0, 0, -60.0f, 50.0f, 30.0f);
    pose.SetKey(0, 1, -60.0f, 50.0f, 30.0f);
    const Matrix key = Matrix::CreateFromRollPitchYaw(-60.0f * kDegToRad, 50.0f * kDegToRad, 30.0f * kDegToRad);
    pose.Start(0.1f, 0, 1);
    for (int i = 0; i < 12; ++i) {
        pose.Step(false, 0, 1, parts, Matrix());
        const Vector3 v = Vector3::TransformNormal(Vector3(0.3f, 0.5f, 0.8f), parts[0]->world);
        ExpectVector(v, Vector3::TransformNormal(Vector3(0.3f, 0.5f, 0.8f), key), "equal keys");
    }
}

TEST(PoseTest, KeysRollThenPitchThenYaw) {
    PoseStore pose(6);
    auto parts = MakeParts(6, Vector3(0, 0, 0));
    pose.SetKey(0, 0, 0.0f, 90.0f, 0.0f);
    pose.SetKey(1, 0, 90.0f, 90.0f, 0.0f);
    pose.SetKey(2, 0, 0.0f, 0.0f, 90.0f);
    pose.Start(0.0f, 0, 0);
    pose.Step(false, 0, 0, parts, Matrix());
    ExpectVector(Vector3::TransformNormal(Vector3(0, 0, 1), parts[0]->world), Vector3(1, 0, 0),
                 "yaw 90 turns +z to +x");
    ExpectVector(Vector3::TransformNormal(Vector3(0, 1, 0), parts[1]->world), Vector3(1, 0, 0),
                 "pitch before yaw: +y to +z to +x");
    ExpectVector(Vector3::TransformNormal(Vector3(1, 0, 0), parts[2]->world), Vector3(0, 1, 0), "roll 90: +x to +y");
}

TEST(PoseTest, PartsTurnAboutTheirOwnOriginBeforeOffsetAndPlacement) {
    PoseStore pose(7);
    auto parts = MakeParts(7, Vector3(1, 0, 0));
    pose.SetKey(2, 0, 0.0f, 90.0f, 0.0f);
    pose.SetKey(2, 1, 0.0f, 90.0f, 0.0f);
    pose.Start(0.5f, 0, 1);
    Matrix placement = Matrix::CreateRotationY(90.0f * kDegToRad);
    placement.Translation(Vector3(10, 20, 30));
    pose.Step(false, 0, 1, parts, placement);
    // The part's own +z turns to +x about its origin, is moved to (1, 0, 0)
    // and then the whole zombie turns 90 degrees and moves.
    const Vector3 tip = Vector3::Transform(Vector3(0, 0, 1), parts[2]->world);
    ExpectVector(tip, Vector3::Transform(Vector3(2, 0, 0), placement), "turned arm");
    ExpectVector(parts[2]->world.Translation(), Vector3::Transform(Vector3(1, 0, 0), placement), "arm origin");
}

TEST(PoseTest, BodyRelativePlacementCarriesThePartsWithTheBody) {
    auto flatParts = MakeParts(6, Vector3(0, 1, 0));
    auto relParts = MakeParts(6, Vector3(0, 1, 0));
    flatParts[1]->local = relParts[1]->local = Matrix();  // body at the origin
    PoseStore flat(6), relative(6);
    for (PoseStore* p : {&flat, &relative}) {
        p->SetKey(1, 0, 90.0f, 0.0f, 0.0f);
        p->Start(1.0f, 1, 1);
    }
    const Matrix placement = Matrix::CreateTranslation(5, 0, 0);
    flat.Step(false, 0, 0, flatParts, placement);
    relative.StepBodyRelative(false, 0, 0, relParts, placement);
    ExpectVector(flatParts[0]->world.Translation(), Vector3(5, 1, 0), "head on its own");
    ExpectVector(relParts[0]->world.Translation(), Vector3(5, 0, 1), "head carried by the pitched body");
    ExpectVector(relParts[1]->world.Translation(), Vector3(5, 0, 0), "body");

    // With an unrotated body both placements agree.
    PoseStore a(6), b(6);
    a.SetKey(3, 0, 30.0f, 20.0f, 10.0f);
    b.SetKey(3, 0, 30.0f, 20.0f, 10.0f);
    a.Step(false, 0, 0, flatParts, placement);
    b.StepBodyRelative(false, 0, 0, relParts, placement);
    for (int k = 0; k < 16; ++k)
        EXPECT_NEAR((&flatParts[3]->world._11)[k], (&relParts[3]->world._11)[k], 1e-5f);
}

TEST(HeadingTest, AnglesOfTheAxesAndSignedAngles) {
    EXPECT_NEAR(HeadingOf(Vector3(0, 5, 2)), 0.0f, 1e-4f);
    EXPECT_NEAR(HeadingOf(Vector3(3, 0, 0)), 90.0f, 1e-4f);
    EXPECT_NEAR(HeadingOf(Vector3(-3, 1, 0)), -90.0f, 1e-4f);
    EXPECT_NEAR(HeadingOf(Vector3(0, 0, -1)), 180.0f, 1e-4f);
    EXPECT_NEAR(SignedAngle(Vector3(0, 0, 1), Vector3(0, 9, -4)), 180.0f, 1e-3f);
    EXPECT_NEAR(std::fabs(SignedAngle(Vector3(0, 0, 1), Vector3(1, 0, 1))), 45.0f, 1e-3f);
    EXPECT_LT(SignedAngle(Vector3(0, 0, 1), Vector3(1, 0, 0)), 0.0f);
    EXPECT_GT(SignedAngle(Vector3(0, 0, 1), Vector3(-1, 0, 0)), 0.0f);
}

TEST(HeadingTest, TurnsByAtMostTheStepTheShortWayRound) {
    Matrix m = Matrix::CreateRotationY(170.0f * kDegToRad);
    m.Translation(Vector3(1, 2, 3));
    TurnTowards(m, -170.0f, 30.0f);
    EXPECT_NEAR(HeadingOf(Vector3(m._31, m._32, m._33)), -170.0f, 1e-3f) << "across 180, not back through 0";
    ExpectVector(m.Translation(), Vector3(1, 2, 3), "turns in place");
    TurnTowards(m, 90.0f, 5.0f);
    EXPECT_NEAR(HeadingOf(Vector3(m._31, m._32, m._33)), -175.0f, 1e-3f) << "the short way to 90 is up through 180";
    TurnTowards(m, 450.0f, 500.0f);
    EXPECT_NEAR(HeadingOf(Vector3(m._31, m._32, m._33)), 90.0f, 1e-3f) << "targets are taken modulo 360";
}
