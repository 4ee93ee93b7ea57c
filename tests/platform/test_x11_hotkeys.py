"""Runs the X11 hot-key check under an Xvfb of its own."""
import os
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "../system"))
from harness import Xvfb  # noqa: E402

CHECK = os.environ.get("TARNELLO_X11_HOTKEYS_CHECK", "x11_hotkeys_check")


class X11Hotkeys(unittest.TestCase):
    def test_grabbed_keys_reach_the_registering_window(self):
        xvfb = Xvfb()
        try:
            env = dict(os.environ, DISPLAY=xvfb.display, QT_QPA_PLATFORM="xcb")
            result = subprocess.run([CHECK], env=env, capture_output=True, text=True, timeout=60)
        finally:
            xvfb.stop()
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertNotIn("FAIL", result.stdout)


if __name__ == "__main__":
    unittest.main()
