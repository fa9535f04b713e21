// Painting, material and saving helpers of the prop models, and the entry
// point that writes every prop and character.
#include "PropsCommon.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "DataGen.h"

namespace datagen {
namespace props {

void FillNoise(Image& img, Rgba base, float amount, int period, uint32_t seed) {
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            const float n = FractalNoise(float(x), float(y), img.width, period, 4, seed);
            const float fine = HashNoise(x, y, seed + 7u);
            img.Set(x, y, Scale(base, 1.0f + amount * ((n - 0.5f) * 1.6f + (fine - 0.5f) * 0.4f)));
        }
}

void FillRect(Image& img, int x0, int y0, int x1, int y1, Rgba c, float coverage) {
    for (int y = std::max(0, y0); y < std::min(img.height, y1); ++y)
        for (int x = std::max(0, x0); x < std::min(img.width, x1); ++x) img.Blend(x, y, c, coverage);
}

void FillEllipse(Image& img, float cx, float cy, float rx, float ry, Rgba c, float coverage) {
    if (rx <= 0 || ry <= 0) return;
    for (int y = int(cy - ry - 1); y <= int(cy + ry + 1); ++y)
        for (int x = int(cx - rx - 1); x <= int(cx + rx + 1); ++x) {
            const float dx = (x + 0.5f - cx) / rx, dy = (y + 0.5f - cy) / ry;
            const float d = std::sqrt(dx * dx + dy * dy);
            const float edge = std::min(rx, ry);
            const float cov = std::clamp((1.0f - d) * edge + 0.5f, 0.0f, 1.0f);
            img.Blend(x, y, c, cov * coverage);
        }
}

void Bevel(Image& img, int x0, int y0, int x1, int y1, float depth, int width) {
    const Rgba dark{0, 0, 0, 255}, light{255, 255, 255, 255};
    for (int w = 0; w < width; ++w) {
        FillRect(img, x0 + w, y0 + w, x1 - w, y0 + w + 1, light, depth * 0.6f);
        FillRect(img, x0 + w, y0 + w, x0 + w + 1, y1 - w, light, depth * 0.6f);
        FillRect(img, x0 + w, y1 - w - 1, x1 - w, y1 - w, dark, depth);
        FillRect(img, x1 - w - 1, y0 + w, x1 - w, y1 - w, dark, depth);
    }
}

void Stains(Image& img, int x0, int y0, int x1, int y1, Rgba c, int count, float maxRadius, uint32_t seed,
            float strength) {
    for (int i = 0; i < count; ++i) {
        const float cx = x0 + HashNoise(i, 1, seed) * (x1 - x0);
        const float cy = y0 + HashNoise(i, 2, seed) * (y1 - y0);
        const float r = maxRadius * (0.3f + 0.7f * HashNoise(i, 3, seed));
        for (int y = int(cy - r); y <= int(cy + r); ++y)
            for (int x = int(cx - r); x <= int(cx + r); ++x) {
                if (x < x0 || y < y0 || x >= x1 || y >= y1) continue;
                const float d = std::hypot(x - cx, y - cy) / r;
                const float n = ValueNoise(x * 0.15f, y * 0.15f, 4096, seed + i);
                const float cov = std::clamp((1.0f - d) * 2.0f + (n - 0.5f) * 1.5f, 0.0f, 1.0f);
                img.Blend(x, y, c, cov * strength);
            }
    }
}

void HazardStripes(Image& img, int x0, int y0, int x1, int y1, int stripe, Rgba a, Rgba b) {
    for (int y = std::max(0, y0); y < std::min(img.height, y1); ++y)
        for (int x = std::max(0, x0); x < std::min(img.width, x1); ++x)
            img.Set(x, y, (((x + y) / stripe) % 2) ? a : b);
}

void Line(Image& img, float x0, float y0, float x1, float y1, float width, Rgba c, float coverage) {
    const float dx = x1 - x0, dy = y1 - y0;
    const float len2 = std::max(dx * dx + dy * dy, 1e-6f);
    const float r = width * 0.5f;
    for (int y = int(std::min(y0, y1) - r - 1); y <= int(std::max(y0, y1) + r + 1); ++y)
        for (int x = int(std::min(x0, x1) - r - 1); x <= int(std::max(x0, x1) + r + 1); ++x) {
            const float px = x + 0.5f, py = y + 0.5f;
            const float t = std::clamp(((px - x0) * dx + (py - y0) * dy) / len2, 0.0f, 1.0f);
            const float d = std::hypot(px - (x0 + dx * t), py - (y0 + dy * t));
            img.Blend(x, y, c, std::clamp(r - d + 0.5f, 0.0f, 1.0f) * coverage);
        }
}

void Rivets(Image& img, int x0, int y0, int x1, int y1, int spacing, Rgba c) {
    for (int x = x0; x <= x1; x += spacing) {
        FillEllipse(img, float(x), float(y0), 2.2f, 2.2f, c);
        FillEllipse(img, float(x), float(y1), 2.2f, 2.2f, c);
    }
    for (int y = y0 + spacing; y < y1; y += spacing) {
        FillEllipse(img, float(x0), float(y), 2.2f, 2.2f, c);
        FillEllipse(img, float(x1), float(y), 2.2f, 2.2f, c);
    }
}

Material Mat(const std::string& name, const std::string& texture, float roughness, float metallic,
             Vector4 baseColor) {
    Material m;
    m.name = name;
    m.baseColorTexture = texture;
    m.roughness = roughness;
    m.metallic = metallic;
    m.baseColor = baseColor;
    return m;
}

Material Glow(const std::string& name, const std::string& texture, Vector3 emissive,
              const std::string& emissiveTexture) {
    Material m = Mat(name, texture, 0.5f, 0.0f);
    m.emissive = emissive;
    m.emissiveTexture = emissiveTexture;
    return m;
}

void BakeLight(Mesh& mesh, float minY, float maxY, float ambient) {
    const Vector3 key = Vector3(-0.35f, 0.8f, -0.5f).Normalized();
    const float span = std::max(maxY - minY, 1e-3f);
    mesh.Shade([&](const Vector3& p, const Vector3& n) {
        const float diffuse = std::max(0.0f, n.Dot(key));
        const float height = std::clamp((p.y - minY) / span, 0.0f, 1.0f);
        const float occlusion = 0.75f + 0.25f * height;
        const float f = std::min(1.0f, (ambient + (1.0f - ambient) * diffuse) * occlusion + 0.1f);
        return Vector4(f, f, f, 1.0f);
    });
}

void BoxFront(Mesh& mesh, const Vector3& mn, const Vector3& mx, int frontMaterial, int otherMaterial,
              float uvScale, Vector2 frontUv0, Vector2 frontUv1) {
    // The five other faces come from a full box whose +z face is dropped.
    Mesh box;
    box.Use(otherMaterial);
    box.AddBox(mn, mx, uvScale);
    auto& prim = box.Primitives()[0];
    std::vector<uint32_t> kept;
    for (size_t i = 0; i + 2 < prim.indices.size(); i += 3) {
        const Vector3& n = prim.vertices[prim.indices[i]].n;
        if (n.z > 0.5f) continue;
        kept.insert(kept.end(), prim.indices.begin() + i, prim.indices.begin() + i + 3);
    }
    prim.indices = kept;
    box.Use(frontMaterial);
    // Seen from +z the viewer's right is -x.
    box.AddQuad({mx.x, mx.y, mx.z}, {mn.x, mx.y, mx.z}, {mn.x, mn.y, mx.z}, {mx.x, mn.y, mx.z}, frontUv0, frontUv1);
    mesh.Append(box, Matrix::Identity());
}

void TurnInside(Mesh& mesh) {
    for (auto& prim : mesh.Primitives()) {
        for (auto& v : prim.vertices) v.n = -v.n;
        for (size_t i = 0; i + 2 < prim.indices.size(); i += 3) std::swap(prim.indices[i + 1], prim.indices[i + 2]);
    }
}

Mesh RayBoxes(const std::vector<std::pair<Vector3, Vector3>>& boxes) {
    Mesh mesh;
    mesh.Use(0);
    for (const auto& b : boxes) mesh.AddBox(b.first, b.second);
    return mesh;
}

Model RayModel(const std::string& name, const std::vector<std::pair<Vector3, Vector3>>& boxes) {
    Material m = Mat(name + "_hit", "", 0.9f, 0.0f, {0.5f, 0.5f, 0.5f, 1.0f});
    return Model::Single(name, {m}, RayBoxes(boxes));
}

bool Save(const std::string& outDir, const char* assetPath, const Model& model,
          const std::vector<Texture>& textures) {
    const std::string relPath = asset::InDataFolder(assetPath);
    const std::string path = outDir + "/" + relPath;
    const std::string folder = path.substr(0, path.find_last_of('/'));
    bool ok = true;
    for (const Texture& t : textures) ok = WritePng(folder + "/" + t.file, t.image) && ok;
    ok = WriteGltf(path, model) && ok;
    size_t triangles = 0;
    for (const Node& n : model.nodes) triangles += n.mesh.TriangleCount();
    std::printf("  %-55s %6zu triangles\n", relPath.c_str(), triangles);
    return ok;
}

}  // namespace props

bool WriteProps(const std::string& outDir) {
    using namespace props;
    bool ok = true;
    ok = WriteZombies(outDir) && ok;
    ok = WritePlayerAndGun(outDir) && ok;
    ok = WriteDoorsAndCards(outDir) && ok;
    ok = WriteFurniture(outDir) && ok;
    ok = WritePlantAndGenerator(outDir) && ok;
    ok = WriteRooms(outDir) && ok;
    return ok;
}

}  // namespace datagen
