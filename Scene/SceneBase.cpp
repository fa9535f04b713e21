#include "Scene/SceneBase.h"

#include "Framework/Graphics/GraphicsDevice.h"
#include "Framework/Graphics/ShaderManager.h"

void SceneBase::Frame() {
    ShaderManager& shaders = ShaderManager::GetInstance();
    GraphicsDevice& device = GraphicsDevice::GetInstance();

    // Lights are collected afresh every frame during Update, then uploaded
    // once so that this frame's drawing already sees them.
    shaders.BeginFrameLights();
    Update();
    shaders.UploadLightsIfPending();

    device.SetBackBufferAsTarget();
    device.ClearTarget(1.0f, 1.0f, 1.0f, 1.0f);
    device.ClearDepthStencil(1.0f, 0);

    SetCamera();
    Draw3D();
    Draw2D();
}
