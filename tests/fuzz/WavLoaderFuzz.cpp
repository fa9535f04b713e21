// libFuzzer entry for the WAV loader: any bytes must give a loaded sound with
// a sane format or an unloaded one, never a crash. The audio engine runs on
// the loopback device, so decoding, conversion and the OpenAL buffer upload
// all run as in the game; a loaded stereo sound also makes its mono copy.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "Framework/Audio/Audio.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (!AudioManager::GetInstance().InitLoopback(44100)) {
        std::fprintf(stderr, "wav fuzzer: no OpenAL loopback device\n");
        __builtin_trap();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto effect = std::make_shared<VeSoundEffect>();
    const bool ok = effect->LoadFromMemory(data, size, "fuzz.wav");
    if (ok != effect->IsLoaded()) __builtin_trap();
    if (ok) {
        if (effect->GetChannels() != 1 && effect->GetChannels() != 2) __builtin_trap();
        if (effect->GetSampleRate() <= 0 || !(effect->GetDurationSeconds() > 0.0f)) __builtin_trap();
        if (effect->GetMonoBuffer() == 0) __builtin_trap();
    }
    return 0;
}
