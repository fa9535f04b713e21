// glTF loading: conversion to the game's left-handed space, attribute
// defaults, primitive merging, sparse accessors, and robustness against
// damaged files.
#include <gtest/gtest.h>

#include <stb_image_write.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <filesystem>

#include "Framework/Model/VeModel.h"
#include "SampleModels.h"
#include "tests/Framework/Model/GltfTestFiles.h"
#include "tests/tools/datagen/DatagenTestUtil.h"

using gltftest::Builder;
using gltftest::Prim;

namespace {

std::string Path(const std::string& name) { return gltftest::ScratchDir() + "/" + name; }

std::shared_ptr<VeGLTFModel> WriteAndLoad(Builder& b, const std::string& name, bool binary = false) {
    const std::string path = Path(name);
    EXPECT_TRUE(b.Write(path, binary)) << path;
    testing::internal::CaptureStdout();
    auto model = VeLoadGLTFModel(path);
    testing::internal::GetCapturedStdout();
    return model;
}

}  // namespace

TEST(GLTFLoader, MirrorsZSwapsWindingAndFillsDefaults) {
    Builder b;
    Prim p;
    p.positions = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    p.indices = {0, 1, 2};
    b.AddNode("tri", b.AddMesh({p}));
    for (bool binary : {false, true}) {
        auto m = WriteAndLoad(b, binary ? "defaults.glb" : "defaults.gltf", binary);
        ASSERT_TRUE(m);
        ASSERT_EQ(m->allNodes.size(), 1u);
        const VeGLTFNode& n = *m->allNodes[0];
        EXPECT_TRUE(n.hasMesh);
        ASSERT_EQ(n.vertices.size(), 3u);
        EXPECT_EQ(n.vertices[0].position, Vector3(1, 2, -3));
        EXPECT_EQ(n.vertices[2].position, Vector3(7, 8, -9));
        for (const VeVertex& v : n.vertices) {
            EXPECT_EQ(v.normal, Vector3(0, 0, 0));
            EXPECT_EQ(v.uv, Vector2(0, 0));
            for (int k = 0; k < 4; ++k) EXPECT_EQ(v.color[k], 255);
        }
        ASSERT_EQ(n.triangles.size(), 1u);
        EXPECT_EQ(n.triangles[0].i0, 0u);
        EXPECT_EQ(n.triangles[0].i1, 2u);
        EXPECT_EQ(n.triangles[0].i2, 1u);
        // No materials in the file: one default material, one subset.
        ASSERT_EQ(m->materials.size(), 1u);
        EXPECT_EQ(m->materials[0].baseColorFactor[0], 1.0f);
        ASSERT_EQ(n.subsets.size(), 1u);
        EXPECT_EQ(n.subsets[0].triangleCount, 1u);
    }
}

TEST(GLTFLoader, NormalsTexcoordsAndColours) {
    Builder b;
    Prim p3;
    p3.positions = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    p3.normals = {0, 0, 1, 0, 0, 1, 0.5f, 0, -1};
    p3.uvs = {0.25f, 0.75f, 1, 0, 0, 1};
    p3.colorComponents = 3;
    p3.colors = {-0.5f, 0.5f, 2.0f, 1, 1, 1, 0, 0, 0};
    p3.indices = {0, 1, 2};
    Prim p4 = p3;
    p4.normals.clear();
    p4.uvs.clear();
    p4.colorComponents = 4;
    p4.colors = {0.2f, 1.5f, -1.0f, 0.5f, 0, 0, 0, 3.0f, 1, 1, 1, -2.0f};
    b.AddNode("rgb", b.AddMesh({p3}));
    b.AddNode("rgba", b.AddMesh({p4}));
    auto m = WriteAndLoad(b, "colours.gltf");
    ASSERT_TRUE(m);
    const VeGLTFNode& a = *m->allNodes[0];
    EXPECT_EQ(a.vertices[0].normal, Vector3(0, 0, -1));
    EXPECT_EQ(a.vertices[2].normal, Vector3(0.5f, 0, 1));
    EXPECT_EQ(a.vertices[0].uv, Vector2(0.25f, 0.75f));
    // Three components: clamped, alpha 1.
    EXPECT_EQ(a.vertices[0].color[0], 0);
    EXPECT_EQ(a.vertices[0].color[1], uint8_t(0.5f * 255.0f));
    EXPECT_EQ(a.vertices[0].color[2], 255);
    EXPECT_EQ(a.vertices[0].color[3], 255);
    EXPECT_EQ(a.vertices[2].color[0], 0);
    const VeGLTFNode& c = *m->allNodes[1];
    EXPECT_EQ(c.vertices[0].color[0], uint8_t(0.2f * 255.0f));
    EXPECT_EQ(c.vertices[0].color[1], 255);
    EXPECT_EQ(c.vertices[0].color[2], 0);
    EXPECT_EQ(c.vertices[0].color[3], uint8_t(0.5f * 255.0f));
    EXPECT_EQ(c.vertices[1].color[3], 255);
    EXPECT_EQ(c.vertices[2].color[3], 0);
}

TEST(GLTFLoader, PrimitivesSortedByMaterialWithOffsetIndices) {
    Builder b;
    b.AddMaterial("red", {1, 0, 0, 1}, "red.png");
    b.AddMaterial("green", {0, 1, 0, 0.5});
    Prim first = gltftest::Quad(0, 1);   // material 1 first in the file
    Prim second = gltftest::Quad(1, 0);  // material 0
    second.positions.insert(second.positions.end(), {5, 5, 5});
    Prim third;
    third.positions = {0, 0, 2, 1, 0, 2, 0, 1, 2};
    third.indices = {0, 1, 2};
    third.material = 1;
    b.AddNode("merged", b.AddMesh({first, second, third}));
    auto m = WriteAndLoad(b, "sorted.gltf");
    ASSERT_TRUE(m);
    ASSERT_EQ(m->materials.size(), 2u);
    EXPECT_EQ(m->materials[0].name, "red");
    EXPECT_EQ(m->materials[0].baseColorTexture, "red.png");
    EXPECT_EQ(m->materials[1].baseColorTexture, "");
    EXPECT_EQ(m->materials[1].baseColorFactor[3], 0.5f);

    const VeGLTFNode& n = *m->allNodes[0];
    ASSERT_EQ(n.subsets.size(), 3u);  // one per primitive, even with equal materials
    EXPECT_EQ(n.subsets[0].materialIndex, 0);
    EXPECT_EQ(n.subsets[0].firstTriangle, 0u);
    EXPECT_EQ(n.subsets[0].triangleCount, 2u);
    EXPECT_EQ(n.subsets[1].materialIndex, 1);
    EXPECT_EQ(n.subsets[1].firstTriangle, 2u);
    EXPECT_EQ(n.subsets[1].triangleCount, 2u);
    EXPECT_EQ(n.subsets[2].materialIndex, 1);
    EXPECT_EQ(n.subsets[2].firstTriangle, 4u);
    EXPECT_EQ(n.subsets[2].triangleCount, 1u);
    // Material-0 quad (5 vertices) comes first; the material-1 quad's
    // indices are offset by 5, the last triangle's by 9.
    ASSERT_EQ(n.vertices.size(), 12u);
    EXPECT_EQ(n.vertices[0].position.z, -1.0f);
    EXPECT_EQ(n.vertices[5].position.z, 0.0f);
    EXPECT_EQ(n.triangles[2].i0, 5u);
    EXPECT_EQ(n.triangles[2].i1, 7u);
    EXPECT_EQ(n.triangles[2].i2, 6u);
    EXPECT_EQ(n.triangles[4].i0, 9u);
    EXPECT_EQ(n.triangles[4].i1, 11u);
}

TEST(GLTFLoader, IndexComponentTypes) {
    for (int type : {TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE, TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT,
                     TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT}) {
        Builder b;
        Prim p = gltftest::Quad(0);
        p.indexType = type;
        p.indices = {3, 2, 1, 0, 1, 3};
        b.AddNode("q", b.AddMesh({p}));
        auto m = WriteAndLoad(b, "indices" + std::to_string(type) + ".glb", true);
        ASSERT_TRUE(m) << type;
        const auto& t = m->allNodes[0]->triangles;
        ASSERT_EQ(t.size(), 2u);
        EXPECT_EQ(t[0].i0, 3u);
        EXPECT_EQ(t[0].i1, 1u);
        EXPECT_EQ(t[0].i2, 2u);
        EXPECT_EQ(t[1].i0, 0u);
        EXPECT_EQ(t[1].i1, 3u);
        EXPECT_EQ(t[1].i2, 1u);
    }
}

TEST(GLTFLoader, NodeMatricesMirroredAndComposed) {
    Builder b;
    const int mesh = b.AddMesh({gltftest::Quad(0)});
    const int parent = b.AddNode("parent", -1, {10, 20, 30});
    const int child = b.AddNode("child", mesh, {1, 2, 3}, false);
    b.model.nodes[size_t(parent)].children.push_back(child);
    // A node given by a full matrix: a rotation about x plus a translation.
    tinygltf::Node matNode;
    matNode.name = "matrix";
    const double c = 0.6, s = 0.8;
    matNode.matrix = {1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 4, 5, 6, 1};
    b.model.nodes.push_back(matNode);
    b.model.scenes[0].nodes.push_back(2);
    auto m = WriteAndLoad(b, "nodes.gltf");
    ASSERT_TRUE(m);
    ASSERT_EQ(m->rootNodes.size(), 2u);
    EXPECT_EQ(m->rootNodes[0]->name, "parent");
    const VeGLTFNode& ch = *m->allNodes[size_t(child)];
    EXPECT_EQ(ch.localMatrix.Translation(), Vector3(1, 2, -3));
    EXPECT_EQ(ch.worldMatrix.Translation(), Vector3(11, 22, -33));
    const Matrix& mm = m->allNodes[2]->localMatrix;
    EXPECT_FLOAT_EQ(mm._22, float(c));
    EXPECT_FLOAT_EQ(mm._23, -float(s));  // (2,3) negated
    EXPECT_FLOAT_EQ(mm._32, float(s));   // (3,2) negated
    EXPECT_FLOAT_EQ(mm._33, float(c));
    EXPECT_EQ(mm.Translation(), Vector3(4, 5, -6));

    // The drawable model keeps local matrices only.
    VeModel model;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(model.Load(Path("nodes.gltf")));
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(model.nodes.size(), 3u);
    EXPECT_EQ(model.nodes[size_t(child)].matrix.Translation(), Vector3(1, 2, -3));
    EXPECT_TRUE(model.nodes[size_t(child)].mesh);
    EXPECT_FALSE(model.nodes[size_t(parent)].mesh);
    ASSERT_EQ(model.rootNodes.size(), 2u);
    EXPECT_EQ(model.rootNodes[1].name, "matrix");
    ASSERT_EQ(model.materials.size(), 1u);
    // Headless: no device, but every non-normal texture slot is filled.
    EXPECT_TRUE(model.materials[0].baseColorTexture);
    EXPECT_TRUE(model.materials[0].emissiveTexture);
    EXPECT_FALSE(model.materials[0].normalTexture);
    // Mesh CPU copies and bounds.
    const VeMesh& mesh0 = *model.nodes[size_t(child)].mesh;
    EXPECT_EQ(mesh0.GetPositions().size(), 4u);
    EXPECT_EQ(mesh0.GetTriangles().size(), 2u);
    EXPECT_EQ(mesh0.GetBoxCenter(), Vector3(0.5f, 0.5f, 0));
    EXPECT_EQ(mesh0.GetBoxExtents(), Vector3(0.5f, 0.5f, 0));
    EXPECT_GE(mesh0.GetSphereRadius(), 0.7071f);
}

namespace {

// Counts how often a file's contents are read, by watching it with inotify:
// an open followed by reads before its close is one read of the file (an
// open only to see whether the file exists reads nothing).
class FileReads {
public:
    explicit FileReads(const std::string& path) : fd_(inotify_init1(IN_NONBLOCK)) {
        if (fd_ >= 0) watch_ = inotify_add_watch(fd_, path.c_str(), IN_OPEN | IN_ACCESS | IN_CLOSE_NOWRITE);
    }
    ~FileReads() {
        if (fd_ >= 0) close(fd_);
    }
    bool Watching() const { return watch_ >= 0; }
    int Count() {
        alignas(inotify_event) char buffer[4096];
        ssize_t n;
        while ((n = read(fd_, buffer, sizeof(buffer))) > 0) {
            for (char* p = buffer; p < buffer + n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(p);
                if (e->mask & IN_OPEN) readSinceOpen_ = false;
                if (e->mask & IN_ACCESS) readSinceOpen_ = true;
                if ((e->mask & IN_CLOSE_NOWRITE) && readSinceOpen_) {
                    ++reads_;
                    readSinceOpen_ = false;
                }
                p += sizeof(inotify_event) + e->len;
            }
        }
        return reads_;
    }

private:
    int fd_ = -1;
    int watch_ = -1;
    int reads_ = 0;
    bool readSinceOpen_ = false;
};

}  // namespace

// A model's image files are read from disk once each, however many material
// slots name them; an empty or damaged image gives its slots the white
// fallback while the geometry and the other textures still load.
TEST(GLTFLoader, EachImageFileIsReadOnceAndABadImageSparesTheModel) {
    const std::string dir = gltftest::ScratchDir() + "/images";
    std::filesystem::create_directories(dir);
    const unsigned char red[24] = {255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255,
                                   255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255};
    ASSERT_NE(stbi_write_png((dir + "/good.png").c_str(), 2, 3, 4, red, 8), 0);
    ASSERT_NE(stbi_write_png((dir + "/cut.png").c_str(), 2, 3, 4, red, 8), 0);
    std::filesystem::resize_file(dir + "/cut.png", std::filesystem::file_size(dir + "/cut.png") / 2);
    gltftest::WriteFile(dir + "/empty.png", {});

    Builder b;
    const int good = b.AddMaterial("good", {}, "good.png");
    // A second material on the same picture, which is also its glow.
    tinygltf::Material again;
    again.name = "again";
    again.pbrMetallicRoughness.baseColorTexture.index = b.model.materials[size_t(good)].pbrMetallicRoughness.baseColorTexture.index;
    again.emissiveTexture.index = again.pbrMetallicRoughness.baseColorTexture.index;
    b.model.materials.push_back(again);
    const int empty = b.AddMaterial("empty", {}, "empty.png");
    const int cut = b.AddMaterial("cut", {}, "cut.png");
    b.AddNode("q", b.AddMesh({gltftest::Quad(0, good), gltftest::Quad(1, empty), gltftest::Quad(2, cut)}));
    ASSERT_TRUE(b.Write(dir + "/pictures.gltf", false));

    FileReads reads(dir + "/good.png");
    ASSERT_TRUE(reads.Watching());
    VeModel model;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(model.Load(dir + "/pictures.gltf"));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(reads.Count(), 1);

    ASSERT_EQ(model.nodes.size(), 1u);
    ASSERT_TRUE(model.nodes[0].mesh);
    EXPECT_EQ(model.nodes[0].mesh->GetTriangles().size(), 6u);
    ASSERT_EQ(model.materials.size(), 4u);
    const auto& picture = model.materials[size_t(good)].baseColorTexture;
    ASSERT_TRUE(picture);
    EXPECT_TRUE(picture->IsValid());
    EXPECT_EQ(picture->GetHeight(), 3);
    EXPECT_EQ(model.materials[1].baseColorTexture, picture);
    EXPECT_EQ(model.materials[1].emissiveTexture, picture);
    // Headless the white fallback is an empty texture: drawn as white.
    for (int bad : {empty, cut}) {
        ASSERT_TRUE(model.materials[size_t(bad)].baseColorTexture) << bad;
        EXPECT_FALSE(model.materials[size_t(bad)].baseColorTexture->IsValid()) << bad;
    }
}

TEST(GLTFLoader, MessagesAndMissingFile) {
    testing::internal::CaptureStdout();
    auto m = VeLoadGLTFModel(Path("does_not_exist.gltf"));
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(m);
    EXPECT_EQ(out.rfind("Reading ASCII glTF\n", 0), 0u) << out;
    EXPECT_NE(out.find("Err: "), std::string::npos);
    EXPECT_NE(out.find("Failed to parse glTF\n"), std::string::npos);

    testing::internal::CaptureStdout();
    m = VeLoadGLTFModel(Path("does_not_exist.glb"));
    out = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(m);
    EXPECT_EQ(out.rfind("Reading binary glTF\n", 0), 0u) << out;

    VeModel model;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(model.Load(Path("does_not_exist.gltf")));
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(model.nodes.empty());
    EXPECT_TRUE(model.materials.empty());

    // A GLB file under an extension other than "glb" is read as ASCII and fails.
    Builder b;
    b.AddNode("q", b.AddMesh({gltftest::Quad(0)}));
    ASSERT_TRUE(b.Write(Path("binary_named.gltf"), true));
    testing::internal::CaptureStdout();
    m = VeLoadGLTFModel(Path("binary_named.gltf"));
    out = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(m);
    EXPECT_EQ(out.rfind("Reading ASCII glTF\n", 0), 0u) << out;
}

// ---- damaged input: every case must give an empty model, never a crash.

namespace {

std::shared_ptr<VeGLTFModel> LoadMutated(void (*mutate)(tinygltf::Model&), bool binary) {
    Builder b;
    Prim p = gltftest::Quad(0);
    p.normals = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1};
    b.AddNode("q", b.AddMesh({p}));
    mutate(b.model);
    const std::string path = Path(binary ? "mutated.glb" : "mutated.gltf");
    if (!b.Write(path, binary)) return nullptr;
    testing::internal::CaptureStdout();
    auto m = VeLoadGLTFModel(path);
    testing::internal::GetCapturedStdout();
    return m;
}

}  // namespace

TEST(GLTFLoader, DamagedFilesGiveEmptyModels) {
    struct Case {
        const char* name;
        void (*mutate)(tinygltf::Model&);
    };
    const Case cases[] = {
        {"accessor index out of range", [](tinygltf::Model& m) { m.meshes[0].primitives[0].attributes["POSITION"] = 99; }},
        {"accessor count past its view", [](tinygltf::Model& m) { m.accessors[0].count = 1000; }},
        {"absurd accessor count", [](tinygltf::Model& m) { m.accessors[0].count = size_t(1) << 40; }},
        {"accessor offset past its view", [](tinygltf::Model& m) { m.accessors[0].byteOffset = 400; }},
        {"buffer view past its buffer", [](tinygltf::Model& m) { m.bufferViews[0].byteOffset = 1u << 20; }},
        {"buffer view length past its buffer", [](tinygltf::Model& m) { m.bufferViews[0].byteLength = 1u << 20; }},
        {"buffer view index out of range", [](tinygltf::Model& m) { m.accessors[0].bufferView = 77; }},
        {"stride smaller than element", [](tinygltf::Model& m) { m.bufferViews[0].byteStride = 4; }},
        {"huge stride", [](tinygltf::Model& m) { m.bufferViews[0].byteStride = 252; }},
        {"index past the vertex count", [](tinygltf::Model& m) {
             auto& buf = m.buffers[0].data;
             const auto& view = m.bufferViews[size_t(m.accessors[size_t(m.meshes[0].primitives[0].indices)].bufferView)];
             uint32_t bad = 4;
             std::memcpy(&buf[view.byteOffset + 4], &bad, 4);
         }},
        {"float indices", [](tinygltf::Model& m) { m.accessors[size_t(m.meshes[0].primitives[0].indices)].componentType = TINYGLTF_COMPONENT_TYPE_FLOAT; }},
        {"normal count differs", [](tinygltf::Model& m) { m.accessors[1].count = 2; }},
        {"POSITION as a scalar", [](tinygltf::Model& m) { m.accessors[0].type = TINYGLTF_TYPE_SCALAR; }},
        {"material out of range", [](tinygltf::Model& m) { m.meshes[0].primitives[0].material = 5; }},
        {"mesh out of range", [](tinygltf::Model& m) { m.nodes[0].mesh = 3; }},
        {"child out of range", [](tinygltf::Model& m) { m.nodes[0].children.push_back(9); }},
        {"node cycle", [](tinygltf::Model& m) {
             tinygltf::Node n;
             n.children = {0};
             m.nodes.push_back(n);
             m.nodes[0].children.push_back(1);
         }},
        {"scene node out of range", [](tinygltf::Model& m) { m.scenes[0].nodes.push_back(42); }},
    };
    for (bool binary : {false, true}) {
        for (const Case& c : cases) {
            auto m = LoadMutated(c.mutate, binary);
            EXPECT_FALSE(m) << c.name << (binary ? " (glb)" : " (gltf)");
        }
    }
    // The unmodified file loads (the cases above fail for their fault alone).
    auto ok = LoadMutated([](tinygltf::Model&) {}, true);
    ASSERT_TRUE(ok);
    EXPECT_EQ(ok->allNodes[0]->triangles.size(), 2u);
}

TEST(GLTFLoader, TruncatedAndGarbageBinaryFromMemory) {
    Builder b;
    b.AddNode("q", b.AddMesh({gltftest::Quad(0)}));
    const std::string path = Path("whole.glb");
    ASSERT_TRUE(b.Write(path, true));
    const std::vector<unsigned char> bytes = gltftest::ReadFile(path);
    ASSERT_GT(bytes.size(), 40u);
    testing::internal::CaptureStdout();
    ASSERT_TRUE(VeLoadGLTFModelFromMemory(bytes.data(), bytes.size(), true, ""));
    for (size_t cut : {size_t(0), size_t(11), size_t(20), bytes.size() / 2, bytes.size() - 1}) {
        EXPECT_FALSE(VeLoadGLTFModelFromMemory(bytes.data(), cut, true, "")) << cut;
        // The same truncated file on disk.
        gltftest::WriteFile(Path("truncated.glb"), std::vector<unsigned char>(bytes.begin(), bytes.begin() + long(cut)));
        EXPECT_FALSE(VeLoadGLTFModel(Path("truncated.glb"))) << cut;
    }
    const std::string garbage = "{\"asset\":{\"version\":\"2.0\"},\"nodes\":[{\"mesh\":0}],\"meshes\":[{\"primitives\":[{\"attributes\":{\"POSITION\":0}}]}]";
    EXPECT_FALSE(VeLoadGLTFModelFromMemory(reinterpret_cast<const unsigned char*>(garbage.data()), garbage.size(), false, ""));
    // Without a base directory, a memory model may not pull in external files.
    const std::string external = "{\"asset\":{\"version\":\"2.0\"},\"buffers\":[{\"uri\":\"/etc/hostname\",\"byteLength\":1}]}";
    EXPECT_FALSE(VeLoadGLTFModelFromMemory(reinterpret_cast<const unsigned char*>(external.data()), external.size(), false, ""));
    testing::internal::GetCapturedStdout();
}

// ---- sparse accessors: the values replace the base elements at their
// indices, with every part checked like any accessor.

namespace {

// Appends raw bytes to the builder's buffer as a view of their own.
int AddView(Builder& b, const void* data, size_t bytes) {
    std::vector<unsigned char>& buf = b.model.buffers[0].data;
    while (buf.size() % 4) buf.push_back(0);
    tinygltf::BufferView view;
    view.buffer = 0;
    view.byteOffset = buf.size();
    view.byteLength = bytes;
    buf.insert(buf.end(), static_cast<const unsigned char*>(data), static_cast<const unsigned char*>(data) + bytes);
    b.model.bufferViews.push_back(view);
    return int(b.model.bufferViews.size()) - 1;
}

// The quad with corners 1 and 3 of its positions moved by sparse values,
// after mutate has had its way with the accessor.
std::shared_ptr<VeGLTFModel> LoadSparse(void (*mutate)(Builder&, tinygltf::Accessor&)) {
    Builder b;
    b.AddNode("q", b.AddMesh({gltftest::Quad(0)}));
    tinygltf::Accessor& positions = b.model.accessors[0];
    const uint8_t indices[2] = {1, 3};
    const float values[6] = {2, 0, 0.5f, 0, 3, -0.25f};
    positions.sparse.isSparse = true;
    positions.sparse.count = 2;
    positions.sparse.indices.bufferView = AddView(b, indices, sizeof indices);
    positions.sparse.indices.byteOffset = 0;
    positions.sparse.indices.componentType = TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE;
    positions.sparse.values.bufferView = AddView(b, values, sizeof values);
    positions.sparse.values.byteOffset = 0;
    mutate(b, b.model.accessors[0]);
    return WriteAndLoad(b, "sparse.glb", true);
}

}  // namespace

TEST(GLTFLoader, SparseValuesReplaceTheirElements) {
    // The sample model the data generator writes: its moved corners are
    // where the file puts them (mirrored in z like every position).
    datagentest::ScratchDir dir("sparse");
    ASSERT_TRUE(datagen::WriteSampleModels(dir.path.string()));
    testing::internal::CaptureStdout();
    auto sample = VeLoadGLTFModel(dir / "sparse_quad.gltf");
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(sample);
    ASSERT_EQ(sample->allNodes[0]->vertices.size(), 4u);
    const Vector3 file[4] = {{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}};
    for (int v = 0; v < 4; ++v) {
        Vector3 want = file[v];
        for (int k = 0; k < 2; ++k)
            if (datagen::samples::SparseMovedCorners()[k] == v) want = datagen::samples::SparseMovedPositions()[k];
        EXPECT_EQ(sample->allNodes[0]->vertices[size_t(v)].position, Vector3(want.x, want.y, -want.z)) << v;
    }

    auto moved = LoadSparse([](Builder&, tinygltf::Accessor&) {});
    ASSERT_TRUE(moved);
    const std::vector<VeVertex>& v = moved->allNodes[0]->vertices;
    EXPECT_EQ(v[0].position, Vector3(0, 0, 0));
    EXPECT_EQ(v[1].position, Vector3(2, 0, -0.5f));
    EXPECT_EQ(v[2].position, Vector3(1, 1, 0));
    EXPECT_EQ(v[3].position, Vector3(0, 3, 0.25f));
    // Without a buffer view the base elements are zero.
    auto zeros = LoadSparse([](Builder&, tinygltf::Accessor& a) { a.bufferView = -1; });
    ASSERT_TRUE(zeros);
    EXPECT_EQ(zeros->allNodes[0]->vertices[0].position, Vector3(0, 0, 0));
    EXPECT_EQ(zeros->allNodes[0]->vertices[3].position, Vector3(0, 3, 0.25f));

    struct Case {
        const char* name;
        void (*mutate)(Builder&, tinygltf::Accessor&);
    } damaged[] = {
        {"index past the elements", [](Builder& b, tinygltf::Accessor& a) {
             b.model.buffers[0].data[b.model.bufferViews[size_t(a.sparse.indices.bufferView)].byteOffset + 1] = 4;
         }},
        {"indices that do not rise", [](Builder& b, tinygltf::Accessor& a) {
             b.model.buffers[0].data[b.model.bufferViews[size_t(a.sparse.indices.bufferView)].byteOffset + 1] = 1;
         }},
        {"more values than elements", [](Builder&, tinygltf::Accessor& a) { a.sparse.count = 5; }},
        {"values past their view", [](Builder&, tinygltf::Accessor& a) { a.sparse.values.byteOffset = 4; }},
        {"indices past their view", [](Builder&, tinygltf::Accessor& a) { a.sparse.indices.byteOffset = 1; }},
        {"index view out of range", [](Builder&, tinygltf::Accessor& a) { a.sparse.indices.bufferView = 40; }},
        {"float indices", [](Builder&, tinygltf::Accessor& a) {
             a.sparse.indices.componentType = TINYGLTF_COMPONENT_TYPE_FLOAT;
         }},
        {"view past its buffer", [](Builder& b, tinygltf::Accessor& a) {
             b.model.bufferViews[size_t(a.sparse.values.bufferView)].byteLength = 1 << 20;
         }},
    };
    for (const Case& c : damaged) EXPECT_FALSE(LoadSparse(c.mutate)) << c.name;
}
