// Parsing the options and answering --help, --version and mistakes.
#include "Application/CommandLine.h"

#include <cstdio>

namespace {

std::string Range(float min, float max) {
    return settings_file::FormatNumber(min) + " to " + settings_file::FormatNumber(max);
}

// Length of the well-formed UTF-8 sequence at text[i] of a printable
// character (not a C1 control, U+0080..U+009F), 0 when there is none.
size_t PrintableUtf8(const std::string& text, size_t i) {
    const auto byte = [&](size_t k) { return k < text.size() ? static_cast<unsigned char>(text[k]) : 0u; };
    const unsigned lead = byte(i);
    const auto follows = [&](size_t k, unsigned lo, unsigned hi) { return byte(k) >= lo && byte(k) <= hi; };
    if (lead >= 0xC2 && lead <= 0xDF) return follows(i + 1, lead == 0xC2 ? 0xA0 : 0x80, 0xBF) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        const unsigned lo = lead == 0xE0 ? 0xA0 : 0x80, hi = lead == 0xED ? 0x9F : 0xBF;
        return follows(i + 1, lo, hi) && follows(i + 2, 0x80, 0xBF) ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        const unsigned lo = lead == 0xF0 ? 0x90 : 0x80, hi = lead == 0xF4 ? 0x8F : 0xBF;
        return follows(i + 1, lo, hi) && follows(i + 2, 0x80, 0xBF) && follows(i + 3, 0x80, 0xBF) ? 4 : 0;
    }
    return 0;
}

// An argument as a message shows it: control characters, which a terminal
// would act on (an escape sequence can rewrite the screen or the title),
// and bytes that are not UTF-8 are written as \n, \t, \r or \xNN.
std::string Shown(const std::string& text) {
    std::string shown;
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7F) {
            shown += text[i++];
        } else if (const size_t length = c >= 0x80 ? PrintableUtf8(text, i) : 0) {
            shown.append(text, i, length);
            i += length;
        } else {
            static const char kHex[] = "0123456789abcdef";
            if (c == '\n')
                shown += "\\n";
            else if (c == '\t')
                shown += "\\t";
            else if (c == '\r')
                shown += "\\r";
            else
                shown += {'\\', 'x', kHex[c >> 4], kHex[c & 15]};
            ++i;
        }
    }
    return shown;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    bool help = false, version = false;
    const auto fail = [&](const std::string& message) {
        line = CommandLine();
        line.action = CommandLine::Action::Error;
        line.error = message;
        return line;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 3 || arg.compare(0, 2, "--") != 0) {
            if (arg == "-h") {
                help = true;
                continue;
            }
            if (!arg.empty() && arg[0] == '-') return fail("unknown option '" + Shown(arg) + "'");
            return fail("unexpected argument '" + Shown(arg) + "' (the game takes only options)");
        }
        const size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const bool inlineValue = equals != std::string::npos;
        const bool takesValue = name == "--render-scale" || name == "--sensitivity";
        const bool known = takesValue || name == "--help" || name == "--version" || name == "--fullscreen" ||
                           name == "--windowed" || name == "--mute";
        if (!known) return fail("unknown option '" + Shown(name) + "'");
        if (!takesValue && inlineValue) return fail("option '" + name + "' takes no value");

        std::string value;
        if (takesValue) {
            if (inlineValue) {
                value = arg.substr(equals + 1);
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                return fail("option '" + name + "' needs a value");
            }
        }
        if (name == "--help") {
            help = true;
        } else if (name == "--version") {
            version = true;
        } else if (name == "--fullscreen") {
            line.overrides.fullscreen = true;
        } else if (name == "--windowed") {
            line.overrides.fullscreen = false;
        } else if (name == "--mute") {
            line.overrides.mute = true;
        } else if (name == "--render-scale") {
            auto scale = settings_file::ParseRenderScale(value);
            if (!scale)
                return fail("option '--render-scale': '" + Shown(value) + "' is not auto or a number from " +
                            Range(Settings::kMinRenderScale, Settings::kMaxRenderScale));
            line.overrides.renderScale = *scale;
        } else if (name == "--sensitivity") {
            auto number = settings_file::ParseNumber(value);
            if (!number || *number < Settings::kMinSensitivity || *number > Settings::kMaxSensitivity)
                return fail("option '--sensitivity': '" + Shown(value) + "' is not a number from " +
                            Range(Settings::kMinSensitivity, Settings::kMaxSensitivity));
            line.overrides.mouseSensitivity = *number;
        }
    }
    if (help)
        line.action = CommandLine::Action::Help;
    else if (version)
        line.action = CommandLine::Action::Version;
    return line;
}

std::string VersionText() { return "MORVANE  ver" MORVANE_VERSION; }

std::string UsageText(const std::string& settingsPath) {
    std::string text =
        "Usage: morvane [OPTION]...\n"
        "MORVANE, a first-person zombie shooter. Options change this run only; the\n"
        "player's settings are kept in ";
    text += settingsPath.empty() ? "no file (no home folder was found)" : settingsPath;
    text +=
        ".\n"
        "\n"
        "  --fullscreen          play full screen (F11 or Alt+Enter switch while playing)\n"
        "  --windowed            play in the 1280x720 window\n"
        "  --render-scale SCALE  draw the 3D picture at SCALE of the window: 0.5 to 1,\n"
        "                        or auto (full size on a graphics card; on a software\n"
        "                        renderer as large as 60 frames a second allow)\n"
        "  --mute                no sound\n"
        "  --sensitivity X       mouse look speed from 0.1 to 10 (default 1)\n"
        "  -h, --help            show this help and exit\n"
        "      --version         show the version and exit\n"
        "\n"
        "Exit status: 0 when the game ends normally, 1 when it cannot start,\n"
        "2 for a bad option.\n";
    return text;
}

bool HandleCommandLine(const CommandLine& line, const std::string& settingsPath, int& exitCode) {
    switch (line.action) {
        case CommandLine::Action::Run:
            return false;
        case CommandLine::Action::Help:
            std::fputs(UsageText(settingsPath).c_str(), stdout);
            exitCode = 0;
            return true;
        case CommandLine::Action::Version:
            std::printf("%s\n", VersionText().c_str());
            exitCode = 0;
            return true;
        case CommandLine::Action::Error:
            std::fprintf(stderr, "morvane: %s\n\n%s", line.error.c_str(), UsageText(settingsPath).c_str());
            exitCode = 2;
            return true;
    }
    return false;
}
