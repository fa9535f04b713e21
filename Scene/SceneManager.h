// Holds the current scene, switches to a requested scene at the start of the
// next Update, and carries the click latch that keeps a click which changed
// the scene from acting again in the new one.
#pragma once

#include "Framework/Platform/ClickLatch.h"

class SceneBase;

class SceneManager {
public:
    static SceneManager& GetInstance();

    // Requests a scene for the next frame; the manager owns it once current.
    void SetNextScene(SceneBase* scene) { next_ = scene; }
    // Performs a pending switch (deleting the old scene), then runs the
    // current scene's Frame.
    void Update();

    // The click latch (Platform::IsClickLatched), which the screens and the
    // gun share.
    bool IsClickLatched() const { return Platform::IsClickLatched(); }
    void SetClickLatched(bool latched) { Platform::SetClickLatched(latched); }

    SceneBase* GetCurrentScene() const { return current_; }
    SceneBase* GetNextScene() const { return next_; }
    // Deletes the current scene and any pending one and clears the click
    // latch (tests, tool shutdown).
    void Clear();

private:
    SceneManager() = default;
    ~SceneManager();
    SceneBase* current_ = nullptr;
    SceneBase* next_ = nullptr;
};
