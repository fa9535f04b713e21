// The title, result and game screens drawn by the real renderer (under Xvfb
// with Mesa's software rasteriser) and checked on the pixels read back: the
// logo and buttons where they belong, the fade to black after the start
// click, the black death screen and its banner, the cleared room under its
// white flash, and the game HUD's health bar and crosshair. Screenshots go
// to test_screenshots/ in the build folder.
#include <gtest/gtest.h>

#include <stb_image.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "Framework/Graphics/RenderScale.h"
#include "Framework/Render/Renderer.h"
#include "Framework/Graphics/ShaderManager.h"
#include "Framework/Platform/Input.h"
#include "Framework/ResourceCache.h"
#include "Game/GameWorld.h"
#include "Game/Object/Player.h"
#include "Game/Stage/Stage.h"
#include "Scene/GameScene.h"
#include "Scene/Hud.h"
#include "Scene/ResultScene.h"
#include "Scene/SceneManager.h"
#include "Scene/TitleScene.h"
#include "tests/Framework/Graphics/GlFixture.h"
#include "tests/Scene/SceneDriver.h"
#include "tests/Game/Stage/ShootOutCore.h"

using Platform::Input;
using Platform::InputFrame;

using testinput::At;

namespace {

GlPicture Load(const std::string& path) {
    GlPicture p;
    int channels = 0;
    unsigned char* data = stbi_load(path.c_str(), &p.w, &p.h, &channels, 4);
    if (data) {
        p.rgba.assign(data, data + static_cast<size_t>(p.w) * p.h * 4);
        stbi_image_free(data);
    }
    return p;
}

// Mean and spread of the luma in a box of the window.
void LumaStats(const GlPicture& shot, int x0, int y0, int w, int h, float& mean, float& spread) {
    double sum = 0, sum2 = 0;
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x) {
            const double l = shot.Luma(x, y);
            sum += l;
            sum2 += l * l;
        }
    const double n = static_cast<double>(w) * h;
    mean = static_cast<float>(sum / n);
    spread = static_cast<float>(std::sqrt(std::max(0.0, sum2 / n - (sum / n) * (sum / n))));
}

// Correlation between an opaque sprite's texels and the window where the
// sprite was drawn, centred at window pixel (cx, cy) and scaled by s.
float SpriteCorrelation(const GlPicture& shot, const std::string& texturePath, float cx, float cy, float s) {
    const GlPicture tex = Load(texturePath);
    if (tex.rgba.empty()) return 0.0f;
    const float w = tex.w * s, h = tex.h * s;
    std::vector<float> a, b;
    for (int y = static_cast<int>(cy - h / 2) + 1; y < static_cast<int>(cy + h / 2) - 1; y += 2)
        for (int x = static_cast<int>(cx - w / 2) + 1; x < static_cast<int>(cx + w / 2) - 1; x += 2) {
            if (x < 0 || y < 0 || x >= shot.w || y >= shot.h) continue;
            const int u = std::min(tex.w - 1, static_cast<int>((x + 0.5f - (cx - w / 2)) / s));
            const int v = std::min(tex.h - 1, static_cast<int>((y + 0.5f - (cy - h / 2)) / s));
            if (tex.Px(u, v)[3] < 250) continue;
            a.push_back(tex.Luma(u, v));
            b.push_back(shot.Luma(x, y));
        }
    if (a.size() < 50) return 0.0f;
    double ma = 0, mb = 0;
    for (size_t i = 0; i < a.size(); ++i) ma += a[i], mb += b[i];
    ma /= a.size();
    mb /= b.size();
    double sab = 0, saa = 0, sbb = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        sab += (a[i] - ma) * (b[i] - mb);
        saa += (a[i] - ma) * (a[i] - ma);
        sbb += (b[i] - mb) * (b[i] - mb);
    }
    return saa > 0 && sbb > 0 ? static_cast<float>(sab / std::sqrt(saa * sbb)) : 0.0f;
}

// Runs the game from a copy of Data/ whose pictures (the PNG and JPEG files
// directly under it: HUD, title, result and effect pictures) are cut to half
// their size, so none of them loads; models and sounds are the real ones.
// Restores the working folder and empties the cache on the way out.
class DamagedPictures {
public:
    DamagedPictures() {
        namespace fs = std::filesystem;
        previous_ = fs::current_path();
        root_ = fs::temp_directory_path() / ("morvane_damaged_pictures_" + std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_ / "Data");
        for (const fs::directory_entry& entry : fs::directory_iterator(previous_ / "Data")) {
            const fs::path target = root_ / "Data" / entry.path().filename();
            const std::string ext = entry.path().extension().string();
            if (entry.is_regular_file() && (ext == ".png" || ext == ".jpg")) {
                fs::copy_file(entry.path(), target);
                fs::resize_file(target, fs::file_size(target) / 2);
            } else {
                fs::create_symlink(entry.path(), target);
            }
        }
        ResourceCache::GetInstance().Clear();
        fs::current_path(root_);
    }
    ~DamagedPictures() {
        ResourceCache::GetInstance().Clear();
        std::filesystem::current_path(previous_);
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }

    // Screenshots still go to the build folder's test_screenshots/.
    std::string ShotPath(const std::string& name) const {
        std::error_code ec;
        std::filesystem::create_directories(previous_ / "test_screenshots", ec);
        return (previous_ / "test_screenshots" / name).string();
    }

private:
    std::filesystem::path previous_, root_;
};

}  // namespace

class ScreensRender : public GlSuite, protected SceneDriver<SceneBase> {
protected:
    void TearDown() override {
        scene_.reset();
        GlSuite::TearDown();
    }
};

TEST_F(ScreensRender, TitleShowsRoomLogoButtonAndFadesToBlackAfterTheClick) {
    scene_ = std::make_unique<TitleScene>();
    Step(At({640, 610}, false), 3);
    Shot("title.png");
    const GlPicture title = GlPicture::Grab();
    // Logo scaled by 0.2 at sprite (0, 150), the hovered button by 1.2 at (0, -250).
    EXPECT_GT(SpriteCorrelation(title, "Data/title.png", 640, 210, 0.2f), 0.7f);
    EXPECT_GT(SpriteCorrelation(title, "Data/cliclstart.png", 640, 610, 1.2f), 0.7f);
    // The room fills the corners: not the white of the cleared back buffer,
    // and not one flat colour.
    float mean = 0, spread = 0;
    LumaStats(title, 0, 0, 300, 300, mean, spread);
    EXPECT_LT(mean, 250.0f);
    EXPECT_GT(spread, 3.0f);

    // Off the button it is drawn at its own size.
    Step(At({100, 100}, false));
    EXPECT_GT(SpriteCorrelation(GlPicture::Grab(), "Data/cliclstart.png", 640, 610, 1.0f), 0.7f);

    // The click: a hole where it landed; 100 frames later the screen is black
    // but for the hole, drawn above the fade.
    Step(At({600, 600}, false));
    Step(At({600, 600}, true));
    Step(At({600, 600}, false), 98);
    Shot("title_faded.png");
    const GlPicture faded = GlPicture::Grab();
    LumaStats(faded, 0, 0, 1280, 400, mean, spread);
    EXPECT_LT(mean, 6.0f) << "faded to black";
    LumaStats(faded, 600 - 20, 600 - 20, 40, 40, mean, spread);
    EXPECT_GT(spread, 5.0f) << "the bullet hole shows at the click point";
}

TEST_F(ScreensRender, DeathResultIsBlackThenShowsTheBannerAndTheButton) {
    scene_ = CreateResultScene(false);
    Step(At({640, 610}, false));
    Shot("result_dead_start.png");
    float mean = 0, spread = 0;
    LumaStats(GlPicture::Grab(), 0, 0, 1280, 720, mean, spread);
    EXPECT_LT(mean, 2.0f) << "black at first";

    Step(At({640, 610}, false), 200);
    Shot("result_dead.png");
    const GlPicture shot = GlPicture::Grab();
    // Banner at sprite (0, 100): window centre (640, 260); button hovered.
    EXPECT_GT(SpriteCorrelation(shot, "Data/YOUAREDEAD.jpg", 640, 260, 1.0f), 0.8f);
    EXPECT_GT(SpriteCorrelation(shot, "Data/clicktitle.png", 640, 610, 1.2f), 0.7f);
    LumaStats(shot, 0, 0, 100, 720, mean, spread);
    EXPECT_LT(mean, 2.0f) << "nothing of the room beside the banner";
}

TEST_F(ScreensRender, ClearedResultShowsTheRoomUnderAWhiteFlashAndTheBannerAtOnce) {
    scene_ = CreateResultScene(true);
    Step(At({100, 100}, false));
    Shot("result_cleared_flash.png");
    float mean = 0, spread = 0;
    LumaStats(GlPicture::Grab(), 0, 0, 1280, 720, mean, spread);
    EXPECT_GT(mean, 225.0f) << "white flash";

    Step(At({100, 100}, false), 24);
    Shot("result_cleared.png");
    const GlPicture shot = GlPicture::Grab();
    // Banner at sprite (0, 250): window centre (640, 110); button unhovered.
    EXPECT_GT(SpriteCorrelation(shot, "Data/clear.png", 640, 110, 1.0f), 0.8f);
    EXPECT_GT(SpriteCorrelation(shot, "Data/clicktitle.png", 640, 610, 1.0f), 0.7f);
    LumaStats(shot, 0, 250, 300, 300, mean, spread);
    EXPECT_LT(mean, 250.0f) << "the room, not the white back buffer";
    EXPECT_GT(spread, 3.0f);
}

TEST_F(ScreensRender, GameHudShowsHealthBarCrosshairAndCounter) {
    scene_ = std::make_unique<GameScene>();
    Step(InputFrame{}, 22);  // past the fade-in
    Shot("game_hud.png");
    const GlPicture shot = GlPicture::Grab();
    // Full health: the bar from window x 60 to 360 at y 680, green.
    for (int x : {70, 200, 350}) {
        const unsigned char* p = shot.Px(x, 680);
        EXPECT_GT(p[1], 150) << "x " << x;
        EXPECT_GT(p[1], p[0] + 80) << "x " << x;
    }
    float mean = 0, spread = 0;
    LumaStats(shot, 1175, 679, 90, 26, mean, spread);
    EXPECT_GT(spread, 20.0f) << "digits drawn in the counter's place";
}

// The ending's faint, shaken copies build up in the scene's own picture, not
// in the window's back buffer (whose content after a swap is undefined):
// over a picture painted red, one ending frame leaves nine tenths of the red,
// while playing the picture starts white every frame; the window gets an
// exact copy each time.
TEST_F(ScreensRender, EndingSmearsInTheScenesOwnPictureAndTheWindowGetsACopy) {
    // A spot away from the HUD: left of the middle, above the health bar.
    const int x = 300, y = 420;
    for (const float scale : {1.0f, 0.5f}) {
        SCOPED_TRACE(scale);
        RenderScale::GetInstance().SetSetting(scale);
        auto game = std::make_unique<GameScene>();
        GameScene* g = game.get();
        scene_ = std::move(game);
        Step(InputFrame{}, 22);  // past the fade-in
        VeTexture& smear = g->GetSmearTexture();
        auto smearPicture = [&] {
            smear.SetAsRenderTarget();
            GlPicture p = GlPicture::Grab();
            GraphicsDevice::GetInstance().SetBackBufferAsTarget();
            return p;
        };

        // Playing at full scale, the world goes straight into the smear
        // picture, which starts black, and the window gets a copy; at a
        // smaller scale the world is stretched straight into the window.
        smear.Clear(1.0f, 0.0f, 0.0f, 1.0f);
        g->Draw();
        EXPECT_EQ(g->DrewWorldInPicture(), scale == 1.0f);
        const GlPicture playing = GlPicture::Grab();
        EXPECT_LT(playing.Px(x, y)[0], 200) << "no red while playing";
        if (scale == 1.0f) EXPECT_EQ(GlPicture::CountDifferent(playing, smearPicture()), 0u);

        // The ending's first frame goes over the last frame shown (at a
        // smaller scale, over its own picture): none of the red shows.
        if (scale != 1.0f) smear.Clear(1.0f, 0.0f, 0.0f, 1.0f);
        testgame::ShootOutTheCore(*g->GetStage());
        Step(InputFrame{}, 1);
        ASSERT_EQ(g->GetState(), GameState::Ending);
        EXPECT_FALSE(g->DrewWorldInPicture());
        const GlPicture first = GlPicture::Grab();
        EXPECT_EQ(GlPicture::CountDifferent(first, smearPicture()), 0u);
        EXPECT_LT(first.Px(x, y)[0], 200) << "no red at the ending's start";

        // Then each frame goes over the frames before as a faint copy: the
        // smear picture is the game's own, and the window gets a copy.
        smear.Clear(1.0f, 0.0f, 0.0f, 1.0f);
        g->Draw();
        const GlPicture ending = GlPicture::Grab();
        if (scale == 1.0f) Shot("ending_smear.png");
        EXPECT_EQ(GlPicture::CountDifferent(ending, smearPicture()), 0u);
        const unsigned char* p = ending.Px(x, y);
        EXPECT_GE(p[0], 228) << "nine tenths of the red the picture held";
        EXPECT_LE(p[1], 40);
        EXPECT_LE(p[2], 40);
        // A second frame smears further: the red fades by another tenth.
        g->Draw();
        EXPECT_LT(GlPicture::Grab().Px(x, y)[0], p[0]);
        scene_.reset();
    }
    RenderScale::GetInstance().SetSetting(RenderScale::kAuto);
}

// The depth pass before the shaded one must not change a pixel of the game:
// the same seed and input drawn with and without it, at the start (top
// floor) and in the generator hall with the floors above in view.
TEST_F(ScreensRender, GameLooksTheSameWithAndWithoutTheDepthPass) {
    auto view = [this](bool depthPass, bool hall) {
        GameWorld::SetSeedOfNewGames(7);
        ShaderManager::GetInstance().SetDepthPassEnabled(depthPass);
        auto game = std::make_unique<GameScene>();
        GameScene* g = game.get();
        scene_ = std::move(game);
        Step(InputFrame{}, 22);
        if (hall) {
            const Vector3 eye(65.0f, -78.0f, -10.0f);
            g->GetPlayer()->SetMatrix(Matrix::CreateTranslation(eye));
            g->GetPlayer()->SetCurrentFloor(g->GetStage()->GetFloor(eye));
            g->GetStage()->RefreshActivity(g->GetPlayer()->GetCurrentFloor());
            Step(InputFrame{}, 3);
        }
        GlPicture shot = GlPicture::Grab();
        ShaderManager::GetInstance().SetDepthPassEnabled(true);
        return shot;
    };
    for (bool hall : {false, true}) {
        SCOPED_TRACE(hall ? "generator hall" : "start");
        const GlPicture without = view(false, hall);
        const GlPicture with = view(true, hall);
        Shot(hall ? "depth_pass_hall.png" : "depth_pass_start.png");
        EXPECT_EQ(GlPicture::CountDifferent(with, without), 0u);
        float mean = 0, spread = 0;
        LumaStats(with, 0, 0, 1280, 600, mean, spread);
        EXPECT_GT(spread, 10.0f) << "a drawn room, not an empty picture";
    }
}

// The model program's variants (no alpha test for subsets that cannot drop
// a pixel, no samples of white metal-roughness and emissive textures, no
// point-light loop where no point light is on) must not change a pixel: the
// same seed and input drawn with and without them, on the top floor at the
// start, in the office and the plant lab of the first basement (lit by the
// specimens' lights) and in the generator hall (lit by the generator).
TEST_F(ScreensRender, GameLooksTheSameWithAndWithoutTheShaderVariants) {
    struct View {
        const char* name;
        bool moved;
        Vector3 eye;
    };
    const View views[] = {{"start", false, Vector3()},
                          {"office", true, Vector3(30.0f, -36.0f, 68.0f)},
                          {"plant lab", true, Vector3(45.0f, -36.0f, -25.0f)},
                          {"generator hall", true, Vector3(65.0f, -78.0f, -10.0f)}};
    ShaderManager& shaders = ShaderManager::GetInstance();
    auto draw = [&](bool variants, const View& v) {
        GameWorld::SetSeedOfNewGames(7);
        shaders.SetShaderVariantsEnabled(variants);
        auto game = std::make_unique<GameScene>();
        GameScene* g = game.get();
        scene_ = std::move(game);
        Step(InputFrame{}, 22);
        if (v.moved) {
            g->GetPlayer()->SetMatrix(Matrix::CreateTranslation(v.eye));
            g->GetPlayer()->SetCurrentFloor(g->GetStage()->GetFloor(v.eye));
            g->GetStage()->RefreshActivity(g->GetPlayer()->GetCurrentFloor());
            Step(InputFrame{}, 3);
        }
        GlPicture shot = GlPicture::Grab();
        shaders.SetShaderVariantsEnabled(true);
        return shot;
    };
    for (const View& v : views) {
        SCOPED_TRACE(v.name);
        const GlPicture without = draw(false, v);
        const int lean = ShaderManager::ModelVariant(true, true, true, true);
        const int leanWithLights = ShaderManager::ModelVariant(true, true, true, false);
        const unsigned long leanBefore = shaders.ModelVariantDraws(lean);
        const unsigned long withLightsBefore = shaders.ModelVariantDraws(leanWithLights);
        const GlPicture with = draw(true, v);
        Shot(std::string("variants_") + v.name + ".png");
        EXPECT_EQ(GlPicture::CountDifferent(with, without), 0u);
        EXPECT_GT(shaders.ModelVariantDraws(lean), leanBefore)
            << "opaque subsets without emissive or metal-roughness textures took the lean variant";
        if (std::string(v.name) != "start" && std::string(v.name) != "office")
            EXPECT_GT(shaders.ModelVariantDraws(leanWithLights), withLightsBefore)
                << "subsets a point light reaches kept the point-light loop";
        float mean = 0, spread = 0;
        LumaStats(with, 0, 0, 1280, 600, mean, spread);
        EXPECT_GT(spread, 10.0f) << "a drawn room, not an empty picture";
    }
}

// At half the render scale the world is drawn into a quarter of the
// pixels and stretched over the window: the same view, softer, and upright;
// the HUD over it stays at the window's resolution.
TEST_F(ScreensRender, HalfRenderScaleStretchesTheWorldUnderAFullSizeHud) {
    auto view = [this](float scale) {
        GameWorld::SetSeedOfNewGames(7);
        RenderScale::GetInstance().SetSetting(scale);
        auto game = std::make_unique<GameScene>();
        GameScene* g = game.get();
        scene_ = std::move(game);
        Step(InputFrame{}, 22);
        EXPECT_EQ(g->GetDrawWidth(), RenderScale::Scaled(1280, scale));
        EXPECT_EQ(g->GetDrawHeight(), RenderScale::Scaled(720, scale));
        // The depth pass only where the picture is large enough to gain.
        const int depthDraws = Render::Renderer::GetInstance().GetStats().depthDraws;
        if (scale < 0.7f)
            EXPECT_EQ(depthDraws, 0);
        else
            EXPECT_GT(depthDraws, 0);
        return GlPicture::Grab();
    };
    const GlPicture full = view(1.0f);
    const GlPicture half = view(0.5f);
    Shot("render_scale_half.png");
    RenderScale::GetInstance().SetSetting(RenderScale::kAuto);

    // The world: blocks of 16 x 16 pixels agree on average (a picture that
    // were shifted, flipped or shrunk would not), while single pixels
    // differ (it was drawn smaller).
    double blockDiff = 0.0;
    int blocks = 0;
    size_t differ = 0;
    for (int by = 0; by < 640; by += 16)
        for (int bx = 0; bx < 1280; bx += 16) {
            double a = 0, b = 0;
            for (int y = by; y < by + 16; ++y)
                for (int x = bx; x < bx + 16; ++x) {
                    a += full.Luma(x, y);
                    b += half.Luma(x, y);
                    if (std::memcmp(full.Px(x, y), half.Px(x, y), 3) != 0) ++differ;
                }
            blockDiff += std::fabs(a - b) / 256.0;
            ++blocks;
        }
    EXPECT_LT(blockDiff / blocks, 4.0) << "the same view, stretched";
    EXPECT_GT(differ, 10000u) << "drawn at a quarter of the pixels";

    // The HUD's health bar keeps its sharp edge: its last column green, the
    // world just past it not.
    for (const GlPicture* p : {&full, &half}) {
        EXPECT_GT(p->Px(355, 680)[1], 150);
        EXPECT_EQ(std::memcmp(p->Px(200, 680), full.Px(200, 680), 3), 0) << "the bar's own colour";
    }
}

// With every picture damaged the HUD draws nothing over the world: no black
// boxes for the crosshair, the digits, the health icon and bar, and no
// black full-screen blood frame while the health is low. The screen is the
// world picture alone, pixel for pixel.
TEST_F(ScreensRender, GameWithoutItsPicturesShowsTheWorldAndNoBlackBoxes) {
    DamagedPictures damaged;
    auto game = std::make_unique<GameScene>();
    GameScene* g = game.get();
    scene_ = std::move(game);
    Step(InputFrame{}, 22);
    g->GetPlayer()->Damage(8, g->GetPlayer()->GetPosition());
    Step(InputFrame{}, 90);
    ASSERT_LT(g->GetHud()->GetHpShown(), 0.3f) << "the low-health frame is pulsing";
    EXPECT_TRUE(GraphicsDevice::GetInstance().SaveScreenshot(damaged.ShotPath("game_without_pictures.png")));
    const GlPicture screen = GlPicture::Grab();

    VeTexture& world = g->DrawWorldPicture();
    world.SetAsRenderTarget();
    const GlPicture picture = GlPicture::Grab();
    GraphicsDevice::GetInstance().SetBackBufferAsTarget();
    EXPECT_EQ(GlPicture::CountDifferent(screen, picture, 1), 0u);
    float mean = 0, spread = 0;
    LumaStats(screen, 0, 0, 1280, 720, mean, spread);
    EXPECT_GT(spread, 10.0f) << "the world is drawn";
    scene_.reset();  // before its data goes
}

// The start button still answers where it would be drawn when its picture
// is missing, so a player can start the game from the title.
TEST_F(ScreensRender, TitleStartsTheGameWithoutTheButtonPicture) {
    DamagedPictures damaged;
    scene_ = std::make_unique<TitleScene>();
    Step(At({640, 610}, false), 2);
    Step(At({640, 610}, true));
    Step(At({640, 610}, false), 100);
    EXPECT_NE(dynamic_cast<GameScene*>(SceneManager::GetInstance().GetNextScene()), nullptr);
    scene_.reset();  // before its data goes
    SceneManager::GetInstance().Clear();
}
