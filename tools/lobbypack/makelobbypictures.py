#!/usr/bin/env python3
"""Draws the client's own pictures into pictures/lobby/: the three mouse pointers of the full-screen
picture (arrow, text beam, pointing hand), the finger pointer of the windowed client and the
window icon. The main script data/xrs/mc_main.xrs names them as bitmaps 10055, 10056, 10057, 102
and 101.

Each picture lies on the colour key (its top-left pixel, magenta): a pointer is a sprite drawn over
whatever the screen shows, and the icon's key becomes the transparent part of the window's icon.
The shapes are supersampled with the base pack's drawing functions (tools/respack): a white body
inside a black outline, whose outer edge fades into a dark grey so that it reads on any ground.
"""
import argparse
import math
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "respack"))

from makepictures import KEY, Sheet, blend, seg_dist, strokes  # noqa: E402
from makeservericons import circle, polygon, rect  # noqa: E402

OUTLINE = (16, 16, 20)
BODY = (250, 250, 245)
FRINGE = (70, 70, 76)
SAMPLES = 4


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def grown(shape, by):
    """The shape with a rim of width by around it (sampled on a small ring of points)."""
    ring = [(by * math.cos(a * math.pi / 4), by * math.sin(a * math.pi / 4)) for a in range(8)]
    return lambda x, y: shape(x, y) or any(shape(x + dx, y + dy) for dx, dy in ring)


def scaled(shape, factor):
    return lambda x, y: shape(x / factor, y / factor)


def pointer(sheet, shape, size):
    """A white shape in a black outline: the outline blended into the fringe grey at its outer
    edge, the body into the outline at its own."""
    sheet.glyph(0, 0, size, size, grown(shape, 1.1), OUTLINE, FRINGE)
    sheet.glyph(0, 0, size, size, shape, BODY, OUTLINE)


# The shapes on a 24-unit grid, hot spot at the top left for the arrow, centre for the beam and
# the fingertip for the hand.
def arrow():
    return polygon([(3.0, 2.0), (3.0, 19.0), (7.0, 15.4), (10.0, 21.8), (12.8, 20.6), (9.9, 14.4),
                    (15.2, 14.4)])


def beam():
    return strokes([(12.0, 3.5, 12.0, 20.5), (9.0, 3.0, 15.0, 3.0), (9.0, 21.0, 15.0, 21.0)], 1.5)


def hand():
    index = rect(8.0, 1.5, 11.4, 13.5, 1.7)
    fingers = union(rect(11.0, 8.5, 14.2, 14.0, 1.6), rect(13.8, 9.5, 17.0, 14.5, 1.6),
                    rect(16.6, 10.5, 19.6, 15.5, 1.5))
    palm = rect(6.5, 12.0, 19.6, 21.5, 3.5)
    thumb = polygon([(8.2, 13.0), (4.0, 10.1), (2.6, 11.7), (6.6, 17.1), (8.2, 17.1)])
    return union(index, fingers, palm, thumb)


def icon(sheet, size):
    """A red casino chip with white inserts and a black spade on its gold centre."""
    c = size / 2.0
    r = size / 2.0 - 1.0

    def colour_at(x, y):
        d = math.hypot(x - c, y - c)
        if d > r:
            return None
        if d > r - 1.2:
            return (110, 18, 24)
        angle = (math.degrees(math.atan2(y - c, x - c)) + 360.0) % 45.0
        if d > r * 0.62:
            return (236, 236, 228) if 14.0 <= angle <= 31.0 else (196, 30, 40)
        if d > r * 0.56:
            return (150, 110, 20)
        spade = scaled(spade_shape(), size / 48.0)
        return (24, 24, 28) if spade(x, y) else (226, 182, 52)

    for y in range(size):
        for x in range(size):
            hits, total = 0, [0.0, 0.0, 0.0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    col = colour_at(x + (sx + 0.5) / SAMPLES, y + (sy + 0.5) / SAMPLES)
                    if col is None:
                        continue
                    hits += 1
                    for i in range(3):
                        total[i] += col[i]
            if hits * 2 < SAMPLES * SAMPLES:
                continue  # transparent: the key stays
            sheet.put(x, y, blend((60, 10, 14), tuple(int(round(t / hits)) for t in total), hits / SAMPLES ** 2))
    sheet.put(0, 0, KEY)


def spade_shape():
    # On the 48-unit icon: two lobes, a point and a stem.
    lobes = union(circle(20.4, 25.0, 4.6), circle(27.6, 25.0, 4.6))
    top = polygon([(24.0, 13.5), (16.3, 23.5), (31.7, 23.5)])
    stem = polygon([(24.0, 24.0), (20.2, 34.5), (27.8, 34.5)])
    return union(lobes, top, stem)


# Name, size, what is drawn.
PICTURES = [
    ("pointer_arrow.bmp", 24, lambda s: pointer(s, arrow(), 24)),
    ("pointer_beam.bmp", 24, lambda s: pointer(s, beam(), 24)),
    ("pointer_hand.bmp", 24, lambda s: pointer(s, hand(), 24)),
    ("finger.bmp", 32, lambda s: pointer(s, scaled(hand(), 32 / 24.0), 32)),
    ("icon.bmp", 48, lambda s: icon(s, 48)),
]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--out", required=True, help="folder that receives the pictures (pictures/lobby)")
    args = ap.parse_args()
    os.makedirs(args.out, exist_ok=True)
    for name, size, draw in PICTURES:
        sheet = Sheet(size, size)
        draw(sheet)
        sheet.write_bmp(os.path.join(args.out, name))


if __name__ == "__main__":
    main()
