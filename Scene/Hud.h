// The 2D overlay of every scene. Each scene loads one texture set: title,
// game or result. In the game it draws the prompts, blood frames, health
// bar, crosshair, reload sign, ammunition counter, held key cards and the
// full-screen fade; it keeps the fade value that decides when the game hands
// over to the result screen. On the title and result screens it draws the
// logo or banner and the button, and tells the scene whether the mouse is
// over the button (ButtonHovered).
#pragma once

#include <vector>

#include "Framework/Graphics/ShaderManager.h"
#include "Framework/Math/SimpleMath.h"

class VeTexture;
class GameWorld;
class TitleScene;
class ResultScene;

class Hud {
public:
    // Which texture set is loaded (and so which screen the HUD serves).
    enum class Mode : int { Title = 0, Game = 1, Result = 2 };
    // Indices into the game set.
    enum GameTexture {
        kTexHp = 0, kTexAim, kTexNumber, kTexKeycard, kTexHpMark, kTexWhite, kTexReload, kTexBloodFrame,
    };
    // Indices into the title set.
    enum TitleTexture { kTexTitleLogo = 0, kTexStartButton, kTexTitleBlood };
    // Indices into the result set.
    enum ResultTexture { kTexBanner = 0, kTexTitleButton, kTexResultWhite };

    // The number strip (asset::texture::kNumber): 15 x 26 cells, digits 0-9
    // then the slash.
    static constexpr int kDigitWidth = 15;
    static constexpr int kDigitHeight = 26;
    static constexpr int kSlashCell = 10;

    // One sprite as the HUD handed it to the sprite drawer during the last
    // Draw call: what was drawn, where, which texels and how. Lets the
    // overlay's choices be checked without reading pixels back.
    struct DrawnSprite {
        const VeTexture* texture = nullptr;
        Matrix transform;
        float width = 0.0f;
        float height = 0.0f;
        SpriteRect source;
        Vector4 colour;
        Vector2 pivot;
    };

    // The six number cells of the ammunition counter, left to right:
    // magazine tens, magazine units, slash, reserve hundreds, tens, units.
    // The magazine shows 0..99 and the reserve 0..999 (larger values are
    // clamped, negative ones show as 0).
    struct AmmoCells {
        int cell[6] = {0, 0, kSlashCell, 0, 0, 0};
    };
    static AmmoCells ComputeAmmoCells(int magazine, int reserve);
    // Screen x of each of the six cells.
    static constexpr float kAmmoCellX[6] = {542.0f, 557.0f, 572.0f, 587.0f, 602.0f, 617.0f};
    static constexpr float kAmmoY = -332.0f;

    // The frames-per-second readout in the top-left corner: up to three
    // digit cells (0..999), without leading zeros.
    static std::vector<int> FrameRateCells(int perSecond);
    static constexpr float kFrameRateX = -620.0f;
    static constexpr float kFrameRateY = 332.0f;

    // Hover test of a button drawn at (0, -250) with the given texture
    // size, strict on every edge; (mx, my) in sprite coordinates.
    static bool IsOverButton(int mx, int my, int width, int height);
    // The size the button pictures are made at. A button whose picture
    // failed to load keeps this area, so it can still be clicked.
    static constexpr int kButtonWidth = 400;
    static constexpr int kButtonHeight = 90;

    Hud() = default;

    // Loads the texture set of a mode from the resource cache and sets the
    // mode; the game set also sets the ending delay to 240 frames, the
    // result set the banner's fade (1.0 after a clear, 0.0 after death).
    void LoadTextures(Mode mode);

    void SetFade(float fade) { fade_ = fade; }
    float GetFade() const { return fade_; }
    void SetFadeColour(float grey) { fadeColour_ = grey; }
    float GetFadeColour() const { return fadeColour_; }
    // The blood frame's opacity; a hit on the player sets it to 1.0.
    void SetDamageFlash(float flash) { damageFlash_ = flash; }
    float GetDamageFlash() const { return damageFlash_; }
    // The result set: the game was won. Set before LoadTextures.
    void SetCleared(bool cleared) { cleared_ = cleared; }
    bool IsCleared() const { return cleared_; }
    Mode GetMode() const { return mode_; }
    int GetEndDelay() const { return endDelay_; }
    float GetHpShown() const { return hpShown_; }
    int GetPulseAngle() const { return pulseAngle_; }
    int GetReloadAngle() const { return reloadAngle_; }
    float GetCardWobble(int colour) const { return colour >= 0 && colour < 3 ? cardWobble_[colour] : 0.0f; }
    const std::vector<VeTexture*>& GetTextures() const { return textures_; }
    // The two prompt pictures of the game set: pick up, use.
    const VeTexture* GetPickUpPrompt() const { return pickUpPrompt_; }
    const VeTexture* GetUsePrompt() const { return usePrompt_; }

    // Game: counts the ending delay down and then raises the fade while the
    // world is ending, fades in from black while playing; restarts the damage
    // flash when the player took a hit since the last call, and lets it fade.
    void UpdateGame(const GameWorld& world);
    // Result: raises the banner's fade by 0.005 a frame, up to 1.0.
    void UpdateResult();
    // Game, once a step after the scene's update: the overlay's own
    // animations (the low-health pulse, the health bar sinking to the real
    // ratio, the reload sign's pulse, the held cards' wobble), so that they
    // run at the game's pace however often the picture is drawn.
    void AnimateGame(const GameWorld& world);
    // Title and result: the mouse, in sprite coordinates, is over the
    // button of this set (over the picture's area, or the intended button
    // area when the picture is missing).
    bool ButtonHovered(int mx, int my) const;

    // Game overlay, over the scene picture (Begin2D already called).
    void DrawGame(const GameWorld& world);
    // Logo and start button, larger while the mouse is over it.
    void DrawTitle(TitleScene* scene);
    // Black screen after death, banner, and the button back to the title
    // once the banner is fully shown.
    void DrawResult(ResultScene* scene);

    // The sprites of the last DrawGame / DrawTitle / DrawResult, in order.
    const std::vector<DrawnSprite>& GetLastDrawn() const { return drawn_; }

private:
    VeTexture* Texture(size_t index) const { return index < textures_.size() ? textures_[index] : nullptr; }
    // Sets the sprite transform and draws; records what was drawn.
    void Sprite(const VeTexture* texture, const Matrix& transform, const SpriteRect& source,
                const Vector4& colour, Vector2 pivot = Vector2(0.5f, 0.5f));
    // The whole texture (width x height of the file).
    static SpriteRect Whole(const VeTexture* texture);
    // The mouse is over a button drawn at (0, -250) with this picture.
    static bool OverButton(const VeTexture* texture, int mx, int my);
    // Draws a button at (0, -250), 1.2 times larger while the mouse is over
    // it.
    void DrawButton(const VeTexture* texture, int mx, int my);

    void DrawPrompts(const GameWorld& world);
    void DrawHealth();
    void DrawAmmunition(const GameWorld& world);
    void DrawKeyCards(const GameWorld& world);
    // The readout, when the player asked for it in the settings.
    void DrawFrameRate();

    std::vector<VeTexture*> textures_;
    VeTexture* pickUpPrompt_ = nullptr;
    VeTexture* usePrompt_ = nullptr;
    Mode mode_ = Mode::Title;
    float fade_ = 0.0f;
    int endDelay_ = 0;
    float fadeColour_ = 0.0f;
    float damageFlash_ = 0.0f;
    // The player's hit count as of the last UpdateGame.
    int hitsSeen_ = 0;
    int pulseAngle_ = 0;
    float hpShown_ = 1.0f;
    bool cleared_ = false;
    float cardWobble_[3] = {0.0f, 0.0f, 0.0f};
    int reloadAngle_ = 0;
    // What the last AnimateGame decided the picture shows.
    bool pulseShown_ = false;
    bool reloadShown_ = false;
    float reloadAlpha_ = 0.0f;
    std::vector<DrawnSprite> drawn_;
};
