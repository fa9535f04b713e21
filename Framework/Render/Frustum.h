// The view volume of a camera as six planes, for telling whether a box can
// show in the picture. Plain math: the game uses it as well as the renderer.
#pragma once

#include <cmath>

#include "Framework/Math/SimpleMath.h"

namespace Render {

// An axis-aligned box: centre and half extents.
struct Box {
    Vector3 center{0.0f, 0.0f, 0.0f};
    Vector3 extents{0.0f, 0.0f, 0.0f};
};

// The box around a box given in a space that the row-vector matrix m takes
// to world space: the centre transformed, the extents through the absolute
// values of m's rotation and scale (never smaller than the turned box).
inline Box TransformBox(const Box& box, const Matrix& m) {
    const Vector3 c = Vector3::Transform(box.center, m);
    const Vector3& e = box.extents;
    Vector3 out;
    out.x = e.x * std::fabs(m._11) + e.y * std::fabs(m._21) + e.z * std::fabs(m._31);
    out.y = e.x * std::fabs(m._12) + e.y * std::fabs(m._22) + e.z * std::fabs(m._32);
    out.z = e.x * std::fabs(m._13) + e.y * std::fabs(m._23) + e.z * std::fabs(m._33);
    return Box{c, out};
}

// The smallest box holding both.
inline Box UnionBox(const Box& a, const Box& b) {
    const Vector3 amin = a.center - a.extents, amax = a.center + a.extents;
    const Vector3 bmin = b.center - b.extents, bmax = b.center + b.extents;
    const Vector3 mn(std::fmin(amin.x, bmin.x), std::fmin(amin.y, bmin.y), std::fmin(amin.z, bmin.z));
    const Vector3 mx(std::fmax(amax.x, bmax.x), std::fmax(amax.y, bmax.y), std::fmax(amax.z, bmax.z));
    return Box{(mn + mx) * 0.5f, (mx - mn) * 0.5f};
}

class Frustum {
public:
    // The volume that view x projection maps into the clip box
    // -w <= x, y <= w, 0 <= z <= w (row vectors).
    explicit Frustum(const Matrix& viewProjection) {
        const Matrix& m = viewProjection;
        const Vector4 c0(m._11, m._21, m._31, m._41), c1(m._12, m._22, m._32, m._42);
        const Vector4 c2(m._13, m._23, m._33, m._43), c3(m._14, m._24, m._34, m._44);
        planes_[0] = c3 + c0;
        planes_[1] = c3 - c0;
        planes_[2] = c3 + c1;
        planes_[3] = c3 - c1;
        planes_[4] = c2;
        planes_[5] = c3 - c2;
    }

    // False only when the box lies wholly outside one of the planes, by a
    // margin that rounding in the vertex program cannot cross: what the
    // test rejects draws no pixel.
    bool MayShow(const Box& box) const {
        for (const Vector4& p : planes_) {
            const float d = p.x * box.center.x + p.y * box.center.y + p.z * box.center.z + p.w;
            const float r = std::fabs(p.x) * box.extents.x + std::fabs(p.y) * box.extents.y +
                            std::fabs(p.z) * box.extents.z;
            const float scale = std::fabs(p.x) + std::fabs(p.y) + std::fabs(p.z);
            const float margin = 1e-3f * scale * (1.0f + std::fabs(box.center.x) + std::fabs(box.center.y) +
                                                  std::fabs(box.center.z) + box.extents.x + box.extents.y +
                                                  box.extents.z) +
                                 1e-4f * std::fabs(p.w);
            if (d + r < -margin) return false;
        }
        return true;
    }

private:
    Vector4 planes_[6];
};

}  // namespace Render
