// Geometry for the generator's glTF models, built in the game's own
// coordinates (x right, y up, +z forward, left-handed) and mirrored once when
// written, so the game's loader (which mirrors Z back and reverses the
// winding) gets back exactly what was built.
//
// Winding: a triangle's front face is the one from which its vertices run
// clockwise (in the game's left-handed space). Normals point out of the front.
// The helpers below produce outward-facing closed shapes with that rule.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "Framework/Math/SimpleMath.h"

namespace datagen {

struct Vtx {
    Vector3 p;
    Vector2 uv;
    Vector3 n;
    Vector4 c{1, 1, 1, 1};  // vertex colour (baked lighting); written as COLOR_0
};

struct Material {
    std::string name;
    Vector4 baseColor{1, 1, 1, 1};
    float metallic = 0.0f;
    float roughness = 0.8f;
    Vector3 emissive{0, 0, 0};
    std::string baseColorTexture;  // file name beside the model, "" for none
    std::string emissiveTexture;   // file name beside the model, "" for none
    bool blend = false;            // alpha mode BLEND (otherwise OPAQUE)
    bool doubleSided = false;
};

// One primitive per material, filled through the current material.
struct Primitive {
    int material = 0;
    std::vector<Vtx> vertices;
    std::vector<uint32_t> indices;
};

// The geometry of one node.
class Mesh {
public:
    // Selects (adding if needed) the primitive of a material for the next shapes.
    void Use(int material);
    uint32_t AddVertex(const Vtx& v);
    void AddTriangle(uint32_t a, uint32_t b, uint32_t c);
    // Quad with corners in clockwise order as seen from its front (p0 top-left,
    // p1 top-right, p2 bottom-right, p3 bottom-left); normal from the winding;
    // uv (0,0) top-left to (u1, v1) bottom-right.
    void AddQuad(const Vector3& p0, const Vector3& p1, const Vector3& p2, const Vector3& p3,
                 Vector2 uv0 = {0, 0}, Vector2 uv1 = {1, 1}, Vector4 colour = {1, 1, 1, 1});
    // Axis-aligned box from min to max, outward faces; uvScale > 0 maps UVs in
    // world units times uvScale (tiling textures), else 0..1 per face.
    void AddBox(const Vector3& min, const Vector3& max, float uvScale = 0.0f, Vector4 colour = {1, 1, 1, 1});
    // A box given by a transform of the unit cube (-0.5..0.5) (rotated boxes).
    void AddBoxTransformed(const Matrix& transform, float uvScale = 0.0f, Vector4 colour = {1, 1, 1, 1});
    // Closed cylinder along +y from the base centre, with segments sides.
    void AddCylinder(const Vector3& base, float radius, float height, int segments,
                     Vector4 colour = {1, 1, 1, 1}, bool caps = true);
    // Tapered cylinder (cone frustum) between two points along any axis.
    void AddTube(const Vector3& a, const Vector3& b, float radiusA, float radiusB, int segments,
                 Vector4 colour = {1, 1, 1, 1}, bool caps = true);
    // Prism or frustum of a convex outline: the profile (points in order
    // around it, in a local x-y plane) placed by `a` at one end and by `b` at
    // the other, with flat sides (hard edges) and capped ends. UVs: u around
    // the outline, v from a (0) to b (1).
    void AddLoft(const std::vector<Vector2>& profile, const Matrix& a, const Matrix& b,
                 Vector4 colour = {1, 1, 1, 1}, bool caps = true);
    // UV sphere (ellipsoid with per-axis radii).
    void AddSphere(const Vector3& centre, const Vector3& radii, int slices, int stacks,
                   Vector4 colour = {1, 1, 1, 1});
    // Appends another mesh transformed by m (normals by its rotation).
    void Append(const Mesh& other, const Matrix& m);
    // Multiplies every vertex colour by f(position, normal) (baked lighting).
    template <typename F> void Shade(F f) {
        for (auto& prim : prims_)
            for (auto& v : prim.vertices) {
                Vector4 s = f(v.p, v.n);
                v.c = {v.c.x * s.x, v.c.y * s.y, v.c.z * s.z, v.c.w * s.w};
            }
    }

    const std::vector<Primitive>& Primitives() const { return prims_; }
    std::vector<Primitive>& Primitives() { return prims_; }
    size_t TriangleCount() const;

private:
    std::vector<Primitive> prims_;
    int current_ = -1;
};

struct Node {
    std::string name;
    Mesh mesh;
    Matrix local;  // local matrix in game coordinates (identity for most models)
    int parent = -1;
};

struct Model {
    std::vector<Material> materials;
    std::vector<Node> nodes;
    int AddMaterial(const Material& m) { materials.push_back(m); return int(materials.size()) - 1; }
    // A model with a single node holding this mesh.
    static Model Single(const std::string& name, std::vector<Material> materials, Mesh mesh);
};

// Encoded pictures (PNG or JPEG bytes) by the file name a material gives.
using EmbeddedImages = std::map<std::string, std::vector<unsigned char>>;

// Writes path (.gltf) and its buffer (same name, .bin) with tinygltf, mirroring
// Z (positions, normals, node matrices) and reversing each triangle's winding.
// Texture file names are referenced by URI relative to the model. Vertex
// colours are written as COLOR_0 (VEC4 float). Deterministic output.
// A path ending in .glb is written as binary glTF, its buffer inside it.
// With embedded pictures, every texture the materials name is packed into
// the file from them instead (false when one is missing): in a .glb each in
// a buffer view of its own, in a .gltf each as a base64 data: URI.
bool WriteGltf(const std::string& path, const Model& model, const EmbeddedImages* embedded = nullptr);

}  // namespace datagen
