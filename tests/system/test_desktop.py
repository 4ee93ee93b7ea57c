"""The player among the desktop's programs: media controllers over MPRIS (driven
with playerctl), a second start handing its files to the running player, and a
player without a session bus. Run inside dbus-run-session."""
import os
import subprocess
import time
import unittest
from urllib.parse import quote

from harness import Player, install_test_plugin, plugin_log

TRANSPORT = ("playFile", "pausePlayback", "resumePlayback", "stopPlayback", "seekToMs", "applyVolume")
TITLES = ["Alpha", "Beta", "Gamma"]


def playerctl(*args, env=None, check=True):
    result = subprocess.run(["playerctl", "-p", "tarnello", *args], capture_output=True, text=True,
                            env=env, timeout=10)
    if check and result.returncode != 0:
        raise AssertionError("playerctl %s failed: %s" % (" ".join(args), result.stderr))
    return result.stdout.strip()


@unittest.skipUnless(os.environ.get("DBUS_SESSION_BUS_ADDRESS"), "needs a session bus (dbus-run-session)")
class DesktopCase(unittest.TestCase):
    def start_player(self, *args):
        self.p = Player(files={"tarnello.txt": "[tarnello]\nEQ_Visible=0\nPL_Visible=0\nVolume=200\n"})
        self.addCleanup(self.p.__exit__, None, None, None)
        install_test_plugin(self.p)
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
        self.p.start(*args)
        self.addCleanup(self.p.process.stderr.close)
        # The name is taken once the main window has been created.
        self.p.wait_for(lambda: playerctl("status", check=False) != "", timeout=10)
        return self.p

    def wait_log(self, expected):
        try:
            self.p.wait_for(lambda: plugin_log(self.p, TRANSPORT) == expected, 10)
        finally:
            self.assertEqual(expected, plugin_log(self.p, TRANSPORT))

    def wait_value(self, expected, *args):
        deadline = time.monotonic() + 10
        while playerctl(*args, check=False) != expected and time.monotonic() < deadline:
            time.sleep(0.05)
        self.assertEqual(expected, playerctl(*args, check=False))


class MediaControllers(DesktopCase):
    def test_transport_metadata_and_status_through_playerctl(self):
        p = self.start_player()
        follow = subprocess.Popen(["playerctl", "-p", "tarnello", "--follow", "status"], stdout=subprocess.PIPE,
                                  text=True)
        self.addCleanup(follow.stdout.close)
        self.addCleanup(follow.wait)
        self.addCleanup(follow.kill)
        self.assertEqual("Stopped", playerctl("status"))

        playerctl("play")
        self.wait_log(["playFile %s -> 0" % self.tracks[0], "applyVolume 200"])
        self.wait_value("Playing", "status")
        self.assertEqual("Alpha", playerctl("metadata", "xesam:title"))
        self.assertEqual("file://" + quote(self.tracks[0]), playerctl("metadata", "xesam:url"))
        # The test plug-in's tracks are a minute long.
        self.assertEqual("60000000", playerctl("metadata", "mpris:length"))
        # An object path, which playerctl prints quoted.
        self.assertEqual("'/org/tarnello/track/0'", playerctl("metadata", "mpris:trackid"))

        playerctl("pause")
        self.wait_value("Paused", "status")
        # A second pause is not a toggle: the track stays paused.
        playerctl("pause")
        playerctl("play")
        self.wait_value("Playing", "status")
        log = plugin_log(p, TRANSPORT)
        self.assertEqual(1, log.count("pausePlayback"))
        self.assertEqual(1, log.count("resumePlayback"))

        playerctl("next")
        self.wait_value("Beta", "metadata", "xesam:title")
        self.assertIn("playFile %s -> 0" % self.tracks[1], plugin_log(p, TRANSPORT))
        playerctl("previous")
        self.wait_value("Alpha", "metadata", "xesam:title")

        monitor = subprocess.Popen(["dbus-monitor", "--session", "type='signal',member='Seeked'"],
                                   stdout=subprocess.PIPE, text=True)
        self.addCleanup(monitor.stdout.close)
        self.addCleanup(monitor.wait)
        self.addCleanup(monitor.kill)
        time.sleep(0.3)
        playerctl("position", "12")
        p.wait_for(lambda: "seekToMs 12000" in plugin_log(p, TRANSPORT))
        self.assertGreaterEqual(float(playerctl("position")), 12.0)
        # A relative seek past the end moves on to the next track.
        playerctl("position", "100+")
        self.wait_value("Beta", "metadata", "xesam:title")
        playerctl("previous")
        self.wait_value("Alpha", "metadata", "xesam:title")
        time.sleep(0.3)
        monitor.kill()
        signals = monitor.stdout.read()
        # One Seeked signal for the one seek inside the track, with the new position.
        self.assertEqual(1, signals.count("member=Seeked"), signals)
        self.assertRegex(signals, r"int64 1[23]\d{6}")

        playerctl("volume", "0.5")
        p.wait_for(lambda: "applyVolume 128" in plugin_log(p, TRANSPORT))
        self.assertAlmostEqual(128 / 255, float(playerctl("volume")), places=3)

        playerctl("stop")
        self.wait_value("Stopped", "status")
        self.assertEqual(0, p.close())
        self.assertIn("Volume=128\n", p.read("tarnello.txt"))
        # Every change of status reached the follower as a PropertiesChanged signal.
        follow.kill()
        seen = [line.strip() for line in follow.stdout.read().splitlines() if line.strip()]
        collapsed = [s for i, s in enumerate(seen) if i == 0 or seen[i - 1] != s]
        self.assertEqual(["Stopped", "Playing", "Paused", "Playing", "Stopped"], collapsed)

    def test_quit_closes_the_player_and_saves(self):
        p = self.start_player()
        playerctl("volume", "1.0")
        subprocess.run(["dbus-send", "--session", "--type=method_call", "--dest=org.mpris.MediaPlayer2.tarnello",
                        "/org/mpris/MediaPlayer2", "org.mpris.MediaPlayer2.Quit"], check=True)
        self.assertEqual(0, p.wait(20))
        self.assertIn("Volume=255\n", p.read("tarnello.txt"))


class SecondStart(DesktopCase):
    def test_files_of_a_second_start_go_to_the_running_player(self):
        p = self.start_player()
        extra = [os.path.join(p.home, "music", name) for name in ("4 delta.tst", "5 epsilon.tst")]
        for path in extra:
            open(path, "wb").close()
        # Relative to the second start's working folder, as a file manager passes them.
        second = subprocess.run([p.path("tarnello"), "music/4 delta.tst", "music/5 epsilon.tst"], env=p.env,
                                cwd=p.home, capture_output=True, timeout=20)
        self.assertEqual(0, second.returncode)
        self.wait_log(["playFile %s -> 0" % extra[0], "applyVolume 200"])
        self.assertEqual("4 delta.tst", playerctl("metadata", "xesam:title"))
        # One player only: it still runs and writes its playlist with the new rows at the end.
        self.assertIsNone(p.process.poll())
        self.assertEqual(0, p.close())
        rows = [line for line in p.read("tarnello.m3u").splitlines() if line and not line.startswith("#")]
        self.assertEqual(self.tracks + extra, rows)


    def test_open_uri_appends_the_file_and_plays_it(self):
        p = self.start_player()
        extra = os.path.join(p.home, "music", "6 zeta.tst")
        open(extra, "wb").close()
        playerctl("open", "file://" + quote(extra))
        self.wait_log(["playFile %s -> 0" % extra, "applyVolume 200"])
        self.assertEqual("6 zeta.tst", playerctl("metadata", "xesam:title"))
        self.assertEqual(0, p.close())
        rows = [line for line in p.read("tarnello.m3u").splitlines() if line and not line.startswith("#")]
        self.assertEqual(self.tracks + [extra], rows)

    def test_a_second_start_without_files_leaves_the_running_player_alone(self):
        p = self.start_player()
        second = subprocess.run([p.path("tarnello")], env=p.env, cwd=p.home, capture_output=True, timeout=20)
        self.assertEqual(0, second.returncode)
        self.assertIsNone(p.process.poll())
        self.assertEqual([], plugin_log(p, TRANSPORT))
        self.assertEqual(0, p.close())


class WithoutSessionBus(unittest.TestCase):
    def test_the_player_runs_as_before_without_a_bus(self):
        with Player() as p:
            p.env["DBUS_SESSION_BUS_ADDRESS"] = "unix:path=" + os.path.join(p.home, "no-bus")
            p.start()
            self.addCleanup(p.process.stderr.close)
            self.assertEqual(0, p.close())
            self.assertTrue(p.exists("tarnello.txt"))

    def test_several_files_on_the_command_line_become_rows(self):
        with Player() as p:
            p.env["DBUS_SESSION_BUS_ADDRESS"] = "unix:path=" + os.path.join(p.home, "no-bus")
            music = os.path.join(p.home, "music")
            os.mkdir(music)
            paths = [os.path.join(music, name) for name in ("a b.tst", "c.tst")]
            for path in paths:
                open(path, "wb").close()
            p.start(*paths)
            self.addCleanup(p.process.stderr.close)
            self.assertEqual(0, p.close())
            rows = [line for line in p.read("tarnello.m3u").splitlines() if line and not line.startswith("#")]
            self.assertEqual(paths, rows)
            # One file whose name has blanks, split by the shell, is still one file.
            p.start(*paths[0].split(" "))
            self.assertEqual(0, p.close())
            rows = [line for line in p.read("tarnello.m3u").splitlines() if line and not line.startswith("#")]
            self.assertEqual([paths[0]], rows)


if __name__ == "__main__":
    unittest.main()
