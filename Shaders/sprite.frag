#version 330 core
// Sprite pixel program: texture times the sprite colour; fully transparent
// texels are dropped.

layout(std140, row_major) uniform cbSprite {
    mat4 g_mTransform;
    vec4 g_color;
};

uniform sampler2D g_inputTex;

in vec2 vUV;

out vec4 fragColor;

void main() {
    vec4 t = texture(g_inputTex, vUV);
    if (t.a <= 0.0) discard;
    fragColor = t * g_color;
}
