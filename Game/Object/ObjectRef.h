// A watch on an object that its owner may delete while others still refer
// to it (a bullet's target, the wall under a bullet hole, the owner of a
// blob shadow): it yields the object while the object lives and null once
// it is gone, so the watcher never touches a deleted object.
#pragma once

#include <memory>

#include "Game/Object/Object.h"

template <class T>
class ObjectRef {
public:
    ObjectRef() = default;
    // Watches the object (null watches nothing).
    ObjectRef(T* object) : object_(object) {
        if (object) life_ = object->lifeToken_;
    }

    // The object, or null when there was none or it has been deleted.
    T* Get() const { return life_.expired() ? nullptr : object_; }
    T* operator->() const { return Get(); }
    explicit operator bool() const { return Get() != nullptr; }
    // True when an object was given, whether or not it still lives.
    bool WasSet() const { return object_ != nullptr; }

private:
    T* object_ = nullptr;
    std::weak_ptr<const int> life_;
};
