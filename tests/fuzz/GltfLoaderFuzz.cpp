// libFuzzer entry for the glTF loader: any bytes must give a model or an
// empty one, never a crash or an out-of-range read. Two forms of input:
//
// - One file's bytes: loaded from memory with no base directory, so external
//   files are refused. Inputs starting with the binary magic go to the GLB
//   reader, everything else to the JSON reader.
// - A model with its external files, as the game loads them from Data/: the
//   model's bytes, then those of "buffer.bin", then those of "texture.png",
//   separated by kPartSeparator. The parts are written into a private folder
//   (a part left out means its file is missing) and the model is loaded from
//   there by VeModel::Load: the file reader, the external buffer and image
//   reads (confined to that folder, the model's data root), and the
//   textures decoded from the files, data URIs and buffer views the
//   materials name.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "Framework/Model/VeModel.h"

namespace {

constexpr char kPartSeparator[] = "\n#morvane-fuzz-file#\n";
constexpr size_t kSeparatorLength = sizeof(kPartSeparator) - 1;
const char* const kPartNames[] = {nullptr, "buffer.bin", "texture.png"};

std::string g_folder;  // the private folder of the file form

void RemoveFiles() {
    for (const char* name : {"model.gltf", "model.glb", "buffer.bin", "texture.png"})
        std::remove((g_folder + "/" + name).c_str());
}

void RemoveFolder() {
    RemoveFiles();
    rmdir(g_folder.c_str());
}

bool WriteFile(const std::string& path, const uint8_t* data, size_t size) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

// Every index in range and every triangle in exactly one subset.
void CheckConverted(const VeGLTFModel& model) {
    for (const auto& node : model.allNodes) {
        for (const VeTriangle& t : node->triangles)
            if (t.i0 >= node->vertices.size() || t.i1 >= node->vertices.size() || t.i2 >= node->vertices.size())
                __builtin_trap();
        uint64_t covered = 0;
        for (const VeSubset& s : node->subsets) covered += s.triangleCount;
        if (covered != node->triangles.size()) __builtin_trap();
    }
    if (model.materials.empty()) __builtin_trap();
}

void CheckTexture(const std::shared_ptr<VeTexture>& t) {
    if (t && t->IsValid() && static_cast<long long>(t->GetWidth()) * t->GetHeight() >
                                 static_cast<long long>(kMaxPictureSide) * kMaxPictureSide)
        __builtin_trap();
}

void LoadFromFiles(const uint8_t* data, size_t size) {
    // Split into the model and its external files.
    const uint8_t* parts[3] = {};
    size_t lengths[3] = {};
    size_t count = 0, start = 0;
    for (size_t i = 0; count < 2 && i + kSeparatorLength <= size;) {
        if (std::memcmp(data + i, kPartSeparator, kSeparatorLength) == 0) {
            parts[count] = data + start;
            lengths[count++] = i - start;
            i += kSeparatorLength;
            start = i;
        } else {
            ++i;
        }
    }
    parts[count] = data + start;
    lengths[count++] = size - start;

    const bool binary = lengths[0] >= 4 && std::memcmp(parts[0], "glTF", 4) == 0;
    const std::string model = g_folder + (binary ? "/model.glb" : "/model.gltf");
    RemoveFiles();
    if (!WriteFile(model, parts[0], lengths[0])) __builtin_trap();
    for (size_t p = 1; p < count; ++p)
        if (!WriteFile(g_folder + "/" + kPartNames[p], parts[p], lengths[p])) __builtin_trap();

    VeModel loaded;
    if (!loaded.Load(model)) {
        if (!loaded.nodes.empty() || !loaded.materials.empty()) __builtin_trap();
        return;
    }
    if (loaded.materials.empty()) __builtin_trap();
    // Every texture that did not load says which picture and why.
    for (const VeTextureProblem& p : loaded.textureProblems)
        if (p.image.empty() || p.reason.empty()) __builtin_trap();
    for (const VeModelMaterial& m : loaded.materials) {
        CheckTexture(m.baseColorTexture);
        CheckTexture(m.metallicRoughnessTexture);
        CheckTexture(m.emissiveTexture);
        CheckTexture(m.normalTexture);
    }
    for (const VeModelNode& node : loaded.nodes) {
        if (!node.mesh) continue;
        const size_t vertices = node.mesh->GetPositions().size();
        for (const VeTriangle& t : node.mesh->GetTriangles())
            if (t.i0 >= vertices || t.i1 >= vertices || t.i2 >= vertices) __builtin_trap();
    }
    for (const VeModelNode& root : loaded.rootNodes)
        if (root.index < 0 || static_cast<size_t>(root.index) >= loaded.nodes.size()) __builtin_trap();
}

bool HasSeparator(const uint8_t* data, size_t size) {
    return size >= kSeparatorLength &&
           memmem(data, size, kPartSeparator, kSeparatorLength) != nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The loader prints its messages to stdout; keep the fuzzer's log readable.
    if (!std::freopen("/dev/null", "w", stdout)) return 0;
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/morvane_fuzz_gltf.XXXXXX";
    if (!mkdtemp(pattern.data())) {
        std::fprintf(stderr, "gltf fuzzer: cannot make a folder for the file form\n");
        __builtin_trap();
    }
    g_folder = pattern;
    std::atexit(RemoveFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (HasSeparator(data, size)) {
        LoadFromFiles(data, size);
        return 0;
    }
    const bool binary = size >= 4 && std::memcmp(data, "glTF", 4) == 0;
    auto model = VeLoadGLTFModelFromMemory(data, size, binary, "");
    if (model) CheckConverted(*model);
    return 0;
}
