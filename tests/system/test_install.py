"""cmake --install into a temporary prefix: what is installed, and an installed
copy started from a read-only prefix keeps its files in $XDG_CONFIG_HOME/tarnello/,
first filled from the installed defaults, while TARNELLO_HOME still wins."""
import os
import stat
import struct
import subprocess
import unittest

from harness import BUILD, Player

ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)


def tree(folder):
    """Every path under folder with its size and modification time."""
    out = {}
    for root, dirs, files in os.walk(folder):
        for name in dirs + files:
            path = os.path.join(root, name)
            st = os.lstat(path)
            out[os.path.relpath(path, folder)] = (st.st_size, st.st_mtime_ns)
    return out


class Installed(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.p = Player()
        cls.prefix = os.path.join(cls.p.home, "prefix")
        subprocess.run(["cmake", "--install", BUILD, "--prefix", cls.prefix], check=True, capture_output=True)
        cls.app = os.path.join(cls.prefix, "lib", "tarnello")
        # Read-only, as a system prefix is for its users.
        for root, dirs, files in os.walk(cls.prefix):
            for name in dirs + files:
                path = os.path.join(root, name)
                if not os.path.islink(path):
                    os.chmod(path, os.stat(path).st_mode & ~(stat.S_IWUSR | stat.S_IWGRP | stat.S_IWOTH))
        os.chmod(cls.prefix, 0o555)
        cls.before = tree(cls.prefix)

    @classmethod
    def tearDownClass(cls):
        for root, dirs, _ in os.walk(cls.prefix):
            os.chmod(root, 0o755)
            for name in dirs:
                os.chmod(os.path.join(root, name), 0o755)
        cls.p.__exit__(None, None, None)

    def test_the_program_its_libraries_plug_ins_skin_and_desktop_files_are_installed(self):
        for name in ("tarnello", "libtarnello-platform.so", "Plugins/Dovrel.so", "hotkeys.ini",
                     "Skins/Default.qsk", "Skins/Temporary/main.bmp", "Skins/Temporary/pledit.txt",
                     "tarnello.txt", "tarnello.m3u", "First Light.wma"):
            self.assertTrue(os.path.isfile(os.path.join(self.app, name)), name)
        self.assertEqual(os.path.realpath(os.path.join(self.prefix, "bin", "tarnello")),
                         os.path.join(self.app, "tarnello"))
        # The installed playlist names the installed demo track.
        with open(os.path.join(self.app, "tarnello.m3u"), encoding="utf-8") as f:
            self.assertIn(os.path.join(self.app, "First Light.wma"), f.read())
        with open(os.path.join(self.prefix, "share", "applications", "tarnello.desktop"), encoding="utf-8") as f:
            entry = dict(line.rstrip("\n").split("=", 1) for line in f if "=" in line)
        self.assertEqual(os.path.join(self.prefix, "bin", "tarnello") + " --enqueue %F", entry["Exec"])
        self.assertEqual("tarnello", entry["Icon"])
        types = entry["MimeType"].split(";")
        for t in ("audio/x-ms-wma", "audio/x-mpegurl", "audio/x-scpls"):
            self.assertIn(t, types)
        for size in ICON_SIZES:
            path = os.path.join(self.prefix, "share", "icons", "hicolor", "%dx%d" % (size, size), "apps",
                                "tarnello.png")
            with open(path, "rb") as f:
                head = f.read(24)
            self.assertEqual(b"\x89PNG\r\n\x1a\n", head[:8])
            self.assertEqual((size, size), struct.unpack(">II", head[16:24]))

    def run_installed(self, env):
        p = self.p
        p.folder = self.app
        saved = p.env
        p.env = env
        try:
            p.start()
            self.assertEqual(0, p.close())
            p.process.stderr.close()
        finally:
            p.env = saved

    def test_the_desktop_entrys_command_keeps_the_saved_list_and_appends(self):
        with open(os.path.join(self.prefix, "share", "applications", "tarnello.desktop"), encoding="utf-8") as f:
            entry = dict(line.rstrip("\n").split("=", 1) for line in f if "=" in line)
        config = os.path.join(self.p.home, "config-entry")
        env = dict(self.p.env, XDG_CONFIG_HOME=config, HOME=os.path.join(self.p.home, "user"),
                   DBUS_SESSION_BUS_ADDRESS="unix:path=" + os.path.join(self.p.home, "no-bus"))
        env.pop("TARNELLO_HOME")
        song = os.path.join(self.p.home, "opened song.tst")
        open(song, "wb").close()
        command = [word for word in entry["Exec"].split() if word != "%F"] + [song]
        p = self.p
        p.folder = self.app
        p.process = subprocess.Popen(command, env=env, cwd=p.home, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.PIPE)
        saved = p.env
        p.env = env
        try:
            p.window = p.find_window("Tarnello")
            self.assertEqual(0, p.close())
            p.process.stderr.close()
        finally:
            p.env = saved
        with open(os.path.join(config, "tarnello", "tarnello.m3u"), encoding="utf-8") as f:
            rows = [line for line in f.read().splitlines() if line and not line.startswith("#")]
        self.assertEqual([os.path.join(self.app, "First Light.wma"), song], rows)

    def test_an_installed_copy_writes_into_the_users_config_folder(self):
        config = os.path.join(self.p.home, "config")
        env = dict(self.p.env, XDG_CONFIG_HOME=config, HOME=os.path.join(self.p.home, "user"))
        env.pop("TARNELLO_HOME")
        self.run_installed(env)
        data = os.path.join(config, "tarnello")
        with open(os.path.join(data, "tarnello.txt"), encoding="utf-8") as f:
            options = f.read()
        # The installed defaults were the start: the demo track's row is the resume row.
        self.assertIn("Resume=0\n", options)
        self.assertIn("Main_y=26\n", options)
        with open(os.path.join(data, "tarnello.m3u"), encoding="utf-8") as f:
            self.assertIn(os.path.join(self.app, "First Light.wma"), f.read())
        self.assertEqual(sorted(os.listdir(os.path.join(self.app, "Skins", "Temporary"))),
                         sorted(os.listdir(os.path.join(data, "Skins", "Temporary"))))
        self.assertEqual(self.before, tree(self.prefix))
        self.assertEqual([], self.p.messages())

        # A second run keeps what the first one wrote.
        with open(os.path.join(data, "tarnello.txt"), "w", encoding="utf-8") as f:
            f.write(options.replace("Volume=", "Volume=7\nOld_Volume="))
        self.run_installed(env)
        with open(os.path.join(data, "tarnello.txt"), encoding="utf-8") as f:
            self.assertIn("Volume=7\n", f.read())

    def test_without_xdg_config_home_the_folder_is_under_home(self):
        user = os.path.join(self.p.home, "user2")
        os.mkdir(user)
        env = dict(self.p.env, HOME=user)
        env.pop("TARNELLO_HOME")
        env.pop("XDG_CONFIG_HOME", None)
        self.run_installed(env)
        self.assertTrue(os.path.isfile(os.path.join(user, ".config", "tarnello", "tarnello.txt")))
        self.assertEqual(self.before, tree(self.prefix))

    def test_tarnello_home_still_wins(self):
        home = os.path.join(self.p.home, "own")
        os.mkdir(home)
        config = os.path.join(self.p.home, "unused-config")
        env = dict(self.p.env, TARNELLO_HOME=home, XDG_CONFIG_HOME=config)
        self.run_installed(env)
        self.assertTrue(os.path.isfile(os.path.join(home, "tarnello.txt")))
        self.assertFalse(os.path.exists(config))


if __name__ == "__main__":
    unittest.main()
