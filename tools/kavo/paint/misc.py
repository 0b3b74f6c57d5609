"""The smaller pictures of the table: the spot light, the seat arrow's texture, the name plate, the
think bubble, the sit-down, table-information and close buttons, and the table-information popups."""
import math

import numpy as np
from PIL import Image, ImageDraw

from . import common, keyed

F = 8


def spot_light(size):
    """A soft warm glow, stretched over a seat's bet spot; its first colour byte (blue, as the picture
    lies in memory) is what the client adds, a quarter of it, to the table under the spot."""
    y, x = np.mgrid[0:size, 0:size].astype(np.float32)
    r = np.hypot((x + 0.5) / size * 2 - 1, (y + 0.5) / size * 2 - 1)
    # Full over the spot, fading softly at its rim, brightest where the gold line runs.
    glow = np.clip(1 - np.clip(r, 0, 1) ** 3, 0, 1) ** 0.8
    ring = np.exp(-((r - 0.86) / 0.06) ** 2) * 0.25
    i = np.clip(glow * 0.85 + ring, 0, 1) * 255
    out = np.stack([np.minimum(255, i * 1.0 + 14 * (i > 0)), np.minimum(255, i + 8 * (i > 0)), i], -1)
    return common.to_u8(out)


def arrow_texture(w, h):
    """Rows from the arrow's tip (top) to its base: gold, bright down the middle, dark at the sides."""
    y, x = np.mgrid[0:h, 0:w].astype(np.float32)
    across = np.abs((x + 0.5) / w * 2 - 1)
    along = (y + 0.5) / h
    k = (1.25 - 0.75 * across ** 1.5) * (0.85 + 0.25 * along)
    gold = np.array([236, 188, 72], np.float32)
    out = gold[None, None] * k[..., None]
    out[across > 0.9] = (92, 60, 14)
    return common.to_u8(out)


def plate(w, h, text=None, state=0):
    """A dark lacquered plate with a gold rim: the seat's name tag, or the sit-down button."""
    S = F
    img = Image.new("RGBA", (w * S, h * S), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    face = [(22, 34, 30), (14, 22, 20), (36, 58, 48), (40, 42, 42)][state]
    rim = [common.GOLD, common.GOLD_DARK, common.GOLD_LIGHT, (110, 110, 104)][state]
    d.rounded_rectangle([0, 0, w * S - 1, h * S - 1], radius=6 * S, fill=rim + (255,))
    d.rounded_rectangle([1.2 * S, 1.2 * S, w * S - 1 - 1.2 * S, h * S - 1 - 1.2 * S], radius=5 * S, fill=face + (255,))
    d.rounded_rectangle([2 * S, 2 * S, w * S - 1 - 2 * S, h * S / 2], radius=4 * S, fill=common.shade(face, 0.12) + (255,))
    if text:
        fnt = common.font(common.SANS_BOLD, int(h * S * 0.42))
        ink = [common.GOLD_LIGHT, common.GOLD, (255, 240, 190), (150, 150, 140)][state]
        common.centred_text(d, w * S / 2, h * S / 2 + (S if state == 1 else 0), text, fnt, ink + (255,))
    return keyed.finish(img, S, common.KEY, (24, 60, 46))


def see_through(w, h):
    """A cell of nothing but the see-through colour: a look that shows what lies below."""
    return keyed.finish(Image.new("RGBA", (w * F, h * F), (0, 0, 0, 0)), F, common.KEY, (24, 60, 46))


def bubble(w, h):
    """A think bubble with three dots: the seat's player is deciding."""
    img = Image.new("RGBA", (w * F, h * F), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    W_, H_ = w * F, h * F
    d.ellipse([0.05 * W_, 0, 0.98 * W_, 0.74 * H_], fill=(40, 40, 40, 255))
    d.ellipse([0.08 * W_, 0.04 * H_, 0.95 * W_, 0.7 * H_], fill=(252, 252, 246, 255))
    for cx, cy, r in ((0.16, 0.84, 0.1), (0.05, 0.96, 0.05)):
        d.ellipse([(cx - r) * W_, (cy - r) * H_, (cx + r) * W_, (cy + r) * H_], fill=(40, 40, 40, 255))
        d.ellipse([(cx - r * 0.7) * W_, (cy - r * 0.7) * H_, (cx + r * 0.7) * W_, (cy + r * 0.7) * H_],
                  fill=(252, 252, 246, 255))
    for i in range(3):
        x = (0.32 + 0.18 * i) * W_
        d.ellipse([x - 0.055 * W_, 0.32 * H_, x + 0.055 * W_, 0.42 * H_], fill=(60, 60, 60, 255))
    return keyed.finish(img, F, common.KEY, (24, 60, 46))


def round_button(size, symbol, state):
    """A round gold-rimmed button with a symbol ("i" or a cross), in its four looks."""
    S = size * F
    img = Image.new("RGBA", (S, S), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    face = [(26, 70, 52), (16, 46, 34), (40, 110, 80), (60, 64, 62)][state]
    rim = [common.GOLD, common.GOLD_DARK, common.GOLD_LIGHT, (110, 110, 104)][state]
    d.ellipse([0, 0, S - 1, S - 1], fill=rim + (255,))
    d.ellipse([1.5 * F, 1.5 * F, S - 1 - 1.5 * F, S - 1 - 1.5 * F], fill=face + (255,))
    ink = [(250, 246, 230), (210, 206, 190), (255, 236, 170), (150, 150, 144)][state]
    c = S / 2 + (F if state == 1 else 0)
    if symbol == "i":
        d.ellipse([c - 1.6 * F, c - 7 * F, c + 1.6 * F, c - 3.8 * F], fill=ink + (255,))
        d.rounded_rectangle([c - 1.5 * F, c - 2.2 * F, c + 1.5 * F, c + 7 * F], radius=F, fill=ink + (255,))
    else:
        k = 5 * F
        d.line([(c - k, c - k), (c + k, c + k)], fill=ink + (255,), width=int(2.6 * F))
        d.line([(c - k, c + k), (c + k, c - k)], fill=ink + (255,), width=int(2.6 * F))
    return keyed.finish(img, F, common.KEY, (20, 24, 22))


def popup(w, h, tier, table):
    """The table-information popup: the table's stakes and house rules on a framed green card."""
    S = 2
    img = Image.new("RGB", (w * S, h * S), (10, 12, 12))
    d = ImageDraw.Draw(img)
    d.rounded_rectangle([0, 0, w * S - 1, h * S - 1], radius=10 * S, fill=common.GOLD_DARK)
    d.rounded_rectangle([2 * S, 2 * S, w * S - 1 - 2 * S, h * S - 1 - 2 * S], radius=9 * S, fill=(16, 52, 38))
    d.rounded_rectangle([5 * S, 5 * S, w * S - 1 - 5 * S, h * S - 1 - 5 * S], radius=7 * S, outline=common.GOLD, width=S)
    title = common.font(common.SANS_BOLD, 13 * S)
    common.centred_text(d, w * S / 2, 20 * S, table["title"], title, common.GOLD_LIGHT)
    sub = common.font(common.SANS_BOLD, 11 * S)
    common.centred_text(d, w * S / 2, 38 * S, ["Low stakes", "Standard stakes", "High stakes"][tier], sub,
                        [(190, 220, 200), (240, 232, 200), (250, 200, 120)][tier])
    body = common.font(common.SANS, 10 * S)
    y = 58 * S
    for line in table["rules"]:
        d.text((18 * S, y), "\u2022  " + line, font=body, fill=common.CREAM)
        y += 15 * S
    return common.to_u8(common.downsample(img, S))


def digits(w, h):
    """The digits 0 to 9 side by side, gold on black, for the panel's rounds counter."""
    S = F
    img = Image.new("RGB", (10 * w * S, h * S), (8, 10, 10))
    d = ImageDraw.Draw(img)
    fnt = common.font(common.SANS_BOLD, int(h * S * 0.8))
    for k in range(10):
        common.centred_text(d, (k + 0.5) * w * S, h * S / 2, str(k), fnt, common.GOLD_LIGHT)
    return common.to_u8(common.downsample(img, S))
