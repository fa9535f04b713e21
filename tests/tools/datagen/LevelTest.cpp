// The generated level against the level's layout: the map hit-test models
// are loaded through the game's loader and probed with the game's ray test,
// the way the player, the zombies and the generator use them, at the
// placements the game builds the level from.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "Framework/Collision/RayCaster.h"
#include "Framework/Model/VeModel.h"
#include "Game/AssetPaths.h"
#include "Game/Stage/LevelLayout.h"

namespace {

using layout::Piece;
using layout::Placement;

const std::string kDataRoot = std::string(MORVANE_BINARY_DIR) + "/";
constexpr float kPi = 3.14159265f;

float FloorOf(float y) { return y >= 0 ? 0.0f : (y >= -42 ? -42.0f : -84.0f); }
float GroundOf(const Placement& p) { return layout::kFloorGround[layout::FloorOf(p)]; }

std::string Where(const Placement& p) {
    return "(" + std::to_string(p.x) + ", " + std::to_string(p.y) + ", " + std::to_string(p.z) + ")";
}

// The layout's placements of some pieces, in build order.
std::vector<Placement> PlacementsOf(std::initializer_list<Piece> pieces) {
    std::vector<Placement> found;
    for (const Placement& p : layout::kLevel)
        if (std::find(pieces.begin(), pieces.end(), p.piece) != pieces.end()) found.push_back(p);
    return found;
}
const std::vector<Placement> kDoors = PlacementsOf({Piece::DoorSet});

// Local x and local z of a yawed placement in world space (rows of RotationY).
Vector3 LocalX(float yawDeg) {
    const float t = yawDeg * kPi / 180;
    return {std::cos(t), 0, -std::sin(t)};
}
Vector3 LocalZ(float yawDeg) {
    const float t = yawDeg * kPi / 180;
    return {std::sin(t), 0, std::cos(t)};
}

class LevelMaps : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        for (const Placement& p : PlacementsOf({Piece::Map})) {
            auto m = std::make_unique<VeModel>();
            loaded_ = m->Load(kDataRoot + p.map->rayModel) && loaded_;
            models_.push_back(std::move(m));
        }
    }
    static void TearDownTestSuite() { models_.clear(); }

    void SetUp() override { ASSERT_TRUE(loaded_) << "the map hit-test models did not load from " << kDataRoot; }

    // Nearest hit over every map piece (as if all floors were active).
    static bool Cast(const Vector3& origin, const Vector3& dir, float& distance, Vector3* normal = nullptr) {
        RayCaster caster;
        distance = RayCaster::kNoHit;
        bool hit = false;
        for (auto& m : models_) {
            float d = 0;
            Vector3 n;
            if (caster.RayTestModel(m.get(), Matrix(), origin, dir, d, n) && d < distance) {
                distance = d;
                if (normal) *normal = n;
                hit = true;
            }
        }
        return hit;
    }
    static float Down(const Vector3& origin) {
        float d;
        return Cast(origin, {0, -1, 0}, d) ? d : RayCaster::kNoHit;
    }
    static bool Blocked(const Vector3& origin, const Vector3& dir, float within) {
        float d;
        return Cast(origin, dir, d) && d < within;
    }

    static std::vector<std::unique_ptr<VeModel>> models_;
    static bool loaded_;
};
std::vector<std::unique_ptr<VeModel>> LevelMaps::models_;
bool LevelMaps::loaded_ = true;

TEST_F(LevelMaps, DoorOpeningsAreExactlyTheLeafAndTheWallIsSolidBesideThem) {
    ASSERT_EQ(kDoors.size(), 10u);
    for (const Placement& door : kDoors) {
        const Vector3 hinge{door.x, door.y, door.z};
        const Vector3 along = LocalX(door.yaw), across = LocalZ(door.yaw);
        SCOPED_TRACE("door at " + Where(door));
        auto through = [&](float s, float h, float dirSign) {
            const Vector3 p = hinge + along * s + Vector3(0, h, 0) - across * (2.0f * dirSign);
            return Blocked(p, across * dirSign, 4.0f);
        };
        for (float side : {1.0f, -1.0f}) {
            // Eye height through the middle, near both edges and just under the top.
            EXPECT_FALSE(through(3.0f, 6.0f, side)) << "the opening is blocked";
            EXPECT_FALSE(through(0.2f, 6.0f, side)) << "the opening is blocked";
            EXPECT_FALSE(through(5.8f, 6.0f, side)) << "the opening is blocked";
            EXPECT_FALSE(through(3.0f, 9.7f, side)) << "the opening is blocked";
            // Wall beside the opening and the lintel above it.
            EXPECT_TRUE(through(-0.2f, 6.0f, side)) << "no wall beside the leaf";
            EXPECT_TRUE(through(6.2f, 6.0f, side)) << "no wall beside the leaf";
            EXPECT_TRUE(through(-1.5f, 6.0f, side)) << "no wall beside the leaf";
            EXPECT_TRUE(through(7.5f, 6.0f, side)) << "no wall beside the leaf";
            EXPECT_TRUE(through(3.0f, 10.3f, side)) << "no lintel over the leaf";
            // Zombie wall-ray height beside the opening.
            EXPECT_TRUE(through(-1.5f, 1.0f, side)) << "no wall beside the leaf";
        }
    }
}

TEST_F(LevelMaps, OpenPassagesJoinTheRoomsWhereTheFloorPlanSays) {
    // Storage to meeting room: doorway z 44..50 in the wall x = -20, solid beside it.
    EXPECT_FALSE(Blocked({-17, 6, 47}, {-1, 0, 0}, 6));
    EXPECT_FALSE(Blocked({-17, 6, 44.3f}, {-1, 0, 0}, 6));
    EXPECT_TRUE(Blocked({-17, 6, 42}, {-1, 0, 0}, 6));
    EXPECT_TRUE(Blocked({-17, 6, 52}, {-1, 0, 0}, 6));
    EXPECT_TRUE(Blocked({-17, 11, 47}, {-1, 0, 0}, 6));
    // East corridor meets the north corridor with no wall between them.
    float d;
    ASSERT_TRUE(Cast({28, 6, 106}, {-1, 0, 0}, d));
    EXPECT_GT(d, 55.0f);
    // The storage room's north wall is solid all along.
    for (float x = -18; x <= 18; x += 3) EXPECT_TRUE(Blocked({x, 6, 98}, {0, 0, 1}, 3)) << x;
}

TEST_F(LevelMaps, EveryPlacementStandsOnTheGroundOfItsFloorUnderACeiling) {
    // The player's start (eye height) first, then every placed thing.
    EXPECT_NEAR(Down({20, 6, 0}), 6.0f, 1e-3f) << "the player's start";
    for (const Placement& p : layout::kLevel) {
        if (p.piece == Piece::Map) continue;
        SCOPED_TRACE("placement at " + Where(p));
        const float ground = GroundOf(p);
        EXPECT_EQ(FloorOf(p.y), ground) << "its height belongs to another floor";
        EXPECT_NEAR(Down({p.x, ground + 6, p.z}), 6.0f, 1e-3f) << "no ground of its floor under it";
        float up;
        EXPECT_TRUE(Cast({p.x, ground + 6, p.z}, {0, 1, 0}, up)) << "outside the level: no ceiling above it";
        // Zombies are placed above the floor and fall onto it: nothing
        // between them and the ground.
        if (p.piece == Piece::Zombie) EXPECT_NEAR(Down({p.x, p.y, p.z}), p.y - ground, 1e-3f);
    }
}

// Zombies (push radius 2), ammunition boxes (those on the shelves too) and
// key cards (1 each) stand in open floor at knee and head height: no wall
// within their reach all round, or, like the two zombies on the meeting
// room's south wall, their back against a wall whose face passes through
// their centre with the half in front of them clear.
TEST_F(LevelMaps, ZombiesBoxesAndCardsStandClearOfWalls) {
    struct Thing {
        Vector3 at;
        float ground, reach;
        std::string what;
    };
    auto dirAt = [](int k) {
        const float b = k * 45.0f * kPi / 180;
        return Vector3(std::cos(b), 0, std::sin(b));
    };
    auto clearAllRound = [&](const Vector3& c, float reach) {
        for (int k = 0; k < 8; ++k)
            if (Blocked(c, dirAt(k), reach)) return false;
        return true;
    };
    // Against the wall behind -front: the face lies on the centre (a ray
    // from half a unit in front meets it half a unit away) and every ray
    // into the front half, from just off the face, is clear.
    auto againstAWall = [&](const Vector3& c, float reach) {
        for (int f = 0; f < 8; f += 2) {
            const Vector3 front = dirAt(f);
            float d;
            if (!Cast(c + front * 0.5f, front * -1.0f, d) || std::fabs(d - 0.5f) > 0.01f) continue;
            bool clear = true;
            for (int k = f - 2; k <= f + 2; ++k) clear = clear && !Blocked(c + front * 0.01f, dirAt((k + 8) % 8), reach);
            if (clear) return true;
        }
        return false;
    };
    std::vector<Thing> things;
    for (const Placement& p : layout::kLevel) {
        // Map pieces have no ground of their own (the stairwells' floor
        // number stands for every floor).
        if (p.piece == Piece::Map) continue;
        const Vector3 at{p.x, p.y, p.z};
        const float ground = GroundOf(p);
        if (p.piece == Piece::Zombie) things.push_back({at, ground, 2.0f, "zombie at " + Where(p)});
        if (p.piece == Piece::AmmoBox) things.push_back({at, ground, 1.0f, "ammunition box at " + Where(p)});
        if (p.piece == Piece::KeyCard) things.push_back({at, ground, 1.0f, "key card at " + Where(p)});
        if (p.piece == Piece::BulletShelf) {
            const Matrix shelf = Matrix::CreateRotationY(p.yaw * kPi / 180) * Matrix::CreateTranslation(at);
            for (const layout::Point& box : layout::kShelfBoxes)
                things.push_back({Vector3::Transform(Vector3(box.x, box.y, box.z), shelf), ground, 1.0f,
                                  "box on the shelf at " + Where(p)});
        }
    }
    ASSERT_EQ(things.size(), 27u + 19u + 3u);
    int againstWalls = 0;
    for (const Thing& t : things)
        for (float h : {1.0f, 5.0f}) {
            const Vector3 c{t.at.x, t.ground + h, t.at.z};
            if (clearAllRound(c, t.reach)) continue;
            EXPECT_TRUE(againstAWall(c, t.reach)) << t.what << ": a wall within " << t.reach << " at height " << h;
            ++againstWalls;
        }
    EXPECT_EQ(againstWalls, 2 * 2) << "two zombies stand against a wall, at both heights";
}

// Each piece of furniture's hit-test box (its model's bounds, turned and
// moved as the layout places it) crosses no wall: rays along its four
// sides and both diagonals, low and high, meet nothing of the map.
TEST_F(LevelMaps, FurnitureStandsClearOfWalls) {
    struct Shape {
        Piece piece;
        const char* rayModel;
        float scale;
    };
    const Shape shapes[] = {
        {Piece::Desk3, asset::model::kDesk3Ray, 1},       {Piece::Desk4, asset::model::kDesk4, 1},
        {Piece::Desk5, asset::model::kDesk5Ray, 1},       {Piece::Shelf2, asset::model::kShelf2Ray, 1},
        {Piece::BulletShelf, asset::model::kBulletShelfRay, 1}, {Piece::Chair, asset::model::kChairRay, 1},
        {Piece::Pc, asset::model::kPcRay, layout::kPcScale},    {Piece::Monitor, asset::model::kMonitorRay, 1},
        {Piece::Plant, asset::model::kPlantPotRay, 1},
    };
    int pieces = 0;
    for (const Shape& shape : shapes) {
        VeModel model;
        ASSERT_TRUE(model.Load(kDataRoot + shape.rayModel)) << shape.rayModel;
        Vector3 lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
        for (const VeModelNode& node : model.nodes) {
            if (!node.mesh) continue;
            for (const Vector3& v : node.mesh->GetPositions()) {
                const Vector3 w = Vector3::Transform(v, node.matrix) * shape.scale;
                lo = Vector3(std::fmin(lo.x, w.x), std::fmin(lo.y, w.y), std::fmin(lo.z, w.z));
                hi = Vector3(std::fmax(hi.x, w.x), std::fmax(hi.y, w.y), std::fmax(hi.z, w.z));
            }
        }
        ASSERT_LT(lo.x, hi.x) << shape.rayModel << " has no triangles";
        for (const Placement& p : PlacementsOf({shape.piece})) {
            SCOPED_TRACE(std::string(shape.rayModel) + " placed at " + Where(p) + " yaw " + std::to_string(p.yaw));
            ++pieces;
            const Matrix world = Matrix::CreateRotationY(p.yaw * kPi / 180) * Matrix::CreateTranslation(p.x, p.y, p.z);
            const Vector3 corners[4] = {{lo.x, 0, lo.z}, {hi.x, 0, lo.z}, {hi.x, 0, hi.z}, {lo.x, 0, hi.z}};
            const float low = std::fmin(lo.y + 0.3f, (lo.y + hi.y) * 0.5f), high = std::fmax(hi.y - 0.3f, low);
            for (float h : {low, high}) {
                Vector3 c[4];
                for (int i = 0; i < 4; ++i) c[i] = Vector3::Transform(corners[i] + Vector3(0, h, 0), world);
                const std::pair<int, int> lines[] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {0, 2}, {1, 3}};
                for (const auto& [a, b] : lines)
                    for (const auto& [from, to] : {std::make_pair(c[a], c[b]), std::make_pair(c[b], c[a])}) {
                        const Vector3 d = to - from;
                        EXPECT_FALSE(Blocked(from, d / d.Length(), d.Length()))
                            << "a wall crosses it at height " << h << " between corners " << a << " and " << b;
                    }
            }
        }
    }
    EXPECT_EQ(pieces, 6 + 15 + 6 + 2 + 1 + 6);  // desks, chairs, shelves, monitors, pc, plant tanks
}

TEST_F(LevelMaps, EveryRoomHasASolidFloorAndCeilingAllOver) {
    struct Room {
        const char* name;
        float x0, x1, z0, z1, floorY, ceilY;
    };
    // Rooms of the floor plan (inset from the walls by half a unit or more).
    const Room rooms[] = {
        {"south hall", -39.5f, 31.5f, -24.5f, 19.5f, 0, 16},     {"storage", -18.5f, 19.5f, 20.5f, 99.5f, 0, 16},
        {"meeting room", -59.5f, -20.5f, 40.5f, 99.5f, 0, 16},   {"east corridor", 20.5f, 29.5f, 20.5f, 59.5f, 0, 16},
        {"east corridor, north part", 20.5f, 29.5f, 60.5f, 111.9f, 0, 16},
        {"north corridor", -29.5f, 29.5f, 100.5f, 111.5f, 0, 16}, {"corridor B1", 40.5f, 49.5f, 40.5f, 111.9f, -42, -26},
        {"office", -9.5f, 39.5f, 60.5f, 109.5f, -42, -26},       {"ammunition room", 50.5f, 96.5f, 55.5f, 111.5f, -42, -26},
        {"plant lab", 20.5f, 69.5f, -29.5f, 39.5f, -42, -26},    {"south landing", 40.5f, 49.5f, -49.9f, -30.5f, -42, -26},
        {"lower corridor", 60.5f, 69.5f, -49.9f, -20.5f, -84, -68}, {"generator hall", 20.5f, 109.5f, -19.5f, 64.5f, -84, -48},
    };
    for (const Room& r : rooms) {
        for (float x = r.x0; x <= r.x1 + 1e-3f; x += (r.x1 - r.x0) / std::ceil(r.x1 - r.x0))
            for (float z = r.z0; z <= r.z1 + 1e-3f; z += (r.z1 - r.z0) / std::ceil(r.z1 - r.z0)) {
                ASSERT_NEAR(Down({x, r.floorY + 6, z}), 6.0f, 1e-3f) << r.name << " at x " << x << " z " << z;
                float up;
                ASSERT_TRUE(Cast({x, r.floorY + 6, z}, {0, 1, 0}, up)) << r.name << " at x " << x << " z " << z;
                ASSERT_NEAR(up, r.ceilY - r.floorY - 6, 0.5f) << r.name << " at x " << x << " z " << z;
            }
    }
}

TEST_F(LevelMaps, StairFlightsAreContinuousRampsInsideClosedWells) {
    struct Flight {
        float x0, zFrom, yFrom, zTo, yTo;
    };
    const Flight flights[] = {
        {20, 112, 0, 140, -21}, {40, 140, -21, 112, -42}, {40, -50, -42, -78, -63}, {60, -78, -63, -50, -84}};
    for (const Flight& f : flights) {
        SCOPED_TRACE(::testing::Message() << "flight x " << f.x0 << " from z " << f.zFrom);
        for (float t = 0; t <= 1.0001f; t += 1.0f / 112) {
            const float z = f.zFrom + (f.zTo - f.zFrom) * t, y = f.yFrom + (f.yTo - f.yFrom) * t;
            for (float x : {f.x0 + 1, f.x0 + 5, f.x0 + 9}) {
                const float d = Down({x, y + 6, z});
                ASSERT_LT(std::fabs(d - 6.0f), 1.0f) << "x " << x << " z " << z;
            }
            // Walls on both sides at eye height (the landing end opens
            // sideways onto the landing), and headroom.
            if (t < 0.999f) {
                EXPECT_TRUE(Blocked({f.x0 + 5, y + 6, z}, {1, 0, 0}, 6)) << "z " << z;
                EXPECT_TRUE(Blocked({f.x0 + 5, y + 6, z}, {-1, 0, 0}, 6)) << "z " << z;
            }
            float up;
            ASSERT_TRUE(Cast({f.x0 + 5, y + 6, z}, {0, 1, 0}, up));
            EXPECT_GT(up, 3.0f);
        }
    }
    // Landings: flat, walled at the far end.
    EXPECT_NEAR(Down({35, -15, 145}), 6.0f, 1e-3f);
    EXPECT_NEAR(Down({55, -57, -83}), 6.0f, 1e-3f);
    EXPECT_TRUE(Blocked({35, -15, 145}, {0, 0, 1}, 6));
    EXPECT_TRUE(Blocked({55, -57, -83}, {0, 0, -1}, 6));
}

// The player's movement over the map pieces alone: a step of 0.2 along the
// route, pushed back by the wall ray at eye height and put 6 above whatever
// the ground ray finds.
TEST_F(LevelMaps, TheWinningRouteCanBeWalkedFromTheStartToTheGenerator) {
    const Vector3 route[] = {
        {20, 0, 0}, {25, 0, 15}, {25, 0, 30}, {25, 0, 104}, {25, 0, 145}, {45, 0, 145}, {45, 0, 100},
        {45, 0, 60}, {45, 0, 30}, {45, 0, -25}, {45, 0, -45}, {45, 0, -83}, {65, 0, -83}, {65, 0, -40},
        {65, 0, -10}, {65, 0, 5},
    };
    Vector3 eye{20, 6, 0};
    for (size_t i = 1; i < sizeof(route) / sizeof(route[0]); ++i) {
        const Vector3 target = route[i];
        for (int step = 0; step < 2000; ++step) {
            Vector3 to{target.x - eye.x, 0, target.z - eye.z};
            const float left = to.Length();
            if (left < 0.1f) break;
            const Vector3 dir = to / left;
            eye = eye + dir * std::fmin(0.2f, left);
            float d;
            Vector3 n;
            if (Cast(eye, dir, d, &n)) {
                n.Normalize();
                const float c = (dir * -1.0f).Dot(n);
                const float limit = 2.0f * 0.5f / c;
                if (limit > d) eye = eye + n * ((limit - d) * c);
            }
            ASSERT_TRUE(Cast(eye, {0, -1, 0}, d))
                << "no ground under (" << eye.x << ", " << eye.y << ", " << eye.z << ")";
            eye.y = eye.y + 6.0f - d;
        }
        ASSERT_LT(std::hypot(eye.x - target.x, eye.z - target.z), 0.5f)
            << "stuck on the way to waypoint " << i << " at (" << eye.x << ", " << eye.y << ", " << eye.z << ")";
    }
    EXPECT_NEAR(eye.y, -78.0f, 1e-3f);
}

TEST_F(LevelMaps, GeneratorHallLeavesRoomForZombiesFallingFromEveryHole) {
    const layout::Point g = layout::kGenerator;
    for (int i = 0; i < 8; ++i) {
        const float a = i * 45.0f * kPi / 180;
        const Vector3 spawn{g.x - 36 * std::sin(a), g.y + 23, g.z - 36 * std::cos(a)};
        SCOPED_TRACE(::testing::Message() << "hole " << i);
        EXPECT_NEAR(Down(spawn), 23.0f, 1e-3f);
        for (float h : {1.0f, 6.0f, 12.0f, 18.0f, 23.0f})
            for (int k = 0; k < 8; ++k) {
                const float b = k * 45.0f * kPi / 180;
                EXPECT_FALSE(Blocked({spawn.x, g.y + h, spawn.z}, {std::cos(b), 0, std::sin(b)}, 3.0f))
                    << "height " << h << " direction " << k;
            }
    }
    // The generator's own ring (pipes out to radius 36) is clear of walls.
    for (int k = 0; k < 16; ++k) {
        const float b = k * 22.5f * kPi / 180;
        EXPECT_FALSE(Blocked({g.x, g.y + 6, g.z}, {std::cos(b), 0, std::sin(b)}, 39.0f)) << k;
    }
}

TEST_F(LevelMaps, DoorLeavesSwingOpenWithoutMeetingAWall) {
    // The leaf (local x 0..6, 0.5 thick) turns about its hinge towards local
    // +z by up to about 101 degrees; nothing of the map may stand in its way.
    for (const Placement& door : kDoors) {
        SCOPED_TRACE("door at " + Where(door));
        const Vector3 hinge{door.x, door.y, door.z};
        const Vector3 ax = LocalX(door.yaw), az = LocalZ(door.yaw);
        for (float deg = 15; deg <= 102; deg += 3) {
            const float t = deg * kPi / 180;
            const Vector3 leaf = ax * std::cos(t) + az * std::sin(t);
            const Vector3 normal = az * std::cos(t) - ax * std::sin(t);
            for (float h : {0.5f, 5.0f, 9.5f})
                for (float off : {-0.25f, 0.25f}) {
                    const Vector3 start = hinge + Vector3(0, h, 0) + normal * off + leaf * 0.4f;
                    EXPECT_FALSE(Blocked(start, leaf, 5.7f)) << deg << " degrees, height " << h;
                }
        }
    }
}

TEST_F(LevelMaps, DrawnModelsLoadAndReferenceTexturesBesideThem) {
    for (const Placement& piece : PlacementsOf({Piece::Map})) {
        const std::string path = kDataRoot + piece.map->model;
        SCOPED_TRACE(path);
        VeModel model;
        ASSERT_TRUE(model.Load(path));
        ASSERT_FALSE(model.nodes.empty());
        ASSERT_TRUE(model.nodes[0].mesh);
        EXPECT_GT(model.nodes[0].mesh->GetTriangles().size(), 1000u);
        std::ifstream in(path);
        const nlohmann::json gltf = nlohmann::json::parse(in);
        ASSERT_TRUE(gltf.contains("images"));
        const std::string dir = path.substr(0, path.find_last_of('/') + 1);
        for (const auto& image : gltf["images"]) {
            const std::string uri = image.value("uri", "");
            EXPECT_TRUE(std::ifstream(dir + uri).good()) << "references missing " << uri;
        }
    }
}

}  // namespace
