// The stage: owns every placed object of the level, in creation order.
#pragma once

#include <vector>

class Object;

class Stage {
public:
    std::vector<Object*>& GetObjects() { return objects_; }
    const std::vector<Object*>& GetObjects() const { return objects_; }

protected:
    std::vector<Object*> objects_;
};
