#version 330 core
// Sprite pixel program: texture times the sprite colour. Nothing is dropped:
// blended, a texel of alpha 0 leaves the picture as it was, and the one
// opaque draw, the copy of the 3D picture, must cover every pixel it spans
// (a dropped pixel would keep what the window held before). A program that
// never discards is also the cheaper one for a CPU renderer.

layout(std140, row_major) uniform cbSprite {
    mat4 g_mTransform;
    vec4 g_color;
};

uniform sampler2D g_inputTex;

in vec2 vUV;

out vec4 fragColor;

void main() {
    vec4 t = texture(g_inputTex, vUV);
    fragColor = t * g_color;
}
