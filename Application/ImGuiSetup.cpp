#include "Application/ImGuiSetup.h"

#include <SDL.h>
#include <iconv.h>
#include <imgui.h>
#include <backends/imgui_impl_opengl3.h>
#include <backends/imgui_impl_sdl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace ImGuiSetup {

const char* const kJapaneseFontPaths[] = {
    "/usr/share/fonts/truetype/fonts-japanese-gothic.ttf",
    "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf",
    nullptr,
};

namespace {

bool g_active = false;
std::string g_mergedFont;

// Converts one Shift_JIS byte sequence to a code point; 0 when the sequence
// names no character.
uint32_t Decode(iconv_t cd, const unsigned char* bytes, size_t length) {
    char in[2];
    std::memcpy(in, bytes, length);
    unsigned char out[16] = {};
    char* inPtr = in;
    char* outPtr = reinterpret_cast<char*>(out);
    size_t inLeft = length, outLeft = sizeof(out);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) || inLeft != 0 ||
        sizeof(out) - outLeft != 4) {
        return 0;
    }
    return out[0] | (out[1] << 8) | (out[2] << 16) | (static_cast<uint32_t>(out[3]) << 24);
}

std::vector<uint16_t> BuildRanges() {
    std::vector<uint32_t> points;
    // Printable ASCII as ASCII (the font shows 0x5C and 0x7E as backslash
    // and tilde, as the program's strings mean them).
    for (uint32_t c = 0x20; c <= 0x7E; ++c) points.push_back(c);

    iconv_t cd = iconv_open("UTF-32LE", "SHIFT_JIS");
    if (cd != reinterpret_cast<iconv_t>(-1)) {
        // Half-width katakana.
        for (unsigned b = 0xA1; b <= 0xDF; ++b) {
            unsigned char s[1] = {static_cast<unsigned char>(b)};
            if (uint32_t c = Decode(cd, s, 1)) points.push_back(c);
        }
        // JIS X 0208: lead bytes of rows 1..94, every trail byte.
        for (unsigned lead = 0x81; lead <= 0xEF; ++lead) {
            if (lead > 0x9F && lead < 0xE0) continue;
            for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
                if (trail == 0x7F) continue;
                unsigned char s[2] = {static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)};
                uint32_t c = Decode(cd, s, 2);
                if (c != 0 && c <= 0xFFFF) points.push_back(c);
            }
        }
        iconv_close(cd);
    } else {
        std::fprintf(stderr, "morvane: iconv cannot convert Shift_JIS; Japanese glyphs limited to ASCII\n");
    }

    std::sort(points.begin(), points.end());
    points.erase(std::unique(points.begin(), points.end()), points.end());
    std::vector<uint16_t> ranges;
    for (size_t i = 0; i < points.size();) {
        size_t j = i;
        while (j + 1 < points.size() && points[j + 1] == points[j] + 1) ++j;
        ranges.push_back(static_cast<uint16_t>(points[i]));
        ranges.push_back(static_cast<uint16_t>(points[j]));
        i = j + 1;
    }
    ranges.push_back(0);
    return ranges;
}

bool FileReadable(const char* path) {
    std::ifstream f(path, std::ios::binary);
    return f.good();
}

}  // namespace

const std::vector<uint16_t>& ShiftJisGlyphRanges() {
    static const std::vector<uint16_t> ranges = BuildRanges();
    return ranges;
}

bool Init(SDL_Window* window) {
    if (g_active) return true;
    if (!window) return false;
    void* context = SDL_GL_GetCurrentContext();
    if (!context) return false;

    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    // The options screen places itself every frame: no layout file.
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
    ImGui::StyleColorsClassic();
    // The options screen can be worked with the arrow keys or a gamepad.
    io.ConfigFlags |= ImGuiConfigFlags_NavEnableKeyboard | ImGuiConfigFlags_NavEnableGamepad;

    if (!ImGui_ImplSDL2_InitForOpenGL(window, context)) {
        ImGui::DestroyContext();
        return false;
    }
    if (!ImGui_ImplOpenGL3_Init("#version 330 core")) {
        ImGui_ImplSDL2_Shutdown();
        ImGui::DestroyContext();
        return false;
    }

    io.Fonts->AddFontDefault();
    g_mergedFont.clear();
    const char* fontPath = nullptr;
    for (int i = 0; kJapaneseFontPaths[i]; ++i) {
        if (FileReadable(kJapaneseFontPaths[i])) {
            fontPath = kJapaneseFontPaths[i];
            break;
        }
    }
    if (fontPath) {
        static_assert(sizeof(ImWchar) == sizeof(uint16_t), "glyph ranges are UTF-16");
        ImFontConfig config;
        config.MergeMode = true;
        const ImWchar* ranges = reinterpret_cast<const ImWchar*>(ShiftJisGlyphRanges().data());
        if (io.Fonts->AddFontFromFileTTF(fontPath, 13.0f, &config, ranges)) {
            g_mergedFont = fontPath;
        } else {
            std::fprintf(stderr, "morvane: warning: cannot read the Japanese font %s\n", fontPath);
        }
    } else {
        std::fprintf(stderr, "morvane: warning: no Japanese gothic font found (install fonts-ipafont-gothic); "
                             "ImGui keeps its default font\n");
    }
    g_active = true;
    return true;
}

void Shutdown() {
    if (!g_active) return;
    ImGui_ImplOpenGL3_Shutdown();
    ImGui_ImplSDL2_Shutdown();
    ImGui::DestroyContext();
    g_active = false;
    g_mergedFont.clear();
}

bool IsActive() { return g_active; }

void ProcessEvent(const SDL_Event& event) {
    if (g_active) ImGui_ImplSDL2_ProcessEvent(&event);
}

bool WantsKeyboard() { return g_active && ImGui::GetIO().WantCaptureKeyboard; }

bool WantsTextInput() { return g_active && ImGui::GetIO().WantTextInput; }

void ReleaseInput() {
    if (!g_active) return;
    ImGuiIO& io = ImGui::GetIO();
    io.WantCaptureKeyboard = false;
    io.WantCaptureMouse = false;
    io.WantTextInput = false;
}

bool NewFrame() {
    if (!g_active) return false;
    ImGui_ImplOpenGL3_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    ImGui::NewFrame();
    return true;
}

void Render() {
    if (!g_active) return;
    ImGui::Render();
    ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
}

const std::string& MergedFontPath() { return g_mergedFont; }

}  // namespace ImGuiSetup
