// The audio service on OpenAL Soft's loopback device (no sound card needed),
// for the tests that need the game's sounds to have voices.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "Framework/Audio/Audio.h"
#include "Framework/ResourceCache.h"

namespace testaudio {

// Opens the loopback engine. The cache is emptied first: sounds asked for
// without an engine stay cached as empty.
inline bool StartLoopback() {
    AudioManager::GetInstance().Release();
    const bool started = AudioManager::GetInstance().InitLoopback(44100);
    ResourceCache::GetInstance().Clear();
    return started;
}

inline void StopLoopback() {
    ResourceCache::GetInstance().Clear();
    AudioManager::GetInstance().Release();
}

// One of the game's sound files loads. They are built with the game data,
// so a missing or unreadable one is a fault, not a reason to skip.
inline ::testing::AssertionResult GameSoundLoads(const std::string& path) {
    if (!AudioManager::GetInstance().IsRunning()) return ::testing::AssertionFailure() << "no audio engine";
    if (!ResourceCache::GetInstance().GetSoundEffect(path)->IsLoaded())
        return ::testing::AssertionFailure() << path << " does not load (the build writes it into Data/)";
    return ::testing::AssertionSuccess();
}

}  // namespace testaudio
