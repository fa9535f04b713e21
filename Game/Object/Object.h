// The base class of every placed thing: a world matrix and a list of model
// parts (a drawn model and an optional hit-test model each), a horizontal
// push-out shape, and the flags the owning list uses to update and draw it.
#pragma once

#include <memory>
#include <vector>

#include "Framework/Math/SimpleMath.h"
#include "Framework/Render/RenderFrame.h"

class VeModel;
class Stage;

struct ModelPart {
    Matrix world;                // local * object matrix
    Matrix local;                // offset of the part relative to the object
    VeModel* model = nullptr;    // drawn; null for a hit-only part (not owned)
    VeModel* rayModel = nullptr; // hit-tested; null for a part never hit (not owned)
    VeModel* farModel = nullptr; // drawn instead where the part comes out small; may be null (not owned)
    int damage = 0;              // damage a shot on this part deals
};

// How an object pushes a mover out of itself (Stage::PushOut): not at all,
// as a circle or as a box on the ground plane. Its radius is also the body
// radius of an object that moves (the player, a zombie).
struct PushShape {
    enum class Kind { None, Circle, Box };
    Kind kind = Kind::None;
    // A circle pushes a mover out to this distance from its centre; a box
    // only looks at movers whose centres come within it.
    float radius = 0.0f;
    // A box's extent from the centre in its own frame, along +z, -z, +x
    // and -x.
    float maxZ = 0.0f;
    float minZ = 0.0f;
    float maxX = 0.0f;
    float minX = 0.0f;

    static constexpr PushShape Circle(float radius) { return {Kind::Circle, radius, 0.0f, 0.0f, 0.0f, 0.0f}; }
    static constexpr PushShape Box(float reach, float maxZ, float minZ, float maxX, float minX) {
        return {Kind::Box, reach, maxZ, minZ, maxX, minX};
    }
};

// Object kinds (the numbers are the game's: 0 stage geometry, 1 door, ...;
// 7 and 10 are not used).
enum ObjectKind : int {
    kKindStage = 0,
    kKindDoor = 1,
    kKindKey = 2,
    kKindShelf = 3,
    kKindDesk = 4,
    kKindPlantGlass = 5,
    kKindPlant = 6,
    kKindPc = 8,
    kKindBulletBox = 9,
    kKindKeyReader = 11,
    kKindChair = 12,
    kKindMonitor = 13,
    kKindPortal = 14,
    kKindPortalHole = 15,
    kKindPortalPart = 16,
    kKindEnemy = 17,
};

class Object {
public:
    Object() = default;
    virtual ~Object();
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    virtual void Update() {}
    // Hands the renderer every part that has a model: the part's world
    // matrix, uvOffset, colour (1, 1, 1, alpha) and the object's floor.
    virtual void Submit(std::vector<Render::ModelDraw>& out) const;
    // world = local * matrix for every part, matrix unchanged.
    virtual void UpdatePartMatrices();
    // A hit of the given strength at a world position; nothing by default.
    virtual void Damage(int amount, const Vector3& hitPosition) { (void)amount; (void)hitPosition; }

    // matrix = m, then every part's world = local * matrix.
    void SetMatrix(const Matrix& m);
    Matrix* GetMatrix() { return &matrix_; }
    const Matrix& GetMatrixRef() const { return matrix_; }
    Vector3 GetPosition() const { return matrix_.Translation(); }

    ModelPart* AddModelPart(const Matrix& world, const Matrix& local, int damage, VeModel* model,
                            VeModel* rayModel);
    const std::vector<std::unique_ptr<ModelPart>>& GetParts() const { return parts_; }

    void SetPushShape(const PushShape& shape) { push_ = shape; }
    const PushShape& GetPushShape() const { return push_; }
    bool IsPushEnabled() const { return push_.kind != PushShape::Kind::None; }
    bool IsPushCircle() const { return push_.kind == PushShape::Kind::Circle; }
    bool IsPushBox() const { return push_.kind == PushShape::Kind::Box; }
    float GetPushRadius() const { return push_.radius; }

    int GetFloor() const { return floor_; }
    void SetFloor(int floor) { floor_ = floor; }
    bool IsActive() const { return active_; }
    void SetActive(bool active) { active_ = active; }
    // An object that is away (a taken ammunition box, a held key card) is
    // no ray target: shots, gazes and sight pass where it was until it is
    // back. The object itself keeps the flag.
    bool IsRayTarget() const { return rayTarget_; }
    bool IsHighlighted() const { return highlighted_; }
    void SetHighlighted(bool on) { highlighted_ = on; }
    bool IsTranslucent() const { return translucent_; }
    void SetTranslucent(bool on) { translucent_ = on; }
    ObjectKind GetKind() const { return kind_; }
    void SetKind(ObjectKind kind) { kind_ = kind; }
    float GetAlphaValue() const { return alpha_; }
    void SetAlpha(float alpha) { alpha_ = alpha; }
    Vector2 GetUVOffset() const { return uvOffset_; }
    void SetUVOffset(const Vector2& uv) { uvOffset_ = uv; }
    Stage* GetStage() const { return stage_; }
    void SetStage(Stage* stage) { stage_ = stage; }

protected:
    // Object::Submit with a colour of the caller's own instead of white.
    void SubmitParts(std::vector<Render::ModelDraw>& out, float r, float g, float b, float a) const;

    int floor_ = 0;
    bool active_ = true;
    bool rayTarget_ = true;
    bool highlighted_ = false;
    bool translucent_ = false;
    ObjectKind kind_ = kKindStage;
    Matrix matrix_;
    std::vector<std::unique_ptr<ModelPart>> parts_;
    float alpha_ = 1.0f;
    Vector2 uvOffset_{0.0f, 0.0f};
    PushShape push_;
    Stage* stage_ = nullptr;

private:
    template <class T>
    friend class ObjectRef;
    // Expires when the object is destroyed: what an ObjectRef watches.
    std::shared_ptr<int> lifeToken_ = std::make_shared<int>(0);
};
