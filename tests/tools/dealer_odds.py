#!/usr/bin/env python3
"""Exact blackjack odds with Python's fractions, as the rules tests compare their counts to.

Input file: one line "DECKS". For a fresh shoe of that many decks with only the dealer's own
cards removed, prints the dealer's final outcome (17, 18, 19, 20, 21, blackjack, bust) under the
stand-on-soft-17 and the hit-soft-17 rules, overall and per up card (rank 0 ace .. 9 ten-value):

    S17 all p17 p18 p19 p20 p21 pbj pbust
    S17 up R p17 ... pbust
    H17 ...

and the side-bet rows for the first three cards a seat receives from a fresh shoe (a seven is
rank 6; equal means the same card code, suit included):

    SIDE w0 w3 w30 w100 w500 w1500

Probabilities are printed as exact fractions "n/d".
"""
import sys
from fractions import Fraction
from functools import lru_cache

RANKS = 10  # 0 ace, 1..8 two to nine, 9 ten-value


def dealer_table(decks, h17):
    full = tuple([4 * decks] * 9 + [16 * decks])
    total_cards = 52 * decks

    def hand_totals(hard, aces):
        soft = hard + 10 if aces else hard
        return soft, hard

    def draws(soft, hard):
        if soft < 17:
            return True
        if soft > 21:
            return hard < 17
        return bool(h17) and soft == 17 and hard != 17

    @lru_cache(maxsize=None)
    def play(removed, hard, aces):
        # removed: the ranks drawn so far as a sorted tuple; returns outcome probabilities.
        soft, hard_ = hand_totals(hard, aces)
        if not draws(soft, hard_):
            final = soft if soft <= 21 else hard_
            out = [Fraction(0)] * 7
            out[6 if final > 21 else final - 17] = Fraction(1)
            return tuple(out)
        counts = list(full)
        for r in removed:
            counts[r] -= 1
        left = total_cards - len(removed)
        acc = [Fraction(0)] * 7
        for r in range(RANKS):
            if counts[r] == 0:
                continue
            p = Fraction(counts[r], left)
            sub = play(tuple(sorted(removed + (r,))), hard + r + 1, aces or r == 0)
            for i in range(7):
                acc[i] += p * sub[i]
        return tuple(acc)

    per_up = {}
    for up in range(RANKS):
        acc = [Fraction(0)] * 7
        counts = list(full)
        counts[up] -= 1
        for hole in range(RANKS):
            if counts[hole] == 0:
                continue
            p = Fraction(counts[hole], total_cards - 1)
            if {up, hole} == {0, 9}:
                acc[5] += p
                continue
            sub = play(tuple(sorted((up, hole))), up + 1 + hole + 1, up == 0 or hole == 0)
            for i in range(7):
                acc[i] += p * sub[i]
        per_up[up] = acc
    overall = [Fraction(0)] * 7
    for up in range(RANKS):
        p_up = Fraction(full[up], total_cards)
        for i in range(7):
            overall[i] += p_up * per_up[up][i]
    return overall, per_up


def side_rows(decks):
    total = 52 * decks
    copies = decks  # of one code
    sevens = 4 * decks
    p7 = Fraction(sevens, total)
    # second a seven: equal code (copies - 1 left) or another suit's seven (sevens - copies)
    p_same2 = Fraction(copies - 1, total - 1)
    p_other2 = Fraction(sevens - copies, total - 1)
    p_not2 = 1 - p_same2 - p_other2
    # third card, after two equal sevens: equal code, other seven, no seven
    same_same3 = Fraction(copies - 2, total - 2)
    seven_after_two = Fraction(sevens - 2, total - 2)
    w = {0: 1 - p7, 3: p7 * p_not2}
    w[100] = p7 * p_same2 * (1 - seven_after_two)
    w[30] = p7 * p_other2 * (1 - seven_after_two)
    w[1500] = p7 * p_same2 * same_same3
    w[500] = p7 * p_same2 * (seven_after_two - same_same3) + p7 * p_other2 * seven_after_two
    return [w[k] for k in (0, 3, 30, 100, 500, 1500)]


def main():
    with open(sys.argv[1]) as f:
        decks = int(f.read().split()[0])
    for name, h17 in (("S17", 0), ("H17", 1)):
        overall, per_up = dealer_table(decks, h17)
        print(name, "all", *[str(p) for p in overall])
        for up in range(RANKS):
            print(name, "up", up, *[str(p) for p in per_up[up]])
    rows = side_rows(decks)
    assert sum(rows) == 1
    print("SIDE", *[str(p) for p in rows])


if __name__ == "__main__":
    main()
