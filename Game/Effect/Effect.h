// Base of the short-lived textured quads of the game (bullets, holes,
// flashes, smoke, bubbles, shadows, vomit). Every effect is made with
// std::make_shared of its concrete kind and only ever held through
// std::shared_ptr, which destroys the concrete type, so the destructor is
// not virtual.
#pragma once

#include <vector>

#include "Framework/Math/SimpleMath.h"
#include "Framework/Render/RenderFrame.h"

class VeTexture;
class EffectList;

// 36-byte effect vertex: position, texture coordinate, colour.
using EffectVertex = Render::EffectVertex;

class Effect {
public:
    Effect() = default;
    Effect(const Effect&) = delete;
    Effect& operator=(const Effect&) = delete;

    // Once a frame while the effect is in a list.
    virtual void Update() {}
    // Hands the renderer the quad: nothing without a texture or once the
    // effect has ended.
    virtual void Submit(std::vector<Render::EffectQuad>& out) const;

    // Builds the quad: a w x h rectangle centred on the origin in the xy
    // plane, corners in triangle-strip order (top left, top right, bottom
    // left, bottom right), every vertex with the colour (r, g, b, alpha).
    void SetQuad(VeTexture* texture, float height, float width, float alpha, const Vector2& uvTopLeft,
                 const Vector2& uvBottomRight, float r, float g, float b);

    bool IsAlive() const { return alive_; }
    void SetAlive(bool alive) { alive_ = alive; }
    bool IsAdditive() const { return additive_; }
    void SetAdditive(bool additive) { additive_ = additive; }
    bool IsDrawLast() const { return drawLast_; }
    void SetDrawLast(bool last) { drawLast_ = last; }
    EffectList* GetList() const { return list_; }
    void SetList(EffectList* list) { list_ = list; }
    Matrix* GetMatrix() { return &matrix_; }
    void SetMatrix(const Matrix& m) { matrix_ = m; }
    VeTexture* GetTexture() const { return texture_; }
    void SetTexture(VeTexture* texture) { texture_ = texture; }
    const EffectVertex* GetVertices() const { return vertices_; }

protected:
    ~Effect() = default;
    // The quad as Submit hands it over, without its checks: with the
    // effect's texture (none draws it untextured), matrix, texture offset
    // and blend, writing depth.
    void SubmitQuad(std::vector<Render::EffectQuad>& out, bool depthWrite = true) const;
    // The camera of the game's last step (the one the effects face): the
    // world's, or a camera at the origin looking along +z without a world.
    const Render::Camera& ViewCamera() const;
    // Writes the quad's corners as SetQuad does, keeping the texture.
    void SetQuadVertices(float height, float width, const Vector2& uvTopLeft, const Vector2& uvBottomRight,
                         const Vector4& colour);

    Matrix matrix_;
    VeTexture* texture_ = nullptr;
    bool alive_ = true;
    EffectList* list_ = nullptr;
    bool additive_ = false;
    // CPU copy of the quad; it is streamed to the device when drawn.
    EffectVertex vertices_[4] = {};
    Vector2 uvOffset_{0.0f, 0.0f};
    bool drawLast_ = false;
};

// Turns an effect's matrix into a billboard facing the eye at its position,
// scaled by (sx, sy, sz): matrix = Scale * B, where B has the rows
// x = normalise(cross(up, z)), y = cross(z, x), z = normalise(p - eye)
// and the position p. An effect exactly at the eye keeps its matrix.
void MakeBillboard(Matrix& matrix, const Vector3& eye, float sx, float sy, float sz, const Vector3& up);

// Row i (0 to 2) of the camera's view matrix: the camera's right, up and
// forward axes seen component by component. Row 1 is the up vector the
// billboards pass (for a camera without roll, (0, cos pitch, -sin pitch)).
Vector3 ViewRow(const Render::Camera& camera, int i);
// The camera's forward axis: (0, 0, 1) turned by the inverse of the view.
Vector3 CameraForward(const Render::Camera& camera);
// The camera's right axis: (1, 0, 0) turned by the inverse of the view.
Vector3 CameraRight(const Render::Camera& camera);
