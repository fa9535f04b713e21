// The handgun: a long-barrelled pistol, blackened steel slide over a tan
// polymer frame, the stainless barrel standing out of the slide to a
// compensator that carries the front sight. Built in the gun's own space:
// the grip round the origin (the hand's place), the barrel along +z, the
// bore at y 0.24 ending at the muzzle (0, 0.24, 1.75). The player sees it
// from behind, above and to the left, low in the right of the picture, so
// the details sit on the top and the left side: serrations, the ejection
// port, the sights with their glowing dots, the levers.
#include <cmath>

#include "PropsCommon.h"
#include "TexturePaint.h"

namespace datagen {
namespace props {

namespace {

constexpr float kBoreY = 0.24f;
constexpr float kMuzzleZ = 1.75f;
constexpr float kBarrelRadius = 0.075f;
// The compensator round the barrel's end, its face just behind the muzzle.
constexpr float kCompRear = 1.5f, kCompFront = 1.735f;
// The slide: x +-0.115, y 0.10 to 0.40 with chamfered top edges.
constexpr float kSlideRear = -0.40f, kSlideFront = 1.02f;
// Serration grooves across the slide's sides: seven at the back, four at
// the front, each kGrooveWidth wide every kGroovePitch.
constexpr float kGrooveWidth = 0.022f, kGroovePitch = 0.046f;
constexpr float kRearGrooves = -0.36f, kFrontGrooves = 0.72f;
std::vector<float> GrooveStarts() {
    std::vector<float> z;
    for (int k = 0; k < 7; ++k) z.push_back(kRearGrooves + k * kGroovePitch);
    for (int k = 0; k < 4; ++k) z.push_back(kFrontGrooves + k * kGroovePitch);
    return z;
}
constexpr float kSlideBottom = 0.10f, kSlideTop = 0.40f, kSlideHalf = 0.115f;
// The ejection port, open on the slide's top right.
constexpr float kPortRear = 0.12f, kPortFront = 0.5f;
// The grip leans back by 18 degrees: its horizontal sections move back by
// this much per unit of depth below the frame.
const float kRake = std::tan(18.0f * kPi / 180.0f);

// A window of a texture atlas (u0, v0 to u1, v1).
struct Window {
    float u0, v0, u1, v1;
};
Vector2 In(const Window& w, float s, float t) {
    return {w.u0 + (w.u1 - w.u0) * Clamp01(s), w.v0 + (w.v1 - w.v0) * Clamp01(t)};
}

// The metal texture (256 x 256): the slide's left side (read from the left,
// so it runs from the muzzle back), its right side (from the back to the
// muzzle), its top, worn blackened steel for the small parts, the barrel.
constexpr int kMetalSize = 256;
const Window kSlideLeft{0, 0, 1, 0.25f};
const Window kSlideRight{0, 0.25f, 1, 0.5f};
const Window kSlideTopWin{0, 0.5f, 1, 0.625f};
const Window kWorn{0, 0.625f, 0.5f, 1};
const Window kBarrel{0.5f, 0.625f, 1, 1};
// The polymer texture (256 x 256): stippled grip panels, the grooved front
// and back straps, plain moulded polymer for the frame.
constexpr int kPolymerSize = 256;
const Window kStipple{0, 0, 0.5f, 1};
const Window kStrap{0.5f, 0, 0.75f, 1};
const Window kPlain{0.75f, 0, 1, 1};

// Which window each facing of a part samples.
struct Faces {
    Window left, right, top, other;
};
Faces AllFaces(const Window& w) { return {w, w, w, w}; }

Primitive* PrimitiveOf(Mesh& mesh, int material) {
    for (Primitive& p : mesh.Primitives())
        if (p.material == material) return &p;
    return nullptr;
}
size_t VertexCount(Mesh& mesh, int material) {
    const Primitive* p = PrimitiveOf(mesh, material);
    return p ? p->vertices.size() : 0;
}

// Texture coordinates for the vertices of `material` added since `first`,
// each by its facing and its place in the box mn..mx: sides along z and
// down y, the top along z and across x, the other faces across x and down
// y (underneath: along z).
void MapFaces(Mesh& mesh, int material, size_t first, const Faces& f, const Vector3& mn, const Vector3& mx) {
    Primitive* p = PrimitiveOf(mesh, material);
    if (!p) return;
    const Vector3 size(std::fmax(mx.x - mn.x, 1e-4f), std::fmax(mx.y - mn.y, 1e-4f), std::fmax(mx.z - mn.z, 1e-4f));
    for (size_t i = first; i < p->vertices.size(); ++i) {
        Vtx& v = p->vertices[i];
        const float sx = (v.p.x - mn.x) / size.x, sy = (mx.y - v.p.y) / size.y, sz = (v.p.z - mn.z) / size.z;
        const float ax = std::fabs(v.n.x), ay = std::fabs(v.n.y), az = std::fabs(v.n.z);
        if (ax >= ay && ax >= az)
            v.uv = v.n.x < 0 ? In(f.left, 1 - sz, sy) : In(f.right, sz, sy);
        else if (ay >= az)
            v.uv = v.n.y > 0 ? In(f.top, sz, sx) : In(f.other, sx, sz);
        else
            v.uv = In(f.other, sx, sy);
    }
}
// The same over the part's own bounds.
void MapPart(Mesh& mesh, int material, size_t first, const Faces& f) {
    Primitive* p = PrimitiveOf(mesh, material);
    if (!p || first >= p->vertices.size()) return;
    Vector3 mn = p->vertices[first].p, mx = mn;
    for (size_t i = first; i < p->vertices.size(); ++i) {
        const Vector3& q = p->vertices[i].p;
        mn = Vector3(std::fmin(mn.x, q.x), std::fmin(mn.y, q.y), std::fmin(mn.z, q.z));
        mx = Vector3(std::fmax(mx.x, q.x), std::fmax(mx.y, q.y), std::fmax(mx.z, q.z));
    }
    MapFaces(mesh, material, first, f, mn, mx);
}
// Squeezes the shape's own 0..1 texture coordinates into a window.
void FitUv(Mesh& mesh, int material, size_t first, const Window& w) {
    Primitive* p = PrimitiveOf(mesh, material);
    if (!p) return;
    for (size_t i = first; i < p->vertices.size(); ++i) {
        Vtx& v = p->vertices[i];
        v.uv = In(w, v.uv.x, v.uv.y);
    }
}

// The slide's outline at a half width (the serration grooves are narrower).
std::vector<Vector2> SlideOutline(float half) {
    return {{-half, kSlideBottom},         {-half, kSlideTop - 0.05f}, {-half + 0.04f, kSlideTop},
            {half - 0.04f, kSlideTop},     {half, kSlideTop - 0.05f},  {half, kSlideBottom}};
}
Matrix AtZ(float z) { return Matrix::CreateTranslation(0, 0, z); }
void Section(Mesh& m, const std::vector<Vector2>& outline, float z0, float z1, bool caps = true) {
    m.AddLoft(outline, AtZ(z0), AtZ(z1), {1, 1, 1, 1}, caps);
}

// Places an outline in the horizontal plane (x, z) at height y, its z moved
// back with the grip's rake and scaled by s.
Matrix GripSection(float y, float s = 1.0f) {
    Matrix m;
    m._11 = s; m._12 = 0; m._13 = 0;
    m._21 = 0; m._22 = 0; m._23 = s;
    m._31 = 0; m._32 = 1; m._33 = 0;
    m._41 = 0; m._42 = y; m._43 = y * kRake;
    return m;
}
// A point of the grip's horizontal section at height y (z from the grip's axis).
Vector3 OnGrip(float x, float y, float z) { return {x, y, z + y * kRake}; }

// Worn blackened steel in the rectangle: bare metal shows through along the
// edges given (top, bottom, left, right) and in scattered scratches.
void WornSteel(Image& img, int x0, int y0, int x1, int y1, bool top, bool bottom, bool left, bool right,
               uint32_t seed) {
    const Rgba bare{168, 170, 174, 255};
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            float d = 1e9f;
            if (top) d = std::fmin(d, float(y - y0));
            if (bottom) d = std::fmin(d, float(y1 - 1 - y));
            if (left) d = std::fmin(d, float(x - x0));
            if (right) d = std::fmin(d, float(x1 - 1 - x));
            const float n = ValueNoise(x * 0.2f, y * 0.2f, 4096, seed);
            const float wear = Clamp01(1.0f - d / 2.5f + (n - 0.5f) * 1.2f);
            img.Blend(x, y, bare, wear * 0.5f);
        }
    const int w = x1 - x0, h = y1 - y0;
    for (int i = 0; i < w * h / 600; ++i) {
        const float sx = x0 + HashNoise(i, 1, seed) * w, sy = y0 + HashNoise(i, 2, seed) * h;
        const float len = 3 + HashNoise(i, 3, seed) * 10, a = HashNoise(i, 4, seed) * kPi;
        const float ex = std::fmin(std::fmax(sx + std::cos(a) * len, float(x0)), float(x1 - 1));
        const float ey = std::fmin(std::fmax(sy + std::sin(a) * len * 0.4f, float(y0)), float(y1 - 1));
        Line(img, sx, sy, ex, ey, 0.8f, bare, 0.2f);
    }
}

// Engraved text: dark letters with a light lower lip, centred on (cx, cy).
void Engrave(Image& img, const std::string& text, int cx, int cy, int maxW, int maxH) {
    const Font* font = UiFont();
    if (!font) return;
    const Mask glyphs = font->RenderFit(text, maxW, maxH);
    Mask cut(img.width, img.height), lip(img.width, img.height);
    StampCentred(cut, glyphs, cx, cy);
    StampCentred(lip, glyphs, cx, cy + 1);
    BlendMask(img, lip, {190, 192, 196, 255}, 0.45f);
    BlendMask(img, cut, {12, 12, 14, 255}, 0.85f);
}

Image GunMetalTexture() {
    const int S = kMetalSize;
    Image img(S, S);
    FillNoise(img, {50, 52, 56, 255}, 0.2f, 8, 501);
    // Fine lengthwise polishing lines.
    for (int y = 0; y < S; ++y) {
        const float f = HashNoise(0, y, 502);
        const Rgba streak = f > 0.5f ? Rgba{255, 255, 255, 255} : Rgba{0, 0, 0, 255};
        FillRect(img, 0, y, S, y + 1, streak, 0.1f * std::fabs(f - 0.5f));
    }
    auto px = [S](float t) { return int(std::lround(t * S)); };
    // The slide's sides: dark grooves where the geometry has its
    // serrations, worn edges, the maker's marks.
    const float len = kSlideFront - kSlideRear;
    for (int side = 0; side < 2; ++side) {
        const Window& w = side == 0 ? kSlideLeft : kSlideRight;
        const int x0 = px(w.u0), y0 = px(w.v0), x1 = px(w.u1), y1 = px(w.v1);
        auto column = [&](float z) {
            const float s = (z - kSlideRear) / len;
            return x0 + (side == 0 ? 1 - s : s) * (x1 - x0);
        };
        for (float z : GrooveStarts()) {
            const float a = column(z), b = column(z + kGrooveWidth);
            FillRect(img, int(std::fmin(a, b)), y0, int(std::fmax(a, b)) + 1, y1, {14, 14, 16, 255}, 0.8f);
        }
        WornSteel(img, x0, y0, x1, y1, true, true, side == 1, side == 0, 503 + side);
        // A fine line where the slide's flat meets its lower rail.
        FillRect(img, x0, y1 - 9, x1, y1 - 8, {10, 10, 12, 255}, 0.6f);
        Engrave(img, side == 0 ? "MRV-9  LR" : "9x19  LAB SECURITY", int(column(0.34f)), (y0 + y1) / 2, 76, 14);
    }
    {
        // The top: matt lengthwise ribs against glare.
        const Window& w = kSlideTopWin;
        const int x0 = px(w.u0), y0 = px(w.v0), x1 = px(w.u1), y1 = px(w.v1);
        for (int y = y0 + 6; y < y1 - 6; y += 3) FillRect(img, x0, y, x1, y + 1, {8, 8, 10, 255}, 0.55f);
        WornSteel(img, x0, y0, x1, y1, true, true, false, false, 505);
    }
    WornSteel(img, px(kWorn.u0), px(kWorn.v0), px(kWorn.u1), px(kWorn.v1), true, true, true, true, 506);
    {
        // The barrel: brushed stainless steel, sooted towards the muzzle (v 0).
        const int x0 = px(kBarrel.u0), y0 = px(kBarrel.v0), x1 = px(kBarrel.u1), y1 = px(kBarrel.v1);
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                const float n = HashNoise(x, 0, 507) * 0.6f + FractalNoise(float(x), float(y), S, 8, 3, 508) * 0.4f;
                const float soot = Clamp01(1.0f - float(y - y0) / (0.3f * (y1 - y0)));
                Rgba c = Scale({158, 158, 152, 255}, 0.85f + 0.3f * n);
                img.Set(x, y, Mix(c, {40, 36, 32, 255}, soot * 0.8f));
            }
    }
    return img;
}

Image GunPolymerTexture() {
    const int S = kPolymerSize;
    const Rgba tan{122, 104, 80, 255};
    Image img(S, S);
    FillNoise(img, tan, 0.1f, 8, 511);
    auto px = [S](float t) { return int(std::lround(t * S)); };
    {
        // Grip panels: a smooth moulded border round a stippled field,
        // polished a little where the palm rubs.
        const int x0 = px(kStipple.u0), y0 = px(kStipple.v0), x1 = px(kStipple.u1), y1 = px(kStipple.v1);
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                const int d = std::min(std::min(x - x0, x1 - 1 - x), std::min(y - y0, y1 - 1 - y));
                if (d < 10) continue;
                const float h = HashNoise(x, y, 512);
                if (h > 0.62f) img.Blend(x, y, {40, 32, 24, 255}, 0.55f);
                else if (h < 0.22f) img.Blend(x, y, {200, 184, 156, 255}, 0.35f);
            }
        Bevel(img, x0 + 8, y0 + 8, x1 - 8, y1 - 8, 0.35f, 2);
        Stains(img, x0 + 10, y0 + 10, x1 - 10, y0 + 90, {170, 152, 124, 255}, 3, 22, 513, 0.35f);
    }
    {
        // Straps: horizontal grooves.
        const int x0 = px(kStrap.u0), y0 = px(kStrap.v0), x1 = px(kStrap.u1), y1 = px(kStrap.v1);
        for (int y = y0 + 4; y < y1 - 4; y += 8) {
            FillRect(img, x0, y, x1, y + 2, {45, 36, 26, 255}, 0.6f);
            FillRect(img, x0, y + 2, x1, y + 3, {190, 172, 144, 255}, 0.35f);
        }
    }
    {
        // Plain frame: scuffs and paler worn edges.
        const int x0 = px(kPlain.u0), y0 = px(kPlain.v0), x1 = px(kPlain.u1), y1 = px(kPlain.v1);
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                const int d = std::min(std::min(x - x0, x1 - 1 - x), std::min(y - y0, y1 - 1 - y));
                const float n = ValueNoise(x * 0.25f, y * 0.25f, 4096, 514);
                img.Blend(x, y, {196, 180, 152, 255}, Clamp01(1.0f - d / 4.0f + (n - 0.5f)) * 0.6f);
            }
        Stains(img, x0, y0, x1, y1, {60, 50, 40, 255}, 8, 7, 515, 0.35f);
    }
    return img;
}

Image SightTexture() { return Image(8, 8, {170, 255, 150, 255}); }

}  // namespace

std::vector<Material> GunMaterials() {
    Material sight = Glow("gun_sight", "gun_sight.png", {0.35f, 1.0f, 0.4f}, "gun_sight.png");
    return {Mat("gun_metal", "gun_metal.png", 0.45f, 0.45f), Mat("gun_polymer", "gun_polymer.png", 0.85f), sight};
}

std::vector<Texture> GunTextures() {
    return {{"gun_metal.png", GunMetalTexture()},
            {"gun_polymer.png", GunPolymerTexture()},
            {"gun_sight.png", SightTexture()}};
}

Mesh GunMesh(int metal, int polymer, int sight) {
    Mesh m;
    // The slide, in sections from the back: the rear serration grooves, the
    // ejection port (open on the top right, the barrel's hood inside), the
    // front serrations, each with plain steel between.
    m.Use(metal);
    size_t first = VertexCount(m, metal);
    const auto full = SlideOutline(kSlideHalf);
    const auto groove = SlideOutline(kSlideHalf - 0.013f);
    float z = kSlideRear;
    auto solidTo = [&](float to) {
        Section(m, full, z, to);
        z = to;
    };
    for (float g : GrooveStarts()) {
        if (g > kPortRear && z < kPortRear) {
            // Round the port only the left wall and a low right rail remain.
            solidTo(kPortRear);
            Section(m, {{-kSlideHalf, kSlideBottom}, {-kSlideHalf, 0.35f}, {-0.075f, kSlideTop}, {-0.03f, kSlideTop},
                        {-0.03f, kSlideBottom}},
                    kPortRear, kPortFront);
            Section(m, {{-0.03f, kSlideBottom}, {-0.03f, 0.19f}, {kSlideHalf, 0.19f}, {kSlideHalf, kSlideBottom}},
                    kPortRear, kPortFront);
            z = kPortFront;
        }
        solidTo(g);
        Section(m, groove, g, g + kGrooveWidth, false);  // its ends lie inside the lands beside it
        z = g + kGrooveWidth;
    }
    solidTo(kSlideFront);
    MapFaces(m, metal, first, {kSlideLeft, kSlideRight, kSlideTopWin, kWorn},
             {-kSlideHalf, kSlideBottom, kSlideRear}, {kSlideHalf, kSlideTop, kSlideFront});

    // Sights on the slide: a blade at the front, a notched block at the back.
    first = VertexCount(m, metal);
    m.AddBox({-0.022f, 0.36f, 1.62f}, {0.022f, 0.475f, 1.72f});
    m.AddBox({-0.09f, kSlideTop, -0.35f}, {0.09f, 0.425f, -0.22f});
    for (float side : {-1.0f, 1.0f})
        m.AddBox({side < 0 ? -0.09f : 0.028f, 0.425f, -0.30f}, {side < 0 ? -0.028f : 0.09f, 0.48f, -0.22f});
    // The hammer behind the slide.
    m.AddBoxTransformed(Matrix::CreateScale(0.05f, 0.13f, 0.05f) * Matrix::CreateRotationX(Rad(-25)) *
                        Matrix::CreateTranslation(0, 0.26f, -0.43f));
    MapPart(m, metal, first, AllFaces(kWorn));

    // Glowing dots facing the shooter: one on the front blade, two on the
    // rear sight's ears; all three line up with the bore.
    m.Use(sight);
    first = VertexCount(m, sight);
    m.AddBox({-0.012f, 0.445f, 1.612f}, {0.012f, 0.467f, 1.62f});
    for (float x : {-0.059f, 0.059f}) m.AddBox({x - 0.012f, 0.448f, -0.308f}, {x + 0.012f, 0.47f, -0.30f});
    FitUv(m, sight, first, {0, 0, 1, 1});

    // The barrel: stainless, seen over the hood in the port and standing
    // out of the slide's bushing to the compensator, whose face shows the
    // crowned end of the barrel and its bore.
    m.Use(metal);
    first = VertexCount(m, metal);
    m.AddTube({0, kBoreY, kPortFront}, {0, kBoreY, kMuzzleZ}, kBarrelRadius, kBarrelRadius, 12, {1, 1, 1, 1}, false);
    FitUv(m, metal, first, kBarrel);
    first = VertexCount(m, metal);
    m.AddBox({-0.03f, 0.19f, kPortRear}, {0.085f, 0.375f, kPortFront});  // the hood in the port
    m.AddTube({0, kBoreY, kSlideFront - 0.01f}, {0, kBoreY, kSlideFront + 0.05f}, 0.09f, 0.09f, 12);  // bushing
    MapPart(m, metal, first, AllFaces(kBarrel));
    first = VertexCount(m, metal);
    {
        // The compensator: an octagon round the bore with three gas ports
        // cut across its top (darkened), the front sight on its back end.
        auto comp = [](float top) {
            return std::vector<Vector2>{{-0.1f, 0.155f}, {-0.1f, top - 0.04f}, {-0.06f, top}, {0.06f, top},
                                        {0.1f, top - 0.04f}, {0.1f, 0.155f}, {0.06f, 0.115f}, {-0.06f, 0.115f}};
        };
        float cz = kCompRear;
        for (int k = 0; k < 3; ++k) {
            const float port = 1.585f + k * 0.05f;
            m.AddLoft(comp(0.365f), AtZ(cz), AtZ(port));
            m.AddLoft(comp(0.315f), AtZ(port), AtZ(port + 0.025f), {0.3f, 0.3f, 0.3f, 1});
            cz = port + 0.025f;
        }
        m.AddLoft(comp(0.365f), AtZ(cz), AtZ(kCompFront));
    }
    MapPart(m, metal, first, AllFaces(kWorn));
    {
        const float bore = 0.032f, crown = 0.05f;
        const int segments = 12;
        first = VertexCount(m, metal);
        m.AddTube({0, kBoreY, kCompFront - 0.01f}, {0, kBoreY, kMuzzleZ}, crown, crown, segments, {1, 1, 1, 1}, false);
        for (int i = 0; i < segments; ++i) {
            const float a0 = 2 * kPi * i / segments, a1 = 2 * kPi * (i + 1) / segments;
            auto at = [](float r, float a) { return Vector3(r * std::cos(a), kBoreY + r * std::sin(a), kMuzzleZ); };
            // Seen from in front (+z) the viewer's right is -x: these run clockwise.
            m.AddQuad(at(crown, a1), at(crown, a0), at(bore, a0), at(bore, a1));
        }
        FitUv(m, metal, first, {kBarrel.u0, kBarrel.v0, kBarrel.u1, kBarrel.v0 + 0.05f});
        Mesh hole;
        hole.Use(metal);
        const Vector4 dark{0.08f, 0.08f, 0.08f, 1};
        hole.AddTube({0, kBoreY, kMuzzleZ - 0.08f}, {0, kBoreY, kMuzzleZ}, bore, bore, segments, dark, false);
        TurnInside(hole);
        hole.AddQuad({bore, kBoreY + bore, kMuzzleZ - 0.08f}, {-bore, kBoreY + bore, kMuzzleZ - 0.08f},
                     {-bore, kBoreY - bore, kMuzzleZ - 0.08f}, {bore, kBoreY - bore, kMuzzleZ - 0.08f},
                     {0, 0}, {1, 1}, dark);
        for (auto& v : hole.Primitives()[0].vertices) v.uv = In(kWorn, 0.5f, 0.5f);
        m.Append(hole, Matrix::Identity());
    }

    // The frame: dust cover with a rail underneath, the tang over the web
    // of the hand, the trigger guard.
    m.Use(polymer);
    first = VertexCount(m, polymer);
    m.AddLoft({{-0.1f, 0.105f}, {0.1f, 0.105f}, {0.1f, 0.02f}, {0.08f, -0.02f}, {-0.08f, -0.02f}, {-0.1f, 0.02f}},
              AtZ(0.0f), AtZ(0.98f));
    m.AddLoft({{-0.1f, 0.105f}, {0.1f, 0.105f}, {0.1f, 0.0f}, {-0.1f, 0.0f}}, AtZ(-0.44f), AtZ(0.0f));
    m.AddBox({-0.055f, -0.055f, 0.7f}, {0.055f, -0.02f, 0.96f});
    for (int k = 0; k < 3; ++k) {
        const float z = 0.71f + k * 0.09f;
        m.AddBox({-0.068f, -0.08f, z}, {0.068f, -0.05f, z + 0.06f});
    }
    m.AddBoxTransformed(Matrix::CreateScale(0.09f, 0.32f, 0.055f) * Matrix::CreateRotationX(Rad(6)) *
                        Matrix::CreateTranslation(0, -0.16f, 0.63f));
    m.AddBox({-0.045f, -0.335f, 0.08f}, {0.045f, -0.285f, 0.655f});
    MapPart(m, polymer, first, AllFaces(kPlain));

    // The grip: an octagonal section raked back, stippled panels on its
    // sides, grooved straps, flaring a little towards the magazine's base.
    first = VertexCount(m, polymer);
    const std::vector<Vector2> grip = {{-0.12f, -0.15f}, {-0.12f, 0.15f}, {-0.07f, 0.2f}, {0.07f, 0.2f},
                                       {0.12f, 0.15f},   {0.12f, -0.15f}, {0.07f, -0.2f}, {-0.07f, -0.2f}};
    m.AddLoft(grip, GripSection(0.02f), GripSection(-0.86f, 1.04f));
    MapPart(m, polymer, first, {kStipple, kStipple, kPlain, kStrap});

    m.Use(metal);
    first = VertexCount(m, metal);
    // The magazine's base plate, the slide stop and take-down levers and the
    // magazine release on the left, and the trigger.
    m.AddLoft(grip, GripSection(-0.86f, 1.07f), GripSection(-0.93f, 1.07f));
    m.AddBox({-0.125f, 0.07f, 0.3f}, {-0.1f, 0.1f, 0.56f});
    m.AddBox({-0.132f, 0.06f, 0.44f}, {-0.1f, 0.11f, 0.52f});
    m.AddBox({-0.118f, 0.05f, 0.66f}, {-0.1f, 0.09f, 0.72f});
    m.AddBox({-0.135f, -0.1f, 0.1f}, {-0.11f, -0.035f, 0.16f});
    m.AddBoxTransformed(Matrix::CreateScale(0.04f, 0.12f, 0.035f) * Matrix::CreateRotationX(Rad(15)) *
                        Matrix::CreateTranslation(0, -0.075f, 0.4f));
    m.AddBoxTransformed(Matrix::CreateScale(0.04f, 0.1f, 0.035f) * Matrix::CreateRotationX(Rad(-20)) *
                        Matrix::CreateTranslation(0, -0.17f, 0.405f));
    MapPart(m, metal, first, AllFaces(kWorn));
    return m;
}

Mesh GripHand(int skin) {
    Mesh m;
    m.Use(skin);
    // A finger as a chain of segments with rounded joints.
    auto finger = [&m](const std::vector<Vector3>& joints, float r0, float r1) {
        const size_t n = joints.size();
        for (size_t i = 0; i < n; ++i) {
            const float r = r0 + (r1 - r0) * float(i) / float(n - 1);
            m.AddSphere(joints[i], {r, r, r}, 7, 4);
            if (i + 1 < n) {
                const float rn = r0 + (r1 - r0) * float(i + 1) / float(n - 1);
                m.AddTube(joints[i], joints[i + 1], r, rn, 7, {1, 1, 1, 1}, false);
            }
        }
    };
    // Palm and back of the hand on the grip's right side, the heel over the
    // back strap, the web of the thumb tucked under the tang.
    m.AddSphere(OnGrip(0.185f, -0.42f, -0.04f), {0.08f, 0.36f, 0.25f}, 12, 8);
    m.AddSphere(OnGrip(0.05f, -0.5f, -0.25f), {0.16f, 0.33f, 0.09f}, 12, 8);
    m.AddSphere(OnGrip(0.02f, -0.075f, -0.24f), {0.15f, 0.075f, 0.1f}, 10, 6);
    // Middle, ring and little fingers round the front strap under the
    // trigger guard, their tips on the left side.
    const float levels[3] = {-0.41f, -0.565f, -0.71f};
    const float widths[3] = {0.072f, 0.068f, 0.06f};
    for (int k = 0; k < 3; ++k) {
        const float y = levels[k], r = widths[k];
        finger({OnGrip(0.19f, y, 0.02f), OnGrip(0.17f, y, 0.2f), OnGrip(0.0f, y, 0.2f + r),
                OnGrip(-0.13f, y, 0.2f), OnGrip(-0.12f - r, y, 0.05f)},
               r, r * 0.85f);
    }
    // The index finger through the guard onto the trigger.
    finger({OnGrip(0.18f, -0.15f, 0.08f), {0.14f, -0.14f, 0.28f}, {0.065f, -0.15f, 0.4f}, {0.0f, -0.175f, 0.445f}},
           0.068f, 0.055f);
    // The thumb from the web high along the left of the frame, resting on
    // the slide stop and pointing at the target: the part of the hand the
    // player sees at the bottom of the picture.
    const Vector3 thumbTip(-0.19f, 0.075f, 0.42f);
    finger({{-0.06f, -0.09f, -0.17f}, {-0.17f, 0.0f, 0.0f}, {-0.19f, 0.06f, 0.21f}, thumbTip}, 0.085f, 0.06f);
    // The wrist behind the grip, where the sleeve takes over.
    m.AddTube(OnGrip(0.09f, -0.46f, -0.18f), kGripWrist, 0.16f, 0.14f, 10, {1, 1, 1, 1}, false);
    m.AddSphere(kGripWrist, {0.14f, 0.14f, 0.14f}, 10, 6);
    // The skin samples the texture above v 0.875; the thumbnail, on the
    // top of the thumb's tip, the pale strip below.
    Primitive& p = m.Primitives()[0];
    for (Vtx& v : p.vertices) v.uv.y *= 0.875f;
    const size_t nail = p.vertices.size();
    m.AddSphere(thumbTip + Vector3(-0.012f, 0.048f, 0.012f), {0.036f, 0.016f, 0.045f}, 8, 4);
    for (size_t i = nail; i < p.vertices.size(); ++i) p.vertices[i].uv = {0.5f, 0.94f};
    return m;
}

}  // namespace props
}  // namespace datagen
