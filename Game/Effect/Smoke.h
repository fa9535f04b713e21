// The general particle: a camera-facing square that drifts along a
// direction while its size, opacity and speed change evenly over its life.
// Smoke, dust, sparks of a hit and the blobs of a vomit are all smoke.
// Drawn with depth writes off so that particles never cut into each other.
#pragma once

#include "Game/Effect/Effect.h"

class Smoke : public Effect {
public:
    void Update() override;
    void Submit(std::vector<Render::EffectQuad>& out) const override;

    const Vector3& GetDirection() const { return direction_; }
    int GetLife() const { return life_; }
    float GetAlpha() const { return alpha_; }
    float GetSize() const { return size_; }
    float GetSpeed() const { return speed_; }
    Vector3 GetPosition() const { return matrix_.Translation(); }
    // Moves the particle up or down (a vomit's blobs rise and fall with it).
    void RaiseBy(float dy) { matrix_._42 += dy; }

private:
    friend class EffectList;
    Vector3 direction_;
    Vector2 uvTopLeft_{0.0f, 0.0f};
    Vector2 uvBottomRight_{1.0f, 1.0f};
    int life_ = 0;
    float alphaStep_ = 0.001f;
    float alpha_ = 1.0f;
    float size_ = 0.5f;
    float sizeStep_ = 0.0f;
    float speed_ = 0.0f;
    float speedStep_ = 0.0f;
};
