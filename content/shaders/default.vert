// Model shader, vertex stage: hands the eye-space normal and position to the fragment stage
// for per-pixel lighting, the diffuse coordinate through texture matrix 0, and a sphere-mapped
// reflection coordinate. The position is the fixed-function transform.
//
// Models may carry baked light in texture coordinate set 1: (colour, mode). The colour is
// packed as red + 256 green + 65536 blue, each in 256 steps from 0 to 6. mode = bake + 2 x
// haze: bake (0 to 1) is how much the baked light replaces the lamps' light; haze (0 or 1)
// lets the fragment stage fade the surface into the night's haze. A model without them reads
// the current coordinates, (0, 0), and is lit as before.
#version 110

varying vec3 normal;
varying vec3 eyePosition;
varying vec2 diffuse_coord;
varying vec2 reflection_coord;
varying vec4 baked;
varying float haze;

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

    float light = gl_MultiTexCoord1.s;
    vec3 colour = vec3(mod(light, 256.0), mod(floor(light / 256.0), 256.0),
                       floor(light / 65536.0)) * (6.0 / 255.0);
    float mode = gl_MultiTexCoord1.t;
    haze = step(1.5, mode);
    baked = vec4(colour, mode - 2.0 * haze);

    gl_Position = ftransform();
}
