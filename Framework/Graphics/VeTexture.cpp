// Textures: decoding image files with stb_image, creating GL textures and,
// for render targets, a framebuffer with the device's depth texture.
#include "Framework/Graphics/VeTexture.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <vector>

#include <stb_image.h>

#include "Framework/Graphics/GraphicsDevice.h"

namespace {

// Largest side of any texture (guards the size arithmetic).
constexpr int kMaxImageSide = 16384;
// The most pixels a picture may have: its size is read from the header
// before anything is decoded, so a small file that claims a vast picture
// (a 1 MB PNG of 16384 x 16384 would take gigabytes and many seconds) is
// refused at once. The game's largest picture has under 5 million.
constexpr long long kMaxImagePixels = static_cast<long long>(kMaxPictureSide) * kMaxPictureSide;

bool DeviceReady() { return GraphicsDevice::GetInstance().IsReady(); }

// The largest texture side the running device takes (0 without one), asked
// once per device.
int DeviceMaxTextureSide() {
    static unsigned askedGeneration = 0;
    static int side = 0;
    GraphicsDevice& device = GraphicsDevice::GetInstance();
    if (!device.IsReady()) return 0;
    if (askedGeneration != device.GetGeneration()) {
        GLint value = 0;
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &value);
        side = value > 0 ? static_cast<int>(value) : 0;
        askedGeneration = device.GetGeneration();
    }
    return side;
}

bool g_generateMips = true;

// stb_image also reads BMP, GIF, PSD, PIC and PNM, which the game never
// ships; its 16-bit PNM path reads past its buffer. Only PNG, JPEG, HDR and
// TGA (recognised by elimination, as stb_image does) reach the decoder.
bool IsAcceptedImageFormat(const unsigned char* data, size_t size) {
    auto startsWith = [data, size](const char* magic, size_t length) {
        return size >= length && std::memcmp(data, magic, length) == 0;
    };
    return !(startsWith("BM", 2) || startsWith("GIF8", 4) || startsWith("8BPS", 4) ||
             startsWith("\x53\x80\xF6\x34", 4) || startsWith("P5", 2) || startsWith("P6", 2));
}

// stb_image trusts the code counts of a JPEG Huffman table: more than 256
// codes overrun its tables. Walks the marker segments (and the entropy-coded
// data between scans) the way the decoder meets them and checks every table.
bool JpegHuffmanTablesFit(const unsigned char* data, size_t size) {
    // The start-of-image marker, after any number of fill bytes.
    size_t pos = 0;
    while (pos < size && data[pos] == 0xFF) ++pos;
    if (pos == 0 || pos >= size || data[pos] != 0xD8) return true;  // not a JPEG
    ++pos;
    bool inScan = false;
    while (pos < size) {
        // Scan data, and stray bytes between segments (the decoder skips
        // those too).
        if (data[pos] != 0xFF) {
            ++pos;
            continue;
        }
        size_t m = pos + 1;
        while (m < size && data[m] == 0xFF) ++m;  // fill bytes
        if (m >= size) return true;
        const unsigned char marker = data[m];
        pos = m + 1;
        // Stuffed zero bytes and restart markers belong to the scan.
        if (inScan && (marker == 0x00 || (marker >= 0xD0 && marker <= 0xD7))) continue;
        inScan = false;
        if (marker == 0xD9) return true;  // end of image
        if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;
        if (pos + 2 > size) return true;
        const size_t length = (static_cast<size_t>(data[pos]) << 8) | data[pos + 1];
        if (length < 2) return true;
        const size_t end = std::min(size, pos + length);
        if (marker == 0xC4) {
            // Bytes past the end of the file read as zero, as in the decoder.
            size_t t = pos + 2;
            while (t < end) {
                size_t codes = 0;
                for (size_t i = 1; i <= 16 && t + i < size; ++i) codes += data[t + i];
                if (codes > 256) return false;
                t += 17 + codes;
            }
        }
        if (marker == 0xDA) inScan = true;
        pos = end;
    }
    return true;
}

}  // namespace

VeTexture::~VeTexture() { Release(); }

void VeTexture::SetGenerateMips(bool on) { g_generateMips = on; }

bool VeTexture::GeneratesMips() { return g_generateMips; }

std::vector<unsigned char> VeTexture::HalveImage(const unsigned char* rgba, int width, int height) {
    const int w = std::max(1, width / 2), h = std::max(1, height / 2);
    const int dx = width > 1 ? 1 : 0, dy = height > 1 ? 1 : 0;
    std::vector<unsigned char> out(static_cast<size_t>(w) * h * 4);
    const size_t pitch = static_cast<size_t>(width) * 4;
    for (int y = 0; y < h; ++y) {
        const unsigned char* row0 = rgba + pitch * static_cast<size_t>(y * 2);
        const unsigned char* row1 = row0 + pitch * dy;
        unsigned char* o = &out[static_cast<size_t>(y) * w * 4];
        for (int x = 0; x < w; ++x) {
            const size_t a = static_cast<size_t>(x * 2) * 4, b = a + static_cast<size_t>(dx) * 4;
            for (int c = 0; c < 4; ++c)
                o[x * 4 + c] = static_cast<unsigned char>((row0[a + c] + row0[b + c] + row1[a + c] + row1[b + c] + 2) / 4);
        }
    }
    return out;
}

int VeTexture::FullMipChain(int width, int height) {
    int levels = 1;
    for (int side = std::max(width, height); side > 1; side /= 2) ++levels;
    return levels;
}

void VeTexture::Release() {
    GraphicsDevice& device = GraphicsDevice::GetInstance();
    // Names made under a device that has since gone belong to no live
    // context and are simply forgotten.
    if (device.IsReady() && generation_ == device.GetGeneration()) {
        if (glFramebuffer_ != 0) glDeleteFramebuffers(1, &glFramebuffer_);
        if (glTexture_ != 0) glDeleteTextures(1, &glTexture_);
    }
    glFramebuffer_ = 0;
    glTexture_ = 0;
    desc_ = TextureDesc{};
    path_.clear();
    opaque_ = false;
    clearInterior_ = TexelRect{};
}

bool VeTexture::HasImage() const {
    if (!IsValid()) return false;
    const GraphicsDevice& device = GraphicsDevice::GetInstance();
    if (!device.IsReady()) return true;
    return glTexture_ != 0 && generation_ == device.GetGeneration();
}

bool VeTexture::AllTexelsOpaque(const unsigned char* rgba, int width, int height, int rowPitch) {
    if (rgba == nullptr || width <= 0 || height <= 0) return false;
    for (int y = 0; y < height; ++y) {
        const unsigned char* row = rgba + static_cast<size_t>(y) * static_cast<size_t>(rowPitch);
        for (int x = 0; x < width; ++x)
            if (row[x * 4 + 3] != 255) return false;
    }
    return true;
}

TexelRect VeTexture::LargestClearRect(const unsigned char* rgba, int width, int height, int rowPitch) {
    TexelRect best;
    if (rgba == nullptr || width <= 0 || height <= 0) return best;
    auto alpha = [&](int x, int y) { return rgba[static_cast<size_t>(y) * static_cast<size_t>(rowPitch) + x * 4 + 3]; };
    if (alpha(width / 2, height / 2) != 0) return best;
    // Row by row, the run of clear texels ending at this row in each column
    // is a histogram; the largest rectangle under it (found with a stack of
    // rising bars) is the largest clear rectangle whose bottom is this row.
    std::vector<int> run(static_cast<size_t>(width) + 1, 0);
    std::vector<int> stack;
    stack.reserve(static_cast<size_t>(width) + 1);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) run[static_cast<size_t>(x)] = alpha(x, y) == 0 ? run[static_cast<size_t>(x)] + 1 : 0;
        stack.clear();
        for (int x = 0; x <= width; ++x) {
            // The sentinel bar of height 0 at the end empties the stack.
            const int h = run[static_cast<size_t>(x)];
            while (!stack.empty() && run[static_cast<size_t>(stack.back())] >= h) {
                const int top = run[static_cast<size_t>(stack.back())];
                stack.pop_back();
                const int left = stack.empty() ? 0 : stack.back() + 1;
                const TexelRect r{left, y + 1 - top, x, y + 1};
                if (r.Area() > best.Area()) best = r;
            }
            stack.push_back(x);
        }
    }
    return best;
}

bool VeTexture::LoadFromFile(const std::string& path, std::string* problem) {
    Release();
    auto fail = [problem](const char* why) {
        if (problem) *problem = why;
        return false;
    };
    if (path.empty()) return fail("no file named");
    std::ifstream file(path, std::ios::binary);
    if (!file) return fail("file missing");
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (bytes.empty()) return fail("empty file");
    return LoadFromMemory(bytes.data(), bytes.size(), path, problem);
}

bool VeTexture::LoadFromMemory(const unsigned char* data, size_t size, const std::string& pathForInfo,
                               std::string* problem) {
    Release();
    DecodedImage image;
    if (!Decode(data, size, image, problem)) return false;
    return Upload(image, pathForInfo, problem);
}

bool VeTexture::Decode(const unsigned char* data, size_t size, DecodedImage& image, std::string* problem) {
    image = DecodedImage{};
    auto fail = [problem](const std::string& why) {
        if (problem) *problem = why;
        return false;
    };
    if (data == nullptr || size == 0) return fail("empty file");
    if (size > static_cast<size_t>(std::numeric_limits<int>::max())) return fail("file too large");
    if (!IsAcceptedImageFormat(data, size) || !JpegHuffmanTablesFit(data, size))
        return fail("not a PNG, JPEG, TGA or HDR picture, or a damaged one");
    int width = 0, height = 0, channels = 0;
    if (stbi_info_from_memory(data, static_cast<int>(size), &width, &height, &channels) == 0 || width <= 0 ||
        height <= 0)
        return fail("not a PNG, JPEG, TGA or HDR picture, or a damaged one");
    if (width > kMaxImageSide || height > kMaxImageSide ||
        static_cast<long long>(width) * height > kMaxImagePixels)
        return fail(std::to_string(width) + " x " + std::to_string(height) + " pixels, more than the " +
                    std::to_string(kMaxPictureSide) + " x " + std::to_string(kMaxPictureSide) +
                    " a picture may have");
    // stb_image reads PNG and JPEG, and TGA and HDR (tone-mapped to 8 bits)
    // as the fallback readers; rows come top first. The size it decodes to
    // is the one its header gave.
    int decodedWidth = 0, decodedHeight = 0;
    stbi_uc* pixels = stbi_load_from_memory(data, static_cast<int>(size), &decodedWidth, &decodedHeight, &channels, 4);
    if (pixels == nullptr) return fail("damaged picture");
    if (decodedWidth != width || decodedHeight != height) {
        stbi_image_free(pixels);
        return fail("damaged picture");
    }
    image.width = width;
    image.height = height;
    image.pixels = std::unique_ptr<unsigned char, void (*)(void*)>(pixels, stbi_image_free);
    if (g_generateMips) {
        // Made here rather than by the renderer: decoding may run on worker
        // threads, and a CPU renderer would spend the main thread on it.
        const unsigned char* level = pixels;
        int w = width, h = height;
        while (w > 1 || h > 1) {
            image.mips.push_back(HalveImage(level, w, h));
            level = image.mips.back().data();
            w = std::max(1, w / 2);
            h = std::max(1, h / 2);
        }
    }
    return true;
}

bool VeTexture::Upload(const DecodedImage& image, const std::string& pathForInfo, std::string* problem) {
    Release();
    if (!image.IsValid()) {
        if (problem) *problem = "no picture";
        return false;
    }
    const int deviceMax = DeviceMaxTextureSide();
    if (deviceMax > 0 && (image.width > deviceMax || image.height > deviceMax)) {
        if (problem)
            *problem = std::to_string(image.width) + " x " + std::to_string(image.height) +
                       " pixels, larger than this renderer's largest texture (" + std::to_string(deviceMax) + ")";
        return false;
    }
    TextureDesc desc;
    desc.width = image.width;
    desc.height = image.height;
    desc.format = TextureFormat::RGBA8;
    desc.bindFlags = kBindShaderResource;
    // Mip levels keep minified textures (floors and walls at a distance, at
    // a grazing angle) from shimmering, and let the renderer sample small
    // levels instead of striding over a large one.
    desc.mipLevels = 1 + static_cast<int>(image.mips.size());
    if (!Create(desc, image.pixels.get(), image.width * 4, &image.mips)) {
        if (problem) *problem = "the renderer refused the texture";
        return false;
    }
    path_ = pathForInfo;
    return true;
}

bool VeTexture::Create(const TextureDesc& desc, const void* initialData, int rowPitch) {
    return Create(desc, initialData, rowPitch, nullptr);
}

bool VeTexture::Create(const TextureDesc& desc, const void* initialData, int rowPitch,
                       const std::vector<std::vector<unsigned char>>* mips) {
    Release();
    if (desc.width <= 0 || desc.height <= 0 || desc.width > kMaxImageSide || desc.height > kMaxImageSide) {
        return false;
    }
    desc_ = desc;
    if (desc_.mipLevels < 1) desc_.mipLevels = 1;
    if (desc_.format == TextureFormat::RGBA8 && initialData != nullptr) {
        const int pitch = rowPitch > 0 ? rowPitch : desc_.width * 4;
        opaque_ = AllTexelsOpaque(static_cast<const unsigned char*>(initialData), desc_.width, desc_.height, pitch);
        if (!opaque_)
            clearInterior_ = LargestClearRect(static_cast<const unsigned char*>(initialData), desc_.width,
                                              desc_.height, pitch);
    }
    // Without a device the description is kept so sizes are known; nothing
    // is uploaded.
    if (!DeviceReady()) return true;

    GraphicsDevice& device = GraphicsDevice::GetInstance();
    while (glGetError() != GL_NO_ERROR) {
    }
    generation_ = device.GetGeneration();
    glGenTextures(1, &glTexture_);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, glTexture_);
    // Only the levels given exist; without this GL would treat the texture
    // as incomplete under mipmapped filtering.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, desc_.mipLevels - 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);

    GLenum internalFormat = GL_RGBA8, format = GL_RGBA, type = GL_UNSIGNED_BYTE;
    const void* pixels = nullptr;
    switch (desc_.format) {
        case TextureFormat::RGBA8:
            pixels = initialData;
            break;
        case TextureFormat::R32F:
            internalFormat = GL_R32F;
            format = GL_RED;
            type = GL_FLOAT;
            break;
        case TextureFormat::Depth32F:
            internalFormat = GL_DEPTH_COMPONENT32F;
            format = GL_DEPTH_COMPONENT;
            type = GL_FLOAT;
            break;
    }
    // Rows are uploaded top row first, so v = 0 samples the top of the image.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, (pixels != nullptr && rowPitch > 0) ? rowPitch / 4 : 0);
    int w = desc_.width, h = desc_.height;
    for (int level = 0; level < desc_.mipLevels; ++level) {
        const void* data = level == 0 ? pixels : nullptr;
        if (level > 0 && pixels != nullptr && mips != nullptr && static_cast<size_t>(level) <= mips->size()) {
            data = (*mips)[static_cast<size_t>(level - 1)].data();
            glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        }
        glTexImage2D(GL_TEXTURE_2D, level, static_cast<GLint>(internalFormat), w, h, 0, format, type, data);
        w = w > 1 ? w / 2 : 1;
        h = h > 1 ? h / 2 : 1;
    }
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    if (pixels != nullptr && desc_.mipLevels > 1 && mips == nullptr) glGenerateMipmap(GL_TEXTURE_2D);
    if (glGetError() != GL_NO_ERROR) {
        Release();
        return false;
    }

    if ((desc_.bindFlags & kBindRenderTarget) != 0 && desc_.format != TextureFormat::Depth32F) {
        GLint previous = 0;
        glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previous);
        glGenFramebuffers(1, &glFramebuffer_);
        glBindFramebuffer(GL_FRAMEBUFFER, glFramebuffer_);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, glTexture_, 0);
        auto depth = device.GetDepthTexture();
        if (depth && depth->GetGLTexture() != 0) {
            glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, depth->GetGLTexture(), 0);
        }
        const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
        // Creating a target does not change the bound one.
        glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previous));
        if (status != GL_FRAMEBUFFER_COMPLETE) {
            Release();
            return false;
        }
    }
    return true;
}

void VeTexture::SetAsRenderTarget() {
    GraphicsDevice& device = GraphicsDevice::GetInstance();
    if (!device.IsReady() || generation_ != device.GetGeneration()) return;
    if (glFramebuffer_ == 0) {
        // The back buffer's texture stands for framebuffer 0.
        if (this == device.GetBackBuffer().get()) device.SetBackBufferAsTarget();
        return;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, glFramebuffer_);
    device.SetCurrentTargetSize(desc_.width, desc_.height);
    device.SetViewport(0, 0, desc_.width, desc_.height);
}

void VeTexture::Clear(float r, float g, float b, float a) {
    GraphicsDevice& device = GraphicsDevice::GetInstance();
    if (!device.IsReady() || generation_ != device.GetGeneration()) return;
    GLint previous = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &previous);
    if (glFramebuffer_ != 0) {
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, glFramebuffer_);
    } else if (this == device.GetBackBuffer().get()) {
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, device.GetBackBufferFramebuffer());
    } else {
        return;
    }
    // The clear is not limited by the scissor or colour mask states.
    GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    const GLfloat colour[4] = {r, g, b, a};
    glClearBufferfv(GL_COLOR, 0, colour);
    if (scissor) glEnable(GL_SCISSOR_TEST);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(previous));
}
