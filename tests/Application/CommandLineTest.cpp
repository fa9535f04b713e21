// The program's options as parsed; the real binary's answers to them are
// checked end to end in tests/e2e_cli.
#include <gtest/gtest.h>

#include "Application/CommandLine.h"

namespace {

CommandLine Parse(std::vector<std::string> args) { return ParseCommandLine(args); }

}  // namespace

TEST(CommandLineTest, EachOptionSetsItsRunOnlyValue) {
    EXPECT_EQ(Parse({}).action, CommandLine::Action::Run);
    EXPECT_TRUE(Parse({}).overrides.Empty());

    EXPECT_EQ(Parse({"--fullscreen"}).overrides.fullscreen, std::optional<bool>(true));
    EXPECT_EQ(Parse({"--windowed"}).overrides.fullscreen, std::optional<bool>(false));
    // The later of two wins.
    EXPECT_EQ(Parse({"--windowed", "--fullscreen"}).overrides.fullscreen, std::optional<bool>(true));
    EXPECT_EQ(Parse({"--mute"}).overrides.mute, std::optional<bool>(true));

    const CommandLine sens = Parse({"--sensitivity", "2.5"});
    EXPECT_EQ(sens.action, CommandLine::Action::Run);
    EXPECT_EQ(sens.overrides.mouseSensitivity, std::optional<float>(2.5f));
    EXPECT_EQ(Parse({"--sensitivity=0.1"}).overrides.mouseSensitivity, std::optional<float>(0.1f));
    EXPECT_EQ(Parse({"--sensitivity", "10"}).overrides.mouseSensitivity, std::optional<float>(10.0f));

    EXPECT_EQ(Parse({"--render-scale", "auto"}).overrides.renderScale, std::optional<float>(Settings::kAutoRenderScale));
    EXPECT_EQ(Parse({"--render-scale=0.5"}).overrides.renderScale, std::optional<float>(0.5f));
    EXPECT_EQ(Parse({"--render-scale", "1"}).overrides.renderScale, std::optional<float>(1.0f));

    const CommandLine all = Parse({"--mute", "--render-scale", "0.75", "--sensitivity", "3", "--fullscreen"});
    Settings applied = all.overrides.ApplyTo(Settings());
    EXPECT_TRUE(applied.mute && applied.fullscreen);
    EXPECT_EQ(applied.renderScale, 0.75f);
    EXPECT_EQ(applied.mouseSensitivity, 3.0f);
    EXPECT_EQ(applied.masterVolume, 1.0f);
}

TEST(CommandLineTest, HelpAndVersion) {
    EXPECT_EQ(Parse({"--help"}).action, CommandLine::Action::Help);
    EXPECT_EQ(Parse({"-h"}).action, CommandLine::Action::Help);
    EXPECT_EQ(Parse({"--mute", "--help"}).action, CommandLine::Action::Help);
    EXPECT_EQ(Parse({"--version"}).action, CommandLine::Action::Version);
    EXPECT_EQ(Parse({"--version", "--help"}).action, CommandLine::Action::Help);
    EXPECT_EQ(VersionText(), "MORVANE  ver1.0.0");

    const std::string usage = UsageText("/home/p/.config/morvane/settings.json");
    for (const char* option : {"--fullscreen", "--windowed", "--render-scale", "--mute", "--sensitivity", "--help",
                               "--version", "/home/p/.config/morvane/settings.json"})
        EXPECT_NE(usage.find(option), std::string::npos) << option;
}

TEST(CommandLineTest, EveryFaultIsAnErrorThatNamesIt) {
    struct Case {
        std::vector<std::string> args;
        const char* says;
    };
    const Case cases[] = {
        {{"--frobnicate"}, "unknown option '--frobnicate'"},
        {{"-x"}, "unknown option '-x'"},
        {{"--"}, "unknown option '--'"},
        {{"level2"}, "unexpected argument 'level2'"},
        {{"--sensitivity"}, "'--sensitivity' needs a value"},
        {{"--render-scale"}, "'--render-scale' needs a value"},
        {{"--sensitivity", "fast"}, "'fast' is not a number from 0.1 to 10"},
        {{"--sensitivity", "0.05"}, "'0.05' is not a number"},
        {{"--sensitivity", "11"}, "'11' is not a number"},
        {{"--sensitivity", "2x"}, "'2x' is not a number"},
        {{"--sensitivity", "nan"}, "'nan' is not a number"},
        {{"--sensitivity="}, "'' is not a number"},
        {{"--render-scale", "0.4"}, "'0.4' is not auto or a number from 0.5 to 1"},
        {{"--render-scale", "AUTO"}, "'AUTO' is not auto"},
        {{"--render-scale", "inf"}, "'inf' is not auto"},
        {{"--mute=yes"}, "'--mute' takes no value"},
        {{"--help=me"}, "'--help' takes no value"},
        // A fault is not hidden by a request for help.
        {{"--help", "--bogus"}, "unknown option '--bogus'"},
    };
    for (const Case& c : cases) {
        const CommandLine line = Parse(c.args);
        EXPECT_EQ(line.action, CommandLine::Action::Error) << c.says;
        EXPECT_NE(line.error.find(c.says), std::string::npos) << line.error;
        EXPECT_TRUE(line.overrides.Empty()) << c.says;
    }
}

TEST(CommandLineTest, ControlCharactersInAnArgumentAreShownEscaped) {
    // The message goes to a terminal: an escape sequence in an argument must
    // reach it as text, not act on it. Printable UTF-8 is shown as it is.
    struct Case {
        std::vector<std::string> args;
        const char* says;
    };
    const Case cases[] = {
        {{"--\x1b]0;owned\x07"}, "unknown option '--\\x1b]0;owned\\x07'"},
        {{"--x=\x1b[2J"}, "unknown option '--x'"},
        {{"level\n2\t\r"}, "unexpected argument 'level\\n2\\t\\r'"},
        {{"-\x7f"}, "unknown option '-\\x7f'"},
        // A C1 control: as a raw byte and encoded in UTF-8.
        {{"--sensitivity", "\x9b" "31m"}, "'\\x9b31m' is not a number"},
        {{"--sensitivity=\xc2\x9b" "31m"}, "'\\xc2\\x9b31m' is not a number"},
        // Not UTF-8: a lone continuation byte, an overlong slash, a truncated sequence.
        {{"--render-scale", "\x80\xc0\xaf\xe2\x82"}, "'\\x80\\xc0\\xaf\\xe2\\x82' is not auto"},
        {{"--render-scale", "gr\xc3\xb6\xc3\x9f" "e \xe2\x80\x94 \xf0\x9f\x98\x80"},
         "'gr\xc3\xb6\xc3\x9f" "e \xe2\x80\x94 \xf0\x9f\x98\x80' is not auto"},
    };
    for (const Case& c : cases) {
        const CommandLine line = Parse(c.args);
        EXPECT_EQ(line.action, CommandLine::Action::Error) << c.says;
        EXPECT_NE(line.error.find(c.says), std::string::npos) << line.error;
    }
}
