// Opens the game window, shows the title and the two result screens frame by
// frame with a scripted cursor, and writes a screenshot of each:
//   morvane_screencapture <output folder>
// Run it from the folder that holds Data/. Shots: title.png (the start button
// under the cursor), result_cleared.png (after the white flash has faded) and
// result_dead.png (once the banner is fully shown).
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "Application/App.h"
#include "Framework/Graphics/GraphicsDevice.h"
#include "Framework/Platform/Input.h"
#include "Scene/GameScene.h"
#include "Scene/SceneManager.h"
#include "Scene/TitleScene.h"

namespace {

struct Capture {
    std::string file;
    std::function<std::unique_ptr<SceneBase>()> make;
    Platform::Point cursor;
    int frames;  // frames drawn before the shot
};

}  // namespace

int main(int argc, char** argv) {
    const std::string out = argc > 1 ? argv[1] : ".";
    App& app = App::GetInstance();
    if (!app.Init(1280, 720)) return 1;
    app.SetFrameCap(false);

    const std::vector<Capture> captures = {
        {"title.png", [] { return std::unique_ptr<SceneBase>(std::make_unique<TitleScene>()); }, {640, 610}, 4},
        {"result_cleared.png", [] { return CreateResultScene(true); }, {900, 500}, 40},
        {"result_dead.png", [] { return CreateResultScene(false); }, {640, 610}, 200},
    };

    int written = 0;
    for (const Capture& c : captures) {
        Platform::InputFrame idle;
        idle.cursor = c.cursor;
        // One frame more than drawn: the scene change takes effect on the first.
        Platform::FrameListScript script(std::vector<Platform::InputFrame>(c.frames + 2, idle));
        Platform::Input::GetInstance().SetScript(&script);
        SceneManager::GetInstance().SetNextScene(c.make());
        bool running = true;
        for (int i = 0; i <= c.frames && running; ++i) running = app.RunFrame();
        Platform::Input::GetInstance().SetScript(nullptr);
        if (!running) break;
        // The back buffer still holds the frame just presented.
        const std::string path = out + "/" + c.file;
        const bool ok = GraphicsDevice::GetInstance().SaveScreenshot(path);
        std::printf("%s %s\n", ok ? "wrote" : "FAILED", path.c_str());
        written += ok ? 1 : 0;
    }
    SceneManager::GetInstance().Clear();
    app.Shutdown();
    return written == static_cast<int>(captures.size()) ? 0 : 1;
}
