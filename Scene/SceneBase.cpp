#include "Scene/SceneBase.h"

#include "Framework/Graphics/GraphicsDevice.h"
#include "Framework/Graphics/ShaderManager.h"

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
