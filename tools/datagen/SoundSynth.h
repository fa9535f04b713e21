// Building blocks for the synthesised sounds: a seeded noise source, biquad
// filters and the WAV writer.
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace datagen {
namespace synth {

constexpr int kSampleRate = 44100;
constexpr double kPi = 3.14159265358979323846;

// Deterministic white noise (xorshift32), independent of the game's random
// numbers so that regenerating the data never changes a sound.
class Noise {
public:
    explicit Noise(uint32_t seed) : state_(seed ? seed * 2654435761u : 0x9e3779b9u) { if (!state_) state_ = 1; }
    uint32_t NextU32() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    double Uniform() { return (NextU32() >> 8) / double(1 << 24); }  // 0..1
    double Next() { return Uniform() * 2 - 1; }                        // -1..1

private:
    uint32_t state_;
};

// Second-order IIR filter (RBJ cookbook forms), direct form I.
struct Biquad {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;

    double Process(double x) {
        double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1; x1 = x; y2 = y1; y1 = y;
        return y;
    }
    static Biquad Make(double b0, double b1, double b2, double a0, double a1, double a2) {
        Biquad f;
        f.b0 = b0 / a0; f.b1 = b1 / a0; f.b2 = b2 / a0; f.a1 = a1 / a0; f.a2 = a2 / a0;
        return f;
    }
    static Biquad LowPass(double freq, double q) {
        double w = 2 * kPi * freq / kSampleRate, c = std::cos(w), alpha = std::sin(w) / (2 * q);
        return Make((1 - c) / 2, 1 - c, (1 - c) / 2, 1 + alpha, -2 * c, 1 - alpha);
    }
    static Biquad HighPass(double freq, double q) {
        double w = 2 * kPi * freq / kSampleRate, c = std::cos(w), alpha = std::sin(w) / (2 * q);
        return Make((1 + c) / 2, -(1 + c), (1 + c) / 2, 1 + alpha, -2 * c, 1 - alpha);
    }
    // Constant peak gain band-pass.
    static Biquad BandPass(double freq, double q) {
        double w = 2 * kPi * freq / kSampleRate, c = std::cos(w), alpha = std::sin(w) / (2 * q);
        return Make(alpha, 0, -alpha, 1 + alpha, -2 * c, 1 - alpha);
    }
};

// Writes mono 16-bit PCM at kSampleRate; samples are clamped to -1..1.
bool WriteWav(const std::string& path, const std::vector<float>& samples);

}  // namespace synth
}  // namespace datagen
