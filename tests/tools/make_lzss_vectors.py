#!/usr/bin/env python3
"""Writes the LZSS test inputs and the model's coded outputs to tests/data/lzss/.

Run from anywhere; the outputs are committed, so the tests need no Python.
"""
import os
import random
import struct

import lzss_model

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "data", "lzss")


def inputs():
    rnd = random.Random(20240611)
    yield "empty", b""
    yield "one", b"A"
    yield "equal40", b"a" * 40
    words = ("the dealer stands on all seventeens while the player may split pairs "
             "double down or surrender before the hole card is shown to the table ").split()
    text = " ".join(rnd.choice(words) for _ in range(1400)).encode()
    yield "text", text
    yield "random", bytes(rnd.getrandbits(8) for _ in range(3000))
    records = b"".join(struct.pack("<IHh8s", i * 7, i % 13, -i, b"card%04d" % (i % 52))
                       for i in range(1300))
    yield "records", records
    runs = bytearray()
    while len(runs) < 12000:
        kind = rnd.randrange(4)
        n = rnd.randrange(1, 300)
        if kind == 0:
            runs += bytes(n)
        elif kind == 1:
            runs += bytes([rnd.randrange(256)]) * n
        elif kind == 2:
            runs += (b"ab" * n)[:n]
        else:
            runs += bytes(rnd.randrange(4) for _ in range(n))
    yield "runs", bytes(runs)
    mixed = bytearray()
    while len(mixed) < 40000:
        piece = text[rnd.randrange(len(text) - 600):][:rnd.randrange(20, 600)]
        mixed += piece if rnd.randrange(3) else bytes(rnd.getrandbits(8) for _ in range(len(piece)))
    yield "mixed", bytes(mixed)


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, data in inputs():
        coded = lzss_model.compress(data)
        assert lzss_model.expand(coded) == data, name
        with open(os.path.join(OUT, name + ".bin"), "wb") as f:
            f.write(data)
        with open(os.path.join(OUT, name + ".lzss"), "wb") as f:
            f.write(coded)
        print("%-8s %6d -> %6d" % (name, len(data), len(coded)))


if __name__ == "__main__":
    main()
