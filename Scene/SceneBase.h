// A screen of the game (title, game, result) and the per-frame routine that
// fixes the order of update, clearing and drawing.
#pragma once

class SceneBase {
public:
    virtual ~SceneBase() = default;
    // Reset the frame's lights, Update, upload lights, clear to white, clear
    // depth, SetCamera, Draw3D, Draw2D.
    virtual void Frame();
    virtual void Update() {}
    virtual void Draw2D() {}
    virtual void Draw3D() {}
    virtual void SetCamera() {}
    virtual void DrawDebug() {}
};
