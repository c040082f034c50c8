#!/usr/bin/env python3
"""Draws the program's icon, a simple clock face, and writes it as Timer.ico.

Run it again after a change: python3 make-icon.py (writes next to itself).
The icon holds a 16x16 and a 32x32 image, 32-bit colour with alpha.
"""
import math
import os
import struct

FACE = (255, 255, 221)  # the window's light yellow
RIM = (0, 0, 170)  # the window's dark blue text colour
HANDS = (0, 0, 170)
TICKS = (0, 0, 170)
RED = (200, 30, 30)


def coverage(size, inside):
    """Anti-aliased coverage of a shape, sampled 4x4 per pixel."""
    img = []
    for y in range(size):
        row = []
        for x in range(size):
            hits = 0
            for sy in range(4):
                for sx in range(4):
                    px = x + (sx + 0.5) / 4
                    py = y + (sy + 0.5) / 4
                    if inside(px, py):
                        hits += 1
            row.append(hits / 16)
        img.append(row)
    return img


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    cx, cy = ax + t * dx, ay + t * dy
    return math.hypot(px - cx, py - cy)


def draw(size):
    c = size / 2
    r = size / 2 - 0.5
    rim = max(1.2, size / 14)
    layers = []  # (coverage, colour), painted in order
    layers.append((coverage(size, lambda x, y: math.hypot(x - c, y - c) <= r), RIM))
    layers.append((coverage(size, lambda x, y: math.hypot(x - c, y - c) <= r - rim), FACE))
    if size >= 32:
        for hour in range(12):
            a = hour * math.pi / 6
            ax, ay = c + math.sin(a) * (r - rim - 1), c - math.cos(a) * (r - rim - 1)
            bx, by = c + math.sin(a) * (r - rim - 3.5), c - math.cos(a) * (r - rim - 3.5)
            layers.append((coverage(size, lambda x, y, ax=ax, ay=ay, bx=bx, by=by:
                                    segment_distance(x, y, ax, ay, bx, by) <= 0.7), TICKS))
    width = max(1.0, size / 16)
    # Ten past ten, the classic clock-face pose.
    hour_a = (10 + 10 / 60) * math.pi / 6
    minute_a = 10 * math.pi / 30
    for angle, length in ((hour_a, 0.5), (minute_a, 0.75)):
        ex, ey = c + math.sin(angle) * r * length, c - math.cos(angle) * r * length
        layers.append((coverage(size, lambda x, y, ex=ex, ey=ey:
                                segment_distance(x, y, c, c, ex, ey) <= width), HANDS))
    layers.append((coverage(size, lambda x, y: math.hypot(x - c, y - c) <= max(1.0, size / 14)), RED))

    pixels = [[(0.0, 0.0, 0.0, 0.0)] * size for _ in range(size)]
    for cov, colour in layers:
        for y in range(size):
            for x in range(size):
                a = cov[y][x]
                if a == 0:
                    continue
                r0, g0, b0, a0 = pixels[y][x]
                out_a = a + a0 * (1 - a)
                mix = [(colour[i] * a + (r0, g0, b0)[i] * a0 * (1 - a)) / out_a for i in range(3)]
                pixels[y][x] = (mix[0], mix[1], mix[2], out_a)
    return pixels


def bmp_entry(size):
    pixels = draw(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = b""
    for y in reversed(range(size)):  # bottom-up
        for x in range(size):
            r, g, b, a = pixels[y][x]
            rows += bytes((round(b), round(g), round(r), round(a * 255)))
    mask_row = ((size + 31) // 32) * 4
    mask = bytes(mask_row * size)  # alpha decides; the AND mask lets everything through
    return header + rows + mask


def main():
    images = [(16, bmp_entry(16)), (32, bmp_entry(32))]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "Timer.ico")
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
