// The player's arm and the handgun it holds.
#include "PropsCommon.h"

namespace datagen {
namespace props {

namespace {

Image GunMetalTexture() {
    Image img(128, 128);
    FillNoise(img, {46, 48, 52, 255}, 0.25f, 8, 501);
    // Brushed streaks and worn, lighter edges.
    for (int y = 0; y < 128; y += 2)
        FillRect(img, 0, y, 128, y + 1, {255, 255, 255, 255}, 0.04f + 0.05f * HashNoise(0, y, 502));
    FillRect(img, 0, 0, 128, 4, {120, 122, 128, 255}, 0.6f);
    FillRect(img, 0, 124, 128, 128, {120, 122, 128, 255}, 0.6f);
    Stains(img, 0, 0, 128, 128, {90, 70, 50, 255}, 4, 10, 503, 0.3f);
    return img;
}

Image GripTexture() {
    Image img(64, 64);
    FillNoise(img, {30, 28, 26, 255}, 0.3f, 4, 511);
    // Checkering.
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            if (((x + y) % 6) < 1 || ((x - y + 64) % 6) < 1) img.Blend(x, y, {0, 0, 0, 255}, 0.6f);
    return img;
}

Image SleeveTexture() {
    Image img(128, 128);
    FillNoise(img, {52, 58, 46, 255}, 0.35f, 8, 521);  // olive field jacket
    for (int y = 0; y < 128; y += 4) FillRect(img, 0, y, 128, y + 1, {0, 0, 0, 255}, 0.15f);
    FillRect(img, 0, 60, 128, 66, {30, 32, 28, 255}, 0.7f);  // seam
    Stains(img, 0, 0, 128, 128, {40, 30, 20, 255}, 6, 12, 522, 0.4f);
    return img;
}

Image GloveTexture() {
    Image img(64, 64);
    FillNoise(img, {24, 22, 22, 255}, 0.4f, 4, 531);
    for (int x = 8; x < 64; x += 16) FillRect(img, x, 0, x + 1, 64, {70, 70, 70, 255}, 0.6f);
    return img;
}

}  // namespace

Mesh GunMesh(int metal, int grip) {
    Mesh m;
    m.Use(metal);
    // Slide: top at 0.36, the muzzle face at z 1.75 with the bore at y 0.24.
    m.AddBox({-0.12f, 0.12f, -0.32f}, {0.12f, 0.36f, 1.7f}, 0.5f);
    m.AddTube({0, 0.24f, 1.6f}, {0, 0.24f, 1.75f}, 0.075f, 0.075f, 10);  // barrel crown
    // Grip serrations at the back of the slide and the ejection port.
    for (int i = 0; i < 6; ++i) {
        const float z = -0.26f + i * 0.07f;
        m.AddBox({-0.13f, 0.16f, z}, {0.13f, 0.34f, z + 0.03f}, 4.0f);
    }
    m.Use(grip);
    m.AddBox({0.12f, 0.22f, 0.45f}, {0.125f, 0.34f, 0.85f}, 4.0f);
    m.Use(metal);
    // Frame under the slide, with the dust cover and trigger guard.
    m.AddBox({-0.1f, 0.0f, -0.2f}, {0.1f, 0.13f, 1.45f}, 0.5f);
    m.AddBox({-0.04f, -0.28f, 0.28f}, {0.04f, -0.24f, 0.62f}, 2.0f);
    m.AddBox({-0.04f, -0.28f, 0.58f}, {0.04f, 0.0f, 0.63f}, 2.0f);
    m.AddBoxTransformed(Matrix::CreateScale(0.04f, 0.2f, 0.05f) * Matrix::CreateRotationX(Rad(-15)) *
                        Matrix::CreateTranslation(0, -0.08f, 0.38f));  // trigger
    // Sights.
    m.AddBox({-0.025f, 0.36f, 1.55f}, {0.025f, 0.42f, 1.63f}, 2.0f);
    m.AddBox({-0.08f, 0.36f, -0.3f}, {0.08f, 0.42f, -0.22f}, 2.0f);
    // Hammer at the back.
    m.AddBox({-0.04f, 0.2f, -0.42f}, {0.04f, 0.36f, -0.32f}, 2.0f);
    // Grip: raked back, from the frame down past the hand at the origin.
    m.Use(grip);
    m.AddBoxTransformed(Matrix::CreateScale(0.2f, 0.95f, 0.36f) * Matrix::CreateRotationX(Rad(-16)) *
                        Matrix::CreateTranslation(0, -0.3f, -0.08f), 3.0f);
    m.Use(metal);
    m.AddBoxTransformed(Matrix::CreateScale(0.18f, 0.08f, 0.34f) * Matrix::CreateRotationX(Rad(-16)) *
                        Matrix::CreateTranslation(0, -0.77f, -0.21f), 2.0f);  // magazine base
    return m;
}

std::vector<Texture> GunTextures() {
    return {{"gun_metal.png", GunMetalTexture()}, {"gun_grip.png", GripTexture()}};
}

bool WritePlayerAndGun(const std::string& outDir) {
    bool ok = true;
    {
        Model gun;
        const int metal = gun.AddMaterial(Mat("gun_metal", "gun_metal.png", 0.4f, 0.6f));
        const int grip = gun.AddMaterial(Mat("gun_grip", "gun_grip.png", 0.85f));
        Node node;
        node.name = "gun";
        node.mesh = GunMesh(metal, grip);
        BakeLight(node.mesh, -1.0f, 0.5f, 0.65f);
        gun.nodes.push_back(std::move(node));
        ok = Save(outDir, "gun/gun.gltf", gun, GunTextures()) && ok;
    }
    {
        // Shoulder at the origin, the arm hanging along -y, the gloved hand
        // around (0, -2.2, 0), where the gun's grip sits.
        Model arm;
        const int sleeve = arm.AddMaterial(Mat("player_sleeve", "player_sleeve.png", 0.9f));
        const int glove = arm.AddMaterial(Mat("player_glove", "player_glove.png", 0.7f));
        Mesh m;
        m.Use(sleeve);
        m.AddSphere({0, 0, 0}, {0.3f, 0.3f, 0.3f}, 10, 6);
        m.AddTube({0, 0, 0}, {0, -1.0f, 0.02f}, 0.28f, 0.24f, 12);
        m.AddSphere({0, -1.0f, 0.02f}, {0.23f, 0.23f, 0.23f}, 8, 5);
        m.AddTube({0, -1.0f, 0.02f}, {0, -1.85f, 0.0f}, 0.23f, 0.2f, 12);
        m.AddTube({0, -1.7f, 0.0f}, {0, -1.9f, 0.0f}, 0.22f, 0.22f, 12);  // cuff
        m.Use(glove);
        m.AddBox({-0.16f, -2.42f, -0.18f}, {0.16f, -1.9f, 0.2f}, 2.0f);   // fist round the grip
        m.AddTube({0.16f, -2.05f, 0.05f}, {0.2f, -2.25f, 0.22f}, 0.06f, 0.05f, 6);  // thumb
        BakeLight(m, -2.5f, 0.3f, 0.6f);
        ok = Save(outDir, "player/player_Arm_Left/player_Arm_Left.gltf",
                  Model::Single("player_Arm_Left", arm.materials, m),
                  {{"player_sleeve.png", SleeveTexture()}, {"player_glove.png", GloveTexture()}}) && ok;
    }
    return ok;
}

}  // namespace props
}  // namespace datagen
