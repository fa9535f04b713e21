// The 2D overlay of every scene. Each scene loads one texture set: title,
// game or result. In the game it draws the prompts, blood frames, health
// bar, crosshair, reload sign, ammunition counter, held key cards and the
// full-screen fade; it keeps the fade value that decides when the game hands
// over to the result screen.
#pragma once

#include <vector>

class VeTexture;
class GameScene;
class TitleScene;
class ResultScene;

class Hud {
public:
    enum Mode { kTitle = 0, kGame = 1, kResult = 2 };
    // Indices into the game set.
    enum GameTexture {
        kTexHp = 0, kTexAim, kTexNumber, kTexKeycard, kTexHpMark, kTexWhite, kTexReload, kTexBloodFrame,
    };

    Hud() = default;

    // Loads the texture set of a mode from the resource cache and sets the
    // mode; the game set also sets the ending delay to 240 frames, the
    // result set the banner's fade (1.0 after a clear, 0.0 after death).
    void LoadTextures(int mode);

    void SetFade(float fade) { fade_ = fade; }
    float GetFade() const { return fade_; }
    void SetFadeColour(float grey) { fadeColour_ = grey; }
    float GetFadeColour() const { return fadeColour_; }
    void SetDamageFlash(float flash) { damageFlash_ = flash; }
    float GetDamageFlash() const { return damageFlash_; }
    bool* GetClearedFlag() { return &cleared_; }
    int GetMode() const { return mode_; }
    int GetEndDelay() const { return endDelay_; }
    const std::vector<VeTexture*>& GetTextures() const { return textures_; }

    // Game: counts the ending delay down and then raises the fade while the
    // scene is ending, fades in from black while playing, lets the damage
    // flash fade.
    void UpdateGame(GameScene* scene);
    // Result: raises the banner's fade by 0.005 a frame, up to 1.0.
    void UpdateResult();

    // Game overlay. Drawn so far: the full-screen fade. The prompts, blood
    // frames, health bar, crosshair, reload sign, ammunition counter and key
    // cards are drawn by the rest of the overlay, still to come.
    void DrawGame(GameScene* scene);
    void DrawTitle(TitleScene* scene);
    void DrawResult(ResultScene* scene);

private:
    std::vector<VeTexture*> textures_;
    int mode_ = 0;
    float fade_ = 0.0f;
    int endDelay_ = 0;
    float fadeColour_ = 0.0f;
    float damageFlash_ = 0.0f;
    int pulseAngle_ = 0;
    float hpShown_ = 1.0f;
    bool cleared_ = false;
    float cardWobble_[3] = {0.0f, 0.0f, 0.0f};
    int reloadAngle_ = 0;
};
