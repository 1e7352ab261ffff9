#!/usr/bin/env python3
"""Draws Ferrolink's pictures: the logo, the network server, the red cross,
the folder glyph of the target button and the program icon. Standard library
only; writes BMP and ICO files beside this script. Magenta (255, 0, 255) marks
transparent pixels in the bitmaps."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
MAGENTA = (255, 0, 255)


class Image:
    def __init__(self, w, h, fill):
        self.w, self.h = w, h
        self.px = [[fill for _ in range(w)] for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):  # inclusive
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        for x in range(x0, x1 + 1):
            self.set(x, y0, c)
            self.set(x, y1, c)
        for y in range(y0, y1 + 1):
            self.set(x0, y, c)
            self.set(x1, y, c)

    def line(self, x0, y0, x1, y1, c):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.set(x0, y0, c)
            if x0 == x1 and y0 == y1:
                break
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy


def bmp_bytes(img):
    """A bottom-up 24-bit BMP."""
    row = img.w * 3
    pad = (4 - row % 4) % 4
    data = bytearray()
    for y in range(img.h - 1, -1, -1):
        for (r, g, b) in img.px[y]:
            data += bytes((b, g, r))
        data += b"\0" * pad
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, img.w, img.h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return header + info + bytes(data)


def ico_bytes(images):
    """An icon file of 32-bit images (alpha from the transparent colour)."""
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for img in images:
        xor = bytearray()
        for y in range(img.h - 1, -1, -1):
            for c in img.px[y]:
                if c == MAGENTA:
                    xor += b"\0\0\0\0"
                else:
                    xor += bytes((c[2], c[1], c[0], 255))
        mask_row = ((img.w + 31) // 32) * 4
        mask = bytearray()
        for y in range(img.h - 1, -1, -1):
            bits = bytearray(mask_row)
            for x, c in enumerate(img.px[y]):
                if c == MAGENTA:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bits
        info = struct.pack("<IiiHHIIiiII", 40, img.w, img.h * 2, 1, 32, 0,
                           len(xor) + len(mask), 0, 0, 0, 0)
        blob = info + bytes(xor) + bytes(mask)
        entries.append(struct.pack("<BBBBHHII", img.w % 256, img.h % 256, 0, 0, 1, 32,
                                   len(blob), offset))
        offset += len(blob)
        blobs.append(blob)
    return struct.pack("<HHH", 0, 1, len(images)) + b"".join(entries) + b"".join(blobs)


# A 5 x 7 pixel font for the letters of the logo.
FONT = {
    "F": ["11111", "10000", "10000", "11110", "10000", "10000", "10000"],
    "e": ["00000", "00000", "01110", "10001", "11111", "10000", "01110"],
    "r": ["00000", "00000", "10110", "11001", "10000", "10000", "10000"],
    "o": ["00000", "00000", "01110", "10001", "10001", "10001", "01110"],
    "l": ["01100", "00100", "00100", "00100", "00100", "00100", "01110"],
    "i": ["00100", "00000", "01100", "00100", "00100", "00100", "01110"],
    "n": ["00000", "00000", "10110", "11001", "10001", "10001", "10001"],
    "k": ["10000", "10000", "10010", "10100", "11000", "10100", "10010"],
}


def draw_text(img, text, x, y, scale, colour):
    for ch in text:
        for row, bits in enumerate(FONT[ch]):
            for col, bit in enumerate(bits):
                if bit == "1":
                    img.rect(x + col * scale, y + row * scale,
                             x + col * scale + scale - 1, y + row * scale + scale - 1, colour)
        x += 6 * scale


def logo():
    img = Image(185, 52, (255, 255, 255))
    navy, steel = (16, 48, 112), (96, 128, 176)
    for y in range(52):  # a band that fades from navy to steel
        t = y / 51
        c = tuple(int(navy[i] + (steel[i] - navy[i]) * t) for i in range(3))
        img.rect(0, y, 40, y, c)
    # Two chain links, white, on the band.
    img.frame(6, 14, 22, 28, (255, 255, 255))
    img.frame(7, 15, 21, 27, (255, 255, 255))
    img.frame(17, 23, 33, 37, (255, 255, 255))
    img.frame(18, 24, 32, 36, (255, 255, 255))
    draw_text(img, "Ferrolink", 52, 12, 2, navy)
    draw_text(img, "Ferrolink", 53, 12, 2, navy)  # bold: twice, one pixel apart
    img.rect(52, 32, 175, 33, steel)
    return img


def server():
    img = Image(32, 32, MAGENTA)
    dark, grey, light = (64, 64, 64), (160, 160, 168), (224, 224, 232)
    img.rect(8, 2, 23, 25, grey)
    img.frame(8, 2, 23, 25, dark)
    for y in (6, 11, 16):  # drive bays
        img.rect(10, y, 21, y + 2, light)
        img.frame(10, y, 21, y + 2, dark)
        img.set(19, y + 1, (0, 192, 0))
    img.rect(14, 26, 17, 28, dark)  # network cable down to a line
    img.rect(2, 29, 29, 30, dark)
    return img


def cross():
    img = Image(15, 12, MAGENTA)
    red = (220, 0, 0)
    for i in range(12):
        x = int(i * 14 / 11)
        for d in (-1, 0, 1):
            img.set(x + d, i, red)
            img.set(14 - x + d, i, red)
    return img


def folder():
    img = Image(16, 16, MAGENTA)
    dark, yellow, pale = (96, 80, 0), (232, 200, 64), (255, 236, 150)
    img.rect(1, 5, 12, 14, yellow)  # back of the folder
    img.frame(1, 5, 12, 14, dark)
    img.rect(2, 4, 6, 4, dark)
    for y in range(8, 15):  # the open front, slanting
        x0 = 3 + (14 - y) // 2
        img.line(x0, y, x0 + 10, y, pale)
    img.line(3, 14, 13, 14, dark)
    img.line(7, 8, 15, 8, dark)
    img.line(13, 1, 13, 5, (0, 96, 0))  # the arrow, pointing into the folder
    img.line(11, 3, 13, 5, (0, 96, 0))
    img.line(15, 3, 13, 5, (0, 96, 0))
    return img


def icon(size):
    img = Image(size, size, MAGENTA)
    s = size / 32
    navy, white, green = (16, 48, 112), (255, 255, 255), (0, 160, 64)
    img.rect(int(2 * s), int(4 * s), int(29 * s), int(27 * s), navy)
    # Two arrows: data going from one folder to the other.
    y = int(12 * s)
    img.rect(int(6 * s), y, int(22 * s), y + max(1, int(2 * s)), white)
    for i in range(int(5 * s)):
        img.line(int(22 * s) + i, y - int(4 * s) + i, int(22 * s) + i, y + int(6 * s) - i, white)
    y = int(20 * s)
    img.rect(int(9 * s), y, int(25 * s), y + max(1, int(2 * s)), green)
    for i in range(int(5 * s)):
        img.line(int(9 * s) - i, y - int(4 * s) + i, int(9 * s) - i, y + int(6 * s) - i, green)
    return img


def main():
    for name, img in (("logo", logo()), ("network", server()), ("failed", cross()),
                      ("folder", folder())):
        with open(os.path.join(HERE, name + ".bmp"), "wb") as f:
            f.write(bmp_bytes(img))
    with open(os.path.join(HERE, "ferrolink.ico"), "wb") as f:
        f.write(ico_bytes([icon(16), icon(32), icon(48)]))


if __name__ == "__main__":
    main()
