// Splitting a mesh's large subsets into spatial chunks for drawing: which
// subsets split, that the chunks share out each subset's triangles, and
// that triangles which may tie in depth stay in one chunk. Headless: the
// chunks are worked out whether or not there is a device.
#include <gtest/gtest.h>

#include <vector>

#include "Framework/Model/VeModel.h"

namespace {

// A quad (two triangles) in the plane y = height, x from x0 to x1, z from z0 to z1.
void AddQuad(std::vector<VeVertex>& vertices, std::vector<VeTriangle>& triangles, float x0, float z0, float x1,
             float z1, float height = 0.0f) {
    const uint32_t base = static_cast<uint32_t>(vertices.size());
    for (const Vector3& p : {Vector3(x0, height, z0), Vector3(x1, height, z0), Vector3(x0, height, z1),
                             Vector3(x1, height, z1)}) {
        VeVertex v;
        v.position = p;
        vertices.push_back(v);
    }
    triangles.push_back({base, base + 2, base + 1});
    triangles.push_back({base + 1, base + 2, base + 3});
}

// A floor of 2 m quads, width by depth metres from the origin.
void AddFloor(std::vector<VeVertex>& vertices, std::vector<VeTriangle>& triangles, float width, float depth) {
    for (float z = 0.0f; z < depth; z += 2.0f)
        for (float x = 0.0f; x < width; x += 2.0f) AddQuad(vertices, triangles, x, z, x + 2.0f, z + 2.0f);
}


class MeshChunks : public ::testing::Test {
protected:
    void SetUp() override { VeMesh::SetChunkCell(24.0f); }
    void TearDown() override { VeMesh::SetChunkCell(cell_); }
    const float cell_ = VeMesh::GetChunkCell();
};

}  // namespace

TEST_F(MeshChunks, LargeOpaqueSubsetsSplitByCellTheRestStayWhole) {
    std::vector<VeVertex> vertices;
    std::vector<VeTriangle> triangles;
    AddFloor(vertices, triangles, 72.0f, 48.0f);  // 3 x 2 cells
    const uint32_t floor = static_cast<uint32_t>(triangles.size());
    AddFloor(vertices, triangles, 72.0f, 48.0f);  // the same, see-through
    const uint32_t small = static_cast<uint32_t>(triangles.size());
    for (int i = 0; i < 40; ++i) AddQuad(vertices, triangles, 1.0f, 1.0f, 3.0f, 3.0f, 0.1f * i);
    const std::vector<VeSubset> subsets = {{0, 0, floor}, {0, floor, floor}, {0, small, 80}};

    VeMesh mesh;
    ASSERT_TRUE(mesh.Create(vertices, triangles, subsets, {false, true, false}));
    EXPECT_EQ(mesh.ChunksEnd(1) - mesh.ChunksBegin(1), 1);
    EXPECT_EQ(mesh.ChunksEnd(2) - mesh.ChunksBegin(2), 1);
    EXPECT_EQ(mesh.ChunksBegin(3), nullptr);
    ASSERT_EQ(mesh.ChunksEnd(0) - mesh.ChunksBegin(0), 6);
    // The chunks follow each other over the subset's range, each within
    // its cell (a triangle's centre decides; the 2 m quads line up with
    // the cells).
    uint32_t next = 0;
    for (const VeChunk* c = mesh.ChunksBegin(0); c != mesh.ChunksEnd(0); ++c) {
        EXPECT_EQ(c->firstTriangle, next);
        EXPECT_EQ(c->triangleCount, 144u * 2u);
        next += c->triangleCount;
        EXPECT_TRUE(c->bounds.valid);
        EXPECT_FLOAT_EQ(c->bounds.extents.x, 12.0f);
        EXPECT_FLOAT_EQ(c->bounds.extents.z, 12.0f);
    }
    // The ray queries still see the triangles as loaded.
    ASSERT_EQ(mesh.GetTriangles().size(), triangles.size());
    for (size_t t = 0; t < triangles.size(); ++t) EXPECT_EQ(mesh.GetTriangles()[t].i0, triangles[t].i0);

    // Without a cell nothing splits.
    VeMesh::SetChunkCell(0.0f);
    ASSERT_TRUE(mesh.Create(vertices, triangles, subsets));
    EXPECT_EQ(mesh.ChunksEnd(0) - mesh.ChunksBegin(0), 1);
}

TEST_F(MeshChunks, TrianglesThatMayTieInDepthShareAChunk) {
    std::vector<VeVertex> vertices;
    std::vector<VeTriangle> triangles;
    AddFloor(vertices, triangles, 48.0f, 24.0f);  // 2 cells of 288 triangles, parted at x = 24
    // A patch lying on the floor across the parting (one triangle's centre
    // on each side), and a post whose foot stands in the floor across it.
    AddQuad(vertices, triangles, 22.0f, 10.0f, 26.0f, 12.0f);
    const uint32_t post = static_cast<uint32_t>(vertices.size());
    for (const Vector3& p : {Vector3(23.5f, 0.0f, 5.0f), Vector3(24.5f, 0.0f, 5.0f), Vector3(23.5f, 3.0f, 5.0f)}) {
        VeVertex v;
        v.position = p;
        vertices.push_back(v);
    }
    triangles.push_back({post, post + 2, post + 1});
    VeMesh mesh;
    ASSERT_TRUE(mesh.Create(vertices, triangles, {{0, 0, static_cast<uint32_t>(triangles.size())}}));
    ASSERT_EQ(mesh.ChunksEnd(0) - mesh.ChunksBegin(0), 2);
    // Each goes with the first floor triangle it may tie with, in the cell
    // left of the parting, and takes along the floor triangles right of it
    // that it ties with: the patch both triangles of the quad it covers
    // there, the post the one its foot crosses.
    EXPECT_EQ(mesh.ChunksBegin(0)[0].triangleCount, 288u + 2u + 2u + 1u + 1u);
    EXPECT_EQ(mesh.ChunksBegin(0)[1].triangleCount, 288u - 2u - 1u);
}
