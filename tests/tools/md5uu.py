#!/usr/bin/env python3
"""UU line of the MD5 digest of each input line's bytes (given in hexadecimal), as binascii writes it."""
import binascii
import hashlib
import sys

for line in open(sys.argv[1]):
    data = bytes.fromhex(line.strip())
    sys.stdout.write(binascii.b2a_uu(hashlib.md5(data).digest()).decode("ascii"))
