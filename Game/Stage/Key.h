// A key card of one colour (layout::kYellowKey, kBlueKey, kOrangeKey). It lies in the level until the
// player picks it up by looking at it from close by and pressing the right
// button; it is then held for good and shown again only while a reader
// takes it.
#pragma once

#include "Game/Object/Object.h"
#include "Game/Stage/LevelLayout.h"

class GameWorld;
class Stage;

class Key : public Object {
public:
    explicit Key(GameWorld* world);

    void Update() override;
    // Drawn only while visible.
    void Submit(std::vector<Render::ModelDraw>& out) const override;

    // Stores the colour and adds the card's model part (nothing for what is
    // no key colour).
    void SetColour(int colour);
    int GetColour() const { return colour_; }
    // A hidden card is no ray target either.
    void SetVisible(bool visible) {
        visible_ = visible;
        rayTarget_ = visible;
    }
    bool IsVisible() const { return visible_; }
    void SetInserting(bool inserting) { inserting_ = inserting; }
    bool IsInserting() const { return inserting_; }

private:
    bool inserting_ = false;
    bool visible_ = true;
    int colour_ = layout::kNoKey;
    GameWorld* world_ = nullptr;
};

// Creates a card of the colour at the world matrix and appends it to the
// stage's objects and keys.
Key* BuildKey(Stage* stage, const Matrix& world, int colour);
