// A screen of the game (title, game, result) and the routines that fix the
// order of a game step (update) and of drawing what the step left.
#pragma once

#include "Framework/Math/SimpleMath.h"
#include "Framework/Render/RenderFrame.h"

class Stage;

class SceneBase {
public:
    virtual ~SceneBase() = default;

    // One step and its picture: what a frame was before slow machines ran
    // several steps per drawn frame. Tools and tests step frames with it.
    void Frame() {
        Step();
        Draw();
    }
    // One game step of 1/60 s: the frame's point lights are collected
    // afresh, Update, then SetCamera. The camera is placed here rather than
    // when drawing because the next step's effects face it.
    virtual void Step();
    // Draws the state of the last step: uploads the lights it collected,
    // clears to white, clears depth, Draw3D, Draw2D. Several steps and one
    // Draw show what the last of them would have shown as a frame.
    virtual void Draw();
    // While true the frame loop runs no steps (the picture is still drawn):
    // the place for a pause screen.
    virtual bool IsPaused() const { return false; }

    virtual void Update() {}
    virtual void Draw2D() {}
    virtual void Draw3D() {}
    virtual void SetCamera() {}
    virtual void DrawDebug() {}

    // The camera the last step placed (what the next picture is drawn from).
    const Render::Camera& GetCamera() const { return camera_; }
    // The scene's ambient and directional light.
    const Render::Lighting& GetLighting() const { return lighting_; }

protected:
    // The camera of every scene: a left-handed look-to view from the eye
    // along the direction (up +y), a 16:9 perspective of the given vertical
    // field of view from 0.01 to 1000, and the camera position taken from
    // the view.
    void SetLookCamera(const Vector3& eye, const Vector3& direction, float fieldOfViewDegrees);
    // Draws the opaque objects of a room stage from the scene's camera, in
    // its light, into the bound target (the title and result rooms).
    void DrawRoom(const Stage& stage);

    Render::Camera camera_;
    Render::Lighting lighting_;
    Render::Frame frame_;
};
