"""The player on a Wayland desktop, under a headless weston of the test's own:
with XWayland beside the compositor it runs through X11 by itself and its windows
come up at the places of the options file, docked as they were; without an X
server it runs natively, maps its three windows and, told to end, writes both of
its files without touching the places it cannot know."""
import os
import shutil
import sys
import time
import unittest

from harness import Player, install_test_skin, test_skin_sprites

# Skin places at scale 100: the play button of the main window, the equalizer's
# "on" switch (off in these runs), and the playlist editor's lower-left corner.
PLAY_BUTTON = (39, 88, 23, 18)
EQ_ON = (14, 18, 24, 12)
# The lowest rows of the switch: weston's shadow under the main window falls on the others.
EQ_ON_LOW = (14, 26, 24, 4)
PL_CORNER = (0, 100 - 38, 10, 38)  # left of its buttons

# The main window with the equalizer docked under it and the editor under that.
DOCKED = {"Main_x": 300, "Main_y": 200, "EQ_x": 300, "EQ_y": 316, "PL_x": 300, "PL_y": 432}
PLACES = "".join("%s=%d\n" % kv for kv in DOCKED.items())
OPTIONS = "[tarnello]\n" + PLACES + "EQ_Visible=1\nPL_Visible=1\nPL_width=275\nPL_height=100\nVolume=77\n"
PLAYLIST = "#EXTM3U\r\n#EXTINF:61,Kept Row\r\n/music/kept.mp3\r\n"


def options(text):
    return dict(line.split("=", 1) for line in text.splitlines() if "=" in line)


class WaylandCase(unittest.TestCase):
    def start_player(self, wayland):
        if not shutil.which("weston") or not shutil.which("weston-screenshooter"):
            raise unittest.SkipTest("weston is not installed")
        try:
            p = Player(files={"tarnello.txt": OPTIONS, "tarnello.m3u": PLAYLIST}, wayland=wayland)
        except RuntimeError as e:
            raise unittest.SkipTest(str(e))
        self.addCleanup(p.__exit__, None, None, None)
        install_test_skin(p, temporary=True, package=False)
        self.p = p
        return p

    def launch(self):
        self.p.launch()
        self.addCleanup(self.p.process.stderr.close)

    def shot_when(self, ready, timeout=15):
        """A screenshot once ready(shot) holds (the windows are mapped, painted and
        done fading in), or the last one taken when it never does."""
        deadline = time.monotonic() + timeout
        while True:
            if self.p.process.poll() is not None:
                self.fail("the player ended: %s" % self.p.process.stderr.read().decode())
            shot = self.p.weston.screenshot(self.p.home)
            if ready(shot) or time.monotonic() > deadline:
                return shot
            time.sleep(0.3)

    def close_by_signal(self):
        self.assertEqual(0, self.p.signal())
        self.assertEqual([], self.p.messages())
        written = options(self.p.read("tarnello.txt"))
        self.assertEqual("77", written["Volume"])
        # Rewritten at the close: the player ends its lines with '\n' alone.
        playlist = self.p.read("tarnello.m3u")
        self.assertIn("/music/kept.mp3", playlist)
        self.assertNotIn("\r", playlist)
        return written


class ThroughXWayland(WaylandCase):
    def test_windows_are_x_clients_at_the_places_of_the_options_file(self):
        p = self.start_player("xwayland")
        self.launch()
        # Nothing chose a platform for the player: it found XWayland itself, and
        # its three windows are clients of that X server.
        self.assertNotIn("QT_QPA_PLATFORM", p.env)
        for title in ("Tarnello", "Equalizer", "Playlist Editor"):
            p.find_window(title, timeout=15)
        # The compositor shows them where the options file has them, docked one
        # under the other (weston's X window manager does not tell X the places
        # of every window it frames, so the screen is the judge).
        sprites = test_skin_sprites()
        play, eq_on, corner = sprites["cbuttons.play.normal"], sprites["eqmain.on.off"], sprites["pledit.bottom.left"]
        expected = [(play, 200, PLAY_BUTTON), (eq_on, 316, EQ_ON_LOW), (corner, 432, PL_CORNER)]

        def regions(shot):
            return [shot.colours(300 + x, top + y, w, h) for _, top, (x, y, w, h) in expected]

        wanted = [{colour: w * h} for colour, _, (_, _, w, h) in expected]
        shot = self.shot_when(lambda shot: regions(shot) == wanted)
        self.assertEqual(wanted, regions(shot))
        # Nothing above the main window or between the windows: docked edge to edge.
        self.assertNotIn(play, shot.colours(300, 190, 275, 10))
        written = self.close_by_signal()
        self.assertEqual(DOCKED, {k: int(written[k]) for k in DOCKED})


class Native(WaylandCase):
    def test_three_windows_are_mapped_and_a_close_keeps_the_stored_places(self):
        p = self.start_player("native")
        self.assertNotIn("DISPLAY", p.env)
        self.launch()
        sprites = test_skin_sprites()
        wanted = {"cbuttons.play.normal": 23 * 18, "eqmain.on.off": 24 * 12, "pledit.bottom.left": None}

        def counts(shot):
            found = shot.colours(0, 0, shot.width, shot.height)
            return {name: found.get(sprites[name], 0) for name in wanted}

        def complete(found):
            return all(found[name] == area if area else found[name] > 0 for name, area in wanted.items())

        shot = self.shot_when(lambda shot: complete(counts(shot)))
        found = shot.colours(0, 0, shot.width, shot.height)
        for name, area in wanted.items():
            self.assertTrue(sprites[name] in found, "%s not on the screen (%s)" % (name, shot.path))
            if area:
                self.assertEqual(area, found[sprites[name]], name)
        # The compositor put the windows where it liked and never said where: the
        # places in the file are the ones the player read, not 0,0.
        written = self.close_by_signal()
        self.assertEqual(DOCKED, {k: int(written[k]) for k in DOCKED})
        self.assertEqual(("275", "116"), (written["Main_width"], written["Main_height"]))


if __name__ == "__main__":
    # Every test skipped (no weston that runs here) is reported to CTest as skipped.
    result = unittest.main(exit=False, verbosity=2).result
    everything_skipped = result.testsRun > 0 and len(result.skipped) == result.testsRun
    sys.exit(77 if everything_skipped else (0 if result.wasSuccessful() else 1))
