// The laboratory: every map piece and placed object, floor by floor, in the
// order the level is built (the order decides list order, and so update and
// draw order).
#include "Game/Stage/BuildStage.h"

#include "Game/Enemy/EnemyList.h"
#include "Game/Object/Object.h"
#include "Game/Object/Player.h"
#include "Game/Stage/Furniture.h"
#include "Game/Stage/Stage.h"
#include "Scene/GameScene.h"

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

void AddZombies(EnemyList* enemies, const Placement* placements, size_t count) {
    if (!enemies) return;
    for (size_t i = 0; i < count; ++i)
        enemies->AddNormal(Matrix::CreateTranslation(placements[i].x, placements[i].y, placements[i].z));
}

}  // namespace

void BuildStage(Stage* stage) {
    GameScene* scene = stage->GetGameScene();
    EnemyList* enemies = scene ? scene->GetEnemyList() : nullptr;

    // ---- Floor 0
    BuildMapPiece(stage, "Data/MAP/map1/map1.gltf", "Data/MAP/map1/map1_ray.gltf", 0);

    // Door sets of floor 0 (door, key reader and handle each; position, yaw,
    // key colour, -1 = free) go here, built by the door builder:
    //   (22, 0, 20) yaw 0 free; (22, 0, 60) yaw 0 key 0; (20, 0, 92) yaw -90
    //   key 1; (-22, 0, 100) yaw 180 key 0; (-2, 0, 20) yaw 180 free.
    // Then the key cards, lying flat (RotationX(90) * RotationY(yaw) *
    // Translation): key 0 at (-4, 3, -10) yaw 30; key 1 at (-45, 3.2, 55)
    // yaw 0. Both are built by the key builder, which also lists them in the
    // stage's keys.

    BuildDesk4(stage, PlaceAt(-5, 0, -10, 180));
    BuildDesk3(stage, PlaceAt(-40, 0, 70, 0));
    for (const Placement& chair : kFloor0Chairs) BuildChair(stage, At(chair));
    BuildMonitor(stage, PlaceAt(-40, 6, 40.1f, 0));
    BuildPc(stage, Matrix::CreateScale(0.5f) * Matrix::CreateTranslation(-6, 3.1f, -10));
    for (float z : {70.0f, 80.0f, 90.0f}) BuildShelf2(stage, PlaceAt(0, 0, z, 0));

    // One ammunition box at (-18, 0, 75), identity rotation, goes here (the
    // ammunition-box builder).

    AddZombies(enemies, kFloor0Zombies, sizeof(kFloor0Zombies) / sizeof(kFloor0Zombies[0]));

    // ---- Stairwells (every floor), floor 1
    BuildMapPiece(stage, "Data/MAP/map_s/mapS.gltf", "Data/MAP/map_s/mapS_Ray.gltf", 5);
    BuildMapPiece(stage, "Data/MAP/map2/map2.gltf", "Data/MAP/map2/map2_ray.gltf", 1);

    // Door sets of floor 1 go here: (50, -42, 88) yaw 90 key 0; (40, -42, 72)
    // yaw -90 key 1; (48, -42, 40) yaw 180 key 2; (48, -42, -30) yaw 180
    // key 2. Then key card 2 at (5, -37.5, 103) yaw 0.

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
        BuildBulletShelf(stage, PlaceAt(85, -42, z, 0));
        // Six ammunition boxes on this shelf go here, each at
        // Translation(offset) * shelf world, offsets (-6, 0.2, -1),
        // (-6, 0.2, 1), (6, 0.2, 1), (6, 4.2, 1), (-6, 4.2, 1), (-6, 4.2, -1).
    }

    AddZombies(enemies, kFloor1Zombies, sizeof(kFloor1Zombies) / sizeof(kFloor1Zombies[0]));

    // ---- Floor 2
    BuildMapPiece(stage, "Data/MAP/map3/map3.gltf", "Data/MAP/map3/map3_ray.gltf", 2);

    // The door set (62, -84, -20) yaw 0 key 2 and the generator at
    // (65, -84, 20), identity rotation, go here (door builder, generator
    // builder; the generator builder also sets the stage's portal).

    // Only the player's floor (and the stairwells) start active.
    int playerFloor = (scene && scene->GetPlayer()) ? scene->GetPlayer()->GetCurrentFloor() : 0;
    stage->RefreshActivity(playerFloor);
}
