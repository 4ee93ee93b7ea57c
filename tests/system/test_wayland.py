"""The player on a Wayland desktop, under a weston of the test's own: with XWayland
beside the compositor it runs through X11 by itself and its windows come up at the
places of the options file, docked as they were; without an X server it runs
natively, maps its three windows and, told to end, writes both of its files without
touching the places it cannot know. Nested in an Xvfb (the only weston here that
takes input), a drag moves the native window through the compositor, and the
controls and the bound keys keep working."""
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

    def close_by_signal(self, volume="77"):
        self.assertEqual(0, self.p.signal())
        self.assertEqual([], self.p.messages())
        written = options(self.p.read("tarnello.txt"))
        self.assertEqual(volume, written["Volume"])
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


    def test_a_platform_the_user_chose_is_kept(self):
        p = self.start_player("xwayland")
        p.env["QT_QPA_PLATFORM"] = "wayland"
        self.launch()
        play = test_skin_sprites()["cbuttons.play.normal"]
        shot = self.shot_when(lambda shot: play in shot.colours(0, 0, shot.width, shot.height))
        self.assertIn(play, shot.colours(0, 0, shot.width, shot.height))
        # Mapped natively: XWayland has no window of the player's.
        self.assertEqual("", p.xdotool("search", "--name", "^Tarnello$", check=False).strip())
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


class NativeWithInput(WaylandCase):
    """Weston in a window of an Xvfb: the Xvfb's pointer and keyboard are the compositor's."""

    def point(self, at):
        self.p.host_xdotool("mousemove", str(at[0]), str(at[1]))
        time.sleep(0.2)

    def main_origin(self, shot, play):
        """The main window's top-left corner on the screen, found by its play button."""
        for y in range(shot.height):
            for x in range(shot.width):
                if shot.pixel(x, y) == play:
                    return x - PLAY_BUTTON[0], y - PLAY_BUTTON[1]
        self.fail("no main window on the screen (%s)" % shot.path)

    def test_a_drag_moves_the_window_through_the_compositor_and_controls_and_keys_still_work(self):
        p = self.start_player("nested")
        # Function 8 is "Volume Up"; virtual key 175 is the volume-up media key of the shipped list.
        p.write("tarnello.txt", "[tarnello]\nMain_x=300\nMain_y=200\nEQ_Visible=0\nPL_Visible=0\nVolume=77\n"
                "VolUpStep=10\n[buttons]\nHotkey0=8/1/175\n")
        self.launch()
        sprites = test_skin_sprites()
        play, shuffle_on = sprites["cbuttons.play.normal"], sprites["shufrep.shuffle.on"]
        x, y, w, h = PLAY_BUTTON
        shot = self.shot_when(lambda shot: play in shot.colours(0, 0, shot.width, shot.height))
        mx, my = self.main_origin(shot, play)
        # The host's pointer enters weston's window (which leaves room around it on
        # the host screen) from outside, so weston knows where it is.
        self.point((1200, 900))
        self.point((mx + 400, my + 200))

        # A drag on the title bar: the compositor takes the window along.
        start = (mx + 150, my + 6)
        self.point(start)
        p.host_xdotool("mousedown", "1")
        time.sleep(0.1)
        for step in range(1, 11):
            p.host_xdotool("mousemove", str(start[0] + 20 * step), str(start[1] + 10 * step))
            time.sleep(0.03)
        p.host_xdotool("mouseup", "1")
        moved = lambda shot: shot.colours(mx + 200 + x, my + 100 + y, w, h) == {play: w * h}
        shot = self.shot_when(moved)
        self.assertTrue(moved(shot), "%s: the main window was at %s" % (shot.path, (mx, my)))

        # The pointer is the player's again: the shuffle toggle turns on.
        self.point((mx + 200 + 164 + 20, my + 100 + 89 + 7))
        p.host_xdotool("click", "1")
        lit = lambda shot: shuffle_on in shot.colours(mx + 200 + 164, my + 100 + 89, 47, 15)
        shot = self.shot_when(lit)
        self.assertTrue(lit(shot), shot.path)

        # With a player window in front, the bound key reaches the player.
        p.host_xdotool("key", "XF86AudioRaiseVolume")
        time.sleep(0.5)

        written = self.close_by_signal(volume="87")
        self.assertEqual("1", written["Shuffle"])
        # Where the compositor put the window is its secret: the stored place stays.
        self.assertEqual(("300", "200"), (written["Main_x"], written["Main_y"]))


if __name__ == "__main__":
    # Every test skipped (no weston that runs here) is reported to CTest as skipped.
    result = unittest.main(exit=False, verbosity=2).result
    everything_skipped = result.testsRun > 0 and len(result.skipped) == result.testsRun
    sys.exit(77 if everything_skipped else (0 if result.wasSuccessful() else 1))
