// Placed objects: part matrices, part records, push shape and drawing.
#include <gtest/gtest.h>

#include "Framework/Graphics/ShaderManager.h"
#include "Framework/Model/VeModel.h"
#include "Game/Object/Object.h"

TEST(Object, SetMatrixMovesPartsButWritingGetMatrixDoesNot) {
    Object o;
    EXPECT_TRUE(o.IsActive());
    EXPECT_FALSE(o.IsPushEnabled());
    EXPECT_EQ(o.GetAlphaValue(), 1.0f);
    VeModel drawn, hit;
    const Matrix local = Matrix::CreateRotationY(0.5f) * Matrix::CreateTranslation(1, 2, 3);
    ModelPart* a = o.AddModelPart(Matrix(), local, 4, &drawn, &hit);
    ModelPart* b = o.AddModelPart(Matrix(), Matrix::CreateScale(2.0f), 0, nullptr, &hit);
    ASSERT_EQ(o.GetParts().size(), 2u);
    EXPECT_EQ(o.GetParts()[0].get(), a);
    EXPECT_EQ(a->damage, 4);
    EXPECT_EQ(a->model, &drawn);
    EXPECT_EQ(b->model, nullptr);
    EXPECT_EQ(a->world, Matrix());  // until the first SetMatrix

    const Matrix m = Matrix::CreateRotationX(0.25f) * Matrix::CreateTranslation(-5, 0, 7);
    o.SetMatrix(m);
    EXPECT_EQ(*o.GetMatrix(), m);
    EXPECT_EQ(a->world, local * m);
    EXPECT_EQ(b->world, Matrix::CreateScale(2.0f) * m);

    // Writing through GetMatrix leaves the parts until UpdatePartMatrices.
    o.GetMatrix()->_41 = 100.0f;
    EXPECT_EQ(a->world, local * m);
    o.UpdatePartMatrices();
    EXPECT_EQ(a->world, local * *o.GetMatrix());
    EXPECT_EQ(a->world._41, (local * *o.GetMatrix())._41);
    EXPECT_NE(a->world, local * m);
}

TEST(Object, SubmitsEachDrawnPartWithItsMatrixAndUVOffset) {
    VeModel model;
    Object o;
    o.SetUVOffset(Vector2(0.25f, 0.5f));
    o.AddModelPart(Matrix(), Matrix::CreateTranslation(1, 0, 0), 0, &model, nullptr);
    o.AddModelPart(Matrix(), Matrix::CreateTranslation(2, 0, 0), 0, nullptr, &model);  // hit-only
    o.SetMatrix(Matrix::CreateTranslation(0, 10, 0));
    std::vector<Render::ModelDraw> drawn;
    o.Submit(drawn);
    // The hit-only part is skipped: only the first part is handed over.
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].world, Matrix::CreateTranslation(1, 10, 0));
    EXPECT_EQ(drawn[0].uvOffset, Vector2(0.25f, 0.5f));

    // No parts, or only hit-only parts: nothing is handed over.
    Object empty;
    drawn.clear();
    empty.Submit(drawn);
    EXPECT_TRUE(drawn.empty());
}
