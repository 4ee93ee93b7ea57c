"""The player with a real sound server that is frozen (SIGSTOP) when it starts: the
window is not held up, and once the server answers again (SIGCONT) pressing Play
plays. Idle and paused, no thread but the user interface's runs. A private
PulseAudio daemon with a null sink, inspected with pactl."""
import os
import shutil
import signal
import subprocess
import time
import unittest

from harness import Player, click_screen

PLAY = (39 + 11, 88 + 9)
PAUSE = (39 + 11 + 23, 88 + 9)


def schedules(pid):
    """How often each thread of the process has been scheduled in, by thread id."""
    counts = {}
    for task in os.listdir("/proc/%d/task" % pid):
        try:
            with open("/proc/%d/task/%s/schedstat" % (pid, task)) as f:
                counts[int(task)] = int(f.read().split()[2])
        except (FileNotFoundError, ProcessLookupError):
            pass
    return counts


def threads_that_ran(pid, seconds):
    """The threads other than the main one that were scheduled in over that span."""
    before = schedules(pid)
    time.sleep(seconds)
    after = schedules(pid)
    return sorted(t for t, n in after.items() if t != pid and n != before.get(t, 0))


class FrozenSoundServer(unittest.TestCase):
    def setUp(self):
        if not shutil.which("pulseaudio") or not shutil.which("pactl"):
            self.skipTest("needs pulseaudio and pactl")
        self.p = Player(files={"tarnello.txt": "[tarnello]\nEQ_Visible=0\nPL_Visible=0\nVolume=200\n"},
                        audio="pulse")
        self.addCleanup(self.p.__exit__, None, None, None)
        # The sound server shares the player's private runtime folder.
        del self.p.env["TARNELLO_AUDIO"]
        self.p.env.pop("PULSE_SERVER", None)
        self.p.env["HOME"] = self.p.home
        self.pulse_log = open(os.path.join(self.p.home, "pulse.log"), "w")
        self.addCleanup(self.pulse_log.close)
        self.pulse = subprocess.Popen(
            ["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit", "--use-pid-file=no",
             "-L", "module-native-protocol-unix",
             "-L", "module-null-sink sink_name=null rate=44100 channels=2 format=s16le"],
            env=self.p.env, stdout=self.pulse_log, stderr=subprocess.STDOUT)
        self.addCleanup(self.stop_pulse)
        deadline = time.monotonic() + 10
        while self.pactl("info").returncode != 0:
            if time.monotonic() > deadline or self.pulse.poll() is not None:
                self.skipTest("pulseaudio cannot start here")
            time.sleep(0.1)
        self.pactl("set-default-sink", "null")
        # A track of Brelwick's, in a playlist of one row.
        self.track = os.path.join(self.p.home, "tone.wav")
        subprocess.run(["ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                        "sine=frequency=440:duration=30", "-ac", "2", self.track], check=True)
        self.p.write("tarnello.m3u", "#EXTM3U\n#EXTINF:30,Tone\n%s\n" % self.track)

    def stop_pulse(self):
        if self.pulse.poll() is None:
            self.pulse.send_signal(signal.SIGCONT)
            self.pulse.kill()
        self.pulse.wait()

    def pactl(self, *args):
        return subprocess.run(["pactl", *args], env=self.p.env, capture_output=True, text=True, timeout=10)

    def our_streams(self):
        return [line for line in self.pactl("list", "short", "sink-inputs").stdout.splitlines() if line.strip()]

    def press(self, button):
        x, y = self.p.geometry()[:2]
        click_screen(self.p, x + button[0], y + button[1])

    def press_play(self):
        self.press(PLAY)

    def test_idle_and_paused_no_thread_but_the_user_interfaces_wakes(self):
        p = self.p
        p.start()
        self.addCleanup(p.process.stderr.close)
        time.sleep(1.0)
        self.assertEqual([], threads_that_ran(p.process.pid, 2.0))
        self.press_play()
        p.wait_for(lambda: len(self.our_streams()) == 1, timeout=10)
        time.sleep(1.0)
        # Playing, the decoder and the sound library's thread work.
        self.assertNotEqual([], threads_that_ran(p.process.pid, 1.0))
        self.press(PAUSE)
        # The pause silences the queue from just ahead and then pauses the stream.
        time.sleep(1.0)
        self.assertEqual([], threads_that_ran(p.process.pid, 2.5))
        self.assertEqual(0, p.close())

    def test_a_frozen_server_neither_holds_up_the_window_nor_keeps_playback_off(self):
        p = self.p
        self.pulse.send_signal(signal.SIGSTOP)
        started = time.monotonic()
        p.start()
        self.addCleanup(p.process.stderr.close)
        # Each plug-in that waits for the server to answer would add seconds here.
        self.assertLess(time.monotonic() - started, 4.0)

        # Play while the server is still frozen: nothing can be heard.
        self.press_play()
        time.sleep(4.0)
        self.pulse.send_signal(signal.SIGCONT)
        self.assertEqual([], self.our_streams())

        # The server answers again: Play now plays through it.
        self.press_play()
        p.wait_for(lambda: len(self.our_streams()) == 1, timeout=10)
        self.assertEqual(0, p.close())
        self.assertEqual([], p.messages())


if __name__ == "__main__":
    unittest.main()
