// One WAV file loaded into one OpenAL buffer. SDL reads the file (PCM 8 and
// 16 bit, 32-bit float, MS and IMA ADPCM, any rate) and converts it to
// signed 16-bit mono or stereo at the file's own rate; OpenAL resamples.
#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>

#include "Framework/Audio/AudioEngine.h"

namespace {

// The longest sound and the highest rate a file may have. The game's
// longest sound lasts about 7 s; a file that claims minutes of samples would
// only fill memory (three minutes of 192 kHz stereo take 138 MB decoded).
constexpr Sint64 kMaxSoundSeconds = 180;
constexpr Sint64 kMaxSoundRate = 192000;

// What the format chunk says, as far as the length of the sound goes.
struct WavFormat {
    bool known = false;
    unsigned tag = 0;  // 1 PCM, 2 MS ADPCM, 3 float, 0x11 IMA ADPCM, ...
    unsigned channels = 0;
    Sint64 rate = 0;
    unsigned blockAlign = 0;
    unsigned bits = 0;
    unsigned samplesPerBlock = 0;  // ADPCM, when the file gives it
};

WavFormat ReadFormat(const Uint8* fmt, size_t length) {
    WavFormat f;
    if (length < 16) return f;
    auto u16 = [fmt](size_t at) { return static_cast<unsigned>(fmt[at] | (fmt[at + 1] << 8)); };
    f.known = true;
    f.tag = u16(0);
    f.channels = u16(2);
    f.rate = static_cast<Sint64>(u16(4) | (static_cast<Uint32>(u16(6)) << 16));
    f.blockAlign = u16(12);
    f.bits = u16(14);
    // The extensible format names the real one in its sub-format.
    if (f.tag == 0xFFFE && length >= 26) f.tag = u16(24);
    if ((f.tag == 2 || f.tag == 0x11) && length >= 20) f.samplesPerBlock = u16(18);
    return f;
}

// The sample frames a data chunk of this many bytes holds in this format;
// -1 when the format does not say (SDL then judges the file).
Sint64 FramesOf(const WavFormat& f, Sint64 dataBytes) {
    if (!f.known || f.channels == 0) return -1;
    if (f.tag == 2 || f.tag == 0x11) {
        // ADPCM: whole blocks, each of samplesPerBlock frames (for a file
        // that does not give it, what its block size holds).
        if (f.blockAlign == 0) return -1;
        Sint64 perBlock = f.samplesPerBlock;
        if (perBlock == 0) {
            const Sint64 header = (f.tag == 2 ? 7 : 4) * static_cast<Sint64>(f.channels);
            perBlock = (static_cast<Sint64>(f.blockAlign) - header) * 2 / f.channels + (f.tag == 2 ? 2 : 1);
        }
        return (dataBytes + f.blockAlign - 1) / f.blockAlign * std::max<Sint64>(perBlock, 0);
    }
    const Sint64 frameBytes = f.blockAlign ? f.blockAlign : static_cast<Sint64>(f.channels) * f.bits / 8;
    return frameBytes > 0 ? dataBytes / frameBytes : -1;
}

// Why a sound of these frames at this rate is refused ("" when it is not).
std::string LengthProblem(Sint64 frames, Sint64 rate) {
    if (rate > kMaxSoundRate)
        return "a rate of " + std::to_string(rate) + " Hz, over the " + std::to_string(kMaxSoundRate) + " Hz a sound may have";
    if (rate > 0 && frames > kMaxSoundSeconds * rate)
        return "a sound of " + std::to_string(frames / rate) + " s, longer than the " +
               std::to_string(kMaxSoundSeconds) + " s a sound may last";
    return std::string();
}

// Checks the chunks SDL reads into memory (format, fact, data) before it
// reads them: a chunk that claims more bytes than the stream holds (refused
// anyway under strict truncation, but only after SDL has allocated the
// claimed size, which a few damaged bytes can put at gigabytes), and a data
// chunk whose sound, by the format chunk, is too long or too fast. Leaves
// the stream at its start; false with the reason in problem.
bool HeaderFits(SDL_RWops* source, std::string& problem) {
    const Sint64 size = SDL_RWsize(source);
    if (size < 0) return true;  // unknown size: leave the checks to SDL
    Uint8 header[12];
    bool fits = true;
    // SDL also takes a file that opens with the WAVE tag, without RIFF.
    Sint64 pos = 0;
    if (SDL_RWread(source, header, 1, sizeof header) == sizeof header) {
        if (std::memcmp(header, "RIFF", 4) == 0 && std::memcmp(header + 8, "WAVE", 4) == 0) pos = 12;
        else if (std::memcmp(header, "WAVE", 4) == 0) pos = 4;
    }
    if (pos > 0) {
        Uint8 chunk[8];
        WavFormat format;
        while (pos + 8 <= size && SDL_RWseek(source, pos, RW_SEEK_SET) == pos &&
               SDL_RWread(source, chunk, 1, sizeof chunk) == sizeof chunk) {
            Uint32 raw = 0;
            std::memcpy(&raw, chunk + 4, sizeof raw);
            const Sint64 length = SDL_SwapLE32(raw);
            const bool isFormat = std::memcmp(chunk, "fmt ", 4) == 0, isData = std::memcmp(chunk, "data", 4) == 0;
            if ((isFormat || isData || std::memcmp(chunk, "fact", 4) == 0) && length > size - pos - 8) {
                problem = "damaged file: a chunk runs past its end";
                fits = false;
                break;
            }
            if (isFormat) {
                Uint8 fmt[40] = {};
                const size_t want = static_cast<size_t>(std::min<Sint64>(length, sizeof fmt));
                if (SDL_RWread(source, fmt, 1, want) == want) format = ReadFormat(fmt, want);
            }
            if (isData) {
                problem = LengthProblem(FramesOf(format, length), format.rate);
                fits = problem.empty();
                break;
            }
            pos += 8 + length + (length & 1);
        }
    }
    SDL_RWseek(source, 0, RW_SEEK_SET);
    return fits;
}

// Decodes a WAV stream (closed here) to interleaved 16-bit samples with one
// or two channels.
bool DecodeWav(SDL_RWops* source, std::vector<short>& out, int& channels, int& rate, std::string& problem) {
    // A data chunk shorter than its header says is a damaged file, not a
    // short sound.
    SDL_SetHint(SDL_HINT_WAVE_TRUNCATION, "strict");
    SDL_AudioSpec wavSpec;
    Uint8* data = nullptr;
    Uint32 length = 0;
    if (source == nullptr) {
        problem = "file missing";
        return false;
    }
    if (!HeaderFits(source, problem)) {
        SDL_RWclose(source);
        return false;
    }
    if (!SDL_LoadWAV_RW(source, 1, &wavSpec, &data, &length)) {
        problem = "not a readable WAV sound, or a damaged one";
        return false;
    }
    // The sound as decoded is held to the same limits as its header.
    const Sint64 frameBytes = static_cast<Sint64>(SDL_AUDIO_BITSIZE(wavSpec.format) / 8) * wavSpec.channels;
    problem = frameBytes > 0 ? LengthProblem(length / frameBytes, wavSpec.freq) : std::string();
    if (!problem.empty()) {
        SDL_FreeWAV(data);
        return false;
    }
    bool ok = false;
    const int outChannels = wavSpec.channels >= 2 ? 2 : 1;
    SDL_AudioStream* stream = nullptr;
    if (wavSpec.channels > 0 && wavSpec.freq > 0 && length > 0)
        stream = SDL_NewAudioStream(wavSpec.format, wavSpec.channels, wavSpec.freq, AUDIO_S16SYS, outChannels, wavSpec.freq);
    if (stream) {
        if (SDL_AudioStreamPut(stream, data, static_cast<int>(length)) == 0 && SDL_AudioStreamFlush(stream) == 0) {
            int available = SDL_AudioStreamAvailable(stream);
            out.assign(static_cast<size_t>(available) / sizeof(short), 0);
            int got = available > 0 ? SDL_AudioStreamGet(stream, out.data(), available) : 0;
            if (got > 0) {
                size_t frames = static_cast<size_t>(got) / sizeof(short) / outChannels;
                out.resize(frames * outChannels);
                ok = frames > 0;
            }
        }
        SDL_FreeAudioStream(stream);
    }
    SDL_FreeWAV(data);
    channels = outChannels;
    rate = wavSpec.freq;
    if (!ok) problem = "an empty or unconvertible sound";
    return ok;
}

ALuint MakeBuffer(const std::vector<short>& samples, int channels, int rate) {
    alGetError();
    ALuint buffer = 0;
    alGenBuffers(1, &buffer);
    if (alGetError() != AL_NO_ERROR) return 0;
    alBufferData(buffer, channels == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16, samples.data(),
                 static_cast<ALsizei>(samples.size() * sizeof(short)), rate);
    if (alGetError() != AL_NO_ERROR) {
        alDeleteBuffers(1, &buffer);
        return 0;
    }
    return buffer;
}

}  // namespace

VeSoundEffect::~VeSoundEffect() {
    if (!audio_detail::EngineOf(generation_)) return;
    if (monoBuffer_) alDeleteBuffers(1, &monoBuffer_);
    if (buffer_) alDeleteBuffers(1, &buffer_);
}

bool VeSoundEffect::Load(const std::string& path, std::string* problem) {
    if (audio_detail::CurrentGeneration() == 0) return false;
    return LoadFrom(SDL_RWFromFile(path.c_str(), "rb"), path, problem);
}

bool VeSoundEffect::LoadFromMemory(const void* data, size_t size, const std::string& pathForInfo,
                                   std::string* problem) {
    if (audio_detail::CurrentGeneration() == 0) return false;
    if (data == nullptr || size == 0 || size > static_cast<size_t>(INT32_MAX)) {
        if (problem) *problem = "empty file";
        return false;
    }
    return LoadFrom(SDL_RWFromConstMem(data, static_cast<int>(size)), pathForInfo, problem);
}

bool VeSoundEffect::LoadFrom(SDL_RWops* source, const std::string& path, std::string* problem) {
    const unsigned long generation = audio_detail::CurrentGeneration();
    if (generation == 0) {
        if (source) SDL_RWclose(source);
        return false;
    }
    std::string why;
    try {
        auto samples = std::make_shared<std::vector<short>>();
        int channels = 0, rate = 0;
        if (!DecodeWav(source, *samples, channels, rate, why)) {
            if (problem) *problem = why;
            return false;
        }
        ALuint buffer = MakeBuffer(*samples, channels, rate);
        if (!buffer) {
            if (problem) *problem = "the sound device refused the sound";
            return false;
        }
        // Replace what an earlier Load of this object made.
        if (audio_detail::EngineOf(generation_)) {
            if (monoBuffer_) alDeleteBuffers(1, &monoBuffer_);
            if (buffer_) alDeleteBuffers(1, &buffer_);
        }
        buffer_ = buffer;
        monoBuffer_ = 0;
        generation_ = generation;
        channels_ = channels;
        sampleRate_ = rate;
        duration_ = static_cast<float>(samples->size() / channels) / static_cast<float>(rate);
        // The samples are only needed again to make a mono copy of a
        // stereo sound for 3D voices.
        samples_ = channels == 2 ? samples : nullptr;
        path_ = path;
        return true;
    } catch (const std::bad_alloc&) {
        if (problem) *problem = "out of memory";
        return false;
    }
}

unsigned VeSoundEffect::GetMonoBuffer() {
    if (!audio_detail::EngineOf(generation_) || !buffer_) return 0;
    if (channels_ == 1) return buffer_;
    if (monoBuffer_) return monoBuffer_;
    if (!samples_) return 0;
    try {
        const std::vector<short>& stereo = *samples_;
        std::vector<short> mono(stereo.size() / 2);
        for (size_t i = 0; i < mono.size(); ++i)
            mono[i] = static_cast<short>((static_cast<int>(stereo[2 * i]) + stereo[2 * i + 1]) / 2);
        monoBuffer_ = MakeBuffer(mono, 1, sampleRate_);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return monoBuffer_;
}

std::shared_ptr<VeSoundInstance> VeSoundEffect::CreateInstance(bool use3D) {
    if (!buffer_) return nullptr;
    // Loaded under an engine that has since been replaced: its buffers died
    // with that engine, so read the file again into the running one.
    if (!audio_detail::EngineOf(generation_) && audio_detail::CurrentGeneration() != 0) {
        const std::string path = path_;
        if (!Load(path)) return nullptr;
    }
    if (!audio_detail::EngineOf(generation_)) return nullptr;
    // Instances keep the wave data alive, so the effect must be shared.
    std::shared_ptr<VeSoundEffect> self = weak_from_this().lock();
    if (!self) return nullptr;
    return std::make_shared<VeSoundInstance>(std::move(self), use3D);
}
