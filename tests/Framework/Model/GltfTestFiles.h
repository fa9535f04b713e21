// Writes small glTF / GLB files for the tests with tinygltf's writer.
#pragma once

#include <stb_image_write.h>
#include <tiny_gltf.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <algorithm>
#include <iterator>
#include <fstream>
#include <string>
#include <vector>

namespace gltftest {

struct Prim {
    std::vector<float> positions;  // xyz per vertex
    std::vector<float> normals;    // optional
    std::vector<float> uvs;        // optional
    std::vector<float> colors;     // optional, colorComponents per vertex
    int colorComponents = 4;
    std::vector<uint32_t> indices;
    int indexType = TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT;
    int material = -1;
};

class Builder {
public:
    Builder() {
        model.asset.version = "2.0";
        model.buffers.emplace_back();
        model.scenes.emplace_back();
        model.defaultScene = 0;
    }

    int AddAccessor(const void* data, size_t bytes, size_t count, int type, int componentType) {
        std::vector<unsigned char>& buf = model.buffers[0].data;
        while (buf.size() % 4) buf.push_back(0);
        tinygltf::BufferView view;
        view.buffer = 0;
        view.byteOffset = buf.size();
        view.byteLength = bytes;
        buf.insert(buf.end(), static_cast<const unsigned char*>(data), static_cast<const unsigned char*>(data) + bytes);
        model.bufferViews.push_back(view);
        tinygltf::Accessor acc;
        acc.bufferView = int(model.bufferViews.size() - 1);
        acc.componentType = componentType;
        acc.count = count;
        acc.type = type;
        model.accessors.push_back(acc);
        return int(model.accessors.size() - 1);
    }

    int AddFloats(const std::vector<float>& v, int components) {
        const int type = components == 2 ? TINYGLTF_TYPE_VEC2 : components == 3 ? TINYGLTF_TYPE_VEC3 : TINYGLTF_TYPE_VEC4;
        int a = AddAccessor(v.data(), v.size() * 4, v.size() / size_t(components), type, TINYGLTF_COMPONENT_TYPE_FLOAT);
        if (components == 3 && !v.empty()) {
            // POSITION accessors need min/max to be valid glTF.
            std::vector<double> mn(3, 1e30), mx(3, -1e30);
            for (size_t i = 0; i < v.size(); ++i) {
                mn[i % 3] = std::min(mn[i % 3], double(v[i]));
                mx[i % 3] = std::max(mx[i % 3], double(v[i]));
            }
            model.accessors[size_t(a)].minValues = mn;
            model.accessors[size_t(a)].maxValues = mx;
        }
        return a;
    }

    int AddIndices(const std::vector<uint32_t>& idx, int componentType) {
        std::vector<unsigned char> bytes;
        for (uint32_t i : idx) {
            if (componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE) {
                bytes.push_back(uint8_t(i));
            } else if (componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT) {
                uint16_t s = uint16_t(i);
                bytes.insert(bytes.end(), reinterpret_cast<unsigned char*>(&s), reinterpret_cast<unsigned char*>(&s) + 2);
            } else {
                bytes.insert(bytes.end(), reinterpret_cast<unsigned char*>(&i), reinterpret_cast<unsigned char*>(&i) + 4);
            }
        }
        return AddAccessor(bytes.data(), bytes.size(), idx.size(), TINYGLTF_TYPE_SCALAR, componentType);
    }

    int AddMesh(const std::vector<Prim>& prims) {
        tinygltf::Mesh mesh;
        for (const Prim& p : prims) {
            tinygltf::Primitive prim;
            prim.mode = TINYGLTF_MODE_TRIANGLES;
            prim.attributes["POSITION"] = AddFloats(p.positions, 3);
            if (!p.normals.empty()) prim.attributes["NORMAL"] = AddFloats(p.normals, 3);
            if (!p.uvs.empty()) prim.attributes["TEXCOORD_0"] = AddFloats(p.uvs, 2);
            if (!p.colors.empty()) prim.attributes["COLOR_0"] = AddFloats(p.colors, p.colorComponents);
            prim.indices = AddIndices(p.indices, p.indexType);
            prim.material = p.material;
            mesh.primitives.push_back(prim);
        }
        model.meshes.push_back(mesh);
        return int(model.meshes.size() - 1);
    }

    int AddNode(const std::string& name, int mesh, const std::vector<double>& translation = {},
                bool root = true) {
        tinygltf::Node node;
        node.name = name;
        node.mesh = mesh;
        node.translation = translation;
        model.nodes.push_back(node);
        const int index = int(model.nodes.size() - 1);
        if (root) model.scenes[0].nodes.push_back(index);
        return index;
    }

    int AddMaterial(const std::string& name, const std::vector<double>& baseColor = {},
                    const std::string& textureUri = "") {
        tinygltf::Material mat;
        mat.name = name;
        if (!baseColor.empty()) mat.pbrMetallicRoughness.baseColorFactor = baseColor;
        if (!textureUri.empty()) {
            tinygltf::Image image;
            image.uri = textureUri;
            model.images.push_back(image);
            tinygltf::Texture tex;
            tex.source = int(model.images.size() - 1);
            model.textures.push_back(tex);
            mat.pbrMetallicRoughness.baseColorTexture.index = int(model.textures.size() - 1);
        }
        model.materials.push_back(mat);
        return int(model.materials.size() - 1);
    }

    bool Write(const std::string& path, bool binary) {
        tinygltf::TinyGLTF writer;
        return writer.WriteGltfSceneToFile(&model, path, false, true, true, binary);
    }

    tinygltf::Model model;
};

// A unit-ish triangle (two in a quad) helper: positions of a quad in the XY plane at z.
inline Prim Quad(float z, int material = -1) {
    Prim p;
    p.positions = {0, 0, z, 1, 0, z, 1, 1, z, 0, 1, z};
    p.indices = {0, 1, 2, 0, 2, 3};
    p.material = material;
    return p;
}

inline std::vector<unsigned char> ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<unsigned char>((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// A grey PNG of w x h pixels, all black: a small file however large the
// picture it declares.
inline std::vector<unsigned char> BlackPng(int w, int h) {
    std::vector<unsigned char> pixels(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
    std::vector<unsigned char> png;
    const int level = stbi_write_png_compression_level;
    stbi_write_png_compression_level = 1;
    stbi_write_png_to_func(
        [](void* context, void* data, int size) {
            auto* out = static_cast<std::vector<unsigned char>*>(context);
            out->insert(out->end(), static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + size);
        },
        &png, w, h, 1, pixels.data(), w);
    stbi_write_png_compression_level = level;
    return png;
}

// A scratch directory of the test run (under the build folder).
inline std::string ScratchDir() {
    std::string dir = std::string(MORVANE_BINARY_DIR) + "/test_scratch";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return dir;
}

}  // namespace gltftest
