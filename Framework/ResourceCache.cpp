// ResourceCache: one loaded object per path string, kept for the whole run.
#include "Framework/ResourceCache.h"

#include "Framework/Audio/Audio.h"
#include "Framework/Collision/RayCaster.h"
#include "Framework/Graphics/VeTexture.h"
#include "Framework/Model/VeModel.h"

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
    model->Load(path);  // a failure stays cached as the empty model
    VeModel* result = model.get();
    models_.emplace(path, std::move(model));
    return result;
}

VeTexture* ResourceCache::GetTexture(const std::string& path) {
    auto it = textures_.find(path);
    if (it != textures_.end()) return it->second.get();
    auto texture = std::make_unique<VeTexture>();
    texture->LoadFromFile(path);  // a failure stays cached as the empty texture
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
        effect->Load(path);  // a failure stays cached; it makes no instances
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
