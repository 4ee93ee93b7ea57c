#!/usr/bin/env python3
"""Synthesises the demo tune "First Light" and encodes it as WMA (wmav2) with ffmpeg.

Two voices in C major at 96 beats a minute: a bell-like melody a little to the left
and a plucked, arpeggiated accompaniment a little to the right, with a soft echo
and a final chord that rings out. About 12 s, 44.1 kHz stereo.

Usage: tools/make_demo_track.py OUTPUT.wma [--raw OUTPUT.pcm]
The result is committed under resources/; run this only to change the tune.
"""
import argparse
import math
import subprocess
import sys
from array import array

RATE = 44100
BEAT = 60.0 / 96
TAIL = 2.0  # seconds the last chord rings after the final beat

NOTE_INDEX = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}


def frequency(name):
    """'A4' -> 440 Hz; sharps as 'F#4'."""
    semitone = NOTE_INDEX[name[0]] + (1 if "#" in name else 0)
    octave = int(name[-1])
    midi = 12 * (octave + 1) + semitone
    return 440.0 * 2 ** ((midi - 69) / 12)


# (note, beats) in playing order.
MELODY = [
    ("E5", 1), ("G5", 1), ("C6", 1.5), ("B5", 0.5),
    ("A5", 1), ("G5", 1), ("E5", 2),
    ("F5", 1), ("A5", 1), ("G5", 1), ("E5", 1),
    ("D5", 1), ("E5", 0.5), ("D5", 0.5), ("C5", 2),
]

# (chord tones low to high, beats); the accompaniment arpeggiates them in eighths.
CHORDS = [
    (["C3", "G3", "C4", "E4"], 4),
    (["A2", "E3", "A3", "C4"], 4),
    (["F2", "C3", "F3", "A3"], 4),
    (["G2", "D3", "G3", "B3"], 2),
    (["C3", "G3", "C4", "E4"], 2),
]
ARPEGGIO = [0, 1, 2, 3, 2, 1, 2, 3]


def bell(f, t, length):
    """A soft bell: three partials, 8 ms attack, exponential decay."""
    attack = min(1.0, t / 0.008)
    decay = math.exp(-t * 2.2 / max(length, 0.3))
    tone = (math.sin(2 * math.pi * f * t)
            + 0.28 * math.sin(2 * math.pi * 2 * f * t) * math.exp(-t * 3)
            + 0.08 * math.sin(2 * math.pi * 3 * f * t) * math.exp(-t * 6))
    return attack * decay * tone


def pluck(f, t):
    """A plucked string: odd partials that fade faster than the fundamental."""
    attack = min(1.0, t / 0.004)
    return attack * (math.sin(2 * math.pi * f * t) * math.exp(-t * 3.0)
                     + 0.3 * math.sin(2 * math.pi * 3 * f * t) * math.exp(-t * 7.0))


def add(buffer, start, seconds, voice):
    first = int(start * RATE)
    for i in range(min(int(seconds * RATE), len(buffer) - first)):
        buffer[first + i] += voice(i / RATE)


def render():
    total_beats = sum(b for _, b in MELODY)
    samples = int((total_beats * BEAT + TAIL) * RATE)
    melody = [0.0] * samples
    accompaniment = [0.0] * samples

    beat = 0.0
    for i, (name, beats) in enumerate(MELODY):
        f = frequency(name)
        length = beats * BEAT
        ring = TAIL if i == len(MELODY) - 1 else length + 0.6
        add(melody, beat * BEAT, ring, lambda t, f=f, length=length: bell(f, t, length))
        beat += beats

    beat = 0.0
    for tones, beats in CHORDS:
        for step in range(int(beats * 2)):
            f = frequency(tones[ARPEGGIO[step % len(ARPEGGIO)]])
            add(accompaniment, (beat + step / 2) * BEAT, 1.2, lambda t, f=f: pluck(f, t))
        beat += beats
    # The closing chord, held under the last melody note.
    for name in ["C3", "G3", "E4"]:
        f = frequency(name)
        add(accompaniment, total_beats * BEAT - 2 * BEAT, 2 * BEAT + TAIL, lambda t, f=f: 0.6 * pluck(f, t * 0.5))

    # Mix: melody 60 % left, accompaniment 60 % right, and an echo that crosses sides.
    left = [0.6 * m + 0.4 * a for m, a in zip(melody, accompaniment)]
    right = [0.4 * m + 0.6 * a for m, a in zip(melody, accompaniment)]
    delay = int(0.19 * RATE)
    for i in range(delay, samples):
        left[i] += 0.22 * right[i - delay]
        right[i] += 0.22 * left[i - delay]

    # Fade the last half second to silence, then normalise to -3 dBFS.
    fade = int(0.5 * RATE)
    for i in range(fade):
        g = 1.0 - i / fade
        left[samples - fade + i] *= g
        right[samples - fade + i] *= g
    peak = max(max(abs(x) for x in left), max(abs(x) for x in right))
    gain = 0.707 * 32767 / peak
    pcm = array("h")
    for l, r in zip(left, right):
        pcm.append(int(round(l * gain)))
        pcm.append(int(round(r * gain)))
    if sys.byteorder != "little":
        pcm.byteswap()
    return pcm.tobytes()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("output")
    parser.add_argument("--raw", help="also write the PCM (s16le, stereo, 44.1 kHz) here")
    args = parser.parse_args()
    pcm = render()
    if args.raw:
        with open(args.raw, "wb") as f:
            f.write(pcm)
    # Bit-exact flags keep ffmpeg's version and time stamps out of the file, so a
    # rerun gives the same bytes.
    subprocess.run(["ffmpeg", "-v", "error", "-y", "-f", "s16le", "-ar", str(RATE), "-ac", "2", "-i", "-",
                    "-c:a", "wmav2", "-b:a", "64k", "-fflags", "+bitexact", "-flags:a", "+bitexact",
                    "-metadata", "title=First Light", "-metadata", "artist=Tarnello",
                    args.output], input=pcm, check=True)


if __name__ == "__main__":
    main()
