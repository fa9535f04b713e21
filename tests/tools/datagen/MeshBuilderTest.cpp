// Shape helpers of the data generator: closed shapes, outward winding and
// normals, transformed and mirrored copies.
#include <gtest/gtest.h>

#include "MeshBuilder.h"
#include "tests/tools/datagen/DatagenTestUtil.h"

using datagen::Mesh;
using datagen::Primitive;

namespace {

size_t Miswound(const Primitive& p) {
    return datagentest::CountMiswound(
        p.indices.size() / 3, [&](size_t t, int k) { return p.vertices[p.indices[t * 3 + k]].p; },
        [&](size_t t, int k) { return p.vertices[p.indices[t * 3 + k]].n; });
}

size_t Open(const Primitive& p) {
    std::vector<Vector3> pos;
    for (const auto& v : p.vertices) pos.push_back(v.p);
    return datagentest::OpenEdges(pos, p.indices);
}

// Every triangle of a convex shape faces away from the point inside it.
size_t FacingInwards(const Primitive& p, const Vector3& inside) {
    size_t bad = 0;
    for (size_t i = 0; i + 2 < p.indices.size(); i += 3) {
        const Vector3 a = p.vertices[p.indices[i]].p, b = p.vertices[p.indices[i + 1]].p,
                      c = p.vertices[p.indices[i + 2]].p;
        const Vector3 g = (b - a).Cross(c - a);
        if (g.LengthSquared() < 1e-14f) continue;
        if (g.Dot((a + b + c) * (1.0f / 3.0f) - inside) <= 0) ++bad;
    }
    return bad;
}

}  // namespace

TEST(MeshBuilder, ClosedShapesFaceOutwards) {
    struct Case {
        const char* name;
        Mesh mesh;
        Vector3 inside;
    };
    std::vector<Case> cases;
    {
        Mesh m;
        m.AddBox({-1, 0, 2}, {3, 1, 5}, 0.5f);
        cases.push_back({"box", m, {1, 0.5f, 3.5f}});
    }
    {
        Mesh m;
        m.AddCylinder({1, 0, 1}, 2, 3, 12);
        cases.push_back({"cylinder", m, {1, 1.5f, 1}});
    }
    {
        Mesh m;
        m.AddTube({0, 0, 0}, {1, 2, -3}, 0.8f, 0.3f, 9);  // a tilted cone frustum
        cases.push_back({"tube", m, {0.5f, 1, -1.5f}});
    }
    {
        Mesh m;
        m.AddSphere({0, 2, 0}, {1, 2, 0.5f}, 10, 6);
        cases.push_back({"ellipsoid", m, {0, 2, 0}});
    }
    {
        Mesh m;
        m.AddBoxTransformed(Matrix::CreateScale(2, 1, 0.5f) * Matrix::CreateRotationX(0.7f) *
                            Matrix::CreateTranslation(4, 5, 6));
        cases.push_back({"rotated box", m, {4, 5, 6}});
    }
    {
        // A chamfered outline swept from a narrow end to a wider, raked one,
        // given clockwise and anticlockwise.
        const std::vector<Vector2> outline = {{-1, 0}, {-1, 1}, {-0.5f, 1.5f}, {0.5f, 1.5f}, {1, 1}, {1, 0}};
        const std::vector<Vector2> reversed(outline.rbegin(), outline.rend());
        const Matrix a = Matrix::CreateTranslation(0, 0, -2);
        const Matrix b = Matrix::CreateScale(1.5f) * Matrix::CreateTranslation(0, -1, 3);
        Mesh m, r;
        m.AddLoft(outline, a, b);
        r.AddLoft(reversed, b, a);
        cases.push_back({"loft", m, {0, 0.5f, 0.5f}});
        cases.push_back({"reversed loft", r, {0, 0.5f, 0.5f}});
    }
    for (const Case& c : cases) {
        ASSERT_EQ(c.mesh.Primitives().size(), 1u) << c.name;
        const Primitive& p = c.mesh.Primitives()[0];
        EXPECT_GT(p.indices.size(), 0u) << c.name;
        EXPECT_EQ(Miswound(p), 0u) << c.name;
        EXPECT_EQ(Open(p), 0u) << c.name;
        EXPECT_EQ(FacingInwards(p, c.inside), 0u) << c.name;
        for (const auto& v : p.vertices) EXPECT_NEAR(v.n.Length(), 1.0f, 1e-4f) << c.name;
    }
}

TEST(MeshBuilder, BoxFacesMapWholeTextureOrWorldUnits) {
    Mesh unit;
    unit.AddBox({0, 0, 0}, {2, 4, 6});
    for (const auto& v : unit.Primitives()[0].vertices) {
        EXPECT_TRUE(v.uv.x == 0.0f || v.uv.x == 1.0f);
        EXPECT_TRUE(v.uv.y == 0.0f || v.uv.y == 1.0f);
    }
    Mesh tiled;
    tiled.AddBox({0, 0, 0}, {2, 4, 6}, 0.5f);
    float maxU = 0;
    for (const auto& v : tiled.Primitives()[0].vertices) maxU = std::max(maxU, std::fabs(v.uv.x));
    EXPECT_FLOAT_EQ(maxU, 3.0f);  // the 6-long side at 0.5 per unit
}

TEST(MeshBuilder, QuadFrontIsTheClockwiseSide) {
    Mesh m;
    // Seen from -z (looking along +z), these corners run clockwise.
    m.AddQuad({-1, 1, 0}, {1, 1, 0}, {1, -1, 0}, {-1, -1, 0});
    const auto& v = m.Primitives()[0].vertices;
    for (const auto& x : v) {
        EXPECT_FLOAT_EQ(x.n.z, -1.0f);
    }
    EXPECT_EQ(m.TriangleCount(), 2u);
}

TEST(MeshBuilder, AppendTransformsAndKeepsMirroredCopiesOutward) {
    Mesh box;
    box.Use(3);
    box.AddBox({0, 0, 0}, {1, 1, 1});
    Mesh target;
    target.Use(1);
    target.AddBox({0, 0, 0}, {1, 1, 1});
    // A mirror (negative determinant) and a non-uniform scale.
    target.Append(box, Matrix::CreateScale(-2, 1, 3) * Matrix::CreateTranslation(10, 0, 0));
    ASSERT_EQ(target.Primitives().size(), 2u);
    const Primitive& copied = target.Primitives()[1];
    EXPECT_EQ(copied.material, 3);
    EXPECT_EQ(Miswound(copied), 0u);
    EXPECT_EQ(Open(copied), 0u);
    EXPECT_EQ(FacingInwards(copied, {9, 0.5f, 1.5f}), 0u);
    for (const auto& v : copied.vertices) {
        EXPECT_GE(v.p.x, 8.0f - 1e-5f);
        EXPECT_LE(v.p.x, 10.0f + 1e-5f);
        EXPECT_LE(v.p.z, 3.0f + 1e-5f);
    }
    // The current material stays the one selected before the append.
    target.AddBox({5, 5, 5}, {6, 6, 6});
    EXPECT_EQ(target.Primitives()[0].indices.size(), 72u);
    EXPECT_EQ(target.TriangleCount(), 36u);
}

TEST(MeshBuilder, ShadeMultipliesVertexColours) {
    Mesh m;
    m.AddBox({0, 0, 0}, {1, 1, 1}, 0.0f, {0.5f, 1, 1, 1});
    m.Shade([](const Vector3& p, const Vector3&) { return Vector4(p.y > 0.5f ? 1.0f : 0.5f, 1, 1, 1); });
    for (const auto& v : m.Primitives()[0].vertices) EXPECT_FLOAT_EQ(v.c.x, v.p.y > 0.5f ? 0.5f : 0.25f);
}
