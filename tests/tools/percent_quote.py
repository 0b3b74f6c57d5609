#!/usr/bin/env python3
"""Percent-encoding by Python's urllib.parse.quote(s, safe="-._~").

Reads byte strings from the file named by the first argument, one a line as hex digits (an empty
line is the empty string), and prints each one's encoding on a line of its own.
"""
import sys
import urllib.parse


def main():
    with open(sys.argv[1]) as f:
        for line in f.read().splitlines():
            print(urllib.parse.quote(bytes.fromhex(line), safe="-._~"))


if __name__ == "__main__":
    main()
