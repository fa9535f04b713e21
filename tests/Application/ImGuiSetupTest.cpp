#include <gtest/gtest.h>

#include <SDL.h>
#include <imgui.h>

#include <cstdlib>
#include <fstream>

#include "Application/GameWindow.h"
#include "Application/ImGuiSetup.h"

namespace {

bool Covered(const std::vector<uint16_t>& r, uint32_t c) {
    for (size_t i = 0; i + 1 < r.size(); i += 2) {
        if (c >= r[i] && c <= r[i + 1]) return true;
    }
    return false;
}

TEST(ShiftJisGlyphRanges, AreSortedDisjointInclusivePairsEndingInZero) {
    const auto& r = ImGuiSetup::ShiftJisGlyphRanges();
    ASSERT_GE(r.size(), 3u);
    ASSERT_EQ(r.size() % 2, 1u);
    EXPECT_EQ(r.back(), 0);
    size_t points = 0;
    for (size_t i = 0; i + 1 < r.size(); i += 2) {
        ASSERT_NE(r[i], 0);
        ASSERT_LE(r[i], r[i + 1]);
        // Adjacent ranges are merged, so each starts past a gap.
        if (i >= 2) ASSERT_GT(r[i], r[i - 1] + 1u);
        points += r[i + 1] - r[i] + 1u;
    }
    // 95 ASCII + 63 half-width katakana + the 6,879 JIS X 0208 characters,
    // less the few that coincide with ASCII.
    EXPECT_GE(points, 7030u);
    EXPECT_LE(points, 7037u);
}

TEST(ShiftJisGlyphRanges, CoverTheJapaneseRepertoireAndNothingElse) {
    const auto& r = ImGuiSetup::ShiftJisGlyphRanges();
    for (uint32_t c : {0x20u, 0x41u, 0x7Eu,        // ASCII
                       0x3042u, 0x30A2u, 0x30FCu,  // hiragana, katakana, long vowel
                       0x6F22u, 0x5B57u, 0x9ED2u,  // kanji
                       0xFF76u, 0xFF61u, 0xFF9Fu,  // half-width katakana
                       0x3001u, 0xFF01u, 0xFFE5u, 0x00A7u, 0x0391u, 0x0410u, 0x2010u}) {
        EXPECT_TRUE(Covered(r, c)) << std::hex << c;
    }
    for (uint32_t c : {0x1Fu, 0x7Fu, 0xE9u, 0xAC00u, 0x4E02u, 0xFFFDu}) {
        EXPECT_FALSE(Covered(r, c)) << std::hex << c;
    }
}

TEST(ImGuiSetup, StartsOnAGLContextMergesTheJapaneseFontAndShutsDown) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs a display (Xvfb)";
    GameWindow window;
    ASSERT_TRUE(window.Create(320, 240, "imgui", "Window")) << window.LastError();
    SDL_GLContext context = SDL_GL_CreateContext(window.GetHandle());
    ASSERT_NE(context, nullptr) << SDL_GetError();

    EXPECT_FALSE(ImGuiSetup::IsActive());
    ASSERT_TRUE(ImGuiSetup::Init(window.GetHandle()));
    EXPECT_TRUE(ImGuiSetup::IsActive());
    ImGuiIO& io = ImGui::GetIO();
    // One font: the default one, with the gothic merged into it.
    EXPECT_EQ(io.Fonts->Fonts.Size, 1);
    bool fontInstalled = false;
    for (int i = 0; ImGuiSetup::kJapaneseFontPaths[i]; ++i) {
        fontInstalled = fontInstalled || std::ifstream(ImGuiSetup::kJapaneseFontPaths[i]).good();
    }
    if (fontInstalled) {
        ASSERT_EQ(io.Fonts->ConfigData.Size, 2);
        EXPECT_TRUE(io.Fonts->ConfigData[1].MergeMode);
        EXPECT_FLOAT_EQ(io.Fonts->ConfigData[1].SizePixels, 13.0f);
        EXPECT_FALSE(ImGuiSetup::MergedFontPath().empty());
        // Building the atlas proves the font and the ranges are usable.
        unsigned char* pixels = nullptr;
        int w = 0, h = 0;
        io.Fonts->GetTexDataAsAlpha8(&pixels, &w, &h);
        EXPECT_NE(pixels, nullptr);
        EXPECT_NE(io.Fonts->Fonts[0]->FindGlyphNoFallback(0x6F22), nullptr);  // a kanji
        EXPECT_NE(io.Fonts->Fonts[0]->FindGlyphNoFallback('A'), nullptr);
    }
    EXPECT_FALSE(ImGuiSetup::WantsKeyboard());

    // Events pass through ImGui and still reach the window.
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.sym = SDLK_ESCAPE;
    e.key.keysym.scancode = SDL_SCANCODE_ESCAPE;
    SDL_PushEvent(&e);
    window.PumpMessages();
    EXPECT_EQ(window.GetHandle(), nullptr);

    ImGuiSetup::Shutdown();
    EXPECT_FALSE(ImGuiSetup::IsActive());
    EXPECT_EQ(ImGui::GetCurrentContext(), nullptr);
    SDL_GL_DeleteContext(context);
}

TEST(ImGuiSetup, RefusesToStartWithoutAWindowOrContext) {
    EXPECT_FALSE(ImGuiSetup::Init(nullptr));
    EXPECT_FALSE(ImGuiSetup::IsActive());
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    ImGuiSetup::ProcessEvent(e);  // harmless while ImGui is down
    EXPECT_FALSE(ImGuiSetup::WantsKeyboard());
}

}  // namespace
