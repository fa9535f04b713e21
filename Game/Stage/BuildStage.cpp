// The laboratory: every map piece and placed object of the level's layout,
// built in the layout's order (the order decides list order, and so update
// and draw order).
#include "Game/Stage/BuildStage.h"

#include "Game/Enemy/EnemyList.h"
#include "Game/GameWorld.h"
#include "Game/Object/Object.h"
#include "Game/Object/Player.h"
#include "Game/Stage/BulletBox.h"
#include "Game/Stage/Door.h"
#include "Game/Stage/Furniture.h"
#include "Game/Stage/Generator.h"
#include "Game/Stage/Key.h"
#include "Game/Stage/LevelLayout.h"
#include "Game/Stage/Stage.h"

namespace {

using layout::Piece;
using layout::Placement;

Matrix Turned(const Placement& p) { return PlaceAt(p.x, p.y, p.z, p.yaw); }
Matrix Moved(const Placement& p) { return Matrix::CreateTranslation(p.x, p.y, p.z); }

// A key card lies flat: RotationX(90) * RotationY(yaw) * Translation.
Matrix Flat(const Placement& p) { return Matrix::CreateRotationX(90.0f * Math::kDegToRad) * Turned(p); }

void Place(Stage* stage, EnemyList* enemies, const Placement& p) {
    switch (p.piece) {
        case Piece::Map: BuildMapPiece(stage, p.map->model, p.map->rayModel, p.map->floor); break;
        case Piece::DoorSet: BuildDoorSet(stage, Turned(p), p.key); break;
        case Piece::KeyCard: BuildKey(stage, Flat(p), p.key); break;
        case Piece::Desk3: BuildDesk3(stage, Turned(p)); break;
        case Piece::Desk4: BuildDesk4(stage, Turned(p)); break;
        case Piece::Desk5: BuildDesk5(stage, Turned(p)); break;
        case Piece::Shelf2: BuildShelf2(stage, Turned(p)); break;
        case Piece::BulletShelf: {
            const Matrix shelf = Turned(p);
            BuildBulletShelf(stage, shelf);
            for (const layout::Point& box : layout::kShelfBoxes)
                BuildBulletBox(stage, Matrix::CreateTranslation(box.x, box.y, box.z) * shelf);
            break;
        }
        case Piece::Chair: BuildChair(stage, Turned(p)); break;
        case Piece::Pc: BuildPc(stage, Matrix::CreateScale(layout::kPcScale) * Moved(p)); break;
        case Piece::Monitor: BuildMonitor(stage, Turned(p)); break;
        case Piece::Plant: BuildPlant(stage, Turned(p)); break;
        case Piece::AmmoBox: BuildBulletBox(stage, Moved(p)); break;
        case Piece::Zombie:
            if (enemies) enemies->AddNormal(Moved(p));
            break;
        case Piece::Generator: BuildGenerator(stage, Moved(p)); break;
    }
}

}  // namespace

void BuildStage(Stage* stage) {
    GameWorld* world = stage->GetWorld();
    EnemyList* enemies = world ? world->GetEnemyList() : nullptr;

    for (const Placement& placement : layout::kLevel) Place(stage, enemies, placement);

    // Only the player's floor (and the stairwells) start active.
    int playerFloor = (world && world->GetPlayer()) ? world->GetPlayer()->GetCurrentFloor() : 0;
    stage->RefreshActivity(playerFloor);
}
