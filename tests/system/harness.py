"""Starts the assembled player in a fresh program folder under its own Xvfb,
drives it with xdotool and hands back what it wrote.

    with Player(files={"tarnello.txt": "..."}) as p:
        p.start()
        p.click(10, 20)
        p.close()          # the window manager's close
        p.read("tarnello.txt")
"""
import os
import random
import shutil
import signal
import subprocess
import tempfile
import time

BUILD = os.environ.get("TARNELLO_BUILD", os.path.join(os.path.dirname(__file__), "../../build"))
PROGRAM = os.path.join(BUILD, "Tarnello")
STATE_FILES = ("tarnello.txt", "tarnello.m3u", "temp.pls")
X11CLOSE = os.environ.get("TARNELLO_X11CLOSE", os.path.join(BUILD, "tests/system/x11close"))


class Xvfb:
    """An X server of our own on a random high display number, so that tests running
    side by side (and servers of other programs on :0) never share or race for one."""

    def __init__(self, size="1024x768x24", extra=()):
        for _ in range(50):
            number = random.randint(100, 30000)
            if os.path.exists("/tmp/.X%d-lock" % number):
                continue
            self.process = subprocess.Popen(["Xvfb", ":%d" % number, "-screen", "0", size, "-nolisten", "tcp", "-noreset", *extra],
                                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            socket_path = "/tmp/.X11-unix/X%d" % number
            deadline = time.monotonic() + 10
            while self.process.poll() is None and not os.path.exists(socket_path) and time.monotonic() < deadline:
                time.sleep(0.01)
            if self.process.poll() is None and os.path.exists(socket_path):
                self.display = ":%d" % number
                return
            self.stop()
        raise RuntimeError("Xvfb did not start")

    def stop(self):
        self.process.terminate()
        try:
            self.process.wait(5)
        except subprocess.TimeoutExpired:
            self.process.kill()


class Weston:
    """A headless Wayland compositor of our own, with its own runtime folder and,
    unless told otherwise, XWayland beside it (its X display is in self.display,
    None without one). Screenshots through weston's screenshooter."""

    def __init__(self, runtime, xwayland=True, size=(1024, 768), host=None):
        """host: an X display to run in as a window (weston's X11 backend), whose
        pointer and keyboard then reach the compositor; else headless, with no input."""
        self.runtime = runtime
        self.socket = "wayland-tarnello"
        self.log = os.path.join(runtime, "weston.log")
        # XWayland's sockets go where every X server's go; weston does not make the folder.
        if xwayland and not os.path.isdir("/tmp/.X11-unix"):
            os.makedirs("/tmp/.X11-unix", exist_ok=True)
            os.chmod("/tmp/.X11-unix", 0o1777)
        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
        env["XDG_RUNTIME_DIR"] = runtime
        if host:
            env["DISPLAY"] = host
        backend = "x11-backend.so" if host else "headless-backend.so"
        args = ["weston", "--backend=" + backend, "--use-pixman", "--width=%d" % size[0],
                "--height=%d" % size[1], "--socket=" + self.socket, "--no-config", "--idle-time=0",
                "--debug", "--log=" + self.log] + (["--xwayland"] if xwayland else [])
        self.process = subprocess.Popen(args, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.display = None
        deadline = time.monotonic() + 15
        while time.monotonic() < deadline and self.process.poll() is None:
            ready = os.path.exists(os.path.join(runtime, self.socket))
            if ready and xwayland:
                self.display = self._announced_display()
                ready = self.display is not None
            if ready:
                return
            time.sleep(0.05)
        self.stop()
        raise RuntimeError("weston did not start")

    def _announced_display(self):
        import re
        try:
            with open(self.log, encoding="utf-8", errors="replace") as f:
                found = re.search(r"xserver listening on display (:\d+)", f.read())
        except FileNotFoundError:
            return None
        return found.group(1) if found else None

    def environment(self, env):
        """The environment of a client of this compositor, from env, with no
        platform chosen for Qt: the player makes its own choice."""
        env = dict(env, XDG_RUNTIME_DIR=self.runtime, WAYLAND_DISPLAY=self.socket, XDG_SESSION_TYPE="wayland")
        env.pop("QT_QPA_PLATFORM", None)
        env.pop("DISPLAY", None)
        if self.display:
            env["DISPLAY"] = self.display
        return env

    def screenshot(self, folder, name="screen"):
        """The whole output as an Image (the PNG stays alongside for a look)."""
        for old in os.listdir(folder):
            if old.startswith("wayland-screenshot"):
                os.remove(os.path.join(folder, old))
        subprocess.run(["weston-screenshooter"], cwd=folder, env=self.environment(os.environ), check=True,
                       capture_output=True, timeout=20)
        png = [f for f in os.listdir(folder) if f.startswith("wayland-screenshot")][0]
        os.replace(os.path.join(folder, png), os.path.join(folder, name + ".png"))
        ppm = os.path.join(folder, name + ".ppm")
        subprocess.run(["convert", os.path.join(folder, name + ".png"), "-depth", "8", "ppm:" + ppm],
                       check=True, capture_output=True)
        return Image(ppm)

    def stop(self):
        self.process.terminate()
        try:
            self.process.wait(5)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()


class Player:
    def __init__(self, files=None, audio="null", xvfb_args=(), wayland=None):
        """wayland: None for an Xvfb of the player's own; "xwayland" or "native" for
        a headless weston with or without XWayland; "nested" for a weston without
        XWayland in a window of an Xvfb, driven through that Xvfb (host_xdotool)."""
        self.home = tempfile.mkdtemp(prefix="tarnello-home-")
        self.folder = os.path.join(self.home, "Tarnello")
        # The player's own files (the build's first-start copies, or what a run of
        # the player wrote) stay behind: every test starts from the files it names.
        shutil.copytree(PROGRAM, self.folder, symlinks=True, ignore=shutil.ignore_patterns(*STATE_FILES))
        for name, content in (files or {}).items():
            self.write(name, content)
        runtime = os.path.join(self.home, "runtime")
        os.mkdir(runtime, 0o700)
        # A nested weston's window leaves room around it on the host screen.
        self.xvfb = Xvfb("1280x960x24" if wayland else "1024x768x24", extra=xvfb_args) if wayland in (None, "nested") else None
        self.weston = None
        if wayland:
            try:
                self.weston = Weston(runtime, xwayland=wayland == "xwayland",
                                     host=self.xvfb.display if self.xvfb else None)
            except RuntimeError:
                if self.xvfb:
                    self.xvfb.stop()
                raise
        self.env = dict(os.environ,
                        DISPLAY=self.xvfb.display if self.xvfb else "",
                        TARNELLO_HOME=self.folder,
                        TARNELLO_MESSAGE_LOG=os.path.join(self.home, "messages.log"),
                        TARNELLO_AUDIO=audio,
                        QT_QPA_PLATFORM="xcb",
                        QT_ENABLE_HIGHDPI_SCALING="0",
                        QT_SCALE_FACTOR="1",
                        XDG_RUNTIME_DIR=runtime,
                        # No system bus: a power-off command in a test cannot reach logind.
                        DBUS_SYSTEM_BUS_ADDRESS="unix:path=/nonexistent/tarnello-test-system-bus")
        if self.weston:
            self.env = self.weston.environment(self.env)
        self.process = None
        self.window = None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        if self.process and self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        if self.xvfb:
            self.xvfb.stop()
        if self.weston:
            self.weston.stop()
        shutil.rmtree(self.home, ignore_errors=True)

    # Files of the program folder.
    def path(self, name):
        return os.path.join(self.folder, name)

    def write(self, name, content):
        mode = "wb" if isinstance(content, bytes) else "w"
        with open(self.path(name), mode, **({} if mode == "wb" else {"encoding": "utf-8", "newline": ""})) as f:
            f.write(content)

    def read(self, name, binary=False):
        with open(self.path(name), "rb" if binary else "r", **({} if binary else {"encoding": "utf-8", "newline": ""})) as f:
            return f.read()

    def exists(self, name):
        return os.path.exists(self.path(name))

    def messages(self):
        """Message boxes shown so far, as (caption, text) pairs."""
        log = os.path.join(self.home, "messages.log")
        if not os.path.exists(log):
            return []
        with open(log, encoding="utf-8") as f:
            return [tuple(line.rstrip("\n").split("\t", 1)) for line in f]

    # The running player.
    def start(self, *args, title="Tarnello", timeout=20):
        self.launch(*args)
        self.window = self.find_window(title, timeout)
        return self.window

    def launch(self, *args):
        """Starts the player without waiting for its window (which X cannot see on Wayland)."""
        self.process = subprocess.Popen([self.path("tarnello"), *args], env=self.env, cwd=self.home,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)

    def host_xdotool(self, *args):
        """xdotool on the Xvfb a nested weston runs in: its input reaches the compositor."""
        return subprocess.run(["xdotool", *args], env=dict(self.env, DISPLAY=self.xvfb.display),
                              capture_output=True, text=True, check=True).stdout

    def xdotool(self, *args, check=True):
        return subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True,
                              check=check).stdout

    def find_window(self, title, timeout=20):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.process and self.process.poll() is not None:
                raise RuntimeError("player exited early: %s" % self.process.stderr.read().decode())
            out = self.xdotool("search", "--onlyvisible", "--name", "^%s$" % title, check=False).split()
            if out:
                return out[0]
            time.sleep(0.05)
        raise TimeoutError("no window titled %r" % title)

    def geometry(self, window=None):
        """(x, y, width, height) of a window on the screen."""
        out = self.xdotool("getwindowgeometry", "--shell", window or self.window)
        values = dict(line.split("=", 1) for line in out.split())
        return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])

    def wait_for(self, condition, timeout=10):
        """Polls until condition() holds, then lets the player's event loop catch up."""
        deadline = time.monotonic() + timeout
        while not condition():
            if time.monotonic() > deadline:
                raise TimeoutError("condition not reached")
            time.sleep(0.02)
        time.sleep(0.2)

    def click(self, x, y, window=None):
        """Clicks at client coordinates of a window (the main window by default)."""
        wx, wy, _, _ = self.geometry(window)
        self.xdotool("mousemove", "--sync", str(wx + x), str(wy + y), "click", "1")

    def key(self, *keys):
        self.xdotool("key", *keys)

    def screenshot(self, name="screen.png", window="root"):
        out = os.path.join(self.home, name)
        subprocess.run(["import", "-display", self.xvfb.display, "-window", window, out],
                       env=self.env, check=True, capture_output=True)
        return out

    def close(self, window=None, timeout=20):
        """Closes a window as a window manager would; for the main window waits for the exit code."""
        subprocess.run([X11CLOSE, window or self.window], env=self.env, check=True)
        if window is None or window == self.window:
            return self.wait(timeout)
        return None

    def signal(self, number=signal.SIGTERM, timeout=20):
        self.process.send_signal(number)
        return self.wait(timeout)

    def wait(self, timeout=20):
        return self.process.wait(timeout)


# Test plug-in, colour-coded test skin and screenshots read back pixel by pixel.
TEST_PLUGIN = os.path.join(BUILD, "tests/plugins/TestPlugin.so")
TEST_SKIN = os.path.join(BUILD, "testskin")


def install_test_plugin(player, name="TestPlugin.so"):
    """Copies the test plug-in into the player's Plugins folder under name and points
    it at a control folder of its own; returns that folder. Call before start()."""
    control = os.path.join(player.home, "plugin")
    os.makedirs(control, exist_ok=True)
    shutil.copy(TEST_PLUGIN, os.path.join(player.folder, "Plugins", name))
    player.env["TARNELLO_TEST_PLUGIN_DIR"] = control
    player.plugin_dir = control
    return control


def plugin_log(player, operations=None):
    """Lines the test plug-in logged, without the plug-in's name; only the named
    operations when given (the timers poll position and length many times a second)."""
    path = os.path.join(player.plugin_dir, "log.txt")
    if not os.path.exists(path):
        return []
    with open(path, encoding="utf-8") as f:
        lines = [line.rstrip("\n").split(" ", 1)[1] for line in f if " " in line]
    if operations is None:
        return lines
    return [line for line in lines if line.split(" ", 1)[0] in operations]


def plugin_control(player, suffix, content="", name="TestPlugin.so"):
    """Writes a control file of the test plug-in ("end" ends the current track)."""
    path = os.path.join(player.plugin_dir, "%s.%s" % (name, suffix))
    with open(path + ".part", "w", encoding="utf-8") as f:
        f.write(content)
    os.rename(path + ".part", path)


def install_test_skin(player, temporary=True, package=True):
    """The colour-coded test skin: unpacked as the current skin in Skins/Temporary
    and/or as the package Skins/TestSkin.qsk. Call before start()."""
    skins = os.path.join(player.folder, "Skins")
    if temporary:
        target = os.path.join(skins, "Temporary")
        shutil.rmtree(target, ignore_errors=True)
        shutil.copytree(os.path.join(TEST_SKIN, "TestSkin"), target)
    if package:
        shutil.copy(os.path.join(TEST_SKIN, "TestSkin.qsk"), skins)


def test_skin_sprites():
    """Sprite name -> (r, g, b) of the test skin."""
    import json
    with open(os.path.join(TEST_SKIN, "TestSkin.json"), encoding="utf-8") as f:
        sprites = json.load(f)["sprites"]
    return {name: tuple(int(s["colour"][i:i + 2], 16) for i in (1, 3, 5)) for name, s in sprites.items()}


class Image:
    """A screenshot of the whole screen, read as binary PPM."""

    def __init__(self, path):
        with open(path, "rb") as f:
            data = f.read()
        fields, pos = [], 0
        while len(fields) < 4:
            while data[pos:pos + 1].isspace():
                pos += 1
            if data[pos:pos + 1] == b"#":
                pos = data.index(b"\n", pos)
                continue
            end = pos
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[pos:end])
            pos = end
        assert fields[0] == b"P6" and fields[3] == b"255", fields
        self.width, self.height = int(fields[1]), int(fields[2])
        self.pixels = data[pos + 1:]
        self.path = path

    def pixel(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self.pixels[i:i + 3])

    def colours(self, x, y, width, height):
        """Every colour of a rectangle with its pixel count."""
        counts = {}
        for yy in range(y, y + height):
            for xx in range(x, x + width):
                c = self.pixel(xx, yy)
                counts[c] = counts.get(c, 0) + 1
        return counts


def grab(player, name="screen"):
    """A screenshot of the whole screen as an Image (PNG kept alongside for a look)."""
    ppm = os.path.join(player.home, name + ".ppm")
    subprocess.run(["import", "-display", player.xvfb.display, "-window", "root", "-depth", "8", "ppm:" + ppm],
                   env=player.env, check=True, capture_output=True)
    return Image(ppm)


def click_screen(player, x, y, repeat=1, delay_ms=60):
    """Clicks at screen coordinates. `mousemove --sync` waits for the pointer to move,
    which takes seconds when it is already there: it moves only when needed."""
    location = dict(f.split(":") for f in player.xdotool("getmouselocation").split()[:2])
    if (int(location["x"]), int(location["y"])) != (x, y):
        player.xdotool("mousemove", "--sync", str(x), str(y))
    args = ["click"] + (["--repeat", str(repeat), "--delay", str(delay_ms)] if repeat > 1 else []) + ["1"]
    player.xdotool(*args)
