// Common base of the enemies: the numbers that make a zombie kind (hit
// points, speed, reach, damage, sight), the groan and footstep sounds, the
// damage rule, the sight test and the small movement helpers every state
// uses. Zombie adds the body parts, the pose store and the state step; the
// base itself does nothing in its update.
#pragma once

#include <memory>

#include "Game/Object/Object.h"

class GameWorld;
class Player;
class EffectList;
class State;
class VeSoundInstance;

class EnemyBase : public Object {
public:
    // Farther than this from the player a zombie is neither updated nor drawn.
    static constexpr float kActiveDistance = 100.0f;
    // Farther than this a zombie never sees the player.
    static constexpr float kSightDistance = 50.0f;

    EnemyBase();
    // Deletes the state and stops both sounds at once.
    ~EnemyBase() override;

    void Update() override {}
    // Every part with a model, unless the zombie is farther than 100 from
    // the player.
    void Submit(std::vector<Render::ModelDraw>& out) const override;
    // Hit sparks (and four flashes for a hit above 5), then hit points down;
    // alive is cleared at 0 or below. Hits keep landing on a dead zombie.
    void Damage(int amount, const Vector3& hitPosition) override;

    // The player is within 50, inside half the view angle to either side of
    // the facing, and no stage object is in the way. Runs only in sensing
    // frames (senseCounter divisible by senseInterval); false otherwise.
    bool CanSeePlayer();
    // matrix = Translation(v) * matrix (along the zombie's own axes), parts
    // recomposed.
    void MoveLocal(const Vector3& v);
    // Zombies never leave their floor (they do not take the stairs): straight
    // down from the zombie's height above its floor, the first stage
    // geometry or door met is an upward face at that floor's height. False
    // over a stair flight, inside a wall or wherever the floor ends.
    bool HasOwnFloorAt(const Vector3& position) const;
    // The walking step: MoveLocal, unless it would take the zombie off its
    // floor (then it stays). True when it moved.
    bool WalkLocal(const Vector3& v);
    // A push to the position keeps the zombie on its floor and does not pass
    // through stage geometry or a door on the way.
    bool CanBePushedTo(const Vector3& position) const;
    // Sensing frames only: puts the origin exactly height above the ground
    // of the floor.
    void FollowGround(float height, int floorIndex);
    // Sensing frames only: a ray along the facing from 2 below the origin;
    // a wall nearer than the push radius (measured along its normal) pushes
    // the zombie back out to it.
    void PushFromWall();
    void PlayGrowl();
    void StopGrowl();
    // Starts a step sound unless one is still playing.
    void PlayFootstep();
    // Keeps the playing sounds on the zombie and the listener on the player;
    // during the ending fades the groan out.
    void UpdateSounds();
    void CountFrame() { ++senseCounter_; }

    // Distance from the zombie to the player (3D); a very large value when
    // there is no player.
    float DistanceToPlayer() const;
    Player* GetPlayer() const;
    EffectList* GetEffectList() const;

    State* GetState() const { return state_.get(); }
    // Makes the state current (its entry has run in its constructor) and
    // deletes the one it replaces.
    void SetState(std::unique_ptr<State> state);
    float GetAttackRange() const { return attackRange_; }
    void SetAttackRange(float range) { attackRange_ = range; }
    int GetAttackPower() const { return attackPower_; }
    void SetAttackPower(int power) { attackPower_ = power; }
    float GetGroundOffset() const { return groundOffset_; }
    void SetGroundOffset(float offset) { groundOffset_ = offset; }
    float GetMoveSpeed() const { return moveSpeed_; }
    void SetMoveSpeed(float speed) { moveSpeed_ = speed; }
    bool IsAlive() const { return alive_; }
    void SetAlive(bool alive) { alive_ = alive; }
    // The alive flag itself, watched by the zombie's blob shadow.
    const bool* GetAliveFlag() const { return &alive_; }
    bool IsFinished() const { return finished_; }
    void SetFinished(bool finished) { finished_ = finished; }
    int GetHp() const { return hp_; }
    void SetHp(int hp) { hp_ = hp; }
    int GetViewAngle() const { return viewAngle_; }
    void SetViewAngle(int degrees) { viewAngle_ = degrees; }
    GameWorld* GetWorld() const { return world_; }
    void SetWorld(GameWorld* world) { world_ = world; }
    int GetSenseInterval() const { return senseInterval_; }
    int GetSenseCounter() const { return senseCounter_; }
    void SetSenseCounter(int counter) { senseCounter_ = counter; }
    float GetGrowlVolume() const { return growlVolume_; }
    const std::shared_ptr<VeSoundInstance>& GetGrowl() const { return growl_; }
    const std::shared_ptr<VeSoundInstance>& GetFootstep() const { return footstep_; }

protected:
    // True in a sensing frame, which also restarts the counter.
    bool SenseFrame();

    GameWorld* world_ = nullptr;
    std::unique_ptr<State> state_;
    float attackRange_ = 0.0f;
    int attackPower_ = 0;
    float groundOffset_ = 0.0f;
    float moveSpeed_ = 0.0f;
    bool alive_ = true;
    bool finished_ = false;
    int hp_ = 0;
    int viewAngle_ = 0;
    std::shared_ptr<VeSoundInstance> growl_;
    float growlVolume_ = 1.0f;
    std::shared_ptr<VeSoundInstance> footstep_;
    int senseInterval_ = 2;
    int senseCounter_ = 0;
};
