"""The player icons: friendly head-and-shoulders figures in cells of the icon strip, one row each
for male, female and other players, a one-pixel line between the cells."""
import numpy as np
from PIL import Image, ImageDraw

from . import common

F = 8
SKIN = [(246, 214, 182), (226, 180, 140), (196, 140, 100), (150, 100, 68), (238, 196, 160), (120, 78, 52)]
HAIR = [(60, 40, 24), (140, 90, 40), (30, 26, 24), (200, 160, 90), (110, 60, 30), (170, 60, 30)]
SHIRT = [(40, 90, 160), (170, 40, 50), (40, 120, 80), (90, 60, 140), (200, 140, 40), (60, 70, 80)]
LINE = (14, 18, 16)


def background(d, S, k):
    """A soft round light behind the figure, a little different in each cell."""
    tones = [(46, 88, 110), (58, 84, 70), (84, 64, 96), (96, 74, 48), (52, 66, 96), (80, 54, 60)]
    base = tones[k % len(tones)]
    for i in range(12, 0, -1):
        r = S * 0.72 * i / 12
        c = common.lerp(common.shade(base, -0.45), common.shade(base, 0.18), 1 - i / 12)
        d.ellipse([S / 2 - r, S * 0.42 - r, S / 2 + r, S * 0.42 + r], fill=c)


def figure(kind, k, size):
    S = size * F
    img = Image.new("RGB", (S, S), (20, 30, 34))
    d = ImageDraw.Draw(img)
    background(d, S, k + kind * 2)
    skin, hair, shirt = SKIN[k % 6], HAIR[(k * 2 + kind) % 6], SHIRT[(k + kind * 3) % 6]
    cx = S / 2
    # Shoulders and neck.
    d.rounded_rectangle([S * 0.12, S * 0.72, S * 0.88, S * 1.2], radius=S * 0.22, fill=shirt)
    d.rectangle([cx - S * 0.07, S * 0.58, cx + S * 0.07, S * 0.76], fill=common.shade(skin, -0.12))
    d.polygon([(cx - S * 0.12, S * 0.72), (cx, S * 0.86), (cx + S * 0.12, S * 0.72)], fill=common.shade(skin, -0.08))
    head = [cx - S * 0.19, S * 0.2, cx + S * 0.19, S * 0.66]
    if kind == 1:  # long hair behind the head
        d.rounded_rectangle([cx - S * 0.25, S * 0.17, cx + S * 0.25, S * 0.78], radius=S * 0.2, fill=hair)
    d.ellipse(head, fill=skin)
    # Hair on top.
    if kind == 0:
        d.chord([cx - S * 0.2, S * 0.15, cx + S * 0.2, S * 0.5], 180, 360, fill=hair)
        if k % 3 == 1:
            d.chord([cx - S * 0.16, S * 0.5, cx + S * 0.16, S * 0.68], 0, 180, fill=hair)  # a beard
    elif kind == 1:
        d.chord([cx - S * 0.21, S * 0.14, cx + S * 0.21, S * 0.52], 180, 360, fill=hair)
        d.pieslice([cx - S * 0.26, S * 0.14, cx + S * 0.06, S * 0.5], 180, 270, fill=hair)
    else:
        hats = k % 4
        if hats == 0:  # a cap
            d.chord([cx - S * 0.21, S * 0.12, cx + S * 0.21, S * 0.48], 180, 360, fill=shirt)
            d.rectangle([cx - S * 0.05, S * 0.28, cx + S * 0.3, S * 0.33], fill=common.shade(shirt, -0.3))
        elif hats == 1:  # a top hat
            d.rectangle([cx - S * 0.15, S * 0.02, cx + S * 0.15, S * 0.27], fill=(30, 30, 34))
            d.rectangle([cx - S * 0.26, S * 0.25, cx + S * 0.26, S * 0.3], fill=(30, 30, 34))
            d.rectangle([cx - S * 0.15, S * 0.2, cx + S * 0.15, S * 0.24], fill=(170, 40, 50))
        elif hats == 2:  # sunglasses and short hair
            d.chord([cx - S * 0.2, S * 0.16, cx + S * 0.2, S * 0.44], 180, 360, fill=hair)
        else:  # headphones
            d.chord([cx - S * 0.2, S * 0.16, cx + S * 0.2, S * 0.44], 180, 360, fill=hair)
            d.arc([cx - S * 0.24, S * 0.14, cx + S * 0.24, S * 0.62], 180, 360, fill=(40, 40, 44), width=int(S * 0.04))
            for s in (-1, 1):
                d.rounded_rectangle([cx + s * S * 0.24 - S * 0.05, S * 0.36, cx + s * S * 0.24 + S * 0.05, S * 0.5],
                                    radius=S * 0.02, fill=(200, 60, 60))
    # A friendly face.
    ey = S * 0.44
    for s in (-1, 1):
        ex = cx + s * S * 0.075
        d.ellipse([ex - S * 0.022, ey - S * 0.028, ex + S * 0.022, ey + S * 0.028], fill=(40, 32, 30))
    if kind == 2 and k % 4 == 2:
        d.rounded_rectangle([cx - S * 0.15, ey - S * 0.04, cx + S * 0.15, ey + S * 0.035], radius=S * 0.02,
                            fill=(20, 20, 24))
    d.arc([cx - S * 0.08, S * 0.47, cx + S * 0.08, S * 0.58], 15, 165, fill=(150, 60, 60), width=int(S * 0.025))
    if kind == 1:
        for s in (-1, 1):  # a little blush
            d.ellipse([cx + s * S * 0.12 - S * 0.03, S * 0.5, cx + s * S * 0.12 + S * 0.03, S * 0.54], fill=common.shade(skin, -0.1))
    return common.to_u8(common.downsample(img, F))


def strip(cell, counts):
    """Rows of icons for (male, female, other), each cell at ((w + 1) n + 1, (h + 1) row + 1)."""
    w, h = cell
    cols = max(counts)
    out = np.zeros(((h + 1) * 3 + 1, (w + 1) * cols + 1, 3), np.uint8)
    out[...] = LINE
    for row, n in enumerate(counts):
        for k in range(n):
            x, y = (w + 1) * k + 1, (h + 1) * row + 1
            out[y:y + h, x:x + w] = figure(row, k, w)
    return out
