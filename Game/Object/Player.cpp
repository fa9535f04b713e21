// The player: input, movement, collision with walls, floors, furniture and
// zombies, mouse look, the arm, sounds, hit points and the death fall.
#include "Game/Object/Player.h"

#include <algorithm>
#include <cmath>

#include "Framework/Audio/Audio.h"
#include "Framework/ResourceCache.h"
#include "Game/AssetPaths.h"
#include "Game/Enemy/EnemyBase.h"
#include "Game/Enemy/EnemyList.h"
#include "Game/GameWorld.h"
#include "Game/Stage/Stage.h"
#include "Game/Stage/StageRays.h"

namespace {

using Math::kDegToRad;
constexpr float kPitchLimit = 80.0f;

Matrix ViewMatrix(float pitch, float yaw, const Vector3& eye) {
    Matrix m = Matrix::CreateFromRollPitchYaw(pitch * kDegToRad, yaw * kDegToRad, 0.0f);
    m._41 = eye.x;
    m._42 = eye.y;
    m._43 = eye.z;
    return m;
}

}  // namespace

Player::Player(GameWorld* world) : world_(world) { Init(); }

Player::~Player() {
    if (heartSound_) heartSound_->Stop();
    heartSound_.reset();
    damageSound_.reset();
    keys_.clear();
}

void Player::Init() {
    armPitch_ = -90.0f;
    armYaw_ = 60.0f;
    bobAngle_ = 0;
    eyeHeight_ = 6.0f;
    moveSpeed_ = 0.2f;
    pitch_ = 0.0f;
    yaw_ = 0.0f;
    hp_ = 10;
    maxHp_ = 10;
    alive_ = true;
    reserveAmmo_ = 300;
    keys_.clear();
    heartVolume_ = 0.8f;
    SetPushShape(PushShape::Circle(2.0f));

    ResourceCache& cache = ResourceCache::GetInstance();
    parts_.clear();
    AddModelPart(Matrix(), ArmMatrix(0.0f), 0, cache.GetModel(asset::model::kPlayerArm), nullptr);
    SetMatrix(Matrix::CreateTranslation(20.0f, 6.0f, 0.0f));

    Platform::Input& input = Platform::Input::GetInstance();
    cursorCentre_ = input.ClientToScreen(Platform::Point{640, 360});
    input.SetCursorPos(cursorCentre_);

    damageSound_ = cache.CreateSoundInstance(asset::sound::kDamage, false);
    heartSound_ = cache.CreateSoundInstance(asset::sound::kHeart, false);
    if (damageSound_) damageSound_->SetVolume(0.1f);
}

Matrix Player::ArmMatrix(float bob) const {
    return Matrix::CreateFromRollPitchYaw(armPitch_ * kDegToRad, armYaw_ * kDegToRad, 0.0f) *
           Matrix::CreateTranslation(-0.5f, -1.3f + bob, 0.9f);
}

Vector3 Player::GetForward() const {
    const float p = pitch_ * kDegToRad, y = yaw_ * kDegToRad;
    return Vector3(std::cos(p) * std::sin(y), -std::sin(p), std::cos(p) * std::cos(y));
}

void Player::AddKey(Key* key) {
    if (key && std::find(keys_.begin(), keys_.end(), key) == keys_.end()) keys_.push_back(key);
}

void Player::UpdateArm(float bob) {
    if (parts_.empty()) return;
    parts_[0]->local = ArmMatrix(bob);
    parts_[0]->world = parts_[0]->local * matrix_;
}

void Player::SnapToGround(Vector3& eye) const {
    const Stage* stage = world_ ? world_->GetStage() : nullptr;
    if (!stage) return;
    float d = 0.0f;
    Vector3 n;
    if (StageRays().RayTestStructure(eye, Vector3(0.0f, -1.0f, 0.0f), d, n, stage))
        eye.y = eye.y + eyeHeight_ - d;
}

void Player::UpdateEnding() {
    if (heartSound_ && heartSound_->IsPlaying()) {
        heartVolume_ -= 0.01f;
        heartSound_->SetVolume(heartVolume_);
        if (heartVolume_ <= 0.0f) heartSound_->Stop();
    }
    if (alive_) return;  // a winner stands still

    // Death fall: the eye sinks to the floor, the view tilts up and the arm
    // swings down.
    eyeHeight_ = std::max(eyeHeight_ - 0.01f, 0.1f);
    Vector3 eye = matrix_.Translation();
    SnapToGround(eye);
    pitch_ = std::max(pitch_ - 1.0f, -kPitchLimit);
    SetMatrix(ViewMatrix(pitch_, yaw_, eye));
    armPitch_ = std::max(armPitch_ - 3.0f, -270.0f);
    UpdateArm(0.0f);
}

void Player::Update() {
    if (world_ && world_->IsEnding()) {
        UpdateEnding();
        return;
    }

    Stage* stage = world_ ? world_->GetStage() : nullptr;
    const StageRays rays;
    Platform::Input& input = Platform::Input::GetInstance();

    // 1. Furniture push-out, every frame.
    if (stage) {
        Vector3 displacement;
        stage->PushOut(displacement, matrix_, GetPushRadius());
    }

    // 2. Movement keys.
    Vector3 move(0.0f, 0.0f, 0.0f);
    if (input.IsKeyDown(Platform::Key::W)) move += Vector3(0.0f, 0.0f, 1.0f);
    if (input.IsKeyDown(Platform::Key::S)) move += Vector3(0.0f, 0.0f, -1.0f);
    if (input.IsKeyDown(Platform::Key::D)) move += Vector3(1.0f, 0.0f, 0.0f);
    if (input.IsKeyDown(Platform::Key::A)) move += Vector3(-1.0f, 0.0f, 0.0f);
    const bool moving = move.LengthSquared() > 0.0f;

    Vector3 eye = matrix_.Translation();
    if (moving) {
        // 3. Move along the keys' direction turned by the yaw.
        const float y = yaw_ * kDegToRad;
        const float c = std::cos(y), s = std::sin(y);
        Vector3 direction(move.x * c + move.z * s, 0.0f, -move.x * s + move.z * c);
        direction.Normalize();
        eye += direction * moveSpeed_;

        if (stage) {
            // 4. Wall ray at eye height: keep a perpendicular clearance of
            // half the push radius from the wall in front.
            float d = 0.0f;
            Vector3 n;
            if (rays.RayTestStructure(eye, direction, d, n, stage)) {
                const float facing = (-direction).Dot(n);
                // limit = clearance / facing; the push (limit - d) * facing is
                // written without the division so that a wall seen edge-on
                // (facing 0) never yields an infinite push.
                const float clearance = GetPushRadius() * 0.5f;
                if (facing > 0.0f && clearance > d * facing) eye += n * (clearance - d * facing);
            }
            // 5. Ground ray: settle the eye 6 above the ground below it.
            SnapToGround(eye);
        }

        // 6. Zombies push the player back, measured from the feet.
        const EnemyList* enemies = world_ ? world_->GetEnemyList() : nullptr;
        if (enemies) {
            const Vector3 feet = eye - Vector3(0.0f, eyeHeight_, 0.0f);
            for (const EnemyBase* enemy : enemies->GetEnemies()) {
                if (!enemy->IsAlive()) continue;
                const Vector3 base = enemy->GetPosition() - Vector3(0.0f, enemy->GetGroundOffset(), 0.0f);
                const Vector3 v = base - feet;
                const float length = v.Length();
                const float reach = GetPushRadius() + enemy->GetPushRadius();
                // Exactly coincident bodies have no direction to separate in.
                if (length <= reach && length > 0.0f) eye -= v * (1.0f / length) * (reach - length);
            }
        }
    }

    // 7. Mouse look; the cursor goes back to the centre every frame. The
    // player's sensitivity scales the tenth of a degree per pixel; inverted,
    // moving the mouse forward looks down. The centre is found anew: the
    // window may have moved or gone full screen (the input layer then put
    // the pointer at the new centre).
    cursorCentre_ = input.ClientToScreen(Platform::Point{640, 360});
    const Platform::Point cursor = input.GetCursorPos();
    const int dx = cursor.x - cursorCentre_.x;
    const int dy = cursor.y - cursorCentre_.y;
    const Platform::LookSettings& look = input.GetLookSettings();
    const float factorY = look.invertY ? -look.mouseSensitivity : look.mouseSensitivity;
    // A gamepad's right stick turns the view too, at its own speed.
    const Platform::PadLook pad = input.GetPadLook();
    yaw_ += static_cast<float>(dx) / 10.0f * look.mouseSensitivity + pad.yawDegrees;
    pitch_ += static_cast<float>(dy) / 10.0f * factorY + pad.pitchDegrees;
    pitch_ = std::clamp(pitch_, -kPitchLimit, kPitchLimit);
    input.SetCursorPos(cursorCentre_);

    // 8. The camera matrix.
    SetMatrix(ViewMatrix(pitch_, yaw_, eye));

    // 9. Walking bob and footsteps (every 36 moving frames).
    float bob = 0.0f;
    if (moving) {
        bobAngle_ += 5;
        if (bobAngle_ >= 360) bobAngle_ -= 360;
        bob = std::sin(static_cast<float>(bobAngle_) * kDegToRad) * 0.04f;
        if (bobAngle_ % 180 < 5) {
            ++footstepCount_;
            auto step = ResourceCache::GetInstance().CreateSoundInstance(asset::sound::kFootstep, false);
            if (step) {
                step->SetVolume(0.1f);
                step->Play(false, true);
            }
        }
    } else {
        bobAngle_ = 0;
    }

    // 10. The arm follows the view.
    UpdateArm(bob);

    // 11. Floor of the eye.
    if (stage) currentFloor_ = stage->GetFloor(eye);

    // 12. Heart-beat below 30 % of the hit points.
    if (heartSound_) {
        const float ratio = static_cast<float>(hp_) / static_cast<float>(maxHp_);
        if (ratio < 0.3f) {
            if (!heartSound_->IsPlaying()) {
                heartSound_->SetVolume(heartVolume_);
                heartSound_->Play(true, true);
            }
        } else if (heartSound_->IsPlaying()) {
            heartSound_->Stop();
        }
    }
}


void Player::Damage(int amount, const Vector3& hitPosition) {
    (void)hitPosition;
    if ((world_ && world_->IsEnding()) || !alive_) return;
    ++hitCount_;
    if (damageSound_) damageSound_->Play(false, true);
    hp_ -= amount;
    if (hp_ <= 0) {
        hp_ = 0;
        alive_ = false;
    }
}
