#!/usr/bin/env python3
"""Draws Viewerprobe's program icon: a blue help book with a yellow question
mark, looked at through a magnifying glass. Writes viewerprobe.ico (16 x 16,
32 x 32 as 32-bit bitmaps, 256 x 256 as PNG) beside this script, using only the
standard library.

Usage: make_assets.py [output-folder]
"""

import math
import os
import struct
import sys
import zlib

# Colours as (red, green, blue, alpha), 0..255.
COVER = (32, 78, 160, 255)
COVER_DARK = (18, 46, 104, 255)
PAGES = (246, 244, 236, 255)
PAGE_LINE = (196, 192, 180, 255)
MARK = (255, 206, 40, 255)
RIM = (88, 92, 100, 255)
LENS = (190, 226, 250, 150)
HANDLE = (120, 72, 36, 255)


# ---- shapes: each gives whether the point (x, y) in 0..1 lies inside ----

def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r and x0 <= x <= x1 and y0 <= y <= y1
    return inside


def disc(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r_in, r_out, start_deg=0.0, end_deg=360.0):
    """Ring between two radii; angles counted clockwise from 3 o'clock
    (y grows downwards)."""
    def inside(x, y):
        d2 = (x - cx) ** 2 + (y - cy) ** 2
        if not r_in * r_in <= d2 <= r_out * r_out:
            return False
        a = math.degrees(math.atan2(y - cy, x - cx)) % 360.0
        if start_deg <= end_deg:
            return start_deg <= a <= end_deg
        return a >= start_deg or a <= end_deg
    return inside


def capsule(ax, ay, bx, by, r):
    """A line from a to b, r thick on each side, with round ends."""
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
        px, py = ax + t * dx, ay + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= r * r
    return inside


# ---- the picture, back to front ----

LAYERS = [
    # page block, showing below and to the right of the cover
    (rounded_rect(0.16, 0.10, 0.82, 0.90, 0.05), PAGES),
    (rounded_rect(0.16, 0.84, 0.80, 0.855, 0.0), PAGE_LINE),
    # cover and spine
    (rounded_rect(0.10, 0.04, 0.76, 0.84, 0.06), COVER),
    (rounded_rect(0.10, 0.04, 0.22, 0.84, 0.05), COVER_DARK),
    # question mark on the cover: arc, stem, dot
    (ring(0.49, 0.28, 0.08, 0.17, 150.0, 70.0), MARK),
    (capsule(0.54, 0.40, 0.49, 0.50, 0.045), MARK),
    (disc(0.49, 0.63, 0.055), MARK),
    # magnifying glass over the lower right corner
    (capsule(0.84, 0.84, 0.95, 0.95, 0.055), HANDLE),
    (disc(0.72, 0.72, 0.14), LENS),
    (ring(0.72, 0.72, 0.14, 0.19), RIM),
]


def over(dst, src):
    """src drawn over dst; both straight (not premultiplied) RGBA floats."""
    sa = src[3]
    da = dst[3]
    out_a = sa + da * (1.0 - sa)
    if out_a == 0.0:
        return (0.0, 0.0, 0.0, 0.0)
    return tuple((src[i] * sa + dst[i] * da * (1.0 - sa)) / out_a for i in range(3)) + (out_a,)


def render(size):
    """Rows of (r, g, b, a) byte tuples, top row first, with n x n samples per
    pixel for smooth edges."""
    n = 4 if size <= 32 else 3
    colours = [tuple(c / 255.0 for c in colour) for _, colour in LAYERS]
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(n):
                y = (py + (sy + 0.5) / n) / size
                for sx in range(n):
                    x = (px + (sx + 0.5) / n) / size
                    c = (0.0, 0.0, 0.0, 0.0)
                    for (inside, _), colour in zip(LAYERS, colours):
                        if inside(x, y):
                            c = over(c, colour)
                    # average premultiplied, so edges do not darken
                    for i in range(3):
                        acc[i] += c[i] * c[3]
                    acc[3] += c[3]
            a = acc[3] / (n * n)
            if a > 0.0:
                rgb = [acc[i] / acc[3] for i in range(3)]
            else:
                rgb = [0.0, 0.0, 0.0]
            row.append(tuple(int(round(v * 255)) for v in rgb) + (int(round(a * 255)),))
        rows.append(row)
    return rows


# ---- file formats ----

def bmp_icon_image(rows):
    """An icon image as the platform stores it: a BITMAPINFOHEADER of double
    height, 32-bit BGRA rows bottom up, then the 1-bit AND mask."""
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
    mask = bytearray()
    stride = ((size + 31) // 32) * 4
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(pixels) + bytes(mask)


def png_image(rows):
    size = len(rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = bytearray()
    for row in rows:
        raw.append(0)  # no filter
        for pixel in row:
            raw += bytes(pixel)
    ihdr = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def ico_file(images):
    """images: (size, bytes) pairs."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for size, data in images:
        dim = 0 if size >= 256 else size
        entries += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + entries + b"".join(data for _, data in images)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    images = []
    for size in (16, 32, 256):
        rows = render(size)
        images.append((size, png_image(rows) if size >= 256 else bmp_icon_image(rows)))
    with open(os.path.join(folder, "viewerprobe.ico"), "wb") as f:
        f.write(ico_file(images))


if __name__ == "__main__":
    main()
