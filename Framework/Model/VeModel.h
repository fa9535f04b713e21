// glTF models: the loader's intermediate form (VeGLTFModel, VeGLTFNode) and
// the drawable model (VeModel with VeMesh nodes and materials). Geometry is
// converted to the game's left-handed coordinates on load (Z mirrored,
// winding reversed). Meshes keep CPU copies of positions and triangles for
// the ray queries, with or without a graphics device.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Framework/Graphics/VeTexture.h"
#include "Framework/Math/SimpleMath.h"

// 36-byte model vertex.
struct VeVertex {
    Vector3 position;
    Vector2 uv;
    Vector3 normal;
    uint8_t color[4] = {255, 255, 255, 255};
};
static_assert(sizeof(VeVertex) == 36, "model vertex is 36 bytes");

struct VeTriangle {
    uint32_t i0 = 0, i1 = 0, i2 = 0;
};

struct VeSubset {
    int32_t materialIndex = 0;
    uint32_t firstTriangle = 0;
    uint32_t triangleCount = 0;
};
static_assert(sizeof(VeSubset) == 12, "subset record is 12 bytes");

// An axis-aligned box in a mesh's own space: centre and half extents.
// Without valid the extent is unknown (a subset whose triangles name
// vertices the mesh does not have) and the box must be taken as endless.
struct VeBounds {
    Vector3 center{0, 0, 0};
    Vector3 extents{0, 0, 0};
    bool valid = false;
};

// A run of one subset's triangles that lie together in space: the renderer
// leaves out, and lights, each chunk on its own. Its triangles are one
// contiguous range of the mesh's index buffer on the device.
struct VeChunk {
    uint32_t firstTriangle = 0;
    uint32_t triangleCount = 0;
    VeBounds bounds;
};

// A material record. Each texture is named twice: by its image's URI (empty
// for a picture embedded in the file, or no texture) and by its image's index
// in VeGLTFModel::images (-1 for no texture), which names embedded pictures
// as well.
struct VeGLTFMaterial {
    std::string name;
    std::string alphaMode = "OPAQUE";
    float alphaCutoff = 0.5f;
    bool doubleSided = false;
    std::string baseColorTexture;
    int baseColorImage = -1;
    float baseColorFactor[4] = {1, 1, 1, 1};
    std::string metallicRoughnessTexture;
    int metallicRoughnessImage = -1;
    float metallicFactor = 1.0f;
    float roughnessFactor = 1.0f;
    std::string emissiveTexture;
    int emissiveImage = -1;
    float emissiveFactor[3] = {0, 0, 0};
    std::string normalTexture;
    int normalImage = -1;
    std::string occlusionTexture;
    int occlusionImage = -1;
};

// One image of the file, undecoded: an external file beside the model, a
// data URI, or a picture packed in a buffer view (a binary glTF's way).
struct VeGLTFImage {
    std::string name;  // for messages: the URI, or which image of the file
    std::string uri;   // an external file's URI; empty for an embedded picture
    std::vector<unsigned char> bytes;  // the encoded picture; empty when there is none
    std::string problem;               // why there are no bytes
};

struct VeGLTFNode {
    std::string name;
    int index = 0;
    std::vector<std::shared_ptr<VeGLTFNode>> children;
    Matrix localMatrix;
    Matrix worldMatrix;
    bool hasMesh = false;
    std::vector<VeVertex> vertices;
    std::vector<VeTriangle> triangles;
    std::vector<VeSubset> subsets;
};

struct VeGLTFModel {
    std::vector<std::shared_ptr<VeGLTFNode>> allNodes;
    std::vector<std::shared_ptr<VeGLTFNode>> rootNodes;
    std::vector<VeGLTFMaterial> materials;
    // Every image of the file, by index, as read while parsing.
    std::vector<VeGLTFImage> images;
};

// Reads a glTF (ASCII; binary when the extension is "glb") file. Empty on
// failure. Every accessor read, sparse ones included (their values replace
// the base elements at their indices), is bounds-checked: bad files give
// empty, never a crash. External buffers and images are read only from
// inside the data root: the nearest folder named Data above the model, or,
// for a model in none, the model's own folder. A URI that leads out of it
// (by "..", percent-encoded or not, backslashes taken as separators, or a
// link that leads outside both it and the model's own folder), is absolute
// or names a scheme is refused, its file never read, and a warning line
// said on standard error: a refused buffer fails the model, a refused image
// leaves its textures white. Images packed in the file (a buffer view, a
// data URI) are kept with the external ones.
std::shared_ptr<VeGLTFModel> VeLoadGLTFModel(const std::string& path);
// The same from memory (fuzzing, tests); binary selects the GLB reader.
// External files are resolved against baseDir; with none, no external file
// is read.
std::shared_ptr<VeGLTFModel> VeLoadGLTFModelFromMemory(const unsigned char* data, size_t size,
                                                       bool binary, const std::string& baseDir);

class VeMesh {
public:
    VeMesh() = default;
    ~VeMesh();
    VeMesh(const VeMesh&) = delete;
    VeMesh& operator=(const VeMesh&) = delete;

    // seeThrough, when given, marks the subsets whose material may let
    // what lies behind show through (blended): their triangles keep the
    // loaded order, as a blend depends on it, so they are never split.
    bool Create(const std::vector<VeVertex>& vertices, const std::vector<VeTriangle>& triangles,
                const std::vector<VeSubset>& subsets, const std::vector<bool>& seeThrough = {});
    void Release();
    // Binds the buffers (vertex buffer 0, 32-bit indices, triangle list).
    void SetToDevice() const;
    // Draws one subset (nothing for an invalid index or an empty subset).
    void DrawSubset(size_t index) const;
    // Draws one subset count times in one draw (instanced: the program
    // tells the copies apart by instance number).
    void DrawSubsetInstanced(size_t index, int count) const;
    // Draws count triangles of the device's index buffer from first (a run
    // of chunks); nothing for a range past its end.
    void DrawTriangles(uint32_t first, uint32_t count) const;

    // Meshes made from now on split each large subset (one spanning more
    // than a cell across x or z) into chunks, by the cell of the grid over
    // x and z of the mesh's box that holds each triangle's centre; 0 splits
    // none. Small models (actors, doors, the gun) always stay whole.
    static void SetChunkCell(float size) { chunkCell_ = size; }
    static float GetChunkCell() { return chunkCell_; }
    // The chunks of one subset in drawing order (empty for an invalid
    // index). A subset left whole is one chunk with its box; a split one's
    // chunks follow each other in the index buffer, each keeping the loaded
    // order of its triangles. Only the device's buffer is reordered:
    // GetTriangles keeps the loaded order.
    const VeChunk* ChunksBegin(size_t subset) const;
    const VeChunk* ChunksEnd(size_t subset) const;

    const std::vector<VeSubset>& GetSubsets() const { return subsets_; }
    const std::vector<Vector3>& GetPositions() const { return positions_; }
    const std::vector<VeTriangle>& GetTriangles() const { return triangles_; }
    Vector3 GetBoxCenter() const { return boxCenter_; }
    Vector3 GetBoxExtents() const { return boxExtents_; }
    Vector3 GetSphereCenter() const { return sphereCenter_; }
    float GetSphereRadius() const { return sphereRadius_; }
    // The box around every vertex (invalid for a mesh without vertices),
    // and the box around the vertices each subset's triangles use, in
    // subset order: computed once when the mesh is made, for the renderer
    // to leave out what lies outside the view.
    const VeBounds& GetBounds() const { return bounds_; }
    const std::vector<VeBounds>& GetSubsetBounds() const { return subsetBounds_; }
    // True when every vertex colour has full alpha.
    bool HasOpaqueVertices() const { return opaqueVertices_; }

    // Acceleration data of the ray queries, built on first use and kept.
    // Owned by the collision layer; opaque here.
    struct RayAccel;
    RayAccel* GetRayAccel() const { return rayAccel_.get(); }
    void SetRayAccel(std::shared_ptr<RayAccel> accel) const { rayAccel_ = std::move(accel); }

private:
    bool SubsetDrawable(size_t index) const;
    bool RangeDrawable(uint64_t first, uint64_t count) const;
    // Fills chunks_ and chunkStart_; returns the triangles in the device's
    // order, or nothing when that is the loaded order.
    std::vector<VeTriangle> SplitIntoChunks(const std::vector<VeTriangle>& triangles,
                                            const std::vector<bool>& seeThrough);
    static float chunkCell_;
    std::vector<VeChunk> chunks_;
    std::vector<uint32_t> chunkStart_;  // subset s: chunks_[chunkStart_[s], chunkStart_[s + 1])
    unsigned vao_ = 0, vbo_ = 0, ibo_ = 0;
    std::vector<VeSubset> subsets_;
    Vector3 boxCenter_{0, 0, 0};
    Vector3 boxExtents_{1, 1, 1};
    Vector3 sphereCenter_{0, 0, 0};
    float sphereRadius_ = 1.0f;
    bool opaqueVertices_ = false;
    VeBounds bounds_;
    std::vector<VeBounds> subsetBounds_;
    std::vector<Vector3> positions_;
    std::vector<VeTriangle> triangles_;
    mutable std::shared_ptr<RayAccel> rayAccel_;
};

struct VeModelNode {
    std::string name;
    int index = 0;
    Matrix matrix;  // the node's local matrix (parents are not composed in)
    std::shared_ptr<VeMesh> mesh;
};

struct VeModelMaterial {
    std::string name;
    std::shared_ptr<VeTexture> baseColorTexture;
    float baseColorFactor[4] = {1, 1, 1, 1};
    std::shared_ptr<VeTexture> metallicRoughnessTexture;
    float metallicFactor = 1.0f;
    float roughnessFactor = 1.0f;
    std::shared_ptr<VeTexture> emissiveTexture;
    float emissiveFactor[3] = {0, 0, 0};
    std::shared_ptr<VeTexture> normalTexture;
};

// A picture the model's materials show that gave no texture: the image (its
// URI, or which embedded image) and why (file missing, refused, damaged,
// over the size limits).
struct VeTextureProblem {
    std::string image;
    std::string reason;
};

class VeModel {
public:
    // Replaces the contents with the file's; false (and an empty model) on
    // failure. A texture that does not load is white (the normal texture is
    // left out), noted in textureProblems; the rest of the model loads.
    bool Load(const std::string& path);
    void Release();

    std::vector<VeModelNode> nodes;
    std::vector<VeModelNode> rootNodes;
    std::vector<VeModelMaterial> materials;
    std::vector<VeTextureProblem> textureProblems;  // one per picture, in image order
};
