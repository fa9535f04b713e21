// The settings record, its JSON file and the store of the running game.
#include "Framework/Settings/Settings.h"

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <system_error>

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

// A settings file is a few hundred bytes; anything this big is not one and
// is not read into memory.
constexpr std::uintmax_t kMaxFileSize = 1 << 20;

enum class Kind { Number, Flag };

// The plain members of the file: name, where the value lives, its range.
struct Field {
    const char* name;
    Kind kind;
    float Settings::*number;
    bool Settings::*flag;
    float min;
    float max;
};

const Field kFields[] = {
    {"mouse_sensitivity", Kind::Number, &Settings::mouseSensitivity, nullptr, Settings::kMinSensitivity,
     Settings::kMaxSensitivity},
    {"invert_y", Kind::Flag, nullptr, &Settings::invertY, 0, 0},
    {"gamepad_look_sensitivity", Kind::Number, &Settings::gamepadLookSensitivity, nullptr,
     Settings::kMinSensitivity, Settings::kMaxSensitivity},
    {"master_volume", Kind::Number, &Settings::masterVolume, nullptr, 0.0f, 1.0f},
    {"effects_volume", Kind::Number, &Settings::effectsVolume, nullptr, 0.0f, 1.0f},
    {"mute", Kind::Flag, nullptr, &Settings::mute, 0, 0},
    {"fullscreen", Kind::Flag, nullptr, &Settings::fullscreen, 0, 0},
    {"show_fps", Kind::Flag, nullptr, &Settings::showFps, 0, 0},
};
constexpr const char* kRenderScaleName = "render_scale";

std::string RangeText(float min, float max) {
    return settings_file::FormatNumber(min) + ".." + settings_file::FormatNumber(max);
}

// The number as a float if it lies in [min, max] (compared as floats, so
// "0.1" in a file matches the float limit 0.1).
std::optional<float> InRange(double value, float min, float max) {
    if (!(std::fabs(value) <= 1e30)) return std::nullopt;  // also NaN
    const float f = static_cast<float>(value);
    if (f < min || f > max) return std::nullopt;
    return f;
}

std::optional<float> RenderScaleValue(const json& value) {
    if (!value.is_number()) return std::nullopt;
    return InRange(value.get<double>(), Settings::kMinRenderScale, Settings::kMaxRenderScale);
}

// A short picture of a bad value for the warning line.
std::string Shown(const json& value) {
    std::string text = value.dump();
    if (text.size() > 40) text = text.substr(0, 37) + "...";
    return text;
}

// Walks the text without building anything and stops where arrays and
// objects nest deeper than a settings file may: a document nested 100,000
// deep would be built, but printing it (the bad value in a warning, an
// unknown member kept) would overflow the stack.
class DepthCheck : public nlohmann::json_sax<json> {
public:
    bool TooDeep() const { return tooDeep_; }

    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number_integer(number_integer_t) override { return true; }
    bool number_unsigned(number_unsigned_t) override { return true; }
    bool number_float(number_float_t, const string_t&) override { return true; }
    bool string(string_t&) override { return true; }
    bool binary(binary_t&) override { return true; }
    bool start_object(std::size_t) override { return Enter(); }
    bool key(string_t&) override { return true; }
    bool end_object() override { return Leave(); }
    bool start_array(std::size_t) override { return Enter(); }
    bool end_array() override { return Leave(); }
    bool parse_error(std::size_t, const std::string&, const json::exception&) override { return false; }

private:
    bool Enter() {
        tooDeep_ = ++depth_ > settings_file::kMaxDepth;
        return !tooDeep_;
    }
    bool Leave() {
        --depth_;
        return true;
    }
    int depth_ = 0;
    bool tooDeep_ = false;
};

// The name the process runs under (its /proc comm), empty when unknown.
std::string ProgramName(const std::string& pid) {
    std::ifstream in("/proc/" + pid + "/comm");
    std::string name;
    std::getline(in, name);
    return name;
}

// Whether process pid may be saving right now: it runs, and runs this
// program (or cannot be told apart from it). This process is not saving
// while it clears up.
bool MayBeSaving(pid_t pid) {
    if (pid == getpid()) return false;
    if (kill(pid, 0) != 0 && errno == ESRCH) return false;
    const std::string name = ProgramName(std::to_string(pid));
    return name.empty() || name == ProgramName("self");
}

// Keeps JSON numbers short: 0.1f is written as 0.1, not 0.10000000149.
double ForJson(float value) {
    const std::string text = settings_file::FormatNumber(value);
    double out = value;
    std::from_chars(text.data(), text.data() + text.size(), out);
    return out;
}

}  // namespace

bool Settings::operator==(const Settings& o) const {
    return mouseSensitivity == o.mouseSensitivity && invertY == o.invertY &&
           gamepadLookSensitivity == o.gamepadLookSensitivity && masterVolume == o.masterVolume &&
           effectsVolume == o.effectsVolume && mute == o.mute && fullscreen == o.fullscreen &&
           renderScale == o.renderScale && showFps == o.showFps;
}

Settings SettingsOverrides::ApplyTo(Settings settings) const {
    if (fullscreen) settings.fullscreen = *fullscreen;
    if (renderScale) settings.renderScale = *renderScale;
    if (mute) settings.mute = *mute;
    if (mouseSensitivity) settings.mouseSensitivity = *mouseSensitivity;
    return settings;
}

void SanitizeSettings(Settings& settings, std::vector<std::string>* problems) {
    const Settings defaults;
    for (const Field& field : kFields) {
        if (field.kind != Kind::Number) continue;
        float& value = settings.*field.number;
        if (InRange(value, field.min, field.max)) continue;
        if (problems)
            problems->push_back(std::string(field.name) + " " + settings_file::FormatNumber(value) +
                                " is out of range " + RangeText(field.min, field.max));
        value = defaults.*field.number;
    }
    if (settings.renderScale != Settings::kAutoRenderScale &&
        !InRange(settings.renderScale, Settings::kMinRenderScale, Settings::kMaxRenderScale)) {
        if (problems)
            problems->push_back(std::string(kRenderScaleName) + " " + settings_file::FormatNumber(settings.renderScale) +
                                " is out of range " + RangeText(Settings::kMinRenderScale, Settings::kMaxRenderScale));
        settings.renderScale = defaults.renderScale;
    }
}

namespace settings_file {

std::string FormatNumber(float value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::optional<float> ParseNumber(const std::string& text) {
    double value = 0;
    const char* end = text.data() + text.size();
    auto result = std::from_chars(text.data(), end, value, std::chars_format::general);
    if (text.empty() || result.ec != std::errc() || result.ptr != end) return std::nullopt;
    if (!std::isfinite(value) || std::fabs(value) > 1e30) return std::nullopt;
    return static_cast<float>(value);
}

std::optional<float> ParseRenderScale(const std::string& text) {
    if (text == "auto") return Settings::kAutoRenderScale;
    const std::optional<float> number = ParseNumber(text);
    if (!number) return std::nullopt;
    return InRange(*number, Settings::kMinRenderScale, Settings::kMaxRenderScale);
}

std::string DefaultPath() {
    const auto absolute = [](const char* dir) { return dir && dir[0] == '/'; };
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (absolute(config)) return std::string(config) + "/morvane/settings.json";
    const char* home = std::getenv("HOME");
    std::string homeDir;
    if (absolute(home)) {
        homeDir = home;
    } else {
        // No usable HOME (a service, a stripped environment): the password
        // database still knows the home folder.
        struct passwd entry {};
        struct passwd* found = nullptr;
        std::vector<char> buffer(16384);
        if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
            absolute(found->pw_dir))
            homeDir = found->pw_dir;
    }
    if (homeDir.empty()) return "";
    return homeDir + "/.config/morvane/settings.json";
}

LoadResult FromJson(const std::string& text) {
    LoadResult result;
    result.state = FileState::Read;
    result.text = text;
    DepthCheck depth;
    if (!json::sax_parse(text, &depth)) {
        result.problems.push_back(depth.TooDeep() ? "nested deeper than " + std::to_string(kMaxDepth) + " levels"
                                                  : "not valid JSON");
        return result;
    }
    const json root = json::parse(text, nullptr, /*allow_exceptions=*/false);
    if (root.is_discarded()) {
        result.problems.push_back("not valid JSON");
        return result;
    }
    if (!root.is_object()) {
        result.problems.push_back("not a JSON object");
        return result;
    }
    Settings& s = result.settings;
    for (const Field& field : kFields) {
        auto it = root.find(field.name);
        if (it == root.end()) continue;
        if (field.kind == Kind::Flag) {
            if (it->is_boolean())
                s.*field.flag = it->get<bool>();
            else
                result.problems.push_back(std::string(field.name) + " is " + Shown(*it) + ", not true or false");
            continue;
        }
        if (!it->is_number()) {
            result.problems.push_back(std::string(field.name) + " is " + Shown(*it) + ", not a number");
            continue;
        }
        if (auto value = InRange(it->get<double>(), field.min, field.max))
            s.*field.number = *value;
        else
            result.problems.push_back(std::string(field.name) + " " + Shown(*it) + " is out of range " +
                                      RangeText(field.min, field.max));
    }
    if (auto it = root.find(kRenderScaleName); it != root.end()) {
        if (it->is_string() && it->get<std::string>() == "auto")
            s.renderScale = Settings::kAutoRenderScale;
        else if (auto value = RenderScaleValue(*it))
            s.renderScale = *value;
        else
            result.problems.push_back(std::string(kRenderScaleName) + " is " + Shown(*it) + ", not \"auto\" or " +
                                      RangeText(Settings::kMinRenderScale, Settings::kMaxRenderScale));
    }
    for (auto it = root.begin(); it != root.end(); ++it) {
        bool known = it.key() == kRenderScaleName;
        for (const Field& field : kFields) known = known || it.key() == field.name;
        if (!known) result.unknownJson[it.key()] = it.value().dump();
    }
    return result;
}

LoadResult Load(const std::string& path) {
    LoadResult result;
    std::error_code ec;
    result.link = fs::is_symlink(fs::symlink_status(path, ec));
    const fs::file_status status = fs::status(path, ec);
    if (!fs::exists(status)) {
        // A missing file is the normal first start; anything else that
        // stops status (a folder without permission) is a fault.
        if (ec && ec != std::errc::no_such_file_or_directory && ec != std::errc::not_a_directory) {
            result.state = FileState::Unreadable;
            result.problems.push_back("cannot be read (" + ec.message() + ")");
        }
        return result;
    }
    const auto unreadable = [&](const std::string& why) {
        result.state = FileState::Unreadable;
        result.problems.push_back("cannot be read (" + why + ")");
        return result;
    };
    if (!fs::is_regular_file(status)) return unreadable("not a regular file");
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec) return unreadable(ec.message());
    if (size > kMaxFileSize) return unreadable("larger than " + std::to_string(kMaxFileSize) + " bytes");
    std::ifstream in(path, std::ios::binary);
    if (!in) return unreadable(std::strerror(errno));
    std::ostringstream contents;
    contents << in.rdbuf();
    if (in.bad()) return unreadable("read error");
    const bool link = result.link;
    result = FromJson(contents.str());
    result.link = link;
    return result;
}

std::string ToJson(const Settings& s, const std::map<std::string, std::string>& unknownJson) {
    nlohmann::ordered_json root = nlohmann::ordered_json::object();
    for (const Field& field : kFields) {
        if (field.kind == Kind::Flag)
            root[field.name] = s.*field.flag;
        else
            root[field.name] = ForJson(s.*field.number);
    }
    if (s.renderScale == Settings::kAutoRenderScale)
        root[kRenderScaleName] = "auto";
    else
        root[kRenderScaleName] = ForJson(s.renderScale);
    for (const auto& [name, text] : unknownJson) {
        nlohmann::ordered_json value = nlohmann::ordered_json::parse(text, nullptr, false);
        if (!value.is_discarded()) root[name] = value;
    }
    return root.dump(2) + "\n";
}

bool Save(const std::string& path, const std::string& contents, std::string& error, AtLink atLink) {
    std::error_code ec;
    fs::path target = path;
    // A settings file that is a link (a dotfile manager's) is written where
    // the link points, so the link survives.
    if (atLink == AtLink::WriteThrough && fs::is_symlink(target, ec)) {
        fs::path resolved = fs::weakly_canonical(target, ec);
        if (!ec) target = resolved;
    }
    const fs::path folder = target.parent_path();
    if (!folder.empty()) {
        fs::create_directories(folder, ec);
        if (ec) {
            error = "cannot create " + folder.string() + " (" + ec.message() + ")";
            return false;
        }
    }
    const std::string temp = target.string() + ".tmp" + std::to_string(getpid());
    const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0) {
        error = "cannot write in " + folder.string() + " (" + std::strerror(errno) + ")";
        return false;
    }
    const auto fail = [&](const char* what) {
        error = std::string(what) + " " + temp + " (" + std::strerror(errno) + ")";
        close(fd);
        unlink(temp.c_str());
        return false;
    };
    size_t written = 0;
    while (written < contents.size()) {
        const ssize_t n = write(fd, contents.data() + written, contents.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return fail("cannot write");
        written += static_cast<size_t>(n);
    }
    // On the disk before the rename, so a crash leaves the old file or the
    // new one, never a part.
    if (fsync(fd) != 0) return fail("cannot flush");
    if (close(fd) != 0) {
        error = "cannot close " + temp + " (" + std::strerror(errno) + ")";
        unlink(temp.c_str());
        return false;
    }
    if (std::rename(temp.c_str(), target.c_str()) != 0) {
        error = "cannot replace " + target.string() + " (" + std::strerror(errno) + ")";
        unlink(temp.c_str());
        return false;
    }
    const int dirFd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        fsync(dirFd);
        close(dirFd);
    }
    return true;
}

int ClearStaleTemporaries(const std::string& path) {
    const fs::path file = path;
    const std::string prefix = file.filename().string() + ".tmp";
    std::error_code ec;
    int removed = 0;
    for (fs::directory_iterator it(file.parent_path(), ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
        // Exactly the temporary name Save gives: the prefix and a process id.
        const std::string digits = name.substr(prefix.size());
        if (digits.size() > 9 || digits[0] == '0' || digits.find_first_not_of("0123456789") != std::string::npos)
            continue;
        struct stat st {};
        if (lstat(it->path().c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid()) continue;
        if (MayBeSaving(static_cast<pid_t>(std::stol(digits)))) continue;
        if (unlink(it->path().c_str()) == 0) ++removed;
    }
    return removed;
}

}  // namespace settings_file

SettingsStore& SettingsStore::GetInstance() {
    static SettingsStore instance;
    return instance;
}

void SettingsStore::Open(const std::string& path) {
    path_ = path;
    lastSaveError_.clear();
    settings_file::LoadResult loaded =
        path.empty() ? settings_file::LoadResult{} : settings_file::Load(path);
    saved_ = loaded.settings;
    unknownJson_ = loaded.unknownJson;

    if (!loaded.problems.empty()) {
        std::string line = "morvane: warning: settings file " + path + ": ";
        for (size_t i = 0; i < loaded.problems.size(); ++i) line += (i ? "; " : "") + loaded.problems[i];
        if (loaded.state == settings_file::FileState::Unreadable) {
            // What cannot be read cannot be kept either: leave it alone for
            // this run rather than write over it.
            line += "; using the defaults, and not saving settings this run";
            path_.clear();
        } else if (loaded.link) {
            // The file a link points to is not the game's: it is written
            // only while it holds valid settings, and not copied either.
            std::error_code ec;
            const std::string target = fs::weakly_canonical(path, ec).string();
            line += "; the file is a link";
            if (!ec) line += " to " + target;
            line += ", which is left as it was; using the defaults for that, and not saving settings this run";
            path_.clear();
        } else {
            // Keep the file as it was (replacing whatever has the .bad name,
            // never writing through a link there), then put the repaired
            // one in its place.
            std::string error;
            const std::string bad = path + ".bad";
            if (settings_file::Save(bad, loaded.text, error, settings_file::AtLink::Replace)) {
                line += "; using the defaults for that; the file as it was is kept as " + bad;
                Write();
            } else {
                line += "; using the defaults for that; the file is left as it was (" + error + ")";
            }
        }
        std::fprintf(stderr, "%s\n", line.c_str());
    }
    if (!path.empty()) {
        // A game killed while saving leaves its temporary file behind: in
        // the settings folder, and beside the file a link points to when
        // the game writes there.
        settings_file::ClearStaleTemporaries(path);
        settings_file::ClearStaleTemporaries(path + ".bad");
        std::error_code ec;
        if (loaded.link && !path_.empty()) {
            const fs::path target = fs::weakly_canonical(path, ec);
            if (!ec) settings_file::ClearStaleTemporaries(target.string());
        }
    }
    const Settings before = current_;
    current_ = overrides_.ApplyTo(saved_);
    if (current_ != before) Publish();
}

void SettingsStore::SetOverrides(const SettingsOverrides& overrides) {
    overrides_ = overrides;
    Settings applied = overrides_.ApplyTo(saved_);
    // The command line checks its values; anything else out of range is
    // not allowed to take effect either.
    SanitizeSettings(applied);
    const Settings before = current_;
    current_ = applied;
    if (current_ != before) Publish();
}

bool SettingsStore::Change(const Settings& wanted) {
    Settings w = wanted;
    SanitizeSettings(w);
    // A value the player sets now is no longer a run-only override.
    if (overrides_.fullscreen && w.fullscreen != current_.fullscreen) overrides_.fullscreen.reset();
    if (overrides_.renderScale && w.renderScale != current_.renderScale) overrides_.renderScale.reset();
    if (overrides_.mute && w.mute != current_.mute) overrides_.mute.reset();
    if (overrides_.mouseSensitivity && w.mouseSensitivity != current_.mouseSensitivity)
        overrides_.mouseSensitivity.reset();
    // The file keeps its own values for what is still overridden.
    Settings toSave = w;
    if (overrides_.fullscreen) toSave.fullscreen = saved_.fullscreen;
    if (overrides_.renderScale) toSave.renderScale = saved_.renderScale;
    if (overrides_.mute) toSave.mute = saved_.mute;
    if (overrides_.mouseSensitivity) toSave.mouseSensitivity = saved_.mouseSensitivity;

    bool ok = true;
    if (toSave != saved_) {
        saved_ = toSave;
        ok = Write();
    }
    const Settings before = current_;
    current_ = overrides_.ApplyTo(saved_);
    if (current_ != before) Publish();
    return ok;
}

bool SettingsStore::Write() {
    if (path_.empty()) return true;
    std::string error;
    if (settings_file::Save(path_, settings_file::ToJson(saved_, unknownJson_), error)) {
        lastSaveError_.clear();
        return true;
    }
    // Once per cause, not once per slider step.
    if (error != lastSaveError_)
        std::fprintf(stderr, "morvane: warning: cannot save the settings: %s\n", error.c_str());
    lastSaveError_ = error;
    return false;
}

int SettingsStore::Subscribe(Listener listener) {
    const int id = nextListener_++;
    listener(current_);
    listeners_.emplace(id, std::move(listener));
    return id;
}

void SettingsStore::Unsubscribe(int id) { listeners_.erase(id); }

void SettingsStore::Publish() {
    // A copy: a listener may unsubscribe while it is called.
    const auto listeners = listeners_;
    for (const auto& [id, listener] : listeners) listener(current_);
}

void SettingsStore::Reset() {
    path_.clear();
    saved_ = Settings();
    overrides_ = SettingsOverrides();
    unknownJson_.clear();
    lastSaveError_.clear();
    const Settings before = current_;
    current_ = Settings();
    if (current_ != before) Publish();
}
