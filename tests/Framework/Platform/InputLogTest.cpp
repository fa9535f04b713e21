#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Framework/Platform/InputLog.h"

using Platform::InputFrame;
using Platform::InputLog;
using Platform::Key;
using Platform::Point;

namespace {

InputFrame Frame(std::initializer_list<Key> keys, int x, int y, bool relative) {
    InputFrame f;
    for (Key k : keys) f.Set(k);
    f.cursor = Point{x, y};
    f.relativeCursor = relative;
    return f;
}

bool Same(const InputFrame& a, const InputFrame& b) {
    return std::memcmp(a.keys, b.keys, sizeof a.keys) == 0 && a.cursor == b.cursor &&
           a.relativeCursor == b.relativeCursor;
}

// Every key alone, all keys together, none; absolute and relative cursors
// with negative and large offsets; runs of equal frames.
std::vector<InputFrame> Sample() {
    std::vector<InputFrame> frames;
    for (int k = 0; k < static_cast<int>(Key::Count); ++k)
        frames.push_back(Frame({static_cast<Key>(k)}, 640, 360, false));
    frames.push_back(Frame({Key::W, Key::A, Key::S, Key::D, Key::R, Key::Escape, Key::LeftButton, Key::RightButton},
                           -5, 12, true));
    for (int i = 0; i < 50; ++i) frames.push_back(Frame({Key::W, Key::LeftButton}, 0, 0, true));
    frames.push_back(Frame({}, -400, 999999, true));
    frames.push_back(Frame({}, 0, 0, false));
    frames.push_back(Frame({}, 0, 0, false));
    return frames;
}

}  // namespace

TEST(InputLogTest, RoundTripKeepsEveryFrameAndNote) {
    InputLog log;
    log.frames = Sample();
    log.notes["outcome"] = "cleared";
    log.notes["seed"] = "1";
    const std::string text = Platform::FormatInputLog(log);

    InputLog back;
    std::string error;
    ASSERT_TRUE(Platform::ParseInputLog(text, back, error)) << error;
    ASSERT_EQ(back.frames.size(), log.frames.size());
    for (size_t i = 0; i < log.frames.size(); ++i) EXPECT_TRUE(Same(back.frames[i], log.frames[i])) << "frame " << i;
    EXPECT_EQ(back.notes, log.notes);
    // Equal neighbours share a line: 8 single keys, all keys, the run of 50,
    // one odd cursor, the run of two.
    EXPECT_EQ(text.find("50 Wl r0,0\n") != std::string::npos, true) << text;
    size_t frameLines = 0;
    for (size_t p = 0; (p = text.find('\n', p)) != std::string::npos; ++p) ++frameLines;
    EXPECT_EQ(frameLines, 2u + 8u + 1u + 1u + 1u + 1u);
}

TEST(InputLogTest, FileRoundTripAndMissingFile) {
    InputLog log;
    log.frames = Sample();
    const std::string path = ::testing::TempDir() + "input_log_test.log";
    std::string error;
    ASSERT_TRUE(Platform::SaveInputLog(path, log, error)) << error;
    InputLog back;
    ASSERT_TRUE(Platform::LoadInputLog(path, back, error)) << error;
    EXPECT_EQ(back.frames.size(), log.frames.size());
    std::remove(path.c_str());

    EXPECT_FALSE(Platform::LoadInputLog(path, back, error));
    EXPECT_NE(error.find(path), std::string::npos);
    EXPECT_FALSE(Platform::SaveInputLog("/nonexistent-folder/x.log", log, error));
}

TEST(InputLogTest, NotesBlankLinesAndSpacesAreTolerated) {
    InputLog log;
    std::string error;
    ASSERT_TRUE(Platform::ParseInputLog("# outcome:  dead \n\n   3 WS a1,2  \r\n# just a remark\n1 - r-3,-4\n", log,
                                        error))
        << error;
    ASSERT_EQ(log.frames.size(), 4u);
    EXPECT_TRUE(Same(log.frames[2], Frame({Key::W, Key::S}, 1, 2, false)));
    EXPECT_TRUE(Same(log.frames[3], Frame({}, -3, -4, true)));
    EXPECT_EQ(log.notes.at("outcome"), "dead");
    EXPECT_EQ(log.notes.size(), 1u);
}

TEST(InputLogTest, MalformedLinesAreRejectedWithTheLineNumber) {
    const char* bad[] = {
        "0 W a1,2",              // no frames
        "-1 W a1,2",             // negative count
        "x W a1,2",              // not a number
        "2 Q a1,2",              // unknown key
        "2 W b1,2",              // neither absolute nor relative
        "2 W a1",                // no comma
        "2 W a,2",               // missing x
        "2 W a1,2x",             // trailing garbage in y
        "2 W a1,2 extra",        // extra field
        "2 W",                   // missing cursor
        "2 W a1,99999999999",    // beyond the coordinate bound
        "1000001 W a1,2",        // beyond the frame bound
        "600000 W a0,0\n600000 W a0,0",  // total beyond the frame bound
    };
    for (const char* text : bad) {
        InputLog log;
        log.frames.push_back(InputFrame{});
        std::string error;
        const std::string withHeader = std::string("# seed: 1\n") + text + "\n";
        EXPECT_FALSE(Platform::ParseInputLog(withHeader, log, error)) << text;
        EXPECT_TRUE(log.frames.empty()) << text;
        EXPECT_TRUE(log.notes.empty()) << text;
        EXPECT_EQ(error.rfind("line ", 0), 0u) << text << ": " << error;
        EXPECT_NE(error.find(std::string(text).find('\n') == std::string::npos ? "line 2" : "line 3"),
                  std::string::npos)
            << text << ": " << error;
    }
}

TEST(InputLogTest, RecordingPassesFramesThroughAndReplayEnds) {
    std::vector<InputFrame> frames = Sample();
    Platform::FrameListScript source(frames);
    Platform::RecordingScript recorder(&source);
    InputFrame f;
    for (size_t i = 0; i < frames.size(); ++i) {
        ASSERT_TRUE(recorder.Next(f));
        EXPECT_TRUE(Same(f, frames[i]));
    }
    ASSERT_EQ(recorder.Frames().size(), frames.size());

    Platform::ReplayScript replay(recorder.Frames());
    size_t played = 0;
    while (replay.Next(f)) {
        ASSERT_LT(played, frames.size());
        EXPECT_TRUE(Same(f, frames[played]));
        ++played;
    }
    EXPECT_EQ(played, frames.size());
    EXPECT_FALSE(replay.Next(f)) << "a finished replay stays finished";

    Platform::RecordingScript nothing(nullptr);
    EXPECT_FALSE(nothing.Next(f));
    EXPECT_TRUE(nothing.Frames().empty());
}
