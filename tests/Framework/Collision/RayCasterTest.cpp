// Ray tests against models: the triangle test, the per-model test in world
// space, and the agreement of the accelerated walk with the plain walk. (The
// game's queries over its objects are tested in tests/Game/Stage.)
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "Framework/Collision/RayCaster.h"
#include "tests/Framework/Collision/RayTestMeshes.h"
#include "tests/Framework/Collision/SameRayAnswer.h"

using raytest::AddNode;

TEST(RayTriangle, BothFacesParallelAndBehind) {
    const Vector3 a(-1, -1, 5), b(1, -1, 5), c(0, 1, 5);
    float t = -1;
    // Front and back faces are both hit, at the same distance.
    ASSERT_TRUE(RayTriangle(Vector3(0, 0, 0), Vector3(0, 0, 1), a, b, c, t));
    EXPECT_FLOAT_EQ(t, 5.0f);
    t = -1;
    ASSERT_TRUE(RayTriangle(Vector3(0, 0, 0), Vector3(0, 0, 1), a, c, b, t));
    EXPECT_FLOAT_EQ(t, 5.0f);
    // Parallel to the plane: never, even inside the plane.
    EXPECT_FALSE(RayTriangle(Vector3(0, 0, 0), Vector3(1, 0, 0), a, b, c, t));
    EXPECT_FALSE(RayTriangle(Vector3(-5, 0, 5), Vector3(1, 0, 0), a, b, c, t));
    // Behind the origin.
    EXPECT_FALSE(RayTriangle(Vector3(0, 0, 6), Vector3(0, 0, 1), a, b, c, t));
    EXPECT_FALSE(RayTriangle(Vector3(0, 0, 6), Vector3(0, 0, 1), a, c, b, t));
    // Outside the edges.
    EXPECT_FALSE(RayTriangle(Vector3(2, 0, 0), Vector3(0, 0, 1), a, b, c, t));
    EXPECT_FALSE(RayTriangle(Vector3(0, 1.5f, 0), Vector3(0, 0, 1), a, c, b, t));
}

TEST(RayTestModel, WorldSpaceDistanceNormalAndMisses) {
    VeModel cube;
    AddNode(cube, raytest::Box(1.0f));
    RayCaster rc;
    Matrix world;
    float d = 123;
    Vector3 n(9, 9, 9);

    // From inside the closed box: the far side is hit from within.
    ASSERT_TRUE(rc.RayTestModel(&cube, world, Vector3(0, 0, 0), Vector3(1, 0, 0), d, n));
    EXPECT_FLOAT_EQ(d, 1.0f);
    EXPECT_FLOAT_EQ(std::fabs(n.x), 1.0f);
    EXPECT_FLOAT_EQ(n.y, 0.0f);

    // Uniform scale 3 and a translation in the world matrix: world distances.
    world = Matrix::CreateScale(3.0f) * Matrix::CreateTranslation(10, 0, 0);
    ASSERT_TRUE(rc.RayTestModel(&cube, world, Vector3(0, 0, 0), Vector3(1, 0, 0), d, n));
    EXPECT_FLOAT_EQ(d, 7.0f);
    EXPECT_NEAR(n.Length(), 1.0f, 1e-6f);

    // The node's own matrix comes first, then the world matrix.
    VeModel moved;
    AddNode(moved, raytest::Box(1.0f), Matrix::CreateTranslation(0, 0, 5));
    world = Matrix::CreateRotationY(Math::kPi / 2);  // +z turns to +x
    ASSERT_TRUE(rc.RayTestModel(&moved, world, Vector3(0, 0, 0), Vector3(1, 0, 0), d, n));
    EXPECT_NEAR(d, 4.0f, 1e-5f);
    EXPECT_NEAR(std::fabs(n.x), 1.0f, 1e-5f);  // the face normal turned with the object

    // A miss leaves the outputs alone; so does a null model.
    d = 42;
    n = Vector3(1, 2, 3);
    EXPECT_FALSE(rc.RayTestModel(&moved, world, Vector3(0, 0, 0), Vector3(-1, 0, 0), d, n));
    EXPECT_FALSE(rc.RayTestModel(nullptr, world, Vector3(0, 0, 0), Vector3(1, 0, 0), d, n));
    EXPECT_EQ(d, 42.0f);
    EXPECT_EQ(n, Vector3(1, 2, 3));
}

TEST(RayTestModel, NearestAcrossNodesAndTiesToEarlierNode) {
    VeModel m;
    AddNode(m, raytest::Wall(8));
    AddNode(m, raytest::Wall(3));
    AddNode(m, raytest::Wall(3));  // same distance as node 1
    RayCaster rc;
    Matrix world;
    float d;
    Vector3 n;
    ASSERT_TRUE(rc.RayTestModel(&m, world, Vector3(0, 0, 0), Vector3(0, 0, 1), d, n));
    EXPECT_FLOAT_EQ(d, 3.0f);
    // Tests on the normal of the winner: the wall's winding gives -z... or +z;
    // both walls at z = 3 have the same winding, so compare with node 1 alone.
    VeModel single;
    AddNode(single, raytest::Wall(3));
    float d1;
    Vector3 n1;
    ASSERT_TRUE(rc.RayTestModel(&single, world, Vector3(0, 0, 0), Vector3(0, 0, 1), d1, n1));
    EXPECT_EQ(n, n1);
}

// A node or placement scaled to nothing has no surface: rays pass it by
// (they must not meet the model as if it were untransformed), in both walks,
// while the rest of the model still counts.
TEST(RayTestModel, ZeroScaledNodesAndPartsAreNeverHit) {
    VeModel model;
    AddNode(model, raytest::Box(1.0f), Matrix::CreateScale(0.0f));  // a node scaled to nothing
    AddNode(model, raytest::Wall(3));
    RayCaster rc;
    Matrix world;
    float d;
    Vector3 n;
    for (bool accelerated : {true, false}) {
        SCOPED_TRACE(accelerated ? "accelerated" : "plain");
        rc.SetAccelerated(accelerated);
        ASSERT_TRUE(rc.RayTestModel(&model, world, Vector3(0, 0, 0), Vector3(0, 0, 1), d, n));
        EXPECT_FLOAT_EQ(d, 3.0f) << "the wall, not the vanished box";
        world = Matrix::CreateScale(0.0f) * Matrix::CreateTranslation(50, 0, 0);
        EXPECT_FALSE(rc.RayTestModel(&model, world, Vector3(0, 0, 0), Vector3(0, 0, 1), d, n));
        world = Matrix();
    }
}

// The accelerated walk must reproduce the plain walk bit for bit.
TEST(RayQueries, AcceleratedMatchesPlainWalkExactly) {
    struct Case {
        const char* name;
        raytest::MeshData mesh;
        Matrix node;
        Matrix world;
    };
    std::vector<Case> cases;
    cases.push_back({"terrain", raytest::Terrain(165, 40.0f, 7, true), Matrix::CreateTranslation(0, -1, 0),
                     Matrix::CreateRotationY(0.3f) * Matrix::CreateTranslation(2, 0, 1)});
    cases.push_back({"sphere", raytest::Sphere(6.0f, 48, 64), Matrix(),
                     Matrix::CreateScale(1.5f) * Matrix::CreateTranslation(0, 3, 0)});
    cases.push_back({"soup", raytest::Soup(3000, 20.0f, 11), Matrix::CreateRotationX(0.7f), Matrix()});
    cases.push_back({"dome", raytest::Sphere(300.0f, 24, 32), Matrix(), Matrix()});
    cases.push_back({"needles", raytest::Needles(2000, 10.0f, 5), Matrix(), Matrix::CreateTranslation(0, 0, 3)});
    cases.push_back({"lopsided", raytest::Lopsided(3000), Matrix(), Matrix::CreateScale(0.1f)});
    cases.push_back({"small box", raytest::Box(2.0f), Matrix(), Matrix::CreateTranslation(1, 1, 1)});

    std::mt19937 rng(1234);
    std::uniform_real_distribution<float> u(-1.0f, 1.0f);
    RayCaster fast, plain;
    plain.SetAccelerated(false);
    for (Case& c : cases) {
        VeModel model;
        AddNode(model, c.mesh, c.node);
        const Matrix toWorld = c.node * c.world;
        int hits = 0;
        const int rays = c.mesh.triangles.size() > 50000 ? 1500 : 2000;
        for (int i = 0; i < rays; ++i) {
            const float spread = std::max(60.0f, 2.0f * model.nodes[0].mesh->GetSphereRadius());
            Vector3 origin(u(rng) * spread, u(rng) * spread / 2, u(rng) * spread);
            Vector3 dir;
            switch (i % 4) {
            case 0: dir = Vector3(u(rng), u(rng), u(rng)); break;
            case 1: {
                // Aimed at a vertex or an edge midpoint: shared edges give ties.
                const VeTriangle& t = c.mesh.triangles[size_t(rng()) % c.mesh.triangles.size()];
                Vector3 p = c.mesh.vertices[t.i0].position;
                if (i % 8 == 1) p = (p + c.mesh.vertices[t.i1].position) * 0.5f;
                dir = Vector3::Transform(p, toWorld) - origin;
                break;
            }
            case 2: {
                // Axis-aligned directions (zero components).
                const int axis = int(rng() % 3);
                float v[3] = {0, 0, 0};
                v[axis] = rng() % 2 ? 1.0f : -1.0f;
                dir = Vector3(v[0], v[1], v[2]);
                break;
            }
            default:
                // From inside the model's bounds.
                origin = Vector3::Transform(c.mesh.vertices[size_t(rng()) % c.mesh.vertices.size()].position, toWorld) +
                         Vector3(u(rng), u(rng), u(rng)) * 0.01f;
                dir = Vector3(u(rng), u(rng), u(rng));
                break;
            }
            if (dir.LengthSquared() == 0.0f) continue;
            dir.Normalize();
            bool hit = false;
            ASSERT_TRUE(raytest::SameRayAnswer(fast, plain, &model, c.world, origin, dir, hit)) << c.name << " ray " << i;
            if (hit) ++hits;
        }
        EXPECT_GT(hits, rays / 10) << c.name;  // the comparison covered real hits
        EXPECT_NE(model.nodes[0].mesh->GetRayAccel(), nullptr) << c.name;  // built once, kept
    }
}
