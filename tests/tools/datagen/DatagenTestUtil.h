// Helpers of the data generator tests: scratch folders and geometric checks.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <cmath>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "Framework/Math/SimpleMath.h"

namespace datagentest {

// A fresh folder under the system's temporary folder, removed on destruction.
struct ScratchDir {
    std::filesystem::path path;
    explicit ScratchDir(const std::string& name) {
        path = std::filesystem::temp_directory_path() /
               ("morvane_datagen_" + name + "_" + std::to_string(::getpid()));
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::string operator/(const std::string& rel) const { return (path / rel).string(); }
};

// Counts the triangles whose geometric normal ((b - a) x (c - a)) points
// against the average of their vertex normals: zero when every triangle
// is wound with its front where its normals point.
template <typename GetPos, typename GetNormal>
size_t CountMiswound(size_t triangleCount, GetPos pos, GetNormal normal) {
    size_t bad = 0;
    for (size_t t = 0; t < triangleCount; ++t) {
        const Vector3 a = pos(t, 0), b = pos(t, 1), c = pos(t, 2);
        const Vector3 g = (b - a).Cross(c - a);
        if (g.LengthSquared() < 1e-14f) continue;  // degenerate slivers carry no facing
        const Vector3 n = normal(t, 0) + normal(t, 1) + normal(t, 2);
        if (g.Dot(n) <= 0) ++bad;
    }
    return bad;
}

// Number of edges (after welding equal positions) not crossed as often in
// one direction as in the other: zero for a closed, consistently wound mesh
// (or a union of such, which may share edges).
inline size_t OpenEdges(const std::vector<Vector3>& positions, const std::vector<uint32_t>& indices) {
    auto key = [](const Vector3& p) {
        auto q = [](float v) { return long(std::lround(v * 1000.0f)); };
        return std::make_tuple(q(p.x), q(p.y), q(p.z));
    };
    std::map<std::tuple<long, long, long>, int> ids;
    std::vector<int> welded;
    for (const Vector3& p : positions) welded.push_back(ids.emplace(key(p), int(ids.size())).first->second);
    std::map<std::pair<int, int>, int> directed;
    for (size_t i = 0; i + 2 < indices.size(); i += 3)
        for (int e = 0; e < 3; ++e) {
            const int a = welded[indices[i + e]], b = welded[indices[i + (e + 1) % 3]];
            if (a != b) ++directed[{a, b}];
        }
    size_t open = 0;
    for (const auto& [edge, count] : directed) {
        auto back = directed.find({edge.second, edge.first});
        if (back == directed.end() || back->second != count) ++open;
    }
    return open;
}

}  // namespace datagentest
