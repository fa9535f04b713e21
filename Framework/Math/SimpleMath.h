// Small vector, matrix and quaternion library used by every part of the game.
//
// Conventions (shared by all game code and the shaders):
//  - row vectors: a point p is transformed as p * M;
//  - the translation lives in the fourth row (_41, _42, _43);
//  - A * B applies A first, then B;
//  - left-handed coordinates, x right, y up, +z forward;
//  - angles are radians unless a name says Degrees.
#pragma once

#include <cmath>
#include <cstring>

namespace Math {

constexpr float kPi = 3.14159265358979323846f;
// Degrees to radians as the game's data uses it.
constexpr float kDegToRad = 0.017453292f;
inline float ToRadians(float degrees) { return degrees * kDegToRad; }
inline float ToDegrees(float radians) { return radians * (180.0f / kPi); }

struct Matrix;
struct Quaternion;

struct Vector2 {
    float x = 0.0f, y = 0.0f;
    constexpr Vector2() = default;
    constexpr Vector2(float x_, float y_) : x(x_), y(y_) {}
    Vector2 operator+(const Vector2& o) const { return {x + o.x, y + o.y}; }
    Vector2 operator-(const Vector2& o) const { return {x - o.x, y - o.y}; }
    Vector2 operator*(float s) const { return {x * s, y * s}; }
    Vector2& operator+=(const Vector2& o) { x += o.x; y += o.y; return *this; }
    Vector2& operator-=(const Vector2& o) { x -= o.x; y -= o.y; return *this; }
    bool operator==(const Vector2& o) const { return x == o.x && y == o.y; }
    bool operator!=(const Vector2& o) const { return !(*this == o); }
};

struct Vector3 {
    float x = 0.0f, y = 0.0f, z = 0.0f;
    constexpr Vector3() = default;
    constexpr Vector3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

    Vector3 operator+(const Vector3& o) const { return {x + o.x, y + o.y, z + o.z}; }
    Vector3 operator-(const Vector3& o) const { return {x - o.x, y - o.y, z - o.z}; }
    Vector3 operator-() const { return {-x, -y, -z}; }
    Vector3 operator*(float s) const { return {x * s, y * s, z * s}; }
    Vector3 operator/(float s) const { return {x / s, y / s, z / s}; }
    // Component-wise product.
    Vector3 operator*(const Vector3& o) const { return {x * o.x, y * o.y, z * o.z}; }
    Vector3& operator+=(const Vector3& o) { x += o.x; y += o.y; z += o.z; return *this; }
    Vector3& operator-=(const Vector3& o) { x -= o.x; y -= o.y; z -= o.z; return *this; }
    Vector3& operator*=(float s) { x *= s; y *= s; z *= s; return *this; }
    bool operator==(const Vector3& o) const { return x == o.x && y == o.y && z == o.z; }
    bool operator!=(const Vector3& o) const { return !(*this == o); }

    float Dot(const Vector3& o) const { return x * o.x + y * o.y + z * o.z; }
    Vector3 Cross(const Vector3& o) const {
        return {y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x};
    }
    float LengthSquared() const { return Dot(*this); }
    float Length() const { return std::sqrt(LengthSquared()); }
    // Normalises in place; a zero vector stays zero.
    void Normalize() {
        float len = Length();
        if (len > 0.0f) { x /= len; y /= len; z /= len; }
    }
    Vector3 Normalized() const { Vector3 v = *this; v.Normalize(); return v; }

    static float Distance(const Vector3& a, const Vector3& b) { return (a - b).Length(); }
    // Point transform (w = 1), divided by the resulting w like a coordinate transform.
    static Vector3 Transform(const Vector3& v, const Matrix& m);
    // Direction transform (w = 0): rotation and scale, no translation.
    static Vector3 TransformNormal(const Vector3& v, const Matrix& m);
    // Rotation of v by a unit quaternion.
    static Vector3 Transform(const Vector3& v, const Quaternion& q);
};

inline Vector3 operator*(float s, const Vector3& v) { return v * s; }

struct Vector4 {
    float x = 0.0f, y = 0.0f, z = 0.0f, w = 0.0f;
    constexpr Vector4() = default;
    constexpr Vector4(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}
    Vector4 operator+(const Vector4& o) const { return {x + o.x, y + o.y, z + o.z, w + o.w}; }
    Vector4 operator-(const Vector4& o) const { return {x - o.x, y - o.y, z - o.z, w - o.w}; }
    Vector4 operator*(float s) const { return {x * s, y * s, z * s, w * s}; }
    Vector4 operator*(const Vector4& o) const { return {x * o.x, y * o.y, z * o.z, w * o.w}; }
    bool operator==(const Vector4& o) const { return x == o.x && y == o.y && z == o.z && w == o.w; }
    bool operator!=(const Vector4& o) const { return !(*this == o); }
    float Dot(const Vector4& o) const { return x * o.x + y * o.y + z * o.z + w * o.w; }
    // Full 4-component transform v * M.
    static Vector4 Transform(const Vector4& v, const Matrix& m);
};

struct Quaternion {
    float x = 0.0f, y = 0.0f, z = 0.0f, w = 1.0f;
    constexpr Quaternion() = default;
    constexpr Quaternion(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}
    static constexpr Quaternion Identity() { return {0.0f, 0.0f, 0.0f, 1.0f}; }

    bool operator==(const Quaternion& o) const { return x == o.x && y == o.y && z == o.z && w == o.w; }
    bool operator!=(const Quaternion& o) const { return !(*this == o); }
    float Dot(const Quaternion& o) const { return x * o.x + y * o.y + z * o.z + w * o.w; }
    float Length() const { return std::sqrt(Dot(*this)); }
    void Normalize() {
        float len = Length();
        if (len > 0.0f) { x /= len; y /= len; z /= len; w /= len; }
    }

    // Rotation about a unit axis.
    static Quaternion CreateFromAxisAngle(const Vector3& axis, float angle);
    // Quaternion of a pure rotation matrix (the upper 3x3 is read), normalised.
    static Quaternion CreateFromRotationMatrix(const Matrix& m);
    // Roll about z first, then pitch about x, then yaw about y; made through the
    // rotation matrix and converted back, normalised.
    static Quaternion CreateFromRollPitchYaw(float pitch, float yaw, float roll);
    // Spherical interpolation: if the dot product is negative the second
    // quaternion is negated; below 0.99999 the sine weights are used, else the
    // linear weights 1 - t and t. The result is not renormalised.
    static Quaternion Slerp(const Quaternion& a, const Quaternion& b, float t);
};

struct Matrix {
    union {
        struct {
            float _11, _12, _13, _14;
            float _21, _22, _23, _24;
            float _31, _32, _33, _34;
            float _41, _42, _43, _44;
        };
        float m[4][4];
    };

    Matrix() : _11(1), _12(0), _13(0), _14(0), _21(0), _22(1), _23(0), _24(0),
               _31(0), _32(0), _33(1), _34(0), _41(0), _42(0), _43(0), _44(1) {}
    Matrix(float m11, float m12, float m13, float m14,
           float m21, float m22, float m23, float m24,
           float m31, float m32, float m33, float m34,
           float m41, float m42, float m43, float m44)
        : _11(m11), _12(m12), _13(m13), _14(m14), _21(m21), _22(m22), _23(m23), _24(m24),
          _31(m31), _32(m32), _33(m33), _34(m34), _41(m41), _42(m42), _43(m43), _44(m44) {}
    Matrix(const Matrix& o) { std::memcpy(m, o.m, sizeof(m)); }
    Matrix& operator=(const Matrix& o) { std::memcpy(m, o.m, sizeof(m)); return *this; }

    static Matrix Identity() { return Matrix(); }

    bool operator==(const Matrix& o) const {
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                if (m[r][c] != o.m[r][c]) return false;
        return true;
    }
    bool operator!=(const Matrix& o) const { return !(*this == o); }

    Matrix operator*(const Matrix& o) const {
        Matrix r;
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j)
                r.m[i][j] = m[i][0] * o.m[0][j] + m[i][1] * o.m[1][j] +
                            m[i][2] * o.m[2][j] + m[i][3] * o.m[3][j];
        return r;
    }
    Matrix& operator*=(const Matrix& o) { *this = *this * o; return *this; }

    // Rows as vectors: row 1 = x axis, row 2 = y axis, row 3 = z axis (facing),
    // row 4 = translation.
    Vector3 Row(int i) const { return {m[i][0], m[i][1], m[i][2]}; }
    void SetRow(int i, const Vector3& v) { m[i][0] = v.x; m[i][1] = v.y; m[i][2] = v.z; }
    Vector3 Translation() const { return {_41, _42, _43}; }
    void Translation(const Vector3& v) { _41 = v.x; _42 = v.y; _43 = v.z; }

    Matrix Transpose() const {
        return Matrix(_11, _21, _31, _41, _12, _22, _32, _42, _13, _23, _33, _43, _14, _24, _34, _44);
    }
    // General 4x4 inverse; a singular matrix gives the identity.
    Matrix Invert() const;
    float Determinant() const;

    static Matrix CreateTranslation(const Vector3& p) {
        Matrix r; r._41 = p.x; r._42 = p.y; r._43 = p.z; return r;
    }
    static Matrix CreateTranslation(float x, float y, float z) { return CreateTranslation({x, y, z}); }
    static Matrix CreateScale(float s) { return CreateScale(s, s, s); }
    static Matrix CreateScale(float sx, float sy, float sz) {
        Matrix r; r._11 = sx; r._22 = sy; r._33 = sz; return r;
    }
    // Rows (1, 0, 0), (0, c, s), (0, -s, c).
    static Matrix CreateRotationX(float a);
    // Rows (c, 0, -s), (0, 1, 0), (s, 0, c).
    static Matrix CreateRotationY(float a);
    // Rows (c, s, 0), (-s, c, 0), (0, 0, 1).
    static Matrix CreateRotationZ(float a);
    // Rz(roll) * Rx(pitch) * Ry(yaw).
    static Matrix CreateFromRollPitchYaw(float pitch, float yaw, float roll);
    // Rotation about a unit axis, consistent with CreateRotationX/Y/Z.
    static Matrix CreateFromAxisAngle(const Vector3& axis, float angle);
    static Matrix CreateFromQuaternion(const Quaternion& q);
    // Left-handed view matrix looking from eye along direction.
    static Matrix CreateLookTo(const Vector3& eye, const Vector3& direction, const Vector3& up);
    // Left-handed perspective projection, depth range 0..1.
    static Matrix CreatePerspectiveFieldOfView(float fovY, float aspect, float nearZ, float farZ);
    // Spherical billboard at position for a camera at cameraPosition:
    // z = normalise(position - camera), x = normalise(cross(up, z)), y = cross(z, x);
    // rows x, y, z and the position. A zero-length z falls back to +z.
    static Matrix CreateBillboard(const Vector3& position, const Vector3& cameraPosition,
                                  const Vector3& up);
};

// ---------------------------------------------------------------------------
// Implementations (inline: the whole game uses them in hot loops).

inline Vector3 Vector3::Transform(const Vector3& v, const Matrix& m) {
    float x = v.x * m._11 + v.y * m._21 + v.z * m._31 + m._41;
    float y = v.x * m._12 + v.y * m._22 + v.z * m._32 + m._42;
    float z = v.x * m._13 + v.y * m._23 + v.z * m._33 + m._43;
    float w = v.x * m._14 + v.y * m._24 + v.z * m._34 + m._44;
    if (w != 1.0f && w != 0.0f) { x /= w; y /= w; z /= w; }
    return {x, y, z};
}

inline Vector3 Vector3::TransformNormal(const Vector3& v, const Matrix& m) {
    return {v.x * m._11 + v.y * m._21 + v.z * m._31,
            v.x * m._12 + v.y * m._22 + v.z * m._32,
            v.x * m._13 + v.y * m._23 + v.z * m._33};
}

inline Vector3 Vector3::Transform(const Vector3& v, const Quaternion& q) {
    return TransformNormal(v, Matrix::CreateFromQuaternion(q));
}

inline Vector4 Vector4::Transform(const Vector4& v, const Matrix& m) {
    return {v.x * m._11 + v.y * m._21 + v.z * m._31 + v.w * m._41,
            v.x * m._12 + v.y * m._22 + v.z * m._32 + v.w * m._42,
            v.x * m._13 + v.y * m._23 + v.z * m._33 + v.w * m._43,
            v.x * m._14 + v.y * m._24 + v.z * m._34 + v.w * m._44};
}

inline Quaternion Quaternion::CreateFromAxisAngle(const Vector3& axis, float angle) {
    float s = std::sin(angle * 0.5f), c = std::cos(angle * 0.5f);
    return {axis.x * s, axis.y * s, axis.z * s, c};
}

inline Quaternion Quaternion::CreateFromRotationMatrix(const Matrix& M) {
    const auto& m = M.m;
    Quaternion q;
    float r22 = m[2][2];
    if (r22 <= 0.0f) {
        float dif10 = m[1][1] - m[0][0];
        float omr22 = 1.0f - r22;
        if (dif10 <= 0.0f) {
            float four = omr22 - dif10, inv = 0.5f / std::sqrt(four);
            q = {four * inv, (m[0][1] + m[1][0]) * inv, (m[0][2] + m[2][0]) * inv, (m[1][2] - m[2][1]) * inv};
        } else {
            float four = omr22 + dif10, inv = 0.5f / std::sqrt(four);
            q = {(m[0][1] + m[1][0]) * inv, four * inv, (m[1][2] + m[2][1]) * inv, (m[2][0] - m[0][2]) * inv};
        }
    } else {
        float sum10 = m[1][1] + m[0][0];
        float opr22 = 1.0f + r22;
        if (sum10 <= 0.0f) {
            float four = opr22 - sum10, inv = 0.5f / std::sqrt(four);
            q = {(m[0][2] + m[2][0]) * inv, (m[1][2] + m[2][1]) * inv, four * inv, (m[0][1] - m[1][0]) * inv};
        } else {
            float four = opr22 + sum10, inv = 0.5f / std::sqrt(four);
            q = {(m[1][2] - m[2][1]) * inv, (m[2][0] - m[0][2]) * inv, (m[0][1] - m[1][0]) * inv, four * inv};
        }
    }
    q.Normalize();
    return q;
}

inline Quaternion Quaternion::CreateFromRollPitchYaw(float pitch, float yaw, float roll) {
    return CreateFromRotationMatrix(Matrix::CreateFromRollPitchYaw(pitch, yaw, roll));
}

inline Quaternion Quaternion::Slerp(const Quaternion& a, const Quaternion& bIn, float t) {
    Quaternion b = bIn;
    float dot = a.Dot(b);
    if (dot < 0.0f) {
        dot = -dot;
        b = {-b.x, -b.y, -b.z, -b.w};
    }
    float wa, wb;
    if (dot < 0.99999f) {
        float omega = std::atan2(std::sqrt(1.0f - dot * dot), dot);
        float sinOmega = std::sin(omega);
        wa = std::sin((1.0f - t) * omega) / sinOmega;
        wb = std::sin(t * omega) / sinOmega;
    } else {
        wa = 1.0f - t;
        wb = t;
    }
    return {a.x * wa + b.x * wb, a.y * wa + b.y * wb, a.z * wa + b.z * wb, a.w * wa + b.w * wb};
}

inline float Matrix::Determinant() const {
    const auto& a = m;
    float s0 = a[0][0] * a[1][1] - a[1][0] * a[0][1];
    float s1 = a[0][0] * a[1][2] - a[1][0] * a[0][2];
    float s2 = a[0][0] * a[1][3] - a[1][0] * a[0][3];
    float s3 = a[0][1] * a[1][2] - a[1][1] * a[0][2];
    float s4 = a[0][1] * a[1][3] - a[1][1] * a[0][3];
    float s5 = a[0][2] * a[1][3] - a[1][2] * a[0][3];
    float c5 = a[2][2] * a[3][3] - a[3][2] * a[2][3];
    float c4 = a[2][1] * a[3][3] - a[3][1] * a[2][3];
    float c3 = a[2][1] * a[3][2] - a[3][1] * a[2][2];
    float c2 = a[2][0] * a[3][3] - a[3][0] * a[2][3];
    float c1 = a[2][0] * a[3][2] - a[3][0] * a[2][2];
    float c0 = a[2][0] * a[3][1] - a[3][0] * a[2][1];
    return s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;
}

inline Matrix Matrix::Invert() const {
    const auto& a = m;
    float s0 = a[0][0] * a[1][1] - a[1][0] * a[0][1];
    float s1 = a[0][0] * a[1][2] - a[1][0] * a[0][2];
    float s2 = a[0][0] * a[1][3] - a[1][0] * a[0][3];
    float s3 = a[0][1] * a[1][2] - a[1][1] * a[0][2];
    float s4 = a[0][1] * a[1][3] - a[1][1] * a[0][3];
    float s5 = a[0][2] * a[1][3] - a[1][2] * a[0][3];
    float c5 = a[2][2] * a[3][3] - a[3][2] * a[2][3];
    float c4 = a[2][1] * a[3][3] - a[3][1] * a[2][3];
    float c3 = a[2][1] * a[3][2] - a[3][1] * a[2][2];
    float c2 = a[2][0] * a[3][3] - a[3][0] * a[2][3];
    float c1 = a[2][0] * a[3][2] - a[3][0] * a[2][2];
    float c0 = a[2][0] * a[3][1] - a[3][0] * a[2][1];
    float det = s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;
    if (det == 0.0f || !std::isfinite(det)) return Matrix();
    float inv = 1.0f / det;
    Matrix r;
    r.m[0][0] = (a[1][1] * c5 - a[1][2] * c4 + a[1][3] * c3) * inv;
    r.m[0][1] = (-a[0][1] * c5 + a[0][2] * c4 - a[0][3] * c3) * inv;
    r.m[0][2] = (a[3][1] * s5 - a[3][2] * s4 + a[3][3] * s3) * inv;
    r.m[0][3] = (-a[2][1] * s5 + a[2][2] * s4 - a[2][3] * s3) * inv;
    r.m[1][0] = (-a[1][0] * c5 + a[1][2] * c2 - a[1][3] * c1) * inv;
    r.m[1][1] = (a[0][0] * c5 - a[0][2] * c2 + a[0][3] * c1) * inv;
    r.m[1][2] = (-a[3][0] * s5 + a[3][2] * s2 - a[3][3] * s1) * inv;
    r.m[1][3] = (a[2][0] * s5 - a[2][2] * s2 + a[2][3] * s1) * inv;
    r.m[2][0] = (a[1][0] * c4 - a[1][1] * c2 + a[1][3] * c0) * inv;
    r.m[2][1] = (-a[0][0] * c4 + a[0][1] * c2 - a[0][3] * c0) * inv;
    r.m[2][2] = (a[3][0] * s4 - a[3][1] * s2 + a[3][3] * s0) * inv;
    r.m[2][3] = (-a[2][0] * s4 + a[2][1] * s2 - a[2][3] * s0) * inv;
    r.m[3][0] = (-a[1][0] * c3 + a[1][1] * c1 - a[1][2] * c0) * inv;
    r.m[3][1] = (a[0][0] * c3 - a[0][1] * c1 + a[0][2] * c0) * inv;
    r.m[3][2] = (-a[3][0] * s3 + a[3][1] * s1 - a[3][2] * s0) * inv;
    r.m[3][3] = (a[2][0] * s3 - a[2][1] * s1 + a[2][2] * s0) * inv;
    return r;
}

inline Matrix Matrix::CreateRotationX(float a) {
    float c = std::cos(a), s = std::sin(a);
    Matrix r; r._22 = c; r._23 = s; r._32 = -s; r._33 = c; return r;
}
inline Matrix Matrix::CreateRotationY(float a) {
    float c = std::cos(a), s = std::sin(a);
    Matrix r; r._11 = c; r._13 = -s; r._31 = s; r._33 = c; return r;
}
inline Matrix Matrix::CreateRotationZ(float a) {
    float c = std::cos(a), s = std::sin(a);
    Matrix r; r._11 = c; r._12 = s; r._21 = -s; r._22 = c; return r;
}

inline Matrix Matrix::CreateFromRollPitchYaw(float pitch, float yaw, float roll) {
    return CreateRotationZ(roll) * CreateRotationX(pitch) * CreateRotationY(yaw);
}

inline Matrix Matrix::CreateFromAxisAngle(const Vector3& n, float angle) {
    float c = std::cos(angle), s = std::sin(angle), t = 1.0f - c;
    Matrix r;
    r._11 = c + n.x * n.x * t;       r._12 = n.x * n.y * t + n.z * s; r._13 = n.x * n.z * t - n.y * s;
    r._21 = n.x * n.y * t - n.z * s; r._22 = c + n.y * n.y * t;       r._23 = n.y * n.z * t + n.x * s;
    r._31 = n.x * n.z * t + n.y * s; r._32 = n.y * n.z * t - n.x * s; r._33 = c + n.z * n.z * t;
    return r;
}

inline Matrix Matrix::CreateFromQuaternion(const Quaternion& q) {
    float xx = q.x * q.x, yy = q.y * q.y, zz = q.z * q.z;
    float xy = q.x * q.y, xz = q.x * q.z, yz = q.y * q.z;
    float xw = q.x * q.w, yw = q.y * q.w, zw = q.z * q.w;
    Matrix r;
    r._11 = 1.0f - 2.0f * (yy + zz); r._12 = 2.0f * (xy + zw);        r._13 = 2.0f * (xz - yw);
    r._21 = 2.0f * (xy - zw);        r._22 = 1.0f - 2.0f * (xx + zz); r._23 = 2.0f * (yz + xw);
    r._31 = 2.0f * (xz + yw);        r._32 = 2.0f * (yz - xw);        r._33 = 1.0f - 2.0f * (xx + yy);
    return r;
}

inline Matrix Matrix::CreateLookTo(const Vector3& eye, const Vector3& direction, const Vector3& up) {
    Vector3 r2 = direction.Normalized();
    Vector3 r0 = up.Cross(r2).Normalized();
    Vector3 r1 = r2.Cross(r0);
    Vector3 negEye = -eye;
    return Matrix(r0.x, r1.x, r2.x, 0.0f,
                  r0.y, r1.y, r2.y, 0.0f,
                  r0.z, r1.z, r2.z, 0.0f,
                  r0.Dot(negEye), r1.Dot(negEye), r2.Dot(negEye), 1.0f);
}

inline Matrix Matrix::CreatePerspectiveFieldOfView(float fovY, float aspect, float nearZ, float farZ) {
    float sinFov = std::sin(0.5f * fovY), cosFov = std::cos(0.5f * fovY);
    float height = cosFov / sinFov;
    float width = height / aspect;
    float range = farZ / (farZ - nearZ);
    return Matrix(width, 0, 0, 0,
                  0, height, 0, 0,
                  0, 0, range, 1,
                  0, 0, -range * nearZ, 0);
}

inline Matrix Matrix::CreateBillboard(const Vector3& position, const Vector3& cameraPosition,
                                      const Vector3& up) {
    Vector3 z = position - cameraPosition;
    if (z.LengthSquared() < 1e-12f) z = {0.0f, 0.0f, 1.0f};
    z.Normalize();
    Vector3 x = up.Cross(z);
    if (x.LengthSquared() < 1e-12f) x = Vector3(0.0f, 1.0f, 0.0f).Cross(z);
    if (x.LengthSquared() < 1e-12f) x = {1.0f, 0.0f, 0.0f};
    x.Normalize();
    Vector3 y = z.Cross(x);
    return Matrix(x.x, x.y, x.z, 0, y.x, y.y, y.z, 0, z.x, z.y, z.z, 0,
                  position.x, position.y, position.z, 1);
}

}  // namespace Math

using Math::Matrix;
using Math::Quaternion;
using Math::Vector2;
using Math::Vector3;
using Math::Vector4;
