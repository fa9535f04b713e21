// The common zombie: ten hit points, a two-point claw attack at close range
// and a weak spot on the chest that takes ten points per shot.
#pragma once

#include "Game/Enemy/Zombie.h"

class Enemy_Normal : public Zombie {
public:
    // Its parts, numbers, claw attack and motions.
    static const ZombieKind& Kind();

    Enemy_Normal() : Zombie(Kind()) {}
};
