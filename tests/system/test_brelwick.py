"""Brelwick in the whole player under Xvfb: an MP3 made here plays through it, the
main window shows its bit rate, sample rate and stereo lamp exactly as it shows the
same values reported by the test plug-in, an equalizer band moved while playing
changes the level of what reaches the (timed) wav backend, and ReplayGain chosen in
Brelwick's own dialog is heard at once and kept beside the player's options."""
import array
import math
import os
import struct
import subprocess
import tempfile
import time
import unittest

from harness import Player, click_screen, grab, install_test_plugin, install_test_skin

PLAY_BUTTON = (39, 88, 23, 18)
# The stream panels of the main window at 100 %: bit rate, sample rate, mono and stereo lamps.
STREAM_PLACES = [(109, 41, 18, 10), (154, 41, 13, 10), (212, 41, 56, 12)]
EQ_ORIGIN = (0, 100)
OPTIONS = "[tarnello]\nMain_x=300\nMain_y=26\nPL_Visible=0\nEQOn=1\n"


def band(k):
    return (78 + 18 * k, 38, 14, 64)


def read_float_wav(path):
    """(rate, channels, samples) of a 32-bit float WAV file, as far as it is written."""
    with open(path, "rb") as f:
        data = f.read()
    at, rate, channels = 12, 0, 0
    while at + 8 <= len(data):
        tag, size = data[at:at + 4], struct.unpack_from("<I", data, at + 4)[0]
        if tag == b"fmt ":
            fmt, channels, rate = struct.unpack_from("<HHI", data, at + 8)
            assert fmt == 3, fmt
        elif tag == b"data":
            body = data[at + 8:at + 8 + min(size, len(data) - at - 8)]
            samples = array.array("f")
            samples.frombytes(body[:len(body) // 4 * 4])
            return rate, channels, samples
        at += 8 + size + (size & 1)
    raise ValueError("no data in " + path)


def rms_db(samples, channels, start, count):
    left = samples[start * channels:(start + count) * channels:channels]
    return 10 * math.log10(sum(v * v for v in left) / max(1, len(left)) + 1e-20)


def press_play(p):
    mx, my, _, _ = p.geometry(p.window)
    click_screen(p, mx + PLAY_BUTTON[0] + 11, my + PLAY_BUTTON[1] + 9)


class Brelwick(unittest.TestCase):
    def stream_pixels(self, p):
        mx, my, _, _ = p.geometry(p.window)
        shot = grab(p)
        return [tuple(shot.pixel(mx + x + i, my + y + j) for j in range(h) for i in range(w))
                for x, y, w, h in STREAM_PLACES]

    def play(self, p):
        press_play(p)

    def reference_pixels(self):
        """The panels as the player draws 128 kbps, 44 kHz, stereo reported by the test plug-in."""
        with Player(files={"tarnello.txt": OPTIONS}) as p:
            control = install_test_plugin(p)
            install_test_skin(p, temporary=True, package=False)
            with open(os.path.join(control, "TestPlugin.so.playinfo"), "w") as f:
                f.write("128 44100 2")
            track = os.path.join(p.home, "a.tst")
            open(track, "wb").close()
            p.write("tarnello.m3u", "#EXTM3U\n#EXTINF:60,A\n%s\n" % track)
            p.start()
            time.sleep(0.5)
            blank = self.stream_pixels(p)
            self.play(p)
            p.wait_for(lambda: self.stream_pixels(p)[0] != blank[0], 5)
            time.sleep(0.3)
            return self.stream_pixels(p)

    def test_an_mp3_shows_its_stream_and_an_equalizer_band_changes_its_level(self):
        reference = self.reference_pixels()
        handle, out = tempfile.mkstemp(prefix="tarnello-out-", suffix=".wav")
        os.close(handle)
        self.addCleanup(os.remove, out)
        with Player(files={"tarnello.txt": OPTIONS}, audio="wav-timed:" + out) as p:
            install_test_skin(p, temporary=True, package=False)
            mp3 = os.path.join(p.home, "tone.mp3")
            subprocess.run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "sine=frequency=1000:duration=20",
                            "-ac", "2", "-c:a", "libmp3lame", "-b:a", "128k", mp3], check=True)
            p.write("tarnello.m3u", "#EXTM3U\n#EXTINF:20,Tone\n%s\n" % mp3)
            p.start()
            time.sleep(0.5)
            self.play(p)
            p.wait_for(lambda: self.stream_pixels(p) == reference, 8)

            time.sleep(1.5)
            rate, channels, before = read_float_wav(out)
            self.assertEqual((44100, 2), (rate, channels))
            flat = rms_db(before, channels, len(before) // channels - rate // 2, rate // 2)
            # The 1 kHz band dragged to the top: +12 dB there.
            ex, ey = EQ_ORIGIN
            x, y, w, h = band(4)
            cx = ex + x + w // 2
            p.xdotool("mousemove", "--sync", str(cx), str(ey + y + 32))
            p.xdotool("mousedown", "1")
            for step in range(1, 9):
                p.xdotool("mousemove", str(cx), str(ey + y + 32 - 32 * step // 8))
                time.sleep(0.03)
            p.xdotool("mouseup", "1")
            time.sleep(2.0)
            _, _, after = read_float_wav(out)
            boosted = rms_db(after, channels, len(after) // channels - rate // 2, rate // 2)
            self.assertAlmostEqual(boosted - flat, 12.0, delta=1.0)
            p.close()


class ReplayGainDialog(unittest.TestCase):
    def test_the_configure_dialog_sets_replaygain_for_the_playing_track_and_keeps_it(self):
        handle, out = tempfile.mkstemp(prefix="tarnello-out-", suffix=".wav")
        os.close(handle)
        self.addCleanup(os.remove, out)
        files = {"tarnello.txt": OPTIONS + "Volume=77\n[Other]\nKept=1\n"}
        with Player(files=files, audio="wav-timed:" + out) as p:
            mp3 = os.path.join(p.home, "tagged.mp3")
            subprocess.run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "sine=frequency=1000:duration=20",
                            "-ac", "2", "-c:a", "libmp3lame", "-b:a", "128k",
                            "-metadata", "REPLAYGAIN_TRACK_GAIN=-6.00 dB", mp3], check=True)
            p.write("tarnello.m3u", "#EXTM3U\n#EXTINF:20,Tone\n%s\n" % mp3)
            p.start()
            time.sleep(0.5)
            press_play(p)
            p.wait_for(lambda: os.path.getsize(out) > 44100 * 8 * 1.5, 8)
            rate, channels, before = read_float_wav(out)
            # No key: ReplayGain is off and the tone plays as it is.
            untouched = rms_db(before, channels, len(before) // channels - rate // 2, rate // 2)

            # Preferences, Input, Brelwick, Configure: track gain, OK.
            x, y, _, _ = p.geometry()
            windows = lambda: len(p.xdotool("search", "--onlyvisible", "--name", ".*", check=False).split())
            count = windows()
            click_screen(p, x + 9, y + 6)  # the menu button
            p.wait_for(lambda: windows() > count, timeout=5)
            for key in ("o", "Return"):
                time.sleep(0.2)
                p.key(key)
            preferences = p.find_window("Tarnello Preferences", timeout=10)
            p.xdotool("windowactivate", "--sync", preferences, check=False)
            p.key("I")  # the Input page
            time.sleep(0.3)
            dx, dy, _, _ = p.geometry(preferences)
            click_screen(p, dx + 160, dy + 38)  # Brelwick, the first plug-in of the list
            time.sleep(0.2)
            p.key("alt+c")
            dialog = p.find_window("Brelwick", timeout=10)
            p.xdotool("windowactivate", "--sync", dialog, check=False)
            time.sleep(0.2)
            p.key("Down")  # Off to Track gain
            time.sleep(0.1)
            p.key("Return")
            p.wait_for(lambda: not p.xdotool("search", "--onlyvisible", "--name", "^Brelwick$",
                                             check=False).split(), timeout=10)
            time.sleep(1.5)
            _, _, after = read_float_wav(out)
            gained = rms_db(after, channels, len(after) // channels - rate // 2, rate // 2)
            self.assertAlmostEqual(gained - untouched, -6.0, delta=0.2)

            p.xdotool("windowactivate", "--sync", preferences, check=False)
            p.key("Escape")
            p.wait_for(lambda: not p.xdotool("search", "--onlyvisible", "--name", "^Tarnello Preferences$",
                                             check=False).split(), timeout=10)
            self.assertEqual(0, p.close())
            text = p.read("tarnello.txt")
            self.assertIn("\nVolume=", text)
            self.assertIn("\n[Brelwick]\nReplayGainMode=1\nReplayGainPreamp=0.0\nReplayGainUntagged=0.0\n", text)
            self.assertIn("\n[Other]\nKept=1\n", text)


if __name__ == "__main__":
    unittest.main()
