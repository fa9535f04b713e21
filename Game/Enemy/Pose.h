// The zombies' pose animation: every body part is a rigid model turned about
// its own origin between two key rotations. A single blend parameter t runs
// from 0 to 1 (and back for cyclic motions); each step places every part at
// the spherical interpolation of its two keys.
//
// Key slots: 0 and 1 are written by the AI states; slot 2 holds the pose the
// zombie had when the current motion started (filled by Start).
#pragma once

#include <memory>
#include <vector>

#include "Framework/Math/SimpleMath.h"
#include "Game/Object/Object.h"

class PoseStore {
public:
    // The most parts a zombie has (the normal kind: six limbs and the weak
    // spot). The keys are kept in place, so a pose step allocates nothing.
    static constexpr int kMaxParts = 7;
    static constexpr int kSlots = 3;
    static constexpr int kBodyPart = 1;

    // Keys for the given number of parts (at most kMaxParts), all the
    // identity.
    explicit PoseStore(int partCount);

    // Writes a key from angles in degrees: roll about z first, then pitch
    // about x, then yaw about y.
    void SetKey(int part, int slot, float pitchDeg, float yawDeg, float rollDeg);

    // Captures the blend of slots a and b at the current t into slot 2, then
    // restarts t at 0 with the given speed, running forwards.
    void Start(float speed, int a, int b);

    // Advances t and places every part on its own: world = R * local * matrix.
    float Step(bool pingPong, int from, int to, std::vector<std::unique_ptr<ModelPart>>& parts,
               const Matrix& matrix);

    // Advances t and places the body on the matrix, then every other part on
    // the body's placement.
    float StepBodyRelative(bool pingPong, int from, int to, std::vector<std::unique_ptr<ModelPart>>& parts,
                           const Matrix& matrix);

    int PartCount() const { return partCount_; }
    const Quaternion& Key(int part, int slot) const { return keys_[part][slot]; }
    float T() const { return t_; }
    float Speed() const { return speed_; }
    bool Reversed() const { return reversed_; }

private:
    bool Valid(int part, int slot) const { return part >= 0 && part < partCount_ && slot >= 0 && slot < kSlots; }
    // The parts a step places: those with keys that the zombie has.
    int PlacedParts(const std::vector<std::unique_ptr<ModelPart>>& parts) const;
    // One-way motions stop exactly at 1; ping-pong motions turn round exactly
    // at 1 and at 0.
    void Advance(bool pingPong);
    Matrix Rotation(int part, int from, int to) const;

    int partCount_;
    Quaternion keys_[kMaxParts][kSlots];
    float t_ = 0.0f;
    float speed_ = 0.0f;
    bool reversed_ = false;
};
