#!/usr/bin/env python3
"""Writes the pictures of the resource-script tests and the scrambled copy of the test script.

The pixel formulas are repeated in the tests, which check what the script's bitmaps and
animations hold against them. Run from anywhere: the files go to tests/data/resources.
"""
import os
import struct

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


def write(name, content):
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(content)


def main():
    write("sheet.bmp", bmp24(64, 32, sheet_pixel))
    write("anim.bmp", bmp24(32, 16, anim_pixel))
    write("pal8.bmp", bmp8(4, 4, [(i, 255 - i, 3) for i in range(256)], lambda x, y: x + 4 * y))
    # Scrambled: every byte of the text and the marker XORed with 0x6B.
    with open(os.path.join(OUT, "test.xrs"), "rb") as f:
        plain = f.read()
    write("test_scrambled.xrs", bytes(b ^ 0x6B for b in plain + b"XICRYPTEDFILE"))


if __name__ == "__main__":
    main()
