// Runs a scene through its real frame routine with injected input, for the
// scene suites (headless, or drawn by a GL suite).
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "Framework/Platform/Input.h"
#include "Scene/SceneManager.h"
#include "tests/Framework/Platform/InputFrames.h"

template <class S>
class SceneDriver {
protected:
    // Each frame: the input, then the scene's whole frame (update and draw).
    void Step(const Platform::InputFrame& f, int frames = 1) {
        for (int i = 0; i < frames; ++i) {
            Platform::Input::GetInstance().SetFrame(f);
            scene_->Frame();
        }
    }
    // No injected input, no scene pending and the click latch open.
    static void ResetGameState() {
        Platform::Input::GetInstance().Reset();
        SceneManager::GetInstance().Clear();
        SceneManager::GetInstance().SetClickLatched(false);
    }
    std::unique_ptr<S> scene_;
};

// A headless scene suite: every test starts and ends with no input, no
// scene pending and the latch open; the scene goes first.
template <class S>
class HeadlessSceneTest : public ::testing::Test, protected SceneDriver<S> {
protected:
    void SetUp() override {
        this->ResetGameState();
        Platform::Input::GetInstance().SetFrame(Platform::InputFrame{});
    }
    void TearDown() override {
        this->scene_.reset();
        this->ResetGameState();
    }
};
