#!/usr/bin/env python3
"""Synthesises the blackjack table's samples and its lounge tune into a folder.

The 43 samples are the files the tables' main scripts name by strings 10000-10042: chip clinks,
clicks and card sounds made here from the stock sounds' building blocks, and the dealer's spoken
lines said by espeak-ng and levelled with sox. All are 16-bit mono PCM waves at 22050 Hz. The
tune (string 10700) is a slow piece for electric piano, vibraphone, upright bass and brushes,
rendered here and encoded by lame. The same tools write the same bytes: sox runs repeatable and
without dither.
"""

import argparse
import functools
import math
import os
import random
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import makesounds as stock  # noqa: E402  the stock sounds' wave writer and instruments

RATE = 22050
MUSIC = "kavo_lounge.mp3"

# The dealer's voice: a calm American male, a little slower than espeak-ng's default.
VOICE = ["-v", "en-us+m3", "-s", "150", "-p", "40"]
NUMBERS = ["two", "three", "four", "five", "six", "seven", "eight", "nine", "ten", "eleven", "twelve",
           "thirteen", "fourteen", "fifteen", "sixteen", "seventeen", "eighteen", "nineteen", "twenty",
           "twenty-one"]

# ----------------------------------------------------------------------------- effects


def silence(seconds):
    return [0.0] * int(RATE * seconds)


def finish(buf, peak):
    """Scales a mix to the given peak (a fraction of full scale) as 16-bit samples."""
    top = max(1.0, max(abs(v) for v in buf))
    return [stock.clamp16(v * peak * 32767 / top) for v in buf]


def swish(rnd, length, bright, amp):
    """Filtered noise rising and falling: a card's face brushing the felt."""
    out = []
    low = 0.0
    n = int(RATE * length)
    for i in range(n):
        white = rnd.random() * 2 - 1
        low += bright * (white - low)
        out.append(amp * low * math.sin(math.pi * i / n))
    return out


def tap(freq, tau, amp, rnd, noise=0.4):
    """The soft knock of a card landing: a low thump with a breath of noise."""
    n = int(RATE * tau * 8)
    return [amp * (math.sin(2 * math.pi * freq * i / RATE) + noise * (rnd.random() * 2 - 1))
            * stock.decay(i / RATE, tau) for i in range(n)]


def card_slide(seed, length=0.14, peak=0.55):
    rnd = random.Random(seed)
    buf = silence(length + 0.06)
    stock.mix_into(buf, 0, swish(rnd, length, 0.3, 1.0))
    stock.mix_into(buf, int(RATE * (length - 0.01)), tap(170, 0.008, 1.6, rnd))
    return finish(buf, peak)


def card_turn(seed, peak):
    """A card lifted by its edge and laid face up: two quick flicks and a landing."""
    rnd = random.Random(seed)
    buf = silence(0.2)
    stock.mix_into(buf, 0, swish(rnd, 0.05, 0.6, 0.8))
    stock.mix_into(buf, int(RATE * 0.05), swish(rnd, 0.07, 0.45, 1.0))
    stock.mix_into(buf, int(RATE * 0.12), tap(210, 0.007, 1.4, rnd))
    return finish(buf, peak)


def riffle(seed, peak=0.25):
    """A quiet riffle: a run of paper ticks speeding up, then the squared deck."""
    rnd = random.Random(seed)
    buf = silence(0.42)
    at = 0.0
    for k in range(26):
        stock.mix_into(buf, int(RATE * at), tap(2400 + rnd.random() * 1600, 0.0012, 0.6, rnd, 1.2))
        at += 0.014 - 0.0002 * k
    stock.mix_into(buf, int(RATE * 0.34), tap(150, 0.01, 1.5, rnd))
    return finish(buf, peak)


def peek(seed, peak=0.25):
    """The dealer's corner lifted over the peek mirror: a flick and a short tap back."""
    rnd = random.Random(seed)
    buf = silence(0.2)
    stock.mix_into(buf, 0, swish(rnd, 0.04, 0.7, 1.0))
    stock.mix_into(buf, int(RATE * 0.09), tap(260, 0.006, 1.2, rnd))
    return finish(buf, peak)


def chip_clinks(seed, count, spacing, peak, length):
    """Chips dropping onto each other, each a little softer."""
    rnd = random.Random(seed)
    buf = silence(length)
    at = 0.0
    for k in range(count):
        stock.mix_into(buf, int(RATE * at), stock.chip_hit(RATE, 0.16, 14000 * (0.85 ** k), rnd))
        at += spacing * (0.7 + 0.6 * rnd.random())
    return finish(buf, peak)


def chips_slid(seed, peak):
    """A stack pushed across the felt, then settling with two clinks."""
    rnd = random.Random(seed)
    buf = silence(0.45)
    stock.mix_into(buf, 0, swish(rnd, 0.22, 0.15, 1.2))
    stock.mix_into(buf, int(RATE * 0.2), stock.chip_hit(RATE, 0.16, 14000, rnd))
    stock.mix_into(buf, int(RATE * 0.25), stock.chip_hit(RATE, 0.16, 9000, rnd))
    return finish(buf, peak)


def chips_swept(seed, peak):
    """Lost insurance raked away: a long brush over the felt and chips knocking softly."""
    rnd = random.Random(seed)
    buf = silence(0.55)
    stock.mix_into(buf, 0, swish(rnd, 0.45, 0.12, 1.4))
    for k, at in enumerate((0.05, 0.16, 0.24)):
        stock.mix_into(buf, int(RATE * at), stock.chip_hit(RATE, 0.14, 7000 - 1500 * k, rnd))
    return finish(buf, peak)


def chime(notes, spacing, length, peak):
    """Soft bells: the stock chime's bell, one after another."""
    buf = silence(length)
    for k, freq in enumerate(notes):
        stock.mix_into(buf, int(RATE * spacing * k), stock.bell(RATE, freq, length - spacing * k, 9000))
    return finish(buf, peak)


def player_wins(seed, peak=0.7):
    """A bright rising chime over a few clinking chips."""
    buf = silence(1.1)
    bells = chime([523.25, 659.25, 783.99, 1046.5], 0.09, 1.1, 1.0)
    stock.mix_into(buf, 0, [v * 0.8 for v in bells])
    stock.mix_into(buf, int(RATE * 0.3), [v * 0.35 for v in chip_clinks(seed, 3, 0.06, 1.0, 0.5)])
    return finish(buf, peak)


def effects():
    """(number, samples) of every sample that is not spoken."""
    card = card_slide
    return [
        (0, riffle(10)),
        (1, card(11, 0.15, 0.6)),
        (2, player_wins(12)),
        (3, card(13, 0.13, 0.22)),
        (4, card_turn(14, 0.22)),
        (6, card_turn(16, 0.6)),
        (9, card(19, 0.12, 0.25)),
        (10, chip_clinks(20, 2, 0.035, 0.7, 0.22)),
        (12, peek(22)),
        (13, chime([1318.5, 1046.5], 0.22, 0.95, 0.45)),
        (14, finish(tap(190, 0.008, 1.0, random.Random(24)) + silence(0.05), 0.2)),
        (35, chips_swept(35, 0.5)),
        (36, chips_slid(36, 0.6)),
        (37, finish([float(v) for v in stock.click(RATE)] + silence(0.02), 0.5)),
        (41, chip_clinks(41, 6, 0.06, 0.7, 0.7)),
        (42, chime([783.99, 659.25, 523.25], 0.2, 1.4, 0.45)),
    ]

# ----------------------------------------------------------------------------- spoken lines


def spoken():
    """(number, text) of every spoken sample."""
    lines = [(5, "Blackjack!"), (7, "Insurance pays."), (8, "Insurance?"), (11, "Bust."),
             (38, "Dealer has blackjack."), (39, "No blackjack."), (40, "Dealer busts.")]
    lines += [(15 + k, word) for k, word in enumerate(NUMBERS)]
    return lines


def say(espeak, sox, text, target, work):
    raw = os.path.join(work, "raw.wav")
    subprocess.run([espeak, *VOICE, "-w", raw, text], check=True)
    # Rumble off, leading and trailing silence cut (the ends faded so the cut does not click), the
    # loud and soft syllables brought together, then every line to the same peak with a short
    # lead-in and room after it.
    subprocess.run([sox, "-R", "-D", "-V1", raw, "-r", str(RATE), "-b", "16", "-c", "1", target,
                    "highpass", "80",
                    "silence", "1", "0.01", "0.2%", "reverse", "silence", "1", "0.01", "0.2%",
                    "fade", "t", "0.01", "reverse", "fade", "t", "0.005",
                    "compand", "0.01,0.2", "-60,-60,-30,-18,-12,-9,0,-6", "0",
                    "norm", "-3", "pad", "0.03", "0.15"],
                   check=True)

# ----------------------------------------------------------------------------- the lounge tune

TUNE_RATE = 44100
BEAT = 60.0 / 72  # a slow swing at 72 beats a minute


def note_freq(midi):
    return 440.0 * 2 ** ((midi - 69) / 12)


@functools.lru_cache(maxsize=None)
def epiano(freq, length, amp):
    """An electric piano: a sine with a bell-like second partial that fades fast."""
    n = int(TUNE_RATE * length)
    w, w2 = 2 * math.pi * freq / TUNE_RATE, 2 * math.pi * freq * 4.0 / TUNE_RATE
    release = int(TUNE_RATE * 0.08)
    return tuple(amp * (math.sin(w * i) + 0.25 * math.sin(w2 * i) * math.exp(-i / (TUNE_RATE * 0.05)))
                 * math.exp(-i / (TUNE_RATE * 1.6)) * min(1.0, i / 60.0, (n - i) / release) for i in range(n))


@functools.lru_cache(maxsize=None)
def vibes(freq, length, amp):
    """A vibraphone: a pure tone with the slow tremolo of its fans."""
    n = int(TUNE_RATE * length)
    w = 2 * math.pi * freq / TUNE_RATE
    release = int(TUNE_RATE * 0.1)
    return tuple(amp * (math.sin(w * i) + 0.1 * math.sin(3.9 * w * i) * math.exp(-i / (TUNE_RATE * 0.03)))
                 * (0.85 + 0.15 * math.sin(2 * math.pi * 5.0 * i / TUNE_RATE))
                 * math.exp(-i / (TUNE_RATE * 1.2)) * min(1.0, i / 40.0, (n - i) / release) for i in range(n))


@functools.lru_cache(maxsize=None)
def bass(freq, length, amp):
    """An upright bass: a round low tone plucked and damped."""
    n = int(TUNE_RATE * length)
    w = 2 * math.pi * freq / TUNE_RATE
    release = int(TUNE_RATE * 0.05)
    return tuple(amp * (math.sin(w * i) + 0.3 * math.sin(2 * w * i) * math.exp(-i / (TUNE_RATE * 0.08)))
                 * math.exp(-i / (TUNE_RATE * 0.7)) * min(1.0, i / 80.0, (n - i) / release) for i in range(n))


def brush(rnd, length, amp):
    n = int(TUNE_RATE * length)
    out = []
    low = 0.0
    for i in range(n):
        white = rnd.random() * 2 - 1
        low += 0.25 * (white - low)
        out.append(amp * (white - low) * math.sin(math.pi * i / n) ** 2)
    return out


# Eight bars of a slow two-five-one: (chord tones for the piano, the walking bass line).
BARS = [
    ([60, 64, 67, 71], [48, 52, 55, 57]),   # Cmaj7
    ([57, 60, 64, 67], [45, 48, 52, 50]),   # Am7
    ([62, 65, 69, 72], [50, 53, 57, 55]),   # Dm7
    ([59, 62, 65, 67], [43, 47, 50, 49]),   # G7
    ([60, 64, 67, 71], [48, 52, 55, 52]),   # Cmaj7
    ([61, 64, 67, 69], [45, 49, 52, 55]),   # A7
    ([62, 65, 69, 72], [50, 53, 55, 47]),   # Dm7 to G7
    ([60, 64, 67, 71, 74], [48, 43, 48, 48]),  # Cmaj9, to rest
]
# The vibraphone's tune: (bar, beat, beats long, note).
MELODY = [
    (0, 1.0, 1.5, 76), (0, 2.5, 1.5, 74), (1, 0.0, 2.0, 72), (1, 2.5, 1.5, 69),
    (2, 0.5, 1.0, 77), (2, 1.5, 1.0, 76), (2, 2.5, 1.5, 74), (3, 0.5, 3.0, 71),
    (4, 1.0, 1.5, 76), (4, 2.5, 1.5, 79), (5, 0.0, 2.0, 76), (5, 2.5, 1.5, 73),
    (6, 0.5, 1.0, 74), (6, 1.5, 1.0, 77), (6, 2.5, 1.5, 71), (7, 0.5, 3.5, 72),
]


def tune_render():
    rnd = random.Random(700)
    bar = 4 * BEAT
    total = int(TUNE_RATE * (len(BARS) * bar + 2.5))
    buf = [0.0] * total
    for b, (chord, line) in enumerate(BARS):
        start = b * bar
        # The piano comps on beat one and on the "and" of two, a little spread like a hand.
        last = b == len(BARS) - 1
        for hit, length in ((0.0, 1.4), (1.5, 2.4)) if not last else ((0.0, 4 * BEAT + 2.0),):
            for k, midi in enumerate(chord):
                at = start + hit * BEAT + 0.012 * k
                stock.mix_into(buf, int(TUNE_RATE * at), epiano(note_freq(midi), length * BEAT, 1500))
        for k, midi in enumerate(line if not last else line[:1]):
            length = BEAT * 0.95 if not last else 4 * BEAT + 1.5
            stock.mix_into(buf, int(TUNE_RATE * (start + k * BEAT)), bass(note_freq(midi), length, 5200))
        for beat in range(4 if not last else 1):
            amp = 900 if beat % 2 else 550
            stock.mix_into(buf, int(TUNE_RATE * (start + beat * BEAT)), brush(rnd, BEAT * 0.6, amp))
    for b, beat, beats, midi in MELODY:
        at = b * bar + beat * BEAT
        stock.mix_into(buf, int(TUNE_RATE * at), vibes(note_freq(midi), beats * BEAT + 0.4, 4200))
    # A soft fade at the very end, so a looping player does not click.
    fade = int(TUNE_RATE * 1.0)
    for i in range(fade):
        buf[total - fade + i] *= 1 - i / fade
    return finish(buf, 0.6)

# ----------------------------------------------------------------------------- main


def sample_name(number):
    names = {0: "shuffle", 1: "holecard", 2: "playerwins", 3: "cardslide", 4: "cardturn",
             5: "say_blackjack", 6: "dealercard", 7: "say_insurancepays", 8: "say_insurance",
             9: "deal", 10: "chip", 11: "say_bust", 12: "peek", 13: "reminder", 14: "cardtap",
             35: "insurancelost", 36: "betreturned", 37: "click", 38: "say_dealerblackjack",
             39: "say_noblackjack", 40: "say_dealerbust", 41: "winpaid", 42: "goodbye"}
    word = names.get(number, "say_%d" % (number - 13))
    return "kavo%02d_%s.wav" % (number, word)


def outputs():
    return [sample_name(n) for n in range(43)] + [MUSIC]


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--out", help="folder to write the sounds into")
    parser.add_argument("--espeak", default="espeak-ng")
    parser.add_argument("--sox", default="sox")
    parser.add_argument("--lame", default="lame")
    parser.add_argument("--list", action="store_true", help="print the names written and stop")
    args = parser.parse_args()
    if args.list:
        print(" ".join(outputs()))
        return 0
    if not args.out:
        parser.error("--out is required")
    os.makedirs(args.out, exist_ok=True)

    for number, samples in effects():
        stock.write(os.path.join(args.out, sample_name(number)), stock.pcm_wave(samples, RATE, 1))
    with tempfile.TemporaryDirectory() as work:
        for number, text in spoken():
            target = os.path.join(work, "said.wav")
            say(args.espeak, args.sox, text, target, work)
            with open(target, "rb") as f:
                stock.write(os.path.join(args.out, sample_name(number)), f.read())

        source = os.path.join(work, "tune.wav")
        stock.write(source, stock.pcm_wave(tune_render(), TUNE_RATE, 1))
        target = os.path.join(work, "tune.mp3")
        subprocess.run([args.lame, "--quiet", "-b", "96", "--noreplaygain", "-t", source, target], check=True)
        with open(target, "rb") as f:
            stock.write(os.path.join(args.out, MUSIC), f.read())
    return 0


if __name__ == "__main__":
    sys.exit(main())
