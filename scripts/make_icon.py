#!/usr/bin/env python3
"""Draws res/icon.png: a mouse outline in the utility's accent red on a dark rounded tile."""
import math, struct, sys, zlib

SIZE, SS = 64, 4  # pixels, supersampling per axis

def inside_rounded_square(x, y, r=14):
    cx, cy = min(max(x, r), SIZE - r), min(max(y, r), SIZE - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r

def mouse_shape(x, y):
    # An upright ellipse for the body, a slot for the wheel and a split between the buttons.
    ex, ey = (x - 32) / 15.0, (y - 34) / 21.0
    d = ex * ex + ey * ey
    if d > 1.0:
        return None
    if abs(x - 32) < 2.2 and 17 < y < 30:
        return "wheel" if 20 < y < 27 else "gap"
    if abs(x - 32) < 0.9 and y < 30:
        return "gap"
    if abs(y - 30) < 0.9:
        return "gap"
    return "edge" if d > 0.72 else "body"

COLORS = {"tile": (21, 23, 28), "body": (38, 42, 51), "edge": (224, 50, 60), "wheel": (240, 240, 244),
          "gap": (21, 23, 28)}

rows = []
for py in range(SIZE):
    row = bytearray([0])
    for px in range(SIZE):
        acc = [0, 0, 0, 0]
        for sy in range(SS):
            for sx in range(SS):
                x, y = px + (sx + 0.5) / SS, py + (sy + 0.5) / SS
                if not inside_rounded_square(x, y):
                    continue
                part = mouse_shape(x, y) or "tile"
                c = COLORS[part]
                acc[0] += c[0]; acc[1] += c[1]; acc[2] += c[2]; acc[3] += 255
        n = SS * SS
        alpha = acc[3] // n
        if alpha:
            row += bytes([acc[0] * 255 // acc[3], acc[1] * 255 // acc[3], acc[2] * 255 // acc[3], alpha])
        else:
            row += bytes(4)
    rows.append(bytes(row))

def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0))
png += chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b"")
open(sys.argv[1] if len(sys.argv) > 1 else "icon.png", "wb").write(png)
