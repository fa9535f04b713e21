// Office and laboratory furniture. Every model stays inside the footprint
// the level's push boxes give it and stands on its origin.
#include <cmath>

#include "PropsCommon.h"

namespace datagen {
namespace props {

namespace {

Image Laminate(Rgba base, uint32_t seed) {
    Image img(256, 256);
    FillNoise(img, base, 0.15f, 4, seed);
    // Fine wood-like grain along u.
    for (int y = 0; y < 256; ++y) {
        const float g = ValueNoise(0, y * 0.35f, 4096, seed + 1);
        FillRect(img, 0, y, 256, y + 1, {0, 0, 0, 255}, 0.12f * g);
    }
    Stains(img, 0, 0, 256, 256, {60, 40, 25, 255}, 5, 18, seed + 2, 0.25f);  // coffee rings, grime
    return img;
}

Image PaintedMetal(Rgba base, uint32_t seed) {
    Image img(128, 128);
    FillNoise(img, base, 0.2f, 8, seed);
    Stains(img, 0, 0, 128, 128, {110, 70, 40, 255}, 6, 10, seed + 1, 0.35f);  // rust
    for (int i = 0; i < 12; ++i) {                                            // scratches
        const float x = HashNoise(i, 1, seed) * 128, y = HashNoise(i, 2, seed) * 128;
        Line(img, x, y, x + 10 + HashNoise(i, 3, seed) * 20, y + (HashNoise(i, 4, seed) - 0.5f) * 8, 1.0f,
             {200, 200, 200, 255}, 0.25f);
    }
    return img;
}

Image Fabric(Rgba base, uint32_t seed) {
    Image img(64, 64);
    FillNoise(img, base, 0.25f, 4, seed);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            if ((x + y) % 2 == 0) img.Blend(x, y, {0, 0, 0, 255}, 0.1f);
    return img;
}

// Plastic casing; the front panel adds the vents and the power lamp.
Image Plastic(Rgba base, uint32_t seed, bool frontPanel) {
    Image img(128, 128);
    FillNoise(img, base, 0.12f, 4, seed);
    Bevel(img, 0, 0, 128, 128, 0.4f, 3);
    if (frontPanel) {
        for (int y = 80; y < 120; y += 5) FillRect(img, 20, y, 108, y + 2, {20, 20, 22, 255}, 0.7f);  // vents
        FillEllipse(img, 64, 30, 6, 6, {60, 200, 90, 255});  // power lamp
    }
    return img;
}

// Screen: a dim dashboard of charts and text lines (also its own glow).
Image Screen(uint32_t seed, bool glow) {
    Image img(256, 160, {6, 14, 18, 255});
    const Rgba ink = {60, 210, 200, 255};
    FillRect(img, 0, 0, 256, 14, {20, 60, 70, 255});
    for (int i = 0; i < 8; ++i)
        FillRect(img, 12, 24 + i * 10, 12 + 30 + int(HashNoise(i, 1, seed) * 70), 28 + i * 10, ink, 0.8f);
    float px = 130, py = 100;
    for (int x = 130; x < 246; x += 6) {  // a trace graph
        const float ny = 60 + HashNoise(x, 2, seed) * 60;
        Line(img, px, py, float(x), ny, 1.6f, {240, 120, 60, 255});
        px = float(x); py = ny;
    }
    Bevel(img, 128, 24, 250, 128, 0.5f, 1);
    for (int x = 12; x < 110; x += 12) {  // bar chart
        const int h = 10 + int(HashNoise(x, 3, seed) * 30);
        FillRect(img, x, 148 - h, x + 8, 148, ink, 0.9f);
    }
    FillRect(img, 0, 150, 256, 160, {200, 40, 30, 255}, 0.8f);  // alarm banner
    if (!glow) Bevel(img, 0, 0, 256, 160, 0.3f, 2);
    return img;
}

std::vector<Material> FurnitureMaterials(const std::string& top) {
    return {Mat(top, top + ".png", 0.7f), Mat("frame_metal", "frame_metal.png", 0.5f, 0.4f)};
}

// A table: top slab (material 0) on four legs with a rail (material 1).
void Table(Mesh& m, float hx, float z0, float z1, float top, float thickness, float inset) {
    m.Use(0);
    m.AddBox({-hx, top - thickness, z0}, {hx, top, z1}, 0.25f);
    m.Use(1);
    const float lx = hx - inset, la = z0 + inset, lb = z1 - inset;
    for (float x : {-lx, lx})
        for (float z : {la, lb}) m.AddBox({x - 0.2f, 0, z - 0.2f}, {x + 0.2f, top - thickness, z + 0.2f}, 1.0f);
    m.AddBox({-lx, top - thickness - 0.4f, la - 0.1f}, {lx, top - thickness, la + 0.1f}, 1.0f);
    m.AddBox({-lx, top - thickness - 0.4f, lb - 0.1f}, {lx, top - thickness, lb + 0.1f}, 1.0f);
}

}  // namespace

bool WriteFurniture(const std::string& outDir) {
    bool ok = true;
    const Texture metal{"frame_metal.png", PaintedMetal({96, 100, 106, 255}, 701)};
    {
        // desk3: long meeting table, x +-7, z +-20, top at 3.1, with a
        // central modesty panel and cable trays.
        Mesh m;
        Table(m, 6.8f, -19.8f, 19.8f, 3.1f, 0.2f, 1.0f);
        m.Use(1);
        m.AddBox({-0.1f, 0.4f, -17.0f}, {0.1f, 2.6f, 17.0f}, 0.5f);
        for (float z : {-10.0f, 0.0f, 10.0f}) m.AddBox({-5.8f, 0.0f, z - 0.15f}, {5.8f, 0.3f, z + 0.15f}, 1.0f);
        BakeLight(m, 0, 3.1f);
        ok = Save(outDir, asset::model::kDesk3, Model::Single("desk3", FurnitureMaterials("desk3_top"), m),
                  {{"desk3_top.png", Laminate({120, 84, 56, 255}, 711)}, metal}) && ok;
        ok = Save(outDir, asset::model::kDesk3Ray,
                  RayModel("desk3Ray", {{{-7, 2.9f, -20}, {7, 3.1f, 20}}, {{-6, 0, -19}, {6, 2.9f, 19}}}), {}) && ok;
    }
    {
        // desk4: an office workstation, x +-10, z -1..4, top at 2.9, with a
        // drawer pedestal and a privacy screen along the back (z -1).
        Mesh m;
        Table(m, 9.8f, -0.8f, 3.8f, 2.9f, 0.2f, 0.5f);
        m.Use(0);
        m.AddBox({4.5f, 0.0f, -0.5f}, {8.8f, 2.6f, 3.5f}, 0.25f);  // pedestal
        m.Use(1);
        for (int d = 0; d < 3; ++d) {
            const float y = 0.3f + d * 0.8f;
            m.AddBox({4.7f, y, 3.5f}, {8.6f, y + 0.65f, 3.56f}, 1.0f);      // drawer fronts
            m.AddBox({6.2f, y + 0.28f, 3.56f}, {7.1f, y + 0.38f, 3.7f}, 1.0f);  // pulls
        }
        m.AddBox({-9.8f, 2.9f, -0.9f}, {9.8f, 5.2f, -0.7f}, 0.5f);  // privacy screen
        BakeLight(m, 0, 5.2f);
        ok = Save(outDir, asset::model::kDesk4, Model::Single("desk4", FurnitureMaterials("desk4_top"), m),
                  {{"desk4_top.png", Laminate({170, 160, 140, 255}, 721)}, metal}) && ok;
    }
    {
        // desk5: a lab bench, x +-10, z +-2, top at 4.4 on closed cabinets,
        // with a reagent shelf on top.
        Mesh m;
        m.Use(0);
        m.AddBox({-10, 4.1f, -2}, {10, 4.4f, 2}, 0.25f);
        m.Use(1);
        m.AddBox({-9.6f, 0.0f, -1.7f}, {-3.0f, 4.1f, 1.7f}, 0.5f);
        m.AddBox({3.0f, 0.0f, -1.7f}, {9.6f, 4.1f, 1.7f}, 0.5f);
        m.AddBox({-3.0f, 3.4f, -1.7f}, {3.0f, 4.1f, 1.7f}, 0.5f);
        for (float x : {-6.3f, 6.3f})
            for (float s : {-1.0f, 1.0f}) m.AddBox({x - 0.8f, 2.2f, s * 1.7f - 0.05f}, {x + 0.8f, 2.35f, s * 1.7f + 0.05f}, 1.0f);
        m.AddBox({-9.5f, 4.4f, -0.15f}, {-9.3f, 6.6f, 0.15f}, 1.0f);
        m.AddBox({9.3f, 4.4f, -0.15f}, {9.5f, 6.6f, 0.15f}, 1.0f);
        m.AddBox({-9.5f, 6.4f, -0.6f}, {9.5f, 6.6f, 0.6f}, 1.0f);  // reagent shelf
        m.Use(2);
        for (int i = 0; i < 6; ++i) {  // bottles
            const float x = -8.0f + i * 3.1f;
            m.AddCylinder({x, 6.6f, 0.0f}, 0.25f, 0.7f + 0.2f * (i % 3), 8);
        }
        BakeLight(m, 0, 6.6f);
        std::vector<Material> mats = FurnitureMaterials("desk5_top");
        mats.push_back(Mat("bottles", "bottles.png", 0.2f, 0.0f, {0.7f, 0.9f, 0.8f, 1.0f}));
        Image bottles(32, 32);
        FillNoise(bottles, {120, 170, 150, 255}, 0.3f, 4, 732);
        ok = Save(outDir, asset::model::kDesk5, Model::Single("desk5", mats, m),
                  {{"desk5_top.png", Laminate({46, 50, 54, 255}, 731)}, metal, {"bottles.png", bottles}}) && ok;
        ok = Save(outDir, asset::model::kDesk5Ray, RayModel("desk5Ray", {{{-10, 0, -2}, {10, 4.4f, 2}}}), {}) && ok;
    }
    {
        // shelf2: tall steel storage shelving, x +-10, z +-2, 12 high, with
        // boxes on its boards.
        Mesh m;
        m.Use(1);
        for (float x : {-9.8f, 0.0f, 9.8f})
            for (float z : {-1.8f, 1.8f}) m.AddBox({x - 0.15f, 0, z - 0.15f}, {x + 0.15f, 12, z + 0.15f}, 1.0f);
        for (float y : {0.3f, 3.2f, 6.1f, 9.0f, 11.8f}) m.AddBox({-9.95f, y - 0.15f, -1.95f}, {9.95f, y + 0.05f, 1.95f}, 0.3f);
        m.Use(0);
        for (int b = 0; b < 10; ++b) {
            const float y = 0.35f + (b % 4) * 2.9f;
            const float w = 1.0f + HashNoise(b, 1, 741) * 1.2f, h = 1.0f + HashNoise(b, 2, 741) * 1.2f;
            const float x = -9.5f + w + HashNoise(b, 3, 741) * (19.0f - 2 * w);
            m.AddBox({x - w, y, -1.3f}, {x + w, y + h, 1.3f}, 0.0f);
        }
        BakeLight(m, 0, 12);
        Image carton(128, 128);
        FillNoise(carton, {150, 118, 78, 255}, 0.2f, 4, 742);
        FillRect(carton, 0, 56, 128, 72, {200, 180, 140, 255}, 0.7f);  // tape
        HazardStripes(carton, 10, 96, 50, 116, 6, {200, 40, 30, 255}, {230, 220, 200, 255});
        Bevel(carton, 0, 0, 128, 128, 0.4f, 2);
        std::vector<Material> mats = {Mat("carton", "carton.png", 0.9f), Mat("frame_metal", "frame_metal.png", 0.5f, 0.4f)};
        ok = Save(outDir, asset::model::kShelf2, Model::Single("shelf2", mats, m),
                  {{"carton.png", carton}, metal}) && ok;
        ok = Save(outDir, asset::model::kShelf2Ray, RayModel("shelf2Ray", {{{-10, 0, -2}, {10, 12, 2}}}), {}) && ok;
    }
    {
        // bulletShelf: ammunition shelving, boards at y 0 and 4 (the game
        // stands crates at x +-6, z +-1 on them), 8.5 high, a hazard-striped
        // header.
        Mesh m;
        m.Use(1);
        for (float x : {-9.8f, 9.8f})
            for (float z : {-1.8f, 1.8f}) m.AddBox({x - 0.2f, -0.4f, z - 0.2f}, {x + 0.2f, 8.5f, z + 0.2f}, 1.0f);
        for (float y : {0.0f, 4.0f}) m.AddBox({-9.9f, y - 0.3f, -1.95f}, {9.9f, y, 1.95f}, 0.3f);
        m.AddBox({-9.9f, 8.2f, -1.95f}, {9.9f, 8.5f, 1.95f}, 0.3f);
        m.AddBox({-9.9f, 0.0f, -1.95f}, {9.9f, 8.2f, -1.8f}, 0.3f);  // back panel
        m.Use(0);
        m.AddBox({-9.9f, 7.6f, 1.8f}, {9.9f, 8.2f, 1.95f}, 0.0f);     // header sign
        BakeLight(m, 0, 8.5f);
        Image sign(256, 32);
        HazardStripes(sign, 0, 0, 256, 32, 12, {230, 180, 20, 255}, {25, 25, 25, 255});
        std::vector<Material> mats = {Mat("hazard", "hazard.png", 0.6f), Mat("frame_metal", "frame_metal.png", 0.5f, 0.4f)};
        ok = Save(outDir, asset::model::kBulletShelf, Model::Single("bulletShelf", mats, m),
                  {{"hazard.png", sign}, metal}) && ok;
        ok = Save(outDir, asset::model::kBulletShelfRay,
                  RayModel("bulletShelfRay", {{{-10, -0.4f, -2}, {10, 0, 2}}, {{-10, 3.7f, -2}, {10, 4, 2}},
                                              {{-10, 8.2f, -2}, {10, 8.5f, 2}}, {{-10, 0, -2}, {10, 8.2f, -1.8f}}}),
                  {}) && ok;
    }
    {
        // chair: an office chair, seat at 2, within radius 2: five-star base
        // on castors, gas column, seat and a backrest behind (-z).
        Mesh m;
        m.Use(1);
        for (int i = 0; i < 5; ++i) {
            const float a = Rad(90.0f + i * 72.0f);
            const Vector3 tip(std::cos(a) * 1.4f, 0.25f, std::sin(a) * 1.4f);
            m.AddTube({0, 0.35f, 0}, tip, 0.1f, 0.08f, 6);
            m.AddSphere(tip - Vector3(0, 0.1f, 0), {0.15f, 0.15f, 0.15f}, 6, 4);
        }
        m.AddCylinder({0, 0.3f, 0}, 0.12f, 1.4f, 8);
        m.AddBox({-0.15f, 1.5f, -1.25f}, {0.15f, 1.7f, -0.6f}, 1.0f);
        m.AddBox({-0.12f, 1.6f, -1.3f}, {0.12f, 3.3f, -1.15f}, 1.0f);  // back support
        m.Use(0);
        m.AddBox({-1.15f, 1.7f, -1.1f}, {1.15f, 2.0f, 1.1f}, 1.0f);     // seat top at 2
        m.AddBoxTransformed(Matrix::CreateScale(2.1f, 1.9f, 0.25f) * Matrix::CreateRotationX(Rad(-8)) *
                            Matrix::CreateTranslation(0, 3.4f, -1.35f), 1.0f);  // backrest
        BakeLight(m, 0, 4.5f);
        std::vector<Material> mats = {Mat("chair_fabric", "chair_fabric.png", 0.95f),
                                      Mat("frame_metal", "frame_metal.png", 0.5f, 0.4f)};
        ok = Save(outDir, asset::model::kChair, Model::Single("chair", mats, m),
                  {{"chair_fabric.png", Fabric({40, 44, 58, 255}, 751)}, metal}) && ok;
        ok = Save(outDir, asset::model::kChairRay,
                  RayModel("chairRay", {{{-1.2f, 1.5f, -1.2f}, {1.2f, 2.0f, 1.2f}}, {{-1.1f, 2.0f, -1.6f}, {1.1f, 4.4f, -1.1f}},
                                        {{-0.2f, 0.0f, -0.2f}, {0.2f, 1.5f, 0.2f}}}),
                  {}) && ok;
    }
    {
        // pc: a tower beside a screen on a foot, full size (the game draws
        // it at half); the screen faces +z.
        Mesh m;
        // Only the tower's front carries the vents and the power lamp; its
        // sides, the stand and the keyboard are plain casing.
        BoxFront(m, {2.2f, 0, -1.6f}, {3.4f, 3.2f, 1.4f}, 0, 2, 0.0f);  // tower
        m.Use(2);
        m.AddBox({-0.4f, 0, -0.8f}, {0.4f, 0.15f, 0.4f}, 0.0f); // foot
        m.AddBox({-0.15f, 0.15f, -0.45f}, {0.15f, 1.0f, -0.25f}, 0.0f);
        BoxFront(m, {-2.0f, 1.0f, -0.5f}, {2.0f, 3.6f, -0.2f}, 1, 2, 0.0f);
        m.Use(2);
        m.AddBox({-1.8f, 0.0f, 0.6f}, {1.2f, 0.12f, 1.6f}, 0.0f);  // keyboard
        BakeLight(m, 0, 3.6f, 0.65f);
        std::vector<Material> mats = {Mat("pc_case", "pc_case.png", 0.6f),
                                      Glow("pc_screen", "pc_screen.png", {0.9f, 0.9f, 0.9f}, "pc_screen.png"),
                                      Mat("pc_plain", "pc_plain.png", 0.6f)};
        ok = Save(outDir, asset::model::kPc, Model::Single("pc", mats, m),
                  {{"pc_case.png", Plastic({190, 186, 176, 255}, 761, true)},
                   {"pc_screen.png", Screen(762, true)},
                   {"pc_plain.png", Plastic({190, 186, 176, 255}, 763, false)}}) && ok;
        ok = Save(outDir, asset::model::kPcRay,
                  RayModel("pcRay", {{{2.2f, 0, -1.6f}, {3.4f, 3.2f, 1.4f}}, {{-2.0f, 1.0f, -0.5f}, {2.0f, 3.6f, -0.2f}},
                                     {{-0.4f, 0, -0.8f}, {0.4f, 1.0f, 0.4f}}}),
                  {}) && ok;
    }
    {
        // monitor: a wall display, back at z 0, screen (6 x 3.5) facing +z.
        Mesh m;
        m.Use(0);
        BoxFront(m, {-3.2f, -1.95f, 0.0f}, {3.2f, 1.95f, 0.3f}, 0, 0, 0.0f);  // bezel
        m.Use(1);
        m.AddQuad({3.0f, 1.75f, 0.31f}, {-3.0f, 1.75f, 0.31f}, {-3.0f, -1.75f, 0.31f}, {3.0f, -1.75f, 0.31f});
        Image bezel(64, 64);
        FillNoise(bezel, {30, 30, 34, 255}, 0.15f, 4, 771);
        std::vector<Material> mats = {Mat("monitor_bezel", "monitor_bezel.png", 0.5f),
                                      Glow("monitor_screen", "monitor_screen.png", {1, 1, 1}, "monitor_screen.png")};
        ok = Save(outDir, asset::model::kMonitor, Model::Single("monitor", mats, m),
                  {{"monitor_bezel.png", bezel}, {"monitor_screen.png", Screen(772, true)}}) && ok;
        ok = Save(outDir, asset::model::kMonitorRay,
                  RayModel("monitorRay", {{{-3.2f, -1.95f, 0.0f}, {3.2f, 1.95f, 0.35f}}}), {}) && ok;
    }
    return ok;
}

}  // namespace props
}  // namespace datagen
