// The large zombie: thirty hit points, a vomit attack from up to 15 away and
// no weak spot; a head shot is its critical hit.
#pragma once

#include "Game/Enemy/Zombie.h"

class Enemy_Strong : public Zombie {
public:
    // Its parts, numbers, vomit attack and motions.
    static const ZombieKind& Kind();

    Enemy_Strong() : Zombie(Kind()) {}
};
