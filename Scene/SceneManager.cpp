#include "Scene/SceneManager.h"

#include "Scene/SceneBase.h"

SceneManager& SceneManager::GetInstance() {
    static SceneManager instance;
    return instance;
}

SceneManager::~SceneManager() { Clear(); }

void SceneManager::SetNextScene(std::unique_ptr<SceneBase> scene) {
    if (scene) next_ = std::move(scene);
}

void SceneManager::Step() {
    if (next_) {
        // The old scene goes before the new one runs its first step.
        current_.reset();
        current_ = std::move(next_);
    }
    if (current_) current_->Step();
}

void SceneManager::Draw() {
    if (current_) current_->Draw();
}

bool SceneManager::IsPaused() const { return current_ && current_->IsPaused(); }

void SceneManager::Clear() {
    current_.reset();
    next_.reset();
    SetClickLatched(false);
}
