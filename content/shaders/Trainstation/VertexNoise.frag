#version 110
// Shades the wobbling "idea" object: its material colour (mixed towards its diffuse map by
// the map's amount) lit by a soft light at the viewer, with a bright rim where the surface
// turns away, so the moving outline reads against the station photographs.

uniform sampler2D diffuse_map;
uniform float diffuse_amount;

varying vec3 eyeNormal;
varying vec3 eyePosition;
varying vec2 diffuseCoord;

void main()
{
    vec3 normal = normalize(eyeNormal);
    vec3 toEye = normalize(-eyePosition);
    float facing = abs(dot(normal, toEye));

    vec4 base = mix(gl_Color, texture2D(diffuse_map, diffuseCoord), diffuse_amount);
    float light = 0.35 + 0.65 * facing;
    float rim = pow(1.0 - facing, 3.0);
    gl_FragColor = vec4(base.rgb * light + vec3(0.55, 0.7, 1.0) * rim, base.a);
}
