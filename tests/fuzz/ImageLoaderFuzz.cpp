// libFuzzer entry for the image loader: any bytes must give a texture within
// the pixel budget or an empty one, never a crash or an out-of-range read. Runs
// without a graphics device, so only decoding and the size checks run.
#include <cstddef>
#include <cstdint>

#include "Framework/Graphics/VeTexture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    VeTexture texture;
    const bool ok = texture.LoadFromMemory(data, size, "fuzz");
    if (ok) {
        if (!texture.IsValid() || !texture.HasShaderResource()) __builtin_trap();
        // Never more pixels than a picture may have.
        if (static_cast<long long>(texture.GetWidth()) * texture.GetHeight() >
            static_cast<long long>(kMaxPictureSide) * kMaxPictureSide)
            __builtin_trap();
        if (texture.GetPath() != "fuzz") __builtin_trap();
    } else if (texture.IsValid()) {
        // A refused image leaves no description behind.
        __builtin_trap();
    }
    return 0;
}
