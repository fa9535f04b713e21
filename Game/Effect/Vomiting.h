// The strong zombie's vomit: an invisible core that flies from the mouth
// towards the player's eye on an arc (rising first, then falling under
// gravity), carrying a spray of blob particles with it. It hurts the player
// on contact; it ends then, or once it has fallen below the player's feet.
#pragma once

#include <memory>
#include <vector>

#include "Game/Effect/Effect.h"

class GameWorld;
class Smoke;

class Vomiting : public Effect {
public:
    void Update() override;
    // The core is invisible: only its blobs are seen.
    void Submit(std::vector<Render::EffectQuad>&) const override {}

    const std::vector<std::shared_ptr<Smoke>>& GetBlobs() const { return blobs_; }
    Vector3 GetPosition() const { return matrix_.Translation(); }
    const Vector3& GetVelocity() const { return velocity_; }
    float GetVerticalSpeed() const { return verticalSpeed_; }
    int GetFramesToTarget() const { return framesToTarget_; }
    float GetTravelled() const { return travelled_; }

private:
    friend class EffectList;
    // Ends the core and every blob.
    void End();
    // Ten more blobs thrown from the mouth.
    void Burst();

    std::vector<std::shared_ptr<Smoke>> blobs_;
    Vector3 start_;
    Vector3 startCopy_;
    Vector3 target_;
    Vector3 velocity_;
    float radius_ = 0.0f;
    float verticalSpeed_ = 0.0f;
    float gravity_ = -0.005f;
    float blobSize_ = 0.5f;
    float blobGrowth_ = 3.0f;
    float travelled_ = 0.0f;
    int framesToTarget_ = 0;
    int counter_ = 0;
    int damage_ = 0;
    GameWorld* world_ = nullptr;
};
