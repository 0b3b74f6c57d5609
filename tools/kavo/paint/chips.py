"""Chips: the small chip strips the chip stacks are built from (six chips side by side, each a chip
wide plus one pixel, the sixth the fraction chip) and the chip buttons of the control panel. Each
value has its own colour and edge stripes (1 white, 5 red, 25 green, 100 black, 500 purple) and its
value on the face, lit from the top left like the table."""
import math

import numpy as np
from PIL import Image, ImageDraw

from . import common, keyed

F = 8
# Body, stripe, face ring and value ink of each chip; the sixth is the fraction chip.
CHIPS = [
    ((232, 228, 218), (40, 90, 170), (250, 248, 240), (30, 60, 130), "1"),
    ((190, 28, 36), (245, 240, 232), (228, 220, 210), (170, 20, 30), "5"),
    ((26, 128, 62), (245, 240, 232), (232, 226, 214), (20, 100, 50), "25"),
    ((32, 32, 36), (236, 232, 222), (214, 206, 190), (30, 30, 34), "100"),
    ((104, 42, 140), (250, 210, 70), (236, 226, 236), (90, 30, 120), "500"),
    ((232, 184, 40), (40, 36, 30), (250, 236, 180), (120, 80, 10), "\u00bd"),
]
EDGE_DARK = (26, 26, 26)


def light(x, y, w, h):
    """Top-left light across a face: 1.15 at the top left falling to 0.8."""
    return 1.15 - 0.35 * ((x / w) * 0.5 + (y / h) * 0.5)


def lit_ellipse(img, box, colour, k0=1.12, k1=0.82):
    """An ellipse shaded from its top left to its bottom right."""
    x0, y0, x1, y1 = box
    w, h = int(x1 - x0), int(y1 - y0)
    yy, xx = np.mgrid[0:h, 0:w].astype(np.float32)
    k = k0 - (k0 - k1) * (xx / w * 0.5 + yy / h * 0.5)
    rgb = np.clip(np.asarray(colour, np.float32)[None, None] * k[..., None], 0, 255).astype(np.uint8)
    mask = Image.new("L", (w, h), 0)
    ImageDraw.Draw(mask).ellipse([0, 0, w - 1, h - 1], fill=255)
    img.paste(Image.fromarray(rgb, "RGB"), (int(x0), int(y0)), mask)


def stack_chip(kind, w, h):
    """One chip as the stacks show it: its top face an ellipse, its edge a band below."""
    body, stripe, ring, ink, label = CHIPS[kind]
    W_, H_ = w * F, h * F
    top_h = int(H_ * 0.72)
    side = H_ - top_h
    img = Image.new("RGBA", (W_, H_), (0, 0, 0, 0))
    rgb = Image.new("RGB", (W_, H_), (0, 0, 0))
    d = ImageDraw.Draw(rgb)
    # The edge: the body colour darkened, with stripes where the inserts run round.
    d.rectangle([0, top_h / 2, W_ - 1, top_h / 2 + side], fill=common.shade(body, -0.35))
    d.ellipse([0, side, W_ - 1, side + top_h - 1], fill=common.shade(body, -0.35))
    for i in range(6):
        a = (i + 0.5) / 6 * math.pi
        x = W_ / 2 - math.cos(a) * W_ / 2
        wd = max(F, math.sin(a) * W_ * 0.09)
        d.rectangle([x - wd / 2, top_h / 2 + side * 0.1, x + wd / 2, top_h / 2 + side * 0.95 + math.sin(a) * top_h / 2],
                    fill=common.shade(stripe, -0.25))
    # The top face, lit, its inserts round the rim and a ring with the value inside.
    lit_ellipse(rgb, (0, 0, W_, top_h), body)
    for i in range(8):
        a = i / 8 * 2 * math.pi + math.pi / 8
        cx, cy = W_ / 2 + math.cos(a) * W_ * 0.42, top_h / 2 + math.sin(a) * top_h * 0.42
        d.ellipse([cx - W_ * 0.055, cy - top_h * 0.07, cx + W_ * 0.055, cy + top_h * 0.07], fill=stripe)
    lit_ellipse(rgb, (W_ * 0.2, top_h * 0.2, W_ * 0.8, top_h * 0.8), ring, 1.05, 0.9)
    fnt = common.font(common.SANS_BOLD, int(top_h * (0.52 if len(label) == 1 else 0.44 if len(label) == 2 else 0.36)))
    tmp = Image.new("L", (W_, top_h), 0)
    common.centred_text(ImageDraw.Draw(tmp), W_ / 2, top_h / 2, label, fnt, 255)
    tmp = tmp.resize((W_, int(top_h * 0.8)), Image.LANCZOS)  # the face seen at a slant
    rgb.paste(ink, (0, int(top_h * 0.1)), tmp)
    mask = Image.new("L", (W_, H_), 0)
    md = ImageDraw.Draw(mask)
    md.ellipse([0, 0, W_ - 1, top_h - 1], fill=255)
    md.rectangle([0, top_h / 2, W_ - 1, top_h / 2 + side], fill=255)
    md.ellipse([0, side, W_ - 1, side + top_h - 1], fill=255)
    img.paste(rgb, (0, 0), mask)
    return img


def strip(w, h):
    """Six chips side by side, each w + 1 pixels apart, on the chip stacks' green key."""
    out = np.zeros((h, 6 * (w + 1), 3), np.uint8)
    out[...] = common.CHIP_KEY
    for k in range(6):
        out[:, k * (w + 1):k * (w + 1) + w] = keyed.finish(stack_chip(k, w, h), F, common.CHIP_KEY, EDGE_DARK)
    return out


def button_chip(kind, size, state, under):
    """A chip seen from above for the panel's chip buttons, in one of the four looks: normal,
    pressed (darker, sunk by a pixel), highlighted (a gold glow) and disabled (greyed)."""
    body, stripe, ring, ink, label = CHIPS[kind]
    S = size * F
    img = Image.new("RGBA", (S, S), (0, 0, 0, 0))
    rgb = Image.new("RGB", (S, S), under)
    d = ImageDraw.Draw(rgb)
    inset = 2 * F + (F if state == 1 else 0)
    r0 = inset
    r1 = S - 2 * F + (F if state == 1 else 0)
    if state == 2:
        d.ellipse([0, 0, S - 1, S - 1], fill=(250, 214, 110))
    d.ellipse([r0 + F, r0 + F, r1 + F, r1 + F], fill=(10, 10, 10))  # its shadow
    lit_ellipse(rgb, (r0, r0, r1, r1), body)
    c = (r0 + r1) / 2
    R = (r1 - r0) / 2
    for i in range(6):
        a0 = i * 60 + 15
        d.pieslice([r0, r0, r1, r1], a0, a0 + 22, fill=stripe)
    lit_ellipse(rgb, (c - R * 0.8, c - R * 0.8, c + R * 0.8, c + R * 0.8), body)
    d.ellipse([c - R * 0.64, c - R * 0.64, c + R * 0.64, c + R * 0.64], fill=ring)
    d.ellipse([c - R * 0.64, c - R * 0.64, c + R * 0.64, c + R * 0.64], outline=stripe, width=int(0.8 * F))
    fnt = common.font(common.SANS_BOLD, int(R * (0.9 if len(label) == 1 else 0.72 if len(label) == 2 else 0.56)))
    common.centred_text(d, c, c, label, fnt, ink)
    mask = Image.new("L", (S, S), 0)
    ImageDraw.Draw(mask).ellipse([0 if state == 2 else r0, 0 if state == 2 else r0,
                                  (S - 1) if state == 2 else r1 + F, (S - 1) if state == 2 else r1 + F], fill=255)
    img.paste(rgb, (0, 0), mask)
    if state == 1:
        img = Image.fromarray((np.asarray(img, np.float32) * [0.82, 0.82, 0.82, 1]).astype(np.uint8), "RGBA")
    if state == 3:
        a = np.asarray(img, np.float32)
        grey = a[..., :3].mean(-1, keepdims=True) * 0.55 + 40
        a[..., :3] = grey
        img = Image.fromarray(a.astype(np.uint8), "RGBA")
    return keyed.finish(img, F, common.KEY, under)
