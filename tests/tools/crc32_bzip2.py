#!/usr/bin/env python3
"""CRC-32/BZIP2 of files, as an oracle for the system's CRC-32.

With the standard polynomial the value comes from zlib: CRC-32/BZIP2 is CRC-32/ISO-HDLC (zlib's
crc32) run over bit-reversed bytes, with the result bit-reversed. Any other polynomial is run
bit by bit. Usage: crc32_bzip2.py POLY FILE... (prints one hexadecimal CRC per line)
"""
import sys
import zlib

REV8 = bytes(int("{:08b}".format(i)[::-1], 2) for i in range(256))


def rev32(v):
    return int("{:032b}".format(v)[::-1], 2)


def crc_bzip2(data, poly):
    if not data:
        return 0
    if poly == 0x04C11DB7:
        return rev32(zlib.crc32(data.translate(REV8)))
    reg = 0xFFFFFFFF
    for b in data:
        reg ^= b << 24
        for _ in range(8):
            reg = ((reg << 1) ^ poly if reg & 0x80000000 else reg << 1) & 0xFFFFFFFF
    return reg ^ 0xFFFFFFFF


def main():
    poly = int(sys.argv[1], 0)
    for name in sys.argv[2:]:
        with open(name, "rb") as f:
            print("%08x" % crc_bzip2(f.read(), poly))


if __name__ == "__main__":
    main()
