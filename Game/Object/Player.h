// The first-person body of the game: turns W/A/S/D and the mouse into
// movement and view angles, keeps itself on the floor and out of walls,
// furniture and zombies, holds the hit points, reserve ammunition and key
// cards, plays the damage, footstep and heart-beat sounds, and carries the
// left arm that follows the view. Its world matrix is the camera.
#pragma once

#include <memory>
#include <vector>

#include "Framework/Platform/Input.h"
#include "Game/Object/Object.h"

class GameWorld;
class Key;
class VeSoundInstance;

class Player : public Object {
public:
    explicit Player(GameWorld* world);
    // Stops the heart-beat at once.
    ~Player() override;

    void Update() override;
    // A hit: counted (the HUD flashes the blood frame), damage sound, hit
    // points down; ignored while the game is ending or once dead.
    void Damage(int amount, const Vector3& hitPosition) override;

    // (0, 0, 1) turned by the view's pitch and yaw.
    Vector3 GetForward() const;
    // Recoil: pitch changes without the +-80 limit until the next mouse step.
    void AddPitch(float degrees) { pitch_ += degrees; }
    Vector3 GetArmAngles() const { return Vector3(armPitch_, armYaw_, 0.0f); }
    void SetArmAngles(float pitch, float yaw) { armPitch_ = pitch; armYaw_ = yaw; }
    int GetReserveAmmo() const { return reserveAmmo_; }
    void AddReserveAmmo(int rounds) { reserveAmmo_ += rounds; }
    int GetHp() const { return hp_; }
    int GetMaxHp() const { return maxHp_; }
    bool IsAlive() const { return alive_; }
    // Hits taken since the player was made (each one the HUD shows).
    int GetHitCount() const { return hitCount_; }
    float GetEyeHeight() const { return eyeHeight_; }
    const std::vector<Key*>& GetKeys() const { return keys_; }
    // Appends a key card not yet held.
    void AddKey(Key* key);
    int GetCurrentFloor() const { return currentFloor_; }
    void SetCurrentFloor(int floor) { currentFloor_ = floor; }

    float GetPitch() const { return pitch_; }
    float GetYaw() const { return yaw_; }
    int GetBobAngle() const { return bobAngle_; }
    float GetMoveSpeed() const { return moveSpeed_; }
    Platform::Point GetCursorCentre() const { return cursorCentre_; }
    const std::shared_ptr<VeSoundInstance>& GetHeartSound() const { return heartSound_; }
    float GetHeartVolume() const { return heartVolume_; }
    // Footsteps started since the player was made.
    int GetFootstepCount() const { return footstepCount_; }

    // Arm part local matrix for a walking bob offset.
    Matrix ArmMatrix(float bob) const;

private:
    void Init();
    void UpdateEnding();
    void UpdateArm(float bob);
    // Ground ray straight down from the eye: eye y = hit + eye height.
    void SnapToGround(Vector3& eye) const;

    GameWorld* world_ = nullptr;
    float armPitch_ = -90.0f;
    float armYaw_ = 60.0f;
    int bobAngle_ = 0;
    float eyeHeight_ = 6.0f;
    float moveSpeed_ = 0.2f;
    float pitch_ = 0.0f;
    float yaw_ = 0.0f;
    int hp_ = 10;
    int maxHp_ = 10;
    bool alive_ = true;
    Platform::Point cursorCentre_{640, 360};
    int reserveAmmo_ = 300;
    int currentFloor_ = 0;
    std::vector<Key*> keys_;
    std::shared_ptr<VeSoundInstance> damageSound_;
    std::shared_ptr<VeSoundInstance> heartSound_;
    float heartVolume_ = 0.8f;
    int footstepCount_ = 0;
    int hitCount_ = 0;
};
