"""The equalizer and the playlist editor under Xvfb with the test plug-in and the
colour-coded test skin: sliders dragged with the pointer reach the plug-in only when
released with the equalizer on, the title bar drag docks, a double tap on a row plays
it, rows are reordered by dragging, the grip resizes, and what both windows write at
close."""
import os
import time
import unittest

from harness import Player, click_screen, grab, install_test_plugin, install_test_skin, plugin_log

# Equalizer client coordinates at 100 %.
EQ_ON = (14, 18, 24, 12)
EQ_PREAMP = (21, 38, 14, 64)
SLIDER_HALF = 5            # half of the 11-pixel thumb
SLIDER_THUMB = 11
EQ_KEYS = ["EQ_Visible", "EQ_x", "EQ_y", "EQ_width", "EQ_height", "EQOn", "EQAuto", "EQPreset"] + \
          ["EQ%d" % k for k in range(10)]
PL_KEYS = ["PL_Visible", "PL_x", "PL_y", "PL_width", "PL_height", "Resume"]
# Keys only the main window writes (none of them is in the options files below).
MAIN_KEYS = ("Main_width", "Main_height", "Scale", "Volume")
# Main window places at 100 %.
PLAY_BUTTON = (39, 88, 23, 18)
TITLE_PANEL = (109, 24, 157, 12)
# The editor's list sits at (12, 20); its rows are 14 pixels high.
LIST_ORIGIN = (12, 20)
ROW_HEIGHT = 14
TITLES = ["Alpha", "Bravo", "Charlie", "Delta", "Echo"]


def band(k):
    return (78 + 18 * k, 38, 14, 64)


def slider_value(p, height=64):
    """The value a vertical slider takes for the pointer at p pixels below its top; the
    last pixel of the track would give 64, which the range holds at 63."""
    p = max(SLIDER_HALF, min(height - SLIDER_HALF, p))
    return min(63, (p - SLIDER_HALF) * 63 // (height - SLIDER_THUMB))


def equalizer_line(enabled, bands, preamp):
    return "applyEqualizer %d %s %d" % (enabled, ",".join(str(b) for b in bands), preamp)


def keys_in_order(text):
    return [line.split("=", 1)[0] for line in text.splitlines() if "=" in line]


def options(text):
    return dict(line.split("=", 1) for line in text.splitlines() if "=" in line)


class SecondaryWindowCase(unittest.TestCase):
    """A player with the test plug-in, the test skin and five test tracks (empty files)."""

    def start_player(self, settings):
        self.p = Player(files={"tarnello.txt": "[tarnello]\n" + settings})
        self.addCleanup(self.p.__exit__, None, None, None)
        install_test_plugin(self.p)
        install_test_skin(self.p, temporary=True, package=False)
        music = os.path.join(self.p.home, "music")
        os.mkdir(music)
        self.tracks = []
        lines = ["#EXTM3U"]
        for i, title in enumerate(TITLES):
            path = os.path.join(music, "%d %s.tst" % (i + 1, title.lower()))
            open(path, "wb").close()
            self.tracks.append(path)
            lines += ["#EXTINF:60,%s" % title, path]
        self.p.write("tarnello.m3u", "\n".join(lines) + "\n")
        self.p.start()
        self.addCleanup(self.p.process.stderr.close)
        # Wait for the first paint of the skin before reading or clicking anything.
        time.sleep(0.5)
        return self.p

    def window(self, title):
        return self.p.find_window(title, timeout=5)

    def pointer(self, x, y):
        """Moves the pointer to a screen point (a --sync move to where it already is hangs)."""
        location = dict(f.split(":") for f in self.p.xdotool("getmouselocation").split()[:2])
        if (int(location["x"]), int(location["y"])) != (x, y):
            self.p.xdotool("mousemove", "--sync", str(x), str(y))

    def drag(self, start, end, steps=8, release=True):
        """Presses at start, moves to end in steps and, unless told not to, releases there."""
        (x0, y0), (x1, y1) = start, end
        self.pointer(x0, y0)
        self.p.xdotool("mousedown", "1")
        time.sleep(0.05)
        for i in range(1, steps + 1):
            self.p.xdotool("mousemove", str(x0 + (x1 - x0) * i // steps), str(y0 + (y1 - y0) * i // steps))
            time.sleep(0.03)
        time.sleep(0.1)
        if release:
            self.release()

    def release(self):
        self.p.xdotool("mouseup", "1")
        time.sleep(0.1)

    def equalizer_log(self):
        return plugin_log(self.p, ("applyEqualizer",))

    def wait_equalizer_log(self, expected, timeout=5):
        try:
            self.p.wait_for(lambda: self.equalizer_log() == expected, timeout)
        except TimeoutError:
            self.assertEqual(expected, self.equalizer_log())

    def still(self, expected):
        """The log stays as it is: nothing more arrives."""
        time.sleep(0.4)
        self.assertEqual(expected, self.equalizer_log())


class Equalizer(SecondaryWindowCase):
    def test_sliders_reach_the_plug_in_when_released_while_on_and_the_close_writes_them(self):
        # Main window to the right so that the equalizer keeps its default place
        # (0, 100) and none of its keys is in the file before the close.
        p = self.start_player("Main_x=300\nMain_y=26\nPL_Visible=0\n")
        main = p.window
        eq = self.window("Equalizer")
        self.assertEqual((0, 100, 275, 116), p.geometry(eq))
        mx, my, _, _ = p.geometry(main)
        click_screen(p, mx + PLAY_BUTTON[0] + 11, my + PLAY_BUTTON[1] + 9)
        bands, preamp = [31] * 10, 31
        log = [equalizer_line(0, bands, preamp)]
        self.wait_equalizer_log(log)

        ex, ey = 0, 100
        click_screen(p, ex + EQ_ON[0] + EQ_ON[2] // 2, ey + EQ_ON[1] + EQ_ON[3] // 2)
        log.append(equalizer_line(1, bands, preamp))
        self.wait_equalizer_log(log)

        # Band 3 from the middle upwards: moving sends nothing, the release sends the value.
        x, y, w, h = band(3)
        cx = ex + x + w // 2
        self.drag((cx, ey + y + 32), (cx, ey + y + 15), release=False)
        self.still(log)
        self.release()
        bands[3] = slider_value(15)
        self.assertEqual(11, bands[3])
        log.append(equalizer_line(1, bands, preamp))
        self.wait_equalizer_log(log)

        # The preamp pulled below its track stops at the bottom value.
        x, y, w, h = EQ_PREAMP
        cx = ex + x + w // 2
        self.drag((cx, ey + y + 20), (cx, ey + y + 80))
        preamp = slider_value(80)
        self.assertEqual(63, preamp)
        log.append(equalizer_line(1, bands, preamp))
        self.wait_equalizer_log(log)

        # A second band, released part-way: the value follows the pointer, not the press.
        x, y, w, h = band(8)
        cx = ex + x + w // 2
        self.drag((cx, ey + y + 10), (cx, ey + y + 47))
        bands[8] = slider_value(47)
        log.append(equalizer_line(1, bands, preamp))
        self.wait_equalizer_log(log)

        # Switched off: the switch sends its state once, a released slider sends nothing.
        click_screen(p, ex + EQ_ON[0] + EQ_ON[2] // 2, ey + EQ_ON[1] + EQ_ON[3] // 2)
        log.append(equalizer_line(0, bands, preamp))
        self.wait_equalizer_log(log)
        x, y, w, h = band(0)
        cx = ex + x + w // 2
        self.drag((cx, ey + y + 32), (cx, ey + y + 55))
        bands[0] = slider_value(55)
        self.still(log)

        self.assertEqual(0, p.close())
        text = p.read("tarnello.txt")
        keys = keys_in_order(text)
        self.assertEqual(EQ_KEYS, [k for k in keys if k in EQ_KEYS])
        first_main = min(keys.index(k) for k in MAIN_KEYS)
        self.assertLess(keys.index("EQ9"), first_main, text)
        written = options(text)
        expected = {"EQ_Visible": "1", "EQ_x": "0", "EQ_y": "100", "EQ_width": "275", "EQ_height": "116",
                    "EQOn": "0", "EQAuto": "0", "EQPreset": str(preamp)}
        expected.update({"EQ%d" % k: str(v) for k, v in enumerate(bands)})
        self.assertEqual(expected, {k: written[k] for k in EQ_KEYS})

    def test_title_bar_drag_docks_under_the_main_window_and_carries_the_docked_editor(self):
        # The editor hangs under the equalizer, both far from the main window.
        p = self.start_player("Main_x=0\nMain_y=26\nEQ_Visible=1\nEQ_x=400\nEQ_y=300\n"
                              "PL_Visible=1\nPL_x=400\nPL_y=416\nPL_width=275\nPL_height=150\n")
        eq, pl = self.window("Equalizer"), self.window("Playlist Editor")
        self.assertEqual((400, 300, 275, 116), p.geometry(eq))
        # Dropped 9 pixels right of and 9 below the main window's lower left corner
        # (0, 142), the farthest that still counts as near.
        self.drag((400 + 150, 300 + 6), (9 + 150, 142 + 9 + 6))
        p.wait_for(lambda: p.geometry(eq)[:2] == (0, 142), timeout=3)
        self.assertEqual((0, 142, 275, 116), p.geometry(eq))
        self.assertEqual((0, 258, 275, 150), p.geometry(pl))

        # Dropped 10 pixels off, it stays where it was dropped; the editor still follows.
        self.drag((150, 142 + 6), (150 + 10, 142 + 6 + 200))
        p.wait_for(lambda: p.geometry(eq)[:2] != (0, 142), timeout=3)
        self.assertEqual((10, 342, 275, 116), p.geometry(eq))
        self.assertEqual((10, 458, 275, 150), p.geometry(pl))
        self.assertEqual(0, p.close())
        written = options(p.read("tarnello.txt"))
        self.assertEqual(("10", "342"), (written["EQ_x"], written["EQ_y"]))
        self.assertEqual(("10", "458"), (written["PL_x"], written["PL_y"]))


class PlaylistEditor(SecondaryWindowCase):
    def row_point(self, row):
        x, y, _, _ = self.p.geometry(self.pl)
        return x + LIST_ORIGIN[0] + 40, y + LIST_ORIGIN[1] + ROW_HEIGHT * row + ROW_HEIGHT // 2

    def title_pixels(self, shot):
        mx, my = self.main_origin
        x, y, w, h = TITLE_PANEL
        return tuple(shot.pixel(mx + xx, my + yy) for yy in range(y, y + h) for xx in range(x, x + w))

    def test_grip_resizes_a_double_tap_plays_a_row_a_drag_reorders_and_the_close_saves(self):
        # The editor at its default place (0, 100) 275 x 100, none of its keys in the file.
        p = self.start_player("Main_x=500\nMain_y=26\nEQ_Visible=0\n")
        self.pl = self.window("Playlist Editor")
        self.main_origin = p.geometry()[:2]
        self.assertEqual((0, 100, 275, 100), p.geometry(self.pl))

        # The grip is the lower right 25 x 25: dragged out by (100, 140) the window grows.
        self.drag((275 - 12, 200 - 12), (275 - 12 + 100, 200 - 12 + 140))
        p.wait_for(lambda: p.geometry(self.pl) != (0, 100, 275, 100), timeout=3)
        self.assertEqual((0, 100, 375, 240), p.geometry(self.pl))
        # Dragged far up and left, it stops at 275 x 100 and keeps its top left corner.
        self.drag((375 - 5, 340 - 5), (20, 120))
        p.wait_for(lambda: p.geometry(self.pl) != (0, 100, 375, 240), timeout=3)
        self.assertEqual((0, 100, 275, 100), p.geometry(self.pl))
        # A press on the right border above the grip moves the window instead of resizing it.
        self.drag((265, 100 + 50), (265, 100 + 50 + 40))
        p.wait_for(lambda: p.geometry(self.pl)[1] != 100, timeout=3)
        self.assertEqual((0, 140, 275, 100), p.geometry(self.pl))
        self.drag((275 - 12, 240 - 12), (275 - 12, 240 - 12 + 150))
        p.wait_for(lambda: p.geometry(self.pl)[3] != 100, timeout=3)
        self.assertEqual((0, 140, 275, 250), p.geometry(self.pl))

        # A double tap on the third row plays it; the title panel shows it.
        before = self.title_pixels(grab(p))
        x, y = self.row_point(2)
        click_screen(p, x, y, repeat=2, delay_ms=80)
        c = self.tracks[2]
        p.wait_for(lambda: "playFile %s -> 0" % c in plugin_log(p), timeout=5)
        self.assertEqual(["playFile %s -> 0" % c], plugin_log(p, ("playFile",)))
        deadline = time.monotonic() + 3
        while self.title_pixels(grab(p)) == before:
            self.assertLess(time.monotonic(), deadline, "the title panel never changed")
            time.sleep(0.1)

        # Row 3 dragged onto row 1: rows 1 and 2 move down, the playing row with them.
        self.drag(self.row_point(3), self.row_point(1), steps=10)
        time.sleep(0.2)
        self.assertEqual(["playFile %s -> 0" % c], plugin_log(p, ("playFile",)))

        self.assertEqual(0, p.close())
        text = p.read("tarnello.txt")
        keys = keys_in_order(text)
        self.assertEqual(PL_KEYS, [k for k in keys if k in PL_KEYS])
        self.assertLess(keys.index("Resume"), min(keys.index(k) for k in MAIN_KEYS), text)
        written = options(text)
        self.assertEqual({"PL_Visible": "1", "PL_x": "0", "PL_y": "140", "PL_width": "275", "PL_height": "250",
                          "Resume": "3"}, {k: written[k] for k in PL_KEYS})
        a, b, c, d, e = self.tracks
        order = [(TITLES[self.tracks.index(t)], t) for t in (a, d, b, c, e)]
        self.assertEqual("#EXTM3U\n" + "".join("#EXTINF:60,%s\n%s\n" % row for row in order),
                         p.read("tarnello.m3u"))


if __name__ == "__main__":
    unittest.main()
