// Everything one game is made of: the enemy list, the player, the gun, the
// effect list and the stage with every placed object, and whether the game
// is still being played or is ending. It runs the game's update order and
// its end check. Every game object reaches the rest of the game through the
// world it was given (objects in the stage through their stage's world).
//
// The world knows nothing of screens: the game scene owns it, adds the HUD
// and the drawing, and turns the ending into the result screen.
#pragma once

#include <functional>
#include <memory>

class EnemyList;
class Stage;
class EffectList;
class Player;
class Gun;

// 0 playing, 3 ending; no other value is ever set.
enum class GameState : int { Playing = 0, Ending = 3 };

// Which result screen a game asked for.
enum class GameResult : int { None = -1, Dead = 0, Cleared = 1 };

class GameWorld {
public:
    // Builds a game: the enemy list, the player, the gun (placed in the hand
    // once), the effect list, then the stage, which learns the player's floor
    // and builds the laboratory with its zombies.
    GameWorld();
    // Deletes the enemy list, the stage with all its objects, the effect
    // list, the player and the gun, in that order.
    ~GameWorld();
    GameWorld(const GameWorld&) = delete;
    GameWorld& operator=(const GameWorld&) = delete;

    // One frame of the game, in this order: the enemy list, the player, the
    // gun, the effect list, the stage, then overlay (the caller's HUD, which
    // sees the frame's hits), then the removal of the zombies that finished
    // dying. Then the end check: with the player dead or the generator core
    // destroyed the game is ending from now on, and the result is true
    // (every frame the check finds it so).
    bool Update(const std::function<void()>& overlay = nullptr);

    // The ending that applies now: a destroyed core wins over a dead player;
    // None while both live.
    GameResult GetOutcome() const;

    EnemyList* GetEnemyList() const { return enemyList_.get(); }
    Stage* GetStage() const { return stage_.get(); }
    EffectList* GetEffectList() const { return effectList_.get(); }
    Player* GetPlayer() const { return player_.get(); }
    Gun* GetGun() const { return gun_.get(); }
    GameState GetState() const { return state_; }
    bool IsEnding() const { return state_ == GameState::Ending; }

private:
    GameState state_ = GameState::Playing;
    std::unique_ptr<EnemyList> enemyList_;
    std::unique_ptr<Stage> stage_;
    std::unique_ptr<EffectList> effectList_;
    std::unique_ptr<Player> player_;
    std::unique_ptr<Gun> gun_;
};
