// A bullet hole: a small decal laid on the surface a bullet hit, facing
// along the hit normal. It ends after 3600 frames, as soon as the object it
// sits on moves (a door opening) or is deleted, or when 50 newer holes exist.
#pragma once

#include <memory>

#include "Game/Effect/Effect.h"
#include "Game/Object/ObjectRef.h"

class BulletHole : public Effect {
public:
    void Update() override;

    int GetLife() const { return life_; }
    // The object the hole sits on, or null (none, or deleted).
    Object* GetTarget() const { return target_.Get(); }

    // The rotation that turns the quad's facing (0, 0, -1) to the unit
    // normal n.
    static Matrix FacingRotation(const Vector3& n);

private:
    friend class EffectList;
    // Faces the quad along n at the point.
    void Lay(const Vector3& point, const Vector3& n);
    int life_ = 3600;
    ObjectRef<Object> target_;
    Matrix targetMatrix_;
};
