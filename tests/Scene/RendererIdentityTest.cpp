// The renderer's savings change nothing on screen: the built laboratory is
// drawn from viewpoints over every floor, both stairwells and the generator
// hall with culling and per-model lights on and off, a late-game crowd
// of effects with and without runs of quads, and crowds of zombies drawn
// instanced and one subset at a time; the pictures read back (real GL under
// Xvfb, Mesa's llvmpipe) must match pixel for pixel.
#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "Framework/Graphics/GraphicsDevice.h"
#include "Framework/Graphics/ShaderManager.h"
#include "Framework/Model/VeModel.h"
#include "Framework/Platform/Input.h"
#include "Framework/Render/Renderer.h"
#include "Framework/ResourceCache.h"
#include "Game/Effect/EffectList.h"
#include "Game/Enemy/EnemyBase.h"
#include "Game/Enemy/EnemyList.h"
#include "Game/GameWorld.h"
#include "Game/Object/Player.h"
#include "Game/Object/Object.h"
#include "Game/Stage/Portal.h"
#include "Game/Stage/Stage.h"
#include "Scene/GameScene.h"
#include "Scene/SceneManager.h"
#include "tests/Framework/Graphics/GlFixture.h"

namespace {

struct View {
    const char* name;
    Vector3 eye;
    float yaw;    // degrees, 0 along +z, 90 along +x
    float pitch;  // degrees, up positive
};

Render::Camera CameraAt(const View& v) {
    const float yaw = v.yaw * Math::kDegToRad, pitch = v.pitch * Math::kDegToRad;
    const Vector3 forward(std::sin(yaw) * std::cos(pitch), std::sin(pitch), std::cos(yaw) * std::cos(pitch));
    Render::Camera camera;
    camera.view = Matrix::CreateLookTo(v.eye, forward, Vector3(0.0f, 1.0f, 0.0f));
    camera.eye = camera.view.Invert().Translation();
    camera.projection = Matrix::CreatePerspectiveFieldOfView(60.0f * Math::kDegToRad, 16.0f / 9.0f, 0.01f, 1000.0f);
    return camera;
}

// Eye heights: floor 0 at 6, floor 1 at -36, floor 2 at -78.
const View kViews[] = {
    {"hall_start", {20, 6, 0}, -90, 0},
    {"hall_north", {0, 6, -20}, 0, 0},
    {"hall_floor", {0, 6, 0}, 30, -80},
    {"storage", {0, 6, 60}, 0, 0},
    {"meeting", {-40, 6, 70}, 180, -10},
    {"east_corridor", {25, 6, 40}, 0, 0},
    {"north_corridor", {0, 6, 106}, 90, 0},
    {"stairwell1_top", {25, 6, 108}, 0, -20},
    {"stairwell1_flight1", {25, -8, 130}, 0, -30},
    {"stairwell1_landing", {35, -15, 145}, 90, -10},
    {"stairwell1_flight2_down", {45, -30, 125}, 180, -20},
    {"stairwell1_flight2_up", {45, -30, 118}, 0, 35},
    {"floor1_corridor_south", {45, -36, 100}, 180, 0},
    {"floor1_corridor_north", {45, -36, 50}, 0, 0},
    {"office", {15, -36, 85}, -90, -5},
    {"ammunition_room", {75, -36, 85}, 90, 0},
    {"plant_lab", {45, -36, 5}, 90, 0},
    {"plant_lab_ceiling", {45, -36, 5}, 0, 80},
    {"south_landing", {45, -36, -40}, 180, -10},
    {"stairwell2_flight3", {45, -55, -65}, 180, -30},
    {"stairwell2_landing", {55, -57, -83}, 90, 0},
    {"stairwell2_flight4_up", {65, -70, -60}, 180, 30},
    {"lower_corridor", {65, -78, -35}, 0, 0},
    {"generator_hall", {65, -78, 0}, 0, 0},
    {"generator_hall_side", {40, -70, 45}, 135, -10},
    {"generator_hall_corner", {100, -78, 60}, -135, 5},
    {"generator_hall_ceiling", {65, -78, 20}, 0, 85},
    {"generator_from_above", {65, -55, 5}, 0, -45},
};

}  // namespace

class RendererIdentity : public GlSuite {
protected:
    void SetUp() override {
        GlSuite::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        GameWorld::SetSeedOfNewGames(1);
        scene_ = std::make_unique<GameScene>();
    }
    void TearDown() override {
        scene_.reset();
        if (VeMesh::GetChunkCell() != defaultCell_) {
            VeMesh::SetChunkCell(defaultCell_);
            ResourceCache::GetInstance().Clear();
        }
        Render::Renderer::GetInstance().GetOptions() = Render::Options{};
        GlSuite::TearDown();
    }

    // The world as the game would draw it from this camera, with the given
    // extra point lights, into the scene's picture; returns the pixels.
    GlPicture Draw(const Render::Camera& camera, const std::vector<Render::PointLight>& lights,
                                    const Render::Options& options) {
        Render::Renderer& renderer = Render::Renderer::GetInstance();
        renderer.GetOptions() = options;
        GameWorld& world = scene_->GetWorld();
        world.SetCamera(camera);
        VeTexture& target = scene_->GetSceneTexture();
        target.Clear(0.0f, 0.0f, 0.0f, 1.0f);
        target.SetAsRenderTarget();
        GraphicsDevice::GetInstance().ClearDepthStencil(1.0f, 0);
        // A picture drawn smaller takes the target's corner, as in the game.
        if (drawWidth_ > 0)
            GraphicsDevice::GetInstance().SetViewport(0, target.GetHeight() - drawHeight_, drawWidth_, drawHeight_);
        Render::Frame frame;
        frame.lighting = scene_->GetLighting();
        world.DescribeFrame(frame);
        frame.reducedScale = reducedScale_;
        frame.lighting.points.insert(frame.lighting.points.end(), lights.begin(), lights.end());
        renderer.DrawWorld(frame);
        return GlPicture::Grab();
    }

    // The level's zombies make way for these, standing at the given places
    // on the floor below the eye (every strongEvery-th a strong one, none
    // with 0) and facing it,
    // with the player at the eye; then the crowd moves for a while, so that
    // no two stand in the same pose.
    void PlaceCrowd(const Vector3& eye, float floorY, const std::vector<Vector3>& places, size_t strongEvery) {
        EnemyList& list = *scene_->GetEnemyList();
        list.Clear();
        Player& player = *scene_->GetPlayer();
        player.SetMatrix(Matrix::CreateTranslation(eye));
        player.SetCurrentFloor(scene_->GetStage()->GetFloor(eye));
        for (size_t i = 0; i < places.size(); ++i) {
            const Vector3 p(places[i].x, floorY, places[i].z);
            const float yaw = std::atan2(eye.x - p.x, eye.z - p.z);
            const Matrix turn = Matrix::CreateRotationY(yaw);
            EnemyBase* z = strongEvery > 0 && i % strongEvery == strongEvery - 1 ? list.AddStrong(turn * Matrix::CreateTranslation(p))
                                      : list.AddNormal(turn * Matrix::CreateTranslation(p));
            z->SetMatrix(turn * Matrix::CreateTranslation(p + Vector3(0.0f, z->GetGroundOffset(), 0.0f)));
            z->SetHp(1000000);
            z->SetAttackPower(0);
        }
        for (int step = 0; step < 40; ++step) {
            list.Update();
            if (step == 2)
                for (EnemyBase* z : list.GetEnemies()) z->Damage(1, z->GetPosition());
        }
    }

    // The picture with the actors instanced and one subset at a time, with
    // the renderer's figures for each.
    struct Pair {
        size_t different = 0;
        Render::Stats instanced, plain;
    };
    Pair DrawBothWays(const Render::Camera& camera, Render::Options options, const std::string& shot) {
        options.instance = false;
        const GlPicture reference = Draw(camera, {}, options);
        Pair pair;
        pair.plain = Render::Renderer::GetInstance().GetStats();
        options.instance = true;
        const GlPicture instanced = Draw(camera, {}, options);
        pair.instanced = Render::Renderer::GetInstance().GetStats();
        Shot(shot);
        pair.different = GlPicture::CountDifferent(reference, instanced);
        return pair;
    }

    // The game anew with its models made with the given chunk cell (0:
    // every subset whole).
    void ReloadLevel(float cell) {
        scene_.reset();
        ResourceCache::GetInstance().Clear();
        VeMesh::SetChunkCell(cell);
        GameWorld::SetSeedOfNewGames(1);
        scene_ = std::make_unique<GameScene>();
    }

    // The generator hall: 80 places in rows in front of the eye, clear of
    // the generator's base.
    std::vector<Vector3> HallRows(const Vector3& eye) {
        const Vector3 generator = scene_->GetStage()->GetPortal()->GetPosition();
        std::vector<Vector3> hall;
        for (float z = eye.z + 8.0f; z <= 60.0f && hall.size() < 80; z += 4.0f)
            for (float x = 25.0f; x <= 105.0f && hall.size() < 80; x += 4.0f) {
                const float dx = x - generator.x, dz = z - generator.z;
                if (std::fabs(x - eye.x) <= 0.9f * (z - eye.z) && dx * dx + dz * dz >= 13.0f * 13.0f)
                    hall.push_back(Vector3(x, 0.0f, z));
            }
        return hall;
    }
    const Vector3 kHallEye{65.0f, -78.0f, -10.0f};
    bool reducedScale_ = false;  // the frames drawn say they are drawn below the window's size
    int drawWidth_ = 0, drawHeight_ = 0;  // the part of the target drawn into (0: all of it)

    std::unique_ptr<GameScene> scene_;
    const float defaultCell_ = VeMesh::GetChunkCell();
};

TEST_F(RendererIdentity, CullingAndPerModelLightsLeaveEveryViewpointAsItWas) {
    // Lights near the eye, ahead of it and far off, in that order: the near
    // ones reach some models and parts of the level and not others.
    auto lightsFor = [](const View& view) {
        const float yaw = view.yaw * Math::kDegToRad;
        const Vector3 ahead(std::sin(yaw), 0.0f, std::cos(yaw));
        return std::vector<Render::PointLight>{
            {Vector3(3.0f, 2.0f, 1.0f), view.eye + ahead * 4.0f, 8.0f},
            {Vector3(0.0f, 4.0f, 2.0f), view.eye + ahead * 25.0f + Vector3(3.0f, -2.0f, 0.0f), 12.0f},
            {Vector3(5.0f, 0.0f, 0.0f), view.eye + Vector3(300.0f, 0.0f, 0.0f), 5.0f},
        };
    };
    Render::Options plain;
    plain.cull = false;
    plain.lightsPerModel = false;

    // The reference: the level as loaded, whole subsets, everything drawn
    // with every light; culled and lit per model, as it was.
    const float cell = VeMesh::GetChunkCell();
    ReloadLevel(0.0f);
    std::vector<GlPicture> references;
    std::vector<Render::Stats> all;
    for (const View& view : kViews) {
        const Render::Camera camera = CameraAt(view);
        references.push_back(Draw(camera, lightsFor(view), plain));
        all.push_back(Render::Renderer::GetInstance().GetStats());
        EXPECT_EQ(all.back().subsetsCulled, 0) << view.name;
        EXPECT_EQ(all.back().chunks, 0) << view.name << ": nothing split";
        EXPECT_EQ(GlPicture::CountDifferent(references.back(), Draw(camera, lightsFor(view), Render::Options{})), 0u)
            << view.name << ", whole subsets culled";
    }

    // The level split into chunks, culled and lit chunk by chunk.
    ReloadLevel(cell);
    int views = 0, viewsWithCulling = 0, viewsWithFewerLights = 0, viewsWithChunksCulled = 0;
    for (size_t v = 0; v < std::size(kViews); ++v) {
        const View& view = kViews[v];
        const GlPicture culled = Draw(CameraAt(view), lightsFor(view), Render::Options{});
        const Render::Stats saved = Render::Renderer::GetInstance().GetStats();
        if (std::string(view.name) == "generator_hall" || std::string(view.name) == "stairwell1_flight1")
            Shot(std::string("identity_") + view.name + ".png");

        EXPECT_EQ(GlPicture::CountDifferent(references[v], culled), 0u) << view.name;
        EXPECT_EQ(saved.subsets, all[v].subsets) << view.name << ": the same submission";
        EXPECT_EQ(saved.subsetsDrawn + saved.subsetsCulled, all[v].subsetsDrawn) << view.name;
        // The floors the eye sees are drawn in chunks.
        EXPECT_GT(saved.chunks, 0) << view.name;
        if (saved.chunksCulled > 0) ++viewsWithChunksCulled;
        if (saved.subsetsDrawn < all[v].subsetsDrawn) ++viewsWithCulling;
        if (saved.modelLights < all[v].modelLights) ++viewsWithFewerLights;
        ++views;
    }
    EXPECT_GE(views, 20);
    // Every view leaves something out: the level is far bigger than a view,
    // and so is each floor.
    EXPECT_EQ(viewsWithCulling, views);
    EXPECT_EQ(viewsWithChunksCulled, views);
    EXPECT_EQ(viewsWithFewerLights, views);
}

TEST_F(RendererIdentity, RunsOfEffectQuadsDrawTheLateGameCrowdAsOneByOneWithTheAlphaTest) {
    EffectList& effects = *scene_->GetEffectList();
    const View view{"plant_lab_effects", {45, -36, 5}, 90, -5};
    scene_->GetWorld().SetCamera(CameraAt(view));
    // Bubbles in every tank, sparks and smoke in the air, shots at the far
    // wall leaving holes: about as many quads as the late game has.
    for (int i = 0; i < 1600; ++i) {
        const float a = static_cast<float>(i % 360) * Math::kDegToRad;
        const Vector3 tank(i % 2 ? 30.0f : 60.0f, -42.0f + (i % 7), static_cast<float>((i % 3) * 20 - 20));
        effects.AddBubble(tank + Vector3(1.5f * std::sin(a), 0.0f, 1.5f * std::cos(a)), 18.0f);
    }
    for (int i = 0; i < 60; ++i) effects.AddHit(Vector3(55.0f + (i % 10), -38.0f + (i % 5), -10.0f + 2.0f * (i % 12)));
    Stage& stage = *scene_->GetStage();
    Object* wall = nullptr;
    for (Object* o : stage.GetObjects())
        if (o->GetFloor() == 1 && o->GetKind() == kKindStage) wall = o;
    for (int i = 0; i < 60; ++i) {
        const Vector3 from(45.0f, -36.0f, 5.0f);
        const Vector3 direction = Vector3(1.0f, 0.02f * (i % 9 - 4), 0.05f * (i % 13 - 6)).Normalized();
        effects.AddBullet(from, direction, 20.0f, Vector3(-1.0f, 0.0f, 0.0f), wall, 1);
    }
    for (int step = 0; step < 12; ++step) effects.Update();
    // Electric sparks last two steps: these are fresh.
    for (int i = 0; i < 60; ++i)
        effects.AddElectronic(Vector3(50.0f + (i % 10), -37.0f + (i % 5), -8.0f + 2.0f * (i % 12)), nullptr,
                              Vector3(0.2f, 0.6f, 1.0f));
    // Smoke as a dead generator light sends it (a cell of the smoke sheet
    // with a clear border), among and behind the bubbles, some fading out.
    VeTexture* smoke = ResourceCache::GetInstance().GetTexture("Data/smoke.png");
    SmokeDesc puff;
    puff.texture = smoke;
    puff.life = 180;
    puff.uvTopLeft = Vector2(0.875f, 0.375f);
    puff.uvBottomRight = Vector2(1.0f, 0.5f);
    puff.speed = {0.02f, 0.001f};
    for (int i = 0; i < 80; ++i) {
        puff.position = Vector3(34.0f + 4.0f * (i % 8), -41.0f + (i % 5), -12.0f + 3.0f * (i % 9));
        puff.alpha = {1.0f - 0.01f * i, 0.0f};
        puff.size = {1.0f + (i % 5), 5.0f};
        puff.additive = i % 4 == 0;
        effects.AddSmoke(puff);
    }

    // The reference draws each quad on its own, every one with the alpha
    // test; the game's way draws runs, and the quads that write no depth
    // without the test.
    Render::Options oneByOne;
    oneByOne.batch = false;
    oneByOne.untestedEffects = false;
    const GlPicture reference = Draw(CameraAt(view), {}, oneByOne);
    const Render::Stats single = Render::Renderer::GetInstance().GetStats();
    const GlPicture batched = Draw(CameraAt(view), {}, Render::Options{});
    const Render::Stats runs = Render::Renderer::GetInstance().GetStats();
    Shot("identity_effects.png");

    EXPECT_EQ(GlPicture::CountDifferent(reference, batched), 0u);
    EXPECT_GE(runs.effectQuads, 1600);
    EXPECT_EQ(effects.GetDecals().size(), EffectList::kMaxDecals);
    EXPECT_EQ(single.effectDraws, single.effectQuads);
    // Bubbles, holes and sparks come in long runs of one texture each.
    EXPECT_LT(runs.effectDraws * 10, runs.effectQuads);
}

// The stress case (80 zombies awake in the generator hall, a few of them
// fading out as the dead do), a crowd in a corridor, and 300 ordinary ones
// filling the hall, more than one instanced draw takes: every zombie subset
// drawn alike goes in a draw or a few, and nothing on screen changes.
//
// The zombies stand at least as far apart as the game pushes them (4 units).
// Packed closer they pass through each other, and where two surfaces cross,
// both give the same depth-buffer value at a pixel or two; the first drawn
// keeps the pixel, and instancing draws them in another order (found with a
// corridor of zombies 0.55 units apart: one pixel of 921,600 differed, where
// one zombie's arm met the body of the next at an equal depth value).
TEST_F(RendererIdentity, InstancedZombiesDrawAsOneSubsetAtATime) {
    Stage& stage = *scene_->GetStage();
    ASSERT_NE(stage.GetPortal(), nullptr);
    const Vector3 generator = stage.GetPortal()->GetPosition();
    auto clearOfGenerator = [&](float x, float z) {
        const float dx = x - generator.x, dz = z - generator.z;
        return dx * dx + dz * dz >= 13.0f * 13.0f;
    };

    const std::vector<Vector3> hall = HallRows(kHallEye);
    ASSERT_EQ(hall.size(), 80u);
    PlaceCrowd(kHallEye, generator.y, hall, 4);
    // Two fade out, as dead ones do.
    int index = 0;
    for (EnemyBase* z : scene_->GetEnemyList()->GetEnemies()) {
        if (index == 1) z->SetAlpha(0.6f);
        if (index == 6) z->SetAlpha(0.3f);
        ++index;
    }
    const Pair inHall = DrawBothWays(CameraAt({"stress_hall", kHallEye, 0, -8}), Render::Options{},
                                     "identity_instanced_hall.png");
    EXPECT_EQ(inHall.different, 0u);
    EXPECT_EQ(inHall.instanced.subsetsDrawn, inHall.plain.subsetsDrawn);
    EXPECT_EQ(inHall.instanced.depthDraws, inHall.plain.depthDraws);
    EXPECT_EQ(inHall.instanced.modelLights, inHall.plain.modelLights);
    // One draw per subset without instancing; the fading ones still take one
    // each with it (and part the order), the rest share a few.
    EXPECT_GE(inHall.plain.actorDraws, 80 * 15);
    EXPECT_LT(inHall.instanced.actorDraws * 5, inHall.plain.actorDraws);
    EXPECT_LT(inHall.instanced.actorDepthDraws * 20, inHall.plain.actorDepthDraws);

    // A corridor, looking down it at two files of zombies.
    const Vector3 corridorEye(45.0f, -36.0f, 100.0f);
    std::vector<Vector3> corridor;
    for (int i = 0; i < 24; ++i)
        corridor.push_back(Vector3(i % 2 ? 47.0f : 43.0f, 0.0f, 92.0f - 4.0f * static_cast<float>(i / 2)));
    PlaceCrowd(corridorEye, corridorEye.y - 6.0f, corridor, 3);
    const Pair inCorridor = DrawBothWays(CameraAt({"corridor_crowd", corridorEye, 180, -5}), Render::Options{},
                                         "identity_instanced_corridor.png");
    EXPECT_EQ(inCorridor.different, 0u);
    EXPECT_LT(inCorridor.instanced.actorDraws * 5, inCorridor.plain.actorDraws);

    // The hall full, seen from a corner above; every light on every model,
    // so that nothing but the look of the subsets parts them.
    const Vector3 cornerEye(100.0f, -66.0f, 60.0f);
    std::vector<Vector3> full;
    for (float z = -2.0f; z <= 62.0f; z += 4.0f)
        for (float x = 24.0f; x <= 106.0f && full.size() < 300; x += 4.0f)
            if (clearOfGenerator(x, z) && Vector3::Distance(Vector3(x, cornerEye.y, z), cornerEye) > 8.0f)
                full.push_back(Vector3(x, 0.0f, z));
    ASSERT_EQ(full.size(), 300u);
    PlaceCrowd(cornerEye, generator.y, full, 0);
    Render::Options allLights;
    allLights.lightsPerModel = false;
    const Pair filled = DrawBothWays(CameraAt({"full_hall", cornerEye, -135, -25}), allLights,
                                     "identity_instanced_full_hall.png");
    EXPECT_EQ(filled.different, 0u);
    EXPECT_EQ(filled.instanced.subsetsDrawn, filled.plain.subsetsDrawn);
    // Some subset is seen on more zombies than one draw takes: it goes in
    // full draws and a rest.
    EXPECT_EQ(filled.instanced.mostInstances, ShaderManager::kInstancesPerDraw);
    EXPECT_EQ(filled.plain.mostInstances, 0);
    EXPECT_GT(filled.plain.actorDepthDraws, filled.instanced.actorDepthDraws * 100);
}

// A picture drawn without the depth pass (at a smaller render scale) shades
// the actors before the stage where every pixel of both is written whole,
// so that the stage behind them is never shaded. The generator hall with its
// crowd and the glowing generator in view looks the same in either order
// but for the seams where a zombie passes through the stage; with a zombie
// fading out the stage goes first again, and nothing changes.
TEST_F(RendererIdentity, ActorsBeforeTheStageLeaveTheHallAsItWas) {
    ASSERT_NE(scene_->GetStage()->GetPortal(), nullptr);
    const std::vector<Vector3> hall = HallRows(kHallEye);
    ASSERT_EQ(hall.size(), 80u);
    PlaceCrowd(kHallEye, scene_->GetStage()->GetPortal()->GetPosition().y, hall, 4);
    const Render::Camera camera = CameraAt({"stress_hall", kHallEye, 0, -8});

    Render::Options stageFirst;
    stageFirst.depthPassMinPixels = 1L << 40;  // never: as on a small picture
    stageFirst.actorsFirst = false;
    Render::Options actorsFirst = stageFirst;
    actorsFirst.actorsFirst = true;
    for (bool fading : {false, true}) {
        SCOPED_TRACE(fading ? "a zombie fading" : "every zombie whole");
        if (fading) scene_->GetEnemyList()->GetEnemies()[5]->SetAlpha(0.5f);
        const GlPicture reference = Draw(camera, {}, stageFirst);
        EXPECT_EQ(Render::Renderer::GetInstance().GetStats().actorsFirst, 0);
        EXPECT_EQ(Render::Renderer::GetInstance().GetStats().depthDraws, 0);
        const GlPicture picture = Draw(camera, {}, actorsFirst);
        EXPECT_EQ(Render::Renderer::GetInstance().GetStats().actorsFirst, fading ? 0 : 1);
        Shot(fading ? "identity_actors_first_fading.png" : "identity_actors_first.png");
        // Where a zombie passes through the stage (feet in the floor, a
        // head in a hanging cable) both give one depth value at a pixel or
        // two along the seam, and the first drawn keeps it: 8 of 921,600
        // pixels here. A zombie blended over the wrong background would
        // change thousands.
        EXPECT_LE(GlPicture::CountDifferent(reference, picture), fading ? 0u : 16u);
    }
}

// The zombies' far models (fewer facets) are drawn only in a picture drawn
// below the window's size, and only for parts that come out small there:
// at full size nothing changes; reduced, the far parts of the crowd in the
// hall take their far look, the nearest keep the full one, and the picture
// stays close to the full-detail one.
TEST_F(RendererIdentity, FarModelsOnlyForSmallPartsOfAReducedPicture) {
    ASSERT_NE(scene_->GetStage()->GetPortal(), nullptr);
    const std::vector<Vector3> hall = HallRows(kHallEye);
    PlaceCrowd(kHallEye, scene_->GetStage()->GetPortal()->GetPosition().y, hall, 4);
    const Render::Camera camera = CameraAt({"stress_hall", kHallEye, 0, -8});
    Render::Options fullDetail;
    fullDetail.farModelPixels = 0.0f;

    const GlPicture reference = Draw(camera, {}, fullDetail);
    const Render::Stats full = Render::Renderer::GetInstance().GetStats();
    EXPECT_EQ(full.farModels, 0);
    const GlPicture sameSize = Draw(camera, {}, Render::Options{});
    EXPECT_EQ(Render::Renderer::GetInstance().GetStats().farModels, 0) << "never at the window's size";
    EXPECT_EQ(GlPicture::CountDifferent(reference, sameSize), 0u);

    reducedScale_ = true;
    const GlPicture reduced = Draw(camera, {}, Render::Options{});
    const Render::Stats far = Render::Renderer::GetInstance().GetStats();
    Shot("far_models_hall.png");
    const int parts = full.models - full.modelsCulled;  // drawn, stage and actors
    EXPECT_GT(far.farModels, 200) << "most of the crowd is far";
    EXPECT_LT(far.farModels, static_cast<int>(hall.size()) * 7 - 20) << "the nearest keep their full look";
    EXPECT_LT(far.farModels, parts);
    const size_t differ = GlPicture::CountDifferent(reference, reduced, 24);
    EXPECT_GT(differ, 0u);
    EXPECT_LT(differ, reference.rgba.size() / 4 / 50) << "under 2% of the pixels differ noticeably";
}

// The generator's smoke late in the game, drawn at half the window's size:
// in a coarse layer it looks as drawn pixel for pixel (behind the generator
// it stays hidden, over the hall it shades alike), and a picture at the
// window's size never takes the layer.
TEST_F(RendererIdentity, ACrowdOfSmokeInAReducedPictureGoesInACoarseLayerThatLooksAlike) {
    ASSERT_NE(scene_->GetStage()->GetPortal(), nullptr);
    const Vector3 generator = scene_->GetStage()->GetPortal()->GetPosition();
    const Vector3 eye(generator.x + 4.0f, kHallEye.y, generator.z - 24.0f);
    const Render::Camera camera = CameraAt({"generator_smoke", eye, -8, 4});
    scene_->GetEnemyList()->Clear();
    drawWidth_ = 640;
    drawHeight_ = 360;
    reducedScale_ = true;
    const GlPicture clearAir = Draw(camera, {}, Render::Options{});

    // Puffs around and above the generator, the way its dead lights send
    // them, at all ages; one in five added rather than laid over.
    EffectList& effects = *scene_->GetEffectList();
    VeTexture* smoke = ResourceCache::GetInstance().GetTexture("Data/smoke.png");
    unsigned seed = 12345;
    auto next = [&seed](unsigned n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    for (int i = 0; i < 600; ++i) {
        const float r = 3.0f + static_cast<float>(next(7)), t = static_cast<float>(next(360)) * Math::kDegToRad;
        const Vector3 at = generator + Vector3(r * std::sin(t), 2.0f + static_cast<float>(next(10)), r * std::cos(t));
        SmokeDesc puff;
        puff.texture = smoke;
        puff.position = at;
        puff.life = 180;
        puff.uvTopLeft = Vector2(0.875f, 0.375f);
        puff.uvBottomRight = Vector2(1.0f, 0.5f);
        puff.alpha = {1.0f, 0.0f};
        puff.speed = {0.02f, 0.001f};
        puff.size = {1.0f, 5.0f};
        puff.additive = i % 5 == 0;
        effects.AddSmoke(puff);
        if (i % 4 == 0) effects.Update();
    }

    Render::Options fine;
    fine.coarseEffects = false;
    const GlPicture reference = Draw(camera, {}, fine);
    EXPECT_EQ(Render::Renderer::GetInstance().GetStats().coarseQuads, 0);
    const GlPicture coarse = Draw(camera, {}, Render::Options{});
    const Render::Stats stats = Render::Renderer::GetInstance().GetStats();
    Shot("coarse_smoke.png");
    EXPECT_GE(stats.coarseQuads, 500);

    const size_t pixels = reference.rgba.size() / 4 / 4;  // the quarter drawn into
    const size_t smoky = GlPicture::CountDifferent(clearAir, reference, 8);
    EXPECT_GT(smoky, pixels / 10) << "the smoke covers much of the picture";
    const size_t noticeably = GlPicture::CountDifferent(reference, coarse, 24);
    const size_t slightly = GlPicture::CountDifferent(reference, coarse, 6);
    EXPECT_LT(noticeably, pixels / 200) << "under 0.5% of the pixels differ noticeably";
    EXPECT_LT(slightly, smoky / 5) << "the smoke shades alike";

    // At the window's size the layer is never taken.
    drawWidth_ = drawHeight_ = 0;
    reducedScale_ = false;
    const GlPicture fullFine = Draw(camera, {}, fine);
    const GlPicture full = Draw(camera, {}, Render::Options{});
    EXPECT_EQ(Render::Renderer::GetInstance().GetStats().coarseQuads, 0);
    EXPECT_EQ(GlPicture::CountDifferent(fullFine, full), 0u);
}
