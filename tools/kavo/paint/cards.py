"""The card faces (13 ranks across, 4 suits down: clubs, diamonds, hearts, spades) and the back.
White faces with rounded corners and a thin grey edge, a large index in two corners, pips laid out
for 2 to 10, framed double-ended court figures of our own in the suit's colour, one large pip on
the aces; the back a fine burgundy lattice inside a white border."""
import math

import numpy as np
from PIL import Image, ImageDraw

from . import common, keyed

F = 8  # drawn at eight times the size
RED = (196, 22, 34)
BLACK = (22, 22, 26)
SUITS = ["\u2663", "\u2666", "\u2665", "\u2660"]  # clubs, diamonds, hearts, spades
RANKS = ["A", "2", "3", "4", "5", "6", "7", "8", "9", "10", "J", "Q", "K"]
FACE = (252, 252, 248)
EDGE = (150, 150, 150)
UNDER = (30, 80, 60)  # the felt, under a card's soft edge

# Pip places in the pip area (0..1 across, 0..1 down) for 2 to 10.
PIPS = {
    2: [(0.5, 0), (0.5, 1)],
    3: [(0.5, 0), (0.5, 0.5), (0.5, 1)],
    4: [(0, 0), (1, 0), (0, 1), (1, 1)],
    5: [(0, 0), (1, 0), (0.5, 0.5), (0, 1), (1, 1)],
    6: [(0, 0), (1, 0), (0, 0.5), (1, 0.5), (0, 1), (1, 1)],
    7: [(0, 0), (1, 0), (0.5, 0.25), (0, 0.5), (1, 0.5), (0, 1), (1, 1)],
    8: [(0, 0), (1, 0), (0.5, 0.25), (0, 0.5), (1, 0.5), (0.5, 0.75), (0, 1), (1, 1)],
    9: [(0, 0), (1, 0), (0, 1 / 3), (1, 1 / 3), (0.5, 0.5), (0, 2 / 3), (1, 2 / 3), (0, 1), (1, 1)],
    10: [(0, 0), (1, 0), (0.5, 1 / 6), (0, 1 / 3), (1, 1 / 3), (0, 2 / 3), (1, 2 / 3), (0.5, 5 / 6), (0, 1), (1, 1)],
}


def rounded_mask(w, h, radius):
    m = Image.new("L", (w, h), 0)
    ImageDraw.Draw(m).rounded_rectangle([0, 0, w - 1, h - 1], radius=radius, fill=255)
    return m


def glyph(ch, size, colour, path=common.SANS_BOLD, squeeze=1.0):
    """A character as an RGBA picture just holding its ink."""
    fnt = common.font(path, size)
    tmp = Image.new("RGBA", (size * 3, size * 2), (0, 0, 0, 0))
    d = ImageDraw.Draw(tmp)
    box = d.textbbox((size // 2, size // 4), ch, font=fnt)
    d.text((size // 2, size // 4), ch, font=fnt, fill=colour + (255,))
    tmp = tmp.crop(box)
    if squeeze != 1.0:
        tmp = tmp.resize((max(1, int(tmp.width * squeeze)), tmp.height), Image.LANCZOS)
    return tmp


def paste_centred(img, g, cx, cy, flip=False):
    if flip:
        g = g.rotate(180)
    img.alpha_composite(g, (int(round(cx - g.width / 2)), int(round(cy - g.height / 2))))


def suit_pip(suit, height):
    """A suit symbol scaled so its ink is `height` pixels tall."""
    colour = RED if suit in (1, 2) else BLACK
    g = glyph(SUITS[suit], int(height * 1.45), colour, common.SANS)
    k = height / g.height
    return g.resize((max(1, int(round(g.width * k))), max(1, int(round(height)))), Image.LANCZOS)


def index(img, rank, suit, w, h):
    colour = RED if suit in (1, 2) else BLACK
    rank_h = 13 * F
    text = RANKS[rank]
    g = glyph(text, int(rank_h * 1.38), colour, common.SANS_BOLD, 0.78 if text == "10" else 0.92)
    g = g.resize((g.width * rank_h // g.height, rank_h), Image.LANCZOS)
    pip = suit_pip(suit, 8.5 * F)
    x = 7 * F
    for flip in (False, True):
        cx, y0 = (x, 3.0 * F) if not flip else (w - x, h - 3.0 * F)
        if not flip:
            paste_centred(img, g, cx, y0 + rank_h / 2)
            paste_centred(img, pip, cx, y0 + rank_h + 1.6 * F + pip.height / 2)
        else:
            paste_centred(img, g, cx, y0 - rank_h / 2, True)
            paste_centred(img, pip, cx, y0 - rank_h - 1.6 * F - pip.height / 2, True)


def pips(img, rank, suit, w, h):
    n = rank + 1
    left, right, top, bottom = 19.5 * F, w - 19.5 * F, 12 * F, h - 12 * F
    pip = suit_pip(suit, 10 * F)
    for fx, fy in PIPS[n]:
        cx = left + (right - left) * fx
        cy = top + (bottom - top) * fy
        paste_centred(img, pip, cx, cy, flip=fy > 0.5)


def ace(img, suit, w, h):
    big = suit_pip(suit, 30 * F if suit != 3 else 34 * F)
    paste_centred(img, big, w / 2, h / 2)


def court(img, rank, suit, w, h):
    """A framed, double-ended bust: K crowned, Q with a tiara, J in a feathered cap."""
    colour = RED if suit in (1, 2) else BLACK
    x0, y0, x1, y1 = 13 * F, 9 * F, w - 13 * F, h - 9 * F
    half = Image.new("RGBA", (int(x1 - x0), int((y1 - y0) / 2)), (0, 0, 0, 0))
    d = ImageDraw.Draw(half)
    hw, hh = half.width, half.height
    robe = colour
    trim = (212, 170, 60)
    skin = (244, 214, 178)
    hair = {10: (120, 70, 30), 11: (200, 150, 60), 12: (150, 150, 150)}[rank]
    cx = hw / 2
    # Shoulders: a robe with a gold collar, reaching the fold line.
    d.polygon([(cx - hw * 0.46, hh), (cx - hw * 0.38, hh * 0.62), (cx, hh * 0.55), (cx + hw * 0.38, hh * 0.62),
               (cx + hw * 0.46, hh)], fill=robe + (255,))
    d.polygon([(cx - hw * 0.2, hh * 0.6), (cx, hh * 0.78), (cx + hw * 0.2, hh * 0.6), (cx, hh * 0.68)], fill=trim + (255,))
    d.line([(cx, hh * 0.78), (cx, hh)], fill=trim + (255,), width=int(0.9 * F))
    # Head, hair and face.
    r = hw * 0.17
    hy = hh * 0.40
    d.ellipse([cx - r * 1.08, hy - r * 1.1, cx + r * 1.08, hy + r * 0.9], fill=hair + (255,))
    d.ellipse([cx - r, hy - r * 0.8, cx + r, hy + r], fill=skin + (255,))
    e = r * 0.16
    for s in (-1, 1):
        d.ellipse([cx + s * r * 0.38 - e, hy - e, cx + s * r * 0.38 + e, hy + e], fill=(40, 30, 30, 255))
    d.arc([cx - r * 0.4, hy + r * 0.15, cx + r * 0.4, hy + r * 0.6], 20, 160, fill=(150, 50, 50, 255), width=int(0.6 * F))
    if rank == 12:  # a king's crown and beard
        d.polygon([(cx - r * 1.1, hy - r * 0.7), (cx - r * 1.1, hy - r * 1.7), (cx - r * 0.55, hy - r * 1.2),
                   (cx, hy - r * 1.9), (cx + r * 0.55, hy - r * 1.2), (cx + r * 1.1, hy - r * 1.7),
                   (cx + r * 1.1, hy - r * 0.7)], fill=trim + (255,))
        d.chord([cx - r * 0.9, hy + r * 0.1, cx + r * 0.9, hy + r * 1.5], 0, 180, fill=hair + (255,))
        d.arc([cx - r * 0.4, hy + r * 0.1, cx + r * 0.4, hy + r * 0.45], 20, 160, fill=(120, 40, 40, 255), width=int(0.6 * F))
    elif rank == 11:  # a queen's tiara and long hair
        d.rectangle([cx - r * 1.35, hy - r * 0.2, cx - r * 0.9, hy + r * 1.5], fill=hair + (255,))
        d.rectangle([cx + r * 0.9, hy - r * 0.2, cx + r * 1.35, hy + r * 1.5], fill=hair + (255,))
        d.chord([cx - r * 1.0, hy - r * 1.6, cx + r * 1.0, hy - r * 0.3], 180, 360, fill=trim + (255,))
        d.ellipse([cx - r * 0.22, hy - r * 1.5, cx + r * 0.22, hy - r * 1.06], fill=robe + (255,))
    else:  # a jack's cap with a feather
        d.chord([cx - r * 1.25, hy - r * 1.5, cx + r * 1.1, hy - r * 0.1], 180, 360, fill=robe + (255,))
        d.rectangle([cx - r * 1.25, hy - r * 0.9, cx + r * 1.1, hy - r * 0.65], fill=trim + (255,))
        d.line([(cx + r * 0.8, hy - r * 0.9), (cx + r * 1.7, hy - r * 2.0)], fill=trim + (255,), width=int(1.2 * F))
    # The suit, small, in the upper corner of the frame.
    pip = suit_pip(suit, 7 * F)
    half.alpha_composite(pip, (int(2 * F), int(2 * F)))
    frame_bg = Image.new("RGBA", (int(x1 - x0), int(y1 - y0)), (246, 238, 214, 255))
    frame_bg.alpha_composite(half, (0, 0))
    frame_bg.alpha_composite(half.rotate(180), (0, int((y1 - y0) - hh)))
    fd = ImageDraw.Draw(frame_bg)
    fd.line([(0, (y1 - y0) / 2), (frame_bg.width, (y1 - y0) / 2)], fill=trim + (255,), width=int(0.6 * F))
    fd.rectangle([0, 0, frame_bg.width - 1, frame_bg.height - 1], outline=colour + (255,), width=int(0.9 * F))
    img.alpha_composite(frame_bg, (int(x0), int(y0)))


def face(rank, suit, w, h):
    W_, H_ = w * F, h * F
    img = Image.new("RGBA", (W_, H_), FACE + (255,))
    if rank == 0:
        ace(img, suit, W_, H_)
    elif rank >= 10:
        court(img, rank, suit, W_, H_)
    else:
        pips(img, rank, suit, W_, H_)
    index(img, rank, suit, W_, H_)
    d = ImageDraw.Draw(img)
    d.rounded_rectangle([0, 0, W_ - 1, H_ - 1], radius=5 * F, outline=EDGE + (255,), width=int(0.9 * F))
    img.putalpha(rounded_mask(W_, H_, 5 * F))
    return img


def sheet(w, h):
    out = np.zeros((4 * h, 13 * w, 3), np.uint8)
    for suit in range(4):
        for rank in range(13):
            out[suit * h:(suit + 1) * h, rank * w:(rank + 1) * w] = keyed.finish(face(rank, suit, w, h), F, common.KEY, UNDER)
    return out


def back(w, h):
    W_, H_ = w * F, h * F
    img = Image.new("RGBA", (W_, H_), FACE + (255,))
    bw = 3.2 * F
    field = np.zeros((int(H_ - 2 * bw), int(W_ - 2 * bw), 4), np.uint8)
    yy, xx = np.mgrid[0:field.shape[0], 0:field.shape[1]].astype(np.float32)
    pitch = 4.2 * F
    a = np.abs(((xx + yy) % pitch) - pitch / 2) < 0.55 * F
    b = np.abs(((xx - yy) % pitch) - pitch / 2) < 0.55 * F
    field[...] = (122, 16, 36, 255)
    field[a | b] = (178, 52, 70, 255)
    field[a & b] = (214, 120, 120, 255)
    fimg = Image.fromarray(field, "RGBA")
    fd = ImageDraw.Draw(fimg)
    fd.rectangle([0, 0, fimg.width - 1, fimg.height - 1], outline=(90, 8, 24, 255), width=int(0.8 * F))
    fd.rectangle([1.6 * F, 1.6 * F, fimg.width - 1 - 1.6 * F, fimg.height - 1 - 1.6 * F], outline=(236, 200, 190, 255),
                 width=int(0.5 * F))
    img.alpha_composite(fimg, (int(bw), int(bw)))
    d = ImageDraw.Draw(img)
    d.rounded_rectangle([0, 0, W_ - 1, H_ - 1], radius=5 * F, outline=EDGE + (255,), width=int(0.9 * F))
    img.putalpha(rounded_mask(W_, H_, 5 * F))
    return keyed.finish(img, F, common.KEY, UNDER)
