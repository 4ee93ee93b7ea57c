// Costs of jumping to a track in a 100,000-row playlist: indexing the rows when
// the dialog opens, and each keystroke of a search typed letter by letter, with
// corrections (the search alone, and the dialog's field with its list redrawn).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QListView>

#include "playlist/JumpDialog.h"
#include "playlist/PlayOrder.h"
#include "playlist/Playlist.h"
#include "playlist/TrackSearch.h"

namespace {
constexpr int kRows = 100000;

// What a user types to find "Artist 42 - Title 4242", a correction included.
const QStringList& Keystrokes() {
  static const QStringList steps = [] {
    QStringList s;
    QString text;
    for (QChar c : QStringLiteral("artist 42 titel")) s.append(text += c);
    text.chop(2);
    s.append(text);
    for (QChar c : QStringLiteral("le 4242")) s.append(text += c);
    return s;
  }();
  return steps;
}

Playlist& Rows() {
  static PlayOrder order;
  static Playlist playlist(order);
  if (playlist.GetCount() == 0) {
    for (int i = 0; i < kRows; ++i) {
      const QString artist = QStringLiteral("Artist %1").arg(i % 97);
      // Every tenth row has accents, as real libraries do.
      const QString title = (i % 10 ? QStringLiteral("Title %1") : QStringLiteral("Títle Été %1")).arg(i);
      playlist.AddEntry(180, artist + " - " + title,
                        QStringLiteral("/home/user/Music/%1/Album %2/%3 - Track.mp3").arg(artist).arg(i % 13).arg(i));
    }
  }
  return playlist;
}

void JumpIndex100k(benchmark::State& state) {
  Playlist& playlist = Rows();
  for (auto _ : state) {
    TrackSearch search;
    search.Index(playlist);
    benchmark::DoNotOptimize(search.RowCount());
  }
}
BENCHMARK(JumpIndex100k)->Unit(benchmark::kMillisecond);

// One keystroke: the mean over the typed sequence.
void JumpFilterPerKeystroke100k(benchmark::State& state) {
  Playlist& playlist = Rows();
  TrackSearch search;
  search.Index(playlist);
  for (auto _ : state) {
    for (const QString& text : Keystrokes()) benchmark::DoNotOptimize(search.Filter(text).size());
    state.PauseTiming();
    if (search.Matches().empty()) state.SkipWithError("nothing found");
    search.Filter(QString());
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * Keystrokes().size());
}
BENCHMARK(JumpFilterPerKeystroke100k)->Unit(benchmark::kMillisecond);

// The worst keystroke: a word no row has, so every row's text is read to its end.
void JumpFullScan100k(benchmark::State& state) {
  Playlist& playlist = Rows();
  TrackSearch search;
  search.Index(playlist);
  for (auto _ : state) {
    benchmark::DoNotOptimize(search.Filter(QStringLiteral("qxz")).size());
    state.PauseTiming();
    search.Filter(QString());  // the next round scans every row again
    state.ResumeTiming();
  }
}
BENCHMARK(JumpFullScan100k)->Unit(benchmark::kMillisecond);

// The dialog: a key into the search field, the list filled and drawn.
void JumpDialogKeystroke100k(benchmark::State& state) {
  Playlist& playlist = Rows();
  JumpDialog dialog(playlist, nullptr);
  dialog.show();
  for (auto _ : state) {
    for (const QString& text : Keystrokes()) {
      dialog.SearchField()->setText(text);
      dialog.List()->viewport()->repaint();
    }
    state.PauseTiming();
    if (dialog.ShownRows().empty()) state.SkipWithError("nothing found");
    dialog.SearchField()->clear();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * Keystrokes().size());
}
BENCHMARK(JumpDialogKeystroke100k)->Unit(benchmark::kMillisecond);
}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
