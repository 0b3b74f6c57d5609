#!/usr/bin/env python3
"""Draws the pictures of the table widgets' tests into tests/data/widgets: the table felt, the
history lights' symbols, a five-frame coin animation strip and a player-icon strip.

The tests probe pixels against the colours named here (repeated in
tests/common/widgets/tablewidgets.h), so a change to one is a change to both. Run from anywhere.
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_resource_fixtures import bmp24  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "data", "widgets")

# ---- the felt: a dark green cloth with a faint weave, 240 by 180 ----
FELT_W, FELT_H = 240, 180


def felt_pixel(x, y):
    weave = 6 if (x + y) % 4 == 0 else (3 if (x - y) % 4 == 0 else 0)
    shade = (x * 7 + y * 5) % 9
    return (12 + shade, 92 + weave + shade, 48 + shade)


# ---- the symbols: four lamps of 12 by 10, 13 pixels apart ----
LAMP_W, LAMP_H, LAMP_STEP = 12, 10, 13
HOUSING = (24, 24, 28)
LAMPS = [(40, 220, 70),    # 0: lit green (the player won)
         (230, 40, 40),    # 1: lit red (the dealer won)
         (70, 70, 78),     # 2: unlit
         (245, 180, 30)]   # 3: lit amber (a push)


def lighter(c, k):
    return tuple(min(255, v + k) for v in c)


def symbols_pixel(x, y):
    k, lx = divmod(x, LAMP_STEP)
    if lx >= LAMP_W:
        return HOUSING
    dx, dy = lx - 5.5, y - 4.5
    if dx * dx + dy * dy > 4.6 * 4.6:
        return HOUSING
    # A glint up and left of the centre; the centre itself is the lamp's own colour.
    if (lx, y) in ((3, 2), (4, 2), (3, 3)):
        return lighter(LAMPS[k], 60)
    return LAMPS[k]


# ---- the coin: five frames of 16 by 16, three to a row, on a magenta key ----
FRAME = 16
KEY = (255, 0, 255)
COIN_WIDTHS = [7, 5, 3, 5, 7]


def coin_colour(k):
    return (230, 180 - 20 * k, 30 + 40 * k)


def anim_pixel(x, y):
    col, fx = divmod(x, FRAME)
    row, fy = divmod(y, FRAME)
    k = row * 3 + col
    if k >= len(COIN_WIDTHS):
        return KEY
    rx, ry = COIN_WIDTHS[k] + 0.5, 7.5
    dx, dy = fx - 7.5, fy - 7.5
    d = (dx / rx) ** 2 + (dy / ry) ** 2
    if d > 1:
        return KEY
    if d > 0.6:
        return (150, 110, 20)  # the rim
    return coin_colour(k)


# ---- the player icons: cells of 20 by 24, one pixel apart from (1, 1) ----
CELL_W, CELL_H = 20, 24
ROW_COUNTS = [4, 3, 5]
GRID = (60, 60, 60)


def icon_back(row, n):
    return (40 + 40 * n, 60 + 60 * row, 200)


def icon_figure(row, n):
    return (20 + 10 * n, 30, 60 + 50 * row)


def icons_pixel(x, y):
    n, cx = divmod(x - 1, CELL_W + 1)
    row, cy = divmod(y - 1, CELL_H + 1)
    if x < 1 or y < 1 or cx == CELL_W or cy == CELL_H or row > 2 or n >= ROW_COUNTS[row]:
        return GRID
    head = (cx - 10) ** 2 + (cy - 8) ** 2 <= 25
    shoulders = cy >= 16 and ((cx - 10) / 8.0) ** 2 + ((cy - 24) / 8.0) ** 2 <= 1
    return icon_figure(row, n) if head or shoulders else icon_back(row, n)


def write(name, content):
    os.makedirs(OUT, exist_ok=True)
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(content)


def main():
    write("felt.bmp", bmp24(FELT_W, FELT_H, felt_pixel))
    write("symbols.bmp", bmp24(4 * LAMP_STEP - 1, LAMP_H, symbols_pixel))
    write("anim.bmp", bmp24(3 * FRAME, 2 * FRAME, anim_pixel))
    write("icons.bmp", bmp24(1 + 5 * (CELL_W + 1), 1 + 3 * (CELL_H + 1), icons_pixel))


if __name__ == "__main__":
    main()
