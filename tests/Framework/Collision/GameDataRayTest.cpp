// The game's own model files (the generated Data/ tree beside the tests):
// every one loads, and the accelerated ray walk agrees bit for bit with the
// plain walk on all of their meshes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "Framework/Collision/RayCaster.h"
#include "Framework/Model/VeModel.h"
#include "tests/Framework/Collision/SameRayAnswer.h"

namespace {

std::vector<std::string> ModelFiles() {
    std::vector<std::string> files;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator("Data", ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        const std::string ext = it->path().extension().string();
        if (ext == ".gltf" || ext == ".glb") files.push_back(it->path().generic_string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

TEST(GameDataModels, EveryModelLoadsAndTheRayWalksAgree) {
    const std::vector<std::string> files = ModelFiles();
    ASSERT_FALSE(files.empty()) << "no generated Data/ tree in the working directory (run from the build folder)";

    RayCaster fast, plain;
    plain.SetAccelerated(false);
    std::mt19937 rng(2024);
    std::uniform_real_distribution<float> u(-1.0f, 1.0f);
    int rays = 0, hits = 0;
    for (const std::string& file : files) {
        VeModel model;
        testing::internal::CaptureStdout();
        const bool loaded = model.Load(file);
        const std::string log = testing::internal::GetCapturedStdout();
        ASSERT_TRUE(loaded) << file << "\n" << log;
        EXPECT_FALSE(model.nodes.empty()) << file;
        EXPECT_FALSE(model.materials.empty()) << file;

        const Matrix world = Matrix::CreateRotationY(u(rng)) * Matrix::CreateTranslation(u(rng) * 5, u(rng) * 5, u(rng) * 5);
        for (const VeModelNode& node : model.nodes) {
            if (!node.mesh || node.mesh->GetTriangles().empty()) continue;
            const VeMesh& mesh = *node.mesh;
            const Matrix toWorld = node.matrix * world;
            const Vector3 centre = Vector3::Transform(mesh.GetBoxCenter(), toWorld);
            const float reach = 2.0f * mesh.GetSphereRadius() + 1.0f;
            for (int i = 0; i < 150; ++i) {
                const Vector3 origin = centre + Vector3(u(rng), u(rng), u(rng)) * reach;
                Vector3 dir;
                if (i % 2) {
                    const Vector3& p = mesh.GetPositions()[size_t(rng()) % mesh.GetPositions().size()];
                    dir = Vector3::Transform(p, toWorld) - origin;
                } else {
                    dir = Vector3(u(rng), u(rng), u(rng));
                }
                if (dir.LengthSquared() == 0.0f) continue;
                dir.Normalize();
                bool hit = false;
                ASSERT_TRUE(raytest::SameRayAnswer(fast, plain, &model, world, origin, dir, hit)) << file << " ray " << i;
                ++rays;
                if (hit) ++hits;
            }
        }
    }
    EXPECT_GT(rays, 1000);
    EXPECT_GT(hits, rays / 4);
}
