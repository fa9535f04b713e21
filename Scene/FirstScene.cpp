#include "Scene/FirstScene.h"

#include "Framework/Graphics/GraphicsDevice.h"
#include "Framework/Graphics/ShaderManager.h"
#include "Framework/Platform/Input.h"
#include "Scene/SceneBase.h"

namespace {

// A plain start-up screen until the real scenes exist: a dark panel with a
// square that slides across it and a marker that follows the cursor.
class StartupScene : public SceneBase {
public:
    void Update() override {
        ++frame_;
        Platform::Input& input = Platform::Input::GetInstance();
        Platform::Point client = input.ScreenToClient(input.GetCursorPos());
        cursorX_ = static_cast<float>(client.x) - 640.0f;
        cursorY_ = 360.0f - static_cast<float>(client.y);
    }

    void Draw2D() override {
        ShaderManager& shaders = ShaderManager::GetInstance();
        const VeTexture* white = GraphicsDevice::GetInstance().GetWhiteTexture().get();
        shaders.SetTransform(Matrix());
        shaders.Begin2D(false, true);
        const Vector4 panel{0.10f, 0.12f, 0.18f, 1.0f};
        const Vector4 square{0.80f, 0.10f, 0.10f, 1.0f};
        const Vector4 marker{0.95f, 0.85f, 0.20f, 1.0f};
        shaders.DrawTexture(white, 0.0f, 0.0f, 1200.0f, 640.0f, nullptr, &panel, Vector2(0.5f, 0.5f));
        float x = static_cast<float>(frame_ % 240) * 4.0f - 480.0f;
        shaders.DrawTexture(white, x, 0.0f, 120.0f, 120.0f, nullptr, &square, Vector2(0.5f, 0.5f));
        shaders.DrawTexture(white, cursorX_, cursorY_, 16.0f, 16.0f, nullptr, &marker, Vector2(0.5f, 0.5f));
        shaders.End2D();
    }

private:
    unsigned frame_ = 0;
    float cursorX_ = 0.0f;
    float cursorY_ = 0.0f;
};

}  // namespace

SceneBase* CreateFirstScene() { return new StartupScene(); }
