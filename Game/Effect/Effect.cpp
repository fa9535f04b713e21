// Effect base: the quad, its drawing and the billboard helper.
#include "Game/Effect/Effect.h"

#include "Framework/Graphics/GraphicsDevice.h"
#include "Framework/Graphics/ShaderManager.h"
#include "Framework/Graphics/VeTexture.h"

namespace {
long long g_drawCount = 0;
}

long long Effect::DrawCount() { return g_drawCount; }

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

void Effect::Draw() {
    if (!texture_ || !alive_) return;
    DrawQuad();
}

void Effect::DrawQuad() {
    // A texture that failed to load leaves the quad out rather than drawing
    // it black.
    if (texture_ != nullptr && !texture_->HasImage()) return;
    GraphicsDevice& device = GraphicsDevice::GetInstance();
    ShaderManager& shaders = ShaderManager::GetInstance();
    device.BindTexture(0, texture_);
    CbPerObject& block = shaders.PerObjectBlock();
    block.g_mW = matrix_;
    block.g_UVOffset = uvOffset_;
    shaders.UploadPerObject();
    device.DrawVertices(Topology::TriangleStrip, 4, vertices_, sizeof(EffectVertex));
    ++g_drawCount;
}

void MakeBillboard(Matrix& matrix, float sx, float sy, float sz, const Vector3& up) {
    const Vector3 p = matrix.Translation();
    const Vector3 camera = ShaderManager::GetInstance().CameraBlock().g_CamPos;
    Vector3 z = p - camera;
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

Vector3 ViewRow(int i) {
    const Matrix& view = ShaderManager::GetInstance().CameraBlock().g_mV;
    return view.Row(i);
}

Vector3 CameraForward() {
    const Matrix& view = ShaderManager::GetInstance().CameraBlock().g_mV;
    return Vector3::TransformNormal(Vector3(0.0f, 0.0f, 1.0f), view.Invert());
}

Vector3 CameraRight() {
    const Matrix& view = ShaderManager::GetInstance().CameraBlock().g_mV;
    return Vector3::TransformNormal(Vector3(1.0f, 0.0f, 0.0f), view.Invert());
}
