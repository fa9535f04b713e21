// libFuzzer entry for the glTF loader: any bytes must give a model or an
// empty pointer, never a crash or an out-of-range read. Inputs starting with
// the binary magic go to the GLB reader, everything else to the JSON reader.
// No base directory: external files are refused.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "Framework/Model/VeModel.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The loader prints its messages to stdout; keep the fuzzer's log readable.
    if (!std::freopen("/dev/null", "w", stdout)) return 0;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const bool binary = size >= 4 && std::memcmp(data, "glTF", 4) == 0;
    auto model = VeLoadGLTFModelFromMemory(data, size, binary, "");
    if (model) {
        // Touch the converted data so its invariants are exercised.
        for (const auto& node : model->allNodes) {
            for (const VeTriangle& t : node->triangles)
                if (t.i0 >= node->vertices.size() || t.i1 >= node->vertices.size() || t.i2 >= node->vertices.size())
                    __builtin_trap();
            uint64_t covered = 0;
            for (const VeSubset& s : node->subsets) covered += s.triangleCount;
            if (covered != node->triangles.size()) __builtin_trap();
        }
        if (model->materials.empty()) __builtin_trap();
    }
    return 0;
}
