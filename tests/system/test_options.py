"""Options as a hostile or stale "tarnello.txt" gives them, the first-start
options on a dense desktop, saves that fail, and what a killed save left."""
import os
import signal
import re
import shutil
import subprocess
import time
import unittest

from harness import Player, click_screen

SOURCE = os.path.join(os.path.dirname(__file__), "../..")
SHIPPED = os.path.join(SOURCE, "resources/firststart/tarnello.txt")
SCREEN = (1024, 768)


def options(**values):
    return "[tarnello]\n" + "".join("%s=%s\n" % item for item in values.items())


def value(text, key):
    found = re.search(r"^%s=(.*)$" % re.escape(key), text, re.M)
    return found.group(1) if found else None


def resident_mb(pid):
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) // 1024
    return 0


class HostileValues(unittest.TestCase):
    def test_huge_sizes_and_scales_are_bounded_and_written_back_bounded(self):
        hostile = options(PL_x=0, PL_y=2147483647, PL_width=2147483647, PL_height=2147483647,
                          Main_width=2147483647, Main_height=-2147483648, EQ_width=2147483647,
                          Scale=99999, VolUpStep=2147483647)
        with Player(files={"tarnello.txt": hostile}) as p:
            p.start(timeout=15)
            editor = p.find_window("Playlist Editor", timeout=10)
            _, y, width, height = p.geometry(editor)
            self.assertLessEqual((width, height), SCREEN)
            self.assertLessEqual(y, 32767)
            self.assertEqual((550, 232), p.geometry()[2:])  # the nearest drawn scale, 200
            self.assertLess(resident_mb(p.process.pid), 400)
            self.assertEqual(0, p.close())
            written = p.read("tarnello.txt")
            self.assertLessEqual(int(value(written, "PL_width")), SCREEN[0])
            self.assertLessEqual(int(value(written, "PL_height")), SCREEN[1])
            self.assertEqual("200", value(written, "Scale"))
            self.assertEqual("2147483647", value(written, "VolUpStep"))  # kept; pressing saturates
            self.assertEqual([], p.messages())

    def test_a_flat_editor_gets_its_minimum_and_a_tiny_scale_the_smallest_drawn_one(self):
        for height, scale, expected_size, main_size in (("1", "1", (138, 50), (138, 58)),
                                                        ("-40", "100", (275, 100), (275, 116))):
            with Player(files={"tarnello.txt": options(PL_height=height, PL_width=0, Scale=scale)}) as p:
                p.start()
                editor = p.find_window("Playlist Editor", timeout=10)
                self.assertEqual(expected_size, p.geometry(editor)[2:])
                self.assertEqual(main_size, p.geometry()[2:])
                self.assertEqual(0, p.close())
                self.assertEqual(str(expected_size[1]), value(p.read("tarnello.txt"), "PL_height"))


class FailedSaves(unittest.TestCase):
    def test_the_user_is_told_once_and_the_old_files_stay(self):
        with Player() as p:
            store = os.path.join(p.home, "store")
            os.mkdir(store)
            files = {"tarnello.txt": options(Volume=77), "tarnello.m3u": "#EXTM3U\n/music/a.mp3\n"}
            for name, content in files.items():
                with open(os.path.join(store, name), "w") as f:
                    f.write(content)
                os.symlink(os.path.join(store, name), p.path(name))
            p.start()
            # The folder the files live in goes away: nothing can be written there.
            shutil.rmtree(store)
            self.assertEqual(0, p.close())
            self.assertEqual([("Tarnello", "The options and the playlist could not be saved.")], p.messages())

    def test_only_the_file_that_failed_is_named(self):
        with Player(files={"tarnello.txt": options(Volume=77)}) as p:
            self.lose_the_playlist_folder_after_start(p)
            self.assertEqual(0, p.close())
            self.assertEqual([("Tarnello", "The playlist could not be saved.")], p.messages())
            self.assertEqual("77", value(p.read("tarnello.txt"), "Volume"))

    def test_a_logout_is_not_held_up_by_the_box(self):
        with Player(files={"tarnello.txt": options(Volume=77)}) as p:
            self.lose_the_playlist_folder_after_start(p)
            # Closed by the session: no box waits for an answer; the word goes to stderr.
            self.assertEqual(0, p.signal(signal.SIGTERM))
            self.assertEqual([], p.messages())
            self.assertIn(b"The playlist could not be saved.", p.process.stderr.read())

    @staticmethod
    def lose_the_playlist_folder_after_start(p):
        """The playlist lives behind a link in a folder that goes away once the player runs."""
        store = os.path.join(p.home, "store")
        os.mkdir(store)
        with open(os.path.join(store, "tarnello.m3u"), "w") as f:
            f.write("#EXTM3U\n/music/a.mp3\n")
        os.symlink(os.path.join(store, "tarnello.m3u"), p.path("tarnello.m3u"))
        p.start()
        shutil.rmtree(store)


def unsaved(messages):
    return [m for m in messages if m[1].endswith("could not be saved.")]


class KilledSaves(unittest.TestCase):
    def test_start_up_removes_the_temporaries_of_a_killed_save_and_nothing_else(self):
        with Player(files={"tarnello.txt": options(Volume=77)}) as p:
            ours = ["tarnello.txt.Ab12Cd", "tarnello.m3u.x9Y8z7", "temp.pls"]
            others = ["tarnello.txt.bak", "tarnello.m3u.Ab12C", "tarnello.m3u.Ab12Cde", "notes.txt.Ab12Cd"]
            for name in ours + others:
                p.write(name, "partial")
            p.start()
            for name in ours:
                self.assertFalse(p.exists(name), name)
            for name in others:
                self.assertTrue(p.exists(name), name)
            self.assertEqual(0, p.close())


class WholeListBox(unittest.TestCase):
    def test_the_preferences_box_is_written_at_exit_and_only_then(self):
        with Player(files={"tarnello.txt": options(Volume=77)}) as p:
            p.start()
            self.assertEqual(0, p.close())
            self.assertIsNone(value(p.read("tarnello.txt"), "WholeList"))  # a file without the key gets none

            p.start()
            def windows():
                return len(p.xdotool("search", "--onlyvisible", "--name", ".*", check=False).split())
            before = windows()
            x, y, _, _ = p.geometry()
            click_screen(p, x + 9, y + 6)  # the menu button
            p.wait_for(lambda: windows() > before, timeout=5)
            for key in ("o", "Return"):
                time.sleep(0.2)
                p.key(key)
            dialog = p.find_window("Tarnello Preferences", timeout=10)
            p.xdotool("windowactivate", "--sync", dialog, check=False)
            p.key("alt+w")
            time.sleep(0.2)
            p.key("Return")
            p.wait_for(lambda: not p.xdotool("search", "--onlyvisible", "--name", "^Tarnello Preferences$",
                                             check=False).split(), timeout=10)
            self.assertEqual(0, p.close())
            self.assertEqual("1", value(p.read("tarnello.txt"), "WholeList"))


class FirstStartOnADenseDesktop(unittest.TestCase):
    def shipped(self):
        with open(SHIPPED, encoding="utf-8") as f:
            return f.read()

    def start(self, p, xft_dpi=None):
        if xft_dpi:
            subprocess.run(["xprop", "-root", "-f", "RESOURCE_MANAGER", "8s", "-set", "RESOURCE_MANAGER",
                            "Xft.dpi:\t%d\n" % xft_dpi], env=p.env, check=True)
        p.start()
        return p.geometry()[2:]

    def check_doubled(self, p, size):
        self.assertEqual((550, 232), size)
        eq = p.find_window("Equalizer", timeout=10)
        editor = p.find_window("Playlist Editor", timeout=10)
        # Still docked: the equalizer right under the main window, the editor under it.
        mx, my, _, _ = p.geometry()
        self.assertEqual((mx, my + 232, 550, 232), p.geometry(eq))
        self.assertEqual((mx, my + 464, 550, 464), p.geometry(editor))
        self.assertEqual(0, p.close())
        written = p.read("tarnello.txt")
        self.assertEqual(("200", "0", "1"), (value(written, "Scale"), value(written, "FirstStart"),
                                             value(written, "WholeList")))
        self.assertEqual([], p.messages())

    def test_each_signal_of_a_dense_desktop_picks_scale_200(self):
        signals = [("QT_SCALE_FACTOR", {"QT_SCALE_FACTOR": "2"}, (), None),
                   ("GDK_SCALE", {"GDK_SCALE": "2"}, (), None),
                   ("Xft.dpi", {}, (), 192),
                   ("physical", {}, ("-dpi", "192"), None)]
        for name, env, xvfb_args, xft_dpi in signals:
            with self.subTest(name), Player(files={"tarnello.txt": self.shipped()}, xvfb_args=xvfb_args) as p:
                p.env.update(env)
                self.check_doubled(p, self.start(p, xft_dpi))

    def test_an_ordinary_desktop_or_options_a_player_wrote_keep_their_scale(self):
        with Player(files={"tarnello.txt": self.shipped()}) as p:
            self.assertEqual((275, 116), self.start(p))
            self.assertEqual(0, p.close())
            written = p.read("tarnello.txt")
            self.assertEqual(("100", "0"), (value(written, "Scale"), value(written, "FirstStart")))
            # The next start is no first start, dense desktop or not.
            p.env["GDK_SCALE"] = "2"
            self.assertEqual((275, 116), self.start(p))
            self.assertEqual(0, p.close())
        with Player(files={"tarnello.txt": options(Scale=100)}) as p:
            p.env["GDK_SCALE"] = "2"
            self.assertEqual((275, 116), self.start(p, xft_dpi=192))
            self.assertEqual(0, p.close())
            self.assertIsNone(value(p.read("tarnello.txt"), "FirstStart"))


if __name__ == "__main__":
    unittest.main()
