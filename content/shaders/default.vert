// Model shader, vertex stage: hands the eye-space normal and position to the fragment stage
// for per-pixel lighting, the diffuse coordinate through texture matrix 0, and a sphere-mapped
// reflection coordinate. The position is the fixed-function transform.
#version 110

varying vec3 normal;
varying vec3 eyePosition;
varying vec2 diffuse_coord;
varying vec2 reflection_coord;

void main()
{
    normal = normalize(gl_NormalMatrix * gl_Normal);
    vec4 eye = gl_ModelViewMatrix * gl_Vertex;
    eyePosition = eye.xyz / eye.w;
    diffuse_coord = (gl_TextureMatrix[0] * gl_MultiTexCoord0).xy;

    vec3 u = normalize(eyePosition);
    vec3 r = reflect(u, normal);
    float m = 2.0 * sqrt(r.x * r.x + r.y * r.y + (r.z + 1.0) * (r.z + 1.0));
    reflection_coord = vec2(r.x / m + 0.5, r.y / m + 0.5);

    gl_Position = ftransform();
}
