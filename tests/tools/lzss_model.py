#!/usr/bin/env python3
"""Reference model of the system's LZSS coder, kept deliberately plain.

Window of 4096 bytes (positions in 12 bits), look-ahead of 17 bytes, lengths 2-17 in 4 bits,
coding starts at window position 1, position 0 is the end mark. Tokens, most significant bit
first: literal = 1 + 8-bit byte; match = 0 + 12-bit position + 4-bit (length - 2); end = 0 + 12
zero bits; the last byte is padded with zero bits.

The match finder is a binary search tree over the strings of the window (node 4096 is the root,
link 0 means none). A new string walks down from the root's child comparing up to 17 bytes; a
node whose common length is at least the best so far becomes the match (the last one wins among
equals); a full 17-byte match takes the old node's place; otherwise the walk goes to the smaller
child when the new string's first differing byte is smaller, else to the larger one, and an
empty link receives the new node.

Usage: lzss_model.py compress|expand IN OUT
"""
import sys

N = 4096
F = 17
ROOT = N
MIN_MATCH = 2


class BitWriter:
    def __init__(self):
        self.out = bytearray()
        self.acc = 0
        self.count = 0

    def put(self, value, bits):
        for i in range(bits - 1, -1, -1):
            self.acc = (self.acc << 1) | ((value >> i) & 1)
            self.count += 1
            if self.count == 8:
                self.out.append(self.acc)
                self.acc = 0
                self.count = 0

    def flush(self):
        if self.count:
            self.out.append((self.acc << (8 - self.count)) & 0xFF)
        self.acc = 0
        self.count = 0
        return bytes(self.out)


class Tree:
    def __init__(self, window):
        self.win = window
        self.parent = [0] * (N + 1)
        self.smaller = [0] * (N + 1)
        self.larger = [0] * (N + 1)

    # The root keeps its single child in the "larger" link.
    def set_child_of(self, parent, old, new):
        if self.smaller[parent] == old and parent != ROOT:
            self.smaller[parent] = new
        else:
            self.larger[parent] = new

    def start(self, node):
        self.larger[ROOT] = node
        self.parent[node] = ROOT

    def compare(self, a, b):
        """Common length of the strings at a and b (at most F) and the sign of the first difference."""
        for i in range(F):
            d = self.win[(a + i) % N] - self.win[(b + i) % N]
            if d != 0:
                return i, d
        return F, 0

    def add(self, node):
        """Inserts the string at node; returns (match length, match position)."""
        if node == 0:
            return 0, None
        test = self.larger[ROOT]
        if test == 0:
            self.start(node)
            return 0, None
        best, best_pos = 0, None
        while True:
            length, delta = self.compare(node, test)
            if length >= best:
                best, best_pos = length, test
                if best >= F:
                    self.replace(test, node)
                    return best, best_pos
            if delta < 0:
                child = self.smaller[test]
                if child == 0:
                    self.smaller[test] = node
                    break
            else:
                child = self.larger[test]
                if child == 0:
                    self.larger[test] = node
                    break
            test = child
        self.parent[node] = test
        self.smaller[node] = 0
        self.larger[node] = 0
        return best, best_pos

    def replace(self, old, new):
        """new takes old's place and links; old leaves the tree."""
        p = self.parent[old]
        self.set_child_of(p, old, new)
        self.parent[new] = p
        self.smaller[new] = self.smaller[old]
        self.larger[new] = self.larger[old]
        for c in (self.smaller[new], self.larger[new]):
            if c:
                self.parent[c] = new
        self.parent[old] = 0

    def contract(self, old, child):
        """old leaves the tree; its only child (or nothing) takes its place."""
        p = self.parent[old]
        self.set_child_of(p, old, child)
        if child:
            self.parent[child] = p
        self.parent[old] = 0

    def delete(self, node):
        if self.parent[node] == 0:
            return
        if self.larger[node] == 0:
            self.contract(node, self.smaller[node])
        elif self.smaller[node] == 0:
            self.contract(node, self.larger[node])
        else:
            r = self.smaller[node]
            while self.larger[r]:
                r = self.larger[r]
            self.delete(r)
            self.replace(node, r)


def compress(data):
    window = [0] * N
    tree = Tree(window)
    out = BitWriter()
    src = iter(data)
    cur = 1
    look = 0
    for c in src:
        window[cur + look] = c
        look += 1
        if look == F:
            break
    tree.start(cur)
    match_len, match_pos = 0, 0
    while look > 0:
        if match_len > look:
            match_len = look
        if match_len < MIN_MATCH:
            out.put(1, 1)
            out.put(window[cur], 8)
            step = 1
        else:
            out.put(0, 1)
            out.put(match_pos, 12)
            out.put(match_len - MIN_MATCH, 4)
            step = match_len
        for _ in range(step):
            slot = (cur + F) % N
            tree.delete(slot)
            c = next(src, None)
            if c is None:
                look -= 1
            else:
                window[slot] = c
            cur = (cur + 1) % N
            if look:
                length, pos = tree.add(cur)
                match_len = length
                if pos is not None:
                    match_pos = pos
    out.put(0, 1)
    out.put(0, 12)
    return out.flush()


def expand(data):
    bits = []
    for b in data:
        bits.extend((b >> i) & 1 for i in range(7, -1, -1))
    pos = 0

    def take(n):
        nonlocal pos
        if pos + n > len(bits):
            raise ValueError("stream ends before its end mark")
        v = 0
        for _ in range(n):
            v = (v << 1) | bits[pos]
            pos += 1
        return v

    window = [0] * N
    cur = 1
    out = bytearray()
    while True:
        if take(1):
            c = take(8)
            out.append(c)
            window[cur] = c
            cur = (cur + 1) % N
            continue
        p = take(12)
        if p == 0:
            return bytes(out)
        for i in range(take(4) + MIN_MATCH):
            c = window[(p + i) % N]
            out.append(c)
            window[cur] = c
            cur = (cur + 1) % N


def main():
    if len(sys.argv) != 4 or sys.argv[1] not in ("compress", "expand"):
        sys.exit(__doc__)
    with open(sys.argv[2], "rb") as f:
        data = f.read()
    result = compress(data) if sys.argv[1] == "compress" else expand(data)
    with open(sys.argv[3], "wb") as f:
        f.write(result)


if __name__ == "__main__":
    main()
