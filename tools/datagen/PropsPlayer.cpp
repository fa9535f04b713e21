// The player's arm with the hand round the gun's grip, and the gun.
#include "PropsCommon.h"

namespace datagen {
namespace props {

namespace {

Image SleeveTexture() {
    Image img(128, 128);
    FillNoise(img, {52, 58, 46, 255}, 0.35f, 8, 521);  // olive field jacket
    for (int y = 0; y < 128; y += 4) FillRect(img, 0, y, 128, y + 1, {0, 0, 0, 255}, 0.15f);
    FillRect(img, 0, 60, 128, 66, {30, 32, 28, 255}, 0.7f);  // seam
    Stains(img, 0, 0, 128, 128, {40, 30, 20, 255}, 6, 12, 522, 0.4f);
    return img;
}

Image HandTexture() {
    Image img(64, 64);
    FillNoise(img, {180, 136, 108, 255}, 0.12f, 4, 531);
    // Creases round the finger joints (fingers run along v), dirt and
    // scrapes; the bottom strip is the nails' paler pink.
    for (int y = 6; y < 56; y += 16) {
        FillRect(img, 0, y, 64, y + 1, {120, 80, 62, 255}, 0.45f);
        FillRect(img, 0, y + 3, 64, y + 4, {120, 80, 62, 255}, 0.3f);
    }
    Stains(img, 0, 0, 64, 56, {90, 70, 55, 255}, 5, 6, 532, 0.35f);
    FillRect(img, 0, 56, 64, 64, {226, 188, 176, 255});
    return img;
}

}  // namespace

bool WritePlayerAndGun(const std::string& outDir) {
    bool ok = true;
    {
        Model gun;
        gun.materials = GunMaterials();
        Node node;
        node.name = "gun";
        node.mesh = GunMesh(0, 1, 2);
        BakeLight(node.mesh, -1.0f, 0.5f, 0.65f);
        gun.nodes.push_back(std::move(node));
        ok = Save(outDir, asset::model::kGun, gun, GunTextures()) && ok;
    }
    {
        // Shoulder at the origin, the arm hanging along -y to the hand
        // round (0, -2.2, 0), where the game puts the gun's grip. The gun
        // keeps the view's turn while the arm is turned by its own angles,
        // so the hand is built round the grip in the gun's space and turned
        // into the arm's by the inverse of the arm's resting turn (pitch -90,
        // yaw 60 degrees): at rest it closes round the grip exactly.
        Model arm;
        const int sleeve = arm.AddMaterial(Mat("player_sleeve", "player_sleeve.png", 0.9f));
        const int skin = arm.AddMaterial(Mat("player_hand", "player_hand.png", 0.75f));
        const Matrix gunToArm = Matrix::CreateFromRollPitchYaw(Rad(-90), Rad(60), 0).Transpose() *
                                Matrix::CreateTranslation(0, -2.2f, 0);
        const Vector3 wrist = Vector3::Transform(kGripWrist, gunToArm);
        const Vector3 elbow(0, -1.0f, 0.02f);
        Mesh m;
        m.Use(sleeve);
        m.AddSphere({0, 0, 0}, {0.3f, 0.3f, 0.3f}, 10, 6);
        m.AddTube({0, 0, 0}, elbow, 0.28f, 0.24f, 12);
        m.AddSphere(elbow, {0.23f, 0.23f, 0.23f}, 8, 5);
        const Vector3 along = (wrist - elbow).Normalized();
        m.AddTube(elbow, wrist - along * 0.12f, 0.23f, 0.2f, 12);
        m.AddTube(wrist - along * 0.3f, wrist - along * 0.05f, 0.22f, 0.22f, 12);  // cuff
        BakeLight(m, -2.5f, 0.3f, 0.6f);
        // The hand is lit as the player sees it: from above in the view.
        Mesh hand = GripHand(skin);
        BakeLight(hand, -0.9f, 0.1f, 0.6f);
        m.Append(hand, gunToArm);
        ok = Save(outDir, asset::model::kPlayerArm,
                  Model::Single("player_Arm_Left", arm.materials, m),
                  {{"player_sleeve.png", SleeveTexture()}, {"player_hand.png", HandTexture()}}) && ok;
    }
    return ok;
}

}  // namespace props
}  // namespace datagen
