// Ray query benchmark: the plain walk over every triangle against the
// accelerated walk, on
//   - one large hit-test mesh (height fields of 51,200 and 204,800
//     triangles) turned and moved by its part's matrix,
//   - the game-like case of a stage of 300 turned objects of about 2,000
//     triangles each (the answer includes which object was hit),
//   - the level's own maps (run from the folder that holds Data/).
// Before anything is timed, every case's rays go through both walks and the
// answers must be identical (hit or miss, distance, normal, object): that
// also builds every mesh's hierarchy, so no timed query pays for a build.
// Afterwards the speed-up of each case is printed.
//
//   morvane_raybench [Google Benchmark flags, e.g. --benchmark_filter=map]
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <string>
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

// Rays from above a height field, down and across it.
std::vector<Ray> TerrainRays(size_t count, float spread, uint32_t seed) {
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

// Rays from points inside a map's bounds, most of them nearly level in every
// direction (the gun's and the player's wall rays), a quarter straight down
// (the ground rays).
std::vector<Ray> MapRays(const VeModel& map, size_t count, uint32_t seed) {
    Vector3 lo(1e30f, 1e30f, 1e30f), hi(-1e30f, -1e30f, -1e30f);
    for (const VeModelNode& node : map.nodes) {
        if (!node.mesh) continue;
        for (const Vector3& p : node.mesh->GetPositions()) {
            const Vector3 w = Vector3::Transform(p, node.matrix);
            lo = Vector3(std::min(lo.x, w.x), std::min(lo.y, w.y), std::min(lo.z, w.z));
            hi = Vector3(std::max(hi.x, w.x), std::max(hi.y, w.y), std::max(hi.z, w.z));
        }
    }
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> u(0.0f, 1.0f), v(-1.0f, 1.0f);
    std::vector<Ray> rays;
    for (size_t i = 0; i < count; ++i) {
        Ray r;
        r.origin = lo + (hi - lo) * Vector3(0.05f + 0.9f * u(rng), 0.05f + 0.9f * u(rng), 0.05f + 0.9f * u(rng));
        r.direction = Vector3(v(rng), (i % 4 == 0) ? -1.0f : 0.2f * v(rng), v(rng));
        r.direction.Normalize();
        rays.push_back(r);
    }
    return rays;
}

// What one query answers.
struct Answer {
    bool hit = false;
    float distance = 0.0f;
    Vector3 normal;
    const Object* object = nullptr;
};

bool Same(const Answer& a, const Answer& b) {
    if (a.hit != b.hit) return false;
    if (!a.hit) return true;
    return a.distance == b.distance && a.normal.x == b.normal.x && a.normal.y == b.normal.y &&
           a.normal.z == b.normal.z && a.object == b.object;
}

// One timed case: a model placed by a world matrix, or a whole stage, and
// the rays sent at it.
struct Case {
    std::string name;
    const VeModel* model = nullptr;
    Matrix world;
    const Stage* stage = nullptr;
    std::vector<Ray> rays;

    Answer Query(const RayCaster& rc, size_t i) const {
        const Ray& r = rays[i % rays.size()];
        Answer a;
        if (stage) {
            const Object* o = StageRays(rc).RayTestObjects(r.origin, r.direction, a.distance, a.normal, stage);
            a.hit = o != nullptr;
            a.object = o;
        } else {
            a.hit = rc.RayTestModel(model, world, r.origin, r.direction, a.distance, a.normal);
        }
        return a;
    }

    // Every mesh the case's queries walk (a shared one once).
    std::vector<const VeMesh*> Meshes() const {
        std::vector<const VeMesh*> meshes;
        auto add = [&](const VeModel* m) {
            if (!m) return;
            for (const VeModelNode& node : m->nodes)
                if (node.mesh) meshes.push_back(node.mesh.get());
        };
        if (stage) {
            for (const Object* o : stage->GetObjects())
                for (const auto& p : o->GetParts()) add(p->rayModel);
        } else {
            add(model);
        }
        std::sort(meshes.begin(), meshes.end());
        meshes.erase(std::unique(meshes.begin(), meshes.end()), meshes.end());
        return meshes;
    }

    // Triangles a plain query walks (a shared mesh counts for every object).
    size_t Triangles() const {
        size_t n = 0;
        auto add = [&](const VeModel* m) {
            if (!m) return;
            for (const VeModelNode& node : m->nodes)
                if (node.mesh) n += node.mesh->GetTriangles().size();
        };
        if (stage) {
            for (const Object* o : stage->GetObjects())
                for (const auto& p : o->GetParts()) add(p->rayModel);
        } else {
            add(model);
        }
        return n;
    }
};

std::vector<std::unique_ptr<VeModel>> g_models;
std::unique_ptr<Stage> g_stage;
std::vector<Case> g_cases;

VeModel* Keep(std::unique_ptr<VeModel> model) {
    g_models.push_back(std::move(model));
    return g_models.back().get();
}

// Builds every case. False when a map of the level cannot be read.
bool MakeCases() {
    const Matrix turned = Matrix::CreateRotationY(0.2f) * Matrix::CreateRotationX(0.05f) * Matrix::CreateTranslation(1, 0, 2);
    for (const auto& [name, n, size, seed] :
         {std::tuple<const char*, int, float, uint32_t>{"rotated_51k", 160, 40.0f, 1}, {"rotated_205k", 320, 80.0f, 2}}) {
        Case c;
        c.name = name;
        c.model = Keep(MakeTerrain(n, size, seed));
        c.world = turned;
        c.rays = TerrainRays(256, 40.0f, 7);
        g_cases.push_back(std::move(c));
    }

    // 300 objects sharing one piece, each turned its own way, in a 20 x 15 grid.
    VeModel* piece = Keep(MakeTerrain(32, 4.0f, 3));
    g_stage = std::make_unique<Stage>();
    for (int i = 0; i < 300; ++i) {
        Object* o = g_stage->Add(std::make_unique<Object>());
        o->AddModelPart(Matrix(), Matrix(), 0, nullptr, piece);
        o->SetMatrix(Matrix::CreateRotationY(0.37f * float(i)) *
                     Matrix::CreateTranslation(float(i % 20) * 8.0f - 80.0f, 0, float(i / 20) * 8.0f - 60.0f));
    }
    Case objects;
    objects.name = "300_objects";
    objects.stage = g_stage.get();
    objects.rays = TerrainRays(256, 60.0f, 9);
    g_cases.push_back(std::move(objects));

    // The level's hit-test maps, and the densest drawn map for scale.
    for (const auto& [name, path] : {std::pair<const char*, const char*>{"map1_ray", "Data/MAP/map1/map1_ray.gltf"},
                                     {"mapS_ray", "Data/MAP/map_s/mapS_Ray.gltf"},
                                     {"map2_ray", "Data/MAP/map2/map2_ray.gltf"},
                                     {"map3_ray", "Data/MAP/map3/map3_ray.gltf"},
                                     {"map2_drawn", "Data/MAP/map2/map2.gltf"}}) {
        auto model = std::make_unique<VeModel>();
        if (!model->Load(path) || model->nodes.empty()) {
            std::fprintf(stderr, "cannot read %s (run from the folder holding Data/)\n", path);
            return false;
        }
        Case c;
        c.name = name;
        c.rays = MapRays(*model, 256, 13);
        c.model = Keep(std::move(model));
        g_cases.push_back(std::move(c));
    }
    return true;
}

// Every ray of every case through both walks: the answers must be the same,
// and some rays must hit, or the comparison says little. Afterwards every
// mesh must have its hierarchy.
bool CheckCases() {
    RayCaster plain, fast;
    plain.SetAccelerated(false);
    bool ok = true;
    for (const Case& c : g_cases) {
        size_t hits = 0, differing = 0;
        for (size_t i = 0; i < c.rays.size(); ++i) {
            const Answer a = c.Query(plain, i);
            const Answer b = c.Query(fast, i);
            hits += a.hit;
            if (!Same(a, b)) {
                if (differing == 0)
                    std::fprintf(stderr, "%s, ray %zu: plain %s %.9g (%g %g %g) object %p, accelerated %s %.9g (%g %g %g) object %p\n",
                                 c.name.c_str(), i, a.hit ? "hit" : "miss", a.distance, a.normal.x, a.normal.y,
                                 a.normal.z, static_cast<const void*>(a.object), b.hit ? "hit" : "miss", b.distance,
                                 b.normal.x, b.normal.y, b.normal.z, static_cast<const void*>(b.object));
                ++differing;
            }
        }
        size_t built = 0;
        const std::vector<const VeMesh*> meshes = c.Meshes();
        for (const VeMesh* m : meshes) built += m->GetRayAccel() != nullptr;
        std::printf("%-14s %8zu triangles, %zu rays, %3zu hits: %s; hierarchies built %zu of %zu\n", c.name.c_str(),
                    c.Triangles(), c.rays.size(), hits, differing ? "ANSWERS DIFFER" : "identical answers", built,
                    meshes.size());
        if (differing) {
            std::fprintf(stderr, "%s: %zu of %zu rays answered differently by the two walks\n", c.name.c_str(),
                         differing, c.rays.size());
            ok = false;
        }
        if (hits == 0) {
            std::fprintf(stderr, "%s: no ray hits, the comparison proves nothing\n", c.name.c_str());
            ok = false;
        }
        if (built != meshes.size()) {
            std::fprintf(stderr, "%s: a hierarchy is missing before timing\n", c.name.c_str());
            ok = false;
        }
    }
    return ok;
}

void BM_Query(benchmark::State& state, const Case* c, bool accelerated) {
    RayCaster rc;
    rc.SetAccelerated(accelerated);
    size_t i = 0, hits = 0;
    for (auto _ : state) {
        const Answer a = c->Query(rc, i++);
        hits += a.hit;
        benchmark::DoNotOptimize(a);
    }
    state.counters["triangles"] = double(c->Triangles());
    state.counters["hit%"] = 100.0 * double(hits) / double(state.iterations());
}

void BM_BuildHierarchy(benchmark::State& state) {
    const Case& c = g_cases.front();
    RayCaster rc;
    float d;
    Vector3 n;
    for (auto _ : state) {
        c.model->nodes[0].mesh->SetRayAccel(nullptr);
        rc.RayTestModel(c.model, Matrix(), Vector3(0, 10, 0), Vector3(0, -1, 0), d, n);
    }
    state.counters["triangles"] = double(c.Triangles());
}

// The console report, and each case's processor time per query kept for the
// speed-ups (steadier than the elapsed time on a shared machine).
class SpeedupReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration && !r.error_occurred)
                perQuery_[r.benchmark_name()] = r.GetAdjustedCPUTime();
    }
    void PrintSpeedups() const {
        std::printf("\nspeed-up of the accelerated walk (processor time per query, plain / accelerated):\n");
        for (const Case& c : g_cases) {
            const auto p = perQuery_.find("plain/" + c.name), a = perQuery_.find("accelerated/" + c.name);
            if (p == perQuery_.end() || a == perQuery_.end() || a->second <= 0.0) continue;
            std::printf("  %-14s %10.2f us  %8.3f us  x%.0f\n", c.name.c_str(), p->second, a->second,
                        p->second / a->second);
        }
    }

private:
    std::map<std::string, double> perQuery_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    if (!MakeCases()) return 1;
    if (!CheckCases()) {
        std::fprintf(stderr, "the accelerated and the plain walk disagree: nothing timed\n");
        return 1;
    }
    for (const Case& c : g_cases) {
        benchmark::RegisterBenchmark(("plain/" + c.name).c_str(), BM_Query, &c, false)->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("accelerated/" + c.name).c_str(), BM_Query, &c, true)
            ->Unit(benchmark::kMicrosecond);
    }
    benchmark::RegisterBenchmark("build_hierarchy/rotated_51k", BM_BuildHierarchy)->Unit(benchmark::kMillisecond);
    SpeedupReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintSpeedups();
    benchmark::Shutdown();
    return 0;
}
