#version 110
// Makes the floating "idea" object wobble: every vertex moves along its normal by a smooth,
// slowly travelling pattern of waves. "noise" is the time in seconds that drives the pattern,
// "size" the largest displacement in model units (0 leaves the model as it was made).

uniform float noise;
uniform float size;

varying vec3 eyeNormal;
varying vec3 eyePosition;
varying vec2 diffuseCoord;

// A smooth value in [-1, 1] that varies over the surface and in time; three crossed waves
// with unrelated frequencies, so the pattern never visibly repeats.
float wobble(vec3 p, float t)
{
    float a = sin(p.x * 2.3 + t * 1.7) * cos(p.y * 1.9 - t * 1.3);
    float b = sin(p.z * 2.9 + p.x * 0.7 + t * 2.1);
    float c = cos(p.y * 3.7 + p.z * 1.1 - t * 0.9);
    return (a + b * 0.6 + c * 0.4) / 2.0;
}

void main()
{
    vec3 normal = normalize(gl_Normal);
    vec4 moved = vec4(gl_Vertex.xyz + normal * (size * wobble(gl_Vertex.xyz, noise)), 1.0);

    vec4 eye = gl_ModelViewMatrix * moved;
    eyePosition = eye.xyz / eye.w;
    eyeNormal = normalize(gl_NormalMatrix * normal);
    diffuseCoord = (gl_TextureMatrix[0] * gl_MultiTexCoord0).st;
    gl_FrontColor = gl_Color;
    gl_Position = gl_ProjectionMatrix * eye;
}
