// Inputs that once broke a file loader (found by the fuzzers in tests/fuzz,
// kept in tests/fuzz/regressions), the formats the image loader must still
// read next to the ones it refuses, and sounds decoded from memory.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "Framework/Audio/Audio.h"
#include "Framework/Graphics/GraphicsDevice.h"
#include "Framework/Graphics/VeTexture.h"
#include "Framework/Model/VeModel.h"

namespace {

std::vector<unsigned char> ReadBytes(const std::string& relative) {
    std::ifstream file(std::string(MORVANE_SOURCE_DIR) + "/tests/fuzz/" + relative, std::ios::binary);
    EXPECT_TRUE(file) << relative;
    return std::vector<unsigned char>((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

bool LoadsImage(const std::vector<unsigned char>& bytes, int* w = nullptr, int* h = nullptr) {
    VeTexture texture;
    const bool ok = texture.LoadFromMemory(bytes.data(), bytes.size(), "test");
    if (w) *w = texture.GetWidth();
    if (h) *h = texture.GetHeight();
    return ok;
}

// A copy of a JPEG whose first Huffman table is replaced by one that claims
// `codes` codes (a valid table has at most 256).
std::vector<unsigned char> WithHuffmanTable(const std::vector<unsigned char>& jpeg, int codes) {
    size_t at = 2;
    while (at + 4 < jpeg.size() && !(jpeg[at] == 0xFF && jpeg[at + 1] == 0xC4)) at += 2 + ((jpeg[at + 2] << 8) | jpeg[at + 3]);
    EXPECT_LT(at + 4, jpeg.size());
    const size_t oldLength = (jpeg[at + 2] << 8) | jpeg[at + 3];
    std::vector<unsigned char> table{0x00};
    for (int i = 0; i < 16; ++i) table.push_back(static_cast<unsigned char>(codes / 16 + (i < codes % 16 ? 1 : 0)));
    for (int i = 0; i < codes; ++i) table.push_back(static_cast<unsigned char>(i));
    std::vector<unsigned char> out(jpeg.begin(), jpeg.begin() + static_cast<long>(at));
    const size_t length = table.size() + 2;
    out.insert(out.end(), {0xFF, 0xC4, static_cast<unsigned char>(length >> 8), static_cast<unsigned char>(length)});
    out.insert(out.end(), table.begin(), table.end());
    out.insert(out.end(), jpeg.begin() + static_cast<long>(at + 2 + oldLength), jpeg.end());
    return out;
}

}  // namespace

TEST(ImageLoaderRegression, ReadsTheGameFormatsAndRefusesTheOthers) {
    if (GraphicsDevice::GetInstance().IsReady()) GTEST_SKIP() << "a device is open in this process";
    struct Case {
        const char* file;
        int w, h;
    } readable[] = {{"corpus_image/rgb.png", 7, 5},         {"corpus_image/rgba.png", 7, 5},
                    {"corpus_image/gray16.png", 9, 4},      {"corpus_image/palette.png", 8, 8},
                    {"corpus_image/interlaced.png", 9, 7},  {"corpus_image/baseline.jpg", 17, 9},
                    {"corpus_image/progressive.jpg", 17, 9}, {"corpus_image/gray.jpg", 9, 9},
                    {"corpus_image/rle.tga", 6, 5},         {"corpus_image/plain.tga", 6, 5},
                    {"corpus_image/small.hdr", 6, 5}};
    for (const Case& c : readable) {
        int w = 0, h = 0;
        EXPECT_TRUE(LoadsImage(ReadBytes(c.file), &w, &h)) << c.file;
        EXPECT_EQ(w, c.w) << c.file;
        EXPECT_EQ(h, c.h) << c.file;
    }
    // Formats the game never ships go nowhere near their decoders; a 16-bit
    // PPM made the PNM reader read past its buffer.
    for (const char* file : {"regressions/image_ppm16_overread.ppm", "corpus_image/small.bmp", "corpus_image/small.gif",
                             "corpus_image/small.psd"})
        EXPECT_FALSE(LoadsImage(ReadBytes(file))) << file;
}

TEST(ImageLoaderRegression, JpegHuffmanTablesOverTheirSizeAreRefused) {
    if (GraphicsDevice::GetInstance().IsReady()) GTEST_SKIP() << "a device is open in this process";
    // Found by the fuzzer: a table at the end of a cut file (its counts run
    // past the end), and a file opening with fill bytes before its start
    // marker; and one made by hand.
    for (const char* file : {"regressions/image_jpeg_huffman_past_end.jpg", "regressions/image_jpeg_huffman_fill_start.jpg",
                             "regressions/image_jpeg_huffman_overrun.jpg"})
        EXPECT_FALSE(LoadsImage(ReadBytes(file))) << file;
    const std::vector<unsigned char> jpeg = ReadBytes("corpus_image/baseline.jpg");
    EXPECT_FALSE(LoadsImage(WithHuffmanTable(jpeg, 257)));
    EXPECT_FALSE(LoadsImage(WithHuffmanTable(jpeg, 16 * 255)));
    // Tables met after the image data are read too, so the check walks the
    // scan: an oversized one there is refused, a sound one is not.
    auto withTableBeforeEnd = [&jpeg](const std::vector<unsigned char>& segment) {
        std::vector<unsigned char> out = jpeg;
        out.insert(out.end() - 2, segment.begin(), segment.end());
        return out;
    };
    std::vector<unsigned char> oversized{0xFF, 0xC4, 0x01, 0x13, 0x10};
    for (int i = 0; i < 16; ++i) oversized.push_back(17);
    oversized.insert(oversized.end(), 272, 0);
    oversized[2] = static_cast<unsigned char>((oversized.size() - 2) >> 8);
    oversized[3] = static_cast<unsigned char>(oversized.size() - 2);
    EXPECT_FALSE(LoadsImage(withTableBeforeEnd(oversized)));
    std::vector<unsigned char> sound{0xFF, 0xC4, 0x00, 0x14, 0x10, 1};
    sound.insert(sound.end(), 15, 0);
    sound.push_back(0);  // one code of length 1
    EXPECT_TRUE(LoadsImage(withTableBeforeEnd(sound)));
    // Fill bytes before a marker are skipped as the decoder skips them.
    std::vector<unsigned char> filled = jpeg;
    filled.insert(filled.begin() + 2, {0xFF, 0xFF});
    filled.insert(filled.begin(), {0xFF, 0xFF});
    EXPECT_TRUE(LoadsImage(filled));
}

TEST(GltfLoaderRegression, NodeRingsAreRefusedWithoutLeaking) {
    const std::vector<unsigned char> found = ReadBytes("regressions/gltf_node_ring_leak.gltf");
    testing::internal::CaptureStdout();
    EXPECT_FALSE(VeLoadGLTFModelFromMemory(found.data(), found.size(), false, ""));
    // Two nodes, each the only child of the other, outside the scene: every
    // node has one parent, yet there is no root to reach them from.
    const std::string ring =
        R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],)"
        R"("nodes":[{"name":"root"},{"children":[2]},{"children":[1]}]})";
    EXPECT_FALSE(VeLoadGLTFModelFromMemory(reinterpret_cast<const unsigned char*>(ring.data()), ring.size(), false, ""));
    // The same nodes as a chain load, with the links in place.
    const std::string chain =
        R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],)"
        R"("nodes":[{"name":"root","children":[2]},{"name":"leaf"},{"children":[1]}]})";
    auto model = VeLoadGLTFModelFromMemory(reinterpret_cast<const unsigned char*>(chain.data()), chain.size(), false, "");
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(model);
    ASSERT_EQ(model->allNodes.size(), 3u);
    ASSERT_EQ(model->allNodes[0]->children.size(), 1u);
    EXPECT_EQ(model->allNodes[0]->children[0], model->allNodes[2]);
    ASSERT_EQ(model->allNodes[2]->children.size(), 1u);
    EXPECT_EQ(model->allNodes[2]->children[0], model->allNodes[1]);
}

TEST(WavLoaderRegression, SoundsDecodeFromMemoryAsFromFiles) {
    AudioManager& audio = AudioManager::GetInstance();
    ASSERT_TRUE(audio.InitLoopback(44100));
    struct Case {
        const char* file;
        int channels, rate;
    } cases[] = {{"corpus_wav/pcm16_stereo.wav", 2, 44100}, {"corpus_wav/ima_mono.wav", 1, 8000},
                 {"corpus_wav/msadpcm_mono.wav", 1, 8000},  {"corpus_wav/float_mono.wav", 1, 44100},
                 {"corpus_wav/extensible_stereo.wav", 2, 32000}};
    for (const Case& c : cases) {
        const std::vector<unsigned char> bytes = ReadBytes(c.file);
        auto fromMemory = std::make_shared<VeSoundEffect>();
        ASSERT_TRUE(fromMemory->LoadFromMemory(bytes.data(), bytes.size(), c.file)) << c.file;
        auto fromFile = std::make_shared<VeSoundEffect>();
        ASSERT_TRUE(fromFile->Load(std::string(MORVANE_SOURCE_DIR) + "/tests/fuzz/" + c.file)) << c.file;
        EXPECT_EQ(fromMemory->GetChannels(), c.channels) << c.file;
        EXPECT_EQ(fromMemory->GetSampleRate(), c.rate) << c.file;
        EXPECT_EQ(fromMemory->GetDurationSeconds(), fromFile->GetDurationSeconds()) << c.file;
        EXPECT_EQ(fromMemory->GetPath(), c.file);
        EXPECT_TRUE(fromMemory->CreateInstance(false));
        // Cut short, the same bytes give a clean refusal.
        auto cut = std::make_shared<VeSoundEffect>();
        EXPECT_FALSE(cut->LoadFromMemory(bytes.data(), bytes.size() - 3, c.file)) << c.file;
        EXPECT_FALSE(cut->IsLoaded());
    }
    // Found by the fuzzer: about a hundred bytes whose data chunk claims
    // gigabytes (one opening with the WAVE tag alone, which SDL accepts);
    // refused before SDL allocates what the header claims.
    for (const char* file : {"regressions/wav_data_length_bomb.wav", "regressions/wav_headerless_length_bomb.wav"}) {
        const std::vector<unsigned char> bomb = ReadBytes(file);
        auto refused = std::make_shared<VeSoundEffect>();
        EXPECT_FALSE(refused->LoadFromMemory(bomb.data(), bomb.size(), "bomb")) << file;
        EXPECT_FALSE(refused->Load(std::string(MORVANE_SOURCE_DIR) + "/tests/fuzz/" + file)) << file;
    }
    // Chunks of odd length before the data are padded to an even size; the
    // check steps over them as SDL does.
    std::vector<unsigned char> padded = ReadBytes("corpus_wav/pcm16_mono.wav");
    const unsigned char odd[] = {'n', 'o', 't', 'e', 3, 0, 0, 0, 'a', 'b', 'c', 0};
    padded.insert(padded.begin() + 36, std::begin(odd), std::end(odd));
    padded[4] = static_cast<unsigned char>(padded[4] + sizeof odd);
    auto withNote = std::make_shared<VeSoundEffect>();
    EXPECT_TRUE(withNote->LoadFromMemory(padded.data(), padded.size(), "note"));
    EXPECT_EQ(withNote->GetSampleRate(), 22050);

    auto none = std::make_shared<VeSoundEffect>();
    EXPECT_FALSE(none->LoadFromMemory(nullptr, 10, "null"));
    const unsigned char one = 0;
    EXPECT_FALSE(none->LoadFromMemory(&one, 0, "empty"));
    audio.Release();
    // Without an engine nothing is decoded.
    const std::vector<unsigned char> bytes = ReadBytes("corpus_wav/pcm16_mono.wav");
    EXPECT_FALSE(none->LoadFromMemory(bytes.data(), bytes.size(), "no engine"));
}
