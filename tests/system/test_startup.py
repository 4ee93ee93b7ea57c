import signal
import unittest

from harness import Player

# Keys the secondary windows write into section "tarnello" before the main window's.
SECONDARY_KEYS = (["EQ_Visible", "EQ_x", "EQ_y", "EQ_width", "EQ_height", "EQOn", "EQAuto", "EQPreset"]
                  + ["EQ%d" % k for k in range(10)]
                  + ["PL_Visible", "PL_x", "PL_y", "PL_width", "PL_height", "Resume"])
MAIN_KEYS = ["Main_x", "Main_y", "Main_width", "Main_height", "Scale", "Repeat", "Shuffle", "TopMost",
             "UseStartVol", "UseEndVol", "StartVolume", "EndVolume", "VolUpStep", "VolDownStep", "Beep",
             "UnMap", "Volume", "Pan"]


def written_order(existing=()):
    """Keys already in a file keep their place; WriteString appends the others in writing order."""
    existing = list(existing)
    return existing + [k for k in SECONDARY_KEYS + MAIN_KEYS if k not in existing]


def keys_in_order(text, section="tarnello"):
    keys, current = [], None
    for line in text.split("\n"):
        if "]" in line:
            current = line.strip("[]")
        elif current == section and "=" in line:
            keys.append(line.split("=", 1)[0])
    return keys


class FirstStart(unittest.TestCase):
    def test_without_settings_file_writes_a_complete_one_at_close(self):
        with Player() as p:
            p.start()
            self.assertEqual([("Tarnello", "Option read fail!")], p.messages())
            self.assertEqual((0, 26, 275, 116), p.geometry())
            self.assertEqual(0, p.close())
            text = p.read("tarnello.txt")
            self.assertTrue(text.startswith("[tarnello]\n"))
            self.assertEqual(written_order(), keys_in_order(text))
            self.assertIn("Main_y=26\n", text)
            self.assertIn("Resume=-1\n", text)
            self.assertEqual("#EXTM3U\n", p.read("tarnello.m3u"))
            self.assertIn("Volume=128\n", text)
            self.assertNotIn("\r", text)

            # A second run without changes writes the same file, and no box.
            p.start()
            self.assertEqual(1, len(p.messages()))
            self.assertEqual(0, p.close())
            self.assertEqual(text, p.read("tarnello.txt"))


class OddSettings(unittest.TestCase):
    ODD = ("; a comment line without equals\n"
           "[tarnello]\n"
           "Main_x=40\n"
           "Main_y=50\n"
           "Main_width=275\n"
           "Main_height=116\n"
           "Scale=100\n"
           "Repeat=0\n"
           "Shuffle=0\n"
           "TopMost=0\n"
           "UseStartVol=0\n"
           "UseEndVol=0\n"
           "StartVolume=200\n"
           "EndVolume=0\n"
           "VolUpStep=10\n"
           "VolDownStep=10\n"
           "Beep=1\n"
           "UnMap=1\n"
           "Volume=200\n"
           "Pan=-20\n"
           "Main_x = 999\n"
           "PL_Visible=1\nPL_x=0\nPL_y=100\nPL_width=275\nPL_height=100\n"
           "Resume=-1\n"
           "EQ_x=12\n"
           "EQ_Visible=1\nEQ_y=100\nEQ_width=275\nEQ_height=116\nEQOn=1\nEQAuto=0\nEQPreset=40\n"
           + "".join("EQ%d=%d\n" % (k, 20 + k) for k in range(10)) +
           "File1=/Music/[Live] track\n"
           "[buttons]\n"
           "Hotkey0=3/1/193\n"
           "[plugins]\n"
           "junk line\n"
           "Unknown=" + "x" * 400 + "\n")

    def test_odd_lines_survive_a_run_unchanged(self):
        with Player(files={"tarnello.txt": self.ODD}) as p:
            p.start()
            self.assertEqual([], p.messages())
            self.assertEqual((40, 50, 275, 116), p.geometry())
            self.assertEqual(0, p.close())
            self.assertEqual(self.ODD, p.read("tarnello.txt"))

    def test_values_are_normalised_as_their_owners_keep_them(self):
        text = "[tarnello]\r\nRepeat=5\r\n\r\nShuffle=abc\r\nVolume=300\r\nTopMost=5\r\n"
        with Player(files={"tarnello.txt": text}) as p:
            p.start()
            self.assertEqual(0, p.close())
            written = p.read("tarnello.txt")
            self.assertIn("Repeat=1\n", written)
            self.assertIn("Shuffle=0\n", written)
            # The volume slider keeps its position inside 0..255.
            self.assertIn("Volume=255\n", written)
            self.assertIn("TopMost=5\n", written)
            self.assertEqual(written_order(["Repeat", "Shuffle", "Volume", "TopMost"]), keys_in_order(written))


class Signals(unittest.TestCase):
    def test_sigterm_and_sigint_save_like_a_close(self):
        for number in (signal.SIGTERM, signal.SIGINT):
            with self.subTest(signal=number), Player(files={"tarnello.txt": "[tarnello]\nMain_x=7\n"}) as p:
                p.start()
                p.xdotool("windowmove", p.window, "33", "44")
                p.wait_for(lambda: p.geometry()[:2] == (33, 44))
                self.assertEqual(0, p.signal(number))
                text = p.read("tarnello.txt")
                self.assertIn("Main_x=33\n", text)
                self.assertIn("Main_y=44\n", text)
                self.assertEqual(written_order(["Main_x"]), keys_in_order(text))


if __name__ == "__main__":
    unittest.main()


class Playlist(unittest.TestCase):
    def test_command_line_becomes_the_playlist_and_survives_a_restart(self):
        with Player(files={"tarnello.txt": "[tarnello]\nResume=0\n"}) as p:
            p.start("/music/first", "song.wma")
            self.assertEqual(0, p.close())
            saved = p.read("tarnello.m3u")
            self.assertEqual("/music/first song.wma", saved.split("\n")[2])
            self.assertIn("Resume=0\n", p.read("tarnello.txt"))
            # Without arguments the saved playlist and its current row come back.
            p.start()
            self.assertEqual(0, p.close())
            self.assertEqual(saved, p.read("tarnello.m3u"))
            self.assertIn("Resume=0\n", p.read("tarnello.txt"))
