// The map builder: subdivided drawn geometry with baked lamp light, and the
// matching plain hit-test geometry.
#include "LevelKit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "Image.h"

namespace datagen {
namespace level {

namespace {

Material MakeMaterial(const std::string& name, const std::string& texture, float roughness,
                      float metallic = 0.0f) {
    Material m;
    m.name = name;
    m.baseColorTexture = texture;
    m.roughness = roughness;
    m.metallic = metallic;
    return m;
}

int Cells(float length, float cell) {
    if (cell <= 0) return 1;
    return std::max(1, int(std::ceil(length / cell - 1e-4f)));
}

}  // namespace

MapBuilder::MapBuilder(const std::string& name) : name_(name) {
    mat_.floor = model_.AddMaterial(MakeMaterial("floor", "lab_floor.png", 0.7f));
    mat_.wallLow = model_.AddMaterial(MakeMaterial("wall_low", "lab_wall_low.png", 0.75f));
    mat_.wallHigh = model_.AddMaterial(MakeMaterial("wall_high", "lab_wall_high.png", 0.85f));
    mat_.ceiling = model_.AddMaterial(MakeMaterial("ceiling", "lab_ceiling.png", 0.9f));
    Material lamp = MakeMaterial("lamp", "lab_lamp.png", 0.4f);
    lamp.emissive = {1.0f, 0.97f, 0.9f};
    lamp.emissiveTexture = "lab_lamp.png";
    mat_.lamp = model_.AddMaterial(lamp);
    Material lampRed = MakeMaterial("lamp_red", "lab_lamp.png", 0.4f);
    lampRed.baseColor = {1.0f, 0.25f, 0.2f, 1};
    lampRed.emissive = {1.0f, 0.15f, 0.1f};
    lampRed.emissiveTexture = "lab_lamp.png";
    mat_.lampRed = model_.AddMaterial(lampRed);
    Material lampOff = MakeMaterial("lamp_off", "lab_lamp.png", 0.4f);
    lampOff.baseColor = {0.25f, 0.25f, 0.27f, 1};
    mat_.lampOff = model_.AddMaterial(lampOff);
    mat_.metal = model_.AddMaterial(MakeMaterial("metal", "lab_metal.png", 0.55f, 0.3f));
    mat_.pipe = model_.AddMaterial(MakeMaterial("pipe", "lab_pipe.png", 0.5f, 0.4f));
    mat_.hazard = model_.AddMaterial(MakeMaterial("hazard", "lab_hazard.png", 0.7f));
    mat_.concrete = model_.AddMaterial(MakeMaterial("concrete", "lab_concrete.png", 0.95f));
    mat_.trim = model_.AddMaterial(MakeMaterial("trim", "lab_metal.png", 0.6f, 0.2f));
    Material sign = MakeMaterial("sign", "lab_signs.png", 0.5f);
    sign.emissive = {0.55f, 0.55f, 0.55f};
    sign.emissiveTexture = "lab_signs.png";
    mat_.sign = model_.AddMaterial(sign);
    mat_.steps = model_.AddMaterial(MakeMaterial("steps", "lab_tread.png", 0.6f, 0.3f));
    mat_.grate = model_.AddMaterial(MakeMaterial("grate", "lab_grate.png", 0.6f, 0.3f));
}

void MapBuilder::DrawQuad(const Vector3& p0, const Vector3& r, const Vector3& d, int material,
                          float uvScale, float cell, Vector2 uvOrigin) {
    const float lr = r.Length(), ld = d.Length();
    if (lr <= 0 || ld <= 0) return;
    const Vector3 ru = r / lr, du = d / ld;
    Vector3 n = ru.Cross(du);
    n.Normalize();
    const int nu = Cells(lr, cell), nv = Cells(ld, cell);
    drawn_.Use(material);
    std::vector<uint32_t> idx;
    idx.reserve(size_t(nu + 1) * (nv + 1));
    for (int j = 0; j <= nv; ++j)
        for (int i = 0; i <= nu; ++i) {
            const Vector3 p = p0 + r * (float(i) / nu) + d * (float(j) / nv);
            Vtx v;
            v.p = p;
            v.n = n;
            v.uv = {uvOrigin.x + p.Dot(ru) * uvScale, uvOrigin.y + p.Dot(du) * uvScale};
            idx.push_back(drawn_.AddVertex(v));
        }
    for (int j = 0; j < nv; ++j)
        for (int i = 0; i < nu; ++i) {
            const uint32_t a = idx[j * (nu + 1) + i], b = idx[j * (nu + 1) + i + 1];
            const uint32_t c = idx[(j + 1) * (nu + 1) + i + 1], e = idx[(j + 1) * (nu + 1) + i];
            drawn_.AddTriangle(a, b, c);
            drawn_.AddTriangle(a, c, e);
        }
}

void MapBuilder::DrawQuadFacing(const Vector3& p0, const Vector3& r, const Vector3& d, const Vector3& facing,
                                int material, float uvScale, float cell) {
    if (r.Cross(d).Dot(facing) >= 0)
        DrawQuad(p0, r, d, material, uvScale, cell);
    else
        DrawQuad(p0 + r, r * -1.0f, d, material, uvScale, cell);
}

void MapBuilder::RaySlopeBlock(float x0, float x1, float zA, float yA, float zB, float yB, float yBottom) {
    ray_.Use(0);
    const Vector3 a0{x0, yA, zA}, a1{x1, yA, zA}, b0{x0, yB, zB}, b1{x1, yB, zB};
    const Vector3 ga0{x0, yBottom, zA}, ga1{x1, yBottom, zA}, gb0{x0, yBottom, zB}, gb1{x1, yBottom, zB};
    const Vector3 centre = (a0 + a1 + b0 + b1 + ga0 + ga1 + gb0 + gb1) * 0.125f;
    // Each face wound so that its normal points out of the block (walls and
    // floors report outward normals to the movers' push-back).
    auto face = [&](const Vector3& p0, const Vector3& p1, const Vector3& p2, const Vector3& p3) {
        const Vector3 n = (p1 - p0).Cross(p2 - p0);
        if (n.LengthSquared() < 1e-12f) return;
        if (n.Dot((p0 + p1 + p2 + p3) * 0.25f - centre) >= 0)
            ray_.AddQuad(p0, p1, p2, p3);
        else
            ray_.AddQuad(p3, p2, p1, p0);
    };
    face(a0, a1, b1, b0);      // the slope
    face(ga0, gb0, gb1, ga1);  // the bottom
    face(a0, b0, gb0, ga0);    // side x0
    face(a1, ga1, gb1, b1);    // side x1
    if (yA - yBottom > 1e-3f) face(a0, ga0, ga1, a1);  // end at zA
    if (yB - yBottom > 1e-3f) face(b0, b1, gb1, gb0);  // end at zB
}

Opening DoorOpening(const layout::DoorSpot& door) {
    const float hingeX = door.x, hingeZ = door.z;
    const float t = door.yaw * 0.017453292f;
    const float c = std::cos(t), s = std::sin(t);
    const float ex = hingeX + layout::kDoorWidth * c, ez = hingeZ - layout::kDoorWidth * s;
    Opening o;
    o.alongX = std::fabs(c) > 0.5f;
    if (o.alongX) {
        o.s0 = std::min(hingeX, ex);
        o.s1 = std::max(hingeX, ex);
        o.plane = hingeZ;
    } else {
        o.s0 = std::min(hingeZ, ez);
        o.s1 = std::max(hingeZ, ez);
        o.plane = hingeX;
    }
    o.swingX = std::round(s);
    o.swingZ = std::round(c);
    return o;
}

void MapBuilder::DrawQuadUv(const Vector3& p0, const Vector3& r, const Vector3& d, int material, Vector2 uv0,
                            Vector2 uv1) {
    drawn_.Use(material);
    drawn_.AddQuad(p0, p0 + r, p0 + r + d, p0 + d, uv0, uv1);
}

void MapBuilder::DrawBox(const Box& b, int material, float uvScale, float cell, unsigned faces) {
    const float x0 = b.x0, y0 = b.y0, z0 = b.z0, x1 = b.x1, y1 = b.y1, z1 = b.z1;
    const float w = x1 - x0, h = y1 - y0, l = z1 - z0;
    if (w <= 0 || h <= 0 || l <= 0) return;
    // Each face: top-left corner, right edge, down edge (right x down = outward normal).
    if (faces & kNegZ) DrawQuad({x0, y1, z0}, {w, 0, 0}, {0, -h, 0}, material, uvScale, cell);
    if (faces & kPosZ) DrawQuad({x1, y1, z1}, {-w, 0, 0}, {0, -h, 0}, material, uvScale, cell);
    if (faces & kPosX) DrawQuad({x1, y1, z0}, {0, 0, l}, {0, -h, 0}, material, uvScale, cell);
    if (faces & kNegX) DrawQuad({x0, y1, z1}, {0, 0, -l}, {0, -h, 0}, material, uvScale, cell);
    if (faces & kTop) DrawQuad({x0, y1, z1}, {w, 0, 0}, {0, 0, -l}, material, uvScale, cell);
    if (faces & kBottom) DrawQuad({x0, y0, z0}, {w, 0, 0}, {0, 0, l}, material, uvScale, cell);
}

void MapBuilder::RayBox(const Box& b) {
    if (b.x1 - b.x0 <= 0 || b.y1 - b.y0 <= 0 || b.z1 - b.z0 <= 0) return;
    ray_.Use(0);
    ray_.AddBox({b.x0, b.y0, b.z0}, {b.x1, b.y1, b.z1});
}

void MapBuilder::RayQuad(const Vector3& p0, const Vector3& r, const Vector3& d, const Vector3& facing) {
    ray_.Use(0);
    if (r.Cross(d).Dot(facing) >= 0)
        ray_.AddQuad(p0, p0 + r, p0 + r + d, p0 + d);
    else
        ray_.AddQuad(p0 + r, p0, p0 + d, p0 + r + d);
}

void MapBuilder::Wall(bool alongX, float s0, float s1, float c0, float c1, float y0, float y1,
                      std::vector<Gap> gaps, float band, bool lowMaterialConcrete) {
    std::sort(gaps.begin(), gaps.end(), [](const Gap& a, const Gap& b) { return a.s0 < b.s0; });
    auto box = [&](float a, float b, float ya, float yb) {
        return alongX ? Box{a, ya, c0, b, yb, c1} : Box{c0, ya, a, c1, yb, b};
    };
    auto piece = [&](float a, float b, float ya, float yb) {
        if (b - a <= 1e-4f || yb - ya <= 1e-4f) return;
        RayBox(box(a, b, ya, yb));
        const float split = y0 + band;
        const int low = lowMaterialConcrete ? mat_.concrete : mat_.wallLow;
        if (ya < split) DrawBox(box(a, b, ya, std::min(split, yb)), low, 0.125f, 3.0f, kSides | kTop);
        if (yb > split) DrawBox(box(a, b, std::max(split, ya), yb), mat_.wallHigh, 0.0625f, 3.0f, kSides);
    };
    float cursor = s0;
    for (const Gap& g : gaps) {
        piece(cursor, g.s0, y0, y1);
        piece(g.s0, g.s1, y0 + g.top, y1);
        cursor = g.s1;
    }
    piece(cursor, s1, y0, y1);
}

void MapBuilder::DoorFrame(bool alongX, float s0, float s1, float c0, float c1, float y0, float top) {
    const float t = 0.35f, p = 0.12f;
    auto box = [&](float a, float b, float ya, float yb) {
        return alongX ? Box{a, ya, c0 - p, b, yb, c1 + p} : Box{c0 - p, ya, a, c1 + p, yb, b};
    };
    DrawBox(box(s0 - t, s0, y0, y0 + top + t), mat_.trim, 0.25f, 0, kSides | kTop);
    DrawBox(box(s1, s1 + t, y0, y0 + top + t), mat_.trim, 0.25f, 0, kSides | kTop);
    DrawBox(box(s0 - t, s1 + t, y0 + top, y0 + top + t), mat_.trim, 0.25f, 0, kSides | kBottom | kTop);
    // Metal threshold plate across the opening.
    const Box sill = alongX ? Box{s0, y0, c0 - 0.3f, s1, y0 + 0.03f, c1 + 0.3f}
                            : Box{c0 - 0.3f, y0, s0, c1 + 0.3f, y0 + 0.03f, s1};
    DrawBox(sill, mat_.grate, 0.5f, 0, kTop | kSides);
}

void MapBuilder::Hazard(float x0, float z0, float x1, float z1, float y) {
    DrawQuad({x0, y + 0.02f, z1}, {x1 - x0, 0, 0}, {0, 0, -(z1 - z0)}, mat_.hazard, 0.5f, 0);
}

void MapBuilder::Sign(const Vector3& centre, const Vector3& normal, float width, float height, int row) {
    const Vector3 down{0, -1, 0};
    const Vector3 right = down.Cross(normal);
    const Vector3 p0 = centre + normal * 0.06f - right * (width * 0.5f) - down * (height * 0.5f);
    // Backing plate, then the face.
    const Vector3 back = centre - right * (width * 0.5f + 0.1f) - down * (height * 0.5f + 0.1f);
    DrawQuad(back + normal * 0.04f, right * (width + 0.2f), down * (height + 0.2f), mat_.trim, 0.25f, 0);
    const float v0 = float(row) / kSignRowCount, v1 = float(row + 1) / kSignRowCount;
    DrawQuadUv(p0, right * width, down * height, mat_.sign, {0, v0}, {1, v1});
}

void MapBuilder::Pipe(const Vector3& a, const Vector3& b, float radius, float ceilY, float step) {
    drawn_.Use(mat_.pipe);
    drawn_.AddTube(a, b, radius, radius, 10);
    const Vector3 dir = b - a;
    const float len = dir.Length();
    if (len <= 0 || step <= 0) return;
    drawn_.Use(mat_.metal);
    for (float s = step * 0.5f; s < len; s += step) {
        const Vector3 c = a + dir * (s / len);
        drawn_.AddBox({c.x - 0.12f, c.y - radius - 0.08f, c.z - 0.12f}, {c.x + 0.12f, ceilY, c.z + 0.12f});
        // The clamp ring around the pipe.
        const Vector3 along = dir / len;
        drawn_.AddTube(c - along * 0.12f, c + along * 0.12f, radius * 1.25f, radius * 1.25f, 10);
    }
}

void MapBuilder::Interior(const Room& room, unsigned seed) {
    const float x0 = room.x0, x1 = room.x1, z0 = room.z0, z1 = room.z1, fy = room.floorY, cy = room.ceilY;
    // Floor and ceiling.
    DrawQuad({x0, fy, z1}, {x1 - x0, 0, 0}, {0, 0, -(z1 - z0)}, mat_.floor, 0.125f, 2.5f);
    DrawQuad({x0, cy, z0}, {x1 - x0, 0, 0}, {0, 0, z1 - z0}, mat_.ceiling, 0.125f, 3.0f);
    // Lamps in a grid; a few are dead, which keeps the rooms patchy and dark.
    const int nx = std::max(1, int(std::round((x1 - x0) / room.lampSpacing)));
    const int nz = std::max(1, int(std::round((z1 - z0) / room.lampSpacing)));
    for (int i = 0; i < nx; ++i)
        for (int j = 0; j < nz; ++j) {
            const float cx = x0 + (x1 - x0) * (i + 0.5f) / nx, cz = z0 + (z1 - z0) * (j + 0.5f) / nz;
            const bool dead = HashNoise(i, j, seed) < 0.18f && nx * nz > 2;
            const float hx = room.pipesAlongX ? 1.6f : 0.5f, hz = room.pipesAlongX ? 0.5f : 1.6f;
            DrawBox({cx - hx - 0.15f, cy - 0.12f, cz - hz - 0.15f, cx + hx + 0.15f, cy, cz + hz + 0.15f},
                    mat_.trim, 0.25f, 0, kSides | kBottom);
            DrawBox({cx - hx, cy - 0.2f, cz - hz, cx + hx, cy - 0.12f, cz + hz}, dead ? mat_.lampOff : mat_.lamp,
                    0.0f, 0, kBottom | kSides);
            if (!dead) {
                const float dim = 0.75f + 0.25f * HashNoise(i + 7, j + 3, seed);
                lamps_.push_back({{cx, cy - 1.0f, cz}, room.lampColour * dim, room.lampSpacing * 0.9f, x0, z0, x1, z1});
            }
        }
    // Pipes along the ceiling beside one wall.
    const float m = 0.3f;
    if (room.pipesAlongX) {
        Pipe({x0 + m, cy - 1.1f, z1 - 1.2f}, {x1 - m, cy - 1.1f, z1 - 1.2f}, 0.32f, cy, 7.0f);
        Pipe({x0 + m, cy - 0.7f, z1 - 2.1f}, {x1 - m, cy - 0.7f, z1 - 2.1f}, 0.18f, cy, 7.0f);
    } else {
        Pipe({x1 - 1.2f, cy - 1.1f, z0 + m}, {x1 - 1.2f, cy - 1.1f, z1 - m}, 0.32f, cy, 7.0f);
        Pipe({x1 - 2.1f, cy - 0.7f, z0 + m}, {x1 - 2.1f, cy - 0.7f, z1 - m}, 0.18f, cy, 7.0f);
    }
    // Skirting along every side, broken by the openings.
    auto skirt = [&](bool alongX, float s0, float s1, float c0, float c1, std::vector<Gap> gaps) {
        std::sort(gaps.begin(), gaps.end(), [](const Gap& a, const Gap& b) { return a.s0 < b.s0; });
        float cursor = s0;
        auto piece = [&](float a, float b) {
            a = std::max(a, s0);
            b = std::min(b, s1);
            if (b - a <= 0.05f) return;
            const Box bx = alongX ? Box{a, fy, c0, b, fy + 0.5f, c1} : Box{c0, fy, a, c1, fy + 0.5f, b};
            DrawBox(bx, mat_.trim, 0.25f, 3.0f, kSides | kTop);
        };
        for (const Gap& g : gaps) {
            piece(cursor, g.s0 - 0.4f);
            cursor = std::max(cursor, g.s1 + 0.4f);
        }
        piece(cursor, s1);
    };
    const float t = 0.12f;
    skirt(true, x0, x1, z0, z0 + t, room.gapsSouth);
    skirt(true, x0, x1, z1 - t, z1, room.gapsNorth);
    skirt(false, z0, z1, x0, x0 + t, room.gapsWest);
    skirt(false, z0, z1, x1 - t, x1, room.gapsEast);
}

bool MapBuilder::Write(const std::string& drawnPath, const std::string& rayPath) {
    // Baked light: a cold ambient, every lamp's light within its own room
    // (so light never leaks through a wall), a soft falloff and grime.
    const std::vector<Lamp> lamps = lamps_;
    const Vector3 amb = ambient;
    for (auto& prim : drawn_.Primitives()) {
        if (prim.material == mat_.lamp || prim.material == mat_.lampRed || prim.material == mat_.sign) continue;
        for (auto& v : prim.vertices) {
            Vector3 light = amb;
            for (const Lamp& l : lamps) {
                const float pad = 0.8f;
                if (v.p.x < l.x0 - pad || v.p.x > l.x1 + pad || v.p.z < l.z0 - pad || v.p.z > l.z1 + pad) continue;
                Vector3 to = l.pos - v.p;
                const float d = to.Length();
                if (d < 1e-3f) continue;
                to = to / d;
                const float ndl = v.n.Dot(to);
                const float f = std::max(0.0f, 0.15f + 0.85f * ndl);
                const float k = d / l.reach;
                light = light + l.colour * (0.7f * f / (1.0f + 3.0f * k * k));
            }
            const float grime = 0.78f + 0.22f * FractalNoise(v.p.x * 3.0f + v.p.y, v.p.z * 3.0f - v.p.y, 256, 8, 3, 77u);
            v.c = {std::min(1.0f, v.c.x * light.x * grime), std::min(1.0f, v.c.y * light.y * grime),
                   std::min(1.0f, v.c.z * light.z * grime), v.c.w};
        }
    }
    Model drawn;
    drawn.materials = model_.materials;
    Node node;
    node.name = name_;
    node.mesh = drawn_;
    drawn.nodes.push_back(node);

    Material plain;
    plain.name = "collision";
    plain.baseColor = {0.5f, 0.5f, 0.5f, 1};
    Model ray = Model::Single(name_ + "_ray", {plain}, ray_);
    const bool ok = WriteGltf(drawnPath, drawn) && WriteGltf(rayPath, ray);
    if (!ok) std::fprintf(stderr, "level: writing %s failed\n", name_.c_str());
    return ok;
}

}  // namespace level
}  // namespace datagen
