#!/usr/bin/env python3
"""Writes the player's click sound: a short decaying tone burst, PCM mono 22050 Hz
16-bit little-endian, 2292 samples (about 0.1 s), as raw samples without a header.
Run once; the result is committed and the build embeds it.

Usage: tools/make_click.py [resources/click.raw]
"""
import math
import struct
import sys

RATE = 22050
SAMPLES = 2292
TONE_HZ = 2600.0      # a bright tick, well inside what small speakers play
OVERTONE_HZ = 4100.0  # an inharmonic partial makes it sound struck, not beeped
PEAK = 0.55           # of full scale
ATTACK = 0.0015       # seconds to full level
DECAY = 0.012         # seconds per 1/e of level


def sample(n):
    t = n / RATE
    envelope = min(1.0, t / ATTACK) * math.exp(-t / DECAY)
    # Fade the last 5 ms to exact silence, so the sound ends without a step.
    envelope *= min(1.0, (SAMPLES - 1 - n) / (0.005 * RATE))
    tone = 0.8 * math.sin(2 * math.pi * TONE_HZ * t) + 0.2 * math.sin(2 * math.pi * OVERTONE_HZ * t)
    return int(round(32767 * PEAK * envelope * tone))


def main():
    path = sys.argv[1] if len(sys.argv) > 1 else "resources/click.raw"
    with open(path, "wb") as out:
        out.write(b"".join(struct.pack("<h", sample(n)) for n in range(SAMPLES)))


if __name__ == "__main__":
    main()
