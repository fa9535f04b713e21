// glTF loader: reads a file with tinygltf and converts it into VeGLTFModel,
// mirroring Z (right-handed file data to the game's left-handed space) and
// reversing the triangle winding to match.
//
// Every accessor read (sparse ones included) is checked against its buffer
// view and buffer, so a damaged or hostile file yields an empty model instead
// of reading out of range. External files (buffers, images) are read only
// from inside the data folder (see ExternalFiles). Images are not decoded
// here: the glTF library reads each external image file and each data URI
// while parsing, the image callback keeps those bytes by image, and images
// packed in a buffer view are cut from their buffer after a bounds check;
// the model decodes its textures from them (so no file is read twice).
#include <tiny_gltf.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <system_error>

#include "Framework/Model/VeModel.h"

namespace {

// Upper bounds on what one model may expand to. A file can reference one
// large accessor from many nodes; without a cap a small file could ask for
// gigabytes of vertices.
constexpr size_t kMaxVerticesPerModel = size_t(1) << 24;
constexpr size_t kMaxTrianglesPerModel = size_t(1) << 24;
constexpr int kMaxNodeDepth = 256;

struct LoadError {
    std::string message;
};

namespace fs = std::filesystem;

// The bytes of the images the library read while parsing (external files and
// data URIs), by image index.
using KeptImages = std::map<int, std::vector<unsigned char>>;

// Keeps an image's bytes. An image in a buffer view is left alone: the
// library hands over its view's bytes without checking that the view lies
// inside its buffer, so those are cut out later, checked.
bool KeepImage(tinygltf::Image* image, const int index, std::string*, std::string*, int, int,
               const unsigned char* bytes, int size, void* userData) {
    auto* kept = static_cast<KeptImages*>(userData);
    if (kept == nullptr || image == nullptr || image->bufferView >= 0) return true;
    if (bytes != nullptr && size > 0) (*kept)[index].assign(bytes, bytes + size);
    return true;
}

// A string as it may be shown in a message: control bytes escaped.
std::string Printable(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7f) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

// A URI with its percent-escapes decoded, as the glTF library decodes it
// before asking for the file.
std::string PercentDecoded(const std::string& uri) {
    auto hex = [](unsigned char c) -> unsigned char {
        if (c >= '0' && c <= '9') return static_cast<unsigned char>(c - '0');
        if (c >= 'a' && c <= 'f') return static_cast<unsigned char>(c - 'a' + 10);
        if (c >= 'A' && c <= 'F') return static_cast<unsigned char>(c - 'A' + 10);
        return 0;
    };
    std::string out;
    for (size_t i = 0; i < uri.size(); ++i) {
        if (uri[i] == '+') {
            out += ' ';
        } else if (uri[i] == '%' && uri.size() > i + 2) {
            out += static_cast<char>((hex(static_cast<unsigned char>(uri[i + 1])) << 4) |
                                     hex(static_cast<unsigned char>(uri[i + 2])));
            i += 2;
        } else {
            out += uri[i];
        }
    }
    return out;
}

// The data root of a model: the nearest folder named Data above it (the
// game's data folder), or, for a model in no such folder, its own folder.
fs::path DataRootOf(const fs::path& modelFolder) {
    const fs::path folder = modelFolder.lexically_normal();
    for (fs::path p = folder; !p.empty(); p = p.parent_path()) {
        if (p.filename() == "Data") return p;
        if (p == p.parent_path()) break;
    }
    return folder;
}

// True when path lies inside root (both real, absolute paths).
bool Inside(const fs::path& root, const fs::path& path) {
    auto it = path.begin();
    for (const fs::path& part : root) {
        if (part.empty()) continue;  // the empty name after a trailing separator
        if (it == path.end() || *it != part) return false;
        ++it;
    }
    return true;
}

// The external files one model may read, and what became of each URI the
// library asked for. A URI is resolved against the model's folder and read
// only when it leads to a regular file inside the data root: "..",
// percent-encoded or not, a backslash (taken as a separator, as the tools
// that write them mean it), an absolute path and a scheme (file:, http:, a
// drive letter) are refused. Where it leads is judged on real paths, links
// followed: into the data root, or into the model's own folder (which may
// itself be a link, as the whole data folder may: the model was read from
// there). A link that leads a URI anywhere else is refused, so a link in a
// mod unpacked into Data/ cannot make the game read the player's files. The
// working directory, which the library searches as well, is never searched.
struct ExternalFiles {
    std::string baseDir;  // the model's folder as its path gives it ("." for a bare name)
    fs::path root;        // the real data root; empty: no external file at all
    fs::path modelFolder; // the real path of the model's folder
    std::string rootShown;
    std::map<std::string, std::string> outcome;  // decoded URI -> why not read ("" when read)
    std::vector<std::string> refused;            // URIs refused, in the order met

    ExternalFiles() = default;
    explicit ExternalFiles(const std::string& folder) : baseDir(folder.empty() ? "." : folder) {
        const fs::path given = DataRootOf(fs::path(baseDir));
        rootShown = given.string();
        std::error_code ec;
        root = fs::canonical(given, ec);
        if (ec) root.clear();
        modelFolder = fs::canonical(fs::path(baseDir), ec);
        if (ec) modelFolder.clear();
    }

    // The URI of a path the library asks about, or false for a path outside
    // the model's folder (the library's second try, the working directory).
    bool UriOf(const std::string& path, std::string& uri) const {
        const std::string prefix = baseDir + "/";
        if (path.compare(0, prefix.size(), prefix) != 0) return false;
        uri = path.substr(prefix.size());
        return true;
    }

    // Why the file a URI names may not be read ("" when it may); the real
    // path it leads to in resolved.
    std::string RefusalOf(const std::string& uri, fs::path& resolved) const {
        if (root.empty()) return "external files are not read here";
        if (uri.empty()) return "an empty URI";
        if (uri.find('\0') != std::string::npos) return "a NUL byte in the URI";
        const std::string first = uri.substr(0, uri.find_first_of("/\\"));
        if (first.find(':') != std::string::npos)
            return "it names a scheme (" + first.substr(0, first.find(':') + 1) + ")";
        if (uri[0] == '/' || uri[0] == '\\') return "an absolute path";
        std::string relative = uri;
        std::replace(relative.begin(), relative.end(), '\\', '/');
        std::error_code ec;
        const fs::path real = fs::weakly_canonical((fs::path(baseDir) / relative).lexically_normal(), ec);
        // Lexically it stays inside the data root; in the file system it
        // must too, or at least stay in the model's own folder.
        const fs::path lexical = fs::absolute((fs::path(baseDir) / relative).lexically_normal(), ec).lexically_normal();
        const fs::path rootLexical = fs::absolute(DataRootOf(fs::path(baseDir)), ec).lexically_normal();
        if (ec || !real.is_absolute() || !Inside(rootLexical, lexical) ||
            !(Inside(root, real) || (!modelFolder.empty() && Inside(modelFolder, real))))
            return "it leads outside the data folder " + rootShown;
        resolved = real;
        return std::string();
    }

    // The library's file-existence check, where every refusal is noted.
    bool Exists(const std::string& path) {
        std::string uri;
        if (!UriOf(path, uri)) return false;
        if (uri.compare(0, 5, "data:") == 0) {
            // An embedded picture of a kind the library does not decode.
            outcome[uri] = "a data URI of a kind that is not read";
            return false;
        }
        fs::path real;
        const std::string why = RefusalOf(uri, real);
        if (!why.empty()) {
            if (outcome.emplace(uri, "refused: " + why).second) refused.push_back(uri);
            return false;
        }
        std::error_code ec;
        if (!fs::is_regular_file(real, ec)) {
            outcome[uri] = fs::exists(real, ec) ? "not a regular file" : "file missing";
            return false;
        }
        return true;
    }

    // Reads the file a URI leads to: the real path just checked, not the
    // one the library joined, so what is read is what was judged.
    bool Read(std::vector<unsigned char>& out, std::string& err, const std::string& path) {
        std::string uri;
        fs::path real;
        std::error_code ec;
        if (!UriOf(path, uri) || !RefusalOf(uri, real).empty() || !fs::is_regular_file(real, ec)) {
            err += "file refused";
            return false;
        }
        std::ifstream file(real, std::ios::binary);
        if (!file) {
            outcome[uri] = "cannot be read";
            err += "cannot be read";
            return false;
        }
        out.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        outcome[uri] = out.empty() ? "empty file" : "";
        return true;
    }

    // Why an image with this URI (as written in the file) has no bytes.
    std::string ImageProblem(const std::string& uri) const {
        auto it = outcome.find(PercentDecoded(uri));
        if (it == outcome.end()) return "file missing";
        return it->second.empty() ? "damaged file" : it->second;
    }

    // One warning line per refused URI (the load of a named model only).
    void WarnRefused(const std::string& modelPath) const {
        for (const std::string& uri : refused)
            std::fprintf(stderr, "morvane: warning: cannot load \"%s\" for model %s: refused, %s\n",
                         Printable(uri).c_str(), Printable(modelPath).c_str(),
                         outcome.at(uri).substr(std::string("refused: ").size()).c_str());
    }
};

bool ExistsIn(const std::string& path, void* files) { return static_cast<ExternalFiles*>(files)->Exists(path); }
std::string KeepPath(const std::string& path, void*) { return path; }
bool ReadIn(std::vector<unsigned char>* out, std::string* err, const std::string& path, void* files) {
    std::string why;
    const bool ok = static_cast<ExternalFiles*>(files)->Read(*out, why, path);
    if (err) *err += why;
    return ok;
}
bool NoWriteFile(std::string*, const std::string&, const std::vector<unsigned char>&, void*) { return false; }

int ComponentCountOf(int type) {
    switch (type) {
    case TINYGLTF_TYPE_SCALAR: return 1;
    case TINYGLTF_TYPE_VEC2: return 2;
    case TINYGLTF_TYPE_VEC3: return 3;
    case TINYGLTF_TYPE_VEC4: return 4;
    default: return 0;
    }
}

int ComponentSizeOf(int componentType) {
    switch (componentType) {
    case TINYGLTF_COMPONENT_TYPE_BYTE:
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: return 1;
    case TINYGLTF_COMPONENT_TYPE_SHORT:
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: return 2;
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT:
    case TINYGLTF_COMPONENT_TYPE_FLOAT: return 4;
    default: return 0;
    }
}

// A checked view of one accessor's elements inside its buffer.
struct AccessorView {
    const unsigned char* base = nullptr;  // first element; null for an all-zero accessor
    size_t count = 0;
    size_t stride = 0;
    int components = 0;
    int componentType = 0;
    bool normalized = false;
    // A sparse accessor's elements, the sparse values written over the base
    // ones (base points here).
    std::shared_ptr<std::vector<unsigned char>> applied;
};

// The first of count elements of elemSize bytes, stride apart, at offset in
// a buffer view, all checked to lie inside the view and the view inside its
// buffer; fail (which throws) otherwise.
template <typename Fail>
const unsigned char* CheckedElements(const tinygltf::Model& m, int viewIndex, size_t offset, size_t count,
                                     size_t elemSize, size_t stride, Fail fail) {
    if (viewIndex < 0 || size_t(viewIndex) >= m.bufferViews.size()) fail("buffer view out of range");
    const tinygltf::BufferView& bv = m.bufferViews[size_t(viewIndex)];
    if (bv.buffer < 0 || size_t(bv.buffer) >= m.buffers.size()) fail("buffer out of range");
    const tinygltf::Buffer& buf = m.buffers[size_t(bv.buffer)];
    if (bv.byteOffset > buf.data.size() || bv.byteLength > buf.data.size() - bv.byteOffset)
        fail("buffer view exceeds its buffer");
    if (count > 0) {
        if (offset > bv.byteLength) fail("offset past the buffer view");
        const size_t room = bv.byteLength - offset;
        // (count - 1) * stride + elemSize <= room, without overflow.
        if (elemSize > room || (count - 1) > (room - elemSize) / stride) fail("elements exceed the buffer view");
        return buf.data.data() + bv.byteOffset + offset;
    }
    return nullptr;
}

uint32_t ReadIndex(const unsigned char* p, int componentType) {
    switch (componentType) {
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: return p[0];
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: {
        uint16_t u;
        std::memcpy(&u, p, 2);
        return u;
    }
    default: {
        uint32_t u;
        std::memcpy(&u, p, 4);
        return u;
    }
    }
}

bool IsIndexType(int componentType) {
    return componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE ||
           componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT ||
           componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT;
}

AccessorView CheckAccessor(const tinygltf::Model& m, int index, const char* what) {
    auto fail = [&](const std::string& why) {
        throw LoadError{std::string(what) + " accessor " + std::to_string(index) + ": " + why};
    };
    if (index < 0 || size_t(index) >= m.accessors.size()) fail("index out of range");
    const tinygltf::Accessor& a = m.accessors[size_t(index)];
    AccessorView v;
    v.components = ComponentCountOf(a.type);
    const int csize = ComponentSizeOf(a.componentType);
    if (v.components == 0) fail("unsupported element type");
    if (csize == 0) fail("unsupported component type");
    v.componentType = a.componentType;
    v.normalized = a.normalized;
    v.count = a.count;
    if (v.count > kMaxVerticesPerModel * 3) fail("element count too large");
    const size_t elemSize = size_t(csize) * size_t(v.components);

    v.stride = elemSize;
    if (a.bufferView >= 0) {
        // Without a buffer view every element is zero (before sparse values).
        if (size_t(a.bufferView) < m.bufferViews.size() && m.bufferViews[size_t(a.bufferView)].byteStride)
            v.stride = m.bufferViews[size_t(a.bufferView)].byteStride;
        if (v.stride < elemSize) fail("byte stride smaller than the element");
        v.base = CheckedElements(m, a.bufferView, a.byteOffset, v.count, elemSize, v.stride, fail);
    }
    if (!a.sparse.isSparse) return v;

    // Sparse: count indices, rising, each naming an element, and as many
    // values, both tightly packed; the values replace those elements.
    const auto& sparse = a.sparse;
    if (sparse.count < 1 || size_t(sparse.count) > v.count) fail("sparse count out of range");
    const size_t n = size_t(sparse.count);
    if (!IsIndexType(sparse.indices.componentType)) fail("sparse indices must be unsigned integers");
    if (sparse.indices.byteOffset < 0 || sparse.values.byteOffset < 0) fail("negative sparse offset");
    const size_t indexSize = size_t(ComponentSizeOf(sparse.indices.componentType));
    const unsigned char* indices = CheckedElements(m, sparse.indices.bufferView, size_t(sparse.indices.byteOffset),
                                                   n, indexSize, indexSize, fail);
    const unsigned char* values =
        CheckedElements(m, sparse.values.bufferView, size_t(sparse.values.byteOffset), n, elemSize, elemSize, fail);
    auto applied = std::make_shared<std::vector<unsigned char>>(v.count * elemSize, 0);
    if (v.base)
        for (size_t i = 0; i < v.count; ++i) std::memcpy(applied->data() + i * elemSize, v.base + i * v.stride, elemSize);
    for (size_t k = 0; k < n; ++k) {
        const uint32_t target = ReadIndex(indices + k * indexSize, sparse.indices.componentType);
        if (target >= v.count) fail("sparse index past the accessor's elements");
        if (k > 0 && target <= ReadIndex(indices + (k - 1) * indexSize, sparse.indices.componentType))
            fail("sparse indices do not rise");
        std::memcpy(applied->data() + size_t(target) * elemSize, values + k * elemSize, elemSize);
    }
    v.applied = std::move(applied);
    v.base = v.applied->data();
    v.stride = elemSize;
    return v;
}

float ReadComponent(const unsigned char* p, int componentType, bool normalized) {
    switch (componentType) {
    case TINYGLTF_COMPONENT_TYPE_FLOAT: {
        float f;
        std::memcpy(&f, p, 4);
        return f;
    }
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: return normalized ? p[0] / 255.0f : float(p[0]);
    case TINYGLTF_COMPONENT_TYPE_BYTE: {
        const float f = float(int8_t(p[0]));
        return normalized ? std::max(f / 127.0f, -1.0f) : f;
    }
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: {
        uint16_t u;
        std::memcpy(&u, p, 2);
        return normalized ? u / 65535.0f : float(u);
    }
    case TINYGLTF_COMPONENT_TYPE_SHORT: {
        int16_t s;
        std::memcpy(&s, p, 2);
        return normalized ? std::max(s / 32767.0f, -1.0f) : float(s);
    }
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT: {
        uint32_t u;
        std::memcpy(&u, p, 4);
        return float(u);
    }
    default: return 0.0f;
    }
}

// Reads component c of element i (both already validated).
float ReadFloat(const AccessorView& v, size_t i, int c) {
    if (!v.base) return 0.0f;
    const int csize = ComponentSizeOf(v.componentType);
    return ReadComponent(v.base + i * v.stride + size_t(c) * size_t(csize), v.componentType, v.normalized);
}

uint32_t ReadIndex(const AccessorView& v, size_t i) {
    return v.base ? ReadIndex(v.base + i * v.stride, v.componentType) : 0;
}

uint8_t PackColor(float c) {
    if (!(c > 0.0f)) return 0;  // also NaN
    if (c >= 1.0f) return 255;
    return static_cast<uint8_t>(c * 255.0f);
}

// The image a texture shows (-1 for none).
int ImageIndexOf(const tinygltf::Model& m, int textureIndex) {
    if (textureIndex < 0 || size_t(textureIndex) >= m.textures.size()) return -1;
    const int source = m.textures[size_t(textureIndex)].source;
    if (source < 0 || size_t(source) >= m.images.size()) return -1;
    return source;
}

// The texture path of the material record: the image's URI, empty for an
// embedded image (which its image index names).
std::string ImageUriOf(const tinygltf::Model& m, int image) {
    return image < 0 ? std::string() : m.images[size_t(image)].uri;
}

void ConvertMaterials(const tinygltf::Model& m, VeGLTFModel& out) {
    for (const tinygltf::Material& src : m.materials) {
        VeGLTFMaterial mat;
        mat.name = src.name;
        mat.alphaMode = src.alphaMode;
        mat.alphaCutoff = float(src.alphaCutoff);
        mat.doubleSided = src.doubleSided;
        const tinygltf::PbrMetallicRoughness& pbr = src.pbrMetallicRoughness;
        if (pbr.baseColorFactor.size() == 4)
            for (int i = 0; i < 4; ++i) mat.baseColorFactor[i] = float(pbr.baseColorFactor[size_t(i)]);
        mat.baseColorImage = ImageIndexOf(m, pbr.baseColorTexture.index);
        mat.baseColorTexture = ImageUriOf(m, mat.baseColorImage);
        mat.metallicFactor = float(pbr.metallicFactor);
        mat.roughnessFactor = float(pbr.roughnessFactor);
        mat.metallicRoughnessImage = ImageIndexOf(m, pbr.metallicRoughnessTexture.index);
        mat.metallicRoughnessTexture = ImageUriOf(m, mat.metallicRoughnessImage);
        if (src.emissiveFactor.size() == 3)
            for (int i = 0; i < 3; ++i) mat.emissiveFactor[i] = float(src.emissiveFactor[size_t(i)]);
        mat.emissiveImage = ImageIndexOf(m, src.emissiveTexture.index);
        mat.emissiveTexture = ImageUriOf(m, mat.emissiveImage);
        mat.normalImage = ImageIndexOf(m, src.normalTexture.index);
        mat.normalTexture = ImageUriOf(m, mat.normalImage);
        mat.occlusionImage = ImageIndexOf(m, src.occlusionTexture.index);
        mat.occlusionTexture = ImageUriOf(m, mat.occlusionImage);
        out.materials.push_back(std::move(mat));
    }
    if (out.materials.empty()) out.materials.emplace_back();
}

// Every image of the file with its encoded bytes: an external file's or a
// data URI's as the library read them, a buffer view's cut from its buffer
// once the view is found inside it. An image without bytes says why; it
// spoils only the textures that show it.
void ConvertImages(const tinygltf::Model& m, KeptImages& kept, const ExternalFiles& files, VeGLTFModel& out) {
    out.images.resize(m.images.size());
    for (size_t i = 0; i < m.images.size(); ++i) {
        const tinygltf::Image& src = m.images[i];
        VeGLTFImage& image = out.images[i];
        image.uri = src.uri;
        const std::string label = "image " + std::to_string(i) + (src.name.empty() ? "" : " \"" + Printable(src.name) + "\"");
        auto bytes = kept.find(int(i));
        if (src.bufferView >= 0) {
            image.name = label + " (in the file)";
            const tinygltf::BufferView* view =
                size_t(src.bufferView) < m.bufferViews.size() ? &m.bufferViews[size_t(src.bufferView)] : nullptr;
            const tinygltf::Buffer* buffer = view && view->buffer >= 0 && size_t(view->buffer) < m.buffers.size()
                                                 ? &m.buffers[size_t(view->buffer)]
                                                 : nullptr;
            if (!buffer || view->byteOffset > buffer->data.size() ||
                view->byteLength > buffer->data.size() - view->byteOffset) {
                image.problem = "its buffer view lies outside its buffer";
            } else if (view->byteLength == 0) {
                image.problem = "an empty buffer view";
            } else {
                const auto first = buffer->data.begin() + static_cast<std::ptrdiff_t>(view->byteOffset);
                image.bytes.assign(first, first + static_cast<std::ptrdiff_t>(view->byteLength));
            }
        } else if (src.uri.empty()) {
            // A data URI the library decoded (it keeps no URI for those), or
            // an empty URI.
            image.name = bytes != kept.end() ? label + " (a data URI)" : label;
            if (bytes != kept.end()) image.bytes.swap(bytes->second);
            else image.problem = "an empty URI";
        } else {
            image.name = Printable(src.uri);
            if (bytes != kept.end()) image.bytes.swap(bytes->second);
            else image.problem = files.ImageProblem(src.uri);
        }
    }
}

Matrix LocalMatrixOf(const tinygltf::Node& n) {
    Matrix local;
    if (n.matrix.size() == 16) {
        // glTF stores column-major matrices for column vectors; read in order,
        // the same numbers are the row-major matrix for row vectors.
        float v[16];
        for (int i = 0; i < 16; ++i) v[i] = float(n.matrix[size_t(i)]);
        local = Matrix(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10], v[11], v[12],
                       v[13], v[14], v[15]);
    } else {
        Matrix s, r, t;
        if (n.scale.size() == 3) s = Matrix::CreateScale(float(n.scale[0]), float(n.scale[1]), float(n.scale[2]));
        if (n.rotation.size() == 4)
            r = Matrix::CreateFromQuaternion(Quaternion(float(n.rotation[0]), float(n.rotation[1]),
                                                        float(n.rotation[2]), float(n.rotation[3])));
        if (n.translation.size() == 3)
            t = Matrix::CreateTranslation(float(n.translation[0]), float(n.translation[1]),
                                          float(n.translation[2]));
        local = s * r * t;
    }
    // Mirror Z: F * M * F with F = diag(1, 1, -1, 1).
    local._13 = -local._13;
    local._23 = -local._23;
    local._31 = -local._31;
    local._32 = -local._32;
    local._43 = -local._43;
    return local;
}

struct Primitive {
    int material = -1;
    std::vector<VeVertex> vertices;
    std::vector<VeTriangle> triangles;
};

Primitive ConvertPrimitive(const tinygltf::Model& m, const tinygltf::Primitive& p) {
    Primitive out;
    out.material = p.material;
    if (out.material < -1 || (out.material >= 0 && size_t(out.material) >= m.materials.size()))
        throw LoadError{"primitive material out of range"};

    auto attr = [&](const char* name) {
        auto it = p.attributes.find(name);
        return it == p.attributes.end() ? -1 : it->second;
    };
    const int posIndex = attr("POSITION");
    if (posIndex < 0) throw LoadError{"primitive without POSITION"};
    const AccessorView pos = CheckAccessor(m, posIndex, "POSITION");
    if (pos.components != 3) throw LoadError{"POSITION is not a 3-component vector"};
    const size_t n = pos.count;
    if (n > kMaxVerticesPerModel) throw LoadError{"too many vertices"};
    out.vertices.resize(n);
    for (size_t i = 0; i < n; ++i)
        out.vertices[i].position = Vector3(ReadFloat(pos, i, 0), ReadFloat(pos, i, 1), -ReadFloat(pos, i, 2));

    // Optional attributes must describe the same vertices as POSITION.
    auto optional = [&](const char* name, int minComponents, int maxComponents) {
        AccessorView v = CheckAccessor(m, attr(name), name);
        if (v.components < minComponents || v.components > maxComponents)
            throw LoadError{std::string(name) + " has an unexpected element type"};
        if (v.count != n) throw LoadError{std::string(name) + " count differs from POSITION"};
        return v;
    };
    if (attr("NORMAL") >= 0) {
        const AccessorView nv = optional("NORMAL", 3, 3);
        for (size_t i = 0; i < n; ++i)
            out.vertices[i].normal = Vector3(ReadFloat(nv, i, 0), ReadFloat(nv, i, 1), -ReadFloat(nv, i, 2));
    }
    if (attr("TEXCOORD_0") >= 0) {
        const AccessorView tv = optional("TEXCOORD_0", 2, 2);
        for (size_t i = 0; i < n; ++i) out.vertices[i].uv = Vector2(ReadFloat(tv, i, 0), ReadFloat(tv, i, 1));
    }
    if (attr("COLOR_0") >= 0) {
        const AccessorView cv = optional("COLOR_0", 3, 4);
        for (size_t i = 0; i < n; ++i) {
            uint8_t* c = out.vertices[i].color;
            for (int k = 0; k < 3; ++k) c[k] = PackColor(ReadFloat(cv, i, k));
            c[3] = cv.components == 4 ? PackColor(ReadFloat(cv, i, 3)) : 255;
        }
    }

    if (p.indices >= 0) {
        const AccessorView iv = CheckAccessor(m, p.indices, "indices");
        if (iv.components != 1 || !IsIndexType(iv.componentType))
            throw LoadError{"indices must be unsigned scalars"};
        const size_t triCount = iv.count / 3;
        if (triCount > kMaxTrianglesPerModel) throw LoadError{"too many triangles"};
        out.triangles.resize(triCount);
        for (size_t t = 0; t < triCount; ++t) {
            const uint32_t i0 = ReadIndex(iv, t * 3), i1 = ReadIndex(iv, t * 3 + 1), i2 = ReadIndex(iv, t * 3 + 2);
            if (i0 >= n || i1 >= n || i2 >= n) throw LoadError{"index past the vertex count"};
            out.triangles[t] = VeTriangle{i0, i2, i1};
        }
    } else {
        // Non-indexed triangle list: consecutive vertices form the triangles.
        const size_t triCount = n / 3;
        out.triangles.resize(triCount);
        for (size_t t = 0; t < triCount; ++t) {
            const uint32_t b = uint32_t(t * 3);
            out.triangles[t] = VeTriangle{b, b + 2, b + 1};
        }
    }
    return out;
}

// The material of primitives that name none: the default material. A file
// without materials already has it at index 0; otherwise it is added once,
// after the file's own.
int DefaultMaterial(VeGLTFModel& out, int& defaultMaterial) {
    if (defaultMaterial < 0) {
        defaultMaterial = static_cast<int>(out.materials.size());
        out.materials.emplace_back();
    }
    return defaultMaterial;
}

void ConvertMesh(const tinygltf::Model& m, const tinygltf::Mesh& mesh, VeGLTFModel& out, VeGLTFNode& node,
                 int& defaultMaterial, size_t& vertexBudget, size_t& triangleBudget) {
    std::vector<Primitive> prims;
    prims.reserve(mesh.primitives.size());
    for (const tinygltf::Primitive& p : mesh.primitives) {
        prims.push_back(ConvertPrimitive(m, p));
        Primitive& added = prims.back();
        if (added.material < 0) added.material = DefaultMaterial(out, defaultMaterial);
        if (added.vertices.size() > vertexBudget || added.triangles.size() > triangleBudget)
            throw LoadError{"model too large"};
        vertexBudget -= added.vertices.size();
        triangleBudget -= added.triangles.size();
    }
    std::stable_sort(prims.begin(), prims.end(),
                     [](const Primitive& a, const Primitive& b) { return a.material < b.material; });
    for (const Primitive& p : prims) {
        const uint32_t offset = uint32_t(node.vertices.size());
        VeSubset subset;
        subset.materialIndex = p.material;
        subset.firstTriangle = uint32_t(node.triangles.size());
        subset.triangleCount = uint32_t(p.triangles.size());
        node.vertices.insert(node.vertices.end(), p.vertices.begin(), p.vertices.end());
        for (const VeTriangle& t : p.triangles)
            node.triangles.push_back(VeTriangle{t.i0 + offset, t.i1 + offset, t.i2 + offset});
        node.subsets.push_back(subset);
    }
}

std::shared_ptr<VeGLTFModel> Convert(const tinygltf::Model& m, KeptImages& kept, const ExternalFiles& files) {
    auto out = std::make_shared<VeGLTFModel>();
    ConvertMaterials(m, *out);
    ConvertImages(m, kept, files, *out);

    const size_t nodeCount = m.nodes.size();
    out->allNodes.reserve(nodeCount);
    for (size_t i = 0; i < nodeCount; ++i) {
        auto node = std::make_shared<VeGLTFNode>();
        node->name = m.nodes[i].name;
        node->index = int(i);
        out->allNodes.push_back(node);
    }
    // A node may have at most one parent, and following the parents from any
    // node must end at a root: a ring of nodes, each the child of the next,
    // has single parents too. Checked on the indices before any node is
    // linked, so a refused graph leaves no ring of shared pointers behind.
    std::vector<size_t> parent(nodeCount, nodeCount);
    for (size_t i = 0; i < nodeCount; ++i) {
        for (int c : m.nodes[i].children) {
            if (c < 0 || size_t(c) >= nodeCount) throw LoadError{"child node out of range"};
            if (parent[size_t(c)] != nodeCount || size_t(c) == i) throw LoadError{"node graph is not a tree"};
            parent[size_t(c)] = i;
        }
    }
    {
        enum : char { kUnseen, kOnPath, kRooted };
        std::vector<char> state(nodeCount, kUnseen);
        std::vector<size_t> path;
        for (size_t i = 0; i < nodeCount; ++i) {
            path.clear();
            size_t n = i;
            while (n != nodeCount && state[n] == kUnseen) {
                state[n] = kOnPath;
                path.push_back(n);
                n = parent[n];
            }
            if (n != nodeCount && state[n] == kOnPath) throw LoadError{"node graph is not a tree"};
            for (size_t p : path) state[p] = kRooted;
        }
    }
    for (size_t i = 0; i < nodeCount; ++i) {
        const tinygltf::Node& src = m.nodes[i];
        VeGLTFNode& node = *out->allNodes[i];
        for (int c : src.children) node.children.push_back(out->allNodes[size_t(c)]);
        node.localMatrix = LocalMatrixOf(src);
        if (src.mesh >= 0) {
            if (size_t(src.mesh) >= m.meshes.size()) throw LoadError{"node mesh out of range"};
            node.hasMesh = true;
        }
    }

    // Root nodes: the default scene, else the first one.
    int sceneIndex = m.defaultScene;
    if (sceneIndex < 0 || size_t(sceneIndex) >= m.scenes.size()) sceneIndex = m.scenes.empty() ? -1 : 0;
    if (sceneIndex >= 0) {
        for (int r : m.scenes[size_t(sceneIndex)].nodes) {
            if (r < 0 || size_t(r) >= nodeCount) throw LoadError{"scene node out of range"};
            out->rootNodes.push_back(out->allNodes[size_t(r)]);
        }
    }

    // World matrices, depth-first from each root.
    std::function<void(VeGLTFNode&, const Matrix*, int)> walk = [&](VeGLTFNode& node, const Matrix* parent,
                                                                     int depth) {
        if (depth > kMaxNodeDepth) throw LoadError{"node hierarchy too deep"};
        node.worldMatrix = parent ? node.localMatrix * *parent : node.localMatrix;
        for (auto& child : node.children) walk(*child, &node.worldMatrix, depth + 1);
    };
    for (auto& root : out->rootNodes) walk(*root, nullptr, 0);

    size_t vertexBudget = kMaxVerticesPerModel, triangleBudget = kMaxTrianglesPerModel;
    int defaultMaterial = m.materials.empty() ? 0 : -1;
    for (size_t i = 0; i < nodeCount; ++i) {
        const int meshIndex = m.nodes[i].mesh;
        if (meshIndex < 0) continue;
        ConvertMesh(m, m.meshes[size_t(meshIndex)], *out, *out->allNodes[i], defaultMaterial, vertexBudget,
                    triangleBudget);
    }
    return out;
}

// Parses a model held in memory, its external files confined by files, and
// converts it. Prints the library's messages; a named model also warns about
// every external file refused.
std::shared_ptr<VeGLTFModel> Load(const unsigned char* data, size_t size, bool binary, ExternalFiles& files,
                                  const std::string& modelPath, std::string err) {
    tinygltf::TinyGLTF loader;
    KeptImages kept;
    loader.SetImageLoader(KeepImage, &kept);
    loader.SetFsCallbacks(tinygltf::FsCallbacks{ExistsIn, KeepPath, ReadIn, NoWriteFile, &files});
    tinygltf::Model model;
    std::string warn;
    bool ok = false;
    if (err.empty() && (!data || size == 0 || size > UINT_MAX)) err = "no data";
    if (err.empty()) {
        try {
            if (binary)
                ok = loader.LoadBinaryFromMemory(&model, &err, &warn, data, unsigned(size), files.baseDir);
            else
                ok = loader.LoadASCIIFromString(&model, &err, &warn, reinterpret_cast<const char*>(data),
                                                unsigned(size), files.baseDir);
        } catch (const std::exception& e) {
            err += e.what();
            ok = false;
        }
    }
    if (!modelPath.empty()) files.WarnRefused(modelPath);
    if (!warn.empty()) std::printf("Warn: %s\n", warn.c_str());
    if (!err.empty()) std::printf("Err: %s\n", err.c_str());
    if (!ok) {
        std::printf("Failed to parse glTF\n");
        std::fflush(stdout);
        return nullptr;
    }
    try {
        return Convert(model, kept, files);
    } catch (const LoadError& e) {
        std::printf("Err: %s\n", e.message.c_str());
        std::printf("Failed to parse glTF\n");
    } catch (const std::exception& e) {
        // Allocation failures on hostile sizes end as an empty model too.
        std::printf("Err: %s\n", e.what());
        std::printf("Failed to parse glTF\n");
    }
    std::fflush(stdout);
    return nullptr;
}

bool HasGlbExtension(const std::string& path) {
    const size_t dot = path.find_last_of('.');
    return dot != std::string::npos && path.compare(dot + 1, std::string::npos, "glb") == 0;
}

// The model file's bytes; false with the reason in err.
bool ReadModelFile(const std::string& path, std::vector<unsigned char>& bytes, std::string& err) {
    std::error_code ec;
    if (!fs::exists(path, ec)) {
        err = "File not found : " + Printable(path);
        return false;
    }
    // Neither a folder nor a pipe or device, whose reading might never end.
    if (!fs::is_regular_file(path, ec)) {
        err = "Not a regular file : " + Printable(path);
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        err = "File read error : " + Printable(path);
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (bytes.empty()) err = "File is empty : " + Printable(path);
    return !bytes.empty();
}

}  // namespace

std::shared_ptr<VeGLTFModel> VeLoadGLTFModel(const std::string& path) {
    const bool binary = HasGlbExtension(path);
    std::printf(binary ? "Reading binary glTF\n" : "Reading ASCII glTF\n");
    std::vector<unsigned char> bytes;
    std::string err;
    try {
        ReadModelFile(path, bytes, err);
    } catch (const std::exception& e) {
        err = e.what();
    }
    const size_t sep = path.find_last_of("/\\");
    ExternalFiles files(sep == std::string::npos ? std::string() : path.substr(0, sep));
    return Load(bytes.data(), bytes.size(), binary, files, path, err);
}

std::shared_ptr<VeGLTFModel> VeLoadGLTFModelFromMemory(const unsigned char* data, size_t size, bool binary,
                                                       const std::string& baseDir) {
    // Without a base directory no external file is read at all.
    ExternalFiles files = baseDir.empty() ? ExternalFiles() : ExternalFiles(baseDir);
    return Load(data, size, binary, files, std::string(), std::string());
}
