#!/usr/bin/env python3
"""Writes the seed files of the XBF font loader's fuzz target into fuzz/corpus/xbf_load/.

Small fonts made byte by byte (little-endian, as the font loader reads them): a valid one with
every kind of character record, one whose picture is run-length coded, one with a 24-bit picture,
and broken variants (version 2, short letter records, a cell outside the picture, big-endian
numbers, a truncated picture).
"""

import os
import struct
import sys

CODES = 255


def chunk(name, data, big=False):
    return name.encode() + b"\0" + struct.pack(">I" if big else "<I", len(data)) + data


def bmp8(width, height, pixels, rle=False):
    palette = b"".join(bytes((i, i, i, 0)) for i in range(256))
    if rle:
        body = b""
        for y in reversed(range(height)):
            row = pixels[y * width:(y + 1) * width]
            x = 0
            while x < width:
                run = 1
                while x + run < width and run < 255 and row[x + run] == row[x]:
                    run += 1
                body += bytes((run, row[x]))
                x += run
            body += b"\0\0"
        body += b"\0\1"
    else:
        stride = (width + 3) & ~3
        body = b"".join(pixels[y * width:(y + 1) * width] + bytes(stride - width)
                        for y in reversed(range(height)))
    offset = 14 + 40 + len(palette)
    header = b"BM" + struct.pack("<IHHI", offset + len(body), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 1 if rle else 0, len(body),
                       2835, 2835, 256, 0)
    return header + info + palette + body


def bmp24(width, height, pixels):
    stride = (width * 3 + 3) & ~3
    body = b"".join(b"".join(bytes((v, v, v)) for v in pixels[y * width:(y + 1) * width])
                    + bytes(stride - width * 3) for y in reversed(range(height)))
    offset = 54
    header = b"BM" + struct.pack("<IHHI", offset + len(body), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    return header + info + body


def font(version=1, height=5, spacing=1, advance=7, records=None, picture=None, letters_cut=0,
         big=False):
    width, pic_height = 32, height + 2
    if records is None:
        records = [(0, 0, 0, 0, 0)] * CODES
        records[0] = (0, 0, 0, 1, 0)       # end of text
        records[10] = (0, 0, 0, 3, advance)
        records[32] = (0, 0, 0, 103, 3)    # word space
        records[1] = (0, 0, 0, 103, 255)   # word space of the next character's amount
        records[2] = (0, 0, 0, 100, 2)
        records[3] = (0, 0, 0, 101, 2)
        records[4] = (0, 0, 0, 102, 1)
        for i, code in enumerate(b"ABCDEF"):
            records[code] = (1 + 5 * i, 1, 4, 0, 0)
        records[200] = (1, 1, 9, 0, 0)
    pixels = bytearray(width * pic_height)
    for y in range(1, 1 + height):
        for x in range(1, 31):
            pixels[y * width + x] = (x * 37 + y * 11) % 256 if (x + y) % 3 else 0
    if picture is None:
        picture = bmp8(width, pic_height, bytes(pixels))
    elif picture == "rle":
        picture = bmp8(width, pic_height, bytes(pixels), rle=True)
    elif picture == "rgb":
        picture = bmp24(width, pic_height, bytes(pixels))
    order = ">" if big else "<"
    header = bytes((version,)) + struct.pack(order + "HHH", height, spacing, advance)
    letters = b"".join(struct.pack(order + "HHHBB", *r) for r in records)
    if letters_cut:
        letters = letters[:-letters_cut]
    xbf = chunk("HEADER", header, big) + chunk("LETTER DATA", letters, big) + \
        chunk("FONT BITMAP", picture, big)
    return chunk("XIFF", chunk("XBF", xbf, big), big)


def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
    out = os.path.join(root, "fuzz", "corpus", "xbf_load")
    os.makedirs(out, exist_ok=True)
    outside = [(0, 0, 0, 0, 0)] * CODES
    outside[65] = (30, 1, 4, 0, 0)
    seeds = {
        "valid.xbf": font(),
        "rle_picture.xbf": font(picture="rle"),
        "rgb_picture.xbf": font(picture="rgb"),
        "version2.xbf": font(version=2),
        "short_letters.xbf": font(letters_cut=1),
        "cell_outside.xbf": font(records=outside),
        "big_endian.xbf": font(big=True),
        "picture_cut.xbf": font()[:-20],
    }
    for name, data in seeds.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
