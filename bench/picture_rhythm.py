#!/usr/bin/env python3
"""Measures how the production's pictures move with the music, from a 10 fps capture.

    scripts/xvfb build/lirv-capture --fps 10 --out out/frames10
    bench/picture_rhythm.py out/frames10 [--review out/review --timeline out/timeline.txt]

Every frame is shrunk to 256 x 192 and turned into luma (0-255). Per section of the music:
  motion  the median frame-to-frame change (mean absolute luma difference of neighbours);
  beat    the beat response: over a window of 16 beats (four bars), the median of the frame's
          mean luma at each of the six 0.1 s phases of a beat, and the swing (largest minus
          smallest of those medians). Printed for the best and the median four-bar window.
With --review it also lays out what an outside reviewer gets: a contact sheet (one frame every
2 s, captioned), and a strip of 10 fps frames around every cut of the scene layer, read from a
decompiled timeline (`lirv-studio timeline decompile data/time --tempo 100`).

Needs python3-numpy and python3-pil (Debian). A benchmark, not a test: nothing here passes or
fails.
"""
import argparse
import os
import re
import sys

import numpy as np
from PIL import Image, ImageDraw

FPS = 10
BEAT_S = 0.6
BAR_S = 2.4
FRAMES_PER_BEAT = 6
SECTIONS = [("intro", 0, 8), ("build", 8, 16), ("main", 16, 32), ("break", 32, 40),
            ("finale", 40, 52), ("out", 52, 58)]


def frame_paths(folder):
    names = sorted(n for n in os.listdir(folder) if re.fullmatch(r"frame-\d+\.png", n))
    if not names:
        sys.exit(f"picture_rhythm: no frame-NNNNN.png in {folder}")
    return [os.path.join(folder, n) for n in names]


def luma_thumbs(paths):
    out = np.empty((len(paths), 192, 256), np.float32)
    for i, p in enumerate(paths):
        img = Image.open(p).convert("RGB").resize((256, 192), Image.BILINEAR)
        a = np.asarray(img, np.float32)
        out[i] = 0.299 * a[..., 0] + 0.587 * a[..., 1] + 0.114 * a[..., 2]
        if i % 100 == 0:
            print(f"\rreading frames {i}/{len(paths)}", end="", file=sys.stderr)
    print(file=sys.stderr)
    return out


def frame_at(seconds):
    return int(round(seconds * FPS))


def motion(thumbs, a, b):
    b = min(b, len(thumbs))
    if b - a < 2:
        return float("nan")
    d = np.abs(thumbs[a + 1:b] - thumbs[a:b - 1]).mean(axis=(1, 2))
    return float(np.median(d))


def beat_swing(means, first_frame):
    phases = []
    for p in range(FRAMES_PER_BEAT):
        idx = [first_frame + k * FRAMES_PER_BEAT + p for k in range(16)]
        if idx[-1] >= len(means):
            return None
        phases.append(np.median(means[idx]))
    return float(max(phases) - min(phases))


def section_table(thumbs):
    means = thumbs.mean(axis=(1, 2))
    rows = []
    for name, first, last in SECTIONS:
        a, b = frame_at(first * BAR_S), frame_at(last * BAR_S)
        swings = [s for bar in range(first, last - 3)
                  if (s := beat_swing(means, frame_at(bar * BAR_S))) is not None]
        mid = frame_at((first + last) / 2 * BAR_S)
        rows.append((name, motion(thumbs, a, b), motion(thumbs, a, mid), motion(thumbs, mid, b),
                     max(swings) if swings else float("nan"),
                     float(np.median(swings)) if swings else float("nan")))
    print(f"{'section':8} {'motion':>7} {'1st half':>8} {'2nd half':>8} {'beat best':>9} "
          f"{'beat med':>8}")
    for r in rows:
        print(f"{r[0]:8} {r[1]:7.1f} {r[2]:8.1f} {r[3]:8.1f} {r[4]:9.1f} {r[5]:8.1f}")
    main = next(r for r in rows if r[0] == "main")
    fin = next(r for r in rows if r[0] == "finale")
    print(f"finale motion / main motion: {fin[1] / main[1]:.2f}")


def clock(seconds):
    return f"{int(seconds // 60)}:{seconds % 60:04.1f}"


def tile(path, scale, caption):
    img = Image.open(path).convert("RGB")
    img = img.resize((img.width // scale, img.height // scale), Image.BILINEAR)
    ImageDraw.Draw(img).text((4, 2), caption, fill=(255, 255, 0))
    return img


def sheet(tiles, columns):
    w, h = tiles[0].size
    rows = (len(tiles) + columns - 1) // columns
    out = Image.new("RGB", (columns * w, rows * h))
    for i, t in enumerate(tiles):
        out.paste(t, ((i % columns) * w, (i // columns) * h))
    return out


def parse_time(text, tempo):
    if ":" in text:
        bars, beats = text.split(":")
        return (int(bars) * 4 + float(beats)) * 60.0 / tempo
    if text.endswith("s"):
        return float(text[:-1])
    return float(text) / 1000.0


def cut_times(timeline):
    tempo = 100.0
    cuts = set()
    for line in open(timeline, encoding="utf-8"):
        words = line.split()
        if words[:1] == ["tempo"]:
            tempo = float(words[1])
        m = re.match(r'clip\s+("[^"]*"|\S+)\s+layer\s+(\d)\s+start\s+(\S+)', line.strip())
        if m and m.group(2) == "0":
            cuts.add(round(parse_time(m.group(3), tempo), 3))
    return sorted(c for c in cuts if c > 0)


def review(paths, out, timeline):
    os.makedirs(out, exist_ok=True)
    tiles = [tile(paths[frame_at(t)], 4, clock(t)) for t in np.arange(0, 139, 2.0)
             if frame_at(t) < len(paths)]
    sheet(tiles, 6).save(os.path.join(out, "contact-sheet.png"))
    for c in cut_times(timeline):
        first = frame_at(c) - 6
        frames = [i for i in range(first, first + 12) if 0 <= i < len(paths)]
        strip = [tile(paths[i], 4, clock(i / FPS)) for i in frames]
        sheet(strip, 6).save(os.path.join(out, f"cut-{clock(c).replace(':', 'm')}s.png"))
    with open(os.path.join(out, "sections.txt"), "w", encoding="utf-8") as f:
        f.write("The music: 100 beats per minute, 4/4, a bar is 2.4 s.\n")
        for name, first, last in SECTIONS:
            f.write(f"{name:7} bars {first:2}-{last:2}  {clock(first * BAR_S)} - "
                    f"{clock(min(last * BAR_S, 139.0))}\n")
    print(f"review packet in {out}: contact-sheet.png, {len(cut_times(timeline))} cut strips, "
          "sections.txt")


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("frames", help="folder of a 10 fps capture (frame-NNNNN.png)")
    ap.add_argument("--review", help="folder for the reviewer's contact sheet and cut strips")
    ap.add_argument("--timeline", help="decompiled timeline text, for the cut strips")
    args = ap.parse_args()
    paths = frame_paths(args.frames)
    section_table(luma_thumbs(paths))
    if args.review:
        if not args.timeline:
            sys.exit("picture_rhythm: --review needs --timeline")
        review(paths, args.review, args.timeline)


if __name__ == "__main__":
    main()
