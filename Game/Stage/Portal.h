// The zombie generator's core: eight lights around it, eight holes on a ring
// that send out zombies in waves. Each hit damages the light nearest to the
// hit point; when the last light dies the core dies and the game is won.
#pragma once

#include <memory>
#include <vector>

#include "Game/Object/Object.h"

class GameWorld;
class PortalLight;
class PortalHole;
class VeSoundInstance;

class Portal : public Object {
public:
    explicit Portal(GameWorld* world);
    ~Portal() override;

    void Update() override;
    void Damage(int amount, const Vector3& hitPosition) override;

    // Builder: light i belongs with hole i.
    void AddHole(PortalHole* hole);
    void AddLight(PortalLight* light);

    bool IsAlive() const { return alive_; }
    int GetHealthSum() const { return healthSum_; }
    int GetHealthMaxSum() const { return healthMaxSum_; }
    // Number of lights still alive.
    int CountLitLights() const;
    const std::vector<PortalLight*>& GetLights() const { return lights_; }
    const std::vector<PortalHole*>& GetHoles() const { return holes_; }
    int GetSpawnTimer() const { return spawnTimer_; }
    float GetExplosionVolume() const { return explosionVolume_; }
    const std::shared_ptr<VeSoundInstance>& GetExplosionSound() const { return explosionSound_; }

private:
    int healthSum_ = 0;
    int healthMaxSum_ = 0;
    bool alive_ = true;
    int spawnInterval_ = 420;
    int spawnTimer_ = 420;
    int wakeCount_ = 4;
    std::vector<PortalLight*> lights_;
    std::vector<PortalHole*> holes_;
    std::shared_ptr<VeSoundInstance> explosionSound_;
    float explosionVolume_ = 2.0f;
    float explosionFade_ = -0.005f;
    GameWorld* world_ = nullptr;
};
