// Destroys a game's generator core as the player does: shot after shot at
// each of its lights until every light is out, which kills the core.
#pragma once

#include <gtest/gtest.h>

#include "Game/Stage/Generator.h"
#include "Game/Stage/Portal.h"
#include "Game/Stage/Stage.h"

namespace testgame {

inline void ShootOutTheCore(Stage& stage) {
    Portal* core = stage.GetPortal();
    ASSERT_NE(core, nullptr) << "the stage has no generator";
    for (PortalLight* light : core->GetLights())
        for (int shot = 0; shot < 100 && light->IsAlive(); ++shot) core->Damage(1, light->GetEffectPosition());
    ASSERT_FALSE(core->IsAlive());
    ASSERT_FALSE(stage.IsCoreAlive());
}

}  // namespace testgame
