// Loads each model, texture and sound once per run by its path (compared
// byte by byte) and hands the loaded object to every later caller. Failures
// stay cached as empty objects. Nothing is evicted.
#pragma once

#include <map>
#include <memory>
#include <string>

class VeModel;
class VeTexture;
class VeSoundEffect;
class VeSoundInstance;
class RayCaster;

class ResourceCache {
public:
    static ResourceCache& GetInstance();

    VeModel* GetModel(const std::string& path);        // never null
    // The model when it has something to draw; null when it did not load
    // (the failure is cached and reported once, as with GetModel).
    VeModel* GetModelIfDrawable(const std::string& path);
    VeTexture* GetTexture(const std::string& path);    // never null
    RayCaster* GetRayCaster();
    // A new instance each call; empty without an audio engine or when the
    // sound did not load.
    std::shared_ptr<VeSoundInstance> CreateSoundInstance(const std::string& path, bool use3D);
    // The loaded sound itself (loaded on first use like every entry), for
    // objects that make their own instances of it. Never null; a sound that
    // failed to load makes no instances.
    std::shared_ptr<VeSoundEffect> GetSoundEffect(const std::string& path);

    size_t ModelCount() const { return models_.size(); }
    size_t TextureCount() const { return textures_.size(); }
    size_t SoundCount() const { return sounds_.size(); }
    // Releases every entry (process exit, and tests that need a clean cache).
    void Clear();

private:
    ResourceCache();
    ~ResourceCache();
    std::map<std::string, std::unique_ptr<VeModel>> models_;
    std::map<std::string, std::unique_ptr<VeTexture>> textures_;
    std::map<std::string, std::shared_ptr<VeSoundEffect>> sounds_;
    std::unique_ptr<RayCaster> rayCaster_;
};
