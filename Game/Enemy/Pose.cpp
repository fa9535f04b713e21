// The zombies' pose store: key rotations, the blend parameter and the two
// ways of placing the parts.
#include "Game/Enemy/Pose.h"

#include <algorithm>

PoseStore::PoseStore(int partCount) : partCount_(std::clamp(partCount, 0, kMaxParts)) {}

void PoseStore::SetKey(int part, int slot, float pitchDeg, float yawDeg, float rollDeg) {
    if (!Valid(part, slot)) return;
    using Math::kDegToRad;
    keys_[part][slot] =
        Quaternion::CreateFromRollPitchYaw(pitchDeg * kDegToRad, yawDeg * kDegToRad, rollDeg * kDegToRad);
}

void PoseStore::Start(float speed, int a, int b) {
    if (!Valid(0, a) || !Valid(0, b)) return;
    for (int i = 0; i < partCount_; ++i) keys_[i][2] = Quaternion::Slerp(keys_[i][a], keys_[i][b], t_);
    t_ = 0.0f;
    speed_ = speed;
    reversed_ = false;
}

int PoseStore::PlacedParts(const std::vector<std::unique_ptr<ModelPart>>& parts) const {
    return std::min<int>(partCount_, static_cast<int>(parts.size()));
}

float PoseStore::Step(bool pingPong, int from, int to, std::vector<std::unique_ptr<ModelPart>>& parts,
                      const Matrix& matrix) {
    Advance(pingPong);
    if (!Valid(0, from) || !Valid(0, to)) return t_;
    const int count = PlacedParts(parts);
    for (int i = 0; i < count; ++i) parts[i]->world = Rotation(i, from, to) * parts[i]->local * matrix;
    return t_;
}

float PoseStore::StepBodyRelative(bool pingPong, int from, int to, std::vector<std::unique_ptr<ModelPart>>& parts,
                                  const Matrix& matrix) {
    Advance(pingPong);
    if (!Valid(0, from) || !Valid(0, to)) return t_;
    const int count = PlacedParts(parts);
    if (count <= kBodyPart) return t_;
    ModelPart& body = *parts[kBodyPart];
    body.world = Rotation(kBodyPart, from, to) * body.local * matrix;
    for (int i = 0; i < count; ++i) {
        if (i == kBodyPart) continue;
        parts[i]->world = Rotation(i, from, to) * parts[i]->local * body.world;
    }
    return t_;
}

void PoseStore::Advance(bool pingPong) {
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

Matrix PoseStore::Rotation(int part, int from, int to) const {
    return Matrix::CreateFromQuaternion(Quaternion::Slerp(keys_[part][from], keys_[part][to], t_));
}
