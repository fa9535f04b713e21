// The laboratory: every map piece and placed object, floor by floor, in the
// order the level is built (the order decides list order, and so update and
// draw order).
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
#include "Game/Stage/Stage.h"

namespace {

struct Placement {
    float x, y, z, yaw;
};

// Zombies standing in the level when the game starts.
constexpr Placement kFloor0Zombies[] = {
    {0, 5, 5, 0},     {0, 5, -5, 0},   {-30, 5, 10, 0},  {-30, 5, -10, 0}, {-20, 5, 10, 0},
    {-20, 5, -10, 0}, {-50, 5, 80, 0}, {-50, 5, 40, 0},  {-30, 5, 80, 0},  {-30, 5, 40, 0},
    {10, 5, 65, 0},   {-15, 5, 65, 0}, {-15, 5, 85, 0},  {0, 5, 75, 0},
};
constexpr Placement kFloor1Zombies[] = {
    {60, -34, 60, 0}, {60, -34, 70, 0},  {60, -34, 80, 0}, {60, -34, 90, 0},  {30, -34, 95, 0},
    {30, -34, 65, 0}, {-5, -34, 65, 0},  {-5, -34, 80, 0}, {-5, -34, 100, 0}, {45, -34, 20, 0},
    {45, -34, 10, 0}, {45, -34, 0, 0},   {45, -34, -10, 0},
};

constexpr Placement kFloor0Chairs[] = {
    {-5, 0, -13, 0},   {-27, 0, 60, -94}, {-27, 0, 70, -100}, {-27, 0, 80, -88},
    {-53, 0, 60, 80},  {-53, 0, 70, 82},  {-53, 0, 80, 91},
};

Matrix At(const Placement& p) { return PlaceAt(p.x, p.y, p.z, p.yaw); }

// A key card lies flat: RotationX(90) * RotationY(yaw) * Translation.
Matrix CardAt(float x, float y, float z, float yawDegrees) {
    return Matrix::CreateRotationX(90.0f * Math::kDegToRad) * PlaceAt(x, y, z, yawDegrees);
}

void AddZombies(EnemyList* enemies, const Placement* placements, size_t count) {
    if (!enemies) return;
    for (size_t i = 0; i < count; ++i)
        enemies->AddNormal(Matrix::CreateTranslation(placements[i].x, placements[i].y, placements[i].z));
}

}  // namespace

void BuildStage(Stage* stage) {
    GameWorld* world = stage->GetWorld();
    EnemyList* enemies = world ? world->GetEnemyList() : nullptr;

    // ---- Floor 0
    BuildMapPiece(stage, "Data/MAP/map1/map1.gltf", "Data/MAP/map1/map1_ray.gltf", 0);

    // Door sets (key colour -1: no card needed), then the yellow and blue
    // cards.
    BuildDoorSet(stage, PlaceAt(22, 0, 20, 0), -1);
    BuildDoorSet(stage, PlaceAt(22, 0, 60, 0), 0);
    BuildDoorSet(stage, PlaceAt(20, 0, 92, -90), 1);
    BuildDoorSet(stage, PlaceAt(-22, 0, 100, 180), 0);
    BuildDoorSet(stage, PlaceAt(-2, 0, 20, 180), -1);
    BuildKey(stage, CardAt(-4, 3, -10, 30), 0);
    BuildKey(stage, CardAt(-45, 3.2f, 55, 0), 1);

    BuildDesk4(stage, PlaceAt(-5, 0, -10, 180));
    BuildDesk3(stage, PlaceAt(-40, 0, 70, 0));
    for (const Placement& chair : kFloor0Chairs) BuildChair(stage, At(chair));
    BuildMonitor(stage, PlaceAt(-40, 6, 40.1f, 0));
    BuildPc(stage, Matrix::CreateScale(0.5f) * Matrix::CreateTranslation(-6, 3.1f, -10));
    for (float z : {70.0f, 80.0f, 90.0f}) BuildShelf2(stage, PlaceAt(0, 0, z, 0));

    BuildBulletBox(stage, Matrix::CreateTranslation(-18, 0, 75));

    AddZombies(enemies, kFloor0Zombies, sizeof(kFloor0Zombies) / sizeof(kFloor0Zombies[0]));

    // ---- Stairwells (every floor), floor 1
    BuildMapPiece(stage, "Data/MAP/map_s/mapS.gltf", "Data/MAP/map_s/mapS_Ray.gltf", 5);
    BuildMapPiece(stage, "Data/MAP/map2/map2.gltf", "Data/MAP/map2/map2_ray.gltf", 1);

    BuildDoorSet(stage, PlaceAt(50, -42, 88, 90), 0);
    BuildDoorSet(stage, PlaceAt(40, -42, 72, -90), 1);
    BuildDoorSet(stage, PlaceAt(48, -42, 40, 180), 2);
    BuildDoorSet(stage, PlaceAt(48, -42, -30, 180), 2);
    BuildKey(stage, CardAt(5, -37.5f, 103, 0), 2);

    for (float z : {-20.0f, 0.0f, 20.0f}) BuildPlant(stage, PlaceAt(60, -42, z, -90));
    for (float z : {-20.0f, 0.0f, 20.0f}) BuildPlant(stage, PlaceAt(30, -42, z, 90));
    BuildMonitor(stage, PlaceAt(-9.9f, -36, 85, 90));
    BuildDesk5(stage, PlaceAt(5, -42, 95, -90));
    BuildDesk5(stage, PlaceAt(5, -42, 75, -90));
    BuildDesk5(stage, PlaceAt(20, -42, 95, -90));
    BuildDesk5(stage, PlaceAt(20, -42, 75, -90));
    for (float x : {11.0f, 26.0f})
        for (float z : {70.0f, 80.0f, 90.0f, 100.0f}) BuildChair(stage, PlaceAt(x, -42, z, -90));
    for (float z : {70.0f, 85.0f, 100.0f}) {
        const Matrix shelf = PlaceAt(85, -42, z, 0);
        BuildBulletShelf(stage, shelf);
        // Six boxes on the shelf's two boards.
        for (const Vector3& offset : {Vector3(-6, 0.2f, -1), Vector3(-6, 0.2f, 1), Vector3(6, 0.2f, 1),
                                      Vector3(6, 4.2f, 1), Vector3(-6, 4.2f, 1), Vector3(-6, 4.2f, -1)})
            BuildBulletBox(stage, Matrix::CreateTranslation(offset) * shelf);
    }

    AddZombies(enemies, kFloor1Zombies, sizeof(kFloor1Zombies) / sizeof(kFloor1Zombies[0]));

    // ---- Floor 2
    BuildMapPiece(stage, "Data/MAP/map3/map3.gltf", "Data/MAP/map3/map3_ray.gltf", 2);

    BuildDoorSet(stage, PlaceAt(62, -84, -20, 0), 2);
    BuildGenerator(stage, Matrix::CreateTranslation(65, -84, 20));

    // Only the player's floor (and the stairwells) start active.
    int playerFloor = (world && world->GetPlayer()) ? world->GetPlayer()->GetCurrentFloor() : 0;
    stage->RefreshActivity(playerFloor);
}
