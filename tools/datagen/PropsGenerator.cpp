// The plant tanks of the laboratory and the generator (core, sphere, lamps,
// pipes and the hatches the pipes end in).
#include <cmath>

#include "PropsCommon.h"

namespace datagen {
namespace props {

namespace {

Image IndustrialMetal(Rgba base, uint32_t seed) {
    Image img(256, 256);
    FillNoise(img, base, 0.22f, 8, seed);
    for (int i = 0; i < 4; ++i) {  // plates
        const int y = i * 64;
        Bevel(img, 0, y, 256, y + 64, 0.45f, 3);
        Rivets(img, 8, y + 8, 248, y + 56, 30, Scale(base, 0.6f));
    }
    Stains(img, 0, 0, 256, 256, {100, 60, 30, 255}, 10, 24, seed + 1, 0.35f);
    Stains(img, 0, 0, 256, 256, {20, 20, 20, 255}, 6, 20, seed + 2, 0.3f);
    return img;
}

Image EnergyTexture(Rgba c, uint32_t seed) {
    Image img(128, 128);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            const float n = FractalNoise(float(x), float(y), 128, 4, 4, seed);
            const float band = 0.5f + 0.5f * std::sin(y * 0.3f + n * 6.0f);
            img.Set(x, y, Scale(c, 0.4f + 0.6f * band));
        }
    return img;
}

// The pipe's texture repeats along v: a ribbed pipe with a glowing stripe
// whose pulses move when the game scrolls v.
Image PipeTexture(bool glow) {
    Image img(64, 256, glow ? Rgba{0, 0, 0, 255} : Rgba{80, 84, 88, 255});
    if (!glow) FillNoise(img, {80, 84, 88, 255}, 0.2f, 4, 811);
    for (int y = 0; y < 256; y += 32) {
        if (!glow) FillRect(img, 0, y, 64, y + 5, {40, 42, 44, 255});
        FillRect(img, 26, y + 10, 38, y + 26, {80, 255, 140, 255}, glow ? 1.0f : 0.6f);
    }
    return img;
}

// The hatch: the closed lid in the top half (v 0..0.5), the open glowing
// hole in the bottom half (the game scrolls v by -0.5 to open it).
Image HatchTexture(bool glow) {
    Image img(256, 512, glow ? Rgba{0, 0, 0, 255} : Rgba{60, 62, 66, 255});
    if (!glow) FillNoise(img, {70, 72, 76, 255}, 0.2f, 8, 821);
    // Closed: iris blades, a hazard ring.
    if (!glow) {
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x) {
                const float dx = x - 128.0f, dy = y - 128.0f, r = std::hypot(dx, dy);
                if (r > 112 && r < 126 && (int(std::atan2(dy, dx) * 8) % 2 == 0)) img.Set(x, y, {220, 170, 20, 255});
                else if (r > 112 && r < 126) img.Set(x, y, {25, 25, 25, 255});
            }
        for (int b = 0; b < 6; ++b) {
            const float a = b * kPi / 3;
            Line(img, 128, 128, 128 + std::cos(a) * 110, 128 + std::sin(a) * 110, 3, {30, 30, 30, 255});
        }
        FillEllipse(img, 128, 128, 16, 16, {40, 40, 44, 255});
    }
    // Open: a dark rim around a bright green glow.
    for (int y = 256; y < 512; ++y)
        for (int x = 0; x < 256; ++x) {
            const float r = std::hypot(x - 128.0f, y - 384.0f) / 128.0f;
            const float g = std::fmax(0.0f, 1.0f - r);
            const Rgba c = glow ? Scale({120, 255, 160, 255}, g * 1.2f)
                                : Mix({20, 22, 24, 255}, {160, 255, 180, 255}, g * 1.4f);
            img.Set(x, y, c);
        }
    return img;
}

}  // namespace

bool WritePlantAndGenerator(const std::string& outDir) {
    bool ok = true;
    const Texture metal{"plant_metal.png", IndustrialMetal({88, 94, 100, 255}, 801)};
    {
        // Tank base (radius 4) with a top collar and hoses.
        Mesh m;
        m.Use(0);
        m.AddCylinder({0, 0, 0}, 4.2f, 1.2f, 24);
        m.AddCylinder({0, 1.2f, 0}, 3.9f, 0.4f, 24);
        m.AddCylinder({0, 15.8f, 0}, 4.1f, 1.0f, 24);  // top collar
        for (int i = 0; i < 4; ++i) {                  // struts holding the collar
            const float a = Rad(45.0f + i * 90.0f);
            m.AddBox({std::cos(a) * 4.0f - 0.2f, 1.2f, std::sin(a) * 4.0f - 0.2f},
                     {std::cos(a) * 4.0f + 0.2f, 15.8f, std::sin(a) * 4.0f + 0.2f}, 0.5f);
        }
        m.Use(1);
        m.AddCylinder({0, 1.6f, 0}, 3.3f, 0.08f, 24, {1, 1, 1, 1}, true);  // glowing floor ring
        BakeLight(m, 0, 17);
        std::vector<Material> mats = {Mat("plant_metal", "plant_metal.png", 0.55f, 0.4f),
                                      Glow("plant_light", "plant_energy.png", {0.5f, 1.0f, 0.7f}, "plant_energy.png")};
        ok = Save(outDir, asset::model::kPlantPot, Model::Single("plant", mats, m),
                  {metal, {"plant_energy.png", EnergyTexture({90, 255, 160, 255}, 802)}}) && ok;
        ok = Save(outDir, asset::model::kPlantPotRay,
                  RayModel("plantRay", {{{-4.2f, 0, -4.2f}, {4.2f, 16.8f, 4.2f}}}), {}) && ok;
    }
    {
        // Glass cylinder, 16 high, translucent.
        Mesh m;
        m.Use(0);
        m.AddTube({0, 1.6f, 0}, {0, 15.8f, 0}, 3.8f, 3.8f, 32, {1, 1, 1, 1}, false);
        Image glass(64, 64);
        FillNoise(glass, {170, 220, 210, 255}, 0.1f, 4, 831);
        for (int x = 8; x < 64; x += 21) FillRect(glass, x, 0, x + 3, 64, {255, 255, 255, 255}, 0.6f);  // streaks
        Material mat = Mat("plant_glass", "plant_glass.png", 0.1f, 0.0f, {0.7f, 0.95f, 0.9f, 0.3f});
        mat.blend = true;
        mat.doubleSided = true;
        ok = Save(outDir, asset::model::kPlantGlass, Model::Single("plantGlass", {mat}, m),
                  {{"plant_glass.png", glass}}) && ok;
    }
    {
        // A specimen floating in the tank (4..12 above the origin), limbs
        // hanging loose, tinted by the fluid.
        Mesh m;
        const float s = 1.1f;
        const Matrix place = Matrix::CreateScale(s) * Matrix::CreateTranslation(0, 8.6f, 0);
        m.Append(ZombieBody(), place);
        m.Append(ZombieHead(), Matrix::CreateRotationX(Rad(25)) * Matrix::CreateTranslation(0, 1.0f, 0) * place);
        m.Append(ZombieArm(true), Matrix::CreateRotationX(Rad(70)) * Matrix::CreateTranslation(1.0f, 0, 0) * place);
        m.Append(ZombieArm(false), Matrix::CreateRotationX(Rad(85)) * Matrix::CreateTranslation(-1.0f, 0, 0) * place);
        m.Append(ZombieLeg(true), Matrix::CreateRotationX(Rad(-8)) * Matrix::CreateTranslation(0, -1.43f, 0) * place);
        m.Append(ZombieLeg(false), Matrix::CreateRotationX(Rad(10)) * Matrix::CreateTranslation(0, -1.43f, 0) * place);
        m.Shade([](const Vector3&, const Vector3& n) {
            const float f = 0.6f + 0.3f * std::fmax(0.0f, n.y);
            return Vector4(f * 0.8f, f, f * 0.85f, 1.0f);
        });
        ok = Save(outDir, asset::model::kPlantZombie,
                  Model::Single("plantZombie", ZombieMaterials("specimen", false), m),
                  ZombieTextures("specimen", false)) && ok;
    }

    // The generator.
    const Texture genMetal{"generator_metal.png", IndustrialMetal({70, 74, 82, 255}, 841)};
    const Texture energy{"generator_energy.png", EnergyTexture({120, 255, 200, 255}, 842)};
    {
        // Core: a stepped drum of radius 8, 6 high, with a glowing central
        // column, eight radial ribs and cable ports.
        Mesh m;
        m.Use(0);
        m.AddCylinder({0, 0, 0}, 8.0f, 1.5f, 32);
        m.AddCylinder({0, 1.5f, 0}, 6.5f, 2.5f, 32);
        m.AddCylinder({0, 4.0f, 0}, 4.5f, 1.0f, 32);
        for (int i = 0; i < 8; ++i) {
            const Matrix rib = Matrix::CreateScale(0.5f, 2.6f, 1.6f) * Matrix::CreateTranslation(0, 2.8f, -6.6f) *
                               Matrix::CreateRotationY(Rad(i * 45.0f));
            m.AddBoxTransformed(rib, 0.5f);
        }
        m.AddCylinder({0, 5.6f, 0}, 2.4f, 0.4f, 24);  // top clamp ring
        m.Use(1);
        m.AddCylinder({0, 5.0f, 0}, 1.6f, 4.0f, 24);  // column rising to the sphere
        m.AddCylinder({0, 1.5f, 0}, 6.6f, 0.2f, 32, {1, 1, 1, 1}, false);  // glowing seam
        BakeLight(m, 0, 9, 0.7f);
        std::vector<Material> mats = {Mat("generator_metal", "generator_metal.png", 0.5f, 0.5f),
                                      Glow("generator_energy", "generator_energy.png", {0.6f, 1.0f, 0.8f},
                                           "generator_energy.png")};
        ok = Save(outDir, asset::model::kPortal, Model::Single("portal", mats, m), {genMetal, energy}) && ok;
    }
    {
        Mesh m;
        m.Use(0);
        m.AddSphere({0, 12, 0}, {4, 4, 4}, 32, 16);
        Image glass(128, 64);
        FillNoise(glass, {210, 240, 230, 255}, 0.15f, 4, 851);
        for (int x = 0; x < 128; x += 16) FillRect(glass, x, 0, x + 1, 64, {255, 255, 255, 255}, 0.5f);
        Material mat = Glow("generator_sphere", "generator_sphere.png", {0.35f, 0.35f, 0.35f}, "generator_sphere.png");
        mat.baseColor = {1, 1, 1, 0.45f};
        mat.roughness = 0.15f;
        mat.blend = true;
        ok = Save(outDir, asset::model::kPortalSphere, Model::Single("sphere", {mat}, m),
                  {{"generator_sphere.png", glass}}) && ok;
    }
    {
        // A caged lamp at (0, 9, -8) whose lens faces outwards (-z).
        Mesh m;
        m.Use(0);
        m.AddBox({-0.9f, 8.1f, -7.8f}, {0.9f, 9.9f, -7.3f}, 1.0f);  // housing against the core
        m.AddBox({-0.2f, 7.0f, -7.6f}, {0.2f, 8.1f, -7.4f}, 1.0f);   // bracket
        for (float x : {-0.7f, 0.0f, 0.7f})
            m.AddBox({x - 0.05f, 8.2f, -8.6f}, {x + 0.05f, 9.8f, -8.5f}, 1.0f);  // cage bars
        m.Use(1);
        m.AddTube({0, 9, -7.8f}, {0, 9, -8.4f}, 0.75f, 0.65f, 16);  // lens
        Image lens(64, 64);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                const float r = std::hypot(x - 32.0f, y - 32.0f) / 32.0f;
                lens.Set(x, y, Mix({255, 255, 255, 255}, {200, 200, 200, 255}, r));
            }
        std::vector<Material> mats = {Mat("generator_metal", "generator_metal.png", 0.5f, 0.5f),
                                      Glow("lamp", "lamp.png", {1, 1, 1}, "lamp.png")};
        ok = Save(outDir, asset::model::kPortalLight, Model::Single("light", mats, m),
                  {genMetal, {"lamp.png", lens}}) && ok;
    }
    {
        // Pipe: out along -z at y 1 from z -9 to -18, then up at 45 degrees
        // to the hatch at (0, 18, -35). v runs along the pipe in world units.
        Mesh m;
        m.Use(0);
        const float r = 0.8f;
        const int seg = 16;
        auto run = [&](Vector3 a, Vector3 b, float v0) {
            const Vector3 axis = (b - a).Normalized();
            const Vector3 side(1, 0, 0);
            const Vector3 up = axis.Cross(side).Normalized();
            const float len = (b - a).Length();
            std::vector<uint32_t> ra, rb;
            for (int i = 0; i <= seg; ++i) {
                const float t = 2 * kPi * float(i % seg) / seg;
                const Vector3 dir = side * std::cos(t) + up * std::sin(t);
                ra.push_back(m.AddVertex({a + dir * r, {float(i) / seg, v0}, dir}));
                rb.push_back(m.AddVertex({b + dir * r, {float(i) / seg, v0 + len * 0.1f}, dir}));
            }
            auto& vs = m.Primitives()[0].vertices;
            for (int i = 0; i < seg; ++i) {
                uint32_t p = ra[i], q = rb[i], s = rb[i + 1];
                const Vector3 fn = (vs[q].p - vs[p].p).Cross(vs[s].p - vs[p].p);
                if (fn.Dot(vs[p].n + vs[s].n) < 0) std::swap(q, s);
                m.AddTriangle(p, q, s);
                uint32_t p2 = ra[i], q2 = rb[i + 1], s2 = ra[i + 1];
                const Vector3 fn2 = (vs[q2].p - vs[p2].p).Cross(vs[s2].p - vs[p2].p);
                if (fn2.Dot(vs[p2].n + vs[q2].n) < 0) std::swap(q2, s2);
                m.AddTriangle(p2, q2, s2);
            }
            return v0 + len * 0.1f;
        };
        float v = run({0, 1, -9}, {0, 1, -18}, 0.0f);
        run({0, 1, -18}, {0, 18, -35}, v);
        m.AddSphere({0, 1, -18}, {r, r, r}, 16, 8);  // the elbow joint
        m.AddTube({0, 1, -8.6f}, {0, 1, -9.6f}, 1.1f, 1.1f, 16);  // flange at the core
        BakeLight(m, 0, 18, 0.65f);
        Material mat = Glow("pipe", "pipe.png", {1, 1, 1}, "pipe_glow.png");
        mat.metallic = 0.4f;
        ok = Save(outDir, asset::model::kPipe, Model::Single("pipe45", {mat}, m),
                  {{"pipe.png", PipeTexture(false)}, {"pipe_glow.png", PipeTexture(true)}}) && ok;
    }
    {
        // Hatch: a round plate of radius 4 on the origin, facing +z, in a
        // thick ring. Its UVs cover the top half of the texture (closed).
        Mesh m;
        m.Use(0);
        const int seg = 32;
        const uint32_t c = m.AddVertex({{0, 0, 0.05f}, {0.5f, 0.25f}, {0, 0, 1}});
        std::vector<uint32_t> ring;
        for (int i = 0; i < seg; ++i) {
            const float t = 2 * kPi * float(i) / seg;
            ring.push_back(m.AddVertex({{std::cos(t) * 4, std::sin(t) * 4, 0.05f},
                                        {0.5f + 0.5f * std::cos(t), 0.25f - 0.25f * std::sin(t)}, {0, 0, 1}}));
        }
        for (int i = 0; i < seg; ++i) {
            uint32_t p = ring[i], q = ring[(i + 1) % seg];
            // Seen from +z (right is -x), increasing angles run clockwise.
            m.AddTriangle(c, p, q);
        }
        m.Use(1);
        m.AddTube({0, 0, -0.6f}, {0, 0, 0.6f}, 4.6f, 4.6f, seg, {1, 1, 1, 1}, false);
        // Ring face around the plate.
        for (int i = 0; i < seg; ++i) {
            const float t0 = 2 * kPi * float(i) / seg, t1 = 2 * kPi * float(i + 1) / seg;
            const Vector3 a(std::cos(t0) * 4, std::sin(t0) * 4, 0.6f), b(std::cos(t1) * 4, std::sin(t1) * 4, 0.6f);
            const Vector3 A(std::cos(t0) * 4.6f, std::sin(t0) * 4.6f, 0.6f), B(std::cos(t1) * 4.6f, std::sin(t1) * 4.6f, 0.6f);
            if ((A - B).Cross(a - B).z > 0)
                m.AddQuad(B, A, a, b, {0, 0}, {0.5f, 0.5f});
            else
                m.AddQuad(A, B, b, a, {0, 0}, {0.5f, 0.5f});
        }
        std::vector<Material> mats = {Glow("hatch", "hatch.png", {1, 1, 1}, "hatch_glow.png"),
                                      Mat("generator_metal", "generator_metal.png", 0.5f, 0.5f)};
        ok = Save(outDir, asset::model::kPortalHole, Model::Single("portal_hole", mats, m),
                  {{"hatch.png", HatchTexture(false)}, {"hatch_glow.png", HatchTexture(true)}, genMetal}) && ok;
    }
    return ok;
}

}  // namespace props
}  // namespace datagen
