// Doors, their handles and card readers, and the door-set builder.
#include "Game/Stage/Door.h"

#include <cmath>

#include "Framework/Audio/Audio.h"
#include "Framework/ResourceCache.h"
#include "Game/AssetPaths.h"
#include "Game/GameWorld.h"
#include "Game/Object/Player.h"
#include "Game/Stage/Interaction.h"
#include "Game/Stage/Key.h"
#include "Game/Stage/Stage.h"

using namespace StageInteraction;

namespace {

constexpr float kReach = 10.0f;
// Where the reader and the handle sit in the door's own frame.
const Vector3 kReaderOffset(5.0f, 6.0f, 0.0f);
const Vector3 kHandleOffset(5.0f, 5.0f, 0.0f);

// The door's matrix with its translation moved to a door-local point.
Matrix MovedTo(const Matrix& door, const Vector3& local) {
    Matrix m = door;
    const Vector3 p = Vector3::Transform(local, door);
    m._41 = p.x;
    m._42 = p.y;
    m._43 = p.z;
    return m;
}

void Play3DAt(GameWorld* world, const std::shared_ptr<VeSoundInstance>& sound, const Vector3& position) {
    if (!sound) return;
    PlaceListenerAtPlayer(world);
    sound->Play3D(position, false, false);
}

}  // namespace

// ---------------------------------------------------------------- Door

Door::Door(GameWorld* world)
    : closedRotation_(Quaternion::CreateFromAxisAngle(Vector3(0.0f, 1.0f, 0.0f), 0.0f)),
      openStep_(Quaternion::CreateFromAxisAngle(Vector3(0.0f, 1.0f, 0.0f), -6.0f * kDegToRad)),
      world_(world) {
    ResourceCache& cache = ResourceCache::GetInstance();
    VeModel* model = cache.GetModel(asset::model::kDoor);
    AddModelPart(Matrix(), Matrix(), 0, model, model);
    errorEffect_ = cache.GetSoundEffect(asset::sound::kError);
    successEffect_ = cache.GetSoundEffect(asset::sound::kSuccess);
    turnEffect_ = cache.GetSoundEffect(asset::sound::kDoorTurn);
    errorInstance_ = errorEffect_->CreateInstance(true);
    successInstance_ = successEffect_->CreateInstance(true);
}

Door::~Door() {
    if (errorInstance_) errorInstance_->Stop();
    if (successInstance_) successInstance_->Stop();
}

void Door::SetKeyType(int type) {
    keyType_ = type;
    switch (type) {
        case layout::kNoKey: uvOffset_ = Vector2(0.75f, 0.0f); break;
        case layout::kBlueKey: uvOffset_ = Vector2(0.25f, 0.0f); break;
        case layout::kOrangeKey: uvOffset_ = Vector2(0.5f, 0.0f); break;
        default: break;
    }
}

Matrix Door::GetReaderMatrix() {
    readerMatrix_ = MovedTo(matrix_, kReaderOffset);
    return readerMatrix_;
}

Matrix Door::GetHandleMatrix() {
    handleMatrix_ = MovedTo(matrix_, kHandleOffset);
    return handleMatrix_;
}

void Door::PlayError() {
    ++errorCount_;
    Play3DAt(world_, errorInstance_, GetPosition());
}

void Door::PlaySuccess() {
    ++successCount_;
    Play3DAt(world_, successInstance_, GetPosition());
}

void Door::ClearHighlights() {
    if (reader_) reader_->SetHighlighted(false);
    highlighted_ = false;
}

void Door::Update() {
    if (!opening_) {
        const float d = DistanceToPlayer(world_, GetPosition());
        if (!(d < kReach) || (used_ && keyType_ != layout::kNoKey)) {
            ClearHighlights();
        } else {
            // A reader always counts; the door itself and its handle only
            // when no card is needed.
            Object* picked = PickFromPlayer(world_);
            const bool suitable = picked && (picked->GetKind() == kKindKeyReader ||
                                             (picked->GetKind() == kKindDoor && keyType_ == layout::kNoKey));
            if (!suitable) {
                ClearHighlights();
            } else {
                if (reader_) reader_->SetHighlighted(true);
                if (UseButtonDown()) {
                    if (keyType_ == layout::kNoKey) {
                        if (reader_) reader_->StartPulse();
                        ClearHighlights();
                        used_ = true;
                        opening_ = true;
                        if (handle_) handle_->StartTurning();
                    } else {
                        keyMatched_ = false;
                        if (Player* player = GetPlayer(world_)) {
                            for (Key* key : player->GetKeys()) {
                                if (key->GetColour() != keyType_) continue;
                                used_ = true;
                                if (reader_) reader_->StartInserting();
                                keyMatched_ = true;
                                break;
                            }
                        }
                        if (!keyMatched_) {
                            // Refused: the handle rattles (again on every
                            // frame the button stays down).
                            if (handle_) handle_->StartTurning();
                            PlaceListenerAtPlayer(world_);
                            if (errorInstance_) errorInstance_->Apply3D();
                        }
                    }
                }
            }
        }
    }

    if (used_) ClearHighlights();

    if (opening_) {
        openDelay_ -= openSpeed_;
        if (openDelay_ < 0.0f) {
            if (!turnSoundPlayed_) {
                std::shared_ptr<VeSoundInstance> turn = turnEffect_ ? turnEffect_->CreateInstance(true) : nullptr;
                if (turn) {
                    PlaceListenerAtPlayer(world_);
                    turn->Play3D(GetPosition(), false, true);
                }
                turnSoundPlayed_ = true;
            }
            openDelay_ = 0.0f;
            openProgress_ += openSpeed_;
        }
        if (openProgress_ > 1.0f) {
            openProgress_ = 1.0f;
        } else {
            // The step is accumulated into the matrix: the door keeps the
            // angle it has swung to.
            const Quaternion step = Quaternion::Slerp(closedRotation_, openStep_, openProgress_);
            SetMatrix(Matrix::CreateFromQuaternion(step) * matrix_);
        }
    }
}

// ---------------------------------------------------------------- DoorHandle

DoorHandle::DoorHandle(GameWorld* world) : world_(world) {
    ResourceCache& cache = ResourceCache::GetInstance();
    VeModel* model = cache.GetModel(asset::model::kDoorHandle);
    AddModelPart(Matrix(), Matrix(), 0, model, model);
    openSound_ = cache.CreateSoundInstance(asset::sound::kDoorLatch, true);
    lockedSound_ = cache.CreateSoundInstance(asset::sound::kDoorLocked, true);
}

DoorHandle::~DoorHandle() {
    if (openSound_) openSound_->Stop();
    if (lockedSound_) lockedSound_->Stop();
}

void DoorHandle::Update() {
    if (!door_) return;
    if (turning_) {
        const bool accepted = door_->IsKeyMatched() || door_->GetKeyType() == layout::kNoKey;
        const std::shared_ptr<VeSoundInstance>& sound = accepted ? openSound_ : lockedSound_;
        if (sound && !sound->IsPlaying()) Play3DAt(world_, sound, GetPosition());

        angle_ += turnSpeed_;
        if (angle_ >= maxAngle_) {
            angle_ = maxAngle_;
            turnSpeed_ = -turnSpeed_;
            turning_ = false;
            if (accepted) {
                door_->StartOpening();
            } else {
                door_->PlayError();
                if (door_->GetReader()) door_->GetReader()->StartPulse();
            }
        }
        if (angle_ < 0.0f) {
            angle_ = 0.0f;
            turnSpeed_ = -turnSpeed_;
        }
        SetMatrix(Matrix::CreateRotationZ(angle_ * kDegToRad) * door_->GetHandleMatrix());
    } else {
        if (angle_ > 0.0f) {
            angle_ += turnSpeed_;  // negative after a turn: back down
        } else {
            turnSpeed_ = std::fabs(turnSpeed_);
            angle_ = 0.0f;
        }
        SetMatrix(Matrix::CreateRotationZ(angle_ * kDegToRad) * door_->GetHandleMatrix());
    }
}

// ---------------------------------------------------------------- KeyReader

KeyReader::KeyReader(GameWorld* world) : world_(world) {
    ResourceCache& cache = ResourceCache::GetInstance();
    AddModelPart(Matrix(), Matrix(), 0, cache.GetModel(asset::model::kKeyReader),
                 cache.GetModel(asset::model::kKeyReaderRay));
    slotSound_ = cache.CreateSoundInstance(asset::sound::kCardSlot, true);
    if (slotSound_) slotSound_->SetCurveDistanceScaler(0.1f);
}

KeyReader::~KeyReader() {
    if (slotSound_) slotSound_->Stop();
}

void KeyReader::AttachDoor(Door* door) {
    door_ = door;
    if (door && door->GetKeyType() == layout::kNoKey) {
        lightColour_ = Vector3(0.0f, 1.0f, 0.0f);
        uvOffset_ = Vector2(0.5f, 0.0f);
    } else {
        lightColour_ = Vector3(1.0f, 0.0f, 0.0f);
    }
}

void KeyReader::Update() {
    if (!door_) return;
    SetMatrix(door_->GetReaderMatrix());

    if (pulsing_) {
        if (pulseAngle_ >= 180.0f) {
            pulsing_ = false;
            pulseAngle_ = 0.0f;
        } else {
            pulseAngle_ += 10.0f;
            const float strength = (std::sin(pulseAngle_ * kDegToRad) + 1.0f) * 0.5f * 5.0f;
            if (world_) {
                world_->AddPointLight(lightColour_, Vector3::Transform(Vector3(-0.05f, 0.15f, 0.5f), matrix_), strength);
                world_->AddPointLight(lightColour_, Vector3::Transform(Vector3(-0.05f, 0.15f, -0.5f), matrix_), strength);
            }
        }
    }

    if (!inserting_) return;
    Player* player = GetPlayer(world_);
    if (!player) return;
    Key* card = nullptr;
    for (Key* key : player->GetKeys()) {
        if (key->GetColour() == door_->GetKeyType()) {
            card = key;
            break;
        }
    }
    if (!card) return;
    card->SetVisible(true);
    card->SetInserting(true);

    // The card stands upright in the slot, edge down.
    Matrix slot;
    slot._11 = 0.0f; slot._12 = 0.0f; slot._13 = 1.0f;
    slot._21 = 0.0f; slot._22 = -1.0f; slot._23 = 0.0f;
    slot._31 = 1.0f; slot._32 = 0.0f; slot._33 = 0.0f;
    slot._41 = 0.325f; slot._42 = cardY_; slot._43 = -0.35f;
    card->SetMatrix(slot * matrix_);

    cardDelay_ -= 1;
    if (cardDelay_ < 0) {
        if (cardFrame_ == 0) {
            ++slotCount_;
            Play3DAt(world_, slotSound_, card->GetPosition());
        }
        cardY_ += (cardEndY_ - cardStartY_) / static_cast<float>(cardFrames_);
        cardFrame_ += 1;
    }
    if (cardFrame_ == cardFrames_ / 3) {
        door_->PlaySuccess();
        uvOffset_ = Vector2(0.5f, 0.0f);
        lightColour_ = Vector3(0.0f, 1.0f, 0.0f);
        StartPulse();
    }
    if (cardFrame_ == cardFrames_) {
        cardY_ = cardStartY_;
        inserting_ = false;
        card->SetVisible(false);
        card->SetInserting(false);
        if (door_->GetHandle()) door_->GetHandle()->StartTurning();
    }
}

// ---------------------------------------------------------------- builder

Door* BuildDoorSet(Stage* stage, const Matrix& world, int keyType) {
    GameWorld* game = stage->GetWorld();
    auto doorObject = std::make_unique<Door>(game);
    auto readerObject = std::make_unique<KeyReader>(game);
    auto handleObject = std::make_unique<DoorHandle>(game);
    Door* door = doorObject.get();
    KeyReader* reader = readerObject.get();
    DoorHandle* handle = handleObject.get();
    const int floor = stage->GetFloor(world.Translation());

    door->SetKind(kKindDoor);
    door->SetMatrix(world);
    door->SetStage(stage);
    door->SetReader(reader);
    door->SetHandle(handle);
    door->SetKeyType(keyType);
    door->SetFloor(floor);
    stage->Add(std::move(doorObject));

    reader->SetKind(kKindKeyReader);
    reader->SetMatrix(door->GetReaderMatrix());
    reader->AttachDoor(door);
    reader->SetStage(stage);
    reader->SetFloor(floor);
    stage->Add(std::move(readerObject));

    handle->SetKind(kKindDoor);
    handle->SetMatrix(door->GetHandleMatrix());
    handle->SetDoor(door);
    handle->SetStage(stage);
    handle->SetFloor(floor);
    stage->Add(std::move(handleObject));
    return door;
}
