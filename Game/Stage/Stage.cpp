// Stage: object list, floors, activity, draw passes and push-out.
#include "Game/Stage/Stage.h"

#include <cmath>

#include "Game/GameWorld.h"
#include "Game/Object/Object.h"
#include "Game/Object/Player.h"
#include "Game/Stage/Key.h"
#include "Game/Stage/LevelLayout.h"
#include "Game/Stage/Portal.h"

Stage::Stage(GameWorld* world) : world_(world) {}

Stage::~Stage() { Clear(); }

void Stage::AddObject(std::unique_ptr<Object> object) {
    if (object) objects_.push_back(std::move(object));
}

Key* Stage::AddKey(std::unique_ptr<Key> key) {
    Key* added = Add(std::move(key));
    if (added) keys_.push_back(added);
    return added;
}

void Stage::Update() {
    // Index loop: an object may append to the list while it updates, and the
    // new object is then visited in the same pass.
    for (size_t i = 0; i < objects_.size(); ++i) {
        Object* object = objects_[i].get();
        if (object->IsActive()) object->Update();
    }
    ++refreshCounter_;
    if (refreshCounter_ % refreshPeriod_ == 0) {
        refreshCounter_ = 0;
        int playerFloor = 0;
        if (world_ && world_->GetPlayer()) playerFloor = world_->GetPlayer()->GetCurrentFloor();
        RefreshActivity(playerFloor);
    }
}

void Stage::RefreshActivity(int playerFloor) {
    for (const auto& object : objects_) {
        int floor = object->GetFloor();
        object->SetActive(floor == playerFloor || floor == layout::kEveryFloor);
    }
}

void Stage::SubmitOpaque(std::vector<Render::ModelDraw>& out) const {
    for (const auto& object : objects_)
        if (!object->IsTranslucent()) object->Submit(out);
}

void Stage::SubmitTranslucent(std::vector<Render::ModelDraw>& out) const {
    for (const auto& object : objects_)
        if (object->IsTranslucent()) object->Submit(out);
}

int Stage::GetFloor(const Vector3& position) const {
    if (position.y >= floorY_[0]) return 0;
    if (position.y >= floorY_[1]) return 1;
    return 2;
}

float Stage::GroundHeight(int floor) const {
    if (floor == 1) return floorY_[1];
    if (floor == 2) return floorY_[2];
    return floorY_[0];
}

void Stage::PushOut(Vector3& displacement, Matrix& mover, float radius) const {
    PushOutOf(displacement, mover, radius, [](const Object& object) { return object.IsActive(); });
}

void Stage::PushOut(Vector3& displacement, Matrix& mover, float radius, int floor) const {
    PushOutOf(displacement, mover, radius, [floor](const Object& object) { return object.GetFloor() == floor; });
}

template <class Pushes>
void Stage::PushOutOf(Vector3& displacement, Matrix& mover, float radius, Pushes pushes) const {
    displacement = Vector3(0.0f, 0.0f, 0.0f);
    for (const auto& object : objects_) {
        if (!object->IsPushEnabled() || !pushes(*object)) continue;
        const Matrix& world = object->GetMatrixRef();
        float dx = mover._41 - world._41;
        float dz = mover._43 - world._43;
        float d = std::sqrt(dx * dx + dz * dz);
        if (d + radius > object->GetPushRadius() + radius) continue;

        if (object->IsPushCircle()) {
            Vector3 push(0.0f, 0.0f, 0.0f);
            if (d > 0.0f) {
                float out = object->GetPushRadius() - d;
                push = Vector3(dx / d * out, 0.0f, dz / d * out);
            }
            mover._41 += push.x;
            mover._43 += push.z;
            displacement = push;
        } else if (object->IsPushBox()) {
            Vector3 local = Vector3::Transform(mover.Translation(), world.Invert());
            float x = local.x, z = local.z;
            const PushShape& box = object->GetPushShape();
            float zPos = box.maxZ, zNeg = box.minZ;
            float xPos = box.maxX, xNeg = box.minX;
            float px = 0.0f, pz = 0.0f;
            if (-xNeg < x && x < xPos) {
                if (z > zPos && z - radius < zPos)
                    pz = zPos - (z - radius);
                else if (z < -zNeg && z + radius > -zNeg)
                    pz = -zNeg - (z + radius);
            }
            if (-zNeg < z && z < zPos) {
                if (x >= xPos && x - radius <= xPos)
                    px = xPos - (x - radius);
                else if (x <= -xNeg && x + radius >= -xNeg)
                    px = -xNeg - (x + radius);
            }
            Vector3 push(px * world._11 + pz * world._31, px * world._12 + pz * world._32,
                         px * world._13 + pz * world._33);
            mover._41 += push.x;
            mover._42 += push.y;
            mover._43 += push.z;
            displacement += push;
        }
    }
}

bool Stage::IsCoreAlive() const {
    return portal_ == nullptr || portal_->IsAlive();
}

void Stage::Clear() {
    // In list order, as they were made.
    for (auto& object : objects_) object.reset();
    objects_.clear();
    objects_.shrink_to_fit();
    keys_.clear();
    keys_.shrink_to_fit();
    portal_ = nullptr;
}

namespace {

// The two stairwells: the box each is enclosed in (with a unit to spare)
// and the floors it joins.
struct Stairwell {
    Render::Box box;
    int upper, lower;
};
const Stairwell kStairwells[] = {
    {{Vector3(35.0f, -13.0f, 131.0f), Vector3(16.0f, 30.0f, 20.0f)}, 0, 1},
    {{Vector3(55.0f, -55.0f, -69.0f), Vector3(16.0f, 30.0f, 20.0f)}, 1, 2},
};

}  // namespace

uint32_t Stage::VisibleFloors(const Render::Camera& camera) const {
    const Render::Frustum frustum(camera.view * camera.projection);
    uint32_t floors = 1u << GetFloor(camera.eye);
    // A floor seen through a stairwell may show the next one through the
    // other stairwell: go on until nothing more is added.
    for (bool added = true; added;) {
        added = false;
        for (const Stairwell& well : kStairwells) {
            const uint32_t both = (1u << well.upper) | (1u << well.lower);
            if ((floors & both) == 0 || (floors & both) == both) continue;
            if (!frustum.MayShow(well.box)) continue;
            floors |= both;
            added = true;
        }
    }
    return floors;
}
