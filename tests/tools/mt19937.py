#!/usr/bin/env python3
"""Outputs of Python's MT19937 after the reference single-word seeding.

Input: one line per sequence, "seed count". Output: one line per sequence, the count outputs.
random.seed(int) seeds through init_by_array, so the state is laid in with setstate instead.
"""
import random
import sys


def main():
    rng = random.Random()
    out = []
    for line in open(sys.argv[1]):
        if not line.strip():
            continue
        seed, count = (int(x) for x in line.split())
        state = [seed & 0xFFFFFFFF]
        for i in range(1, 624):
            prev = state[-1]
            state.append((1812433253 * (prev ^ (prev >> 30)) + i) & 0xFFFFFFFF)
        rng.setstate((3, tuple(state) + (624,), None))
        out.append(" ".join(str(rng.getrandbits(32)) for _ in range(count)))
    sys.stdout.write("\n".join(out) + "\n")


main()
