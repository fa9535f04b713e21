#version 330 core
// Where the driver has it, "precise" keeps the additions that make a pixel's
// colour as written (not fused with the products before them), so a variant
// that leaves out a term that adds nothing gives the same bits.
#ifdef GL_ARB_gpu_shader5
#extension GL_ARB_gpu_shader5 : enable
#define PRECISE precise
#else
#define PRECISE
#endif
// Model pixel program: base colour, directional light, point lights,
// ambient and emissive terms, all scaled by the base colour's alpha, then
// distance fog.
//
// Built in variants: the program prepends "#define NO_ALPHA_TEST" for
// subsets whose pixels can never be dropped (no discard lets the renderer
// test depth before shading), and NO_MR_TEXTURE / NO_EMISSIVE_TEXTURE for
// subsets whose texture is the white one (or whose emissive factor is 0):
// a white texel times the factor is the factor, so the picture is the same.
// NO_POINT_LIGHTS leaves out the point-light loop for draws with no point
// light on the device (g_PL_Num is 0: the loop would add nothing).

layout(std140, row_major) uniform cbObject {
    mat4 g_mW;
    vec2 g_UVOffset;
    vec2 g_UVTiling;
    int g_LightEnable;
    float g_AlphaTestThreshold;
    vec2 cbObject_pad;
};

struct Material {
    vec4 BaseColor;
    vec3 Emissive;
    float Metallic;
    float Roughness;
};

layout(std140, row_major) uniform cbMaterial {
    Material g_Material;
};

layout(std140, row_major) uniform cbCamera {
    mat4 g_mV;
    mat4 g_mP;
    vec3 g_CamPos;
    int g_DistanceFogEnable;
    vec3 g_DistanceFogColor;
    float g_DistanceFogDensity;
};

struct PointLight {
    vec3 color;
    float radius;
    vec3 pos;
    float tmp4;
};

layout(std140, row_major) uniform cbLight {
    vec3 g_AmbientLight;
    vec3 g_DL_Dir;
    vec3 g_DL_Color;
    PointLight g_PL[100];
    int g_PL_Num;
    float cbLight_pad0;
    float cbLight_pad1;
    float cbLight_pad2;
};

uniform sampler2D g_baseTex;
uniform sampler2D g_emissiveTex;
uniform sampler2D g_mrTex;

in vec2 vUV;
in vec3 vWorldPos;
in vec3 vNormal;
in vec4 vColor;

out vec4 fragColor;

vec3 LightTerm(vec3 N, vec3 V, vec3 Ld, vec3 Lc, float k, vec3 diffuseColor, vec3 specularColor,
               float power) {
    float diffuse = clamp(dot(N, Ld), 0.0, 1.0);
    float specular = pow(clamp(dot(N, normalize(V + Ld)), 0.0, 1.0), power);
    return k * Lc * (diffuseColor * diffuse * 0.31831 + specularColor * specular * (power + 2.0) * 0.159155);
}

void main() {
    vec4 baseColor = g_Material.BaseColor;
    vec4 c = texture(g_baseTex, vUV) * baseColor * vColor;
#ifndef NO_ALPHA_TEST
    if (g_AlphaTestThreshold >= c.a) discard;
#endif

    vec3 toCam = g_CamPos - vWorldPos;
    float d = length(toCam);
    PRECISE vec3 color;
    if (g_LightEnable == 0) {
        color = c.rgb * baseColor.a;
    } else {
        vec3 N = normalize(vNormal);
#ifdef NO_MR_TEXTURE
        vec4 mr = vec4(1.0);
#else
        vec4 mr = texture(g_mrTex, vUV);
#endif
        float metallic = mr.b * g_Material.Metallic;
        float roughness = mr.g * g_Material.Roughness;
        vec3 diffuseColor = c.rgb * (1.0 - metallic);
        vec3 specularColor = vec3(0.04) + (c.rgb - vec3(0.04)) * metallic;
        float power = exp2(13.0 * (1.0 - roughness));
        vec3 V = toCam / d;

        color = LightTerm(N, V, -g_DL_Dir, g_DL_Color, 1.0, diffuseColor, specularColor, power) * baseColor.a;
#ifndef NO_POINT_LIGHTS
        for (int i = 0; i < g_PL_Num && i < 100; ++i) {
            vec3 L = g_PL[i].pos - vWorldPos;
            float dist = length(L);
            if (dist < g_PL[i].radius) {
                float k = clamp(1.0 - dist / g_PL[i].radius, 0.0, 1.0);
                color += LightTerm(N, V, L / dist, g_PL[i].color, k, diffuseColor, specularColor, power) *
                         baseColor.a;
            }
        }
#endif
        color += c.rgb * g_AmbientLight * baseColor.a;
#ifdef NO_EMISSIVE_TEXTURE
        color += g_Material.Emissive * baseColor.a;
#else
        color += texture(g_emissiveTex, vUV).rgb * g_Material.Emissive * baseColor.a;
#endif
    }

    if (g_DistanceFogEnable != 0) {
        float f = min(exp(-d * g_DistanceFogDensity), 1.0);
        color = g_DistanceFogColor + f * (color - g_DistanceFogColor);
    }
    fragColor = vec4(color, c.a);
}
