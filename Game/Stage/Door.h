// A door set: the door, its handle and the card reader beside it. A door
// either opens freely (layout::kNoKey) or needs a key card of one colour
// (layout::kYellowKey, kBlueKey, kOrangeKey). The player uses it by looking at the reader (or, for a
// free door, at the door itself) from close by and pressing the right
// button: a held card of the right colour is slid into the reader, the
// reader turns green, the handle turns and the door swings open for good.
// Without the card the handle rattles and the error sound plays.
#pragma once

#include <memory>

#include "Game/Object/Object.h"
#include "Game/Stage/LevelLayout.h"

class GameWorld;
class DoorHandle;
class KeyReader;
class VeSoundEffect;
class VeSoundInstance;

class Door : public Object {
public:
    explicit Door(GameWorld* world);
    ~Door() override;

    void Update() override;

    // Stores the colour and picks the door's texture column.
    void SetKeyType(int type);
    int GetKeyType() const { return keyType_; }
    void SetHandle(DoorHandle* handle) { handle_ = handle; }
    void SetReader(KeyReader* reader) { reader_ = reader; }
    DoorHandle* GetHandle() const { return handle_; }
    KeyReader* GetReader() const { return reader_; }
    bool IsKeyMatched() const { return keyMatched_; }
    bool IsUsed() const { return used_; }
    bool IsOpening() const { return opening_; }
    float GetOpenProgress() const { return openProgress_; }
    void StartOpening() { opening_ = true; }
    // Where the reader and the handle sit, from the door's current matrix.
    Matrix GetReaderMatrix();
    Matrix GetHandleMatrix();
    // Sounds at the door's position.
    void PlayError();
    void PlaySuccess();
    const std::shared_ptr<VeSoundInstance>& GetErrorSound() const { return errorInstance_; }
    const std::shared_ptr<VeSoundInstance>& GetSuccessSound() const { return successInstance_; }
    bool IsTurnSoundPlayed() const { return turnSoundPlayed_; }
    // Times the error / success sound was started (the refusal and the
    // acceptance of a card, audible or not).
    int GetErrorCount() const { return errorCount_; }
    int GetSuccessCount() const { return successCount_; }

private:
    void ClearHighlights();

    Quaternion closedRotation_;
    Quaternion openStep_;
    float openProgress_ = 0.0f;
    float openSpeed_ = 0.03f;
    float openDelay_ = 0.8f;
    bool opening_ = false;
    int keyType_ = layout::kNoKey;
    Matrix readerMatrix_;
    Matrix handleMatrix_;
    bool used_ = false;
    std::shared_ptr<VeSoundEffect> errorEffect_;
    std::shared_ptr<VeSoundEffect> successEffect_;
    std::shared_ptr<VeSoundEffect> turnEffect_;
    std::shared_ptr<VeSoundInstance> errorInstance_;
    std::shared_ptr<VeSoundInstance> successInstance_;
    bool turnSoundPlayed_ = false;
    DoorHandle* handle_ = nullptr;
    KeyReader* reader_ = nullptr;
    bool keyMatched_ = false;
    GameWorld* world_ = nullptr;
    int errorCount_ = 0;
    int successCount_ = 0;
};

class DoorHandle : public Object {
public:
    explicit DoorHandle(GameWorld* world);
    ~DoorHandle() override;

    void Update() override;
    void SetDoor(Door* door) { door_ = door; }
    Door* GetDoor() const { return door_; }
    void StartTurning() { turning_ = true; }
    bool IsTurning() const { return turning_; }
    float GetAngle() const { return angle_; }
    float GetTurnSpeed() const { return turnSpeed_; }

private:
    Door* door_ = nullptr;
    bool turning_ = false;
    float turnSpeed_ = 3.0f;
    float angle_ = 0.0f;
    float maxAngle_ = 60.0f;
    std::shared_ptr<VeSoundInstance> openSound_;
    std::shared_ptr<VeSoundInstance> lockedSound_;
    GameWorld* world_ = nullptr;
};

class KeyReader : public Object {
public:
    explicit KeyReader(GameWorld* world);
    ~KeyReader() override;

    void Update() override;
    // Stores the door; the light is red for a keyed door, green (and the lit
    // texture column) for a free one.
    void AttachDoor(Door* door);
    Door* GetDoor() const { return door_; }
    void StartPulse() { pulsing_ = true; }
    void StartInserting() { inserting_ = true; }
    bool IsPulsing() const { return pulsing_; }
    bool IsInserting() const { return inserting_; }
    Vector3 GetLightColour() const { return lightColour_; }
    float GetCardY() const { return cardY_; }
    int GetCardFrame() const { return cardFrame_; }
    int GetCardDelay() const { return cardDelay_; }
    // Times the slot sound was started.
    int GetSlotCount() const { return slotCount_; }

private:
    Door* door_ = nullptr;
    Vector3 lightColour_{1.0f, 0.0f, 0.0f};
    float pulseAngle_ = 0.0f;
    bool pulsing_ = false;
    bool inserting_ = false;
    float cardStartY_ = 1.0f;
    float cardEndY_ = -1.0f;
    float cardY_ = 1.0f;
    int cardFrames_ = 40;
    int cardFrame_ = 0;
    int cardDelay_ = 15;
    GameWorld* world_ = nullptr;
    std::shared_ptr<VeSoundInstance> slotSound_;
    int slotCount_ = 0;
};

class Stage;

// Creates a door, its reader and its handle at the world matrix (in that
// order), appends them to the stage and returns the door.
Door* BuildDoorSet(Stage* stage, const Matrix& world, int keyType);
