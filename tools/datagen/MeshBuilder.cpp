// Shape helpers of the generator's meshes. Every helper emits triangles whose
// vertices run clockwise seen from outside (normal = (b - a) x (c - a)).
#include "MeshBuilder.h"

#include <cmath>

namespace datagen {

namespace {

constexpr float kPi = 3.14159265358979f;

Vector3 FaceNormal(const Vector3& a, const Vector3& b, const Vector3& c) {
    return (b - a).Cross(c - a);
}

// Any unit vector perpendicular to axis (unit).
Vector3 Perpendicular(const Vector3& axis) {
    Vector3 ref = std::fabs(axis.y) < 0.9f ? Vector3(0, 1, 0) : Vector3(1, 0, 0);
    return ref.Cross(axis).Normalized();
}

// 3x3 inverse-transpose of m's upper-left block, for transforming normals
// under non-uniform scale. Returns false when m is singular.
bool NormalMatrix(const Matrix& m, float out[3][3], float* det) {
    const float a = m._11, b = m._12, c = m._13;
    const float d = m._21, e = m._22, f = m._23;
    const float g = m._31, h = m._32, i = m._33;
    const float A = e * i - f * h, B = -(d * i - f * g), C = d * h - e * g;
    const float D = -(b * i - c * h), E = a * i - c * g, F = -(a * h - b * g);
    const float G = b * f - c * e, H = -(a * f - c * d), I = a * e - b * d;
    *det = a * A + b * B + c * C;
    if (std::fabs(*det) < 1e-20f) return false;
    // Cofactor matrix / det is the inverse transpose; row-vector convention:
    // n' = n * (M^-1)^T restricted to 3x3, i.e. n'_j = sum_k n_k * cof[k][j] / det.
    const float inv = 1.0f / *det;
    out[0][0] = A * inv; out[0][1] = B * inv; out[0][2] = C * inv;
    out[1][0] = D * inv; out[1][1] = E * inv; out[1][2] = F * inv;
    out[2][0] = G * inv; out[2][1] = H * inv; out[2][2] = I * inv;
    return true;
}

}  // namespace

void Mesh::Use(int material) {
    for (size_t i = 0; i < prims_.size(); ++i)
        if (prims_[i].material == material) {
            current_ = int(i);
            return;
        }
    prims_.push_back(Primitive{material, {}, {}});
    current_ = int(prims_.size()) - 1;
}

uint32_t Mesh::AddVertex(const Vtx& v) {
    if (current_ < 0) Use(0);
    auto& verts = prims_[current_].vertices;
    verts.push_back(v);
    return uint32_t(verts.size() - 1);
}

void Mesh::AddTriangle(uint32_t a, uint32_t b, uint32_t c) {
    if (current_ < 0) Use(0);
    auto& idx = prims_[current_].indices;
    idx.push_back(a);
    idx.push_back(b);
    idx.push_back(c);
}

void Mesh::AddQuad(const Vector3& p0, const Vector3& p1, const Vector3& p2, const Vector3& p3,
                   Vector2 uv0, Vector2 uv1, Vector4 colour) {
    Vector3 n = FaceNormal(p0, p1, p2);
    if (n.LengthSquared() < 1e-20f) n = FaceNormal(p0, p2, p3);
    n.Normalize();
    uint32_t i0 = AddVertex({p0, {uv0.x, uv0.y}, n, colour});
    uint32_t i1 = AddVertex({p1, {uv1.x, uv0.y}, n, colour});
    uint32_t i2 = AddVertex({p2, {uv1.x, uv1.y}, n, colour});
    uint32_t i3 = AddVertex({p3, {uv0.x, uv1.y}, n, colour});
    AddTriangle(i0, i1, i2);
    AddTriangle(i0, i2, i3);
}

void Mesh::AddBox(const Vector3& mn, const Vector3& mx, float uvScale, Vector4 colour) {
    const Vector3 c = (mn + mx) * 0.5f;
    const Vector3 h = (mx - mn) * 0.5f;
    // Each face: outward normal n, "right" r and "down" d with r x d = n.
    struct Face { Vector3 n, r, d; };
    const Face faces[6] = {
        {{0, 0, -1}, {1, 0, 0}, {0, -1, 0}},   // front (-z), seen from -z
        {{0, 0, 1}, {-1, 0, 0}, {0, -1, 0}},   // back (+z)
        {{1, 0, 0}, {0, 0, 1}, {0, -1, 0}},    // right (+x)
        {{-1, 0, 0}, {0, 0, -1}, {0, -1, 0}},  // left (-x)
        {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}},    // top
        {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},    // bottom
    };
    auto absDot = [&](const Vector3& v) {
        return std::fabs(v.x) * h.x + std::fabs(v.y) * h.y + std::fabs(v.z) * h.z;
    };
    for (const Face& f : faces) {
        const float hn = absDot(f.n), hr = absDot(f.r), hd = absDot(f.d);
        const Vector3 fc = c + f.n * hn;
        const Vector3 p0 = fc - f.r * hr - f.d * hd, p1 = fc + f.r * hr - f.d * hd;
        const Vector3 p2 = fc + f.r * hr + f.d * hd, p3 = fc - f.r * hr + f.d * hd;
        Vector2 uv0{0, 0}, uv1{1, 1};
        if (uvScale > 0) {
            uv0 = {p0.Dot(f.r) * uvScale, p0.Dot(f.d) * uvScale};
            uv1 = {p2.Dot(f.r) * uvScale, p2.Dot(f.d) * uvScale};
        }
        AddQuad(p0, p1, p2, p3, uv0, uv1, colour);
    }
}

void Mesh::AddBoxTransformed(const Matrix& transform, float uvScale, Vector4 colour) {
    Mesh unit;
    unit.AddBox({-0.5f, -0.5f, -0.5f}, {0.5f, 0.5f, 0.5f}, uvScale, colour);
    if (current_ < 0) Use(0);
    for (auto& prim : unit.prims_) prim.material = prims_[current_].material;
    Append(unit, transform);
}

void Mesh::AddCylinder(const Vector3& base, float radius, float height, int segments, Vector4 colour,
                       bool caps) {
    AddTube(base, base + Vector3(0, height, 0), radius, radius, segments, colour, caps);
}

void Mesh::AddTube(const Vector3& a, const Vector3& b, float radiusA, float radiusB, int segments,
                   Vector4 colour, bool caps) {
    if (segments < 3) segments = 3;
    Vector3 axis = b - a;
    const float len = axis.Length();
    if (len <= 0) return;
    axis = axis / len;
    const Vector3 u = Perpendicular(axis);
    const Vector3 w = axis.Cross(u);
    // Side normals lean along the axis for a cone: slope = (rA - rB) / len.
    const float slope = (radiusA - radiusB) / len;
    std::vector<uint32_t> ringA, ringB;
    for (int i = 0; i <= segments; ++i) {
        const float t = 2 * kPi * float(i % segments) / float(segments);
        const Vector3 dir = u * std::cos(t) + w * std::sin(t);
        const Vector3 n = (dir + axis * slope).Normalized();
        const float uCoord = float(i) / float(segments);
        ringA.push_back(AddVertex({a + dir * radiusA, {uCoord, 1}, n, colour}));
        ringB.push_back(AddVertex({b + dir * radiusB, {uCoord, 0}, n, colour}));
    }
    auto& verts = prims_[current_].vertices;
    for (int i = 0; i < segments; ++i) {
        uint32_t a0 = ringA[i], a1 = ringA[i + 1], b0 = ringB[i], b1 = ringB[i + 1];
        // Orient each triangle so that it faces away from the axis.
        const Vector3 out = verts[a0].n + verts[a1].n;
        auto tri = [&](uint32_t p, uint32_t q, uint32_t r) {
            if (FaceNormal(verts[p].p, verts[q].p, verts[r].p).Dot(out) < 0) std::swap(q, r);
            AddTriangle(p, q, r);
        };
        tri(a0, b0, b1);
        tri(a0, b1, a1);
    }
    if (!caps) return;
    auto cap = [&](const Vector3& centre, float radius, const Vector3& n) {
        if (radius <= 0) return;
        const uint32_t ci = AddVertex({centre, {0.5f, 0.5f}, n, colour});
        std::vector<uint32_t> ring;
        for (int i = 0; i < segments; ++i) {
            const float t = 2 * kPi * float(i) / float(segments);
            const Vector3 dir = u * std::cos(t) + w * std::sin(t);
            ring.push_back(AddVertex({centre + dir * radius,
                                      {0.5f + 0.5f * std::cos(t), 0.5f + 0.5f * std::sin(t)}, n, colour}));
        }
        auto& vs = prims_[current_].vertices;
        for (int i = 0; i < segments; ++i) {
            uint32_t p = ring[i], q = ring[(i + 1) % segments];
            if (FaceNormal(vs[ci].p, vs[p].p, vs[q].p).Dot(n) < 0) std::swap(p, q);
            AddTriangle(ci, p, q);
        }
    };
    cap(a, radiusA, -axis);
    cap(b, radiusB, axis);
}

void Mesh::AddLoft(const std::vector<Vector2>& profile, const Matrix& a, const Matrix& b, Vector4 colour,
                   bool caps) {
    const size_t n = profile.size();
    if (n < 3) return;
    std::vector<Vector3> ends[2];
    Vector3 centre[2];
    for (int e = 0; e < 2; ++e) {
        for (const Vector2& p : profile) ends[e].push_back(Vector3::Transform(Vector3(p.x, p.y, 0), e ? b : a));
        for (const Vector3& p : ends[e]) centre[e] += p;
        centre[e] = centre[e] * (1.0f / float(n));
    }
    const Vector3 mid = (centre[0] + centre[1]) * 0.5f;
    for (size_t i = 0; i < n; ++i) {
        const size_t j = (i + 1) % n;
        const Vector3 &a0 = ends[0][i], &a1 = ends[0][j], &b0 = ends[1][i], &b1 = ends[1][j];
        const float u0 = float(i) / float(n), u1 = float(i + 1) / float(n);
        // Each side faces away from the loft's middle.
        if (FaceNormal(a0, a1, b1).Dot((a0 + a1 + b0 + b1) * 0.25f - mid) >= 0)
            AddQuad(a0, a1, b1, b0, {u0, 0}, {u1, 1}, colour);
        else
            AddQuad(a1, a0, b0, b1, {u1, 0}, {u0, 1}, colour);
    }
    if (!caps) return;
    for (int e = 0; e < 2; ++e) {
        Vector3 n0 = (centre[e] - centre[1 - e]);
        const uint32_t ci = AddVertex({centre[e], {0.5f, 0.5f}, {0, 0, 0}, colour});
        std::vector<uint32_t> ring;
        // The cap's normal: the outline's plane normal, turned away from the other end.
        Vector3 pn = FaceNormal(ends[e][0], ends[e][1], ends[e][2]);
        for (size_t i = 2; pn.LengthSquared() < 1e-20f && i + 1 < n; ++i)
            pn = FaceNormal(ends[e][0], ends[e][i], ends[e][i + 1]);
        if (pn.Dot(n0) < 0) pn = -pn;
        pn.Normalize();
        prims_[current_].vertices[ci].n = pn;
        for (size_t i = 0; i < n; ++i)
            ring.push_back(AddVertex({ends[e][i], {profile[i].x, profile[i].y}, pn, colour}));
        auto& vs = prims_[current_].vertices;
        for (size_t i = 0; i < n; ++i) {
            uint32_t p = ring[i], q = ring[(i + 1) % n];
            if (FaceNormal(vs[ci].p, vs[p].p, vs[q].p).Dot(pn) < 0) std::swap(p, q);
            AddTriangle(ci, p, q);
        }
    }
}

void Mesh::AddSphere(const Vector3& centre, const Vector3& radii, int slices, int stacks, Vector4 colour) {
    if (slices < 3) slices = 3;
    if (stacks < 2) stacks = 2;
    if (current_ < 0) Use(0);
    const uint32_t first = uint32_t(prims_[current_].vertices.size());
    for (int j = 0; j <= stacks; ++j) {
        const float phi = kPi * float(j) / float(stacks);  // 0 at the top
        for (int i = 0; i <= slices; ++i) {
            const float theta = 2 * kPi * float(i % slices) / float(slices);
            const Vector3 unit(std::sin(phi) * std::cos(theta), std::cos(phi), std::sin(phi) * std::sin(theta));
            const Vector3 p = centre + unit * radii;
            const Vector3 n = Vector3(unit.x / radii.x, unit.y / radii.y, unit.z / radii.z).Normalized();
            AddVertex({p, {float(i) / float(slices), float(j) / float(stacks)}, n, colour});
        }
    }
    auto& vs = prims_[current_].vertices;
    const uint32_t row = uint32_t(slices + 1);
    for (int j = 0; j < stacks; ++j)
        for (int i = 0; i < slices; ++i) {
            const uint32_t a = first + j * row + i, b = a + 1, c = a + row, d = c + 1;
            auto tri = [&](uint32_t p, uint32_t q, uint32_t r) {
                const Vector3 fn = FaceNormal(vs[p].p, vs[q].p, vs[r].p);
                if (fn.LengthSquared() < 1e-20f) return;  // pole slivers
                const Vector3 out = vs[p].n + vs[q].n + vs[r].n;
                if (fn.Dot(out) < 0) std::swap(q, r);
                AddTriangle(p, q, r);
            };
            tri(a, b, d);
            tri(a, d, c);
        }
}

void Mesh::Append(const Mesh& other, const Matrix& m) {
    float nm[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    float det = 1.0f;
    const bool ok = NormalMatrix(m, nm, &det);
    const bool mirrored = det < 0;
    const int keep = current_;
    for (const Primitive& src : other.prims_) {
        Use(src.material);
        Primitive& dst = prims_[current_];
        const uint32_t base = uint32_t(dst.vertices.size());
        for (Vtx v : src.vertices) {
            v.p = Vector3::Transform(v.p, m);
            if (ok) {
                const Vector3 n = v.n;
                v.n = Vector3(n.x * nm[0][0] + n.y * nm[1][0] + n.z * nm[2][0],
                              n.x * nm[0][1] + n.y * nm[1][1] + n.z * nm[2][1],
                              n.x * nm[0][2] + n.y * nm[1][2] + n.z * nm[2][2])
                          .Normalized();
            }
            dst.vertices.push_back(v);
        }
        for (size_t i = 0; i + 2 < src.indices.size(); i += 3) {
            dst.indices.push_back(base + src.indices[i]);
            dst.indices.push_back(base + src.indices[i + (mirrored ? 2 : 1)]);
            dst.indices.push_back(base + src.indices[i + (mirrored ? 1 : 2)]);
        }
    }
    if (keep >= 0) current_ = keep;
}

size_t Mesh::TriangleCount() const {
    size_t n = 0;
    for (const auto& p : prims_) n += p.indices.size() / 3;
    return n;
}

Model Model::Single(const std::string& name, std::vector<Material> materials, Mesh mesh) {
    Model model;
    model.materials = std::move(materials);
    Node node;
    node.name = name;
    node.mesh = std::move(mesh);
    model.nodes.push_back(std::move(node));
    return model;
}

}  // namespace datagen
