// Builders of the plain furniture objects and the plant tanks. Each takes
// the stage and a world matrix, creates the object(s) with their model,
// kind, floor and push shape, and appends them to the stage.
#pragma once

#include "Framework/Math/SimpleMath.h"

class Stage;
class Object;

Object* BuildDesk3(Stage* stage, const Matrix& world);
Object* BuildDesk4(Stage* stage, const Matrix& world);
Object* BuildDesk5(Stage* stage, const Matrix& world);
Object* BuildShelf2(Stage* stage, const Matrix& world);
Object* BuildBulletShelf(Stage* stage, const Matrix& world);
Object* BuildChair(Stage* stage, const Matrix& world);
Object* BuildPc(Stage* stage, const Matrix& world);
Object* BuildMonitor(Stage* stage, const Matrix& world);
// The pot, the floating zombie and the glass, sharing one matrix. Returns
// the pot.
Object* BuildPlant(Stage* stage, const Matrix& world);
// A map piece: identity matrix, kind 0, no push shape.
Object* BuildMapPiece(Stage* stage, const char* model, const char* rayModel, int floor);

// World matrix of a placement: RotationY(yaw degrees) * Translation.
Matrix PlaceAt(float x, float y, float z, float yawDegrees);
