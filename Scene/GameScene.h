// The playing screen. Owns the game world (enemy list, player, gun, effect
// list, stage), the HUD and the off-screen picture the world is drawn into;
// runs the world with the HUD every game step, draws it, and once the world
// is ending lets the ending play out as a shaking, smeared fade before
// handing over to the result screen.
#pragma once

#include <memory>

#include "Framework/Graphics/VeTexture.h"
#include "Game/GameWorld.h"
#include "Scene/SceneBase.h"

struct BlendState;

class Hud;

// Creates the result screen for the end of a game, prepared for a clear or
// a death, for the game scene to request. Returns null while the game has no
// result screen.
std::unique_ptr<SceneBase> CreateResultScene(bool cleared);

class GameScene : public SceneBase {
public:
    static constexpr int kSceneWidth = 1280;
    static constexpr int kSceneHeight = 720;

    GameScene();
    ~GameScene() override;

    void Step() override;
    void Draw() override;
    void Update() override;
    void Draw2D() override;
    void Draw3D() override;
    void SetCamera() override;
    void DrawDebug() override {}

    GameWorld& GetWorld() const { return *world_; }
    EnemyList* GetEnemyList() const { return world_->GetEnemyList(); }
    Stage* GetStage() const { return world_->GetStage(); }
    Hud* GetHud() const { return hud_.get(); }
    EffectList* GetEffectList() const { return world_->GetEffectList(); }
    Player* GetPlayer() const { return world_->GetPlayer(); }
    Gun* GetGun() const { return world_->GetGun(); }
    GameState GetState() const { return world_->GetState(); }
    VeTexture& GetSceneTexture() { return sceneTexture_; }
    // The window's picture as it builds up: cleared white each frame while
    // playing, kept while ending, so that the ending's faint, shaken copies
    // smear over the last frames; copied to the window after every draw.
    VeTexture& GetSmearTexture() { return smearTexture_; }
    // The size the last picture's 3D part was drawn at.
    int GetDrawWidth() const { return drawWidth_; }
    int GetDrawHeight() const { return drawHeight_; }

    // Which result the ending asked for (None until it asks).
    GameResult GetRequestedResult() const { return requestedResult_; }
    // Sprite transform offset of the ending's shake, chosen each step and
    // drawn by Draw2D.
    float GetLastShakeX() const { return lastShakeX_; }
    float GetLastShakeY() const { return lastShakeY_; }

private:
    void RequestResult(GameResult result);

    std::unique_ptr<GameWorld> world_;
    std::unique_ptr<Hud> hud_;
    VeTexture sceneTexture_;
    VeTexture smearTexture_;
    std::unique_ptr<BlendState> copyBlend_;
    GameResult requestedResult_ = GameResult::None;
    float lastShakeX_ = 0.0f;
    float lastShakeY_ = 0.0f;
    bool drawnOnce_ = false;
    // Size of the 3D picture this frame (the render scale of the window
    // size): drawn into the lower left of the off-screen picture.
    int drawWidth_ = kSceneWidth;
    int drawHeight_ = kSceneHeight;
};
