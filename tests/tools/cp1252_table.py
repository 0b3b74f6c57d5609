#!/usr/bin/env python3
"""Python's cp1252 codec as the oracle of the code-page conversions.

decode: one line per byte 0-255: the hex of its UTF-8, or '-' where the codec has no character.
encode LIMIT: one line per code point below LIMIT that the codec can encode: 'cp byte' in hex.
"""
import sys

if sys.argv[1] == "decode":
    for b in range(256):
        try:
            print(bytes([b]).decode("cp1252").encode("utf-8").hex())
        except UnicodeDecodeError:
            print("-")
elif sys.argv[1] == "encode":
    for cp in range(int(sys.argv[2], 0)):
        if 0xD800 <= cp <= 0xDFFF:
            continue
        try:
            print("%x %x" % (cp, chr(cp).encode("cp1252")[0]))
        except UnicodeEncodeError:
            pass
