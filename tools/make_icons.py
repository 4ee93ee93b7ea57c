#!/usr/bin/env python3
"""Draws the player's desktop icon at the hicolor sizes: a dark rounded tile with
a green play triangle and three equalizer bars, anti-aliased by sampling each
pixel 4 x 4 times, written as RGBA PNG files. Run once; the results are
committed and installed.

Usage: tools/make_icons.py [resources/icons]
"""
import os
import struct
import sys
import zlib

SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
SUB = 4

TILE = (0x20, 0x24, 0x2C)
EDGE = (0x5A, 0x64, 0x78)
GREEN = (0x3C, 0xE0, 0x5A)
LIGHT = (0xE8, 0xF0, 0xE8)


def inside_rounded(x, y, left, top, right, bottom, radius):
    if x < left or x > right or y < top or y > bottom:
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def inside_triangle(x, y):
    # Play triangle pointing right, left of the centre.
    ax, ay, bx, by, cx, cy = 0.22, 0.24, 0.22, 0.76, 0.60, 0.50
    def side(px, py, qx, qy):
        return (x - qx) * (py - qy) - (px - qx) * (y - qy)
    d1, d2, d3 = side(ax, ay, bx, by), side(bx, by, cx, cy), side(cx, cy, ax, ay)
    return not ((d1 < 0 or d2 < 0 or d3 < 0) and (d1 > 0 or d2 > 0 or d3 > 0))


BARS = ((0.64, 0.48), (0.73, 0.32), (0.82, 0.56))  # (left, top); all end at 0.76


def colour_at(x, y):
    """Colour (r, g, b) at a point of the unit square, or None outside the tile."""
    if not inside_rounded(x, y, 0.04, 0.04, 0.96, 0.96, 0.18):
        return None
    if inside_triangle(x, y):
        return GREEN
    for left, top in BARS:
        if left <= x <= left + 0.065 and top <= y <= 0.76:
            return LIGHT
    if not inside_rounded(x, y, 0.08, 0.08, 0.92, 0.92, 0.15):
        return EDGE
    return TILE


def render(size):
    rows = []
    for py in range(size):
        row = bytearray([0])  # PNG filter: none
        for px in range(size):
            r = g = b = a = 0
            for sy in range(SUB):
                for sx in range(SUB):
                    c = colour_at((px + (sx + 0.5) / SUB) / size, (py + (sy + 0.5) / SUB) / size)
                    if c:
                        r, g, b, a = r + c[0], g + c[1], b + c[2], a + 1
            if a:
                row += bytes((r // a, g // a, b // a, 255 * a // (SUB * SUB)))
            else:
                row += bytes(4)
        rows.append(bytes(row))
    return b"".join(rows)


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


def png(size, pixels):
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(pixels, 9)) +
            chunk(b"IEND", b""))


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "resources/icons"
    os.makedirs(folder, exist_ok=True)
    for size in SIZES:
        with open(os.path.join(folder, "tarnello-%d.png" % size), "wb") as out:
            out.write(png(size, render(size)))


if __name__ == "__main__":
    main()
