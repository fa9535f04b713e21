// Runs the start of a game on scripted input, as fast as it goes:
//   morvane_robustrun [--headless] [--frames N] [--require-start]
// Run it from the folder that holds Data/ (or where Data/ should be). The
// script waits on the title, clicks the start button, and once the game
// scene runs walks, turns, looks up and down, shoots in bursts and reloads,
// until N frames (default 3600, one minute of play) have run. On the result
// screen it clicks its button too. --headless runs the scenes without a
// window (drawing stays idle; sound still plays on the silent device).
//
// If the title ignores the clicks for 300 frames the run says so on
// standard error and opens the game scene itself, so the rest of the game
// still runs on the damaged data; --require-start makes that a failure (the
// start button answers even without its picture).
//
// With a window, what is drawn is checked too: every 30th frame of play in
// which none of the HUD's pictures loaded, the screen must be the world
// picture exactly, since a picture that failed to load draws nothing. The
// run reports how many frames it compared.
//
// Exit code: 0 when every frame ran and the game scene was reached, 1 on a
// failure (printed), 2 on bad arguments, 77 when no window could be opened.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Application/App.h"
#include "Framework/Audio/Audio.h"
#include "Framework/Graphics/GraphicsDevice.h"
#include "Framework/Graphics/VeTexture.h"
#include "Framework/Platform/Input.h"
#include "Game/GameWorld.h"
#include "Scene/FirstScene.h"
#include "Scene/GameScene.h"
#include "Scene/Hud.h"
#include "Scene/ResultScene.h"
#include "Scene/SceneManager.h"
#include "Scene/TitleScene.h"

namespace {

using Platform::InputFrame;
using PKey = Platform::Key;

// Client position of the start button (and of the result screen's button).
const Platform::Point kButton{640, 610};
constexpr int kTitlePatience = 300;

class OpeningMinute : public Platform::InputScript {
public:
    explicit OpeningMinute(int frames) : frames_(frames) {}

    bool Next(InputFrame& f) override {
        if (frame_ >= frames_) return false;
        f = InputFrame{};
        SceneManager& scenes = SceneManager::GetInstance();
        SceneBase* scene = scenes.GetNextScene() ? scenes.GetNextScene() : scenes.GetCurrentScene();
        if (dynamic_cast<GameScene*>(scene)) {
            ++gameFrames_;
            Play(f);
        } else if (dynamic_cast<TitleScene*>(scene)) {
            ++titleFrames_;
            f.cursor = kButton;
            if (titleFrames_ % 20 == 10) f.Set(PKey::LeftButton);
            // A click starts a fade of 100 frames; well past that, the
            // button is not answering.
            if (titleFrames_ == kTitlePatience && gameFrames_ == 0) {
                std::fprintf(stderr,
                             "robustrun: the title did not start a game after %d frames of clicks on its button; "
                             "opening the game scene directly\n",
                             kTitlePatience);
                startForced_ = true;
                scenes.SetNextScene(std::make_unique<GameScene>());
            }
        } else if (dynamic_cast<ResultScene*>(scene)) {
            ++resultFrames_;
            f.cursor = kButton;
            if (resultFrames_ % 20 == 10) f.Set(PKey::LeftButton);
        }
        ++frame_;
        return true;
    }

    int FramesRun() const { return frame_; }
    int TitleFrames() const { return titleFrames_; }
    int GameFrames() const { return gameFrames_; }
    int ResultFrames() const { return resultFrames_; }
    bool StartForced() const { return startForced_; }

private:
    // A four-second round: walk forward, turn, shoot a burst while looking
    // up and down, reload, then strafe and back off a little.
    void Play(InputFrame& f) const {
        f.relativeCursor = true;
        f.cursor = Platform::Point{0, 0};
        const int t = gameFrames_ % 240;
        if (t < 60) {
            f.Set(PKey::W);
        } else if (t < 90) {
            f.cursor.x = 20;
        } else if (t < 150) {
            if ((t / 6) % 2 == 0) f.Set(PKey::LeftButton);
            f.cursor.y = t < 120 ? -3 : 3;
        } else if (t == 150) {
            f.Set(PKey::R);
        } else if (t < 190) {
            f.Set(t < 170 ? PKey::A : PKey::D);
        } else if (t < 210) {
            f.Set(PKey::S);
        } else {
            f.cursor.x = -12;
        }
    }

    int frames_;
    int frame_ = 0;
    int titleFrames_ = 0;
    int gameFrames_ = 0;
    int resultFrames_ = 0;
    bool startForced_ = false;
};

// Compares the screen with the game's world picture after a frame of play
// whose HUD pictures all failed to load (nothing else may show over the
// world then). Frames with a loaded HUD picture are not compared.
class DrawnCheck {
public:
    void AfterFrame() {
        auto* game = dynamic_cast<GameScene*>(SceneManager::GetInstance().GetCurrentScene());
        if (!game || game->GetState() != GameState::Playing || !game->GetHud()) return;
        if (++playFrames_ % 30 != 0) return;
        const std::vector<Hud::DrawnSprite>& sprites = game->GetHud()->GetLastDrawn();
        if (sprites.empty()) return;
        for (const Hud::DrawnSprite& sprite : sprites)
            if (sprite.texture && sprite.texture->HasImage()) return;

        GraphicsDevice& device = GraphicsDevice::GetInstance();
        const size_t bytes = static_cast<size_t>(GameScene::kSceneWidth) * GameScene::kSceneHeight * 4;
        std::vector<unsigned char> screen(bytes), world(bytes);
        device.SetBackBufferAsTarget();
        const bool readScreen = device.ReadPixels(0, 0, GameScene::kSceneWidth, GameScene::kSceneHeight, screen.data());
        game->DrawWorldPicture().SetAsRenderTarget();
        const bool readWorld = device.ReadPixels(0, 0, GameScene::kSceneWidth, GameScene::kSceneHeight, world.data());
        device.SetBackBufferAsTarget();
        if (!readScreen || !readWorld) return;
        ++compared_;
        size_t differ = 0;
        for (size_t i = 0; i < bytes; i += 4)
            for (int c = 0; c < 3; ++c)
                if (std::abs(screen[i + c] - world[i + c]) > 1) {
                    ++differ;
                    break;
                }
        if (differ > 0) {
            ++failed_;
            std::fprintf(stderr, "robustrun: frame %d of play shows %zu pixels over the world although no HUD "
                                 "picture loaded\n", playFrames_, differ);
        }
    }
    int Compared() const { return compared_; }
    int Failed() const { return failed_; }

private:
    int playFrames_ = 0;
    int compared_ = 0;
    int failed_ = 0;
};

int Usage() {
    std::fprintf(stderr, "usage: morvane_robustrun [--headless] [--frames N] [--require-start]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    bool headless = false, requireStart = false;
    int frames = 3600;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--headless") {
            headless = true;
        } else if (a == "--require-start") {
            requireStart = true;
        } else if (a == "--frames" && i + 1 < argc) {
            frames = std::atoi(argv[++i]);
            if (frames <= 0) return Usage();
        } else {
            return Usage();
        }
    }

    GameWorld::SetSeedOfNewGames(1);
    OpeningMinute script(frames);
    DrawnCheck drawn;
    Platform::Input& input = Platform::Input::GetInstance();
    SceneManager& scenes = SceneManager::GetInstance();
    App& app = App::GetInstance();

    if (headless) {
        AudioManager& audio = AudioManager::GetInstance();
        if (!audio.Init()) std::fprintf(stderr, "robustrun: no audio engine; running silent\n");
        input.SetScript(&script);
        scenes.SetNextScene(CreateFirstScene());
        while (input.Advance()) {
            audio.Update();
            scenes.Update();
        }
        input.SetScript(nullptr);
        scenes.Clear();
        audio.Release();
    } else {
        if (!app.Init(1280, 720)) return 77;
        app.SetFrameCap(false);
        input.SetScript(&script);
        scenes.SetNextScene(CreateFirstScene());
        while (app.RunFrame()) drawn.AfterFrame();
        input.SetScript(nullptr);
        scenes.Clear();
        app.Shutdown();
        std::printf("robustrun: drawn check: %d frames without HUD pictures compared with the world picture, "
                    "%d showed more\n",
                    drawn.Compared(), drawn.Failed());
    }

    std::printf("robustrun: %d of %d frames (title %d, game %d, result %d)%s\n", script.FramesRun(), frames,
                script.TitleFrames(), script.GameFrames(), script.ResultFrames(),
                script.StartForced() ? ", game scene opened without the title's button" : "");
    if (script.FramesRun() != frames) {
        std::fprintf(stderr, "robustrun: FAILED: the run ended after %d frames\n", script.FramesRun());
        return 1;
    }
    if (script.GameFrames() == 0) {
        std::fprintf(stderr, "robustrun: FAILED: the game scene never ran\n");
        return 1;
    }
    if (drawn.Failed() > 0) {
        std::fprintf(stderr, "robustrun: FAILED: pictures that did not load drew over the world\n");
        return 1;
    }
    if (requireStart && script.StartForced()) {
        std::fprintf(stderr, "robustrun: FAILED: the start button did not start a game\n");
        return 1;
    }
    return 0;
}
