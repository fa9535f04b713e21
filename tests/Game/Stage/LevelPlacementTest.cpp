// The built level against its layout, object by object: in a real game world
// each placed kind's objects stand, in build order, where the layout puts
// them, turned by its yaw, on its floor, with its model and key colour; the
// zombies likewise in the enemy list.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Framework/Platform/Input.h"
#include "Framework/ResourceCache.h"
#include "Game/AssetPaths.h"
#include "Game/Enemy/EnemyList.h"
#include "Game/Enemy/Enemy_Normal.h"
#include "Game/GameWorld.h"
#include "Game/Object/Object.h"
#include "Game/Stage/Door.h"
#include "Game/Stage/Key.h"
#include "Game/Stage/LevelLayout.h"
#include "Game/Stage/PlantZombie.h"
#include "Game/Stage/Stage.h"

namespace {

using layout::Piece;
using layout::Placement;
namespace model = asset::model;

constexpr float kPi = 3.14159265f;

// Where one placement should have put one object.
struct Spot {
    Vector3 position;
    float yaw;  // degrees
    int floor;
    int key;            // doors: the card they need; cards: their colour
    const char* model;  // the drawn model
    bool flat;          // a card lying flat rather than standing upright
    std::string what;   // for messages
};

std::string Describe(const char* name, const Placement& p) {
    return std::string(name) + " placed at (" + std::to_string(p.x) + ", " + std::to_string(p.y) + ", " +
           std::to_string(p.z) + ") yaw " + std::to_string(p.yaw);
}

Spot At(const Placement& p, const char* name, const char* drawn) {
    return {Vector3(p.x, p.y, p.z), p.yaw, layout::FloorOf(p), p.key, drawn, false, Describe(name, p)};
}

// The objects each placement should leave, by the kind the stage tags them
// with (door handles, card readers, the tanks' zombies and glass and the
// generator's parts are left to their own tests). Zombies go under
// kKindEnemy.
std::map<ObjectKind, std::vector<Spot>> Expected() {
    std::map<ObjectKind, std::vector<Spot>> spots;
    for (const Placement& p : layout::kLevel) {
        switch (p.piece) {
            case Piece::Map:
                spots[kKindStage].push_back({Vector3(), 0, p.map->floor, layout::kNoKey, p.map->model, false,
                                             std::string("map piece ") + p.map->model});
                break;
            case Piece::DoorSet: spots[kKindDoor].push_back(At(p, "door", model::kDoor)); break;
            case Piece::KeyCard: {
                Spot card = At(p, "key card", model::kKeyCards[p.key]);
                card.flat = true;
                spots[kKindKey].push_back(card);
                break;
            }
            case Piece::Desk3: spots[kKindDesk].push_back(At(p, "desk3", model::kDesk3)); break;
            case Piece::Desk4: spots[kKindDesk].push_back(At(p, "desk4", model::kDesk4)); break;
            case Piece::Desk5: spots[kKindDesk].push_back(At(p, "desk5", model::kDesk5)); break;
            case Piece::Shelf2: spots[kKindShelf].push_back(At(p, "shelf2", model::kShelf2)); break;
            case Piece::BulletShelf: {
                spots[kKindShelf].push_back(At(p, "bullet shelf", model::kBulletShelf));
                // Its boxes: the shelf-local point turned with the shelf.
                const Matrix shelf = Matrix::CreateRotationY(p.yaw * kPi / 180) * Matrix::CreateTranslation(p.x, p.y, p.z);
                for (const layout::Point& local : layout::kShelfBoxes) {
                    Spot box = At(p, "box on the bullet shelf", model::kBulletBox);
                    box.position = Vector3::Transform(Vector3(local.x, local.y, local.z), shelf);
                    spots[kKindBulletBox].push_back(box);
                }
                break;
            }
            case Piece::Chair: spots[kKindChair].push_back(At(p, "chair", model::kChair)); break;
            case Piece::Pc: spots[kKindPc].push_back(At(p, "pc", model::kPc)); break;
            case Piece::Monitor: spots[kKindMonitor].push_back(At(p, "monitor", model::kMonitor)); break;
            case Piece::Plant: spots[kKindPlant].push_back(At(p, "plant tank", model::kPlantPot)); break;
            case Piece::AmmoBox: spots[kKindBulletBox].push_back(At(p, "ammunition box", model::kBulletBox)); break;
            case Piece::Zombie: spots[kKindEnemy].push_back(At(p, "zombie", model::kZombieParts[0])); break;
            case Piece::Generator: spots[kKindPortal].push_back(At(p, "generator", model::kPortal)); break;
        }
    }
    return spots;
}

// The yaw of a matrix turned about y (any uniform scale): its first row is
// (cos, 0, -sin) times the scale.
float YawOf(const Matrix& m) { return std::atan2(-m._13, m._11) * 180 / kPi; }

bool SameAngle(float a, float b) { return std::fabs(std::remainder(a - b, 360.0f)) < 1e-3f; }

void ExpectAt(const Object& o, const Spot& spot, const std::string& which) {
    SCOPED_TRACE(which + ", " + spot.what);
    const Matrix& m = o.GetMatrixRef();
    const Vector3 at = o.GetPosition();
    EXPECT_LT(Vector3::Distance(at, spot.position), 1e-4f)
        << "stands at (" << at.x << ", " << at.y << ", " << at.z << ")";
    EXPECT_TRUE(SameAngle(YawOf(m), spot.yaw)) << "turned to yaw " << YawOf(m);
    EXPECT_EQ(o.GetFloor(), spot.floor);
    // Turned about y alone: the first row stays level; an upright piece's y
    // axis stays up, a card's lies down.
    const Vector3 up(m._21, m._22, m._23);
    EXPECT_NEAR(m._12, 0.0f, 1e-5f) << "tipped over";
    if (spot.flat)
        EXPECT_NEAR(m._22, 0.0f, 1e-5f) << "the card does not lie flat";
    else
        EXPECT_NEAR(m._22, up.Length(), 1e-5f) << "not upright";
    ASSERT_FALSE(o.GetParts().empty());
    EXPECT_EQ(o.GetParts()[0]->model, ResourceCache::GetInstance().GetModel(spot.model))
        << "is not drawn with " << spot.model;
}

class LevelPlacementTest : public ::testing::Test {
protected:
    void SetUp() override {
        Platform::Input::GetInstance().Reset();
        world_ = std::make_unique<GameWorld>();
    }
    void TearDown() override {
        world_.reset();
        Platform::Input::GetInstance().Reset();
    }

    // The stage's objects of one kind in list order, without the parts of a
    // set that are not placed themselves (door handles, the tanks' zombies).
    std::vector<const Object*> Placed(ObjectKind kind) const {
        std::vector<const Object*> found;
        for (const Object* o : world_->GetStage()->GetObjects()) {
            if (o->GetKind() != kind) continue;
            if (kind == kKindDoor && !dynamic_cast<const Door*>(o)) continue;
            if (kind == kKindPlant && dynamic_cast<const PlantZombie*>(o)) continue;
            found.push_back(o);
        }
        return found;
    }

    std::unique_ptr<GameWorld> world_;
};

TEST_F(LevelPlacementTest, EveryPlacedObjectStandsWhereTheLayoutPutsItInBuildOrder) {
    const auto expected = Expected();
    for (const auto& [kind, spots] : expected) {
        if (kind == kKindEnemy) continue;
        const std::vector<const Object*> placed = Placed(kind);
        ASSERT_EQ(placed.size(), spots.size()) << "objects of kind " << kind;
        for (size_t i = 0; i < spots.size(); ++i)
            ExpectAt(*placed[i], spots[i], "kind " + std::to_string(kind) + " number " + std::to_string(i));
    }
    // Every kind the layout places was checked above: nothing else of those
    // kinds crept in, and the kinds it does not place are only the parts of
    // door sets, tanks and the generator.
    for (const Object* o : world_->GetStage()->GetObjects()) {
        const ObjectKind kind = o->GetKind();
        const bool partOfASet = kind == kKindKeyReader || kind == kKindPlantGlass || kind == kKindPortalHole ||
                                kind == kKindPortalPart || kind == kKindDoor || kind == kKindPlant;
        EXPECT_TRUE(expected.count(kind) || partOfASet) << "unplaced object of kind " << kind;
    }
}

TEST_F(LevelPlacementTest, DoorsNeedTheirCardsAndCardsHaveTheirColours) {
    const auto expected = Expected();
    const std::vector<const Object*> doors = Placed(kKindDoor);
    const std::vector<Spot>& doorSpots = expected.at(kKindDoor);
    ASSERT_EQ(doors.size(), doorSpots.size());
    for (size_t i = 0; i < doors.size(); ++i) {
        const Door* door = dynamic_cast<const Door*>(doors[i]);
        SCOPED_TRACE(doorSpots[i].what);
        EXPECT_EQ(door->GetKeyType(), doorSpots[i].key);
        // The set's handle and reader belong to it and to its floor.
        ASSERT_TRUE(door->GetHandle() && door->GetReader());
        EXPECT_EQ(door->GetHandle()->GetFloor(), doorSpots[i].floor);
        EXPECT_EQ(door->GetReader()->GetFloor(), doorSpots[i].floor);
        EXPECT_EQ(door->GetReader()->GetDoor(), door);
    }
    const std::vector<const Object*> cards = Placed(kKindKey);
    const std::vector<Spot>& cardSpots = expected.at(kKindKey);
    ASSERT_EQ(cards.size(), cardSpots.size());
    for (size_t i = 0; i < cards.size(); ++i)
        EXPECT_EQ(dynamic_cast<const Key*>(cards[i])->GetColour(), cardSpots[i].key) << cardSpots[i].what;
}

TEST_F(LevelPlacementTest, TheZombiesStandWhereTheLayoutPutsThemUnturnedAndOfTheNormalKind) {
    const auto expected = Expected();
    const std::vector<Spot>& spots = expected.at(kKindEnemy);
    EnemyList& enemies = *world_->GetEnemyList();
    ASSERT_EQ(enemies.Count(), static_cast<int>(spots.size()));
    size_t i = 0;
    for (EnemyBase* enemy : enemies.GetEnemies()) {
        const Spot& spot = spots[i];
        SCOPED_TRACE("zombie " + std::to_string(i++) + ", " + spot.what);
        const Vector3 at = enemy->GetPosition();
        EXPECT_LT(Vector3::Distance(at, spot.position), 1e-4f)
            << "stands at (" << at.x << ", " << at.y << ", " << at.z << ")";
        const Matrix& m = enemy->GetMatrixRef();
        EXPECT_NEAR(m._11, 1.0f, 1e-5f) << "turned";
        EXPECT_NEAR(m._22, 1.0f, 1e-5f) << "turned";
        EXPECT_NEAR(m._33, 1.0f, 1e-5f) << "turned";
        EXPECT_EQ(enemy->GetFloor(), spot.floor);
        const Zombie* zombie = dynamic_cast<const Zombie*>(enemy);
        ASSERT_NE(zombie, nullptr);
        EXPECT_EQ(&zombie->GetZombieKind(), &Enemy_Normal::Kind());
    }
}

}  // namespace
