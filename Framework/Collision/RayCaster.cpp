// Ray queries against hit-test models.
//
// The result of a query is defined by the plain walk: every triangle of every
// mesh node, in list order, replacing the best hit only on a strictly smaller
// world distance. The accelerated walk must give bit-identical results, so it
// only decides which triangles to skip; every triangle it does test goes
// through the same RayTriangle arithmetic, and within a mesh the winner is
// the smallest (distance, triangle index) pair, which is exactly the first
// minimum of the ordered walk.
//
// Skipping is conservative: bounding boxes are widened by a margin that
// scales with the mesh and the ray origin, so rounding in the box test can
// never hide a triangle the exact test would hit.
#include "Framework/Collision/RayCaster.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "Framework/Model/VeModel.h"

bool RayTriangle(const Vector3& origin, const Vector3& direction, const Vector3& p0, const Vector3& p1,
                 const Vector3& p2, float& t) {
    constexpr float kEpsilon = 1e-20f;
    const Vector3 e1 = p1 - p0;
    const Vector3 e2 = p2 - p0;
    const Vector3 p = direction.Cross(e2);
    const float det = e1.Dot(p);
    if (det >= kEpsilon) {
        const Vector3 s = origin - p0;
        const float u = s.Dot(p);
        if (u < 0.0f || u > det) return false;
        const Vector3 q = s.Cross(e1);
        const float v = direction.Dot(q);
        if (v < 0.0f || u + v > det) return false;
        const float tt = e2.Dot(q);
        if (tt < 0.0f) return false;
        t = tt / det;
        return true;
    }
    if (det <= -kEpsilon) {
        const Vector3 s = origin - p0;
        const float u = s.Dot(p);
        if (u > 0.0f || u < det) return false;
        const Vector3 q = s.Cross(e1);
        const float v = direction.Dot(q);
        if (v > 0.0f || u + v < det) return false;
        const float tt = e2.Dot(q);
        if (tt > 0.0f) return false;
        t = tt / det;
        return true;
    }
    return false;
}

// ---------------------------------------------------------------------------
// Per-mesh acceleration: a bounding-volume hierarchy over the triangles.

struct VeMesh::RayAccel {
    struct Node {
        float bmin[3], bmax[3];
        uint32_t first;  // leaf: first entry in tris; inner: index of the left child
        uint32_t count;  // leaf: triangle count; inner: 0 (right child = left + 1)
    };
    struct Tri {
        Vector3 p0, p1, p2;
        uint32_t index;  // position in the mesh's triangle list
    };
    bool usable = false;   // false: non-finite positions, always walk the plain list
    float extentScale = 0; // largest absolute coordinate of the mesh
    std::vector<Node> nodes;   // empty for small meshes
    std::vector<Tri> tris;     // the hierarchy's triangles, in leaf order
    // Needle-like and collapsed triangles. The triangle test is badly
    // conditioned on them and can report hits far from the triangle itself,
    // so no bounding volume may hide them: they are tested for every ray.
    std::vector<Tri> slivers;
};

namespace {

// Meshes with fewer triangles are walked plainly after a bounding-box test.
constexpr size_t kHierarchyThreshold = 64;
constexpr uint32_t kLeafSize = 4;
constexpr int kBins = 12;
constexpr float kInf = std::numeric_limits<float>::infinity();

bool TriangleValid(const VeTriangle& t, size_t vertexCount) {
    return t.i0 < vertexCount && t.i1 < vertexCount && t.i2 < vertexCount;
}

struct BuildItem {
    float bmin[3], bmax[3];
    float centroid[3];
    uint32_t tri;  // index into RayAccel::tris
};

void GrowBox(float* bmin, float* bmax, const float* omin, const float* omax) {
    for (int k = 0; k < 3; ++k) {
        bmin[k] = std::min(bmin[k], omin[k]);
        bmax[k] = std::max(bmax[k], omax[k]);
    }
}

float HalfArea(const float* bmin, const float* bmax) {
    const float dx = bmax[0] - bmin[0], dy = bmax[1] - bmin[1], dz = bmax[2] - bmin[2];
    return dx * dy + dy * dz + dz * dx;
}

// Builds the subtree for items[begin, end) into node index nodeIndex.
// Beyond this depth nodes are split at the median, which bounds the depth
// (and the traversal stack) whatever the triangle distribution.
constexpr int kMaxSahDepth = 48;

void BuildNode(VeMesh::RayAccel& accel, std::vector<BuildItem>& items, uint32_t nodeIndex, uint32_t begin,
               uint32_t end, int depth) {
    using Node = VeMesh::RayAccel::Node;
    Node node;
    const float inf = kInf;
    float cmin[3] = {inf, inf, inf}, cmax[3] = {-inf, -inf, -inf};
    for (int k = 0; k < 3; ++k) {
        node.bmin[k] = inf;
        node.bmax[k] = -inf;
    }
    for (uint32_t i = begin; i < end; ++i) {
        GrowBox(node.bmin, node.bmax, items[i].bmin, items[i].bmax);
        GrowBox(cmin, cmax, items[i].centroid, items[i].centroid);
    }
    const uint32_t count = end - begin;
    node.first = begin;
    node.count = count;
    accel.nodes[nodeIndex] = node;
    if (count <= kLeafSize) return;

    // Binned surface-area split on the widest centroid axis.
    int axis = 0;
    for (int k = 1; k < 3; ++k)
        if (cmax[k] - cmin[k] > cmax[axis] - cmin[axis]) axis = k;
    const float lo = cmin[axis], span = cmax[axis] - cmin[axis];
    uint32_t mid = begin + count / 2;
    if (span > 0.0f && depth < kMaxSahDepth) {
        struct Bin {
            float bmin[3] = {kInf, kInf, kInf}, bmax[3] = {-kInf, -kInf, -kInf};
            uint32_t n = 0;
        } bins[kBins];
        auto binOf = [&](const BuildItem& it) {
            int b = int((it.centroid[axis] - lo) / span * kBins);
            return std::clamp(b, 0, kBins - 1);
        };
        for (uint32_t i = begin; i < end; ++i) {
            Bin& b = bins[binOf(items[i])];
            GrowBox(b.bmin, b.bmax, items[i].bmin, items[i].bmax);
            ++b.n;
        }
        float bestCost = inf;
        int bestSplit = -1;
        for (int s = 1; s < kBins; ++s) {
            float lmin[3] = {inf, inf, inf}, lmax[3] = {-inf, -inf, -inf};
            float rmin[3] = {inf, inf, inf}, rmax[3] = {-inf, -inf, -inf};
            uint32_t ln = 0, rn = 0;
            for (int b = 0; b < s; ++b)
                if (bins[b].n) { GrowBox(lmin, lmax, bins[b].bmin, bins[b].bmax); ln += bins[b].n; }
            for (int b = s; b < kBins; ++b)
                if (bins[b].n) { GrowBox(rmin, rmax, bins[b].bmin, bins[b].bmax); rn += bins[b].n; }
            if (!ln || !rn) continue;
            const float cost = HalfArea(lmin, lmax) * float(ln) + HalfArea(rmin, rmax) * float(rn);
            if (cost < bestCost) { bestCost = cost; bestSplit = s; }
        }
        if (bestSplit > 0) {
            auto it = std::partition(items.begin() + begin, items.begin() + end,
                                     [&](const BuildItem& x) { return binOf(x) < bestSplit; });
            mid = uint32_t(it - items.begin());
        }
    }
    if (mid == begin || mid == end || span <= 0.0f || depth >= kMaxSahDepth) {
        // No useful split, or too deep: halve at the median centroid (by
        // list position when all centroids coincide).
        mid = begin + count / 2;
        std::nth_element(items.begin() + begin, items.begin() + mid, items.begin() + end,
                         [&](const BuildItem& a, const BuildItem& b) {
                             if (span > 0.0f && a.centroid[axis] != b.centroid[axis])
                                 return a.centroid[axis] < b.centroid[axis];
                             return a.tri < b.tri;
                         });
    }
    const uint32_t left = uint32_t(accel.nodes.size());
    accel.nodes.emplace_back();
    accel.nodes.emplace_back();
    accel.nodes[nodeIndex].first = left;
    accel.nodes[nodeIndex].count = 0;
    BuildNode(accel, items, left, begin, mid, depth + 1);
    BuildNode(accel, items, left + 1, mid, end, depth + 1);
}

// A triangle whose sine of the largest-edge angle is tiny, in double
// precision: |e1 x e2| < 1e-2 * (longest edge)^2. Exactly collapsed
// triangles count too.
bool IsSliver(const Vector3& a, const Vector3& b, const Vector3& c) {
    const double e1[3] = {double(b.x) - a.x, double(b.y) - a.y, double(b.z) - a.z};
    const double e2[3] = {double(c.x) - a.x, double(c.y) - a.y, double(c.z) - a.z};
    const double e3[3] = {double(c.x) - b.x, double(c.y) - b.y, double(c.z) - b.z};
    const double cx = e1[1] * e2[2] - e1[2] * e2[1];
    const double cy = e1[2] * e2[0] - e1[0] * e2[2];
    const double cz = e1[0] * e2[1] - e1[1] * e2[0];
    const double cross = std::sqrt(cx * cx + cy * cy + cz * cz);
    auto len2 = [](const double* e) { return e[0] * e[0] + e[1] * e[1] + e[2] * e[2]; };
    const double longest2 = std::max({len2(e1), len2(e2), len2(e3)});
    return !(cross >= 1e-2 * longest2) || longest2 == 0.0;
}

std::shared_ptr<VeMesh::RayAccel> BuildAccel(const VeMesh& mesh) {
    auto accel = std::make_shared<VeMesh::RayAccel>();
    const std::vector<Vector3>& pos = mesh.GetPositions();
    const std::vector<VeTriangle>& tris = mesh.GetTriangles();
    float scale = 0.0f;
    for (const Vector3& p : pos) {
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) return accel;  // unusable
        scale = std::max({scale, std::fabs(p.x), std::fabs(p.y), std::fabs(p.z)});
    }
    accel->extentScale = scale;

    std::vector<BuildItem> items;
    items.reserve(tris.size());
    accel->tris.reserve(tris.size());
    for (size_t i = 0; i < tris.size(); ++i) {
        const VeTriangle& t = tris[i];
        if (!TriangleValid(t, pos.size())) continue;  // never hit by the plain walk either
        VeMesh::RayAccel::Tri tri{pos[t.i0], pos[t.i1], pos[t.i2], uint32_t(i)};
        if (IsSliver(tri.p0, tri.p1, tri.p2)) {
            accel->slivers.push_back(tri);
            continue;
        }
        if (tris.size() < kHierarchyThreshold) continue;  // small meshes keep no hierarchy
        BuildItem item;
        const Vector3* v[3] = {&tri.p0, &tri.p1, &tri.p2};
        for (int k = 0; k < 3; ++k) {
            const float a = (&v[0]->x)[k], b = (&v[1]->x)[k], c = (&v[2]->x)[k];
            item.bmin[k] = std::min({a, b, c});
            item.bmax[k] = std::max({a, b, c});
            item.centroid[k] = (item.bmin[k] + item.bmax[k]) * 0.5f;
        }
        item.tri = uint32_t(accel->tris.size());
        accel->tris.push_back(tri);
        items.push_back(item);
    }
    accel->usable = true;
    if (items.empty()) return accel;
    accel->nodes.reserve(items.size() * 2 / kLeafSize + 2);
    accel->nodes.emplace_back();
    BuildNode(*accel, items, 0, 0, uint32_t(items.size()), 0);
    // Reorder the triangle copies into leaf order for locality.
    std::vector<VeMesh::RayAccel::Tri> ordered;
    ordered.reserve(items.size());
    for (const BuildItem& it : items) ordered.push_back(accel->tris[it.tri]);
    accel->tris.swap(ordered);
    return accel;
}

// Slab test against a box widened by margin; the entry distance on success.
bool RayBox(const Vector3& o, const Vector3& invDir, const float* bmin, const float* bmax, float margin,
            float& tEntry) {
    float t0 = -std::numeric_limits<float>::infinity();
    float t1 = std::numeric_limits<float>::infinity();
    const float* po = &o.x;
    const float* pi = &invDir.x;
    for (int k = 0; k < 3; ++k) {
        const float lo = bmin[k] - margin, hi = bmax[k] + margin;
        if (std::isinf(pi[k])) {
            // Parallel to this slab: inside or never.
            if (po[k] < lo || po[k] > hi) return false;
            continue;
        }
        float a = (lo - po[k]) * pi[k];
        float b = (hi - po[k]) * pi[k];
        if (a > b) std::swap(a, b);
        t0 = std::max(t0, a);
        t1 = std::min(t1, b);
        if (t0 > t1) return false;
    }
    if (t1 < 0.0f) return false;
    tEntry = t0;
    return true;
}

// Best hit of one mesh so far, in the mesh's own terms.
struct MeshHit {
    float distance = RayCaster::kNoHit;  // world distance (t / scale)
    uint32_t index = 0;                  // triangle index
    bool found = false;
};

void Consider(float t, float scale, uint32_t index, MeshHit& hit) {
    const float d = t / scale;
    // Strictly nearer wins; an equal distance goes to the earlier triangle.
    // Infinite and NaN distances never count, as in the ordered walk.
    if (d < hit.distance || (hit.found && d == hit.distance && index < hit.index)) {
        hit.distance = d;
        hit.index = index;
        hit.found = true;
    }
}

// The plain walk over one mesh: the first triangle with the smallest distance.
void WalkPlain(const VeMesh& mesh, const Vector3& lo, const Vector3& ld, float scale, MeshHit& hit) {
    const std::vector<Vector3>& pos = mesh.GetPositions();
    const std::vector<VeTriangle>& tris = mesh.GetTriangles();
    for (size_t i = 0; i < tris.size(); ++i) {
        const VeTriangle& tr = tris[i];
        if (!TriangleValid(tr, pos.size())) continue;
        float t;
        if (!RayTriangle(lo, ld, pos[tr.i0], pos[tr.i1], pos[tr.i2], t)) continue;
        const float d = t / scale;
        if (d < hit.distance) {
            hit.distance = d;
            hit.index = uint32_t(i);
            hit.found = true;
        }
    }
}

float MarginFor(float extentScale, const Vector3& lo) {
    const float originScale = std::max({std::fabs(lo.x), std::fabs(lo.y), std::fabs(lo.z)});
    return 1e-4f * (extentScale + originScale) + 1e-6f;
}

void WalkAccelerated(const VeMesh& mesh, const Vector3& lo, const Vector3& ld, float scale, MeshHit& hit) {
    const size_t triCount = mesh.GetTriangles().size();
    if (triCount == 0) return;
    if (!std::isfinite(lo.x) || !std::isfinite(lo.y) || !std::isfinite(lo.z) || !std::isfinite(ld.x) ||
        !std::isfinite(ld.y) || !std::isfinite(ld.z) || !std::isfinite(scale)) {
        WalkPlain(mesh, lo, ld, scale, hit);
        return;
    }
    const Vector3 invDir(1.0f / ld.x, 1.0f / ld.y, 1.0f / ld.z);

    VeMesh::RayAccel* accel = mesh.GetRayAccel();
    if (!accel) {
        mesh.SetRayAccel(BuildAccel(mesh));
        accel = mesh.GetRayAccel();
    }
    if (!accel->usable) {
        WalkPlain(mesh, lo, ld, scale, hit);
        return;
    }

    if (triCount < kHierarchyThreshold) {
        // Small mesh: one widened bounding-box test, then the plain walk.
        // With slivers the box proves nothing, so they are walked always.
        if (accel->slivers.empty()) {
            const Vector3 c = mesh.GetBoxCenter(), e = mesh.GetBoxExtents();
            const float bmin[3] = {c.x - e.x, c.y - e.y, c.z - e.z};
            const float bmax[3] = {c.x + e.x, c.y + e.y, c.z + e.z};
            float entry;
            if (!RayBox(lo, invDir, bmin, bmax, MarginFor(accel->extentScale, lo), entry)) return;
        }
        WalkPlain(mesh, lo, ld, scale, hit);
        return;
    }

    for (const VeMesh::RayAccel::Tri& tr : accel->slivers) {
        float t;
        if (RayTriangle(lo, ld, tr.p0, tr.p1, tr.p2, t)) Consider(t, scale, tr.index, hit);
    }
    if (accel->nodes.empty()) return;
    const float margin = MarginFor(accel->extentScale, lo);

    // Local parameter bound beyond which no triangle can still win or tie:
    // widened so that distances that round to the same world distance are
    // still visited (ties go to the lower triangle index).
    auto bound = [&]() {
        if (!hit.found) return std::numeric_limits<float>::infinity();
        return hit.distance * scale * (1.0f + 1e-5f) + margin;
    };

    uint32_t stack[128];
    int top = 0;
    float entry;
    if (!RayBox(lo, invDir, accel->nodes[0].bmin, accel->nodes[0].bmax, margin, entry)) return;
    stack[top++] = 0;
    while (top > 0) {
        const VeMesh::RayAccel::Node& node = accel->nodes[stack[--top]];
        if (node.count > 0) {
            for (uint32_t i = node.first; i < node.first + node.count; ++i) {
                const VeMesh::RayAccel::Tri& tr = accel->tris[i];
                float t;
                if (RayTriangle(lo, ld, tr.p0, tr.p1, tr.p2, t)) Consider(t, scale, tr.index, hit);
            }
            continue;
        }
        const uint32_t l = node.first, r = node.first + 1;
        float tl, tr;
        const float limit = bound();
        const bool hl = RayBox(lo, invDir, accel->nodes[l].bmin, accel->nodes[l].bmax, margin, tl) && tl <= limit;
        const bool hr = RayBox(lo, invDir, accel->nodes[r].bmin, accel->nodes[r].bmax, margin, tr) && tr <= limit;
        if (top + 2 > int(sizeof(stack) / sizeof(stack[0]))) {
            // Cannot happen with the bounded build depth; if it did, start
            // over with the plain walk rather than return a partial answer.
            hit = MeshHit{};
            WalkPlain(mesh, lo, ld, scale, hit);
            return;
        }
        // Push the farther child first so the nearer one is visited first.
        if (hl && hr) {
            if (tl <= tr) { stack[top++] = r; stack[top++] = l; }
            else { stack[top++] = l; stack[top++] = r; }
        } else if (hl) {
            stack[top++] = l;
        } else if (hr) {
            stack[top++] = r;
        }
    }
}

}  // namespace

namespace {

bool RayTestModelImpl(const VeModel* model, const Matrix& world, const Vector3& origin,
                      const Vector3& direction, float& distance, Vector3& normal, bool accelerated) {
    if (!model) return false;
    float best = RayCaster::kNoHit;
    const VeMesh* bestMesh = nullptr;
    uint32_t bestTri = 0;
    Matrix bestWorld;
    for (const VeModelNode& node : model->nodes) {
        if (!node.mesh) continue;
        const VeMesh& mesh = *node.mesh;
        const Matrix nodeWorld = node.matrix * world;
        // A node or part scaled to nothing has no surface to hit. (Its
        // matrix has no inverse; inverting would give the identity and the
        // ray would meet the untransformed model.)
        const float determinant = nodeWorld.Determinant();
        if (determinant == 0.0f || !std::isfinite(determinant)) continue;
        const Matrix inverse = nodeWorld.Invert();
        const Vector3 lo = Vector3::Transform(origin, inverse);
        Vector3 ld = Vector3::TransformNormal(direction, inverse);
        const float scale = ld.Length();
        if (!(scale > 0.0f) || !std::isfinite(scale)) continue;
        ld = ld / scale;

        MeshHit hit;
        if (accelerated)
            WalkAccelerated(mesh, lo, ld, scale, hit);
        else
            WalkPlain(mesh, lo, ld, scale, hit);
        // Later nodes replace earlier ones only when strictly nearer.
        if (hit.found && hit.distance < best) {
            best = hit.distance;
            bestMesh = &mesh;
            bestTri = hit.index;
            bestWorld = nodeWorld;
        }
    }
    if (best == RayCaster::kNoHit || !bestMesh) return false;
    const VeTriangle& t = bestMesh->GetTriangles()[bestTri];
    const std::vector<Vector3>& pos = bestMesh->GetPositions();
    const Vector3 p0 = pos[t.i0], p1 = pos[t.i1], p2 = pos[t.i2];
    distance = best;
    normal = Vector3::TransformNormal((p1 - p0).Cross(p2 - p0), bestWorld).Normalized();
    return true;
}

}  // namespace

bool RayCaster::RayTestModel(const VeModel* model, const Matrix& world, const Vector3& origin,
                             const Vector3& direction, float& distance, Vector3& normal) const {
    return RayTestModelImpl(model, world, origin, direction, distance, normal, accelerated_);
}

bool RayCaster::RayTestModelBruteForce(const VeModel* model, const Matrix& world, const Vector3& origin,
                                       const Vector3& direction, float& distance, Vector3& normal) const {
    return RayTestModelImpl(model, world, origin, direction, distance, normal, false);
}
