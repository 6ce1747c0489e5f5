#!/usr/bin/env python3
"""Draws the sample pictures (sky, sea, hill) as PPM and converts them to JPEG with cjpeg; draws
yama.png (a mountain) as PNG with zlib; writes the sample link file kaisetsu.txt."""
import math, os, shutil, struct, subprocess, sys, zlib

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
    if not shutil.which("cjpeg") and os.path.exists(os.path.join(out, name + ".jpg")):
        continue  # kept as shipped where the encoder is not installed
    ppm = os.path.join(out, name + ".ppm")
    with open(ppm, "wb") as fh:
        fh.write(b"P6 %d %d 255\n" % (W, H))
        fh.write(bytes(v for y in range(H) for x in range(W) for v in f(x, y)))
    subprocess.run(["cjpeg", "-quality", "85", "-outfile", os.path.join(out, name + ".jpg"), ppm], check=True)
    os.remove(ppm)

def mountain(x, y):
    ridge = 60 + abs(x - 120) * 0.8
    if y < ridge:
        return 170, 205, 240
    if y < ridge + 18 and abs(x - 120) < 30:
        return 245, 245, 250
    return 70, int(110 + (y - ridge) / 3), 90

def png(path, f):
    raw = b"".join(b"\0" + bytes(v for x in range(W) for v in f(x, y)) for y in range(H))
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    with open(path, "wb") as fh:
        fh.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", W, H, 8, 2, 0, 0, 0))
                 + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))

png(os.path.join(out, "yama.png"), mountain)
with open(os.path.join(out, "kaisetsu.txt"), "w", encoding="utf-8") as fh:
    fh.write("見本のリンクファイルです。\nページには画像だけでなく，どんなファイルでも関連づけられます。\n")
