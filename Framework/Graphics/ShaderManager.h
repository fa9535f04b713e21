// The three shader sets (models, effects, sprites) and the frame-wide
// constant blocks (camera, lights). Draws models, effect geometry and 2D
// sprites. The block structs below mirror the GPU uniform blocks byte for
// byte (std140); callers write their members and mark them for upload.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "Framework/Graphics/GraphicsDevice.h"
#include "Framework/Math/SimpleMath.h"

class VeModel;
class VeMesh;
class VeTexture;
struct VeModelMaterial;
struct VeSubset;

struct CbObject {            // slot 0 of the model set, 96 bytes
    Matrix g_mW;             // 0
    Vector2 g_UVOffset;      // 64
    Vector2 g_UVTiling{1.0f, 1.0f};  // 72
    int g_LightEnable = 1;   // 80
    float g_AlphaTestThreshold = 0.0f;  // 84
    float pad_[2] = {0, 0};
};
struct CbMaterial {          // slot 1 of the model set, 48 bytes
    Vector4 BaseColor;       // 0
    Vector3 Emissive;        // 16
    float Metallic = 0.0f;   // 28
    float Roughness = 0.0f;  // 32
    float pad_[3] = {0, 0, 0};
};
struct CbPerObject {         // slot 0 of the effect set, 96 bytes
    Matrix g_mW;             // 0
    Vector2 g_UVOffset;      // 64
    Vector2 g_UVTiling{1.0f, 1.0f};  // 72
    float g_AlphaTestThreshold = 0.0f;  // 80
    float pad_[3] = {0, 0, 0};
};
struct CbSprite {            // slot 0 of the sprite set, 80 bytes
    Matrix g_mTransform;     // 0
    Vector4 g_color{1, 1, 1, 1};  // 64
};
struct CbProjection {        // slot 1 of the sprite set, 64 bytes
    Matrix g_mProj;
};
struct CbCamera {            // slot 7, 160 bytes
    Matrix g_mV;             // 0
    Matrix g_mP;             // 64
    Vector3 g_CamPos;        // 128
    int g_DistanceFogEnable = 0;  // 140
    Vector3 g_DistanceFogColor{1, 1, 1};  // 144
    float g_DistanceFogDensity = 0.001f;  // 156
};
struct PointLight {          // 32 bytes
    Vector3 color{3, 3, 3};  // 0
    float radius = 0.0f;     // 12
    Vector3 pos;             // 16
    float tmp4 = 0.0f;       // 28
};
constexpr int kMaxPointLights = 100;
struct CbLight {             // slot 8, 3,264 bytes
    Vector3 g_AmbientLight;  // 0
    float pad0_ = 0;
    Vector3 g_DL_Dir{0, -1, 0};  // 16
    float pad1_ = 0;
    Vector3 g_DL_Color{1, 1, 1};  // 32
    float pad2_ = 0;
    PointLight g_PL[kMaxPointLights];  // 48
    int g_PL_Num = 0;        // 3,248
    float pad3_[3] = {0, 0, 0};
};

static_assert(sizeof(CbObject) == 96, "cbObject layout");
static_assert(sizeof(CbMaterial) == 48, "cbMaterial layout");
static_assert(sizeof(CbPerObject) == 96, "cbPerObject layout");
static_assert(sizeof(CbSprite) == 80, "cbSprite layout");
static_assert(sizeof(CbCamera) == 160, "cbCamera layout");
static_assert(sizeof(CbLight) == 3264, "cbLight layout");
static_assert(offsetof(CbLight, g_PL_Num) == 3248, "cbLight layout");

// Source rectangle of a sprite in texels: left, top, width, height.
struct SpriteRect {
    float left = 0, top = 0, width = 0, height = 0;
};

// One quad of a run of effect quads drawn together (cbQuads, 80 bytes).
struct CbQuad {
    Matrix mW;              // 0
    Vector2 uvOffset;       // 64
    float pad_[2] = {0, 0};
};
static_assert(sizeof(CbQuad) == 80, "cbQuads entry layout");

struct TexelRect;

// Corners and texture coordinates of a sprite quad, as DrawTexture computes
// them (exposed for tests).
struct SpriteQuad {
    float x0, y0, x1, y1;
    float uLeft, uRight, vTop, vBottom;
};

class ShaderManager {
public:
    static ShaderManager& GetInstance();

    // Uniform-block binding points. GL shares them between the stages and
    // programs, so each set's blocks get their own points; camera and light
    // keep 7 and 8.
    static constexpr unsigned kBindObject = 0;
    static constexpr unsigned kBindMaterial = 1;
    static constexpr unsigned kBindPerObject = 2;
    static constexpr unsigned kBindSprite = 3;
    static constexpr unsigned kBindProjection = 4;
    static constexpr unsigned kBindQuads = 5;
    // Quads a run of effects draws at most at once (the size of cbQuads).
    static constexpr int kQuadsPerDraw = 200;
    static constexpr unsigned kBindInstances = 6;
    // World matrices one instanced draw takes at most (the size of
    // cbInstances: 16 KB, the least any GL 3.3 device offers).
    static constexpr int kInstancesPerDraw = 256;
    static constexpr unsigned kBindCamera = 7;
    static constexpr unsigned kBindLight = 8;

    // Compiles and links the programs and creates the blocks (nothing without
    // a device, but the CPU-side blocks always exist). Returns false when a
    // program cannot be built; GetErrorText then says which and why.
    bool Init();
    void Release();
    const std::string& GetErrorText() const { return errorText_; }

    // ---- model set
    void SetModelShader();
    void SetObjectMatrix(const Matrix& m) { objectMatrix_ = m; }
    const Matrix& GetObjectMatrix() const { return objectMatrix_; }
    CbObject& ObjectBlock() { objectPending_ = true; return cbObject_; }
    // Draws every mesh node of the model with the colour multiplier.
    void DrawModel(const VeModel* model, float r, float g, float b, float a);

    // The pieces DrawModel is made of, for a renderer that picks its own
    // nodes and subsets:
    // The material a subset draws with: none for an empty subset or a
    // material index outside the model's materials.
    static const VeModelMaterial* SubsetMaterial(const VeModel& model, const VeSubset& subset);
    // Uploads cbObject as it stands.
    void UploadObject();
    // cbMaterial from the material and the colour multiplier, uploaded, and
    // the material's three textures bound (white where it has none). With
    // the mesh whose subset is drawn, and the model set bound, also the
    // model program's variant that subset needs (see below).
    void ApplyMaterial(const VeModelMaterial& material, float r, float g, float b, float a,
                       const VeMesh* mesh = nullptr);
    // True when a subset of this mesh drawn with this material, draw alpha
    // and alpha test certainly hides what lies behind it (the depth pass
    // lays down its depth).
    static bool HidesWhatIsBehind(const VeMesh& mesh, const VeModelMaterial& material, float a,
                                  float alphaTestThreshold);
    bool InDepthPass() const { return inDepthPass_; }

    // Depth pass: between these two calls DrawModel draws depth only, and
    // only the subsets that certainly hide what lies behind them (alpha 1 in
    // material, draw colour, texture and vertex colours, and no alpha test
    // that could drop a pixel); the rest are left to the shaded pass. Drawing
    // the same models again afterwards gives the picture and depths they
    // would give without the pass, with each hidden pixel left unshaded.
    // BeginDepthPass returns false (and does nothing) without a device or
    // when the pass is switched off; EndDepthPass goes back to the model set.
    bool BeginDepthPass();
    void EndDepthPass();
    // On by default; benchmarks and tests compare pictures without it.
    void SetDepthPassEnabled(bool on) { depthPassEnabled_ = on; }
    bool IsDepthPassEnabled() const { return depthPassEnabled_; }

    // The model program comes in variants that leave out work a subset does
    // not need: the alpha test where no pixel can be dropped (so a CPU
    // renderer tests depth before shading), and the metal-roughness and
    // emissive samples where the texture is the white one (or the emissive
    // factor 0), and the point-light loop where no point light is on the
    // device (a CPU renderer runs a loop's body once, masked, even when it
    // has nothing to do). DrawModel picks one per subset; the picture is the
    // same. On by default; benchmarks and tests compare without them.
    void SetShaderVariantsEnabled(bool on) { variantsEnabled_ = on; }
    bool ShaderVariantsEnabled() const { return variantsEnabled_; }
    static constexpr int kNoAlphaTest = 1, kNoMrTexture = 2, kNoEmissiveTexture = 4, kNoPointLights = 8,
                         kModelVariants = 16;
    static int ModelVariant(bool opaque, bool whiteMr, bool noEmissive, bool noPointLights);
    // The program of a variant (0 without a device), and the one DrawModel
    // last drew with.
    unsigned GetModelVariantProgram(int variant) const {
        return variant >= 0 && variant < kModelVariants ? modelVariants_[variant] : 0;
    }
    unsigned GetBoundModelProgram() const { return boundModelProgram_; }
    // Subsets drawn with each variant so far (tests, benchmarks).
    unsigned long ModelVariantDraws(int variant) const {
        return variant >= 0 && variant < kModelVariants ? variantDraws_[variant] : 0;
    }

    // Instanced drawing: between BeginInstancing and EndInstancing the model
    // programs (ApplyMaterial's choice, or the depth pass's) are their
    // instanced builds, which take each instance's world matrix from
    // cbInstances (written by UploadInstances) by instance number instead of
    // cbObject's g_mW; cbObject's other values hold for every instance. The
    // instanced builds are linked on first use. BeginInstancing returns false
    // (and changes nothing) without a device or when the depth pass's build
    // fails; InstancedProgramBound says whether the program ApplyMaterial
    // bound is an instanced one (false when its build failed: draw one by
    // one then).
    bool BeginInstancing();
    void EndInstancing();
    bool InstancedProgramBound() const { return instancing_ && instancedBound_; }
    void UploadInstances(const Matrix* worlds, int count);
    // The instanced build of a model variant (0 without a device or when it
    // cannot be built), linked now if it has not been tried yet.
    unsigned InstancedVariant(int variant);

    // ---- effect set
    // alphaTest false asks for the build without the alpha test, taken when
    // the quads write no depth and the threshold is 0 or below: blending a
    // texel the test would drop changes nothing, and a program that never
    // discards lets the renderer test depth before shading.
    void SetEffectShader(bool alphaTest = true);
    // The effect shaders for runs of quads: each quad's world matrix and
    // texture offset from cbQuads (written by UploadQuads) instead of
    // cbPerObject, whose other values stay in force.
    void SetEffectBatchShader(bool alphaTest = true);
    void UploadQuads(const CbQuad* quads, int count);
    CbPerObject& PerObjectBlock() { return cbPerObject_; }
    void UploadPerObject();

    // ---- sprite set
    void Begin2D(bool linearFilter, bool depthOff);
    // Draws a texture quad at (x, y) of width x height in sprite coordinates
    // (origin at the screen centre, y up). source == nullptr means the whole
    // texture; colour == nullptr keeps g_color.
    void DrawTexture(const VeTexture* texture, float x, float y, float width, float height,
                     const SpriteRect* source, const Vector4* colour, Vector2 pivot);
    void End2D();
    bool In2D() const { return in2D_; }
    CbSprite& SpriteBlock() { spritePending_ = true; return cbSprite_; }
    void SetTransform(const Matrix& m) { SpriteBlock().g_mTransform = m; }
    static SpriteQuad ComputeSpriteQuad(float textureWidth, float textureHeight, float x, float y,
                                        float width, float height, const SpriteRect* source,
                                        Vector2 pivot);
    // The parts of a sprite quad around the texture's clear interior (a
    // frame's transparent middle, whose pixels the sprite program drops),
    // so those pixels are not shaded at all: up to four quads, as corners
    // x0, y0, x1, y1 with their texture coordinates. Returns 0 (draw the
    // quad whole) when the texture has no clear interior or the quad shows
    // too little of it to be worth splitting. A texel's margin is kept, so
    // no pixel left out could have taken a filtered sample of a visible
    // texel.
    static int SpriteFrameParts(const SpriteQuad& q, int textureWidth, int textureHeight, const TexelRect& clear,
                                SpriteQuad parts[4]);
    // Whether sprites leave out their textures' clear interiors (on by
    // default; tests and benchmarks compare with it off).
    static void SetSkipClearInteriors(bool on);

    // ---- camera
    CbCamera& CameraBlock() { cameraPending_ = true; return cbCamera_; }
    void SetView(const Matrix& view);
    void SetProjection(const Matrix& projection);
    void UploadCamera();

    // ---- lights
    CbLight& LightBlock() { lightPending_ = true; return cbLight_; }
    void SetAmbientLight(const Vector3& colour);
    void SetDirectionalLight(const Vector3& direction, const Vector3& colour);  // stored normalised
    // Ignored once 100 lights are set this frame.
    void AddPointLight(const Vector3& colour, const Vector3& position, float radius);
    void BeginFrameLights();
    void UploadLightsIfPending();
    void UploadLights();
    // Replaces the point lights with these (at most 100) and uploads only
    // them and their number.
    void UploadPointLights(const PointLight* lights, int count);
    bool LightsPending() const { return lightPending_; }
    int PointLightCount() const { return cbLight_.g_PL_Num; }

    // GL program names (tests read the block layout from them).
    unsigned GetModelProgram() const { return modelProgram_; }
    unsigned GetEffectProgram() const { return effectProgram_; }
    unsigned GetSpriteProgram() const { return spriteProgram_; }
    unsigned GetEffectBatchProgram() const { return effectBatchProgram_; }

private:
    ShaderManager() = default;
    void UploadBlock(unsigned buffer, const void* data, size_t size);
    void UploadSpriteIfPending();
    void UploadProjection();
    bool Ready() const;

    Matrix objectMatrix_;
    CbObject cbObject_;
    CbMaterial cbMaterial_;
    CbPerObject cbPerObject_;
    CbSprite cbSprite_;
    CbProjection cbProjection_;
    CbCamera cbCamera_;
    CbLight cbLight_;
    bool objectPending_ = true, materialPending_ = true, perObjectPending_ = true;
    bool spritePending_ = true, projectionPending_ = true, cameraPending_ = true, lightPending_ = true;
    bool in2D_ = false;

    void DrawModelDepth(const VeModel* model, float a);
    bool depthPassEnabled_ = true;
    bool inDepthPass_ = false;

    unsigned modelProgram_ = 0, effectProgram_ = 0, spriteProgram_ = 0, depthProgram_ = 0;
    unsigned effectBatchProgram_ = 0;
    // The two effect programs built without the alpha test.
    unsigned effectUntestedProgram_ = 0, effectBatchUntestedProgram_ = 0;
    unsigned EffectProgram(bool batch, bool alphaTest) const;
    unsigned modelVariants_[kModelVariants] = {};
    unsigned BuildModelVariant(int variant, bool instanced, std::string& errors);
    unsigned BuildDepthProgram(bool instanced, std::string& errors);
    unsigned instancedVariants_[kModelVariants] = {};
    bool instancedTried_[kModelVariants] = {};
    unsigned depthInstancedProgram_ = 0;
    bool depthInstancedTried_ = false;
    bool instancing_ = false, instancedBound_ = false;
    // The model variant in use while the model set is bound (0 otherwise).
    unsigned boundModelProgram_ = 0;
    bool variantsEnabled_ = true;
    unsigned long variantDraws_[kModelVariants] = {};
    std::string errorText_;
    unsigned ubo_[9] = {};  // object, material, perObject, sprite, projection, camera, light, quads, instances

    std::unique_ptr<DepthStencilState> depthOff_;
    std::unique_ptr<RasterizerState> spriteRaster_;
    std::unique_ptr<SamplerState> spritePoint_, spriteLinear_;
    const DepthStencilState* savedDepth_ = nullptr;
    const RasterizerState* savedRaster_ = nullptr;
    const SamplerState* savedSampler_ = nullptr;
};
