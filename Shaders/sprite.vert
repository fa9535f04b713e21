#version 330 core
// Sprite vertex program: 2D positions through the sprite transform and the
// orthographic projection (origin at the screen centre, y up).

layout(std140, row_major) uniform cbSprite {
    mat4 g_mTransform;
    vec4 g_color;
};

layout(std140, row_major) uniform cbProjection {
    mat4 g_mProj;
};

layout(location = 0) in vec3 inPos;
layout(location = 1) in vec2 inUV;

out vec2 vUV;

void main() {
    vec4 clip = vec4(inPos, 1.0) * g_mTransform * g_mProj;
    clip.z = 2.0 * clip.z - clip.w;
    gl_Position = clip;
    vUV = inUV;
}
