#!/usr/bin/env python3
"""The "Data" text of a server's country-list answer, made without the client's own coders.

The payload bytes (texts each ended by a byte 1: name, code, name, code, ...) are coded by the
LZSS reference model of tests/tools and UU-encoded by Python's binascii, 45 bytes a line.

Usage: country_answer.py [--plain] PAYLOAD OUT
--plain UU-encodes the payload without coding it (an answer that is not LZSS).
"""
import binascii
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
from lzss_model import compress  # noqa: E402


def main():
    args = sys.argv[1:]
    plain = args[:1] == ["--plain"]
    if plain:
        args = args[1:]
    if len(args) != 2:
        sys.exit(__doc__)
    with open(args[0], "rb") as f:
        payload = f.read()
    coded = payload if plain else compress(payload)
    text = b"".join(binascii.b2a_uu(coded[i:i + 45]) for i in range(0, len(coded), 45))
    with open(args[1], "wb") as f:
        f.write(text)


if __name__ == "__main__":
    main()
