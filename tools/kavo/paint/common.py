"""What every painter shares: fonts, supersampled drawing, colours and the BMP writer."""
import os
import struct

import numpy as np
from PIL import Image, ImageDraw, ImageFont

FONT_DIR = "/usr/share/fonts/truetype/dejavu"
SANS = os.path.join(FONT_DIR, "DejaVuSans.ttf")
SANS_BOLD = os.path.join(FONT_DIR, "DejaVuSans-Bold.ttf")
SERIF_BOLD = os.path.join(FONT_DIR, "DejaVuSerif-Bold.ttf")

# The transparent colour of the card sheets and of every keyed picture that is not a chip.
KEY = (255, 0, 255)
# The chip stacks fill their bitmaps with pure green and draw the chips keyed on it.
CHIP_KEY = (0, 255, 0)
GOLD = (214, 178, 84)
GOLD_LIGHT = (246, 222, 140)
GOLD_DARK = (120, 88, 30)
CREAM = (240, 232, 200)
BAIZE = (18, 56, 42)  # the base pack's baize


def font(path, size):
    return ImageFont.truetype(path, size)


def to_u8(a):
    return np.clip(np.rint(a), 0, 255).astype(np.uint8)


def downsample(img, factor):
    """A picture drawn at factor times the size, averaged back (box filter): smooth edges."""
    a = np.asarray(img, dtype=np.float32)
    h, w = a.shape[0] // factor, a.shape[1] // factor
    a = a[: h * factor, : w * factor]
    shape = (h, factor, w, factor) + a.shape[2:]
    return a.reshape(shape).mean(axis=(1, 3))


def write_bmp(path, rgb):
    """A 24-bit BMP (rows bottom up) of an H x W x 3 uint8 array, written through a temporary."""
    rgb = np.asarray(rgb, dtype=np.uint8)
    h, w = rgb.shape[:2]
    pitch = (w * 3 + 3) & ~3
    rows = np.zeros((h, pitch), dtype=np.uint8)
    rows[:, : w * 3] = rgb[:, :, ::-1].reshape(h, w * 3)
    data = rows[::-1].tobytes()
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(header + info + data)
    os.replace(tmp, path)


def write_png(path, rgb):
    Image.fromarray(np.asarray(rgb, dtype=np.uint8), "RGB").save(path, optimize=True)


def text_size(draw, text, fnt):
    box = draw.textbbox((0, 0), text, font=fnt)
    return box[2] - box[0], box[3] - box[1], box


def centred_text(draw, cx, cy, text, fnt, fill, **kw):
    """Text whose ink box is centred on (cx, cy)."""
    w, h, box = text_size(draw, text, fnt)
    draw.text((cx - w / 2 - box[0], cy - h / 2 - box[1]), text, font=fnt, fill=fill, **kw)


def shade(colour, k):
    """A colour lightened (k > 0) towards white or darkened (k < 0) towards black."""
    c = np.asarray(colour, dtype=np.float32)
    return tuple(int(round(v)) for v in (c + (255 - c) * k if k > 0 else c * (1 + k)))


def lerp(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def rng(seed):
    return np.random.default_rng(seed)


def blur(a, radius):
    """A box blur of a 2-D array, wrapping at the edges (so tiles stay tileable)."""
    out = a.astype(np.float32)
    for axis in (0, 1):
        acc = np.zeros_like(out)
        for d in range(-radius, radius + 1):
            acc += np.roll(out, d, axis=axis)
        out = acc / (2 * radius + 1)
    return out


def new_rgb(w, h, colour):
    return Image.new("RGB", (w, h), colour)


def draw_of(img):
    return ImageDraw.Draw(img)
