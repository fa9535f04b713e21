// The player's settings: one record with the defaults of a game nobody has
// set up (they play exactly as the game always did), its checks, the JSON
// settings file, and the store the running game reads the current values
// from and is told of changes through.
//
// The file is $XDG_CONFIG_HOME/morvane/settings.json (~/.config/... when
// XDG_CONFIG_HOME is unset, empty or not an absolute path). A missing file
// gives the defaults and is not created until something changes. A damaged
// file, a value of the wrong type or out of range gives the default for what
// is bad only, one warning line, and a copy of the file as settings.json.bad
// so nothing the player wrote is lost. Files are written whole to a
// temporary file first and renamed over the old one.
//
// A settings file that is a symbolic link (settings kept in a dotfiles
// folder) is read and written through the link, but only while the file it
// points to holds valid settings: a link to anything else (a damaged file,
// a file that is not settings at all) is warned about and left alone, and
// nothing is saved that run.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

struct Settings {
    // Ranges a value must lie in, for the file and the command line alike.
    static constexpr float kMinSensitivity = 0.1f;
    static constexpr float kMaxSensitivity = 10.0f;
    static constexpr float kMinRenderScale = 0.5f;
    static constexpr float kMaxRenderScale = 1.0f;
    // The render scale that lets the game choose.
    static constexpr float kAutoRenderScale = 0.0f;

    // Mouse look: 1 turns the view a tenth of a degree per pixel of motion.
    float mouseSensitivity = 1.0f;
    bool invertY = false;
    float gamepadLookSensitivity = 1.0f;
    // Gains 0..1; master scales everything, effects every sound effect.
    float masterVolume = 1.0f;
    float effectsVolume = 1.0f;
    bool mute = false;
    bool fullscreen = false;
    // Fraction of the window the 3D picture is drawn at (0.5..1), or
    // kAutoRenderScale.
    float renderScale = kAutoRenderScale;
    bool showFps = false;

    bool operator==(const Settings& o) const;
    bool operator!=(const Settings& o) const { return !(*this == o); }
};

// Run-only changes (the command line): each set field replaces the stored
// value for this run and is never written to the file.
struct SettingsOverrides {
    std::optional<bool> fullscreen;
    std::optional<float> renderScale;
    std::optional<bool> mute;
    std::optional<float> mouseSensitivity;

    Settings ApplyTo(Settings settings) const;
    bool Empty() const { return !fullscreen && !renderScale && !mute && !mouseSensitivity; }
};

namespace settings_file {

// Formats a number the way the file and the messages show it ("0.75").
std::string FormatNumber(float value);
// Parses a plain decimal number ("1", "0.5", "2e-1") independent of the
// locale; nothing else may follow. Empty for anything else, NaN and infinity.
std::optional<float> ParseNumber(const std::string& text);

// The render scale as written: "auto" (kAutoRenderScale) or a number
// 0.5..1. Empty for anything else.
std::optional<float> ParseRenderScale(const std::string& text);

// The settings file's path from the environment (see above); empty when
// neither XDG_CONFIG_HOME nor a home folder can be found.
std::string DefaultPath();

enum class FileState { Missing, Unreadable, Read };

// How deep arrays and objects may nest in a settings file. The game's own
// members are plain values; this leaves room for members of a later
// version while a file nested deeper is damaged.
constexpr int kMaxDepth = 32;

struct LoadResult {
    Settings settings;
    // Members the game does not know (from a later version, say), as JSON
    // text: kept and written back unchanged.
    std::map<std::string, std::string> unknownJson;
    FileState state = FileState::Missing;
    // The path is a symbolic link: what was read is the file it points to.
    bool link = false;
    // The file as read (kept as the .bad copy when it has problems).
    std::string text;
    // One entry per fault ("mouse_sensitivity 42 is out of range 0.1..10");
    // empty when the file was good or missing.
    std::vector<std::string> problems;
};

// Reads and checks the file. Never throws; every fault is a problem.
LoadResult Load(const std::string& path);
// The JSON text written for these settings (with the unknown members).
std::string ToJson(const Settings& settings, const std::map<std::string, std::string>& unknownJson = {});
// Parses JSON text; the same checks as Load.
LoadResult FromJson(const std::string& text);
// How Save treats a path that is a symbolic link.
enum class AtLink { WriteThrough, Replace };
// Writes the file atomically, creating its folder: through a link to the
// file it points to (the link stays), or replacing the link itself. On
// failure returns false and says why in error; the old file is left as it
// was.
bool Save(const std::string& path, const std::string& contents, std::string& error,
          AtLink atLink = AtLink::WriteThrough);
// Removes the temporary files that saves of path left behind when their
// game was killed mid-save: path.tmp<pid> and path.bad.tmp<pid> beside
// the path, and, when the path is a link, <target>.tmp<pid> beside the
// file it points to. Only regular files of this user are removed whose
// process has ended or is no longer this program (a game still running
// may be saving). Returns how many were removed.
int ClearStaleTemporaries(const std::string& path);

}  // namespace settings_file

// The settings of the running game: what the file holds, the run-only
// overrides on top, and everyone who wants to hear of a change.
class SettingsStore {
public:
    using Listener = std::function<void(const Settings&)>;

    static SettingsStore& GetInstance();

    // Reads the file at path (empty: no file, defaults, nothing saved) and
    // clears temporary files left by killed saves. Problems are reported in
    // one line on standard error, the bad file is copied beside as
    // <path>.bad and the repaired settings written back; a link to a bad
    // file, or a file that cannot be read, is left alone and nothing is
    // saved this run.
    void Open(const std::string& path);
    const std::string& Path() const { return path_; }

    void SetOverrides(const SettingsOverrides& overrides);

    // The values in effect: the file's, with the overrides on top.
    const Settings& Current() const { return current_; }
    // What the file holds (or would hold).
    const Settings& Saved() const { return saved_; }

    // A change from the player (the options screen): out-of-range values
    // become their defaults. A field the change touches stops being
    // overridden; everything but the remaining overrides is written to the
    // file if it differs from what is there. Listeners hear of the new
    // values. Returns false when the file could not be written (the change
    // still takes effect for this run; the warning is on standard error).
    bool Change(const Settings& wanted);

    // Called at once with the current values, then after every change.
    // Returns an id for Unsubscribe.
    int Subscribe(Listener listener);
    void Unsubscribe(int id);

    // Back to a fresh store without a file (tests).
    void Reset();

private:
    SettingsStore() = default;
    bool Write();
    void Publish();

    std::string path_;
    Settings saved_;
    Settings current_;
    SettingsOverrides overrides_;
    std::map<std::string, std::string> unknownJson_;
    std::map<int, Listener> listeners_;
    int nextListener_ = 1;
    std::string lastSaveError_;
};

// Brings every value into its range: a bad one becomes its default, and a
// line for it is added to problems when given.
void SanitizeSettings(Settings& settings, std::vector<std::string>* problems = nullptr);
