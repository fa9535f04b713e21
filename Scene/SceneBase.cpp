#include "Scene/SceneBase.h"

#include "Framework/Graphics/GraphicsDevice.h"
#include "Framework/Graphics/ShaderManager.h"

void SceneBase::SetLookCamera(const Vector3& eye, const Vector3& direction, float fieldOfViewDegrees) {
    ShaderManager& shaders = ShaderManager::GetInstance();
    const Matrix view = Matrix::CreateLookTo(eye, direction, Vector3(0.0f, 1.0f, 0.0f));
    CbCamera& camera = shaders.CameraBlock();
    camera.g_mV = view;
    camera.g_CamPos = view.Invert().Translation();
    camera.g_mP =
        Matrix::CreatePerspectiveFieldOfView(fieldOfViewDegrees * Math::kDegToRad, 16.0f / 9.0f, 0.01f, 1000.0f);
    shaders.UploadCamera();
}

void SceneBase::Step() {
    // Lights are collected afresh every step during Update; the last step's
    // lights are the ones drawn.
    ShaderManager::GetInstance().BeginFrameLights();
    Update();
    SetCamera();
}

void SceneBase::Draw() {
    ShaderManager& shaders = ShaderManager::GetInstance();
    GraphicsDevice& device = GraphicsDevice::GetInstance();

    shaders.UploadLightsIfPending();

    device.SetBackBufferAsTarget();
    device.ClearTarget(1.0f, 1.0f, 1.0f, 1.0f);
    device.ClearDepthStencil(1.0f, 0);

    Draw3D();
    Draw2D();
}
