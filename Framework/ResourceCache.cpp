// ResourceCache: one loaded object per path string, kept for the whole run.
#include "Framework/ResourceCache.h"

#include "Framework/Audio/Audio.h"
#include "Framework/Collision/RayCaster.h"
#include "Framework/Graphics/VeTexture.h"
#include "Framework/Model/VeModel.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace {

// True when the data folder a path lies in is missing: start-up has already
// said so once, and its files are passed over quietly.
bool DataFolderMissing(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path file(path);
    return file.has_parent_path() && !std::filesystem::exists(*file.begin(), ec);
}

// Says once per file (the cache tries each path once) why something is drawn
// blank or stays silent: the loader's reason when it gave one.
void WarnUnreadable(const char* what, const std::string& path, const std::string& reason = std::string()) {
    if (path.empty() || DataFolderMissing(path)) return;
    std::error_code ec;
    const bool exists = std::filesystem::exists(std::filesystem::path(path), ec);
    const std::string why = !exists ? "file missing" : !reason.empty() ? reason : "damaged or unsupported file";
    std::fprintf(stderr, "morvane: warning: cannot load %s %s (%s)\n", what, path.c_str(), why.c_str());
}

}  // namespace

ResourceCache& ResourceCache::GetInstance() {
    static ResourceCache instance;
    return instance;
}

ResourceCache::ResourceCache() : rayCaster_(std::make_unique<RayCaster>()) {}

ResourceCache::~ResourceCache() { Clear(); }

VeModel* ResourceCache::GetModel(const std::string& path) {
    auto it = models_.find(path);
    if (it != models_.end()) return it->second.get();
    auto model = std::make_unique<VeModel>();
    if (!model->Load(path)) WarnUnreadable("model", path);  // a failure stays cached as the empty model
    if (!DataFolderMissing(path))
        for (const VeTextureProblem& problem : model->textureProblems)
            std::fprintf(stderr, "morvane: warning: cannot load texture %s of model %s (%s); it is drawn white\n",
                         problem.image.c_str(), path.c_str(), problem.reason.c_str());
    VeModel* result = model.get();
    models_.emplace(path, std::move(model));
    return result;
}

VeModel* ResourceCache::GetModelIfDrawable(const std::string& path) {
    VeModel* model = GetModel(path);
    return model->nodes.empty() ? nullptr : model;
}

VeTexture* ResourceCache::GetTexture(const std::string& path) {
    auto it = textures_.find(path);
    if (it != textures_.end()) return it->second.get();
    auto texture = std::make_unique<VeTexture>();
    // A failure stays cached as the empty texture.
    std::string problem;
    if (!texture->LoadFromFile(path, &problem)) WarnUnreadable("texture", path, problem);
    VeTexture* result = texture.get();
    textures_.emplace(path, std::move(texture));
    return result;
}

RayCaster* ResourceCache::GetRayCaster() {
    if (!rayCaster_) rayCaster_ = std::make_unique<RayCaster>();
    return rayCaster_.get();
}

std::shared_ptr<VeSoundEffect> ResourceCache::GetSoundEffect(const std::string& path) {
    auto it = sounds_.find(path);
    if (it == sounds_.end()) {
        auto effect = std::make_shared<VeSoundEffect>();
        // A failure stays cached; it makes no instances. Without an audio
        // engine nothing loads, and nothing is wrong with the file.
        std::string problem;
        if (!effect->Load(path, &problem) && AudioManager::GetInstance().IsRunning())
            WarnUnreadable("sound", path, problem);
        it = sounds_.emplace(path, std::move(effect)).first;
    }
    return it->second;
}

std::shared_ptr<VeSoundInstance> ResourceCache::CreateSoundInstance(const std::string& path, bool use3D) {
    return GetSoundEffect(path)->CreateInstance(use3D);
}

void ResourceCache::Clear() {
    // Model contents first (meshes and material textures), then the textures,
    // then the sounds.
    for (auto& entry : models_)
        if (entry.second) entry.second->Release();
    models_.clear();
    for (auto& entry : textures_)
        if (entry.second) entry.second->Release();
    textures_.clear();
    sounds_.clear();
}
