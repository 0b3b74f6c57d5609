#!/usr/bin/env python3
"""Every distinct five-card poker hand, weakest first, ranked by the standard hand ranking.

Written apart from the library's evaluator: hands are told apart by their rank multiset and by
whether they are suited, ranked by category, then by the ranks of their groups (larger groups
first, higher ranks first), the ace counting low only in the five-high straight.

Writes tests/tools/poker_ranks.txt (or the file named as the first argument): one class a line,
tab-separated:
  category  ranks  suited  hands
category as the casino's codes number them (0 no pair and nothing above a ten, 1 no pair with a
jack or better, 2 pair, 3 two pairs, 4 three of a kind, 5 straight, 6 flush, 7 full house,
8 four of a kind, 9 straight flush, 10 royal flush); ranks the five ranks 2..14 (ace 14), highest
first, space-separated; suited 1 for one suit, else 0; hands the number of the 2,598,960 deals
that fall into the class. Before writing, the category totals are checked against the published
counts. Run from the repository root; the output is committed and read by the card tests.
"""
import itertools
import math
import os
import sys
from collections import Counter

HIGH_CARD, PAIR, TWO_PAIRS, THREE, STRAIGHT, FLUSH, FULL_HOUSE, FOUR, STRAIGHT_FLUSH = range(9)
JACK, ACE = 11, 14

PUBLISHED = {  # casino code: number of five-card deals
    10: 4, 9: 36, 8: 624, 7: 3744, 6: 5108, 5: 10200, 4: 54912, 3: 123552, 2: 1098240,
    1: 1179120, 0: 123420,
}


def straight_top(ranks):
    """The top rank of a straight made by five distinct ranks, else None."""
    r = sorted(set(ranks), reverse=True)
    if len(r) != 5:
        return None
    if r[0] - r[4] == 4:
        return r[0]
    if r == [ACE, 5, 4, 3, 2]:
        return 5
    return None


def standard_rank(ranks, suited):
    """(category, tie-break tuple); larger is stronger."""
    counts = Counter(ranks)
    groups = sorted(counts.items(), key=lambda rc: (rc[1], rc[0]), reverse=True)
    shape = [c for _, c in groups]
    by_groups = tuple(r for r, _ in groups)
    top = straight_top(ranks)
    if top and suited:
        return STRAIGHT_FLUSH, (top,)
    if shape == [4, 1]:
        return FOUR, by_groups
    if shape == [3, 2]:
        return FULL_HOUSE, by_groups
    if suited:
        return FLUSH, by_groups
    if top:
        return STRAIGHT, (top,)
    if shape == [3, 1, 1]:
        return THREE, by_groups
    if shape == [2, 2, 1]:
        return TWO_PAIRS, by_groups
    if shape == [2, 1, 1, 1]:
        return PAIR, by_groups
    return HIGH_CARD, by_groups


def casino_code(category, tiebreak):
    if category == STRAIGHT_FLUSH:
        return 10 if tiebreak[0] == ACE else 9
    if category == HIGH_CARD:
        return 1 if tiebreak[0] >= JACK else 0
    return {PAIR: 2, TWO_PAIRS: 3, THREE: 4, STRAIGHT: 5, FLUSH: 6, FULL_HOUSE: 7, FOUR: 8}[category]


def deals(ranks, suited):
    """How many of the deals have this rank multiset, suited or not."""
    counts = Counter(ranks)
    if len(counts) < 5:
        return math.prod(math.comb(4, c) for c in counts.values())
    return 4 if suited else 4 ** 5 - 4


def classes():
    out = []
    for ranks in itertools.combinations_with_replacement(range(ACE, 1, -1), 5):
        if max(Counter(ranks).values()) > 4:
            continue
        for suited in ((0, 1) if len(set(ranks)) == 5 else (0,)):
            category, tiebreak = standard_rank(ranks, suited)
            out.append(((category, tiebreak), casino_code(category, tiebreak), ranks, suited))
    out.sort(key=lambda c: c[0])
    return out


def main():
    path = sys.argv[1] if len(sys.argv) > 1 else os.path.join("tests", "tools", "poker_ranks.txt")
    ranked = classes()
    keys = [c[0] for c in ranked]
    assert len(set(keys)) == len(keys) == 7462, "classes must rank apart"
    totals = Counter()
    for _, code, ranks, suited in ranked:
        totals[code] += deals(ranks, suited)
    assert dict(totals) == PUBLISHED, totals
    with open(path, "w", encoding="ascii", newline="\n") as f:
        for _, code, ranks, suited in ranked:
            f.write("%d\t%s\t%d\t%d\n" % (code, " ".join(map(str, ranks)), suited, deals(ranks, suited)))


if __name__ == "__main__":
    main()
