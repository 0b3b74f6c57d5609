#!/usr/bin/env python3
"""Draws the card textures of the play-history tests into tests/data/quillet: 13 cards a row,
one row per suit (a fifth row whose first card is the joker in cards_joker.bmp), each card of
6 by 8 pixels in one colour of its own, so that a pixel names the card it came from; and two
textures that hold no whole card grid (1 x 1, and 80 x 33, which leaves a remainder).

The colour of card (row, column) is card_colour() here and CardColour() in
tests/quillet/quillettest.h; a change to one is a change to both. Run from anywhere.
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_resource_fixtures import bmp24  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "data", "quillet")
CARD_W, CARD_H = 6, 8


def card_colour(row, column):
    return (10 + 18 * column, 30 + 50 * row, 90)


def texture(rows):
    return bmp24(13 * CARD_W, rows * CARD_H, lambda x, y: card_colour(y // CARD_H, x // CARD_W))


def main():
    files = {
        "cards.bmp": texture(4),
        "cards_joker.bmp": texture(5),
        "cards_tiny.bmp": bmp24(1, 1, lambda x, y: (255, 255, 255)),
        "cards_odd.bmp": bmp24(80, 33, lambda x, y: card_colour(min(y // CARD_H, 3), min(x // CARD_W, 12))),
    }
    for name, data in files.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
