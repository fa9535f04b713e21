// The audio engine (one OpenAL device and context), the listener and the
// keep-alive set of fire-and-forget sounds.
#include <algorithm>
#include <cstdio>

#include "Framework/Audio/AudioEngine.h"

namespace {

// Every instance the game makes holds a source for its whole life, so ask
// for far more than OpenAL's default of 256.
constexpr ALCint kMonoSources = 1024;
constexpr ALCint kStereoSources = 256;
// The longest stretch a clock-driven silent device renders in one Update,
// so a long stall (a debugger, a slow load) costs bounded work.
constexpr double kMaxClockRenderSeconds = 0.5;

unsigned long g_nextGeneration = 0;
// The running engine, kept outside the singleton so sounds released during
// static destruction (after the manager itself) still see a plain null.
AudioManager::Engine* g_liveEngine = nullptr;

template <typename T>
T GetAlcProc(ALCdevice* device, const char* name) {
    return reinterpret_cast<T>(alcGetProcAddress(device, name));
}

// Opens a loopback device with a context at the given rate; null on failure.
std::unique_ptr<AudioManager::Engine> OpenLoopback(int sampleRate) {
    if (!alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback")) return nullptr;
    auto openLoopback = GetAlcProc<LPALCLOOPBACKOPENDEVICESOFT>(nullptr, "alcLoopbackOpenDeviceSOFT");
    auto render = GetAlcProc<LPALCRENDERSAMPLESSOFT>(nullptr, "alcRenderSamplesSOFT");
    if (!openLoopback || !render) return nullptr;
    ALCdevice* device = openLoopback(nullptr);
    if (!device) return nullptr;
    // Plain stereo panning (no head-related filtering) so the mix is the
    // same on every machine.
    const ALCint attrs[] = {
        ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT,
        ALC_FORMAT_TYPE_SOFT, ALC_SHORT_SOFT,
        ALC_FREQUENCY, sampleRate,
        ALC_MONO_SOURCES, kMonoSources,
        ALC_STEREO_SOURCES, kStereoSources,
        ALC_HRTF_SOFT, ALC_FALSE,
        0};
    ALCcontext* context = alcCreateContext(device, attrs);
    if (!context) {
        alcCloseDevice(device);
        return nullptr;
    }
    auto engine = std::make_unique<AudioManager::Engine>();
    engine->device = device;
    engine->context = context;
    engine->loopback = true;
    engine->sampleRate = sampleRate;
    engine->renderSamples = render;
    return engine;
}

// Opens the default output device; null when there is none.
std::unique_ptr<AudioManager::Engine> OpenDefault() {
    ALCdevice* device = alcOpenDevice(nullptr);
    if (!device) return nullptr;
    const ALCint attrs[] = {ALC_MONO_SOURCES, kMonoSources, ALC_STEREO_SOURCES, kStereoSources, 0};
    ALCcontext* context = alcCreateContext(device, attrs);
    if (!context) context = alcCreateContext(device, nullptr);
    if (!context) {
        alcCloseDevice(device);
        return nullptr;
    }
    auto engine = std::make_unique<AudioManager::Engine>();
    engine->device = device;
    engine->context = context;
    ALCint rate = 0;
    alcGetIntegerv(device, ALC_FREQUENCY, 1, &rate);
    if (rate > 0) engine->sampleRate = rate;
    return engine;
}

void DestroyEngine(AudioManager::Engine* engine) {
    if (!engine) return;
    if (alcGetCurrentContext() == engine->context) alcMakeContextCurrent(nullptr);
    // Destroying the context frees its sources; closing the device frees
    // the buffers.
    if (engine->context) alcDestroyContext(engine->context);
    if (engine->device) alcCloseDevice(engine->device);
}

}  // namespace

namespace audio_detail {

AudioManager::Engine* EngineOf(unsigned long generation) {
    AudioManager::Engine* engine = g_liveEngine;
    if (!engine || generation == 0 || engine->generation != generation) return nullptr;
    return engine;
}

unsigned long CurrentGeneration() {
    AudioManager::Engine* engine = g_liveEngine;
    return engine ? engine->generation : 0;
}

}  // namespace audio_detail

AudioManager& AudioManager::GetInstance() {
    static AudioManager instance;
    return instance;
}

AudioManager::~AudioManager() {
    Release();
}

namespace {
bool StartEngine(std::unique_ptr<AudioManager::Engine>& slot, std::unique_ptr<AudioManager::Engine> engine,
                 AudioListener& listener, float listenerGain) {
    if (!engine) return false;
    if (!alcMakeContextCurrent(engine->context)) {
        DestroyEngine(engine.get());
        return false;
    }
    engine->generation = ++g_nextGeneration;
    alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
    alListenerf(AL_GAIN, listenerGain);
    listener = AudioListener{};
    listener.front = Vector3(0, 0, 1);
    engine->lastRender = std::chrono::steady_clock::now();
    slot = std::move(engine);
    g_liveEngine = slot.get();
    return true;
}
}  // namespace

bool AudioManager::Init() {
    Release();
    if (StartEngine(engine_, OpenDefault(), listener, GetListenerGain())) return true;
    // No output device: run on a silent device so the game still starts,
    // with every sound playing its course unheard.
    auto silent = OpenLoopback(44100);
    if (silent) silent->renderByClock = true;
    if (StartEngine(engine_, std::move(silent), listener, GetListenerGain())) {
        std::fprintf(stderr, "audio: no output device, sound is silent\n");
        return true;
    }
    return false;
}

bool AudioManager::InitLoopback(int sampleRate) {
    Release();
    if (sampleRate <= 0) return false;
    return StartEngine(engine_, OpenLoopback(sampleRate), listener, GetListenerGain());
}

bool AudioManager::IsLoopback() const {
    return engine_ && engine_->loopback;
}

int AudioManager::MaxVoices() const {
    if (!engine_) return 0;
    ALCint mono = 0, stereo = 0;
    alcGetIntegerv(engine_->device, ALC_MONO_SOURCES, 1, &mono);
    alcGetIntegerv(engine_->device, ALC_STEREO_SOURCES, 1, &stereo);
    return mono + stereo;
}

void AudioManager::SetVolumes(float master, float effects, bool mute) {
    const auto gain = [](float v) { return v >= 0.0f ? v : 0.0f; };  // NaN too
    master_ = gain(master);
    mute_ = mute;
    const bool effectsChanged = gain(effects) != effects_;
    effects_ = gain(effects);
    if (!engine_) return;
    alListenerf(AL_GAIN, GetListenerGain());
    // Voices already playing take the new effects volume at once.
    if (effectsChanged)
        for (VeSoundInstance* voice : engine_->voices) voice->ApplyGain();
}

void AudioManager::Update() {
    if (!engine_) return;
    if (engine_->renderByClock) {
        auto now = std::chrono::steady_clock::now();
        double seconds = std::chrono::duration<double>(now - engine_->lastRender).count();
        engine_->lastRender = now;
        seconds = std::min(seconds, kMaxClockRenderSeconds);
        int frames = static_cast<int>(seconds * engine_->sampleRate);
        if (frames > 0) {
            engine_->scratch.resize(static_cast<size_t>(frames) * 2);
            engine_->renderSamples(engine_->device, engine_->scratch.data(), frames);
        }
    }
    // Walk in key order; erasing drops the set's reference, and the
    // instance goes away unless someone else still holds it.
    for (auto it = keepAlive_.begin(); it != keepAlive_.end();) {
        if (it->second && (it->second->IsPlaying() || engine_->paused.count(it->first) != 0))
            ++it;
        else
            it = keepAlive_.erase(it);
    }
}

void AudioManager::PauseAll() {
    if (!engine_) return;
    for (VeSoundInstance* voice : engine_->voices) {
        if (!voice->IsPlaying()) continue;
        alSourcePause(voice->source_);
        engine_->paused.insert(voice);
    }
}

void AudioManager::ResumeAll() {
    if (!engine_) return;
    for (VeSoundInstance* voice : engine_->paused) {
        ALint state = AL_STOPPED;
        alGetSourcei(voice->source_, AL_SOURCE_STATE, &state);
        if (state == AL_PAUSED) alSourcePlay(voice->source_);
    }
    engine_->paused.clear();
}

void AudioManager::StopPaused() {
    if (!engine_) return;
    for (VeSoundInstance* voice : engine_->paused) alSourceStop(voice->source_);
    engine_->paused.clear();
}

size_t AudioManager::PausedCount() const { return engine_ ? engine_->paused.size() : 0; }

void AudioManager::Release() {
    keepAlive_.clear();
    if (engine_) {
        g_liveEngine = nullptr;
        DestroyEngine(engine_.get());
        engine_.reset();
    }
}

void AudioManager::KeepAlive(const std::shared_ptr<VeSoundInstance>& instance) {
    if (!instance) return;
    keepAlive_.emplace(instance.get(), instance);
}

bool AudioManager::RenderSamples(short* interleavedStereo, int frames) {
    if (!engine_ || !engine_->loopback || !interleavedStereo || frames < 0) return false;
    if (frames > 0) engine_->renderSamples(engine_->device, interleavedStereo, frames);
    return true;
}
