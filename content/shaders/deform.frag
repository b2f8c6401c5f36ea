#version 110
// Music-driven warp of the picture. "deform" is 0 in silence (the picture passes unchanged)
// and rises to about 3.5 on loud beats: the centre bulges towards the viewer, a ring ripples
// outwards and the colour channels split slightly, so each beat reads as a pulse.

uniform sampler2D picture;
uniform float deform;

const vec2 kScreenSize = vec2(1024.0, 768.0);

void main()
{
    vec2 uv = gl_TexCoord[0].st;
    vec2 screen = gl_FragCoord.xy / kScreenSize;       // 0..1 over the viewport
    vec2 extent = uv / screen;                          // texture extent of the screen image
    vec2 p = (screen - 0.5) * vec2(4.0 / 3.0, 1.0);     // centred, square units
    float r = length(p);

    float strength = deform / 3.5;
    float bulge = 0.06 * strength * max(0.0, 1.0 - r * 1.4);
    float ripple = 0.006 * strength * sin(r * 38.0 - deform * 2.0) * smoothstep(0.0, 0.3, r);
    vec2 direction = r > 0.0001 ? p / r : vec2(0.0);
    vec2 warped = screen - direction * (bulge * r + ripple) * vec2(0.75, 1.0);

    vec2 split = direction * 0.0025 * strength;
    float red = texture2D(picture, (warped + split) * extent).r;
    vec2 ga = texture2D(picture, warped * extent).ga;
    float blue = texture2D(picture, (warped - split) * extent).b;
    gl_FragColor = vec4(red, ga.x, blue, ga.y);
}
