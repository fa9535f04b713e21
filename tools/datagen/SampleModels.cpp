// Small models in the forms modelling tools export them, for the tests, the
// contact sheet's checks and the glTF validator; not part of the game's data.
#include "SampleModels.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include <tiny_gltf.h>

#include "DataGen.h"
#include "Image.h"

namespace datagen {
namespace samples {

namespace {

// A solid colour in a frame of one dark texel, so that the middle of a face
// shows the colour alone.
Image Framed(Rgba colour) {
    Image image(8, 8, colour);
    for (int i = 0; i < 8; ++i) {
        for (int edge : {0, 7}) {
            image.Set(i, edge, {30, 30, 30, 255});
            image.Set(edge, i, {30, 30, 30, 255});
        }
    }
    return image;
}

Material Plain(const char* name, Vector4 colour) {
    Material m;
    m.name = name;
    m.baseColor = colour;
    m.roughness = 0.8f;
    return m;
}

// A one-sided flat shape facing -z in the game (+z in the file, as a
// modelling tool's flat model faces), with the given colour.
Model Flat(const char* name, const std::vector<Vector3>& corners, Vector4 colour) {
    Mesh mesh;
    mesh.Use(0);
    const Vector3 normal(0, 0, -1);
    std::vector<uint32_t> at;
    for (const Vector3& p : corners) at.push_back(mesh.AddVertex({p, {p.x, 1.0f - p.y}, normal}));
    // Clockwise as seen from -z: up the left edge, then across.
    mesh.AddTriangle(at[0], at[1], at[2]);
    if (at.size() == 4) mesh.AddTriangle(at[0], at[2], at[3]);
    return Model::Single(name, {Plain(name, colour)}, mesh);
}

bool WriteSparseQuad(const std::string& path) {
    // A quad in the file's own coordinates (facing +z there), whose corners
    // 1 and 2 are moved by sparse values.
    const float base[12] = {0, 0, 0, 0, 1, 0, 1, 1, 0, 1, 0, 0};
    const uint16_t moved[2] = {SparseMovedCorners()[0], SparseMovedCorners()[1]};
    const Vector3 values[2] = {SparseMovedPositions()[0], SparseMovedPositions()[1]};
    // Counter-clockwise seen from +z.
    const uint16_t indices[6] = {0, 3, 2, 0, 2, 1};

    tinygltf::Model out;
    out.asset.version = "2.0";
    out.asset.generator = "morvane_datagen";
    tinygltf::Buffer buffer;
    auto add = [&buffer, &out](const void* data, size_t bytes, int target) {
        while (buffer.data.size() % 4) buffer.data.push_back(0);
        tinygltf::BufferView view;
        view.buffer = 0;
        view.byteOffset = buffer.data.size();
        view.byteLength = bytes;
        view.target = target;
        buffer.data.insert(buffer.data.end(), static_cast<const unsigned char*>(data),
                           static_cast<const unsigned char*>(data) + bytes);
        out.bufferViews.push_back(view);
        return int(out.bufferViews.size()) - 1;
    };
    tinygltf::Accessor position;
    position.bufferView = add(base, sizeof base, TINYGLTF_TARGET_ARRAY_BUFFER);
    position.componentType = TINYGLTF_COMPONENT_TYPE_FLOAT;
    position.count = 4;
    position.type = TINYGLTF_TYPE_VEC3;
    position.sparse.isSparse = true;
    position.sparse.count = 2;
    position.sparse.indices.bufferView = add(moved, sizeof moved, 0);
    position.sparse.indices.byteOffset = 0;
    position.sparse.indices.componentType = TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT;
    float valueFloats[6];
    for (int i = 0; i < 2; ++i) {
        valueFloats[i * 3] = values[i].x;
        valueFloats[i * 3 + 1] = values[i].y;
        valueFloats[i * 3 + 2] = values[i].z;
    }
    position.sparse.values.bufferView = add(valueFloats, sizeof valueFloats, 0);
    position.sparse.values.byteOffset = 0;
    // The bounds are those of the positions with the sparse values applied.
    float applied[12];
    std::memcpy(applied, base, sizeof base);
    for (int i = 0; i < 2; ++i) std::memcpy(applied + moved[i] * 3, valueFloats + i * 3, 3 * sizeof(float));
    position.minValues = {1e9, 1e9, 1e9};
    position.maxValues = {-1e9, -1e9, -1e9};
    for (int v = 0; v < 4; ++v)
        for (int c = 0; c < 3; ++c) {
            position.minValues[size_t(c)] = std::fmin(position.minValues[size_t(c)], applied[v * 3 + c]);
            position.maxValues[size_t(c)] = std::fmax(position.maxValues[size_t(c)], applied[v * 3 + c]);
        }
    out.accessors.push_back(position);
    tinygltf::Accessor index;
    index.bufferView = add(indices, sizeof indices, TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
    index.componentType = TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT;
    index.count = 6;
    index.type = TINYGLTF_TYPE_SCALAR;
    out.accessors.push_back(index);
    out.buffers.push_back(buffer);

    tinygltf::Material material;
    material.name = "sparse";
    material.pbrMetallicRoughness.baseColorFactor = {0.6, 0.3, 0.8, 1.0};
    material.pbrMetallicRoughness.metallicFactor = 0.0;
    material.pbrMetallicRoughness.roughnessFactor = 0.8;
    out.materials.push_back(material);
    tinygltf::Primitive primitive;
    primitive.attributes["POSITION"] = 0;
    primitive.indices = 1;
    primitive.material = 0;
    primitive.mode = TINYGLTF_MODE_TRIANGLES;
    tinygltf::Mesh mesh;
    mesh.name = "sparse_quad";
    mesh.primitives.push_back(primitive);
    out.meshes.push_back(mesh);
    tinygltf::Node node;
    node.name = "sparse_quad";
    node.mesh = 0;
    out.nodes.push_back(node);
    tinygltf::Scene scene;
    scene.nodes.push_back(0);
    out.scenes.push_back(scene);
    out.defaultScene = 0;

    tinygltf::TinyGLTF writer;
    writer.SetImageWriter(nullptr, nullptr);
    if (!EnsureParentDir(path) || !writer.WriteGltfSceneToFile(&out, path, false, false, true, false)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace

const Rgba kFaceColour{235, 120, 20, 255};
const Rgba kSideColour{20, 160, 150, 255};

Model TexturedCube() {
    Model model;
    Material face = Plain("face", {1, 1, 1, 1});
    face.baseColorTexture = "face.png";
    Material side = Plain("side", {1, 1, 1, 1});
    side.baseColorTexture = "side.png";
    model.AddMaterial(face);
    model.AddMaterial(side);
    Node node;
    node.name = "cube";
    // The faces across z (the front and the back) show face.png, the other
    // four side.png.
    Mesh box;
    box.AddBox({-0.5f, -0.5f, -0.5f}, {0.5f, 0.5f, 0.5f});
    for (const Primitive& p : box.Primitives()) {
        for (size_t t = 0; t + 2 < p.indices.size(); t += 3) {
            node.mesh.Use(std::fabs(p.vertices[p.indices[t]].n.z) > 0.5f ? 0 : 1);
            uint32_t corner[3];
            for (int k = 0; k < 3; ++k) corner[k] = node.mesh.AddVertex(p.vertices[p.indices[t + size_t(k)]]);
            node.mesh.AddTriangle(corner[0], corner[1], corner[2]);
        }
    }
    model.nodes.push_back(node);
    return model;
}

EmbeddedImages CubePictures() {
    return {{"face.png", EncodePng(Framed(kFaceColour))}, {"side.png", EncodePng(Framed(kSideColour))}};
}

const uint16_t* SparseMovedCorners() {
    static const uint16_t corners[2] = {1, 2};
    return corners;
}

const Vector3* SparseMovedPositions() {
    static const Vector3 positions[2] = {Vector3(-0.25f, 1.25f, 0.0f), Vector3(1.5f, 1.5f, 0.25f)};
    return positions;
}

}  // namespace samples

bool WriteSampleModels(const std::string& outDir) {
    using namespace samples;
    bool ok = true;
    const EmbeddedImages pictures = CubePictures();
    ok = WriteGltf(outDir + "/packed_cube.glb", TexturedCube(), &pictures) && ok;
    ok = WriteGltf(outDir + "/data_uri_cube.gltf", TexturedCube(), &pictures) && ok;
    ok = WriteGltf(outDir + "/flat_triangle.gltf",
                   Flat("flat_triangle", {{0, 0, 0}, {0, 1, 0}, {1, 0, 0}}, {0.85f, 0.15f, 0.1f, 1})) && ok;
    ok = WriteGltf(outDir + "/flat_quad.gltf",
                   Flat("flat_quad", {{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}}, {0.2f, 0.75f, 0.2f, 1})) && ok;
    ok = WriteGltf(outDir + "/thin_triangle.gltf",
                   Flat("thin_triangle", {{0, 0, 0}, {0, 1, 0}, {1, 0, -0.1f}}, {0.2f, 0.35f, 0.9f, 1})) && ok;
    ok = WriteSparseQuad(outDir + "/sparse_quad.gltf") && ok;
    return ok;
}

}  // namespace datagen
