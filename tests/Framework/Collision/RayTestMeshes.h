// Hit-test models built in code for the ray query tests and the benchmark.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "Framework/Model/VeModel.h"

namespace raytest {

// The bits of a float: the walks must agree exactly, not nearly.
inline uint32_t Bits(float f) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    return u;
}

struct MeshData {
    std::vector<VeVertex> vertices;
    std::vector<VeTriangle> triangles;

    void Add(const Vector3& p) {
        VeVertex v;
        v.position = p;
        vertices.push_back(v);
    }
};

// Adds a mesh node with the given local matrix to the model.
inline void AddNode(VeModel& model, const MeshData& data, const Matrix& matrix = Matrix()) {
    VeModelNode node;
    node.index = int(model.nodes.size());
    node.matrix = matrix;
    node.mesh = std::make_shared<VeMesh>();
    VeSubset subset;
    subset.triangleCount = uint32_t(data.triangles.size());
    node.mesh->Create(data.vertices, data.triangles, {subset});
    model.nodes.push_back(node);
}

// A closed axis-aligned box from -h to +h.
inline MeshData Box(float h) {
    MeshData m;
    for (int i = 0; i < 8; ++i) m.Add(Vector3(i & 1 ? h : -h, i & 2 ? h : -h, i & 4 ? h : -h));
    const uint32_t f[6][4] = {{0, 1, 3, 2}, {4, 6, 7, 5}, {0, 4, 5, 1}, {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 5, 7, 3}};
    for (const auto& q : f) {
        m.triangles.push_back({q[0], q[1], q[2]});
        m.triangles.push_back({q[0], q[2], q[3]});
    }
    return m;
}

// A single triangle in the plane z = z0 covering x, y in [-1, 1].
inline MeshData Wall(float z0) {
    MeshData m;
    m.Add(Vector3(-1, -1, z0));
    m.Add(Vector3(3, -1, z0));
    m.Add(Vector3(-1, 3, z0));
    m.triangles.push_back({0, 2, 1});
    return m;
}

// A height field of n x n quads (2 n^2 triangles) over [-size, size]^2 in
// x/z, with random heights; every other row of quads is duplicated so that
// equal distances occur and must go to the earlier triangle.
inline MeshData Terrain(int n, float size, uint32_t seed, bool duplicates) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> h(-2.0f, 2.0f);
    MeshData m;
    for (int z = 0; z <= n; ++z)
        for (int x = 0; x <= n; ++x)
            m.Add(Vector3(-size + 2 * size * x / n, h(rng), -size + 2 * size * z / n));
    auto at = [&](int x, int z) { return uint32_t(z * (n + 1) + x); };
    for (int z = 0; z < n; ++z)
        for (int x = 0; x < n; ++x) {
            m.triangles.push_back({at(x, z), at(x, z + 1), at(x + 1, z)});
            m.triangles.push_back({at(x + 1, z), at(x, z + 1), at(x + 1, z + 1)});
        }
    if (duplicates) {
        const size_t count = m.triangles.size();
        for (size_t i = 0; i < count; i += 7) {
            VeTriangle t = m.triangles[i];
            // Same plane, other vertex order: equal or nearly equal distances,
            // with a normal of other bits (rotated) or flipped (reversed).
            if ((i / 7) % 2) m.triangles.push_back({t.i1, t.i2, t.i0});
            else m.triangles.push_back({t.i0, t.i2, t.i1});
        }
    }
    return m;
}

// A UV sphere of radius r with the given rings and segments.
inline MeshData Sphere(float r, int rings, int segments) {
    MeshData m;
    for (int i = 0; i <= rings; ++i) {
        const float phi = 3.14159265f * float(i) / float(rings);
        for (int j = 0; j <= segments; ++j) {
            const float th = 2 * 3.14159265f * float(j) / float(segments);
            m.Add(Vector3(r * std::sin(phi) * std::cos(th), r * std::cos(phi), r * std::sin(phi) * std::sin(th)));
        }
    }
    for (int i = 0; i < rings; ++i)
        for (int j = 0; j < segments; ++j) {
            const uint32_t a = uint32_t(i * (segments + 1) + j), b = a + uint32_t(segments) + 1;
            m.triangles.push_back({a, b, a + 1});
            m.triangles.push_back({a + 1, b, b + 1});
        }
    return m;
}

// Random triangles in a cube of the given half size.
inline MeshData Soup(int count, float half, uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> c(-half, half), d(-0.5f, 0.5f);
    MeshData m;
    for (int i = 0; i < count; ++i) {
        Vector3 base(c(rng), c(rng), c(rng));
        for (int k = 0; k < 3; ++k) m.Add(base + Vector3(d(rng), d(rng), d(rng)));
        const uint32_t b = uint32_t(i * 3);
        m.triangles.push_back({b, b + 1, b + 2});
    }
    return m;
}

// Needle triangles (the third corner almost on the first edge) mixed into
// ordinary ones: the triangle test is badly conditioned on needles and can
// report hits away from them, which no bounding volume may hide.
inline MeshData Needles(int count, float half, uint32_t seed) {
    MeshData m = Soup(count, half, seed);
    std::mt19937 rng(seed + 1);
    std::uniform_real_distribution<float> c(-half, half), tiny(-2e-6f, 2e-6f);
    for (int i = 0; i < count / 4; ++i) {
        const Vector3 a(c(rng), c(rng), c(rng)), b = a + Vector3(c(rng), c(rng), c(rng)) * 0.2f;
        const uint32_t base = uint32_t(m.vertices.size());
        m.Add(a);
        m.Add(b);
        // Either almost on the edge, or almost on a corner (collapsed).
        if (i % 2) m.Add((a + b) * 0.5f + Vector3(tiny(rng), tiny(rng), tiny(rng)));
        else m.Add(a + Vector3(tiny(rng), tiny(rng), tiny(rng)));
        m.triangles.push_back({base, base + 1, base + 2});
    }
    return m;
}

// Small triangles at exponentially growing x: a lopsided distribution that
// drives a surface-area split towards a deep, one-sided hierarchy.
inline MeshData Lopsided(int count) {
    MeshData m;
    float x = 0.5f;
    for (int i = 0; i < count; ++i) {
        m.Add(Vector3(x, -1, -1));
        m.Add(Vector3(x, 1, -1));
        m.Add(Vector3(x, 0, 1));
        const uint32_t b = uint32_t(i * 3);
        m.triangles.push_back({b, b + 1, b + 2});
        x *= 1.004f;
    }
    return m;
}

}  // namespace raytest
