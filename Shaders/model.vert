#version 330 core
// Model vertex program: world, view and projection with row vectors.
// Built with INSTANCED, one draw places many copies of a subset: each
// instance's world matrix comes from cbInstances by gl_InstanceID instead
// of cbObject's g_mW (whose other values still hold for every instance).

layout(std140, row_major) uniform cbObject {
    mat4 g_mW;
    vec2 g_UVOffset;
    vec2 g_UVTiling;
    int g_LightEnable;
    float g_AlphaTestThreshold;
    vec2 cbObject_pad;
};

#ifdef INSTANCED
layout(std140, row_major) uniform cbInstances {
    mat4 g_mInstanceW[256];
};
#define WORLD_MATRIX g_mInstanceW[gl_InstanceID]
#else
#define WORLD_MATRIX g_mW
#endif

layout(std140, row_major) uniform cbCamera {
    mat4 g_mV;
    mat4 g_mP;
    vec3 g_CamPos;
    int g_DistanceFogEnable;
    vec3 g_DistanceFogColor;
    float g_DistanceFogDensity;
};

layout(location = 0) in vec3 inPos;
layout(location = 1) in vec2 inUV;
layout(location = 2) in vec3 inNormal;
layout(location = 3) in vec4 inColor;

// The depth pass draws with this same program: positions must come out
// bit-identical in both passes for the "less or equal" test to pass.
invariant gl_Position;

out vec2 vUV;
out vec3 vWorldPos;
out vec3 vNormal;
out vec4 vColor;

void main() {
    vec4 world = vec4(inPos, 1.0) * WORLD_MATRIX;
    vec4 clip = world * g_mV * g_mP;
    // The projection gives z in 0..w; GL clips and maps -w..w.
    clip.z = 2.0 * clip.z - clip.w;
    gl_Position = clip;
    vUV = inUV * g_UVTiling + g_UVOffset;
    vWorldPos = world.xyz;
    vNormal = normalize(inNormal * mat3(WORLD_MATRIX));
    vColor = inColor;
}
