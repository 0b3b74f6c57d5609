#!/usr/bin/env python3
"""Writes the money table of the database suite: random Set/Inc/DecInc sequences with the balance
Python's decimal module gives after each step, or "refused" where the result leaves the money
range (10 integer and 10 decimal digits), in which case the balance stays as it was.

Usage: stova_money_oracle.py > tests/data/stova/money_ops.txt
"""
import random
from decimal import Decimal, getcontext

getcontext().prec = 60
LIMIT = Decimal(10) ** 10
QUANTUM = Decimal(1).scaleb(-10)


def text(value):
    """The money class's printed form: natural integer width, ten decimals, no negative zero."""
    value = value.quantize(QUANTUM)
    if value == 0:
        value = abs(value)
    return f"{value:.10f}"


def amount(rng):
    kind = rng.random()
    decimals = rng.choice([0, 1, 2, 3, 10])
    if kind < 0.70:
        whole = rng.randint(0, 1000)
    elif kind < 0.90:
        whole = rng.randint(0, 10 ** 6)
    else:
        whole = rng.randint(10 ** 9, 10 ** 10 - 1)
    frac = rng.randint(0, 10 ** decimals - 1) if decimals else 0
    value = Decimal(whole) + (Decimal(frac).scaleb(-decimals) if decimals else 0)
    if rng.random() < 0.3:
        value = -value
    return value


def in_range(value):
    return abs(value) < LIMIT


def main():
    rng = random.Random(20240611)
    print("# op amounts -> ok balance; written by tests/tools/stova_money_oracle.py")
    for sequence in range(40):
        balance = Decimal(0)
        print(f"new {sequence}")
        for _ in range(60):
            op = rng.choice(["set", "inc", "inc", "decinc", "decinc"])
            if op == "set":
                a = amount(rng)
                if not in_range(a):
                    a = a / 10
                a = a.quantize(QUANTUM)
                new, ok = a, True
                # The booking holds the difference, which must itself be money.
                ok = in_range(new - balance)
                line = f"set {text(a)}"
            elif op == "inc":
                a = amount(rng)
                new = balance + a
                ok = in_range(new)
                line = f"inc {text(a)}"
            else:
                d, c = abs(amount(rng)), abs(amount(rng))
                mid = balance - d
                new = mid + c
                ok = in_range(mid) and in_range(new)
                line = f"decinc {text(d)} {text(c)}"
            if ok:
                balance = new
            print(f"{line} -> {1 if ok else 0} {text(balance)}")


if __name__ == "__main__":
    main()
