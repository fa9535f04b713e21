// Effect list: update, removal, the 50-hole cap and the two draw passes.
#include "Game/Effect/EffectList.h"

#include "Game/GameWorld.h"

EffectList::EffectList(GameWorld* world) : world_(world) {}

Math::Random& EffectList::GetRandom() const { return RandomOf(world_); }

EffectList::~EffectList() {
    effects_.clear();
    decals_.clear();
}

void EffectList::Append(const std::shared_ptr<Effect>& effect) {
    if (effect) effects_.push_back(effect);
}

void EffectList::AppendDecal(const std::shared_ptr<Effect>& decal) {
    if (decal) decals_.push_back(decal);
}

void EffectList::Update() {
    // Walk by iterator: an effect may spawn further effects (appended at the
    // back of either list) while it updates; std::list keeps iterators valid.
    for (auto it = effects_.begin(); it != effects_.end(); ++it) (*it)->Update();
    for (auto it = decals_.begin(); it != decals_.end(); ++it) (*it)->Update();
    effects_.remove_if([](const std::shared_ptr<Effect>& e) { return !e->IsAlive(); });
    while (decals_.size() > kMaxDecals) decals_.pop_front();
}

void EffectList::SubmitEffects(std::vector<Render::EffectQuad>& out, bool drawLast) const {
    for (const auto& effect : effects_)
        if (effect->IsDrawLast() == drawLast) effect->Submit(out);
}

void EffectList::SubmitFirstPass(std::vector<Render::EffectQuad>& out) const {
    for (const auto& decal : decals_) decal->Submit(out);
    SubmitEffects(out, false);
}

void EffectList::SubmitSecondPass(std::vector<Render::EffectQuad>& out) const { SubmitEffects(out, true); }
