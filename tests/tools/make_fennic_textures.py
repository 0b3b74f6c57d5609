#!/usr/bin/env python3
"""Writes the deterministic textures of the 3-D card library's tests (24-bit BMP files):

  faces.bmp  13 x 4 cells of 40 x 56: each card has rounded corners in the key colour (the
             sheet's first pixel), a band in its row's colour, four blocks that spell its column
             in binary (dark for a set bit, most significant on the left), a block in the
             column's own colour, and a dark mark in its top-left corner, so a mirrored, rotated
             or wrong cell cannot pass for the right one.
  back.bmp   40 x 56: a blue lattice with the same corners and mark.
  arrow.bmp  32 x 32: a gold arrow head pointing to the top row on the key colour.

Usage: make_fennic_textures.py [output folder]  (default: tests/data/fennic beside this script)
"""
import os
import struct
import sys

CELL_W, CELL_H = 40, 56
KEY = (255, 0, 255)
BODY = (246, 244, 232)
EDGE = (60, 60, 60)
MARK = (20, 20, 20)
ROW_COLOURS = [(200, 30, 30), (30, 150, 40), (30, 60, 200), (220, 170, 20)]
COLUMN_COLOURS = [
    (230, 25, 75), (60, 180, 75), (255, 225, 25), (0, 130, 200), (245, 130, 48), (145, 30, 180),
    (70, 240, 240), (250, 190, 212), (210, 245, 60), (0, 128, 128), (170, 110, 40), (128, 0, 0),
    (0, 0, 128),
]
RADIUS = 5


def write_bmp(path, width, height, pixel):
    pitch = (width * 3 + 3) & ~3
    rows = []
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += bytes(pitch - len(row))
        rows.append(bytes(row))
    data = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def outside_corner(x, y):
    """True in the key-coloured area of a rounded corner of a card cell."""
    cx = RADIUS if x < RADIUS else CELL_W - 1 - RADIUS if x > CELL_W - 1 - RADIUS else None
    cy = RADIUS if y < RADIUS else CELL_H - 1 - RADIUS if y > CELL_H - 1 - RADIUS else None
    return cx is not None and cy is not None and (x - cx) ** 2 + (y - cy) ** 2 > RADIUS * RADIUS


def frame_or_mark(x, y):
    """The card's edge line and its top-left mark, else None."""
    if outside_corner(x, y):
        return KEY
    if x in (0, CELL_W - 1) or y in (0, CELL_H - 1):
        return EDGE
    if 3 <= x <= 10 and 3 <= y <= 10 and x + y <= 14:
        return MARK
    return None


def face(row, column, x, y):
    fixed = frame_or_mark(x, y)
    if fixed:
        return fixed
    if 14 <= y <= 21 and 4 <= x <= CELL_W - 5:
        return ROW_COLOURS[row]
    if 27 <= y <= 34:
        for bit in range(4):
            left = 5 + bit * 8
            if left <= x < left + 6:
                return (25, 25, 25) if column & (8 >> bit) else (200, 200, 200)
    if 40 <= y <= 50 and 8 <= x <= 31:
        return COLUMN_COLOURS[column]
    return BODY


def back(x, y):
    fixed = frame_or_mark(x, y)
    if fixed:
        return fixed
    if 3 <= x <= CELL_W - 4 and 3 <= y <= CELL_H - 4:
        return (230, 230, 255) if (x + y) % 6 == 0 or (x - y) % 6 == 0 else (30, 50, 150)
    return (240, 240, 250)


def arrow(x, y):
    # The tip on the top row: wider further down.
    half = 1 + y * 15 // 31
    if abs(x - 15.5) > half:
        return KEY
    return (140, 90, 10) if abs(x - 15.5) > half - 2 or y > 28 else (250, 215 - 3 * y // 2, 30)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "data", "fennic")
    os.makedirs(out, exist_ok=True)
    write_bmp(os.path.join(out, "faces.bmp"), 13 * CELL_W, 4 * CELL_H,
              lambda x, y: face(y // CELL_H, x // CELL_W, x % CELL_W, y % CELL_H))
    write_bmp(os.path.join(out, "back.bmp"), CELL_W, CELL_H, back)
    write_bmp(os.path.join(out, "arrow.bmp"), 32, 32, arrow)


if __name__ == "__main__":
    main()
