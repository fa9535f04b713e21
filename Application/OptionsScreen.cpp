#include "Application/OptionsScreen.h"

#include <SDL.h>
#include <imgui.h>

#include "Application/ImGuiSetup.h"
#include "Framework/Audio/Audio.h"
#include "Framework/Platform/ClickLatch.h"
#include "Framework/Platform/Input.h"
#include "Framework/Settings/Settings.h"

namespace {

// Applies one edit of the current settings through the store (saved, and
// heard by everyone who acts on a setting).
template <class Edit>
void ChangeSetting(Edit edit) {
    SettingsStore& store = SettingsStore::GetInstance();
    Settings wanted = store.Current();
    edit(wanted);
    if (wanted != store.Current()) store.Change(wanted);
}

}  // namespace

void OptionsScreen::Open(Reason reason) {
    if (open_) return;
    open_ = true;
    reason_ = reason;
    // The pointer is the player's while the screen is up.
    Platform::Input::GetInstance().ShowCursor(true);
    // The game stands still, and so do its footsteps, groans and doors.
    AudioManager::GetInstance().PauseAll();
}

void OptionsScreen::Close(HeldSounds held) {
    if (!open_) return;
    open_ = false;
    Platform::Input& input = Platform::Input::GetInstance();
    input.ShowCursor(false);
    input.RestoreCursor();
    // The press that closed the screen (or one still held) is not the
    // game's: the gun and the buttons wait for the release.
    Platform::SetClickLatched(true);
    ImGuiSetup::ReleaseInput();
    if (held == HeldSounds::Resume)
        AudioManager::GetInstance().ResumeAll();
    else
        AudioManager::GetInstance().StopPaused();
}

bool OptionsScreen::HandleEvent(const SDL_Event& event) {
    switch (event.type) {
        case SDL_KEYDOWN: {
            const SDL_Keycode key = event.key.keysym.sym;
            // A number typed into a slider (Ctrl+click) keeps its P and Escape.
            if (open_ && ImGuiSetup::WantsTextInput() && key != SDLK_F1) return false;
            if (key != SDLK_F1 && key != SDLK_p && !(key == SDLK_ESCAPE && open_)) return false;
            if (event.key.repeat) return true;
            if (open_) Close(); else Open(Reason::Player);
            return true;
        }
        case SDL_CONTROLLERBUTTONDOWN:
            if (event.cbutton.button == SDL_CONTROLLER_BUTTON_START) {
                if (open_) Close(); else Open(Reason::Player);
                return true;
            }
            return false;
        default:
            return false;
    }
}

void OptionsScreen::Remember(const char* label) {
    const ImVec2 min = ImGui::GetItemRectMin();
    const ImVec2 max = ImGui::GetItemRectMax();
    rects_[label] = Rect{min.x, min.y, max.x - min.x, max.y - min.y};
}

bool OptionsScreen::ControlRect(const std::string& label, Rect& rect) const {
    const auto it = rects_.find(label);
    if (it == rects_.end()) return false;
    rect = it->second;
    return true;
}

OptionsScreen::Action OptionsScreen::Draw(bool offerQuitToTitle) {
    if (!open_ || !ImGuiSetup::NewFrame()) return Action::None;
    Action action = Action::None;
    const ImGuiIO& io = ImGui::GetIO();
    const float scale = io.DisplaySize.y >= 1000.0f ? 1.5f : 1.0f;

    // The game stays visible, dimmed, behind the screen.
    ImGui::GetBackgroundDrawList()->AddRectFilled(ImVec2(0, 0), io.DisplaySize, IM_COL32(0, 0, 0, 110));

    ImGui::SetNextWindowPos(ImVec2(io.DisplaySize.x * 0.5f, io.DisplaySize.y * 0.5f), ImGuiCond_Always,
                            ImVec2(0.5f, 0.5f));
    ImGui::SetNextWindowSize(ImVec2(460.0f * scale, 0.0f), ImGuiCond_Always);
    const ImGuiWindowFlags flags = ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove |
                                   ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoSavedSettings;
    ImGui::Begin("Paused - Options###options", nullptr, flags);
    ImGui::SetWindowFontScale(scale);

    if (reason_ == Reason::FocusLost) {
        ImGui::TextColored(ImVec4(1.0f, 0.85f, 0.3f, 1.0f), "Paused: the game window lost focus.");
        ImGui::Spacing();
    }
    const float fullWidth = ImGui::GetContentRegionAvail().x;
    if (ImGui::Button("Resume", ImVec2(fullWidth, 0.0f))) action = Action::Resume;
    Remember("Resume");
    ImGui::Separator();

    const Settings current = SettingsStore::GetInstance().Current();
    ImGui::PushItemWidth(fullWidth * 0.55f);

    ImGui::TextUnformatted("Mouse and gamepad");
    float mouse = current.mouseSensitivity;
    if (ImGui::SliderFloat("Mouse sensitivity", &mouse, Settings::kMinSensitivity, Settings::kMaxSensitivity,
                           "%.2f", ImGuiSliderFlags_Logarithmic | ImGuiSliderFlags_AlwaysClamp))
        ChangeSetting([&](Settings& s) { s.mouseSensitivity = mouse; });
    Remember("Mouse sensitivity");
    bool invert = current.invertY;
    if (ImGui::Checkbox("Invert Y", &invert)) ChangeSetting([&](Settings& s) { s.invertY = invert; });
    Remember("Invert Y");
    float pad = current.gamepadLookSensitivity;
    if (ImGui::SliderFloat("Gamepad look sensitivity", &pad, Settings::kMinSensitivity, Settings::kMaxSensitivity,
                           "%.2f", ImGuiSliderFlags_Logarithmic | ImGuiSliderFlags_AlwaysClamp))
        ChangeSetting([&](Settings& s) { s.gamepadLookSensitivity = pad; });
    Remember("Gamepad look sensitivity");

    ImGui::Separator();
    ImGui::TextUnformatted("Sound");
    float master = current.masterVolume;
    if (ImGui::SliderFloat("Master volume", &master, 0.0f, 1.0f, "%.2f", ImGuiSliderFlags_AlwaysClamp))
        ChangeSetting([&](Settings& s) { s.masterVolume = master; });
    Remember("Master volume");
    float effects = current.effectsVolume;
    if (ImGui::SliderFloat("Effects volume", &effects, 0.0f, 1.0f, "%.2f", ImGuiSliderFlags_AlwaysClamp))
        ChangeSetting([&](Settings& s) { s.effectsVolume = effects; });
    Remember("Effects volume");
    bool mute = current.mute;
    if (ImGui::Checkbox("Mute", &mute)) ChangeSetting([&](Settings& s) { s.mute = mute; });
    Remember("Mute");

    ImGui::Separator();
    ImGui::TextUnformatted("Display");
    bool fullscreen = current.fullscreen;
    if (ImGui::Checkbox("Full screen (F11, Alt+Enter)", &fullscreen))
        ChangeSetting([&](Settings& s) { s.fullscreen = fullscreen; });
    Remember("Full screen");
    bool showFps = current.showFps;
    if (ImGui::Checkbox("Show frames per second", &showFps)) ChangeSetting([&](Settings& s) { s.showFps = showFps; });
    Remember("Show frames per second");
    bool autoScale = current.renderScale == Settings::kAutoRenderScale;
    if (ImGui::Checkbox("Automatic render scale", &autoScale))
        ChangeSetting([&](Settings& s) { s.renderScale = autoScale ? Settings::kAutoRenderScale : 1.0f; });
    Remember("Automatic render scale");
    if (!autoScale) {
        float renderScale = current.renderScale;
        if (ImGui::SliderFloat("Render scale", &renderScale, Settings::kMinRenderScale, Settings::kMaxRenderScale,
                               "%.2f", ImGuiSliderFlags_AlwaysClamp))
            ChangeSetting([&](Settings& s) { s.renderScale = renderScale; });
        Remember("Render scale");
    }
    ImGui::PopItemWidth();

    ImGui::Separator();
    if (offerQuitToTitle) {
        if (ImGui::Button("Quit to title", ImVec2(fullWidth, 0.0f))) action = Action::QuitToTitle;
        Remember("Quit to title");
    }
    ImGui::TextDisabled("F1, P or Start: resume.  Esc: resume.");
    ImGui::End();
    ImGuiSetup::Render();

    // Leaving for the title, the game's held sounds must not play on for
    // the frame before its scene goes.
    if (action != Action::None) Close(action == Action::QuitToTitle ? HeldSounds::Stop : HeldSounds::Resume);
    return action;
}
