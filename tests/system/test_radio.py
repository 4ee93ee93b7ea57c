"""Internet radio through Brelwick in the whole player: a local Shoutcast-style
server sends MP3 frames with in-band metadata whose title changes twice, and a
chained Ogg stream changes its comments. The main window's title panel is read
back from the screen against the same texts drawn as playlist titles; MPRIS is
read through playerctl on a session bus of the test's own; File Info is read
from the dialog through the clipboard. Run inside dbus-run-session."""
import http.server
import os
import socketserver
import subprocess
import threading
import time
import unittest

from harness import Player, click_screen, grab, install_test_plugin, plugin_control

STATION = "Radio Q"
# (seconds into the stream, StreamTitle bytes as the station sends them)
SONGS = [(0, b"Alpha - One"), (5, b"Beta's Band - Two; Too"), (10, "Café Olé - Three".encode("cp1252"))]
# The same songs as the test plug-in reports them: station, artist, title.
REPORTED = [(STATION, "", "Alpha - One"), (STATION, "", "Beta's Band - Two; Too"), (STATION, "", "Café Olé - Three")]
BIT_RATE = 128
METAINT = 4096
TITLE_PANEL = (109, 24, 157, 12)
EDITOR = (0, 200, 275, 232)
LIST_ORIGIN = (12, 20)
ROW_HEIGHT = 14
OPTIONS = ("[tarnello]\nMain_x=0\nMain_y=0\nEQ_Visible=0\nPL_Visible=1\nPL_x=%d\nPL_y=%d\nPL_width=%d\nPL_height=%d\n"
           % EDITOR)


def playerctl(*args):
    result = subprocess.run(["playerctl", "-p", "tarnello", *args], capture_output=True, text=True)
    return result.stdout.strip() if result.returncode == 0 else ""


def metadata_block(title):
    """One ICY metadata block: its length in 16-byte units, then the zero-padded text."""
    text = b"StreamTitle='" + title + b"';StreamUrl='';"
    units = (len(text) + 15) // 16
    return bytes([units]) + text.ljust(units * 16, b"\0")


class StreamServer(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


class Handler(http.server.BaseHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def do_GET(self):
        server = self.server
        if self.path == "/chain.ogg":
            self.send_response(200)
            self.send_header("Content-Type", "application/ogg")
            self.end_headers()
            self.write_paced(server.ogg, 64000)
            return
        icy = self.headers.get("Icy-MetaData") == "1"
        server.asked_for_metadata.append(icy)
        self.send_response(200)
        self.send_header("Content-Type", "audio/mpeg")
        self.send_header("icy-name", STATION)
        self.send_header("icy-genre", "Test Genre")
        self.send_header("icy-br", str(BIT_RATE))
        if icy:
            self.send_header("icy-metaint", str(METAINT))
        self.end_headers()
        audio = server.mp3
        bytes_per_second = BIT_RATE * 1000 // 8
        sent_title = None
        out = bytearray()
        for at in range(0, len(audio), METAINT):
            out += audio[at:at + METAINT]
            if not icy:
                continue
            seconds = (at + METAINT) / bytes_per_second
            title = [t for start, t in SONGS if start <= seconds][-1]
            out += metadata_block(title) if title != sent_title else b"\0"
            sent_title = title
        self.write_paced(bytes(out), bytes_per_second)

    def write_paced(self, data, bytes_per_second):
        """A little faster than real time, as a station's server bursts ahead."""
        start = time.monotonic()
        try:
            for at in range(0, len(data), 4096):
                self.wfile.write(data[at:at + 4096])
                ahead = at / (bytes_per_second * 1.5) - (time.monotonic() - start)
                if ahead > 0:
                    time.sleep(ahead)
        except (BrokenPipeError, ConnectionResetError):
            pass


def encode(args, path):
    subprocess.run(["ffmpeg", "-v", "error", "-y", *args, path], check=True)
    with open(path, "rb") as f:
        return f.read()


@unittest.skipUnless(os.environ.get("DBUS_SESSION_BUS_ADDRESS"), "needs a session bus (dbus-run-session)")
class Radio(unittest.TestCase):
    def setUp(self):
        self.p = Player(files={"tarnello.txt": OPTIONS})
        self.addCleanup(self.p.__exit__, None, None, None)
        install_test_plugin(self.p)
        self.server = StreamServer(("127.0.0.1", 0), Handler)
        self.server.asked_for_metadata = []
        work = self.p.home
        self.server.mp3 = encode(["-f", "lavfi", "-i", "sine=frequency=440:duration=30", "-ac", "2", "-ar", "44100",
                                  "-c:a", "libmp3lame", "-b:a", "%dk" % BIT_RATE, "-f", "mp3"],
                                 os.path.join(work, "tone.mp3"))
        parts = []
        for n, (artist, title) in enumerate([("First Artist", "First Song"), ("Second Artist", "Second Song")]):
            parts.append(encode(["-f", "lavfi", "-i", "sine=frequency=%d:duration=4" % (300 + 200 * n),
                                 "-c:a", "libvorbis", "-metadata", "artist=" + artist, "-metadata", "title=" + title],
                                os.path.join(work, "part%d.ogg" % n)))
        self.server.ogg = b"".join(parts)
        threading.Thread(target=self.server.serve_forever, daemon=True).start()
        self.addCleanup(self.server.server_close)
        self.addCleanup(self.server.shutdown)
        base = "http://127.0.0.1:%d" % self.server.server_address[1]
        reference = os.path.join(work, "reference.tst")
        open(reference, "wb").close()
        rows = ["#EXTM3U", "#EXTINF:60,Reference", reference]
        rows += ["#EXTINF:-1,My Radio", base + "/stream", "#EXTINF:-1,Chain", base + "/chain.ogg"]
        self.p.write("tarnello.m3u", "\n".join(rows) + "\n")
        self.p.start()
        self.addCleanup(self.p.process.stderr.close)
        self.p.wait_for(lambda: playerctl("status") != "", timeout=10)
        self.origin = self.p.geometry()[:2]

    def panel(self):
        x, y, w, h = TITLE_PANEL
        ox, oy = self.origin
        shot = grab(self.p)
        return tuple(shot.pixel(ox + xx, oy + yy) for yy in range(y, y + h) for xx in range(x, x + w))

    def wait_panel(self, expected, timeout):
        deadline = time.monotonic() + timeout
        while self.panel() != expected:
            if time.monotonic() > deadline:
                self.fail("the title panel never showed the expected text")
            time.sleep(0.1)

    def wait_value(self, expected, *args, timeout=10):
        deadline = time.monotonic() + timeout
        while playerctl(*args) != expected and time.monotonic() < deadline:
            time.sleep(0.1)
        self.assertEqual(expected, playerctl(*args))

    def file_info_text(self, row):
        """Selects row in the editor, opens File Info from the Misc column's info menu,
        copies the dialog's text and closes it."""
        x, y, _, h = EDITOR
        click_screen(self.p, x + LIST_ORIGIN[0] + 40, y + LIST_ORIGIN[1] + ROW_HEIGHT * row + ROW_HEIGHT // 2)
        time.sleep(0.3)
        click_screen(self.p, x + 101 + 11, y + h - 30 + 9)
        time.sleep(0.3)
        click_screen(self.p, x + 101 + 11, y + h - 48 + 9)
        time.sleep(0.5)
        self.p.key("Down", "Return")
        dialog = self.p.find_window("File Info - stream", timeout=10)
        self.p.xdotool("windowactivate", "--sync", dialog, check=False)
        self.p.key("ctrl+a", "ctrl+c")
        time.sleep(0.3)
        env = dict(os.environ, DISPLAY=self.p.env["DISPLAY"])
        text = subprocess.run(["xclip", "-o", "-selection", "clipboard"], capture_output=True, text=True,
                              env=env, timeout=5).stdout
        self.p.key("Escape")
        return text

    def test_songs_of_an_icy_stream_and_of_a_chained_ogg_stream_reach_the_player(self):
        # The panel as it shows the songs the test plug-in reports.
        playerctl("play")
        self.wait_value("Reference", "metadata", "xesam:title")
        references = []
        for station, artist, title in REPORTED:
            plugin_control(self.p, "tags", "%s\n%s\n%s\n" % (station, artist, title))
            self.wait_value(title.split(" - ")[1], "metadata", "xesam:title")
            time.sleep(0.3)
            references.append(self.panel())
        self.assertEqual(3, len(set(references)))
        playerctl("next")

        # The radio row: each song in turn, as "station – song".
        self.wait_value("http://127.0.0.1:%d/stream" % self.server.server_address[1], "metadata", "xesam:url")
        self.wait_panel(references[0], 10)
        self.assertEqual("One", playerctl("metadata", "xesam:title"))
        self.assertEqual("Alpha", playerctl("metadata", "xesam:artist"))
        self.assertEqual([True], self.server.asked_for_metadata)
        self.wait_panel(references[1], 10)
        self.wait_value("Two; Too", "metadata", "xesam:title")
        self.assertEqual("Beta's Band", playerctl("metadata", "xesam:artist"))
        self.wait_panel(references[2], 10)
        self.wait_value("Three", "metadata", "xesam:title")
        self.assertEqual("Café Olé", playerctl("metadata", "xesam:artist"))

        info = self.file_info_text(1)
        self.assertIn("Station: Radio Q\n", info)
        self.assertIn("Genre: Test Genre\n", info)
        self.assertIn("Bit rate: 128 kbit/s\n", info)
        self.assertIn("Playing: Café Olé - Three", info)

        # A chained Ogg stream: its first part's comments, then the second's.
        playerctl("next")
        self.wait_value("First Song", "metadata", "xesam:title")
        self.assertEqual("First Artist", playerctl("metadata", "xesam:artist"))
        self.wait_value("Second Song", "metadata", "xesam:title", timeout=15)
        self.assertEqual("Second Artist", playerctl("metadata", "xesam:artist"))
        self.assertEqual(0, self.p.close())
        # The rows' own texts stay as the list has them.
        saved = self.p.read("tarnello.m3u")
        self.assertIn(",My Radio\n", saved)
        self.assertIn(",Chain\n", saved)
        self.assertNotIn("Alpha", saved.split("My Radio")[1])


if __name__ == "__main__":
    unittest.main()
