#!/usr/bin/env python3
"""Draws the sample pictures (sky, sea, hill) as PPM and converts them to JPEG with cjpeg."""
import math, os, subprocess, sys

out = sys.argv[1] if len(sys.argv) > 1 else "data"
W, H = 240, 160

def sky(x, y):
    t = y / H
    r, g, b = int(90 + 120 * t), int(150 + 80 * t), 235
    for cx, cy, rad in ((60, 50, 28), (95, 45, 34), (170, 70, 30), (200, 62, 22)):
        if (x - cx) ** 2 + ((y - cy) * 1.6) ** 2 < rad * rad:
            return 250, 250, 252
    return r, g, b

def sea(x, y):
    if y < 70:
        return 120 + y, 180 + y // 2, 240
    wave = math.sin(x / 9.0 + y / 5.0) * 12
    return 20, int(90 + y / 3 + wave), int(160 + wave)

def hill(x, y):
    h = 100 + 25 * math.sin(x / 30.0)
    if y < h:
        return 200, 225, 255
    return 60, int(140 + (y - h) / 2), 70

for name, f in (("sky", sky), ("sea", sea), ("hill", hill)):
    ppm = os.path.join(out, name + ".ppm")
    with open(ppm, "wb") as fh:
        fh.write(b"P6 %d %d 255\n" % (W, H))
        fh.write(bytes(v for y in range(H) for x in range(W) for v in f(x, y)))
    subprocess.run(["cjpeg", "-quality", "85", "-outfile", os.path.join(out, name + ".jpg"), ppm], check=True)
    os.remove(ppm)
