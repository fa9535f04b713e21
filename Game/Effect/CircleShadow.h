// A round blob shadow laid flat under its owner (a zombie), following the
// owner's position every frame. It ends when the owner's flag goes false,
// or when the owner itself has been deleted.
#pragma once

#include "Game/Effect/Effect.h"
#include "Game/Object/ObjectRef.h"

class CircleShadow : public Effect {
public:
    void Update() override;

private:
    friend class EffectList;
    void Follow();

    // The shadow never reads the owner's matrix or flag (a field of the
    // owner) after the owner is deleted.
    ObjectRef<Object> owner_;
    Vector3 offset_;
    const bool* ownerFlag_ = nullptr;
};
