#include "Scene/SceneBase.h"

#include "Framework/Graphics/GraphicsDevice.h"
#include "Framework/Render/Renderer.h"
#include "Game/Stage/Stage.h"

void SceneBase::SetLookCamera(const Vector3& eye, const Vector3& direction, float fieldOfViewDegrees) {
    const Matrix view = Matrix::CreateLookTo(eye, direction, Vector3(0.0f, 1.0f, 0.0f));
    camera_.view = view;
    camera_.eye = view.Invert().Translation();
    camera_.projection =
        Matrix::CreatePerspectiveFieldOfView(fieldOfViewDegrees * Math::kDegToRad, 16.0f / 9.0f, 0.01f, 1000.0f);
}

void SceneBase::DrawRoom(const Stage& stage) {
    frame_.Clear();
    frame_.camera = camera_;
    frame_.lighting = lighting_;
    stage.SubmitOpaque(frame_.opaque);
    Render::Renderer::GetInstance().DrawWorld(frame_);
}

void SceneBase::Step() {
    Update();
    SetCamera();
}

void SceneBase::Draw() {
    GraphicsDevice& device = GraphicsDevice::GetInstance();

    device.SetBackBufferAsTarget();
    device.ClearTarget(1.0f, 1.0f, 1.0f, 1.0f);
    device.ClearBoundDepthStencil(1.0f, 0);

    Draw3D();
    Draw2D();
}
