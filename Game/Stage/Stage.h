// The container of every placed object: in a game the map pieces,
// furniture, doors, key cards, ammunition boxes and the generator; on the
// title and result screens their rooms. It knows the height of each floor,
// switches objects on and off by the player's floor, runs their update and
// their two draw passes, and pushes moving bodies out of furniture.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "Framework/Math/SimpleMath.h"
#include "Framework/Render/Frustum.h"
#include "Framework/Render/RenderFrame.h"
#include "Game/Object/PointerView.h"

class Object;
class Key;
class Portal;
class GameWorld;

class Stage {
public:
    // Floors at 0, -42 and -84, generator size 18, activity refreshed every
    // 30 updates. A game's stage belongs to its world, through which its
    // objects reach the player and the lists; a stage without a world (the
    // title and result rooms, tools and tests) is a plain list of objects
    // whose player counts as being on floor 0. Every stage owns and deletes
    // its objects.
    explicit Stage(GameWorld* world = nullptr);
    ~Stage();
    Stage(const Stage&) = delete;
    Stage& operator=(const Stage&) = delete;

    // Appends an object (nothing for null) and returns it; the stage owns
    // it from now on.
    template <class T>
    T* Add(std::unique_ptr<T> object) {
        T* added = object.get();
        AddObject(std::move(object));
        return added;
    }
    // Appends a key card to the objects and to the list of cards.
    Key* AddKey(std::unique_ptr<Key> key);

    // Updates every active object (objects appended during the pass are
    // visited too) and every 30th call re-decides which objects are active
    // from the player's current floor.
    void Update();
    // Rewrites every object's active flag: its floor is the given floor, or
    // every floor (layout::kEveryFloor).
    void RefreshActivity(int playerFloor);

    // Drawing passes: every object without / with its translucent flag, in
    // list order, whatever its active flag.
    void SubmitOpaque(std::vector<Render::ModelDraw>& out) const;
    void SubmitTranslucent(std::vector<Render::ModelDraw>& out) const;
    // The floors (bit f for floor f) that may show in a picture from this
    // camera: the eye's own floor, and a floor that a stairwell joins to a
    // floor that shows, while the stairwell lies in the view. Floors are
    // solid slabs and the stairwells the only way between them, so every
    // line of sight to another floor passes through a stairwell in view.
    uint32_t VisibleFloors(const Render::Camera& camera) const;

    // Floor index of a height: 0, 1 or 2. Positions below the lowest floor
    // count as the lowest floor.
    int GetFloor(const Vector3& position) const;
    // Ground height of a floor index (floor 0 for anything but 1 and 2).
    float GroundHeight(int floor) const;

    // Pushes a mover of the given radius (its world matrix's translation is
    // corrected in place) out of every active object with a push shape, one
    // object after the other. displacement receives the push.
    void PushOut(Vector3& displacement, Matrix& mover, float radius) const;
    // The same for a mover that belongs to one floor (a zombie): only the
    // objects of that floor push it, whichever floor the player is on.
    void PushOut(Vector3& displacement, Matrix& mover, float radius, int floor) const;

    // Every object, in list order.
    PointerView<Object> GetObjects() const { return PointerView<Object>(objects_); }
    // The key cards among them, in the order they were added.
    const std::vector<Key*>& GetKeys() const { return keys_; }
    Portal* GetPortal() const { return portal_; }
    void SetPortal(Portal* portal) { portal_ = portal; }
    float GetGeneratorSize() const { return generatorSize_; }
    int GetRefreshCounter() const { return refreshCounter_; }

    // The generator core is alive: true while no core has been built (the
    // game cannot be won without one) and while the built core lives.
    bool IsCoreAlive() const;

    // The game this stage belongs to, or null.
    GameWorld* GetWorld() const { return world_; }

    // Deletes every object and empties both lists.
    void Clear();

private:
    void AddObject(std::unique_ptr<Object> object);
    template <class Pushes>
    void PushOutOf(Vector3& displacement, Matrix& mover, float radius, Pushes pushes) const;

    GameWorld* world_ = nullptr;
    std::vector<std::unique_ptr<Object>> objects_;
    std::vector<Key*> keys_;
    Portal* portal_ = nullptr;
    float floorY_[3] = {0.0f, -42.0f, -84.0f};
    float generatorSize_ = 18.0f;
    int refreshPeriod_ = 30;
    int refreshCounter_ = 0;
};
