"""TARNELLO_LOG explains, one line each, what the player could not do: a plug-in
it refused and why, a file it could not save, the session bus it could not reach;
and without the variable the player writes no log."""
import os
import re
import unittest

from harness import Player, install_test_plugin

LINE = re.compile(r"^tarnello\[(\d+)\] \d\d:\d\d:\d\d\.\d\d\d ([a-z]+): (.*)$")


def log_lines(path):
    if not os.path.exists(path):
        return []
    with open(path, encoding="utf-8") as f:
        return f.read().splitlines()


class DiagnosticLog(unittest.TestCase):
    def test_refused_plugin_unsaved_options_and_missing_bus_are_logged(self):
        with Player(files={"tarnello.m3u": "#EXTM3U\n"}) as p:
            install_test_plugin(p)
            p.write("Plugins/Broken.so", "not a library")
            # The options file is a link into a folder that is gone: no one can write it.
            os.symlink(os.path.join(p.home, "gone", "tarnello.txt"), p.path("tarnello.txt"))
            log = os.path.join(p.home, "tarnello.log")
            p.env["TARNELLO_LOG"] = log
            p.start()
            p.close()

            entries = []
            for line in log_lines(log):
                match = LINE.match(line)
                self.assertIsNotNone(match, line)
                entries.append((match.group(2), match.group(3)))
            plugins = p.path("Plugins")
            self.assertIn(("plugins", "found %s/Broken.so" % plugins), entries)
            refused = [text for area, text in entries if area == "plugins" and text.startswith("refused ")]
            self.assertEqual(1, len(refused), entries)
            self.assertTrue(refused[0].startswith("refused %s/Broken.so: cannot be loaded: " % plugins), refused)
            loaded = [text for area, text in entries if area == "plugins" and text.startswith("loaded ")]
            self.assertIn("loaded %s/TestPlugin.so as plug-in %d" % (plugins, len(loaded)), loaded)
            self.assertIn(("save", "cannot save %s: cannot create a file beside it: No such file or directory"
                           % p.path("tarnello.txt")), entries)
            self.assertTrue(any(area == "dbus" and text.startswith("no session bus") for area, text in entries),
                            entries)

    def test_without_the_variable_nothing_is_logged(self):
        with Player() as p:
            p.write("Plugins/Broken.so", "not a library")
            p.env.pop("TARNELLO_LOG", None)
            p.start()
            p.close()
            stderr = p.process.stderr.read().decode()
            self.assertNotIn("plugins: ", stderr)
            self.assertNotIn("tarnello[", stderr)


if __name__ == "__main__":
    unittest.main()
