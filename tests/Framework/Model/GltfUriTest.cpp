// External files of a model (buffers, images) come only from inside the data
// folder: every URI is resolved against the model's folder, and one that
// leaves the folder named Data above the model (by "..", percent-encoded or
// not, by backslashes, by a link), is absolute or names a scheme is refused
// without the file being read. A refused buffer fails the model, a refused
// image leaves its texture white; each is warned about.
#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>
#include <stb_image_write.h>

#include "Framework/Model/VeModel.h"
#include "Framework/ResourceCache.h"
#include "tests/Framework/Model/GltfTestFiles.h"

namespace fs = std::filesystem;

namespace {

// Counts the times a file is opened (inotify), to show a refused file is
// never touched.
class FileOpens {
public:
    explicit FileOpens(const std::string& path) : fd_(inotify_init1(IN_NONBLOCK)) {
        if (fd_ >= 0) watch_ = inotify_add_watch(fd_, path.c_str(), IN_OPEN);
    }
    ~FileOpens() {
        if (fd_ >= 0) close(fd_);
    }
    bool Watching() const { return watch_ >= 0; }
    int Count() {
        alignas(inotify_event) char buffer[4096];
        ssize_t n;
        while ((n = read(fd_, buffer, sizeof(buffer))) > 0)
            for (char* p = buffer; p < buffer + n; p += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(p)->len)
                ++opens_;
        return opens_;
    }

private:
    int fd_ = -1;
    int watch_ = -1;
    int opens_ = 0;
};

// A quad model in folder/name.gltf whose buffer and (when given) texture
// image have the given URIs, written as they stand into the JSON. Its
// buffer's bytes are returned, for the test to place where it likes.
std::vector<unsigned char> WriteQuad(const fs::path& folder, const std::string& name, const std::string& bufferUri,
                                     const std::string& imageUri = std::string()) {
    fs::create_directories(folder);
    gltftest::Builder b;
    gltftest::Prim p = gltftest::Quad(0, imageUri.empty() ? -1 : 0);
    p.uvs = {0, 1, 1, 1, 1, 0, 0, 0};
    if (!imageUri.empty()) b.AddMaterial("m", {}, "placeholder.png");
    b.AddNode("quad", b.AddMesh({p}));
    const fs::path file = folder / (name + ".gltf");
    EXPECT_TRUE(b.Write(file.string(), false));
    // The builder embeds the buffer; it becomes an external file here.
    nlohmann::json json = nlohmann::json::parse(std::ifstream(file));
    json["buffers"][0]["uri"] = bufferUri;
    if (!imageUri.empty()) json["images"][0]["uri"] = imageUri;
    std::ofstream(file) << json.dump();
    return b.model.buffers[0].data;
}

void WritePng(const fs::path& path) {
    const unsigned char red[16] = {255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255};
    ASSERT_NE(stbi_write_png(path.string().c_str(), 2, 2, 4, red, 8), 0);
}

struct Loaded {
    VeModel* model;
    std::string warnings;
};

Loaded LoadThroughCache(const fs::path& file) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    VeModel* model = ResourceCache::GetInstance().GetModel(file.string());
    const std::string warnings = testing::internal::GetCapturedStderr();
    testing::internal::GetCapturedStdout();
    return Loaded{model, warnings};
}

}  // namespace

TEST(GltfUris, FilesOutsideTheDataFolderAreNeverRead) {
    const fs::path root = fs::path(gltftest::ScratchDir()) / "uris";
    fs::remove_all(root);
    const fs::path data = root / "Data";
    const fs::path models = data / "models";
    fs::create_directories(models);
    fs::create_directories(data / "shared");

    // The quad's buffer bytes, placed outside the data folder (with the size
    // the model asks for, so only the refusal can stop the load) and inside.
    const std::vector<unsigned char> bytes = WriteQuad(models, "plain", "quad.bin");
    gltftest::WriteFile((models / "quad.bin").string(), bytes);
    gltftest::WriteFile((root / "secret.bin").string(), bytes);
    gltftest::WriteFile((data / "shared" / "quad.bin").string(), bytes);
    WritePng(root / "secret.png");
    WritePng(data / "shared" / "red.png");
    fs::create_symlink("../../secret.bin", models / "link_out.bin");
    fs::create_symlink("../shared/quad.bin", models / "link_in.bin");
    fs::create_symlink("../../secret.png", models / "link_out.png");

    const std::string secret = fs::absolute(root / "secret.bin").lexically_normal().string();
    struct Case {
        const char* name;
        std::string uri;
    };
    const Case refused[] = {
        {"parent", "../../secret.bin"},
        {"percent_encoded", "%2e%2e/%2E%2E/secret.bin"},
        {"through_inside", "../shared/../../secret.bin"},
        {"backslashes", "..\\..\\secret.bin"},
        {"absolute", secret},
        {"file_scheme", "file://" + secret},
        {"http_scheme", "http://example.invalid/secret.bin"},
        {"link_out", "link_out.bin"},
    };
    FileOpens opens((root / "secret.bin").string());
    ASSERT_TRUE(opens.Watching());
    for (const Case& c : refused) {
        SCOPED_TRACE(c.name);
        WriteQuad(models, std::string("out_") + c.name, c.uri);
        const Loaded loaded = LoadThroughCache(models / (std::string("out_") + c.name + ".gltf"));
        EXPECT_TRUE(loaded.model->nodes.empty());
        EXPECT_NE(loaded.warnings.find("refused, "), std::string::npos) << loaded.warnings;
        EXPECT_EQ(loaded.warnings.find(std::to_string(bytes.size())), std::string::npos)
            << "the warning tells the file's size: " << loaded.warnings;
    }
    EXPECT_EQ(opens.Count(), 0);

    // Inside the data folder: beside the model, in a sibling folder, and
    // through a link that stays inside.
    for (const char* uri : {"quad.bin", "../shared/quad.bin", "link_in.bin", "%2e%2e/shared/quad.bin"}) {
        SCOPED_TRACE(uri);
        const std::string name = std::string("allowed_") + std::to_string(std::hash<std::string>{}(uri));
        WriteQuad(models, name, uri);
        const Loaded loaded = LoadThroughCache(models / (name + ".gltf"));
        ASSERT_EQ(loaded.model->nodes.size(), 1u);
        EXPECT_EQ(loaded.model->nodes[0].mesh->GetTriangles().size(), 2u);
        EXPECT_EQ(loaded.warnings, "");
    }

    // A folder of the data folder that is a link to one outside it (as a
    // package may link its parts): its models read the files beside them,
    // but a link there that leads elsewhere is still refused.
    WriteQuad(root / "elsewhere", "linked", "quad.bin");
    gltftest::WriteFile((root / "elsewhere" / "quad.bin").string(), bytes);
    WriteQuad(root / "elsewhere", "linked_out", "link_out.bin");
    fs::create_symlink("../secret.bin", root / "elsewhere" / "link_out.bin");
    fs::create_directory_symlink("../elsewhere", data / "linked");
    const Loaded linked = LoadThroughCache(data / "linked" / "linked.gltf");
    ASSERT_EQ(linked.model->nodes.size(), 1u);
    EXPECT_EQ(linked.warnings, "");
    EXPECT_TRUE(LoadThroughCache(data / "linked" / "linked_out.gltf").model->nodes.empty());
    EXPECT_EQ(opens.Count(), 0);

    // A model outside any folder named Data may use only its own folder.
    WriteQuad(root / "loose", "loose", "../secret.bin");
    EXPECT_TRUE(LoadThroughCache(root / "loose" / "loose.gltf").model->nodes.empty());
    EXPECT_EQ(opens.Count(), 0);

    // Images: a refused one leaves its texture white (empty without a
    // device), the rest of the model loads; one inside loads.
    FileOpens pictureOpens((root / "secret.png").string());
    for (const char* uri : {"../../secret.png", "link_out.png"}) {
        SCOPED_TRACE(uri);
        const std::string name = std::string("image_") + std::to_string(std::hash<std::string>{}(uri));
        WriteQuad(models, name, "quad.bin", uri);
        const Loaded loaded = LoadThroughCache(models / (name + ".gltf"));
        ASSERT_EQ(loaded.model->nodes.size(), 1u);
        ASSERT_FALSE(loaded.model->materials.empty());
        ASSERT_TRUE(loaded.model->materials[0].baseColorTexture);
        EXPECT_FALSE(loaded.model->materials[0].baseColorTexture->IsValid());
        EXPECT_NE(loaded.warnings.find("refused, "), std::string::npos) << loaded.warnings;
    }
    EXPECT_EQ(pictureOpens.Count(), 0);
    WriteQuad(models, "image_inside", "quad.bin", "../shared/red.png");
    const Loaded inside = LoadThroughCache(models / "image_inside.gltf");
    ASSERT_FALSE(inside.model->materials.empty());
    EXPECT_TRUE(inside.model->materials[0].baseColorTexture->IsValid());
    EXPECT_EQ(inside.warnings, "");
}
