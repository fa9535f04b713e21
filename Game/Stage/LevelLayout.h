// The laboratory's layout, written once: the map pieces and every door set,
// key card, piece of furniture, ammunition box, zombie and the generator, in
// the order the level is built. BuildStage walks kLevel from first to last
// (that order is the stage's list order, and so the order in which objects
// are updated and drawn); the data generator cuts the doors' wall openings
// and lights the generator hall from the same numbers; the tests hold the
// built stage and the generated maps to them.
//
// Coordinates: x east, z north, y up, in world units; the floors' ground lies
// at y 0, -42 and -84. A yaw is a turn about +y in degrees made before the
// move: world = RotationY(yaw) x Translation(x, y, z).
#pragma once

#include <cstddef>

#include "Framework/Render/RenderFrame.h"
#include "Game/AssetPaths.h"

namespace layout {

// The floor of a piece that belongs to every floor (the stairwells): it is
// active whichever floor the player is on, and the renderer, which takes the
// same number, never leaves it out for its floor.
inline constexpr int kEveryFloor = Render::kEveryFloor;

// Key card colours, also the index of a card's model and picture; a door
// that opens without a card needs kNoKey.
inline constexpr int kNoKey = -1;
inline constexpr int kYellowKey = 0;
inline constexpr int kBlueKey = 1;
inline constexpr int kOrangeKey = 2;
inline constexpr int kKeyColourCount = 3;
constexpr bool IsKeyColour(int colour) { return colour >= 0 && colour < kKeyColourCount; }

// A map piece: drawn model, hit-test model, and its floor (kEveryFloor for
// the stairwells).
struct MapPiece {
    const char* model;
    const char* rayModel;
    int floor;
};
inline constexpr MapPiece kMap1{asset::model::kMap1, asset::model::kMap1Ray, 0};
inline constexpr MapPiece kMapS{asset::model::kMapS, asset::model::kMapSRay, kEveryFloor};
inline constexpr MapPiece kMap2{asset::model::kMap2, asset::model::kMap2Ray, 1};
inline constexpr MapPiece kMap3{asset::model::kMap3, asset::model::kMap3Ray, 2};

// A door set: the door's hinge, its yaw, and the card it needs. The leaf
// spans hinge-local x 0..6 and y 0..10, so its wall's opening is exactly
// that; it swings towards local +z. Named A to J as on the floor plan.
struct DoorSpot {
    float x, y, z;
    float yaw;
    int key;
};
inline constexpr DoorSpot kDoorA{22, 0, 20, 0, kNoKey};       // south hall -> east corridor
inline constexpr DoorSpot kDoorB{22, 0, 60, 0, kYellowKey};   // across the east corridor
inline constexpr DoorSpot kDoorC{20, 0, 92, -90, kBlueKey};   // storage room -> east corridor
inline constexpr DoorSpot kDoorD{-22, 0, 100, 180, kYellowKey};  // meeting room -> north corridor
inline constexpr DoorSpot kDoorE{-2, 0, 20, 180, kNoKey};     // south hall -> storage room
inline constexpr DoorSpot kDoorF{50, -42, 88, 90, kYellowKey};   // corridor -> ammunition room
inline constexpr DoorSpot kDoorG{40, -42, 72, -90, kBlueKey};    // corridor -> office
inline constexpr DoorSpot kDoorH{48, -42, 40, 180, kOrangeKey};  // corridor -> plant lab
inline constexpr DoorSpot kDoorI{48, -42, -30, 180, kOrangeKey}; // plant lab -> south landing
inline constexpr DoorSpot kDoorJ{62, -84, -20, 0, kOrangeKey};   // lower corridor -> generator hall
inline constexpr float kDoorWidth = 6.0f;
inline constexpr float kDoorHeight = 10.0f;

struct Point {
    float x, y, z;
};

// The generator's centre, in the middle of the hall on the lowest floor.
inline constexpr Point kGenerator{65, -84, 20};

// What a placement puts into the level.
enum class Piece : unsigned char {
    Map,          // a map piece (Placement::map), at the origin
    DoorSet,      // door, card reader, handle
    KeyCard,      // lying flat: RotationX(90) x RotationY(yaw) x Translation
    Desk3,
    Desk4,
    Desk5,
    Shelf2,
    BulletShelf,  // followed by the ammunition boxes of kShelfBoxes on its boards
    Chair,
    Pc,           // drawn at kPcScale: Scale x Translation
    Monitor,
    Plant,        // the pot, the floating zombie and the glass
    AmmoBox,      // not turned
    Zombie,       // a normal zombie standing when the game starts, not turned
    Generator,    // the whole generator (core, sphere, lights, pipes, holes), not turned
};

struct Placement {
    Piece piece;
    float x, y, z;
    float yaw;
    int key;              // door sets: the card needed; key cards: their colour; else kNoKey
    const MapPiece* map;  // map pieces: which one; else null
};

constexpr Placement MapAt(const MapPiece& map) { return {Piece::Map, 0, 0, 0, 0, kNoKey, &map}; }
constexpr Placement DoorAt(const DoorSpot& d) { return {Piece::DoorSet, d.x, d.y, d.z, d.yaw, d.key, nullptr}; }
constexpr Placement CardAt(int colour, float x, float y, float z, float yaw) {
    return {Piece::KeyCard, x, y, z, yaw, colour, nullptr};
}
constexpr Placement At(Piece piece, float x, float y, float z, float yaw = 0) {
    return {piece, x, y, z, yaw, kNoKey, nullptr};
}
constexpr Placement ZombieAt(float x, float y, float z) { return At(Piece::Zombie, x, y, z); }

inline constexpr float kPcScale = 0.5f;

// The shelf-local points where a bullet shelf's six boxes stand, on its two
// boards: box world = Translation(point) x shelf world.
inline constexpr Point kShelfBoxes[] = {
    {-6, 0.2f, -1}, {-6, 0.2f, 1}, {6, 0.2f, 1}, {6, 4.2f, 1}, {-6, 4.2f, 1}, {-6, 4.2f, -1},
};

inline constexpr Placement kLevel[] = {
    // ---- Floor 0 (the ground floor)
    MapAt(kMap1),
    DoorAt(kDoorA), DoorAt(kDoorB), DoorAt(kDoorC), DoorAt(kDoorD), DoorAt(kDoorE),
    CardAt(kYellowKey, -4, 3, -10, 30),
    CardAt(kBlueKey, -45, 3.2f, 55, 0),
    At(Piece::Desk4, -5, 0, -10, 180),
    At(Piece::Desk3, -40, 0, 70, 0),
    At(Piece::Chair, -5, 0, -13, 0),
    At(Piece::Chair, -27, 0, 60, -94),
    At(Piece::Chair, -27, 0, 70, -100),
    At(Piece::Chair, -27, 0, 80, -88),
    At(Piece::Chair, -53, 0, 60, 80),
    At(Piece::Chair, -53, 0, 70, 82),
    At(Piece::Chair, -53, 0, 80, 91),
    At(Piece::Monitor, -40, 6, 40.1f, 0),
    At(Piece::Pc, -6, 3.1f, -10),
    At(Piece::Shelf2, 0, 0, 70, 0),
    At(Piece::Shelf2, 0, 0, 80, 0),
    At(Piece::Shelf2, 0, 0, 90, 0),
    At(Piece::AmmoBox, -18, 0, 75),
    ZombieAt(0, 5, 5), ZombieAt(0, 5, -5), ZombieAt(-30, 5, 10), ZombieAt(-30, 5, -10),
    ZombieAt(-20, 5, 10), ZombieAt(-20, 5, -10), ZombieAt(-50, 5, 80), ZombieAt(-50, 5, 40),
    ZombieAt(-30, 5, 80), ZombieAt(-30, 5, 40), ZombieAt(10, 5, 65), ZombieAt(-15, 5, 65),
    ZombieAt(-15, 5, 85), ZombieAt(0, 5, 75),

    // ---- The stairwells (every floor), then floor 1
    MapAt(kMapS),
    MapAt(kMap2),
    DoorAt(kDoorF), DoorAt(kDoorG), DoorAt(kDoorH), DoorAt(kDoorI),
    CardAt(kOrangeKey, 5, -37.5f, 103, 0),
    At(Piece::Plant, 60, -42, -20, -90),
    At(Piece::Plant, 60, -42, 0, -90),
    At(Piece::Plant, 60, -42, 20, -90),
    At(Piece::Plant, 30, -42, -20, 90),
    At(Piece::Plant, 30, -42, 0, 90),
    At(Piece::Plant, 30, -42, 20, 90),
    At(Piece::Monitor, -9.9f, -36, 85, 90),
    At(Piece::Desk5, 5, -42, 95, -90),
    At(Piece::Desk5, 5, -42, 75, -90),
    At(Piece::Desk5, 20, -42, 95, -90),
    At(Piece::Desk5, 20, -42, 75, -90),
    At(Piece::Chair, 11, -42, 70, -90),
    At(Piece::Chair, 11, -42, 80, -90),
    At(Piece::Chair, 11, -42, 90, -90),
    At(Piece::Chair, 11, -42, 100, -90),
    At(Piece::Chair, 26, -42, 70, -90),
    At(Piece::Chair, 26, -42, 80, -90),
    At(Piece::Chair, 26, -42, 90, -90),
    At(Piece::Chair, 26, -42, 100, -90),
    At(Piece::BulletShelf, 85, -42, 70, 0),
    At(Piece::BulletShelf, 85, -42, 85, 0),
    At(Piece::BulletShelf, 85, -42, 100, 0),
    ZombieAt(60, -34, 60), ZombieAt(60, -34, 70), ZombieAt(60, -34, 80), ZombieAt(60, -34, 90),
    ZombieAt(30, -34, 95), ZombieAt(30, -34, 65), ZombieAt(-5, -34, 65), ZombieAt(-5, -34, 80),
    ZombieAt(-5, -34, 100), ZombieAt(45, -34, 20), ZombieAt(45, -34, 10), ZombieAt(45, -34, 0),
    ZombieAt(45, -34, -10),

    // ---- Floor 2
    MapAt(kMap3),
    DoorAt(kDoorJ),
    At(Piece::Generator, kGenerator.x, kGenerator.y, kGenerator.z),
};
inline constexpr std::size_t kLevelSize = sizeof(kLevel) / sizeof(kLevel[0]);

// The ground height of floors 0, 1 and 2.
inline constexpr float kFloorGround[] = {0.0f, -42.0f, -84.0f};

// The floor a placement belongs to: a map piece's own, else the floor whose
// ground is nearest below it (zombies, cards and monitors stand above it).
constexpr int FloorOf(const Placement& p) {
    if (p.map) return p.map->floor;
    if (p.y >= kFloorGround[0]) return 0;
    return p.y >= kFloorGround[1] ? 1 : 2;
}

// Pieces built without a turn (or, for the pc, with its scale alone) must
// not carry a yaw the builder would drop.
constexpr bool TurnsOnlyWhatIsTurned() {
    for (const Placement& p : kLevel) {
        const bool unturned = p.piece == Piece::Map || p.piece == Piece::Pc || p.piece == Piece::AmmoBox ||
                              p.piece == Piece::Zombie || p.piece == Piece::Generator;
        if (unturned && p.yaw != 0) return false;
        if ((p.piece == Piece::Map) != (p.map != nullptr)) return false;
    }
    return true;
}
static_assert(TurnsOnlyWhatIsTurned(), "a placement carries a yaw (or map) its piece is not built with");

}  // namespace layout
