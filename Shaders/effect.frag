#version 330 core
// Effect pixel program: texture times vertex colour, with an alpha test.
// Built a second time with "#define NO_ALPHA_TEST" for quads that write no
// depth: blending a texel of alpha 0 leaves the picture as it was, and
// without a discard the renderer can test depth before shading.

layout(std140, row_major) uniform cbPerObject {
    mat4 g_mW;
    vec2 g_UVOffset;
    vec2 g_UVTiling;
    float g_AlphaTestThreshold;
    float cbPerObject_pad0;
    float cbPerObject_pad1;
    float cbPerObject_pad2;
};

uniform sampler2D g_tex;

in vec2 vUV;
in vec4 vColor;

out vec4 fragColor;

void main() {
    vec4 t = texture(g_tex, vUV) * vColor;
#ifndef NO_ALPHA_TEST
    if (g_AlphaTestThreshold >= t.a) discard;
#endif
    fragColor = t;
}
