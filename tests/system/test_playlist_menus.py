"""The playlist editor's menus reached as a user does: a group button, the
sub-button that reaches over the list, the menu opened there and an entry chosen
with the keyboard; what the list became is read from the playlist the player saves."""
import os
import time
import unittest

from harness import Player, click_screen

EDITOR = (0, 200, 275, 232)  # x, y, width, height of the editor


class PlaylistMenus(unittest.TestCase):
    def setUp(self):
        options = ("[tarnello]\nEQ_Visible=0\nPL_Visible=1\nPL_x=%d\nPL_y=%d\nPL_width=%d\nPL_height=%d\n"
                   % EDITOR)
        self.p = Player(files={"tarnello.txt": options})
        self.addCleanup(self.p.__exit__, None, None, None)
        self.music = os.path.join(self.p.home, "music")
        os.mkdir(self.music)

    def start(self, rows):
        self.p.write("tarnello.m3u", "#EXTM3U\n" + "".join(r + "\n" for r in rows))
        self.p.start()
        self.addCleanup(self.p.process.stderr.close)
        self.p.find_window("Playlist Editor")
        time.sleep(0.5)

    def rows(self):
        return [line for line in self.p.read("tarnello.m3u").splitlines() if line and not line.startswith("#")]

    def choose(self, group_x, sub_offset, downs):
        """Opens a column, presses its sub-button at bottom - sub_offset and picks
        the menu's entry number downs (1 = first)."""
        x, y, _, h = EDITOR
        click_screen(self.p, x + group_x + 11, y + h - 30 + 9)
        time.sleep(0.3)
        click_screen(self.p, x + group_x + 11, y + h - sub_offset + 9)
        time.sleep(0.5)
        self.p.key(*(["Down"] * downs), "Return")
        time.sleep(0.5)

    def test_sort_menu_reverses_and_remove_menu_drops_dead_files(self):
        music = self.music
        kept = [os.path.join(music, name) for name in ("a.tst", "c.tst")]
        for path in kept:
            open(path, "wb").close()
        rows = [kept[0], os.path.join(music, "gone.tst"), kept[1]]
        self.start(rows)
        # Misc column, its upper button "sort" (bottom - 66): the fourth entry reverses.
        self.choose(101, 66, 4)
        # Remove column, its upper button "remove menu" (bottom - 84): the first entry.
        self.choose(43, 84, 1)
        self.assertEqual(0, self.p.close())
        self.assertEqual([kept[1], kept[0]], self.rows())


if __name__ == "__main__":
    unittest.main()
