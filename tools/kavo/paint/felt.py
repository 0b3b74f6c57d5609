"""What is printed on the felt, drawn flat in table coordinates: the betting circles with their seat
numbers, the side-bet sevens, the insurance band and the lines of text along the arc."""
import math

import numpy as np
from PIL import Image, ImageDraw

from . import common

# The plan covers the felt: x from -X to X, z from Z0 to Z1, at MM millimetres a pixel.
X, Z0, Z1 = 1.0, -0.02, 1.0
MM = 0.6
SS = 2  # drawn at twice the plan's resolution, then averaged


def plan_size():
    return int(round(2 * X * 1000 / MM)), int(round((Z1 - Z0) * 1000 / MM))


def to_plan(x, z, scale=1):
    """Plan pixel of a table point (x, z), at the plan's resolution times scale."""
    return (x + X) * 1000 / MM * scale, (z - Z0) * 1000 / MM * scale


class Printer:
    """Ink of two kinds on the plan: gold lines (alpha in `gold`) and light lettering (`cream`),
    and the band fill (`band`). Each an 8-bit mask at SS times the plan's size."""

    def __init__(self):
        w, h = plan_size()
        self.w, self.h = w * SS, h * SS
        self.layers = {k: Image.new("L", (self.w, self.h), 0) for k in ("gold", "cream", "band", "red")}
        self.draws = {k: ImageDraw.Draw(v) for k, v in self.layers.items()}

    def px(self, metres):
        return metres * 1000 / MM * SS

    def ring(self, layer, x, z, radius, width):
        cx, cy = to_plan(x, z, SS)
        r0, r1 = self.px(radius - width / 2), self.px(radius + width / 2)
        d = self.draws[layer]
        d.ellipse([cx - r1, cy - r1, cx + r1, cy + r1], fill=255)
        d.ellipse([cx - r0, cy - r0, cx + r0, cy + r0], fill=0)

    def disc(self, layer, x, z, radius):
        cx, cy = to_plan(x, z, SS)
        r = self.px(radius)
        self.draws[layer].ellipse([cx - r, cy - r, cx + r, cy + r], fill=255)

    def band(self, layer, r0, r1, a0, a1, fill=255):
        """The part of the ring r0 .. r1 between angles a0 .. a1 (degrees from +z towards +x)."""
        pts = []
        steps = 180
        for i in range(steps + 1):
            a = math.radians(a0 + (a1 - a0) * i / steps)
            pts.append(to_plan(r1 * math.sin(a), r1 * math.cos(a), SS))
        for i in range(steps, -1, -1):
            a = math.radians(a0 + (a1 - a0) * i / steps)
            pts.append(to_plan(r0 * math.sin(a), r0 * math.cos(a), SS))
        self.draws[layer].polygon(pts, fill=fill)

    def glyph(self, layer, ch, fnt, x, z, up_angle):
        """One character centred at (x, z), its top turned towards up_angle (radians, in the plan:
        0 means towards -z, the dealer)."""
        tmp = Image.new("L", (fnt.size * 3, fnt.size * 3), 0)
        d = ImageDraw.Draw(tmp)
        common.centred_text(d, tmp.width / 2, tmp.height / 2, ch, fnt, 255)
        rot = tmp.rotate(math.degrees(up_angle), resample=Image.BICUBIC)
        cx, cy = to_plan(x, z, SS)
        self.layers[layer].paste(255, (int(round(cx - rot.width / 2)), int(round(cy - rot.height / 2))), rot)

    def arc_text(self, layer, text, radius, height, path, spacing=1.08, centre=0.0):
        """Text along the arc of the radius, read left to right by the players, its letters' tops
        towards the dealer; the cap height is about `height` metres."""
        fnt = common.font(path, max(8, int(round(self.px(height) / 0.72))))
        d = ImageDraw.Draw(Image.new("L", (4, 4)))
        widths = [d.textlength(c, font=fnt) * spacing for c in text]
        total = sum(widths)
        arc = total / self.px(radius)  # radians the text spans
        a = math.radians(centre) - arc / 2  # from the players' left (-x) to their right
        for c, w in zip(text, widths):
            mid = a + (w / self.px(radius)) / 2
            if c != " ":
                x, z = radius * math.sin(mid), radius * math.cos(mid)
                # The letter's top points inwards, along -radial; PIL turns counter-clockwise.
                self.glyph(layer, c, fnt, x, z, mid)
            a += w / self.px(radius)

    def result(self):
        """The masks at the plan's resolution, 0 .. 255."""
        return {k: common.to_u8(common.downsample(v, SS)) for k, v in self.layers.items()}


def print_table(scene, views, table):
    """The felt's print of one table."""
    p = Printer()
    prints = scene["prints"]
    seats = views["seats"]
    circle = scene["seats"]["circleRadius"]
    numbers = common.font(common.SANS_BOLD, int(round(p.px(0.026) / 0.72)))
    for i, s in enumerate(seats):
        x, z = s["spot"]
        # A thin double gold line, the seat's number inside towards the player.
        p.ring("gold", x, z, circle, 0.0035)
        p.ring("gold", x, z, circle - 0.008, 0.0015)
        a = math.radians(s["angle"])
        nx, nz = x + math.sin(a) * (circle - 0.028), z + math.cos(a) * (circle - 0.028)
        p.glyph("gold", str(i + 1), numbers, nx, nz, a)
        if table["sideBet"]:
            bx, bz = s["sideBet"]
            r = scene["seats"]["sideBetCircle"]
            p.disc("red", bx, bz, r - 0.004)
            p.ring("gold", bx, bz, r, 0.003)
            seven = common.font(common.SERIF_BOLD, int(round(p.px(0.034) / 0.72)))
            p.glyph("cream", "7", seven, bx, bz, a)
    ins = scene["insurance"]
    span = 58
    p.band("band", ins["inner"], ins["outer"], -span, span)
    p.band("gold", ins["outer"] - 0.002, ins["outer"], -span, span)
    p.band("gold", ins["inner"], ins["inner"] + 0.002, -span, span)
    mid = (ins["inner"] + ins["outer"]) / 2
    p.arc_text("cream", prints["insurance"]["text"], mid, prints["insurance"]["height"], common.SANS_BOLD, 1.12)
    bj = prints["blackjack"]
    p.arc_text("gold", bj["text"], bj["radius"], bj["height"], common.SANS_BOLD, 1.1)
    rule = prints["dealerRule"]
    p.arc_text("cream", table["dealerRule"], rule["radius"], rule["height"], common.SANS, 1.14)
    if table["sideBet"]:
        sb = prints["sideBet"]
        p.arc_text("cream", sb["text"], sb["radius"], sb["height"], common.SANS, 1.14)
    return p.result()
