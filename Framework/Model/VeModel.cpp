// VeModel: the drawable model built from a loaded glTF file: materials with
// their textures, and one node record per file node with its local matrix
// and, for mesh nodes, a VeMesh.
#include "Framework/Model/VeModel.h"

#include "Framework/Graphics/GraphicsDevice.h"

#include <map>
#include <string>
#include <utility>

namespace {

std::shared_ptr<VeTexture> WhiteTexture() {
    std::shared_ptr<VeTexture> white = GraphicsDevice::GetInstance().GetWhiteTexture();
    // Without a device there is no white texture; an empty one draws as nothing.
    return white ? white : std::make_shared<VeTexture>();
}

// The textures of one model, decoded from the image files the loader read
// while parsing: each file once, shared by every material slot that names
// it. A file that was not read or does not decode gives no texture.
class ModelTextures {
public:
    ModelTextures(const VeGLTFModel& gltf, std::string directory)
        : gltf_(gltf), directory_(std::move(directory)) {}

    std::shared_ptr<VeTexture> Get(const std::string& uri) {
        if (uri.empty()) return nullptr;
        auto known = decoded_.find(uri);
        if (known != decoded_.end()) return known->second;
        std::shared_ptr<VeTexture> texture;
        auto file = gltf_.imageFiles.find(uri);
        if (file != gltf_.imageFiles.end()) {
            texture = std::make_shared<VeTexture>();
            if (!texture->LoadFromMemory(file->second.data(), file->second.size(), directory_ + uri))
                texture.reset();
        }
        decoded_.emplace(uri, texture);
        return texture;
    }

    std::shared_ptr<VeTexture> GetOrWhite(const std::string& uri) {
        std::shared_ptr<VeTexture> t = Get(uri);
        return t ? t : WhiteTexture();
    }

private:
    const VeGLTFModel& gltf_;
    std::string directory_;
    std::map<std::string, std::shared_ptr<VeTexture>> decoded_;
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
            node.mesh->Create(src->vertices, src->triangles, src->subsets);
        }
        nodes.push_back(std::move(node));
    }
    for (const auto& root : gltf->rootNodes) rootNodes.push_back(nodes[size_t(root->index)]);
    return true;
}
