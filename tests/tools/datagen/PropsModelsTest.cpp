// The prop and character models, generated into a scratch folder and read
// back through the game's loader: every file loads with geometry and its
// textures, faces are wound the way their normals point, hit-test models are
// closed, and each model has the origin, size and key points the game's
// code places it by.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>

#include "DataGen.h"
#include "Game/AssetPaths.h"
#include "Framework/Model/VeModel.h"
#include "tests/tools/datagen/DatagenTestUtil.h"

namespace {

const char* const kModels[] = {
    "zombie_All/zombie_Arm_Left/zombie_Arm_Left.gltf", "zombie_All/zombie_Arm_Right/zombie_Arm_Right.gltf",
    "zombie_All/zombie_Body/zombie_Body.gltf", "zombie_All/zombie_Head/zombie_Head.gltf",
    "zombie_All/zombie_Leg_Left/zombie_Leg_Left.gltf", "zombie_All/zombie_Leg_Right/zombie_Leg_Right.gltf",
    "zombie_All/zombie_weak/zombie_weak.gltf", "zombie_S_All/zombie_S_B/zombie_S_B.gltf",
    "zombie_S_All/zombie_S_H/zombie_S_H.gltf", "zombie_S_All/zombie_S_LA/zombie_S_LA.gltf",
    "zombie_S_All/zombie_S_LL/zombie_S_LL.gltf", "zombie_S_All/zombie_S_RA/zombie_S_RA.gltf",
    "zombie_S_All/zombie_S_RL/zombie_S_RL.gltf", "zombie_rayModel/zombie_Arm_Left/zombie_ArmL_Ray.gltf",
    "zombie_rayModel/zombie_Arm_Right/zombie_ArmR_Ray.gltf", "zombie_rayModel/zombie_Body/zombie_Body_Ray.gltf",
    "zombie_rayModel/zombie_Head/zombie_Head_Ray.gltf", "zombie_rayModel/zombie_Leg_Left/zombie_LegL_Ray.gltf",
    "zombie_rayModel/zombie_Leg_Right/zombie_LegR_Ray.gltf", "player/player_Arm_Left/player_Arm_Left.gltf",
    "gun/gun.gltf", "door3/door.gltf", "door3/handle.gltf", "door3/KeyReader.gltf", "door3/KeyReaderRay.gltf",
    "key/Key_Y.gltf", "key/Key_B.gltf", "key/Key_O.gltf", "key/Key_Ray.gltf", "bulletBox/bulletBox.gltf",
    "bulletBox/bulletBoxRay.gltf", "desk3/desk3.gltf", "desk3/desk3Ray.gltf", "desk4/desk4.gltf",
    "desk5/desk5.gltf", "desk5/desk5Ray.gltf", "shelf2/shelf2.gltf", "shelf2/shelf2Ray.gltf",
    "bulletshelf/bulletShelf.gltf", "bulletshelf/bulletShelfRay.gltf", "chair/chair.gltf", "chair/chairRay.gltf",
    "pc/pc.gltf", "pc/pcRay.gltf", "monitor/monitor.gltf", "monitor/monitorRay.gltf", "plant_new/plant.gltf",
    "plant_new/plantRay.gltf", "plant_new/plantGlass.gltf", "plant_new/plantZombie.gltf", "portal/portal.gltf",
    "portal/sphere.gltf", "portal/light.gltf", "portal/pipe45.gltf", "portal/portal_hole.gltf",
    "MAP/title/title.gltf", "MAP/title/titleS.gltf", "MAP/title/player.gltf", "MAP/result/result.gltf",
    "zombie_All/zombie_Head/zombie_Head_far.gltf", "zombie_All/zombie_Arm_Left/zombie_Arm_Left_far.gltf",
    "zombie_All/zombie_weak/zombie_weak_far.gltf", "zombie_S_All/zombie_S_LL/zombie_S_LL_far.gltf",
};

struct Bounds {
    Vector3 mn{1e30f, 1e30f, 1e30f}, mx{-1e30f, -1e30f, -1e30f};
    void Add(const Vector3& p) {
        mn = {std::min(mn.x, p.x), std::min(mn.y, p.y), std::min(mn.z, p.z)};
        mx = {std::max(mx.x, p.x), std::max(mx.y, p.y), std::max(mx.z, p.z)};
    }
};

class PropModels : public testing::Test {
protected:
    // The build's own Data tree (regenerated whenever the generator changes)
    // when it is there; otherwise the props are written into a scratch folder.
    static void SetUpTestSuite() {
        const std::string built = std::string(MORVANE_BINARY_DIR) + "/Data";
        if (std::filesystem::exists(built + "/gun/gun.gltf")) {
            root_ = built;
            ok_ = true;
            return;
        }
        dir_ = new datagentest::ScratchDir("props");
        root_ = dir_->path.string();
        testing::internal::CaptureStdout();
        ok_ = datagen::WriteProps(root_);
        testing::internal::GetCapturedStdout();
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    static std::string Path(const std::string& rel) { return root_ + "/" + rel; }

    static std::shared_ptr<VeGLTFModel> Load(const std::string& rel) {
        testing::internal::CaptureStdout();
        auto m = VeLoadGLTFModel(Path(rel));
        testing::internal::GetCapturedStdout();
        return m;
    }
    static Bounds BoundsOf(const std::string& rel) {
        Bounds b;
        auto m = Load(rel);
        EXPECT_TRUE(m) << rel;
        if (m)
            for (const auto& n : m->allNodes)
                for (const auto& v : n->vertices) b.Add(v.position);
        return b;
    }
    // Whether some vertex lies within tolerance of p.
    static bool HasPointNear(const std::string& rel, const Vector3& p, float tolerance) {
        auto m = Load(rel);
        if (!m) return false;
        for (const auto& n : m->allNodes)
            for (const auto& v : n->vertices)
                if ((v.position - p).Length() <= tolerance) return true;
        return false;
    }

    static datagentest::ScratchDir* dir_;
    static std::string root_;
    static bool ok_;
};

datagentest::ScratchDir* PropModels::dir_ = nullptr;
std::string PropModels::root_;
bool PropModels::ok_ = false;

#define EXPECT_BETWEEN(v, lo, hi) \
    do {                          \
        EXPECT_GE(v, lo);         \
        EXPECT_LE(v, hi);         \
    } while (0)

}  // namespace

TEST_F(PropModels, EveryModelLoadsWithGeometryAndTextures) {
    ASSERT_TRUE(ok_);
    for (const char* rel : kModels) {
        SCOPED_TRACE(rel);
        VeModel model;
        testing::internal::CaptureStdout();
        const bool loaded = model.Load(Path(rel));
        testing::internal::GetCapturedStdout();
        ASSERT_TRUE(loaded);
        ASSERT_FALSE(model.nodes.empty());
        size_t triangles = 0;
        for (const auto& n : model.nodes)
            if (n.mesh) triangles += n.mesh->GetTriangles().size();
        EXPECT_GT(triangles, 0u);

        auto gltf = Load(rel);
        ASSERT_TRUE(gltf);
        const std::string folder = Path(rel).substr(0, Path(rel).find_last_of('/') + 1);
        for (const auto& mat : gltf->materials) {
            if (!mat.baseColorTexture.empty())
                EXPECT_TRUE(std::filesystem::exists(folder + mat.baseColorTexture)) << mat.baseColorTexture;
            if (!mat.emissiveTexture.empty())
                EXPECT_TRUE(std::filesystem::exists(folder + mat.emissiveTexture)) << mat.emissiveTexture;
            EXPECT_LT(mat.metallicFactor, 1.0f) << mat.name;  // never the all-metal default
        }
    }
}

TEST_F(PropModels, FacesAreWoundTheWayTheirNormalsPoint) {
    for (const char* rel : kModels) {
        auto m = Load(rel);
        ASSERT_TRUE(m) << rel;
        for (const auto& n : m->allNodes) {
            const size_t bad = datagentest::CountMiswound(
                n->triangles.size(),
                [&](size_t t, int k) {
                    const VeTriangle& tri = n->triangles[t];
                    return n->vertices[k == 0 ? tri.i0 : (k == 1 ? tri.i1 : tri.i2)].position;
                },
                [&](size_t t, int k) {
                    const VeTriangle& tri = n->triangles[t];
                    return n->vertices[k == 0 ? tri.i0 : (k == 1 ? tri.i1 : tri.i2)].normal;
                });
            EXPECT_EQ(bad, 0u) << rel << " node " << n->name;
        }
    }
}

TEST_F(PropModels, HitTestModelsAreSmallClosedMeshes) {
    for (const char* rel : kModels) {
        const std::string name = rel;
        if (name.find("Ray") == std::string::npos) continue;
        SCOPED_TRACE(name);
        auto m = Load(name);
        ASSERT_TRUE(m);
        std::vector<Vector3> pos;
        std::vector<uint32_t> idx;
        for (const auto& n : m->allNodes) {
            const uint32_t base = uint32_t(pos.size());
            for (const auto& v : n->vertices) pos.push_back(v.position);
            for (const auto& t : n->triangles) idx.insert(idx.end(), {base + t.i0, base + t.i1, base + t.i2});
        }
        EXPECT_GT(idx.size(), 0u);
        EXPECT_LE(idx.size() / 3, 100u);
        EXPECT_EQ(datagentest::OpenEdges(pos, idx), 0u);
    }
}

TEST_F(PropModels, ZombiePartsSitWhereTheGamePlacesThem) {
    const Bounds head = BoundsOf("zombie_All/zombie_Head/zombie_Head.gltf");
    EXPECT_BETWEEN(head.mx.x - head.mn.x, 0.8f, 1.0f);
    EXPECT_BETWEEN((head.mx.y + head.mn.y) * 0.5f, -0.15f, 0.15f);
    const Bounds body = BoundsOf("zombie_All/zombie_Body/zombie_Body.gltf");
    EXPECT_NEAR(body.mn.y, -1.45f, 0.05f);
    EXPECT_BETWEEN(body.mx.y, 0.55f, 0.7f);
    EXPECT_BETWEEN(body.mx.x - body.mn.x, 1.5f, 1.9f);
    for (const char* arm : {"zombie_All/zombie_Arm_Right/zombie_Arm_Right.gltf",
                            "zombie_All/zombie_Arm_Left/zombie_Arm_Left.gltf"}) {
        const Bounds b = BoundsOf(arm);
        SCOPED_TRACE(arm);
        EXPECT_BETWEEN(b.mx.z, 1.9f, 2.2f);  // reaching forward
        EXPECT_LT(std::fabs(b.mn.x + b.mx.x), 0.2f) << arm;  // around the shoulder
    }
    const Bounds right = BoundsOf("zombie_All/zombie_Leg_Right/zombie_Leg_Right.gltf");
    const Bounds left = BoundsOf("zombie_All/zombie_Leg_Left/zombie_Leg_Left.gltf");
    EXPECT_NEAR(right.mn.y, -2.57f, 0.01f);
    EXPECT_NEAR(left.mn.y, -2.57f, 0.01f);
    EXPECT_NEAR((right.mn.x + right.mx.x) * 0.5f, 0.45f, 0.05f);
    EXPECT_NEAR((left.mn.x + left.mx.x) * 0.5f, -0.45f, 0.05f);
    // Standing: origin 4.0 above the ground (legs at -1.43, 2.57 long).
    EXPECT_NEAR(-1.43f + right.mn.y, -4.0f, 0.01f);

    // The strong kind: legs 3.5 long, arms and head 1.5 times larger.
    const Bounds sLeg = BoundsOf("zombie_S_All/zombie_S_RL/zombie_S_RL.gltf");
    EXPECT_NEAR(sLeg.mn.y, -3.5f, 0.02f);
    EXPECT_NEAR(-2.0f + sLeg.mn.y, -5.5f, 0.02f);
    const Bounds sHead = BoundsOf("zombie_S_All/zombie_S_H/zombie_S_H.gltf");
    EXPECT_NEAR(sHead.mx.x - sHead.mn.x, (head.mx.x - head.mn.x) * 1.5f, 0.01f);

    // The weak spot, offset (-0.15, 0, 0.15), bulges out of the chest front.
    const Bounds weak = BoundsOf("zombie_All/zombie_weak/zombie_weak.gltf");
    EXPECT_GT(weak.mx.z + 0.15f, body.mx.z);
    EXPECT_LT(weak.mn.z + 0.15f, body.mx.z);
    EXPECT_BETWEEN(weak.mx.x - weak.mn.x, 0.2f, 0.6f);
    // Hit-test parts cover the drawn ones.
    const Bounds bodyRay = BoundsOf("zombie_rayModel/zombie_Body/zombie_Body_Ray.gltf");
    EXPECT_LE(bodyRay.mn.y, body.mn.y + 0.01f);
    EXPECT_GE(bodyRay.mx.x, body.mx.x - 0.1f);
}

// The far look of each zombie part (drawn where a zombie comes out small)
// has at most 60% of the full one's triangles, the same materials with their
// textures beside it, and the same size: each face of its box within 6% of
// the part's largest dimension of the full one's.
TEST_F(PropModels, FarZombiePartsKeepTheirShapeWithFewerFacets) {
    namespace m = asset::model;
    std::vector<std::pair<const char*, const char*>> pairs;
    for (size_t i = 0; i < std::size(m::kZombieParts); ++i) pairs.emplace_back(m::kZombieParts[i], m::kZombieFarParts[i]);
    for (size_t i = 0; i < std::size(m::kStrongZombieParts); ++i)
        pairs.emplace_back(m::kStrongZombieParts[i], m::kStrongZombieFarParts[i]);
    ASSERT_EQ(std::size(m::kZombieFarParts), std::size(m::kZombieParts));
    ASSERT_EQ(std::size(m::kStrongZombieFarParts), std::size(m::kStrongZombieParts));
    for (const auto& [fullPath, farPath] : pairs) {
        const std::string fullRel = asset::InDataFolder(fullPath), farRel = asset::InDataFolder(farPath);
        SCOPED_TRACE(farRel);
        auto full = Load(fullRel);
        auto far = Load(farRel);
        ASSERT_TRUE(full);
        ASSERT_TRUE(far);
        auto triangles = [](const VeGLTFModel& model) {
            size_t count = 0;
            for (const auto& n : model.allNodes) count += n->triangles.size();
            return count;
        };
        EXPECT_GT(triangles(*far), 0u);
        EXPECT_LE(triangles(*far) * 10, triangles(*full) * 6);

        ASSERT_EQ(far->materials.size(), full->materials.size());
        const std::string folder = Path(farRel).substr(0, Path(farRel).find_last_of('/') + 1);
        for (size_t i = 0; i < far->materials.size(); ++i) {
            EXPECT_EQ(far->materials[i].baseColorTexture, full->materials[i].baseColorTexture);
            EXPECT_EQ(far->materials[i].emissiveTexture, full->materials[i].emissiveTexture);
            if (!far->materials[i].baseColorTexture.empty())
                EXPECT_TRUE(std::filesystem::exists(folder + far->materials[i].baseColorTexture));
        }

        const Bounds a = BoundsOf(fullRel), b = BoundsOf(farRel);
        const float largest = std::max({a.mx.x - a.mn.x, a.mx.y - a.mn.y, a.mx.z - a.mn.z});
        const float tolerance = 0.06f * largest;
        EXPECT_NEAR(b.mn.x, a.mn.x, tolerance);
        EXPECT_NEAR(b.mn.y, a.mn.y, tolerance);
        EXPECT_NEAR(b.mn.z, a.mn.z, tolerance);
        EXPECT_NEAR(b.mx.x, a.mx.x, tolerance);
        EXPECT_NEAR(b.mx.y, a.mx.y, tolerance);
        EXPECT_NEAR(b.mx.z, a.mx.z, tolerance);
    }
}

TEST_F(PropModels, PlayerArmGunDoorsAndCardsMatchTheirUse) {
    const Bounds arm = BoundsOf("player/player_Arm_Left/player_Arm_Left.gltf");
    EXPECT_LT(arm.mn.y, -2.2f);
    EXPECT_GT(arm.mn.y, -2.7f);
    EXPECT_TRUE(HasPointNear("player/player_Arm_Left/player_Arm_Left.gltf", {0, -2.2f, 0}, 0.35f));
    // The gun's grip reaches down round the origin, its back behind it.
    const Bounds gun = BoundsOf("gun/gun.gltf");
    EXPECT_LT(gun.mn.y, -0.5f);
    EXPECT_LT(gun.mn.z, 0.0f);

    const Bounds door = BoundsOf("door3/door.gltf");
    EXPECT_NEAR(door.mn.x, 0, 1e-5f);
    EXPECT_NEAR(door.mx.x, 6, 1e-5f);
    EXPECT_NEAR(door.mn.y, 0, 1e-5f);
    EXPECT_NEAR(door.mx.y, 10, 1e-5f);
    EXPECT_NEAR(door.mx.z - door.mn.z, 0.5f, 1e-5f);
    // The leaf maps the first quarter of its four-column texture.
    auto doorModel = Load("door3/door.gltf");
    ASSERT_TRUE(doorModel);
    for (const auto& v : doorModel->allNodes[0]->vertices) {
        EXPECT_GE(v.uv.x, 0.0f);
        EXPECT_LE(v.uv.x, 0.25f);
    }
    auto reader = Load("door3/KeyReader.gltf");
    ASSERT_TRUE(reader);
    for (const auto& v : reader->allNodes[0]->vertices) EXPECT_LE(v.uv.x, 0.5f);
    const Bounds r = BoundsOf("door3/KeyReader.gltf");
    EXPECT_NEAR(r.mx.x - r.mn.x, 0.4f, 0.01f);
    EXPECT_NEAR(r.mx.y - r.mn.y, 0.8f, 0.01f);
    EXPECT_NEAR(r.mx.z - r.mn.z, 1.3f, 0.01f);
    const Bounds handle = BoundsOf("door3/handle.gltf");
    EXPECT_GT(handle.mx.z, 0.25f);   // levers stand out of both faces of the leaf
    EXPECT_LT(handle.mn.z, -0.25f);

    for (const char* card : {"key/Key_Y.gltf", "key/Key_B.gltf", "key/Key_O.gltf"}) {
        const Bounds c = BoundsOf(card);
        EXPECT_NEAR(c.mx.x - c.mn.x, 0.6f, 1e-4f) << card;
        EXPECT_NEAR(c.mx.y - c.mn.y, 1.0f, 1e-4f) << card;
        EXPECT_NEAR(c.mx.z - c.mn.z, 0.04f, 1e-4f) << card;
    }
    const Bounds cardRay = BoundsOf("key/Key_Ray.gltf");
    EXPECT_GT(cardRay.mx.x, 0.3f);
    EXPECT_GT(cardRay.mx.z, 0.02f);
    const Bounds crate = BoundsOf("bulletBox/bulletBox.gltf");
    EXPECT_NEAR(crate.mn.y, 0.0f, 1e-5f);
    EXPECT_BETWEEN(crate.mx.x - crate.mn.x, 1.5f, 1.7f);
    EXPECT_BETWEEN(crate.mx.y, 0.9f, 1.1f);
}

TEST_F(PropModels, HandgunEndsAtTheMuzzleWithItsSightsInLine) {
    auto gun = Load("gun/gun.gltf");
    ASSERT_TRUE(gun);
    // Low in triangles; textured metal and polymer, the sight dots glowing.
    size_t triangles = 0;
    std::vector<Vector3> front, rear, face;
    for (const auto& n : gun->allNodes) {
        triangles += n->triangles.size();
        for (const VeSubset& s : n->subsets) {
            ASSERT_LT(size_t(s.materialIndex), gun->materials.size());
            if (gun->materials[s.materialIndex].emissiveFactor[1] <= 0) continue;
            for (uint32_t t = s.firstTriangle; t < s.firstTriangle + s.triangleCount; ++t)
                for (uint32_t i : {n->triangles[t].i0, n->triangles[t].i1, n->triangles[t].i2})
                    (n->vertices[i].position.z > 0.5f ? front : rear).push_back(n->vertices[i].position);
        }
        for (const auto& v : n->vertices)
            if (std::fabs(v.position.z - 1.75f) < 1e-3f) face.push_back(v.position);
    }
    EXPECT_LT(triangles, 3000u);
    std::vector<std::string> textured;
    for (const auto& m : gun->materials)
        if (!m.baseColorTexture.empty()) textured.push_back(m.name);
    EXPECT_NE(std::find(textured.begin(), textured.end(), "gun_metal"), textured.end());
    EXPECT_NE(std::find(textured.begin(), textured.end(), "gun_polymer"), textured.end());

    // The frontmost face is the barrel's crown, centred on the muzzle point
    // (0, 0.24, 1.75) where the flash and the tracer start.
    Bounds b = BoundsOf("gun/gun.gltf");
    EXPECT_NEAR(b.mx.z, 1.75f, 1e-4f);
    ASSERT_GE(face.size(), 12u);
    Vector3 centre;
    for (const Vector3& p : face) centre += p / float(face.size());
    EXPECT_NEAR(centre.x, 0.0f, 0.005f);
    EXPECT_NEAR(centre.y, 0.24f, 0.005f);

    // One dot on the front sight, two on the rear, all at one height and
    // centred on the bore: the sight line runs parallel to the barrel.
    ASSERT_FALSE(front.empty());
    ASSERT_FALSE(rear.empty());
    Bounds f, r;
    for (const Vector3& p : front) f.Add(p);
    for (const Vector3& p : rear) r.Add(p);
    EXPECT_NEAR(f.mn.x + f.mx.x, 0.0f, 0.005f);
    EXPECT_NEAR(r.mn.x + r.mx.x, 0.0f, 0.005f);
    EXPECT_LT(r.mn.x, -0.02f);  // a pair, one each side of the notch
    EXPECT_NEAR(f.mx.y, r.mx.y, 0.01f);
    EXPECT_GT(f.mn.y, 0.3f);   // above the slide, not on the barrel
    EXPECT_GT(f.mn.z - r.mx.z, 1.5f);
}

TEST_F(PropModels, FurnitureStaysInsideItsPushBoxes) {
    struct Footprint {
        const char* model;
        float x0, x1, z0, z1;
        Vector3 topCorner;  // a corner of the working surface (y 0: none)
    };
    const Footprint cases[] = {
        {"desk3/desk3.gltf", -7, 7, -20, 20, {6.8f, 3.1f, 19.8f}},
        {"desk4/desk4.gltf", -10, 10, -1, 4, {9.8f, 2.9f, 3.8f}},
        {"desk5/desk5.gltf", -10, 10, -2, 2, {10, 4.4f, 2}},
        {"shelf2/shelf2.gltf", -10, 10, -2, 2, {}},
        {"bulletshelf/bulletShelf.gltf", -10, 10, -2, 2, {}},
        {"chair/chair.gltf", -2, 2, -2, 2, {}},
    };
    for (const Footprint& f : cases) {
        SCOPED_TRACE(f.model);
        const Bounds b = BoundsOf(f.model);
        EXPECT_GE(b.mn.x, f.x0 - 1e-4f);
        EXPECT_LE(b.mx.x, f.x1 + 1e-4f);
        EXPECT_GE(b.mn.z, f.z0 - 1e-4f);
        EXPECT_LE(b.mx.z, f.z1 + 1e-4f);
        EXPECT_GE(b.mn.y, -0.5f);
        if (f.topCorner.y > 0) EXPECT_TRUE(HasPointNear(f.model, f.topCorner, 0.01f));
    }
    const Bounds shelf = BoundsOf("shelf2/shelf2.gltf");
    EXPECT_BETWEEN(shelf.mx.y, 11.0f, 13.0f);
    const Bounds ammo = BoundsOf("bulletshelf/bulletShelf.gltf");
    EXPECT_BETWEEN(ammo.mx.y, 8.0f, 9.0f);
    EXPECT_TRUE(HasPointNear("bulletshelf/bulletShelf.gltf", {9.9f, 4.0f, 1.95f}, 0.01f));  // upper board's top
    EXPECT_TRUE(HasPointNear("bulletshelf/bulletShelf.gltf", {9.9f, 0.0f, 1.95f}, 0.01f));  // lower board's top
    const Bounds chair = BoundsOf("chair/chair.gltf");
    EXPECT_TRUE(HasPointNear("chair/chair.gltf", {1.15f, 2.0f, 1.1f}, 0.01f));  // seat top corner
    for (const Vector3& corner : {Vector3(chair.mx.x, 0, chair.mx.z), Vector3(chair.mn.x, 0, chair.mn.z)})
        EXPECT_LE(std::hypot(corner.x, corner.z), 2.0f * 1.415f);
    const Bounds monitor = BoundsOf("monitor/monitor.gltf");
    EXPECT_NEAR(monitor.mn.z, 0.0f, 1e-5f);
    EXPECT_BETWEEN(monitor.mx.x - monitor.mn.x, 6.0f, 7.0f);
    EXPECT_BETWEEN(monitor.mx.y - monitor.mn.y, 3.5f, 4.2f);
    EXPECT_NEAR(monitor.mx.y + monitor.mn.y, 0.0f, 1e-4f);
}

TEST_F(PropModels, GeneratorPiecesMeetAtTheirJoints) {
    const Bounds core = BoundsOf("portal/portal.gltf");
    EXPECT_BETWEEN(core.mx.x, 7.5f, 8.5f);
    EXPECT_NEAR(core.mn.y, 0.0f, 1e-4f);
    const Bounds sphere = BoundsOf("portal/sphere.gltf");
    EXPECT_NEAR((sphere.mn.y + sphere.mx.y) * 0.5f, 12.0f, 0.01f);
    EXPECT_NEAR(sphere.mx.x, 4.0f, 0.01f);
    EXPECT_TRUE(HasPointNear("portal/light.gltf", {0, 9, -8}, 0.8f));
    const Bounds light = BoundsOf("portal/light.gltf");
    EXPECT_LT(light.mn.z, -8.0f);  // the lens faces outwards
    // The pipe runs from the core out to z -18, then up at 45 degrees to the hatch.
    const Bounds pipe = BoundsOf("portal/pipe45.gltf");
    EXPECT_NEAR(pipe.mn.z, -35.0f, 1.2f);
    EXPECT_NEAR(pipe.mx.y, 18.0f, 1.2f);
    EXPECT_TRUE(HasPointNear("portal/pipe45.gltf", {0, 18.0f, -35.0f}, 0.85f));
    EXPECT_GE(pipe.mx.z, -9.0f);
    const Bounds hole = BoundsOf("portal/portal_hole.gltf");
    EXPECT_BETWEEN(hole.mx.x, 4.0f, 5.0f);
    EXPECT_NEAR(hole.mx.y + hole.mn.y, 0.0f, 1e-3f);
    auto hatch = Load("portal/portal_hole.gltf");
    ASSERT_TRUE(hatch);
    // The closed hatch is in the upper half of its texture, which the game scrolls by -0.5.
    const VeGLTFNode& hatchNode = *hatch->allNodes[0];
    for (const VeSubset& s : hatchNode.subsets) {
        if (s.materialIndex != 0) continue;  // the plate (the rim is plain metal)
        for (uint32_t t = s.firstTriangle; t < s.firstTriangle + s.triangleCount; ++t)
            for (uint32_t i : {hatchNode.triangles[t].i0, hatchNode.triangles[t].i1, hatchNode.triangles[t].i2})
                EXPECT_LE(hatchNode.vertices[i].uv.y, 0.5f + 1e-5f);
    }

    auto glass = Load("plant_new/plantGlass.gltf");
    ASSERT_TRUE(glass);
    ASSERT_FALSE(glass->materials.empty());
    EXPECT_EQ(glass->materials[0].alphaMode, "BLEND");
    EXPECT_NEAR(glass->materials[0].baseColorFactor[3], 0.3f, 0.05f);
    const Bounds tank = BoundsOf("plant_new/plantGlass.gltf");
    EXPECT_BETWEEN(tank.mx.y - tank.mn.y, 13.0f, 17.0f);
    const Bounds specimen = BoundsOf("plant_new/plantZombie.gltf");
    EXPECT_GE(specimen.mn.y, 3.5f);
    EXPECT_LE(specimen.mx.y, 12.5f);
    EXPECT_LT(specimen.mx.x, tank.mx.x);
    const Bounds figure = BoundsOf("MAP/title/player.gltf");
    EXPECT_NEAR(figure.mn.y, 0.0f, 1e-4f);
    EXPECT_BETWEEN(figure.mx.y, 6.2f, 6.8f);
}
