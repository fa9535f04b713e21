// The Data/ tree generator: every model, texture and sound the game reads,
// written deterministically (the same bytes on every run) under an output
// folder. Each area writes its own files; main() runs them in order.
#pragma once

#include <string>

#include "Game/AssetPaths.h"

namespace datagen {

// Each returns false (after printing the reason to standard error) when a
// file could not be written. outDir is the Data folder itself.
bool WriteProps(const std::string& outDir);     // props, characters, furniture, generator, title/result rooms
bool WriteLevel(const std::string& outDir);     // MAP/map1, map_s, map2, map3 (drawing and ray models)
bool WriteTextures(const std::string& outDir);  // HUD and effect textures directly under Data/
bool WriteSounds(const std::string& outDir);    // Data/Sound/*.wav

// Where one of the game's files (a path of Game/AssetPaths.h, which starts
// with the Data folder) is written: the same place under outDir.
inline std::string DataFile(const std::string& outDir, const char* assetPath) {
    return outDir + "/" + asset::InDataFolder(assetPath);
}

// Creates every missing folder of a file path.
bool EnsureParentDir(const std::string& filePath);

}  // namespace datagen
