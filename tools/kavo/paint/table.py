"""The table pictures: each view ray-cast through fennic's camera, two by two samples a pixel.
The felt (with its print, grain, pool of light, shadows and vignette), the padded rail, the
table's apron and the dealer's wooden edge, the shoe, the discard tray, the chip rack and the
carpet around the table."""
import math

import numpy as np

from . import common, felt
from .camera import H, W, Camera

SS = 2
FLOOR_Y = -0.76
EDGE_DEPTH = 0.075  # the dealer's wooden edge, behind z = 0
APRON = 0.10  # depth of the table's side below the felt

MATERIALS = ("floor", "felt", "rail", "apron", "edge", "shoe", "discard", "rack")


def normalise(v):
    return v / np.linalg.norm(v, axis=-1, keepdims=True)


class Boxes:
    """Boxes standing on the felt, each turned about y: centre (x, z), size (w, h, d), angle."""

    def __init__(self, scene, ty):
        self.items = []
        for name in ("shoe", "discard", "rack"):
            o = scene[name]
            self.items.append((name, o["centre"], o["size"], o.get("angle", 0.0)))
        self.ty = ty

    def local(self, item, p, d):
        _, (cx, cz), _, angle = item
        a = math.radians(angle)
        ca, sa = math.cos(a), math.sin(a)
        # The inverse of the layout tool's turn: world = c + (u ca + w sa, -u sa + w ca).
        px, pz = p[..., 0] - cx, p[..., 2] - cz
        lp = np.stack([px * ca - pz * sa, p[..., 1] - self.ty, px * sa + pz * ca], axis=-1)
        ld = np.stack([d[..., 0] * ca - d[..., 2] * sa, d[..., 1], d[..., 0] * sa + d[..., 2] * ca], axis=-1)
        return lp, ld

    def hit(self, item, o, d):
        """Nearest entry t of each ray (inf for none), the local hit point and the face hit (axis
        and sign as 0..5: -x, +x, -y, +y, -z, +z)."""
        _, _, (w, h, dep), _ = item
        lo = np.array([-w / 2, 0.0, -dep / 2])
        hi = np.array([w / 2, h, dep / 2])
        lp, ld = self.local(item, o, d)
        with np.errstate(divide="ignore", invalid="ignore"):
            t0 = (lo - lp) / ld
            t1 = (hi - lp) / ld
        tn = np.minimum(t0, t1)
        tf = np.maximum(t0, t1)
        tn = np.where(np.isnan(tn), -np.inf, tn)
        tf = np.where(np.isnan(tf), np.inf, tf)
        t_in = tn.max(axis=-1)
        t_out = tf.min(axis=-1)
        axis = tn.argmax(axis=-1)
        ok = (t_in <= t_out) & (t_in > 0)
        t = np.where(ok, t_in, np.inf)
        lpt = lp + ld * np.where(ok, t_in, 0)[..., None]
        sign = np.take_along_axis(ld, axis[..., None], -1)[..., 0] < 0  # entered through the + face
        face = axis * 2 + sign.astype(np.int64)
        return t, lpt, face


def weave(seed=7):
    """A tileable felt grain, 256 x 256 for 0.128 m: speckle, fibres and a soft mottle."""
    r = common.rng(seed)
    n = 256
    speck = r.standard_normal((n, n))
    fibre = common.blur(r.standard_normal((n, n)), 1)
    # Fibres run across at a slant: shear-averaged noise.
    slant = np.zeros((n, n))
    for k in range(6):
        slant += np.roll(np.roll(fibre, k, axis=1), k // 2, axis=0)
    mottle = common.blur(r.standard_normal((n, n)), 12)
    g = 0.035 * speck / speck.std() + 0.03 * slant / slant.std() + 0.05 * mottle / mottle.std()
    return g.astype(np.float32)


def carpet(x, z):
    """A dark casino carpet: deep wine with a faint repeating ornament of old gold."""
    u, v = x / 0.36, z / 0.36
    fu, fv = u - np.floor(u) - 0.5, v - np.floor(v) - 0.5
    ring = np.abs(np.hypot(fu, fv) - 0.3) < 0.02
    petal = np.abs(np.hypot(np.abs(fu) - 0.5, np.abs(fv) - 0.5) - 0.16) < 0.018
    diamond = (np.abs(fu) + np.abs(fv)) < 0.07
    base = np.stack([np.full_like(x, 44.0), np.full_like(x, 10.0), np.full_like(x, 18.0)], axis=-1)
    base[ring | petal] = (82, 60, 30)
    base[diamond] = (66, 22, 26)
    return base


class TableRenderer:
    def __init__(self, scene, views):
        self.scene = scene
        self.views = views
        self.ty = scene["tableY"]
        rail = scene["rail"]
        self.rc = (rail["inner"] + rail["outer"]) / 2
        self.ra = (rail["outer"] - rail["inner"]) / 2
        self.rb = rail["height"]
        self.outer = rail["outer"]
        self.boxes = Boxes(scene, self.ty)
        self.light = np.array(scene["light"], dtype=np.float64) + np.array([0, self.ty, 0])
        self.grain = weave()

    # ---- geometry ---------------------------------------------------------------------------

    def rail_hit(self, o, d):
        """The padded rail: the upper half of an elliptic ring about the y axis (z >= 0)."""
        n = d.shape[0]
        t = np.full(n, np.inf)
        down = d[:, 1] < 0
        dy = np.where(down, d[:, 1], -1)
        ta = (self.ty + self.rb - o[1]) / dy
        tb = (self.ty - o[1]) / dy
        # Only rays whose stretch between the rail's top and the felt comes near the ring.
        dxz2 = d[:, 0] ** 2 + d[:, 2] ** 2
        tc = np.clip(-(o[0] * d[:, 0] + o[2] * d[:, 2]) / np.maximum(dxz2, 1e-12), ta, tb)
        rho = [np.hypot(o[0] + d[:, 0] * x, o[2] + d[:, 2] * x) for x in (ta, tb, tc)]
        near = down & (np.maximum(rho[0], rho[1]) >= self.rc - self.ra) & (np.minimum(rho[2], np.minimum(rho[0], rho[1])) <= self.rc + self.ra)
        idx = np.nonzero(near)[0]
        dd, a0, b0 = d[idx], ta[idx], tb[idx]
        found = np.zeros(len(idx), bool)
        tk_hit = np.full(len(idx), np.inf)
        prev = a0.copy()
        steps = 40

        def f_at(tt, rays):
            p = o + rays * tt[:, None]
            r = np.hypot(p[:, 0], p[:, 2])
            return ((r - self.rc) / self.ra) ** 2 + ((p[:, 1] - self.ty) / self.rb) ** 2, p[:, 2]

        for k in range(1, steps + 1):
            tk = a0 + (b0 - a0) * k / steps
            f, z = f_at(tk, dd)
            inside = ~found & (f <= 1) & (z >= 0)
            if inside.any():
                lo, hi = prev[inside], tk[inside]
                for _ in range(10):
                    mid = (lo + hi) / 2
                    fm, _ = f_at(mid, dd[inside])
                    ins = fm <= 1
                    hi = np.where(ins, mid, hi)
                    lo = np.where(ins, lo, mid)
                tk_hit[inside] = hi
                found |= inside
            prev = tk
        t[idx] = tk_hit
        return t

    def apron_hit(self, o, d):
        """The table's side: the cylinder at the rail's outer radius, from the felt down."""
        a = d[:, 0] ** 2 + d[:, 2] ** 2
        b = 2 * (o[0] * d[:, 0] + o[2] * d[:, 2])
        c = o[0] ** 2 + o[2] ** 2 - self.outer ** 2
        disc = b * b - 4 * a * c
        t = np.full(d.shape[0], np.inf)
        ok = disc >= 0
        sq = np.sqrt(np.where(ok, disc, 0))
        for root in ((-b - sq) / (2 * a), (-b + sq) / (2 * a)):
            p = o + d * root[:, None]
            good = ok & (root > 0) & (p[:, 1] <= self.ty) & (p[:, 1] >= self.ty - APRON) & (p[:, 2] >= 0)
            t = np.where(good & (root < t), root, t)
        return t

    def edge_hit(self, o, d):
        item = ("edge", (0.0, -EDGE_DEPTH / 2), (2 * self.outer, 0.012 + APRON, EDGE_DEPTH), 0.0)
        saved = self.boxes.ty
        self.boxes.ty = self.ty - APRON
        t, lp, face = self.boxes.hit(item, o, d)
        self.boxes.ty = saved
        return t, lp, face

    # ---- one view ---------------------------------------------------------------------------

    def trace(self, cam):
        """Per sample: the material hit, the point and the normal, and what the boxes need."""
        d = cam.rays(SS)
        o = cam.pos
        n = d.shape[0]
        best = np.full(n, np.inf)
        mat = np.zeros(n, np.int8)

        def take(t, m):
            nonlocal best
            closer = t < best
            best = np.where(closer, t, best)
            mat[closer] = m

        down = d[:, 1] < 0
        tf = np.where(down, (self.ty - o[1]) / np.where(down, d[:, 1], -1), np.inf)
        pf = o + d * np.where(np.isfinite(tf), tf, 0)[:, None]
        on_felt = np.isfinite(tf) & (np.hypot(pf[:, 0], pf[:, 2]) <= self.rc) & (pf[:, 2] >= 0)
        take(np.where(on_felt, tf, np.inf), 1)
        take(np.where(down, (FLOOR_Y - o[1]) / np.where(down, d[:, 1], -1), np.inf), 0)
        take(self.rail_hit(o, d), 2)
        take(self.apron_hit(o, d), 3)
        te, elp, eface = self.edge_hit(o, d)
        take(te, 4)
        local = {}
        for i, item in enumerate(self.boxes.items):
            sel = self.screen_rect(cam, item)
            t = np.full(n, np.inf)
            lp = np.zeros((n, 3))
            face = np.zeros(n, np.int64)
            t[sel], lp[sel], face[sel] = self.boxes.hit(item, o, d[sel])
            take(t, 5 + i)
            local[item[0]] = (lp, face)
        local["edge"] = (elp, eface)
        p = o + d * np.where(np.isfinite(best), best, 0)[:, None]
        return d, p, mat, local

    def shadow(self, p, samples=6):
        """How much of the light each felt point sees past the boxes: soft, from a small lamp."""
        r = common.rng(3)
        lamps = [self.light + r.uniform(-0.18, 0.18, 3) * np.array([1, 0.2, 1]) for _ in range(samples)]
        lit = np.full(p.shape[0], float(samples))
        for item in self.boxes.items:
            (cx, cz), size = item[1], item[2]
            # A box's shadow falls near it: only the felt around it is asked.
            near = np.nonzero(np.hypot(p[:, 0] - cx, p[:, 2] - cz) < max(size[0], size[2]) + 2.5 * size[1])[0]
            q = p[near]
            for lamp in lamps:
                d = lamp - q
                t, _, _ = self.boxes.hit(item, q + d * 1e-4, d)
                lit[near] -= t < 1
        return lit / samples

    def screen_rect(self, cam, item):
        """The samples whose rays may meet a box: those inside its projected corners' rectangle."""
        (cx, cz), (w, h, dep), angle = item[1], item[2], item[3]
        a = math.radians(angle)
        xs, ys = [], []
        for i in range(8):
            u = (0.5 if i & 1 else -0.5) * w
            v = (0.5 if i & 2 else -0.5) * dep
            y = self.boxes.ty + (h if i & 4 else 0.0)
            px, py = cam.project([cx + u * math.cos(a) + v * math.sin(a), y, cz - u * math.sin(a) + v * math.cos(a)])
            xs.append(px)
            ys.append(py)
        x0, x1 = max(0, int(min(xs)) - 2), min(W, int(max(xs)) + 3)
        y0, y1 = max(0, int(min(ys)) - 2), min(H, int(max(ys)) + 3)
        sel = np.zeros((H * SS, W * SS), bool)
        sel[y0 * SS:y1 * SS, x0 * SS:x1 * SS] = True
        return sel.reshape(-1)

    def render(self, view_index, prints):
        """The view's picture for each table's print (a list of H x W x 3 arrays)."""
        cam = Camera(self.views["views"][view_index])
        d, p, mat, local = self.trace(cam)
        n = d.shape[0]
        colour = np.zeros((n, 3))
        view_dir = -normalise(d)
        to_light = normalise(self.light - p)

        def lit(m, base, normal, shine, spec_k, ambient=0.35):
            tl, vd = to_light[m], view_dir[m]
            diff = np.clip((normal * tl).sum(-1), 0, 1)
            half = normalise(tl + vd)
            spec = np.clip((normal * half).sum(-1), 0, 1) ** shine * spec_k
            return base * (ambient + 0.75 * diff)[:, None] + 255 * spec[:, None] * np.array([1.0, 0.93, 0.8])

        # Carpet, falling into darkness away from the table.
        m = mat == 0
        if m.any():
            q = p[m]
            dist = np.hypot(q[:, 0], q[:, 2] - 0.3)
            colour[m] = carpet(q[:, 0], q[:, 2]) * (0.5 * np.exp(-np.maximum(dist - 1.05, 0) / 0.45))[:, None]

        # The rail: dark oxblood leather, padded and stitched along its inner edge.
        m = mat == 2
        if m.any():
            q = p[m]
            rho = np.hypot(q[:, 0], q[:, 2])
            g = 2 * (rho - self.rc) / self.ra ** 2
            nrm = normalise(np.stack([g * q[:, 0] / rho, 2 * (q[:, 1] - self.ty) / self.rb ** 2, g * q[:, 2] / rho], -1))
            base = np.array([46.0, 20.0, 16.0])
            ang = np.arctan2(q[:, 0], q[:, 2])
            # Tufted panels: a faint crease every 9 degrees, and the stitch line.
            crease = 1 - 0.18 * np.exp(-((np.mod(ang * 180 / math.pi + 4.5, 9.0) - 4.5) ** 2) / 0.15)
            stitch = np.abs(rho - (self.rc - self.ra * 0.78)) < 0.0025
            c = lit(m, base[None, :] * crease[:, None], nrm, 28, 0.22, 0.3)
            c[stitch] = c[stitch] * 0.6 + np.array([150, 120, 70]) * 0.4
            colour[m] = c

        # The side of the table and the dealer's edge: dark polished wood.
        m = mat == 3
        if m.any():
            q = p[m]
            rho = np.hypot(q[:, 0], q[:, 2])
            nrm = np.stack([q[:, 0] / rho, np.zeros(len(q)), q[:, 2] / rho], -1)
            grain = 1 + 0.08 * np.sin(q[:, 1] * 900 + np.sin(np.arctan2(q[:, 0], q[:, 2]) * 40) * 3)
            colour[m] = lit(m, np.array([58.0, 32.0, 18.0])[None, :] * grain[:, None], nrm, 40, 0.25)
        m = mat == 4
        if m.any():
            lp, face = local["edge"]
            q, f = lp[m], face[m]
            nrm = np.zeros((len(q), 3))
            axis, plus = f // 2, f % 2 == 1
            nrm[np.arange(len(q)), axis] = np.where(plus, 1.0, -1.0)
            grain = 1 + 0.1 * np.sin(q[:, 0] * 240 + np.sin(q[:, 2] * 90) * 2)
            base = np.array([66.0, 36.0, 20.0])[None, :] * grain[:, None]
            c = lit(m, base, nrm, 50, 0.3)
            # A brass strip along the top edge towards the felt.
            brass = (axis == 1) & plus & (q[:, 2] > EDGE_DEPTH / 2 - 0.008)
            mb = m.copy()
            mb[m] = brass
            c[brass] = lit(mb, np.array([[170.0, 130.0, 60.0]]), nrm[brass], 30, 0.5)
            colour[m] = c

        self.paint_boxes(colour, mat, local, lit)

        # The felt: prints composed per table below; here its light and shadow.
        m = mat == 1
        q = p[m]
        rho = np.hypot(q[:, 0], q[:, 2])
        pool = 0.62 + 0.5 * np.exp(-((q[:, 0] / 0.75) ** 2 + ((q[:, 2] - 0.5) / 0.6) ** 2))
        near_rail = 1 - 0.45 * np.exp(-(self.rc - self.ra - rho).clip(0) / 0.02)
        near_edge = 1 - 0.35 * np.exp(-q[:, 2].clip(0) / 0.015)
        sun = 0.55 + 0.45 * self.shadow(q)
        light = pool * near_rail * near_edge * sun
        gi = ((q[:, 0] / 0.128 * 256).astype(np.int64) % 256, (q[:, 2] / 0.128 * 256).astype(np.int64) % 256)
        grain = 1 + self.grain[gi[1], gi[0]]
        pw, ph = felt.plan_size()
        u = (q[:, 0] + felt.X) * 1000 / felt.MM
        v = (q[:, 2] - felt.Z0) * 1000 / felt.MM

        pictures = []
        for pr in prints:
            c = colour.copy()
            base = np.array(common.BAIZE, dtype=np.float64) * 1.9
            f = base[None, :] * grain[:, None]
            band = sample(pr["band"], u, v, pw, ph)
            f = f * (1 - 0.35 * band)[:, None]
            red = sample(pr["red"], u, v, pw, ph)
            f = f * (1 - red)[:, None] + np.array([150.0, 26.0, 30.0]) * red[:, None]
            gold = sample(pr["gold"], u, v, pw, ph)
            f = f * (1 - gold)[:, None] + np.array(common.GOLD, dtype=np.float64) * 1.05 * gold[:, None]
            cream = sample(pr["cream"], u, v, pw, ph)
            f = f * (1 - cream)[:, None] + np.array(common.CREAM, dtype=np.float64) * cream[:, None]
            c[m] = f * light[:, None]
            img = c.reshape(H, SS, W, SS, 3).mean(axis=(1, 3))
            pictures.append(common.to_u8(vignette(img)))
        return pictures

    def paint_boxes(self, colour, mat, local, lit):
        for i, (name, _, size, _) in enumerate(self.boxes.items):
            m = mat == 5 + i
            if not m.any():
                continue
            lp, face = local[name]
            q, f = lp[m], face[m]
            axis, plus = f // 2, f % 2 == 1
            nrm_local = np.zeros((len(q), 3))
            nrm_local[np.arange(len(q)), axis] = np.where(plus, 1.0, -1.0)
            a = math.radians(self.boxes.items[i][3])
            ca, sa = math.cos(a), math.sin(a)
            nrm = np.stack([nrm_local[:, 0] * ca + nrm_local[:, 2] * sa, nrm_local[:, 1],
                            -nrm_local[:, 0] * sa + nrm_local[:, 2] * ca], -1)
            w, h, dep = size
            top = (axis == 1) & plus
            if name == "shoe":
                base = np.tile(np.array([[34.0, 26.0, 30.0]]), (len(q), 1))
                # Through the smoked sides the stacked cards show as fine pale lines.
                stack = (axis != 1) & (q[:, 1] > 0.012) & (q[:, 1] < h * 0.85)
                lines = 0.5 + 0.5 * np.sin(q[:, 1] * 2400)
                base[stack] = base[stack] * 0.6 + np.array([150.0, 140.0, 130.0]) * (0.25 + 0.15 * lines[stack])[:, None]
                # On top, the back of the next card: burgundy lattice.
                lat = (np.sin(q[:, 0] * 700 + q[:, 2] * 700) > 0.6) | (np.sin(q[:, 0] * 700 - q[:, 2] * 700) > 0.6)
                tb = np.where(lat[:, None], np.array([[170.0, 40.0, 56.0]]), np.array([[110.0, 18.0, 32.0]]))
                rim = (np.abs(q[:, 0]) > w / 2 - 0.008) | (np.abs(q[:, 2]) > dep / 2 - 0.008)
                tb[rim] = (28, 22, 26)
                base[top] = tb[top]
                colour[m] = lit(m, base, nrm, 60, 0.45)
            elif name == "discard":
                base = np.tile(np.array([[92.0, 14.0, 24.0]]), (len(q), 1))
                inner = top & (np.abs(q[:, 0]) < w / 2 - 0.01) & (np.abs(q[:, 2]) < dep / 2 - 0.01)
                base[inner] = (34.0, 8.0, 12.0)
                colour[m] = lit(m, base, nrm, 60, 0.5)
            else:
                colour[m] = lit(m, rack_colours(q, top, w, dep), nrm, 40, 0.35)


# Chip colours of the rack's tubes, by value: white 1, red 5, green 25, black 100, purple 500.
RACK = [(236, 232, 222), (196, 30, 36), (28, 130, 60), (30, 30, 34), (110, 46, 140)]


def rack_colours(q, top, w, dep):
    base = np.tile(np.array([[40.0, 30.0, 26.0]]), (len(q), 1))
    tubes = 10
    u = (q[:, 0] + w / 2) / w * tubes
    k = np.clip(np.floor(u).astype(int), 0, tubes - 1)
    fu = u - np.floor(u)
    inside = top & (fu > 0.08) & (fu < 0.92) & (np.abs(q[:, 2]) < dep / 2 - 0.01)
    order = np.array([4, 3, 2, 1, 0, 0, 1, 2, 3, 4])
    chip = np.array(RACK, dtype=np.float64)[order[k]]
    # Chips stand on edge: across the tube, the rounded edges; along it, the stripes of each chip.
    round_ = 0.55 + 0.45 * np.sin(np.pi * fu)
    edge = np.sin(q[:, 2] * 900) > 0.55
    c = chip * round_[:, None]
    c[edge] = c[edge] * 0.6 + 255 * 0.4 * round_[edge, None]
    base[inside] = c[inside]
    return base


def sample(mask, u, v, w, h):
    """Bilinear samples of a plan mask at plan pixel coordinates (outside: 0)."""
    x = u - 0.5
    y = v - 0.5
    x0 = np.floor(x).astype(np.int64)
    y0 = np.floor(y).astype(np.int64)
    fx, fy = x - x0, y - y0
    out = np.zeros(len(u))
    for dy, wy in ((0, 1 - fy), (1, fy)):
        for dx, wx in ((0, 1 - fx), (1, fx)):
            xi, yi = x0 + dx, y0 + dy
            ok = (xi >= 0) & (yi >= 0) & (xi < w) & (yi < h)
            val = np.zeros(len(u))
            val[ok] = mask[yi[ok], xi[ok]]
            out += val * wx * wy
    return out / 255.0


def vignette(img):
    y, x = np.mgrid[0:H, 0:W]
    r = np.hypot((x - W / 2) / (W / 2), (y - H * 0.45) / (H * 0.62))
    k = 1 - 0.32 * np.clip(r - 0.45, 0, None) ** 1.6
    return img * k[..., None]
