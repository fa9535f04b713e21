// The three GLSL programs (models, effects, sprites), their uniform blocks
// and the frame-wide camera and light blocks.
//
// Uniform-block binding points (shared by every program, bound once):
//   cbObject 0, cbMaterial 1, cbPerObject 2, cbSprite 3, cbProjection 4,
//   cbQuads 5, cbInstances 6, cbCamera 7, cbLight 8.
// Texture units: model g_baseTex 0, g_emissiveTex 1, g_mrTex 2; effect g_tex 0;
// sprite g_inputTex 0. All of them sample through the device's sampler slot 0.
#include "Framework/Graphics/ShaderManager.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "Framework/Graphics/VeTexture.h"
#include "Framework/Model/VeModel.h"

const char* GetShaderSource(const char* fileName);

namespace {

bool g_skipClearInteriors = true;

// A sprite quad's corners as the sprite program takes them (position, then
// texture coordinates), in triangle-strip order.
void SpriteCorners(const SpriteQuad& q, float out[4][5]) {
    const float corners[4][5] = {
        {q.x0, q.y0, 0.0f, q.uLeft, q.vBottom},
        {q.x0, q.y1, 0.0f, q.uLeft, q.vTop},
        {q.x1, q.y0, 0.0f, q.uRight, q.vBottom},
        {q.x1, q.y1, 0.0f, q.uRight, q.vTop},
    };
    std::memcpy(out, corners, sizeof(corners));
}

enum BlockIndex {
    kObject,
    kMaterial,
    kPerObject,
    kSprite,
    kProjection,
    kCamera,
    kLight,
    kQuads,
    kInstances,
    kBlockCount
};

// The driver's log, without its trailing line breaks.
std::string Trimmed(const char* log) {
    std::string text(log);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
    return text;
}

// The source with the given lines ("#define NAME") after its #version line.
std::string WithDefines(const char* source, const std::string& defines) {
    std::string text(source);
    if (defines.empty()) return text;
    const size_t version = text.find("#version");
    const size_t line = version == std::string::npos ? std::string::npos : text.find('\n', version);
    if (line == std::string::npos) return defines + text;
    return text.substr(0, line + 1) + defines + text.substr(line + 1);
}

// Compiles one stage; on failure appends "file: reason" to errors.
GLuint Compile(GLenum type, const char* fileName, std::string& errors, const std::string& defines = {}) {
    const char* raw = GetShaderSource(fileName);
    if (raw == nullptr) {
        errors += std::string(fileName) + ": source missing\n";
        return 0;
    }
    const std::string text = WithDefines(raw, defines);
    const char* source = text.c_str();
    GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok != GL_TRUE) {
        char log[2048] = {};
        glGetShaderInfoLog(shader, sizeof(log), nullptr, log);
        errors += std::string(fileName) + (defines.empty() ? "" : " (" + Trimmed(defines.c_str()) + ")") + ": " +
                  Trimmed(log) + "\n";
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

struct BlockBinding {
    const char* name;
    GLuint point;
};

struct SamplerUnit {
    const char* name;
    GLint unit;
};

// Compiles and links a program; on failure appends what went wrong to errors.
GLuint BuildProgram(const char* vertexFile, const char* fragmentFile, std::initializer_list<BlockBinding> blocks,
                    std::initializer_list<SamplerUnit> samplers, std::string& errors,
                    const std::string& fragmentDefines = {}, const std::string& vertexDefines = {}) {
    GLuint vs = Compile(GL_VERTEX_SHADER, vertexFile, errors, vertexDefines);
    GLuint fs = Compile(GL_FRAGMENT_SHADER, fragmentFile, errors, fragmentDefines);
    if (vs == 0 || fs == 0) {
        if (vs != 0) glDeleteShader(vs);
        if (fs != 0) glDeleteShader(fs);
        return 0;
    }
    GLuint program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glLinkProgram(program);
    glDetachShader(program, vs);
    glDetachShader(program, fs);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (ok != GL_TRUE) {
        char log[2048] = {};
        glGetProgramInfoLog(program, sizeof(log), nullptr, log);
        errors += std::string(vertexFile) + " + " + fragmentFile + ": " + Trimmed(log) + "\n";
        glDeleteProgram(program);
        return 0;
    }
    for (const BlockBinding& b : blocks) {
        const GLuint index = glGetUniformBlockIndex(program, b.name);
        if (index != GL_INVALID_INDEX) glUniformBlockBinding(program, index, b.point);
    }
    glUseProgram(program);
    for (const SamplerUnit& s : samplers) {
        const GLint location = glGetUniformLocation(program, s.name);
        if (location >= 0) glUniform1i(location, s.unit);
    }
    glUseProgram(0);
    return program;
}

// A material's texture, or the white one where it has none on the GPU.
const VeTexture* TextureOrWhite(const std::shared_ptr<VeTexture>& texture, const VeTexture* white) {
    return (texture && texture->HasImage()) ? texture.get() : white;
}

Matrix DefaultProjection(int width, int height) {
    const float aspect = (width > 0 && height > 0) ? static_cast<float>(width) / static_cast<float>(height)
                                                   : 1280.0f / 720.0f;
    return Matrix::CreatePerspectiveFieldOfView(60.0f * Math::kDegToRad, aspect, 0.01f, 1000.0f);
}

}  // namespace

// A material index outside the model's materials is skipped instead of read
// out of bounds.
const VeModelMaterial* ShaderManager::SubsetMaterial(const VeModel& model, const VeSubset& subset) {
    if (subset.triangleCount == 0 || subset.materialIndex < 0 ||
        static_cast<size_t>(subset.materialIndex) >= model.materials.size()) {
        return nullptr;
    }
    return &model.materials[static_cast<size_t>(subset.materialIndex)];
}

ShaderManager& ShaderManager::GetInstance() {
    static ShaderManager instance;
    return instance;
}

bool ShaderManager::Ready() const { return GraphicsDevice::GetInstance().IsReady() && modelProgram_ != 0; }

unsigned ShaderManager::BuildModelVariant(int variant, bool instanced, std::string& errors) {
    std::string defines;
    if (variant & kNoAlphaTest) defines += "#define NO_ALPHA_TEST\n";
    if (variant & kNoMrTexture) defines += "#define NO_MR_TEXTURE\n";
    if (variant & kNoEmissiveTexture) defines += "#define NO_EMISSIVE_TEXTURE\n";
    if (variant & kNoPointLights) defines += "#define NO_POINT_LIGHTS\n";
    return BuildProgram("model.vert", "model.frag",
                        {{"cbObject", kBindObject},
                         {"cbMaterial", kBindMaterial},
                         {"cbCamera", kBindCamera},
                         {"cbLight", kBindLight},
                         {"cbInstances", kBindInstances}},
                        {{"g_baseTex", 0}, {"g_emissiveTex", 1}, {"g_mrTex", 2}}, errors, defines,
                        instanced ? "#define INSTANCED\n" : "");
}

unsigned ShaderManager::BuildDepthProgram(bool instanced, std::string& errors) {
    return BuildProgram("model.vert", "depth.frag",
                        {{"cbObject", kBindObject}, {"cbCamera", kBindCamera}, {"cbInstances", kBindInstances}}, {},
                        errors, {}, instanced ? "#define INSTANCED\n" : "");
}

bool ShaderManager::Init() {
    Release();
    errorText_.clear();
    GraphicsDevice& device = GraphicsDevice::GetInstance();

    objectMatrix_ = Matrix::Identity();
    cbObject_ = CbObject{};
    cbMaterial_ = CbMaterial{};
    cbPerObject_ = CbPerObject{};
    cbSprite_ = CbSprite{};
    cbProjection_ = CbProjection{};
    cbCamera_ = CbCamera{};
    cbCamera_.g_mP = DefaultProjection(device.GetWidth(), device.GetHeight());
    cbLight_ = CbLight{};
    objectPending_ = materialPending_ = perObjectPending_ = true;
    spritePending_ = projectionPending_ = cameraPending_ = lightPending_ = true;
    in2D_ = false;

    depthOff_ = device.CreateDepthStencilState(false, false);
    spriteRaster_ = device.CreateRasterizerState(CullMode::None, FillMode::Solid, true, false);
    spritePoint_ = device.CreateSamplerState(0, 1, 0, false, false);
    spriteLinear_ = device.CreateSamplerState(1, 1, 0, false, false);

    if (!device.IsReady()) return true;

    std::string errors;
    // The model program in its variants (index 0 is the full program, the
    // others drop the alpha test, the samples of white textures and the
    // point-light loop).
    for (int v = 0; v < kModelVariants; ++v) modelVariants_[v] = BuildModelVariant(v, false, errors);
    modelProgram_ = modelVariants_[0];
    bool variantsBuilt = true;
    for (unsigned program : modelVariants_) variantsBuilt = variantsBuilt && program != 0;
    const std::string untested = "#define NO_ALPHA_TEST\n";
    auto buildEffect = [&errors](bool batch, const std::string& defines) {
        if (batch)
            return BuildProgram("effect_batch.vert", "effect.frag",
                                {{"cbPerObject", kBindPerObject}, {"cbCamera", kBindCamera}, {"cbQuads", kBindQuads}},
                                {{"g_tex", 0}}, errors, defines);
        return BuildProgram("effect.vert", "effect.frag", {{"cbPerObject", kBindPerObject}, {"cbCamera", kBindCamera}},
                            {{"g_tex", 0}}, errors, defines);
    };
    effectProgram_ = buildEffect(false, {});
    effectUntestedProgram_ = buildEffect(false, untested);
    spriteProgram_ = BuildProgram("sprite.vert", "sprite.frag",
                                  {{"cbSprite", kBindSprite}, {"cbProjection", kBindProjection}},
                                  {{"g_inputTex", 0}}, errors);
    depthProgram_ = BuildDepthProgram(false, errors);
    effectBatchProgram_ = buildEffect(true, {});
    effectBatchUntestedProgram_ = buildEffect(true, untested);
    if (!variantsBuilt || effectProgram_ == 0 || spriteProgram_ == 0 || depthProgram_ == 0 ||
        effectBatchProgram_ == 0 || effectUntestedProgram_ == 0 || effectBatchUntestedProgram_ == 0) {
        Release();
        while (!errors.empty() && errors.back() == '\n') errors.pop_back();
        errorText_ = errors.empty() ? "shader programs could not be built" : errors;
        return false;
    }

    const struct {
        int index;
        GLuint point;
        size_t size;
    } blocks[kBlockCount] = {
        {kObject, kBindObject, sizeof(CbObject)},          {kMaterial, kBindMaterial, sizeof(CbMaterial)},
        {kPerObject, kBindPerObject, sizeof(CbPerObject)}, {kSprite, kBindSprite, sizeof(CbSprite)},
        {kProjection, kBindProjection, sizeof(CbProjection)}, {kCamera, kBindCamera, sizeof(CbCamera)},
        {kLight, kBindLight, sizeof(CbLight)}, {kQuads, kBindQuads, sizeof(CbQuad) * kQuadsPerDraw},
        {kInstances, kBindInstances, sizeof(Matrix) * kInstancesPerDraw},
    };
    glGenBuffers(kBlockCount, ubo_);
    for (const auto& b : blocks) {
        glBindBuffer(GL_UNIFORM_BUFFER, ubo_[b.index]);
        glBufferData(GL_UNIFORM_BUFFER, static_cast<GLsizeiptr>(b.size), nullptr, GL_DYNAMIC_DRAW);
        glBindBufferBase(GL_UNIFORM_BUFFER, b.point, ubo_[b.index]);
    }
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
    if (glGetError() != GL_NO_ERROR) {
        Release();
        errorText_ = "uniform buffers could not be created";
        return false;
    }
    UploadBlock(ubo_[kObject], &cbObject_, sizeof(cbObject_));
    UploadBlock(ubo_[kMaterial], &cbMaterial_, sizeof(cbMaterial_));
    UploadBlock(ubo_[kPerObject], &cbPerObject_, sizeof(cbPerObject_));
    UploadBlock(ubo_[kSprite], &cbSprite_, sizeof(cbSprite_));
    UploadBlock(ubo_[kProjection], &cbProjection_, sizeof(cbProjection_));
    UploadCamera();
    UploadLights();
    objectPending_ = materialPending_ = perObjectPending_ = spritePending_ = projectionPending_ = false;
    return true;
}

void ShaderManager::Release() {
    GraphicsDevice& device = GraphicsDevice::GetInstance();
    if (device.IsReady()) {
        glUseProgram(0);
        for (unsigned program : modelVariants_)
            if (program != 0) glDeleteProgram(program);
        for (unsigned program : instancedVariants_)
            if (program != 0) glDeleteProgram(program);
        if (depthInstancedProgram_ != 0) glDeleteProgram(depthInstancedProgram_);
        if (effectProgram_ != 0) glDeleteProgram(effectProgram_);
        if (spriteProgram_ != 0) glDeleteProgram(spriteProgram_);
        if (depthProgram_ != 0) glDeleteProgram(depthProgram_);
        if (effectBatchProgram_ != 0) glDeleteProgram(effectBatchProgram_);
        if (effectUntestedProgram_ != 0) glDeleteProgram(effectUntestedProgram_);
        if (effectBatchUntestedProgram_ != 0) glDeleteProgram(effectBatchUntestedProgram_);
        if (ubo_[0] != 0) glDeleteBuffers(kBlockCount, ubo_);
    }
    if (in2D_) End2D();
    // Never leave the device pointing at states that are about to go.
    if (device.GetDepthStencilState() == depthOff_.get() && depthOff_) device.SetDepthStencilState(nullptr);
    if (device.GetRasterizerState() == spriteRaster_.get() && spriteRaster_) device.SetRasterizerState(nullptr);
    device.ReleaseSamplerState(spritePoint_.get());
    device.ReleaseSamplerState(spriteLinear_.get());
    modelProgram_ = effectProgram_ = spriteProgram_ = depthProgram_ = effectBatchProgram_ = 0;
    effectUntestedProgram_ = effectBatchUntestedProgram_ = 0;
    for (unsigned& program : modelVariants_) program = 0;
    for (unsigned& program : instancedVariants_) program = 0;
    for (bool& tried : instancedTried_) tried = false;
    depthInstancedProgram_ = 0;
    depthInstancedTried_ = false;
    instancing_ = instancedBound_ = false;
    boundModelProgram_ = 0;
    inDepthPass_ = false;
    for (auto& b : ubo_) b = 0;
    depthOff_.reset();
    spriteRaster_.reset();
    spritePoint_.reset();
    spriteLinear_.reset();
    savedDepth_ = nullptr;
    savedRaster_ = nullptr;
    savedSampler_ = nullptr;
    in2D_ = false;
}

void ShaderManager::UploadBlock(unsigned buffer, const void* data, size_t size) {
    if (!GraphicsDevice::GetInstance().IsReady() || buffer == 0) return;
    glBindBuffer(GL_UNIFORM_BUFFER, buffer);
    glBufferSubData(GL_UNIFORM_BUFFER, 0, static_cast<GLsizeiptr>(size), data);
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
}

// ---- model set

void ShaderManager::SetModelShader() {
    GraphicsDevice& device = GraphicsDevice::GetInstance();
    device.SetVertexLayout(VertexLayout::Model);
    if (!Ready()) return;
    glUseProgram(modelProgram_);
    boundModelProgram_ = modelProgram_;
    if (cameraPending_) UploadCamera();
}

int ShaderManager::ModelVariant(bool opaque, bool whiteMr, bool noEmissive, bool noPointLights) {
    return (opaque ? kNoAlphaTest : 0) | (whiteMr ? kNoMrTexture : 0) | (noEmissive ? kNoEmissiveTexture : 0) |
           (noPointLights ? kNoPointLights : 0);
}

void ShaderManager::DrawModel(const VeModel* model, float r, float g, float b, float a) {
    if (model == nullptr || !Ready()) return;
    if (cameraPending_) UploadCamera();
    if (inDepthPass_) {
        DrawModelDepth(model, a);
        return;
    }
    for (const VeModelNode& node : model->nodes) {
        if (!node.mesh) continue;
        node.mesh->SetToDevice();
        cbObject_.g_mW = node.matrix * objectMatrix_;
        UploadObject();

        const std::vector<VeSubset>& subsets = node.mesh->GetSubsets();
        for (size_t i = 0; i < subsets.size(); ++i) {
            const VeModelMaterial* material = SubsetMaterial(*model, subsets[i]);
            if (material == nullptr) continue;
            ApplyMaterial(*material, r, g, b, a, node.mesh.get());
            node.mesh->DrawSubset(i);
        }
    }
}

void ShaderManager::UploadObject() {
    UploadBlock(ubo_[kObject], &cbObject_, sizeof(cbObject_));
    objectPending_ = false;
}

void ShaderManager::ApplyMaterial(const VeModelMaterial& m, float r, float g, float b, float a, const VeMesh* mesh) {
    GraphicsDevice& device = GraphicsDevice::GetInstance();
    const VeTexture* white = device.GetWhiteTexture().get();
    cbMaterial_.BaseColor = Vector4(m.baseColorFactor[0] * r, m.baseColorFactor[1] * g, m.baseColorFactor[2] * b,
                                    m.baseColorFactor[3] * a);
    cbMaterial_.Emissive = Vector3(m.emissiveFactor[0], m.emissiveFactor[1], m.emissiveFactor[2]);
    cbMaterial_.Metallic = m.metallicFactor;
    cbMaterial_.Roughness = m.roughnessFactor;
    UploadBlock(ubo_[kMaterial], &cbMaterial_, sizeof(cbMaterial_));
    materialPending_ = false;
    const VeTexture* base = TextureOrWhite(m.baseColorTexture, white);
    const VeTexture* emissive = TextureOrWhite(m.emissiveTexture, white);
    const VeTexture* mr = TextureOrWhite(m.metallicRoughnessTexture, white);
    device.BindTexture(0, base);
    device.BindTexture(1, emissive);
    device.BindTexture(2, mr);
    if (boundModelProgram_ == 0) return;
    // No pixel can be dropped when every alpha that makes c.a is known to be
    // over the threshold: the texture's and the vertices' are all 1, the
    // material's (with the draw's) is over it.
    const bool opaque = mesh != nullptr && base != nullptr && base->IsOpaque() && mesh->HasOpaqueVertices() &&
                        cbMaterial_.BaseColor.w > cbObject_.g_AlphaTestThreshold;
    const bool noEmissive = emissive == white || (cbMaterial_.Emissive.x == 0.0f && cbMaterial_.Emissive.y == 0.0f &&
                                                  cbMaterial_.Emissive.z == 0.0f);
    // The point lights on the device light this subset only where lighting
    // is on; with none, the loop over them adds nothing.
    const bool noPointLights = cbLight_.g_PL_Num <= 0 || cbObject_.g_LightEnable == 0;
    const int variant = variantsEnabled_ ? ModelVariant(opaque, mr == white, noEmissive, noPointLights) : 0;
    ++variantDraws_[variant];
    unsigned program = instancing_ ? InstancedVariant(variant) : 0;
    instancedBound_ = program != 0;
    if (program == 0) program = modelVariants_[variant];
    if (program != boundModelProgram_) {
        glUseProgram(program);
        boundModelProgram_ = program;
    }
}

bool ShaderManager::HidesWhatIsBehind(const VeMesh& mesh, const VeModelMaterial& m, float a,
                                      float alphaTestThreshold) {
    // The shaded pass computes the pixel's alpha as texture x material x
    // vertex colour alpha; with the texture's and the vertices' exactly 1
    // and the material's 1 or more (a draw alpha above 1 brightens: the
    // generator glows at 3) the colour target takes it as 1, so the pixel is
    // written whole and nothing behind it shows, and its depth may be laid
    // down now. An alpha test of 1 or more drops even such pixels.
    if (alphaTestThreshold >= 1.0f || !mesh.HasOpaqueVertices()) return false;
    if (!(m.baseColorFactor[3] * a >= 1.0f)) return false;
    const VeTexture* texture = TextureOrWhite(m.baseColorTexture, GraphicsDevice::GetInstance().GetWhiteTexture().get());
    return texture != nullptr && texture->IsOpaque();
}

bool ShaderManager::BeginDepthPass() {
    if (!depthPassEnabled_ || !Ready() || depthProgram_ == 0) return false;
    GraphicsDevice& device = GraphicsDevice::GetInstance();
    device.SetVertexLayout(VertexLayout::Model);
    glUseProgram(depthProgram_);
    boundModelProgram_ = 0;
    device.SetColourWrite(false);
    // The depths go down pushed back by one unit of the depth buffer's
    // resolution. The shaded pass then keeps the ordinary "less" test: each
    // surface passes over its own depth, the nearest one written so far
    // still wins, and two surfaces at the same depth resolve as they would
    // without this pass (the first drawn stays).
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(0.0f, 1.0f);
    inDepthPass_ = true;
    return true;
}

void ShaderManager::EndDepthPass() {
    if (!inDepthPass_) return;
    EndInstancing();
    inDepthPass_ = false;
    glPolygonOffset(0.0f, 0.0f);
    glDisable(GL_POLYGON_OFFSET_FILL);
    GraphicsDevice::GetInstance().SetColourWrite(true);
    SetModelShader();
}

void ShaderManager::DrawModelDepth(const VeModel* model, float a) {
    for (const VeModelNode& node : model->nodes) {
        if (!node.mesh) continue;
        bool uploaded = false;
        const std::vector<VeSubset>& subsets = node.mesh->GetSubsets();
        for (size_t i = 0; i < subsets.size(); ++i) {
            const VeModelMaterial* m = SubsetMaterial(*model, subsets[i]);
            if (m == nullptr || !HidesWhatIsBehind(*node.mesh, *m, a, cbObject_.g_AlphaTestThreshold)) continue;
            if (!uploaded) {
                node.mesh->SetToDevice();
                cbObject_.g_mW = node.matrix * objectMatrix_;
                UploadObject();
                uploaded = true;
            }
            node.mesh->DrawSubset(i);
        }
    }
}

// ---- instanced model drawing

unsigned ShaderManager::InstancedVariant(int variant) {
    if (variant < 0 || variant >= kModelVariants) return 0;
    if (!instancedTried_[variant]) {
        // Built on first use: most variants never draw an instanced subset,
        // and every program linked at start delays the first picture.
        instancedTried_[variant] = true;
        std::string errors;
        instancedVariants_[variant] = BuildModelVariant(variant, true, errors);
        if (instancedVariants_[variant] == 0) std::fprintf(stderr, "instanced model program: %s", errors.c_str());
    }
    return instancedVariants_[variant];
}

bool ShaderManager::BeginInstancing() {
    if (!Ready() || instancing_) return instancing_;
    if (inDepthPass_) {
        if (!depthInstancedTried_) {
            depthInstancedTried_ = true;
            std::string errors;
            depthInstancedProgram_ = BuildDepthProgram(true, errors);
            if (depthInstancedProgram_ == 0) std::fprintf(stderr, "instanced depth program: %s", errors.c_str());
        }
        if (depthInstancedProgram_ == 0) return false;
        glUseProgram(depthInstancedProgram_);
    }
    // Shaded, ApplyMaterial binds each subset's program.
    instancedBound_ = inDepthPass_;
    instancing_ = true;
    return true;
}

void ShaderManager::EndInstancing() {
    if (!instancing_) return;
    instancing_ = false;
    if (inDepthPass_) {
        glUseProgram(depthProgram_);
        instancedBound_ = false;
    }
}

void ShaderManager::UploadInstances(const Matrix* worlds, int count) {
    if (count <= 0 || !Ready()) return;
    if (count > kInstancesPerDraw) count = kInstancesPerDraw;
    UploadBlock(ubo_[kInstances], worlds, sizeof(Matrix) * static_cast<size_t>(count));
}

// ---- effect set

unsigned ShaderManager::EffectProgram(bool batch, bool alphaTest) const {
    // A threshold above 0 drops translucent texels too, which blending would
    // have drawn: only at 0 or below is the test's drop invisible.
    const bool untested = !alphaTest && !(cbPerObject_.g_AlphaTestThreshold > 0.0f);
    if (batch) return untested ? effectBatchUntestedProgram_ : effectBatchProgram_;
    return untested ? effectUntestedProgram_ : effectProgram_;
}

void ShaderManager::SetEffectShader(bool alphaTest) {
    GraphicsDevice& device = GraphicsDevice::GetInstance();
    device.SetVertexLayout(VertexLayout::Effect);
    if (!Ready()) return;
    glUseProgram(EffectProgram(false, alphaTest));
    boundModelProgram_ = 0;
    if (cameraPending_) UploadCamera();
}

void ShaderManager::SetEffectBatchShader(bool alphaTest) {
    GraphicsDevice& device = GraphicsDevice::GetInstance();
    device.SetVertexLayout(VertexLayout::Effect);
    if (!Ready()) return;
    glUseProgram(EffectProgram(true, alphaTest));
    if (cameraPending_) UploadCamera();
    if (perObjectPending_) UploadPerObject();
}

void ShaderManager::UploadQuads(const CbQuad* quads, int count) {
    if (count <= 0 || !Ready()) return;
    if (count > kQuadsPerDraw) count = kQuadsPerDraw;
    UploadBlock(ubo_[kQuads], quads, sizeof(CbQuad) * static_cast<size_t>(count));
}

void ShaderManager::UploadPerObject() {
    UploadBlock(ubo_[kPerObject], &cbPerObject_, sizeof(cbPerObject_));
    perObjectPending_ = false;
}

// ---- sprite set

void ShaderManager::UploadSpriteIfPending() {
    if (!spritePending_) return;
    UploadBlock(ubo_[kSprite], &cbSprite_, sizeof(cbSprite_));
    spritePending_ = false;
}

void ShaderManager::UploadProjection() {
    UploadBlock(ubo_[kProjection], &cbProjection_, sizeof(cbProjection_));
    projectionPending_ = false;
}

void ShaderManager::Begin2D(bool linearFilter, bool depthOff) {
    if (in2D_) return;
    in2D_ = true;
    GraphicsDevice& device = GraphicsDevice::GetInstance();
    int w = 0, h = 0;
    device.GetViewport(w, h);
    if (w <= 0) w = 1280;
    if (h <= 0) h = 720;
    // Orthographic: origin at the centre, x right, y up, one unit per pixel.
    cbProjection_.g_mProj = Matrix(2.0f / static_cast<float>(w), 0, 0, 0,  //
                                   0, 2.0f / static_cast<float>(h), 0, 0,  //
                                   0, 0, 1, 0,                             //
                                   0, 0, 0, 1);
    UploadProjection();

    savedDepth_ = device.GetDepthStencilState();
    savedRaster_ = device.GetRasterizerState();
    savedSampler_ = device.GetPixelSampler(0);

    if (depthOff) device.SetDepthStencilState(depthOff_.get());
    device.SetPixelSampler(0, linearFilter ? spriteLinear_.get() : spritePoint_.get());
    device.SetRasterizerState(spriteRaster_.get());
    device.SetVertexLayout(VertexLayout::Sprite);
    if (Ready()) glUseProgram(spriteProgram_);
    boundModelProgram_ = 0;
}

SpriteQuad ShaderManager::ComputeSpriteQuad(float textureWidth, float textureHeight, float x, float y, float width,
                                            float height, const SpriteRect* source, Vector2 pivot) {
    SpriteQuad q{};
    q.uLeft = 0.0f;
    q.uRight = 1.0f;
    q.vTop = 0.0f;
    q.vBottom = 1.0f;
    if (source != nullptr && textureWidth > 0.0f && textureHeight > 0.0f) {
        q.uLeft = source->left / textureWidth;
        q.uRight = (source->left + source->width) / textureWidth;
        q.vTop = source->top / textureHeight;
        q.vBottom = (source->top + source->height) / textureHeight;
    }
    q.x0 = x - width * pivot.x;
    q.x1 = x + width - width * pivot.x;
    q.y0 = y - height * pivot.y;
    q.y1 = y + height - height * pivot.y;
    return q;
}

void ShaderManager::DrawTexture(const VeTexture* texture, float x, float y, float width, float height,
                                const SpriteRect* source, const Vector4* colour, Vector2 pivot) {
    // A picture that failed to load shows nothing (not a black box).
    if (texture == nullptr || !texture->HasImage()) return;
    if (!in2D_) {
        Begin2D(false, true);
        DrawTexture(texture, x, y, width, height, source, colour, pivot);
        End2D();
        return;
    }
    GraphicsDevice& device = GraphicsDevice::GetInstance();
    if (colour != nullptr) {
        cbSprite_.g_color = *colour;
        spritePending_ = true;
    }
    if (!Ready()) return;
    device.BindTexture(0, texture);
    UploadSpriteIfPending();

    SpriteQuad q = ComputeSpriteQuad(static_cast<float>(texture->GetWidth()), static_cast<float>(texture->GetHeight()),
                                     x, y, width, height, source, pivot);
    if (texture->IsRenderTarget()) {
        // A rendered picture is stored bottom row first.
        q.vTop = 1.0f - q.vTop;
        q.vBottom = 1.0f - q.vBottom;
    }
    device.SetVertexLayout(VertexLayout::Sprite);
    // Split only where the transform keeps the quad's edges upright: the
    // parts' outer edges then lie exactly on the whole quad's, and cover
    // the same pixels (a turned edge, placed from other corners, may round
    // a pixel on it the other way).
    const Matrix& m = cbSprite_.g_mTransform;
    const bool upright = m._12 == 0.0f && m._21 == 0.0f && m._14 == 0.0f && m._24 == 0.0f;
    SpriteQuad parts[4];
    const int partCount = g_skipClearInteriors && upright
                              ? SpriteFrameParts(q, texture->GetWidth(), texture->GetHeight(),
                                                 texture->ClearInterior(), parts)
                              : 0;
    float corners[4][5];
    if (partCount == 0) {
        SpriteCorners(q, corners);
        device.DrawVertices(Topology::TriangleStrip, 4, corners, 20);
    } else {
        // Each part's corners, as the whole quad's, in two triangles.
        float list[4 * 6][5];
        int n = 0;
        for (int i = 0; i < partCount; ++i) {
            SpriteCorners(parts[i], corners);
            for (int corner : {0, 1, 2, 2, 1, 3}) std::memcpy(list[n++], corners[corner], sizeof(corners[0]));
        }
        device.DrawVertices(Topology::TriangleList, static_cast<unsigned>(n), list, 20);
    }
    device.BindTexture(0, nullptr);
}

int ShaderManager::SpriteFrameParts(const SpriteQuad& q, int textureWidth, int textureHeight,
                                    const TexelRect& clear, SpriteQuad parts[4]) {
    if (clear.Empty() || textureWidth <= 0 || textureHeight <= 0) return 0;
    if (!(q.x1 > q.x0 && q.y1 > q.y0 && q.uRight > q.uLeft && q.vBottom > q.vTop)) return 0;
    // The clear texels one texel in from the rectangle's edge: a filtered
    // sample anywhere in there reads clear texels only.
    const float w = static_cast<float>(textureWidth), h = static_cast<float>(textureHeight);
    const float u0 = std::max(static_cast<float>(clear.left + 1) / w, q.uLeft);
    const float u1 = std::min(static_cast<float>(clear.right - 1) / w, q.uRight);
    const float v0 = std::max(static_cast<float>(clear.top + 1) / h, q.vTop);
    const float v1 = std::min(static_cast<float>(clear.bottom - 1) / h, q.vBottom);
    if (!(u1 > u0 && v1 > v0)) return 0;
    // Where the hole lies in the quad (v runs down the texture, y up the
    // screen).
    const float hx0 = q.x0 + (u0 - q.uLeft) / (q.uRight - q.uLeft) * (q.x1 - q.x0);
    const float hx1 = q.x0 + (u1 - q.uLeft) / (q.uRight - q.uLeft) * (q.x1 - q.x0);
    const float hyLow = q.y0 + (q.vBottom - v1) / (q.vBottom - q.vTop) * (q.y1 - q.y0);
    const float hyHigh = q.y0 + (q.vBottom - v0) / (q.vBottom - q.vTop) * (q.y1 - q.y0);
    // A hole under a quarter of the quad saves less than the extra
    // triangles cost.
    if ((hx1 - hx0) * (hyHigh - hyLow) * 4.0f < (q.x1 - q.x0) * (q.y1 - q.y0)) return 0;
    int n = 0;
    auto add = [&](float x0, float y0, float x1, float y1, float uLeft, float uRight, float vTop, float vBottom) {
        if (!(x1 > x0 && y1 > y0)) return;
        parts[n++] = SpriteQuad{x0, y0, x1, y1, uLeft, uRight, vTop, vBottom};
    };
    add(q.x0, q.y0, q.x1, hyLow, q.uLeft, q.uRight, v1, q.vBottom);   // below the hole
    add(q.x0, hyHigh, q.x1, q.y1, q.uLeft, q.uRight, q.vTop, v0);     // above it
    add(q.x0, hyLow, hx0, hyHigh, q.uLeft, u0, v0, v1);               // left of it
    add(hx1, hyLow, q.x1, hyHigh, u1, q.uRight, v0, v1);              // right of it
    return n;
}

void ShaderManager::SetSkipClearInteriors(bool on) { g_skipClearInteriors = on; }

void ShaderManager::End2D() {
    if (!in2D_) return;
    GraphicsDevice& device = GraphicsDevice::GetInstance();
    device.SetDepthStencilState(savedDepth_);
    device.SetRasterizerState(savedRaster_);
    device.SetPixelSampler(0, savedSampler_);
    savedDepth_ = nullptr;
    savedRaster_ = nullptr;
    savedSampler_ = nullptr;
    in2D_ = false;
}

// ---- camera

void ShaderManager::SetView(const Matrix& view) { CameraBlock().g_mV = view; }

void ShaderManager::SetProjection(const Matrix& projection) { CameraBlock().g_mP = projection; }

void ShaderManager::UploadCamera() {
    UploadBlock(ubo_[kCamera], &cbCamera_, sizeof(cbCamera_));
    cameraPending_ = false;
}

// ---- lights

void ShaderManager::SetAmbientLight(const Vector3& colour) { LightBlock().g_AmbientLight = colour; }

void ShaderManager::SetDirectionalLight(const Vector3& direction, const Vector3& colour) {
    CbLight& light = LightBlock();
    const float length = std::sqrt(direction.x * direction.x + direction.y * direction.y + direction.z * direction.z);
    // A zero direction stays zero (no directional light) rather than NaN.
    light.g_DL_Dir = length > 0.0f ? Vector3(direction.x / length, direction.y / length, direction.z / length)
                                   : Vector3(0.0f, 0.0f, 0.0f);
    light.g_DL_Color = colour;
}

void ShaderManager::AddPointLight(const Vector3& colour, const Vector3& position, float radius) {
    if (cbLight_.g_PL_Num < 0) cbLight_.g_PL_Num = 0;
    if (cbLight_.g_PL_Num >= kMaxPointLights) return;
    PointLight& p = cbLight_.g_PL[cbLight_.g_PL_Num];
    p.color = colour;
    p.pos = position;
    p.radius = radius;
    ++cbLight_.g_PL_Num;
    lightPending_ = true;
}

void ShaderManager::UploadPointLights(const PointLight* lights, int count) {
    if (count < 0) count = 0;
    if (count > kMaxPointLights) count = kMaxPointLights;
    for (int i = 0; i < count; ++i) cbLight_.g_PL[i] = lights[i];
    cbLight_.g_PL_Num = count;
    if (!Ready() || ubo_[kLight] == 0) return;
    glBindBuffer(GL_UNIFORM_BUFFER, ubo_[kLight]);
    if (count > 0)
        glBufferSubData(GL_UNIFORM_BUFFER, offsetof(CbLight, g_PL), static_cast<GLsizeiptr>(sizeof(PointLight) * count),
                        cbLight_.g_PL);
    glBufferSubData(GL_UNIFORM_BUFFER, offsetof(CbLight, g_PL_Num), sizeof(int), &cbLight_.g_PL_Num);
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
}

void ShaderManager::BeginFrameLights() {
    lightPending_ = true;
    cbLight_.g_PL_Num = 0;
}

void ShaderManager::UploadLightsIfPending() {
    if (lightPending_) UploadLights();
}

void ShaderManager::UploadLights() {
    UploadBlock(ubo_[kLight], &cbLight_, sizeof(cbLight_));
    lightPending_ = false;
}
