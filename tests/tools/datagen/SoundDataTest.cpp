// Checks the generated sound files: format, length, level, clean endings and
// click-free loops.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct Wav {
    bool ok = false;
    std::string error;
    int format = 0, channels = 0, rate = 0, bits = 0;
    std::vector<int16_t> samples;
};

uint32_t Le32(const unsigned char* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }
uint16_t Le16(const unsigned char* p) { return uint16_t(p[0] | (p[1] << 8)); }

Wav ReadWav(const std::string& path) {
    Wav w;
    std::ifstream in(path, std::ios::binary);
    if (!in) { w.error = "cannot open " + path; return w; }
    std::vector<unsigned char> d((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (d.size() < 12 || std::string(d.begin(), d.begin() + 4) != "RIFF" || std::string(d.begin() + 8, d.begin() + 12) != "WAVE") {
        w.error = "not a RIFF/WAVE file";
        return w;
    }
    if (Le32(&d[4]) + 8 != d.size()) { w.error = "RIFF size does not match the file size"; return w; }
    bool fmt = false;
    size_t pos = 12;
    while (pos + 8 <= d.size()) {
        std::string id(d.begin() + pos, d.begin() + pos + 4);
        uint32_t size = Le32(&d[pos + 4]);
        if (pos + 8 + size > d.size()) { w.error = "chunk " + id + " runs past the end"; return w; }
        const unsigned char* body = &d[pos + 8];
        if (id == "fmt " && size >= 16) {
            w.format = Le16(body); w.channels = Le16(body + 2); w.rate = int(Le32(body + 4)); w.bits = Le16(body + 14);
            fmt = true;
        } else if (id == "data") {
            if (!fmt) { w.error = "data before fmt"; return w; }
            for (uint32_t i = 0; i + 1 < size; i += 2) w.samples.push_back(int16_t(Le16(body + i)));
            w.ok = true;
            return w;
        }
        pos += 8 + size + (size & 1);
    }
    w.error = "no data chunk";
    return w;
}

std::string SoundPath(const std::string& name) { return std::string(MORVANE_BINARY_DIR) + "/Data/Sound/" + name; }

struct Expected {
    const char* name;
    double minSeconds, maxSeconds;
    bool loop;
};

const Expected kSounds[] = {
    {"fire.wav", 0.45, 0.55, false},          {"gunfiremiss.wav", 0.08, 0.12, false},
    {"reload.wav", 1.4, 1.6, false},          {"walkSound.wav", 0.25, 0.35, false},
    {"DamageSound.wav", 0.35, 0.45, false},   {"heart.wav", 0.8, 1.0, true},
    {"zombieSound.wav", 2.7, 3.3, true},      {"zombieWalk.wav", 0.35, 0.45, false},
    {"click.wav", 0.12, 0.18, false},         {"pickUp2.wav", 0.25, 0.35, false},
    {"door.wav", 0.45, 0.55, false},          {"lockdoor.wav", 0.45, 0.55, false},
    {"doorturn.wav", 1.4, 1.6, false},        {"error.wav", 0.45, 0.55, false},
    {"success.wav", 0.45, 0.55, false},       {"CardSlitSound.wav", 0.65, 0.75, false},
    {"bomb.wav", 1.4, 1.6, false},            {"explosions.wav", 7.0, 10.0, false},
    {"Generator.wav", 1.8, 2.2, true},
};

double Rms(const std::vector<int16_t>& s) {
    double sum = 0;
    for (int16_t v : s) sum += double(v) * v;
    return std::sqrt(sum / std::max<size_t>(1, s.size())) / 32768.0;
}

TEST(SoundData, EveryFileIsMono16BitAt44100WithTheRightLengthAndLevel) {
    for (const Expected& e : kSounds) {
        SCOPED_TRACE(e.name);
        Wav w = ReadWav(SoundPath(e.name));
        ASSERT_TRUE(w.ok) << w.error;
        EXPECT_EQ(w.format, 1);
        EXPECT_EQ(w.channels, 1);
        EXPECT_EQ(w.rate, 44100);
        EXPECT_EQ(w.bits, 16);
        double seconds = double(w.samples.size()) / 44100.0;
        EXPECT_GE(seconds, e.minSeconds);
        EXPECT_LE(seconds, e.maxSeconds);
        // Audible, but never hard against full scale.
        EXPECT_GT(Rms(w.samples), 0.02);
        int peak = 0;
        for (int16_t v : w.samples) peak = std::max(peak, std::abs(int(v)));
        EXPECT_LT(peak, 32500);
        EXPECT_GT(peak, 8000);
    }
}

TEST(SoundData, OneShotsEndInSilenceAndLoopsJoinWithoutAClick) {
    for (const Expected& e : kSounds) {
        SCOPED_TRACE(e.name);
        Wav w = ReadWav(SoundPath(e.name));
        ASSERT_TRUE(w.ok) << w.error;
        ASSERT_GT(w.samples.size(), 100u);
        const auto& s = w.samples;
        if (!e.loop) {
            // A sound cut off mid-wave ends on a click.
            EXPECT_LE(std::abs(int(s.back())), 300);
            continue;
        }
        // The step from the last sample to the first must look like any
        // other step of the loop: no larger than the 99th percentile of the
        // steps inside it.
        std::vector<int> steps;
        for (size_t i = 1; i < s.size(); ++i) steps.push_back(std::abs(int(s[i]) - int(s[i - 1])));
        std::sort(steps.begin(), steps.end());
        int typical = steps[steps.size() * 99 / 100];
        int seam = std::abs(int(s.front()) - int(s.back()));
        EXPECT_LE(seam, typical) << "seam step " << seam << ", 99th percentile inside " << typical;
        // The level must not jump either: the first and last 20 ms have
        // similar loudness.
        size_t win = 882;
        std::vector<int16_t> head(s.begin(), s.begin() + win), tail(s.end() - win, s.end());
        double a = Rms(head), b = Rms(tail);
        EXPECT_LT(std::fabs(a - b), 0.5 * std::max(a, b) + 0.01) << "head rms " << a << ", tail rms " << b;
    }
}

}  // namespace
