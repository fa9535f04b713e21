// In-memory hit-test models for tests that need walls and floors of known
// shape without files: flat rectangles made of two triangles whose face
// normal points the way the caller asks.
#pragma once

#include <memory>
#include <vector>

#include "Framework/Model/VeModel.h"
#include "Game/Object/Object.h"
#include "Game/Stage/LevelLayout.h"
#include "Game/Stage/Stage.h"

namespace testgeo {

// A rectangle with corners a, b, c and a + (c - b) ... given as the corner a
// and the two edge vectors u and v; its normal is made to point along
// 'facing'.
inline std::unique_ptr<VeModel> MakeRectangle(const Vector3& a, const Vector3& u, const Vector3& v,
                                              const Vector3& facing) {
    std::vector<VeVertex> vertices(4);
    vertices[0].position = a;
    vertices[1].position = a + u;
    vertices[2].position = a + v;
    vertices[3].position = a + u + v;
    std::vector<VeTriangle> triangles;
    const bool flip = u.Cross(v).Dot(facing) < 0.0f;
    if (!flip) {
        triangles.push_back({0, 1, 2});
        triangles.push_back({1, 3, 2});
    } else {
        triangles.push_back({0, 2, 1});
        triangles.push_back({1, 2, 3});
    }
    auto mesh = std::make_shared<VeMesh>();
    mesh->Create(vertices, triangles, {VeSubset{0, 0, 2}});
    auto model = std::make_unique<VeModel>();
    VeModelNode node;
    node.name = "rect";
    node.mesh = mesh;
    model->nodes.push_back(node);
    return model;
}

// Horizontal floor at height y over x0..x1, z0..z1, facing up.
inline std::unique_ptr<VeModel> MakeFloor(float y, float x0, float x1, float z0, float z1) {
    return MakeRectangle(Vector3(x0, y, z0), Vector3(x1 - x0, 0, 0), Vector3(0, 0, z1 - z0), Vector3(0, 1, 0));
}

// Wall across x0..x1 at z, from y0 to y1, facing -z (towards smaller z).
inline std::unique_ptr<VeModel> MakeWallZ(float z, float x0, float x1, float y0, float y1) {
    return MakeRectangle(Vector3(x0, y0, z), Vector3(x1 - x0, 0, 0), Vector3(0, y1 - y0, 0), Vector3(0, 0, -1));
}

// A stage-geometry object (kind 0) using the model as its hit-test model,
// appended to the stage on the given floor.
inline Object* AddStructure(Stage& stage, VeModel* model, int floor = layout::kEveryFloor) {
    Object* object = stage.Add(std::make_unique<Object>());
    object->AddModelPart(Matrix(), Matrix(), 0, nullptr, model);
    object->SetMatrix(Matrix());
    object->SetKind(kKindStage);
    object->SetFloor(floor);
    object->SetStage(&stage);
    return object;
}

}  // namespace testgeo
