// Every sound effect of the game, synthesised: gunshots, clicks, footsteps,
// doors, alarms, explosions and the three loops (heartbeat, zombie groan,
// generator hum). Written as mono 16-bit PCM WAV at 44,100 Hz.
#include "SoundSynth.h"

#include "DataGen.h"

#include <cstdio>
#include <fstream>

namespace datagen {
namespace synth {

bool WriteWav(const std::string& path, const std::vector<float>& samples) {
    if (!EnsureParentDir(path)) return false;
    std::ofstream out(path, std::ios::binary);
    if (!out) {
        std::fprintf(stderr, "datagen: cannot open %s\n", path.c_str());
        return false;
    }
    auto u32 = [&out](uint32_t v) {
        const char b[4] = {char(v & 0xff), char((v >> 8) & 0xff), char((v >> 16) & 0xff), char((v >> 24) & 0xff)};
        out.write(b, 4);
    };
    auto u16 = [&out](uint16_t v) {
        const char b[2] = {char(v & 0xff), char((v >> 8) & 0xff)};
        out.write(b, 2);
    };
    const uint32_t dataBytes = uint32_t(samples.size() * 2);
    out.write("RIFF", 4);
    u32(36 + dataBytes);
    out.write("WAVE", 4);
    out.write("fmt ", 4);
    u32(16);
    u16(1);                    // PCM
    u16(1);                    // mono
    u32(kSampleRate);
    u32(kSampleRate * 2);      // bytes per second
    u16(2);                    // block align
    u16(16);                   // bits per sample
    out.write("data", 4);
    u32(dataBytes);
    for (float s : samples) {
        float c = std::fmax(-1.0f, std::fmin(1.0f, s));
        u16(uint16_t(int16_t(std::lround(c * 32767.0f))));
    }
    out.flush();
    if (!out) {
        std::fprintf(stderr, "datagen: failed writing %s\n", path.c_str());
        return false;
    }
    return true;
}

namespace {

using Buffer = std::vector<float>;

int Samples(double seconds) { return int(std::lround(seconds * kSampleRate)); }
double TimeOf(int i) { return double(i) / kSampleRate; }

// Adds a decaying sine (a struck resonance) starting at `start`.
void AddRing(Buffer& b, double start, double freq, double amp, double decay, double attack = 0.001) {
    for (int i = std::max(0, Samples(start)); i < int(b.size()); ++i) {
        double t = TimeOf(i) - start;
        double env = std::exp(-t / decay) * std::fmin(1.0, t / attack);
        if (env < 1e-5 && t > attack) break;
        b[i] += float(amp * env * std::sin(2 * kPi * freq * t));
    }
}

// Adds a burst of filtered noise: attack, then exponential decay.
void AddNoiseBurst(Buffer& b, Noise& rng, double start, double amp, double attack, double decay, Biquad filter) {
    for (int i = std::max(0, Samples(start)); i < int(b.size()); ++i) {
        double t = TimeOf(i) - start;
        double env = std::fmin(1.0, t / attack) * std::exp(-std::fmax(0.0, t - attack) / decay);
        if (env < 1e-5 && t > attack) break;
        b[i] += float(amp * env * filter.Process(rng.Next()));
    }
}

// A metallic click: a snap of bright noise plus a few inharmonic partials.
void AddMetalClick(Buffer& b, Noise& rng, double start, double amp, double pitch = 1.0) {
    AddNoiseBurst(b, rng, start, amp, 0.0003, 0.004, Biquad::HighPass(2500, 0.7));
    AddRing(b, start, 2100 * pitch, amp * 0.35, 0.02);
    AddRing(b, start, 3370 * pitch, amp * 0.25, 0.014);
    AddRing(b, start, 5230 * pitch, amp * 0.15, 0.008);
}

// A low, short thud (body of an impact).
void AddThud(Buffer& b, double start, double f0, double f1, double amp, double decay) {
    double phase = 0;
    for (int i = std::max(0, Samples(start)); i < int(b.size()); ++i) {
        double t = TimeOf(i) - start;
        double env = std::exp(-t / decay) * std::fmin(1.0, t / 0.002);
        if (env < 1e-5 && t > 0.01) break;
        double f = f1 + (f0 - f1) * std::exp(-t / (decay * 0.5));
        phase += 2 * kPi * f / kSampleRate;
        b[i] += float(amp * env * std::sin(phase));
    }
}

// A voiced sound: a glottal pulse train of the given pitch contour through
// formant resonators, with an amplitude envelope.
void AddVoice(Buffer& b, Noise& rng, double start, double length, const std::function<double(double)>& pitch,
              const std::function<double(double)>& env, std::vector<std::pair<double, double>> formants, double rough) {
    std::vector<Biquad> filters;
    for (auto& f : formants) filters.push_back(Biquad::BandPass(f.first, f.second));
    double phase = 0;
    int i0 = std::max(0, Samples(start)), i1 = std::min(int(b.size()), Samples(start + length));
    for (int i = i0; i < i1; ++i) {
        double t = TimeOf(i) - start;
        double f = pitch(t) * (1 + rough * 0.05 * rng.Next());
        phase += f / kSampleRate;
        if (phase >= 1) phase -= 1;
        // Rosenberg-like pulse: open phase a rising half sine, then closed.
        double g = phase < 0.6 ? std::sin(kPi * phase / 0.6) : 0.0;
        double src = g * g + rough * 0.3 * rng.Next();
        double sum = 0;
        for (size_t k = 0; k < filters.size(); ++k) sum += filters[k].Process(src) * (k == 0 ? 1.0 : 0.6 / k);
        b[i] += float(sum * env(t));
    }
}

// Scales to the given peak and fades the last few milliseconds to silence so
// one-shot sounds never end on a step.
void Finish(Buffer& b, double peak = 0.85, bool fadeEnd = true) {
    float m = 0;
    for (float s : b) m = std::fmax(m, std::fabs(s));
    if (m > 0) for (float& s : b) s *= float(peak / m);
    if (fadeEnd) {
        int n = std::min(int(b.size()), Samples(0.008));
        for (int i = 0; i < n; ++i) b[b.size() - 1 - i] *= float(i) / n;
    }
}

// Makes a loop of `length` samples from a longer render: the first `fade`
// samples are an equal-power crossfade with what followed the loop's end, so
// the last sample runs straight into the first.
Buffer LoopCrossfade(const Buffer& src, int length, int fade) {
    Buffer out(src.begin(), src.begin() + length);
    for (int i = 0; i < fade; ++i) {
        double w = double(i) / fade;
        out[i] = float(src[i] * std::sin(w * kPi / 2) + src[length + i] * std::cos(w * kPi / 2));
    }
    return out;
}

Buffer Fire() {
    Buffer b(Samples(0.5));
    Noise rng(11);
    AddNoiseBurst(b, rng, 0, 1.0, 0.0005, 0.012, Biquad::HighPass(800, 0.7));     // muzzle crack
    AddNoiseBurst(b, rng, 0, 0.9, 0.001, 0.06, Biquad::LowPass(1800, 0.8));       // blast
    AddNoiseBurst(b, rng, 0.004, 0.35, 0.01, 0.16, Biquad::LowPass(600, 0.7));    // room tail
    AddThud(b, 0, 160, 45, 0.9, 0.07);
    AddMetalClick(b, rng, 0.045, 0.12, 1.3);                                      // slide cycling
    Finish(b);
    return b;
}

Buffer DryClick() {
    Buffer b(Samples(0.1));
    Noise rng(12);
    AddMetalClick(b, rng, 0.002, 0.8, 1.0);
    AddMetalClick(b, rng, 0.022, 0.35, 0.8);
    AddThud(b, 0.002, 600, 300, 0.15, 0.008);
    Finish(b);
    return b;
}

Buffer Reload() {
    Buffer b(Samples(1.5));
    Noise rng(13);
    // Magazine released and pulled out: catch click, then a short scrape.
    AddMetalClick(b, rng, 0.08, 0.7, 0.9);
    AddNoiseBurst(b, rng, 0.1, 0.25, 0.05, 0.05, Biquad::BandPass(2200, 1.5));
    // New magazine seated: a firm knock with a latch click.
    AddNoiseBurst(b, rng, 0.55, 0.2, 0.06, 0.03, Biquad::BandPass(1800, 1.5));
    AddThud(b, 0.64, 260, 140, 0.7, 0.03);
    AddMetalClick(b, rng, 0.645, 0.9, 1.0);
    // Slide pulled back (friction) and released forward.
    AddNoiseBurst(b, rng, 1.0, 0.3, 0.1, 0.03, Biquad::BandPass(3000, 2.0));
    AddMetalClick(b, rng, 1.13, 0.8, 1.2);
    AddMetalClick(b, rng, 1.22, 1.0, 1.1);
    AddThud(b, 1.22, 300, 160, 0.4, 0.02);
    Finish(b);
    return b;
}

Buffer Footstep(uint32_t seed) {
    Buffer b(Samples(0.3));
    Noise rng(seed);
    AddThud(b, 0.005, 140, 70, 0.8, 0.03);                                         // heel
    AddNoiseBurst(b, rng, 0.005, 0.5, 0.002, 0.025, Biquad::BandPass(900, 1.0));  // grit
    AddThud(b, 0.07, 120, 70, 0.45, 0.025);                                        // sole
    AddNoiseBurst(b, rng, 0.07, 0.3, 0.002, 0.03, Biquad::BandPass(1500, 1.2));
    Finish(b, 0.8);
    return b;
}

Buffer Damage() {
    Buffer b(Samples(0.4));
    Noise rng(14);
    AddThud(b, 0, 110, 55, 1.0, 0.05);
    AddNoiseBurst(b, rng, 0, 0.6, 0.001, 0.03, Biquad::LowPass(2500, 0.7));
    AddVoice(b, rng, 0.04, 0.33, [](double t) { return 150 - 90 * t; },
             [](double t) { return std::fmin(1.0, t / 0.03) * std::exp(-t / 0.15); },
             {{650, 5}, {1100, 6}, {2600, 8}}, 0.6);
    Finish(b);
    return b;
}

Buffer Heart() {
    const int n = Samples(0.9);
    Buffer b(n);
    // Lub and dub: low, short tones; samples wrap around so the tail of the
    // last beat continues into the start and the loop is seamless.
    auto beat = [&](double start, double freq, double amp, double decay) {
        for (int k = 0; k < Samples(decay * 8); ++k) {
            double t = TimeOf(k);
            double env = std::fmin(1.0, t / 0.008) * std::exp(-t / decay);
            double f = freq * (1 + 0.5 * std::exp(-t / 0.02));
            b[(Samples(start) + k) % n] += float(amp * env * std::sin(2 * kPi * f * t));
        }
    };
    beat(0.10, 55, 1.0, 0.045);
    beat(0.10, 110, 0.25, 0.02);
    beat(0.38, 65, 0.7, 0.035);
    beat(0.38, 130, 0.2, 0.015);
    Finish(b, 0.85, false);
    return b;
}

Buffer ZombieGroan() {
    const int length = Samples(3.0), fade = Samples(0.3);
    Buffer src(length + fade + 1);
    Noise rng(15);
    // Two long groans with a wavering low pitch, breathy and rough.
    auto pitch = [](double t) { return 78 + 10 * std::sin(2 * kPi * 0.7 * t) + 6 * std::sin(2 * kPi * 1.9 * t); };
    AddVoice(src, rng, 0.0, 1.7, pitch,
             [](double t) { return std::sin(kPi * std::fmin(1.0, t / 1.7)) * (0.8 + 0.2 * std::sin(2 * kPi * 5 * t)); },
             {{500, 4}, {900, 5}, {2300, 7}}, 1.0);
    AddVoice(src, rng, 1.5, 1.8, [&](double t) { return pitch(t + 0.4) * 0.9; },
             [](double t) { return 0.8 * std::sin(kPi * std::fmin(1.0, t / 1.8)); },
             {{420, 4}, {800, 5}, {2100, 7}}, 1.0);
    Biquad breath = Biquad::BandPass(1200, 0.8);
    for (size_t i = 0; i < src.size(); ++i) src[i] += float(0.02 * breath.Process(rng.Next()));
    Buffer b = LoopCrossfade(src, length, fade);
    Finish(b, 0.8, false);
    return b;
}

Buffer ZombieWalk() {
    Buffer b(Samples(0.4));
    Noise rng(16);
    AddThud(b, 0.01, 100, 55, 0.9, 0.04);
    AddNoiseBurst(b, rng, 0.01, 0.4, 0.002, 0.03, Biquad::BandPass(700, 1.0));
    // The dragged foot: a scrape that swells and fades.
    Biquad scrape = Biquad::BandPass(1300, 1.2);
    for (int i = Samples(0.08); i < int(b.size()); ++i) {
        double t = TimeOf(i) - 0.08;
        double env = std::sin(kPi * std::fmin(1.0, t / 0.3)) * (0.7 + 0.3 * std::sin(2 * kPi * 23 * t));
        b[i] += float(0.35 * env * scrape.Process(rng.Next()));
    }
    Finish(b);
    return b;
}

Buffer MenuClick() {
    Buffer b(Samples(0.15));
    Noise rng(17);
    AddNoiseBurst(b, rng, 0.002, 0.6, 0.0003, 0.003, Biquad::HighPass(3000, 0.7));
    AddRing(b, 0.002, 1800, 0.5, 0.012);
    AddRing(b, 0.002, 620, 0.4, 0.02);
    Finish(b);
    return b;
}

Buffer PickUp() {
    Buffer b(Samples(0.3));
    // Two quick rising notes with soft square timbre.
    auto note = [&](double start, double len, double freq) {
        for (int i = Samples(start); i < std::min(int(b.size()), Samples(start + len)); ++i) {
            double t = TimeOf(i) - start;
            double env = std::fmin(1.0, t / 0.005) * std::fmin(1.0, (len - t) / 0.02);
            double v = std::sin(2 * kPi * freq * t) + std::sin(6 * kPi * freq * t) / 3 + std::sin(10 * kPi * freq * t) / 5;
            b[i] += float(0.5 * env * v);
        }
    };
    note(0.0, 0.1, 880);
    note(0.09, 0.2, 1320);
    Finish(b);
    return b;
}

Buffer DoorLatch() {
    Buffer b(Samples(0.5));
    Noise rng(18);
    AddMetalClick(b, rng, 0.03, 0.5, 0.8);                                          // lever pressed
    AddNoiseBurst(b, rng, 0.05, 0.12, 0.08, 0.05, Biquad::BandPass(2500, 2.0));   // spring
    AddMetalClick(b, rng, 0.24, 1.0, 0.7);                                          // bolt clears
    AddThud(b, 0.24, 220, 120, 0.5, 0.04);
    Finish(b);
    return b;
}

Buffer LockedRattle() {
    Buffer b(Samples(0.5));
    Noise rng(19);
    const double hits[] = {0.02, 0.1, 0.17, 0.25, 0.32, 0.4};
    for (int k = 0; k < 6; ++k) {
        double amp = 1.0 - 0.1 * k;
        AddMetalClick(b, rng, hits[k], 0.8 * amp, 0.75 + 0.05 * (k % 2));
        AddThud(b, hits[k], 180, 110, 0.5 * amp, 0.03);
    }
    Finish(b);
    return b;
}

Buffer HeavyDoor() {
    Buffer b(Samples(1.5));
    Noise rng(20);
    // Hinge creak: stick-slip pulses whose rate glides, through wood and
    // metal resonances.
    Biquad r1 = Biquad::BandPass(700, 6), r2 = Biquad::BandPass(1400, 8), r3 = Biquad::BandPass(350, 4);
    double phase = 0;
    for (int i = 0; i < Samples(1.25); ++i) {
        double t = TimeOf(i);
        double rate = 45 + 35 * std::sin(kPi * t / 1.25) + 8 * std::sin(2 * kPi * 3.1 * t);
        phase += rate / kSampleRate;
        double pulse = 0;
        if (phase >= 1) { phase -= 1; pulse = 1 + 0.3 * rng.Next(); }
        double env = std::sin(kPi * std::fmin(1.0, t / 1.25));
        double v = r1.Process(pulse) + 0.6 * r2.Process(pulse) + 0.8 * r3.Process(pulse);
        b[i] += float(env * v * 0.6);
    }
    // Air and the slab's weight: low rumble all along.
    Biquad low = Biquad::LowPass(120, 0.7);
    for (int i = 0; i < Samples(1.3); ++i) {
        double t = TimeOf(i);
        b[i] += float(0.4 * std::sin(kPi * std::fmin(1.0, t / 1.3)) * low.Process(rng.Next()));
    }
    AddThud(b, 1.3, 90, 45, 1.0, 0.08);                                              // stops against the wall
    AddNoiseBurst(b, rng, 1.3, 0.4, 0.002, 0.05, Biquad::LowPass(1200, 0.7));
    Finish(b);
    return b;
}

Buffer Buzzer() {
    Buffer b(Samples(0.5));
    Biquad tone = Biquad::LowPass(2500, 0.7);
    for (int i = 0; i < int(b.size()); ++i) {
        double t = TimeOf(i);
        bool on = (t > 0.01 && t < 0.2) || (t > 0.26 && t < 0.46);
        double local = t < 0.23 ? t - 0.01 : t - 0.26;
        double env = on ? std::fmin(1.0, local / 0.005) * std::fmin(1.0, ((t < 0.23 ? 0.2 : 0.46) - t) / 0.005) : 0.0;
        double sq = (std::fmod(t * 155, 1.0) < 0.5 ? 1.0 : -1.0) + 0.5 * (std::fmod(t * 157.5, 1.0) < 0.5 ? 1.0 : -1.0);
        b[i] = float(env * tone.Process(sq));
    }
    Finish(b);
    return b;
}

Buffer Chime() {
    Buffer b(Samples(0.5));
    auto bell = [&](double start, double freq) {
        AddRing(b, start, freq, 0.6, 0.25, 0.003);
        AddRing(b, start, freq * 2.0, 0.2, 0.12, 0.003);
        AddRing(b, start, freq * 3.01, 0.08, 0.06, 0.003);
    };
    bell(0.01, 880);
    bell(0.16, 1318.5);
    Finish(b);
    return b;
}

Buffer CardSwipe() {
    Buffer b(Samples(0.7));
    Noise rng(21);
    AddMetalClick(b, rng, 0.05, 0.3, 1.4);  // card edge meets the slot
    Biquad slide = Biquad::BandPass(3500, 1.0), body = Biquad::BandPass(900, 1.5);
    for (int i = Samples(0.08); i < Samples(0.5); ++i) {
        double t = TimeOf(i) - 0.08;
        double env = std::sin(kPi * t / 0.42);
        double n = rng.Next();
        b[i] += float(env * (0.35 * slide.Process(n) + 0.25 * body.Process(n)) * (0.85 + 0.15 * std::sin(2 * kPi * 60 * t)));
    }
    AddMetalClick(b, rng, 0.5, 0.35, 1.2);   // leaves the slot
    AddRing(b, 0.56, 2000, 0.12, 0.04, 0.002);  // reader's short beep
    Finish(b);
    return b;
}

// An explosion: a blast crack, a falling boom and a decaying rumble, plus
// crackling debris.
void AddExplosion(Buffer& b, Noise& rng, double start, double amp, double rumbleDecay, double boomFreq) {
    AddNoiseBurst(b, rng, start, amp, 0.001, 0.03, Biquad::LowPass(5000, 0.7));
    AddNoiseBurst(b, rng, start, amp, 0.004, rumbleDecay * 0.3, Biquad::LowPass(900, 0.7));
    AddNoiseBurst(b, rng, start, amp * 1.6, 0.02, rumbleDecay, Biquad::LowPass(160, 0.8));
    AddThud(b, start, boomFreq, boomFreq * 0.35, amp * 0.9, rumbleDecay * 0.35);
    for (int k = 0; k < 25; ++k) {
        double t = start + 0.05 + rumbleDecay * 1.2 * rng.Uniform() * rng.Uniform();
        AddNoiseBurst(b, rng, t, amp * 0.15 * rng.Uniform(), 0.0005, 0.004, Biquad::HighPass(1500, 0.7));
    }
}

Buffer Bomb() {
    Buffer b(Samples(1.5));
    Noise rng(22);
    AddExplosion(b, rng, 0.0, 1.0, 0.3, 90);
    Finish(b);
    return b;
}

Buffer BigExplosion() {
    Buffer b(Samples(7.5));
    Noise rng(23);
    AddExplosion(b, rng, 0.0, 1.0, 1.6, 70);
    AddExplosion(b, rng, 0.7, 0.6, 1.2, 60);
    AddExplosion(b, rng, 1.6, 0.45, 1.5, 55);
    AddExplosion(b, rng, 3.1, 0.3, 1.4, 50);
    // Long structural rumble fading to the end.
    Biquad low = Biquad::LowPass(90, 0.7), mid = Biquad::LowPass(400, 0.7);
    for (int i = 0; i < int(b.size()); ++i) {
        double t = TimeOf(i);
        double env = std::fmin(1.0, t / 0.3) * std::exp(-t / 4.0) * std::fmin(1.0, (7.5 - t) / 1.5) *
                     (0.8 + 0.2 * std::sin(2 * kPi * 0.6 * t));
        double n = rng.Next();
        b[i] += float(env * (8.0 * low.Process(n) + 0.4 * mid.Process(n)));
    }
    Finish(b);
    return b;
}

Buffer GeneratorHum() {
    const int length = Samples(2.0), fade = Samples(0.25);
    // The tonal part is exactly periodic over the loop (every frequency makes
    // a whole number of cycles in 2 s), so it needs no crossfade; the air
    // noise is crossfaded, being uncorrelated with itself.
    Buffer noise(length + fade + 1);
    Noise rng(24);
    Biquad air = Biquad::BandPass(250, 1.0);
    for (float& v : noise) v = float(air.Process(rng.Next()));
    Buffer airLoop = LoopCrossfade(noise, length, fade);
    Buffer b(length);
    for (int i = 0; i < length; ++i) {
        double t = TimeOf(i);
        // Mains hum with harmonics, an electrical whine and a mechanical
        // throb at 4 Hz.
        double hum = std::sin(2 * kPi * 50 * t) + 0.6 * std::sin(2 * kPi * 100 * t) + 0.35 * std::sin(2 * kPi * 150 * t) +
                     0.2 * std::sin(2 * kPi * 200 * t) + 0.08 * std::sin(2 * kPi * 350 * t);
        double whine = 0.05 * std::sin(2 * kPi * 1250 * t + 0.3 * std::sin(2 * kPi * 0.5 * t));
        double throb = 0.75 + 0.25 * std::sin(2 * kPi * 4 * t);
        b[i] = float(0.5 * hum * throb + whine + 0.2 * airLoop[i] * throb);
    }
    Finish(b, 0.7, false);
    return b;
}

}  // namespace

}  // namespace synth

bool WriteSounds(const std::string& outDir) {
    using namespace synth;
    struct Entry { const char* path; Buffer (*make)(); };
    static const Entry entries[] = {
        {asset::sound::kFire, Fire},
        {asset::sound::kDryFire, DryClick},
        {asset::sound::kReload, Reload},
        {asset::sound::kFootstep, [] { return Footstep(30); }},
        {asset::sound::kDamage, Damage},
        {asset::sound::kHeart, Heart},
        {asset::sound::kZombieGroan, ZombieGroan},
        {asset::sound::kZombieStep, ZombieWalk},
        {asset::sound::kClick, MenuClick},
        {asset::sound::kPickUp, PickUp},
        {asset::sound::kDoorLatch, DoorLatch},
        {asset::sound::kDoorLocked, LockedRattle},
        {asset::sound::kDoorTurn, HeavyDoor},
        {asset::sound::kError, Buzzer},
        {asset::sound::kSuccess, Chime},
        {asset::sound::kCardSlot, CardSwipe},
        {asset::sound::kBomb, Bomb},
        {asset::sound::kExplosion, BigExplosion},
        {asset::sound::kGenerator, GeneratorHum},
    };
    bool ok = true;
    for (const Entry& e : entries) ok = WriteWav(DataFile(outDir, e.path), e.make()) && ok;
    return ok;
}

}  // namespace datagen
