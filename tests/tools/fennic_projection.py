#!/usr/bin/env python3
"""Projection oracle for the 3-D card library, written from its stated conventions alone.

Each input line is one case; each output line its answer:
  point CX CY CZ CRX CRY CRZ HFOV VFOV X Y Z        -> "SX SY" in half pixels, or "none"
  card CX CY CZ CRX CRY CRZ HFOV VFOV X Y Z RX RY RZ W H
                                                  -> the four corners (top left, top right,
                                                     bottom right, bottom left) "SX SY" each,
                                                     or "none" when one is not in front
The camera stands at (CX, CY, CZ) looking along -z at rest, posed translate . Ry . Rx . Rz; a
card is W x H about its origin in its x-y plane, posed translate . Rx . Rz . Ry. Angles are in
degrees, fields of view full angles, the view 800 x 600 pixels.
"""
import math
import sys

NEAR = 1e-3


def rot_x(a):
    c, s = math.cos(math.radians(a)), math.sin(math.radians(a))
    return [[1, 0, 0], [0, c, -s], [0, s, c]]


def rot_y(a):
    c, s = math.cos(math.radians(a)), math.sin(math.radians(a))
    return [[c, 0, s], [0, 1, 0], [-s, 0, c]]


def rot_z(a):
    c, s = math.cos(math.radians(a)), math.sin(math.radians(a))
    return [[c, -s, 0], [s, c, 0], [0, 0, 1]]


def mul(a, b):
    return [[sum(a[i][k] * b[k][j] for k in range(3)) for j in range(3)] for i in range(3)]


def apply(m, v):
    return [sum(m[i][k] * v[k] for k in range(3)) for i in range(3)]


def project(camera, fov, point):
    cx, cy, cz, crx, cry, crz = camera
    # Camera to world is Ry . Rx . Rz; world to camera its transpose.
    m = mul(mul(rot_y(cry), rot_x(crx)), rot_z(crz))
    d = [point[0] - cx, point[1] - cy, point[2] - cz]
    right = [m[0][0], m[1][0], m[2][0]]
    up = [m[0][1], m[1][1], m[2][1]]
    back = [m[0][2], m[1][2], m[2][2]]
    xc = sum(a * b for a, b in zip(right, d))
    yc = sum(a * b for a, b in zip(up, d))
    depth = -sum(a * b for a, b in zip(back, d))
    if depth <= NEAR:
        return None
    hfov, vfov = fov
    sx = 800 + 800 * xc / (depth * math.tan(math.radians(hfov) / 2))
    sy = 600 - 600 * yc / (depth * math.tan(math.radians(vfov) / 2))
    return sx, sy


def card_corners(pose, w, h):
    x, y, z, rx, ry, rz = pose
    m = mul(mul(rot_x(rx), rot_z(rz)), rot_y(ry))
    local = [(-w / 2, h / 2, 0), (w / 2, h / 2, 0), (w / 2, -h / 2, 0), (-w / 2, -h / 2, 0)]
    out = []
    for corner in local:
        p = apply(m, corner)
        out.append((p[0] + x, p[1] + y, p[2] + z))
    return out


def answer(words):
    kind, values = words[0], [float(v) for v in words[1:]]
    camera, fov = values[0:6], values[6:8]
    if kind == "point":
        p = project(camera, fov, values[8:11])
        return "none" if p is None else "%.6f %.6f" % p
    if kind == "card":
        points = [project(camera, fov, c) for c in card_corners(values[8:14], values[14], values[15])]
        if any(p is None for p in points):
            return "none"
        return " ".join("%.6f %.6f" % p for p in points)
    raise SystemExit("unknown case " + kind)


def main():
    with open(sys.argv[1]) as cases:
        for line in cases:
            if line.strip():
                print(answer(line.split()))


if __name__ == "__main__":
    main()
