// HUD: texture sets, fade and flash timers, and the game overlay's fade.
#include "Scene/Hud.h"

#include "Framework/Graphics/ShaderManager.h"
#include "Framework/ResourceCache.h"
#include "Scene/GameScene.h"

void Hud::LoadTextures(int mode) {
    ResourceCache& cache = ResourceCache::GetInstance();
    textures_.clear();
    mode_ = mode;
    if (mode == kTitle) {
        for (const char* path : {"Data/title.png", "Data/cliclstart.png", "Data/titleBlood.png"})
            textures_.push_back(cache.GetTexture(path));
    } else if (mode == kGame) {
        for (const char* path : {"Data/hp.png", "Data/Aim.png", "Data/number.png", "Data/keycard.png",
                                 "Data/hpmark.png", "Data/white.png", "Data/reload.png", "Data/bloodFrame.png"})
            textures_.push_back(cache.GetTexture(path));
        endDelay_ = 240;
    } else if (mode == kResult) {
        textures_.push_back(cache.GetTexture(cleared_ ? "Data/clear.png" : "Data/YOUAREDEAD.jpg"));
        textures_.push_back(cache.GetTexture("Data/clicktitle.png"));
        textures_.push_back(cache.GetTexture("Data/white.png"));
        fade_ = cleared_ ? 1.0f : 0.0f;
    }
}

void Hud::UpdateGame(GameScene* scene) {
    const int state = scene ? scene->GetState() : GameScene::kPlaying;
    if (state == GameScene::kEnding) {
        --endDelay_;
        if (endDelay_ <= 0) {
            endDelay_ = 0;
            fade_ += 0.01f;
        }
    }
    if (state == GameScene::kPlaying && fade_ > 0.0f) {
        fadeColour_ = 0.0f;
        fade_ -= 0.05f;
        if (fade_ < 0.0f) fade_ = 0.0f;
    }
    damageFlash_ -= 0.05f;
    if (damageFlash_ < 0.0f) damageFlash_ = 0.0f;
}

void Hud::UpdateResult() {
    fade_ += 0.005f;
    if (fade_ > 1.0f) fade_ = 1.0f;
}

void Hud::DrawGame(GameScene* scene) {
    (void)scene;
    ShaderManager& shaders = ShaderManager::GetInstance();
    if (fade_ > 0.0f && textures_.size() > kTexWhite) {
        shaders.SetTransform(Matrix());
        const SpriteRect source{0.0f, 0.0f, 1280.0f, 720.0f};
        const Vector4 colour(fadeColour_, fadeColour_, fadeColour_, fade_);
        shaders.DrawTexture(textures_[kTexWhite], 0.0f, 0.0f, 1280.0f, 720.0f, &source, &colour,
                            Vector2(0.5f, 0.5f));
    }
}
