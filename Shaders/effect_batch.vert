#version 330 core
// Effect vertex program for runs of quads drawn together: the same as
// effect.vert, with each quad's world matrix and texture offset taken from
// cbQuads (four vertices a quad, in order) instead of cbPerObject.

layout(std140, row_major) uniform cbPerObject {
    mat4 g_mW;
    vec2 g_UVOffset;
    vec2 g_UVTiling;
    float g_AlphaTestThreshold;
    float cbPerObject_pad0;
    float cbPerObject_pad1;
    float cbPerObject_pad2;
};

layout(std140, row_major) uniform cbCamera {
    mat4 g_mV;
    mat4 g_mP;
    vec3 g_CamPos;
    int g_DistanceFogEnable;
    vec3 g_DistanceFogColor;
    float g_DistanceFogDensity;
};

struct Quad {
    mat4 mW;
    vec2 uvOffset;
    vec2 pad;
};

// Must match Renderer's kQuadsPerDraw (16,000 bytes: within the 16 KB every
// OpenGL 3.3 driver allows a block).
layout(std140, row_major) uniform cbQuads {
    Quad g_Quads[200];
};

layout(location = 0) in vec3 inPos;
layout(location = 1) in vec2 inUV;
layout(location = 3) in vec4 inColor;

out vec2 vUV;
out vec4 vColor;

void main() {
    int quad = gl_VertexID / 4;
    vec4 world = vec4(inPos, 1.0) * g_Quads[quad].mW;
    vec4 clip = world * g_mV * g_mP;
    // The projection gives z in 0..w; GL clips and maps -w..w.
    clip.z = 2.0 * clip.z - clip.w;
    gl_Position = clip;
    vUV = inUV * g_UVTiling + g_Quads[quad].uvOffset;
    vColor = inColor;
}
