// A 2D texture with its views: sampled (shader resource), render target
// and/or depth target. With no graphics device the texture still keeps its
// description (size, format, path) so game logic can run headless.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

enum class TextureFormat { RGBA8, R32F, Depth32F };

// Bind flags of a texture, as a bit set.
enum TextureBind : uint32_t {
    kBindShaderResource = 1u << 0,
    kBindRenderTarget = 1u << 1,
    kBindDepthStencil = 1u << 2,
};

// A rectangle of texels: columns left..right-1, rows top..bottom-1 (top row
// first, as images are given).
struct TexelRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool Empty() const { return right <= left || bottom <= top; }
    long Area() const { return Empty() ? 0 : static_cast<long>(right - left) * (bottom - top); }
};

struct TextureDesc {
    int width = 0;
    int height = 0;
    TextureFormat format = TextureFormat::RGBA8;
    uint32_t bindFlags = 0;
    int mipLevels = 1;
};

// An image decoded to RGBA8 rows, top row first, not yet a texture.
// Decoding needs no graphics device and may run on any thread.
struct DecodedImage {
    int width = 0;
    int height = 0;
    std::unique_ptr<unsigned char, void (*)(void*)> pixels{nullptr, nullptr};
    // The mip levels below the first, each half the size of the one above
    // (rounded down, at least 1), down to 1 x 1; empty when mips are off.
    std::vector<std::vector<unsigned char>> mips;
    bool IsValid() const { return pixels != nullptr && width > 0 && height > 0; }
};

// The pixel budget of one picture: at most this side squared pixels.
constexpr int kMaxPictureSide = 4096;

class VeTexture {
public:
    VeTexture() = default;
    ~VeTexture();
    VeTexture(const VeTexture&) = delete;
    VeTexture& operator=(const VeTexture&) = delete;

    // Loads a PNG or JPEG file (TGA and HDR as fallback readers) as a
    // shader-resource texture, top row first, with a full chain of mip
    // levels generated from it (unless switched off, see SetGenerateMips).
    // An empty path, an unreadable file or a picture over the size limits
    // (see Decode) gives false, an empty texture and, when problem is
    // given, the reason in a few words.
    bool LoadFromFile(const std::string& path, std::string* problem = nullptr);
    // Decodes an image held in memory (same readers and limits); used by
    // LoadFromFile.
    bool LoadFromMemory(const unsigned char* data, size_t size, const std::string& pathForInfo,
                        std::string* problem = nullptr);
    // The two halves of LoadFromMemory: Decode checks and decodes, with the
    // mip levels when they are on (thread safe, no device needed; false for
    // anything that is not a readable image). The picture's size is read
    // from its header first: more than kMaxPictureSide x kMaxPictureSide
    // pixels in all, or a side over 16384, is refused before anything is
    // decoded. Upload makes the texture of a decoded image; a side larger
    // than the running device takes is refused.
    static bool Decode(const unsigned char* data, size_t size, DecodedImage& image,
                       std::string* problem = nullptr);
    bool Upload(const DecodedImage& image, const std::string& pathForInfo, std::string* problem = nullptr);
    // Creates a texture from a description and optional RGBA8 initial data
    // (rows top first, rowPitch bytes per row). With initial data and more
    // than one mip level, the levels below the first are generated from it.
    bool Create(const TextureDesc& desc, const void* initialData = nullptr, int rowPitch = 0);
    void Release();

    // Binds this texture's render target with the device's depth buffer and
    // sets the viewport to its size.
    void SetAsRenderTarget();
    // Clears its colour target.
    void Clear(float r, float g, float b, float a);

    // Whether loaded images get their mip levels (on by default; benchmarks
    // switch it off to compare). Applies to images loaded afterwards.
    static void SetGenerateMips(bool on);
    static bool GeneratesMips();
    // Levels of a full mip chain for an image of this size (1 x 1 included).
    static int FullMipChain(int width, int height);
    // The next mip level of an RGBA8 image: each texel the mean of the 2 x 2
    // (or, along a side of one texel, 2 x 1) texels above it; an odd last
    // row or column is dropped, as the level's size is rounded down.
    static std::vector<unsigned char> HalveImage(const unsigned char* rgba, int width, int height);

    bool IsValid() const { return desc_.width > 0 && desc_.height > 0; }
    // True when there is an image to draw: loaded and, with a graphics
    // device, uploaded to it. A texture that failed to load has none and is
    // not drawn at all (sampling no texture would paint opaque black).
    bool HasImage() const;
    bool HasShaderResource() const { return (desc_.bindFlags & kBindShaderResource) != 0 && IsValid(); }
    const TextureDesc& GetDesc() const { return desc_; }
    int GetWidth() const { return desc_.width; }
    int GetHeight() const { return desc_.height; }
    const std::string& GetPath() const { return path_; }

    // True when the texture was made from RGBA8 data whose every texel has
    // full alpha (loaded images included): drawn with alpha 1 it hides what
    // lies behind it completely.
    bool IsOpaque() const { return opaque_; }
    static bool AllTexelsOpaque(const unsigned char* rgba, int width, int height, int rowPitch);
    // The largest rectangle of fully transparent texels (alpha 0) of an
    // image whose centre texel is transparent: the hole in the middle of a
    // frame drawn over the whole screen, which a sprite need not cover.
    // Empty for a texture made without RGBA8 data or with an opaque centre.
    const TexelRect& ClearInterior() const { return clearInterior_; }
    static TexelRect LargestClearRect(const unsigned char* rgba, int width, int height, int rowPitch);

    // OpenGL names (0 when absent or headless).
    unsigned GetGLTexture() const { return glTexture_; }
    unsigned GetGLFramebuffer() const { return glFramebuffer_; }
    // True for a texture that is drawn into: its rows are stored bottom-up
    // (as rendered), so sprite drawing flips v to show it upright.
    bool IsRenderTarget() const { return (desc_.bindFlags & kBindRenderTarget) != 0; }

private:
    friend class GraphicsDevice;
    // Create with the levels below the first given (as Decode makes them).
    bool Create(const TextureDesc& desc, const void* initialData, int rowPitch,
                const std::vector<std::vector<unsigned char>>* mips);
    TextureDesc desc_;
    std::string path_;
    unsigned glTexture_ = 0;
    unsigned glFramebuffer_ = 0;
    unsigned generation_ = 0;  // device generation the GL names belong to
    bool opaque_ = false;
    TexelRect clearInterior_;
};

using VeTexturePtr = std::shared_ptr<VeTexture>;
