// The laboratory's four map pieces: the ground floor (map1), the first and
// second basement floors (map2, map3) and the two switchback stairwells that
// join them (mapS, present on every floor). Coordinates: x east, z north,
// y up; the ground floor is at y 0, the basements at -42 and -84. The walls
// are the floor plan's; the door openings in them and the generator hall's
// centre come from the level's layout (Game/Stage/LevelLayout.h), where the
// game places the doors and the generator.
#include <cmath>
#include <cstdio>
#include <string>

#include "DataGen.h"
#include "LevelKit.h"

namespace datagen {

using level::Box;
using level::DoorOpening;
using level::Gap;
using level::Lamp;
using level::MapBuilder;
using level::Opening;

namespace {

constexpr float kDoorTop = layout::kDoorHeight;  // every door is 6 wide and 10 high
constexpr float kHalf = 0.25f;      // door-carrying walls are as thick as the leaf

// Frame, threshold and hazard stripes of a door opening (both sides); the
// wall's gap is returned for the caller's Wall().
Gap DoorDressing(MapBuilder& mb, const Opening& o, float floorY, bool stripes = true) {
    mb.DoorFrame(o.alongX, o.s0, o.s1, o.plane - kHalf, o.plane + kHalf, floorY, kDoorTop);
    if (stripes) {
        const float d = 1.4f;
        if (o.alongX) {
            mb.Hazard(o.s0, o.plane - kHalf - d, o.s1, o.plane - kHalf - 0.05f, floorY);
            mb.Hazard(o.s0, o.plane + kHalf + 0.05f, o.s1, o.plane + kHalf + d, floorY);
        } else {
            mb.Hazard(o.plane - kHalf - d, o.s0, o.plane - kHalf - 0.05f, o.s1, floorY);
            mb.Hazard(o.plane + kHalf + 0.05f, o.s0, o.plane + kHalf + d, o.s1, floorY);
        }
    }
    return {o.s0, o.s1, kDoorTop};
}

// A sign centred over an opening on one face of its wall.
void SignOver(MapBuilder& mb, const Opening& o, float floorY, float side, int row, float faceOffset = kHalf) {
    const float mid = (o.s0 + o.s1) * 0.5f;
    const float y = floorY + kDoorTop + 1.6f;
    if (o.alongX)
        mb.Sign({mid, y, o.plane + side * faceOffset}, {0, 0, side}, 5.0f, 1.2f, row);
    else
        mb.Sign({o.plane + side * faceOffset, y, mid}, {side, 0, 0}, 5.0f, 1.2f, row);
}

// A two-faced sign hanging from the ceiling on two rods, across an opening
// that faces along z.
void HangingSign(MapBuilder& mb, float x, float y, float z, float ceilY, int rowSouth, int rowNorth) {
    mb.Sign({x, y, z}, {0, 0, -1}, 5, 1.2f, rowSouth);
    mb.Sign({x, y, z}, {0, 0, 1}, 5, 1.2f, rowNorth);
    for (float dx : {-2.0f, 2.0f})
        mb.DrawBox({x + dx - 0.06f, y + 0.7f, z - 0.06f, x + dx + 0.06f, ceilY, z + 0.06f}, mb.Mat().metal, 0, 0,
                   MapBuilder::kSides);
}

// ---------------------------------------------------------------- floor 0
void BuildMap1(MapBuilder& mb) {
    const float fy = 0.0f, cy = 16.0f;
    const Opening A = DoorOpening(layout::kDoorA), B = DoorOpening(layout::kDoorB), C = DoorOpening(layout::kDoorC);
    const Opening D = DoorOpening(layout::kDoorD), E = DoorOpening(layout::kDoorE);
    const Gap gA = DoorDressing(mb, A, fy), gB = DoorDressing(mb, B, fy), gC = DoorDressing(mb, C, fy);
    const Gap gD = DoorDressing(mb, D, fy), gE = DoorDressing(mb, E, fy);
    // The open doorway between the storage and meeting rooms (wall x -20..-19).
    const Gap doorway{44, 50, kDoorTop};
    mb.DoorFrame(false, 44, 50, -20, -19, fy, kDoorTop);

    // Slabs: floor and ceiling over the whole floor plan.
    mb.RayBox({-61, fy - 1, -26, 33, fy, 112});
    mb.RayBox({-61, cy, -26, 33, cy + 1, 113});

    // South hall (start room).
    mb.Wall(true, -41, 33, -26, -25, fy, cy);
    mb.Wall(false, -25, 20, -41, -40, fy, cy);
    mb.Wall(false, -25, 19.75f, 32, 33, fy, cy);
    mb.Wall(true, -41, 33, 20 - kHalf, 20 + kHalf, fy, cy, {gE, gA});
    // East corridor: west wall (storage east wall, door C), east wall, the
    // crossing wall with door B.
    mb.Wall(false, 20 + kHalf, 100 - kHalf, 20 - kHalf, 20 + kHalf, fy, cy, {gC});
    mb.Wall(false, 20 + kHalf, 112, 30, 31, fy, cy);
    mb.Wall(true, 20 + kHalf, 30, 60 - kHalf, 60 + kHalf, fy, cy, {gB});
    // Storage / meeting room wall with the open doorway.
    mb.Wall(false, 20 + kHalf, 100 - kHalf, -20, -19, fy, cy, {doorway});
    // The line z = 100: meeting and storage north walls, door D.
    mb.Wall(true, -61, 20 + kHalf, 100 - kHalf, 100 + kHalf, fy, cy, {gD});
    // Meeting room south (face at z 40, where the monitor hangs) and west walls.
    mb.Wall(true, -61, -19, 39, 40, fy, cy);
    mb.Wall(false, 39, 100 - kHalf, -61, -60, fy, cy);
    // North corridor.
    mb.Wall(false, 100 + kHalf, 113, -31, -30, fy, cy);
    mb.Wall(true, -31, 20, 112, 113, fy, cy);

    const Vector3 warm{0.78f, 0.74f, 0.64f}, cold{0.55f, 0.63f, 0.72f}, dim{0.6f, 0.55f, 0.45f};
    mb.Interior({-40, -25, 32, 20 - kHalf, fy, cy, warm, 12, true, {}, {gE, gA}, {}, {}}, 11);
    mb.Interior({20 + kHalf, 20 + kHalf, 30, 60 - kHalf, fy, cy, cold, 10, false, {gA}, {gB}, {}, {}}, 12);
    mb.Interior({20 + kHalf, 60 + kHalf, 30, 112, fy, cy, cold, 10, false, {gB}, {{20, 30, 16}},
                 {gC, {100 - kHalf, 112, 16}}, {}}, 13);
    mb.Interior({-19, 20 + kHalf, 20 + kHalf, 100 - kHalf, fy, cy, dim, 13, false, {gE}, {}, {doorway}, {gC}}, 14);
    mb.Interior({-60, 40, -20, 100 - kHalf, fy, cy, warm, 13, false, {}, {gD}, {}, {doorway}}, 15);
    mb.Interior({-30, 100 + kHalf, 20 + kHalf, 112, fy, cy, cold, 10, true, {gD}, {}, {}, {{100, 112, 16}}}, 16);

    SignOver(mb, E, fy, -1, level::kSignStorage);
    SignOver(mb, A, fy, -1, level::kSignCorridor);
    SignOver(mb, B, fy, -1, level::kSignRestricted);
    SignOver(mb, C, fy, -1, level::kSignCorridor);
    SignOver(mb, D, fy, -1, level::kSignCorridor);
    SignOver(mb, {false, 44, 50, -19.5f, 0, 0}, fy, 1, level::kSignMeeting, 0.5f);
    SignOver(mb, {false, 44, 50, -19.5f, 0, 0}, fy, -1, level::kSignStorage, 0.5f);
    HangingSign(mb, 25, 12.5f, 110.5f, cy, level::kSignStairs, level::kSignLevel1);
    mb.Sign({-5, 9, -24.9f}, {0, 0, 1}, 6, 1.4f, level::kSignLevel1);
}

// ---------------------------------------------------------------- floor 1
void BuildMap2(MapBuilder& mb) {
    const float fy = -42.0f, cy = -26.0f;
    const Opening F = DoorOpening(layout::kDoorF), G = DoorOpening(layout::kDoorG);
    const Opening H = DoorOpening(layout::kDoorH), I = DoorOpening(layout::kDoorI);
    const Gap gF = DoorDressing(mb, F, fy), gG = DoorDressing(mb, G, fy);
    const Gap gH = DoorDressing(mb, H, fy), gI = DoorDressing(mb, I, fy);

    // Slabs: north block (office, corridor, ammunition room), plant lab with
    // the corridor's south part, the south landing.
    mb.RayBox({-11, fy - 1, 54, 98, fy, 112});
    mb.RayBox({19, fy - 1, -30.25f, 71, fy, 54});
    mb.RayBox({39, fy - 1, -50, 51, fy, -30.25f});
    mb.RayBox({-11, cy, 54, 98, cy + 1, 113});
    mb.RayBox({19, cy, -30.25f, 71, cy + 1, 54});
    mb.RayBox({39, cy, -50, 51, cy + 1, -30.25f});

    // Corridor walls (doors G west, F east).
    mb.Wall(false, 40 + kHalf, 112, 40 - kHalf, 40 + kHalf, fy, cy, {gG});
    mb.Wall(false, 40 + kHalf, 112, 50 - kHalf, 50 + kHalf, fy, cy, {gF});
    // Plant lab (door H north, door I south).
    mb.Wall(true, 19, 71, 40 - kHalf, 40 + kHalf, fy, cy, {gH});
    mb.Wall(true, 19, 71, -30 - kHalf, -30 + kHalf, fy, cy, {gI});
    mb.Wall(false, -30 + kHalf, 40 - kHalf, 19, 20, fy, cy);
    mb.Wall(false, -30 + kHalf, 40 - kHalf, 70, 71, fy, cy);
    // South landing.
    mb.Wall(false, -50, -30 - kHalf, 39, 40, fy, cy);
    mb.Wall(false, -50, -30 - kHalf, 50, 51, fy, cy);
    // Office (the monitor hangs on the west wall's face at x -10).
    mb.Wall(false, 59, 111, -11, -10, fy, cy);
    mb.Wall(true, -11, 40 - kHalf, 59, 60, fy, cy);
    mb.Wall(true, -11, 40 - kHalf, 110, 111, fy, cy);
    // Ammunition room.
    mb.Wall(true, 50 + kHalf, 98, 54, 55, fy, cy);
    mb.Wall(true, 50 + kHalf, 98, 112, 113, fy, cy);
    mb.Wall(false, 55, 112, 97, 98, fy, cy);

    const Vector3 cold{0.5f, 0.6f, 0.72f}, warm{0.74f, 0.64f, 0.5f}, amber{0.8f, 0.55f, 0.32f};
    const Vector3 green{0.42f, 0.72f, 0.48f};
    mb.Interior({40 + kHalf, 40 + kHalf, 50 - kHalf, 112, fy, cy, cold, 11, false, {gH}, {{40, 50, 16}}, {gG}, {gF}}, 21);
    mb.Interior({-10, 60, 40 - kHalf, 110, fy, cy, warm, 12, true, {}, {}, {}, {gG}}, 22);
    mb.Interior({50 + kHalf, 55, 97, 112, fy, cy, amber, 12, false, {}, {}, {gF}, {}}, 23);
    mb.Interior({20, -30 + kHalf, 70, 40 - kHalf, fy, cy, green, 12, false, {gI}, {gH}, {}, {}}, 24);
    mb.Interior({40, -50, 50, -30 - kHalf, fy, cy, cold, 10, false, {{40, 50, 16}}, {gI}, {}, {}}, 25);

    SignOver(mb, G, fy, 1, level::kSignOffice);
    SignOver(mb, F, fy, -1, level::kSignAmmo);
    SignOver(mb, H, fy, 1, level::kSignPlantLab);
    SignOver(mb, I, fy, 1, level::kSignStairs);
    HangingSign(mb, 45, fy + 12, 110.5f, cy, level::kSignLevelB1, level::kSignLevelB1);
}

// ---------------------------------------------------------------- floor 2
void BuildMap3(MapBuilder& mb) {
    mb.ambient = {0.14f, 0.12f, 0.13f};
    const float fy = -84.0f, corridorCeil = -68.0f, hallCeil = -48.0f;
    const Opening J = DoorOpening(layout::kDoorJ);
    const Gap gJ = DoorDressing(mb, J, fy);

    mb.RayBox({19, fy - 1, -20 - kHalf, 111, fy, 66});
    mb.RayBox({59, fy - 1, -50, 71, fy, -20 - kHalf});
    mb.RayBox({19, hallCeil, -20 - kHalf, 111, hallCeil + 1, 66});
    mb.RayBox({59, corridorCeil, -50, 71, corridorCeil + 1, -20 - kHalf});

    // Lower corridor.
    mb.Wall(false, -50, -20 - kHalf, 59, 60, fy, corridorCeil);
    mb.Wall(false, -50, -20 - kHalf, 70, 71, fy, corridorCeil);
    // Generator hall: south wall with door J, the others solid, and
    // pilasters along the walls, kept well away from the spawn holes.
    mb.Wall(true, 19, 111, -20 - kHalf, -20 + kHalf, fy, hallCeil, {gJ}, 4.0f);
    mb.Wall(false, -20 + kHalf, 65, 19, 20, fy, hallCeil, {}, 4.0f);
    mb.Wall(false, -20 + kHalf, 65, 110, 111, fy, hallCeil, {}, 4.0f);
    mb.Wall(true, 19, 111, 65, 66, fy, hallCeil, {}, 4.0f);
    for (float x : {35.0f, 50.0f, 80.0f, 95.0f}) mb.Wall(false, -20 + kHalf, -18.75f, x - 0.75f, x + 0.75f, fy, hallCeil, {}, 4.0f);
    for (float x : {35.0f, 50.0f, 65.0f, 80.0f, 95.0f}) mb.Wall(true, x - 0.75f, x + 0.75f, 64, 65, fy, hallCeil, {}, 4.0f);
    for (float z : {0.0f, 20.0f, 40.0f}) {
        mb.Wall(false, z - 0.75f, z + 0.75f, 20, 21, fy, hallCeil, {}, 4.0f);
        mb.Wall(false, z - 0.75f, z + 0.75f, 109, 110, fy, hallCeil, {}, 4.0f);
    }

    const Vector3 red{0.75f, 0.32f, 0.26f}, cold{0.5f, 0.58f, 0.7f};
    mb.Interior({60, -50, 70, -20 - kHalf, fy, corridorCeil, cold, 10, false, {{60, 70, 16}}, {gJ}, {}, {}}, 31);
    mb.Interior({20, -20 + kHalf, 110, 65, fy, hallCeil, red, 22, true, {gJ}, {}, {}, {}}, 32);
    // The generator's own glow on the hall.
    const float gx = layout::kGenerator.x, gz = layout::kGenerator.z;
    mb.AddLamp({{gx, fy + 12, gz}, {0.35f, 0.55f, 0.5f}, 26, 20, -20, 110, 65});
    // Warning ring on the floor around the generator.
    for (int i = 0; i < 32; ++i) {
        const float a0 = i * 6.2831853f / 32, a1 = (i + 1) * 6.2831853f / 32;
        const float r0 = 12.5f, r1 = 14.0f;
        const Vector3 p0{gx + r1 * std::cos(a0), fy + 0.02f, gz + r1 * std::sin(a0)};
        const Vector3 p1{gx + r1 * std::cos(a1), fy + 0.02f, gz + r1 * std::sin(a1)};
        const Vector3 p2{gx + r0 * std::cos(a1), fy + 0.02f, gz + r0 * std::sin(a1)};
        mb.DrawQuadFacing(p0, p1 - p0, p2 - p1, {0, 1, 0}, mb.Mat().hazard, 0.5f, 0);
    }
    SignOver(mb, J, fy, -1, level::kSignGenerator);
    SignOver(mb, J, fy, 1, level::kSignRestricted);
    mb.Sign({72.5f, fy + 20, 64.9f}, {0, 0, -1}, 10, 2.4f, level::kSignLevelB2);
    // Pipe bundles along the hall's long walls, well above head height, and
    // red warning lamps beside door J.
    for (float h : {13.0f, 14.2f, 15.4f}) {
        mb.Pipe({20.8f, fy + h, -19.4f}, {20.8f, fy + h, 64.4f}, 0.45f, fy + h + 0.5f, 0);
        mb.Pipe({109.2f, fy + h, -19.4f}, {109.2f, fy + h, 64.4f}, 0.45f, fy + h + 0.5f, 0);
    }
    for (float x : {58.5f, 71.5f}) {
        mb.DrawBox({x - 0.5f, fy + 9.0f, -19.75f, x + 0.5f, fy + 10.0f, -19.35f}, mb.Mat().lampRed, 0, 0);
        mb.AddLamp({{x, fy + 9.5f, -18.5f}, {0.9f, 0.15f, 0.1f}, 10, 20, -20, 110, 65});
    }
}

// ---------------------------------------------------------------- stairwells
// A switchback: flight A (x xa..xa+10) runs from the upper floor at the near
// end down to the landing, flight B (x xb..xb+10) from the landing back down
// to the lower floor at the near end. dir is +1 when the stairwell extends
// towards +z from the near end (zn), -1 towards -z.
struct Stairwell {
    float xa, xb, zn, dir, upperY, landingY, lowerY, top;
    int sign;
};

void BuildStairwell(MapBuilder& mb, const Stairwell& s) {
    const float xa0 = s.xa, xa1 = s.xa + 10, xb0 = s.xb, xb1 = s.xb + 10;
    const float flight = 28, landing = 38, end = 39;
    auto Z = [&](float d) { return s.zn + s.dir * d; };
    auto span = [&](float d0, float d1, float& z0, float& z1) {
        z0 = std::fmin(Z(d0), Z(d1));
        z1 = std::fmax(Z(d0), Z(d1));
    };
    auto solid = [&](float x0, float x1, float d0, float d1, float y0, float y1, unsigned faces) {
        float z0, z1;
        span(d0, d1, z0, z1);
        mb.RayBox({x0, y0, z0, x1, y1, z1});
        mb.DrawBox({x0, y0, z0, x1, y1, z1}, mb.Mat().concrete, 0.125f, 3.0f, faces);
    };
    using F = MapBuilder::Faces;
    const unsigned nearFace = s.dir > 0 ? F::kNegZ : F::kPosZ;
    const unsigned farFace = s.dir > 0 ? F::kPosZ : F::kNegZ;
    // Outer walls, the end wall, the solid wall between the flights, the
    // lintel over the lower opening and the lid.
    // (The middle wall reaches half a unit into the floors, behind their
    // corridor walls, so that it overlaps them: no seam at the joint.)
    solid(xa0 - 1, xa0, 0, end, s.lowerY, s.top + 1, F::kPosX);
    solid(xb1, xb1 + 1, 0, end, s.lowerY, s.top + 1, F::kNegX);
    solid(xa0, xb1, landing, end, s.lowerY, s.top + 1, nearFace);
    solid(xa1, xb0, -0.5f, flight, s.lowerY, s.top, F::kPosX | F::kNegX | farFace);
    solid(xb0, xb1, -0.25f, 0.5f, s.lowerY + 16, s.top + 1, nearFace | farFace | F::kBottom);
    {
        float z0, z1;
        span(0, end, z0, z1);
        mb.RayBox({xa0 - 1, s.top, z0, xb1 + 1, s.top + 1, z1});
    }
    // Walkable ramps (hit-test) and the landing.
    mb.RaySlopeBlock(xa0, xa1, Z(0), s.upperY, Z(flight), s.landingY, s.lowerY);
    mb.RaySlopeBlock(xb0, xb1, Z(flight), s.landingY, Z(0), s.lowerY, s.lowerY);
    {
        float z0, z1;
        span(flight, landing, z0, z1);
        mb.RayBox({xa0, s.lowerY, z0, xb1, s.landingY, z1});
        mb.DrawQuad({xa0, s.landingY, z1}, {xb1 - xa0, 0, 0}, {0, 0, -(z1 - z0)}, mb.Mat().grate, 0.25f, 2.5f);
    }
    // Sloped ceilings 16 above each flight, flat over the landing (drawn and
    // hit by shots).
    const Vector3 down{0, -1, 0};
    auto ceiling = [&](float x0, float x1, float dA, float yA, float dB, float yB) {
        const Vector3 p0{x0, yA, Z(dA)};
        const Vector3 r{x1 - x0, 0, 0}, d{0, yB - yA, Z(dB) - Z(dA)};
        mb.DrawQuadFacing(p0, r, d, down, mb.Mat().concrete, 0.125f, 3.0f);
        mb.RayQuad(p0, r, d, down);
    };
    ceiling(xa0, xa1, 0, s.upperY + 16, flight, s.landingY + 16);
    ceiling(xa0, xb1, flight, s.landingY + 16, landing, s.landingY + 16);
    ceiling(xb0, xb1, flight, s.landingY + 16, 0, s.lowerY + 16);

    // Drawn steps: 28 per flight, 0.75 high and 1 deep, under the ramp line,
    // each with a hazard nosing.
    const float rise = (s.upperY - s.landingY) / flight;
    const Vector3 fwd{0, 0, s.dir};
    for (int k = 0; k < 28; ++k) {
        // Flight A descends along +d: step k spans d k..k+1.
        const float topA = s.upperY - rise * (k + 1);
        float z0, z1;
        span(float(k), float(k + 1), z0, z1);
        mb.DrawQuad({xa0, topA, z1}, {10, 0, 0}, {0, 0, -(z1 - z0)}, mb.Mat().steps, 0.25f, 5.0f);
        const float zr = Z(float(k + 1));
        mb.DrawQuadFacing({xa0, topA, zr}, {10, 0, 0}, {0, -rise, 0}, fwd, mb.Mat().metal, 0.25f, 5.0f);
        mb.Hazard(xa0, std::fmin(zr, zr - s.dir * 0.25f), xa1, std::fmax(zr, zr - s.dir * 0.25f), topA);
        // Flight B climbs along +d from the lower floor: step k top at lowerY + rise k.
        const float topB = s.lowerY + rise * k;
        if (k > 0) {
            mb.DrawQuad({xb0, topB, z1}, {10, 0, 0}, {0, 0, -(z1 - z0)}, mb.Mat().steps, 0.25f, 5.0f);
            const float zf = Z(float(k));
            mb.DrawQuadFacing({xb0, topB, zf}, {10, 0, 0}, {0, -rise, 0}, fwd * -1.0f, mb.Mat().metal, 0.25f, 5.0f);
            mb.Hazard(xb0, std::fmin(zf, zf + s.dir * 0.25f), xb1, std::fmax(zf, zf + s.dir * 0.25f), topB);
        } else {
            mb.DrawQuad({xb0, topB, z1}, {10, 0, 0}, {0, 0, -(z1 - z0)}, mb.Mat().steps, 0.25f, 5.0f);
        }
    }
    // Hand rails along both sides of both flights.
    for (float x : {xa0 + 0.35f, xa1 - 0.35f})
        mb.Pipe({x, s.upperY + 3.2f, Z(0.5f)}, {x, s.landingY + 3.2f, Z(flight)}, 0.12f, 0, 0);
    for (float x : {xb0 + 0.35f, xb1 - 0.35f})
        mb.Pipe({x, s.landingY + 3.2f, Z(flight)}, {x, s.lowerY + 3.2f, Z(0.5f)}, 0.12f, 0, 0);
    // Wall lamps: over the landing and halfway down each flight.
    const Vector3 colour{0.6f, 0.66f, 0.74f};
    float sz0, sz1;
    span(0, end, sz0, sz1);
    auto wallLamp = [&](const Vector3& p, const Vector3& n) {
        const Vector3 side = Vector3(0, 1, 0).Cross(n);
        const Vector3 c = p + n * 0.15f;
        const Vector3 h{std::fabs(side.x) * 1.2f + std::fabs(n.x) * 0.15f, 0.35f,
                        std::fabs(side.z) * 1.2f + std::fabs(n.z) * 0.15f};
        mb.DrawBox({c.x - h.x, c.y - h.y, c.z - h.z, c.x + h.x, c.y + h.y, c.z + h.z}, mb.Mat().lamp, 0, 0);
        mb.AddLamp({p + n * 1.0f, colour, 16, xa0 - 1, sz0, xb1 + 1, sz1});
    };
    wallLamp({(xa0 + xb1) * 0.5f, s.landingY + 10, Z(landing)}, {0, 0, -s.dir});
    for (float d : {4.0f, 14.0f, 24.0f}) {
        wallLamp({xa0, s.upperY - rise * d + 9, Z(d)}, {1, 0, 0});
        wallLamp({xb1, s.lowerY + rise * d + 9, Z(d)}, {-1, 0, 0});
    }
    mb.Sign({(xa0 + xb1) * 0.5f, s.landingY + 7, Z(landing) - s.dir * 0.02f}, {0, 0, -s.dir}, 6, 1.4f, s.sign);
}

void BuildMapS(MapBuilder& mb) {
    BuildStairwell(mb, {20, 40, 112, 1, 0, -21, -42, 16, level::kSignLevelB1});
    BuildStairwell(mb, {40, 60, -50, -1, -42, -63, -84, -26, level::kSignLevelB2});
}

}  // namespace

bool WriteLevel(const std::string& outDir) {
    struct Piece {
        const layout::MapPiece& map;
        void (*build)(MapBuilder&);
    };
    const Piece pieces[] = {
        {layout::kMap1, BuildMap1}, {layout::kMapS, BuildMapS}, {layout::kMap2, BuildMap2}, {layout::kMap3, BuildMap3}};
    bool ok = true;
    for (const Piece& p : pieces) {
        // The maps' shared textures lie beside each drawn model; the model's
        // file name names the map.
        const std::string drawnPath = DataFile(outDir, p.map.model);
        const std::string folder = drawnPath.substr(0, drawnPath.find_last_of('/'));
        const std::string file = drawnPath.substr(folder.size() + 1);
        const std::string shown = folder.substr(outDir.size() + 1);
        MapBuilder mb(file.substr(0, file.find_last_of('.')));
        p.build(mb);
        const bool written =
            level::WriteMapTextures(folder) && mb.Write(drawnPath, DataFile(outDir, p.map.rayModel));
        if (!written) std::fprintf(stderr, "level: %s failed\n", shown.c_str());
        else
            std::printf("level: %s drawn %zu triangles, hit-test %zu triangles\n", shown.c_str(), mb.DrawnTriangles(),
                        mb.RayTriangles());
        ok = written && ok;
    }
    return ok;
}

}  // namespace datagen
