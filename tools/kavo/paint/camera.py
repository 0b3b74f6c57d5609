"""The cameras of the five views as the layout tool took them from fennic, with fennic's own
pinhole: points in half pixels of the 800 x 600 view, the camera axis at (800, 600)."""
import math

import numpy as np

W, H = 800, 600


class Camera:
    def __init__(self, view):
        self.pos = np.array(view["position"], dtype=np.float64)
        self.m = np.array(view["toCamera"], dtype=np.float64)  # world to camera, rows
        self.tx = math.tan(math.radians(view["hfov"]) / 2)
        self.ty = math.tan(math.radians(view["vfov"]) / 2)
        for x, y, z, sx, sy in view["checks"]:
            px, py = self.project(np.array([x, y, z]))
            if abs(px - sx) > 1e-6 or abs(py - sy) > 1e-6:
                raise SystemExit("makekavo: the painter's projection of (%g, %g, %g) is (%.6f, %.6f), fennic's "
                                 "(%.6f, %.6f)" % (x, y, z, px, py, sx, sy))

    def project(self, p):
        """A world point in pixels (fennic's half pixels halved)."""
        c = self.m @ (np.asarray(p, dtype=np.float64) - self.pos)
        d = -c[2]
        return (W + W * c[0] / (d * self.tx)) / 2, (H - H * c[1] / (d * self.ty)) / 2

    def rays(self, ss):
        """Directions (N x 3, world) through ss x ss points of every pixel, rows top down."""
        px = (np.arange(W * ss) + 0.5) / ss
        py = (np.arange(H * ss) + 0.5) / ss
        cx = (2 * px - W) / W * self.tx
        cy = (H - 2 * py) / H * self.ty
        gx, gy = np.meshgrid(cx, cy)
        cam = np.stack([gx, gy, -np.ones_like(gx)], axis=-1).reshape(-1, 3)
        return cam @ self.m  # the transpose takes camera directions back to the world
