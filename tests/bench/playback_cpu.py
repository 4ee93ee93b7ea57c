"""CPU time of the whole player process while it plays a minute of WMA and of MP3.

The assembled player runs under its own Xvfb with TARNELLO_AUDIO=null (real-time
pacing, no sound device), its playlist naming a file made with ffmpeg at run time;
Play is clicked and the user + system time of the player process (all its threads,
from /proc/PID/stat) is taken over 60 s of playback: a WMA through Dovrel with the
main window (and the equalizer and playlist editor docked under it) shown and with
them unmapped; an MP3 through Brelwick with the windows shown, once with the
equalizer off at speed 1.0, and with the equalizer on (bands set) at speed 1.0 and at speed 1.2
(two presses of the speed-up hot key F8). For reference: the X server's time over
the same minute, and ffmpeg decoding the same files as fast as it can.
With --pulse the same runs play to a private PulseAudio server with a null sink
(which consumes audio in real time like a sound card), and the server's CPU time is
measured beside the player's.
Each figure is given twice: from the clock-tick samples of /proc/PID/stat (what
`time` reports) and counted exactly by the scheduler (/proc/PID/task/*/schedstat).
With --only=mp3 only the MP3 run with the equalizer off is made; --only=eq and
--only=speed make only the MP3 run with the equalizer on (at speed 1.0 or 1.2).
Each run also lists the player's threads with their CPU time and how often they
were scheduled in (about how often they woke up).
With --pulse, where Audacious is installed, it plays the same MP3 in the same run
with its skinned interface, for comparison (the run does not need it).
Usage: python3 tests/bench/playback_cpu.py [--pulse] [--only=mp3|eq|speed] [seconds]   (takes about 4 x (seconds + 8))
"""
import os
import contextlib
import re
import resource
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "../system"))
from harness import Player  # noqa: E402

TICK = os.sysconf("SC_CLK_TCK")
LEAD_IN = 2.0  # seconds of playback before measuring: start-up of the decoder is not counted


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    # utime and stime are fields 14 and 15 of the line; fields[0] is field 3.
    return (int(fields[11]) + int(fields[12])) / TICK


def exact_cpu_seconds(pid):
    """CPU time of every live thread of the process from the scheduler's own count
    (nanoseconds), which, unlike the clock-tick samples of /proc/PID/stat, does
    not depend on whether a thread happens to run when a tick comes."""
    total = 0
    for task in os.listdir("/proc/%d/task" % pid):
        try:
            with open("/proc/%d/task/%s/schedstat" % (pid, task)) as f:
                total += int(f.read().split()[0])
        except (FileNotFoundError, ProcessLookupError):
            pass
    return total / 1e9


def thread_counts(pid):
    """Per thread (by name and id): CPU nanoseconds and times it was scheduled in."""
    counts = {}
    for task in os.listdir("/proc/%d/task" % pid):
        try:
            with open("/proc/%d/task/%s/comm" % (pid, task)) as f:
                name = f.read().strip()
            with open("/proc/%d/task/%s/schedstat" % (pid, task)) as f:
                ns, _, slices = (int(v) for v in f.read().split())
        except (FileNotFoundError, ProcessLookupError):
            continue
        counts[(name, task)] = (ns, slices)
    return counts


def thread_report(before, after, wall):
    """One line per thread: its CPU and wake-ups per minute over the measured span."""
    lines, idle = [], 0
    for key, (ns, slices) in sorted(after.items()):
        ns0, slices0 = before.get(key, (0, 0))
        if slices == slices0:
            idle += 1
            continue
        lines.append("    thread %-16s %.3f s per minute, %.1f wake-ups a second"
                     % (key[0], (ns - ns0) / 1e9 * 60.0 / wall, (slices - slices0) / wall))
    lines.append("    (%d other threads never ran)" % idle)
    return "\n".join(lines)


def make_track(path, seconds, codec):
    subprocess.run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "sine=frequency=440:duration=%d" % seconds,
                    "-ac", "2", "-c:a", codec, "-b:a", "128k", path], check=True)


def decode_only(path):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    subprocess.run(["ffmpeg", "-v", "error", "-i", path, "-f", "null", "-"], check=True)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)


def time_glyphs(player):
    """Raw pixels of the time display's seconds glyphs (window at (0, 26), 100 %)."""
    x, y, _, _ = player.geometry()
    out = subprocess.run(["import", "-display", player.xvfb.display, "-window", "root", "-crop",
                          "21x13+%d+%d" % (x + 78, y + 26), "-depth", "8", "rgb:-"],
                         env=player.env, check=True, capture_output=True)
    return out.stdout


# The equalizer on with a curve, and F8 bound to speed up (function 14, one press).
PROCESSING = "EQOn=1\nEQ0=20\nEQ1=25\nEQ4=40\nEQ8=10\n[buttons]\nHotkey0=14/1/119\n"


@contextlib.contextmanager
def private_pulse(env):
    """A PulseAudio server of our own with a null sink, in the player's runtime folder."""
    log = open(os.path.join(env["XDG_RUNTIME_DIR"], "pulse.log"), "w")
    server = subprocess.Popen(["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit",
                               "--use-pid-file=no", "-L", "module-native-protocol-unix", "-L",
                               "module-null-sink sink_name=null rate=44100 channels=2 format=s16le"],
                              env=env, stdout=log, stderr=log)
    try:
        deadline = time.monotonic() + 10
        while subprocess.run(["pactl", "info"], env=env, capture_output=True).returncode != 0:
            if time.monotonic() > deadline:
                raise RuntimeError("pulseaudio did not start")
            time.sleep(0.1)
        subprocess.run(["pactl", "set-default-sink", "null"], env=env, check=True, capture_output=True)
        yield server
    finally:
        server.terminate()
        server.wait()
        log.close()


def measure(track, seconds, hidden, processing=False, pulse=False):
    playlist = "#EXTM3U\n#EXTINF:%d,Sine\n%s\n" % (seconds, track)
    # The three windows docked under each other, as the first-start options have them.
    options = "[tarnello]\nResume=0\nEQ_x=0\nEQ_y=142\nPL_x=0\nPL_y=258\nPL_height=232\n"
    if processing:
        options += PROCESSING
    with Player(files={"tarnello.txt": options, "tarnello.m3u": playlist},
                audio="pulse" if pulse else "null") as p, \
            (private_pulse(p.env) if pulse else contextlib.nullcontext()) as server:
        p.start()
        time.sleep(0.5)
        still = time_glyphs(p)
        p.click(39 + 11, 88 + 9)
        deadline = time.monotonic() + 10
        while time_glyphs(p) == still:
            if time.monotonic() > deadline:
                raise RuntimeError("the time display never moved: nothing plays")
            time.sleep(0.1)
        if processing == "speed":
            for _ in range(2):
                p.key("F8")
                time.sleep(1.2)
        if hidden:
            for window in p.xdotool("search", "--onlyvisible", "--pid", str(p.process.pid)).split():
                p.xdotool("windowunmap", "--sync", window)
        time.sleep(LEAD_IN)
        xvfb = p.xvfb.process.pid
        server_start = cpu_seconds(server.pid) if server else 0
        server_exact_start = exact_cpu_seconds(server.pid) if server else 0
        player_exact_start = exact_cpu_seconds(p.process.pid)
        threads_start = thread_counts(p.process.pid)
        player_start, xvfb_start, wall_start = cpu_seconds(p.process.pid), cpu_seconds(xvfb), time.monotonic()
        time.sleep(seconds)
        player_cpu, xvfb_cpu = cpu_seconds(p.process.pid) - player_start, cpu_seconds(xvfb) - xvfb_start
        player_exact = exact_cpu_seconds(p.process.pid) - player_exact_start
        threads = thread_report(threads_start, thread_counts(p.process.pid), time.monotonic() - wall_start)
        server_cpu = cpu_seconds(server.pid) - server_start if server else 0
        server_exact = exact_cpu_seconds(server.pid) - server_exact_start if server else 0
        wall = time.monotonic() - wall_start
        with open("/proc/%d/status" % p.process.pid) as f:
            rss = [int(line.split()[1]) for line in f if line.startswith("VmRSS")][0] / 1024
        return player_cpu, xvfb_cpu, server_cpu, wall, rss, player_exact, server_exact, threads


def skinned_audacious(config):
    """Turns on Audacious's skinned interface in the plug-in registry its first start
    wrote under config, and the other interfaces off; returns the option that starts
    Audacious in that interface's toolkit."""
    path = os.path.join(config, "audacious", "plugin-registry")
    with open(path) as f:
        text = f.read()
    # The registry is a list of blocks, each starting with the plug-in's type and file.
    blocks = re.split(r"(?m)^(?=[a-z]+ /)", text)
    interfaces = {os.path.basename(block.split("\n", 1)[0]): i for i, block in enumerate(blocks) if block.startswith("iface ")}
    # The GTK build of the skinned interface (Audacious's default toolkit) where there
    # is one, else the Qt one.
    choice = next(((name, option) for name, option in (("skins.so", "--gtk"), ("skins-qt.so", "--qt"))
                   if name in interfaces), None)
    if choice is None:
        raise RuntimeError("this Audacious has no skinned interface")
    for name, i in interfaces.items():
        blocks[i] = re.sub(r"(?m)^enabled \d+$", "enabled %d" % (name == choice[0]), blocks[i])
    with open(path, "w") as f:
        f.write("".join(blocks))
    return choice[1]


def measure_audacious(track, seconds):
    """Audacious's CPU and the sound server's while it plays track through the same
    kind of private PulseAudio, its skinned interface shown, per minute of playback."""
    with Player(audio="pulse") as p, private_pulse(p.env) as server:
        env = dict(p.env, HOME=p.home, XDG_CONFIG_HOME=os.path.join(p.home, "audacious-config"))
        first = subprocess.Popen(["audacious", "-H"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(2)
        first.terminate()
        first.wait()
        toolkit = skinned_audacious(env["XDG_CONFIG_HOME"])
        player = subprocess.Popen(["audacious", toolkit, "-p", track], env=env, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)
        try:
            deadline = time.monotonic() + 10
            while not subprocess.run(["pactl", "list", "short", "sink-inputs"], env=env, capture_output=True,
                                     text=True).stdout.strip():
                if time.monotonic() > deadline:
                    raise RuntimeError("Audacious never played")
                time.sleep(0.1)
            time.sleep(LEAD_IN)
            start = exact_cpu_seconds(player.pid), exact_cpu_seconds(server.pid), time.monotonic()
            time.sleep(seconds)
            wall = time.monotonic() - start[2]
            return ((exact_cpu_seconds(player.pid) - start[0]) * 60.0 / wall,
                    (exact_cpu_seconds(server.pid) - start[1]) * 60.0 / wall)
        finally:
            player.terminate()
            player.wait()


def main():
    args = sys.argv[1:]
    pulse = "--pulse" in args
    only = [a.split("=", 1)[1] for a in args if a.startswith("--only=")]
    args = [a for a in args if a != "--pulse" and not a.startswith("--only=")]
    seconds = int(args[0]) if args else 60
    runs = [("WMA (Dovrel), window shown", "wma", False, False), ("WMA (Dovrel), window hidden", "wma", True, False),
            ("MP3 (Brelwick), EQ off, speed 1.0", "mp3", False, False),
            ("MP3 (Brelwick), EQ on, speed 1.0", "mp3", False, "eq"),
            ("MP3 (Brelwick), EQ on, speed 1.2", "mp3", False, "speed")]
    # --only=mp3: MP3 with the equalizer off; --only=eq: on; --only=speed: on at 1.2.
    kinds = {"mp3": False, "eq": "eq", "speed": "speed"}
    if only:
        runs = [run for run in runs if run[1] == "mp3" and run[3] == kinds.get(only[0])]
    with Player() as scratch:
        # Tracks long enough for the lead-in and the measured span.
        tracks = {"wma": os.path.join(scratch.home, "sine.wma"), "mp3": os.path.join(scratch.home, "sine.mp3")}
        make_track(tracks["wma"], seconds + 10, "wmav2")
        make_track(tracks["mp3"], seconds + 10, "libmp3lame")
        reference = {kind: decode_only(path) for kind, path in tracks.items()}
        results = [measure(tracks[kind], seconds, hidden, processing, pulse) for _, kind, hidden, processing in runs]
        audacious = None
        if pulse and shutil.which("audacious") and (not only or only[0] == "mp3"):
            audacious = measure_audacious(tracks["mp3"], seconds)
    print("output: %s" % ("private PulseAudio, null sink" if pulse else "TARNELLO_AUDIO=null"))
    for (label, _, _, _), (cpu, xvfb, server, wall, rss, exact, server_exact, threads) in zip(runs, results):
        print("player, %-34s: %.3f s CPU over %.1f s of playback = %.3f s per minute, %.3f s counted exactly "
              "(sound server %.3f s, exactly %.3f s; X server %.3f s per minute; RSS %.1f MB)"
              % (label, cpu, wall, cpu * 60.0 / wall, exact * 60.0 / wall, server * 60.0 / wall,
                 server_exact * 60.0 / wall, xvfb * 60.0 / wall, rss))
        print(threads)
    if audacious:
        print("Audacious (skinned), MP3: %.3f s per minute counted exactly, sound server %.3f s; together %.3f s"
              % (audacious[0], audacious[1], sum(audacious)))
        for (label, kind, hidden, processing), row in zip(runs, results):
            if kind == "mp3" and not processing:
                ours = (row[5] + row[6]) * 60.0 / row[3]
                print("player and sound server together, MP3: %.3f s per minute, %.2f of Audacious's" % (ours, ours / sum(audacious)))
    for kind, cpu in reference.items():
        print("ffmpeg -i same.%s -f null - (%d s of audio): %.3f s CPU = %.3f s per minute of audio"
              % (kind, seconds + 10, cpu, cpu * 60.0 / (seconds + 10)))


if __name__ == "__main__":
    main()
