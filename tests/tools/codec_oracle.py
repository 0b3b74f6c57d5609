#!/usr/bin/env python3
"""Expected Base64 and UU texts, computed with Python's base64 and binascii modules.

Writes, one case a line, tab-separated and hex-encoded:
  tests/data/compression/base64.txt: input, plain Base64, Base64 with CR LF line breaks
  tests/data/compression/uu.txt:     input, UU text (45-byte lines, zero values as blanks)
Run from the repository root; the outputs are committed and read by the compression tests.
"""
import base64
import binascii
import os
import random


def broken(data):
    # encodebytes: 76-character lines, each ended; ours end with CR LF, and a text whose last
    # line is complete (no partial group) gets one more CR LF (an empty input gets just that).
    text = base64.encodebytes(data).replace(b"\n", b"\r\n")
    if len(data) % 3 == 0 and (len(data) // 3 * 4) % 76 == 0:
        text += b"\r\n"
    return text


def uu(data):
    return b"".join(binascii.b2a_uu(data[i:i + 45], backtick=False)
                    for i in range(0, len(data), 45))


def main():
    rng = random.Random(1128)
    sizes = [0, 1, 2, 3, 4, 5, 44, 45, 46, 56, 57, 58, 59, 60, 90, 113, 114, 135, 136, 171, 228]
    sizes += [rng.randrange(0, 300) for _ in range(60)]
    inputs = [bytes(rng.randrange(256) for _ in range(n)) for n in sizes]
    inputs += [b"Man", b"M", b"Ma", bytes(100), bytes([255]) * 100]
    os.makedirs(os.path.join("tests", "data", "compression"), exist_ok=True)
    with open(os.path.join("tests", "data", "compression", "base64.txt"), "w") as f:
        for d in inputs:
            f.write("%s\t%s\t%s\n" % (d.hex(), base64.b64encode(d).hex(), broken(d).hex()))
    with open(os.path.join("tests", "data", "compression", "uu.txt"), "w") as f:
        for d in inputs:
            f.write("%s\t%s\n" % (d.hex(), uu(d).hex()))


if __name__ == "__main__":
    main()
