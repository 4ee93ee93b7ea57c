// Costs of the playlist editor window at 100,000 rows: creating it from
// "tarnello.m3u" up to its first paint, scrolling the whole list page by page,
// and carrying one row across 1,000 places with the pointer.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QPixmap>
#include <QTemporaryDir>
#include <QWidget>
#include <cstdio>
#include <memory>

#include "playback/OpenFilter.h"
#include "playback/PluginManager.h"
#include "playlist/PlayOrder.h"
#include "playlist/Playlist.h"
#include "playlist/PlaylistEditorWindow.h"
#include "playlist/PlaylistListControl.h"
#include "settings/SettingsFile.h"
#include "skin/SkinSet.h"

namespace {
constexpr int kRows = 100000;
constexpr int kDragSteps = 1000;

// A program folder with the default skin loaded and a 100,000-row "tarnello.m3u".
class Fixture {
 public:
  Fixture() {
    qputenv("TARNELLO_HOME", home.path().toUtf8());
    PublishPlayOrder(&order);
    skin.Load(QStringLiteral(TARNELLO_DEFAULT_SKIN_FOLDER));
    QFile m3u(home.filePath("tarnello.m3u"));
    if (!m3u.open(QIODevice::WriteOnly)) return;
    QByteArray text = "#EXTM3U\n";
    for (int i = 0; i < kRows; ++i) {
      text += "#EXTINF:" + QByteArray::number(180 + i % 300) + ",Artist " + QByteArray::number(i % 97) +
              " - Title " + QByteArray::number(i) + "\n";
      text += "/home/user/Music/Artist " + QByteArray::number(i % 97) + "/Album " + QByteArray::number(i % 13) +
              "/" + QByteArray::number(i) + " - Track.mp3\n";
    }
    m3u.write(text);
  }
  ~Fixture() {
    PublishPlayOrder(nullptr);
    qunsetenv("TARNELLO_HOME");
  }

  // The editor at the size the player's first start gives it beside the others.
  std::unique_ptr<PlaylistEditorWindow> Open() {
    auto editor = std::make_unique<PlaylistEditorWindow>();
    if (!editor->Create(skin, OpenFilter(plugins.BuildOpenFilter()), settings, nullptr, QString())) return nullptr;
    editor->MoveWindow(Rect::FromSize(0, 258, 275, 232));
    editor->Show();
    return editor;
  }

  QTemporaryDir home;
  PlayOrder order{0};
  SkinSet skin{QString()};
  PluginManager plugins{nullptr, QString()};
  SettingsFile settings;
};

// Paints the whole window as the screen would get it.
void Paint(PlaylistEditorWindow& editor) { benchmark::DoNotOptimize(editor.Widget()->grab()); }

void Mouse(Window& w, QEvent::Type type, Point client) {
  QWidget* widget = w.Widget();
  const QPointF local(client.x, client.y);
  const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
  const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
  QMouseEvent e(type, local, widget->mapToGlobal(local), button, held, Qt::NoModifier);
  QApplication::sendEvent(widget, &e);
}

void EditorStartup100k(benchmark::State& state) {
  Fixture f;
  for (auto _ : state) {
    std::unique_ptr<PlaylistEditorWindow> editor = f.Open();
    if (!editor || editor->GetPlaylist().GetCount() != kRows) {
      state.SkipWithError("the list did not load");
      break;
    }
    Paint(*editor);
    state.PauseTiming();
    editor.reset();
    QCoreApplication::processEvents();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(EditorStartup100k)->Unit(benchmark::kMillisecond);

void EditorScrollPages100k(benchmark::State& state) {
  Fixture f;
  std::unique_ptr<PlaylistEditorWindow> editor = f.Open();
  if (!editor) {
    state.SkipWithError("no editor");
    return;
  }
  PlaylistListControl& list = editor->List();
  const int page = list.RowsPerPage();
  int64_t pages = 0;
  for (auto _ : state) {
    for (int top = 0; top < kRows; top += page) {
      list.ScrollTo(top);
      Paint(*editor);
      ++pages;
    }
    if (list.TopRow() != kRows - page) state.SkipWithError("the list did not reach its end");
    list.ScrollTo(0);
  }
  state.SetItemsProcessed(pages);
  state.counters["pages"] = double(pages) / double(state.iterations());
}
BENCHMARK(EditorScrollPages100k)->Unit(benchmark::kMillisecond);

// Pressed on the top row and held below the list: every move scrolls one row and
// carries the row one place down; the list is painted after each step.
void EditorDragRow1000(benchmark::State& state) {
  Fixture f;
  std::unique_ptr<PlaylistEditorWindow> editor = f.Open();
  if (!editor) {
    state.SkipWithError("no editor");
    return;
  }
  PlaylistListControl& list = editor->List();
  const int below = list.GetClientRect().Height() + 5;
  for (auto _ : state) {
    const QString dragged = editor->GetPlaylist().GetPath(0);
    Mouse(list, QEvent::MouseButtonPress, {40, 3});
    Mouse(list, QEvent::MouseMove, {40, 10});
    for (int i = 0; i < kDragSteps; ++i) {
      Mouse(list, QEvent::MouseMove, {40, below});
      list.Widget()->repaint();
    }
    Mouse(list, QEvent::MouseButtonRelease, {40, below});
    state.PauseTiming();
    const int at = editor->GetPlaylist().GetSelectionMark();
    if (at < kDragSteps || editor->GetPlaylist().GetPath(at) != dragged) state.SkipWithError("the row was not carried");
    // Back to the top for the next round, outside the timing.
    while (editor->GetPlaylist().GetSelectionMark() > 0) {
      const int s = editor->GetPlaylist().GetSelectionMark();
      editor->GetPlaylist().MoveRow(s, s - 1);
    }
    list.ScrollTo(0);
    QCoreApplication::processEvents();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kDragSteps);
}
BENCHMARK(EditorDragRow1000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  // Widgets need the application object; without a display they draw offscreen.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // The offscreen platform warns at every pointer capture of the drag.
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type != QtWarningMsg && type != QtDebugMsg) fprintf(stderr, "%s\n", qPrintable(text));
  });
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
