#include "Scene/SceneManager.h"

#include "Scene/SceneBase.h"

SceneManager& SceneManager::GetInstance() {
    static SceneManager instance;
    return instance;
}

SceneManager::~SceneManager() { Clear(); }

void SceneManager::Update() {
    if (next_ != current_) {
        // The old scene goes before the new one runs its first frame.
        delete current_;
        current_ = next_;
    }
    if (current_) current_->Frame();
}

void SceneManager::Clear() {
    SceneBase* pending = next_ != current_ ? next_ : nullptr;
    delete current_;
    current_ = nullptr;
    delete pending;
    next_ = nullptr;
    SetClickLatched(false);
}
