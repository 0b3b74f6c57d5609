#!/usr/bin/env python3
"""Draws the pictures of the base resource pack into one sheet, pictures/gui.bmp.

The sheet holds the window manager's default bitmaps (close box, drop-down, arrows up and down in
their four states, check mark, caret, round radio buttons in their four states), arrows left and right for horizontal sliders, thumb faces
(a slider's drag button fills no face of its own), a felt tile for dialog backgrounds and the
dial a time-out pie is drawn over. Where
data/xrs/base.xrs cuts them is fixed by LAYOUT below; the two must agree.

Glyphs lie on the colour key (the cell's top-left pixel, magenta), so the button face under them
shows through. Their edges are smoothed against the face colour of the state they are drawn for
(the button colour sets of base.xrs), because a colour-keyed picture has no partial transparency.
"""
import argparse
import math
import os
import random
import struct

KEY = (255, 0, 255)
# Button faces of base.xrs (entry 2 of ButtonNormal, ButtonPressed, ButtonHighlight, ButtonDisabled).
FACES = [(30, 98, 68), (22, 72, 50), (40, 124, 86), (62, 68, 66)]
# Glyph ink per state: white, soft white while pressed, gold when highlighted, grey when disabled.
INKS = [(250, 250, 245), (220, 220, 210), (250, 222, 130), (140, 146, 144)]
CELL = 12
SHEET_W, SHEET_H = 128, 128
FELT = (64, 0, 64)  # x, y of the 64x64 felt tile
DIAL = (64, 64, 48)  # x, y and size of the time-out dial
SAMPLES = 4  # supersampling per axis


def blend(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


class Sheet:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[KEY] * w for _ in range(h)]

    def put(self, x, y, c):
        self.px[y][x] = c

    def glyph(self, x0, y0, w, h, inside, ink, face):
        """Supersamples inside(fx, fy) over a w x h cell (cell units 0..w, 0..h)."""
        for y in range(h):
            for x in range(w):
                hits = 0
                for sy in range(SAMPLES):
                    for sx in range(SAMPLES):
                        if inside(x + (sx + 0.5) / SAMPLES, y + (sy + 0.5) / SAMPLES):
                            hits += 1
                cover = hits / (SAMPLES * SAMPLES)
                if cover <= 0.0:
                    continue  # key: the face shows through
                self.put(x0 + x, y0 + y, blend(face, ink, cover))
        # The cell's first pixel must stay the key, whatever the glyph does.
        self.put(x0, y0, KEY)

    def write_bmp(self, path):
        row = (self.w * 3 + 3) & ~3
        data = bytearray()
        for y in range(self.h - 1, -1, -1):
            line = bytearray()
            for r, g, b in self.px[y]:
                line += bytes((b, g, r))
            line += b"\0" * (row - len(line))
            data += line
        header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
        info = struct.pack("<IiiHHIIiiII", 40, self.w, self.h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
        with open(path + ".tmp", "wb") as f:
            f.write(header + info + data)
        os.replace(path + ".tmp", path)


def seg_dist(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def strokes(segments, width):
    return lambda x, y: any(seg_dist(x, y, *s) <= width / 2 for s in segments)


def cross():
    return strokes([(3.2, 3.2, 8.8, 8.8), (8.8, 3.2, 3.2, 8.8)], 1.9)


def chevron(up):
    if up:
        return strokes([(2.6, 7.9, 6.0, 4.5), (6.0, 4.5, 9.4, 7.9)], 2.0)
    return strokes([(2.6, 4.3, 6.0, 7.7), (6.0, 7.7, 9.4, 4.3)], 2.0)


def chevron_side(left):
    if left:
        return strokes([(7.9, 2.6, 4.5, 6.0), (4.5, 6.0, 7.9, 9.4)], 2.0)
    return strokes([(4.1, 2.6, 7.5, 6.0), (7.5, 6.0, 4.1, 9.4)], 2.0)


def triangle_down():
    # A filled drop-down arrow over a short bar: the combo box's button.
    def inside(x, y):
        if 3.0 <= y <= 7.5:
            half = (7.5 - y) * 0.9
            return abs(x - 6.0) <= half
        return 8.8 <= y <= 10.0 and 2.5 <= x <= 9.5
    return inside


def check():
    return strokes([(2.2, 6.4, 4.9, 9.1), (4.9, 9.1, 10.0, 2.8)], 2.2)


def felt(sheet, x0, y0, size):
    # Deep green baize: fine noise around the frame face, tileable since every pixel is independent
    # of its neighbours except through a wrapped blur.
    rnd = random.Random(1234)
    base = (18, 56, 42)
    noise = [[rnd.uniform(-1.0, 1.0) for _ in range(size)] for _ in range(size)]
    for y in range(size):
        for x in range(size):
            n = (noise[y][x] * 2 + noise[(y + 1) % size][x] + noise[y][(x + 1) % size]
                 + noise[(y - 1) % size][x] + noise[y][(x - 1) % size]) / 6.0
            sheet.put(x0 + x, y0 + y, tuple(max(0, min(255, int(round(c + n * 9)))) for c in base))


def disc(sheet, x0, y0, size, outer, ink_at):
    """A round picture: ink_at(fx, fy, d) gives the colour at a point fx, fy from the centre (d
    away), supersampled inside radius outer; outside it the key. The edge is smoothed against the
    baize the pictures stand on."""
    baize = (18, 56, 42)
    c = size / 2.0
    for y in range(size):
        for x in range(size):
            cover, colour = 0, [0, 0, 0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    fx, fy = x + (sx + 0.5) / SAMPLES - c, y + (sy + 0.5) / SAMPLES - c
                    d = math.hypot(fx, fy)
                    if d > outer:
                        continue
                    cover += 1
                    ink = ink_at(fx, fy, d)
                    colour = [colour[i] + ink[i] for i in range(3)]
            if cover == 0:
                continue  # key
            mean = tuple(colour[i] / cover for i in range(3))
            sheet.put(x0 + x, y0 + y, blend(baize, mean, cover / (SAMPLES * SAMPLES)))
    sheet.put(x0, y0, KEY)


def dial(sheet, x0, y0, size):
    # An ivory face in a gold ring with twelve ticks; the time-out control paints its pie
    # (centre size / 2, radius size / 2 - 5) over the face.
    gold, dark, ivory = (212, 175, 55), (92, 70, 22), (250, 250, 245)
    c = size / 2.0
    outer, ring = c - 0.5, c - 4.0

    def ink_at(fx, fy, d):
        if d > ring:
            return gold if d < outer - 1.0 else dark
        # Ticks every hour mark: short dark strokes just inside the ring.
        a = math.atan2(fy, fx) % (math.pi / 6)
        near = min(a, math.pi / 6 - a) * d
        return dark if d > ring - 3.0 and near < 0.7 else ivory

    disc(sheet, x0, y0, size, outer, ink_at)


def radio(sheet, x0, y0, state):
    # A round well in a ring, 14 x 14, with a gold dot when chosen; the four states of the base
    # pack: unchecked, checked, highlighted, disabled. The well takes the check box's face colours
    # (entry 2 of the button sets) and the ring its gold.
    wells = [(30, 98, 68), (22, 72, 50), (40, 124, 86), (62, 68, 66)]
    rings = [(212, 175, 55), (226, 192, 98), (250, 222, 130), (110, 114, 112)]
    dot = (250, 222, 130) if state == 1 else None
    size = RADIO[2]
    c = size / 2.0
    inner, dot_r = c - 1.9, 2.7

    def ink_at(fx, fy, d):
        if d > inner:
            # The ring is lit from the top left, as the bevels are.
            return blend(rings[state], (60, 45, 15), max(0.0, (fx + fy) / (2 * c)) * 0.6)
        return dot if dot and d <= dot_r else wells[state]

    disc(sheet, x0, y0, size, c - 0.3, ink_at)


# Name, shape, x, y of the first state; the four states follow CELL + 2 apart to the right.
LAYOUT = [
    ("Close", cross(), 0, 0),
    ("Drop", triangle_down(), 0, 14),
    ("ArrowUp", chevron(True), 0, 28),
    ("ArrowDown", chevron(False), 0, 42),
    ("ArrowLeft", chevron_side(True), 0, 72),
    ("ArrowRight", chevron_side(False), 0, 86),
]
THUMB = (20, 56, 8)  # x, y, size of the first of four plain face tiles, one per state, 10 apart
# Thumb faces: lighter than the buttons', so that a thumb stands out from the bronze track of a
# slider or a list's scroll bar (normal, pressed, highlighted, disabled).
THUMB_FACES = [(46, 132, 94), (30, 98, 68), (60, 150, 108), (62, 68, 66)]
RADIO = (0, 100, 14)  # x, y, size of the first of the four radio button pictures, 16 apart


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--out", required=True, help="folder that receives gui.bmp")
    args = ap.parse_args()
    os.makedirs(args.out, exist_ok=True)
    sheet = Sheet(SHEET_W, SHEET_H)
    for _, shape, x, y in LAYOUT:
        for state in range(4):
            sheet.glyph(x + state * (CELL + 2), y, CELL, CELL, shape, INKS[state], FACES[state])
    # The check mark sits in a check box's well, drawn gold on the face colour.
    sheet.glyph(0, 56, CELL, CELL, check(), (250, 222, 130), FACES[0])
    # The caret: a solid 2 x 14 bar (its first pixel is its own colour; nothing is keyed).
    for y in range(14):
        for x in range(2):
            sheet.put(14 + x, 56 + y, (250, 222, 130))
    tx, ty, size = THUMB
    for state in range(4):
        for y in range(size):
            for x in range(size):
                sheet.put(tx + state * (size + 2) + x, ty + y, THUMB_FACES[state])
    for state in range(4):
        radio(sheet, RADIO[0] + state * (RADIO[2] + 2), RADIO[1], state)
    felt(sheet, FELT[0], FELT[1], 64)
    dial(sheet, *DIAL)
    sheet.write_bmp(os.path.join(args.out, "gui.bmp"))


if __name__ == "__main__":
    main()
