"""Jumping to a track with the keyboard, as a user does it on X11: J in a player
window opens the dialog, typed words narrow it, Enter plays the row and closes it;
the list is an old CP1251 one, so the rows read as the words they were."""
import os
import time
import unittest

from harness import Player, install_test_plugin, plugin_log

ROWS = [("Кино - Группа крови", "krovi"), ("Кино - Звезда по имени Солнце", "zvezda"),
        ("Sigur Ros - Hoppipolla", "hoppipolla"), ("Beyonce - Halo", "halo")]


class JumpTest(unittest.TestCase):
    def test_j_opens_the_dialog_and_enter_plays_the_row_found(self):
        with Player() as p:
            install_test_plugin(p)
            os.makedirs(p.path("music"))
            listing = b"#EXTM3U\r\n"
            for title, name in ROWS:
                path = p.path("music/%s.tst" % name)
                open(path, "wb").close()
                listing += b"#EXTINF:60," + title.encode("cp1251") + b"\r\n" + path.encode() + b"\r\n"
            p.write("tarnello.m3u", listing)
            p.start()
            p.xdotool("windowfocus", "--sync", p.window)
            p.key("j")
            dialog = p.find_window("Jump to file", timeout=10)
            p.xdotool("type", "--delay", "30", "ROS hopp")
            p.key("Return")
            p.wait_for(lambda: plugin_log(p, {"playFile"}))
            self.assertEqual(plugin_log(p, {"playFile"}), ["playFile %s -> 0" % p.path("music/hoppipolla.tst")])
            deadline = time.monotonic() + 10
            while dialog in p.xdotool("search", "--onlyvisible", "--name", "^Jump to file$", check=False).split():
                self.assertLess(time.monotonic(), deadline, "the dialog stayed open")
                time.sleep(0.05)
            self.assertEqual(p.close(), 0)
            saved = p.read("tarnello.m3u")
            self.assertIn("#EXTINF:60,Кино - Группа крови\n", saved)
            self.assertIn("#EXTINF:60,Кино - Звезда по имени Солнце\n", saved)
            self.assertIn("Resume=2", p.read("tarnello.txt"))


if __name__ == "__main__":
    unittest.main()
