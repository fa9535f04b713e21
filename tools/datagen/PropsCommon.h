// Shared helpers of the prop and character models: texture painting,
// materials, baked lighting and saving a model with its textures.
#pragma once

#include <algorithm>

#include <string>
#include <utility>
#include <vector>

#include "Game/AssetPaths.h"
#include "Image.h"
#include "MeshBuilder.h"

namespace datagen {
namespace props {

constexpr float kPi = 3.14159265358979f;
inline float Rad(float degrees) { return degrees * kPi / 180.0f; }

inline Rgba Mix(Rgba a, Rgba b, float t) {
    t = t < 0 ? 0 : (t > 1 ? 1 : t);
    return {uint8_t(a.r + (b.r - a.r) * t + 0.5f), uint8_t(a.g + (b.g - a.g) * t + 0.5f),
            uint8_t(a.b + (b.b - a.b) * t + 0.5f), uint8_t(a.a + (b.a - a.a) * t + 0.5f)};
}
inline Rgba Scale(Rgba c, float f) {
    auto s = [f](uint8_t v) { float x = v * f; return uint8_t(x < 0 ? 0 : (x > 255 ? 255 : x)); };
    return {s(c.r), s(c.g), s(c.b), c.a};
}

// Fills the image with base colour modulated by tiling fractal noise
// (amount 0..1 of brightness variation).
void FillNoise(Image& img, Rgba base, float amount, int period, uint32_t seed);
// Fills a rectangle (x0, y0 inclusive, x1, y1 exclusive).
void FillRect(Image& img, int x0, int y0, int x1, int y1, Rgba c, float coverage = 1.0f);
// Filled disc / ellipse with a soft edge.
void FillEllipse(Image& img, float cx, float cy, float rx, float ry, Rgba c, float coverage = 1.0f);
// Darker frame lines and a lighter bevel around a rectangle (panels, plates).
void Bevel(Image& img, int x0, int y0, int x1, int y1, float depth, int width = 2);
// Irregular blotches (dirt, blood, rust) inside a rectangle.
void Stains(Image& img, int x0, int y0, int x1, int y1, Rgba c, int count, float maxRadius, uint32_t seed,
            float strength = 0.7f);
// Diagonal hazard stripes (yellow/black) in a rectangle.
void HazardStripes(Image& img, int x0, int y0, int x1, int y1, int stripe, Rgba a, Rgba b);
// Thick line segment with round ends.
void Line(Image& img, float x0, float y0, float x1, float y1, float width, Rgba c, float coverage = 1.0f);
// Rivets/screws along a rectangle's border.
void Rivets(Image& img, int x0, int y0, int x1, int y1, int spacing, Rgba c);

Material Mat(const std::string& name, const std::string& texture, float roughness = 0.8f,
             float metallic = 0.0f, Vector4 baseColor = {1, 1, 1, 1});
Material Glow(const std::string& name, const std::string& texture, Vector3 emissive,
              const std::string& emissiveTexture);

// Bakes a soft key light from above-front plus ambient occlusion towards
// the ground (minY..maxY) into the vertex colours.
void BakeLight(Mesh& mesh, float minY, float maxY, float ambient = 0.55f);

// A box with one material on its +z face (the "front", e.g. a face or a
// screen, uv 0..1 over the face) and another on the others.
void BoxFront(Mesh& mesh, const Vector3& mn, const Vector3& mx, int frontMaterial, int otherMaterial,
              float uvScale = 0.0f, Vector2 frontUv0 = {0, 0}, Vector2 frontUv1 = {1, 1});

// Turns a closed mesh inside out (winding and normals), for domes seen
// from within.
void TurnInside(Mesh& mesh);

// A closed low-poly box used by the hit-test models.
Mesh RayBoxes(const std::vector<std::pair<Vector3, Vector3>>& boxes);
Model RayModel(const std::string& name, const std::vector<std::pair<Vector3, Vector3>>& boxes);

// Writes the textures (PNG beside the model) and the model itself to the
// place of one of the game's files (Game/AssetPaths.h) under outDir; prints
// the triangle count. False on any failure.
struct Texture {
    std::string file;
    Image image;
};
bool Save(const std::string& outDir, const char* assetPath, const Model& model,
          const std::vector<Texture>& textures);

// Model writers of each group (Props*.cpp).
bool WriteZombies(const std::string& outDir);
bool WritePlayerAndGun(const std::string& outDir);
bool WriteDoorsAndCards(const std::string& outDir);
bool WriteFurniture(const std::string& outDir);
bool WritePlantAndGenerator(const std::string& outDir);
bool WriteRooms(const std::string& outDir);

// Zombie part builders shared with the plant tank figure and the rooms.
// Materials are indices 0..5 of ZombieMaterials(prefix): skin, face, shirt,
// trousers, shoes, blood; scale multiplies the part's geometry.
std::vector<Material> ZombieMaterials(const std::string& prefix, bool strong);
std::vector<Texture> ZombieTextures(const std::string& prefix, bool strong);
// How finely their round parts are divided: the full look, or the far look
// the game draws where a zombie comes out small (half the facets, the same
// shapes and sizes).
struct ZombieDetail {
    bool far = false;
    int Slices(int n) const { return far ? std::max(5, n / 2) : n; }
    int Stacks(int n) const { return far ? std::max(3, n / 2) : n; }
    int Sides(int n) const { return far ? std::max(4, n / 2) : n; }
};
Mesh ZombieHead(const ZombieDetail& d = ZombieDetail{});
Mesh ZombieBody(const ZombieDetail& d = ZombieDetail{});
Mesh ZombieArm(bool right, const ZombieDetail& d = ZombieDetail{});
Mesh ZombieLeg(bool right, const ZombieDetail& d = ZombieDetail{});
// The handgun, its three materials (metal, polymer, glowing sight dots, in
// that order) and their textures.
Mesh GunMesh(int metal, int polymer, int sight);
std::vector<Material> GunMaterials();
std::vector<Texture> GunTextures();
// A right hand closed round the gun's grip, in the gun's space, and the
// middle of its wrist, where a sleeve meets it.
Mesh GripHand(int skin);
inline const Vector3 kGripWrist{0.09f, -0.62f, -0.62f};

}  // namespace props
}  // namespace datagen
