"""Warm start-up and idle memory of the assembled player, under Xvfb.

Start-up is timed from the exec of the program to the map of its main window
and to the moment all its windows (the player's three) have been drawn, with the
CPU time the process had used by then (steadier on a busy machine), after one
untimed run so that files and libraries are in the page cache. "Drawn" is the
first drawing each window takes, as the X server's Damage extension reports it
(tests/bench/x11waitdrawn); without that tool only the map is timed. For
scale, the same is measured for a bare Qt window (python is not used for that:
a one-window Qt program is built alongside the tests as bare_qt_window), for
three bare windows of the player's sizes (bare_qt_window 3), the floor of any Qt
program that shows three windows, and for the same with a line of text drawn in
one of them (bare_qt_window 3text), as a playlist draws: the first text a Qt
program draws loads the system's font configuration. They take turns, run by run.
With --pulse they all run beside a private PulseAudio server with a null sink, as on a
desktop (the player must not pay for the sound server before the first track).
They always run with a session bus of their own (dbus-daemon) where one can be
started, as on a desktop, where the player offers its media controls on it.
Usage: python3 tests/bench/startup.py [--pulse] [runs]
"""
import contextlib
import os
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "../system"))
from harness import BUILD, Player  # noqa: E402
from playback_cpu import private_pulse  # noqa: E402

WAITMAP = os.path.join(BUILD, "tests/system/x11waitmap")
WAITDRAWN = os.path.join(BUILD, "tests/bench/x11waitdrawn")
FIRST_START = os.path.join(os.path.dirname(__file__), "../../resources/firststart/tarnello.txt")


def cpu_ns(pid):
    """On-CPU time of all threads of a process in nanoseconds (the scheduler's count)."""
    total = 0
    for task in os.listdir("/proc/%d/task" % pid):
        try:
            with open("/proc/%d/task/%s/schedstat" % (pid, task)) as f:
                total += int(f.read().split()[0])
        except OSError:
            pass
    return total


def time_to_map(player, command, titles):
    """Milliseconds from exec to the first title's window mapped and to all drawn
    (None without the Damage tool), and the CPU milliseconds used by each moment."""
    drawn_tool = os.path.exists(WAITDRAWN)
    waiter = subprocess.Popen([WAITDRAWN if drawn_tool else WAITMAP] + (titles if drawn_tool else titles[:1]),
                              env=player.env, stdout=subprocess.PIPE, text=True)
    assert waiter.stdout.readline().strip() == "ready"
    start = time.monotonic()
    process = subprocess.Popen(command, env=player.env, cwd=player.home,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    mapped = float(waiter.stdout.readline())
    # CPU time spent by then: on a machine busy with other work, the steadier figure.
    cpu_mapped = cpu_ns(process.pid) / 1e6
    drawn = cpu_drawn = None
    if drawn_tool:
        drawn = (float(waiter.stdout.readline()) - start) * 1000
        cpu_drawn = cpu_ns(process.pid) / 1e6
    waiter.wait()
    return process, (mapped - start) * 1000, cpu_mapped, drawn, cpu_drawn


@contextlib.contextmanager
def session_bus(env, folder):
    """A session bus of its own for the runs, when dbus-daemon is there."""
    try:
        daemon = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1",
                                   "--address=unix:path=%s" % os.path.join(folder, "bench-bus")],
                                  stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    except FileNotFoundError:
        yield
        return
    env["DBUS_SESSION_BUS_ADDRESS"] = daemon.stdout.readline().strip()
    try:
        yield
    finally:
        daemon.terminate()
        daemon.wait()


def measure(programs, runs, pulse=False):
    """Medians per program of (mapped, CPU, drawn, CPU), the best map and the idle RSS.
    The programs take turns run by run, so a change in the machine's load between
    runs reaches all of them alike."""
    with Player(audio="pulse" if pulse else "null") as p, session_bus(p.env, p.home), \
            (private_pulse(p.env) if pulse else contextlib.nullcontext()):
        # A user's start: the options a first start leaves and a playlist with a track.
        with open(FIRST_START, encoding="utf-8") as f:
            p.write("tarnello.txt", f.read())
        p.write("tarnello.m3u", "#EXTM3U\n#EXTINF:12,Tarnello - First Light\n%s\n" % p.path("First Light.wma"))
        rows = {name: [] for name, _, _ in programs}
        rss = {name: [] for name, _, _ in programs}
        for i in range(runs + 1):
            for name, command, titles in programs:
                process, *row = time_to_map(p, [p.path(c) if c == "tarnello" else c for c in command], titles)
                time.sleep(1.5)
                with open("/proc/%d/status" % process.pid) as f:
                    rss[name] += [int(l.split()[1]) for l in f if l.startswith("VmRSS")]
                process.terminate()
                process.wait()
                if i:
                    rows[name].append(row)
        results = {}
        for name, _, _ in programs:
            medians = [statistics.median(column) if None not in column else None for column in zip(*rows[name])]
            results[name] = (medians, min(row[0] for row in rows[name]), statistics.median(rss[name][1:]) / 1024)
        return results, rows


def report(name, result):
    (mapped, cpu_mapped, drawn, cpu_drawn), best, rss = result
    line = "%s: start to window mapped median %.1f ms (best %.1f ms), CPU by then %.1f ms" % (name, mapped, best, cpu_mapped)
    if drawn is not None:
        line += "; to all windows drawn %.1f ms, CPU by then %.1f ms" % (drawn, cpu_drawn)
    print(line + "; idle RSS %.1f MB" % rss)


def main():
    args = sys.argv[1:]
    pulse = "--pulse" in args
    args = [a for a in args if a != "--pulse"]
    runs = int(args[0]) if args else 10
    programs = [("player", ["tarnello"], ["Tarnello", "Equalizer", "Playlist Editor"])]
    bare = os.path.join(BUILD, "tests/bench/bare_qt_window")
    if os.path.exists(bare):
        programs.append(("bare Qt window", [bare], ["bare"]))
        programs.append(("three bare Qt windows", [bare, "3"], ["bare 1", "bare 2", "bare 3"]))
        programs.append(("three bare windows, one line of text", [bare, "3text"], ["bare 1", "bare 2", "bare 3"]))
    results, rows = measure(programs, runs, pulse)
    for name, _, _ in programs:
        report(name, results[name])
    if len(programs) > 1 and results["player"][0][2] is not None:
        one = results["bare Qt window"][0][2]
        print("all windows drawn, against one bare Qt window: " +
              ", ".join("%s %.2f" % (name, results[name][0][2] / one) for name, _, _ in programs if name != "bare Qt window"))
        # Single starts scatter by milliseconds with the machine's other work; the
        # ratio within each round (the programs ran one after the other) scatters less.
        print("the same, median of each round's ratio: " +
              ", ".join("%s %.2f" % (name, statistics.median(rows[name][i][2] / rows["bare Qt window"][i][2]
                                                            for i in range(runs)))
                        for name, _, _ in programs if name != "bare Qt window"))


if __name__ == "__main__":
    main()
