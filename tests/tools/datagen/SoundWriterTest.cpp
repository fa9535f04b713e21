// The WAV writer and the sound generator run directly: sample encoding,
// failure reporting and byte-for-byte repeatability.
#include <gtest/gtest.h>

#include "tools/datagen/DataGen.h"
#include "tools/datagen/SoundSynth.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct TempDir {
    fs::path path;
    explicit TempDir(const std::string& name)
        : path(fs::temp_directory_path() / ("morvane_sound_" + name + "_" + std::to_string(::getpid()))) {
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
};

std::vector<unsigned char> Bytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<unsigned char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(SoundWriter, EncodesClampedLittleEndianSamplesAfterAStandardHeader) {
    TempDir dir("encode");
    fs::path file = dir.path / "sub" / "t.wav";  // the folder is created on the way
    ASSERT_TRUE(datagen::synth::WriteWav(file.string(), {0.0f, 0.5f, -0.5f, 2.0f, -3.0f}));
    std::vector<unsigned char> b = Bytes(file);
    ASSERT_EQ(b.size(), 44u + 10u);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
    EXPECT_EQ(std::string(b.begin() + 36, b.begin() + 40), "data");
    auto s16 = [&b](int i) { return int16_t(b[44 + 2 * i] | (b[45 + 2 * i] << 8)); };
    EXPECT_EQ(s16(0), 0);
    EXPECT_EQ(s16(1), 16384);
    EXPECT_EQ(s16(2), -16384);
    EXPECT_EQ(s16(3), 32767);   // out-of-range values clamp instead of wrapping
    EXPECT_EQ(s16(4), -32767);
}

TEST(SoundWriter, ReportsAFolderThatCannotBeCreated) {
    TempDir dir("fail");
    fs::path blocker = dir.path / "file";
    std::ofstream(blocker) << "x";
    // The parent "folder" is a regular file: the writer must say so.
    EXPECT_FALSE(datagen::synth::WriteWav((blocker / "t.wav").string(), {0.1f}));
    EXPECT_FALSE(datagen::WriteSounds((blocker / "Data").string()));
}

TEST(SoundWriter, GeneratesTheSameBytesEveryRun) {
    TempDir a("runA"), b("runB");
    ASSERT_TRUE(datagen::WriteSounds(a.path.string()));
    ASSERT_TRUE(datagen::WriteSounds(b.path.string()));
    int files = 0;
    for (const auto& entry : fs::directory_iterator(a.path / "Sound")) {
        SCOPED_TRACE(entry.path().filename().string());
        EXPECT_EQ(Bytes(entry.path()), Bytes(b.path / "Sound" / entry.path().filename()));
        ++files;
    }
    EXPECT_EQ(files, 19);
}

}  // namespace
