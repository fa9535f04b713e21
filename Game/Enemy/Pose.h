// The zombies' pose animation: every body part is a rigid model turned about
// its own origin between two key rotations. A single blend parameter t runs
// from 0 to 1 (and back for cyclic motions); each step places every part at
// the spherical interpolation of its two keys.
//
// Key slots: 0 and 1 are written by the AI states; slot 2 holds the pose the
// zombie had when the current motion started (filled by Start).
#pragma once

#include <algorithm>
#include <memory>
#include <vector>

#include "Framework/Math/SimpleMath.h"
#include "Game/Object/Object.h"

template <int PartCount>
class PoseStore {
public:
    static constexpr int kParts = PartCount;
    static constexpr int kSlots = 3;
    static constexpr int kBodyPart = 1;

    // Writes a key from angles in degrees: roll about z first, then pitch
    // about x, then yaw about y.
    void SetKey(int part, int slot, float pitchDeg, float yawDeg, float rollDeg) {
        if (!Valid(part, slot)) return;
        using Math::kDegToRad;
        keys_[part][slot] = Quaternion::CreateFromRollPitchYaw(pitchDeg * kDegToRad, yawDeg * kDegToRad,
                                                               rollDeg * kDegToRad);
    }

    // Captures the blend of slots a and b at the current t into slot 2, then
    // restarts t at 0 with the given speed, running forwards.
    void Start(float speed, int a, int b) {
        if (!Valid(0, a) || !Valid(0, b)) return;
        for (int i = 0; i < PartCount; ++i) keys_[i][2] = Quaternion::Slerp(keys_[i][a], keys_[i][b], t_);
        t_ = 0.0f;
        speed_ = speed;
        reversed_ = false;
    }

    // Advances t and places every part on its own: world = R * local * matrix.
    float Step(bool pingPong, int from, int to, std::vector<std::unique_ptr<ModelPart>>& parts,
               const Matrix& matrix) {
        Advance(pingPong);
        if (!Valid(0, from) || !Valid(0, to)) return t_;
        const int count = std::min<int>(PartCount, static_cast<int>(parts.size()));
        for (int i = 0; i < count; ++i) parts[i]->world = Rotation(i, from, to) * parts[i]->local * matrix;
        return t_;
    }

    // Advances t and places the body on the matrix, then every other part on
    // the body's placement.
    float StepBodyRelative(bool pingPong, int from, int to, std::vector<std::unique_ptr<ModelPart>>& parts,
                           const Matrix& matrix) {
        Advance(pingPong);
        if (!Valid(0, from) || !Valid(0, to)) return t_;
        const int count = std::min<int>(PartCount, static_cast<int>(parts.size()));
        if (count <= kBodyPart) return t_;
        ModelPart& body = *parts[kBodyPart];
        body.world = Rotation(kBodyPart, from, to) * body.local * matrix;
        for (int i = 0; i < count; ++i) {
            if (i == kBodyPart) continue;
            parts[i]->world = Rotation(i, from, to) * parts[i]->local * body.world;
        }
        return t_;
    }

    const Quaternion& Key(int part, int slot) const { return keys_[part][slot]; }
    float T() const { return t_; }
    float Speed() const { return speed_; }
    bool Reversed() const { return reversed_; }

private:
    static bool Valid(int part, int slot) { return part >= 0 && part < PartCount && slot >= 0 && slot < kSlots; }

    // One-way motions stop exactly at 1; ping-pong motions turn round exactly
    // at 1 and at 0.
    void Advance(bool pingPong) {
        t_ += speed_;
        if (!pingPong && t_ > 1.0f) t_ = 1.0f;
        if (pingPong) {
            if (t_ > 1.0f && !reversed_) {
                t_ = 1.0f;
                reversed_ = true;
                speed_ = -speed_;
            } else if (t_ < 0.0f && reversed_) {
                t_ = 0.0f;
                reversed_ = false;
                speed_ = -speed_;
            }
        }
    }

    Matrix Rotation(int part, int from, int to) const {
        return Matrix::CreateFromQuaternion(Quaternion::Slerp(keys_[part][from], keys_[part][to], t_));
    }

    Quaternion keys_[PartCount][kSlots];
    float t_ = 0.0f;
    float speed_ = 0.0f;
    bool reversed_ = false;
};
