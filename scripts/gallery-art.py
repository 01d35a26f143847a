#!/usr/bin/env python3
"""Writes the picture the gallery's artwork uses: a landscape at dusk for the
covers, as a 24-bit BMP file.
Usage: scripts/gallery-art.py OUT-FOLDER"""
import math
import struct
import sys


def write_bmp(path, w, h, pixel):
    row = (3 * w + 3) // 4 * 4
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", 54 + row * h, 0, 0, 54))
        f.write(struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, row * h, 2835, 2835, 0, 0))
        pad = b"\0" * (row - 3 * w)
        for y in range(h):  # bottom row first
            line = bytearray()
            for x in range(w):
                r, g, b = pixel(x / (w - 1), y / (h - 1))
                line += bytes((max(0, min(255, int(b))), max(0, min(255, int(g))), max(0, min(255, int(r)))))
            f.write(bytes(line) + pad)


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def landscape(u, v):
    # Sky from warm orange at the horizon to deep blue, a soft sun, three hills.
    sky = mix((250, 170, 90), (30, 50, 110), min(1.0, max(0.0, (v - 0.35) / 0.65)) ** 0.8)
    d = math.hypot(u - 0.62, (v - 0.52) * 1.2)
    sky = mix(sky, (255, 240, 200), max(0.0, 1 - d / 0.12) ** 2)
    hills = [(0.42 + 0.06 * math.sin(6 * u + 1), (110, 70, 120)),
             (0.32 + 0.05 * math.sin(9 * u + 4), (60, 60, 100)),
             (0.20 + 0.04 * math.sin(5 * u + 2), (30, 35, 60))]
    c = sky
    for top, colour in hills:
        # The share of the pixel below the hill's edge, so that edges are smooth.
        cover = min(1.0, max(0.0, (top - v) * (H - 1) + 0.5))
        if cover > 0:
            c = mix(c, mix(colour, (20, 20, 35), max(0.0, top - v) * 1.5), cover)
    return c


W, H = 600, 800
out = sys.argv[1]
write_bmp(out + "/cover.bmp", W, H, landscape)
