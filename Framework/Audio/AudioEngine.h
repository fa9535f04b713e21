// The OpenAL side of the audio services, shared by the manager, the sound
// effects and the sound instances. Only Framework/Audio includes this.
#pragma once

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <chrono>
#include <unordered_set>
#include <vector>

#include "Framework/Audio/Audio.h"

struct AudioManager::Engine {
    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
    // A loopback device mixes only when asked to render.
    bool loopback = false;
    // A loopback device standing in for a missing output device: Update
    // renders the elapsed time into a scratch buffer so sounds still run
    // their course (and end) in real time, silently.
    bool renderByClock = false;
    int sampleRate = 44100;
    // Counts engines over the process; objects remember the one they were
    // made in so handles never outlive their context.
    unsigned long generation = 0;
    LPALCRENDERSAMPLESSOFT renderSamples = nullptr;
    std::chrono::steady_clock::time_point lastRender;
    std::vector<short> scratch;
    // Every voice alive in this engine, so a change of the effects volume
    // reaches the ones already playing.
    std::unordered_set<VeSoundInstance*> voices;
    // The voices PauseAll held, for ResumeAll.
    std::unordered_set<VeSoundInstance*> paused;
};

namespace audio_detail {
// The running engine if it is the one of the given generation, else null.
AudioManager::Engine* EngineOf(unsigned long generation);
// Generation of the running engine, 0 when there is none.
unsigned long CurrentGeneration();
}  // namespace audio_detail
