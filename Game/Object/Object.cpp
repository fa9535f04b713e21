// Object: world matrix, model parts and the flags the owning lists use.
#include "Game/Object/Object.h"


Object::~Object() {
    parts_.clear();
}

void Object::Submit(std::vector<Render::ModelDraw>& out) const { SubmitParts(out, 1.0f, 1.0f, 1.0f, alpha_); }

void Object::SubmitParts(std::vector<Render::ModelDraw>& out, float r, float g, float b, float a) const {
    // Any floor but 0, 1 and 2 is every floor (layout::kEveryFloor).
    const int floor = (floor_ >= 0 && floor_ <= 2) ? floor_ : Render::kEveryFloor;
    for (const auto& part : parts_) {
        if (!part->model) continue;
        Render::ModelDraw draw;
        draw.model = part->model;
        draw.farModel = part->farModel;
        draw.world = part->world;
        draw.colour = Vector4(r, g, b, a);
        draw.uvOffset = uvOffset_;
        draw.floor = floor;
        out.push_back(draw);
    }
}

void Object::UpdatePartMatrices() {
    for (auto& part : parts_) part->world = part->local * matrix_;
}

void Object::SetMatrix(const Matrix& m) {
    matrix_ = m;
    for (auto& part : parts_) part->world = part->local * matrix_;
}

ModelPart* Object::AddModelPart(const Matrix& world, const Matrix& local, int damage, VeModel* model,
                                VeModel* rayModel) {
    auto part = std::make_unique<ModelPart>();
    part->world = world;
    part->local = local;
    part->damage = damage;
    part->model = model;
    part->rayModel = rayModel;
    parts_.push_back(std::move(part));
    return parts_.back().get();
}

