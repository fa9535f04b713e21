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
    // The picture the world is drawn into at a render scale below 1 (and
    // while ending), to be stretched into the window.
    VeTexture& GetSceneTexture() { return sceneTexture_; }
    // Draws the world alone, as the last step left it, into the scene
    // picture at the render scale of the last frame, and returns it (tests
    // and tools compare the window with it). Leaves the back buffer bound.
    VeTexture& DrawWorldPicture();
    // The window's picture, built here and copied into the window, while
    // playing at full scale (the world drawn straight into it) and while
    // ending, when it keeps the frames before, so that the ending's faint,
    // shaken copies smear over them.
    VeTexture& GetSmearTexture() { return smearTexture_; }
    // True when the last frame drew the world straight into the smear
    // picture (playing at full scale), false when it drew it into the scene
    // picture.
    bool DrewWorldInPicture() const { return worldInPicture_; }
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
    // Draws the scene picture's world over the bound target, at the given
    // opacity and offset, stretched to the window.
    void CopyWorld(float alpha, float shakeX, float shakeY);
    // The HUD over the bound target.
    void DrawHud();

    std::unique_ptr<GameWorld> world_;
    std::unique_ptr<Hud> hud_;
    VeTexture sceneTexture_;
    VeTexture smearTexture_;
    std::unique_ptr<BlendState> copyBlend_;
    GameResult requestedResult_ = GameResult::None;
    float lastShakeX_ = 0.0f;
    float lastShakeY_ = 0.0f;
    // The shake's own random numbers: it is only a look, and drawing it
    // from the game's numbers would shift every draw of the game after it.
    Math::Random shakeRandom_{GameWorld::GetSeedOfNewGames()};
    bool drawnOnce_ = false;
    // This frame's world goes straight into the smear picture (playing at
    // full scale), and the smear picture holds the last frame shown.
    bool worldInPicture_ = false;
    bool smearHoldsLastFrame_ = false;
    // Size of the 3D picture this frame (the render scale of the window
    // size): drawn into the lower left of the off-screen picture.
    int drawWidth_ = kSceneWidth;
    int drawHeight_ = kSceneHeight;
};
