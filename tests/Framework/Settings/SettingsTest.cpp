// The settings file on a real folder: where it lives, what a damaged or
// half-right file gives, and what the store writes back (and when).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Framework/Settings/Settings.h"

namespace fs = std::filesystem;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// Sets an environment variable for the test's lifetime.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("morvane_settings_" + std::to_string(getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        path_ = (dir_ / "morvane" / "settings.json").string();
        SettingsStore::GetInstance().Reset();
    }
    void TearDown() override {
        SettingsStore::GetInstance().Reset();
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    // Opens the store on the file and returns what it said on stderr.
    std::string Open(const std::string& path) {
        CaptureStderr();
        SettingsStore::GetInstance().Open(path);
        return GetCapturedStderr();
    }
    SettingsStore& store() { return SettingsStore::GetInstance(); }

    fs::path dir_;
    std::string path_;
};

}  // namespace

TEST_F(SettingsFileTest, PathFollowsXdgConfigHomeElseTheHomeFolder) {
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", "/somewhere/config");
        EXPECT_EQ(settings_file::DefaultPath(), "/somewhere/config/morvane/settings.json");
    }
    ScopedEnv home("HOME", "/home/player");
    for (const char* unusable : {"", "relative/config"}) {
        ScopedEnv xdg("XDG_CONFIG_HOME", unusable);
        EXPECT_EQ(settings_file::DefaultPath(), "/home/player/.config/morvane/settings.json") << unusable;
    }
    ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(settings_file::DefaultPath(), "/home/player/.config/morvane/settings.json");
}

TEST_F(SettingsFileTest, MissingFileGivesTheDefaultsAndWritesNothing) {
    EXPECT_EQ(Open(path_), "");
    EXPECT_EQ(store().Current(), Settings());
    EXPECT_FALSE(fs::exists(dir_ / "morvane"));
    // Today's game: a tenth of a degree per pixel, full sound, a window.
    const Settings s;
    EXPECT_EQ(s.mouseSensitivity, 1.0f);
    EXPECT_FALSE(s.invertY);
    EXPECT_EQ(s.masterVolume, 1.0f);
    EXPECT_EQ(s.effectsVolume, 1.0f);
    EXPECT_FALSE(s.mute);
    EXPECT_FALSE(s.fullscreen);
    EXPECT_EQ(s.renderScale, Settings::kAutoRenderScale);
    EXPECT_FALSE(s.showFps);
}

TEST_F(SettingsFileTest, ChangesAreWrittenAndReadBackAlike) {
    Open(path_);
    Settings s;
    s.mouseSensitivity = 2.5f;
    s.invertY = true;
    s.gamepadLookSensitivity = 0.1f;
    s.masterVolume = 0.3f;
    s.effectsVolume = 0.0f;
    s.mute = true;
    s.fullscreen = true;
    s.renderScale = 0.75f;
    s.showFps = true;
    ASSERT_TRUE(store().Change(s));
    const std::string text = ReadFile(path_);
    EXPECT_NE(text.find("\"mouse_sensitivity\": 2.5"), std::string::npos) << text;
    EXPECT_NE(text.find("\"gamepad_look_sensitivity\": 0.1,"), std::string::npos) << text;
    // Nothing but the file itself is left in the folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "morvane"), fs::directory_iterator()), 1);

    store().Reset();
    EXPECT_EQ(Open(path_), "");
    EXPECT_EQ(store().Current(), s);

    // "auto" survives the trip too.
    s.renderScale = Settings::kAutoRenderScale;
    ASSERT_TRUE(store().Change(s));
    EXPECT_NE(ReadFile(path_).find("\"render_scale\": \"auto\""), std::string::npos);
    EXPECT_EQ(settings_file::Load(path_).settings, s);
}

TEST_F(SettingsFileTest, DamagedFileIsKeptAsBadAndTheDefaultsTakeItsPlace) {
    const std::string damaged = "{\"mouse_sensitivity\": 3, \"invert_y\": tru";
    WriteFile(path_, damaged);
    const std::string warning = Open(path_);
    EXPECT_EQ(std::count(warning.begin(), warning.end(), '\n'), 1) << warning;
    EXPECT_NE(warning.find("morvane: warning: settings file " + path_ + ": not valid JSON"), std::string::npos)
        << warning;
    EXPECT_NE(warning.find(path_ + ".bad"), std::string::npos) << warning;
    EXPECT_EQ(store().Current(), Settings());
    EXPECT_EQ(ReadFile(path_ + ".bad"), damaged);
    // The file in place is whole again: the next start is quiet.
    store().Reset();
    EXPECT_EQ(Open(path_), "");

    for (const char* notAnObject : {"[1, 2]", "42", "\"text\"", ""}) {
        WriteFile(path_, notAnObject);
        store().Reset();
        EXPECT_NE(Open(path_).find("warning"), std::string::npos) << notAnObject;
        EXPECT_EQ(ReadFile(path_ + ".bad"), notAnObject);
        EXPECT_EQ(store().Current(), Settings());
    }
}

TEST_F(SettingsFileTest, OnlyTheBadValuesFallBackAndUnknownMembersAreKept) {
    const std::string original = R"({
        "mouse_sensitivity": 42,
        "invert_y": "yes",
        "gamepad_look_sensitivity": 0.05,
        "master_volume": 0.5,
        "effects_volume": -1,
        "mute": 1,
        "fullscreen": true,
        "render_scale": 0.25,
        "show_fps": true,
        "from_a_later_version": {"keep": [1, 2]}
    })";
    WriteFile(path_, original);
    const std::string warning = Open(path_);
    EXPECT_EQ(std::count(warning.begin(), warning.end(), '\n'), 1) << warning;
    for (const char* named : {"mouse_sensitivity 42 is out of range 0.1..10", "invert_y is \"yes\", not true or false",
                              "gamepad_look_sensitivity 0.05", "effects_volume -1", "mute is 1",
                              "render_scale is 0.25"})
        EXPECT_NE(warning.find(named), std::string::npos) << named << " in " << warning;
    EXPECT_EQ(warning.find("master_volume"), std::string::npos);

    Settings expected;
    expected.masterVolume = 0.5f;
    expected.fullscreen = true;
    expected.showFps = true;
    EXPECT_EQ(store().Current(), expected);
    EXPECT_EQ(ReadFile(path_ + ".bad"), original);

    const std::string repaired = ReadFile(path_);
    EXPECT_NE(repaired.find("\"from_a_later_version\""), std::string::npos) << repaired;
    const settings_file::LoadResult again = settings_file::Load(path_);
    EXPECT_TRUE(again.problems.empty());
    EXPECT_EQ(again.settings, expected);
    EXPECT_EQ(again.unknownJson.at("from_a_later_version"), R"({"keep":[1,2]})");

    // The limits themselves are in range, written as a person would.
    const auto edge = settings_file::FromJson(
        R"({"mouse_sensitivity": 0.1, "gamepad_look_sensitivity": 10, "master_volume": 0, "render_scale": 0.5})");
    EXPECT_TRUE(edge.problems.empty());
    EXPECT_EQ(edge.settings.mouseSensitivity, 0.1f);
    EXPECT_EQ(edge.settings.renderScale, 0.5f);
}

TEST_F(SettingsFileTest, UnwritableFolderIsReportedOnceAndTheChangeStillHolds) {
    // A file where the folder should be: no one, root included, can write.
    WriteFile(dir_ / "blocked", "x");
    const std::string path = (dir_ / "blocked" / "morvane" / "settings.json").string();
    EXPECT_EQ(Open(path), "");
    Settings s;
    s.mute = true;
    CaptureStderr();
    EXPECT_FALSE(store().Change(s));
    s.masterVolume = 0.5f;
    EXPECT_FALSE(store().Change(s));
    const std::string warning = GetCapturedStderr();
    EXPECT_EQ(std::count(warning.begin(), warning.end(), '\n'), 1) << warning;
    EXPECT_NE(warning.find("cannot save the settings"), std::string::npos) << warning;
    EXPECT_EQ(store().Current(), s);
    EXPECT_EQ(ReadFile(dir_ / "blocked"), "x");
}

TEST_F(SettingsFileTest, UnreadableFileIsLeftAloneForTheRun) {
    // A folder in the file's place cannot be read or kept as .bad.
    fs::create_directories(path_);
    const std::string warning = Open(path_);
    EXPECT_NE(warning.find("cannot be read"), std::string::npos) << warning;
    Settings s;
    s.invertY = true;
    EXPECT_TRUE(store().Change(s));
    EXPECT_TRUE(fs::is_directory(path_));
    EXPECT_TRUE(store().Current().invertY);
}

TEST_F(SettingsFileTest, SaveReplacesTheFileWholeAndFollowsALink) {
    std::string error;
    ASSERT_TRUE(settings_file::Save(path_, "first", error)) << error;
    ASSERT_TRUE(settings_file::Save(path_, "second", error)) << error;
    EXPECT_EQ(ReadFile(path_), "second");

    const fs::path real = dir_ / "dotfiles" / "settings.json";
    WriteFile(real, "old");
    fs::remove(path_);
    fs::create_symlink(real, path_);
    ASSERT_TRUE(settings_file::Save(path_, "through the link", error)) << error;
    EXPECT_TRUE(fs::is_symlink(path_));
    EXPECT_EQ(ReadFile(real), "through the link");
}

TEST_F(SettingsFileTest, ALinkIsWrittenThroughOnlyWhileItsTargetHoldsValidSettings) {
    // Settings kept in a dotfiles folder: read and written through the link.
    const fs::path dotfiles = dir_ / "dotfiles" / "morvane.json";
    WriteFile(dotfiles, R"({"master_volume": 0.5})");
    fs::create_directories(fs::path(path_).parent_path());
    fs::create_symlink(dotfiles, path_);
    EXPECT_EQ(Open(path_), "");
    EXPECT_EQ(store().Current().masterVolume, 0.5f);
    Settings wanted = store().Current();
    wanted.invertY = true;
    ASSERT_TRUE(store().Change(wanted));
    EXPECT_TRUE(fs::is_symlink(path_));
    EXPECT_TRUE(settings_file::Load(dotfiles.string()).settings.invertY);

    // A link to a file that is not settings (as root, a system file): the
    // game plays with the defaults, warns once and writes nowhere, neither
    // over the target nor a copy of it beside the link.
    const fs::path foreign = dir_ / "etc" / "passwd";
    const std::string foreignText = "root:x:0:0:root:/root:/bin/bash\n";
    for (const std::string& target : {foreignText, std::string(R"({"mouse_sensitivity": 42, "mute": true})")}) {
        WriteFile(foreign, target);
        fs::remove(path_);
        fs::create_symlink(foreign, path_);
        store().Reset();
        const std::string warning = Open(path_);
        EXPECT_EQ(std::count(warning.begin(), warning.end(), '\n'), 1) << warning;
        EXPECT_NE(warning.find("is a link"), std::string::npos) << warning;
        EXPECT_NE(warning.find("not saving"), std::string::npos) << warning;
        // What is good in it still counts.
        EXPECT_EQ(store().Current().mute, target != foreignText);
        EXPECT_EQ(store().Current().mouseSensitivity, 1.0f);
        wanted = store().Current();
        wanted.masterVolume = 0.25f;
        CaptureStderr();
        store().Change(wanted);
        EXPECT_EQ(GetCapturedStderr(), "");
        EXPECT_EQ(store().Current().masterVolume, 0.25f);
        EXPECT_EQ(ReadFile(foreign), target);
        EXPECT_TRUE(fs::is_symlink(path_));
        EXPECT_FALSE(fs::exists(path_ + ".bad"));
        EXPECT_EQ(std::distance(fs::directory_iterator(foreign.parent_path()), fs::directory_iterator()), 1);
    }

    // The copy of a damaged regular file replaces whatever is named
    // settings.json.bad; a link there is not followed.
    const fs::path precious = dir_ / "precious.txt";
    WriteFile(precious, "keep me");
    fs::remove(path_);
    WriteFile(path_, "damaged");
    fs::remove(path_ + ".bad");
    fs::create_symlink(precious, path_ + ".bad");
    store().Reset();
    EXPECT_NE(Open(path_).find("kept as " + path_ + ".bad"), std::string::npos);
    EXPECT_EQ(ReadFile(precious), "keep me");
    EXPECT_FALSE(fs::is_symlink(path_ + ".bad"));
    EXPECT_EQ(ReadFile(path_ + ".bad"), "damaged");
}

TEST_F(SettingsFileTest, DeeplyNestedFileIsDamagedNotACrash) {
    // 400 kB of brackets, 200,000 levels deep, in a member the game does not
    // know: treated as damaged, kept aside and replaced, at every depth the
    // file may stop at.
    const size_t levels = 200000;
    const std::string nested = "{\"x\": " + std::string(levels, '[') + std::string(levels, ']') + "}";
    for (const std::string& text : {nested, nested.substr(0, levels)}) {
        WriteFile(path_, text);
        store().Reset();
        const std::string warning = Open(path_);
        EXPECT_EQ(std::count(warning.begin(), warning.end(), '\n'), 1) << warning.substr(0, 300);
        EXPECT_EQ(store().Current(), Settings());
        EXPECT_EQ(ReadFile(path_ + ".bad"), text);
        store().Reset();
        EXPECT_EQ(Open(path_), "");
    }
    EXPECT_NE(settings_file::FromJson(nested).problems.at(0).find("nested deeper than"), std::string::npos);

    // Members of a later version may nest a little; they are kept.
    const auto later = settings_file::FromJson(R"({"mute": true, "later": {"keys": [[1, 2], {"a": [3]}]}})");
    EXPECT_TRUE(later.problems.empty());
    EXPECT_TRUE(later.settings.mute);
    EXPECT_EQ(later.unknownJson.at("later"), R"({"keys":[[1,2],{"a":[3]}]})");
}

namespace {

// A process that has ended and been reaped: its id names no process.
pid_t EndedProcess() {
    const pid_t pid = fork();
    if (pid == 0) _exit(0);
    waitpid(pid, nullptr, 0);
    return pid;
}

// A process that runs until killed, as this program (fork) or as another.
pid_t RunningProcess(bool sameProgram) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (!sameProgram) execlp("sleep", "sleep", "60", static_cast<char*>(nullptr));
        pause();
        _exit(0);
    }
    return pid;
}

void EndProcess(pid_t pid) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

}  // namespace

TEST_F(SettingsFileTest, StaleTemporaryFilesOfAKilledGameAreClearedAtTheNextStart) {
    const fs::path folder = fs::path(path_).parent_path();
    WriteFile(path_, R"({"mute": true})");
    const pid_t ended = EndedProcess();
    const pid_t game = RunningProcess(true);
    const pid_t other = RunningProcess(false);
    // exec has given the other its own name once /proc says so.
    for (int i = 0; i < 500 && ReadFile("/proc/" + std::to_string(other) + "/comm") != "sleep\n"; ++i) usleep(10000);
    const auto temp = [&](pid_t pid) { return "settings.json.tmp" + std::to_string(pid); };

    const std::vector<std::string> stale = {temp(ended), "settings.json.bad.tmp" + std::to_string(ended),
                                            temp(other), temp(getpid())};
    const std::vector<std::string> kept = {temp(game),  // a game still running may be saving
                                           "settings.json.tmp", "settings.json.tmp12x", temp(ended) + ".old",
                                           "other.json.tmp" + std::to_string(ended), "notes.txt"};
    for (const std::string& name : stale) WriteFile(folder / name, "{");
    for (const std::string& name : kept) WriteFile(folder / name, "{");
    // Only regular files of this user: not a link, a folder or another's file.
    const pid_t ended2 = EndedProcess();
    WriteFile(dir_ / "target.txt", "linked");
    fs::create_symlink(dir_ / "target.txt", folder / temp(ended2));
    fs::create_directories(folder / (temp(ended2) + "0"));
    const std::string othersFile = "settings.json.bad.tmp" + std::to_string(ended2);
    WriteFile(folder / othersFile, "{");
    const bool chowned = chown((folder / othersFile).c_str(), 65534, 65534) == 0 && geteuid() != 65534;

    // The same beside the target of a link the game writes through.
    const fs::path dotfiles = dir_ / "dotfiles";
    WriteFile(dotfiles / "morvane.json", "{}");
    WriteFile(dotfiles / ("morvane.json.tmp" + std::to_string(ended)), "{");
    WriteFile(dotfiles / temp(ended), "{");
    const std::string linked = (dir_ / "linked" / "settings.json").string();
    fs::create_directories(dir_ / "linked");
    fs::create_symlink(dotfiles / "morvane.json", linked);

    EXPECT_EQ(Open(path_), "");
    EXPECT_TRUE(store().Current().mute);
    for (const std::string& name : stale) EXPECT_FALSE(fs::exists(folder / name)) << name;
    for (const std::string& name : kept) EXPECT_TRUE(fs::exists(folder / name)) << name;
    EXPECT_TRUE(fs::is_symlink(folder / temp(ended2)));
    EXPECT_EQ(ReadFile(dir_ / "target.txt"), "linked");
    EXPECT_TRUE(fs::is_directory(folder / (temp(ended2) + "0")));
    if (chowned) EXPECT_TRUE(fs::exists(folder / othersFile));

    store().Reset();
    EXPECT_EQ(Open(linked), "");
    EXPECT_FALSE(fs::exists(dotfiles / ("morvane.json.tmp" + std::to_string(ended))));
    EXPECT_TRUE(fs::exists(dotfiles / temp(ended)));
    EndProcess(game);
    EndProcess(other);
}

TEST_F(SettingsFileTest, OverridesHoldForTheRunAndAreNotWritten) {
    WriteFile(path_, R"({"mouse_sensitivity": 2, "mute": false, "master_volume": 0.5})");
    Open(path_);
    SettingsOverrides overrides;
    overrides.mute = true;
    overrides.mouseSensitivity = 4.0f;
    overrides.renderScale = Settings::kAutoRenderScale;
    store().SetOverrides(overrides);
    EXPECT_TRUE(store().Current().mute);
    EXPECT_EQ(store().Current().mouseSensitivity, 4.0f);
    EXPECT_EQ(store().Saved().mouseSensitivity, 2.0f);

    std::vector<Settings> heard;
    const int id = store().Subscribe([&](const Settings& s) { heard.push_back(s); });
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_TRUE(heard[0].mute);

    // The player turns the volume down and the sensitivity to 3 during the
    // run: both are saved; the command line's mute is not.
    Settings wanted = store().Current();
    wanted.masterVolume = 0.25f;
    wanted.mouseSensitivity = 3.0f;
    ASSERT_TRUE(store().Change(wanted));
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_EQ(heard[1], wanted);
    const Settings onDisk = settings_file::Load(path_).settings;
    EXPECT_EQ(onDisk.masterVolume, 0.25f);
    EXPECT_EQ(onDisk.mouseSensitivity, 3.0f);
    EXPECT_FALSE(onDisk.mute);

    // No change, no news and no write.
    fs::remove(path_);
    EXPECT_TRUE(store().Change(store().Current()));
    EXPECT_EQ(heard.size(), 2u);
    EXPECT_FALSE(fs::exists(path_));

    // Out-of-range values from a caller take their defaults.
    wanted.masterVolume = 7.0f;
    wanted.renderScale = 0.1f;
    store().Change(wanted);
    EXPECT_EQ(store().Current().masterVolume, 1.0f);
    EXPECT_EQ(store().Current().renderScale, Settings::kAutoRenderScale);
    store().Unsubscribe(id);
}
