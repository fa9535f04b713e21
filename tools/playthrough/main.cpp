// Plays the game from the title screen to a result screen and back, through
// injected input only, and fails loudly (non-zero exit, the frame, the
// player's position and the goal) when the bot gets stuck or the game goes
// wrong:
//   morvane_playthrough [--plan win|die] [--headless] [--stop-after GOAL]
//                       [--frame-limit N] [--trace N] [--shots DIR] [--debug]
//                       [--restock-below ROUNDS] [--game-frames N]
//                       [--repeat N]
// Run it from the folder that holds Data/. --headless runs the scenes
// without a window (the rendering and sound services stay idle), which is
// much faster on a software renderer; without it the game draws into its
// real window with no frame cap. --stop-after ends the run with success once
// the named route goal has been reached, --game-frames after that many
// frames of the game scene (short rendered runs). --shots
// writes a screenshot at every reached goal and every 20 frames of play
// (windowed runs), and for each picture of the game a line of DIR/hud.txt
// with what its HUD should show. --repeat plays
// the whole run N times in one process (headless) and fails when the heap
// the game holds after the later runs (their median) is more than 1 MB above
// what it held after the first: the game must not keep anything from one game
// to the next.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <malloc.h>

#include "Application/App.h"
#include "Framework/Graphics/GraphicsDevice.h"
#include "Framework/Platform/Input.h"
#include "Game/GameWorld.h"
#include "Game/Object/Gun.h"
#include "Game/Object/Player.h"
#include "Scene/FirstScene.h"
#include "Scene/GameScene.h"
#include "Scene/Hud.h"
#include "Scene/SceneManager.h"
#include "tools/playthrough/Bot.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: morvane_playthrough [--plan win|die] [--headless] [--stop-after GOAL]\n"
                 "                           [--frame-limit N] [--trace N] [--shots DIR] [--debug]\n"
                 "                           [--restock-below ROUNDS] [--game-frames N] [--repeat N]\n");
    return 2;
}

// Resident set size of this process in kilobytes (0 where unknown).
long ResidentKb() {
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return 0;
    char line[256];
    long kb = 0;
    while (std::fgets(line, sizeof line, f))
        if (std::sscanf(line, "VmRSS: %ld kB", &kb) == 1) break;
    std::fclose(f);
    return kb;
}

#if defined(__SANITIZE_ADDRESS__)
#define PLAYTHROUGH_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PLAYTHROUGH_ASAN 1
#endif
#endif

#ifdef PLAYTHROUGH_ASAN
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

// Bytes the program holds on its heap now, in kilobytes: what it allocated
// and has not freed. Unlike the resident size this does not move with what
// the allocator keeps in reserve (the sanitizer's allocator holds freed
// blocks back and maps memory in large steps, so the resident size of the
// sanitized build wanders by several per cent from one game to the next).
long HeapKb() {
#ifdef PLAYTHROUGH_ASAN
    return long(__sanitizer_get_current_allocated_bytes() / 1024);
#else
    const struct mallinfo2 info = mallinfo2();
    return long((info.uordblks + info.hblkhd) / 1024);
#endif
}

// A game that keeps this much more heap than the first game left behind
// fails the repeated run: the game's own allowance for what may differ from
// one game to the next is none, and a leak of a few MB per game crosses it
// in the second game already.
constexpr long kHeapGrowthLimitKb = 1024;

// Plays the same headless run again and again in this process and checks that
// memory stays flat. The first game loads every model, texture and sound the
// route uses into the resource cache, which keeps them; the heap after it is
// the baseline. The later games' median is compared with it, so one reading
// caught at an unlucky moment decides nothing. Returns the exit code.
int RepeatHeadless(const playthrough::Bot::Options& options, int repeat) {
    Platform::Input& input = Platform::Input::GetInstance();
    SceneManager& scenes = SceneManager::GetInstance();
    std::vector<long> heapKb;
    for (int run = 1; run <= repeat; ++run) {
        GameWorld::SetSeedOfNewGames(1);
        playthrough::Bot bot(options);
        input.SetScript(&bot);
        scenes.SetNextScene(CreateFirstScene());
        while (input.Advance()) scenes.Update();
        input.SetScript(nullptr);
        if (bot.Failed() || !bot.Finished()) {
            std::printf("FAILED: run %d of %d did not finish (goal \"%s\")\n", run, repeat, bot.CurrentGoal().c_str());
            scenes.Clear();
            return 1;
        }
        heapKb.push_back(HeapKb());
        std::printf("run %d of %d: %d frames, heap %ld kB, resident %ld kB\n", run, repeat, bot.Frame(),
                    heapKb.back(), ResidentKb());
        std::fflush(stdout);
    }
    scenes.Clear();
    if (repeat < 2) {
        std::printf("PASSED: 1 run (nothing to compare it with)\n");
        return 0;
    }
    std::vector<long> later(heapKb.begin() + 1, heapKb.end());
    std::sort(later.begin(), later.end());
    const size_t n = later.size();
    const long medianKb = n % 2 ? later[n / 2] : (later[n / 2 - 1] + later[n / 2]) / 2;
    const long growthKb = medianKb - heapKb.front();
    const bool flat = growthKb <= kHeapGrowthLimitKb;
    std::printf("%s: %d runs, heap %ld kB after the first, median %ld kB after the later ones (%+ld kB, limit +%ld kB)\n",
                flat ? "PASSED" : "FAILED", repeat, heapKb.front(), medianKb, growthKb, kHeapGrowthLimitKb);
    return flat ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    playthrough::Bot::Options options;
    bool headless = false;
    int repeat = 0;
    std::string shots;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool more = i + 1 < argc;
        if (a == "--plan" && more) {
            const std::string p = argv[++i];
            if (p == "win") options.plan = playthrough::Bot::Plan::Win;
            else if (p == "die") options.plan = playthrough::Bot::Plan::Die;
            else return Usage();
        } else if (a == "--headless") {
            headless = true;
        } else if (a == "--stop-after" && more) {
            options.stopAfter = argv[++i];
        } else if (a == "--frame-limit" && more) {
            options.frameLimit = std::atoi(argv[++i]);
        } else if (a == "--trace" && more) {
            options.traceEvery = std::atoi(argv[++i]);
        } else if (a == "--game-frames" && more) {
            options.stopAfterGameFrames = std::atoi(argv[++i]);
        } else if (a == "--restock-below" && more) {
            options.restockBelow = std::atoi(argv[++i]);
        } else if (a == "--repeat" && more) {
            repeat = std::atoi(argv[++i]);
        } else if (a == "--debug") {
            options.debug = true;
        } else if (a == "--shots" && more) {
            shots = argv[++i];
        } else {
            return Usage();
        }
    }

    if (repeat > 0) return RepeatHeadless(options, repeat);

    // The same input gives the same game.
    GameWorld::SetSeedOfNewGames(1);
    const auto start = std::chrono::steady_clock::now();

    playthrough::Bot bot(options);
    Platform::Input& input = Platform::Input::GetInstance();
    SceneManager& scenes = SceneManager::GetInstance();
    App& app = App::GetInstance();

    if (headless) {
        input.SetScript(&bot);
        scenes.SetNextScene(CreateFirstScene());
        while (input.Advance()) scenes.Update();
    } else {
        if (!app.Init(1280, 720)) return 77;  // no display: nothing to play on
        app.SetFrameCap(false);
        input.SetScript(&bot);
        scenes.SetNextScene(CreateFirstScene());
        std::FILE* hudLog = nullptr;
        if (!shots.empty()) {
            std::filesystem::create_directories(shots);
            hudLog = std::fopen((shots + "/hud.txt").c_str(), "w");
            if (!hudLog) std::fprintf(stderr, "cannot write %s/hud.txt\n", shots.c_str());
        }
        std::string lastGoal = bot.CurrentGoal();
        int lastShotFrame = -1;
        int shot = 0;
        while (app.RunFrame()) {
            // A picture at every goal change and every 20 frames of play.
            const bool goalChanged = bot.CurrentGoal() != lastGoal;
            const bool periodic = bot.GameFrames() > 0 && bot.GameFrames() % 20 == 0 && bot.GameFrames() != lastShotFrame;
            if (shots.empty() || !(goalChanged || periodic)) continue;
            char name[64];
            std::snprintf(name, sizeof name, "playthrough_%02d.png", shot++);
            if (!GraphicsDevice::GetInstance().SaveScreenshot(shots + "/" + name))
                std::fprintf(stderr, "cannot write %s/%s\n", shots.c_str(), name);
            // What the HUD in this picture should show: the game's state as
            // this frame drew it.
            const auto* game = dynamic_cast<const GameScene*>(scenes.GetCurrentScene());
            if (hudLog && game && game->GetHud()) {
                const GameWorld& world = game->GetWorld();
                const Player* player = world.GetPlayer();
                const Gun* gun = world.GetGun();
                std::fprintf(hudLog, "%s magazine %d reserve %d hp %d max_hp %d hp_shown %.6f fade %.6f\n", name,
                             gun ? gun->GetMagazine() : 0, player ? player->GetReserveAmmo() : 0,
                             player ? player->GetHp() : 0, player ? player->GetMaxHp() : 0,
                             game->GetHud()->GetHpShown(), game->GetHud()->GetFade());
                std::fflush(hudLog);
            }
            lastGoal = bot.CurrentGoal();
            lastShotFrame = bot.GameFrames();
        }
        if (hudLog) std::fclose(hudLog);
    }
    input.SetScript(nullptr);
    scenes.Clear();
    if (!headless) app.Shutdown();

    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s: %d frames (%d in the game), %.1f s, %d shots at zombies, %d at the core, %d reloads, "
                "light damage %d where aimed, %d on other lights (shots at zombies by the core included)\n",
                bot.Finished() && !bot.Failed() ? "PASSED" : "FAILED", bot.Frame(), bot.GameFrames(), seconds,
                bot.ShotsAtZombies(), bot.ShotsAtCore(), bot.Reloads(), bot.LightHits(), bot.StrayLightHits());
    if (bot.Failed() || !bot.Finished()) {
        if (!bot.Failed()) std::printf("the run ended before the bot was done (goal \"%s\")\n", bot.CurrentGoal().c_str());
        return 1;
    }
    return 0;
}
