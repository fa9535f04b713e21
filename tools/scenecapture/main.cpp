// Opens the game window, runs the game scene frame by frame with a scripted
// walk, and writes screenshots of chosen frames:
//   morvane_scenecapture <output folder>
// Run it from the folder that holds Data/. Shots: the start position once the
// fade-in is over, looking along the south hall, at the desk with the
// yellow card, and the weapon at rest, firing, reloading and walking.
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

// A script, frame by frame, and the frames to capture (after the frame of
// that index has been drawn).
struct Script {
    std::vector<InputFrame> frames;
    std::vector<std::pair<size_t, std::string>> shots;
    void Add(const InputFrame& f, int n) { frames.insert(frames.end(), n, f); }
    void Shot(const std::string& name) { shots.push_back({frames.size(), name}); }
};

// A walk through the top floor: the start once the fade-in is over, the
// south hall, the desk with the yellow card, door E.
Script Walk() {
    Script s;
    s.Add(InputFrame{}, 30);  // fade-in from black
    s.Shot("game_start.png");
    s.Add(Look(-900, 0), 1);  // face west along the hall
    s.Add(InputFrame{}, 2);
    s.Shot("game_hall_west.png");
    s.Add(Hold(PKey::W), 100);  // walk 20 units west
    s.Add(Look(-900, 150), 1);  // face south, look down a bit
    s.Add(Hold(PKey::W), 40);
    s.Add(InputFrame{}, 2);
    s.Shot("game_desk.png");
    s.Add(Look(1800, -150), 1);  // face north towards door E
    s.Add(InputFrame{}, 2);
    s.Shot("game_door_e.png");
    s.Add(InputFrame{}, 1);
    return s;
}

// The weapon in a fresh game, facing west along the hall while the zombies
// are still far: at rest, the first two frames of a shot (the tracer leaves
// the muzzle, then the flash), the arm swinging the gun down to reload,
// and walking at the top of the bob.
Script Weapon() {
    Script s;
    s.Add(InputFrame{}, 30);
    s.Add(Look(-900, 0), 1);
    s.Add(InputFrame{}, 2);
    s.Shot("weapon_rest.png");
    s.Add(Hold(PKey::LeftButton), 1);
    s.Shot("weapon_fire_1.png");
    s.Add(Hold(PKey::LeftButton), 1);
    s.Shot("weapon_fire_2.png");
    s.Add(InputFrame{}, 10);
    s.Add(Hold(PKey::R), 1);
    s.Add(InputFrame{}, 7);
    s.Shot("weapon_reload.png");
    s.Add(InputFrame{}, 100);
    s.Add(Hold(PKey::W), 18);
    s.Shot("weapon_walk.png");
    s.Add(InputFrame{}, 1);
    return s;
}

// Plays the script in a new game scene, saving its shots; false if a shot
// was missed or could not be written.
bool Run(App& app, const Script& s, const std::string& out) {
    Platform::FrameListScript script(s.frames);
    Platform::Input::GetInstance().SetScript(&script);
    SceneManager::GetInstance().SetNextScene(std::make_unique<GameScene>());
    size_t next = 0;
    bool ok = true;
    for (size_t i = 0; i < s.frames.size() && next < s.shots.size(); ++i) {
        if (!app.RunFrame()) break;
        if (i + 1 == s.shots[next].first) {
            // The back buffer still holds the frame just presented.
            const std::string path = out + "/" + s.shots[next].second;
            const bool saved = GraphicsDevice::GetInstance().SaveScreenshot(path);
            ok = ok && saved;
            auto* scene = dynamic_cast<GameScene*>(SceneManager::GetInstance().GetCurrentScene());
            Vector3 eye = scene ? scene->GetPlayer()->GetPosition() : Vector3();
            std::printf("%s %s eye (%.2f, %.2f, %.2f)\n", saved ? "wrote" : "FAILED", path.c_str(), eye.x, eye.y,
                        eye.z);
            ++next;
        }
    }
    Platform::Input::GetInstance().SetScript(nullptr);
    return ok && next == s.shots.size();
}

}  // namespace

int main(int argc, char** argv) {
    const std::string out = argc > 1 ? argv[1] : ".";
    App& app = App::GetInstance();
    if (!app.Init(1280, 720)) return 1;
    app.SetFrameCap(false);
    bool ok = Run(app, Walk(), out);
    ok = Run(app, Weapon(), out) && ok;
    SceneManager::GetInstance().Clear();
    app.Shutdown();
    return ok ? 0 : 1;
}
