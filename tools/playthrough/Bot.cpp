// The playing bot: route, fighting, doors, cards, boxes and the generator.
#include "tools/playthrough/Bot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "Game/Enemy/EnemyBase.h"
#include "Game/Enemy/EnemyList.h"
#include "Game/Object/Gun.h"
#include "Game/Object/Player.h"
#include "Game/Stage/BulletBox.h"
#include "Game/Stage/Door.h"
#include "Game/Stage/Generator.h"
#include "Game/Stage/Key.h"
#include "Game/Stage/Portal.h"
#include "Game/Stage/Stage.h"
#include "Game/Stage/StageRays.h"
#include "Scene/GameScene.h"
#include "Scene/Hud.h"
#include "Scene/ResultScene.h"
#include "Scene/SceneManager.h"
#include "Scene/TitleScene.h"

namespace playthrough {

namespace {

constexpr float kPi = 3.14159265f;
constexpr float kRadToDeg = 180.0f / kPi;
using Math::kDegToRad;
// Client position of the buttons of the title and result screens.
const Platform::Point kButton{640, 610};
// Zombies nearer than this, in sight, are fought.
constexpr float kFightRange = 32.0f;
// Nearer than this the bot backs away while shooting (a zombie reaches 7).
constexpr float kBackOffRange = 10.0f;
// The generator's core and the radius the bot circles it at.
constexpr float kCoreStandRadius = 17.0f;
constexpr int kAtNothing = 0, kAtZombie = 1, kAtCore = 2;

using Platform::InputFrame;
using PKey = Platform::Key;

float Horizontal(const Vector3& a, const Vector3& b) {
    const float dx = a.x - b.x, dz = a.z - b.z;
    return std::sqrt(dx * dx + dz * dz);
}

}  // namespace

Aim AimAt(const Vector3& eye, const Vector3& target) {
    const Vector3 v = target - eye;
    const float flat = std::sqrt(v.x * v.x + v.z * v.z);
    Aim aim;
    aim.yaw = std::atan2(v.x, v.z) * kRadToDeg;
    aim.pitch = std::atan2(-v.y, flat) * kRadToDeg;
    return aim;
}

float WrapDegrees(float degrees) {
    float d = std::fmod(degrees, 360.0f);
    if (d > 180.0f) d -= 360.0f;
    if (d <= -180.0f) d += 360.0f;
    return d;
}

int MouseCounts(float degrees, int limit) {
    const int counts = static_cast<int>(std::lround(degrees * 10.0f));
    return std::clamp(counts, -limit, limit);
}

struct Bot::Goal {
    std::string name;
    Step step;
    // Frames the goal may take in all (0: no limit beyond the stuck check).
    int limit = 0;
    // Part of the detour to the ammunition room, taken only when the
    // reserve has run low by the time the detour begins.
    bool restock = false;
};

Bot::Bot(const Options& options) : options_(options) {
    if (options_.plan == Plan::Win)
        BuildWinRoute();
    else
        BuildDieRoute();
}

Bot::~Bot() = default;

const std::string& Bot::CurrentGoal() const {
    static const std::string kTitle = "title", kResult = "result screen", kDone = "done";
    if (phase_ == 0) return kTitle;
    if (phase_ >= 2) return phase_ == 2 ? kResult : kDone;
    return goalIndex_ < goals_.size() ? goals_[goalIndex_].name : kDone;
}

SceneBase* Bot::UpcomingScene() const {
    SceneManager& manager = SceneManager::GetInstance();
    return manager.GetNextScene() ? manager.GetNextScene() : manager.GetCurrentScene();
}

GameScene* Bot::Game() const { return dynamic_cast<GameScene*>(UpcomingScene()); }

void Bot::Say(const std::string& text) const {
    std::string where;
    if (GameScene* game = Game()) {
        const Vector3 p = game->GetPlayer()->GetPosition();
        char buf[160];
        std::snprintf(buf, sizeof buf, " at (%.1f, %.1f, %.1f) hp %d mag %d reserve %d", p.x, p.y, p.z,
                      game->GetPlayer()->GetHp(), game->GetGun()->GetMagazine(),
                      game->GetPlayer()->GetReserveAmmo());
        where = buf;
    }
    std::printf("[frame %6d] %s%s\n", frame_, text.c_str(), where.c_str());
    std::fflush(stdout);
}

void Bot::Fail(const std::string& why) {
    if (failed_) return;
    failed_ = true;
    failure_ = why;
    Say("FAILED (goal \"" + CurrentGoal() + "\"): " + why);
}

bool Bot::Next(InputFrame& f) {
    f = InputFrame{};
    if (finished_ || failed_) return false;
    ++frame_;
    ++phaseFrames_;
    if (frame_ > options_.frameLimit) {
        Fail("frame limit reached");
        return false;
    }

    SceneBase* scene = UpcomingScene();
    f.cursor = kButton;
    switch (phase_) {
        case 0: {  // title: hover over the button, click once, wait for the game
            if (dynamic_cast<GameScene*>(scene)) {
                Say("game started");
                phase_ = 1;
                phaseFrames_ = 0;
                break;
            }
            if (!dynamic_cast<TitleScene*>(scene)) {
                if (phaseFrames_ > 600) Fail("the title screen never came");
                return !failed_;
            }
            if (phaseFrames_ % 20 == 10) f.Set(PKey::LeftButton);
            if (phaseFrames_ > 900) Fail("the start button did not start a game");
            return !failed_;
        }
        case 1:
            break;
        case 2:
        case 3: {
            auto* result = dynamic_cast<ResultScene*>(scene);
            if (phase_ == 2 && !result && dynamic_cast<TitleScene*>(scene)) {
                Say("back on the title screen");
                phase_ = 3;
                phaseFrames_ = 0;
            }
            if (phase_ == 3) {
                // A few frames on the title to see it run, then done.
                if (phaseFrames_ > 30) finished_ = true;
                return !finished_;
            }
            if (result) {
                // Click (every 20 frames) once the banner has faded in and
                // the button is shown, as a person would.
                const bool shown = result->GetHud() && result->GetHud()->GetFade() >= 1.0f;
                if (shown && phaseFrames_ % 20 == 10) f.Set(PKey::LeftButton);
            }
            if (phaseFrames_ > 2000) Fail("the result screen did not lead back to the title");
            return !failed_;
        }
        default:
            return false;
    }

    // Game phase.
    if (!dynamic_cast<GameScene*>(scene)) {
        if (auto* result = dynamic_cast<ResultScene*>(scene)) {
            const bool cleared = result->IsCleared();
            Say(cleared ? "result screen: cleared" : "result screen: dead");
            const bool expected = (options_.plan == Plan::Win) == cleared;
            if (!expected) {
                Fail(cleared ? "the game was cleared when death was planned" : "the game ended in death");
                return false;
            }
            phase_ = 2;
            phaseFrames_ = 0;
            return true;
        }
        Fail("left the game scene without a result screen");
        return false;
    }
    ++gameFrames_;
    if (options_.stopAfterGameFrames > 0 && gameFrames_ > options_.stopAfterGameFrames) {
        Say("played " + std::to_string(options_.stopAfterGameFrames) + " frames of the game");
        finished_ = true;
        return false;
    }
    PlayGame(f);
    return !failed_ && !finished_;
}

void Bot::PlayGame(InputFrame& f) {
    GameScene* game = Game();
    Player* player = game->GetPlayer();
    f.relativeCursor = true;
    f.cursor = Platform::Point{0, 0};

    if (options_.plan == Plan::Win && !player->IsAlive()) {
        Fail("the player died");
        return;
    }
    if (game->GetState() == GameState::Ending) {
        if (phaseFrames_ % 100 == 0) Say("ending plays");
        return;
    }
    if (!player->IsAlive()) return;  // the end check runs this frame

    // Shots fired by the last frame, told apart by what the bot aimed at.
    const int magazine = game->GetGun()->GetMagazine();
    if (magazine < lastMagazine_) {
        const int shots = lastMagazine_ - magazine;
        if (firingAt_ == kAtCore) {
            shotsAtCore_ += shots;
            coreShotsSinceDamage_ += shots;
        } else {
            shotsAtZombies_ += shots;
        }
    }
    lastMagazine_ = magazine;
    firingAt_ = kAtNothing;
    TrackLights();

    if (options_.traceEvery > 0 && gameFrames_ % options_.traceEvery == 0) Say("goal \"" + CurrentGoal() + "\"");

    if (goalIndex_ >= goals_.size()) {
        // Route done: wait for the ending.
        if (++goalFrames_ > 3000) Fail("the route is done but the game does not end");
        return;
    }

    const bool fighting = options_.plan == Plan::Win && Fight(f);
    if (fighting) {
        // Time spent fighting is not time lost on the route.
        sinceProgress_ = 0;
        return;
    }
    if (options_.plan == Plan::Win && MaybeReload(f, true)) return;

    if (goals_[goalIndex_].restock && goalFrames_ == 0) {
        const int rounds = game->GetPlayer()->GetReserveAmmo() + game->GetGun()->GetMagazine();
        if (!restockDecided_) {
            restockDecided_ = true;
            restocking_ = rounds < options_.restockBelow;
            Say(restocking_ ? "low on rounds: to the ammunition room" : "enough rounds: no detour");
        }
        if (!restocking_) {
            while (goalIndex_ < goals_.size() && goals_[goalIndex_].restock) ++goalIndex_;
            if (goalIndex_ >= goals_.size()) return;
        }
    }
    Goal& goal = goals_[goalIndex_];
    ++goalFrames_;
    ++sinceProgress_;
    if (goal.step(*this, f)) {
        Say("reached \"" + goal.name + "\"");
        if (!options_.stopAfter.empty() && goal.name == options_.stopAfter) {
            finished_ = true;
            return;
        }
        ++goalIndex_;
        waypoint_ = 0;
        goalFrames_ = 0;
        bestDistance_ = 1e30f;
        sinceProgress_ = 0;
        return;
    }
    if (sinceProgress_ > options_.stuckFrames) Fail("no progress for " + std::to_string(sinceProgress_) + " frames");
    if (goal.limit > 0 && goalFrames_ > goal.limit) Fail("goal took more than " + std::to_string(goal.limit) + " frames");
}

void Bot::TrackLights() {
    Portal* portal = Game()->GetStage()->GetPortal();
    if (!portal) return;
    const auto& lights = portal->GetLights();
    if (lightHealth_.size() != lights.size()) {
        lightHealth_.clear();
        for (const PortalLight* light : lights) lightHealth_.push_back(light->GetHealth());
        return;
    }
    for (size_t i = 0; i < lights.size(); ++i) {
        const int health = lights[i]->GetHealth();
        if (health < lightHealth_[i]) {
            const int hits = lightHealth_[i] - health;
            if (static_cast<int>(i) == coreLight_)
                lightHits_ += hits;
            else
                strayLightHits_ += hits;
        }
        lightHealth_[i] = health;
    }
}

void Bot::DebugPick(const Vector3& target) const {
    GameScene* game = Game();
    const Player* player = game->GetPlayer();
    float d = 0.0f;
    const Object* picked = StageRays().RayPick(player->GetPosition(), player->GetForward(), d, game->GetStage());
    std::printf("pick: kind %d at %.2f; target %.2f away, yaw %.1f pitch %.1f\n", picked ? picked->GetKind() : -1, d,
                Vector3::Distance(target, player->GetPosition()), player->GetYaw(), player->GetPitch());
}

bool Bot::Face(InputFrame& f, const Vector3& target, float tolerance, int speed) {
    Player* player = Game()->GetPlayer();
    const Aim aim = AimAt(player->GetPosition(), target);
    const float dyaw = WrapDegrees(aim.yaw - player->GetYaw());
    const float dpitch = aim.pitch - player->GetPitch();
    f.relativeCursor = true;
    f.cursor = Platform::Point{MouseCounts(dyaw, speed), MouseCounts(dpitch, speed)};
    return std::fabs(dyaw) <= tolerance && std::fabs(dpitch) <= tolerance;
}

bool Bot::WalkTo(InputFrame& f, float x, float z, float tolerance) {
    Player* player = Game()->GetPlayer();
    const Vector3 eye = player->GetPosition();
    const float distance = Horizontal(eye, Vector3(x, eye.y, z));
    if (distance < bestDistance_ - 0.3f) {
        bestDistance_ = distance;
        sinceProgress_ = 0;
    }
    if (distance <= tolerance) return true;
    // Look level along the way; walk once roughly facing the point.
    const Vector3 ahead(x, eye.y, z);
    Face(f, ahead, 1.0f);
    const float dyaw = WrapDegrees(AimAt(eye, ahead).yaw - player->GetYaw());
    if (std::fabs(dyaw) < 35.0f) f.Set(PKey::W);
    return false;
}

bool Bot::LineOfSight(const Vector3& from, const Vector3& to, float slack) const {
    GameScene* game = Game();
    Vector3 dir = to - from;
    const float length = dir.Length();
    if (length < 1e-3f) return true;
    dir = dir * (1.0f / length);
    float d = 0.0f;
    Vector3 n;
    const Object* hit = StageRays().RayTestObjects(from, dir, d, n, game->GetStage());
    return !hit || d >= length - slack;
}

Vector3 Bot::MuzzleFacing(const Vector3& target) const {
    // The muzzle in the view's own axes now, turned to the view that looks
    // at the target.
    GameScene* game = Game();
    const Matrix& view = game->GetPlayer()->GetMatrixRef();
    const Vector3 eye = view.Translation();
    const Vector3 offset = game->GetGun()->GetMuzzle() - eye;
    const Vector3 local(offset.Dot(Vector3(view._11, view._12, view._13)),
                        offset.Dot(Vector3(view._21, view._22, view._23)),
                        offset.Dot(Vector3(view._31, view._32, view._33)));
    const Aim aim = AimAt(eye, target);
    const Matrix turned = Matrix::CreateFromRollPitchYaw(aim.pitch * kDegToRad, aim.yaw * kDegToRad, 0.0f);
    return eye + Vector3::TransformNormal(local, turned);
}

bool Bot::Fight(InputFrame& f) {
    GameScene* game = Game();
    Player* player = game->GetPlayer();
    Gun* gun = game->GetGun();
    const Vector3 eye = player->GetPosition();

    ignored_.erase(std::remove_if(ignored_.begin(), ignored_.end(),
                                  [this](const auto& e) { return e.second < frame_; }),
                   ignored_.end());
    auto isIgnored = [this](const EnemyBase* e) {
        return std::any_of(ignored_.begin(), ignored_.end(), [e](const auto& i) { return i.first == e; });
    };

    // The target must still be in the list (dead zombies are removed once
    // they have finished dying).
    const auto& enemies = game->GetEnemyList()->GetEnemies();
    if (target_ && (std::find(enemies.begin(), enemies.end(), target_) == enemies.end() || !target_->IsAlive()))
        target_ = nullptr;

    EnemyBase* best = nullptr;
    float bestDistance = kFightRange;
    for (EnemyBase* enemy : enemies) {
        if (!enemy->IsAlive() || !enemy->IsActive() || isIgnored(enemy)) continue;
        const Vector3 p = enemy->GetPosition();
        if (std::fabs(p.y - eye.y) > 12.0f) continue;  // another floor
        const float d = Vector3::Distance(p, eye);
        if (d >= bestDistance) continue;
        // The shot leaves from the muzzle, off to the side of the eye: both
        // must see the zombie (a doorway's edge can hide it from the gun).
        // A muzzle pushed into a wall stops every shot at once.
        const Vector3 muzzle = MuzzleFacing(p);
        if (!LineOfSight(eye, p) || !LineOfSight(eye, muzzle, 0.0f) || !LineOfSight(muzzle, p)) continue;
        best = enemy;
        bestDistance = d;
    }
    // Keep the current target unless another is much nearer.
    if (target_ && best != target_) {
        const float dt = Vector3::Distance(target_->GetPosition(), eye);
        const Vector3 muzzle = MuzzleFacing(target_->GetPosition());
        if (dt < kFightRange && LineOfSight(eye, target_->GetPosition()) && LineOfSight(eye, muzzle, 0.0f) &&
            LineOfSight(muzzle, target_->GetPosition()) && dt < bestDistance + 4.0f)
            best = target_;
    }
    if (!best) {
        target_ = nullptr;
        if (leftHeld_) leftHeld_ = false;  // let go of the trigger
        return false;
    }
    if (best != target_) {
        target_ = best;
        targetFrames_ = 0;
        targetHp_ = best->GetHp();
    }
    ++targetFrames_;
    if (best->GetHp() < targetHp_) {
        targetHp_ = best->GetHp();
        targetFrames_ = 0;
    }
    if (targetFrames_ > 240) {
        // Shots do not land (something the sight test does not know of is
        // in the way): leave this one for a while.
        Say("cannot hit a zombie, leaving it for now");
        ignored_.push_back({best, frame_ + 600});
        target_ = nullptr;
        return false;
    }

    // Aim at the glowing weak spot on the chest when the zombie faces the
    // bot, else at the head.
    const auto& parts = best->GetParts();
    const Matrix& body = best->GetMatrixRef();
    const Vector3 facing(body._31, 0.0f, body._33);
    Vector3 toBot = eye - best->GetPosition();
    toBot.y = 0.0f;
    const bool facesBot = facing.Dot(toBot.Normalized()) > 0.5f;
    Vector3 aimPoint = best->GetPosition() + Vector3(0.0f, 1.0f, 0.0f);
    float size = 0.3f;
    if (parts.size() >= 7 && facesBot) {
        aimPoint = Vector3::Transform(Vector3(0.0f, -0.12f, 0.33f), parts[6]->world);
        size = 0.12f;
    } else if (!parts.empty()) {
        aimPoint = parts[0]->world.Translation();
    }
    const float distance = Vector3::Distance(aimPoint, eye);
    const float tolerance = std::max(0.1f, std::atan2(size, distance) * kRadToDeg);
    const bool onTarget = Face(f, aimPoint, tolerance, 400);
    if (options_.debug && frame_ % 50 == 0) {
        const Aim a = AimAt(eye, aimPoint);
        std::printf("fight: zombie at (%.1f %.1f %.1f), aim off by %.2f / %.2f degrees (tolerance %.2f), %s\n",
                    best->GetPosition().x, best->GetPosition().y, best->GetPosition().z,
                    WrapDegrees(a.yaw - player->GetYaw()), a.pitch - player->GetPitch(), tolerance,
                    facesBot ? "weak spot" : "head");
    }

    if (Horizontal(best->GetPosition(), eye) < kBackOffRange) f.Set(PKey::S);

    if (options_.debug && gun->GetCooldown() == 7) {
        // The shot of the last frame.
        const Object* hit = gun->GetHitObject();
        std::printf("shot: hit kind %d for %d at %.1f; zombie hp %d\n", hit ? hit->GetKind() : -1,
                    gun->GetHitDamage(), gun->GetShotDistance(), best->GetHp());
    }
    if (MaybeReload(f, false)) return true;
    if (onTarget && gun->GetMagazine() > 0 && !gun->IsReloading()) {
        // Press; the gun repeats every 8 frames while held. A release now
        // and then clears any latch left from a click.
        if (gun->GetCooldown() <= 1 && leftHeld_ && frame_ % 97 == 0) {
            leftHeld_ = false;
        } else {
            f.Set(PKey::LeftButton);
            firingAt_ = kAtZombie;
            leftHeld_ = true;
        }
    } else {
        leftHeld_ = false;
    }
    return true;
}

bool Bot::MaybeReload(InputFrame& f, bool calm) {
    GameScene* game = Game();
    Gun* gun = game->GetGun();
    if (gun->IsReloading()) return false;
    if (game->GetPlayer()->GetReserveAmmo() <= 0) return false;
    const bool empty = gun->GetMagazine() == 0;
    const bool low = calm && gun->GetMagazine() < gun->GetMagazineSize() / 2;
    if (!empty && !low) return false;
    f.Set(PKey::R);
    ++reloads_;
    return true;
}

Door* Bot::DoorAt(float x, float z) const {
    GameScene* game = Game();
    for (Object* o : game->GetStage()->GetObjects()) {
        if (o->GetKind() != kKindDoor) continue;
        auto* door = dynamic_cast<Door*>(o);
        if (!door) continue;
        const Vector3 p = door->GetPosition();
        if (std::fabs(p.x - x) < 0.5f && std::fabs(p.z - z) < 0.5f) return door;
    }
    return nullptr;
}

// ---------------------------------------------------------------- route

void Bot::AddWalk(const std::string& name, std::vector<Vector2> points, float tolerance) {
    goals_.push_back({name, [points, tolerance](Bot& bot, InputFrame& f) {
                          while (bot.waypoint_ < points.size()) {
                              const Vector2& p = points[bot.waypoint_];
                              if (!bot.WalkTo(f, p.x, p.y, tolerance)) return false;
                              ++bot.waypoint_;
                              bot.bestDistance_ = 1e30f;
                              f = InputFrame{};
                              f.relativeCursor = true;
                              f.cursor = Platform::Point{0, 0};
                          }
                          return true;
                      }});
}

void Bot::AddTakeKey(const std::string& name, int colour, Vector2 standAt) {
    goals_.push_back({name,
                      [colour, standAt](Bot& bot, InputFrame& f) {
                          GameScene* game = bot.Game();
                          Player* player = game->GetPlayer();
                          for (Key* key : player->GetKeys())
                              if (key->GetColour() == colour) return true;
                          Key* card = nullptr;
                          for (Key* key : game->GetStage()->GetKeys())
                              if (key->GetColour() == colour) card = key;
                          if (!card) {
                              bot.Fail("no card of colour " + std::to_string(colour) + " in the level");
                              return false;
                          }
                          if (bot.waypoint_ == 0) {
                              if (!bot.WalkTo(f, standAt.x, standAt.y, 0.6f)) return false;
                              bot.waypoint_ = 1;
                          }
                          if (bot.options_.debug && bot.goalFrames_ % 50 == 0) bot.DebugPick(card->GetPosition());
                          // Look at the card; press the use button once the
                          // view rests on it.
                          if (bot.Face(f, card->GetPosition(), 1.0f, 120) && bot.goalFrames_ % 4 == 0)
                              f.Set(PKey::RightButton);
                          return false;
                      },
                      1500});
}

void Bot::AddTakeBox(const std::string& name, Vector3 boxAt, Vector2 standAt) {
    goals_.push_back({name,
                      [this, boxAt, standAt](Bot& bot, InputFrame& f) {
                          GameScene* game = bot.Game();
                          BulletBox* box = nullptr;
                          int available = 0;
                          for (Object* o : game->GetStage()->GetObjects()) {
                              if (o->GetKind() != kKindBulletBox) continue;
                              auto* each = dynamic_cast<BulletBox*>(o);
                              if (each && each->IsAvailable()) ++available;
                              const Vector3 p = o->GetPosition();
                              if (Vector3::Distance(p, boxAt) < 0.5f) box = each;
                          }
                          if (!box) {
                              bot.Fail("no ammunition box there");
                              return false;
                          }
                          if (bot.waypoint_ == 0) {
                              if (!bot.WalkTo(f, standAt.x, standAt.y, 0.6f)) return false;
                              bot.waypoint_ = 1;
                              ammoBefore_ = game->GetPlayer()->GetReserveAmmo();
                              boxesBefore_ = available;
                          }
                          if (!box->IsAvailable()) {
                              // The button is held for a frame: a box standing
                              // behind this one on the gaze may go with it.
                              const int taken = boxesBefore_ - available;
                              const int gained = game->GetPlayer()->GetReserveAmmo() - ammoBefore_;
                              if (taken < 1 || gained != BulletBox::kRounds * taken) {
                                  bot.Fail("the " + std::to_string(taken) + " boxes taken gave " +
                                           std::to_string(gained) + " rounds");
                                  return false;
                              }
                              return true;
                          }
                          if (bot.options_.debug && bot.goalFrames_ % 50 == 0) bot.DebugPick(box->GetPosition());
                          if (bot.Face(f, box->GetPosition() + Vector3(0.0f, 0.5f, 0.0f), 1.0f, 120) &&
                              bot.goalFrames_ % 4 == 0)
                              f.Set(PKey::RightButton);
                          return false;
                      },
                      1500});
}

void Bot::AddDoor(const std::string& name, float hingeX, float hingeZ, bool swingsTowards) {
    // Stand in front of the reader (outside the leaf's swing when it swings
    // towards the bot), use it, wait for the door to open, then walk through
    // the middle of the opening.
    goals_.push_back({name,
                      [hingeX, hingeZ, swingsTowards](Bot& bot, InputFrame& f) {
                          Door* door = bot.DoorAt(hingeX, hingeZ);
                          if (!door && bot.waypoint_ == 0) {
                              bot.Fail("no door with its hinge there");
                              return false;
                          }
                          GameScene* game = bot.Game();
                          const Vector3 eye = game->GetPlayer()->GetPosition();
                          // The door's own axes as it stood closed (fixed
                          // from the hinge and the wall it sits in).
                          Vector3& along = bot.doorAlong_;
                          Vector3& out = bot.doorOut_;
                          if (bot.waypoint_ == 0) {
                              const Matrix& m = door->GetMatrixRef();
                              along = Vector3(m._11, 0.0f, m._13);
                              out = Vector3(m._31, 0.0f, m._33);  // the side the leaf swings to
                              // The leaf swings to its +z side: the bot
                              // stands there only for a door that swings
                              // towards it.
                              if (!swingsTowards) out = -out;
                              bot.waypoint_ = 1;
                          }
                          const Vector3 hinge(hingeX, eye.y, hingeZ);
                          if (bot.waypoint_ == 1) {
                              const Vector3 stand = swingsTowards ? hinge + along * 6.5f + out * 3.5f
                                                                  : hinge + along * 4.0f + out * 3.0f;
                              if (!bot.WalkTo(f, stand.x, stand.z, 0.5f)) return false;
                              bot.waypoint_ = 2;
                              bot.bestDistance_ = 1e30f;
                          }
                          if (bot.waypoint_ == 2) {
                              if (door->IsOpening() || door->IsUsed()) {
                                  bot.waypoint_ = 3;
                                  return false;
                              }
                              const Vector3 reader = door->GetReader()->GetPosition();
                              if (bot.options_.debug && bot.goalFrames_ % 50 == 0) bot.DebugPick(reader);
                              if (bot.Face(f, reader, 1.0f, 120) && bot.goalFrames_ % 4 == 0)
                                  f.Set(PKey::RightButton);
                              if (bot.goalFrames_ > 400) bot.Fail("the door does not take the card");
                              return false;
                          }
                          if (bot.waypoint_ == 3) {
                              bot.sinceProgress_ = 0;
                              if (door->GetOpenProgress() < 1.0f) {
                                  if (bot.goalFrames_ > 800) bot.Fail("the door does not open");
                                  return false;
                              }
                              bot.waypoint_ = 4;
                              bot.bestDistance_ = 1e30f;
                          }
                          const Vector3 middle = hinge + along * 3.0f;
                          if (bot.waypoint_ == 4) {
                              const Vector3 before = middle + out * (swingsTowards ? 7.5f : 4.0f);
                              if (!bot.WalkTo(f, before.x, before.z, 0.7f)) return false;
                              bot.waypoint_ = 5;
                              bot.bestDistance_ = 1e30f;
                          }
                          const Vector3 after = middle - out * 5.0f;
                          return bot.WalkTo(f, after.x, after.z, 0.7f);
                      },
                      2500});
}

void Bot::AddShootCore() {
    goals_.push_back({"shoot the generator core", [](Bot& bot, InputFrame& f) {
                          GameScene* game = bot.Game();
                          Portal* portal = game->GetStage()->GetPortal();
                          if (!portal) {
                              bot.Fail("the level has no generator");
                              return false;
                          }
                          if (!portal->IsAlive()) return true;
                          const auto& lights = portal->GetLights();
                          const Vector3 centre = portal->GetPosition();
                          // Next light: the lit one nearest the bot.
                          const Vector3 eye = game->GetPlayer()->GetPosition();
                          if (bot.coreLight_ < 0 || !lights[bot.coreLight_]->IsAlive()) {
                              float best = 1e30f;
                              bot.coreLight_ = -1;
                              for (size_t i = 0; i < lights.size(); ++i) {
                                  if (!lights[i]->IsAlive()) continue;
                                  const float d = Horizontal(lights[i]->GetEffectPosition(), eye);
                                  if (d < best) {
                                      best = d;
                                      bot.coreLight_ = static_cast<int>(i);
                                  }
                              }
                              bot.coreAngleShift_ = 0.0f;
                              bot.coreLightHealth_ = lights[bot.coreLight_]->GetHealth();
                              bot.coreShotsSinceDamage_ = 0;
                              bot.waypoint_ = 0;
                              bot.bestDistance_ = 1e30f;
                              bot.Say("aiming at light " + std::to_string(bot.coreLight_));
                          }
                          PortalLight* light = lights[bot.coreLight_];
                          Vector3 dir = light->GetEffectPosition() - centre;
                          dir.y = 0.0f;
                          dir.Normalize();
                          // Stand off to one side of the light's direction
                          // (its pipe runs straight out), shifting further
                          // round when shots do not reach the core.
                          const float turn = (20.0f + bot.coreAngleShift_) * kDegToRad;
                          const Vector3 side(dir.x * std::cos(turn) + dir.z * std::sin(turn), 0.0f,
                                             -dir.x * std::sin(turn) + dir.z * std::cos(turn));
                          const Vector3 stand = centre + side * kCoreStandRadius;
                          if (bot.waypoint_ == 0) {
                              // Go round the core, not through it.
                              Vector3 flatEye(eye.x - centre.x, 0.0f, eye.z - centre.z);
                              const float r = flatEye.Length();
                              const float cross = flatEye.x * side.z - flatEye.z * side.x;
                              const float dot = flatEye.Dot(side);
                              const float angle = std::atan2(cross, dot);
                              if (std::fabs(angle) > 0.6f && r > 1.0f) {
                                  // A point 30 degrees further round the circle.
                                  const float step = angle > 0 ? -0.5f : 0.5f;
                                  const Vector3 u = flatEye * (1.0f / r);
                                  const Vector3 w(u.x * std::cos(step) + u.z * std::sin(step), 0.0f,
                                                  -u.x * std::sin(step) + u.z * std::cos(step));
                                  const Vector3 p = centre + w * kCoreStandRadius;
                                  bot.WalkTo(f, p.x, p.z, 0.1f);
                                  bot.sinceProgress_ = 0;
                                  return false;
                              }
                              if (!bot.WalkTo(f, stand.x, stand.z, 0.8f)) return false;
                              bot.waypoint_ = 1;
                          }
                          // Aim at the core's drum on the light's side: the
                          // hit goes to the nearest light.
                          const Vector3 aimPoint = centre + dir * 6.4f + Vector3(0.0f, 2.6f, 0.0f);
                          bot.sinceProgress_ = 0;
                          const int health = light->GetHealth();
                          if (health < bot.coreLightHealth_) {
                              bot.coreLightHealth_ = health;
                              bot.coreShotsSinceDamage_ = 0;
                          }
                          if (bot.coreShotsSinceDamage_ > 6) {
                              bot.Say("shots miss light " + std::to_string(bot.coreLight_) + ", moving round");
                              bot.coreAngleShift_ += 15.0f;
                              bot.coreShotsSinceDamage_ = 0;
                              bot.waypoint_ = 0;
                              bot.bestDistance_ = 1e30f;
                              if (bot.coreAngleShift_ > 90.0f) bot.Fail("no place to hit this light from");
                              return false;
                          }
                          Gun* gun = game->GetGun();
                          if (bot.MaybeReload(f, false)) return false;
                          if (bot.Face(f, aimPoint, 0.4f, 400) && !gun->IsReloading() && gun->GetMagazine() > 0) {
                              f.Set(PKey::LeftButton);
                              bot.firingAt_ = kAtCore;
                          }
                          return false;
                      }});
}

void Bot::BuildWinRoute() {
    // Floor 0: the south hall. The yellow card lies on the desk at (-5, -10).
    AddWalk("to the desk in the south hall", {{8.0f, -3.0f}, {8.0f, -17.0f}, {-1.5f, -17.0f}});
    AddTakeKey("take the yellow card", 0, {-1.5f, -17.0f});
    AddWalk("round the desk", {{7.0f, -17.0f}, {7.0f, 8.0f}});
    AddDoor("door E into the storage room", -2.0f, 20.0f, true);
    // Storage room: the ammunition box by the west wall, then the doorway
    // into the meeting room.
    AddWalk("to the ammunition box in the storage room", {{-8.0f, 40.0f}, {-14.0f, 60.0f}, {-14.0f, 72.0f}});
    AddTakeBox("take the ammunition box", {-18.0f, 0.0f, 75.0f}, {-14.0f, 72.0f});
    AddWalk("through the doorway into the meeting room", {{-14.0f, 47.0f}, {-27.0f, 47.0f}});
    AddTakeKey("take the blue card", 1, {-44.0f, 47.5f});
    AddWalk("round the meeting table", {{-57.0f, 47.0f}, {-57.0f, 94.0f}});
    AddDoor("door D to the north corridor", -22.0f, 100.0f, true);
    AddWalk("down the stairs to floor 1",
            {{-25.0f, 106.0f}, {25.0f, 106.0f}, {25.0f, 138.0f}, {25.0f, 145.0f}, {45.0f, 145.0f},
             {45.0f, 108.0f}, {45.0f, 80.0f}});
    AddDoor("door G into the office", 40.0f, 72.0f, false);
    AddWalk("to the desk with the orange card", {{35.0f, 108.0f}, {9.0f, 108.0f}});
    AddTakeKey("take the orange card", 2, {9.0f, 108.0f});
    AddWalk("back to the corridor", {{35.0f, 108.0f}, {35.0f, 75.0f}, {45.0f, 75.0f}});
    // Low on rounds: the ammunition room behind door F (yellow), two boxes
    // from the open (north) side of the southern shelf, and back to the
    // corridor.
    const size_t restockFrom = goals_.size();
    AddDoor("door F into the ammunition room", 50.0f, 88.0f, false);
    AddWalk("to the southern bullet shelf", {{62.0f, 78.0f}, {79.0f, 76.0f}});
    AddTakeBox("take a box from the lower board", {79.0f, -41.8f, 71.0f}, {79.0f, 76.0f});
    AddTakeBox("take a box from the upper board", {79.0f, -37.8f, 71.0f}, {79.0f, 76.0f});
    AddWalk("back out of the ammunition room", {{62.0f, 78.0f}, {55.0f, 85.0f}, {45.0f, 85.0f}});
    for (size_t i = restockFrom; i < goals_.size(); ++i) goals_[i].restock = true;
    AddWalk("to door H", {{45.0f, 46.0f}});
    AddDoor("door H into the plant lab", 48.0f, 40.0f, false);
    AddWalk("across the plant lab", {{45.0f, -22.0f}});
    AddDoor("door I to the south landing", 48.0f, -30.0f, false);
    AddWalk("down the stairs to floor 2",
            {{45.0f, -45.0f}, {45.0f, -83.0f}, {65.0f, -83.0f}, {65.0f, -45.0f}, {65.0f, -26.0f}});
    AddDoor("door J into the generator hall", 62.0f, -20.0f, false);
    AddShootCore();
}

void Bot::BuildDieRoute() {
    // Walk up to the two zombies by the start and wait for them.
    AddWalk("walk into the zombies", {{6.0f, 0.0f}});
    goals_.push_back({"stand still until dead", [](Bot& bot, InputFrame& f) {
                          (void)f;
                          bot.sinceProgress_ = 0;
                          return false;
                      },
                      6000});
}

}  // namespace playthrough
