"""Warm start-up and idle memory of the assembled player, under Xvfb.

Start-up is timed from the exec of the program to the map of its main window
(with the CPU time the process had used by then, steadier on a busy machine),
after one untimed run so that files and libraries are in the page cache. For
scale, the same is measured for a bare Qt window (python is not used for that:
a one-window Qt program is built alongside the tests as bare_qt_window).
With --pulse both run beside a private PulseAudio server with a null sink, as on a
desktop (the player must not pay for the sound server before the first track).
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


def time_to_map(player, command, title):
    waiter = subprocess.Popen([WAITMAP, title], env=player.env, stdout=subprocess.PIPE, text=True)
    assert waiter.stdout.readline().strip() == "ready"
    start = time.monotonic()
    process = subprocess.Popen(command, env=player.env, cwd=player.home,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    mapped = float(waiter.stdout.readline())
    # CPU time spent by then: on a machine busy with other work, the steadier figure.
    cpu = cpu_ns(process.pid) / 1e9
    waiter.wait()
    return process, (mapped - start) * 1000, cpu * 1000


def measure(command, title, runs, pulse=False):
    with Player(audio="pulse" if pulse else "null") as p, \
            (private_pulse(p.env) if pulse else contextlib.nullcontext()):
        times, cpus, rss = [], [], []
        for i in range(runs + 1):
            process, ms, cpu = time_to_map(p, [p.path(c) if c == "tarnello" else c for c in command], title)
            time.sleep(1.5)
            with open("/proc/%d/status" % process.pid) as f:
                rss += [int(l.split()[1]) for l in f if l.startswith("VmRSS")]
            process.terminate()
            process.wait()
            if i:
                times.append(ms)
                cpus.append(cpu)
        return statistics.median(times), min(times), statistics.median(rss[1:]) / 1024, statistics.median(cpus)


def main():
    args = sys.argv[1:]
    pulse = "--pulse" in args
    args = [a for a in args if a != "--pulse"]
    runs = int(args[0]) if args else 10
    median, best, rss, cpu = measure(["tarnello"], "Tarnello", runs, pulse)
    print("player: start to window mapped median %.1f ms (best %.1f ms), CPU by then %.1f ms, idle RSS %.1f MB"
          % (median, best, cpu, rss))
    bare = os.path.join(BUILD, "tests/bench/bare_qt_window")
    if os.path.exists(bare):
        median, best, rss, cpu = measure([bare], "bare", runs, pulse)
        print("bare Qt window: median %.1f ms (best %.1f ms), CPU by then %.1f ms, idle RSS %.1f MB"
              % (median, best, cpu, rss))


if __name__ == "__main__":
    main()
