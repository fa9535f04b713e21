#include <gtest/gtest.h>

#include <set>

#include "Framework/Math/Random.h"
#include "Framework/Math/SimpleMath.h"

namespace {

void ExpectMatrixNear(const Matrix& a, const Matrix& b, float tol) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(a.m[r][c], b.m[r][c], tol) << "row " << r << " col " << c;
}

void ExpectVecNear(const Vector3& a, const Vector3& b, float tol) {
    EXPECT_NEAR(a.x, b.x, tol);
    EXPECT_NEAR(a.y, b.y, tol);
    EXPECT_NEAR(a.z, b.z, tol);
}

}  // namespace

TEST(Matrix, GameProjectionHasTheExpectedRows) {
    Matrix p = Matrix::CreatePerspectiveFieldOfView(Math::ToRadians(60.0f), 16.0f / 9.0f, 0.01f, 1000.0f);
    Matrix expected(0.9742786f, 0, 0, 0, 0, 1.7320508f, 0, 0, 0, 0, 1.00001f, 1, 0, 0, -0.0100001f, 0);
    ExpectMatrixNear(p, expected, 2e-6f);
}

TEST(Matrix, RotationsFollowTheLeftHandedRowVectorConvention) {
    const float a = Math::ToRadians(30.0f), c = std::cos(a), s = std::sin(a);
    ExpectMatrixNear(Matrix::CreateRotationY(a), Matrix(c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1), 1e-6f);
    ExpectMatrixNear(Matrix::CreateRotationX(a), Matrix(1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1), 1e-6f);
    ExpectMatrixNear(Matrix::CreateRotationZ(a), Matrix(c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1), 1e-6f);
    // A positive yaw turns +z towards +x.
    ExpectVecNear(Vector3::TransformNormal({0, 0, 1}, Matrix::CreateRotationY(Math::ToRadians(90))), {1, 0, 0}, 1e-6f);
    // The axis-angle form agrees with the axis rotations.
    ExpectMatrixNear(Matrix::CreateFromAxisAngle({0, 1, 0}, a), Matrix::CreateRotationY(a), 1e-6f);
    ExpectMatrixNear(Matrix::CreateFromAxisAngle({1, 0, 0}, a), Matrix::CreateRotationX(a), 1e-6f);
}

TEST(Matrix, RollPitchYawForwardIsTheViewDirection) {
    for (float p : {-80.0f, -20.0f, 0.0f, 35.0f, 80.0f}) {
        for (float y : {-170.0f, -45.0f, 0.0f, 60.0f, 200.0f}) {
            float pr = Math::ToRadians(p), yr = Math::ToRadians(y);
            Vector3 f = Vector3::TransformNormal({0, 0, 1}, Matrix::CreateFromRollPitchYaw(pr, yr, 0));
            ExpectVecNear(f, {std::cos(pr) * std::sin(yr), -std::sin(pr), std::cos(pr) * std::cos(yr)}, 1e-5f);
        }
    }
    // Roll is applied first: rolling then pitching differs from pitching then rolling.
    Matrix rpy = Matrix::CreateFromRollPitchYaw(0.3f, 0.5f, 0.7f);
    ExpectMatrixNear(rpy, Matrix::CreateRotationZ(0.7f) * Matrix::CreateRotationX(0.3f) * Matrix::CreateRotationY(0.5f), 1e-6f);
}

TEST(Matrix, ProductAppliesTheLeftOperandFirstAndTranslationLivesInRowFour) {
    Matrix t = Matrix::CreateTranslation(1, 2, 3);
    Matrix r = Matrix::CreateRotationY(Math::ToRadians(90));
    // Rotate then translate: (0,0,1) -> (1,0,0) -> (2,2,3).
    ExpectVecNear(Vector3::Transform({0, 0, 1}, r * t), {2, 2, 3}, 1e-6f);
    // Translate then rotate: (0,0,1) -> (1,2,4) -> (4,2,-1).
    ExpectVecNear(Vector3::Transform({0, 0, 1}, t * r), {4, 2, -1}, 1e-5f);
    EXPECT_EQ(t._41, 1.0f);
    EXPECT_EQ(t._42, 2.0f);
    EXPECT_EQ(t._43, 3.0f);
    // Directions ignore the translation.
    ExpectVecNear(Vector3::TransformNormal({0, 0, 1}, t), {0, 0, 1}, 0.0f);
}

TEST(Matrix, InverseUndoesGeneralTransformsAndSingularGivesIdentity) {
    Matrix m = Matrix::CreateScale(2.0f, 0.5f, 3.0f) * Matrix::CreateFromRollPitchYaw(0.4f, -1.2f, 0.3f) *
               Matrix::CreateTranslation(5, -7, 11);
    ExpectMatrixNear(m * m.Invert(), Matrix::Identity(), 1e-5f);
    ExpectMatrixNear(m.Invert() * m, Matrix::Identity(), 1e-5f);
    Matrix singular = Matrix::CreateScale(1, 0, 1);
    EXPECT_EQ(singular.Invert(), Matrix::Identity());
    EXPECT_NEAR(Matrix::CreateScale(2, 3, 4).Determinant(), 24.0f, 1e-5f);
}

TEST(Matrix, LookToPutsTheEyeAtTheOriginLookingDownPlusZ) {
    Vector3 eye(20, 6, 0), dir(1, -0.5f, 2);
    Matrix v = Matrix::CreateLookTo(eye, dir, {0, 1, 0});
    ExpectVecNear(Vector3::Transform(eye, v), {0, 0, 0}, 1e-5f);
    Vector3 ahead = Vector3::Transform(eye + dir.Normalized() * 10.0f, v);
    ExpectVecNear(ahead, {0, 0, 10}, 1e-4f);
    // The inverse's translation is the eye (how the camera position is taken).
    ExpectVecNear(v.Invert().Translation(), eye, 1e-4f);
    // Camera right is +x in view space.
    Vector3 right = Vector3(0, 1, 0).Cross(dir).Normalized();
    EXPECT_GT(Vector3::Transform(eye + right, v).x, 0.99f);
}

TEST(Quaternion, MatrixRoundTripKeepsTheRotation) {
    const float angles[][3] = {{0, 0, 0}, {10, 10, 0}, {-50, 80, 0}, {100, 0, 0}, {60, -30, 30},
                               {-60, -50, -30}, {179, 1, 0}, {0, 180, 0}, {90, 90, 90}};
    for (const auto& a : angles) {
        Matrix m = Matrix::CreateFromRollPitchYaw(Math::ToRadians(a[0]), Math::ToRadians(a[1]), Math::ToRadians(a[2]));
        Quaternion q = Quaternion::CreateFromRotationMatrix(m);
        EXPECT_NEAR(q.Length(), 1.0f, 1e-5f);
        ExpectMatrixNear(Matrix::CreateFromQuaternion(q), m, 2e-5f);
        Quaternion q2 = Quaternion::CreateFromRollPitchYaw(Math::ToRadians(a[0]), Math::ToRadians(a[1]), Math::ToRadians(a[2]));
        EXPECT_NEAR(std::fabs(q.Dot(q2)), 1.0f, 1e-5f);
    }
    Quaternion axis = Quaternion::CreateFromAxisAngle({1, 0, 0}, 0.8f);
    ExpectMatrixNear(Matrix::CreateFromQuaternion(axis), Matrix::CreateRotationX(0.8f), 1e-6f);
}

TEST(Quaternion, SlerpUsesSineWeightsAndTheShorterArc) {
    Quaternion a = Quaternion::Identity();
    Quaternion b = Quaternion::CreateFromAxisAngle({0, 1, 0}, Math::ToRadians(90));
    // Half-way between 0 and 90 degrees about y is 45 degrees.
    Quaternion h = Quaternion::Slerp(a, b, 0.5f);
    Quaternion expected = Quaternion::CreateFromAxisAngle({0, 1, 0}, Math::ToRadians(45));
    EXPECT_NEAR(h.x, expected.x, 1e-6f);
    EXPECT_NEAR(h.y, expected.y, 1e-6f);
    EXPECT_NEAR(h.w, expected.w, 1e-6f);
    // The sine weights: dot = cos(45deg); omega = 45deg; at t = 0.25 the
    // weights are sin(0.75 omega)/sin(omega) and sin(0.25 omega)/sin(omega).
    float omega = Math::ToRadians(45);
    Quaternion q = Quaternion::Slerp(a, b, 0.25f);
    EXPECT_NEAR(q.w, std::sin(0.75f * omega) / std::sin(omega) * a.w + std::sin(0.25f * omega) / std::sin(omega) * b.w, 1e-6f);
    // A negative dot product negates the second key: -b is the same rotation,
    // so the result equals the interpolation with b.
    Quaternion negB{-b.x, -b.y, -b.z, -b.w};
    Quaternion viaNeg = Quaternion::Slerp(a, negB, 0.3f);
    Quaternion viaB = Quaternion::Slerp(a, b, 0.3f);
    EXPECT_NEAR(viaNeg.x, viaB.x, 1e-6f);
    EXPECT_NEAR(viaNeg.y, viaB.y, 1e-6f);
    EXPECT_NEAR(viaNeg.z, viaB.z, 1e-6f);
    EXPECT_NEAR(viaNeg.w, viaB.w, 1e-6f);
    // Nearly equal keys use the linear weights 1 - t and t exactly.
    Quaternion c{0.0f, 0.001f, 0.0f, 1.0f};
    Quaternion lin = Quaternion::Slerp(a, c, 0.25f);
    EXPECT_FLOAT_EQ(lin.y, 0.25f * 0.001f);
    EXPECT_FLOAT_EQ(lin.w, 0.75f * 1.0f + 0.25f * 1.0f);
    // Equal keys give that key for every t.
    for (float t : {0.0f, 0.3f, 1.0f}) EXPECT_EQ(Quaternion::Slerp(b, b, t), b);
}

TEST(Matrix, BillboardFacesAwayFromTheCamera) {
    Matrix b = Matrix::CreateBillboard({0, 0, 10}, {0, 0, 0}, {0, 1, 0});
    ExpectVecNear(b.Row(2), {0, 0, 1}, 1e-6f);
    ExpectVecNear(b.Row(0), {1, 0, 0}, 1e-6f);
    ExpectVecNear(b.Row(1), {0, 1, 0}, 1e-6f);
    ExpectVecNear(b.Translation(), {0, 0, 10}, 0.0f);
    // At the camera position the billboard stays finite.
    Matrix same = Matrix::CreateBillboard({1, 2, 3}, {1, 2, 3}, {0, 1, 0});
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_TRUE(std::isfinite(same.m[r][c]));
}

TEST(Random, IsReproducibleCoversItsRangeAndStreamsAreIndependent) {
    Math::Random a(42), b(42), other(43);
    std::vector<int> first;
    for (int i = 0; i < 100; ++i) first.push_back(a.Next());
    // Another stream's draws in between change nothing in this one.
    int same = 0;
    for (int i = 0; i < 100; ++i) {
        if (other.Next() == first[i]) ++same;
        EXPECT_EQ(b.Next(), first[i]);
    }
    EXPECT_LT(same, 5) << "another seed, other numbers";
    a.Seed(42);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(a.Next(), first[i]);
    std::set<int> buckets;
    for (int i = 0; i < 2000; ++i) {
        int v = a.Next();
        ASSERT_GE(v, 0);
        ASSERT_LE(v, Math::kRandMax);
        buckets.insert(v % 11);
    }
    EXPECT_EQ(buckets.size(), 11u);
}
