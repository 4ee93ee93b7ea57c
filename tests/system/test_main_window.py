"""The main window under Xvfb with the test plug-in and the colour-coded test skin:
transport buttons clicked at their places, the time display read back from the
screen, the end of a track, and the popup menu's Scale and Skins submenus."""
import os
import time
import unittest
import zipfile

from harness import (TEST_SKIN, Player, click_screen, grab, install_test_plugin, install_test_skin, plugin_control,
                     plugin_log, test_skin_sprites)

SPRITES = test_skin_sprites()
DIGITS = {SPRITES["numbers.digit%d" % d]: str(d) for d in range(10)}
DIGITS[SPRITES["numbers.blank"]] = " "
# Places of the time glyphs at 100 %: hundreds, tens and units of minutes, tens and units of seconds.
GLYPHS = [(36, 26), (48, 26), (60, 26), (78, 26), (90, 26)]
BUTTONS = {"previous": (16, 88, 23, 18), "play": (39, 88, 23, 18), "pause": (62, 88, 23, 18),
           "stop": (85, 88, 23, 18), "next": (108, 88, 22, 18)}
MENU_BUTTON = (6, 3, 9, 9)
TITLE_PANEL = (109, 24, 157, 12)
# A spot where only the whole-window piece is drawn.
BACKGROUND_SPOT = (20, 50, 1, 1)
# What playback asks of the plug-in, without the polling of position, length and pause state.
TRANSPORT = ("stopPlayback", "claimsFile", "playFile", "applyEqualizer", "applyVolume", "applySpeed",
             "pausePlayback", "resumePlayback", "seekToMs")
TITLES = ["Alpha", "Bravo WWWWWWW", "Charlie", "Delta"]


def started(path):
    """The plug-in calls of a track start that replaces no track."""
    return ["claimsFile %s -> 1" % path, "playFile %s -> 0" % path,
            "applyEqualizer 0 31,31,31,31,31,31,31,31,31,31 31", "applyVolume 128", "applySpeed 1.000"]


def replaced(path):
    """The calls when a track replaces the one playing: the stop of playback control,
    then the plug-in manager stops the plug-in that was current before playing."""
    return ["stopPlayback", "claimsFile %s -> 1" % path, "stopPlayback"] + started(path)[1:]


def scaled(v, scale):
    return int(scale * (v / 100) + 0.5)


class MainWindowCase(unittest.TestCase):
    """A player with the test plug-in, the test skin as its current skin, a playlist
    of four test tracks (real, empty files) and only the main window shown."""

    SCALE = 100

    def start_player(self, skin_temporary=True):
        # The secondary windows stay hidden: at their default places they would cover
        # the main window's lower part.
        options = "[tarnello]\nScale=%d\nEQ_Visible=0\nPL_Visible=0\n" % self.SCALE
        self.p = Player(files={"tarnello.txt": options})
        self.addCleanup(self.p.__exit__, None, None, None)
        install_test_plugin(self.p)
        install_test_skin(self.p, temporary=skin_temporary, package=True)
        music = os.path.join(self.p.home, "music")
        os.mkdir(music)
        self.tracks = []
        lines = ["#EXTM3U"]
        for i, title in enumerate(TITLES):
            path = os.path.join(music, "%d %s.tst" % (i + 1, title.split()[0].lower()))
            open(path, "wb").close()
            self.tracks.append(path)
            lines += ["#EXTINF:60,%s" % title, path]
        self.p.write("tarnello.m3u", "\n".join(lines) + "\n")
        self.p.start()
        self.addCleanup(self.p.process.stderr.close)
        self.origin = self.p.geometry()[:2]
        if skin_temporary:
            # Painted once the background shows the skin.
            self.wait_screen(lambda s: self.at(s, *BACKGROUND_SPOT) == {SPRITES["main.background"]: 1} or None)
        return self.p

    # Screen reading, in client coordinates of the main window at 100 %.
    def at(self, shot, x, y, w, h):
        s = self.SCALE
        ox, oy = self.origin
        return shot.colours(ox + scaled(x, s), oy + scaled(y, s), scaled(x + w, s) - scaled(x, s),
                            scaled(y + h, s) - scaled(y, s))

    def centre(self, shot, rect):
        x, y, w, h = rect
        ox, oy = self.origin
        return shot.pixel(ox + scaled(x, self.SCALE) + scaled(w, self.SCALE) // 2,
                          oy + scaled(y, self.SCALE) + scaled(h, self.SCALE) // 2)

    def time_display(self, shot):
        """The five glyphs as text, e.g. " 00:02"; '?' for a glyph of no digit colour."""
        text = ""
        for i, (x, y) in enumerate(GLYPHS):
            colours = self.at(shot, x, y, 9, 13)
            text += DIGITS.get(next(iter(colours)), "?") if len(colours) == 1 else "?"
            if i == 2:
                text += ":"
        return text

    def title_ink(self, shot):
        """Pixels of the title panel that are not its background: grows with the text."""
        colours = self.at(shot, *TITLE_PANEL)
        return sum(colours.values()) - max(colours.values())

    def title_pixels(self, shot):
        x, y, w, h = TITLE_PANEL
        ox, oy = self.origin
        return tuple(shot.pixel(ox + xx, oy + yy) for yy in range(y, y + h) for xx in range(x, x + w))

    def wait_screen(self, probe, timeout=5):
        """Screenshots until probe(shot) gives something other than None; returns it."""
        deadline = time.monotonic() + timeout
        while True:
            shot = grab(self.p)
            value = probe(shot)
            if value is not None:
                return value
            if time.monotonic() > deadline:
                self.fail("screen never matched (last: %s)" % shot.path)
            time.sleep(0.05)

    def wait_log(self, expected, timeout=5):
        """Waits until the transport calls logged so far are exactly expected."""
        try:
            self.p.wait_for(lambda: plugin_log(self.p, TRANSPORT) == expected, timeout)
        except TimeoutError:
            self.assertEqual(expected, plugin_log(self.p, TRANSPORT))

    def press(self, name, double=False):
        x, y, w, h = BUTTONS[name]
        s = self.SCALE
        cx, cy = scaled(x, s) + scaled(w, s) // 2, scaled(y, s) + scaled(h, s) // 2
        ox, oy = self.p.geometry()[:2]
        click_screen(self.p, ox + cx, oy + cy, repeat=2 if double else 1)

    def open_menu(self):
        x, y, w, h = MENU_BUTTON
        ox, oy = self.p.geometry()[:2]
        click_screen(self.p, ox + scaled(x, self.SCALE) + 3, oy + scaled(y, self.SCALE) + 3)
        # The menu is a window of its own; wait until it is mapped before typing.
        self.p.wait_for(lambda: len(self.p.xdotool("search", "--onlyvisible", "--name", ".*", check=False)
                                    .split()) > self.windows_before)

    def choose(self, *keys):
        self.windows_before = len(self.p.xdotool("search", "--onlyvisible", "--name", ".*", check=False).split())
        self.open_menu()
        for key in keys:
            self.p.key(key)
            time.sleep(0.05)


class Transport(MainWindowCase):
    def test_buttons_drive_the_plug_in_in_the_players_order(self):
        p = self.start_player()
        a, b, c, d = self.tracks
        # A fresh start loads the plug-in; nothing plays yet.
        self.assertEqual([], plugin_log(p, TRANSPORT))
        self.assertEqual("startup hostWindow=set library=set", plugin_log(p)[0])

        self.press("play")
        log = started(a)
        self.wait_log(log)

        self.press("next")
        log += replaced(b)
        self.wait_log(log)

        # A quick double tap counts as two presses: two rows on.
        self.press("next", double=True)
        log += replaced(c) + replaced(d)
        self.wait_log(log)

        self.press("previous")
        log += replaced(c)
        self.wait_log(log)

        self.press("pause")
        log += ["pausePlayback"]
        self.wait_log(log)
        self.press("pause")
        log += ["resumePlayback"]
        self.wait_log(log)

        # Play while paused resumes without restarting.
        self.press("pause")
        self.press("play")
        log += ["pausePlayback", "resumePlayback"]
        self.wait_log(log)

        self.press("stop")
        log += ["stopPlayback"]
        self.wait_log(log)

        # Stopped, Next only moves the marked row; Play then starts it.
        self.press("next")
        time.sleep(0.3)
        self.wait_log(log)
        # The stop before a new track reaches the plug-in that stays current after a stop.
        self.press("play")
        log += ["stopPlayback"] + replaced(d)
        self.wait_log(log)
        self.assertEqual(0, p.close())
        self.assertEqual([], p.messages())


class TimeDisplay(MainWindowCase):
    def test_time_display_follows_the_plug_in_clock_pauses_and_resets_on_stop(self):
        self.start_player()
        self.assertEqual(" 00:00", self.wait_screen(lambda s: self.time_display(s) if "?" not in
                                                    self.time_display(s) else None))
        clicked = time.monotonic()
        self.press("play")
        seen = []

        def reached_two(shot):
            text = self.time_display(shot)
            seen.append(text)
            return text if text == " 00:02" else None

        self.wait_screen(reached_two, timeout=6)
        elapsed = time.monotonic() - clicked
        # The plug-in's clock starts at playFile; timer 10 refreshes every 200 ms.
        self.assertGreaterEqual(elapsed, 1.9)
        self.assertLess(elapsed, 3.0)
        self.assertNotIn("?", "".join(seen), seen)
        self.assertEqual(sorted(set(seen)), [t for t in (" 00:00", " 00:01", " 00:02") if t in seen])
        self.assertIn(" 00:01", seen)

        # Paused, the display stands still.
        self.press("pause")
        time.sleep(0.4)
        frozen = self.time_display(grab(self.p))
        time.sleep(1.2)
        self.assertEqual(frozen, self.time_display(grab(self.p)))
        self.press("pause")
        self.wait_screen(lambda s: True if self.time_display(s) > frozen else None, timeout=3)

        self.press("stop")
        self.wait_screen(lambda s: True if self.time_display(s) == " 00:00" else None, timeout=2)
        # Stopped, timer 10 no longer moves it.
        time.sleep(1.2)
        self.assertEqual(" 00:00", self.time_display(grab(self.p)))


    def test_released_position_slider_seeks_and_the_display_shows_hundreds_of_minutes(self):
        p = self.start_player()
        plugin_control(p, "length", "12000000")
        self.press("play")
        self.wait_log(started(self.tracks[0]))
        # Position slider (16, 72, 248, 10), thumb 29 wide: x = 124 inside it gives 128,
        # and 128 x 12000000 / 255 ms is 100:23.
        ox, oy = p.geometry()[:2]
        click_screen(p, ox + 16 + 124, oy + 77)
        self.wait_log(started(self.tracks[0]) + ["seekToMs 6023529"])
        shown = self.wait_screen(lambda s: self.time_display(s) if self.time_display(s).startswith("100:2") else None,
                                 timeout=3)
        # A slow screenshot may see the clock a second on.
        self.assertIn(shown, ("100:23", "100:24"))


class TrackEnd(MainWindowCase):
    def test_end_of_track_plays_the_next_row_and_changes_the_title(self):
        p = self.start_player()
        a, b, c, d = self.tracks
        shot = grab(p)
        initial_ink = self.title_ink(shot)
        self.press("play")
        log = started(a)
        self.wait_log(log)
        ink_a = self.wait_screen(lambda s: self.title_ink(s) if self.title_ink(s) != initial_ink else None)

        plugin_control(p, "end")
        log += ["stopPlayback", "claimsFile %s -> 1" % b, "stopPlayback"] + started(b)[1:]
        self.wait_log(log)
        # Row 2's title is much longer than row 1's.
        self.wait_screen(lambda s: True if self.title_ink(s) > ink_a * 1.5 else None)
        self.assertIn("trackEnded", plugin_log(p))

        # Next while playing stops the track inside the play: the one end report
        # that follows belongs to the stopped track and is swallowed.
        self.press("next")
        log += replaced(c)
        self.wait_log(log)
        plugin_control(p, "end")
        self.p.wait_for(lambda: plugin_log(p).count("trackEnded") == 2)
        time.sleep(0.3)
        self.wait_log(log)
        # The next one moves on to the last row.
        before = self.title_pixels(grab(p))
        plugin_control(p, "end")
        log += replaced(d)
        self.wait_log(log)
        title_d = self.wait_screen(lambda s: self.title_pixels(s) if self.title_pixels(s) != before else None)

        # The end of the last row without repeat: nothing is played, the title stays,
        # the clock still runs (playing stays on).
        plugin_control(p, "end")
        self.p.wait_for(lambda: plugin_log(p).count("trackEnded") == 4)
        time.sleep(0.3)
        self.wait_log(log)
        self.assertEqual(title_d, self.title_pixels(grab(p)))
        polls_before = len([l for l in plugin_log(p) if l.startswith("playPositionMs")])
        time.sleep(0.5)
        self.assertGreater(len([l for l in plugin_log(p) if l.startswith("playPositionMs")]), polls_before)
        # Play then restarts the current (last) row.
        self.press("play")
        log += ["stopPlayback"] + replaced(d)
        self.wait_log(log)


class PopupMenu(MainWindowCase):
    # From nothing active, Down goes to the first enabled item: the program's name,
    # "Main Window", "Playlist Editor", "Equalizer", then past the grayed "Language"
    # and "Plugins" to "Option", "Scale", "Skins".
    TO_SCALE = ["Down"] * 6
    TO_SKINS = ["Down"] * 7

    def test_scale_150_resizes_the_window_and_places_play(self):
        p = self.start_player()
        self.assertEqual(275, p.geometry()[2])
        # "Scale", then its fifth item "150%".
        self.choose(*self.TO_SCALE, "Right", *["Down"] * 4, "Return")
        p.wait_for(lambda: p.geometry()[2:] == (413, 174))
        self.assertEqual((0, 26), p.geometry()[:2])
        self.SCALE = 150
        play = SPRITES["cbuttons.play.normal"]
        shot = self.wait_screen(lambda s: s if self.at(s, 40, 89, 1, 1) == {play: 1} else None)
        ox, oy = self.origin
        # Play covers (59, 132) to (93, 158); pause, scaled on its own to x = 93,
        # covers play's last column.
        self.assertEqual({play: 34 * 27}, shot.colours(ox + 59, oy + 132, 34, 27))
        self.assertEqual({SPRITES["cbuttons.pause.normal"]: 27}, shot.colours(ox + 93, oy + 132, 1, 27))
        for x, y in ((58, 140), (70, 131), (70, 159)):
            self.assertNotEqual(play, shot.pixel(ox + x, oy + y), (x, y))
        # The time glyphs and the background follow the scale as well.
        self.assertEqual(" 00:00", self.time_display(shot))
        self.assertEqual(SPRITES["main.background"], shot.pixel(ox + 30, oy + 75))
        self.assertEqual(0, p.close())
        self.assertIn("Scale=150\n", p.read("tarnello.txt"))
        self.assertIn("Main_width=413\n", p.read("tarnello.txt"))

    def test_main_window_item_changes_nothing_and_equalizer_item_shows_its_window(self):
        p = self.start_player()
        eq_toggle = (219, 58, 23, 12)
        shot = grab(p)
        self.assertEqual({SPRITES["shufrep.eq.off"]: 23 * 12}, self.at(shot, *eq_toggle))
        main_pixels = self.at(shot, 0, 14, 275, 102)
        windows = p.xdotool("search", "--onlyvisible", "--name", ".*").split()

        self.choose("Down", "Down", "Return")  # "Main Window"
        p.wait_for(lambda: len(p.xdotool("search", "--onlyvisible", "--name", ".*").split()) == len(windows))
        time.sleep(0.3)
        self.assertEqual(windows, p.xdotool("search", "--onlyvisible", "--name", ".*").split())
        self.assertEqual((0, 26, 275, 116), p.geometry())
        self.assertEqual(main_pixels, self.at(grab(p), 0, 14, 275, 102))

        self.choose("Down", "Down", "Down", "Down", "Return")  # "Equalizer"
        p.wait_for(lambda: p.xdotool("search", "--onlyvisible", "--name", "^Equalizer$", check=False).strip() != "")
        eq = p.xdotool("search", "--onlyvisible", "--name", "^Equalizer$").split()[0]
        shot = self.wait_screen(lambda s: s if self.at(s, *eq_toggle) == {SPRITES["shufrep.eq.on"]: 23 * 12}
                                else None)
        ex, ey, _, _ = p.geometry(eq)
        self.assertEqual(SPRITES["eqmain.background"], shot.pixel(ex + 20, ey + 60))
        self.assertEqual(0, p.close())
        self.assertIn("EQ_Visible=1\n", p.read("tarnello.txt"))

    def test_skin_chosen_from_the_skins_menu_is_applied(self):
        # The build's default skin is current; the test skin is a package in Skins.
        p = self.start_player(skin_temporary=False)
        background, play = SPRITES["main.background"], SPRITES["cbuttons.play.normal"]
        shot = grab(p)
        self.assertNotEqual({background: 1}, self.at(shot, *BACKGROUND_SPOT))
        self.assertNotEqual(play, self.centre(shot, BUTTONS["play"]))
        # "Skins": the grayed "<BaseSkin>" is passed over, then Default, TestSkin.
        self.choose(*self.TO_SKINS, "Right", "Down", "Return")
        shot = self.wait_screen(lambda s: s if self.centre(s, BUTTONS["play"]) == play else None)
        self.assertEqual({background: 1}, self.at(shot, *BACKGROUND_SPOT))
        self.assertEqual({SPRITES["cbuttons.stop.normal"]: 23 * 18}, self.at(shot, *BUTTONS["stop"]))
        self.assertEqual(" 00:00", self.time_display(shot))
        self.assertEqual([], p.messages())
        # The package was unpacked as the current skin.
        with open(os.path.join(p.folder, "Skins/Temporary/main.bmp"), "rb") as f, \
                open(os.path.join(TEST_SKIN, "TestSkin/main.bmp"), "rb") as g:
            self.assertEqual(g.read(), f.read())

    def test_skin_archive_from_the_wild_is_applied_and_drawn_again_after_a_restart(self):
        # The test skin packed as other players' archives come: in a folder, with '\'
        # separators, upper-case names, extra files, and without the files such
        # archives often lack, so that the unpacked folder alone would not pass the
        # skin check at the next start.
        p = self.start_player(skin_temporary=False)
        folder = os.path.join(TEST_SKIN, "TestSkin")
        lacking = {"pledit.txt", "PlayPaus.bmp", "nums_ex.bmp", "text.bmp"}
        with zipfile.ZipFile(os.path.join(p.folder, "Skins", "Wild.WSZ"), "w", zipfile.ZIP_DEFLATED) as z:
            z.writestr("Wild Skin/readme.txt", "A skin\r\n")
            for i, name in enumerate(sorted(os.listdir(folder))):
                if name not in lacking:
                    z.write(os.path.join(folder, name), ("Wild Skin\\" if i % 2 else "Wild Skin/") + name.upper())
            z.writestr("Wild Skin/Thumbs.db", b"\0" * 32)
        play = SPRITES["cbuttons.play.normal"]
        self.assertNotEqual(play, self.centre(grab(p), BUTTONS["play"]))
        # "Skins": Default, TestSkin, then the archive, listed as "Wild".
        self.choose(*self.TO_SKINS, "Right", "Down", "Down", "Return")
        shot = self.wait_screen(lambda s: s if self.centre(s, BUTTONS["play"]) == play else None)
        self.assertEqual({SPRITES["main.background"]: 1}, self.at(shot, *BACKGROUND_SPOT))
        self.assertEqual([], p.messages())
        self.assertEqual(0, p.close())

        p.start()
        shot = self.wait_screen(lambda s: s if self.centre(s, BUTTONS["play"]) == play else None)
        self.assertEqual({SPRITES["cbuttons.stop.normal"]: 23 * 18}, self.at(shot, *BUTTONS["stop"]))
        self.assertEqual(" 00:00", self.time_display(shot))
        self.assertEqual([], p.messages())


if __name__ == "__main__":
    unittest.main()
