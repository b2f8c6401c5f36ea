#version 110
// A greeting card seen through a flickering scan-line mask. The card is drawn by the fixed
// vertex pipeline (texture coordinates in gl_TexCoord[0], card colour in gl_Color).
// "line" (0 to 1) is where a bright scan line crosses the card, bottom to top; it jumps every
// frame while the card flickers, and it also shifts the scan-line pattern so that the rows that
// show change from frame to frame. "width" (0.05 to 0.55) is how much of every scan line shows:
// at 0.05 the card is a few faint slivers, at 0.55 more than half of it is lit.

uniform sampler2D card;
uniform float line;
uniform float width;

const float kScanLines = 36.0;

void main()
{
    vec4 texel = texture2D(card, gl_TexCoord[0].st) * gl_Color;
    float y = gl_TexCoord[0].t;

    // Position inside the scan line this pixel belongs to, jittered by the bright line.
    float phase = fract(y * kScanLines + line * 7.0);
    float open = 1.0 - smoothstep(width - 0.04, width + 0.04, phase);

    // The bright line itself: a narrow band that shows the card whole.
    float across = (y - line) * 14.0;
    float band = exp(-across * across);

    // Never brighter than the steady card, so the glow does not smear the flicker.
    float strength = clamp(open * (0.35 + width) + band * 0.6, 0.0, 1.0);
    gl_FragColor = vec4(texel.rgb * strength, texel.a * min(strength, 1.0));
}
