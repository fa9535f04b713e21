// Furniture and plant builders: one plain object per piece (three for a
// plant tank) with its model pair, kind, floor and push shape.
#include "Game/Stage/Furniture.h"

#include "Framework/ResourceCache.h"
#include "Game/AssetPaths.h"
#include "Game/Object/Object.h"
#include "Game/Stage/PlantZombie.h"
#include "Game/Stage/Stage.h"

namespace {

using Math::kDegToRad;
namespace model = asset::model;

// Boxes: the reach, then the extent along +z, -z, +x and -x.
constexpr PushShape kNoPush{};
constexpr PushShape kDesk3Push = PushShape::Box(30, 20, 20, 7, 7);
constexpr PushShape kDesk4Push = PushShape::Box(15, 4, 1, 10, 10);
constexpr PushShape kFlatBoxPush = PushShape::Box(15, 2, 2, 10, 10);  // desk5, shelves
constexpr PushShape kChairPush = PushShape::Circle(2);
constexpr PushShape kPotPush = PushShape::Circle(5);

// One object with one part, placed, tagged and appended to the stage.
Object* MakePiece(Stage* stage, const Matrix& world, ObjectKind kind, const char* model, const char* rayModel,
                  const PushShape& push) {
    ResourceCache& cache = ResourceCache::GetInstance();
    auto object = std::make_unique<Object>();
    object->AddModelPart(Matrix(), Matrix(), 0, cache.GetModel(model), rayModel ? cache.GetModel(rayModel) : nullptr);
    object->SetMatrix(world);
    object->SetKind(kind);
    object->SetStage(stage);
    object->SetFloor(stage->GetFloor(world.Translation()));
    object->SetPushShape(push);
    return stage->Add(std::move(object));
}

}  // namespace

Matrix PlaceAt(float x, float y, float z, float yawDegrees) {
    return Matrix::CreateRotationY(yawDegrees * kDegToRad) * Matrix::CreateTranslation(x, y, z);
}

Object* BuildDesk3(Stage* stage, const Matrix& world) {
    return MakePiece(stage, world, kKindDesk, model::kDesk3, model::kDesk3Ray, kDesk3Push);
}

Object* BuildDesk4(Stage* stage, const Matrix& world) {
    // desk4 has no simplified twin: the drawing model is hit-tested.
    return MakePiece(stage, world, kKindDesk, model::kDesk4, model::kDesk4, kDesk4Push);
}

Object* BuildDesk5(Stage* stage, const Matrix& world) {
    return MakePiece(stage, world, kKindDesk, model::kDesk5, model::kDesk5Ray, kFlatBoxPush);
}

Object* BuildShelf2(Stage* stage, const Matrix& world) {
    return MakePiece(stage, world, kKindShelf, model::kShelf2, model::kShelf2Ray,
                     kFlatBoxPush);
}

Object* BuildBulletShelf(Stage* stage, const Matrix& world) {
    return MakePiece(stage, world, kKindShelf, model::kBulletShelf, model::kBulletShelfRay, kFlatBoxPush);
}

Object* BuildChair(Stage* stage, const Matrix& world) {
    return MakePiece(stage, world, kKindChair, model::kChair, model::kChairRay, kChairPush);
}

Object* BuildPc(Stage* stage, const Matrix& world) {
    return MakePiece(stage, world, kKindPc, model::kPc, model::kPcRay, kNoPush);
}

Object* BuildMonitor(Stage* stage, const Matrix& world) {
    return MakePiece(stage, world, kKindMonitor, model::kMonitor, model::kMonitorRay, kNoPush);
}

Object* BuildPlant(Stage* stage, const Matrix& world) {
    Object* pot = MakePiece(stage, world, kKindPlant, model::kPlantPot, model::kPlantPotRay,
                            kPotPush);

    // The zombie floating in the tank, between the pot and the glass.
    auto zombie = std::make_unique<PlantZombie>(stage->GetWorld());
    zombie->SetMatrix(world);
    zombie->SetKind(kKindPlant);
    zombie->SetStage(stage);
    zombie->SetFloor(pot->GetFloor());
    zombie->SetRestPosition(world.Translation());
    stage->Add(std::move(zombie));

    Object* glass = MakePiece(stage, world, kKindPlantGlass, model::kPlantGlass, nullptr, kNoPush);
    glass->SetTranslucent(true);
    return pot;
}

Object* BuildMapPiece(Stage* stage, const char* model, const char* rayModel, int floor) {
    ResourceCache& cache = ResourceCache::GetInstance();
    auto piece = std::make_unique<Object>();
    piece->AddModelPart(Matrix(), Matrix(), 0, cache.GetModel(model), cache.GetModel(rayModel));
    piece->SetMatrix(Matrix());
    piece->SetKind(kKindStage);
    piece->SetStage(stage);
    piece->SetFloor(floor);
    piece->SetActive(true);
    return stage->Add(std::move(piece));
}
