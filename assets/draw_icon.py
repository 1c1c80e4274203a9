#!/usr/bin/env python3
"""Draws the program's icon: a steel gear, 85 x 68 pixels in 256 colours.

Written with the standard library alone so that anyone can redraw it:
    python3 assets/draw_icon.py src/app/resources/gear.png
"""
import math
import struct
import sys
import zlib

WIDTH, HEIGHT = 85, 68
SAMPLES = 4                      # per axis, for smooth edges
TEETH = 12
CX, CY = WIDTH / 2, HEIGHT / 2
OUTER, ROOT, HUB, HOLE = 32.0, 25.5, 11.0, 5.5
SHADES, ALPHAS = 17, 15          # 17 * 15 = 255 colours, plus transparent


def inside_gear(x, y):
    dx, dy = x - CX, y - CY
    r = math.hypot(dx, dy)
    if r < HOLE:
        return None
    angle = math.atan2(dy, dx) % (2 * math.pi)
    phase = (angle * TEETH / (2 * math.pi)) % 1.0
    # Trapezoid teeth: flanks narrow towards the tip.
    flank = abs(phase - 0.5) * 2          # 0 at tooth centre, 1 between teeth
    tip = OUTER if flank < 0.42 else ROOT if flank > 0.62 else OUTER - (flank - 0.42) / 0.2 * (OUTER - ROOT)
    if r > tip:
        return None
    light = 0.55 - 0.35 * (dx + dy) / (OUTER * 1.4)   # lit from the top left
    if r < HUB:
        light += 0.18                                   # raised hub
    elif HUB + 2.5 < r < ROOT - 3:
        light -= 0.12                                   # recessed web
    return max(0.0, min(1.0, light))


def palette():
    colours, alphas = [(0, 0, 0)], [0]
    for a in range(1, ALPHAS + 1):
        for s in range(SHADES):
            t = s / (SHADES - 1)
            colours.append((int(40 + 175 * t), int(52 + 175 * t), int(68 + 170 * t)))
            alphas.append(round(255 * a / ALPHAS))
    return colours, alphas


def pixels():
    rows = []
    for py in range(HEIGHT):
        row = bytearray()
        for px in range(WIDTH):
            hits, light = 0, 0.0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    v = inside_gear(px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES)
                    if v is not None:
                        hits += 1
                        light += v
            if hits == 0:
                row.append(0)
                continue
            alpha = max(1, round(ALPHAS * hits / SAMPLES ** 2))
            shade = round((SHADES - 1) * light / hits)
            row.append(1 + (alpha - 1) * SHADES + shade)
        rows.append(bytes(row))
    return rows


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def main(path):
    colours, alphas = palette()
    raw = b"".join(b"\x00" + row for row in pixels())
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", WIDTH, HEIGHT, 8, 3, 0, 0, 0))
    png += chunk(b"PLTE", b"".join(bytes(c) for c in colours))
    png += chunk(b"tRNS", bytes(alphas))
    png += chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as out:
        out.write(png)


if __name__ == "__main__":
    main(sys.argv[1])
