// Doors, handles, card readers, key cards and the ammunition crate.
#include <cmath>

#include "PropsCommon.h"

namespace datagen {
namespace props {

namespace {

const Rgba kYellow{232, 190, 30, 255}, kBlue{40, 110, 220, 255}, kOrange{240, 120, 30, 255};

// Four columns of 256 x 512, one per door kind: yellow, blue, orange
// markings and a plain door. The leaf's UVs cover the first column; the
// game shifts u by a quarter per kind.
Image DoorTexture() {
    Image img(1024, 512);
    FillNoise(img, {122, 128, 132, 255}, 0.18f, 16, 601);
    const Rgba marks[4] = {kYellow, kBlue, kOrange, {0, 0, 0, 0}};
    for (int col = 0; col < 4; ++col) {
        const int x0 = col * 256;
        // Frame edge and two recessed panels.
        Bevel(img, x0, 0, x0 + 256, 512, 0.5f, 6);
        FillRect(img, x0 + 30, 40, x0 + 226, 220, {100, 106, 112, 255}, 0.8f);
        Bevel(img, x0 + 30, 40, x0 + 226, 220, 0.55f, 4);
        FillRect(img, x0 + 30, 290, x0 + 226, 480, {100, 106, 112, 255}, 0.8f);
        Bevel(img, x0 + 30, 290, x0 + 226, 480, 0.55f, 4);
        // Wire-glass window in the upper panel.
        FillRect(img, x0 + 70, 70, x0 + 186, 170, {40, 52, 60, 255});
        for (int y = 70; y < 170; y += 12) FillRect(img, x0 + 70, y, x0 + 186, y + 1, {90, 100, 100, 255}, 0.6f);
        for (int x = 70; x < 186; x += 12) FillRect(img, x0 + x, 70, x0 + x + 1, 170, {90, 100, 100, 255}, 0.6f);
        Bevel(img, x0 + 70, 70, x0 + 186, 170, 0.7f, 3);
        Rivets(img, x0 + 14, 14, x0 + 242, 498, 40, {70, 74, 78, 255});
        // Kick plate with hazard stripes at the bottom.
        HazardStripes(img, x0 + 10, 488, x0 + 246, 506, 10, {230, 180, 20, 255}, {20, 20, 20, 255});
        if (marks[col].a) {
            // Access-colour band across the leaf and a coloured square badge.
            FillRect(img, x0 + 6, 236, x0 + 250, 274, marks[col]);
            Bevel(img, x0 + 6, 236, x0 + 250, 274, 0.4f, 2);
            FillRect(img, x0 + 96, 310, x0 + 160, 374, marks[col]);
            FillRect(img, x0 + 104, 318, x0 + 152, 366, {20, 20, 20, 255});
            FillRect(img, x0 + 112, 326, x0 + 144, 358, marks[col]);
            // Card-slot pictogram.
            FillRect(img, x0 + 120, 334, x0 + 136, 350, {20, 20, 20, 255});
        } else {
            FillRect(img, x0 + 6, 246, x0 + 250, 264, {70, 74, 78, 255});
        }
        Stains(img, x0, 0, x0 + 256, 512, {70, 60, 40, 255}, 10, 40, 602 + col, 0.35f);
        Stains(img, x0, 300, x0 + 256, 512, {90, 10, 10, 255}, 2, 22, 610 + col, 0.6f);
    }
    return img;
}

// Two columns: idle with red lamps (u 0..0.5), accepted with green (0.5..1).
// Each column: front face panel in the upper 3/4, a small strip for the sides.
Image ReaderTexture(bool emissive) {
    Image img(256, 256, emissive ? Rgba{0, 0, 0, 255} : Rgba{40, 42, 46, 255});
    if (!emissive) FillNoise(img, {44, 46, 50, 255}, 0.2f, 8, 621);
    for (int col = 0; col < 2; ++col) {
        const int x0 = col * 128;
        const Rgba lamp = col == 0 ? Rgba{255, 40, 30, 255} : Rgba{40, 255, 80, 255};
        if (!emissive) {
            Bevel(img, x0, 0, x0 + 128, 192, 0.6f, 4);
            // Card slot.
            FillRect(img, x0 + 20, 100, x0 + 108, 112, {5, 5, 5, 255});
            Bevel(img, x0 + 16, 96, x0 + 112, 116, 0.7f, 2);
            // Keypad.
            for (int r = 0; r < 3; ++r)
                for (int c = 0; c < 3; ++c) {
                    FillRect(img, x0 + 34 + c * 22, 126 + r * 18, x0 + 52 + c * 22, 140 + r * 18, {80, 84, 90, 255});
                    Bevel(img, x0 + 34 + c * 22, 126 + r * 18, x0 + 52 + c * 22, 140 + r * 18, 0.5f, 1);
                }
            HazardStripes(img, x0, 192, x0 + 128, 256, 8, {220, 170, 20, 255}, {25, 25, 25, 255});
        }
        // Status lamp and a small display.
        FillEllipse(img, x0 + 40.0f, 40.0f, 14, 14, Scale(lamp, emissive ? 1.0f : 0.9f));
        FillEllipse(img, x0 + 88.0f, 40.0f, 14, 14, Scale(lamp, emissive ? 1.0f : 0.9f));
        FillRect(img, x0 + 24, 64, x0 + 104, 84, emissive ? Scale(lamp, 0.5f) : Scale(lamp, 0.35f));
    }
    return img;
}

Image CardTexture(Rgba colour, uint32_t seed) {
    Image img(128, 256);
    FillNoise(img, {236, 236, 230, 255}, 0.08f, 4, seed);
    FillRect(img, 0, 0, 128, 70, colour);                 // colour header
    FillRect(img, 0, 220, 128, 256, colour);              // colour footer
    FillRect(img, 14, 90, 64, 150, {150, 150, 160, 255}); // photo
    FillEllipse(img, 39, 112, 12, 14, {90, 80, 80, 255});
    FillRect(img, 22, 130, 56, 150, {70, 70, 90, 255});
    FillRect(img, 20, 20, 44, 44, {210, 180, 80, 255});   // chip
    Bevel(img, 20, 20, 44, 44, 0.5f, 1);
    for (int i = 0; i < 4; ++i) FillRect(img, 72, 96 + i * 14, 116 - i * 8, 102 + i * 14, {60, 60, 70, 255});
    for (int x = 10; x < 118; x += 4)                      // barcode
        FillRect(img, x, 168, x + 1 + int(HashNoise(x, 0, seed) * 2.5f), 204, {20, 20, 20, 255});
    Bevel(img, 0, 0, 128, 256, 0.3f, 2);
    return img;
}

Image CrateTexture() {
    Image img(256, 256);
    FillNoise(img, {74, 84, 52, 255}, 0.25f, 8, 641);  // olive drab
    Bevel(img, 0, 0, 256, 256, 0.6f, 8);
    Bevel(img, 24, 24, 232, 232, 0.4f, 3);
    // Yellow band and cartridge pictograms.
    FillRect(img, 24, 96, 232, 160, {200, 170, 40, 255});
    for (int i = 0; i < 5; ++i) {
        const int x = 48 + i * 36;
        FillRect(img, x, 104, x + 14, 142, {150, 110, 40, 255});
        FillEllipse(img, x + 7.0f, 104.0f, 7, 7, {170, 140, 60, 255});
        FillRect(img, x, 142, x + 14, 152, {110, 80, 30, 255});
    }
    Rivets(img, 14, 14, 242, 242, 38, {50, 56, 36, 255});
    Stains(img, 0, 0, 256, 256, {60, 44, 30, 255}, 8, 26, 642, 0.45f);
    return img;
}

}  // namespace

bool WriteDoorsAndCards(const std::string& outDir) {
    bool ok = true;
    {
        // The leaf: hinge at the origin, x 0..6, y 0..10, 0.5 thick. Both big
        // faces map the first texture column; the edges use a thin strip of it.
        Mesh m;
        m.Use(0);
        const float t = 0.25f;
        m.AddQuad({0, 10, -t}, {6, 10, -t}, {6, 0, -t}, {0, 0, -t}, {0, 0}, {0.25f, 1});   // -z face
        m.AddQuad({6, 10, t}, {0, 10, t}, {0, 0, t}, {6, 0, t}, {0.25f, 0}, {0, 1});       // +z face
        m.AddQuad({6, 10, -t}, {6, 10, t}, {6, 0, t}, {6, 0, -t}, {0.005f, 0}, {0.02f, 1}); // edges
        m.AddQuad({0, 10, t}, {0, 10, -t}, {0, 0, -t}, {0, 0, t}, {0.005f, 0}, {0.02f, 1});
        m.AddQuad({0, 10, t}, {6, 10, t}, {6, 10, -t}, {0, 10, -t}, {0.005f, 0}, {0.02f, 0.02f});
        m.AddQuad({0, 0, -t}, {6, 0, -t}, {6, 0, t}, {0, 0, t}, {0.005f, 0.98f}, {0.02f, 1});
        BakeLight(m, 0, 10, 0.7f);
        Material mat = Mat("door", "door.png", 0.6f, 0.3f);
        ok = Save(outDir, asset::model::kDoor, Model::Single("door", {mat}, m), {{"door.png", DoorTexture()}}) && ok;
    }
    {
        // A lever on each face, pivoting about the origin (the spindle).
        Image chrome(64, 64);
        FillNoise(chrome, {170, 172, 176, 255}, 0.2f, 4, 631);
        for (int y = 0; y < 64; y += 2) FillRect(chrome, 0, y, 64, y + 1, {255, 255, 255, 255}, 0.08f);
        Mesh m;
        m.Use(0);
        m.AddTube({0, 0, -0.45f}, {0, 0, 0.45f}, 0.07f, 0.07f, 10);  // spindle through the leaf
        for (int side = -1; side <= 1; side += 2) {
            const float z = side * 0.38f;
            m.AddTube({0, 0, side * 0.25f}, {0, 0, side * 0.32f}, 0.22f, 0.2f, 12);  // rose
            m.AddBox({-0.85f, -0.06f, z - 0.06f}, {0.05f, 0.06f, z + 0.06f}, 4.0f);    // lever towards the hinge
            m.AddSphere({-0.85f, 0, z}, {0.08f, 0.08f, 0.08f}, 8, 4);
        }
        Material mat = Mat("handle", "handle.png", 0.3f, 0.7f);
        ok = Save(outDir, asset::model::kDoorHandle, Model::Single("handle", {mat}, m), {{"handle.png", chrome}}) && ok;
    }
    {
        // The reader straddles the leaf (z -0.65..0.65); its panel faces
        // both sides. UVs use the idle column (u 0..0.5).
        Mesh m;
        m.Use(0);
        const float hx = 0.2f, hy = 0.4f, hz = 0.65f;
        // Panels on the +z and -z faces (seen from each side).
        m.AddQuad({hx, hy, hz}, {-hx, hy, hz}, {-hx, -hy, hz}, {hx, -hy, hz}, {0, 0}, {0.5f, 0.75f});
        m.AddQuad({-hx, hy, -hz}, {hx, hy, -hz}, {hx, -hy, -hz}, {-hx, -hy, -hz}, {0, 0}, {0.5f, 0.75f});
        // Sides, top and bottom: the hazard strip.
        m.AddQuad({hx, hy, -hz}, {hx, hy, hz}, {hx, -hy, hz}, {hx, -hy, -hz}, {0, 0.76f}, {0.5f, 1});
        m.AddQuad({-hx, hy, hz}, {-hx, hy, -hz}, {-hx, -hy, -hz}, {-hx, -hy, hz}, {0, 0.76f}, {0.5f, 1});
        m.AddQuad({-hx, hy, hz}, {hx, hy, hz}, {hx, hy, -hz}, {-hx, hy, -hz}, {0, 0.76f}, {0.5f, 1});
        m.AddQuad({-hx, -hy, -hz}, {hx, -hy, -hz}, {hx, -hy, hz}, {-hx, -hy, hz}, {0, 0.76f}, {0.5f, 1});
        Material mat = Glow("keyreader", "keyreader.png", {1, 1, 1}, "keyreader_glow.png");
        mat.roughness = 0.5f;
        mat.metallic = 0.2f;
        ok = Save(outDir, asset::model::kKeyReader, Model::Single("KeyReader", {mat}, m),
                  {{"keyreader.png", ReaderTexture(false)}, {"keyreader_glow.png", ReaderTexture(true)}}) && ok;
        ok = Save(outDir, asset::model::kKeyReaderRay,
                  RayModel("KeyReaderRay", {{{-0.25f, -0.45f, -0.7f}, {0.25f, 0.45f, 0.7f}}}), {}) && ok;
    }
    {
        const struct { const char* name; Rgba colour; } cards[3] = {
            {"Key_Y", kYellow}, {"Key_B", kBlue}, {"Key_O", kOrange}};
        for (int i = 0; i < 3; ++i) {
            Mesh m;
            m.Use(0);
            BoxFront(m, {-0.3f, -0.5f, -0.02f}, {0.3f, 0.5f, 0.02f}, 0, 0, 0.0f);
            // Both faces show the card; the edges pick up the border colour.
            Material mat = Mat(cards[i].name, std::string(cards[i].name) + ".png", 0.4f);
            mat.emissive = {0.25f, 0.25f, 0.25f};  // a faint glow so cards stand out on dark desks
            mat.emissiveTexture = std::string(cards[i].name) + ".png";
            ok = Save(outDir, asset::model::kKeyCards[i], Model::Single(cards[i].name, {mat}, m),
                      {{std::string(cards[i].name) + ".png", CardTexture(cards[i].colour, 650u + i)}}) && ok;
        }
        ok = Save(outDir, asset::model::kKeyCardRay,
                  RayModel("Key_Ray", {{{-0.4f, -0.6f, -0.15f}, {0.4f, 0.6f, 0.15f}}}), {}) && ok;
    }
    {
        // Ammunition crate standing on the origin: 1.6 x 1.0 x 1.0 with a lid
        // rim, handles and latches.
        Mesh m;
        m.Use(0);
        m.AddBox({-0.8f, 0.0f, -0.5f}, {0.8f, 0.88f, 0.5f});
        m.AddBox({-0.82f, 0.86f, -0.52f}, {0.82f, 1.0f, 0.52f}, 1.0f);  // lid
        m.Use(1);
        for (int side = -1; side <= 1; side += 2) {
            m.AddBox({side * 0.82f - 0.03f, 0.55f, -0.2f}, {side * 0.82f + 0.03f, 0.62f, 0.2f}, 4.0f);  // handle
            m.AddBox({-0.5f + (side + 1) * 0.4f, 0.72f, 0.5f}, {-0.4f + (side + 1) * 0.4f, 0.92f, 0.54f}, 4.0f);
        }
        BakeLight(m, 0, 1, 0.6f);
        Image metal(64, 64);
        FillNoise(metal, {60, 62, 58, 255}, 0.3f, 4, 661);
        std::vector<Material> mats = {Mat("bulletbox", "bulletbox.png", 0.7f, 0.2f),
                                      Mat("bulletbox_metal", "bulletbox_metal.png", 0.45f, 0.6f)};
        ok = Save(outDir, asset::model::kBulletBox, Model::Single("bulletBox", mats, m),
                  {{"bulletbox.png", CrateTexture()}, {"bulletbox_metal.png", metal}}) && ok;
        ok = Save(outDir, asset::model::kBulletBoxRay,
                  RayModel("bulletBoxRay", {{{-0.85f, 0.0f, -0.55f}, {0.85f, 1.05f, 0.55f}}}), {}) && ok;
    }
    return ok;
}

}  // namespace props
}  // namespace datagen
