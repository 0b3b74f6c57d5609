#!/usr/bin/env python3
"""Expected money results, computed with Python's decimal module.

Writes tests/data/money/oracle.txt: one case a line, tab-separated, first field the operation:
  add|sub|mul  a  b  result  flag      (flag 1: the result overflowed ten integer digits)
  div          a  divisor  result  flag (divisor as Python's repr of the double)
  cmp          a  b  sign              (-1, 0, 1)
  tr           hex(text)  ok  result   (Translate; result is zero when not ok)
  fd           double  ok  result      (FromDouble)
  print        a  intWidth  decWidth  text
Amounts are written in their natural form: optional '-', integer digits, '.', ten decimals.
Run from the repository root; the output is committed and read by the money tests.
"""
import decimal
import os
import random
import re
from decimal import Decimal

decimal.getcontext().prec = 200
LIMIT = Decimal(10) ** 10
QUANTUM = Decimal("1e-10")


def cut(x):
    """Truncates toward zero at ten decimals."""
    return x.quantize(QUANTUM, rounding=decimal.ROUND_DOWN)


def fit(x):
    """The ten-digit result of an exact value: (value, overflow)."""
    x = cut(x)
    mag = abs(x)
    if mag < LIMIT:
        return x, 0
    mag = mag % LIMIT
    return (-mag if x < 0 else mag), 1


def text(x):
    x = cut(x)
    sign = "-" if x < 0 else ""
    mag = abs(x)
    ip = int(mag)
    frac = int((mag - ip) * LIMIT)
    return "%s%d.%010d" % (sign, ip, frac)


def translate(s):
    """Reference reading of a money text: (ok, value)."""
    m = re.fullmatch(r"[ \t]*(-?)([0-9]*)(?:\.([0-9]*))?", s)
    if not m or not (m.group(2) or m.group(3)):
        return 0, Decimal(0)
    ip = m.group(2).lstrip("0")
    if len(ip) > 10:
        return 0, Decimal(0)
    frac = (m.group(3) or "")[:10]
    v = Decimal((ip or "0") + "." + (frac or "0"))
    return 1, (-v if m.group(1) else v)


def from_double(d):
    if d != d or d in (float("inf"), float("-inf")):
        return 0, Decimal(0)
    return translate("%.11f" % d)


def printed(x, iw, dw):
    neg = x < 0
    mag = abs(x)
    ip = int(mag)
    dw = 10 if dw < 0 or dw > 10 else dw
    frac = "%010d" % int((mag - ip) * LIMIT)
    tail = ("." + frac[:dw]) if dw > 0 else ""
    sign = "-" if neg else ""
    if iw < 0:
        return sign + str(ip) + tail
    shown = ip % (10 ** iw) if iw < 10 else ip
    digits = str(shown) if shown else ""
    places = min(iw, 10)
    pad = iw - 10 - (1 if neg else 0) if iw > 10 else 0
    return " " * pad + " " * (places - len(digits)) + sign + (digits or "0") + tail


def amount(rng):
    kind = rng.randrange(10)
    if kind == 0:
        v = Decimal(rng.randrange(0, 10**20)) / LIMIT
    elif kind == 1:
        v = Decimal(rng.randrange(10**20 - 10**12, 10**20)) / LIMIT
    elif kind == 2:
        v = Decimal(rng.randrange(0, 10**6)) / LIMIT
    elif kind == 3:
        v = Decimal(rng.randrange(0, 10**7))
    elif kind == 4:
        v = Decimal(rng.randrange(0, 10**9)) / 100
    elif kind == 5:
        v = Decimal(rng.choice([0, 1, 5, 10, 25, 50, 99, 100]))
    elif kind == 6:
        v = Decimal(rng.randrange(1, 100)) / LIMIT
    else:
        places = rng.randrange(0, 11)
        v = Decimal(rng.randrange(0, 10**min(14, 10 + places))) / 10**places
    return -v if rng.random() < 0.4 else v


def main():
    rng = random.Random(20260101)
    lines = []
    fixed = [Decimal(s) for s in ["0", "1", "-1", "0.0000000001", "-0.0000000001",
                                  "9999999999.9999999999", "-9999999999.9999999999",
                                  "1.5", "0.5", "2000000000", "100000", "0.3", "-0.2"]]
    pairs = [(a, b) for a in fixed for b in fixed]
    pairs += [(amount(rng), amount(rng)) for _ in range(600)]
    for a, b in pairs:
        for op, exact in (("add", a + b), ("sub", a - b), ("mul", a * b)):
            r, ov = fit(exact)
            lines.append("\t".join([op, text(a), text(b), text(r), str(ov)]))
        lines.append("\t".join(["cmp", text(a), text(b), str((a > b) - (a < b))]))

    divisors = [1.0, 2.0, 3.0, -7.0, 0.5, 0.1, 1e-9, 1e-3, 12345.678, 0.0, -0.0, 1e300]
    for _ in range(200):
        a = amount(rng)
        d = rng.choice(divisors) if rng.random() < 0.5 else rng.uniform(-1000, 1000)
        q = float(text(a)) / d if d != 0 else float("nan")
        ok, r = from_double(q)
        lines.append("\t".join(["div", text(a), repr(d), text(r), str(1 - ok)]))

    texts = ["12.5", "-0.75", ".5", "12a", "12345678901", "00000000012.5", "1.123456789012",
             "1.12345678901x", "-", "-.", ".", "", "   ", "+5", " \t 7", "- 5", "5 ", "1.2.3",
             "-0", "-0.0000000000", "9999999999.9999999999", "10000000000", "0x10", "1e5",
             "-1234567890.0987654321", "0.", "-.5", "5.-1", "\x80", "12\t"]
    for _ in range(200):
        a = amount(rng)
        t = text(a)
        style = rng.randrange(6)
        if style == 1:
            t = t.rstrip("0")
        elif style == 2:
            t = " " * rng.randrange(4) + t + str(rng.randrange(10**6))
        elif style == 3:
            t = t.replace("-", "-000", 1) if t.startswith("-") else "000" + t
        elif style == 4:
            i = rng.randrange(len(t) + 1)
            t = t[:i] + rng.choice(" +-.e,/:x\x00") + t[i:]
            t = t.split("\x00")[0]
        elif style == 5:
            t = t.split(".")[0]
        texts.append(t)
    for t in texts:
        ok, v = translate(t)
        lines.append("\t".join(["tr", t.encode("latin-1").hex(), str(ok), text(v)]))

    doubles = [0.1, 2 / 3, -2 / 3, 0.0, -0.0, 1e-12, -1e-12, 5e-11, 1e10, 9999999999.5,
               9999999999.999999, 1e15, -1e15, 1e300, 123.456, 0.30000000000000004, 2**31]
    doubles += [rng.uniform(-1, 1) * 10 ** rng.randrange(-12, 12) for _ in range(200)]
    for d in doubles:
        ok, v = from_double(d)
        lines.append("\t".join(["fd", repr(d), str(ok), text(v)]))

    widths = [(-1, -1), (-1, 0), (-1, 2), (0, 0), (0, 2), (2, 0), (3, 2), (9, 4), (10, 10),
              (11, 1), (12, 2), (20, 3), (-1, 10)]
    values = fixed + [amount(rng) for _ in range(60)]
    for v in values:
        for iw, dw in widths:
            lines.append("\t".join(["print", text(v), str(iw), str(dw), printed(v, iw, dw)]))

    out = os.path.join("tests", "data", "money", "oracle.txt")
    os.makedirs(os.path.dirname(out), exist_ok=True)
    with open(out, "w", encoding="latin-1", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
