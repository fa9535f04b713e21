// Building blocks of the level's map models: every piece goes into a drawn
// mesh (subdivided so that baked lighting shows as pools under the lamps) and,
// when it is walkable or blocks movement, into a plain closed hit-test mesh.
#pragma once

#include <string>
#include <vector>

#include "Game/Stage/LevelLayout.h"
#include "MeshBuilder.h"

namespace datagen {
namespace level {

// Axis-aligned box, min and max corners.
struct Box {
    float x0, y0, z0, x1, y1, z1;
};

// A gap in a wall: along the wall's length from s0 to s1, up to height top
// above the wall's base.
struct Gap {
    float s0, s1, top;
};

// A ceiling lamp (or wall lamp) whose light reaches only the points inside
// its area (x0..x1, z0..z1, widened a little so the room's walls get lit).
struct Lamp {
    Vector3 pos;
    Vector3 colour;
    float reach;
    float x0, z0, x1, z1;
};

// The materials every map shares (indices into the drawn model).
struct Materials {
    int floor, wallLow, wallHigh, ceiling, lamp, lampRed, lampOff, metal, pipe, hazard, concrete, trim, sign, steps,
        grate;
};

// Rows of the sign texture atlas.
enum SignRow {
    kSignStorage, kSignMeeting, kSignCorridor, kSignStairs, kSignOffice, kSignAmmo, kSignPlantLab,
    kSignGenerator, kSignRestricted, kSignLevelB1, kSignLevelB2, kSignLevel1, kSignRowCount
};

class MapBuilder {
public:
    explicit MapBuilder(const std::string& name);

    // Faces of a box to draw (bit per face).
    enum Faces : unsigned {
        kNegZ = 1, kPosZ = 2, kPosX = 4, kNegX = 8, kTop = 16, kBottom = 32, kAll = 63, kSides = 15
    };

    // Drawn box with faces subdivided into cells of at most `cell` units
    // (0: one quad per face); UVs in world units times uvScale.
    void DrawBox(const Box& b, int material, float uvScale, float cell, unsigned faces = kAll);
    // Drawn quad subdivided in a grid: corner p0, edge vectors r and d
    // (normal = r x d); UVs from world units along r and d times uvScale.
    void DrawQuad(const Vector3& p0, const Vector3& r, const Vector3& d, int material, float uvScale,
                  float cell, Vector2 uvOrigin = {0, 0});
    // DrawQuad turned so that its normal points to the side of `facing`.
    void DrawQuadFacing(const Vector3& p0, const Vector3& r, const Vector3& d, const Vector3& facing,
                        int material, float uvScale, float cell);
    // Closed hit-test block under a straight slope: x0..x1, top from (zA, yA)
    // to (zB, yB), down to yBottom.
    void RaySlopeBlock(float x0, float x1, float zA, float yA, float zB, float yB, float yBottom);
    // Drawn quad with its own UV rectangle (signs).
    void DrawQuadUv(const Vector3& p0, const Vector3& r, const Vector3& d, int material, Vector2 uv0,
                    Vector2 uv1);
    // Hit-test box (closed, 12 triangles).
    void RayBox(const Box& b);
    // Hit-test quad (rays hit both faces), its normal turned towards `facing`.
    void RayQuad(const Vector3& p0, const Vector3& r, const Vector3& d, const Vector3& facing);

    // A wall along x (alongX) or z between s0..s1, across c0..c1, from y0 to
    // y1, with gaps; drawn with a darker lower band up to y0 + band, and
    // added to the hit-test model.
    void Wall(bool alongX, float s0, float s1, float c0, float c1, float y0, float y1,
              std::vector<Gap> gaps = {}, float band = 3.5f, bool lowMaterialConcrete = false);

    // A room's interior: drawn floor and ceiling with lamps in a grid, pipes
    // along the ceiling and skirting along the walls (skipping the gaps given
    // in world coordinates as x or z spans per side).
    struct Room {
        float x0, z0, x1, z1, floorY, ceilY;
        Vector3 lampColour;
        float lampSpacing;
        bool pipesAlongX;
        std::vector<Gap> gapsSouth, gapsNorth, gapsWest, gapsEast;  // s0..s1 in world x (south/north) or z
    };
    void Interior(const Room& room, unsigned seed);

    // A strip of yellow and black hazard stripes on the floor.
    void Hazard(float x0, float z0, float x1, float z1, float y);
    // A sign (atlas row) on a wall face: centre, outward normal (axis), width, height.
    void Sign(const Vector3& centre, const Vector3& normal, float width, float height, int row);
    // A door frame around an opening in a wall of the given thickness.
    void DoorFrame(bool alongX, float s0, float s1, float c0, float c1, float y0, float top);
    // A pipe (drawn only) with brackets every `step` units towards the ceiling.
    void Pipe(const Vector3& a, const Vector3& b, float radius, float ceilY, float step);

    void AddLamp(const Lamp& lamp) { lamps_.push_back(lamp); }

    // Bakes the lighting into the vertex colours and writes the drawn model
    // and the hit-test model. Textures are written by the caller.
    bool Write(const std::string& drawnPath, const std::string& rayPath);

    size_t DrawnTriangles() const { return drawn_.TriangleCount(); }
    size_t RayTriangles() const { return ray_.TriangleCount(); }

    const Materials& Mat() const { return mat_; }

    // Ambient level and tint of the baked light.
    Vector3 ambient{0.12f, 0.13f, 0.15f};

private:
    std::string name_;
    Model model_;
    Mesh drawn_;
    Mesh ray_;
    Materials mat_{};
    std::vector<Lamp> lamps_;
};

// Writes the shared textures of the maps into a folder.
bool WriteMapTextures(const std::string& folder);

}  // namespace level
}  // namespace datagen

namespace datagen {
namespace level {

// A door's wall opening from its hinge and yaw (the leaf spans local x 0..6
// from the hinge; local x in world is (cos yaw, 0, -sin yaw)).
struct Opening {
    bool alongX;   // the wall runs along x
    float s0, s1;  // span along the wall
    float plane;   // the wall's centre plane (z for walls along x, else x)
    float swingX, swingZ;  // the side the leaf swings into (local +z in world)
};
Opening DoorOpening(const layout::DoorSpot& door);

}  // namespace level
}  // namespace datagen
