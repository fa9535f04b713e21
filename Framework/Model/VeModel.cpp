// VeModel: the drawable model built from a loaded glTF file: materials with
// their textures, and one node record per file node with its local matrix
// and, for mesh nodes, a VeMesh.
#include "Framework/Model/VeModel.h"

#include "Framework/Graphics/GraphicsDevice.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace {

std::shared_ptr<VeTexture> WhiteTexture() {
    std::shared_ptr<VeTexture> white = GraphicsDevice::GetInstance().GetWhiteTexture();
    // Without a device there is no white texture; an empty one draws as nothing.
    return white ? white : std::make_shared<VeTexture>();
}

// Model textures are shared by content: the level's floors ship the same
// wall and floor images, every zombie part the same clothes, and each such
// image is decoded and held once however many models name it. The key is
// the bytes' size and two independent hashes of them, so that two different
// pictures (another model's embedded one, say) never meet under one key.
// The entry lives as long as a model holds the texture.
struct ImageKey {
    size_t hash = 0;
    uint64_t check = 0;
    size_t size = 0;
    bool operator<(const ImageKey& o) const {
        if (hash != o.hash) return hash < o.hash;
        if (check != o.check) return check < o.check;
        return size < o.size;
    }
    bool operator==(const ImageKey& o) const { return hash == o.hash && check == o.check && size == o.size; }
};

ImageKey KeyOf(const std::vector<unsigned char>& bytes) {
    const std::string_view view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    // A multiply-xorshift hash over 8-byte words (the tail zero-padded),
    // unrelated to the library's string hash.
    uint64_t check = 0x9E3779B97F4A7C15ull;
    for (size_t i = 0; i < bytes.size(); i += 8) {
        uint64_t word = 0;
        std::memcpy(&word, bytes.data() + i, std::min<size_t>(8, bytes.size() - i));
        check = (check ^ word) * 0xFF51AFD7ED558CCDull;
        check ^= check >> 29;
    }
    return ImageKey{std::hash<std::string_view>{}(view), check, bytes.size()};
}

std::map<ImageKey, std::weak_ptr<VeTexture>>& SharedTextures() {
    static std::map<ImageKey, std::weak_ptr<VeTexture>> shared;
    return shared;
}

// A shared texture made for the device that is running now (one made
// without a device, or under an earlier one, has nothing to draw with).
std::shared_ptr<VeTexture> FindShared(const ImageKey& key) {
    auto& shared = SharedTextures();
    auto it = shared.find(key);
    if (it == shared.end()) return nullptr;
    std::shared_ptr<VeTexture> texture = it->second.lock();
    if (!texture) {
        shared.erase(it);
        return nullptr;
    }
    if (GraphicsDevice::GetInstance().IsReady() && !texture->HasImage()) return nullptr;
    return texture;
}

// The textures of one model, by image index: each image its materials show
// (an external file the loader read while parsing, a data URI or a picture
// packed in the file) decoded once, with the same readers and limits as
// every picture, and shared by every material slot that shows it. An image
// without bytes, or that does not decode, gives no texture and a problem.
// The images that no other model has loaded yet are decoded side by side on
// worker threads, then made into textures here.
class ModelTextures {
public:
    ModelTextures(const VeGLTFModel& gltf, const std::string& path, const std::string& directory) {
        std::vector<int> used;
        for (const VeGLTFMaterial& m : gltf.materials)
            for (int image : {m.baseColorImage, m.metallicRoughnessImage, m.emissiveImage, m.normalImage})
                if (image >= 0 && size_t(image) < gltf.images.size() && decoded_.emplace(image, nullptr).second)
                    used.push_back(image);
        std::sort(used.begin(), used.end());

        struct Pending {
            const VeGLTFImage* source;
            ImageKey key;
            DecodedImage image;
            std::string problem;
            bool ok = false;
        };
        std::vector<Pending> pending;
        std::vector<std::pair<int, ImageKey>> aliases;
        for (int index : used) {
            const VeGLTFImage& image = gltf.images[size_t(index)];
            if (image.bytes.empty()) {
                problems_.emplace_back(index, VeTextureProblem{image.name, image.problem});
                continue;
            }
            const ImageKey key = KeyOf(image.bytes);
            if (auto shared = FindShared(key)) {
                decoded_[index] = shared;
                continue;
            }
            // The same bytes under two images of one model decode once.
            bool same = false;
            for (const Pending& p : pending) same = same || p.key == key;
            if (same) {
                aliases.emplace_back(index, key);
                continue;
            }
            pending.push_back(Pending{&image, key, DecodedImage{}, std::string(), false});
        }

        DecodeAll(pending.size(), [&pending](size_t i) {
            Pending& p = pending[i];
            p.ok = VeTexture::Decode(p.source->bytes.data(), p.source->bytes.size(), p.image, &p.problem);
        });
        std::map<ImageKey, std::string> failed;
        for (Pending& p : pending) {
            const int index = static_cast<int>(p.source - gltf.images.data());
            auto texture = std::make_shared<VeTexture>();
            // An external file is known by its path, an embedded picture by
            // the model's and its own place in it.
            const std::string where = p.source->uri.empty() ? path + " " + p.source->name : directory + p.source->uri;
            if (!p.ok || !texture->Upload(p.image, where, &p.problem)) {
                failed[p.key] = p.problem;
                problems_.emplace_back(index, VeTextureProblem{p.source->name, p.problem});
                continue;
            }
            p.image = DecodedImage{};
            SharedTextures()[p.key] = texture;
            decoded_[index] = texture;
        }
        for (const auto& alias : aliases) {
            decoded_[alias.first] = FindShared(alias.second);
            if (!decoded_[alias.first])
                problems_.emplace_back(alias.first,
                                       VeTextureProblem{gltf.images[size_t(alias.first)].name, failed[alias.second]});
        }
        std::sort(problems_.begin(), problems_.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
    }

    std::shared_ptr<VeTexture> Get(int image) {
        auto known = decoded_.find(image);
        return known != decoded_.end() ? known->second : nullptr;
    }

    std::shared_ptr<VeTexture> GetOrWhite(int image) {
        std::shared_ptr<VeTexture> t = Get(image);
        return t ? t : WhiteTexture();
    }

    // In image order.
    std::vector<VeTextureProblem> TakeProblems() {
        std::vector<VeTextureProblem> out;
        for (auto& p : problems_) out.push_back(std::move(p.second));
        return out;
    }

private:
    // Runs work(0 .. count - 1) on up to as many threads as the machine has
    // cores (one image each at a time).
    template <typename Work>
    static void DecodeAll(size_t count, Work work) {
        const size_t threads = std::min<size_t>(count, std::max(1u, std::thread::hardware_concurrency()));
        if (threads <= 1) {
            for (size_t i = 0; i < count; ++i) work(i);
            return;
        }
        std::atomic<size_t> next{0};
        auto run = [&] {
            for (size_t i = next++; i < count; i = next++) work(i);
        };
        std::vector<std::thread> workers;
        for (size_t t = 1; t < threads; ++t) workers.emplace_back(run);
        run();
        for (std::thread& w : workers) w.join();
    }

    std::map<int, std::shared_ptr<VeTexture>> decoded_;
    std::vector<std::pair<int, VeTextureProblem>> problems_;
};

}  // namespace

void VeModel::Release() {
    textureProblems.clear();
    materials.clear();
    nodes.clear();
    rootNodes.clear();
}

bool VeModel::Load(const std::string& path) {
    Release();

    const size_t sep = path.find_last_of("/\\");
    // A bare file name lives in the working directory.
    const std::string directory = sep == std::string::npos ? std::string() : path.substr(0, sep) + "/";

    std::shared_ptr<VeGLTFModel> gltf = VeLoadGLTFModel(path);
    if (!gltf) return false;

    ModelTextures textures(*gltf, path, directory);
    textureProblems = textures.TakeProblems();
    materials.reserve(gltf->materials.size());
    for (const VeGLTFMaterial& src : gltf->materials) {
        VeModelMaterial mat;
        mat.name = src.name;
        for (int i = 0; i < 4; ++i) mat.baseColorFactor[i] = src.baseColorFactor[i];
        mat.baseColorTexture = textures.GetOrWhite(src.baseColorImage);
        mat.metallicFactor = src.metallicFactor;
        mat.roughnessFactor = src.roughnessFactor;
        mat.metallicRoughnessTexture = textures.GetOrWhite(src.metallicRoughnessImage);
        for (int i = 0; i < 3; ++i) mat.emissiveFactor[i] = src.emissiveFactor[i];
        mat.emissiveTexture = textures.GetOrWhite(src.emissiveImage);
        mat.normalTexture = textures.Get(src.normalImage);
        materials.push_back(std::move(mat));
    }

    nodes.reserve(gltf->allNodes.size());
    for (const auto& src : gltf->allNodes) {
        VeModelNode node;
        node.name = src->name;
        node.index = src->index;
        node.matrix = src->localMatrix;
        if (src->hasMesh) {
            node.mesh = std::make_shared<VeMesh>();
            // Subsets whose material may show what is behind them.
            std::vector<bool> seeThrough(src->subsets.size(), true);
            for (size_t s = 0; s < src->subsets.size(); ++s) {
                const int32_t m = src->subsets[s].materialIndex;
                if (m < 0 || static_cast<size_t>(m) >= materials.size()) continue;
                const VeModelMaterial& material = materials[static_cast<size_t>(m)];
                seeThrough[s] = material.baseColorFactor[3] != 1.0f || !material.baseColorTexture ||
                                !material.baseColorTexture->IsOpaque();
            }
            node.mesh->Create(src->vertices, src->triangles, src->subsets, seeThrough);
        }
        nodes.push_back(std::move(node));
    }
    for (const auto& root : gltf->rootNodes) rootNodes.push_back(nodes[size_t(root->index)]);
    return true;
}
