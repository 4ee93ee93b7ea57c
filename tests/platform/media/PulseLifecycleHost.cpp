// The sound-server stream as playback uses it, checked against a real PulseAudio
// server: none while idle, one uncorked while playing, corked while paused, kept
// across a gapless join and gone a little after a stop or the end of the list.
// Usage: pulse_lifecycle_host PLUGIN_FOLDER FIRST SECOND  (exit 0 = all held)
#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <string>

#include "playback/HostCallbacks.h"
#include "playback/PluginManager.h"
#include "platform/Window.h"

namespace {
int failures = 0;

class HostWindow : public Window {
 public:
  std::function<void()> onTrackEnded;
  int tracksEnded = 0;

 protected:
  intptr_t OnMessage(uint32_t message, uintptr_t, intptr_t) override {
    if (message == MSG_TRACK_ENDED) {
      ++tracksEnded;
      if (onTrackEnded) onTrackEnded();
    }
    return 0;
  }
};

void Wait(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

struct Streams {
  int count = 0;
  int corked = 0;
  std::string firstIndex;
};

// The server's playback streams, as `pactl list sink-inputs` lists them.
Streams ListStreams() {
  Streams s;
  FILE* pipe = popen("pactl list sink-inputs 2>/dev/null", "r");
  if (!pipe) return s;
  char line[512];
  while (fgets(line, sizeof line, pipe)) {
    const std::string text = line;
    if (text.rfind("Sink Input #", 0) == 0) {
      if (++s.count == 1) s.firstIndex = text.substr(12, text.find_first_of("\r\n") - 12);
    }
    if (text.find("Corked: yes") != std::string::npos) ++s.corked;
  }
  pclose(pipe);
  return s;
}

Streams Expect(const char* when, int count, int corked) {
  const Streams s = ListStreams();
  const bool ok = s.count == count && s.corked == corked;
  std::printf("%s %s: %d stream(s), %d corked (expected %d, %d)\n", ok ? "ok" : "FAIL", when, s.count, s.corked,
              count, corked);
  std::fflush(stdout);
  if (!ok) ++failures;
  return s;
}
}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s PLUGIN_FOLDER FIRST SECOND\n", argv[0]);
    return 64;
  }
  HostWindow host;
  host.CreateTopLevel("host", Rect::FromSize(0, 0, 10, 10), 0, nullptr, false);
  PluginManager manager(host.GetHandle(), QString::fromLocal8Bit(argv[1]));
  manager.LoadAll();
  HostCallbacks::PublishMainWindow(host.GetHandle());
  const QString first = QString::fromLocal8Bit(argv[2]), second = QString::fromLocal8Bit(argv[3]);

  Wait(1000);
  Expect("idle after start-up", 0, 0);
  if (manager.PlayFile(first) != 0) return 2;
  manager.ApplyVolume(250);
  Wait(700);
  Expect("playing", 1, 0);
  manager.PausePlayback();
  Wait(400);
  Expect("paused", 1, 1);
  manager.ResumePlayback();
  Wait(400);
  Expect("resumed", 1, 0);
  manager.StopPlayback();
  Wait(300);
  Expect("just stopped", 1, 0);
  Wait(2200);
  Expect("two seconds after the stop", 0, 0);

  // Two tracks joined from the end-of-track message, as the player does: the same stream.
  std::string during;
  host.onTrackEnded = [&] {
    if (host.tracksEnded == 1) manager.PlayFile(second);
  };
  manager.PlayFile(first);
  Wait(500);
  during = Expect("first of two", 1, 0).firstIndex;
  while (host.tracksEnded < 1) Wait(50);
  Wait(400);
  const Streams joined = Expect("second of two", 1, 0);
  if (joined.firstIndex != during) {
    std::printf("FAIL the stream was reopened for the next track (%s, then %s)\n", during.c_str(),
                joined.firstIndex.c_str());
    ++failures;
  }
  while (host.tracksEnded < 2) Wait(50);
  Wait(300);
  Expect("just after the end of the list", 1, 0);
  Wait(2200);
  Expect("two seconds after the end of the list", 0, 0);
  manager.UnloadAll();
  return failures == 0 ? 0 : 1;
}
