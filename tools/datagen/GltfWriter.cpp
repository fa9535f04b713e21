// glTF output through tinygltf: one .gltf, one .bin beside it, textures by
// URI; or, as modelling tools export them, a binary .glb with its pictures
// packed in buffer views, or a .gltf with its pictures in data: URIs. The
// game's loader mirrors Z and reverses the winding, so the writer does the
// same once and the loader gets back what was built.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>

#include <tiny_gltf.h>

#include "DataGen.h"
#include "MeshBuilder.h"

// The glTF library's base64 encoder (exported by the library, declared only
// in its implementation part).
namespace tinygltf {
std::string base64_encode(unsigned char const* bytes, unsigned int length);
}

namespace datagen {

namespace {

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The media type of a picture by its file name.
std::string MimeTypeOf(const std::string& file) {
    return EndsWith(file, ".jpg") || EndsWith(file, ".jpeg") ? "image/jpeg" : "image/png";
}

// Factors rounded to 6 significant digits so the JSON holds short, stable
// numbers (0.8 rather than 0.800000011920929).
double Clean(float f) {
    char buf[32];
    std::snprintf(buf, sizeof(buf), "%.6g", double(f));
    return std::strtod(buf, nullptr);
}

// Mirrors a row-vector matrix across the z = 0 plane: S * M * S with
// S = diag(1, 1, -1, 1).
Matrix MirrorZ(const Matrix& m) {
    Matrix r = m;
    r._13 = -r._13; r._23 = -r._23; r._43 = -r._43;
    r._31 = -r._31; r._32 = -r._32; r._34 = -r._34;
    return r;
}

class BufferWriter {
public:
    explicit BufferWriter(tinygltf::Model& model) : model_(model) {}

    // Appends raw data as a new buffer view; returns its index.
    int AddView(const void* data, size_t bytes, int target) {
        while (bytes_.size() % 4) bytes_.push_back(0);
        tinygltf::BufferView view;
        view.buffer = 0;
        view.byteOffset = bytes_.size();
        view.byteLength = bytes;
        view.target = target;
        const auto* p = static_cast<const unsigned char*>(data);
        bytes_.insert(bytes_.end(), p, p + bytes);
        model_.bufferViews.push_back(view);
        return int(model_.bufferViews.size()) - 1;
    }

    int AddFloatAccessor(const std::vector<float>& values, int components, int type,
                         bool withBounds) {
        const size_t count = values.size() / components;
        tinygltf::Accessor acc;
        acc.bufferView = AddView(values.data(), values.size() * sizeof(float), TINYGLTF_TARGET_ARRAY_BUFFER);
        acc.byteOffset = 0;
        acc.componentType = TINYGLTF_COMPONENT_TYPE_FLOAT;
        acc.count = count;
        acc.type = type;
        if (withBounds && count > 0) {
            acc.minValues.assign(components, 0.0);
            acc.maxValues.assign(components, 0.0);
            for (int c = 0; c < components; ++c) {
                float mn = values[c], mx = values[c];
                for (size_t i = 1; i < count; ++i) {
                    mn = std::fmin(mn, values[i * components + c]);
                    mx = std::fmax(mx, values[i * components + c]);
                }
                acc.minValues[c] = mn;
                acc.maxValues[c] = mx;
            }
        }
        model_.accessors.push_back(acc);
        return int(model_.accessors.size()) - 1;
    }

    int AddIndexAccessor(const std::vector<uint32_t>& indices) {
        tinygltf::Accessor acc;
        acc.bufferView = AddView(indices.data(), indices.size() * sizeof(uint32_t),
                                 TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
        acc.componentType = TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT;
        acc.count = indices.size();
        acc.type = TINYGLTF_TYPE_SCALAR;
        model_.accessors.push_back(acc);
        return int(model_.accessors.size()) - 1;
    }

    void Finish() {
        if (bytes_.empty()) return;  // a model without geometry has no buffer
        while (bytes_.size() % 4) bytes_.push_back(0);
        tinygltf::Buffer buffer;
        buffer.data = std::move(bytes_);
        model_.buffers.push_back(std::move(buffer));
    }

private:
    tinygltf::Model& model_;
    std::vector<unsigned char> bytes_;
};

}  // namespace

bool WriteGltf(const std::string& path, const Model& src, const EmbeddedImages* embedded) {
    if (!EnsureParentDir(path)) return false;
    const bool binary = EndsWith(path, ".glb");
    tinygltf::Model out;
    out.asset.version = "2.0";
    out.asset.generator = "morvane_datagen";
    // Pictures packed into a binary file's buffer come first in it.
    BufferWriter buffers(out);
    bool missingPicture = false;

    // Textures: one sampler (repeat, mipmapped), one image and texture per file.
    std::map<std::string, int> textureOf;
    auto textureIndex = [&](const std::string& file) {
        auto it = textureOf.find(file);
        if (it != textureOf.end()) return it->second;
        if (out.samplers.empty()) {
            tinygltf::Sampler s;
            s.magFilter = TINYGLTF_TEXTURE_FILTER_LINEAR;
            s.minFilter = TINYGLTF_TEXTURE_FILTER_LINEAR_MIPMAP_LINEAR;
            s.wrapS = TINYGLTF_TEXTURE_WRAP_REPEAT;
            s.wrapT = TINYGLTF_TEXTURE_WRAP_REPEAT;
            out.samplers.push_back(s);
        }
        tinygltf::Image image;
        if (embedded == nullptr) {
            image.uri = file;
        } else if (auto picture = embedded->find(file); picture == embedded->end()) {
            std::fprintf(stderr, "%s: no picture %s to pack\n", path.c_str(), file.c_str());
            missingPicture = true;
        } else {
            // Packed, the picture keeps its file name as its name.
            image.name = file;
            if (binary) {
                image.bufferView = buffers.AddView(picture->second.data(), picture->second.size(), 0);
                image.mimeType = MimeTypeOf(file);
            } else {
                image.uri = "data:" + MimeTypeOf(file) + ";base64," +
                            tinygltf::base64_encode(picture->second.data(), unsigned(picture->second.size()));
            }
        }
        out.images.push_back(image);
        tinygltf::Texture tex;
        tex.sampler = 0;
        tex.source = int(out.images.size()) - 1;
        out.textures.push_back(tex);
        const int index = int(out.textures.size()) - 1;
        textureOf[file] = index;
        return index;
    };

    for (const Material& m : src.materials) {
        tinygltf::Material mat;
        mat.name = m.name;
        mat.pbrMetallicRoughness.baseColorFactor = {Clean(m.baseColor.x), Clean(m.baseColor.y),
                                                    Clean(m.baseColor.z), Clean(m.baseColor.w)};
        mat.pbrMetallicRoughness.metallicFactor = Clean(m.metallic);
        mat.pbrMetallicRoughness.roughnessFactor = Clean(m.roughness);
        if (!m.baseColorTexture.empty())
            mat.pbrMetallicRoughness.baseColorTexture.index = textureIndex(m.baseColorTexture);
        mat.emissiveFactor = {Clean(m.emissive.x), Clean(m.emissive.y), Clean(m.emissive.z)};
        if (!m.emissiveTexture.empty()) mat.emissiveTexture.index = textureIndex(m.emissiveTexture);
        mat.alphaMode = m.blend ? "BLEND" : "OPAQUE";
        mat.doubleSided = m.doubleSided;
        out.materials.push_back(mat);
    }

    if (missingPicture) return false;
    for (size_t ni = 0; ni < src.nodes.size(); ++ni) {
        const Node& node = src.nodes[ni];
        tinygltf::Node gnode;
        gnode.name = node.name;
        if (node.local != Matrix::Identity()) {
            const Matrix m = MirrorZ(node.local);
            // glTF stores column-major matrices for column vectors: that is the
            // row-vector matrix's rows, in order.
            gnode.matrix.resize(16);
            for (int r = 0; r < 4; ++r)
                for (int c = 0; c < 4; ++c) gnode.matrix[r * 4 + c] = m.m[r][c];
        }
        tinygltf::Mesh gmesh;
        gmesh.name = node.name;
        for (const Primitive& prim : node.mesh.Primitives()) {
            if (prim.vertices.empty() || prim.indices.size() < 3) continue;
            if (prim.material < 0 || size_t(prim.material) >= src.materials.size()) {
                std::fprintf(stderr, "%s: node %s uses a missing material %d\n", path.c_str(),
                             node.name.c_str(), prim.material);
                return false;
            }
            std::vector<float> pos, nrm, uv, col;
            for (const Vtx& v : prim.vertices) {
                pos.insert(pos.end(), {v.p.x, v.p.y, -v.p.z});
                nrm.insert(nrm.end(), {v.n.x, v.n.y, -v.n.z});
                uv.insert(uv.end(), {v.uv.x, v.uv.y});
                col.insert(col.end(), {v.c.x, v.c.y, v.c.z, v.c.w});
            }
            std::vector<uint32_t> idx;
            idx.reserve(prim.indices.size());
            for (size_t i = 0; i + 2 < prim.indices.size(); i += 3) {
                const uint32_t a = prim.indices[i], b = prim.indices[i + 1], c = prim.indices[i + 2];
                if (a >= prim.vertices.size() || b >= prim.vertices.size() || c >= prim.vertices.size()) {
                    std::fprintf(stderr, "%s: node %s has an index out of range\n", path.c_str(),
                                 node.name.c_str());
                    return false;
                }
                idx.insert(idx.end(), {a, c, b});
            }
            tinygltf::Primitive gp;
            gp.mode = TINYGLTF_MODE_TRIANGLES;
            gp.material = prim.material;
            gp.attributes["POSITION"] = buffers.AddFloatAccessor(pos, 3, TINYGLTF_TYPE_VEC3, true);
            gp.attributes["NORMAL"] = buffers.AddFloatAccessor(nrm, 3, TINYGLTF_TYPE_VEC3, false);
            gp.attributes["TEXCOORD_0"] = buffers.AddFloatAccessor(uv, 2, TINYGLTF_TYPE_VEC2, false);
            gp.attributes["COLOR_0"] = buffers.AddFloatAccessor(col, 4, TINYGLTF_TYPE_VEC4, false);
            gp.indices = buffers.AddIndexAccessor(idx);
            gmesh.primitives.push_back(gp);
        }
        if (!gmesh.primitives.empty()) {
            out.meshes.push_back(gmesh);
            gnode.mesh = int(out.meshes.size()) - 1;
        }
        out.nodes.push_back(gnode);
    }
    tinygltf::Scene scene;
    for (size_t ni = 0; ni < src.nodes.size(); ++ni) {
        const int parent = src.nodes[ni].parent;
        if (parent >= 0 && size_t(parent) < src.nodes.size() && size_t(parent) != ni)
            out.nodes[parent].children.push_back(int(ni));
        else
            scene.nodes.push_back(int(ni));
    }
    out.scenes.push_back(scene);
    out.defaultScene = 0;
    buffers.Finish();

    tinygltf::TinyGLTF writer;
    // Textures are written by the generator itself; the writer only refers to them.
    writer.SetImageWriter(nullptr, nullptr);
    if (!writer.WriteGltfSceneToFile(&out, path, false, false, !binary, binary)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace datagen
