// Model shader, vertex stage: hands the eye-space normal and position to the fragment stage
// for per-pixel lighting, the diffuse coordinate through texture matrix 0, a sphere-mapped
// reflection coordinate (only for materials that mirror), and the ambient and wrapped diffuse
// light of directional lights 0 and 1 at the vertex. The position is the fixed-function
// transform.
//
// Baked light: a material whose diffuse_amount is above 1.5 is drawn as its picture under
// the light baked into its vertices, in texture coordinate set 1: (colour, haze). The colour
// is packed as red + 256 green + 65536 blue, each in 256 steps from 0 to 6; haze above 0.5
// fades the surface with distance into the night's haze (the sky has none). Other materials
// are lit by the lights and read neither.
#version 110

uniform float diffuse_amount;
uniform float reflection_amount;

varying vec3 normal;
varying vec3 eyePosition;
varying vec2 diffuse_coord;
varying vec2 reflection_coord;
varying vec3 baked;
varying float fade;
varying vec3 vertexLight;

// The night haze: how quickly it thickens with distance.
const float HAZE_DENSITY = 0.0032;
// Wrapped diffuse, as in the fragment stage.
const float WRAP = 0.5;

// One directional light's ambient and wrapped diffuse parts at a vertex of normal n.
vec3 directionalLight(gl_LightSourceParameters light, vec3 n)
{
    float nDotL = dot(n, normalize(light.position.xyz));
    return light.ambient.rgb + light.diffuse.rgb * max(0.0, (nDotL + WRAP) / (1.0 + WRAP));
}

void main()
{
    normal = normalize(gl_NormalMatrix * gl_Normal);
    vec4 eye = gl_ModelViewMatrix * gl_Vertex;
    eyePosition = eye.xyz / eye.w;
    diffuse_coord = (gl_TextureMatrix[0] * gl_MultiTexCoord0).xy;

    reflection_coord = vec2(0.5);
    if (reflection_amount > 0.0) {
        vec3 u = normalize(eyePosition);
        vec3 r = reflect(u, normal);
        float m = 2.0 * sqrt(r.x * r.x + r.y * r.y + (r.z + 1.0) * (r.z + 1.0));
        reflection_coord = vec2(r.x / m + 0.5, r.y / m + 0.5);
    }

    baked = vec3(0.0);
    fade = 0.0;
    if (diffuse_amount > 1.5) {
        float light = gl_MultiTexCoord1.s;
        baked = vec3(mod(light, 256.0), mod(floor(light / 256.0), 256.0),
                     floor(light / 65536.0)) * (6.0 / 255.0);
        fade = step(0.5, gl_MultiTexCoord1.t) * (1.0 - exp(-HAZE_DENSITY * length(eyePosition)));
    }

    // The light of the fragment stage's NO_SPECULAR build (directional lights; a black
    // light 1 adds nothing).
    vertexLight = gl_LightModel.ambient.rgb + directionalLight(gl_LightSource[0], normal) +
                  directionalLight(gl_LightSource[1], normal);

    gl_Position = ftransform();
}
