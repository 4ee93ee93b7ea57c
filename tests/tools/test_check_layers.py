"""The layering check finds what a folder may not include, and nothing else."""
import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.environ.get("TARNELLO_CHECK_LAYERS",
                        os.path.join(os.path.dirname(__file__), "..", "..", "tools", "check_layers.py"))


class CheckLayersTest(unittest.TestCase):
    def setUp(self):
        self.root = tempfile.TemporaryDirectory()
        self.widgets = os.path.join(self.root.name, "qt", "QtWidgets")
        os.makedirs(self.widgets)
        for name in ("QWidget", "QDialog", "qwidget.h"):
            open(os.path.join(self.widgets, name), "w").close()
        self.tree = os.path.join(self.root.name, "src")

    def tearDown(self):
        self.root.cleanup()

    def plant(self, relative, *headers):
        path = os.path.join(self.tree, relative)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w") as f:
            for header in headers:
                f.write(f"#include {header}\n")
            f.write("int x;\n")

    def run_check(self):
        result = subprocess.run([sys.executable, SCRIPT, "--root", self.tree, "--qt-widgets-dir", self.widgets],
                                capture_output=True, text=True, timeout=60)
        return result.returncode, result.stdout.splitlines()

    def test_what_each_layer_may_include_passes(self):
        self.plant("platform/Sound.cpp", "<pulse/pulseaudio.h>", "<X11/Xlib.h>", "<QDBusConnection>", "<QWidget>")
        self.plant("platform/HttpGet.cpp", "<curl/curl.h>", "<minizip/unzip.h>")
        self.plant("platform/media/Decoder.cpp", "<libavcodec/avcodec.h>", "<string>")
        self.plant("playlist/Editor.cpp", "<QWidget>", "<QString>", '"platform/HttpClient.h"')
        self.plant("plugins/wma/Dovrel.cpp", "<string>", "<dlfcn.h>", '"platform/PlatformApi.h"')
        self.plant("settings/Options.cpp", "<QFile>")
        self.assertEqual(self.run_check(), (0, []))

    def test_a_planted_violation_in_each_layer_is_named(self):
        self.plant("playlist/HttpGet.cpp", "<curl/curl.h>")
        self.plant("skin/SkinUnpacker.cpp", "<string>", "<minizip/unzip.h>")
        self.plant("app/Mpris.cpp", "<QtDBus/QDBusConnection>")
        self.plant("equalizer/Out.h", "<pulse/simple.h>")
        self.plant("buttons/Keys.cpp", "<X11/Xlib.h>", "<libswresample/swresample.h>")
        self.plant("plugins/brelwick/Box.cpp", "<QDialog>")
        self.plant("playback/Control.h", "<QtWidgets/QWidget>")
        self.plant("platform/media/Player.cpp", "<QString>")
        code, lines = self.run_check()
        self.assertEqual(code, 1)
        expected = [
            "app/Mpris.cpp:1: includes <QtDBus/QDBusConnection>: Qt D-Bus belongs to platform/",
            "buttons/Keys.cpp:1: includes <X11/Xlib.h>: X11 belongs to platform/",
            "buttons/Keys.cpp:2: includes <libswresample/swresample.h>: FFmpeg belongs to platform/",
            "equalizer/Out.h:1: includes <pulse/simple.h>: PulseAudio belongs to platform/",
            "playback/Control.h:1: includes <QtWidgets/QWidget>: Qt Widgets is for window and dialog code, not playback/",
            "playlist/HttpGet.cpp:1: includes <curl/curl.h>: libcurl belongs to platform/",
            "skin/SkinUnpacker.cpp:2: includes <minizip/unzip.h>: minizip belongs to platform/",
            "plugins/brelwick/Box.cpp:1: includes <QDialog>: plug-ins link no Qt, only the platform library's C services",
            "platform/media/Player.cpp:1: includes <QString>: platform/media is plain C++ (it is linked into the plug-ins)",
        ]
        self.assertEqual(sorted(lines), sorted(expected))


if __name__ == "__main__":
    unittest.main()
