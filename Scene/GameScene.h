// The playing screen. Owns everything of one game (enemy list, player, gun,
// effect list, stage, HUD and the off-screen picture the world is drawn
// into), runs them in a fixed order every frame, decides when the game ends
// and lets the ending play out as a shaking, smeared fade before handing
// over to the result screen.
#pragma once

#include "Framework/Graphics/VeTexture.h"
#include "Scene/SceneBase.h"

class EnemyList;
class Stage;
class Hud;
class EffectList;
class Player;
class Gun;

// Creates the result screen for the end of a game, prepared for a clear or
// a death, for the game scene to request. Returns null while the game has no
// result screen.
SceneBase* CreateResultScene(bool cleared);

class GameScene : public SceneBase {
public:
    static constexpr int kPlaying = 0;
    static constexpr int kEnding = 3;
    static constexpr int kSceneWidth = 1280;
    static constexpr int kSceneHeight = 720;

    GameScene();
    ~GameScene() override;

    void Frame() override;
    void Update() override;
    void Draw2D() override;
    void Draw3D() override;
    void SetCamera() override;
    void DrawDebug() override {}

    EnemyList* GetEnemyList() const { return enemyList_; }
    Stage* GetStage() const { return stage_; }
    Hud* GetHud() const { return hud_; }
    EffectList* GetEffectList() const { return effectList_; }
    Player* GetPlayer() const { return player_; }
    Gun* GetGun() const { return gun_; }
    int GetState() const { return state_; }
    VeTexture& GetSceneTexture() { return sceneTexture_; }

    // Which result the ending asked for: -1 none yet, 1 cleared, 0 dead.
    int GetRequestedResult() const { return requestedResult_; }
    // Sprite transform offset of the last Draw2D (the ending's shake).
    float GetLastShakeX() const { return lastShakeX_; }
    float GetLastShakeY() const { return lastShakeY_; }

private:
    void RequestResult(bool cleared);

    int state_ = kPlaying;
    EnemyList* enemyList_ = nullptr;
    Stage* stage_ = nullptr;
    Hud* hud_ = nullptr;
    EffectList* effectList_ = nullptr;
    Player* player_ = nullptr;
    Gun* gun_ = nullptr;
    VeTexture sceneTexture_;
    int requestedResult_ = -1;
    float lastShakeX_ = 0.0f;
    float lastShakeY_ = 0.0f;
};
