// The real generator program, run twice into fresh folders: both runs
// succeed, write every model the game loads, and produce the same bytes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "tests/tools/datagen/DatagenTestUtil.h"

namespace {

std::map<std::string, std::string> ReadTree(const std::filesystem::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        files[std::filesystem::relative(entry.path(), root).string()] = ss.str();
    }
    return files;
}

}  // namespace

TEST(DataGenProgram, TwoRunsWriteIdenticalTrees) {
    const std::string exe = std::string(MORVANE_BINARY_DIR) + "/tools/datagen/morvane_datagen";
    ASSERT_TRUE(std::filesystem::exists(exe)) << "the build makes the generator: " << exe;
    datagentest::ScratchDir dir("runs");
    const std::string a = dir / "a/Data", b = dir / "b/Data";
    ASSERT_EQ(std::system(("\"" + exe + "\" \"" + a + "\" > /dev/null").c_str()), 0);
    ASSERT_EQ(std::system(("\"" + exe + "\" \"" + b + "\" > /dev/null").c_str()), 0);

    const auto first = ReadTree(a), second = ReadTree(b);
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first.size(), second.size());
    size_t differing = 0;
    for (const auto& [name, bytes] : first) {
        auto it = second.find(name);
        if (it == second.end() || it->second != bytes) {
            ADD_FAILURE() << "differs between runs: " << name;
            ++differing;
        }
    }
    EXPECT_EQ(differing, 0u);
    // Every model of the props, characters and rooms is there, with its buffer.
    for (const char* model : {"gun/gun.gltf", "door3/door.gltf", "portal/portal.gltf", "MAP/title/player.gltf",
                              "zombie_S_All/zombie_S_H/zombie_S_H.gltf", "plant_new/plantGlass.gltf"}) {
        EXPECT_TRUE(first.count(model)) << model;
        std::string bin = model;
        bin.replace(bin.size() - 5, 5, ".bin");
        EXPECT_TRUE(first.count(bin)) << bin;
    }
}

TEST(DataGenProgram, FailsWhenTheOutputCannotBeWritten) {
    const std::string exe = std::string(MORVANE_BINARY_DIR) + "/tools/datagen/morvane_datagen";
    ASSERT_TRUE(std::filesystem::exists(exe)) << "the build makes the generator: " << exe;
    datagentest::ScratchDir dir("blocked");
    std::ofstream(dir / "Data") << "a file where the folder should be";
    const int status = std::system(("\"" + exe + "\" \"" + (dir / "Data") + "\" > /dev/null 2>&1").c_str());
    EXPECT_NE(status, 0);
}
