#!/usr/bin/env python3
"""Writes the pictures and the font of the resource-script and toolkit tests, and the scrambled
copy of the test script.

The pixel formulas and the font's metrics are repeated in the tests, which check what the
script's bitmaps and animations hold and how texts measure and draw against them. Run from
anywhere: the files go to tests/data/resources.
"""
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_xbf_seeds import CODES, bmp8 as font_bmp8, chunk  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "data", "resources")


def bmp24(width, height, pixel):
    row = (width * 3 + 3) & ~3
    data = bytearray()
    for y in range(height - 1, -1, -1):  # bottom-up
        line = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            line += bytes((b, g, r))
        line += bytes(row - len(line))
        data += line
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return header + info + bytes(data)


def bmp8(width, height, palette, index):
    row = (width + 3) & ~3
    data = bytearray()
    for y in range(height - 1, -1, -1):
        line = bytes(index(x, y) for x in range(width))
        data += line + bytes(row - len(line))
    pal = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    offset = 54 + len(pal)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(data), 2835, 2835, 256, 0)
    return header + info + pal + bytes(data)


def sheet_pixel(x, y):
    return (x * 4 % 256, y * 8 % 256, (x + y) * 2 % 256)


def anim_pixel(x, y):
    k = (y // 8) * 4 + x // 8
    return (k * 30, 255 - k * 30, 7)


# The test font: every printable character a solid cell 6 wide and 10 high, 1 pixel of letter
# spacing, the space a word space of 7, new lines 12 apart.
FONT_CELL, FONT_HEIGHT, FONT_SPACING, FONT_ADVANCE = 6, 10, 1, 12


def test_font():
    first, last = 33, 126
    # Column 0 stays empty: its top pixel is the colour key of the glyphs.
    width = 1 + (last - first + 1) * (FONT_CELL + 1)
    pixels = bytearray(width * FONT_HEIGHT)
    records = [(0, 0, 0, 0, 0)] * CODES
    records[0] = (0, 0, 0, 1, 0)
    records[10] = (0, 0, 0, 3, FONT_ADVANCE)
    records[32] = (0, 0, 0, 103, FONT_CELL + 1)
    for code in range(first, last + 1):
        x0 = 1 + (code - first) * (FONT_CELL + 1)
        records[code] = (x0, 0, FONT_CELL, 0, 0)
        for y in range(FONT_HEIGHT):
            for x in range(FONT_CELL):
                pixels[y * width + x0 + x] = 255
    header = bytes((1,)) + struct.pack("<HHH", FONT_HEIGHT, FONT_SPACING, FONT_ADVANCE)
    letters = b"".join(struct.pack("<HHHBB", *r) for r in records)
    xbf = chunk("HEADER", header) + chunk("LETTER DATA", letters) + \
        chunk("FONT BITMAP", font_bmp8(width, FONT_HEIGHT, bytes(pixels)))
    return chunk("XIFF", chunk("XBF", xbf))


def write(name, content):
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(content)


def main():
    write("sheet.bmp", bmp24(64, 32, sheet_pixel))
    write("anim.bmp", bmp24(32, 16, anim_pixel))
    write("test.xbf", test_font())
    write("pal8.bmp", bmp8(4, 4, [(i, 255 - i, 3) for i in range(256)], lambda x, y: x + 4 * y))
    # Scrambled: every byte of the text and the marker XORed with 0x6B.
    with open(os.path.join(OUT, "test.xrs"), "rb") as f:
        plain = f.read()
    write("test_scrambled.xrs", bytes(b ^ 0x6B for b in plain + b"XICRYPTEDFILE"))


if __name__ == "__main__":
    main()
