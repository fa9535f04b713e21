// Audio services over OpenAL Soft: the engine (device and context), the one
// listener of the game, loaded sounds (VeSoundEffect, one buffer per WAV
// file) and playable voices (VeSoundInstance, one source each), plain or
// positioned in 3D against the listener in the game's left-handed space.
// With no engine every operation is silent and creation gives empty pointers.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Framework/Math/SimpleMath.h"

class VeSoundInstance;
struct SDL_RWops;

struct AudioListener {
    Vector3 front{0, 0, 1};
    Vector3 top{0, 1, 0};
    Vector3 position{0, 0, 0};
    Vector3 velocity{0, 0, 0};
};

struct AudioEmitter {
    Vector3 front{0, 0, -1};
    Vector3 top{0, 1, 0};
    Vector3 position{0, 0, 0};
    Vector3 velocity{0, 0, 0};
    float innerRadius = 0.0f;
    float innerRadiusAngle = 0.7853982f;
    int channelCount = 1;
    float channelRadius = 1.0f;
    float curveDistanceScaler = 1.0f;
    float dopplerScaler = 1.0f;
};

class AudioManager {
public:
    static AudioManager& GetInstance();

    // Opens the default output device, or, when there is none, a silent one
    // (the loopback device rendering into nothing), so the game always runs.
    // False only when OpenAL cannot make any device.
    bool Init();
    // Opens the loopback device only (tests render the mix into memory with
    // RenderSamples). Stereo 16-bit at the given rate.
    bool InitLoopback(int sampleRate = 44100);
    void Update();
    void Release();
    bool IsRunning() const { return engine_ != nullptr; }
    bool IsLoopback() const;

    // Holds the instance until the first Update that finds it not playing.
    void KeepAlive(const std::shared_ptr<VeSoundInstance>& instance);
    size_t KeepAliveCount() const { return keepAlive_.size(); }

    // Loopback only: renders frames of interleaved stereo 16-bit samples.
    bool RenderSamples(short* interleavedStereo, int frames);
    // Sources the context grants (mono + stereo); 0 without an engine.
    int MaxVoices() const;

    // The player's volume: master and mute act on the listener, the effects
    // volume on every voice, on top of the voice's own volume. Gains are
    // 0..1 (1 = as recorded; negative or NaN is silent). Kept across engine
    // restarts and may be set before Init.
    void SetVolumes(float master, float effects, bool mute);
    // What the listener plays at: 0 when muted, else the master volume.
    float GetListenerGain() const { return mute_ ? 0.0f : master_; }
    float GetEffectsVolume() const { return effects_; }

    // Holds every voice that is playing where it is (the game stands still
    // behind the options screen), and lets the held ones play on from there.
    // A voice that is played, stopped or destroyed meanwhile is no longer
    // held. Held one-shots stay in the keep-alive set.
    void PauseAll();
    void ResumeAll();
    // Stops the held ones instead (the game they belonged to is left); the
    // one-shots among them are then released as finished.
    void StopPaused();
    size_t PausedCount() const;

    AudioListener listener;

    struct Engine;
    Engine* GetEngine() const { return engine_.get(); }

private:
    AudioManager() = default;
    ~AudioManager();
    std::unique_ptr<Engine> engine_;
    std::map<VeSoundInstance*, std::shared_ptr<VeSoundInstance>> keepAlive_;
    float master_ = 1.0f;
    float effects_ = 1.0f;
    bool mute_ = false;
};

class VeSoundEffect : public std::enable_shared_from_this<VeSoundEffect> {
public:
    VeSoundEffect() = default;
    ~VeSoundEffect();
    // Reads a WAV file (PCM 8/16 bit, float, ADPCM; mono or stereo; a rate
    // up to 192 kHz). False without an engine, for a missing or corrupt file
    // and for a sound longer than three minutes at its own rate, which is
    // refused from its header before it is read; when problem is given, the
    // reason in a few words.
    bool Load(const std::string& path, std::string* problem = nullptr);
    // Reads a WAV image held in memory (same formats and limits);
    // pathForInfo is kept as the path. The bytes need not outlive the call;
    // under a later engine such a sound is read again from pathForInfo, if
    // that names a file.
    bool LoadFromMemory(const void* data, size_t size, const std::string& pathForInfo,
                        std::string* problem = nullptr);
    // Empty without an engine or when nothing is loaded.
    std::shared_ptr<VeSoundInstance> CreateInstance(bool use3D);

    bool IsLoaded() const { return buffer_ != 0; }
    int GetChannels() const { return channels_; }
    int GetSampleRate() const { return sampleRate_; }
    float GetDurationSeconds() const { return duration_; }
    const std::string& GetPath() const { return path_; }
    unsigned GetBuffer() const { return buffer_; }
    // A mono copy of the buffer for 3D voices (made on demand).
    unsigned GetMonoBuffer();

private:
    // Decodes the stream (always closed) into a new buffer.
    bool LoadFrom(SDL_RWops* source, const std::string& path, std::string* problem);

    unsigned buffer_ = 0;
    unsigned monoBuffer_ = 0;
    int channels_ = 0;
    int sampleRate_ = 0;
    float duration_ = 0.0f;
    std::string path_;
    std::shared_ptr<std::vector<short>> samples_;
    // Engine the buffers were made in; stale handles of an earlier engine
    // are never passed to a later one.
    unsigned long generation_ = 0;
};

class VeSoundInstance : public std::enable_shared_from_this<VeSoundInstance> {
public:
    VeSoundInstance(std::shared_ptr<VeSoundEffect> source, bool use3D);
    ~VeSoundInstance();
    VeSoundInstance(const VeSoundInstance&) = delete;
    VeSoundInstance& operator=(const VeSoundInstance&) = delete;

    void Play(bool loop, bool keepAlive);
    void Play3D(const Vector3& position, bool loop, bool keepAlive);
    void Stop();
    void SetVolume(float volume);
    float GetVolume() const { return volume_; }
    void SetPosition(const Vector3& position);
    void SetCurveDistanceScaler(float scale);
    void Apply3D();
    bool IsPlaying() const;

    bool Is3D() const { return use3D_; }
    bool HasVoice() const { return source_ != 0; }
    // The OpenAL source behind the voice, 0 without one.
    unsigned GetSource() const { return source_; }
    const AudioEmitter& GetEmitter() const { return emitter_; }

private:
    friend class AudioManager;
    // Hands the voice's volume times the effects volume to OpenAL.
    void ApplyGain();

    unsigned source_ = 0;  // OpenAL source, 0 when creation failed
    std::shared_ptr<VeSoundEffect> effect_;
    AudioEmitter emitter_;
    bool use3D_ = false;
    float volume_ = 1.0f;
    unsigned long generation_ = 0;  // engine the source was made in
};
