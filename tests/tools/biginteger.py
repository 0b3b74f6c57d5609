#!/usr/bin/env python3
"""Expected results of big-integer cases, computed with Python's own integers.

Each input line: op base alphaIn textA base2 textB alphaOut
  read      A read into base
  add, mul  A (in base) plus/times B read into base2
  addsmall, mulsmall  A plus/times the decimal 32-bit textB
  shift     A times base ** int(textB)
  rebase    A re-expressed in base2
Output line: A's result written with alphaOut, or FAIL when a value needs more than 255 digits in
the base that holds it (including the conversion into alphaOut's base) or a text holds a
character outside its alphabet.
"""
import sys

MAX = 255


def digits(v, base):
    n = 0
    while v:
        v //= base
        n += 1
    return n


def read(text, alpha):
    pos = {}
    for i, c in enumerate(alpha):
        pos.setdefault(c, i)
    v = 0
    for c in text:
        if c not in pos:
            return None
        v = v * len(alpha) + pos[c]
    return v


def write(v, alpha):
    b = len(alpha)
    if v == 0:
        return alpha[0]
    out = []
    while v:
        out.append(alpha[v % b])
        v //= b
    return "".join(reversed(out))


def case(op, base, alpha_in, a_text, base2, b_text, alpha_out):
    fits = lambda v, b: digits(v, b) <= MAX
    a = read(a_text, alpha_in)
    if a is None or not fits(a, base):
        return None
    if op == "read":
        v = a
    elif op in ("add", "mul"):
        b = read(b_text, alpha_in)
        if b is None or not fits(b, base2) or not fits(b, base):
            return None
        v = a + b if op == "add" else a * b
    elif op == "addsmall":
        v = a + int(b_text)
    elif op == "mulsmall":
        v = a * int(b_text)
    elif op == "shift":
        n = int(b_text)
        v = a * base ** n
        if a and digits(a, base) + n > MAX:
            return None
    elif op == "rebase":
        v = a
        base = base2
    else:
        raise ValueError(op)
    if not fits(v, base) or not fits(v, len(alpha_out)):
        return None
    return write(v, alpha_out)


def main():
    out = []
    for line in open(sys.argv[1]):
        f = line.split()
        if not f:
            continue
        r = case(f[0], int(f[1]), f[2], f[3], int(f[4]), f[5], f[6])
        out.append("FAIL" if r is None else r)
    sys.stdout.write("\n".join(out) + "\n")


main()
