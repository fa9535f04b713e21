// VeModel: the drawable model built from a loaded glTF file: materials with
// their textures, and one node record per file node with its local matrix
// and, for mesh nodes, a VeMesh.
#include "Framework/Model/VeModel.h"

#include "Framework/Graphics/GraphicsDevice.h"

namespace {

std::shared_ptr<VeTexture> WhiteTexture() {
    std::shared_ptr<VeTexture> white = GraphicsDevice::GetInstance().GetWhiteTexture();
    // Without a device there is no white texture; an empty one draws as nothing.
    return white ? white : std::make_shared<VeTexture>();
}

// Loads directory + uri; null when the path is empty or the file unreadable.
std::shared_ptr<VeTexture> LoadTexture(const std::string& directory, const std::string& uri) {
    if (uri.empty()) return nullptr;
    auto texture = std::make_shared<VeTexture>();
    if (!texture->LoadFromFile(directory + uri)) return nullptr;
    return texture;
}

std::shared_ptr<VeTexture> LoadTextureOrWhite(const std::string& directory, const std::string& uri) {
    std::shared_ptr<VeTexture> t = LoadTexture(directory, uri);
    return t ? t : WhiteTexture();
}

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

    materials.reserve(gltf->materials.size());
    for (const VeGLTFMaterial& src : gltf->materials) {
        VeModelMaterial mat;
        mat.name = src.name;
        for (int i = 0; i < 4; ++i) mat.baseColorFactor[i] = src.baseColorFactor[i];
        mat.baseColorTexture = LoadTextureOrWhite(directory, src.baseColorTexture);
        mat.metallicFactor = src.metallicFactor;
        mat.roughnessFactor = src.roughnessFactor;
        mat.metallicRoughnessTexture = LoadTextureOrWhite(directory, src.metallicRoughnessTexture);
        for (int i = 0; i < 3; ++i) mat.emissiveFactor[i] = src.emissiveFactor[i];
        mat.emissiveTexture = LoadTextureOrWhite(directory, src.emissiveTexture);
        mat.normalTexture = LoadTexture(directory, src.normalTexture);
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
