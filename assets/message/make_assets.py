#!/usr/bin/env python3
"""Draws Message's pictures with the standard library only.

picture.bmp  101 x 105, 24-bit: a warning sign on the notice window's
             red-orange, for the picture control of the main window.
message.ico  32 x 32 and 16 x 16, 32-bit with alpha: the same sign.
Run from anywhere; writes beside this script.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
RED_ORANGE = (0xFF, 0x33, 0x00)
YELLOW = (0xFF, 0xD8, 0x20)
BLACK = (0x10, 0x10, 0x10)
WHITE = (0xFF, 0xFF, 0xFF)


def sign(width, height, background):
    """Returns rows (top first) of (r, g, b, a): a yellow warning triangle with
    a black rim and exclamation mark, over background (None: transparent)."""
    margin = max(1, width // 12)
    ax, ay = width / 2.0, margin * 0.8                      # apex
    lx, ly = margin * 0.5, height - margin * 1.5            # base left
    rx, ry = width - margin * 0.5, height - margin * 1.5    # base right
    rim = max(1.0, width / 14.0)

    def edge(px, py, x0, y0, x1, y1):
        # Signed distance of p from the edge (positive inside for a
        # clockwise triangle on screen coordinates).
        dx, dy = x1 - x0, y1 - y0
        return ((px - x0) * dy - (py - y0) * dx) / (dx * dx + dy * dy) ** 0.5

    rows = []
    for y in range(height):
        row = []
        for x in range(width):
            px, py = x + 0.5, y + 0.5
            d = min(-edge(px, py, ax, ay, rx, ry), -edge(px, py, rx, ry, lx, ly),
                    -edge(px, py, lx, ly, ax, ay))
            if d < 0:
                row.append(background + (255,) if background else (0, 0, 0, 0))
                continue
            colour = BLACK if d < rim else YELLOW
            # The exclamation mark: a bar and a dot on the centre line.
            bar_w = width / 13.0
            top, bottom = height * 0.34, height * 0.66
            dot_y = height * 0.75
            if abs(px - ax) < bar_w * (1.0 - 0.35 * (py - top) / (bottom - top)) and top < py < bottom:
                colour = BLACK
            if (px - ax) ** 2 + (py - dot_y) ** 2 < (bar_w * 0.95) ** 2:
                colour = BLACK
            row.append(colour + (255,))
        rows.append(row)
    return rows


def picture(width=101, height=105):
    rows = [[RED_ORANGE + (255,)] * width for _ in range(height)]
    # A white sheet behind the sign: an event list.
    for y in range(6, 62):
        for x in range(58, 96):
            edge = x in (58, 95) or y in (6, 61)
            rows[y][x] = BLACK + (255,) if edge else WHITE + (255,)
    for y in range(14, 56, 7):
        for x in range(64, 90):
            rows[y][x] = (0x60, 0x60, 0x60, 255)
    triangle = sign(70, 66, None)
    for y, row in enumerate(triangle):
        for x, px in enumerate(row):
            if px[3]:
                rows[height - 70 + y][8 + x] = px
    return rows


def bmp24(rows):
    height, width = len(rows), len(rows[0])
    stride = (width * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b, _ in row:
            line += bytes((b, g, r))
        data += line + b"\0" * (stride - len(line))
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return header + info + bytes(data)


def ico(images):
    entries, blobs = b"", b""
    offset = 6 + 16 * len(images)
    for rows in images:
        height, width = len(rows), len(rows[0])
        pixels = bytearray()
        for row in reversed(rows):
            for r, g, b, a in row:
                pixels += bytes((b, g, r, a))
        mask_stride = ((width + 31) // 32) * 4
        mask = bytearray()
        for row in reversed(rows):
            bits = bytearray(mask_stride)
            for x, px in enumerate(row):
                if px[3] == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bits
        info = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, 0,
                           len(pixels) + len(mask), 0, 0, 0, 0)
        blob = info + bytes(pixels) + bytes(mask)
        entries += struct.pack("<BBBBHHII", width, height, 0, 0, 1, 32, len(blob), offset)
        blobs += blob
        offset += len(blob)
    return struct.pack("<HHH", 0, 1, len(images)) + entries + blobs


def main():
    with open(os.path.join(HERE, "picture.bmp"), "wb") as f:
        f.write(bmp24(picture()))
    with open(os.path.join(HERE, "message.ico"), "wb") as f:
        f.write(ico([sign(32, 32, None), sign(16, 16, None)]))


if __name__ == "__main__":
    main()
