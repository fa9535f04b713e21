// OpenGL 3.3 core implementation of the graphics device.
//
// Conventions kept from the game's original renderer:
// - front faces are clockwise as seen on screen, back faces are culled;
// - the projection matrices produce clip z in 0..w; the vertex programs map
//   it to GL's -w..w range, so depth values end up the same (0..1, less);
// - render-to-texture targets are stored bottom-up like the back buffer, so
//   the winding is the same in both; sprite drawing flips v when it samples
//   such a texture (see ShaderManager::DrawTexture).
#include "Framework/Graphics/GraphicsDevice.h"

#include <SDL.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <stb_image_write.h>

#include "Framework/Platform/Letterbox.h"

namespace {

constexpr size_t kSmallestBuffer = 80;

GLenum ToGL(Topology t) {
    switch (t) {
        case Topology::TriangleStrip: return GL_TRIANGLE_STRIP;
        case Topology::LineList: return GL_LINES;
        case Topology::TriangleList:
        default: return GL_TRIANGLES;
    }
}

void GLAPIENTRY DebugMessage(GLenum, GLenum type, GLuint, GLenum severity, GLsizei, const GLchar* message,
                             const void*) {
    if (severity == GL_DEBUG_SEVERITY_NOTIFICATION) return;
    std::fprintf(stderr, "GL%s: %s\n", type == GL_DEBUG_TYPE_ERROR ? " error" : "", message);
}

}  // namespace

GraphicsDevice& GraphicsDevice::GetInstance() {
    static GraphicsDevice instance;
    return instance;
}

bool GraphicsDevice::CreateBuffer(DynamicBuffer& b, size_t size) {
    if (b.vbo == 0) glGenBuffers(1, &b.vbo);
    glBindBuffer(GL_ARRAY_BUFFER, b.vbo);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(size), nullptr, GL_DYNAMIC_DRAW);
    if (glGetError() != GL_NO_ERROR) {
        b.capacity = 0;
        return false;
    }
    b.capacity = size;
    return true;
}

bool GraphicsDevice::Init(SDL_Window* window, int width, int height, bool debug, std::string& errorText) {
    if (ready_) Release();
    window_ = window;
    width_ = width;
    height_ = height;

    // The context stands for the device, the immediate context and the swap
    // chain of the original renderer.
    if (window == nullptr) {
        errorText = "OpenGLコンテキスト作成失敗";
        Release();
        return false;
    }
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (context == nullptr) {
        errorText = "OpenGLコンテキスト作成失敗";
        Release();
        return false;
    }
    context_ = context;
    if (SDL_GL_MakeCurrent(window, context) != 0) {
        errorText = "OpenGLコンテキスト作成失敗";
        Release();
        return false;
    }
    glVersion_ = epoxy_gl_version();
    if (glVersion_ < 33 || epoxy_is_desktop_gl() == 0) {
        errorText = "OpenGLコンテキスト作成失敗";
        Release();
        return false;
    }
    SDL_GL_SetSwapInterval(0);
    if (debug && (glVersion_ >= 43 || epoxy_has_gl_extension("GL_KHR_debug"))) {
        // The driver's own validation messages, the counterpart of a debug layer.
        glEnable(GL_DEBUG_OUTPUT);
        glDebugMessageCallback(DebugMessage, nullptr);
    }
    ++generation_;
    ready_ = true;
    while (glGetError() != GL_NO_ERROR) {
    }

    // Back buffer: the window's default framebuffer 0.
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        errorText = "バックバッファ作成失敗";
        Release();
        return false;
    }
    backBuffer_ = std::make_shared<VeTexture>();
    backBuffer_->desc_.width = width;
    backBuffer_->desc_.height = height;
    backBuffer_->desc_.format = TextureFormat::RGBA8;
    backBuffer_->desc_.bindFlags = kBindRenderTarget;
    backBuffer_->generation_ = generation_;

    // Depth texture: the depth buffer of every render-to-texture target (the
    // back buffer has the window's own depth buffer).
    depth_ = std::make_shared<VeTexture>();
    TextureDesc depthDesc;
    depthDesc.width = width;
    depthDesc.height = height;
    depthDesc.format = TextureFormat::Depth32F;
    depthDesc.bindFlags = kBindDepthStencil | kBindShaderResource;
    if (!depth_->Create(depthDesc) || depth_->GetGLTexture() == 0) {
        errorText = "Zバッファ作成失敗";
        Release();
        return false;
    }

    glGenFramebuffers(1, &depthFbo_);
    glBindFramebuffer(GL_FRAMEBUFFER, depthFbo_);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, depth_->GetGLTexture(), 0);
    glDrawBuffer(GL_NONE);
    glReadBuffer(GL_NONE);
    const bool depthComplete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (!depthComplete) {
        errorText = "Zバッファ作成失敗";
        Release();
        return false;
    }

    SetBackBufferAsTarget();
    SetViewport(0, 0, width, height);

    anisotropy_ = epoxy_has_gl_extension("GL_EXT_texture_filter_anisotropic") ||
                  epoxy_has_gl_extension("GL_ARB_texture_filter_anisotropic");
    softwareRenderer_ = IsSoftwareRendererName(reinterpret_cast<const char*>(glGetString(GL_RENDERER)));

    // Default states: alpha blending, anisotropic x4 samplers (wrap / clamp;
    // trilinear on a CPU renderer), back-face culling, depth test less with
    // writes.
    defaultBlend_ = BlendState{1};
    SetBlendState(&defaultBlend_);
    const int filter = softwareRenderer_ ? 1 : 2;
    sampler0_ = CreateSamplerState(filter, 4, 0, false);
    sampler1_ = CreateSamplerState(filter, 4, 1, false);
    SetPixelSampler(0, sampler0_.get());
    SetPixelSampler(1, sampler1_.get());
    defaultRaster_ = RasterizerState{};
    SetRasterizerState(&defaultRaster_);
    defaultDepth_ = DepthStencilState{};
    SetDepthStencilState(&defaultDepth_);

    white_ = std::make_shared<VeTexture>();
    TextureDesc whiteDesc;
    whiteDesc.width = 1;
    whiteDesc.height = 1;
    whiteDesc.bindFlags = kBindShaderResource;
    const unsigned char whitePixel[4] = {255, 255, 255, 255};
    white_->Create(whiteDesc, whitePixel, 4);

    size_t size = kSmallestBuffer;
    for (int i = 0; i < kSizeClassCount; ++i, size *= 2) CreateBuffer(buffers_[i], size);
    buffers_[kSizeClassCount] = DynamicBuffer{};

    glGenVertexArrays(3, vaos_);
    glBindVertexArray(vaos_[0]);
    return true;
}

void GraphicsDevice::Release() {
    if (ready_) {
        glBindVertexArray(0);
        glDeleteVertexArrays(3, vaos_);
        if (quadIndices_ != 0) glDeleteBuffers(1, &quadIndices_);
        for (int i = kSizeClassCount; i >= 0; --i) {
            if (buffers_[i].vbo != 0) glDeleteBuffers(1, &buffers_[i].vbo);
        }
        white_.reset();
        if (sampler1_) ReleaseSamplerState(sampler1_.get());
        if (sampler0_) ReleaseSamplerState(sampler0_.get());
        if (depthFbo_ != 0) glDeleteFramebuffers(1, &depthFbo_);
        ReleasePictureFramebuffer();
        ReleaseLayer();
        depth_.reset();
        backBuffer_.reset();
    }
    for (auto& b : buffers_) b = DynamicBuffer{};
    vaos_[0] = vaos_[1] = vaos_[2] = 0;
    quadIndices_ = 0;
    quadIndexCount_ = 0;
    depthFbo_ = 0;
    pictureFbo_ = pictureColour_ = pictureDepth_ = 0;
    windowPixelWidth_ = windowPixelHeight_ = 0;
    pictureShown_ = false;
    sampler0_.reset();
    sampler1_.reset();
    white_.reset();
    depth_.reset();
    backBuffer_.reset();
    currentBlend_ = nullptr;
    currentDepth_ = nullptr;
    currentRaster_ = nullptr;
    currentSamplers_[0] = currentSamplers_[1] = nullptr;
    ready_ = false;
    if (context_ != nullptr) {
        SDL_GL_MakeCurrent(window_, nullptr);
        SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context_));
        context_ = nullptr;
    }
    window_ = nullptr;
    glVersion_ = 0;
    softwareRenderer_ = false;
}

void GraphicsDevice::Present() {
    if (!ready_) return;
    if (!pictureShown_) ShowPicture();
    pictureShown_ = false;
    SDL_GL_SwapWindow(window_);
}

void GraphicsDevice::ReleasePictureFramebuffer() {
    if (pictureFbo_ != 0) glDeleteFramebuffers(1, &pictureFbo_);
    if (pictureColour_ != 0) glDeleteRenderbuffers(1, &pictureColour_);
    if (pictureDepth_ != 0) glDeleteRenderbuffers(1, &pictureDepth_);
    pictureFbo_ = pictureColour_ = pictureDepth_ = 0;
}

void GraphicsDevice::SetWindowPixelSize(int width, int height) {
    if (!ready_ || width <= 0 || height <= 0) return;
    if (width == windowPixelWidth_ && height == windowPixelHeight_) return;
    windowPixelWidth_ = width;
    windowPixelHeight_ = height;
    const bool direct = width == width_ && height == height_;
    if (direct) {
        ReleasePictureFramebuffer();
    } else if (pictureFbo_ == 0) {
        glGenRenderbuffers(1, &pictureColour_);
        glBindRenderbuffer(GL_RENDERBUFFER, pictureColour_);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width_, height_);
        glGenRenderbuffers(1, &pictureDepth_);
        glBindRenderbuffer(GL_RENDERBUFFER, pictureDepth_);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width_, height_);
        glBindRenderbuffer(GL_RENDERBUFFER, 0);
        glGenFramebuffers(1, &pictureFbo_);
        glBindFramebuffer(GL_FRAMEBUFFER, pictureFbo_);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, pictureColour_);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, pictureDepth_);
        if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
            // Without it the picture stays in the window's corner, unscaled.
            std::fprintf(stderr, "morvane: warning: cannot scale the picture to the window\n");
            glBindFramebuffer(GL_FRAMEBUFFER, 0);
            ReleasePictureFramebuffer();
        }
    }
    SetBackBufferAsTarget();
}

void GraphicsDevice::ShowPicture() {
    if (!ready_ || pictureFbo_ == 0) return;
    const Platform::Letterbox box =
        Platform::FitPicture(windowPixelWidth_, windowPixelHeight_, width_, height_);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    const GLfloat black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    glClearBufferfv(GL_COLOR, 0, black);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, pictureFbo_);
    // GL counts rows from the bottom; the bars above and below are equal.
    const int bottom = windowPixelHeight_ - box.y - box.height;
    glBlitFramebuffer(0, 0, width_, height_, box.x, bottom, box.x + box.width, bottom + box.height,
                      GL_COLOR_BUFFER_BIT, GL_LINEAR);
    if (scissor) glEnable(GL_SCISSOR_TEST);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    SetCurrentTargetSize(windowPixelWidth_, windowPixelHeight_);
    SetViewport(0, 0, windowPixelWidth_, windowPixelHeight_);
    pictureShown_ = true;
}

void GraphicsDevice::Finish() {
    if (!ready_) return;
    glFinish();
}

void GraphicsDevice::SetBackBufferAsTarget() {
    if (!ready_) return;
    glBindFramebuffer(GL_FRAMEBUFFER, pictureFbo_);
    SetCurrentTargetSize(width_, height_);
    SetViewport(0, 0, width_, height_);
}

void GraphicsDevice::CopyToBackBuffer(const VeTexture& source) {
    if (!ready_) return;
    if (source.GetGLFramebuffer() != 0 && source.generation_ == generation_) {
        const TextureDesc& desc = source.GetDesc();
        glBindFramebuffer(GL_READ_FRAMEBUFFER, source.GetGLFramebuffer());
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, pictureFbo_);
        glBlitFramebuffer(0, 0, desc.width, desc.height, 0, 0, width_, height_, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    }
    SetBackBufferAsTarget();
}

void GraphicsDevice::ClearTarget(float r, float g, float b, float a) {
    if (!ready_) return;
    GLint previous = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &previous);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, pictureFbo_);
    const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    const GLfloat colour[4] = {r, g, b, a};
    glClearBufferfv(GL_COLOR, 0, colour);
    if (scissor) glEnable(GL_SCISSOR_TEST);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(previous));
}

void GraphicsDevice::ClearDepthStencil(float depth, uint8_t stencil) {
    if (!ready_) return;
    GLint previous = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &previous);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, pictureFbo_);
    ClearBoundDepthStencil(depth, stencil);
    if (depthFbo_ != 0) {
        // The render targets' depth texture has no stencil: only its depth
        // is cleared.
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, depthFbo_);
        ClearBoundDepthStencil(depth, stencil);
    }
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(previous));
}

void GraphicsDevice::ClearBoundDepthStencil(float depth, uint8_t stencil) {
    if (!ready_) return;
    // A clear is not limited by the depth write mask or the scissor.
    GLboolean mask = GL_TRUE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &mask);
    const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    glDisable(GL_SCISSOR_TEST);
    glDepthMask(GL_TRUE);
    glStencilMask(0xFF);
    glClearBufferfi(GL_DEPTH_STENCIL, 0, depth, stencil);
    glDepthMask(mask);
    if (scissor) glEnable(GL_SCISSOR_TEST);
}

bool GraphicsDevice::CreateLayer() {
    // Half the device's size, rounded up: room for any viewport's half.
    const int width = (width_ + 1) / 2, height = (height_ + 1) / 2;
    layer_ = std::make_unique<VeTexture>();
    TextureDesc desc;
    desc.width = width;
    desc.height = height;
    // A render target, so that sprites show it upright; it is drawn through
    // its own framebuffer below, with its own depth.
    desc.bindFlags = kBindRenderTarget | kBindShaderResource;
    if (!layer_->Create(desc) || layer_->GetGLTexture() == 0) {
        ReleaseLayer();
        return false;
    }
    glGenTextures(1, &layerDepth_);
    glBindTexture(GL_TEXTURE_2D, layerDepth_);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT32F, width, height, 0, GL_DEPTH_COMPONENT, GL_FLOAT, nullptr);
    glBindTexture(GL_TEXTURE_2D, 0);
    GLint previous = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previous);
    glGenFramebuffers(1, &layerFbo_);
    glBindFramebuffer(GL_FRAMEBUFFER, layerFbo_);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, layer_->GetGLTexture(), 0);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, layerDepth_, 0);
    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previous));
    if (status != GL_FRAMEBUFFER_COMPLETE || glGetError() != GL_NO_ERROR) {
        ReleaseLayer();
        return false;
    }
    return true;
}

void GraphicsDevice::ReleaseLayer() {
    if (ready_) {
        if (layerFbo_ != 0) glDeleteFramebuffers(1, &layerFbo_);
        if (layerDepth_ != 0) glDeleteTextures(1, &layerDepth_);
    }
    layer_.reset();
    layerFbo_ = layerDepth_ = 0;
    inLayer_ = false;
}

bool GraphicsDevice::BeginCoarseLayer() {
    if (!ready_ || inLayer_) return false;
    GLint bound = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &bound);
    // Only a render-to-texture target has the depth texture to copy.
    if (bound == 0 || static_cast<GLuint>(bound) == pictureFbo_ || viewportWidth_ <= 0 || viewportHeight_ <= 0)
        return false;
    if (layerFbo_ == 0 && !CreateLayer()) return false;
    const int layerWidth = layer_->GetWidth(), layerHeight = layer_->GetHeight();
    const int width = std::min((viewportWidth_ + 1) / 2, layerWidth);
    const int height = std::min((viewportHeight_ + 1) / 2, layerHeight);
    layerOver_ = bound;
    layerOverSize_[0] = targetWidth_;
    layerOverSize_[1] = targetHeight_;
    layerOverViewport_[0] = viewportX_;
    layerOverViewport_[1] = viewportY_;
    layerOverViewport_[2] = viewportWidth_;
    layerOverViewport_[3] = viewportHeight_;

    // The target's depth, one sample for each layer pixel, at the layer's
    // lower left (where a viewport at its top-left corner lies in GL rows).
    const int targetBottom = targetHeight_ - viewportY_ - viewportHeight_;
    const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    glDisable(GL_SCISSOR_TEST);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(bound));
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, layerFbo_);
    glBlitFramebuffer(viewportX_, targetBottom, viewportX_ + viewportWidth_, targetBottom + viewportHeight_, 0, 0,
                      width, height, GL_DEPTH_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, layerFbo_);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    const GLfloat clear[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    glClearBufferfv(GL_COLOR, 0, clear);
    if (scissor) glEnable(GL_SCISSOR_TEST);
    SetCurrentTargetSize(layerWidth, layerHeight);
    SetViewport(0, layerHeight - height, width, height);
    inLayer_ = true;
    return true;
}

const VeTexture* GraphicsDevice::EndCoarseLayer(int& x, int& y, int& width, int& height) {
    x = y = width = height = 0;
    if (!inLayer_) return nullptr;
    inLayer_ = false;
    x = viewportX_;
    y = viewportY_;
    width = viewportWidth_;
    height = viewportHeight_;
    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(layerOver_));
    SetCurrentTargetSize(layerOverSize_[0], layerOverSize_[1]);
    SetViewport(layerOverViewport_[0], layerOverViewport_[1], layerOverViewport_[2], layerOverViewport_[3]);
    return layer_.get();
}

void GraphicsDevice::SetViewport(int x, int y, int width, int height) {
    viewportX_ = x;
    viewportY_ = y;
    viewportWidth_ = width;
    viewportHeight_ = height;
    if (!ready_) return;
    // Viewports are given from the top-left corner of the target.
    glViewport(x, targetHeight_ - y - height, width, height);
    glDepthRange(0.0, 1.0);
}

void GraphicsDevice::GetViewport(int& width, int& height) const {
    width = viewportWidth_;
    height = viewportHeight_;
}

void GraphicsDevice::SetCullMode(CullMode mode) {
    RasterizerState& s = cullStates_[static_cast<int>(mode)];
    s = RasterizerState{};
    s.cull = mode;
    SetRasterizerState(&s);
}

int GraphicsDevice::SizeClassFor(size_t bytes) {
    size_t capacity = kSmallestBuffer;
    for (int i = 0; i < kSizeClassCount; ++i, capacity *= 2) {
        if (capacity > bytes) return i;
    }
    return kSizeClassCount;
}

size_t GraphicsDevice::BufferCapacity(int index) const {
    if (index < 0 || index > kSizeClassCount) return 0;
    return buffers_[index].capacity;
}

void GraphicsDevice::DrawVertices(Topology topology, unsigned count, const void* data, unsigned stride) {
    if (!StreamVertices(count, data, stride)) return;
    glDrawArrays(ToGL(topology), 0, static_cast<GLsizei>(count));
}

void GraphicsDevice::DrawQuads(unsigned quadCount, const void* data, unsigned stride) {
    if (quadCount == 0 || !ready_) return;
    // Two triangles a quad from its strip-ordered corners: (0, 1, 2) and
    // (2, 1, 3), the winding the strip gives them.
    if (quadIndexCount_ < quadCount) {
        std::vector<uint32_t> indices(static_cast<size_t>(quadCount) * 6);
        for (uint32_t q = 0; q < quadCount; ++q) {
            const uint32_t v = q * 4;
            uint32_t* i = &indices[static_cast<size_t>(q) * 6];
            i[0] = v; i[1] = v + 1; i[2] = v + 2; i[3] = v + 2; i[4] = v + 1; i[5] = v + 3;
        }
        if (quadIndices_ == 0) glGenBuffers(1, &quadIndices_);
        glBindVertexArray(0);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, quadIndices_);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(uint32_t)),
                     indices.data(), GL_STATIC_DRAW);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
        quadIndexCount_ = quadCount;
    }
    if (!StreamVertices(quadCount * 4, data, stride)) return;
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, quadIndices_);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(quadCount * 6), GL_UNSIGNED_INT, nullptr);
}

bool GraphicsDevice::StreamVertices(unsigned count, const void* data, unsigned stride) {
    if (!ready_ || data == nullptr || count == 0 || stride == 0) return false;
    const size_t size = static_cast<size_t>(count) * stride;
    const int index = SizeClassFor(size);
    DynamicBuffer& b = buffers_[index];
    if (index == kSizeClassCount && b.capacity < size) {
        if (!CreateBuffer(b, size)) return false;
    }
    if (b.vbo == 0 || b.capacity < size) return false;

    glBindVertexArray(vaos_[static_cast<int>(layout_)]);
    glBindBuffer(GL_ARRAY_BUFFER, b.vbo);
    // Orphan the old contents, then write the new ones.
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(b.capacity), nullptr, GL_DYNAMIC_DRAW);
    glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(size), data);

    const GLsizei s = static_cast<GLsizei>(stride);
    auto at = [](size_t offset) { return reinterpret_cast<const void*>(offset); };
    glEnableVertexAttribArray(kAttribPosition);
    glVertexAttribPointer(kAttribPosition, 3, GL_FLOAT, GL_FALSE, s, at(0));
    glEnableVertexAttribArray(kAttribTexCoord);
    glVertexAttribPointer(kAttribTexCoord, 2, GL_FLOAT, GL_FALSE, s, at(12));
    switch (layout_) {
        case VertexLayout::Model:
            glEnableVertexAttribArray(kAttribNormal);
            glVertexAttribPointer(kAttribNormal, 3, GL_FLOAT, GL_FALSE, s, at(20));
            glEnableVertexAttribArray(kAttribColor);
            glVertexAttribPointer(kAttribColor, 4, GL_UNSIGNED_BYTE, GL_TRUE, s, at(32));
            break;
        case VertexLayout::Effect:
            glDisableVertexAttribArray(kAttribNormal);
            glVertexAttrib3f(kAttribNormal, 0.0f, 0.0f, 0.0f);
            glEnableVertexAttribArray(kAttribColor);
            glVertexAttribPointer(kAttribColor, 4, GL_FLOAT, GL_FALSE, s, at(20));
            break;
        case VertexLayout::Sprite:
            glDisableVertexAttribArray(kAttribNormal);
            glDisableVertexAttribArray(kAttribColor);
            glVertexAttrib4f(kAttribColor, 1.0f, 1.0f, 1.0f, 1.0f);
            break;
    }
    return true;
}

// ---- state factories

std::unique_ptr<BlendState> GraphicsDevice::CreateBlendState(int mode) {
    auto s = std::make_unique<BlendState>();
    s->mode = (mode >= 0 && mode <= 2) ? mode : 0;
    return s;
}

std::unique_ptr<DepthStencilState> GraphicsDevice::CreateDepthStencilState(bool depthTest, bool depthWrite) {
    auto s = std::make_unique<DepthStencilState>();
    s->depthTest = depthTest;
    s->depthWrite = depthWrite;
    return s;
}

std::unique_ptr<RasterizerState> GraphicsDevice::CreateRasterizerState(CullMode cull, FillMode fill,
                                                                       bool depthClip, bool scissor) {
    auto s = std::make_unique<RasterizerState>();
    s->cull = cull;
    s->fill = fill;
    s->depthClip = depthClip;
    s->scissor = scissor;
    return s;
}

std::unique_ptr<SamplerState> GraphicsDevice::CreateSamplerState(int filter, int maxAnisotropy, int addressMode,
                                                                 bool comparison, bool mipmaps) {
    auto s = std::make_unique<SamplerState>();
    s->filter = filter;
    s->maxAnisotropy = maxAnisotropy < 1 ? 1 : maxAnisotropy;
    s->addressMode = addressMode;
    s->comparison = comparison;
    s->mipmaps = mipmaps;
    if (!ready_) return s;

    GLuint name = 0;
    glGenSamplers(1, &name);
    if (name == 0) return nullptr;
    GLint minFilter = mipmaps ? GL_NEAREST_MIPMAP_NEAREST : GL_NEAREST, magFilter = GL_NEAREST;
    if (filter != 0 || comparison) {
        minFilter = mipmaps ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR;
        magFilter = GL_LINEAR;
    }
    glSamplerParameteri(name, GL_TEXTURE_MIN_FILTER, minFilter);
    glSamplerParameteri(name, GL_TEXTURE_MAG_FILTER, magFilter);
    if (filter == 2 && !comparison && anisotropy_) {
        glSamplerParameterf(name, GL_TEXTURE_MAX_ANISOTROPY_EXT, static_cast<float>(s->maxAnisotropy));
    }
    const GLint wrap = addressMode == 1 ? GL_CLAMP_TO_EDGE : GL_REPEAT;
    glSamplerParameteri(name, GL_TEXTURE_WRAP_S, wrap);
    glSamplerParameteri(name, GL_TEXTURE_WRAP_T, wrap);
    glSamplerParameteri(name, GL_TEXTURE_WRAP_R, wrap);
    glSamplerParameterf(name, GL_TEXTURE_MIN_LOD, 0.0f);
    glSamplerParameterf(name, GL_TEXTURE_MAX_LOD, 1000.0f);
    if (comparison) {
        glSamplerParameteri(name, GL_TEXTURE_COMPARE_MODE, GL_COMPARE_REF_TO_TEXTURE);
        glSamplerParameteri(name, GL_TEXTURE_COMPARE_FUNC, GL_LESS);
    }
    s->glSampler = name;
    return s;
}

void GraphicsDevice::ReleaseSamplerState(SamplerState* state) {
    if (state == nullptr) return;
    for (auto& current : currentSamplers_) {
        if (current == state) current = nullptr;
    }
    if (ready_ && state->glSampler != 0) glDeleteSamplers(1, &state->glSampler);
    state->glSampler = 0;
}

void GraphicsDevice::ApplyBlend(const BlendState& s) {
    glEnable(GL_BLEND);
    glBlendEquation(GL_FUNC_ADD);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDisable(GL_SAMPLE_ALPHA_TO_COVERAGE);
    switch (s.mode) {
        case 0: glBlendFuncSeparate(GL_ONE, GL_ZERO, GL_ONE, GL_ZERO); break;
        case 2: glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE, GL_ONE, GL_ONE_MINUS_SRC_ALPHA); break;
        // A layer holds the colour its quads add and, in alpha, the share of
        // the picture left showing: a quad drawn over keeps 1 - a of both,
        // an added one keeps all. Laid over the picture, the picture keeps
        // that share and gets the colour: the same sums the quads would
        // have made drawn straight onto it.
        case 3: glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ZERO, GL_ONE_MINUS_SRC_ALPHA); break;
        case 4: glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE, GL_ZERO, GL_ONE); break;
        case 5: glBlendFuncSeparate(GL_ONE, GL_SRC_ALPHA, GL_ZERO, GL_ONE); break;
        case 1:
        default: glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA); break;
    }
}

void GraphicsDevice::ApplyDepth(const DepthStencilState& s) {
    if (s.depthTest) {
        glEnable(GL_DEPTH_TEST);
    } else {
        glDisable(GL_DEPTH_TEST);
    }
    glDepthFunc(GL_LESS);
    glDepthMask(s.depthWrite ? GL_TRUE : GL_FALSE);
    glDisable(GL_STENCIL_TEST);
}

void GraphicsDevice::ApplyRaster(const RasterizerState& s) {
    // Front faces are clockwise on screen. GL's window space has y up like
    // the screen, so the same orientation applies to the back buffer and to
    // render targets (which are not flipped while drawing).
    glFrontFace(GL_CW);
    switch (s.cull) {
        case CullMode::None: glDisable(GL_CULL_FACE); break;
        case CullMode::Front:
            glEnable(GL_CULL_FACE);
            glCullFace(GL_FRONT);
            break;
        case CullMode::Back:
            glEnable(GL_CULL_FACE);
            glCullFace(GL_BACK);
            break;
    }
    glPolygonMode(GL_FRONT_AND_BACK, s.fill == FillMode::Wireframe ? GL_LINE : GL_FILL);
    if (s.depthClip) {
        glDisable(GL_DEPTH_CLAMP);
    } else {
        glEnable(GL_DEPTH_CLAMP);
    }
    if (s.scissor) {
        glEnable(GL_SCISSOR_TEST);
    } else {
        glDisable(GL_SCISSOR_TEST);
    }
    glDisable(GL_POLYGON_OFFSET_FILL);
    glDisable(GL_MULTISAMPLE);
    glDisable(GL_LINE_SMOOTH);
}

void GraphicsDevice::SetBlendState(const BlendState* state) {
    currentBlend_ = state;
    if (!ready_) return;
    ApplyBlend(state != nullptr ? *state : defaultBlend_);
}

void GraphicsDevice::SetDepthStencilState(const DepthStencilState* state) {
    currentDepth_ = state;
    if (!ready_) return;
    ApplyDepth(state != nullptr ? *state : defaultDepth_);
}

void GraphicsDevice::SetRasterizerState(const RasterizerState* state) {
    currentRaster_ = state;
    if (!ready_) return;
    ApplyRaster(state != nullptr ? *state : defaultRaster_);
}

void GraphicsDevice::SetPixelSampler(int slot, const SamplerState* state) {
    if (slot < 0 || slot > 1) return;
    currentSamplers_[slot] = state;
    if (!ready_ || slot != 0) return;
    // Every texture of the programs samples through sampler slot 0, which
    // covers the texture units 0..2.
    const GLuint name = state != nullptr ? state->glSampler : 0;
    for (GLuint unit = 0; unit < 3; ++unit) glBindSampler(unit, name);
}

const SamplerState* GraphicsDevice::GetPixelSampler(int slot) const {
    if (slot < 0 || slot > 1) return nullptr;
    return currentSamplers_[slot];
}

void GraphicsDevice::SetDepthWrite(bool on) {
    if (!ready_) return;
    glDepthMask(on ? GL_TRUE : GL_FALSE);
}

void GraphicsDevice::SetColourWrite(bool on) {
    if (!ready_) return;
    const GLboolean mask = on ? GL_TRUE : GL_FALSE;
    glColorMask(mask, mask, mask, mask);
}

bool GraphicsDevice::IsSoftwareRendererName(const char* renderer) {
    if (renderer == nullptr) return false;
    const std::string name(renderer);
    for (const char* cpu : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer"})
        if (name.find(cpu) != std::string::npos) return true;
    return false;
}

void GraphicsDevice::BindTexture(int slot, const VeTexture* texture) {
    if (!ready_ || slot < 0 || slot > 15) return;
    glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(slot));
    GLuint name = 0;
    if (texture != nullptr && texture->generation_ == generation_) name = texture->GetGLTexture();
    glBindTexture(GL_TEXTURE_2D, name);
    glActiveTexture(GL_TEXTURE0);
}

// ---- read-back

bool GraphicsDevice::ReadPixels(int x, int y, int width, int height, unsigned char* rgba) const {
    if (!ready_ || rgba == nullptr || width <= 0 || height <= 0) return false;
    std::vector<unsigned char> rows(static_cast<size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    // (x, y) is measured from the top-left corner; GL rows are bottom-up.
    glReadPixels(x, targetHeight_ - y - height, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rows.data());
    if (glGetError() != GL_NO_ERROR) return false;
    const size_t pitch = static_cast<size_t>(width) * 4;
    for (int row = 0; row < height; ++row) {
        std::memcpy(rgba + pitch * row, rows.data() + pitch * (height - 1 - row), pitch);
    }
    return true;
}

bool GraphicsDevice::SaveScreenshot(const std::string& path) const {
    if (!ready_ || targetWidth_ <= 0 || targetHeight_ <= 0) return false;
    std::vector<unsigned char> pixels(static_cast<size_t>(targetWidth_) * targetHeight_ * 4);
    if (!ReadPixels(0, 0, targetWidth_, targetHeight_, pixels.data())) return false;
    // Screenshots are opaque pictures of what is shown.
    for (size_t i = 3; i < pixels.size(); i += 4) pixels[i] = 255;
    return stbi_write_png(path.c_str(), targetWidth_, targetHeight_, 4, pixels.data(), targetWidth_ * 4) != 0;
}
