// The screen after a game: after a clear, a 3D result room behind the clear
// banner with a white flash that fades out; after death, a black screen with
// the death banner fading in. Once the banner is fully shown a button leads
// back to the title.
#pragma once

#include <memory>

#include "Framework/Math/SimpleMath.h"
#include "Scene/SceneBase.h"

class Hud;
class Stage;
class VeTexture;

class ResultScene : public SceneBase {
public:
    ResultScene();
    ~ResultScene() override;
    ResultScene(const ResultScene&) = delete;
    ResultScene& operator=(const ResultScene&) = delete;

    // The game scene calls, in this order: SetCleared, then PrepareCleared
    // or PrepareDead.
    void SetCleared(bool cleared) { cleared_ = cleared; }
    // Builds the result room and loads the HUD's clear set.
    void PrepareCleared();
    // Loads the HUD's death set; the room stays empty.
    void PrepareDead();

    void Update() override;
    void Draw2D() override;
    void Draw3D() override {}
    void SetCamera() override;
    void DrawDebug() override {}

    bool IsCleared() const { return cleared_; }
    // The mouse was over the button at the end of the last Update (true
    // until the button shows: a click anywhere counts before it is drawn).
    bool IsOverButton() const { return overButton_; }
    int GetCursorX() const { return cursorX_; }
    int GetCursorY() const { return cursorY_; }
    float GetFlash() const { return flash_; }
    // The title was requested (once).
    bool IsTitleRequested() const { return titleRequested_; }
    const Vector3& GetEye() const { return eye_; }
    const Vector3& GetViewDirection() const { return viewDirection_; }
    Stage* GetStage() const { return stage_.get(); }
    Hud* GetHud() const { return hud_.get(); }

private:
    bool cleared_ = false;
    int cursorX_ = 0;
    int cursorY_ = 0;
    bool overButton_ = true;
    Vector3 eye_{0.0f, 5.0f, 35.0f};
    Vector3 viewDirection_{0.0f, 1.0f, -35.0f};
    VeTexture* whiteTexture_ = nullptr;
    float flash_ = 1.0f;
    std::unique_ptr<Stage> stage_;
    std::unique_ptr<Hud> hud_;
    bool titleRequested_ = false;
};
