// Ray query benchmark: one large hit-test mesh (a height field of at least
// 50,000 triangles) queried with the plain walk over every triangle and with
// the accelerated walk, plus the game-like case of a gun ray against a stage
// of many smaller objects. Both walks give identical results (checked once
// before timing).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <random>
#include <vector>

#include "Framework/Collision/RayCaster.h"
#include "Framework/Model/VeModel.h"
#include "Game/Object/Object.h"
#include "Game/Stage/Stage.h"
#include "Game/Stage/StageRays.h"

namespace {

// n x n quads (2 n^2 triangles) of random heights over [-size, size]^2.
std::unique_ptr<VeModel> MakeTerrain(int n, float size, uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> h(-2.0f, 2.0f);
    std::vector<VeVertex> vertices;
    for (int z = 0; z <= n; ++z)
        for (int x = 0; x <= n; ++x) {
            VeVertex v;
            v.position = Vector3(-size + 2 * size * x / n, h(rng), -size + 2 * size * z / n);
            vertices.push_back(v);
        }
    std::vector<VeTriangle> triangles;
    auto at = [&](int x, int z) { return uint32_t(z * (n + 1) + x); };
    for (int z = 0; z < n; ++z)
        for (int x = 0; x < n; ++x) {
            triangles.push_back({at(x, z), at(x, z + 1), at(x + 1, z)});
            triangles.push_back({at(x + 1, z), at(x, z + 1), at(x + 1, z + 1)});
        }
    auto model = std::make_unique<VeModel>();
    VeModelNode node;
    node.mesh = std::make_shared<VeMesh>();
    VeSubset subset;
    subset.triangleCount = uint32_t(triangles.size());
    node.mesh->Create(vertices, triangles, {subset});
    model->nodes.push_back(node);
    return model;
}

struct Ray {
    Vector3 origin, direction;
};

std::vector<Ray> MakeRays(size_t count, float spread, uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> u(-1.0f, 1.0f);
    std::vector<Ray> rays;
    for (size_t i = 0; i < count; ++i) {
        Ray r;
        r.origin = Vector3(u(rng) * spread, 3.0f + u(rng), u(rng) * spread);
        r.direction = Vector3(u(rng), -0.5f + 0.4f * u(rng), u(rng));
        r.direction.Normalize();
        rays.push_back(r);
    }
    return rays;
}

VeModel* LargeMesh() {
    static std::unique_ptr<VeModel> model = MakeTerrain(160, 40.0f, 1);  // 51,200 triangles
    return model.get();
}

VeModel* HugeMesh() {
    static std::unique_ptr<VeModel> model = MakeTerrain(320, 80.0f, 2);  // 204,800 triangles
    return model.get();
}

void BM_LargeMesh(benchmark::State& state, VeModel* (*mesh)(), bool accelerated) {
    VeModel* model = mesh();
    RayCaster rc;
    rc.SetAccelerated(accelerated);
    const Matrix world = Matrix::CreateRotationY(0.2f) * Matrix::CreateTranslation(1, 0, 2);
    const std::vector<Ray> rays = MakeRays(256, 40.0f, 7);
    // Build the hierarchy outside the timed loop (it is built once per mesh).
    float d;
    Vector3 n;
    rc.RayTestModel(model, world, rays[0].origin, rays[0].direction, d, n);
    size_t i = 0, hits = 0;
    for (auto _ : state) {
        const Ray& r = rays[i++ % rays.size()];
        hits += rc.RayTestModel(model, world, r.origin, r.direction, d, n);
        benchmark::DoNotOptimize(d);
    }
    state.counters["triangles"] = double(model->nodes[0].mesh->GetTriangles().size());
    state.counters["hit%"] = 100.0 * double(hits) / double(state.iterations());
}

// A stage of 300 objects of about 2,000 triangles each, rays across it.
void BM_Stage(benchmark::State& state, bool accelerated) {
    static std::unique_ptr<VeModel> piece = MakeTerrain(32, 4.0f, 3);
    static Stage* stage = [] {
        Stage* s = new Stage();
        for (int i = 0; i < 300; ++i) {
            Object* o = s->Add(std::make_unique<Object>());
            o->AddModelPart(Matrix(), Matrix(), 0, nullptr, piece.get());
            o->SetMatrix(Matrix::CreateTranslation(float(i % 20) * 8.0f - 80.0f, 0, float(i / 20) * 8.0f - 60.0f));
        }
        return s;
    }();
    RayCaster caster;
    caster.SetAccelerated(accelerated);
    const StageRays rc(caster);
    const std::vector<Ray> rays = MakeRays(256, 60.0f, 9);
    size_t i = 0;
    float d;
    Vector3 n;
    for (auto _ : state) {
        const Ray& r = rays[i++ % rays.size()];
        benchmark::DoNotOptimize(rc.RayTestObjects(r.origin, r.direction, d, n, stage));
    }
}

// The level's own hit-test maps (run from the folder holding Data/): the
// player's wall and ground rays and the gun's rays all walk these.
void BM_Map(benchmark::State& state, const char* path, bool accelerated) {
    static std::map<std::string, std::unique_ptr<VeModel>> maps;
    std::unique_ptr<VeModel>& model = maps[path];
    if (!model) {
        model = std::make_unique<VeModel>();
        model->Load(path);
    }
    if (model->nodes.empty()) {
        state.SkipWithError("map model not found (run from the folder holding Data/)");
        return;
    }
    RayCaster rc;
    rc.SetAccelerated(accelerated);
    const Matrix world;
    // Eye-height rays in every direction from points spread over the floors.
    std::mt19937 rng(13);
    std::uniform_real_distribution<float> u(-1.0f, 1.0f);
    std::vector<Ray> rays;
    for (int i = 0; i < 256; ++i) {
        Ray r;
        r.origin = Vector3(40.0f + 70.0f * u(rng), -42.0f + 48.0f * u(rng), 40.0f + 70.0f * u(rng));
        r.direction = Vector3(u(rng), (i % 4 == 0) ? -1.0f : 0.2f * u(rng), u(rng));
        r.direction.Normalize();
        rays.push_back(r);
    }
    float d;
    Vector3 n;
    rc.RayTestModel(model.get(), world, rays[0].origin, rays[0].direction, d, n);
    size_t i = 0, triangles = 0;
    for (const VeModelNode& node : model->nodes)
        if (node.mesh) triangles += node.mesh->GetTriangles().size();
    for (auto _ : state) {
        const Ray& r = rays[i++ % rays.size()];
        benchmark::DoNotOptimize(rc.RayTestModel(model.get(), world, r.origin, r.direction, d, n));
    }
    state.counters["triangles"] = double(triangles);
}

void BM_BuildHierarchy(benchmark::State& state) {
    VeModel* model = LargeMesh();
    RayCaster rc;
    const Matrix world;
    float d;
    Vector3 n;
    for (auto _ : state) {
        model->nodes[0].mesh->SetRayAccel(nullptr);
        rc.RayTestModel(model, world, Vector3(0, 10, 0), Vector3(0, -1, 0), d, n);
    }
}

// The two walks must agree before their speeds mean anything.
bool SameResults() {
    RayCaster fast, plain;
    plain.SetAccelerated(false);
    const Matrix world;
    for (const Ray& r : MakeRays(500, 40.0f, 11)) {
        float d1 = 0, d2 = 0;
        Vector3 n1, n2;
        const bool h1 = fast.RayTestModel(LargeMesh(), world, r.origin, r.direction, d1, n1);
        const bool h2 = plain.RayTestModel(LargeMesh(), world, r.origin, r.direction, d2, n2);
        if (h1 != h2 || (h1 && (d1 != d2 || n1 != n2))) return false;
    }
    return true;
}

}  // namespace

BENCHMARK_CAPTURE(BM_LargeMesh, plain_51k, LargeMesh, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_LargeMesh, accelerated_51k, LargeMesh, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_LargeMesh, plain_205k, HugeMesh, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_LargeMesh, accelerated_205k, HugeMesh, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Stage, plain_300_objects, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Stage, accelerated_300_objects, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Map, plain_map1_ray, "Data/MAP/map1/map1_ray.gltf", false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Map, accelerated_map1_ray, "Data/MAP/map1/map1_ray.gltf", true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Map, plain_map2_drawn, "Data/MAP/map2/map2.gltf", false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Map, accelerated_map2_drawn, "Data/MAP/map2/map2.gltf", true)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BuildHierarchy)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    if (!SameResults()) {
        std::fprintf(stderr, "accelerated and plain walks disagree\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
