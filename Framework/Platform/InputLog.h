// Recorded input: a list of per-frame input states kept as compact text, a
// script that records what another script produces, and one that plays a
// recording back once.
//
// The text holds one line per run of identical frames:
//     <count> <keys> <a|r><x>,<y>
// count: how many frames in a row (at least 1); keys: "-" for none, else
// the letters of the held keys, W A S D R, E for Escape, l and r for the
// left and right mouse buttons; then the cursor, absolute ("a") or relative
// ("r"). Lines starting with '#' are notes; "# name: value" notes are kept
// by name.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "Framework/Platform/Input.h"

namespace Platform {

struct InputLog {
    std::vector<InputFrame> frames;
    std::map<std::string, std::string> notes;
};

// Bounds a log read from a file is held to.
constexpr long long kInputLogMaxFrames = 1'000'000;  // over four hours at 60 frames a second
constexpr int kInputLogMaxCoordinate = 1'000'000;

std::string FormatInputLog(const InputLog& log);
// On failure writes the line number and the reason into error and leaves
// log empty.
bool ParseInputLog(const std::string& text, InputLog& log, std::string& error);
bool SaveInputLog(const std::string& path, const InputLog& log, std::string& error);
bool LoadInputLog(const std::string& path, InputLog& log, std::string& error);

// Passes the frames of another script through unchanged and keeps a copy
// of each one it passed.
class RecordingScript : public InputScript {
public:
    explicit RecordingScript(InputScript* source) : source_(source) {}
    bool Next(InputFrame& frame) override;
    const std::vector<InputFrame>& Frames() const { return frames_; }

private:
    InputScript* source_;
    std::vector<InputFrame> frames_;
};

// Plays the frames once, then ends (unlike FrameListScript, which holds the
// last frame).
class ReplayScript : public InputScript {
public:
    explicit ReplayScript(std::vector<InputFrame> frames) : frames_(std::move(frames)) {}
    bool Next(InputFrame& frame) override;
    size_t Position() const { return pos_; }
    size_t Size() const { return frames_.size(); }

private:
    std::vector<InputFrame> frames_;
    size_t pos_ = 0;
};

}  // namespace Platform
