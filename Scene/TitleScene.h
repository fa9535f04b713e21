// The first screen and the one the result screen returns to: a small 3D
// room with a figure of the player, the logo and a start button clicked with
// a crosshair cursor. A click on the button leaves a bullet hole where it
// landed, plays a click, fades to black over 100 frames and starts a game.
#pragma once

#include <memory>

#include "Framework/Math/SimpleMath.h"
#include "Scene/SceneBase.h"

class Hud;
class Stage;
class VeTexture;
class VeSoundInstance;

class TitleScene : public SceneBase {
public:
    TitleScene();
    ~TitleScene() override;
    TitleScene(const TitleScene&) = delete;
    TitleScene& operator=(const TitleScene&) = delete;

    void Update() override;
    void Draw2D() override;
    void Draw3D() override {}
    void SetCamera() override;
    void DrawDebug() override {}

    // The mouse was over the start button at the end of the last Update.
    bool IsOverButton() const { return overButton_; }
    // Mouse position in sprite coordinates (origin at the screen centre,
    // y up), as of the last Update.
    int GetCursorX() const { return cursorX_; }
    int GetCursorY() const { return cursorY_; }
    bool IsClicked() const { return clicked_; }
    // Opacity of the black fade after the click.
    float GetFade() const { return fadeColour_.w; }
    const Matrix& GetHoleMatrix() const { return holeMatrix_; }
    // The game was requested (once; later updates leave it alone).
    bool IsGameRequested() const { return gameRequested_; }
    const Vector3& GetEye() const { return eye_; }
    const Vector3& GetViewDirection() const { return viewDirection_; }
    Stage* GetStage() const { return stage_.get(); }
    Hud* GetHud() const { return hud_.get(); }
    const std::shared_ptr<VeSoundInstance>& GetClickSound() const { return clickSound_; }

private:
    Vector3 eye_{35.0f, 1.0f, 10.0f};
    Vector3 viewDirection_;
    int cursorX_ = 0;
    int cursorY_ = 0;
    VeTexture* aimTexture_ = nullptr;
    bool overButton_ = false;
    bool clicked_ = false;
    Vector4 fadeColour_{0.0f, 0.0f, 0.0f, 0.0f};
    VeTexture* whiteTexture_ = nullptr;
    VeTexture* holeTexture_ = nullptr;
    Matrix holeMatrix_;
    std::unique_ptr<Stage> stage_;
    std::unique_ptr<Hud> hud_;
    std::shared_ptr<VeSoundInstance> clickSound_;
    bool gameRequested_ = false;
};
