// The real application with its window, for tests that drive it through
// SDL events: opening and closing it the same way in every such suite, and
// starting a game with its zombies taken away.
#pragma once

#include <gtest/gtest.h>

#include <SDL.h>

#include <memory>

#include "Application/App.h"
#include "Framework/Platform/Input.h"
#include "Framework/ResourceCache.h"
#include "Game/Enemy/EnemyList.h"
#include "Scene/GameScene.h"
#include "Scene/SceneManager.h"

class AppWindowTest : public ::testing::Test {
protected:
    // Opens the application's window without the frame cap and drops the
    // events its opening left. Call it with ASSERT_TRUE.
    bool OpenWindow() {
        Platform::Input::GetInstance().Reset();
        SceneManager::GetInstance().Clear();
        app.SetFrameCap(false);
        if (!app.Init(1280, 720)) return false;
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        return true;
    }
    void CloseWindow() {
        SceneManager::GetInstance().Clear();
        // Models and textures belong to this window's GL context.
        ResourceCache::GetInstance().Clear();
        app.Shutdown();
        app.SetFrameCap(true);
        Platform::Input::GetInstance().Reset();
    }
    // A game scene after one frame, without zombies to get in the way.
    GameScene* StartGame() {
        SceneManager::GetInstance().SetNextScene(std::make_unique<GameScene>());
        EXPECT_TRUE(app.RunFrame(1));
        auto* game = dynamic_cast<GameScene*>(SceneManager::GetInstance().GetCurrentScene());
        if (game) game->GetEnemyList()->Clear();
        return game;
    }

    App& app = App::GetInstance();
};
