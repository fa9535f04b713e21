// The title room (with its lamps and the player figure) and the scene of the
// cleared ending.
#include <cmath>

#include "PropsCommon.h"

namespace datagen {
namespace props {

namespace {

Image WallPanels(uint32_t seed) {
    Image img(256, 256);
    FillNoise(img, {78, 84, 86, 255}, 0.25f, 8, seed);
    for (int y = 0; y < 256; y += 128)
        for (int x = 0; x < 256; x += 128) Bevel(img, x, y, x + 128, y + 128, 0.5f, 3);
    HazardStripes(img, 0, 232, 256, 248, 12, {210, 160, 20, 255}, {25, 25, 25, 255});
    Stains(img, 0, 0, 256, 256, {40, 36, 30, 255}, 12, 30, seed + 1, 0.45f);  // grime and damp
    Stains(img, 0, 100, 256, 256, {100, 10, 10, 255}, 3, 26, seed + 2, 0.75f);  // blood
    for (int d = 0; d < 6; ++d) {  // blood runs
        const float x = 20 + HashNoise(d, 1, seed) * 216;
        Line(img, x, 110 + HashNoise(d, 2, seed) * 40, x + 2, 180 + HashNoise(d, 3, seed) * 60, 3, {110, 12, 12, 255}, 0.7f);
    }
    return img;
}

Image FloorTiles(uint32_t seed) {
    Image img(256, 256);
    FillNoise(img, {62, 64, 62, 255}, 0.3f, 8, seed);
    for (int y = 0; y < 256; y += 64)
        for (int x = 0; x < 256; x += 64) Bevel(img, x, y, x + 64, y + 64, 0.35f, 2);
    Stains(img, 0, 0, 256, 256, {30, 26, 20, 255}, 14, 28, seed + 1, 0.5f);
    Stains(img, 0, 0, 256, 256, {90, 8, 8, 255}, 4, 22, seed + 2, 0.7f);
    return img;
}

Image Gradient(Rgba top, Rgba bottom, int h) {
    Image img(16, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < 16; ++x) img.Set(x, y, Mix(top, bottom, float(y) / (h - 1)));
    return img;
}

// A room's inner shell: floor, ceiling and four walls facing inwards.
void RoomShell(Mesh& m, int wall, int floor, Vector3 mn, Vector3 mx, float uv) {
    m.Use(floor);
    m.AddQuad({mn.x, mn.y, mx.z}, {mx.x, mn.y, mx.z}, {mx.x, mn.y, mn.z}, {mn.x, mn.y, mn.z},
              {mn.x * uv, mx.z * uv}, {mx.x * uv, mn.z * uv});  // floor, up
    m.Use(wall);
    m.AddQuad({mn.x, mx.y, mn.z}, {mx.x, mx.y, mn.z}, {mx.x, mx.y, mx.z}, {mn.x, mx.y, mx.z},
              {0, 0}, {(mx.x - mn.x) * uv, (mx.z - mn.z) * uv});  // ceiling, down
    const float h = (mx.y - mn.y) * uv * 0.5f;
    // Walls seen from inside (normals point into the room).
    m.AddQuad({mn.x, mx.y, mx.z}, {mx.x, mx.y, mx.z}, {mx.x, mn.y, mx.z}, {mn.x, mn.y, mx.z}, {0, 0}, {(mx.x - mn.x) * uv * 0.5f, h});
    m.AddQuad({mx.x, mx.y, mn.z}, {mn.x, mx.y, mn.z}, {mn.x, mn.y, mn.z}, {mx.x, mn.y, mn.z}, {0, 0}, {(mx.x - mn.x) * uv * 0.5f, h});
    m.AddQuad({mx.x, mx.y, mx.z}, {mx.x, mx.y, mn.z}, {mx.x, mn.y, mn.z}, {mx.x, mn.y, mx.z}, {0, 0}, {(mx.z - mn.z) * uv * 0.5f, h});
    m.AddQuad({mn.x, mx.y, mn.z}, {mn.x, mx.y, mx.z}, {mn.x, mn.y, mx.z}, {mn.x, mn.y, mn.z}, {0, 0}, {(mx.z - mn.z) * uv * 0.5f, h});
}

}  // namespace

bool WriteRooms(const std::string& outDir) {
    bool ok = true;
    const Texture walls{"title_wall.png", WallPanels(901)};
    const Texture floorTex{"title_floor.png", FloorTiles(902)};
    Image metalImg(128, 128);
    FillNoise(metalImg, {70, 72, 76, 255}, 0.3f, 4, 903);
    Stains(metalImg, 0, 0, 128, 128, {110, 70, 40, 255}, 6, 14, 904, 0.4f);
    const Texture metal{"title_metal.png", metalImg};
    {
        // Title room: a dark storeroom round the camera (35, 1, 10), with
        // pipes along the walls, crates and a toppled shelf. The player
        // figure stands at (33, 0, 20).
        Mesh m;
        RoomShell(m, 0, 1, {14, 0, -6}, {56, 16, 42}, 0.1f);
        m.Use(2);
        for (float y : {11.0f, 12.6f}) {  // pipes along the far walls
            m.AddTube({14.8f, y, -6}, {14.8f, y, 42}, 0.45f, 0.45f, 10);
            m.AddTube({14, y + 1, 41.2f}, {56, y + 1, 41.2f}, 0.45f, 0.45f, 10);
        }
        for (float z : {4.0f, 16.0f, 28.0f})  // ceiling beams
            m.AddBox({14, 14.8f, z - 0.5f}, {56, 16, z + 0.5f}, 0.2f);
        m.AddBox({14, 0, 30}, {17, 9, 40}, 0.2f);  // cabinets on the back wall
        m.AddBox({18, 0, 38}, {26, 7, 41.5f}, 0.2f);
        m.AddBoxTransformed(Matrix::CreateScale(12, 1.2f, 3) * Matrix::CreateRotationZ(Rad(8)) *
                            Matrix::CreateTranslation(22, 0.8f, 33), 0.2f);  // toppled shelf
        m.Use(0);
        for (const Vector3& c : {Vector3(26, 0, 26), Vector3(40, 0, 34), Vector3(44, 0, 30)})
            m.AddBox(c - Vector3(1.6f, 0, 1.6f), c + Vector3(1.6f, 3.2f, 1.6f), 0.2f);  // crates
        // Dim, greenish light falling off towards the corners.
        m.Shade([](const Vector3& p, const Vector3&) {
            const float d = std::hypot(p.x - 33.0f, p.z - 20.0f);
            const float f = 0.35f + 0.55f * std::exp(-d * d / 500.0f);
            return Vector4(f * 0.9f, f, f * 0.95f, 1.0f);
        });
        std::vector<Material> mats = {Mat("title_wall", "title_wall.png", 0.85f),
                                      Mat("title_floor", "title_floor.png", 0.8f),
                                      Mat("title_metal", "title_metal.png", 0.6f, 0.4f)};
        ok = Save(outDir, asset::model::kTitleRoom, Model::Single("title", mats, m), {walls, floorTex, metal}) && ok;
    }
    {
        // The room's lamps: caged ceiling lights and a red warning beacon.
        Mesh m;
        m.Use(0);
        for (const Vector3& c : {Vector3(24, 14.6f, 10), Vector3(40, 14.6f, 22), Vector3(26, 14.6f, 34)}) {
            m.AddBox(c - Vector3(2.5f, 0.3f, 0.4f), c + Vector3(2.5f, 0.2f, 0.4f));
        }
        m.Use(1);
        m.AddSphere({15.2f, 9.0f, 22.0f}, {0.4f, 0.5f, 0.4f}, 10, 6);
        Image white(16, 16, {240, 250, 230, 255});
        Image red(16, 16, {255, 40, 30, 255});
        std::vector<Material> mats = {Glow("title_lamp", "title_lamp.png", {1, 1, 0.9f}, "title_lamp.png"),
                                      Glow("title_beacon", "title_beacon.png", {1, 0.2f, 0.15f}, "title_beacon.png")};
        ok = Save(outDir, asset::model::kTitleRoomLights, Model::Single("titleS", mats, m),
                  {{"title_lamp.png", white}, {"title_beacon.png", red}}) && ok;
    }
    {
        // The player figure, about 6.5 tall, facing +z, the handgun held
        // forward in both hands.
        Model fig;
        const int jacket = fig.AddMaterial(Mat("fig_jacket", "fig_jacket.png", 0.9f));
        const int trousers = fig.AddMaterial(Mat("fig_trousers", "fig_trousers.png", 0.9f));
        const int skin = fig.AddMaterial(Mat("fig_skin", "fig_skin.png", 0.7f));
        const int face = fig.AddMaterial(Mat("fig_face", "fig_face.png", 0.7f));
        const int dark = fig.AddMaterial(Mat("fig_gear", "fig_gear.png", 0.6f, 0.2f));
        const int gunFirst = int(fig.materials.size());
        for (const Material& mat : GunMaterials()) fig.AddMaterial(mat);
        Mesh m;
        m.Use(dark);
        for (float x : {-0.45f, 0.45f}) m.AddBox({x - 0.3f, 0, -0.35f}, {x + 0.3f, 0.45f, 0.55f}, 1.0f);  // boots
        m.Use(trousers);
        m.AddTube({-0.45f, 0.4f, 0}, {-0.42f, 3.1f, -0.05f}, 0.28f, 0.38f, 10);
        m.AddTube({0.45f, 0.4f, 0.1f}, {0.42f, 3.1f, -0.05f}, 0.28f, 0.38f, 10);
        m.AddBox({-0.85f, 2.8f, -0.45f}, {0.85f, 3.4f, 0.45f}, 1.0f);  // hips
        m.Use(jacket);
        m.AddBox({-0.95f, 3.3f, -0.5f}, {0.95f, 5.4f, 0.5f}, 1.0f);    // torso
        m.Use(dark);
        m.AddBox({-0.9f, 3.8f, 0.5f}, {0.9f, 5.0f, 0.62f}, 1.0f);      // vest pouches
        m.AddBox({-1.0f, 3.3f, -0.55f}, {1.0f, 3.5f, 0.55f}, 1.0f);    // belt
        m.Use(skin);
        m.AddTube({0, 5.35f, 0}, {0, 5.65f, 0}, 0.22f, 0.22f, 8);
        BoxFront(m, {-0.36f, 5.6f, -0.38f}, {0.36f, 6.35f, 0.38f}, face, skin, 1.0f);
        m.Use(dark);
        m.AddSphere({0, 6.3f, -0.02f}, {0.44f, 0.28f, 0.46f}, 10, 6);  // helmet
        // Arms reaching forward to the gun at (0, 4.8, 1.9).
        m.Use(jacket);
        const Vector3 hands(0, 4.75f, 1.9f);
        for (float side : {-1.0f, 1.0f}) {
            const Vector3 shoulder(side * 1.05f, 5.1f, 0);
            const Vector3 elbow(side * 0.85f, 4.5f, 0.95f);
            m.AddSphere(shoulder, {0.3f, 0.3f, 0.3f}, 8, 5);
            m.AddTube(shoulder, elbow, 0.27f, 0.23f, 8);
            m.AddTube(elbow, hands + Vector3(side * 0.15f, 0, -0.2f), 0.22f, 0.18f, 8);
        }
        const Matrix inHands = Matrix::CreateScale(0.9f) * Matrix::CreateTranslation(hands);
        m.Append(GripHand(skin), inHands);
        m.Append(GunMesh(gunFirst, gunFirst + 1, gunFirst + 2), inHands);
        BakeLight(m, 0, 6.5f, 0.6f);

        Image jacketImg(128, 128);
        FillNoise(jacketImg, {52, 58, 46, 255}, 0.35f, 8, 921);
        Stains(jacketImg, 0, 0, 128, 128, {90, 12, 12, 255}, 4, 12, 922, 0.6f);
        Image trousersImg(128, 128);
        FillNoise(trousersImg, {44, 46, 50, 255}, 0.35f, 8, 923);
        Image skinImg(32, 32);
        FillNoise(skinImg, {200, 160, 130, 255}, 0.15f, 4, 924);
        Image faceImg(128, 128);
        FillNoise(faceImg, {200, 160, 130, 255}, 0.12f, 4, 925);
        for (float x : {40.0f, 88.0f}) {
            FillEllipse(faceImg, x, 52, 11, 6, {240, 240, 235, 255});
            FillEllipse(faceImg, x, 52, 5, 5, {50, 40, 30, 255});
            Line(faceImg, x - 14, 38, x + 14, 38, 4, {70, 50, 40, 255});
        }
        Line(faceImg, 64, 58, 64, 80, 5, {170, 125, 100, 255});
        Line(faceImg, 48, 98, 80, 98, 3, {120, 70, 60, 255});
        Stains(faceImg, 0, 0, 128, 128, {90, 80, 70, 255}, 5, 10, 926, 0.3f);  // grime
        Image gear(64, 64);
        FillNoise(gear, {30, 30, 32, 255}, 0.3f, 4, 927);
        std::vector<Texture> tex = {{"fig_jacket.png", jacketImg}, {"fig_trousers.png", trousersImg},
                                    {"fig_skin.png", skinImg},     {"fig_face.png", faceImg},
                                    {"fig_gear.png", gear}};
        for (const Texture& t : GunTextures()) tex.push_back(t);
        ok = Save(outDir, asset::model::kTitleFigure, Model::Single("player", fig.materials, m), tex) && ok;
    }
    {
        // Cleared ending: the way out at dawn. Seen from (0, 5, 35) looking at
        // (0, 6, 0): a yard with the laboratory's open blast door behind,
        // under a sky dome glowing from night blue to sunrise orange.
        Mesh m;
        m.Use(0);  // ground
        m.AddQuad({-200, 0, 200}, {200, 0, 200}, {200, 0, -200}, {-200, 0, -200}, {0, 0}, {40, 40});
        m.Use(1);  // building
        m.AddBox({-60, 0, -30}, {-8, 30, -10}, 0.05f);
        m.AddBox({8, 0, -30}, {60, 30, -10}, 0.05f);
        m.AddBox({-8, 14, -30}, {8, 30, -10}, 0.05f);
        m.AddBox({-9, 0, -12}, {-8, 14, -9}, 0.2f);  // door frame
        m.AddBox({8, 0, -12}, {9, 14, -9}, 0.2f);
        m.AddBox({-9, 13.5f, -12}, {9, 14.5f, -9}, 0.2f);
        m.AddBox({-7.5f, 12, -12}, {7.5f, 13.5f, -11}, 0.2f);  // the blast door, raised
        m.Use(2);  // the light inside and the sky
        m.AddQuad({-8, 14, -20}, {8, 14, -20}, {8, 0, -20}, {-8, 0, -20});
        for (const Vector3& c : {Vector3(-20, 0, 5), Vector3(18, 0, 2), Vector3(-14, 0, 12)})
            m.Use(1), m.AddBox(c - Vector3(2, 0, 2), c + Vector3(2, 3.5f, 2), 0.2f);  // sandbags / crates
        m.Shade([](const Vector3& p, const Vector3& n) {
            const float f = 0.55f + 0.35f * std::fmax(0.0f, n.y) + 0.2f * std::fmax(0.0f, n.z);
            const float warm = std::fmin(1.0f, 0.9f + p.y * 0.004f);
            return Vector4(f * warm * 1.05f, f * warm, f * 0.92f, 1.0f);
        });
        // Sky dome facing inwards.
        Mesh sky;
        sky.Use(3);
        sky.AddSphere({0, 0, 0}, {300, 300, 300}, 24, 12);
        TurnInside(sky);
        m.Append(sky, Matrix::Identity());
        Image ground(256, 256);
        FillNoise(ground, {86, 80, 66, 255}, 0.4f, 8, 941);
        Stains(ground, 0, 0, 256, 256, {50, 60, 40, 255}, 10, 30, 942, 0.5f);
        Image concrete(256, 256);
        FillNoise(concrete, {120, 118, 112, 255}, 0.25f, 8, 943);
        for (int y = 0; y < 256; y += 64) FillRect(concrete, 0, y, 256, y + 2, {60, 60, 60, 255}, 0.6f);
        Stains(concrete, 0, 0, 256, 256, {60, 50, 40, 255}, 12, 30, 944, 0.45f);
        std::vector<Material> mats = {Mat("result_ground", "result_ground.png", 0.95f),
                                      Mat("result_concrete", "result_concrete.png", 0.85f),
                                      Glow("result_light", "result_light.png", {1, 1, 1}, "result_light.png"),
                                      Glow("result_sky", "result_sky.png", {1, 1, 1}, "result_sky.png")};
        ok = Save(outDir, asset::model::kResultRoom, Model::Single("result", mats, m),
                  {{"result_ground.png", ground}, {"result_concrete.png", concrete},
                   {"result_light.png", Image(16, 16, {255, 240, 210, 255})},
                   {"result_sky.png", Gradient({20, 30, 70, 255}, {255, 150, 70, 255}, 128)}}) && ok;
    }
    return ok;
}

}  // namespace props
}  // namespace datagen
