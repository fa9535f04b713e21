// The zombies: six body parts each for the normal and the strong kind, the
// glowing weak spot, and the simplified hit-test parts. Parts are built
// around the origins the game turns them about (head centre, shoulders,
// hips) and face +z.
#include <cmath>

#include "PropsCommon.h"

namespace datagen {
namespace props {

namespace {

enum ZombieMaterial { kSkin = 0, kFace = 1, kShirt = 2, kTrousers = 3, kShoes = 4, kBlood = 5 };

struct ZombiePalette {
    Rgba skin, skinDark, shirt, trousers, eye;
};

ZombiePalette Palette(bool strong) {
    if (strong)  // the strong kind: bruised purple-grey skin, torn lab coat, red eyes
        return {{128, 112, 118, 255}, {70, 44, 60, 255}, {190, 186, 172, 255}, {48, 48, 54, 255}, {235, 40, 30, 255}};
    return {{132, 150, 110, 255}, {70, 86, 58, 255}, {120, 132, 150, 255}, {52, 60, 80, 255}, {225, 220, 120, 255}};
}

const Rgba kBloodDark{92, 8, 10, 255};
const Rgba kBloodRed{150, 16, 14, 255};

// A ragged rip in cloth: a slit along a gently bent axis, widest in the
// middle, with jagged frayed edges, the skin beneath in the shadow of its
// upper lip. (Round holes with a dark centre read as eyes from a distance;
// a slit reads as a tear.)
void Rip(Image& img, float cx, float cy, float length, float angle, float gape, Rgba skin, uint32_t seed) {
    const float dx = std::cos(angle), dy = std::sin(angle);
    const float bend = (HashNoise(1, 1, seed) - 0.5f) * 0.5f;  // how far the axis curves
    const float reach = length * 0.5f + gape + 4.0f;
    const Rgba fray{40, 30, 25, 255};
    for (int y = int(cy - reach); y <= int(cy + reach); ++y) {
        for (int x = int(cx - reach); x <= int(cx + reach); ++x) {
            if (x < 0 || y < 0 || x >= img.width || y >= img.height) continue;
            const float rx = x - cx, ry = y - cy;
            const float t = (rx * dx + ry * dy) / (length * 0.5f);  // -1..1 along the slit
            if (t <= -1.0f || t >= 1.0f) continue;
            const float d = -rx * dy + ry * dx - bend * length * 0.5f * (1.0f - t * t);
            // Half width: tapered ends, edges torn in steps of a few pixels.
            const int step = int((t + 1.0f) * length * 0.25f);
            const float jag = (HashNoise(step, d < 0 ? 2 : 3, seed) - 0.5f) * 3.0f;
            const float half = gape * 0.5f * std::pow(1.0f - t * t, 0.6f) + jag;
            const float ad = std::fabs(d);
            if (ad < half) {
                // Darker under the upper edge, as if the cloth casts a shadow.
                const float shade = 0.55f + 0.45f * ((d + half) / (2.0f * half + 0.01f));
                img.Blend(x, y, Scale(skin, shade), 1.0f);
            } else if (ad < half + 2.5f) {
                img.Blend(x, y, fray, 0.85f);
            }
        }
    }
}

Image SkinTexture(const ZombiePalette& p, uint32_t seed) {
    Image img(256, 256);
    FillNoise(img, p.skin, 0.35f, 4, seed);
    // Blotchy bruises and veins.
    Stains(img, 0, 0, 256, 256, p.skinDark, 14, 26, seed + 1, 0.45f);
    for (int i = 0; i < 10; ++i) {
        float x = HashNoise(i, 5, seed) * 256, y = HashNoise(i, 6, seed) * 256;
        for (int s = 0; s < 6; ++s) {
            const float nx = x + (HashNoise(i, s + 10, seed) - 0.5f) * 40;
            const float ny = y + HashNoise(i, s + 20, seed) * 30;
            Line(img, x, y, nx, ny, 1.4f, Scale(p.skinDark, 0.7f), 0.6f);
            x = nx; y = ny;
        }
    }
    Stains(img, 0, 0, 256, 256, kBloodDark, 6, 14, seed + 2, 0.8f);
    return img;
}

Image FaceTexture(const ZombiePalette& p, bool strong, uint32_t seed) {
    Image img = SkinTexture(p, seed);
    // Sunken eye sockets, clouded eyes with small pupils.
    for (int side = -1; side <= 1; side += 2) {
        const float cx = 128 + side * 52.0f, cy = 100;
        FillEllipse(img, cx, cy, 38, 28, Scale(p.skinDark, 0.45f), 0.9f);
        FillEllipse(img, cx, cy + 2, 26, 17, p.eye);
        FillEllipse(img, cx + side * 3, cy + 3, 8, 8, strong ? Rgba{90, 0, 0, 255} : Rgba{120, 20, 20, 255});
        FillEllipse(img, cx + side * 3, cy + 3, 3, 3, {10, 0, 0, 255});
        // Heavy brow shadow.
        Line(img, cx - 30, cy - 26 + side * 3, cx + 30, cy - 26 - side * 3, 8, Scale(p.skinDark, 0.5f), 0.8f);
    }
    // Nose: two dark nostrils and a shadowed ridge.
    Line(img, 128, 110, 128, 150, 10, Scale(p.skinDark, 0.8f), 0.5f);
    FillEllipse(img, 120, 156, 6, 4, {25, 20, 15, 255});
    FillEllipse(img, 136, 156, 6, 4, {25, 20, 15, 255});
    // Gaping mouth with ragged teeth.
    FillEllipse(img, 128, 200, 54, 30, {30, 6, 8, 255});
    FillEllipse(img, 128, 206, 44, 20, {60, 10, 12, 255});
    for (int t = 0; t < 9; ++t) {
        const float x = 86 + t * 10.5f;
        const float h = 8 + HashNoise(t, 1, seed) * 8;
        FillRect(img, int(x), 174, int(x + 7), int(176 + h), {200, 190, 140, 255});
        FillRect(img, int(x), int(224 - h * 0.8f), int(x + 7), 226, {180, 170, 120, 255});
    }
    // Blood running from the mouth and one eye.
    for (int d = 0; d < 5; ++d) {
        const float x = 96 + d * 16 + HashNoise(d, 3, seed) * 6;
        Line(img, x, 220, x + HashNoise(d, 4, seed) * 4, 230 + HashNoise(d, 5, seed) * 26, 5, kBloodRed, 0.85f);
    }
    Line(img, 76, 118, 72, 170, 4, kBloodRed, 0.7f);
    // Gash across the cheek.
    Line(img, 170, 130, 214, 170, 6, kBloodDark, 0.9f);
    Line(img, 172, 132, 212, 168, 2, {200, 60, 60, 255}, 0.7f);
    return img;
}

Image ShirtTexture(const ZombiePalette& p, bool strong, uint32_t seed) {
    Image img(256, 256);
    FillNoise(img, p.shirt, 0.25f, 8, seed);
    if (!strong) {
        // Faded check pattern of a work shirt.
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x)
                if ((x % 32) < 3 || (y % 32) < 3) img.Blend(x, y, {40, 50, 80, 255}, 0.35f);
    } else {
        // Lab-coat seams and a pocket.
        for (int x = 0; x < 256; x += 64) FillRect(img, x, 0, x + 2, 256, {120, 118, 110, 255}, 0.6f);
        FillRect(img, 150, 60, 210, 120, {170, 166, 154, 255});
        Bevel(img, 150, 60, 210, 120, 0.4f, 2);
    }
    Stains(img, 0, 0, 256, 256, {80, 70, 40, 255}, 10, 30, seed + 1, 0.45f);  // grime
    Stains(img, 0, 0, 256, 256, kBloodDark, 9, 28, seed + 2, 0.85f);         // blood
    // Rips showing the skin beneath.
    for (int i = 0; i < 7; ++i) {
        const float cx = 20 + HashNoise(i, 7, seed) * 216, cy = 20 + HashNoise(i, 8, seed) * 216;
        Rip(img, cx, cy, 34 + HashNoise(i, 9, seed) * 30, HashNoise(i, 10, seed) * kPi, 9, p.skin, seed + 31 * i);
    }
    return img;
}

Image TrousersTexture(const ZombiePalette& p, uint32_t seed) {
    Image img(256, 256);
    FillNoise(img, p.trousers, 0.3f, 16, seed);
    for (int y = 0; y < 256; y += 3)  // woven lines
        FillRect(img, 0, y, 256, y + 1, {0, 0, 0, 255}, 0.12f);
    Stains(img, 0, 0, 256, 256, {60, 50, 35, 255}, 10, 30, seed + 1, 0.5f);  // mud
    Stains(img, 0, 0, 256, 256, kBloodDark, 5, 20, seed + 2, 0.7f);
    for (int i = 0; i < 3; ++i) {
        const float cx = 20 + HashNoise(i, 7, seed) * 216, cy = 20 + HashNoise(i, 8, seed) * 216;
        Rip(img, cx, cy, 26 + HashNoise(i, 9, seed) * 14, HashNoise(i, 10, seed) * kPi, 6, p.skin, seed + 31 * i);
    }
    return img;
}

Image PlainTexture(Rgba c, float amount, uint32_t seed) {
    Image img(64, 64);
    FillNoise(img, c, amount, 4, seed);
    return img;
}

}  // namespace

std::vector<Material> ZombieMaterials(const std::string& prefix, bool strong) {
    (void)strong;
    return {Mat(prefix + "_skin", prefix + "_skin.png", 0.7f),
            Mat(prefix + "_face", prefix + "_face.png", 0.7f),
            Mat(prefix + "_shirt", prefix + "_shirt.png", 0.9f),
            Mat(prefix + "_trousers", prefix + "_trousers.png", 0.9f),
            Mat(prefix + "_shoes", prefix + "_shoes.png", 0.6f),
            Mat(prefix + "_blood", prefix + "_blood.png", 0.4f)};
}

std::vector<Texture> ZombieTextures(const std::string& prefix, bool strong) {
    const ZombiePalette p = Palette(strong);
    const uint32_t seed = strong ? 900u : 100u;
    return {{prefix + "_skin.png", SkinTexture(p, seed)},
            {prefix + "_face.png", FaceTexture(p, strong, seed + 10)},
            {prefix + "_shirt.png", ShirtTexture(p, strong, seed + 20)},
            {prefix + "_trousers.png", TrousersTexture(p, seed + 30)},
            {prefix + "_shoes.png", PlainTexture({58, 44, 34, 255}, 0.4f, seed + 40)},
            {prefix + "_blood.png", PlainTexture({110, 12, 12, 255}, 0.5f, seed + 50)}};
}

Mesh ZombieHead(const ZombieDetail& d) {
    Mesh m;
    // Skull with the face on its front, a slack jaw and ears.
    BoxFront(m, {-0.4f, -0.32f, -0.4f}, {0.4f, 0.45f, 0.4f}, kFace, kSkin, 1.2f, {0.0f, 0.0f}, {1.0f, 0.8f});
    m.Use(kSkin);
    m.AddSphere({0.0f, 0.32f, -0.04f}, {0.4f, 0.2f, 0.38f}, d.Slices(10), d.Stacks(5));  // rounded crown
    BoxFront(m, {-0.33f, -0.52f, -0.28f}, {0.33f, -0.3f, 0.37f}, kFace, kSkin, 1.2f, {0.15f, 0.78f}, {0.85f, 1.0f});
    m.Use(kSkin);
    m.AddBox({-0.46f, -0.05f, -0.08f}, {-0.4f, 0.16f, 0.06f}, 1.0f);
    m.AddBox({0.4f, -0.08f, -0.08f}, {0.45f, 0.12f, 0.05f}, 1.0f);
    // Patches of dark hair clinging to the crown (rounded over it: a flat
    // box let the crown poke through as a bald disc).
    m.Use(kShoes);
    m.AddSphere({-0.12f, 0.42f, -0.1f}, {0.27f, 0.12f, 0.3f}, d.Slices(10), d.Stacks(4));
    m.AddSphere({0.12f, 0.38f, -0.22f}, {0.2f, 0.12f, 0.18f}, d.Slices(8), d.Stacks(4));
    return m;
}

Mesh ZombieBody(const ZombieDetail& d) {
    Mesh m;
    m.Use(kSkin);
    m.AddTube({0, 0.3f, 0}, {0, 0.62f, 0.02f}, 0.22f, 0.19f, d.Sides(10));  // neck
    m.Use(kShirt);
    m.AddBox({-0.8f, -0.5f, -0.4f}, {0.8f, 0.42f, 0.45f}, 0.9f);     // chest
    m.AddSphere({-0.62f, 0.2f, 0.0f}, {0.26f, 0.26f, 0.34f}, d.Slices(10), d.Stacks(6));  // shoulders
    m.AddSphere({0.62f, 0.2f, 0.0f}, {0.26f, 0.26f, 0.34f}, d.Slices(10), d.Stacks(6));
    m.AddBox({-0.7f, -1.02f, -0.36f}, {0.7f, -0.5f, 0.4f}, 0.9f);    // belly
    // A torn flap hanging off the shirt's hem.
    m.AddBoxTransformed(Matrix::CreateScale(0.35f, 0.4f, 0.04f) * Matrix::CreateRotationZ(Rad(12)) *
                            Matrix::CreateTranslation(0.35f, -1.15f, 0.41f),
                        0.9f);
    // Bare belly through a tear, with blood running down from it (rounded
    // shapes: a framed rectangle here read as a label, not a wound).
    m.Use(kSkin);
    m.AddSphere({-0.1f, -0.72f, 0.4f}, {0.22f, 0.1f, 0.03f}, d.Slices(10), d.Stacks(4));
    m.Use(kBlood);
    m.AddSphere({-0.16f, -0.76f, 0.415f}, {0.09f, 0.035f, 0.025f}, d.Slices(8), d.Stacks(4));
    m.AddBox({-0.2f, -0.98f, 0.4f}, {-0.16f, -0.76f, 0.425f}, 1.0f);
    m.AddBox({-0.04f, -0.9f, 0.4f}, {-0.01f, -0.74f, 0.42f}, 1.0f);
    m.Use(kTrousers);
    m.AddBox({-0.72f, -1.45f, -0.38f}, {0.72f, -1.0f, 0.38f}, 0.9f);  // hips
    m.Use(kShoes);
    m.AddBox({-0.74f, -1.12f, -0.4f}, {0.74f, -1.02f, 0.4f}, 1.0f);   // belt
    return m;
}

Mesh ZombieArm(bool right, const ZombieDetail& d) {
    Mesh m;
    m.Use(kShirt);
    m.AddSphere({0, 0, 0}, {0.26f, 0.26f, 0.26f}, d.Slices(10), d.Stacks(6));
    // The right sleeve is ripped off at the elbow, the left hangs in rags.
    const float sleeveEnd = right ? 0.75f : 1.15f;
    m.AddTube({0, 0, 0}, {0, -0.05f, sleeveEnd}, 0.25f, 0.22f, d.Sides(10));
    m.Use(kSkin);
    m.AddTube({0, -0.05f, sleeveEnd - 0.02f}, {0, -0.08f, 1.0f}, 0.2f, 0.19f, d.Sides(10), {1, 1, 1, 1}, false);
    m.AddSphere({0, -0.08f, 1.0f}, {0.19f, 0.19f, 0.19f}, d.Slices(8), d.Stacks(5));  // elbow
    m.AddTube({0, -0.08f, 1.0f}, {0, -0.12f, 1.75f}, 0.18f, 0.14f, d.Sides(10));
    m.AddBox({-0.14f, -0.2f, 1.72f}, {0.14f, 0.0f, 1.98f}, 1.5f);  // hand
    // Clawing fingers and the thumb.
    for (int f = 0; f < 4; ++f) {
        const float x = -0.105f + f * 0.07f;
        m.AddTube({x, -0.06f, 1.96f}, {x, -0.13f - 0.02f * (f % 2), 2.14f}, 0.032f, 0.025f, d.Sides(5));
    }
    const float thumbX = right ? -0.15f : 0.15f;
    m.AddTube({thumbX, -0.12f, 1.78f}, {thumbX * 1.2f, -0.18f, 1.95f}, 0.035f, 0.028f, d.Sides(5));
    // A smear of blood over the knuckles.
    m.Use(kBlood);
    m.AddSphere({-0.03f, 0.0f, 1.9f}, {0.09f, 0.02f, 0.05f}, d.Slices(8), d.Stacks(3));
    m.AddSphere({0.05f, 0.0f, 1.84f}, {0.05f, 0.018f, 0.04f}, d.Slices(6), d.Stacks(3));
    return m;
}

Mesh ZombieLeg(bool right, const ZombieDetail& d) {
    const float x = right ? 0.45f : -0.45f;
    Mesh m;
    m.Use(kTrousers);
    m.AddTube({x, 0.05f, 0}, {x, -1.25f, 0.05f}, 0.3f, 0.24f, d.Sides(10));
    m.AddSphere({x, -1.25f, 0.05f}, {0.24f, 0.24f, 0.24f}, d.Slices(8), d.Stacks(5));  // knee
    // One trouser leg is torn off above the shin.
    const float hem = right ? -2.2f : -1.75f;
    m.AddTube({x, -1.25f, 0.05f}, {x, hem, 0.0f}, 0.23f, 0.2f, d.Sides(10));
    m.Use(kSkin);
    m.AddTube({x, hem + 0.02f, 0.0f}, {x, -2.36f, -0.02f}, 0.17f, 0.15f, d.Sides(8));
    m.Use(kShoes);
    m.AddBox({x - 0.17f, -2.57f, -0.22f}, {x + 0.17f, -2.34f, 0.46f}, 1.5f);
    return m;
}

bool WriteZombies(const std::string& outDir) {
    bool ok = true;
    // Each part in its full and its far look.
    struct Part {
        const char* normalPath;
        const char* strongPath;
        const char* normalFarPath;
        const char* strongFarPath;
        Mesh (*build)(const ZombieDetail&);
        Matrix strongScale;
    };
    const float legStretch = 3.5f / 2.57f;
    const Matrix wide = Matrix::CreateScale(1.5f), tall = Matrix::CreateScale(1.5f, legStretch, 1.5f);
    namespace m = asset::model;
    const Part parts[] = {
        {m::kZombieParts[0], m::kStrongZombieParts[0], m::kZombieFarParts[0], m::kStrongZombieFarParts[0],
         [](const ZombieDetail& d) { return ZombieHead(d); }, wide},
        {m::kZombieParts[1], m::kStrongZombieParts[1], m::kZombieFarParts[1], m::kStrongZombieFarParts[1],
         [](const ZombieDetail& d) { return ZombieBody(d); }, wide},
        {m::kZombieParts[2], m::kStrongZombieParts[2], m::kZombieFarParts[2], m::kStrongZombieFarParts[2],
         [](const ZombieDetail& d) { return ZombieArm(true, d); }, wide},
        {m::kZombieParts[3], m::kStrongZombieParts[3], m::kZombieFarParts[3], m::kStrongZombieFarParts[3],
         [](const ZombieDetail& d) { return ZombieArm(false, d); }, wide},
        {m::kZombieParts[4], m::kStrongZombieParts[4], m::kZombieFarParts[4], m::kStrongZombieFarParts[4],
         [](const ZombieDetail& d) { return ZombieLeg(true, d); }, tall},
        {m::kZombieParts[5], m::kStrongZombieParts[5], m::kZombieFarParts[5], m::kStrongZombieFarParts[5],
         [](const ZombieDetail& d) { return ZombieLeg(false, d); }, tall},
    };

    const auto normalTextures = ZombieTextures("zombie", false);
    const auto strongTextures = ZombieTextures("zombieS", true);
    for (const Part& part : parts) {
        std::string name = part.normalPath;
        name = name.substr(name.find_last_of('/') + 1);
        name = name.substr(0, name.size() - 5);
        for (bool far : {false, true}) {
            // The far look goes beside the full one and shares its textures.
            const Mesh mesh = part.build(ZombieDetail{far});
            Mesh normal = mesh;
            BakeLight(normal, -4.0f, 1.5f);
            ok = Save(outDir, far ? part.normalFarPath : part.normalPath,
                      Model::Single(name, ZombieMaterials("zombie", false), normal),
                      far ? std::vector<Texture>{} : normalTextures) && ok;
            Mesh strong;
            strong.Append(mesh, part.strongScale);
            BakeLight(strong, -5.5f, 2.5f);
            ok = Save(outDir, far ? part.strongFarPath : part.strongPath,
                      Model::Single(name + "_S", ZombieMaterials("zombieS", true), strong),
                      far ? std::vector<Texture>{} : strongTextures) && ok;
        }
    }

    // The weak spot: a pulsing growth on the chest, placed by the game at
    // (-0.15, 0, 0.15) from the zombie's origin, so it bulges out of the
    // chest's front (z 0.45) a little below the collar.
    {
        Image base(128, 128);
        FillNoise(base, {200, 70, 40, 255}, 0.5f, 4, 321);
        Stains(base, 0, 0, 128, 128, {255, 200, 80, 255}, 10, 14, 322, 0.8f);
        Image glow(128, 128);
        FillNoise(glow, {255, 120, 50, 255}, 0.6f, 4, 323);
        Stains(glow, 0, 0, 128, 128, {255, 240, 160, 255}, 12, 12, 324, 0.9f);
        Material material = Glow("weak_growth", "weak_growth.png", {1.0f, 0.55f, 0.3f}, "weak_glow.png");
        material.roughness = 0.35f;
        for (bool far : {false, true}) {
            const ZombieDetail d{far};
            Mesh mesh;
            mesh.Use(0);
            mesh.AddSphere({0.0f, -0.12f, 0.33f}, {0.2f, 0.22f, 0.13f}, d.Slices(12), d.Stacks(8));
            mesh.AddSphere({0.13f, -0.02f, 0.32f}, {0.09f, 0.09f, 0.08f}, d.Slices(8), d.Stacks(5));
            mesh.AddSphere({-0.1f, -0.26f, 0.31f}, {0.1f, 0.08f, 0.08f}, d.Slices(8), d.Stacks(5));
            mesh.AddSphere({0.06f, -0.3f, 0.32f}, {0.06f, 0.06f, 0.06f}, d.Slices(6), d.Stacks(4));
            ok = Save(outDir, far ? m::kZombieFarParts[m::kZombieWeakSpot] : m::kZombieParts[m::kZombieWeakSpot],
                      Model::Single("zombie_weak", {material}, mesh),
                      far ? std::vector<Texture>{}
                          : std::vector<Texture>{{"weak_growth.png", base}, {"weak_glow.png", glow}}) && ok;
        }
    }

    // Hit-test parts (shared by both kinds; the strong zombie is scaled by the game).
    ok = Save(outDir, asset::model::kZombieRayParts[0],
              RayModel("zombie_Head_Ray", {{{-0.45f, -0.52f, -0.42f}, {0.45f, 0.5f, 0.42f}}}), {}) && ok;
    ok = Save(outDir, asset::model::kZombieRayParts[1],
              RayModel("zombie_Body_Ray", {{{-0.9f, -1.45f, -0.42f}, {0.9f, 0.62f, 0.47f}}}), {}) && ok;
    ok = Save(outDir, asset::model::kZombieRayParts[2],
              RayModel("zombie_ArmR_Ray", {{{-0.26f, -0.3f, -0.26f}, {0.26f, 0.26f, 2.15f}}}), {}) && ok;
    ok = Save(outDir, asset::model::kZombieRayParts[3],
              RayModel("zombie_ArmL_Ray", {{{-0.26f, -0.3f, -0.26f}, {0.26f, 0.26f, 2.15f}}}), {}) && ok;
    ok = Save(outDir, asset::model::kZombieRayParts[4],
              RayModel("zombie_LegR_Ray", {{{0.13f, -2.57f, -0.3f}, {0.77f, 0.05f, 0.46f}}}), {}) && ok;
    ok = Save(outDir, asset::model::kZombieRayParts[5],
              RayModel("zombie_LegL_Ray", {{{-0.77f, -2.57f, -0.3f}, {-0.13f, 0.05f, 0.46f}}}), {}) && ok;
    return ok;
}

}  // namespace props
}  // namespace datagen
