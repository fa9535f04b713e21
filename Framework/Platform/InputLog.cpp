#include "Framework/Platform/InputLog.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace Platform {

namespace {

// Letter of each key, in the order of the Key enumeration.
constexpr char kKeyLetters[static_cast<int>(Key::Count)] = {'W', 'A', 'S', 'D', 'R', 'E', 'l', 'r'};

bool SameFrame(const InputFrame& a, const InputFrame& b) {
    return std::memcmp(a.keys, b.keys, sizeof a.keys) == 0 && a.cursor == b.cursor &&
           a.relativeCursor == b.relativeCursor;
}

void AppendRun(std::string& out, const InputFrame& f, long long count) {
    out += std::to_string(count);
    out += ' ';
    bool any = false;
    for (int k = 0; k < static_cast<int>(Key::Count); ++k) {
        if (!f.keys[k]) continue;
        out += kKeyLetters[k];
        any = true;
    }
    if (!any) out += '-';
    out += ' ';
    out += f.relativeCursor ? 'r' : 'a';
    out += std::to_string(f.cursor.x);
    out += ',';
    out += std::to_string(f.cursor.y);
    out += '\n';
}

// Parses a whole decimal integer within [lo, hi].
bool ParseInt(const std::string& s, long long lo, long long hi, long long& value) {
    if (s.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(s.c_str(), &end, 10);
    if (errno != 0 || end != s.c_str() + s.size() || v < lo || v > hi) return false;
    value = v;
    return true;
}

std::string Trim(const std::string& s) {
    const size_t a = s.find_first_not_of(" \t\r");
    if (a == std::string::npos) return "";
    const size_t b = s.find_last_not_of(" \t\r");
    return s.substr(a, b - a + 1);
}

bool Fail(std::string& error, InputLog& log, int line, const std::string& why) {
    error = "line " + std::to_string(line) + ": " + why;
    log = InputLog{};
    return false;
}

}  // namespace

std::string FormatInputLog(const InputLog& log) {
    std::string out;
    for (const auto& [name, value] : log.notes) out += "# " + name + ": " + value + "\n";
    size_t i = 0;
    while (i < log.frames.size()) {
        size_t j = i + 1;
        while (j < log.frames.size() && SameFrame(log.frames[i], log.frames[j])) ++j;
        AppendRun(out, log.frames[i], static_cast<long long>(j - i));
        i = j;
    }
    return out;
}

bool ParseInputLog(const std::string& text, InputLog& log, std::string& error) {
    log = InputLog{};
    std::istringstream in(text);
    std::string line;
    int lineNumber = 0;
    long long total = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        const std::string t = Trim(line);
        if (t.empty()) continue;
        if (t[0] == '#') {
            const size_t colon = t.find(':');
            if (colon != std::string::npos) {
                const std::string name = Trim(t.substr(1, colon - 1));
                if (!name.empty()) log.notes[name] = Trim(t.substr(colon + 1));
            }
            continue;
        }
        std::istringstream fields(t);
        std::string countText, keysText, cursorText, extra;
        if (!(fields >> countText >> keysText >> cursorText) || (fields >> extra))
            return Fail(error, log, lineNumber, "expected <count> <keys> <a|r><x>,<y>");

        long long count = 0;
        if (!ParseInt(countText, 1, kInputLogMaxFrames, count))
            return Fail(error, log, lineNumber, "bad frame count \"" + countText + "\"");
        if (total + count > kInputLogMaxFrames)
            return Fail(error, log, lineNumber, "more than " + std::to_string(kInputLogMaxFrames) + " frames");

        InputFrame f;
        if (keysText != "-") {
            for (char c : keysText) {
                const char* at = static_cast<const char*>(std::memchr(kKeyLetters, c, sizeof kKeyLetters));
                if (!at) return Fail(error, log, lineNumber, std::string("unknown key letter '") + c + "'");
                f.keys[at - kKeyLetters] = true;
            }
        }

        if (cursorText[0] != 'a' && cursorText[0] != 'r')
            return Fail(error, log, lineNumber, "cursor must start with a (absolute) or r (relative)");
        f.relativeCursor = cursorText[0] == 'r';
        const size_t comma = cursorText.find(',');
        long long x = 0, y = 0;
        if (comma == std::string::npos ||
            !ParseInt(cursorText.substr(1, comma - 1), -kInputLogMaxCoordinate, kInputLogMaxCoordinate, x) ||
            !ParseInt(cursorText.substr(comma + 1), -kInputLogMaxCoordinate, kInputLogMaxCoordinate, y))
            return Fail(error, log, lineNumber, "bad cursor \"" + cursorText + "\"");
        f.cursor = Point{static_cast<int>(x), static_cast<int>(y)};

        log.frames.insert(log.frames.end(), static_cast<size_t>(count), f);
        total += count;
    }
    error.clear();
    return true;
}

bool SaveInputLog(const std::string& path, const InputLog& log, std::string& error) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        error = "cannot write " + path;
        return false;
    }
    out << FormatInputLog(log);
    out.flush();
    if (!out) {
        error = "writing " + path + " failed";
        return false;
    }
    return true;
}

bool LoadInputLog(const std::string& path, InputLog& log, std::string& error) {
    log = InputLog{};
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (!ParseInputLog(text.str(), log, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

bool RecordingScript::Next(InputFrame& frame) {
    if (!source_ || !source_->Next(frame)) return false;
    frames_.push_back(frame);
    return true;
}

bool ReplayScript::Next(InputFrame& frame) {
    if (pos_ >= frames_.size()) return false;
    frame = frames_[pos_++];
    return true;
}

}  // namespace Platform
