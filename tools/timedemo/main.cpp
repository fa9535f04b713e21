// The time demo: runs the game at full speed in its real window (no frame
// cap) and reports, per frame, the update time, the drawing time (up to the
// end of the renderer's work), the whole frame, the ray queries, and the
// peak memory of the process.
//
//   morvane_timedemo record <log> [--plan win|die] [--windowed]
//       The playthrough bot plays the game from the title and back; every
//       input frame it produced is written to the log (compact text).
//       Headless by default (fast); --windowed records in the real window.
//   morvane_timedemo replay <log> [--frames N] [--from N] [--csv FILE] [--shot FILE]
//                           [--headless] [--real-time [--seconds S]] [--slow-draw MS]
//       --from N plays the first N input frames at once, unmeasured, to
//       time a later part of the game. Plays the recorded input back, frame for frame, and checks the game
//       reaches the recorded ending (the result, the frame it came on, the
//       player's hit points and rounds then); exit code 1 and a message on
//       how to record anew when it does not. --real-time runs the player's
//       loop instead: capped at 60 frames a second, as many game steps a
//       frame as real time calls for (each step takes the next recorded
//       input), and reports the steps run against real time (only the
//       ending's result is compared: the game is seen between drawn frames,
//       which may hold several steps); --seconds stops it after S seconds. --slow-draw adds MS milliseconds
//       to every drawn frame, as a slower renderer would.
//   morvane_timedemo stress [--frames N] [--warmup N] [--zombies N] [--csv FILE]
//                           [--shot FILE] [--headless]
//       The generator hall with the given number of zombies (80) awake and
//       chasing in view, and the player firing at the core.
// Each measure that makes the drawing cheaper can be switched off to show
// what it buys: --render-scale 1 draws the 3D picture at the window's full
// size (the default is the game's: automatic, which follows the frame times
// on a CPU renderer; --render-scale S fixes it at S from 0.5 to 1),
// --no-mips loads the textures without mip levels, --no-variants shades
// every model with the full program (alpha test, every texture sampled)
// instead of the variant each subset needs, --linear samples with
// the linear samplers and --anisotropic with anisotropic x4 ones instead of
// the device's defaults, and --no-depth-pass draws without the depth pass
// that precedes the shaded opaque pass (a picture under 400,000 pixels is
// drawn without it anyway; there the actors are shaded before the stage,
// which --stage-first turns off; and zombie parts that come out smaller than
// 60 pixels are drawn with their far models, fewer facets: --far-pixels P
// sets the size, 0 never). --whole-sprites draws every sprite whole, where
// a full-screen frame (the blood of a hurt player) otherwise leaves out the
// transparent middle its program would drop pixel by pixel.
// --tested-effects draws the effects that write no depth (smoke, sparks)
// with the alpha test as well, which keeps the renderer from testing depth
// before shading them. --fine-effects draws every effect quad at the
// picture's resolution, where a picture drawn at a reduced scale otherwise
// draws a crowd of those quads (200 or more in one list) at half of it.
// --no-cull draws every model and part handed to the renderer, in view or
// not, --no-batch draws every effect quad on its own, --all-lights
// shades every model with every point light of the frame, and
// --no-instancing draws each zombie subset with a draw of its own instead of
// one instanced draw for all alike, and --no-chunks draws each part of a
// level floor whole instead of chunk by chunk (--chunk-cell S: on a grid of
// S metres): what the renderer's culling, runs of quads, per-model lights,
// instancing and chunks buy. Every report
// counts, per frame, what the game handed the renderer and what it drew.
//
// With a window, the run also times a full-screen copy of a 1280 x 720
// picture (the way the game puts its 3D picture on screen), before and after
// the measured frames, and gives the figures as multiples of it as well:
// runs on machines of different speed, or on one that is busy, compare.
// --passes also waits for the renderer after each drawing pass and reports
// the time of each (stage, zombies, translucent and effects, arm and gun,
// the 2D copy and HUD): the sum costs the renderer its overlap.
//
// Run it from the folder that holds Data/. --headless runs the scenes
// without a window (drawing idle): for profiling the update alone.
#include <sys/resource.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>
#include <algorithm>
#include <string>
#include <vector>

#include "Application/App.h"
#include "Framework/Collision/RayCaster.h"
#include "Framework/Graphics/GraphicsDevice.h"
#include "Framework/Graphics/RenderScale.h"
#include "Framework/Graphics/ShaderManager.h"
#include "Framework/Render/Renderer.h"
#include "Framework/Model/VeModel.h"
#include "Framework/Platform/FrameTiming.h"
#include "Framework/Platform/Input.h"
#include "Framework/Platform/InputLog.h"
#include "Framework/ResourceCache.h"
#include "Framework/Settings/Settings.h"
#include "Game/GameWorld.h"
#include "Game/Effect/EffectList.h"
#include "Game/Enemy/Attack.h"
#include "Game/Enemy/EnemyBase.h"
#include "Game/Enemy/EnemyList.h"
#include "Game/Enemy/Track.h"
#include "Game/Object/Gun.h"
#include "Game/Object/Player.h"
#include "Game/Stage/Generator.h"
#include "Game/Stage/Portal.h"
#include "Game/Stage/Stage.h"
#include "Scene/FirstScene.h"
#include "Scene/GameScene.h"
#include "Scene/SceneManager.h"
#include "tools/playthrough/Bot.h"
#include "tools/timedemo/Stats.h"

namespace {

using Platform::InputFrame;
using Platform::Key;

constexpr float kRadToDeg = 57.29578f;
// The seed every run starts from: the same input then gives the same game.
constexpr unsigned kSeed = 1;

int Usage() {
    std::fprintf(stderr,
                 "usage: morvane_timedemo record <log> [--plan win|die] [--windowed]\n"
                 "       (replay and stress also take --render-scale auto|S (S from 0.5 to 1),\n"
                 "        --no-mips, --no-variants, --anisotropic or --linear: the texture\n"
                 "        filtering, --no-depth-pass, --no-cull, --no-batch, --all-lights,\n"
                 "        --no-instancing, --no-chunks or --chunk-cell S (metres), --stage-first,\n"
                 "        --far-pixels P (0: never the zombies' far models), --whole-sprites,\n"
                 "        --tested-effects, --fine-effects,\n"
                 "        and --passes: time each drawing pass)\n"
                 "       morvane_timedemo replay <log> [--frames N] [--from N] [--csv FILE] [--shot FILE]\n"
                 "                               [--headless] [--real-time [--seconds S]] [--slow-draw MS]\n"
                 "       morvane_timedemo stress [--frames N] [--warmup N] [--zombies N] [--csv FILE]\n"
                 "                               [--shot FILE] [--headless]\n");
    return 2;
}

GameScene* CurrentGame() { return dynamic_cast<GameScene*>(SceneManager::GetInstance().GetCurrentScene()); }

// How a game ended: the result it asked for, the input frame it asked on and
// the player's hit points and rounds then. A recording keeps it; a replay
// that ends any other way no longer plays the recorded game.
struct Ending {
    GameResult result = GameResult::None;
    size_t frame = 0;
    int hp = 0, magazine = 0, reserve = 0;

    // Notes the game's ending once, the first frame it is asked for.
    void Watch(size_t inputFrame) {
        if (result != GameResult::None) return;
        GameScene* game = CurrentGame();
        if (!game || game->GetRequestedResult() == GameResult::None) return;
        result = game->GetRequestedResult();
        frame = inputFrame;
        hp = game->GetPlayer()->GetHp();
        magazine = game->GetGun()->GetMagazine();
        reserve = game->GetPlayer()->GetReserveAmmo();
    }
    std::string Outcome() const {
        return result == GameResult::Cleared ? "cleared" : result == GameResult::Dead ? "dead" : "none";
    }
    std::string Describe() const {
        if (result == GameResult::None) return "none";
        return Outcome() + " at frame " + std::to_string(frame) + ", hit points " + std::to_string(hp) + ", rounds " +
               std::to_string(magazine) + "/" + std::to_string(reserve);
    }
};

long PeakMemoryKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;  // kilobytes on Linux
}

// One measured frame.
struct Sample {
    bool game = false;  // the game scene ran (update and draw were timed)
    int steps = 0;      // game steps the frame ran
    double updateMs = 0.0;
    double drawMs = 0.0;
    double frameMs = 0.0;
    long long rayQueries = 0;
    int pointLights = 0;  // point lights the frame's drawing shaded with
    int zombies = 0;
    int effects = 0;  // live effects and decals after the frame
    float scale = 1.0f;  // render scale the frame's 3D picture was drawn at
    double passMs[Platform::SceneTiming::kPassCount] = {};
    Render::Stats drawn;  // what the game's last picture handed over and drew
};

void MeasureCopies(int count);

// Frames run as the player's loop runs them (--real-time) rather than one
// step and one draw each, at full speed.
bool g_realTime = false;

// Runs one frame of the application (with no window when headless) and
// measures it. Returns false once the run has ended.
bool MeasureFrame(Sample& sample) {
    RayCaster* rays = ResourceCache::GetInstance().GetRayCaster();
    Platform::SceneTiming& timing = Platform::GetSceneTiming();
    const uint64_t before = timing.frames;
    rays->queryCount = 0;

    App& app = App::GetInstance();
    const double start = Platform::NowMs();
    const bool running = g_realTime ? app.RunRealTimeFrame() : app.RunFrame();
    sample.frameMs = Platform::NowMs() - start;
    static long frameCount = 0;
    if (running && !g_realTime && ++frameCount % 10 == 0) MeasureCopies(1);
    sample.steps = app.LastFrameSteps();
    if (!running) return false;

    sample.rayQueries = rays->queryCount;
    sample.pointLights = Render::Renderer::GetInstance().GetStats().lights;
    sample.game = timing.frames != before;
    if (sample.game) {
        sample.updateMs = timing.updateMs;
        sample.drawMs = timing.drawMs;
        for (int p = 0; p < Platform::SceneTiming::kPassCount; ++p) sample.passMs[p] = timing.passMs[p];
        sample.drawn = Render::Renderer::GetInstance().GetStats();
    }
    GameScene* game = CurrentGame();
    if (game && sample.game) sample.scale = static_cast<float>(game->GetDrawWidth()) / GameScene::kSceneWidth;
    sample.zombies = game ? game->GetEnemyList()->Count() : 0;
    if (game)
        sample.effects = static_cast<int>(game->GetEffectList()->GetEffects().size() +
                                          game->GetEffectList()->GetDecals().size());
    return true;
}

// Median time of one full-screen copy, measured in the run (0 without a
// window).
double g_copyMs = 0.0;

void PrintLine(const char* what, const timedemo::Summary& s, const char* unit) {
    std::printf("  %-22s median %8.3f  p99 %8.3f  max %8.3f  mean %8.3f %s  (%zu frames)\n", what, s.median, s.p99,
                s.max, s.mean, unit, s.count);
}

// A time figure with its median and 99th percentile also in full-screen
// copies.
void PrintTimeLine(const char* what, const timedemo::Summary& s) {
    PrintLine(what, s, "");
    if (g_copyMs > 0.0 && s.count > 0)
        std::printf("  %-22s median %8.2f  p99 %8.2f  full-screen copies\n", "", s.median / g_copyMs,
                    s.p99 / g_copyMs);
}

// Times count full-screen copies of a 1280 x 720 picture into the window,
// each waited for, as the game copies its 3D picture: the yardstick of the
// figures. Returns the median in milliseconds. The copies land in the back
// buffer before the next frame clears or covers it: nothing of them is
// seen, and the game's drawing is not changed.
double MeasureCopy(int count) {
    GraphicsDevice& device = GraphicsDevice::GetInstance();
    ShaderManager& shaders = ShaderManager::GetInstance();
    if (!device.IsReady()) return 0.0;
    VeTexture picture;
    TextureDesc desc;
    desc.width = GameScene::kSceneWidth;
    desc.height = GameScene::kSceneHeight;
    desc.bindFlags = kBindRenderTarget | kBindShaderResource;
    if (!picture.Create(desc)) return 0.0;
    picture.Clear(0.3f, 0.4f, 0.5f, 1.0f);
    const std::unique_ptr<BlendState> opaque = device.CreateBlendState(0);
    const BlendState* blend = device.GetBlendState();
    device.SetBackBufferAsTarget();
    std::vector<double> times;
    device.Finish();
    for (int i = 0; i < count; ++i) {
        const double start = Platform::NowMs();
        shaders.Begin2D(false, true);
        device.SetBlendState(opaque.get());
        shaders.SetTransform(Matrix::Identity());
        const Vector4 white(1.0f, 1.0f, 1.0f, 1.0f);
        shaders.DrawTexture(&picture, 0.0f, 0.0f, static_cast<float>(desc.width), static_cast<float>(desc.height),
                            nullptr, &white, Vector2(0.5f, 0.5f));
        shaders.End2D();
        device.Finish();
        times.push_back(Platform::NowMs() - start);
    }
    device.SetBlendState(blend);
    return timedemo::Summarise(times).median;
}

// The copies timed so far: a burst before and after the frames and one
// after every tenth frame, so that the yardstick sees the same load as the
// frames it measures on a machine that is busy with other work.
std::vector<double> g_copies;

void MeasureCopies(int count) {
    for (int i = 0; i < count; ++i) {
        const double ms = MeasureCopy(1);
        if (ms > 0.0) g_copies.push_back(ms);
    }
}

void Report(const std::vector<Sample>& samples, bool headless) {
    std::vector<double> update, draw, gameFrame, frame, rays, lights, effects;
    for (const Sample& s : samples) {
        frame.push_back(s.frameMs);
        rays.push_back(static_cast<double>(s.rayQueries));
        lights.push_back(static_cast<double>(s.pointLights));
        effects.push_back(static_cast<double>(s.effects));
        if (!s.game) continue;
        update.push_back(s.updateMs);
        draw.push_back(s.drawMs);
        gameFrame.push_back(s.frameMs);
    }
    const timedemo::Summary whole = timedemo::Summarise(frame);
    std::printf("frames: %zu (%zu in the game)%s\n", samples.size(), update.size(),
                headless ? ", headless (nothing drawn)" : ", 1280 x 720 window");
    if (!g_copies.empty()) {
        const timedemo::Summary copy = timedemo::Summarise(g_copies);
        g_copyMs = copy.median;
        PrintLine("full-screen copy ms", copy, "");
    }
    PrintLine("update ms", timedemo::Summarise(update), "");
    PrintTimeLine("draw ms (finished)", timedemo::Summarise(draw));
    PrintTimeLine("game frame ms", timedemo::Summarise(gameFrame));
    PrintTimeLine("whole frame ms", whole);
    PrintLine("ray queries / frame", timedemo::Summarise(rays), "");
    PrintLine("point lights / frame", timedemo::Summarise(lights), "");
    PrintLine("effects / frame", timedemo::Summarise(effects), "");
    // What the renderer was handed and what it drew, per game frame.
    const Render::Options& options = Render::Renderer::GetInstance().GetOptions();
    std::printf("  renderer: culling %s, effect runs %s, lights %s, actors %s\n", options.cull ? "on" : "off",
                options.batch ? "on" : "off", options.lightsPerModel ? "per model" : "all on every model",
                options.instance ? "instanced" : "one draw per subset");
    const struct {
        const char* label;
        int Render::Stats::*count;
    } counts[] = {
        {"models / frame", &Render::Stats::models},     {"  culled", &Render::Stats::modelsCulled},
        {"subsets / frame", &Render::Stats::subsets},   {"  culled", &Render::Stats::subsetsCulled},
        {"  drawn (shaded)", &Render::Stats::subsetsDrawn}, {"  depth-pass draws", &Render::Stats::depthDraws},
        {"chunks / frame", &Render::Stats::chunks},     {"  culled", &Render::Stats::chunksCulled},
        {"  chunk draws (shaded)", &Render::Stats::chunkDraws},
        {"actor draws (shaded)", &Render::Stats::actorDraws}, {"  actor depth draws", &Render::Stats::actorDepthDraws},
        {"effect quads / frame", &Render::Stats::effectQuads}, {"  effect draws", &Render::Stats::effectDraws},
        {"  in a coarse layer", &Render::Stats::coarseQuads},
        {"lights x models", &Render::Stats::modelLights}, {"  light uploads", &Render::Stats::lightUploads},
        {"actors before stage", &Render::Stats::actorsFirst},
        {"far actor models", &Render::Stats::farModels},
    };
    for (const auto& c : counts) {
        std::vector<double> values;
        for (const Sample& s : samples)
            if (s.game) values.push_back(static_cast<double>(s.drawn.*(c.count)));
        PrintLine(c.label, timedemo::Summarise(values), "");
    }
    if (Platform::GetSceneTiming().timePasses) {
        for (int p = 0; p < Platform::SceneTiming::kPassCount; ++p) {
            std::vector<double> pass;
            for (const Sample& s : samples)
                if (s.game) pass.push_back(s.passMs[p]);
            const std::string label = std::string("pass: ") + Platform::PassName(p);
            PrintLine(label.c_str(), timedemo::Summarise(pass), "");
        }
    }
    if (!headless && !update.empty()) {
        // The render scale over the game's frames: how often each size drew.
        std::vector<double> scales;
        int at[11] = {};
        for (const Sample& s : samples) {
            if (!s.game) continue;
            scales.push_back(s.scale);
            ++at[std::min(10, std::max(0, static_cast<int>(std::lround(s.scale * 10.0f))))];
        }
        const timedemo::Summary sc = timedemo::Summarise(scales);
        const RenderScale& rs = RenderScale::GetInstance();
        std::printf("  render scale           %s; median %.2f, %.2f .. %.2f, %d changes; frames at", 
                    rs.IsAutomatic() ? (rs.IsAdaptive() ? "automatic" : "automatic (full size on this renderer)")
                                     : "fixed",
                    sc.median, *std::min_element(scales.begin(), scales.end()), sc.max, rs.Changes());
        for (int t = 5; t <= 10; ++t)
            if (at[t] > 0) std::printf(" %.1f: %d", t / 10.0, at[t]);
        std::printf("\n");
    }
    if (whole.median > 0.0)
        std::printf("  frames per second      %.1f at the median frame, %.1f at the 99th percentile\n",
                    1000.0 / whole.median, whole.p99 > 0.0 ? 1000.0 / whole.p99 : 0.0);
    std::printf("  peak memory            %.1f MB (max resident set)\n", static_cast<double>(PeakMemoryKb()) / 1024.0);
}

// The player's loop against real time: steps run in the frames' time, and
// how many steps the frames ran.
void ReportRealTime(const std::vector<Sample>& samples) {
    double ms = 0.0, gameMs = 0.0;
    long steps = 0, gameSteps = 0;
    int most = 0;
    long perFrame[Platform::StepClock::kMaxStepsPerFrame + 1] = {};
    for (const Sample& s : samples) {
        ms += s.frameMs;
        steps += s.steps;
        most = std::max(most, s.steps);
        if (s.steps >= 0 && s.steps <= Platform::StepClock::kMaxStepsPerFrame) ++perFrame[s.steps];
        if (!s.game) continue;
        gameMs += s.frameMs;
        gameSteps += s.steps;
    }
    auto rate = [](long n, double t) { return t > 0.0 ? static_cast<double>(n) * 1000.0 / t : 0.0; };
    std::printf("real time: %ld steps in %.2f s (%.1f a second; real time is 60), %zu frames drawn\n", steps,
                ms / 1000.0, rate(steps, ms), samples.size());
    // Without the title and the level's loading, which is not caught up.
    std::printf("  in the game            %ld steps in %.2f s (%.1f a second)\n", gameSteps, gameMs / 1000.0,
                rate(gameSteps, gameMs));
    std::printf("  steps per drawn frame  at most %d;", most);
    for (int n = 0; n <= Platform::StepClock::kMaxStepsPerFrame; ++n) std::printf(" %d: %ld", n, perFrame[n]);
    std::printf(" frames\n  time dropped           %.0f ms (beyond %d steps a frame)\n",
                App::GetInstance().GetStepClock().DroppedMs(), Platform::StepClock::kMaxStepsPerFrame);
}

bool WriteCsv(const std::string& path, const std::vector<Sample>& samples) {
    std::ofstream out(path);
    if (!out) return false;
    const bool passes = Platform::GetSceneTiming().timePasses;
    out << "frame,game,steps,update_ms,draw_ms,frame_ms,ray_queries,point_lights,zombies,effects";
    if (passes)
        for (int p = 0; p < Platform::SceneTiming::kPassCount; ++p) out << ",pass_" << p << "_ms";
    out << '\n';
    for (size_t i = 0; i < samples.size(); ++i) {
        const Sample& s = samples[i];
        out << i << ',' << (s.game ? 1 : 0) << ',' << s.steps << ',' << s.updateMs << ',' << s.drawMs << ',' << s.frameMs << ','
            << s.rayQueries << ',' << s.pointLights << ',' << s.zombies << ',' << s.effects;
        if (passes)
            for (double ms : s.passMs) out << ',' << ms;
        out << '\n';
    }
    return static_cast<bool>(out);
}

// Samplers in place of the device's defaults (--linear, --anisotropic):
// shows what the filtering costs the renderer. 0 keeps the defaults.
int g_samplerFilter = 0;
std::unique_ptr<SamplerState> g_samplers[2];

// Opens the window with no frame cap (the player's cap with --real-time)
// and has the drawing timed to its end.
// The render scale asked for (--render-scale): the game's default, automatic.
float g_renderScale = RenderScale::kAuto;

bool StartWindow() {
    App& app = App::GetInstance();
    if (!app.Init(1280, 720)) return false;
    RenderScale::GetInstance().SetAdaptive(GraphicsDevice::GetInstance().IsSoftwareRenderer());
    RenderScale::GetInstance().SetSetting(g_renderScale);
    MeasureCopies(20);
    app.SetFrameCap(g_realTime);
    Platform::GetSceneTiming().finishDraw = true;
    if (g_samplerFilter != 0) {
        GraphicsDevice& device = GraphicsDevice::GetInstance();
        for (int slot = 0; slot < 2; ++slot) {
            g_samplers[slot] = device.CreateSamplerState(g_samplerFilter, 4, slot, false);
            device.SetPixelSampler(slot, g_samplers[slot].get());
        }
    }
    return true;
}

void Stop(bool headless) {
    Platform::Input::GetInstance().SetScript(nullptr);
    SceneManager::GetInstance().Clear();
    if (!headless) {
        MeasureCopies(20);
        for (auto& sampler : g_samplers) {
            if (sampler) GraphicsDevice::GetInstance().ReleaseSamplerState(sampler.get());
            sampler.reset();
        }
        App::GetInstance().Shutdown();
    }
}

// ---- record -----------------------------------------------------------------

int Record(const std::string& path, playthrough::Bot::Plan plan, bool windowed) {
    GameWorld::SetSeedOfNewGames(kSeed);
    playthrough::Bot::Options options;
    options.plan = plan;
    playthrough::Bot bot(options);
    Platform::RecordingScript recorder(&bot);
    Platform::Input& input = Platform::Input::GetInstance();
    SceneManager& scenes = SceneManager::GetInstance();

    Ending ending;
    if (windowed && !StartWindow()) return 77;
    input.SetScript(&recorder);
    scenes.SetNextScene(CreateFirstScene());
    while (windowed ? App::GetInstance().RunFrame() : input.Advance()) {
        if (!windowed) scenes.Update();
        ending.Watch(recorder.Frames().size());
    }
    Stop(!windowed);

    if (bot.Failed() || !bot.Finished()) {
        std::fprintf(stderr, "the bot did not finish its run (%s); nothing written\n", bot.Failure().c_str());
        return 1;
    }
    Platform::InputLog log;
    log.frames = recorder.Frames();
    log.notes["input log"] = "morvane input, one line per run of equal frames";
    log.notes["seed"] = std::to_string(kSeed);
    log.notes["frames"] = std::to_string(log.frames.size());
    log.notes["outcome"] = ending.Outcome();
    log.notes["ending"] = ending.Describe();
    std::string error;
    if (!Platform::SaveInputLog(path, log, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    std::printf("recorded %zu frames (%d in the game), outcome %s, into %s\n", log.frames.size(), bot.GameFrames(),
                log.notes["outcome"].c_str(), path.c_str());
    return 0;
}

// ---- replay -----------------------------------------------------------------

int Replay(const std::string& path, long frameLimit, long from, const std::string& csv, const std::string& shot,
           bool headless, double seconds) {
    Platform::InputLog log;
    std::string error;
    if (!Platform::LoadInputLog(path, log, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    if (log.frames.empty()) {
        std::fprintf(stderr, "%s holds no frames\n", path.c_str());
        return 1;
    }
    const bool partial = frameLimit > 0 && static_cast<size_t>(frameLimit) < log.frames.size();
    if (partial) log.frames.resize(static_cast<size_t>(frameLimit));

    GameWorld::SetSeedOfNewGames(kSeed);
    if (!headless && !StartWindow()) return 77;
    Platform::ReplayScript script(log.frames);
    Platform::Input::GetInstance().SetScript(&script);
    SceneManager::GetInstance().SetNextScene(CreateFirstScene());

    std::vector<Sample> samples;
    samples.reserve(log.frames.size());
    Ending ending;
    // The frames before --from: every step reads its own input frame, so the
    // game is the same as when each is drawn; only the pictures are left out.
    App& app = App::GetInstance();
    for (long played = 0; played < from;) {
        if (!app.RunFrame(static_cast<int>(from - played))) break;
        played += app.LastFrameSteps();
        ending.Watch(script.Position());
    }
    Sample sample;
    const double start = Platform::NowMs();
    bool cut = false;
    while (MeasureFrame(sample)) {
        // The first measured picture, as a player saw it.
        if (samples.empty() && !shot.empty() && !headless) GraphicsDevice::GetInstance().SaveScreenshot(shot);
        samples.push_back(sample);
        sample = Sample{};
        ending.Watch(script.Position());
        if (seconds > 0.0 && Platform::NowMs() - start >= seconds * 1000.0) {
            cut = true;
            break;
        }
    }
    const bool allFramesPlayed = script.Position() == script.Size();
    Stop(headless);

    std::printf("replay of %s\n", path.c_str());
    Report(samples, headless);
    if (g_realTime) ReportRealTime(samples);
    if (!csv.empty() && !WriteCsv(csv, samples)) std::fprintf(stderr, "cannot write %s\n", csv.c_str());

    std::printf("ending: %s", ending.Describe().c_str());
    if (cut) {
        std::printf(" (stopped after %.0f s: not compared)\n", seconds);
        return 0;
    }
    if (partial) {
        std::printf(" (partial replay: not compared)\n");
        return 0;
    }
    const auto outcome = log.notes.find("outcome");
    const auto recorded = log.notes.find("ending");
    if (outcome == log.notes.end() && recorded == log.notes.end()) {
        std::printf(" (the log names no ending)\n");
        return 0;
    }
    // A real-time run sees the game only between drawn frames, which may
    // hold several steps: there the result alone is compared.
    const bool sameEnding = g_realTime || recorded == log.notes.end() || recorded->second == ending.Describe();
    const bool same = sameEnding && (outcome == log.notes.end() || outcome->second == ending.Outcome()) &&
                      allFramesPlayed;
    if (same) {
        std::printf(" (as recorded)\n");
        return 0;
    }
    std::printf("\n");
    std::fflush(stdout);  // the report first, then the verdict
    std::fprintf(stderr,
                 "REPLAY DIVERGED from %s\n"
                 "  recorded ending: %s\n"
                 "  replayed ending: %s%s\n"
                 "The recorded input no longer plays the recorded game: gameplay has changed since the log was\n"
                 "made (or the game lost its determinism). If the change is intended, record the log anew from\n"
                 "the build folder and commit it on its own, saying which change made that necessary:\n"
                 "  ./tools/timedemo/morvane_timedemo record ../tools/timedemo/playthrough.log\n",
                 path.c_str(), recorded != log.notes.end() ? recorded->second.c_str() : outcome->second.c_str(),
                 ending.Describe().c_str(), allFramesPlayed ? "" : " (the run ended before its input did)");
    return 1;
}

// ---- stress -----------------------------------------------------------------

// Holds the fire button with the view kept on a point, and reloads when the
// magazine runs dry. Idle until aiming starts.
class FiringScript : public Platform::InputScript {
public:
    void Aim(const Vector3& target) {
        target_ = target;
        aiming_ = true;
    }
    bool Next(InputFrame& f) override {
        f = InputFrame{};
        f.relativeCursor = true;
        f.cursor = Platform::Point{0, 0};
        GameScene* game = CurrentGame();
        if (!aiming_ || !game) return true;
        const Player* player = game->GetPlayer();
        const Vector3 v = target_ - player->GetPosition();
        const float yaw = std::atan2(v.x, v.z) * kRadToDeg;
        const float pitch = std::atan2(-v.y, std::sqrt(v.x * v.x + v.z * v.z)) * kRadToDeg;
        float dyaw = std::fmod(yaw - player->GetYaw(), 360.0f);
        if (dyaw > 180.0f) dyaw -= 360.0f;
        if (dyaw <= -180.0f) dyaw += 360.0f;
        // 0.1 degree per mouse count; recoil is taken back the next frame.
        f.cursor = Platform::Point{static_cast<int>(std::lround(dyaw * 10.0f)),
                                   static_cast<int>(std::lround((pitch - player->GetPitch()) * 10.0f))};
        const Gun* gun = game->GetGun();
        if (gun->GetMagazine() == 0 && !gun->IsReloading() && !reloadHeld_) {
            f.Set(Key::R);
            reloadHeld_ = true;
        } else {
            reloadHeld_ = false;
            f.Set(Key::LeftButton);
        }
        return true;
    }

private:
    Vector3 target_;
    bool aiming_ = false;
    bool reloadHeld_ = false;
};

// Grid points of the hall floor inside the view cone from the eye (looking
// along +z), clear of the generator's base, nearest first.
std::vector<Vector3> ZombiePlaces(const Vector3& eye, const Vector3& generator, int count) {
    std::vector<Vector3> places;
    for (float z = eye.z + 8.0f; z <= 60.0f && static_cast<int>(places.size()) < count; z += 4.0f) {
        const float halfWidth = 0.9f * (z - eye.z);  // the view reaches 1.03 per unit ahead
        std::vector<Vector3> row;
        for (float x = 24.0f; x <= 106.0f; x += 4.0f) {
            if (std::fabs(x - eye.x) > halfWidth) continue;
            const float dx = x - generator.x, dz = z - generator.z;
            if (dx * dx + dz * dz < 13.0f * 13.0f) continue;
            row.push_back(Vector3(x, generator.y, z));
        }
        // Fill a row from the middle outwards.
        std::sort(row.begin(), row.end(),
                  [&](const Vector3& a, const Vector3& b) { return std::fabs(a.x - eye.x) < std::fabs(b.x - eye.x); });
        for (const Vector3& p : row) {
            if (static_cast<int>(places.size()) >= count) break;
            places.push_back(p);
        }
    }
    return places;
}

int Stress(int frames, int warmup, int zombieCount, const std::string& csv, const std::string& shot, bool headless) {
    GameWorld::SetSeedOfNewGames(kSeed);
    if (!headless && !StartWindow()) return 77;
    FiringScript script;
    Platform::Input& input = Platform::Input::GetInstance();
    input.SetScript(&script);
    SceneManager::GetInstance().SetNextScene(std::make_unique<GameScene>());
    Sample sample;
    if (!MeasureFrame(sample) || !CurrentGame()) {
        std::fprintf(stderr, "the game scene did not start\n");
        Stop(headless);
        return 1;
    }
    GameScene* game = CurrentGame();
    Stage* stage = game->GetStage();
    Player* player = game->GetPlayer();
    Portal* portal = stage->GetPortal();
    if (!portal) {
        std::fprintf(stderr, "the level has no generator\n");
        Stop(headless);
        return 1;
    }

    // The hall to ourselves: the level's own zombies go.
    game->GetEnemyList()->Clear();
    const Vector3 eye(65.0f, -78.0f, -10.0f);
    player->SetMatrix(Matrix::CreateTranslation(eye));
    player->SetCurrentFloor(stage->GetFloor(eye));
    stage->RefreshActivity(player->GetCurrentFloor());
    // The core's middle, at the height of its lights.
    Vector3 core;
    for (const PortalLight* light : portal->GetLights()) core += light->GetEffectPosition();
    core = core * (1.0f / static_cast<float>(std::max<size_t>(portal->GetLights().size(), 1)));
    script.Aim(core);

    // Every fourth zombie strong. They stand on the floor facing the player
    // and can neither die nor hurt (the run must last).
    const Vector3 generatorBase = portal->GetPosition();
    const std::vector<Vector3> places = ZombiePlaces(eye, generatorBase, zombieCount);
    for (size_t i = 0; i < places.size(); ++i) {
        const Vector3& p = places[i];
        const float yaw = std::atan2(eye.x - p.x, eye.z - p.z);
        EnemyList* list = game->GetEnemyList();
        EnemyBase* z = i % 4 == 3 ? list->AddStrong(Matrix::CreateRotationY(yaw) * Matrix::CreateTranslation(p))
                                  : list->AddNormal(Matrix::CreateRotationY(yaw) * Matrix::CreateTranslation(p));
        const Vector3 raised = p + Vector3(0.0f, z->GetGroundOffset(), 0.0f);
        z->SetMatrix(Matrix::CreateRotationY(yaw) * Matrix::CreateTranslation(raised));
        z->SetHp(1000000);
        z->SetAttackPower(0);
    }

    // Once they have landed and begun to wander, a graze wakes the few
    // that the pipes hide from the player.
    for (int i = 0; i < warmup; ++i) {
        if (!MeasureFrame(sample)) break;
        if (i == 2)
            for (EnemyBase* z : game->GetEnemyList()->GetEnemies())
                if (!dynamic_cast<Track*>(z->GetState())) z->Damage(1, z->GetPosition());
    }
    int awake = 0;
    for (EnemyBase* z : game->GetEnemyList()->GetEnemies())
        if (dynamic_cast<Track*>(z->GetState()) || dynamic_cast<Attack*>(z->GetState())) ++awake;

    std::vector<Sample> samples;
    samples.reserve(static_cast<size_t>(frames));
    int minZombies = 1 << 30, maxZombies = 0;
    const int shotsBefore = game->GetGun()->GetMagazine() + player->GetReserveAmmo();
    const int healthBefore = portal->GetHealthSum();
    for (int i = 0; i < frames; ++i) {
        sample = Sample{};
        if (!MeasureFrame(sample) || CurrentGame() != game) break;
        samples.push_back(sample);
        minZombies = std::min(minZombies, sample.zombies);
        maxZombies = std::max(maxZombies, sample.zombies);
        if (i == frames / 2 && !shot.empty() && !headless) GraphicsDevice::GetInstance().SaveScreenshot(shot);
    }
    const bool lasted = static_cast<int>(samples.size()) == frames;
    const int shotsFired = shotsBefore - (game->GetGun()->GetMagazine() + player->GetReserveAmmo());
    const int coreDamage = healthBefore - portal->GetHealthSum();
    const int lightsLeft = portal->CountLitLights();
    const bool alive = player->IsAlive();
    Stop(headless);

    std::printf("stress: generator hall, %zu zombies placed, %d of them chasing or attacking after %d frames\n",
                places.size(), awake, warmup);
    Report(samples, headless);
    std::printf("  zombies on the floor   %d .. %d; %d shots fired, core damage %d, %d lights left, player %s\n",
                samples.empty() ? 0 : minZombies, maxZombies, shotsFired, coreDamage, lightsLeft,
                alive ? "alive" : "dead");
    if (!csv.empty() && !WriteCsv(csv, samples)) std::fprintf(stderr, "cannot write %s\n", csv.c_str());
    if (!lasted) {
        std::printf("STRESS RUN ENDED EARLY after %zu of %d frames\n", samples.size(), frames);
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string mode = argv[1];
    std::string path, csv, shot;
    bool headless = false, windowed = false;
    long frames = -1, warmup = 60, zombies = 80, seconds = 0, slowDraw = 0, from = 0;
    playthrough::Bot::Plan plan = playthrough::Bot::Plan::Win;
    int i = 2;
    if (mode == "record" || mode == "replay") {
        if (argc < 3) return Usage();
        path = argv[i++];
    } else if (mode != "stress") {
        return Usage();
    }
    for (; i < argc; ++i) {
        const std::string a = argv[i];
        const bool more = i + 1 < argc;
        auto number = [&](long& into, long lo) {
            char* end = nullptr;
            const long v = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || v < lo) return false;
            into = v;
            return true;
        };
        auto decimal = [&](float& into) {
            char* end = nullptr;
            const float v = std::strtof(argv[++i], &end);
            if (*end != '\0' || !(v >= 0.0f)) return false;
            into = v;
            return true;
        };
        if (a == "--headless") {
            headless = true;
        } else if (a == "--linear") {
            g_samplerFilter = 1;
        } else if (a == "--anisotropic") {
            g_samplerFilter = 2;
        } else if (a == "--render-scale" && more && mode != "record") {
            const std::optional<float> scale = settings_file::ParseRenderScale(argv[++i]);
            if (!scale) return Usage();
            g_renderScale = *scale;
        } else if (a == "--no-variants" && mode != "record") {
            ShaderManager::GetInstance().SetShaderVariantsEnabled(false);
        } else if (a == "--no-mips" && mode != "record") {
            VeTexture::SetGenerateMips(false);
        } else if (a == "--no-depth-pass") {
            ShaderManager::GetInstance().SetDepthPassEnabled(false);
        } else if (a == "--no-cull") {
            Render::Renderer::GetInstance().GetOptions().cull = false;
        } else if (a == "--no-chunks") {
            VeMesh::SetChunkCell(0.0f);
        } else if (a == "--chunk-cell" && more) {
            float cell = 0.0f;
            if (!decimal(cell) || !(cell > 0.0f)) return Usage();
            VeMesh::SetChunkCell(cell);
        } else if (a == "--no-batch") {
            Render::Renderer::GetInstance().GetOptions().batch = false;
        } else if (a == "--far-pixels" && more) {
            if (!decimal(Render::Renderer::GetInstance().GetOptions().farModelPixels)) return Usage();
        } else if (a == "--whole-sprites") {
            ShaderManager::SetSkipClearInteriors(false);
        } else if (a == "--fine-effects") {
            Render::Renderer::GetInstance().GetOptions().coarseEffects = false;
        } else if (a == "--tested-effects") {
            Render::Renderer::GetInstance().GetOptions().untestedEffects = false;
        } else if (a == "--stage-first") {
            Render::Renderer::GetInstance().GetOptions().actorsFirst = false;
        } else if (a == "--no-instancing") {
            Render::Renderer::GetInstance().GetOptions().instance = false;
        } else if (a == "--all-lights") {
            Render::Renderer::GetInstance().GetOptions().lightsPerModel = false;
        } else if (a == "--passes") {
            Platform::GetSceneTiming().timePasses = true;
        } else if (a == "--real-time" && mode == "replay") {
            g_realTime = true;
        } else if (a == "--seconds" && more && mode == "replay") {
            if (!number(seconds, 1)) return Usage();
        } else if (a == "--slow-draw" && more && mode != "record") {
            if (!number(slowDraw, 0)) return Usage();
        } else if (a == "--windowed" && mode == "record") {
            windowed = true;
        } else if (a == "--plan" && more && mode == "record") {
            const std::string p = argv[++i];
            if (p == "win") plan = playthrough::Bot::Plan::Win;
            else if (p == "die") plan = playthrough::Bot::Plan::Die;
            else return Usage();
        } else if (a == "--frames" && more) {
            if (!number(frames, 1)) return Usage();
        } else if (a == "--from" && more && mode == "replay") {
            if (!number(from, 0)) return Usage();
        } else if (a == "--warmup" && more) {
            if (!number(warmup, 0)) return Usage();
        } else if (a == "--zombies" && more) {
            if (!number(zombies, 0)) return Usage();
        } else if (a == "--csv" && more) {
            csv = argv[++i];
        } else if (a == "--shot" && more) {
            shot = argv[++i];
        } else {
            return Usage();
        }
    }

    if (seconds > 0 && !g_realTime) return Usage();
    App& app = App::GetInstance();
    app.SetHeadless(headless);
    app.SetFrameCap(g_realTime);
    app.SetExtraDrawMs(static_cast<uint32_t>(slowDraw));
    if (mode == "record") return Record(path, plan, windowed);
    if (mode == "replay") return Replay(path, frames, from, csv, shot, headless, static_cast<double>(seconds));
    return Stress(frames > 0 ? static_cast<int>(frames) : 600, static_cast<int>(warmup), static_cast<int>(zombies), csv,
                  shot, headless);
}
