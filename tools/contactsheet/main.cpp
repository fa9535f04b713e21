// Contact sheets of the Data/ tree: every model (*.gltf, *.glb) drawn with the
// game's model loader and shaders from the front, three-quarter, side, top
// and back under a neutral light, framed by its mesh bounds, and every
// texture (PNG, JPEG) over a checkerboard, several to a page, each with its
// file name:
//   morvane_contactsheet [--data <Data folder>] [--out <folder>] [--limit <n>]
// Pages are written as models_NN.png and textures_NN.png; --limit keeps the
// first n models and n textures (a quick run). Every model that does not
// load, every texture of a model that does not load (named, with the
// reason) and every picture that does not decode counts as a problem. Exits
// non-zero when there are problems, when the data folder is missing or holds
// nothing, when the window cannot be opened or a page cannot be written.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include <stb/stb_image.h>

#include "Application/App.h"
#include "Framework/Graphics/GraphicsDevice.h"
#include "Framework/Graphics/ShaderManager.h"
#include "Framework/Graphics/VeTexture.h"
#include "Framework/Model/VeModel.h"
#include "SheetImage.h"

namespace fs = std::filesystem;

namespace {

using Math::kDegToRad;
constexpr float kFovY = 35.0f * kDegToRad;

// Model pages: one row per model, one cell per view.
constexpr int kCell = 256;
constexpr int kViews = 5;
constexpr int kModelRows = 4;
constexpr int kCaption = 22;
constexpr int kGap = 6;

// Texture pages: a grid of cells with the name and size under each.
constexpr int kTexCell = 230;
constexpr int kTexCols = 5;
constexpr int kTexRows = 4;
constexpr int kTexCaption = 26;

const Rgb kPageColour{24, 24, 28};
const Rgb kCaptionColour{235, 235, 235};
const Rgb kErrorColour{255, 80, 80};
const Rgb kNoteColour{150, 150, 160};
// Views: mid grey so both dark and bright surfaces stand out.
constexpr float kBackground[3] = {0.36f, 0.38f, 0.42f};

struct View {
    const char* name;
    Vector3 fromDir;  // from the model's centre towards the camera
    Vector3 up;
};

// The game's models face +z: the front view looks at them from +z, the side
// view from their right (+x), the top view from above with their front
// towards the top of the picture. The back view looks from -z, where a model
// made in a modelling tool faces (its +z, mirrored on loading): a one-sided
// flat model shows only there.
const View kViewList[kViews] = {
    {"front", Vector3(0.0f, 0.0f, 1.0f), Vector3(0.0f, 1.0f, 0.0f)},
    {"3/4", Vector3(0.62f, 0.42f, 0.66f), Vector3(0.0f, 1.0f, 0.0f)},
    {"side", Vector3(1.0f, 0.0f, 0.0f), Vector3(0.0f, 1.0f, 0.0f)},
    {"top", Vector3(0.0f, 1.0f, 0.0f), Vector3(0.0f, 0.0f, 1.0f)},
    {"back", Vector3(0.0f, 0.0f, -1.0f), Vector3(0.0f, 1.0f, 0.0f)},
};

struct Bounds {
    Vector3 min{1e30f, 1e30f, 1e30f};
    Vector3 max{-1e30f, -1e30f, -1e30f};
    size_t triangles = 0;
    bool Empty() const { return min.x > max.x; }
};

// Bounds of what DrawModel draws: each mesh's positions through its node's
// matrix (the renderer uses the node's own matrix only).
Bounds ModelBounds(const VeModel& model) {
    Bounds b;
    for (const VeModelNode& node : model.nodes) {
        if (!node.mesh) continue;
        b.triangles += node.mesh->GetTriangles().size();
        for (const Vector3& p : node.mesh->GetPositions()) {
            const Vector3 w = Vector3::Transform(p, node.matrix);
            b.min = Vector3(std::min(b.min.x, w.x), std::min(b.min.y, w.y), std::min(b.min.z, w.z));
            b.max = Vector3(std::max(b.max.x, w.x), std::max(b.max.y, w.y), std::max(b.max.z, w.z));
        }
    }
    return b;
}

std::vector<fs::path> FindFiles(const fs::path& root, const std::vector<std::string>& extensions) {
    std::vector<fs::path> found;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec)) continue;
        std::string ext = it->path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
        if (std::find(extensions.begin(), extensions.end(), ext) != extensions.end()) found.push_back(it->path());
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::string PageName(const char* prefix, int index) {
    char buf[64];
    std::snprintf(buf, sizeof(buf), "%s_%02d.png", prefix, index);
    return buf;
}

std::string Dims(const Vector3& v) {
    char buf[96];
    std::snprintf(buf, sizeof(buf), "%.2f x %.2f x %.2f", v.x, v.y, v.z);
    return buf;
}

// Draws the model from one view into the top-left kCell x kCell of the back
// buffer and reads it back (RGBA, top row first).
bool RenderView(const VeModel& model, const Bounds& bounds, const View& view, std::vector<uint8_t>& rgba) {
    GraphicsDevice& device = GraphicsDevice::GetInstance();
    ShaderManager& shaders = ShaderManager::GetInstance();
    device.SetBackBufferAsTarget();
    device.ClearTarget(kBackground[0], kBackground[1], kBackground[2], 1.0f);
    device.ClearDepthStencil(1.0f, 0);
    device.SetViewport(0, 0, kCell, kCell);

    const Vector3 centre = (bounds.min + bounds.max) * 0.5f;
    const float radius = std::max((bounds.max - bounds.min).Length() * 0.5f, 0.01f);
    const float distance = radius / std::sin(kFovY * 0.5f) * 1.02f;
    Vector3 dir = view.fromDir;
    dir.Normalize();
    const Vector3 eye = centre + dir * distance;
    const Vector3 forward = -dir;

    const Matrix viewMatrix = Matrix::CreateLookTo(eye, forward, view.up);
    CbCamera& camera = shaders.CameraBlock();
    camera.g_mV = viewMatrix;
    camera.g_CamPos = eye;
    camera.g_DistanceFogEnable = 0;
    camera.g_mP = Matrix::CreatePerspectiveFieldOfView(kFovY, 1.0f, distance * 0.02f, distance + radius * 2.0f);
    shaders.UploadCamera();

    // A neutral key light from over the viewer's left shoulder plus ambient,
    // no point lights: baked vertex colours and emissive parts show as built.
    Vector3 right = view.up.Cross(forward);
    right.Normalize();
    Vector3 lightDir = forward * 1.0f - view.up * 0.7f + right * 0.45f;
    shaders.BeginFrameLights();
    shaders.SetDirectionalLight(lightDir, Vector3(2.2f, 2.2f, 2.2f));
    shaders.SetAmbientLight(Vector3(0.55f, 0.55f, 0.55f));
    shaders.UploadLights();

    shaders.SetModelShader();
    shaders.SetObjectMatrix(Matrix::Identity());
    CbObject& object = shaders.ObjectBlock();
    object.g_UVOffset = Vector2(0.0f, 0.0f);
    object.g_UVTiling = Vector2(1.0f, 1.0f);
    object.g_LightEnable = 1;
    object.g_AlphaTestThreshold = 0.0f;
    device.SetCullMode(CullMode::Back);
    shaders.DrawModel(&model, 1.0f, 1.0f, 1.0f, 1.0f);

    rgba.assign(static_cast<size_t>(kCell) * kCell * 4, 0);
    return device.ReadPixels(0, 0, kCell, kCell, rgba.data());
}

struct Options {
    fs::path data = "Data";
    fs::path out = "contactsheet";
    size_t limit = 0;  // 0: everything
};

bool ParseArgs(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if ((a == "--data" || a == "--out" || a == "--limit") && i + 1 < argc) {
            const std::string v = argv[++i];
            if (a == "--data") o.data = v;
            else if (a == "--out") o.out = v;
            else {
                char* end = nullptr;
                const long n = std::strtol(v.c_str(), &end, 10);
                if (end == v.c_str() || *end != '\0' || n < 0) return false;
                o.limit = static_cast<size_t>(n);
            }
        } else {
            return false;
        }
    }
    return true;
}

int ModelPages(const Options& o, const std::vector<fs::path>& models, int& failures) {
    const int width = kGap + kViews * (kCell + kGap);
    const int rowHeight = kCaption + kCell + kGap;
    int pages = 0;
    std::vector<uint8_t> rgba;
    for (size_t first = 0; first < models.size(); first += kModelRows) {
        const size_t count = std::min<size_t>(kModelRows, models.size() - first);
        SheetImage page(width, kGap + static_cast<int>(count) * rowHeight, kPageColour);
        for (size_t i = 0; i < count; ++i) {
            const fs::path& path = models[first + i];
            const std::string name = fs::relative(path, o.data).generic_string();
            const int y = kGap + static_cast<int>(i) * rowHeight;
            VeModel model;
            const bool loaded = model.Load(path.string());
            const Bounds bounds = loaded ? ModelBounds(model) : Bounds{};
            if (!loaded || bounds.Empty()) {
                page.Text(kGap, y + 2, name + (loaded ? "  (no geometry)" : "  (failed to load)"), kErrorColour, 2,
                          width - 2 * kGap);
                std::fprintf(stderr, "contactsheet: %s: %s\n", name.c_str(), loaded ? "no geometry" : "failed to load");
                ++failures;
                continue;
            }
            const int nameWidth = page.Text(kGap, y + 2, name, kCaptionColour, 2, width - 2 * kGap);
            char info[192];
            std::snprintf(info, sizeof(info), "  %zu triangles, size %s, min y %.2f", bounds.triangles,
                          Dims(bounds.max - bounds.min).c_str(), bounds.min.y);
            const int infoWidth = page.Text(kGap + nameWidth, y + 8, info, kNoteColour, 1, width - 2 * kGap - nameWidth);
            // Each texture that did not load is a problem, named.
            std::string missing;
            for (const VeTextureProblem& problem : model.textureProblems) {
                std::fprintf(stderr, "contactsheet: %s: texture %s: %s\n", name.c_str(), problem.image.c_str(),
                             problem.reason.c_str());
                missing += "  texture " + problem.image + ": " + problem.reason;
                ++failures;
            }
            if (!missing.empty())
                page.Text(kGap + nameWidth + infoWidth, y + 8, missing, kErrorColour, 1,
                          width - 2 * kGap - nameWidth - infoWidth);
            for (int v = 0; v < kViews; ++v) {
                const int x = kGap + v * (kCell + kGap);
                if (RenderView(model, bounds, kViewList[v], rgba)) {
                    page.Paste(x, y + kCaption, kCell, kCell, rgba.data());
                } else {
                    page.Fill(x, y + kCaption, kCell, kCell, Rgb{80, 0, 0});
                    ++failures;
                }
                page.Text(x + 4, y + kCaption + 4, kViewList[v].name, kCaptionColour, 1, kCell);
            }
            model.Release();
        }
        const fs::path file = o.out / PageName("models", pages + 1);
        if (!page.WritePng(file.string())) {
            std::fprintf(stderr, "contactsheet: cannot write %s\n", file.string().c_str());
            return -1;
        }
        std::printf("wrote %s (%zu models)\n", file.string().c_str(), count);
        ++pages;
    }
    return pages;
}

int TexturePages(const Options& o, const std::vector<fs::path>& textures, int& failures) {
    const int perPage = kTexCols * kTexRows;
    const int width = kGap + kTexCols * (kTexCell + kGap);
    const int rowHeight = kTexCell + kTexCaption + kGap;
    int pages = 0;
    for (size_t first = 0; first < textures.size(); first += perPage) {
        const size_t count = std::min<size_t>(perPage, textures.size() - first);
        const int rows = static_cast<int>((count + kTexCols - 1) / kTexCols);
        SheetImage page(width, kGap + rows * rowHeight, kPageColour);
        for (size_t i = 0; i < count; ++i) {
            const fs::path& path = textures[first + i];
            const std::string name = fs::relative(path, o.data).generic_string();
            const int x = kGap + static_cast<int>(i % kTexCols) * (kTexCell + kGap);
            const int y = kGap + static_cast<int>(i / kTexCols) * rowHeight;
            // Decoded as the game decodes it: the same readers and limits.
            std::ifstream file(path, std::ios::binary);
            const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
            DecodedImage image;
            std::string problem;
            int w = 0, h = 0, channels = 0;
            if (!VeTexture::Decode(bytes.data(), bytes.size(), image, &problem) ||
                stbi_info_from_memory(bytes.data(), static_cast<int>(bytes.size()), &w, &h, &channels) == 0) {
                page.Fill(x, y, kTexCell, kTexCell, Rgb{80, 0, 0});
                page.Text(x, y + kTexCell + 3, name, kErrorColour, 1, kTexCell);
                page.Text(x, y + kTexCell + 14, problem, kErrorColour, 1, kTexCell);
                std::fprintf(stderr, "contactsheet: %s: %s\n", name.c_str(), problem.c_str());
                ++failures;
                continue;
            }
            page.DrawImageFitted(x, y, kTexCell, kTexCell, image.pixels.get(), image.width, image.height);
            page.Text(x, y + kTexCell + 3, name, kCaptionColour, 1, kTexCell);
            char info[64];
            std::snprintf(info, sizeof(info), "%d x %d, %d channel%s", w, h, channels, channels == 1 ? "" : "s");
            page.Text(x, y + kTexCell + 14, info, kNoteColour, 1, kTexCell);
        }
        const fs::path file = o.out / PageName("textures", pages + 1);
        if (!page.WritePng(file.string())) {
            std::fprintf(stderr, "contactsheet: cannot write %s\n", file.string().c_str());
            return -1;
        }
        std::printf("wrote %s (%zu textures)\n", file.string().c_str(), count);
        ++pages;
    }
    return pages;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!ParseArgs(argc, argv, o)) {
        std::fprintf(stderr, "usage: morvane_contactsheet [--data <Data folder>] [--out <folder>] [--limit <n>]\n");
        return 2;
    }
    std::error_code ec;
    if (!fs::is_directory(o.data, ec)) {
        std::fprintf(stderr, "contactsheet: no data folder at %s\n", o.data.string().c_str());
        return 1;
    }
    std::vector<fs::path> models = FindFiles(o.data, {".gltf", ".glb"});
    std::vector<fs::path> textures = FindFiles(o.data, {".png", ".jpg", ".jpeg"});
    if (o.limit > 0) {
        if (models.size() > o.limit) models.resize(o.limit);
        if (textures.size() > o.limit) textures.resize(o.limit);
    }
    if (models.empty() && textures.empty()) {
        std::fprintf(stderr, "contactsheet: no models or textures under %s\n", o.data.string().c_str());
        return 1;
    }
    fs::create_directories(o.out, ec);
    if (!fs::is_directory(o.out, ec)) {
        std::fprintf(stderr, "contactsheet: cannot make the output folder %s\n", o.out.string().c_str());
        return 1;
    }

    App& app = App::GetInstance();
    if (!app.Init(kCell * 2, kCell * 2)) return 1;
    app.SetFrameCap(false);

    int failures = 0;
    const int modelPages = ModelPages(o, models, failures);
    // The texture pages scale the decoded pictures themselves: no mip levels.
    VeTexture::SetGenerateMips(false);
    const int texturePages = modelPages < 0 ? -1 : TexturePages(o, textures, failures);
    app.Shutdown();
    if (modelPages < 0 || texturePages < 0) return 1;
    std::printf("%zu models on %d pages, %zu textures on %d pages, %d problems\n", models.size(), modelPages,
                textures.size(), texturePages, failures);
    return failures == 0 ? 0 : 1;
}
