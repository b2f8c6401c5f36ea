#version 110
// Bright-pass for the glow: keeps the bright parts of the picture and drops the rest.
// "glow1" (about 1 to 100, default 47.3) sets how selective the pass is: the luminance is
// raised to glow1 / 10, so higher values keep only the brightest light. "glow2" (about 0 to 10,
// default 1.24) is the gain of what passes. Dark areas give black, so the bloom never washes
// them out.

uniform sampler2D picture;
uniform float glow1;
uniform float glow2;

void main()
{
    vec3 colour = texture2D(picture, gl_TexCoord[0].st).rgb;
    float luminance = dot(colour, vec3(0.299, 0.587, 0.114));
    float pass = pow(clamp(luminance, 0.0, 1.0), max(glow1, 1.0) * 0.1);
    gl_FragColor = vec4(colour * pass * glow2, 1.0);
}
