"""The player's life seen from outside: what a plug-in sees with and without a
session bus, a logout (SIGTERM, SIGINT, SIGHUP) or a media controller's Quit while
a dialog is open, and a PLS download from a server that trickles."""
import os
import signal
import subprocess
import time
import unittest

from harness import Player, click_screen, grab, install_test_plugin, plugin_log

HTTP_SERVER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "playlist", "http_test_server.py")
SERVICE = "org.mpris.MediaPlayer2.tarnello"
NO_BUS = "unix:path=/nonexistent/tarnello-test-session-bus"
# Main window places at 100 %.
BUTTONS = {"play": (39, 88, 23, 18), "pause": (62, 88, 23, 18), "next": (108, 88, 22, 18),
           "open": (136, 89, 22, 16), "menu": (6, 3, 9, 9)}
POSITION_SLIDER = (16, 72, 248, 10)
# The equalizer's presets button, and where the equalizer is placed (clear of the main window).
PRESETS_BUTTON = (217, 18, 44, 12)
OPTIONS = "[tarnello]\nEQ_Visible=1\nEQ_x=0\nEQ_y=200\nPL_Visible=0\n"
POLLS = ("playPositionMs", "trackLengthMs")


class SessionBus:
    """A D-Bus session bus of the test's own."""

    def __init__(self, folder):
        self.process = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1",
                                         "--address=unix:path=%s" % os.path.join(folder, "bus")],
                                        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.address = self.process.stdout.readline().strip()
        if not self.address:
            raise RuntimeError("dbus-daemon did not start")

    def has_player(self):
        reply = subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
                                "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner", "string:" + SERVICE],
                               env=dict(os.environ, DBUS_SESSION_BUS_ADDRESS=self.address), capture_output=True,
                               text=True)
        return "boolean true" in reply.stdout

    def quit_player(self):
        subprocess.run(["dbus-send", "--session", "--type=method_call", "--dest=" + SERVICE, "/org/mpris/MediaPlayer2",
                        "org.mpris.MediaPlayer2.Quit"], env=dict(os.environ, DBUS_SESSION_BUS_ADDRESS=self.address),
                       check=True)

    def stop(self):
        self.process.kill()
        self.process.wait()
        self.process.stdout.close()


def visible_windows(p):
    return {w: p.xdotool("getwindowname", w, check=False).strip()
            for w in p.xdotool("search", "--onlyvisible", "--name", ".*", check=False).split()}


def press(p, rect, window=None):
    x, y, w, h = rect
    ox, oy = p.geometry(window)[:2]
    click_screen(p, ox + x + w // 2, oy + y + h // 2)


def wait_for_window(p, title, timeout=10):
    deadline = time.monotonic() + timeout
    while title not in visible_windows(p).values():
        if time.monotonic() > deadline:
            raise TimeoutError("no window %r among %s" % (title, visible_windows(p)))
        time.sleep(0.05)


def menu(p, *keys):
    """Opens the popup menu and types keys into it."""
    before = len(visible_windows(p))
    press(p, BUTTONS["menu"])
    p.wait_for(lambda: len(visible_windows(p)) > before)
    for key in keys:
        p.key(key)
        time.sleep(0.05)


def open_presets(p):
    press(p, PRESETS_BUTTON, p.find_window("Equalizer"))


# How each dialog is opened, and the title of its window. The about box and the
# menus have no title of their own: they show the program's name.
DIALOGS = {
    "about": (lambda p: menu(p, "Down", "Return"), "tarnello"),
    "preferences": (lambda p: menu(p, "o", "Return"), "Tarnello Preferences"),
    "buttons": (lambda p: menu(p, "o", "Up", "Up", "Up", "Return"), "Button Setting"),
    "volume": (lambda p: menu(p, "o", "Up", "Up", "Return"), "Volume Setting"),
    "speed": (lambda p: menu(p, "o", "Up", "Return"), "Speed"),
    "open file": (lambda p: press(p, BUTTONS["open"]), "Open"),
    "presets": (open_presets, "Load EQ Preset"),
    # The popup menu runs a loop of its own too; with a submenu open, two windows.
    "menu": (lambda p: menu(p, "o"), "tarnello"),
}


def make_tracks(p, count=3):
    music = os.path.join(p.home, "music")
    os.makedirs(music, exist_ok=True)
    tracks, lines = [], ["#EXTM3U"]
    for i in range(count):
        path = os.path.join(music, "%d.tst" % (i + 1))
        open(path, "wb").close()
        tracks.append(path)
        lines += ["#EXTINF:60,Track %d" % (i + 1), path]
    p.write("tarnello.m3u", "\n".join(lines) + "\n")
    return tracks


def comparable(log):
    """The call log with each run of position and length polls as one entry: how
    many polls fall between two commands depends on the time they took."""
    out = []
    for line in log:
        if line.split(" ", 1)[0] in POLLS:
            if not out or out[-1] != "(polls)":
                out.append("(polls)")
        else:
            out.append(line)
    return out


class PluginCallsWithAndWithoutBus(unittest.TestCase):
    def run_session(self, bus):
        with Player(files={"tarnello.txt": OPTIONS}) as p:
            install_test_plugin(p)
            tracks = make_tracks(p)
            p.env["DBUS_SESSION_BUS_ADDRESS"] = bus.address if bus else NO_BUS
            p.start()
            self.addCleanup(p.process.stderr.close)
            follower = None
            if bus:
                p.wait_for(bus.has_player)
                # A controller that reads the status and position at every change.
                follower = subprocess.Popen(["playerctl", "-p", "tarnello", "--follow", "metadata", "--format",
                                             "{{status}} {{position}} {{mpris:length}}"], env=p.env,
                                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                self.addCleanup(follower.wait)
                self.addCleanup(follower.kill)

            def step(action, expected):
                count = len(plugin_log(p))
                action()
                p.wait_for(lambda: any(line.startswith(expected) for line in plugin_log(p)[count:]))
                # The timers poll at least once before the next command.
                time.sleep(0.6)

            step(lambda: press(p, BUTTONS["play"]), "applySpeed")
            step(lambda: press(p, BUTTONS["pause"]), "pausePlayback")
            step(lambda: press(p, BUTTONS["pause"]), "resumePlayback")
            x, y, w, h = POSITION_SLIDER
            ox, oy = p.geometry()[:2]
            step(lambda: click_screen(p, ox + x + 124, oy + y + 5), "seekToMs")
            step(lambda: press(p, BUTTONS["next"]), "applySpeed")

            def speed_dialog():
                DIALOGS["speed"][0](p)
                wait_for_window(p, "Speed")
                p.key("Return")
            step(speed_dialog, "applySpeed")

            def preset():
                open_presets(p)
                wait_for_window(p, "Load EQ Preset")
                p.key("Down")
                p.key("Return")
            step(preset, "applyEqualizer")
            self.assertEqual(0, p.close())
            if bus:
                self.assertFalse(bus.has_player())
            log = plugin_log(p)
            self.assertIn("playFile %s -> 0" % tracks[1], log)
            # The two sessions have homes of their own.
            return [line.replace(p.home, "HOME") for line in log]

    def test_a_session_bus_adds_no_call_to_the_plug_ins_log(self):
        without = self.run_session(None)
        bus = SessionBus(self.bus_folder())
        self.addCleanup(bus.stop)
        with_bus = self.run_session(bus)
        self.assertEqual(comparable(without), comparable(with_bus))
        # The designed polls are there in both, and the pause is asked only by the commands.
        for log in (without, with_bus):
            self.assertIn("playPositionMs", [line.split(" ", 1)[0] for line in log])
            self.assertEqual(2, sum(line.startswith("isPlaybackPaused") for line in log), log)

    def bus_folder(self):
        import tempfile
        folder = tempfile.mkdtemp(prefix="tarnello-bus-")
        self.addCleanup(lambda: subprocess.run(["rm", "-rf", folder]))
        return folder


class CloseWithADialogOpen(unittest.TestCase):
    """Each way the session ends the player, with each dialog open: the dialog is
    ended, then the designed close runs (plug-ins shut down, files written), exit 0."""

    @classmethod
    def setUpClass(cls):
        import tempfile
        cls.folder = tempfile.mkdtemp(prefix="tarnello-bus-")
        cls.bus = SessionBus(cls.folder)

    @classmethod
    def tearDownClass(cls):
        cls.bus.stop()
        subprocess.run(["rm", "-rf", cls.folder])

    def close_each_dialog(self, end, by_bus=False):
        with Player() as p:
            install_test_plugin(p)
            p.env["DBUS_SESSION_BUS_ADDRESS"] = self.bus.address
            for name, (open_dialog, title) in DIALOGS.items():
                with self.subTest(dialog=name):
                    # No "Main_x" yet: the close writes it.
                    p.write("tarnello.txt", OPTIONS)
                    if os.path.exists(os.path.join(p.plugin_dir, "log.txt")):
                        os.remove(os.path.join(p.plugin_dir, "log.txt"))
                    p.start()
                    if by_bus:
                        p.wait_for(self.bus.has_player, timeout=10)
                    open_dialog(p)
                    wait_for_window(p, title)
                    end(p)
                    code = p.wait(20)
                    stderr = p.process.stderr.read().decode(errors="replace")
                    p.process.stderr.close()
                    self.assertEqual(0, code, stderr)
                    self.assertIn("Main_x=0\n", p.read("tarnello.txt"))
                    self.assertTrue(p.exists("tarnello.m3u"))
                    self.assertEqual("shutdown", plugin_log(p)[-1])
                    self.assertEqual([], [e for e in os.listdir(p.folder)
                                          if e.startswith("tarnello.txt.") or e.startswith("tarnello.m3u.")])

    def test_sigterm(self):
        self.close_each_dialog(lambda p: p.process.send_signal(signal.SIGTERM))

    def test_sigint(self):
        self.close_each_dialog(lambda p: p.process.send_signal(signal.SIGINT))

    def test_sighup(self):
        self.close_each_dialog(lambda p: p.process.send_signal(signal.SIGHUP))

    def test_media_controller_quit(self):
        self.close_each_dialog(lambda p: self.bus.quit_player(), by_bus=True)


class TricklingDownload(unittest.TestCase):
    def test_the_windows_paint_and_sigterm_ends_the_download_and_closes(self):
        with Player(files={"tarnello.txt": "[tarnello]\nEQ_Visible=0\nPL_Visible=1\nPL_x=0\nPL_y=200\n"
                                           "PL_width=275\nPL_height=200\n"}) as p:
            server = subprocess.Popen(["python3", HTTP_SERVER, "--root", p.home], stdout=subprocess.PIPE, text=True)
            self.addCleanup(server.wait)
            self.addCleanup(server.kill)
            self.addCleanup(server.stdout.close)
            url = "http://127.0.0.1:%s/trickle.pls" % server.stdout.readline().strip()
            p.start()
            self.addCleanup(p.process.stderr.close)
            editor = p.find_window("Playlist Editor")
            _, _, _, height = p.geometry(editor)
            main = p.geometry()
            before = grab(p, "before")

            # Add, then its URL button above it.
            press(p, (14, height - 30, 22, 18), editor)
            time.sleep(0.3)
            press(p, (14, height - 66, 22, 18), editor)
            wait_for_window(p, "Open URL")
            p.xdotool("type", "--delay", "5", url)
            p.key("Return")
            p.wait_for(lambda: p.exists("temp.pls"), timeout=10)

            # While the player waits for the list, a window uncovered again is painted again.
            started = time.monotonic()
            p.xdotool("windowunmap", "--sync", p.window)
            p.xdotool("windowmap", "--sync", p.window)
            time.sleep(1.0)
            after = grab(p, "during")
            differing = sum(before.pixel(x, y) != after.pixel(x, y) for y in range(main[1], main[1] + main[3])
                            for x in range(main[0], main[0] + main[2]))
            self.assertEqual(0, differing, after.path)
            self.assertTrue(p.exists("temp.pls"))

            # A logout's signal ends the download and the player closes as it always does.
            self.assertEqual(0, p.signal(signal.SIGTERM, timeout=10))
            self.assertLess(time.monotonic() - started, 10)
            self.assertFalse(p.exists("temp.pls"))
            # The list that could not be fetched is a row of its own, and a recent URL.
            self.assertIn(url, p.read("tarnello.m3u").splitlines())
            self.assertIn("RecentURL1=%s\n" % url, p.read("tarnello.txt"))


if __name__ == "__main__":
    unittest.main()
