#!/usr/bin/env python3
"""A JPEG corpus and its expected pixels, made with cjpeg, djpeg and ImageMagick.

  make_jpeg_corpus.py OUTDIR

Writes OUTDIR/NAME.jpg for every case, OUTDIR/NAME.pnm with `djpeg -dct int -nosmooth` output
(P6, or P5 for grey) for each file the loader must decode, and OUTDIR/cases.txt with one line a
case: "NAME decode" or "NAME refuse". The pictures are drawn here (gradients, edges and noise),
so the run is the same on every machine.
"""
import os
import subprocess
import sys


def picture(width, height, seed):
    """PPM bytes: smooth colour ramps, a hard-edged disc and a band of noise."""
    state = seed * 2654435761 & 0xFFFFFFFF
    rows = []
    for y in range(height):
        row = bytearray(width * 3)
        for x in range(width):
            state = (state * 1103515245 + 12345) & 0x7FFFFFFF
            noise = (state >> 16) & 63 if (y // 5) % 3 == 1 else 0
            cx, cy = x - width // 2, y - height // 3
            inside = cx * cx + cy * cy < (min(width, height) // 3) ** 2
            r = (x * 255 // max(width - 1, 1) + noise) & 255
            g = (y * 255 // max(height - 1, 1) + noise // 2) & 255
            b = 230 if inside else ((x ^ y) * 3 + noise) & 255
            row[3 * x:3 * x + 3] = bytes((r, g, b))
        rows.append(bytes(row))
    return b"P6\n%d %d\n255\n" % (width, height) + b"".join(rows)


def segments(data):
    """(offset, marker, length) of each marker segment before the first scan."""
    out, pos = [], 2
    while pos + 4 <= len(data) and data[pos] == 0xFF:
        code, length = data[pos + 1], data[pos + 2] << 8 | data[pos + 3]
        out.append((pos, code, length))
        if code == 0xDA:
            break
        pos += 2 + length
    return out


def patch_frame(data, code=None, precision=None, width=None):
    data = bytearray(data)
    for pos, marker, _ in segments(data):
        if 0xC0 <= marker <= 0xC2:
            if code is not None:
                data[pos + 1] = code
            if precision is not None:
                data[pos + 4] = precision
            if width is not None:
                data[pos + 7:pos + 9] = bytes((width >> 8, width & 255))
    return bytes(data)


def first(data, marker):
    return next(pos for pos, code, _ in segments(data) if code == marker)


def poke(data, offset, values):
    data = bytearray(data)
    data[offset:offset + len(values)] = bytes(values)
    return bytes(data)


def resize_segment(data, pos, drop_from, drop_count, new_count_at=None, new_count=None):
    """Removes drop_count bytes at drop_from inside the segment at pos and fixes its length."""
    length = (data[pos + 2] << 8 | data[pos + 3]) - drop_count
    data = bytearray(data[:drop_from] + data[drop_from + drop_count:])
    data[pos + 2:pos + 4] = bytes((length >> 8, length & 255))
    if new_count_at is not None:
        data[new_count_at] = new_count
    return bytes(data)


def hostile(plain):
    """Files that break one rule each, made from a 4:2:0 baseline file."""
    dqt, dht, sof, sos = (first(plain, m) for m in (0xDB, 0xC4, 0xC0, 0xDA))
    dc_total = sum(plain[dht + 5:dht + 21])
    return {
        "dqt_table4": poke(plain, dqt + 4, [0x04]),
        "dht_table4": poke(plain, dht + 4, [0x04]),
        "dht_class2": poke(plain, dht + 4, [0x20]),
        "dht_dc_size12": poke(plain, dht + 21 + dc_total - 1, [12]),
        "dht_oversubscribed": poke(plain, dht + 5, [3]),
        "segment_length1": poke(plain, dqt + 2, [0, 1]),
        "segment_past_end": poke(plain, dqt + 2, [0xFF, 0xFF]),
        "zero_width": patch_frame(plain, width=0),
        "zero_height": poke(plain, sof + 5, [0, 0]),
        "sampling5": poke(plain, sof + 11, [0x51]),
        "non_integral_ratio": poke(poke(plain, sof + 11, [0x31]), sof + 14, [0x21]),
        "too_many_blocks": poke(poke(plain, sof + 14, [0x22]), sof + 17, [0x22]),
        "two_components": resize_segment(plain, sof, sof + 16, 3, sof + 9, 2),
        "scan_missing_component": resize_segment(plain, sos, sos + 9, 2, sos + 4, 2),
        "scan_unknown_component": poke(plain, sos + 7, [99]),
        "undefined_huffman_table": poke(plain, sos + 8, [0x33]),
        "sof_length_wrong": poke(plain, sof + 2, [0, 18]),
    }


def drop_jfif(data):
    pos, code, length = segments(data)[0]
    assert code == 0xE0
    return data[:pos] + data[pos + 2 + length:]


def with_exif_first(data):
    exif = b"Exif\0\0" + bytes(16)
    return data[:2] + b"\xFF\xE1" + bytes(((len(exif) + 2) >> 8, (len(exif) + 2) & 255)) + exif + \
        data[2:]


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    sources = {}
    for size in ((1, 1), (7, 9), (17, 33), (800, 600)):
        path = os.path.join(out, "src%dx%d.ppm" % size)
        with open(path, "wb") as f:
            f.write(picture(size[0], size[1], size[0] * 7 + size[1]))
        sources[size] = path
    cases = []

    def cjpeg(name, size, args):
        data = subprocess.run(["cjpeg"] + args + [sources[size]], check=True,
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout
        return name, data

    def add(name, data, decode):
        path = os.path.join(out, name + ".jpg")
        with open(path, "wb") as f:
            f.write(data)
        if decode:
            with open(os.path.join(out, name + ".pnm"), "wb") as f:
                subprocess.run(["djpeg", "-dct", "int", "-nosmooth", path], check=True, stdout=f)
        cases.append("%s %s" % (name, "decode" if decode else "refuse"))

    samplings = {"grey": ["-grayscale"], "444": ["-sample", "1x1"], "422": ["-sample", "2x1"],
                 "420": ["-sample", "2x2"], "440": ["-sample", "1x2"], "411": ["-sample", "4x1"]}
    for label, sample in samplings.items():
        for size in ((1, 1), (7, 9), (17, 33)):
            for quality in (5, 75, 100):
                extra = ["-baseline"] if quality == 5 else []
                add(*cjpeg("%s_%dx%d_q%d" % (label, size[0], size[1], quality), size,
                           sample + extra + ["-quality", str(quality)]), True)
        add(*cjpeg("%s_17x33_optimized" % label, (17, 33), sample + ["-optimize"]), True)
        add(*cjpeg("%s_17x33_restart1b" % label, (17, 33), sample + ["-restart", "1b"]), True)
    for label in ("grey", "444", "420"):
        add(*cjpeg("%s_800x600_q75" % label, (800, 600), samplings[label] + ["-quality", "75"]),
            True)
    add(*cjpeg("420_800x600_restart1", (800, 600), samplings["420"] + ["-restart", "1"]), True)
    add(*cjpeg("444_800x600_restart3b", (800, 600), samplings["444"] + ["-restart", "3b"]), True)

    # Quantisation values above 255 need 16-bit tables; libjpeg marks such a frame extended
    # sequential, which this decoder refuses, so the decoded copy carries a baseline marker.
    name, data = cjpeg("420_17x33_q5_wide", (17, 33), samplings["420"] + ["-quality", "5"])
    add(name, patch_frame(data, code=0xC0), True)
    add("extended_sequential", data, False)

    # ImageMagick's own encoder settings.
    for label, factors in (("im_411", "4:1:1"), ("im_420", "2x2,1x1,1x1")):
        path = os.path.join(out, label + "_src.jpg")
        subprocess.run(["/usr/bin/convert", sources[(17, 33)], "-sampling-factor", factors,
                        "-quality", "80", path], check=True)
        with open(path, "rb") as f:
            add(label, f.read(), True)

    # What must be refused.
    _, plain = cjpeg("", (17, 33), samplings["420"])
    add(*cjpeg("progressive", (17, 33), samplings["420"] + ["-progressive"]), False)
    add(*cjpeg("arithmetic", (17, 33), samplings["420"] + ["-arithmetic"]), False)
    add("precision12", patch_frame(plain, precision=12), False)
    add("no_jfif", drop_jfif(plain), False)
    add("exif_first", with_exif_first(plain), False)
    add("width65501", patch_frame(plain, width=65501), False)
    add("truncated_header", plain[:40], False)
    for name, data in hostile(plain).items():
        add(name, data, False)

    with open(os.path.join(out, "cases.txt"), "w") as f:
        f.write("\n".join(cases) + "\n")


if __name__ == "__main__":
    main()
