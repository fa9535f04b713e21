// A player made of code: it reads what the screen would show (the player's
// position and view, the zombies, the doors, cards, boxes and the generator)
// and acts only the way a person does, through one injected input frame per
// frame: W/A/S/D, R, the two mouse buttons and cursor moves.
//
// Two plans: Win follows the route through the laboratory, fights on the
// way and shoots the generator core until it dies, then clicks back from
// the result screen to the title. Die walks up to the zombies of the start
// hall, stands still until they have killed it, and clicks back from the
// death screen to the title.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Framework/Math/SimpleMath.h"
#include "Framework/Platform/Input.h"

class GameScene;
class SceneBase;
class Door;
class EnemyBase;

namespace playthrough {

// Horizontal aim towards a target: yaw in degrees (0 along +z, 90 along
// +x) and pitch in degrees (positive looks down), as the player's view
// measures them.
struct Aim {
    float yaw = 0.0f;
    float pitch = 0.0f;
};
Aim AimAt(const Vector3& eye, const Vector3& target);
// Angle difference wrapped into (-180, 180].
float WrapDegrees(float degrees);
// Mouse counts that turn a view angle by the given degrees (0.1 degree per
// count), at most limit counts either way.
int MouseCounts(float degrees, int limit);

class Bot : public Platform::InputScript {
public:
    enum class Plan { Win, Die };

    struct Options {
        Plan plan = Plan::Win;
        // The run fails once this many frames have gone by.
        int frameLimit = 40000;
        // Frames without progress towards the current goal before the run
        // counts as stuck.
        int stuckFrames = 900;
        // Stop with success once this goal (by name) has been reached (a
        // short rendered run); empty: play to the end.
        std::string stopAfter;
        // Stop with success after this many frames of the game scene (0:
        // no such limit).
        int stopAfterGameFrames = 0;
        // Print a line every this many frames (0: only goal changes).
        int traceEvery = 0;
        // On the floor below, the bot restocks in the ammunition room when
        // it holds fewer rounds than this (magazine and reserve).
        int restockBelow = 100;
        // Print every shot and aim (finding out why a run fails).
        bool debug = false;
    };

    explicit Bot(const Options& options);
    ~Bot() override;

    // Decides the input for the frame about to run.
    bool Next(Platform::InputFrame& frame) override;

    bool Finished() const { return finished_; }
    bool Failed() const { return failed_; }
    const std::string& Failure() const { return failure_; }
    int Frame() const { return frame_; }
    // Counters for the report.
    int ShotsAtZombies() const { return shotsAtZombies_; }
    int ShotsAtCore() const { return shotsAtCore_; }
    int Reloads() const { return reloads_; }
    // Light damage from hits while the bot aimed at that light, and damage
    // that went to another light.
    int LightHits() const { return lightHits_; }
    int StrayLightHits() const { return strayLightHits_; }
    int GameFrames() const { return gameFrames_; }
    const std::string& CurrentGoal() const;

private:
    struct Goal;
    using Step = std::function<bool(Bot&, Platform::InputFrame&)>;

    // The scene about to run this frame (a pending switch has happened by
    // then), and the game scene if that is what it is.
    SceneBase* UpcomingScene() const;
    GameScene* Game() const;

    void BuildWinRoute();
    void BuildDieRoute();
    void Fail(const std::string& why);
    void Say(const std::string& text) const;

    // One frame of the game scene.
    void PlayGame(Platform::InputFrame& f);
    // Turns the view towards a point; true once it points there within the
    // tolerance (degrees).
    bool Face(Platform::InputFrame& f, const Vector3& target, float tolerance, int speed = 250);
    // Walks towards a ground point (x, z); true once within the tolerance.
    bool WalkTo(Platform::InputFrame& f, float x, float z, float tolerance);
    // Keeps the zombies off: picks a visible zombie that is close, turns to
    // it, shoots, backs off when it is too close. True while fighting.
    bool Fight(Platform::InputFrame& f);
    // Reloads when the magazine is empty (or low while nothing threatens).
    bool MaybeReload(Platform::InputFrame& f, bool calm);
    // What the gaze picks (--debug).
    void DebugPick(const Vector3& target) const;
    // Counts the damage each generator light took since the last frame.
    void TrackLights();
    // Nothing of the stage between the points (up to slack short of the
    // end, where the target itself stands).
    bool LineOfSight(const Vector3& from, const Vector3& to, float slack = 1.0f) const;
    // Where the muzzle would be with the view turned to the target.
    Vector3 MuzzleFacing(const Vector3& target) const;
    Door* DoorAt(float x, float z) const;

    // Route pieces.
    void AddWalk(const std::string& name, std::vector<Vector2> points, float tolerance = 1.0f);
    void AddTakeKey(const std::string& name, int colour, Vector2 standAt);
    void AddTakeBox(const std::string& name, Vector3 boxAt, Vector2 standAt);
    // swingsTowards: the leaf opens into the room the bot comes from.
    void AddDoor(const std::string& name, float hingeX, float hingeZ, bool swingsTowards);
    void AddShootCore();

    Options options_;
    std::vector<Goal> goals_;
    size_t goalIndex_ = 0;
    size_t waypoint_ = 0;
    int goalFrames_ = 0;
    float bestDistance_ = 1e30f;
    int sinceProgress_ = 0;

    int frame_ = 0;
    int gameFrames_ = 0;
    int phase_ = 0;  // 0 title, 1 game, 2 result, 3 back on the title
    int phaseFrames_ = 0;
    bool finished_ = false;
    bool failed_ = false;
    std::string failure_;
    bool leftHeld_ = false;

    // Fighting.
    EnemyBase* target_ = nullptr;
    int targetFrames_ = 0;
    int targetHp_ = 0;
    std::vector<std::pair<EnemyBase*, int>> ignored_;  // zombie, until frame
    int shotsAtZombies_ = 0;
    int shotsAtCore_ = 0;
    int reloads_ = 0;

    // Generator.
    int coreLight_ = -1;
    float coreAngleShift_ = 0.0f;
    int coreLightHealth_ = 0;
    int coreShotsSinceDamage_ = 0;
    int ammoBefore_ = 0;
    int boxesBefore_ = 0;  // ammunition boxes available when the take began
    bool restockDecided_ = false;
    bool restocking_ = false;
    int lastMagazine_ = 0;
    int firingAt_ = 0;
    std::vector<int> lightHealth_;
    int lightHits_ = 0;
    int strayLightHits_ = 0;
    // The door being passed: along its wall, and out towards the bot's side.
    Vector3 doorAlong_;
    Vector3 doorOut_;
};

}  // namespace playthrough
