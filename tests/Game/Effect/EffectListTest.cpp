// Effect list: update order, removal of ended effects, the bullet-hole cap
// and the blend states of the draw passes.
#include <gtest/gtest.h>

#include <memory>

#include "Framework/Graphics/GraphicsDevice.h"
#include "Framework/Graphics/ShaderManager.h"
#include "Framework/Graphics/VeTexture.h"
#include "Game/Effect/EffectList.h"

namespace {

// A test effect: counts updates, ends after 'life' of them, may leave a
// decal in its list on its first update.
class Puff : public Effect {
public:
    int updates = 0;
    int life = 1000;
    bool spawnDecal = false;
    std::shared_ptr<Puff> spawned;
    void Update() override {
        ++updates;
        if (spawnDecal && !spawned) {
            spawned = std::make_shared<Puff>();
            list_->AppendDecal(spawned);
        }
        if (updates >= life) alive_ = false;
    }
};

std::shared_ptr<Puff> MakePuff(EffectList& list) {
    auto p = std::make_shared<Puff>();
    p->SetList(&list);
    return p;
}

}  // namespace

TEST(EffectListTest, EndedEffectsAreRemovedInTheFrameTheyEnd) {
    EffectList list(nullptr);
    auto shortLived = MakePuff(list);
    shortLived->life = 2;
    auto longLived = MakePuff(list);
    list.Append(shortLived);
    list.Append(longLived);
    list.Update();
    EXPECT_EQ(list.GetEffects().size(), 2u);
    list.Update();
    ASSERT_EQ(list.GetEffects().size(), 1u);
    EXPECT_EQ(list.GetEffects().front(), longLived);
    EXPECT_EQ(shortLived->updates, 2);
}

TEST(EffectListTest, DecalSpawnedDuringUpdateIsUpdatedInTheSameFrame) {
    EffectList list(nullptr);
    auto bullet = MakePuff(list);
    bullet->spawnDecal = true;
    list.Append(bullet);
    list.Update();
    ASSERT_NE(bullet->spawned, nullptr);
    EXPECT_EQ(bullet->spawned->updates, 1);
}

TEST(EffectListTest, FiftyFirstHoleRemovesTheOldestDeadOrAlive) {
    EffectList list(nullptr);
    std::vector<std::shared_ptr<Puff>> holes;
    for (int i = 0; i < 50; ++i) {
        holes.push_back(MakePuff(list));
        list.AppendDecal(holes.back());
    }
    holes[0]->life = 1;  // dead holes stay until pushed out
    list.Update();
    EXPECT_EQ(list.GetDecals().size(), 50u);
    EXPECT_FALSE(holes[0]->IsAlive());
    holes.push_back(MakePuff(list));
    list.AppendDecal(holes.back());
    list.Update();
    ASSERT_EQ(list.GetDecals().size(), 50u);
    EXPECT_EQ(list.GetDecals().front(), holes[1]);
    EXPECT_EQ(list.GetDecals().back(), holes[50]);
}

TEST(EffectListTest, QuadCornersAndColour) {
    EffectList list(nullptr);
    auto p = MakePuff(list);
    p->SetQuad(nullptr, 2.0f, 4.0f, 0.5f, Vector2(0.25f, 0.0f), Vector2(0.5f, 1.0f), 1.0f, 0.5f, 0.0f);
    const EffectVertex* v = p->GetVertices();
    EXPECT_FLOAT_EQ(v[0].position.x, -2.0f);
    EXPECT_FLOAT_EQ(v[0].position.y, 1.0f);
    EXPECT_FLOAT_EQ(v[3].position.x, 2.0f);
    EXPECT_FLOAT_EQ(v[3].position.y, -1.0f);
    EXPECT_FLOAT_EQ(v[1].uv.x, 0.5f);
    EXPECT_FLOAT_EQ(v[1].uv.y, 0.0f);
    EXPECT_FLOAT_EQ(v[2].uv.x, 0.25f);
    EXPECT_FLOAT_EQ(v[2].uv.y, 1.0f);
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(v[i].colour.y, 0.5f);
        EXPECT_FLOAT_EQ(v[i].colour.w, 0.5f);
    }
}

TEST(EffectListTest, OnlyLiveTexturedEffectsDrawAndAdditiveOnesRestoreAlphaBlending) {
    EffectList list(nullptr);
    VeTexture texture;  // a picture (headless: its description only)
    TextureDesc desc;
    desc.width = desc.height = 1;
    desc.bindFlags = kBindShaderResource;
    const unsigned char white[4] = {255, 255, 255, 255};
    ASSERT_TRUE(texture.Create(desc, white, 4));
    auto untextured = MakePuff(list);
    auto textured = MakePuff(list);
    textured->SetTexture(&texture);
    auto additive = MakePuff(list);
    additive->SetTexture(&texture);
    additive->SetAdditive(true);
    auto last = MakePuff(list);
    last->SetTexture(&texture);
    last->SetDrawLast(true);
    auto dead = MakePuff(list);
    dead->SetTexture(&texture);
    dead->SetAlive(false);
    for (auto& e : {untextured, textured, additive, last, dead}) list.Append(e);

    std::vector<Render::EffectQuad> first, second;
    list.SubmitFirstPass(first);
    ASSERT_EQ(first.size(), 2u) << "the textured and the additive effect";
    EXPECT_EQ(first[0].blend, Render::Blend::Alpha);
    EXPECT_EQ(first[1].blend, Render::Blend::Additive);
    list.SubmitSecondPass(second);
    EXPECT_EQ(second.size(), 1u);
}

TEST(EffectListTest, BillboardFacesAwayFromTheCameraAndKeepsItsPosition) {
    Matrix m = Matrix::CreateTranslation(0, 0, 10);
    MakeBillboard(m, Vector3(0, 0, 0), 2.0f, 2.0f, 2.0f, Vector3(0, 1, 0));
    EXPECT_NEAR(m._41, 0.0f, 1e-6f);
    EXPECT_NEAR(m._43, 10.0f, 1e-6f);
    // Row 3 (z axis) points from the camera to the effect, scaled by 2.
    EXPECT_NEAR(m._33, 2.0f, 1e-5f);
    EXPECT_NEAR(m._11, 2.0f, 1e-5f);
    EXPECT_NEAR(m._22, 2.0f, 1e-5f);
}
