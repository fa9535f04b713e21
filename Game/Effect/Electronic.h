// An electric spark of the generator sphere: a randomly turned square in
// the sphere's colour, drawn additively for two frames.
#pragma once

#include "Game/Effect/Effect.h"

class Object;

class Electronic : public Effect {
public:
    void Update() override;
    // Draws without the null-texture and alive checks of the base.
    void Submit(std::vector<Render::EffectQuad>& out) const override { SubmitQuad(out); }

    int GetLife() const { return life_; }
    Object* GetOwner() const { return owner_; }

private:
    friend class EffectList;
    void Turn(float pitch, float yaw, float roll, const Vector3& position);
    int life_ = 2;
    Object* owner_ = nullptr;
};
