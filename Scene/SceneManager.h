// Holds the current scene, switches to a requested scene at the start of the
// next step, and carries the click latch that keeps a click which changed
// the scene from acting again in the new one.
#pragma once

#include <memory>

#include "Framework/Platform/ClickLatch.h"

class SceneBase;

class SceneManager {
public:
    static SceneManager& GetInstance();

    // Requests a scene for the next step; the manager owns it from now on.
    // A later request before the switch replaces this one (which is then
    // deleted); a null request changes nothing.
    void SetNextScene(std::unique_ptr<SceneBase> scene);
    // One game step: performs a pending switch (deleting the old scene),
    // then runs the current scene's Step.
    void Step();
    // Draws the current scene (after a switch was requested, still the old
    // one: it finishes its frame).
    void Draw();
    // One step and its picture.
    void Update() {
        Step();
        Draw();
    }
    bool HasPendingSwitch() const { return next_ != nullptr; }
    // The current scene stops the game's steps (a pause screen).
    bool IsPaused() const;

    // The click latch (Platform::IsClickLatched), which the screens and the
    // gun share.
    bool IsClickLatched() const { return Platform::IsClickLatched(); }
    void SetClickLatched(bool latched) { Platform::SetClickLatched(latched); }

    SceneBase* GetCurrentScene() const { return current_.get(); }
    // The scene of the next frame: the requested one, else the current one.
    SceneBase* GetNextScene() const { return next_ ? next_.get() : current_.get(); }
    // Deletes the current scene and any pending one and clears the click
    // latch (tests, tool shutdown).
    void Clear();

private:
    SceneManager() = default;
    ~SceneManager();
    std::unique_ptr<SceneBase> current_;
    std::unique_ptr<SceneBase> next_;
};
