// Writes small WAV files for audio tests: PCM 8 and 16 bit, 32-bit float
// and IMA ADPCM (mono), from float samples in [-1, 1], interleaved.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace wavtest {

enum class Encoding { Pcm8, Pcm16, Float32, ImaAdpcm };

inline std::vector<float> Tone(float hz, float seconds, int rate, float amplitude, int channels = 1) {
    const size_t frames = static_cast<size_t>(seconds * rate);
    std::vector<float> out(frames * channels);
    for (size_t i = 0; i < frames; ++i) {
        float v = amplitude * std::sin(6.2831853f * hz * static_cast<float>(i) / rate);
        for (int c = 0; c < channels; ++c) out[i * channels + c] = v;
    }
    return out;
}

namespace detail {
inline void Put16(std::string& s, uint16_t v) {
    s.push_back(static_cast<char>(v & 0xff));
    s.push_back(static_cast<char>(v >> 8));
}
inline void Put32(std::string& s, uint32_t v) {
    Put16(s, static_cast<uint16_t>(v & 0xffff));
    Put16(s, static_cast<uint16_t>(v >> 16));
}
inline int16_t ToS16(float v) {
    return static_cast<int16_t>(std::lround(std::clamp(v, -1.0f, 1.0f) * 32767.0f));
}

// IMA ADPCM, mono, blocks of 256 bytes (505 samples each).
inline std::string EncodeIma(const std::vector<float>& samples, int blockAlign, int& samplesPerBlock) {
    static const int kIndex[16] = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};
    static const int kStep[89] = {
        7, 8, 9, 10, 11, 12, 13, 14, 16, 17, 19, 21, 23, 25, 28, 31, 34, 37, 41, 45, 50, 55, 60, 66, 73, 80, 88, 97,
        107, 118, 130, 143, 157, 173, 190, 209, 230, 253, 279, 307, 337, 371, 408, 449, 494, 544, 598, 658, 724, 796,
        876, 963, 1060, 1166, 1282, 1411, 1552, 1707, 1878, 2066, 2272, 2499, 2749, 3024, 3327, 3660, 4026, 4428,
        4871, 5358, 5894, 6484, 7132, 7845, 8630, 9493, 10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350,
        22385, 24623, 27086, 29794, 32767};
    samplesPerBlock = (blockAlign - 4) * 2 + 1;
    std::string out;
    size_t pos = 0;
    while (pos < samples.size()) {
        int predictor = ToS16(samples[pos]);
        int index = 0;
        Put16(out, static_cast<uint16_t>(static_cast<int16_t>(predictor)));
        out.push_back(static_cast<char>(index));
        out.push_back(0);
        ++pos;
        uint8_t pending = 0;
        for (int n = 0; n < samplesPerBlock - 1; ++n) {
            int target = pos < samples.size() ? ToS16(samples[pos]) : predictor;
            ++pos;
            int step = kStep[index];
            int diff = target - predictor;
            int code = 0;
            if (diff < 0) { code = 8; diff = -diff; }
            int delta = step >> 3;
            if (diff >= step) { code |= 4; diff -= step; delta += step; }
            if (diff >= step >> 1) { code |= 2; diff -= step >> 1; delta += step >> 1; }
            if (diff >= step >> 2) { code |= 1; delta += step >> 2; }
            predictor += (code & 8) ? -delta : delta;
            predictor = std::clamp(predictor, -32768, 32767);
            index = std::clamp(index + kIndex[code], 0, 88);
            if (n % 2 == 0) pending = static_cast<uint8_t>(code);
            else out.push_back(static_cast<char>(pending | (code << 4)));
        }
    }
    return out;
}
}  // namespace detail

// The bytes of a WAV file holding the samples.
inline std::string WavBytes(const std::vector<float>& samples, int channels, int rate, Encoding enc) {
    using namespace detail;
    std::string data;
    uint16_t tag = 1, bits = 16, blockAlign = 0;
    int samplesPerBlock = 0;
    switch (enc) {
    case Encoding::Pcm8:
        bits = 8;
        for (float v : samples) data.push_back(static_cast<char>(static_cast<uint8_t>(ToS16(v) / 256 + 128)));
        break;
    case Encoding::Pcm16:
        for (float v : samples) Put16(data, static_cast<uint16_t>(ToS16(v)));
        break;
    case Encoding::Float32:
        tag = 3;
        bits = 32;
        for (float v : samples) {
            uint32_t u;
            std::memcpy(&u, &v, 4);
            Put32(data, u);
        }
        break;
    case Encoding::ImaAdpcm:
        tag = 0x11;
        bits = 4;
        blockAlign = 256;
        data = EncodeIma(samples, blockAlign, samplesPerBlock);
        break;
    }
    if (blockAlign == 0) blockAlign = static_cast<uint16_t>(channels * bits / 8);
    std::string fmt;
    Put16(fmt, tag);
    Put16(fmt, static_cast<uint16_t>(channels));
    Put32(fmt, static_cast<uint32_t>(rate));
    Put32(fmt, static_cast<uint32_t>(enc == Encoding::ImaAdpcm ? rate * blockAlign / samplesPerBlock
                                                               : rate * blockAlign));
    Put16(fmt, blockAlign);
    Put16(fmt, bits);
    if (enc == Encoding::ImaAdpcm) {
        Put16(fmt, 2);
        Put16(fmt, static_cast<uint16_t>(samplesPerBlock));
    }
    std::string body = "WAVEfmt ";
    Put32(body, static_cast<uint32_t>(fmt.size()));
    body += fmt;
    if (enc == Encoding::ImaAdpcm) {
        body += "fact";
        Put32(body, 4);
        Put32(body, static_cast<uint32_t>(samples.size()));
    }
    body += "data";
    Put32(body, static_cast<uint32_t>(data.size()));
    body += data;
    if (data.size() % 2) body.push_back(0);
    std::string file = "RIFF";
    Put32(file, static_cast<uint32_t>(body.size()));
    return file + body;
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline void WriteWav(const std::string& path, const std::vector<float>& samples, int channels, int rate,
                     Encoding enc = Encoding::Pcm16) {
    WriteFile(path, WavBytes(samples, channels, rate, enc));
}

}  // namespace wavtest
