// Small models in the forms modelling tools export them (a binary glTF with
// its pictures packed in buffer views, a .gltf with data: URIs, flat and
// thin shapes, a sparse accessor), for the tests, the contact sheet's checks
// and the glTF validator; not part of the game's data.
#pragma once

#include <cstdint>
#include <string>

#include "Image.h"
#include "MeshBuilder.h"

namespace datagen {
namespace samples {

// The textured cube's pictures: a solid colour in a one-texel dark frame.
extern const Rgba kFaceColour;  // face.png: the faces across z
extern const Rgba kSideColour;  // side.png: the other four

// A 1 x 1 x 1 cube centred on the origin: the faces across z with the
// material "face" (face.png), the others with "side" (side.png).
Model TexturedCube();
// face.png and side.png encoded, to pack into the cube.
EmbeddedImages CubePictures();

// The sparse quad: corners 0 (0, 0, 0), 1 (0, 1, 0), 2 (1, 1, 0), 3 (1, 0, 0)
// in the file's coordinates, of which the sparse values move these two to
// these places (also in the file's coordinates).
const uint16_t* SparseMovedCorners();
const Vector3* SparseMovedPositions();

}  // namespace samples

// Writes into outDir: packed_cube.glb and data_uri_cube.gltf (the textured
// cube, its pictures in buffer views and in data URIs), flat_triangle.gltf,
// flat_quad.gltf and thin_triangle.gltf (one-sided, 1 x 1, facing -z in the
// game; the thin one 0.1 deep) and sparse_quad.gltf. False when a file could
// not be written.
bool WriteSampleModels(const std::string& outDir);

}  // namespace datagen
