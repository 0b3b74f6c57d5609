#!/usr/bin/env python3
"""Draws the server-message icons into pictures/servermsgicons.bmp: ten 48 x 48 icons side by side
(information, warning, error, question, mail, money, trophy, clock, star, chat), which the table
framework's script names "iconBm" and cuts one at a time.

Each icon is an opaque tile on the dialog's baize, so it needs no colour key; shapes are
supersampled against what lies under them.
"""
import argparse
import math
import os

from makepictures import Sheet, seg_dist

SIZE = 48
COUNT = 10
SAMPLES = 4
BAIZE = (18, 56, 42)
WHITE = (250, 250, 245)
INK = (30, 30, 36)
GOLD = (226, 182, 52)
GOLD_DARK = (150, 110, 20)


def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) <= r


def ring(cx, cy, r, width):
    return lambda x, y: abs(math.hypot(x - cx, y - cy) - r) <= width / 2


def rect(x0, y0, x1, y1, radius=0.0):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        dx = max(x0 + radius - x, 0.0, x - (x1 - radius))
        dy = max(y0 + radius - y, 0.0, y - (y1 - radius))
        return math.hypot(dx, dy) <= radius
    return inside


def lines(segments, width):
    return lambda x, y: any(seg_dist(x, y, *s) <= width / 2 for s in segments)


def polygon(points):
    def inside(x, y):
        hit = False
        for i in range(len(points)):
            (ax, ay), (bx, by) = points[i], points[i - 1]
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                hit = not hit
        return hit
    return inside


def arc(cx, cy, r, width, start, end, steps=24):
    """Strokes along a circle from angle start to end (degrees, clockwise from the right)."""
    pts = [(cx + r * math.cos(math.radians(start + (end - start) * i / steps)),
            cy + r * math.sin(math.radians(start + (end - start) * i / steps))) for i in range(steps + 1)]
    return lines([(*pts[i], *pts[i + 1]) for i in range(steps)], width)


def shaded(colour, amount=0.35):
    """The colour lit from the top left: lighter above, darker below."""
    def at(x, y):
        t = ((x + y) / (2 * SIZE) - 0.5) * 2 * amount
        return tuple(max(0, min(255, int(round(c * (1 - t))))) for c in colour)
    return at


def badge(colour):
    return [(circle(24, 24, 21), (12, 20, 16)), (circle(24, 24, 20), shaded(colour))]


def information():
    return badge((40, 110, 210)) + [(circle(24, 13.5, 3.2), WHITE), (rect(21, 19, 27, 37, 1.5), WHITE)]


def warning():
    outer = polygon([(24, 3), (46, 43), (2, 43)])
    inner = polygon([(24, 6.5), (42.8, 41), (5.2, 41)])
    return [(outer, (40, 30, 10)), (inner, shaded((244, 196, 40))),
            (polygon([(21.5, 15), (26.5, 15), (25.4, 31), (22.6, 31)]), INK), (circle(24, 36, 2.6), INK)]


def error():
    return badge((200, 40, 40)) + [(lines([(15, 15, 33, 33), (33, 15, 15, 33)], 5.5), WHITE)]


def question():
    return badge((90, 80, 200)) + [(arc(24, 17.5, 7, 4.8, 180, 405), WHITE),
                                   (lines([(28.9, 22.4, 24, 27), (24, 27, 24, 30)], 4.8), WHITE),
                                   (circle(24, 36.5, 3), WHITE)]


def mail():
    body = rect(5, 11, 43, 37, 2.5)
    return [(rect(4, 10, 44, 38, 3), (40, 40, 46)), (body, shaded(WHITE, 0.12)),
            (lines([(6.5, 13, 24, 26), (24, 26, 41.5, 13)], 2.4), (120, 120, 130)),
            (lines([(6.5, 35.5, 18, 23.5), (41.5, 35.5, 30, 23.5)], 1.6), (170, 170, 178))]


def money():
    # The "S" of the dollar: the upper bow from its top right round to the middle, the lower on.
    s = arc(24, 18.5, 5.5, 3.6, 330, 90)
    s2 = arc(24, 29.5, 5.5, 3.6, 270, 510)
    return [(circle(24, 24, 21), GOLD_DARK), (circle(24, 24, 19.5), shaded(GOLD)),
            (ring(24, 24, 16, 1.4), GOLD_DARK), (s, (90, 60, 10)), (s2, (90, 60, 10)),
            (lines([(24, 9, 24, 39)], 2.6), (90, 60, 10))]


def trophy():
    cup = lambda x, y: (y >= 7 and y <= 24 and math.hypot((x - 24) / 13, (y - 7) / 17) <= 1.0)
    return [(ring(11.5, 14.5, 5.5, 3), GOLD_DARK), (ring(36.5, 14.5, 5.5, 3), GOLD_DARK),
            (cup, shaded(GOLD)), (rect(21.5, 23, 26.5, 33), GOLD_DARK),
            (rect(14, 33, 34, 38, 1.5), shaded(GOLD)), (rect(11, 38, 37, 42, 1.5), GOLD_DARK),
            (rect(13, 7, 35, 9), (250, 230, 150))]


def clock():
    hands = lines([(24, 24, 24, 11), (24, 24, 33, 28)], 3)
    ticks = lines([(24 + 15 * math.cos(a), 24 + 15 * math.sin(a), 24 + 17.5 * math.cos(a),
                    24 + 17.5 * math.sin(a)) for a in [i * math.pi / 6 for i in range(12)]], 1.8)
    return [(circle(24, 24, 21.5), (40, 40, 46)), (circle(24, 24, 19.5), shaded(WHITE, 0.1)),
            (ticks, (90, 90, 100)), (hands, INK), (circle(24, 24, 2.6), (200, 40, 40))]


def star():
    pts = []
    for i in range(10):
        r = 21 if i % 2 == 0 else 8.6
        a = math.radians(-90 + 36 * i)
        pts.append((24 + r * math.cos(a), 25.5 + r * math.sin(a)))
    inner = [(24 + (x - 24) * 0.86, 25.5 + (y - 25.5) * 0.86) for x, y in pts]
    return [(polygon(pts), GOLD_DARK), (polygon(inner), shaded((250, 210, 70)))]


def chat():
    bubble = rect(4, 7, 44, 33, 9)
    tail = polygon([(12, 30), (22, 30), (9, 43)])
    edge = rect(3, 6, 45, 34, 10)
    edge_tail = polygon([(11, 29), (23, 29), (8, 45)])
    return [(edge, (40, 40, 46)), (edge_tail, (40, 40, 46)), (bubble, shaded(WHITE, 0.12)),
            (tail, shaded(WHITE, 0.12))] + [(circle(x, 20, 3.2), (60, 120, 200)) for x in (14, 24, 34)]


ICONS = [information, warning, error, question, mail, money, trophy, clock, star, chat]


def paint(sheet, x0, layers):
    for y in range(SIZE):
        for x in range(SIZE):
            total = [0, 0, 0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    fx, fy = x + (sx + 0.5) / SAMPLES, y + (sy + 0.5) / SAMPLES
                    colour = BAIZE
                    for inside, ink in layers:
                        if inside(fx, fy):
                            colour = ink(fx, fy) if callable(ink) else ink
                    for i in range(3):
                        total[i] += colour[i]
            n = SAMPLES * SAMPLES
            sheet.put(x0 + x, y, tuple(int(round(c / n)) for c in total))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--out", required=True, help="folder that receives servermsgicons.bmp")
    args = ap.parse_args()
    os.makedirs(args.out, exist_ok=True)
    sheet = Sheet(SIZE * COUNT, SIZE)
    for i, icon in enumerate(ICONS):
        paint(sheet, i * SIZE, icon())
    sheet.write_bmp(os.path.join(args.out, "servermsgicons.bmp"))


if __name__ == "__main__":
    main()
