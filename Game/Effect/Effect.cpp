// Effect base: the quad, its drawing and the billboard helper.
#include "Game/Effect/Effect.h"

#include "Game/Effect/EffectList.h"
#include "Game/GameWorld.h"

void Effect::SetQuad(VeTexture* texture, float height, float width, float alpha, const Vector2& uvTopLeft,
                     const Vector2& uvBottomRight, float r, float g, float b) {
    texture_ = texture;
    SetQuadVertices(height, width, uvTopLeft, uvBottomRight, Vector4(r, g, b, alpha));
}

void Effect::SetQuadVertices(float height, float width, const Vector2& uvTopLeft, const Vector2& uvBottomRight,
                             const Vector4& colour) {
    const float hw = width * 0.5f, hh = height * 0.5f;
    vertices_[0] = {Vector3(-hw, hh, 0.0f), Vector2(uvTopLeft.x, uvTopLeft.y), colour};
    vertices_[1] = {Vector3(hw, hh, 0.0f), Vector2(uvBottomRight.x, uvTopLeft.y), colour};
    vertices_[2] = {Vector3(-hw, -hh, 0.0f), Vector2(uvTopLeft.x, uvBottomRight.y), colour};
    vertices_[3] = {Vector3(hw, -hh, 0.0f), Vector2(uvBottomRight.x, uvBottomRight.y), colour};
}

void Effect::Submit(std::vector<Render::EffectQuad>& out) const {
    if (!texture_ || !alive_) return;
    SubmitQuad(out);
}

void Effect::SubmitQuad(std::vector<Render::EffectQuad>& out, bool depthWrite) const {
    Render::EffectQuad quad;
    quad.texture = texture_;
    for (int i = 0; i < 4; ++i) quad.vertices[i] = vertices_[i];
    quad.world = matrix_;
    quad.uvOffset = uvOffset_;
    quad.blend = additive_ ? Render::Blend::Additive : Render::Blend::Alpha;
    quad.depthWrite = depthWrite;
    out.push_back(quad);
}

const Render::Camera& Effect::ViewCamera() const {
    static const Render::Camera origin;
    if (list_ != nullptr && list_->GetWorld() != nullptr) return list_->GetWorld()->GetCamera();
    return origin;
}

void MakeBillboard(Matrix& matrix, const Vector3& eye, float sx, float sy, float sz, const Vector3& up) {
    const Vector3 p = matrix.Translation();
    Vector3 z = p - eye;
    if (z.LengthSquared() <= 0.0f) return;  // at the camera: no direction to face
    z.Normalize();
    Vector3 x = up.Cross(z);
    if (x.LengthSquared() <= 0.0f) return;  // up along the view line: no basis
    x.Normalize();
    Vector3 y = z.Cross(x);
    Matrix b;
    b._11 = x.x; b._12 = x.y; b._13 = x.z; b._14 = 0.0f;
    b._21 = y.x; b._22 = y.y; b._23 = y.z; b._24 = 0.0f;
    b._31 = z.x; b._32 = z.y; b._33 = z.z; b._34 = 0.0f;
    b._41 = p.x; b._42 = p.y; b._43 = p.z; b._44 = 1.0f;
    matrix = Matrix::CreateScale(sx, sy, sz) * b;
}

Vector3 ViewRow(const Render::Camera& camera, int i) { return camera.view.Row(i); }

Vector3 CameraForward(const Render::Camera& camera) {
    return Vector3::TransformNormal(Vector3(0.0f, 0.0f, 1.0f), camera.view.Invert());
}

Vector3 CameraRight(const Render::Camera& camera) {
    return Vector3::TransformNormal(Vector3(1.0f, 0.0f, 0.0f), camera.view.Invert());
}
