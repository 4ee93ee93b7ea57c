"""Hot keys of the whole player under Xvfb: a key listed in "hotkeys.ini" and bound
to "Next" in section "buttons" reaches the player while another program's window
has the focus when "UnMap" is 0, and does not when "UnMap" is 1 (the player then
gives its keys back when it loses the focus)."""
import os
import subprocess
import time
import unittest

from harness import Player, install_test_plugin, plugin_log

HOLD_FOCUS = os.environ.get("TARNELLO_X11HOLDFOCUS", "x11holdfocus")
PLAY = (50, 97)
# Function 5 is "Next"; virtual key 176 is the media key "next track" of the shipped list.
OPTIONS = "[tarnello]\nEQ_Visible=0\nPL_Visible=0\nUnMap=%d\n[buttons]\nHotkey0=5/1/176\n"


class HotkeysBehindAnotherProgram(unittest.TestCase):
    def start(self, unmap):
        p = Player(files={"tarnello.txt": OPTIONS % unmap})
        self.addCleanup(p.__exit__, None, None, None)
        self.assertTrue(any(line.endswith("/0/176") for line in p.read("hotkeys.ini").splitlines()))
        install_test_plugin(p)
        music = os.path.join(p.home, "music")
        os.mkdir(music)
        self.tracks = [os.path.join(music, "%d.tst" % i) for i in (1, 2, 3)]
        for path in self.tracks:
            open(path, "wb").close()
        p.write("tarnello.m3u", "#EXTM3U\n" + "".join("#EXTINF:60,Track %d\n%s\n" % (i, t) for i, t in enumerate(self.tracks)))
        p.start()
        self.addCleanup(p.process.stderr.close)
        # The player in front: a click gives it the focus and starts the first row.
        p.xdotool("windowfocus", "--sync", p.window)
        p.click(*PLAY)
        p.wait_for(lambda: self.played(p) == self.tracks[:1])
        return p

    def played(self, p):
        return [line.split(" ")[1] for line in plugin_log(p, ("playFile",))]

    def other_program_in_front(self, p):
        holder = subprocess.Popen([HOLD_FOCUS], env=p.env, stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        self.addCleanup(holder.wait)
        self.addCleanup(holder.stdin.close)
        self.assertEqual("focused", holder.stdout.readline().strip())
        self.assertNotEqual(p.window, p.xdotool("getwindowfocus").strip())
        time.sleep(0.3)  # the player sees its focus go

    def test_with_unmap_0_the_key_works_while_another_program_has_the_focus(self):
        p = self.start(unmap=0)
        self.other_program_in_front(p)
        p.key("XF86AudioNext")
        p.wait_for(lambda: self.played(p) == self.tracks[:2])
        p.key("XF86AudioNext")
        p.wait_for(lambda: self.played(p) == self.tracks)

    def test_with_unmap_1_the_key_is_given_back_when_the_player_loses_the_focus(self):
        p = self.start(unmap=1)
        # In front, the key is the player's.
        p.key("XF86AudioNext")
        p.wait_for(lambda: self.played(p) == self.tracks[:2])
        self.other_program_in_front(p)
        p.key("XF86AudioNext")
        time.sleep(1.0)
        self.assertEqual(self.tracks[:2], self.played(p))


if __name__ == "__main__":
    unittest.main()
