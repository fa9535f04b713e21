// The generator's glTF writer against the game's own loader: what was built
// comes back unchanged (positions, normals, uvs, colours, winding, node
// matrices, materials), and the files are stable and self-consistent.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "Framework/Model/VeModel.h"
#include "Image.h"
#include "MeshBuilder.h"
#include "tests/tools/datagen/DatagenTestUtil.h"

using namespace datagen;

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

Model TwoNodeModel() {
    Model model;
    Material a;
    a.name = "painted";
    a.baseColor = {0.5f, 0.25f, 1.0f, 1.0f};
    a.metallic = 0.0f;
    a.roughness = 0.75f;
    a.baseColorTexture = "painted.png";
    Material b;
    b.name = "glow";
    b.emissive = {1.0f, 0.5f, 0.0f};
    b.emissiveTexture = "glow.png";
    b.blend = true;
    b.doubleSided = true;
    b.baseColor = {1, 1, 1, 0.3f};
    model.AddMaterial(a);
    model.AddMaterial(b);

    Node root;
    root.name = "root";
    root.mesh.Use(0);
    root.mesh.AddBox({-1, 0, 2}, {1, 3, 4}, 0.5f, {0.2f, 0.4f, 0.6f, 1.0f});
    root.mesh.Use(1);
    root.mesh.AddTube({0, 0, 0}, {1, 2, 3}, 0.5f, 0.25f, 7, {1.0f, 0.5f, 0.25f, 0.5f});
    root.local = Matrix::CreateRotationY(0.6f) * Matrix::CreateTranslation(1, 2, 3);
    model.nodes.push_back(root);

    Node child;
    child.name = "child";
    child.parent = 0;
    child.mesh.Use(1);
    child.mesh.AddSphere({0, 1, 0}, {1, 1, 1}, 6, 4);
    child.local = Matrix::CreateRotationX(-0.3f) * Matrix::CreateTranslation(0, 0, 5);
    model.nodes.push_back(child);
    return model;
}

void ExpectNodeMatches(const Node& built, const VeGLTFNode& loaded) {
    SCOPED_TRACE(built.name);
    EXPECT_EQ(loaded.name, built.name);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(loaded.localMatrix.m[r][c], built.local.m[r][c], 1e-6f);
    ASSERT_EQ(loaded.subsets.size(), built.mesh.Primitives().size());
    size_t sub = 0;
    for (const Primitive& prim : built.mesh.Primitives()) {
        const VeSubset& s = loaded.subsets[sub++];
        EXPECT_EQ(s.materialIndex, prim.material);
        ASSERT_EQ(s.triangleCount * 3, prim.indices.size());
        // The loader appends primitives in material order; find this one's first vertex.
        const uint32_t base = loaded.triangles[s.firstTriangle].i0 - prim.indices[0];
        for (size_t t = 0; t < s.triangleCount; ++t) {
            const VeTriangle& tri = loaded.triangles[s.firstTriangle + t];
            EXPECT_EQ(tri.i0, base + prim.indices[t * 3 + 0]);
            EXPECT_EQ(tri.i1, base + prim.indices[t * 3 + 1]);
            EXPECT_EQ(tri.i2, base + prim.indices[t * 3 + 2]);
        }
        for (size_t i = 0; i < prim.vertices.size(); ++i) {
            const Vtx& v = prim.vertices[i];
            const VeVertex& w = loaded.vertices[base + i];
            EXPECT_EQ(w.position, v.p);
            EXPECT_EQ(w.normal, v.n);
            EXPECT_EQ(w.uv, v.uv);
            const float c[4] = {v.c.x, v.c.y, v.c.z, v.c.w};
            // Colours come back as bytes (within one step).
            for (int k = 0; k < 4; ++k) EXPECT_NEAR(w.color[k], c[k] * 255.0f, 1.0f);
        }
    }
}

}  // namespace

TEST(GltfWriter, GameLoaderGetsBackWhatWasBuilt) {
    datagentest::ScratchDir dir("roundtrip");
    const Model model = TwoNodeModel();
    ASSERT_TRUE(WritePng(dir / "sub/painted.png", Image(4, 4, {200, 100, 50, 255})));
    ASSERT_TRUE(WritePng(dir / "sub/glow.png", Image(4, 4, {255, 255, 255, 255})));
    ASSERT_TRUE(WriteGltf(dir / "sub/model.gltf", model));
    ASSERT_TRUE(std::filesystem::exists(dir / "sub/model.bin"));

    auto loaded = VeLoadGLTFModel(dir / "sub/model.gltf");
    ASSERT_TRUE(loaded);
    ASSERT_EQ(loaded->allNodes.size(), 2u);
    ASSERT_EQ(loaded->rootNodes.size(), 1u);
    EXPECT_EQ(loaded->rootNodes[0]->name, "root");
    ASSERT_EQ(loaded->rootNodes[0]->children.size(), 1u);
    EXPECT_EQ(loaded->rootNodes[0]->children[0]->name, "child");
    ExpectNodeMatches(model.nodes[0], *loaded->allNodes[0]);
    ExpectNodeMatches(model.nodes[1], *loaded->allNodes[1]);

    ASSERT_EQ(loaded->materials.size(), 2u);
    const VeGLTFMaterial& a = loaded->materials[0];
    EXPECT_EQ(a.name, "painted");
    EXPECT_FLOAT_EQ(a.metallicFactor, 0.0f);
    EXPECT_FLOAT_EQ(a.roughnessFactor, 0.75f);
    EXPECT_FLOAT_EQ(a.baseColorFactor[1], 0.25f);
    EXPECT_EQ(a.baseColorTexture, "painted.png");
    EXPECT_EQ(a.alphaMode, "OPAQUE");
    const VeGLTFMaterial& b = loaded->materials[1];
    EXPECT_EQ(b.alphaMode, "BLEND");
    EXPECT_TRUE(b.doubleSided);
    EXPECT_FLOAT_EQ(b.emissiveFactor[0], 1.0f);
    EXPECT_FLOAT_EQ(b.emissiveFactor[1], 0.5f);
    EXPECT_EQ(b.emissiveTexture, "glow.png");
    EXPECT_FLOAT_EQ(b.roughnessFactor, 0.8f);  // the Material default, written explicitly
    EXPECT_FLOAT_EQ(b.metallicFactor, 0.0f);
}

TEST(GltfWriter, FilesAreStableAndCarryWhatValidatorsNeed) {
    datagentest::ScratchDir dir("stable");
    const Model model = TwoNodeModel();
    ASSERT_TRUE(WriteGltf(dir / "a/model.gltf", model));
    ASSERT_TRUE(WriteGltf(dir / "b/model.gltf", model));
    EXPECT_EQ(ReadAll(dir / "a/model.gltf"), ReadAll(dir / "b/model.gltf"));
    EXPECT_EQ(ReadAll(dir / "a/model.bin"), ReadAll(dir / "b/model.bin"));

    const auto json = nlohmann::json::parse(ReadAll(dir / "a/model.gltf"));
    EXPECT_EQ(json["asset"]["version"], "2.0");
    EXPECT_EQ(json["buffers"][0]["uri"], "model.bin");
    EXPECT_EQ(json["buffers"][0]["byteLength"].get<size_t>(), ReadAll(dir / "a/model.bin").size());
    for (const auto& mat : json["materials"]) {
        EXPECT_TRUE(mat["pbrMetallicRoughness"].contains("metallicFactor")) << mat.dump();
        EXPECT_TRUE(mat["pbrMetallicRoughness"].contains("roughnessFactor")) << mat.dump();
    }
    // POSITION accessors carry bounds that match the mirrored data; colours are float VEC4.
    for (const auto& mesh : json["meshes"])
        for (const auto& prim : mesh["primitives"]) {
            const auto& pos = json["accessors"][prim["attributes"]["POSITION"].get<int>()];
            ASSERT_TRUE(pos.contains("min") && pos.contains("max"));
            EXPECT_EQ(pos["min"].size(), 3u);
            const auto& col = json["accessors"][prim["attributes"]["COLOR_0"].get<int>()];
            EXPECT_EQ(col["type"], "VEC4");
            EXPECT_EQ(col["componentType"], 5126);
        }
    const auto& rootPos = json["accessors"][json["meshes"][0]["primitives"][0]["attributes"]["POSITION"].get<int>()];
    // The box spans z 2..4 in game space, so -4..-2 in the file.
    EXPECT_FLOAT_EQ(rootPos["min"][2].get<float>(), -4.0f);
    EXPECT_FLOAT_EQ(rootPos["max"][2].get<float>(), -2.0f);
}

TEST(GltfWriter, RejectsBrokenModelsAndUnwritablePaths) {
    datagentest::ScratchDir dir("reject");
    Model bad = TwoNodeModel();
    bad.nodes[0].mesh.Primitives()[0].material = 7;  // no such material
    testing::internal::CaptureStderr();
    EXPECT_FALSE(WriteGltf(dir / "bad.gltf", bad));

    Model outOfRange = TwoNodeModel();
    outOfRange.nodes[1].mesh.Primitives()[0].indices[0] = 100000;
    EXPECT_FALSE(WriteGltf(dir / "range.gltf", outOfRange));

    // A file where a folder must go.
    std::ofstream(dir / "blocker") << "x";
    EXPECT_FALSE(WriteGltf(dir / "blocker/model.gltf", TwoNodeModel()));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("missing material"), std::string::npos) << err;
    EXPECT_NE(err.find("out of range"), std::string::npos) << err;
}

TEST(GltfWriter, ModelWithoutGeometryStillLoads) {
    datagentest::ScratchDir dir("empty");
    Model model;
    model.AddMaterial(Material{});
    Node n;
    n.name = "marker";
    n.local = Matrix::CreateTranslation(1, 2, 3);
    model.nodes.push_back(n);
    ASSERT_TRUE(WriteGltf(dir / "m.gltf", model));
    auto loaded = VeLoadGLTFModel(dir / "m.gltf");
    ASSERT_TRUE(loaded);
    ASSERT_EQ(loaded->allNodes.size(), 1u);
    EXPECT_FALSE(loaded->allNodes[0]->hasMesh);
    EXPECT_FLOAT_EQ(loaded->allNodes[0]->localMatrix._43, 3.0f);
}
