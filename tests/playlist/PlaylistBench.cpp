// Costs of the playlist at 100,000 rows: filling it, loading and saving an M3U.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <vector>

#include "playlist/PlayOrder.h"
#include "playlist/Playlist.h"
#include "playlist/PlaylistStorage.h"

namespace {
constexpr int kRows = 100000;

QString PathOf(int i) { return QString("/home/user/Music/Artist %1/Album %2/%3 - Track.mp3").arg(i % 97).arg(i % 13).arg(i); }

void FillRows(Playlist& playlist) {
  for (int i = 0; i < kRows; ++i) playlist.AddEntry(180 + i % 300, QString("Artist %1 - Title %2").arg(i % 97).arg(i), PathOf(i));
}

void AddFile100k(benchmark::State& state) {
  std::vector<QString> paths;
  for (int i = 0; i < kRows; ++i) paths.push_back(PathOf(i));
  for (auto _ : state) {
    PlayOrder order;
    Playlist playlist(order);
    for (const QString& path : paths) playlist.AddFile(path);
    benchmark::DoNotOptimize(playlist.GetCount());
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(AddFile100k)->Unit(benchmark::kMillisecond);

void LoadM3u100k(benchmark::State& state) {
  QTemporaryDir dir;
  const QString path = dir.filePath("big.m3u");
  {
    PlayOrder order;
    Playlist source(order);
    FillRows(source);
    SavePlaylist(source, path);
  }
  for (auto _ : state) {
    PlayOrder order;
    Playlist playlist(order);
    LoadPlaylist(playlist, path);
    if (playlist.GetCount() != kRows) state.SkipWithError("wrong row count");
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(LoadM3u100k)->Unit(benchmark::kMillisecond);

void SaveM3u100k(benchmark::State& state) {
  QTemporaryDir dir;
  PlayOrder order;
  Playlist playlist(order);
  FillRows(playlist);
  for (auto _ : state) {
    if (!SavePlaylist(playlist, dir.filePath("big.m3u"))) state.SkipWithError("save failed");
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(SaveM3u100k)->Unit(benchmark::kMillisecond);

// Removing the first of 100,000 rows renumbers every row after it.
void RemoveFirstRowOf100k(benchmark::State& state) {
  PlayOrder order;
  Playlist playlist(order);
  FillRows(playlist);
  for (auto _ : state) {
    playlist.SelectRow(0);
    playlist.RemoveSelected();
    state.PauseTiming();
    playlist.AddFile(PathOf(0));
    state.ResumeTiming();
  }
}
BENCHMARK(RemoveFirstRowOf100k)->Unit(benchmark::kMillisecond);
}  // namespace

BENCHMARK_MAIN();
