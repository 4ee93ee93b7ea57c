"""Lists and files opened from outside: the desktop entry's "--enqueue" start with
and without a running player, lists people have (no header, relative paths, CRLF,
a BOM), a file name that is not UTF-8, state files that are FIFOs or devices, and
a list full of broken info lines. Run inside dbus-run-session."""
import os
import subprocess
import time
import unittest

from harness import Player, install_test_plugin, plugin_log

OPTIONS = "[tarnello]\nEQ_Visible=0\nPL_Visible=0\nVolume=200\n"


def rows(player):
    return [line for line in player.read("tarnello.m3u").splitlines() if line and not line.startswith("#")]


class OpenedLists(unittest.TestCase):
    def make_player(self, bus=True):
        p = Player(files={"tarnello.txt": OPTIONS})
        self.addCleanup(p.__exit__, None, None, None)
        if not bus or not os.environ.get("DBUS_SESSION_BUS_ADDRESS"):
            p.env["DBUS_SESSION_BUS_ADDRESS"] = "unix:path=" + os.path.join(p.home, "no-bus")
        install_test_plugin(p)
        music = os.path.join(p.home, "music")
        os.makedirs(os.path.join(music, "sub"))
        self.saved = []
        for name in ("saved1.tst", "saved2.tst"):
            path = os.path.join(music, name)
            open(path, "wb").close()
            self.saved.append(path)
        p.write("tarnello.m3u", "#EXTM3U\n" + "".join("#EXTINF:60,%s\n%s\n" % (os.path.basename(s), s)
                                                      for s in self.saved))
        self.song = os.path.join(music, "song.tst")
        self.inner = [os.path.join(music, "sub", "in list.tst"), os.path.join(music, "other.tst")]
        for path in [self.song] + self.inner:
            open(path, "wb").close()
        # As tools write them: no "#EXTM3U", CRLF, a UTF-8 BOM, paths relative to the list.
        self.list = os.path.join(music, "mix.m3u")
        with open(self.list, "wb") as f:
            f.write(b"\xef\xbb\xbf# exported\r\nsub/in list.tst\r\nother.tst\r\n")
        return p

    def start(self, p, *args):
        p.start(*args)
        self.addCleanup(p.process.stderr.close)

    def test_enqueue_without_a_running_player_keeps_the_saved_rows(self):
        p = self.make_player(bus=False)
        self.start(p, "--enqueue", self.song, self.list)
        p.wait_for(lambda: "playFile %s -> 0" % self.song in plugin_log(p, ["playFile"]))
        self.assertEqual(["playFile %s -> 0" % self.song], plugin_log(p, ["playFile"]))
        self.assertEqual(0, p.close())
        self.assertEqual(self.saved + [self.song] + self.inner, rows(p))
        self.assertEqual([], p.messages())

    @unittest.skipUnless(os.environ.get("DBUS_SESSION_BUS_ADDRESS"), "needs a session bus (dbus-run-session)")
    def test_enqueue_hands_the_files_to_a_running_player(self):
        p = self.make_player()
        self.start(p)
        deadline = time.monotonic() + 10
        second = None
        while time.monotonic() < deadline:
            # Relative to the second start's folder, as a file manager may pass them.
            second = subprocess.run([p.path("tarnello"), "--enqueue", "music/mix.m3u", "music/song.tst"], env=p.env,
                                    cwd=p.home, capture_output=True, timeout=20)
            if plugin_log(p, ["playFile"]):
                break
            time.sleep(0.2)  # the running player had not taken its bus name yet
        self.assertEqual(0, second.returncode)
        p.wait_for(lambda: plugin_log(p, ["playFile"]) != [])
        self.assertEqual(["playFile %s -> 0" % self.inner[0]], plugin_log(p, ["playFile"])[:1])
        self.assertIsNone(p.process.poll())
        self.assertEqual(0, p.close())
        self.assertEqual(self.saved + self.inner + [self.song], rows(p))

    def test_plain_start_with_a_list_makes_it_the_single_row(self):
        p = self.make_player(bus=False)
        self.start(p, self.list)
        self.assertEqual(0, p.close())
        self.assertEqual([self.list], rows(p))

    def test_a_file_name_that_is_not_utf8_stays_playable(self):
        p = self.make_player(bus=False)
        raw = os.path.join(p.home.encode(), b"music", b"caf\xe9 \x01.tst")
        open(raw, "wb").close()
        p.process = subprocess.Popen([p.path("tarnello").encode(), b"--enqueue", raw], env=p.env, cwd=p.home,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        self.addCleanup(p.process.stderr.close)
        p.window = p.find_window("Tarnello")
        p.wait_for(lambda: plugin_log(p, ["playFile"]) != [])
        self.assertEqual(0, p.close())
        saved = p.read("tarnello.m3u", binary=True).split(b"\n")
        # Kept as its bytes, in a line of its own that reads back as the same path.
        self.assertIn(b"file://" + raw.replace(b"\xe9", b"%E9").replace(b" ", b"%20").replace(b"\x01", b"%01"), saved)
        self.assertIn(b"#EXTINF:-1,caf\xc3\xa9  .tst", saved)
        p.start()
        p.close()
        self.assertEqual(len(self.saved) + 1, len(rows(p)))


class HostileStateFiles(unittest.TestCase):
    def player(self):
        p = Player(files={"tarnello.txt": OPTIONS})
        self.addCleanup(p.__exit__, None, None, None)
        p.env["DBUS_SESSION_BUS_ADDRESS"] = "unix:path=" + os.path.join(p.home, "no-bus")
        return p

    def test_fifos_and_devices_as_state_files_do_not_hang_the_start(self):
        for name in ("tarnello.m3u", "tarnello.txt", "hotkeys.ini"):
            with self.subTest(name=name):
                p = self.player()
                if os.path.exists(p.path(name)):
                    os.remove(p.path(name))
                os.mkfifo(p.path(name))
                p.start(timeout=15)
                self.assertEqual(0, p.close())
                p.process.stderr.close()
        p = self.player()
        os.symlink("/dev/zero", p.path("tarnello.m3u"))
        started = time.monotonic()
        p.start(timeout=15)
        self.assertLess(time.monotonic() - started, 15)
        self.assertEqual(0, p.close())
        p.process.stderr.close()
        # The user was told, the link is kept aside, and the new list is a file.
        self.assertEqual(1, len(p.messages()))
        self.assertIn("tarnello.m3u.bak", p.messages()[0][-1])
        self.assertTrue(os.path.islink(p.path("tarnello.m3u.bak")))
        self.assertTrue(os.path.isfile(p.path("tarnello.m3u")) and not os.path.islink(p.path("tarnello.m3u")))

    def test_a_thousand_broken_info_lines_show_one_box(self):
        p = self.player()
        p.write("tarnello.m3u", "#EXTM3U\n" + "#EXTINF:broken\n/x.tst\n" * 1000)
        p.start()
        self.assertEqual(0, p.close())
        p.process.stderr.close()
        self.assertEqual(["M3U syntax error!"], [m[-1] for m in p.messages()])


if __name__ == "__main__":
    unittest.main()
