// Opens the game window, runs the game scene with the player standing at the
// start and a few zombies placed in front of it, and writes screenshots of
// them walking, attacking, vomiting and dying:
//   morvane_zombiecapture <output folder>
// Run it from the folder that holds Data/.
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <typeinfo>

#include "Application/App.h"
#include "Framework/Graphics/GraphicsDevice.h"
#include "Framework/Platform/Input.h"
#include "Game/Effect/EffectList.h"
#include "Game/Effect/Vomiting.h"
#include "Game/Enemy/Attack.h"
#include "Game/Enemy/Dead.h"
#include "Game/Enemy/EnemyBase.h"
#include "Game/Enemy/EnemyList.h"
#include "Game/Enemy/Track.h"
#include "Game/Enemy/WalkAround.h"
#include "Game/GameWorld.h"
#include "Game/Object/Player.h"
#include "Scene/GameScene.h"
#include "Scene/SceneManager.h"

namespace {

using Math::kDegToRad;

Matrix Placed(float x, float y, float z, float headingDeg) {
    Matrix m = Matrix::CreateRotationY(headingDeg * kDegToRad);
    m.Translation(Vector3(x, y, z));
    return m;
}

const char* StateName(const EnemyBase* z) {
    const State* s = z->GetState();
    if (dynamic_cast<const Track*>(s)) return "Track";
    if (dynamic_cast<const Attack*>(s)) return "Attack";
    if (dynamic_cast<const WalkAround*>(s)) return "WalkAround";
    if (dynamic_cast<const Dead*>(s)) return "Dead";
    return s ? "Drop" : "none";
}

}  // namespace

int main(int argc, char** argv) {
    const std::string out = argc > 1 ? argv[1] : ".";
    App& app = App::GetInstance();
    if (!app.Init(1280, 720)) return 1;
    app.SetFrameCap(false);
    GameWorld::SetSeedOfNewGames(7);

    Platform::InputFrame still;
    Platform::Input::GetInstance().SetFrame(still);
    SceneManager::GetInstance().SetNextScene(std::make_unique<GameScene>());
    if (!app.RunFrame()) return 1;
    auto* scene = dynamic_cast<GameScene*>(SceneManager::GetInstance().GetCurrentScene());
    if (!scene) return 1;

    // The player stands at the start looking along +z. In front of it: a
    // normal zombie that will see it and come, and a second one on the left
    // facing away that wanders (seen from its side or back) and is shot
    // first. Once the chaser has struck and been shot, a strong zombie is
    // let in to vomit from its range. One attacker at a time keeps the
    // player alive through the whole script.
    EnemyList& list = *scene->GetEnemyList();
    list.Clear();
    EnemyBase* chaser = list.AddNormal(Placed(16.0f, 4.0f, 11.0f, 180.0f));
    EnemyBase* wanderer = list.AddNormal(Placed(8.0f, 4.0f, 14.0f, 0.0f));
    EnemyBase* strong = nullptr;

    int shots = 0, failures = 0;
    // A zombie that has finished dying has been deleted by the list.
    auto name = [&](const EnemyBase* z) {
        const auto& all = list.GetEnemies();
        if (!z) return "-";
        return std::find(all.begin(), all.end(), z) == all.end() ? "removed" : StateName(z);
    };
    auto shot = [&](const char* file) {
        const std::string path = out + "/" + file;
        const bool ok = GraphicsDevice::GetInstance().SaveScreenshot(path);
        std::printf("%s %s  chaser %s  wanderer %s  strong %s  player hp %d\n", ok ? "wrote" : "FAILED",
                    path.c_str(), name(chaser), name(wanderer), name(strong), scene->GetPlayer()->GetHp());
        std::fflush(stdout);
        ++shots;
        if (!ok) ++failures;
    };
    auto vomiting = [&]() {
        for (const auto& e : scene->GetEffectList()->GetEffects())
            if (dynamic_cast<const Vomiting*>(e.get())) return true;
        return false;
    };

    // Software rendering is slow: frames far from a capture run the game
    // update only; the frame just before a capture is a whole frame of the
    // application too, so the picture is current.
    std::map<int, std::string> plan = {{22, "zombies_walk.png"}, {34, "zombie_wanderer_dying.png"}};
    int attackFrame = -1, chaserDead = -1, vomitFrame = -1, strongDead = -1;
    for (int frame = 2; frame <= 1500; ++frame) {
        if (SceneManager::GetInstance().GetCurrentScene() != scene) break;
        Platform::Input::GetInstance().SetFrame(still);
        auto next = plan.lower_bound(frame);
        if (next != plan.end() && next->first - frame <= 1) {
            if (!app.RunFrame()) break;
        } else {
            scene->Update();
        }
        if (next != plan.end() && next->first == frame) shot(next->second.c_str());

        if (frame == 23) wanderer->Damage(10, wanderer->GetPosition());
        auto* attack = dynamic_cast<Attack*>(chaser->GetState());
        if (attackFrame < 0 && attack && attack->GetPhase() == Attack::kStrike) {
            attackFrame = frame;
            plan[frame + 3] = "zombie_strike_start.png";
            plan[frame + 12] = "zombie_strike_hit.png";
        }
        if (chaserDead < 0 && attackFrame > 0 && frame == attackFrame + 20) {
            chaser->Damage(10, chaser->GetPosition());
            chaserDead = frame;
            plan[frame + 10] = "zombie_dying.png";
            plan[frame + 45] = "zombie_dead.png";
            strong = list.AddStrong(Placed(27.0f, 5.5f, 17.0f, 180.0f));
        }
        if (strong && vomitFrame < 0 && vomiting()) {
            vomitFrame = frame;
            plan[frame + 8] = "zombie_strong_vomit.png";
        }
        if (strong && strongDead < 0 && vomitFrame > 0 && frame == vomitFrame + 25) {
            strong->Damage(30, strong->GetParts()[0]->world.Translation());
            strongDead = frame;
            plan[frame + 12] = "zombie_strong_dying.png";
            plan[std::max(frame + 60, chaserDead + 250)] = "zombies_dead_fading.png";
        }
        if (!plan.empty() && strongDead > 0 && frame >= plan.rbegin()->first) break;
    }
    if (SceneManager::GetInstance().GetCurrentScene() == scene)
        std::printf("player hp %d, game state %d\n", scene->GetPlayer()->GetHp(), static_cast<int>(scene->GetState()));
    else
        std::printf("the game scene ended before the script did\n");
    SceneManager::GetInstance().Clear();
    app.Shutdown();
    std::printf("%d shots, %d failed\n", shots, failures);
    return shots >= 9 && failures == 0 ? 0 : 1;
}
