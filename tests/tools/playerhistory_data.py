#!/usr/bin/env python3
"""Reads the "Data" text of a play-history "PhSessionData" reply back with tools we did not write
for the server: UU lines decoded by Python's binascii, the bytes expanded by the committed LZSS
reference model (lzss_model.py). Prints the expanded bytes as one line of hex, then each row as
it lies in them: player, game, session, time, kind, value (little-endian longs), then the name
and the data text in hex, tab-separated.

Usage: playerhistory_data.py FILE   (FILE holds the text exactly as the "Data" item carried it)
"""
import binascii
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import lzss_model  # noqa: E402


def main():
    with open(sys.argv[1], "rb") as f:
        text = f.read()
    coded = b"".join(binascii.a2b_uu(line) for line in text.split(b"\n") if line)
    data = lzss_model.expand(coded)
    print(data.hex())
    pos = 0
    while pos < len(data):
        longs = struct.unpack_from("<6i", data, pos)
        pos += 24
        name_end = data.index(b"\0", pos)
        name = data[pos:name_end]
        pos = name_end + 1
        text_end = data.index(b"\0", pos)
        body = data[pos:text_end]
        pos = text_end + 1
        print("\t".join([str(v) for v in longs] + [name.hex(), body.hex()]))


if __name__ == "__main__":
    main()
