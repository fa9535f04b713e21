// VeModel: the drawable model built from a loaded glTF file: materials with
// their textures, and one node record per file node with its local matrix
// and, for mesh nodes, a VeMesh.
#include "Framework/Model/VeModel.h"

#include "Framework/Graphics/GraphicsDevice.h"

#include <algorithm>
#include <atomic>
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
// image is decoded and held once however many models name it. The entry
// lives as long as a model holds the texture.
struct ImageKey {
    size_t hash = 0;
    size_t size = 0;
    bool operator<(const ImageKey& o) const { return hash != o.hash ? hash < o.hash : size < o.size; }
};

ImageKey KeyOf(const std::vector<unsigned char>& bytes) {
    const std::string_view view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return ImageKey{std::hash<std::string_view>{}(view), bytes.size()};
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

// The textures of one model, decoded from the image files the loader read
// while parsing: each file once, shared by every material slot that names
// it. A file that was not read or does not decode gives no texture. The
// images that no other model has loaded yet are decoded side by side on
// worker threads, then made into textures here.
class ModelTextures {
public:
    ModelTextures(const VeGLTFModel& gltf, const std::string& directory) {
        std::vector<std::string> uris;
        for (const VeGLTFMaterial& m : gltf.materials)
            for (const std::string* uri :
                 {&m.baseColorTexture, &m.metallicRoughnessTexture, &m.emissiveTexture, &m.normalTexture})
                if (!uri->empty() && decoded_.emplace(*uri, nullptr).second) uris.push_back(*uri);

        struct Pending {
            const std::vector<unsigned char>* bytes;
            ImageKey key;
            std::string uri;
            DecodedImage image;
            bool ok = false;
        };
        std::vector<Pending> pending;
        for (const std::string& uri : uris) {
            auto file = gltf.imageFiles.find(uri);
            if (file == gltf.imageFiles.end()) continue;
            const ImageKey key = KeyOf(file->second);
            if (auto shared = FindShared(key)) {
                decoded_[uri] = shared;
                continue;
            }
            // The same bytes under two names in one model decode once.
            bool same = false;
            for (const Pending& p : pending) same = same || (p.key.hash == key.hash && p.key.size == key.size);
            if (same) {
                aliases_.emplace_back(uri, key);
                continue;
            }
            pending.push_back(Pending{&file->second, key, uri, DecodedImage{}, false});
        }

        DecodeAll(pending.size(), [&pending](size_t i) {
            Pending& p = pending[i];
            p.ok = VeTexture::Decode(p.bytes->data(), p.bytes->size(), p.image);
        });
        for (Pending& p : pending) {
            if (!p.ok) continue;
            auto texture = std::make_shared<VeTexture>();
            if (!texture->Upload(p.image, directory + p.uri)) continue;
            p.image = DecodedImage{};
            SharedTextures()[p.key] = texture;
            decoded_[p.uri] = texture;
        }
        for (const auto& alias : aliases_) decoded_[alias.first] = FindShared(alias.second);
    }

    std::shared_ptr<VeTexture> Get(const std::string& uri) {
        if (uri.empty()) return nullptr;
        auto known = decoded_.find(uri);
        return known != decoded_.end() ? known->second : nullptr;
    }

    std::shared_ptr<VeTexture> GetOrWhite(const std::string& uri) {
        std::shared_ptr<VeTexture> t = Get(uri);
        return t ? t : WhiteTexture();
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

    std::map<std::string, std::shared_ptr<VeTexture>> decoded_;
    std::vector<std::pair<std::string, ImageKey>> aliases_;
};

}  // namespace

void VeModel::Release() {
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

    ModelTextures textures(*gltf, directory);
    materials.reserve(gltf->materials.size());
    for (const VeGLTFMaterial& src : gltf->materials) {
        VeModelMaterial mat;
        mat.name = src.name;
        for (int i = 0; i < 4; ++i) mat.baseColorFactor[i] = src.baseColorFactor[i];
        mat.baseColorTexture = textures.GetOrWhite(src.baseColorTexture);
        mat.metallicFactor = src.metallicFactor;
        mat.roughnessFactor = src.roughnessFactor;
        mat.metallicRoughnessTexture = textures.GetOrWhite(src.metallicRoughnessTexture);
        for (int i = 0; i < 3; ++i) mat.emissiveFactor[i] = src.emissiveFactor[i];
        mat.emissiveTexture = textures.GetOrWhite(src.emissiveTexture);
        mat.normalTexture = textures.Get(src.normalTexture);
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
