// Model shader, fragment stage. The model loader binds a material's maps to the uniforms
// "<property>_map" and "<property>_amount": the diffuse map is mixed into the material colour
// by diffuse_amount, then the sphere-mapped reflection map by reflection_amount times the
// diffuse texel's alpha (an opaque picture mirrors evenly; wet patches of a street's
// picture mirror more than dry ones). Lit per pixel by fixed-function lights 0 and 1, each
// with its own colours. The engine builds copies of this stage for the draws that allow them:
// LIGHT_COUNT 1 (light 1 black, adding nothing) and DIRECTIONAL_LIGHTS (no attenuation to
// work out) give the same picture as this full stage; NO_SPECULAR (a material without a
// specular highlight, always with directional lights) takes the ambient and wrapped diffuse
// light from the vertex stage instead, the same picture on flat faces, and on curved ones
// the light interpolated between their vertices.
// Bright texels of the diffuse map (lit windows) glow on their own, so they stay bright on
// the dark side of a building. Alpha is the material's.
//
// Baked light (see the vertex stage): a material whose diffuse_amount is above 1.5 skips the
// lights: its picture (with the reflection mixed in) is multiplied by the light baked into
// its vertices, its bright texels glow as above, and it fades with distance into the colour
// of the night's haze.
#version 110

#ifndef LIGHT_COUNT
#define LIGHT_COUNT 2
#endif

uniform sampler2D diffuse_map;
uniform sampler2D reflection_map;
uniform float diffuse_amount;
uniform float reflection_amount;

varying vec3 normal;
varying vec3 eyePosition;
varying vec2 diffuse_coord;
varying vec2 reflection_coord;
varying vec3 baked;
varying float fade;
varying vec3 vertexLight;

// Wrapped diffuse: a surface at right angles to a light still catches a third of it, so the
// walls of a street lit from above stay readable at night; surfaces facing away get nothing.
const float WRAP = 0.5;

// The colour distant baked surfaces fade into: the haze over the city at night.
const vec3 HAZE_COLOUR = vec3(0.105, 0.085, 0.15);

#ifndef NO_SPECULAR
// Adds one light's ambient, diffuse and specular parts; directional when position.w is 0.
void addLight(gl_LightSourceParameters light, vec3 n, vec3 toViewer,
              inout vec3 ambient, inout vec3 diffuse, inout vec3 specular)
{
    vec3 toLight = light.position.xyz;
    float attenuation = 1.0;
#ifndef DIRECTIONAL_LIGHTS
    if (light.position.w != 0.0) {
        toLight = light.position.xyz / light.position.w - eyePosition;
        float d = length(toLight);
        attenuation = 1.0 / (light.constantAttenuation + light.linearAttenuation * d +
                             light.quadraticAttenuation * d * d);
    }
#endif
    toLight = normalize(toLight);
    float nDotL = dot(n, toLight);
    ambient += light.ambient.rgb * attenuation;
    diffuse += light.diffuse.rgb * max(0.0, (nDotL + WRAP) / (1.0 + WRAP)) * attenuation;
    float nDotVP = max(0.0, nDotL);
    float nDotHV = max(0.0, dot(n, normalize(toLight + toViewer)));
    float factor = 0.0;
    if (nDotVP > 0.0 && gl_FrontMaterial.shininess > 0.0)
        factor = pow(nDotHV, gl_FrontMaterial.shininess);
    specular += light.specular.rgb * factor * attenuation;
}

#endif

void main()
{
    vec4 texel = texture2D(diffuse_map, diffuse_coord);
    // A baked material shows its picture as it is (its diffuse_amount above 1 says "baked").
    float amount = min(diffuse_amount, 1.0);
    vec3 base = mix(gl_FrontMaterial.diffuse.rgb, texel.rgb, amount);
    vec3 pixel = base;
    if (reflection_amount > 0.0)
        pixel = mix(base, texture2D(reflection_map, reflection_coord).rgb,
                    reflection_amount * texel.a);

    vec3 lit;
    if (diffuse_amount > 1.5) {
        lit = pixel * baked;
    } else {
#ifdef NO_SPECULAR
        lit = vertexLight * pixel;
#else
        vec3 n = normalize(normal);
        if (!gl_FrontFacing)
            n = -n;
        vec3 toViewer = normalize(-eyePosition);
        vec3 ambient = gl_LightModel.ambient.rgb;
        vec3 diffuse = vec3(0.0);
        vec3 specular = vec3(0.0);
        addLight(gl_LightSource[0], n, toViewer, ambient, diffuse, specular);
#if LIGHT_COUNT > 1
        addLight(gl_LightSource[1], n, toViewer, ambient, diffuse, specular);
#endif
        lit = (ambient + diffuse) * pixel + specular * gl_FrontMaterial.specular.rgb;
#endif
    }

    float brightness = max(texel.r, max(texel.g, texel.b));
    float glow = smoothstep(0.6, 0.85, brightness) * amount;
    vec3 colour = max(lit, texel.rgb * glow);
    gl_FragColor = vec4(mix(colour, HAZE_COLOUR, fade), gl_FrontMaterial.diffuse.a);
}
