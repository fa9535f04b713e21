// VeMesh: GPU buffers of one mesh node plus the CPU copies the ray queries
// read. The CPU side (positions, triangles, subsets, bounding volumes) is
// always filled, so the meshes work headless; the GL side exists only while
// the graphics device is ready.
#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "Framework/Graphics/GraphicsDevice.h"
#include "Framework/Model/VeModel.h"

namespace {

// The box around the vertices of each subset's triangles. A subset that
// names a triangle or vertex the mesh lacks gets no box (endless); an
// empty one the box of nothing (it draws nothing).
std::vector<VeBounds> SubsetBounds(const std::vector<Vector3>& positions, const std::vector<VeTriangle>& triangles,
                                   const std::vector<VeSubset>& subsets) {
    std::vector<VeBounds> out(subsets.size());
    for (size_t s = 0; s < subsets.size(); ++s) {
        const VeSubset& subset = subsets[s];
        const uint64_t end = uint64_t(subset.firstTriangle) + subset.triangleCount;
        if (end > triangles.size()) continue;
        bool first = true, inRange = true;
        Vector3 mn, mx;
        for (uint64_t t = subset.firstTriangle; t < end && inRange; ++t) {
            for (uint32_t index : {triangles[t].i0, triangles[t].i1, triangles[t].i2}) {
                if (index >= positions.size()) {
                    inRange = false;
                    break;
                }
                const Vector3& q = positions[index];
                if (first) {
                    mn = mx = q;
                    first = false;
                    continue;
                }
                mn = Vector3(std::min(mn.x, q.x), std::min(mn.y, q.y), std::min(mn.z, q.z));
                mx = Vector3(std::max(mx.x, q.x), std::max(mx.y, q.y), std::max(mx.z, q.z));
            }
        }
        if (!inRange) continue;
        out[s] = VeBounds{(mx + mn) * 0.5f, (mx - mn) * 0.5f, true};
    }
    return out;
}

// A subset with fewer triangles than this stays whole: splitting it saves
// less than the draws it would add.
constexpr uint32_t kMinChunkTriangles = 64;
// More cells than this (a tiny cell over a huge mesh) and the subset stays whole.
constexpr long kMostChunkCells = 1 << 16;

// The box around the vertices of triangles [first, first + count), which
// must name vertices the mesh has.
VeBounds TrianglesBounds(const std::vector<Vector3>& positions, const VeTriangle* triangles, uint32_t count) {
    Vector3 mn = positions[triangles[0].i0], mx = mn;
    for (uint32_t t = 0; t < count; ++t)
        for (uint32_t index : {triangles[t].i0, triangles[t].i1, triangles[t].i2}) {
            const Vector3& q = positions[index];
            mn = Vector3(std::min(mn.x, q.x), std::min(mn.y, q.y), std::min(mn.z, q.z));
            mx = Vector3(std::max(mx.x, q.x), std::max(mx.y, q.y), std::max(mx.z, q.z));
        }
    return VeBounds{(mx + mn) * 0.5f, (mx - mn) * 0.5f, true};
}

// The cell (0 to cells - 1) of a coordinate offset from the grid's origin;
// out-of-range and NaN values go to the nearest end.
int CellOf(float offset, float cell, int cells) {
    const float f = offset / cell;
    if (!(f >= 0.0f)) return 0;
    if (f >= static_cast<float>(cells)) return cells - 1;
    return std::min(static_cast<int>(f), cells - 1);
}

// The cells of the grid across a box of the given half extent; 0 where
// there are none or more than a subset is ever split into (a damaged file's
// vast or not-a-number extent, whose count would not even fit an int).
int CellsAcross(float extent, float cell) {
    if (!(cell > 0.0f)) return 0;
    const double cells = std::ceil(2.0 * static_cast<double>(extent) / static_cast<double>(cell));
    if (!(cells >= 1.0) || cells > static_cast<double>(kMostChunkCells)) return 0;
    return static_cast<int>(cells);
}

// How near two triangles may come without their depths tying.
constexpr float kTieDistance = 1e-3f;

// Where two triangles of one subset cover each other in one plane, the one
// drawn first keeps the pixels they tie on: such triangles must stay in
// their loaded order, so they go to one chunk. Returns, for each triangle
// of the range, the first triangle (offset in the range) it is tied to
// this way, itself when it is tied to none before it.
std::vector<uint32_t> TiedTriangles(const std::vector<Vector3>& positions, const VeTriangle* triangles,
                                    uint32_t count) {
    std::vector<uint32_t> root(count);
    for (uint32_t t = 0; t < count; ++t) root[t] = t;
    auto find = [&root](uint32_t t) {
        while (root[t] != t) t = root[t] = root[root[t]];
        return t;
    };
    // The plane of each triangle (normal turned to a fixed side, offset),
    // rounded, and its corners in the plane's two main axes.
    struct Flat {
        long key[4];
        float u[3], v[3];
        float lo, hi;  // extent along u
        uint32_t t;
    };
    std::vector<Flat> flats;
    flats.reserve(count);
    for (uint32_t t = 0; t < count; ++t) {
        const Vector3 p[3] = {positions[triangles[t].i0], positions[triangles[t].i1], positions[triangles[t].i2]};
        Vector3 n = (p[1] - p[0]).Cross(p[2] - p[0]);
        const float length = n.Length();
        if (!(length > 1e-12f)) continue;  // covers no pixel
        n = n * (1.0f / length);
        if (n.x < 0.0f || (n.x == 0.0f && (n.y < 0.0f || (n.y == 0.0f && n.z < 0.0f)))) n = -n;
        const float d = n.Dot(p[0]);
        Flat f;
        f.key[0] = std::lround(n.x * 1024.0f);
        f.key[1] = std::lround(n.y * 1024.0f);
        f.key[2] = std::lround(n.z * 1024.0f);
        f.key[3] = std::lround(d * 256.0f);
        const float ax = std::fabs(n.x), ay = std::fabs(n.y), az = std::fabs(n.z);
        for (int k = 0; k < 3; ++k) {
            // Drop the axis the normal runs most along.
            f.u[k] = ax >= ay && ax >= az ? p[k].y : p[k].x;
            f.v[k] = ax >= ay && ax >= az ? p[k].z : (ay >= az ? p[k].z : p[k].y);
        }
        f.lo = std::min({f.u[0], f.u[1], f.u[2]});
        f.hi = std::max({f.u[0], f.u[1], f.u[2]});
        f.t = t;
        flats.push_back(f);
    }
    std::sort(flats.begin(), flats.end(), [](const Flat& a, const Flat& b) {
        for (int k = 0; k < 4; ++k)
            if (a.key[k] != b.key[k]) return a.key[k] < b.key[k];
        return a.lo < b.lo;
    });
    // True when the two triangles share some area (no axis of their edges
    // parts them by more than a touch).
    auto overlap = [](const Flat& a, const Flat& b) {
        for (const Flat* f : {&a, &b})
            for (int e = 0; e < 3; ++e) {
                const float nu = -(f->v[(e + 1) % 3] - f->v[e]), nv = f->u[(e + 1) % 3] - f->u[e];
                float amin = 1e30f, amax = -1e30f, bmin = 1e30f, bmax = -1e30f;
                for (int k = 0; k < 3; ++k) {
                    const float pa = a.u[k] * nu + a.v[k] * nv, pb = b.u[k] * nu + b.v[k] * nv;
                    amin = std::min(amin, pa), amax = std::max(amax, pa);
                    bmin = std::min(bmin, pb), bmax = std::max(bmax, pb);
                }
                const float touch = 1e-5f * (std::fabs(nu) + std::fabs(nv)) *
                                    (1.0f + std::max(std::fabs(amax), std::fabs(bmax)));
                if (amax <= bmin + touch || bmax <= amin + touch) return false;
            }
        return true;
    };
    for (size_t i = 0; i < flats.size(); ++i) {
        for (size_t j = i + 1; j < flats.size(); ++j) {
            const Flat& a = flats[i];
            const Flat& b = flats[j];
            if (!std::equal(a.key, a.key + 4, b.key) || b.lo >= a.hi) break;
            if (!overlap(a, b)) continue;
            const uint32_t ra = find(a.t), rb = find(b.t);
            root[std::max(ra, rb)] = std::min(ra, rb);
        }
    }
    // Triangles that meet or come within kTieDistance of each other
    // elsewhere than along an edge or corner they share (one ending on the
    // face of another, or crossing it) may give the same depth value near
    // where they meet.
    struct Solid {
        Vector3 p[3];
        Vector3 lo, hi;
        uint32_t t;
    };
    std::vector<Solid> solids(count);
    for (uint32_t t = 0; t < count; ++t) {
        Solid& s = solids[t];
        s.p[0] = positions[triangles[t].i0];
        s.p[1] = positions[triangles[t].i1];
        s.p[2] = positions[triangles[t].i2];
        s.lo = Vector3(std::min({s.p[0].x, s.p[1].x, s.p[2].x}), std::min({s.p[0].y, s.p[1].y, s.p[2].y}),
                       std::min({s.p[0].z, s.p[1].z, s.p[2].z}));
        s.hi = Vector3(std::max({s.p[0].x, s.p[1].x, s.p[2].x}), std::max({s.p[0].y, s.p[1].y, s.p[2].y}),
                       std::max({s.p[0].z, s.p[1].z, s.p[2].z}));
        s.t = t;
    }
    std::sort(solids.begin(), solids.end(), [](const Solid& a, const Solid& b) { return a.lo.x < b.lo.x; });
    const float near = kTieDistance;
    auto apart = [near](const Solid& a, const Solid& b) {
        const Vector3 ea[3] = {a.p[1] - a.p[0], a.p[2] - a.p[1], a.p[0] - a.p[2]};
        const Vector3 eb[3] = {b.p[1] - b.p[0], b.p[2] - b.p[1], b.p[0] - b.p[2]};
        Vector3 axes[11] = {ea[0].Cross(ea[1]), eb[0].Cross(eb[1])};
        int n = 2;
        for (const Vector3& x : ea)
            for (const Vector3& y : eb) axes[n++] = x.Cross(y);
        for (const Vector3& axis : axes) {
            const float length = axis.Length();
            if (!(length > 1e-9f)) continue;
            const Vector3 u = axis * (1.0f / length);
            const float a0 = u.Dot(a.p[0]), a1 = u.Dot(a.p[1]), a2 = u.Dot(a.p[2]);
            const float b0 = u.Dot(b.p[0]), b1 = u.Dot(b.p[1]), b2 = u.Dot(b.p[2]);
            if (std::max({a0, a1, a2}) + near < std::min({b0, b1, b2}) ||
                std::max({b0, b1, b2}) + near < std::min({a0, a1, a2}))
                return true;
        }
        return false;
    };
    // In one plane (the first pass has tied those that overlap there).
    auto coplanar = [near](const Solid& a, const Solid& b) {
        Vector3 n = (a.p[1] - a.p[0]).Cross(a.p[2] - a.p[0]);
        const float length = n.Length();
        if (!(length > 1e-12f)) return false;
        n = n * (1.0f / length);
        for (const Vector3& q : b.p)
            if (std::fabs(n.Dot(q - a.p[0])) > near) return false;
        return true;
    };
    auto sharedCorners = [](const Solid& a, const Solid& b) {
        int shared = 0;
        for (const Vector3& p : a.p)
            for (const Vector3& q : b.p)
                if (p.x == q.x && p.y == q.y && p.z == q.z) ++shared;
        return shared;
    };
    for (size_t i = 0; i < solids.size(); ++i) {
        const Solid& a = solids[i];
        for (size_t j = i + 1; j < solids.size() && solids[j].lo.x <= a.hi.x + near; ++j) {
            const Solid& b = solids[j];
            if (b.lo.y > a.hi.y + near || a.lo.y > b.hi.y + near || b.lo.z > a.hi.z + near || a.lo.z > b.hi.z + near)
                continue;
            if (find(a.t) == find(b.t) || sharedCorners(a, b) > 0 || coplanar(a, b) || apart(a, b)) continue;
            const uint32_t ra = find(a.t), rb = find(b.t);
            root[std::max(ra, rb)] = std::min(ra, rb);
        }
    }
    for (uint32_t t = 0; t < count; ++t) root[t] = find(t);
    return root;
}

}  // namespace

float VeMesh::chunkCell_ = 32.0f;

VeMesh::~VeMesh() { Release(); }

void VeMesh::Release() {
    // GL names are only ever created while the device is ready; if the device
    // has gone since, the context (and the names with it) is already gone.
    if (GraphicsDevice::GetInstance().IsReady()) {
        if (ibo_) glDeleteBuffers(1, &ibo_);
        if (vbo_) glDeleteBuffers(1, &vbo_);
        if (vao_) glDeleteVertexArrays(1, &vao_);
    }
    vao_ = vbo_ = ibo_ = 0;
    subsets_.clear();
    positions_.clear();
    triangles_.clear();
    boxCenter_ = Vector3(0, 0, 0);
    boxExtents_ = Vector3(1, 1, 1);
    sphereCenter_ = Vector3(0, 0, 0);
    sphereRadius_ = 1.0f;
    opaqueVertices_ = false;
    bounds_ = VeBounds{};
    subsetBounds_.clear();
    chunks_.clear();
    chunkStart_.clear();
    rayAccel_.reset();
}

bool VeMesh::Create(const std::vector<VeVertex>& vertices, const std::vector<VeTriangle>& triangles,
                    const std::vector<VeSubset>& subsets, const std::vector<bool>& seeThrough) {
    Release();
    subsets_ = subsets;
    const bool gpu = GraphicsDevice::GetInstance().IsReady();

    if (!vertices.empty()) {
        positions_.reserve(vertices.size());
        Vector3 mn = vertices[0].position, mx = vertices[0].position;
        for (const VeVertex& v : vertices) {
            positions_.push_back(v.position);
            const Vector3& q = v.position;
            mn = Vector3(std::min(mn.x, q.x), std::min(mn.y, q.y), std::min(mn.z, q.z));
            mx = Vector3(std::max(mx.x, q.x), std::max(mx.y, q.y), std::max(mx.z, q.z));
        }
        opaqueVertices_ = std::all_of(vertices.begin(), vertices.end(),
                                      [](const VeVertex& v) { return v.color[3] == 255; });
        boxCenter_ = (mx + mn) * 0.5f;
        boxExtents_ = (mx - mn) * 0.5f;
        // Sphere around the box centre through the farthest point: it
        // encloses every position by construction.
        sphereCenter_ = boxCenter_;
        float r2 = 0.0f;
        for (const Vector3& p : positions_) r2 = std::max(r2, (p - sphereCenter_).LengthSquared());
        sphereRadius_ = std::sqrt(r2);
        bounds_ = VeBounds{boxCenter_, boxExtents_, true};

        if (gpu) {
            glGenVertexArrays(1, &vao_);
            glBindVertexArray(vao_);
            glGenBuffers(1, &vbo_);
            glBindBuffer(GL_ARRAY_BUFFER, vbo_);
            glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(VeVertex)),
                         vertices.data(), GL_STATIC_DRAW);
            // Model vertex layout: position, uv, normal, colour (u8 x 4, normalised).
            const GLsizei stride = sizeof(VeVertex);
            glEnableVertexAttribArray(0);
            glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride,
                                  reinterpret_cast<const void*>(offsetof(VeVertex, position)));
            glEnableVertexAttribArray(1);
            glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, stride,
                                  reinterpret_cast<const void*>(offsetof(VeVertex, uv)));
            glEnableVertexAttribArray(2);
            glVertexAttribPointer(2, 3, GL_FLOAT, GL_FALSE, stride,
                                  reinterpret_cast<const void*>(offsetof(VeVertex, normal)));
            glEnableVertexAttribArray(3);
            glVertexAttribPointer(3, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                                  reinterpret_cast<const void*>(offsetof(VeVertex, color)));
            glBindVertexArray(0);
        }
    }

    subsetBounds_ = SubsetBounds(positions_, triangles, subsets);
    const std::vector<VeTriangle> deviceOrder = SplitIntoChunks(triangles, seeThrough);

    if (!triangles.empty()) {
        triangles_ = triangles;
        if (gpu) {
            const std::vector<VeTriangle>& upload = deviceOrder.empty() ? triangles : deviceOrder;
            if (!vao_) glGenVertexArrays(1, &vao_);
            glBindVertexArray(vao_);
            glGenBuffers(1, &ibo_);
            // The element buffer binding is part of the vertex array state.
            glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ibo_);
            glBufferData(GL_ELEMENT_ARRAY_BUFFER,
                         static_cast<GLsizeiptr>(upload.size() * sizeof(VeTriangle)), upload.data(),
                         GL_STATIC_DRAW);
            glBindVertexArray(0);
        }
    }
    return true;
}

std::vector<VeTriangle> VeMesh::SplitIntoChunks(const std::vector<VeTriangle>& triangles,
                                                const std::vector<bool>& seeThrough) {
    std::vector<VeTriangle> order;
    chunks_.clear();
    chunkStart_.assign(subsets_.size() + 1, 0);
    const float cell = chunkCell_;
    const Vector3 origin = bounds_.center - bounds_.extents;
    // A subset sharing triangles with another (a malformed file) stays
    // whole: reordering its range would move the other's triangles.
    std::vector<bool> shared(subsets_.size(), false);
    {
        std::vector<size_t> byFirst;
        for (size_t s = 0; s < subsets_.size(); ++s)
            if (subsets_[s].triangleCount > 0) byFirst.push_back(s);
        std::sort(byFirst.begin(), byFirst.end(),
                  [this](size_t a, size_t b) { return subsets_[a].firstTriangle < subsets_[b].firstTriangle; });
        auto end = [this](size_t s) { return uint64_t(subsets_[s].firstTriangle) + subsets_[s].triangleCount; };
        uint64_t furthest = 0;
        for (size_t k = 0; k < byFirst.size(); ++k) {
            if (k > 0 && subsets_[byFirst[k]].firstTriangle < furthest) shared[byFirst[k]] = true;
            furthest = std::max(furthest, end(byFirst[k]));
        }
        uint64_t nearest = UINT64_MAX;
        for (size_t k = byFirst.size(); k-- > 0;) {
            if (end(byFirst[k]) > nearest) shared[byFirst[k]] = true;
            nearest = std::min<uint64_t>(nearest, subsets_[byFirst[k]].firstTriangle);
        }
    }
    const int nx = CellsAcross(bounds_.extents.x, cell);
    const int nz = CellsAcross(bounds_.extents.z, cell);
    std::vector<uint32_t> cellOf, start;
    for (size_t s = 0; s < subsets_.size(); ++s) {
        chunkStart_[s] = static_cast<uint32_t>(chunks_.size());
        const VeSubset& subset = subsets_[s];
        const VeBounds& box = subsetBounds_[s];
        // A valid box means every triangle of the subset names vertices the
        // mesh has.
        const bool blended = !opaqueVertices_ || (s < seeThrough.size() && seeThrough[s]);
        const bool large = cell > 0.0f && box.valid && !shared[s] && !blended && subset.triangleCount >= kMinChunkTriangles &&
                           (2.0f * box.extents.x > cell || 2.0f * box.extents.z > cell) && nx >= 1 && nz >= 1 &&
                           static_cast<long>(nx) * nz <= kMostChunkCells;
        if (!large) {
            chunks_.push_back(VeChunk{subset.firstTriangle, subset.triangleCount, box});
            continue;
        }
        // Bucket the triangles by the cell of their centre, keeping their
        // order within a cell (a counting sort).
        const uint32_t first = subset.firstTriangle, count = subset.triangleCount;
        const std::vector<uint32_t> tied = TiedTriangles(positions_, &triangles[first], count);
        cellOf.resize(count);
        start.assign(static_cast<size_t>(nx) * nz + 1, 0);
        for (uint32_t t = 0; t < count; ++t) {
            if (tied[t] != t) {
                // With the first triangle it is tied to (cells of earlier
                // triangles are known).
                cellOf[t] = cellOf[tied[t]];
            } else {
                const VeTriangle& tri = triangles[first + t];
                const Vector3 c = (positions_[tri.i0] + positions_[tri.i1] + positions_[tri.i2]) * (1.0f / 3.0f);
                cellOf[t] =
                    static_cast<uint32_t>(CellOf(c.z - origin.z, cell, nz) * nx + CellOf(c.x - origin.x, cell, nx));
            }
            ++start[cellOf[t] + 1];
        }
        for (size_t c = 1; c < start.size(); ++c) start[c] += start[c - 1];
        if (order.empty()) order = triangles;
        std::vector<uint32_t> next(start.begin(), start.end() - 1);
        for (uint32_t t = 0; t < count; ++t) order[first + next[cellOf[t]]++] = triangles[first + t];
        for (size_t c = 0; c + 1 < start.size(); ++c) {
            const uint32_t n = start[c + 1] - start[c];
            if (n == 0) continue;
            chunks_.push_back(
                VeChunk{first + start[c], n, TrianglesBounds(positions_, &order[first + start[c]], n)});
        }
    }
    chunkStart_[subsets_.size()] = static_cast<uint32_t>(chunks_.size());
    return order;
}

const VeChunk* VeMesh::ChunksBegin(size_t subset) const {
    return subset + 1 < chunkStart_.size() ? chunks_.data() + chunkStart_[subset] : nullptr;
}

const VeChunk* VeMesh::ChunksEnd(size_t subset) const {
    return subset + 1 < chunkStart_.size() ? chunks_.data() + chunkStart_[subset + 1] : nullptr;
}

void VeMesh::SetToDevice() const {
    if (!vao_ || !GraphicsDevice::GetInstance().IsReady()) return;
    GraphicsDevice::GetInstance().SetVertexLayout(VertexLayout::Model);
    glBindVertexArray(vao_);
}

bool VeMesh::RangeDrawable(uint64_t first, uint64_t count) const {
    if (count == 0) return false;
    if (!vao_ || !ibo_ || !GraphicsDevice::GetInstance().IsReady()) return false;
    // Never draw past the index buffer, whatever the subset table says.
    return first + count <= triangles_.size();
}

bool VeMesh::SubsetDrawable(size_t index) const {
    if (index >= subsets_.size()) return false;
    return RangeDrawable(subsets_[index].firstTriangle, subsets_[index].triangleCount);
}

void VeMesh::DrawTriangles(uint32_t first, uint32_t count) const {
    if (!RangeDrawable(first, count)) return;
    glBindVertexArray(vao_);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(count * 3), GL_UNSIGNED_INT,
                   reinterpret_cast<const void*>(uintptr_t(first) * 3 * sizeof(uint32_t)));
}

void VeMesh::DrawSubset(size_t index) const {
    if (index < subsets_.size()) DrawTriangles(subsets_[index].firstTriangle, subsets_[index].triangleCount);
}

void VeMesh::DrawSubsetInstanced(size_t index, int count) const {
    if (count <= 0 || !SubsetDrawable(index)) return;
    const VeSubset& s = subsets_[index];
    glBindVertexArray(vao_);
    glDrawElementsInstanced(GL_TRIANGLES, static_cast<GLsizei>(s.triangleCount * 3), GL_UNSIGNED_INT,
                            reinterpret_cast<const void*>(uintptr_t(s.firstTriangle) * 3 * sizeof(uint32_t)),
                            count);
}
