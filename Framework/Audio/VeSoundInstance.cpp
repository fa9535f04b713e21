// One playable voice (one OpenAL source) of a loaded sound. Plain voices
// play at the listener; 3D voices are placed against the listener, with the
// game's left-handed coordinates turned into OpenAL's right-handed ones by
// negating z.
#include "Framework/Audio/AudioEngine.h"

namespace {

// OpenAL clamps a source's gain to its AL_MAX_GAIN, 1 unless raised: the
// volumes above 1 that the game asks for (the generator's explosion starts
// at 2) are let through up to this ceiling.
constexpr float kMaxVolume = 16.0f;

void ToAl(const Vector3& v, ALfloat out[3]) {
    out[0] = v.x;
    out[1] = v.y;
    out[2] = -v.z;
}

void ApplyListener(const AudioListener& listener) {
    ALfloat position[3], velocity[3], orientation[6];
    ToAl(listener.position, position);
    ToAl(listener.velocity, velocity);
    ToAl(listener.front, orientation);
    ToAl(listener.top, orientation + 3);
    alListenerfv(AL_POSITION, position);
    alListenerfv(AL_VELOCITY, velocity);
    alListenerfv(AL_ORIENTATION, orientation);
}

}  // namespace

VeSoundInstance::VeSoundInstance(std::shared_ptr<VeSoundEffect> source, bool use3D)
    : effect_(std::move(source)), use3D_(use3D) {
    const unsigned long generation = audio_detail::CurrentGeneration();
    if (!generation || !effect_) return;
    // A 3D voice needs a mono buffer: OpenAL places only mono sounds.
    ALuint buffer = use3D_ ? effect_->GetMonoBuffer() : effect_->GetBuffer();
    if (!buffer) return;
    alGetError();
    ALuint id = 0;
    alGenSources(1, &id);
    if (alGetError() != AL_NO_ERROR || id == 0) return;  // out of voices: a silent instance
    source_ = id;
    generation_ = generation;
    audio_detail::EngineOf(generation)->voices.insert(this);
    alSourcei(id, AL_BUFFER, static_cast<ALint>(buffer));
    alSourcef(id, AL_MAX_GAIN, kMaxVolume);
    ApplyGain();
    if (use3D_) {
        alSourcei(id, AL_SOURCE_RELATIVE, AL_FALSE);
        alSourcef(id, AL_ROLLOFF_FACTOR, 1.0f);
        alSourcef(id, AL_REFERENCE_DISTANCE, emitter_.curveDistanceScaler);
        Apply3D();
    } else {
        // At the listener, unattenuated.
        const ALfloat zero[3] = {0, 0, 0};
        alSourcei(id, AL_SOURCE_RELATIVE, AL_TRUE);
        alSourcefv(id, AL_POSITION, zero);
        alSourcefv(id, AL_VELOCITY, zero);
        alSourcef(id, AL_ROLLOFF_FACTOR, 0.0f);
    }
}

VeSoundInstance::~VeSoundInstance() {
    AudioManager::Engine* engine = source_ ? audio_detail::EngineOf(generation_) : nullptr;
    if (!engine) return;
    engine->voices.erase(this);
    engine->paused.erase(this);
    alSourceStop(source_);
    alDeleteSources(1, &source_);
}

void VeSoundInstance::Play(bool loop, bool keepAlive) {
    AudioManager::Engine* engine = source_ ? audio_detail::EngineOf(generation_) : nullptr;
    if (!engine) return;
    engine->paused.erase(this);
    alSourceStop(source_);
    alSourceRewind(source_);
    alSourcei(source_, AL_LOOPING, loop ? AL_TRUE : AL_FALSE);
    ApplyGain();
    alSourcePlay(source_);
    if (keepAlive) AudioManager::GetInstance().KeepAlive(shared_from_this());
}

void VeSoundInstance::Play3D(const Vector3& position, bool loop, bool keepAlive) {
    AudioManager::Engine* engine = source_ ? audio_detail::EngineOf(generation_) : nullptr;
    if (!engine) return;
    engine->paused.erase(this);
    alSourceStop(source_);
    alSourceRewind(source_);
    volume_ = 1.0f;
    ApplyGain();
    alSourcei(source_, AL_LOOPING, loop ? AL_TRUE : AL_FALSE);
    // Placed before it starts, so the first mixed samples are already in
    // the right spot.
    emitter_.position = position;
    Apply3D();
    alSourcePlay(source_);
    if (keepAlive) AudioManager::GetInstance().KeepAlive(shared_from_this());
}

void VeSoundInstance::Stop() {
    AudioManager::Engine* engine = source_ ? audio_detail::EngineOf(generation_) : nullptr;
    if (!engine) return;
    engine->paused.erase(this);
    alSourceStop(source_);
}

void VeSoundInstance::SetVolume(float volume) {
    if (!source_ || !audio_detail::EngineOf(generation_)) return;
    if (!(volume >= 0.0f)) volume = 0.0f;  // negative or NaN: silent
    volume_ = volume;
    ApplyGain();
}

void VeSoundInstance::ApplyGain() {
    if (!source_ || !audio_detail::EngineOf(generation_)) return;
    alSourcef(source_, AL_GAIN, volume_ * AudioManager::GetInstance().GetEffectsVolume());
}

void VeSoundInstance::SetPosition(const Vector3& position) {
    if (!source_) return;
    emitter_.position = position;
    Apply3D();
}

void VeSoundInstance::SetCurveDistanceScaler(float scale) {
    if (!source_) return;
    emitter_.curveDistanceScaler = scale;
    Apply3D();
}

void VeSoundInstance::Apply3D() {
    if (!source_ || !audio_detail::EngineOf(generation_)) return;
    // A plain voice stays at the listener.
    if (!use3D_) return;
    ApplyListener(AudioManager::GetInstance().listener);
    ALfloat position[3], velocity[3];
    ToAl(emitter_.position, position);
    ToAl(emitter_.velocity, velocity);
    alSourcefv(source_, AL_POSITION, position);
    alSourcefv(source_, AL_VELOCITY, velocity);
    // The inverse distance curve is full volume up to the scale and falls
    // as scale / distance beyond it. A scale that is not positive would be
    // rejected by OpenAL; keep the smallest usable one instead.
    float scale = emitter_.curveDistanceScaler;
    if (!(scale > 0.0f)) scale = 1e-4f;
    alSourcef(source_, AL_REFERENCE_DISTANCE, scale);
}

bool VeSoundInstance::IsPlaying() const {
    if (!source_ || !audio_detail::EngineOf(generation_)) return false;
    ALint state = AL_STOPPED;
    alGetSourcei(source_, AL_SOURCE_STATE, &state);
    return state == AL_PLAYING;
}
