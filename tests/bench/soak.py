"""Soak: the player plays 1,000 short tracks end to end.

The assembled player runs under its own Xvfb with TARNELLO_AUDIO=null-untimed; the
rows alternate between a 0.3 s WMA file (played by Dovrel) and a ".tst" row of the
test plug-in (installed as "A.so", so it is asked first about every row; its
tracks are ended through its control folder as soon as they start). Every 6
tracks the popup menu changes the scale, the skin, or shows or hides the
equalizer or the playlist editor, in cycles of eight changes that end where they
began (the first cycle within the first 50 tracks; the last one is finished
before the end is measured); before Play every scale and both skins are shown
once, so the figure after 50 tracks includes the allocator's largest images. The list has as many rows as tracks, with
repeat on: Next reaches only the first 255 rows (the play order's limit), so
those come round again until the count is reached, and then Stop is pressed. Resident memory, open descriptors and threads
are read from /proc: idle before Play, after the first 50 tracks and after the
last one; the run fails when memory grew more than 2 MB after track 50, when
descriptors or threads did not come back, or when a message box was shown.
Usage: python3 tests/bench/soak.py [tracks]   (default 1000; about a minute)
SOAK_SCREENSHOT=shot.png keeps a screenshot of the screen at the end.
"""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "../system"))
from harness import Player, click_screen, install_test_plugin, install_test_skin, plugin_control  # noqa: E402

MENU_BUTTON = (6, 3)
PLAY_BUTTON = (39 + 11, 88 + 9)
STOP_BUTTON = (85 + 11, 88 + 9)
SCALES = [50, 75, 88, 100, 150, 200]
OTHER_SCALES = [150, 50, 200, 75, 88]
# A whole cycle of changes within the first 50 tracks; SOAK_CHANGE_EVERY=0 makes none.
TRACKS_PER_CHANGE = int(os.environ.get("SOAK_CHANGE_EVERY", "6"))
PLUGIN = "A.so"


def scaled(v, scale):
    return int(scale * v / 100 + 0.5)


def status(pid):
    with open("/proc/%d/status" % pid) as f:
        fields = dict(line.split(":", 1) for line in f)
    return {"rss_kb": int(fields["VmRSS"].split()[0]), "threads": int(fields["Threads"]),
            "fds": len(os.listdir("/proc/%d/fd" % pid))}


class Soak:
    def __init__(self, player, tracks):
        self.p = player
        self.tracks = tracks
        self.scale = 100
        self.log_offset = 0
        self.started = []
        self.samples = {}

    def new_log_lines(self):
        path = os.path.join(self.p.plugin_dir, "log.txt")
        if not os.path.exists(path):
            return []
        with open(path, encoding="utf-8") as f:
            f.seek(self.log_offset)
            text = f.read()
        complete = text[:text.rfind("\n") + 1]
        self.log_offset += len(complete.encode("utf-8"))
        return complete.splitlines()

    def follow(self):
        """Records the rows the player started; ends the test plug-in's tracks."""
        for line in self.new_log_lines():
            parts = line.split(" ")
            if len(parts) >= 3 and parts[1] == "claimsFile":
                path = parts[2]
                if not self.started or self.started[-1] != path:
                    self.started.append(path)
                    if len(self.started) == self.tracks:
                        return
            elif len(parts) >= 3 and parts[1] == "playFile":
                plugin_control(self.p, "end", name=PLUGIN)

    def menu(self, *keys):
        before = len(self.p.xdotool("search", "--onlyvisible", "--name", ".*", check=False).split())
        ox, oy = self.p.geometry()[:2]
        click_screen(self.p, ox + scaled(MENU_BUTTON[0], self.scale) + 3, oy + scaled(MENU_BUTTON[1], self.scale) + 3)
        deadline = time.monotonic() + 5
        while len(self.p.xdotool("search", "--onlyvisible", "--name", ".*", check=False).split()) <= before:
            if time.monotonic() > deadline:
                return
            time.sleep(0.02)
        for key in keys:
            self.p.key(key)
            time.sleep(0.03)
        time.sleep(0.2)

    def toggle(self, round_number):
        """One change of a cycle of eight that ends where it began: a scale, the test
        skin, the equalizer, the editor, then 100 %, the default skin, both windows back."""
        phase = round_number % 8
        if phase in (0, 4):
            scale = OTHER_SCALES[(round_number // 8) % len(OTHER_SCALES)] if phase == 0 else 100
            self.menu(*["Down"] * 6, "Right", *["Down"] * SCALES.index(scale), "Return")
            self.scale = scale
        elif phase in (1, 5):
            self.menu(*["Down"] * 7, "Right", *["Down"] * (1 if phase == 1 else 0), "Return")  # TestSkin, Default
        elif phase in (2, 6):
            self.menu(*["Down"] * 4, "Return")  # Equalizer
        else:
            self.menu(*["Down"] * 3, "Return")  # Playlist editor

    def run(self):
        p = self.p
        idle = status(p.process.pid)
        # Every scale and both skins once before playing: the allocator has then seen
        # the largest window images, and the figure after 50 tracks includes them.
        for scale in OTHER_SCALES + [100]:
            self.menu(*["Down"] * 6, "Right", *["Down"] * SCALES.index(scale), "Return")
            self.scale = scale
        self.menu(*["Down"] * 7, "Right", "Down", "Return")
        self.menu(*["Down"] * 7, "Right", "Return")
        ox, oy = p.geometry()[:2]
        click_screen(p, ox + PLAY_BUTTON[0], oy + PLAY_BUTTON[1])
        at_50 = None
        toggles = 0
        last_progress = time.monotonic()
        count = 0
        while len(self.started) < self.tracks:
            self.follow()
            if len(self.started) != count:
                count = len(self.started)
                last_progress = time.monotonic()
            if time.monotonic() - last_progress > 30:
                raise RuntimeError("playback stalled after %d tracks" % count)
            if at_50 is None and count >= 50 and toggles % 8 == 0:
                time.sleep(0.5)
                at_50 = status(p.process.pid)
            if count % 100 == 0 and count not in self.samples:
                self.samples[count] = status(p.process.pid)["rss_kb"]
            if TRACKS_PER_CHANGE and count // TRACKS_PER_CHANGE > toggles and count < self.tracks:
                self.toggle(toggles)
                toggles += 1
            time.sleep(0.02)
        while toggles % 8:  # the cycle is finished: the windows are as they were at track 50
            self.toggle(toggles)
            toggles += 1
        ox, oy = p.geometry()[:2]
        click_screen(p, ox + scaled(STOP_BUTTON[0], self.scale), oy + scaled(STOP_BUTTON[1], self.scale))
        time.sleep(1.0)
        self.follow()
        end = status(p.process.pid)
        return idle, at_50, end, toggles


def main():
    tracks = int(sys.argv[1]) if len(sys.argv) > 1 else 1000
    with Player(audio="null-untimed") as p:
        install_test_plugin(p, PLUGIN)
        install_test_skin(p, temporary=False, package=True)
        wma = os.path.join(p.home, "short.wma")
        subprocess.run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "sine=frequency=440:duration=0.3",
                        "-ac", "2", "-c:a", "wmav2", "-b:a", "64k", wma], check=True)
        rows = []
        for i in range(tracks):
            if i % 2 == 0:
                path = os.path.join(p.home, "t%04d.wma" % i)
                os.symlink(wma, path)
            else:
                path = os.path.join(p.home, "t%04d.tst" % i)
                open(path, "w").close()
            rows.append("#EXTINF:1,Track %d\n%s\n" % (i, path))
        p.write("tarnello.m3u", "#EXTM3U\n" + "".join(rows))
        p.write("tarnello.txt", "[tarnello]\nResume=0\nRepeat=1\nShuffle=0\nEQ_x=0\nEQ_y=142\nPL_x=0\nPL_y=258\n")
        p.start()
        time.sleep(1.0)
        started = time.monotonic()
        soak = Soak(p, tracks)
        idle, at_50, end, toggles = soak.run()
        wall = time.monotonic() - started
        messages = p.messages()
        if os.environ.get("SOAK_SCREENSHOT"):
            subprocess.run(["import", "-display", p.xvfb.display, "-window", "root", os.environ["SOAK_SCREENSHOT"]],
                           env=p.env, check=False)
        code = p.close()
    print("%d tracks in %.0f s, %d window/skin/scale changes, exit code %d" % (len(soak.started), wall, toggles, code))
    for label, s in (("idle", idle), ("after 50", at_50), ("after %d" % tracks, end)):
        print("  %-11s RSS %7.1f MB  fds %3d  threads %2d" % (label, s["rss_kb"] / 1024, s["fds"], s["threads"]))
    growth = (end["rss_kb"] - at_50["rss_kb"]) / 1024
    print("  RSS by tracks played: " + ", ".join("%d: %.1f" % (n, kb / 1024) for n, kb in sorted(soak.samples.items())))
    print("  RSS growth after track 50: %+.2f MB; message boxes: %d" % (growth, len(messages)))
    failures = []
    if growth > 2:
        failures.append("memory grew by %.2f MB" % growth)
    if end["fds"] != idle["fds"] or end["threads"] != idle["threads"]:
        failures.append("descriptors or threads did not come back to idle")
    if messages:
        failures.append("message boxes: %r" % messages)
    if len(soak.started) < tracks or code != 0:
        failures.append("not every track played, or the player did not exit cleanly")
    for failure in failures:
        print("FAIL:", failure)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
