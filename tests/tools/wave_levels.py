#!/usr/bin/env python3
"""Format and levels of sound files, read by Python's wave module (an MPEG file is decoded by
lame first).

Usage: wave_levels.py LIST, where LIST holds one path a line. Prints, a line per file:
  rate channels bits frames peak rms md5
peak and rms as fractions of full scale over all channels, md5 of the sample data; a file that
cannot be read prints "error <reason>".
"""
import hashlib
import math
import os
import struct
import subprocess
import sys
import tempfile
import wave


def levels(path):
    with wave.open(path, "rb") as w:
        rate, channels, width, frames = w.getframerate(), w.getnchannels(), w.getsampwidth(), w.getnframes()
        data = w.readframes(frames)
    if width != 2:
        return "%d %d %d %d 0 0 %s" % (rate, channels, width * 8, frames, hashlib.md5(data).hexdigest())
    values = struct.unpack("<%dh" % (len(data) // 2), data)
    peak = max((abs(v) for v in values), default=0) / 32768
    rms = math.sqrt(sum(v * v for v in values) / max(1, len(values))) / 32768
    return "%d %d %d %d %.6f %.6f %s" % (rate, channels, 16, frames, peak, rms, hashlib.md5(data).hexdigest())


def decoded(path, work):
    target = os.path.join(work, "decoded.wav")
    subprocess.run(["lame", "--quiet", "--decode", path, target], check=True)
    return target


def main():
    with open(sys.argv[1]) as f:
        paths = [line.strip() for line in f if line.strip()]
    with tempfile.TemporaryDirectory() as work:
        for path in paths:
            try:
                source = decoded(path, work) if path.lower().endswith(".mp3") else path
                print(levels(source))
            except (OSError, EOFError, wave.Error, subprocess.CalledProcessError) as e:
                print("error %s" % str(e).replace("\n", " "))
    return 0


if __name__ == "__main__":
    sys.exit(main())
