"""Cue sheets in the whole player: a sheet opened as the desktop opens files becomes
its tracks, which Brelwick plays one after the other on the wav backend as one
unbroken run of the audio file; a sheet in Latin-1 reads as its words, one whose
audio file is missing adds nothing, and the rows come back after a restart."""
import os
import subprocess
import tempfile
import unittest

from harness import Player
from test_brelwick import read_float_wav

OPTIONS = "[tarnello]\nEQ_Visible=0\nPL_Visible=0\nVolume=255\n"
RATE = 44100
FRAMES = 6 * RATE


def rows(player):
    """(info line, path) pairs of the saved "tarnello.m3u"."""
    lines = [line for line in player.read("tarnello.m3u").splitlines() if line and line != "#EXTM3U"]
    return list(zip(lines[0::2], lines[1::2]))


class CueSheets(unittest.TestCase):
    def test_a_sheet_plays_as_its_tracks_and_its_rows_survive_a_restart(self):
        handle, out = tempfile.mkstemp(prefix="tarnello-cue-", suffix=".wav")
        os.close(handle)
        self.addCleanup(os.remove, out)
        with Player(files={"tarnello.txt": OPTIONS}, audio="wav:" + out) as p:
            # No bus: the start is the player itself, not a hand-over.
            p.env["DBUS_SESSION_BUS_ADDRESS"] = "unix:path=" + os.path.join(p.home, "no-bus")
            music = os.path.join(p.home, "Müsic")
            os.mkdir(music)
            flac = os.path.join(music, "ramp.flac")
            # Every sample tells its own index, mod 32768.
            subprocess.run(["ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i",
                            "aevalsrc=exprs=mod(n\\,32768)/32768:s=%d:d=6" % RATE, "-ac", "1", "-c:a", "flac",
                            "-sample_fmt", "s16", flac], check=True)
            sheet = os.path.join(music, "ramp.cue")
            with open(sheet, "wb") as f:
                f.write('PERFORMER "Les Élèves"\r\nTITLE "Rampe"\r\nFILE "ramp.flac" WAVE\r\n'
                        '  TRACK 01 AUDIO\r\n    TITLE "Début"\r\n    INDEX 01 00:00:00\r\n'
                        '  TRACK 02 AUDIO\r\n    TITLE "Deuxième"\r\n    INDEX 01 00:02:30\r\n'
                        '  TRACK 03 AUDIO\r\n    TITLE "Fin"\r\n    INDEX 01 00:04:00\r\n'.encode("latin-1"))
            lost = os.path.join(music, "lost.cue")
            with open(lost, "w") as f:
                f.write('FILE "gone.flac" WAVE\nTRACK 01 AUDIO\nTITLE "Gone"\nINDEX 01 00:00:00\n')

            p.start("--enqueue", lost, sheet)
            self.addCleanup(p.process.stderr.close)
            # The first track plays, and the others follow to the end of the list.
            p.wait_for(lambda: os.path.getsize(out) >= 44 + 4 * FRAMES, 20)
            self.assertEqual(0, p.close())
            rate, channels, samples = read_float_wav(out)
            self.assertEqual((RATE, 1), (rate, channels))
            self.assertEqual(FRAMES, len(samples))
            # Each track starts at its index and ends at the next one: one unbroken run.
            broken = [f for f in range(FRAMES) if round(samples[f] * 32768) != f % 32768]
            self.assertEqual([], broken[:5])

            expected = [("#EXTINF:2,Les Élèves – Début", flac + "#t=0,2.4"),
                        ("#EXTINF:2,Les Élèves – Deuxième", flac + "#t=2.4,4"),
                        ("#EXTINF:2,Les Élèves – Fin", flac + "#t=4")]
            self.assertEqual(expected, rows(p))
            # Started again without files: the saved rows come back and are saved again.
            p.start()
            self.addCleanup(p.process.stderr.close)
            self.assertEqual(0, p.close())
            self.assertEqual(expected, rows(p))
            self.assertEqual([], p.messages())


if __name__ == "__main__":
    unittest.main()
