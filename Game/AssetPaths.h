// Every file of the Data/ tree that the game reads, by one name each: the
// game's classes load them by these paths, and the data generator writes
// each file to the same path (under its output folder, which stands for
// Data/). Paths are relative to the working directory, the way the resource
// cache takes them.
#pragma once

#include <cstddef>

namespace asset {

// The folder every path below starts with.
inline constexpr char kDataFolder[] = "Data/";
inline constexpr std::size_t kDataFolderLength = sizeof(kDataFolder) - 1;

// A path with the data folder left off: where the file lies inside Data/.
constexpr const char* InDataFolder(const char* path) {
    for (std::size_t i = 0; i < kDataFolderLength; ++i)
        if (path[i] != kDataFolder[i]) return path;
    return path + kDataFolderLength;
}

namespace model {

// Zombies, part by part in the order the zombies build their bodies: head,
// body, right arm, left arm, right leg, left leg, and for the normal zombie
// the weak spot (its own hit-test model too). The strong zombie's parts are
// tested against the normal zombie's hit-test parts, scaled.
inline constexpr const char* kZombieParts[] = {
    "Data/zombie_All/zombie_Head/zombie_Head.gltf",
    "Data/zombie_All/zombie_Body/zombie_Body.gltf",
    "Data/zombie_All/zombie_Arm_Right/zombie_Arm_Right.gltf",
    "Data/zombie_All/zombie_Arm_Left/zombie_Arm_Left.gltf",
    "Data/zombie_All/zombie_Leg_Right/zombie_Leg_Right.gltf",
    "Data/zombie_All/zombie_Leg_Left/zombie_Leg_Left.gltf",
    "Data/zombie_All/zombie_weak/zombie_weak.gltf",
};
inline constexpr const char* kStrongZombieParts[] = {
    "Data/zombie_S_All/zombie_S_H/zombie_S_H.gltf",
    "Data/zombie_S_All/zombie_S_B/zombie_S_B.gltf",
    "Data/zombie_S_All/zombie_S_RA/zombie_S_RA.gltf",
    "Data/zombie_S_All/zombie_S_LA/zombie_S_LA.gltf",
    "Data/zombie_S_All/zombie_S_RL/zombie_S_RL.gltf",
    "Data/zombie_S_All/zombie_S_LL/zombie_S_LL.gltf",
};
inline constexpr const char* kZombieRayParts[] = {
    "Data/zombie_rayModel/zombie_Head/zombie_Head_Ray.gltf",
    "Data/zombie_rayModel/zombie_Body/zombie_Body_Ray.gltf",
    "Data/zombie_rayModel/zombie_Arm_Right/zombie_ArmR_Ray.gltf",
    "Data/zombie_rayModel/zombie_Arm_Left/zombie_ArmL_Ray.gltf",
    "Data/zombie_rayModel/zombie_Leg_Right/zombie_LegR_Ray.gltf",
    "Data/zombie_rayModel/zombie_Leg_Left/zombie_LegL_Ray.gltf",
};
inline constexpr std::size_t kZombieWeakSpot = 6;  // index of the weak spot in kZombieParts
// The same parts with half the facets, drawn where a zombie comes out small
// in a picture drawn below the window's size; beside the full ones, sharing
// their textures.
inline constexpr const char* kZombieFarParts[] = {
    "Data/zombie_All/zombie_Head/zombie_Head_far.gltf",
    "Data/zombie_All/zombie_Body/zombie_Body_far.gltf",
    "Data/zombie_All/zombie_Arm_Right/zombie_Arm_Right_far.gltf",
    "Data/zombie_All/zombie_Arm_Left/zombie_Arm_Left_far.gltf",
    "Data/zombie_All/zombie_Leg_Right/zombie_Leg_Right_far.gltf",
    "Data/zombie_All/zombie_Leg_Left/zombie_Leg_Left_far.gltf",
    "Data/zombie_All/zombie_weak/zombie_weak_far.gltf",
};
inline constexpr const char* kStrongZombieFarParts[] = {
    "Data/zombie_S_All/zombie_S_H/zombie_S_H_far.gltf",
    "Data/zombie_S_All/zombie_S_B/zombie_S_B_far.gltf",
    "Data/zombie_S_All/zombie_S_RA/zombie_S_RA_far.gltf",
    "Data/zombie_S_All/zombie_S_LA/zombie_S_LA_far.gltf",
    "Data/zombie_S_All/zombie_S_RL/zombie_S_RL_far.gltf",
    "Data/zombie_S_All/zombie_S_LL/zombie_S_LL_far.gltf",
};

// The player's arm and the gun.
inline constexpr const char* kPlayerArm = "Data/player/player_Arm_Left/player_Arm_Left.gltf";
inline constexpr const char* kGun = "Data/gun/gun.gltf";

// Door sets and key cards (cards by colour: yellow, blue, orange).
inline constexpr const char* kDoor = "Data/door3/door.gltf";
inline constexpr const char* kDoorHandle = "Data/door3/handle.gltf";
inline constexpr const char* kKeyReader = "Data/door3/KeyReader.gltf";
inline constexpr const char* kKeyReaderRay = "Data/door3/KeyReaderRay.gltf";
inline constexpr const char* kKeyCards[] = {"Data/key/Key_Y.gltf", "Data/key/Key_B.gltf", "Data/key/Key_O.gltf"};
inline constexpr const char* kKeyCardRay = "Data/key/Key_Ray.gltf";

// The ammunition box.
inline constexpr const char* kBulletBox = "Data/bulletBox/bulletBox.gltf";
inline constexpr const char* kBulletBoxRay = "Data/bulletBox/bulletBoxRay.gltf";

// Furniture (desk4 has no hit-test twin: its drawing model serves).
inline constexpr const char* kDesk3 = "Data/desk3/desk3.gltf";
inline constexpr const char* kDesk3Ray = "Data/desk3/desk3Ray.gltf";
inline constexpr const char* kDesk4 = "Data/desk4/desk4.gltf";
inline constexpr const char* kDesk5 = "Data/desk5/desk5.gltf";
inline constexpr const char* kDesk5Ray = "Data/desk5/desk5Ray.gltf";
inline constexpr const char* kShelf2 = "Data/shelf2/shelf2.gltf";
inline constexpr const char* kShelf2Ray = "Data/shelf2/shelf2Ray.gltf";
inline constexpr const char* kBulletShelf = "Data/bulletshelf/bulletShelf.gltf";
inline constexpr const char* kBulletShelfRay = "Data/bulletshelf/bulletShelfRay.gltf";
inline constexpr const char* kChair = "Data/chair/chair.gltf";
inline constexpr const char* kChairRay = "Data/chair/chairRay.gltf";
inline constexpr const char* kPc = "Data/pc/pc.gltf";
inline constexpr const char* kPcRay = "Data/pc/pcRay.gltf";
inline constexpr const char* kMonitor = "Data/monitor/monitor.gltf";
inline constexpr const char* kMonitorRay = "Data/monitor/monitorRay.gltf";

// The plant tanks.
inline constexpr const char* kPlantPot = "Data/plant_new/plant.gltf";
inline constexpr const char* kPlantPotRay = "Data/plant_new/plantRay.gltf";
inline constexpr const char* kPlantGlass = "Data/plant_new/plantGlass.gltf";
inline constexpr const char* kPlantZombie = "Data/plant_new/plantZombie.gltf";

// The zombie generator.
inline constexpr const char* kPortal = "Data/portal/portal.gltf";
inline constexpr const char* kPortalSphere = "Data/portal/sphere.gltf";
inline constexpr const char* kPortalLight = "Data/portal/light.gltf";
inline constexpr const char* kPipe = "Data/portal/pipe45.gltf";
inline constexpr const char* kPortalHole = "Data/portal/portal_hole.gltf";

// The level's map pieces: the ground floor, the stairwells, the two
// basements; each a drawn model and its hit-test model.
inline constexpr const char* kMap1 = "Data/MAP/map1/map1.gltf";
inline constexpr const char* kMap1Ray = "Data/MAP/map1/map1_ray.gltf";
inline constexpr const char* kMapS = "Data/MAP/map_s/mapS.gltf";
inline constexpr const char* kMapSRay = "Data/MAP/map_s/mapS_Ray.gltf";
inline constexpr const char* kMap2 = "Data/MAP/map2/map2.gltf";
inline constexpr const char* kMap2Ray = "Data/MAP/map2/map2_ray.gltf";
inline constexpr const char* kMap3 = "Data/MAP/map3/map3.gltf";
inline constexpr const char* kMap3Ray = "Data/MAP/map3/map3_ray.gltf";

// The title screen's room, its lamps and the player figure; the cleared
// ending's scene.
inline constexpr const char* kTitleRoom = "Data/MAP/title/title.gltf";
inline constexpr const char* kTitleRoomLights = "Data/MAP/title/titleS.gltf";
inline constexpr const char* kTitleFigure = "Data/MAP/title/player.gltf";
inline constexpr const char* kResultRoom = "Data/MAP/result/result.gltf";

}  // namespace model

namespace texture {

// The HUD.
inline constexpr const char* kAim = "Data/Aim.png";  // also the title's mouse cursor
inline constexpr const char* kWhite = "Data/white.png";
inline constexpr const char* kNumber = "Data/number.png";  // 15 x 26 cells: digits 0-9, then the slash
inline constexpr const char* kKeycard = "Data/keycard.png";
inline constexpr const char* kHpMark = "Data/hpmark.png";
inline constexpr const char* kHp = "Data/hp.png";
inline constexpr const char* kReload = "Data/reload.png";
inline constexpr const char* kBloodFrame = "Data/bloodFrame.png";
inline constexpr const char* kUsePrompt = "Data/info.png";
inline constexpr const char* kPickUpPrompt = "Data/info2.png";

// The title and result screens.
inline constexpr const char* kTitleLogo = "Data/title.png";
inline constexpr const char* kStartButton = "Data/cliclstart.png";
inline constexpr const char* kTitleButton = "Data/clicktitle.png";
inline constexpr const char* kTitleBlood = "Data/titleBlood.png";
inline constexpr const char* kClearBanner = "Data/clear.png";
inline constexpr const char* kDeadBanner = "Data/YOUAREDEAD.jpg";
inline constexpr const char* kTitleBulletHole = "Data/BulletHole2.png";

// Effects.
inline constexpr const char* kBulletHole = "Data/BulletHole.png";
inline constexpr const char* kBullet = "Data/bullet.png";
inline constexpr const char* kShadow = "Data/shadow.png";
inline constexpr const char* kMuzzleFlash = "Data/MuzzleFlash.png";
inline constexpr const char* kLight = "Data/light.png";
inline constexpr const char* kElectric = "Data/electronic.jpg";
inline constexpr const char* kRedGlow = "Data/HS3.jpg";
inline constexpr const char* kHitSpark = "Data/Hit.png";
inline constexpr const char* kHitDust = "Data/Hit2.png";
inline constexpr const char* kBloodSplash = "Data/HS.png";
inline constexpr const char* kBloodSpray = "Data/HS2.png";
inline constexpr const char* kVomit = "Data/gero.png";
inline constexpr const char* kBubble = "Data/bubble.png";
inline constexpr const char* kSmoke = "Data/smoke.png";

}  // namespace texture

namespace sound {

inline constexpr const char* kFire = "Data/Sound/fire.wav";
inline constexpr const char* kDryFire = "Data/Sound/gunfiremiss.wav";
inline constexpr const char* kReload = "Data/Sound/reload.wav";
inline constexpr const char* kFootstep = "Data/Sound/walkSound.wav";
inline constexpr const char* kDamage = "Data/Sound/DamageSound.wav";
inline constexpr const char* kHeart = "Data/Sound/heart.wav";
inline constexpr const char* kZombieGroan = "Data/Sound/zombieSound.wav";
inline constexpr const char* kZombieStep = "Data/Sound/zombieWalk.wav";
inline constexpr const char* kClick = "Data/Sound/click.wav";
inline constexpr const char* kPickUp = "Data/Sound/pickUp2.wav";
inline constexpr const char* kDoorLatch = "Data/Sound/door.wav";
inline constexpr const char* kDoorLocked = "Data/Sound/lockdoor.wav";
inline constexpr const char* kDoorTurn = "Data/Sound/doorturn.wav";
inline constexpr const char* kError = "Data/Sound/error.wav";
inline constexpr const char* kSuccess = "Data/Sound/success.wav";
inline constexpr const char* kCardSlot = "Data/Sound/CardSlitSound.wav";
inline constexpr const char* kBomb = "Data/Sound/bomb.wav";
inline constexpr const char* kExplosion = "Data/Sound/explosions.wav";
inline constexpr const char* kGenerator = "Data/Sound/Generator.wav";

}  // namespace sound

}  // namespace asset
