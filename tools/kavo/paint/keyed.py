"""Pictures drawn large with an alpha mask and brought down to size for a colour key: the soft
edge is laid over the colour the picture will mostly stand on, and what is mostly outside becomes
the key, which the screens leave out."""
import numpy as np
from PIL import Image

from . import common


def finish(rgba, factor, key, under):
    """An RGBA picture drawn at factor times the size, as an RGB picture on the key."""
    a = np.asarray(rgba, dtype=np.float32)
    alpha = common.downsample(Image.fromarray(a[..., 3].astype(np.uint8), "L"), factor) / 255.0
    premul = a[..., :3] * (a[..., 3:4] / 255.0)
    colour = common.downsample(premul.astype(np.float32), factor)
    under = np.asarray(under, dtype=np.float32)
    out = colour + under * (1 - alpha[..., None])
    out = common.to_u8(out)
    out[alpha < 0.5] = key
    return out
