// Opens the game window, runs the game scene and writes screenshots of the
// interactive objects at work:
//   morvane_stagecapture <output folder> [doors|generator]
// Run it from the folder that holds Data/. Shots: a card sliding into the
// yellow door's reader, that door swinging open, and the generator hall with
// one hole open, its pipe lit and two lights shot out.
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "Application/App.h"
#include "Framework/Graphics/GraphicsDevice.h"
#include "Framework/Platform/Input.h"
#include "Game/Object/Player.h"
#include "Game/Stage/Door.h"
#include "Game/Stage/Generator.h"
#include "Game/Stage/Key.h"
#include "Game/Stage/Portal.h"
#include "Game/Stage/Stage.h"
#include "Scene/GameScene.h"
#include "Scene/SceneManager.h"

namespace {

using Platform::InputFrame;

GameScene* CurrentGame() { return dynamic_cast<GameScene*>(SceneManager::GetInstance().GetCurrentScene()); }

// Puts the eye at a point; the next frame's player update keeps it there
// (and settles it on the ground below).
void PlaceEye(const Vector3& eye) {
    if (GameScene* game = CurrentGame()) {
        game->GetPlayer()->SetMatrix(Matrix::CreateTranslation(eye));
        game->GetPlayer()->SetCurrentFloor(game->GetStage()->GetFloor(eye));
        game->GetStage()->RefreshActivity(game->GetPlayer()->GetCurrentFloor());
    }
}

int Finish(App& app, int failures) {
    Platform::Input::GetInstance().Reset();
    SceneManager::GetInstance().Clear();
    app.Shutdown();
    return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string out = argc > 1 ? argv[1] : ".";
    const std::string part = argc > 2 ? argv[2] : "";
    const bool doors = part.empty() || part == "doors";
    const bool generator = part.empty() || part == "generator";
    App& app = App::GetInstance();
    if (!app.Init(1280, 720)) return 1;
    app.SetFrameCap(false);

    Platform::Input& input = Platform::Input::GetInstance();
    input.SetFrame(InputFrame{});
    SceneManager::GetInstance().SetNextScene(std::make_unique<GameScene>());

    int failures = 0;
    auto frame = [&](const InputFrame& f) {
        input.SetFrame(f);
        return app.RunFrame();
    };
    auto idle = [&](int n) {
        for (int i = 0; i < n; ++i) frame(InputFrame{});
    };
    auto shot = [&](const char* name) {
        const std::string path = out + "/" + name;
        const bool ok = GraphicsDevice::GetInstance().SaveScreenshot(path);
        GameScene* game = CurrentGame();
        const Vector3 eye = game ? game->GetPlayer()->GetPosition() : Vector3();
        std::printf("%s %s eye (%.2f, %.2f, %.2f)\n", ok ? "wrote" : "FAILED", path.c_str(), eye.x, eye.y, eye.z);
        if (!ok) ++failures;
    };
    auto look = [&](int dx, int dy) {
        InputFrame f;
        f.relativeCursor = true;
        f.cursor = Platform::Point{dx, dy};
        frame(f);
    };

    idle(30);  // the fade-in
    GameScene* game = CurrentGame();
    if (!game) return 1;
    Stage* stage = game->GetStage();

    if (doors) {
        // ---- The yellow door at (22, 0, 60): hold the yellow card, use the
        // reader from in front, then step back and to the side to watch.
        game->GetPlayer()->AddKey(stage->GetKeys()[0]);
        PlaceEye(Vector3(27, 6, 54));
        idle(1);
        InputFrame use;
        use.Set(Platform::Key::RightButton);
        frame(use);
        PlaceEye(Vector3(26.2f, 6, 57.5f));
        idle(1);
        look(0, 60);  // look down a little at the slot
        idle(27);
        shot("door_card_in_reader.png");
        PlaceEye(Vector3(21, 6, 47));  // south of the door, in the corridor
        idle(1);
        look(150, -60);
        idle(85);
        shot("door_swinging.png");
        idle(40);
        shot("door_open.png");

        look(-150, 0);
    }

    // ---- The generator hall from its south-east corner. A light is shot
    // out shortly before the picture, so the smoke has only begun.
    if (!generator) return Finish(app, failures);
    PlaceEye(Vector3(100, -78, -12));
    idle(1);
    look(-494, -120);
    Portal* portal = stage->GetPortal();
    if (portal) {
        portal->GetHoles()[1]->Wake();
        portal->GetLights()[1]->StartWarning();
    }
    idle(100);
    if (portal)
        for (int hit = 0; hit < 11; ++hit) portal->Damage(1, portal->GetLights()[5]->GetEffectPosition());
    idle(8);
    shot("generator_hall.png");

    return Finish(app, failures);
}
