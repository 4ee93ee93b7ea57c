#!/usr/bin/env python3
"""Checks that every folder of the player includes only what its layer may.

The rule as built:
- platform/ owns the operating system, sound, media, network and archive
  libraries (X11, xcb, PulseAudio, FFmpeg, D-Bus, libcurl, minizip, zlib) and the
  window abstraction; no other folder of the player includes them.
- platform/media/ is plain C++ linked into the plug-ins, and the plug-ins in
  plugins/ link no Qt: no Qt at all in either.
- Qt Core value types are shared vocabulary everywhere else.
- Qt Widgets appear only in window and dialog code of the subsystems: never in
  settings/ or playback/ (the transport and the plug-in table).
tools/ (build-time generators) and tests/ are outside the rule.

Usage: check_layers.py [--root SOURCE_DIR] [--qt-widgets-dir DIR]
Prints one line per violation and exits 1 when there is any.
"""
import argparse
import glob
import os
import re
import sys

SOURCE_SUFFIXES = (".h", ".hpp", ".c", ".cpp")
SUBSYSTEMS = ["app", "buttons", "dialogs", "equalizer", "playback", "playlist", "settings", "skin", "plugins"]

# Libraries only platform/ may include, by the include path they are reached through.
PLATFORM_ONLY = [
    (re.compile(r"^X11/"), "X11"),
    (re.compile(r"^xcb/"), "xcb"),
    (re.compile(r"^pulse/"), "PulseAudio"),
    (re.compile(r"^lib(avcodec|avformat|avutil|avfilter|avdevice|swresample|swscale)/"), "FFmpeg"),
    (re.compile(r"^(QtDBus/|QDBus)"), "Qt D-Bus"),
    (re.compile(r"^curl/"), "libcurl"),
    (re.compile(r"^minizip/|^(unzip|zip)\.h$"), "minizip"),
    (re.compile(r"^zlib\.h$"), "zlib"),
]
NO_WIDGETS = ["settings", "playback"]
# Folders without any Qt, each with the reason.
NO_QT = {
    "platform/media": "platform/media is plain C++ (it is linked into the plug-ins)",
    "plugins": "plug-ins link no Qt, only the platform library's C services",
}

INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^>"]+)[>"]')


def widgets_headers(qt_widgets_dir):
    """The names of Qt Widgets' headers (QWidget, QDialog, ...)."""
    if not qt_widgets_dir:
        found = glob.glob("/usr/include/*/qt6/QtWidgets") + glob.glob("/usr/include/qt6/QtWidgets")
        qt_widgets_dir = found[0] if found else None
    if not qt_widgets_dir or not os.path.isdir(qt_widgets_dir):
        return {"QWidget", "QApplication", "QDialog", "QMessageBox", "QMenu", "QLabel", "QPushButton"}
    return {name for name in os.listdir(qt_widgets_dir) if name.startswith("Q") and "." not in name}


def source_files(folder):
    for base, dirs, files in os.walk(folder):
        dirs.sort()
        for name in sorted(files):
            if name.endswith(SOURCE_SUFFIXES):
                yield os.path.join(base, name)


def includes(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        for number, line in enumerate(f, 1):
            m = INCLUDE.match(line)
            if m:
                yield number, m.group(1)


def under(relative, folder):
    return relative == folder or relative.startswith(folder + "/")


def check(root, widgets):
    problems = []
    for subsystem in SUBSYSTEMS + ["platform"]:
        for path in source_files(os.path.join(root, subsystem)):
            relative = os.path.relpath(path, root).replace(os.sep, "/")
            for number, header in includes(path):
                where = f"{relative}:{number}: includes <{header}>"
                if not under(relative, "platform"):
                    for pattern, library in PLATFORM_ONLY:
                        if pattern.search(header):
                            problems.append(f"{where}: {library} belongs to platform/")
                is_widgets = header.startswith("QtWidgets/") or header in widgets
                if is_widgets and any(under(relative, f) for f in NO_WIDGETS):
                    problems.append(f"{where}: Qt Widgets is for window and dialog code, not {relative.split('/')[0]}/")
                is_qt = re.match(r"^Qt[A-Za-z]*/|^Q[A-Z]", header)
                for folder, reason in NO_QT.items():
                    if is_qt and under(relative, folder):
                        problems.append(f"{where}: {reason}")
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
    parser.add_argument("--qt-widgets-dir", default=None)
    args = parser.parse_args()
    problems = check(os.path.abspath(args.root), widgets_headers(args.qt_widgets_dir))
    for problem in problems:
        print(problem)
    if problems:
        print(f"{len(problems)} include(s) break the layering", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
