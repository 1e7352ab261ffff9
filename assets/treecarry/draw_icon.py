#!/usr/bin/env python3
"""Draws Treecarry's program icon: a folder with an arrow carrying it onward.

Writes treecarry.ico (16, 32 and 48 pixels, 32-bit colour with alpha and an
AND mask) beside this script. Standard library only.
Usage: python3 draw_icon.py
"""
import os
import struct

SIZES = (16, 32, 48)
SAMPLES = 4  # per axis and pixel, for smooth edges

FOLDER_BACK = (196, 140, 32)
FOLDER_FRONT = (244, 196, 72)
FOLDER_EDGE = (150, 100, 20)
ARROW = (40, 140, 60)
ARROW_EDGE = (20, 80, 30)


def in_rect(x, y, x0, y0, x1, y1):
    return x0 <= x < x1 and y0 <= y < y1


def in_arrow(x, y, inset=0.0):
    """An arrow pointing right: a shaft and a triangular head (unit square)."""
    shaft = in_rect(x, y, 0.42 + inset, 0.56 + inset, 0.74, 0.74 - inset)
    # Head: tip at (0.98, 0.65), base at x = 0.70 from y = 0.42 to 0.88.
    half = 0.23 - inset * 1.6
    head = 0.70 + inset <= x <= 0.98 - inset * 2 and abs(y - 0.65) <= half * (0.98 - x) / 0.28
    return shaft or head


def colour_at(x, y):
    """Colour (r, g, b) of the point, or None where the icon is transparent."""
    if in_arrow(x, y):
        return ARROW if in_arrow(x, y, 0.035) else ARROW_EDGE
    # Front flap, leaning back at its top, in front of the folder's back.
    if 0.38 <= y < 0.84 and 0.04 + (0.84 - y) * 0.2 <= x < 0.84 + (0.84 - y) * 0.1:
        edge = y >= 0.81 or y < 0.41 or x < 0.07 + (0.84 - y) * 0.2 or x >= 0.81 + (0.84 - y) * 0.1
        return FOLDER_EDGE if edge else FOLDER_FRONT
    # Folder tab and back.
    if in_rect(x, y, 0.06, 0.16, 0.40, 0.28) or in_rect(x, y, 0.06, 0.24, 0.86, 0.80):
        inner = in_rect(x, y, 0.09, 0.19, 0.37, 0.28) or in_rect(x, y, 0.09, 0.27, 0.83, 0.77)
        return FOLDER_BACK if inner else FOLDER_EDGE
    return None


def render(size):
    """Rows of (r, g, b, a), top row first."""
    rows = []
    n = SAMPLES * SAMPLES
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = hits = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    c = colour_at((px + (sx + 0.5) / SAMPLES) / size,
                                  (py + (sy + 0.5) / SAMPLES) / size)
                    if c:
                        r, g, b, hits = r + c[0], g + c[1], b + c[2], hits + 1
            if hits:
                row.append((r // hits, g // hits, b // hits, 255 * hits // n))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def icon_image(size):
    """One icon image: BITMAPINFOHEADER, bottom-up BGRA pixels, AND mask."""
    rows = render(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(
        struct.pack("<BBBB", b, g, r, a) for row in reversed(rows) for (r, g, b, a) in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + pixels + bytes(mask)


def main():
    images = [icon_image(s) for s in SIZES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(SIZES, images):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "treecarry.ico")
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
