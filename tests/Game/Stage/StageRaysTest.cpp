// The game's ray queries over its objects: which objects each query tests,
// in which order, with which filters, what it reports, and that the
// accelerated walk picks the same object as the plain one.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "Framework/Collision/RayCaster.h"
#include "Game/Object/Object.h"
#include "Game/Stage/Stage.h"
#include "Game/Stage/StageRays.h"
#include "tests/Framework/Collision/RayTestMeshes.h"
#include "tests/Framework/Collision/SameRayAnswer.h"

using raytest::AddNode;
using raytest::Bits;

namespace {

// An object with one part using the given hit-test model.
std::unique_ptr<Object> MakeObject(VeModel* rayModel, const Matrix& world, ObjectKind kind = kKindStage,
                                   int damage = 0) {
    auto o = std::make_unique<Object>();
    o->SetKind(kind);
    o->AddModelPart(Matrix(), Matrix(), damage, nullptr, rayModel);
    o->SetMatrix(world);
    return o;
}

}  // namespace

// A part flattened to nothing is passed by, in both walks: the object behind
// it is picked.
TEST(StageRays, AnObjectScaledToNothingIsPassedBy) {
    VeModel box;
    AddNode(box, raytest::Box(0.5f));
    Stage stage;
    stage.Add(MakeObject(&box, Matrix::CreateScale(1.0f, 0.0f, 1.0f) * Matrix::CreateTranslation(0, 0, 2)));
    Object* behind = stage.Add(MakeObject(&box, Matrix::CreateTranslation(0, 0, 5)));
    for (bool accelerated : {true, false}) {
        SCOPED_TRACE(accelerated ? "accelerated" : "plain");
        RayCaster caster;
        caster.SetAccelerated(accelerated);
        float d;
        EXPECT_EQ(StageRays(caster).RayPick(Vector3(0, 0, 0), Vector3(0, 0, 1), d, &stage), behind);
        EXPECT_FLOAT_EQ(d, 4.5f);
    }
}

TEST(StageRays, OrderFiltersAndDamage) {
    VeModel wall, box;
    AddNode(wall, raytest::Wall(0));
    AddNode(box, raytest::Box(0.5f));
    RayCaster caster;
    const StageRays rc(caster);
    const Vector3 origin(0, 0, -10), dir(0, 0, 1);

    Stage stage;
    Object* drawnOnly = stage.Add(std::make_unique<Object>());
    drawnOnly->AddModelPart(Matrix(), Matrix(), 0, &box, nullptr);  // drawn, never hit
    drawnOnly->SetMatrix(Matrix::CreateTranslation(0, 0, -9));
    stage.Add(std::make_unique<Object>());  // empty
    Object* hidden = stage.Add(MakeObject(&box, Matrix::CreateTranslation(0, 0, -8), kKindStage));
    hidden->SetActive(false);  // other floor: invisible
    Object* furniture = stage.Add(MakeObject(&box, Matrix::CreateTranslation(0, 0, -5), kKindDesk));  // nearest
    Object* structure = stage.Add(MakeObject(&wall, Matrix::CreateTranslation(0, 0, 0), kKindStage));
    Object* door = stage.Add(MakeObject(&wall, Matrix::CreateTranslation(0, 0, 2), kKindDoor));

    float d;
    Vector3 n;
    EXPECT_EQ(rc.RayTestObjects(origin, dir, d, n, &stage), furniture);
    EXPECT_FLOAT_EQ(d, 4.5f);
    EXPECT_EQ(rc.RayPick(origin, dir, d, &stage), furniture);
    EXPECT_EQ(rc.RayTestStructure(origin, dir, d, n, &stage), structure);
    EXPECT_FLOAT_EQ(d, 10.0f);
    structure->SetActive(false);
    EXPECT_EQ(rc.RayTestStructure(origin, dir, d, n, &stage), door);
    EXPECT_FLOAT_EQ(d, 12.0f);
    structure->SetActive(true);

    // Enemies come before stage objects: on equal distances the enemy wins.
    Object enemyA, enemyB;
    enemyA.SetKind(kKindEnemy);
    enemyA.AddModelPart(Matrix(), Matrix(), 7, nullptr, &box);
    enemyA.AddModelPart(Matrix(), Matrix::CreateTranslation(0, 0, 20), 99, nullptr, &box);
    enemyA.SetMatrix(Matrix::CreateTranslation(0, 0, -5));  // same place as the furniture
    enemyB.AddModelPart(Matrix(), Matrix(), 3, nullptr, &box);
    enemyB.SetMatrix(Matrix::CreateTranslation(0, 0, -5));
    std::vector<Object*> enemies = {&enemyA, &enemyB};
    int damage = -1;
    EXPECT_EQ(rc.RayTestAll(origin, dir, d, n, &enemies, &stage, damage), &enemyA);
    EXPECT_FLOAT_EQ(d, 4.5f);
    EXPECT_EQ(damage, 7);
    // A nearer part of a later enemy wins and reports its own damage.
    enemyB.GetParts()[0]->local = Matrix::CreateTranslation(0, 0, -1);
    enemyB.UpdatePartMatrices();
    EXPECT_EQ(rc.RayTestAll(origin, dir, d, n, &enemies, &stage, damage), &enemyB);
    EXPECT_EQ(damage, 3);
    EXPECT_FLOAT_EQ(d, 3.5f);

    // Nothing hit: null, distance at the largest float, normal untouched.
    n = Vector3(5, 5, 5);
    EXPECT_EQ(rc.RayTestObjects(origin, Vector3(0, 1, 0), d, n, &stage), nullptr);
    EXPECT_EQ(d, RayCaster::kNoHit);
    EXPECT_EQ(n, Vector3(5, 5, 5));
    EXPECT_EQ(rc.RayTestAll(origin, dir, d, n, static_cast<std::vector<Object*>*>(nullptr), nullptr, damage),
              nullptr);
}

TEST(StageRays, AcceleratedObjectQueriesPickTheSameObject) {
    // Many overlapping copies of one terrain: the first copy wins every tie.
    VeModel terrain;
    AddNode(terrain, raytest::Terrain(100, 30.0f, 3, false));
    Stage stage;
    for (int i = 0; i < 4; ++i)
        stage.Add(MakeObject(&terrain, Matrix::CreateTranslation(0, float(i % 2) * 0.25f, 0)));
    RayCaster fastCaster, plainCaster;
    plainCaster.SetAccelerated(false);
    const StageRays fast(fastCaster), plain(plainCaster);
    std::mt19937 rng(99);
    std::uniform_real_distribution<float> u(-1.0f, 1.0f);
    int hits = 0;
    for (int i = 0; i < 600; ++i) {
        const Vector3 origin(u(rng) * 30, 5 + u(rng) * 4, u(rng) * 30);
        Vector3 dir(u(rng), -1.0f, u(rng));
        dir.Normalize();
        float d1, d2;
        Vector3 n1, n2;
        Object* a = fast.RayTestObjects(origin, dir, d1, n1, &stage);
        Object* b = plain.RayTestObjects(origin, dir, d2, n2, &stage);
        ASSERT_EQ(a, b) << i;
        if (!a) continue;
        ++hits;
        ASSERT_EQ(Bits(d1), Bits(d2)) << i;
        ASSERT_EQ(n1, n2) << i;
        ASSERT_TRUE(a == stage.GetObjects()[0] || a == stage.GetObjects()[1]) << i;
    }
    EXPECT_GT(hits, 400);
}
