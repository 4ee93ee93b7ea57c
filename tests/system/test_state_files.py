"""The player's own files survive its death: killed at any moment of its close it
leaves "tarnello.txt" and "tarnello.m3u" as they were or as it writes them, and a
full disk or a read-only program folder makes the writes fail, keeps the old
files and tells the user once."""
import contextlib
import os
import shutil
import subprocess
import time
import unittest

from harness import X11CLOSE, Player

UNSAVED = ("Tarnello", "The options and the playlist could not be saved.")

OLD_OPTIONS = "[tarnello]\nVolume=100\nMain_x=30\n"
# '\r\n' line ends: the player writes '\n', so old and new files always differ.
OLD_LIST = "#EXTM3U\r\n#EXTINF:5,One\r\n/music/one.mp3\r\n#EXTINF:-1,Two\r\n/music/two.mp3\r\n"
FILES = {"tarnello.txt": OLD_OPTIONS, "tarnello.m3u": OLD_LIST}


def mount(*args):
    return subprocess.run(["mount", *args], capture_output=True).returncode == 0


@contextlib.contextmanager
def mounted_over(player, *options):
    """Puts the program folder on a file system of its own (a tmpfs, or the folder
    bound read-only onto itself); skips the test where nothing can be mounted."""
    folder = player.folder
    if options[0] == "tmpfs":
        keep = folder + ".copy"
        shutil.copytree(folder, keep, symlinks=True)
        if not mount("-t", "tmpfs", "-o", options[1], "tmpfs", folder):
            raise unittest.SkipTest("cannot mount a tmpfs here (needs root)")
        shutil.copytree(keep, folder, symlinks=True, dirs_exist_ok=True)
    elif not (mount("--bind", folder, folder) and mount("-o", "remount,bind,ro", folder)):
        subprocess.run(["umount", folder], capture_output=True)
        raise unittest.SkipTest("cannot mount the program folder read-only here (needs root)")
    try:
        yield
    finally:
        subprocess.run(["umount", "-l", folder], capture_output=True)


class KilledAtClose(unittest.TestCase):
    def test_every_moment_of_the_close_leaves_the_old_or_the_new_files(self):
        with Player(files=FILES) as p:
            p.start()
            self.assertEqual(0, p.close())
            new = {name: p.read(name) for name in FILES}
            self.assertNotEqual(new["tarnello.txt"], OLD_OPTIONS)
            self.assertNotEqual(new["tarnello.m3u"], OLD_LIST)
            seen = set()
            for delay_ms in (0, 1, 2, 3, 5, 8, 10, 15, 20, 30, 50, 80, 120, 200):
                for name, content in FILES.items():
                    p.write(name, content)
                window = p.start()
                # Not waited for: the kill may land before, during or after the close.
                closer = subprocess.Popen([X11CLOSE, window], env=p.env)
                time.sleep(delay_ms / 1000)
                p.process.kill()
                p.wait()
                closer.wait()
                for name in FILES:
                    content = p.read(name)
                    self.assertIn(content, (FILES[name], new[name]), "%s after %d ms" % (name, delay_ms))
                    seen.add((name, content == new[name]))
                # Nothing but the two files (and the killed writer's temporary) is left.
                for entry in os.listdir(p.folder):
                    if entry.startswith("tarnello.txt.") or entry.startswith("tarnello.m3u."):
                        os.remove(p.path(entry))
            # The later kills come after a complete close. (Which moments land inside
            # the writes depends on the machine; the unit test kills writers mid-write.)
            self.assertIn(("tarnello.txt", True), seen)
            self.assertIn(("tarnello.m3u", True), seen)


class FullDisk(unittest.TestCase):
    def test_a_full_program_folder_keeps_the_previous_files(self):
        with Player(files=FILES) as p:
            size = sum(os.path.getsize(os.path.join(root, f)) for root, _, files in os.walk(p.folder)
                       for f in files if not os.path.islink(os.path.join(root, f)))
            with mounted_over(p, "tmpfs", "size=%dk" % (size // 1024 + 512)):
                # Unbuffered: a partial last write must not stay behind to fail the close.
                with open(p.path("filler"), "wb", buffering=0) as filler:
                    with contextlib.suppress(OSError):
                        while True:
                            filler.write(b"\0" * 65536)
                            filler.flush()
                p.start()
                self.assertEqual(0, p.close())
                self.assertEqual(OLD_OPTIONS, p.read("tarnello.txt"))
                self.assertEqual(OLD_LIST, p.read("tarnello.m3u"))
                self.assertEqual([UNSAVED], p.messages())
                self.assertEqual([], [e for e in os.listdir(p.folder) if e.startswith("tarnello.") and
                                      e not in FILES])


class ReadOnlyFolder(unittest.TestCase):
    def test_a_read_only_program_folder_fails_the_writes_and_says_so(self):
        with Player(files=FILES) as p:
            with mounted_over(p, "read-only"):
                p.start()
                self.assertEqual(0, p.close())
                self.assertEqual(OLD_OPTIONS, p.read("tarnello.txt"))
                self.assertEqual(OLD_LIST, p.read("tarnello.m3u"))
                self.assertEqual([UNSAVED], p.messages())
                # A second run starts as well.
                p.start()
                self.assertEqual(0, p.close())
                self.assertEqual([UNSAVED, UNSAVED], p.messages())


if __name__ == "__main__":
    unittest.main()
