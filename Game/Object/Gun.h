// The player's hand gun: held in the arm, fired with the left mouse button
// (automatic while held), reloaded with R. A shot is resolved by two ray
// queries; its damage is delivered by the bullet effect when it arrives.
#pragma once

#include <memory>

#include "Game/Object/Object.h"
#include "Game/Object/ObjectRef.h"

class GameWorld;
class VeSoundInstance;

class Gun : public Object {
public:
    explicit Gun(GameWorld* world);
    ~Gun() override;

    // How far the aim reaches when the view ray hits nothing.
    static constexpr float kAimRange = 1000.0f;

    // Freezes once the generator core is destroyed. Otherwise places the gun
    // in the hand, works out where the muzzle is, fires while the left
    // button is held (first at once, then every fireInterval frames; not
    // while reloading, nor while the click latch holds the click that
    // started the game), and runs a reload started with R.
    void Update() override;

    // Puts the gun into the player's hand, turned with the view: rotation
    // rows right, up and forward of the view direction, position the point
    // (0, -2.2, 0) of the arm part.
    void Place();
    // One shot (aiming ray, shot ray, effects, recoil, light, sound).
    void Fire();

    int GetMagazine() const { return magazine_; }
    // Loads the magazine directly (tests, and a level that starts armed).
    void SetMagazine(int rounds) { magazine_ = rounds; }
    int GetCooldown() const { return cooldown_; }
    float GetReloadProgress() const { return reloadProgress_; }
    // Empty-magazine clicks sounded since the gun was made.
    int GetDryFireCount() const { return dryFireCount_; }
    int GetMagazineSize() const { return magazineSize_; }
    bool IsReloading() const { return reloading_; }
    const Vector3& GetMuzzle() const { return muzzle_; }
    const Vector3& GetShotDirection() const { return shotDirection_; }
    float GetShotDistance() const { return shotDistance_; }
    const Vector3& GetHitNormal() const { return hitNormal_; }
    // What the last shot hit: null for a miss, or once that object is gone.
    Object* GetHitObject() const { return hitObject_.Get(); }
    int GetHitDamage() const { return hitDamage_; }
    GameWorld* GetWorld() const { return world_; }

private:
    GameWorld* world_ = nullptr;
    Vector3 muzzle_{0.0f, 0.0f, 0.0f};
    Vector3 shotDirection_{0.0f, 0.0f, 0.0f};
    Vector3 muzzleOffset_{0.0f, 0.24f, 1.75f};
    float shotDistance_ = 0.0f;
    int fireInterval_ = 8;
    int cooldown_ = 0;
    bool dryFirePlayed_ = false;
    int magazineSize_ = 20;
    int magazine_ = 20;
    bool reloading_ = false;
    float reloadProgress_ = 0.0f;
    int hitDamage_ = 0;
    Vector3 hitNormal_{0.0f, 0.0f, 0.0f};
    ObjectRef<Object> hitObject_;
    std::shared_ptr<VeSoundInstance> reloadSound_;
    int dryFireCount_ = 0;
};
