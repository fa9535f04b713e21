// A round blob shadow laid flat under its owner (a zombie), following the
// owner's position every frame. It ends when the owner's flag goes false,
// or when the owner itself has been deleted.
#pragma once

#include <memory>

#include "Game/Effect/Effect.h"

class CircleShadow : public Effect {
public:
    void Update() override;

private:
    friend class EffectList;
    void Follow();

    const Matrix* owner_ = nullptr;
    Vector3 offset_;
    const bool* ownerFlag_ = nullptr;
    // Set when the owner is known as an object: the shadow then never reads
    // the owner's matrix or flag after the owner is deleted.
    std::weak_ptr<void> ownerLife_;
    bool watchesOwnerLife_ = false;
};
