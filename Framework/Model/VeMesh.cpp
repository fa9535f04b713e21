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

}  // namespace

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
    rayAccel_.reset();
}

bool VeMesh::Create(const std::vector<VeVertex>& vertices, const std::vector<VeTriangle>& triangles,
                    const std::vector<VeSubset>& subsets) {
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

    if (!triangles.empty()) {
        triangles_ = triangles;
        if (gpu) {
            if (!vao_) glGenVertexArrays(1, &vao_);
            glBindVertexArray(vao_);
            glGenBuffers(1, &ibo_);
            // The element buffer binding is part of the vertex array state.
            glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ibo_);
            glBufferData(GL_ELEMENT_ARRAY_BUFFER,
                         static_cast<GLsizeiptr>(triangles.size() * sizeof(VeTriangle)), triangles.data(),
                         GL_STATIC_DRAW);
            glBindVertexArray(0);
        }
    }
    return true;
}

void VeMesh::SetToDevice() const {
    if (!vao_ || !GraphicsDevice::GetInstance().IsReady()) return;
    GraphicsDevice::GetInstance().SetVertexLayout(VertexLayout::Model);
    glBindVertexArray(vao_);
}

bool VeMesh::SubsetDrawable(size_t index) const {
    if (index >= subsets_.size()) return false;
    const VeSubset& s = subsets_[index];
    if (s.triangleCount == 0) return false;
    if (!vao_ || !ibo_ || !GraphicsDevice::GetInstance().IsReady()) return false;
    // Never draw past the index buffer, whatever the subset table says.
    const uint64_t end = uint64_t(s.firstTriangle) + s.triangleCount;
    return end <= triangles_.size();
}

void VeMesh::DrawSubset(size_t index) const {
    if (!SubsetDrawable(index)) return;
    const VeSubset& s = subsets_[index];
    glBindVertexArray(vao_);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(s.triangleCount * 3), GL_UNSIGNED_INT,
                   reinterpret_cast<const void*>(uintptr_t(s.firstTriangle) * 3 * sizeof(uint32_t)));
}

void VeMesh::DrawSubsetInstanced(size_t index, int count) const {
    if (count <= 0 || !SubsetDrawable(index)) return;
    const VeSubset& s = subsets_[index];
    glBindVertexArray(vao_);
    glDrawElementsInstanced(GL_TRIANGLES, static_cast<GLsizei>(s.triangleCount * 3), GL_UNSIGNED_INT,
                            reinterpret_cast<const void*>(uintptr_t(s.firstTriangle) * 3 * sizeof(uint32_t)),
                            count);
}
