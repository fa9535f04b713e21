// The frame loop's fixed steps: several steps before one draw play the same
// game as one step per frame, input is taken per step (a short press reaches
// one step, mouse motion turns the view once), a pause stops the steps.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "Application/App.h"
#include "Framework/Graphics/ShaderManager.h"
#include "Framework/Graphics/VeTexture.h"
#include "Framework/Platform/Input.h"
#include "Framework/Platform/InputLog.h"
#include "Framework/ResourceCache.h"
#include "Game/Effect/EffectList.h"
#include "Game/Enemy/EnemyBase.h"
#include "Game/Enemy/EnemyList.h"
#include "Game/Enemy/State.h"
#include "Game/GameWorld.h"
#include "Game/Object/Gun.h"
#include "Game/Object/Player.h"
#include "Scene/FirstScene.h"
#include "Scene/GameScene.h"
#include "Scene/Hud.h"
#include "Scene/ResultScene.h"
#include "Scene/SceneManager.h"
#include "Scene/TitleScene.h"
#include "tests/Application/AppWindowFixture.h"

using Platform::Input;

namespace {

// Hashes the exact bits of what it is given (FNV-1a), so that any
// difference shows.
struct Hasher {
    uint64_t h = 14695981039346656037ull;
    void Bytes(const void* data, size_t size) {
        const auto* p = static_cast<const unsigned char*>(data);
        for (size_t i = 0; i < size; ++i) h = (h ^ p[i]) * 1099511628211ull;
    }
    Hasher& operator<<(float v) {
        Bytes(&v, sizeof v);
        return *this;
    }
    Hasher& operator<<(int v) {
        Bytes(&v, sizeof v);
        return *this;
    }
    Hasher& operator<<(const Vector3& v) { return *this << v.x << v.y << v.z; }
    Hasher& operator<<(const std::string& text) {
        Bytes(text.data(), text.size());
        return *this << static_cast<int>(text.size());
    }
};

// Everything of the running scene that a step changes, and what its last
// draw handed to the sprite drawer for the overlay.
uint64_t Fingerprint() {
    Hasher out;
    SceneBase* scene = SceneManager::GetInstance().GetCurrentScene();
    const Hud* hud = nullptr;
    if (auto* title = dynamic_cast<TitleScene*>(scene)) {
        out << std::string("title") << title->GetFade() << int(title->IsClicked()) << int(title->IsOverButton())
            << title->GetCursorX() << title->GetCursorY();
        hud = title->GetHud();
    } else if (auto* result = dynamic_cast<ResultScene*>(scene)) {
        out << std::string("result") << result->GetFlash() << int(result->IsOverButton())
            << int(result->IsTitleRequested());
        hud = result->GetHud();
    } else if (auto* game = dynamic_cast<GameScene*>(scene)) {
        const Player& player = *game->GetPlayer();
        const Gun& gun = *game->GetGun();
        out << std::string("game") << static_cast<int>(game->GetState()) << player.GetPosition() << player.GetYaw()
            << player.GetPitch() << player.GetHp() << player.GetReserveAmmo() << gun.GetMagazine()
            << int(gun.IsReloading());
        for (const EnemyBase* enemy : game->GetEnemyList()->GetEnemies())
            out << enemy->GetPosition() << std::string(typeid(*enemy->GetState()).name());
        // Where each effect is and which way it faces (billboards face the
        // camera of the step before).
        for (const auto& effect : game->GetEffectList()->GetEffects()) {
            const Matrix& m = *effect->GetMatrix();
            out << m.Translation() << m._11 << m._12 << m._21 << m._22 << m._33;
        }
        out << static_cast<int>(game->GetEffectList()->GetDecals().size()) << game->GetLastShakeX()
            << game->GetLastShakeY();
        hud = game->GetHud();
        out << hud->GetHpShown() << hud->GetPulseAngle() << hud->GetReloadAngle() << hud->GetDamageFlash();
        for (int c = 0; c < 3; ++c) out << hud->GetCardWobble(c);
    }
    if (auto* game = dynamic_cast<GameScene*>(scene))
        out << static_cast<int>(game->GetWorld().GetPointLights().size());
    if (scene) out << scene->GetCamera().eye;
    if (hud) {
        out << hud->GetFade();
        for (const Hud::DrawnSprite& s : hud->GetLastDrawn())
            out << (s.texture ? s.texture->GetPath() : std::string("-")) << s.transform._11 << s.transform._12
                << s.transform._41 << s.transform._42 << s.colour.x << s.colour.w << s.source.width;
    }
    return out.h;
}

std::vector<Platform::InputFrame> RecordedFrames(size_t count) {
    Platform::InputLog log;
    std::string error;
    const std::string path = std::string(MORVANE_SOURCE_DIR) + "/tools/timedemo/playthrough.log";
    EXPECT_TRUE(Platform::LoadInputLog(path, log, error)) << error;
    if (log.frames.size() > count) log.frames.resize(count);
    return log.frames;
}

class FixedStepsHeadlessTest : public ::testing::Test {
protected:
    void SetUp() override {
        Input::GetInstance().Reset();
        SceneManager::GetInstance().Clear();
        app.SetHeadless(true);
        app.SetFrameCap(false);
    }
    void TearDown() override {
        Input::GetInstance().SetScript(nullptr);
        SceneManager::GetInstance().Clear();
        Input::GetInstance().Reset();
        app.SetHeadless(false);
        app.SetFrameCap(true);
    }
    // Starts the game from the title on the recorded input, from the seed
    // the recording was made with.
    void Start(Platform::InputScript& script) {
        Input::GetInstance().Reset();
        SceneManager::GetInstance().Clear();
        GameWorld::SetSeedOfNewGames(1);
        Input::GetInstance().SetScript(&script);
        SceneManager::GetInstance().SetNextScene(CreateFirstScene());
    }
    App& app = App::GetInstance();
};

TEST_F(FixedStepsHeadlessTest, StepsBatchedBeforeADrawPlayTheSameGameAsOneStepAFrame) {
    // The whole recorded game: the title and its fade, walking, turning,
    // shooting, reloading, damage taken, cards, the generator, the ending
    // and its shake, the result screen and back to the title.
    const std::vector<Platform::InputFrame> frames = RecordedFrames(100000);
    ASSERT_GT(frames.size(), 8000u);

    Platform::ReplayScript single(frames);
    Start(single);
    std::vector<uint64_t> reference;
    bool cleared = false;
    while (app.RunFrame(1)) {
        reference.push_back(Fingerprint());
        if (auto* game = dynamic_cast<GameScene*>(SceneManager::GetInstance().GetCurrentScene()))
            cleared = cleared || game->GetRequestedResult() == GameResult::Cleared;
    }
    ASSERT_EQ(reference.size(), frames.size());
    ASSERT_TRUE(cleared) << "the recording plays to its ending";

    // One to six steps a frame, as a slow machine runs them.
    Platform::ReplayScript batched(frames);
    Start(batched);
    const int pattern[] = {1, 4, 2, 6, 3, 5};
    size_t steps = 0;
    int frame = 0;
    int cutShort = 0;
    for (;;) {
        const int asked = pattern[frame++ % 6];
        const bool running = app.RunFrame(asked);
        steps += static_cast<size_t>(app.LastFrameSteps());
        if (!running) break;  // the recording ended in this frame's steps
        ASSERT_GE(app.LastFrameSteps(), 1);
        if (app.LastFrameSteps() < asked) {
            // Only a scene switch ends a frame's steps early.
            ++cutShort;
            EXPECT_TRUE(SceneManager::GetInstance().HasPendingSwitch());
        }
        ASSERT_LE(steps, reference.size());
        ASSERT_EQ(Fingerprint(), reference[steps - 1]) << "after step " << steps;
    }
    EXPECT_EQ(steps, frames.size());
    EXPECT_LT(frame, static_cast<int>(frames.size()) / 2) << "most frames ran several steps";
    EXPECT_LE(cutShort, 3) << "the switches to the game, the result and the title";
}

// A scene that notes, per step, which keys the step saw down.
class KeyLogScene : public SceneBase {
public:
    explicit KeyLogScene(std::vector<std::string>* log) : log_(log) {}
    void Update() override {
        std::string seen;
        Input& input = Input::GetInstance();
        if (input.IsKeyDown(Platform::Key::LeftButton)) seen += "l";
        if (input.IsKeyDown(Platform::Key::RightButton)) seen += "r";
        if (input.IsKeyDown(Platform::Key::W)) seen += "W";
        log_->push_back(seen);
    }
    bool IsPaused() const override { return paused; }
    bool paused = false;

private:
    std::vector<std::string>* log_;
};

class FixedStepsWindowTest : public AppWindowTest {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs a display (Xvfb)";
        ASSERT_TRUE(OpenWindow());
    }
    void TearDown() override { CloseWindow(); }
    static void Push(Uint32 type, Uint8 button, SDL_Scancode key = SDL_SCANCODE_UNKNOWN) {
        SDL_Event e{};
        e.type = type;
        if (type == SDL_MOUSEBUTTONDOWN || type == SDL_MOUSEBUTTONUP) {
            e.button.button = button;
            e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
        } else {
            e.key.keysym.scancode = key;
            e.key.keysym.sym = SDL_GetKeyFromScancode(key);
            e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        }
        ASSERT_EQ(SDL_PushEvent(&e), 1);
    }
};

TEST_F(FixedStepsWindowTest, APressAndReleaseBetweenTwoDrawnFramesReachesExactlyOneStep) {
    std::vector<std::string> seen;
    SceneManager::GetInstance().SetNextScene(std::make_unique<KeyLogScene>(&seen));
    ASSERT_TRUE(app.RunFrame(1));

    // A click and a tap of W, both over before the next frame's steps.
    Push(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT);
    Push(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT);
    Push(SDL_KEYDOWN, 0, SDL_SCANCODE_W);
    Push(SDL_KEYUP, 0, SDL_SCANCODE_W);
    ASSERT_TRUE(app.RunFrame(3));
    // The right button pressed and released between two frames of one
    // step each.
    Push(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT);
    Push(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT);
    ASSERT_TRUE(app.RunFrame(1));
    ASSERT_TRUE(app.RunFrame(2));
    EXPECT_EQ(seen, (std::vector<std::string>{"", "lW", "", "", "r", "", ""}));
}

TEST_F(FixedStepsWindowTest, WhilePausedNoStepRunsThePictureIsDrawnAndNothingIsCaughtUpAfter) {
    std::vector<std::string> seen;
    auto owned = std::make_unique<KeyLogScene>(&seen);
    KeyLogScene* scene = owned.get();
    SceneManager::GetInstance().SetNextScene(std::move(owned));
    ASSERT_TRUE(app.RunFrame(1));
    ASSERT_EQ(seen.size(), 1u);

    scene->paused = true;
    EXPECT_TRUE(app.StepsPaused());
    Push(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT);
    Push(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(app.RunRealTimeFrame());
        EXPECT_EQ(app.LastFrameSteps(), 0);
        Platform::SleepMs(40);  // more than two steps of real time each
    }
    EXPECT_EQ(seen.size(), 1u);

    scene->paused = false;
    ASSERT_TRUE(app.RunRealTimeFrame());
    EXPECT_EQ(app.LastFrameSteps(), 1) << "the paused time is not caught up with";
    EXPECT_EQ(seen, (std::vector<std::string>{"", ""})) << "a click made while paused does not act afterwards";
}

TEST_F(FixedStepsWindowTest, MouseMotionTurnsTheViewOnceNotOncePerStep) {
    Input& input = Input::GetInstance();
    SceneManager::GetInstance().SetClickLatched(false);
    SceneManager::GetInstance().SetNextScene(std::make_unique<GameScene>());
    ASSERT_TRUE(app.RunFrame(1));
    auto* game = dynamic_cast<GameScene*>(SceneManager::GetInstance().GetCurrentScene());
    ASSERT_NE(game, nullptr);
    const Player& player = *game->GetPlayer();
    const Platform::Point centre = input.ClientToScreen(Platform::Point{640, 360});
    ASSERT_EQ(input.GetCursorPos(), centre) << "the player keeps the pointer at the window's centre";

    // Where the pointer can be warped: the player reads it 50 pixels right
    // of the centre and puts it back; the frame's later steps see it there.
    float yaw = player.GetYaw();
    ASSERT_EQ(SDL_WarpMouseGlobal(centre.x + 50, centre.y), 0);
    ASSERT_TRUE(app.RunFrame(4));
    EXPECT_FLOAT_EQ(player.GetYaw() - yaw, 5.0f) << "a tenth of a degree per pixel, once";
    EXPECT_EQ(input.GetCursorPos(), centre);

    // A motion that reaches the X server after the player read the pointer
    // and before it put it back (here made by hand inside one step) is
    // kept for the next read: it turns the view in the next frame.
    input.BeginStep();
    ASSERT_EQ(input.GetCursorPos(), centre);
    ASSERT_EQ(SDL_WarpMouseGlobal(centre.x + 30, centre.y - 10), 0);
    input.SetCursorPos(centre);
    yaw = player.GetYaw();
    float pitch = player.GetPitch();
    ASSERT_TRUE(app.RunFrame(1));
    EXPECT_FLOAT_EQ(player.GetYaw() - yaw, 3.0f) << "the motion made between the read and the put-back was lost";
    EXPECT_FLOAT_EQ(player.GetPitch() - pitch, -1.0f);
    EXPECT_EQ(input.GetCursorPos(), centre);

    // Where it cannot: SDL's relative motion, counted once per event.
    input.UseRelativeMotion(true);
    input.SetCursorPos(centre);
    yaw = player.GetYaw();
    pitch = player.GetPitch();
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.xrel = -30;
    motion.motion.yrel = 20;
    ASSERT_EQ(SDL_PushEvent(&motion), 1);
    ASSERT_TRUE(app.RunFrame(4));
    EXPECT_FLOAT_EQ(player.GetYaw() - yaw, -3.0f);
    EXPECT_FLOAT_EQ(player.GetPitch() - pitch, 2.0f);
    input.UseRelativeMotion(false);
}

}  // namespace
