"""The control panel's pictures: the leather chip tray under the five chip buttons, the light that
marks the chosen chip, and the chip buttons' sheet."""
import numpy as np
from PIL import Image, ImageDraw

from . import chips, common

TRAY = (58, 34, 22)


def tray(w, h, wells):
    """Dark tooled leather with a gold rim and a sunken well under each chip button."""
    S = 4
    img = Image.new("RGB", (w * S, h * S), common.GOLD_DARK)
    d = ImageDraw.Draw(img)
    d.rounded_rectangle([S, S, w * S - 1 - S, h * S - 1 - S], radius=8 * S, fill=TRAY)
    r = common.rng(11)
    a = np.asarray(img, np.float32)
    grain = common.blur(r.standard_normal((h * S, w * S)), 2) * 6
    a[..., :3] += grain[..., None]
    img = Image.fromarray(common.to_u8(a), "RGB")
    d = ImageDraw.Draw(img)
    d.rounded_rectangle([3 * S, 3 * S, w * S - 1 - 3 * S, h * S - 1 - 3 * S], radius=7 * S, outline=(120, 86, 40), width=S)
    for x, y, ww, hh in wells:
        d.ellipse([x * S, y * S, (x + ww) * S - 1, (y + hh) * S - 1], fill=common.shade(TRAY, -0.45))
        d.ellipse([x * S + S, y * S + 2 * S, (x + ww) * S - 1 - S, (y + hh) * S - 1], fill=common.shade(TRAY, -0.25))
    return common.to_u8(common.downsample(img, S))


def tray_light(w, h):
    """A warm gold halo around a chip well, painted over the tray where the chosen chip lies."""
    y, x = np.mgrid[0:h, 0:w].astype(np.float32)
    r = np.hypot((x + 0.5) / w * 2 - 1, (y + 0.5) / h * 2 - 1)
    glow = np.exp(-((r - 0.93) / 0.09) ** 2)
    base = np.asarray(common.shade(TRAY, -0.45), np.float32)
    out = base[None, None] * (1 - glow[..., None]) + np.array([255, 214, 110], np.float32) * glow[..., None]
    return common.to_u8(out)


def chip_buttons(size):
    """Rows of the five chips, columns of their four looks: normal, pressed, highlighted, disabled."""
    rows = []
    for k in range(5):
        rows.append(np.concatenate([chips.button_chip(k, size, state, common.shade(TRAY, -0.45)) for state in range(4)], 1))
    return np.concatenate(rows, 0)
