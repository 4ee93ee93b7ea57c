// A minimal player for the sound system test: loads the plug-ins of a folder as the
// player does, plays one path at full volume and waits for the end of the track.
// Exit codes: 0 the track played to its end, 2 no plug-in claims the path,
// 3 playing failed, 4 no end of track within the time limit.
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>

#include "playback/HostCallbacks.h"
#include "playback/PluginManager.h"
#include "platform/Window.h"

namespace {
class HostWindow : public Window {
 protected:
  intptr_t OnMessage(uint32_t message, uintptr_t, intptr_t) override {
    if (message == MSG_TRACK_ENDED) QCoreApplication::exit(0);
    return 0;
  }
};
}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s PLUGIN_FOLDER PATH\n", argv[0]);
    return 64;
  }
  HostWindow host;
  host.CreateTopLevel("host", Rect::FromSize(0, 0, 10, 10), 0, nullptr, false);
  PluginManager manager(host.GetHandle(), QString::fromLocal8Bit(argv[1]));
  manager.LoadAll();
  HostCallbacks::PublishMainWindow(host.GetHandle());
  std::printf("plugins %d\nfilter %s\n", manager.Count(), manager.BuildOpenFilter().toUtf8().constData());
  std::fflush(stdout);

  QElapsedTimer clock;
  clock.start();
  const int played = manager.PlayFile(QString::fromLocal8Bit(argv[2]));
  if (played != 0) {
    manager.UnloadAll();
    return played < 0 ? 2 : 3;
  }
  manager.ApplyVolume(250);
  // What the plug-in reports as heard, against the time since playing began.
  for (int at : {1800, 2800}) {
    QTimer::singleShot(at, [&] {
      const int position = manager.PlayPositionMs();
      std::printf("position %d elapsed %d\n", position, int(clock.elapsed()));
      std::fflush(stdout);
    });
  }
  QTimer::singleShot(30000, [] { QCoreApplication::exit(4); });
  const int code = app.exec();
  std::printf("length %d\n", manager.TrackLengthMs());
  manager.UnloadAll();
  return code;
}
