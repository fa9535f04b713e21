// A bubble rising in a plant tank: a camera-facing disc of random size that
// rises at a tenth of its size per frame until it has risen its height.
#pragma once

#include "Game/Effect/Effect.h"

class Bubble : public Effect {
public:
    void Update() override;

    float GetRiseLeft() const { return riseLeft_; }

private:
    friend class EffectList;
    float riseSpeed_ = 0.0f;
    Vector3 start_;
    Vector3 position_;
    float riseLeft_ = 0.0f;
};
