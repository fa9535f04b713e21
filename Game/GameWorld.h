// Everything one game is made of: the enemy list, the player, the gun, the
// effect list and the stage with every placed object, and whether the game
// is still being played or is ending. It runs the game's update order and
// its end check. Every game object reaches the rest of the game through the
// world it was given (objects in the stage through their stage's world).
//
// The world knows nothing of screens: the game scene owns it, adds the HUD
// and the drawing, and turns the ending into the result screen.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "Framework/Math/Random.h"
#include "Framework/Render/RenderFrame.h"

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
    // Builds a game: its random numbers (from the seed of new games), the
    // enemy list, the player, the gun (placed in the hand once), the effect
    // list, then the stage, which learns the player's floor and builds the
    // laboratory with its zombies.
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

    // The game's random numbers: every draw of its rules and of its effects
    // comes from this one stream, in the order the game makes them, so the
    // same seed and the same input play the same game.
    Math::Random& GetRandom() { return random_; }
    // The seed the games built from now on start from (0 unless set): a
    // recording of a game's input plays that game again only from the seed
    // it was recorded with.
    static void SetSeedOfNewGames(uint64_t seed);
    static uint64_t GetSeedOfNewGames();

    // The camera the scene placed at the end of the last step: what the
    // effects of this step face, and what the picture is drawn from.
    const Render::Camera& GetCamera() const { return camera_; }
    void SetCamera(const Render::Camera& camera) { camera_ = camera; }

    // The point lights of the current step, in the order they were added
    // (at most 100; later ones are ignored). Emptied when a step begins.
    void AddPointLight(const Vector3& colour, const Vector3& position, float radius);
    void ClearPointLights() { lights_.clear(); }
    const std::vector<Render::PointLight>& GetPointLights() const { return lights_; }

    // The game as the picture shows it: the camera and the lights of the
    // last step, the floors that can be seen from the eye, the stage's
    // opaque objects, the zombies of the player's floor, the translucent
    // objects, both effect passes and, as the overlay, the arm and the gun.
    // Leaves the frame's lighting colours and its sprites alone.
    void DescribeFrame(Render::Frame& frame) const;

private:
    Math::Random random_;
    GameState state_ = GameState::Playing;
    Render::Camera camera_;
    std::vector<Render::PointLight> lights_;
    std::unique_ptr<EnemyList> enemyList_;
    std::unique_ptr<Stage> stage_;
    std::unique_ptr<EffectList> effectList_;
    std::unique_ptr<Player> player_;
    std::unique_ptr<Gun> gun_;
};

// The random numbers an object of a world draws from: the world's own; for
// a piece built without a world (a test's), a stream kept for such pieces.
Math::Random& RandomOf(GameWorld* world);
