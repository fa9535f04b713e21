// Opens the game window, runs the game scene frame by frame with a scripted
// walk, and writes screenshots of chosen frames:
//   morvane_scenecapture <output folder>
// Run it from the folder that holds Data/. Shots: the start position once the
// fade-in is over, looking along the south hall, and at the desk with the
// yellow card.
#include <cstdio>
#include <string>
#include <vector>

#include "Application/App.h"
#include "Framework/Graphics/GraphicsDevice.h"
#include "Framework/Platform/Input.h"
#include "Game/Object/Player.h"
#include "Scene/GameScene.h"
#include "Scene/SceneManager.h"

namespace {

using Platform::InputFrame;
using PKey = Platform::Key;

InputFrame Hold(PKey key) {
    InputFrame f;
    f.Set(key);
    return f;
}

InputFrame Look(int dx, int dy) {
    InputFrame f;
    f.relativeCursor = true;
    f.cursor = Platform::Point{dx, dy};
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string out = argc > 1 ? argv[1] : ".";
    App& app = App::GetInstance();
    if (!app.Init(1280, 720)) return 1;
    app.SetFrameCap(false);

    // The script, frame by frame, and the frames to capture (after the frame
    // of that index has been drawn).
    std::vector<InputFrame> frames;
    std::vector<std::pair<size_t, std::string>> shots;
    auto add = [&frames](const InputFrame& f, int n) { frames.insert(frames.end(), n, f); };

    add(InputFrame{}, 30);                       // fade-in from black
    shots.push_back({frames.size(), "game_start.png"});
    add(Look(-900, 0), 1);                       // face west along the hall
    add(InputFrame{}, 2);
    shots.push_back({frames.size(), "game_hall_west.png"});
    add(Hold(PKey::W), 100);                      // walk 20 units west
    add(Look(-900, 150), 1);                     // face south, look down a bit
    add(Hold(PKey::W), 40);
    add(InputFrame{}, 2);
    shots.push_back({frames.size(), "game_desk.png"});
    add(Look(1800, -150), 1);                    // face north towards door E
    add(InputFrame{}, 2);
    shots.push_back({frames.size(), "game_door_e.png"});
    add(InputFrame{}, 1);

    Platform::FrameListScript script(frames);
    Platform::Input::GetInstance().SetScript(&script);
    SceneManager::GetInstance().SetNextScene(new GameScene());

    size_t next = 0;
    for (size_t i = 0; i < frames.size() && next < shots.size(); ++i) {
        if (!app.RunFrame()) break;
        if (i + 1 == shots[next].first) {
            // The back buffer still holds the frame just presented.
            const std::string path = out + "/" + shots[next].second;
            const bool ok = GraphicsDevice::GetInstance().SaveScreenshot(path);
            auto* scene = dynamic_cast<GameScene*>(SceneManager::GetInstance().GetCurrentScene());
            Vector3 eye = scene ? scene->GetPlayer()->GetPosition() : Vector3();
            std::printf("%s %s eye (%.2f, %.2f, %.2f)\n", ok ? "wrote" : "FAILED", path.c_str(), eye.x, eye.y,
                        eye.z);
            ++next;
        }
    }
    Platform::Input::GetInstance().SetScript(nullptr);
    SceneManager::GetInstance().Clear();
    app.Shutdown();
    return next == shots.size() ? 0 : 1;
}
