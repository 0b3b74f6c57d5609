#!/usr/bin/env python3
"""Synthesises the client's stock sounds into a folder.

Clicks, chip and card sounds are small wave files (one of them IMA ADPCM, as the larger effects
ship); the short tune is a standard MIDI file written byte by byte, and an MPEG layer 3 rendering
of it is made with lame when a lame program is given. Everything is deterministic: the same
script writes the same bytes.
"""

import argparse
import math
import os
import random
import struct
import subprocess
import sys
import tempfile

# ----------------------------------------------------------------------------- wave files


def clamp16(v):
    return max(-32768, min(32767, int(round(v))))


def pcm_data(frames, channels, bits):
    flat = frames if channels == 1 else [s for f in frames for s in f]
    if bits == 16:
        return struct.pack("<%dh" % len(flat), *flat)
    return bytes((clamp16(s) >> 8) + 128 for s in flat)


def wave_bytes(data, rate, channels, bits, tag=1, block_align=None, byte_rate=None, fmt_extra=b"",
               fact=None):
    """A RIFF WAVE image around ready-made data."""
    if block_align is None:
        block_align = channels * bits // 8
    if byte_rate is None:
        byte_rate = rate * block_align
    fmt = struct.pack("<HHIIHH", tag, channels, rate, byte_rate, block_align, bits) + fmt_extra
    chunks = b"fmt " + struct.pack("<I", len(fmt)) + fmt
    if fact is not None:
        chunks += b"fact" + struct.pack("<II", 4, fact)
    chunks += b"data" + struct.pack("<I", len(data)) + data
    if len(data) & 1:
        chunks += b"\0"
    return b"RIFF" + struct.pack("<I", 4 + len(chunks)) + b"WAVE" + chunks


def pcm_wave(frames, rate, channels, bits=16):
    return wave_bytes(pcm_data(frames, channels, bits), rate, channels, bits)


# ----------------------------------------------------------------------------- IMA ADPCM

IMA_STEPS = [
    7, 8, 9, 10, 11, 12, 13, 14, 16, 17, 19, 21, 23, 25, 28, 31, 34, 37, 41, 45, 50, 55, 60, 66,
    73, 80, 88, 97, 107, 118, 130, 143, 157, 173, 190, 209, 230, 253, 279, 307, 337, 371, 408,
    449, 494, 544, 598, 658, 724, 796, 876, 963, 1060, 1166, 1282, 1411, 1552, 1707, 1878, 2066,
    2272, 2499, 2749, 3024, 3327, 3660, 4026, 4428, 4871, 5358, 5894, 6484, 7132, 7845, 8630,
    9493, 10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794,
    32767,
]
IMA_INDEX = [-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8]


def ima_encode_sample(sample, state):
    predictor, index = state
    step = IMA_STEPS[index]
    diff = sample - predictor
    code = 0
    if diff < 0:
        code = 8
        diff = -diff
    delta = step >> 3
    if diff >= step:
        code |= 4
        diff -= step
        delta += step
    step >>= 1
    if diff >= step:
        code |= 2
        diff -= step
        delta += step
    step >>= 1
    if diff >= step:
        code |= 1
        delta += step
    predictor = predictor - delta if code & 8 else predictor + delta
    predictor = max(-32768, min(32767, predictor))
    index = max(0, min(88, index + IMA_INDEX[code]))
    return code, (predictor, index)


def ima_adpcm_wave(samples, rate, block_align=256):
    """Mono IMA ADPCM (format 17) in whole blocks; the last block is padded with silence."""
    per_block = (block_align - 4) * 2 + 1
    total = len(samples)
    padded = samples + [0] * ((-total) % per_block)
    out = bytearray()
    index = 0
    for start in range(0, len(padded), per_block):
        block = padded[start:start + per_block]
        predictor = block[0]
        out += struct.pack("<hBB", predictor, index, 0)
        state = (predictor, index)
        codes = []
        for s in block[1:]:
            code, state = ima_encode_sample(s, state)
            codes.append(code)
        for i in range(0, len(codes), 2):
            out.append(codes[i] | (codes[i + 1] << 4))
        index = state[1]
    extra = struct.pack("<HH", 2, per_block)
    return wave_bytes(bytes(out), rate, 1, 4, tag=17, block_align=block_align,
                      byte_rate=rate * block_align // per_block, fmt_extra=extra, fact=total)


# ----------------------------------------------------------------------------- synthesis


def decay(t, tau):
    return math.exp(-t / tau)


def click(rate=22050):
    rnd = random.Random(1)
    n = int(rate * 0.03)
    out = []
    for i in range(n):
        t = i / rate
        tick = math.sin(2 * math.pi * 2200 * t) * decay(t, 0.004)
        noise = (rnd.random() * 2 - 1) * decay(t, 0.002)
        out.append(clamp16(14000 * tick + 9000 * noise))
    return out


def chip_hit(rate, length, amp, rnd):
    partials = [(3150, 0.030), (4720, 0.022), (6080, 0.015), (8310, 0.010), (2240, 0.045)]
    phases = [rnd.random() * 2 * math.pi for _ in partials]
    n = int(rate * length)
    out = []
    for i in range(n):
        t = i / rate
        v = sum(math.sin(2 * math.pi * f * t + p) * decay(t, tau) for (f, tau), p in zip(partials, phases))
        v += (rnd.random() * 2 - 1) * decay(t, 0.0015) * 1.5
        out.append(amp * v / 3)
    return out


def mix_into(buf, at, part):
    for i, v in enumerate(part):
        if at + i < len(buf):
            buf[at + i] += v


def chip(rate=44100):
    rnd = random.Random(2)
    buf = [0.0] * int(rate * 0.25)
    mix_into(buf, 0, chip_hit(rate, 0.2, 16000, rnd))
    mix_into(buf, int(rate * 0.035), chip_hit(rate, 0.2, 9000, rnd))
    return [clamp16(v) for v in buf]


def chips(rate=44100):
    rnd = random.Random(3)
    buf = [0.0] * int(rate * 0.6)
    at = 0.0
    for k in range(6):
        mix_into(buf, int(rate * at), chip_hit(rate, 0.2, 14000 - 1500 * k, rnd))
        at += 0.045 + rnd.random() * 0.05
    return [clamp16(v) for v in buf]


def card(rate=22050):
    """A dealt card: a swish of filtered noise and a soft slap at the end."""
    rnd = random.Random(4)
    n = int(rate * 0.16)
    out = []
    low = 0.0
    for i in range(n):
        t = i / rate
        white = rnd.random() * 2 - 1
        low += 0.35 * (white - low)
        hiss = white - low
        env = math.sin(math.pi * min(1.0, t / 0.12)) if t < 0.12 else 0.0
        slap = math.sin(2 * math.pi * 180 * (t - 0.12)) * decay(t - 0.12, 0.01) if t >= 0.12 else 0.0
        out.append(clamp16(9000 * hiss * env + 12000 * slap))
    return out


def bell(rate, freq, length, amp):
    n = int(rate * length)
    out = []
    for i in range(n):
        t = i / rate
        v = (math.sin(2 * math.pi * freq * t) + 0.5 * math.sin(2 * math.pi * freq * 2.76 * t) * decay(t, 0.08)
             + 0.25 * math.sin(2 * math.pi * freq * 5.4 * t) * decay(t, 0.03))
        out.append(amp * v * decay(t, 0.35) * min(1.0, t / 0.003))
    return out


def win(rate=44100):
    """A rising chime, each note a little further right."""
    notes = [523.25, 659.25, 783.99, 1046.5]
    length = int(rate * 1.1)
    left = [0.0] * length
    right = [0.0] * length
    for k, f in enumerate(notes):
        tone = bell(rate, f, 0.7, 9000)
        pan = k / (len(notes) - 1)
        at = int(rate * 0.11 * k)
        mix_into(left, at, [v * (1 - 0.6 * pan) for v in tone])
        mix_into(right, at, [v * (0.4 + 0.6 * pan) for v in tone])
    return [(clamp16(a), clamp16(b)) for a, b in zip(left, right)]


# ----------------------------------------------------------------------------- the tune

# (start in eighths, length in eighths, note) for the melody and the bass.
MELODY = [(0, 1, 72), (1, 1, 76), (2, 1, 79), (3, 1, 84), (4, 2, 83), (6, 2, 79),
          (8, 1, 77), (9, 1, 81), (10, 1, 84), (11, 1, 81), (12, 4, 79)]
BASS = [(0, 4, 48), (4, 4, 55), (8, 4, 53), (12, 4, 48)]
TICKS_PER_QUARTER = 96
EIGHTH = TICKS_PER_QUARTER // 2
TEMPO_US = 500000  # 120 beats a minute


def varlen(n):
    out = [n & 0x7F]
    n >>= 7
    while n:
        out.append(0x80 | (n & 0x7F))
        n >>= 7
    return bytes(reversed(out))


def tune_midi():
    events = []  # (tick, order, bytes); note-offs sort before note-ons at the same tick
    events.append((0, 0, bytes([0xFF, 0x51, 0x03]) + TEMPO_US.to_bytes(3, "big")))
    events.append((0, 0, bytes([0xC0, 11])))   # vibraphone
    events.append((0, 0, bytes([0xC1, 32])))   # acoustic bass
    events.append((0, 0, bytes([0xB0, 7, 100])))
    events.append((0, 0, bytes([0xB1, 7, 110])))
    for channel, part, velocity in ((0, MELODY, 96), (1, BASS, 88)):
        for start, length, note in part:
            events.append((start * EIGHTH, 2, bytes([0x90 | channel, note, velocity])))
            events.append(((start + length) * EIGHTH, 1, bytes([0x80 | channel, note, 0])))
    events.sort(key=lambda e: (e[0], e[1]))
    track = bytearray()
    now = 0
    for tick, _, data in events:
        track += varlen(tick - now) + data
        now = tick
    track += varlen(0) + bytes([0xFF, 0x2F, 0x00])
    header = b"MThd" + struct.pack(">IHHH", 6, 0, 1, TICKS_PER_QUARTER)
    return header + b"MTrk" + struct.pack(">I", len(track)) + bytes(track)


def tune_render(rate=44100):
    """The tune's notes as plain tones, the source of its MPEG rendering."""
    seconds_per_eighth = TEMPO_US / 1e6 / 2
    length = int(rate * seconds_per_eighth * 17)
    buf = [0.0] * length
    for part, amp in ((MELODY, 7000), (BASS, 6000)):
        for start, dur, note in part:
            f = 440.0 * 2 ** ((note - 69) / 12)
            n = int(rate * seconds_per_eighth * dur)
            at = int(rate * seconds_per_eighth * start)
            tone = [amp * math.sin(2 * math.pi * f * i / rate) * decay(i / rate, 0.6) * min(1.0, (n - i) / 400)
                    for i in range(n)]
            mix_into(buf, at, tone)
    return [clamp16(v) for v in buf]


# ----------------------------------------------------------------------------- main


def write(path, data):
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--out", required=True, help="folder to write the sounds into")
    parser.add_argument("--lame", help="the lame program, for tune.mp3")
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)

    write(os.path.join(args.out, "click.wav"), pcm_wave(click(), 22050, 1))
    write(os.path.join(args.out, "chip.wav"), pcm_wave(chip(), 44100, 1))
    write(os.path.join(args.out, "chips.wav"), pcm_wave(chips(), 44100, 1))
    write(os.path.join(args.out, "card.wav"), ima_adpcm_wave(card(), 22050))
    write(os.path.join(args.out, "win.wav"), pcm_wave(win(), 44100, 2))
    write(os.path.join(args.out, "tune.mid"), tune_midi())

    if args.lame:
        with tempfile.TemporaryDirectory() as tmp:
            source = os.path.join(tmp, "tune.wav")
            write(source, pcm_wave(tune_render(), 44100, 1))
            target = os.path.join(tmp, "tune.mp3")
            subprocess.run([args.lame, "--quiet", "-b", "64", "--noreplaygain", "-t", source, target],
                           check=True)
            with open(target, "rb") as f:
                write(os.path.join(args.out, "tune.mp3"), f.read())
    return 0


if __name__ == "__main__":
    sys.exit(main())
