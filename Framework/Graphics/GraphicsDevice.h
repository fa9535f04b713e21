// The graphics device over OpenGL 3.3 core: the context, the back buffer and
// depth buffer, default render states, a 1x1 white texture and the
// size-class vertex buffers for immediate-mode draws.
//
// Without a device (never initialised, or headless) every operation can be
// called and does nothing, so the game logic can be stepped without a GPU.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "Framework/Graphics/VeTexture.h"

struct SDL_Window;

enum class Topology { TriangleList, TriangleStrip, LineList };
enum class CullMode { None, Front, Back };
enum class FillMode { Solid, Wireframe };

// Render-state objects. Made by the device's factories, owned by the caller.
struct BlendState {
    // 0 opaque, 1 alpha blending, 2 additive; into a coarse layer (which
    // keeps, in its alpha, how much of the picture still shows through):
    // 3 alpha blending, 4 additive; 5 a coarse layer laid over the picture.
    int mode = 0;
};
struct DepthStencilState {
    bool depthTest = true;
    bool depthWrite = true;
};
struct RasterizerState {
    CullMode cull = CullMode::Back;
    FillMode fill = FillMode::Solid;
    bool depthClip = true;
    bool scissor = false;
};
struct SamplerState {
    int filter = 0;       // 0 point, 1 linear, 2 anisotropic
    int maxAnisotropy = 1;
    int addressMode = 0;  // 0 wrap, 1 clamp
    bool comparison = false;
    bool mipmaps = true;
    unsigned glSampler = 0;
};

// Vertex attribute locations shared by every program and every vertex array
// (VeMesh uses the same): position, texture coordinate, normal, colour.
constexpr unsigned kAttribPosition = 0;
constexpr unsigned kAttribTexCoord = 1;
constexpr unsigned kAttribNormal = 2;
constexpr unsigned kAttribColor = 3;

// Vertex layouts the shaders take (chosen by the shader set that is bound).
enum class VertexLayout {
    Model,    // position 3f, uv 2f, normal 3f, colour 4 x u8 normalised: 36 bytes
    Effect,   // position 3f, uv 2f, colour 4f: 36 bytes
    Sprite,   // position 3f, uv 2f: 20 bytes
};

class GraphicsDevice {
public:
    static GraphicsDevice& GetInstance();

    static constexpr int kSizeClassCount = 10;  // 80 .. 40,960 bytes, doubling

    // Creates the OpenGL 3.3 core context on the window, the depth buffer,
    // default states, the white texture and the vertex buffers. On failure
    // writes one of the device's failure texts into errorText, releases
    // everything and returns false.
    bool Init(SDL_Window* window, int width, int height, bool debug, std::string& errorText);
    void Release();
    bool IsReady() const { return ready_; }

    // Presents the back buffer (no vertical sync). With a picture
    // framebuffer (see SetWindowPixelSize) the picture is shown first.
    void Present();
    // The window's drawable size in pixels. When it differs from the game's
    // picture (a full-screen window), the game keeps drawing its picture at
    // the device's size into a framebuffer of its own, and ShowPicture
    // scales that into the window with its aspect kept and black bars
    // around. The same size as the picture draws straight into the window.
    void SetWindowPixelSize(int width, int height);
    // Copies the picture into the window (letterboxed) and leaves the
    // window's framebuffer bound over its whole size, for an overlay drawn
    // at the window's resolution. Nothing to do while the game draws
    // straight into the window. Present does it when it was not done.
    void ShowPicture();
    bool IsLetterboxed() const { return pictureFbo_ != 0; }
    // The framebuffer standing for the back buffer (0: the window's own).
    unsigned GetBackBufferFramebuffer() const { return pictureFbo_; }
    // Waits until every command sent so far has been carried out (timing
    // the drawing of a frame, software renderers included).
    void Finish();

    void SetBackBufferAsTarget();
    // Copies a render-target texture of the window's size onto the back
    // buffer, texel for texel, and leaves the back buffer bound.
    void CopyToBackBuffer(const VeTexture& source);
    // Clears the back buffer, whichever target is bound.
    void ClearTarget(float r, float g, float b, float a);
    // Clears the device's depth: the window's depth buffer and the depth
    // texture of the render targets alike (one depth buffer to the game).
    void ClearDepthStencil(float depth, uint8_t stencil);
    // Clears the depth and stencil of the bound target alone. Cheaper within
    // a frame: a CPU renderer finishes the drawing so far whenever the
    // target changes, which the clear of both would make it do twice.
    void ClearBoundDepthStencil(float depth, uint8_t stencil);
    void SetViewport(int x, int y, int width, int height);
    void GetViewport(int& width, int& height) const;

    // A coarse layer over the bound render-to-texture target: translucent
    // quads that write no depth are drawn into it at half the resolution of
    // the target's viewport (blend modes 3 and 4), tested against a copy of
    // the target's depth, and the layer is then stretched over the viewport
    // in one draw (blend mode 5). BeginCoarseLayer binds the layer, cleared
    // to nothing in front of the picture, with that depth copied in; it is
    // false, and nothing changes, when there is no such target or the layer
    // cannot be made. EndCoarseLayer binds the target and its viewport again
    // and gives the layer and the part of it drawn (x, y, width, height, as
    // a sprite's source rectangle takes them).
    bool BeginCoarseLayer();
    const VeTexture* EndCoarseLayer(int& x, int& y, int& width, int& height);

    void SetCullMode(CullMode mode);
    void SetVertexLayout(VertexLayout layout) { layout_ = layout; }
    VertexLayout GetVertexLayout() const { return layout_; }

    // Draws count vertices of the current layout from data through the
    // size-class buffers: the first of the ten whose capacity is strictly
    // greater than count * stride, else the eleventh (re-created with exactly
    // that size when it is smaller).
    void DrawVertices(Topology topology, unsigned count, const void* data, unsigned stride);
    // Draws quadCount quads of four vertices each (corners in triangle-strip
    // order) in one draw, as two triangles each with the strip's winding;
    // the vertices go through the same buffers.
    void DrawQuads(unsigned quadCount, const void* data, unsigned stride);
    // Index of the buffer a draw of this many bytes uses (0..9, or 10 for
    // the eleventh), and the capacities: for tests.
    static int SizeClassFor(size_t bytes);
    size_t BufferCapacity(int index) const;

    // State factories: each returns a new state the caller owns.
    std::unique_ptr<BlendState> CreateBlendState(int mode);
    std::unique_ptr<DepthStencilState> CreateDepthStencilState(bool depthTest, bool depthWrite);
    std::unique_ptr<RasterizerState> CreateRasterizerState(CullMode cull, FillMode fill, bool depthClip,
                                                           bool scissor);
    // Without mipmaps the sampler reads only a texture's first level (2D
    // pictures, drawn at or near their size, keep their look).
    std::unique_ptr<SamplerState> CreateSamplerState(int filter, int maxAnisotropy, int addressMode,
                                                     bool comparison, bool mipmaps = true);
    void ReleaseSamplerState(SamplerState* state);

    // Binding states. The current ones are remembered so they can be saved
    // and restored (sprites) and queried (tests).
    void SetBlendState(const BlendState* state);
    void SetDepthStencilState(const DepthStencilState* state);
    void SetRasterizerState(const RasterizerState* state);
    void SetPixelSampler(int slot, const SamplerState* state);
    const BlendState* GetBlendState() const { return currentBlend_; }
    const DepthStencilState* GetDepthStencilState() const { return currentDepth_; }
    const RasterizerState* GetRasterizerState() const { return currentRaster_; }
    const SamplerState* GetPixelSampler(int slot) const;
    const BlendState* GetDefaultBlendState() const { return &defaultBlend_; }
    // Depth writes on or off while keeping the depth test (effects).
    void SetDepthWrite(bool on);
    // Colour writes on or off (a depth-only pass); setting a blend state
    // turns them back on.
    void SetColourWrite(bool on);

    // Binds a texture (or nothing) to a pixel slot.
    void BindTexture(int slot, const VeTexture* texture);

    std::shared_ptr<VeTexture> GetBackBuffer() const { return backBuffer_; }
    std::shared_ptr<VeTexture> GetDepthTexture() const { return depth_; }
    std::shared_ptr<VeTexture> GetWhiteTexture() const { return white_; }
    int GetWidth() const { return width_; }
    int GetHeight() const { return height_; }
    // True when the context renders on the CPU (Mesa's llvmpipe, softpipe or
    // swrast). Such renderers sample the default samplers trilinearly
    // (linear within and between the mip levels): anisotropic x4 filtering
    // doubles what llvmpipe spends on a frame, where trilinear costs what
    // linear filtering without mip levels did.
    bool IsSoftwareRenderer() const { return softwareRenderer_; }
    // True when the renderer's name is one of a CPU renderer (for tests).
    static bool IsSoftwareRendererName(const char* renderer);
    // GL version of the context, e.g. 33 for 3.3 (0 when not ready).
    int GetGLVersion() const { return glVersion_; }
    // Counts device creations; a texture made under an earlier device does
    // not delete its (stale) GL names.
    unsigned GetGeneration() const { return generation_; }
    // Height of the bound colour target (ReadPixels flips rows with it).
    void SetCurrentTargetSize(int width, int height) { targetWidth_ = width; targetHeight_ = height; }

    // Reads the current colour target into RGBA8 rows, top row first (tests,
    // screenshots). Returns false without a device.
    bool ReadPixels(int x, int y, int width, int height, unsigned char* rgba) const;
    // Writes the current colour target to a PNG file.
    bool SaveScreenshot(const std::string& path) const;

private:
    GraphicsDevice() = default;
    bool ready_ = false;
    SDL_Window* window_ = nullptr;
    void* context_ = nullptr;
    int width_ = 0, height_ = 0;
    int glVersion_ = 0;
    VertexLayout layout_ = VertexLayout::Model;
    std::shared_ptr<VeTexture> backBuffer_, depth_, white_;
    struct DynamicBuffer {
        unsigned vbo = 0;
        size_t capacity = 0;
        unsigned spare = 0;
    };
    DynamicBuffer buffers_[kSizeClassCount + 1];
    unsigned vaos_[3] = {0, 0, 0};
    BlendState defaultBlend_{1};
    DepthStencilState defaultDepth_{};
    RasterizerState defaultRaster_{};
    const BlendState* currentBlend_ = nullptr;
    const DepthStencilState* currentDepth_ = nullptr;
    const RasterizerState* currentRaster_ = nullptr;
    const SamplerState* currentSamplers_[2] = {nullptr, nullptr};
    std::unique_ptr<SamplerState> sampler0_, sampler1_;
    RasterizerState cullStates_[3];
    unsigned generation_ = 0;
    unsigned depthFbo_ = 0;  // framebuffer holding only the depth texture, for clears
    // The picture's own framebuffer while letterboxed (colour and
    // depth-stencil renderbuffers at the picture's size).
    unsigned pictureFbo_ = 0;
    unsigned pictureColour_ = 0, pictureDepth_ = 0;
    int windowPixelWidth_ = 0, windowPixelHeight_ = 0;
    bool pictureShown_ = false;
    void ReleasePictureFramebuffer();
    int targetWidth_ = 0, targetHeight_ = 0;
    int viewportX_ = 0, viewportY_ = 0, viewportWidth_ = 0, viewportHeight_ = 0;
    // The coarse layer: its colour, its depth texture and framebuffer, and
    // the target and viewport it was begun over.
    std::unique_ptr<VeTexture> layer_;
    unsigned layerDepth_ = 0, layerFbo_ = 0;
    bool inLayer_ = false;
    int layerOver_ = 0, layerOverSize_[2] = {0, 0}, layerOverViewport_[4] = {0, 0, 0, 0};
    bool CreateLayer();
    void ReleaseLayer();
    bool anisotropy_ = false;
    bool softwareRenderer_ = false;
    void ApplyBlend(const BlendState& s);
    void ApplyDepth(const DepthStencilState& s);
    void ApplyRaster(const RasterizerState& s);
    bool CreateBuffer(DynamicBuffer& b, size_t size);
    // Writes the vertices into their size-class buffer and binds it to the
    // current layout's vertex array; false when there is nothing to draw.
    bool StreamVertices(unsigned count, const void* data, unsigned stride);
    unsigned quadIndices_ = 0;
    unsigned quadIndexCount_ = 0;
};
