#include "playlist/ListCommands.h"

#include <QFileInfo>
#include <algorithm>
#include <numeric>
#include <utility>
#include <vector>

#include "platform/System.h"
#include "platform/TrackInfo.h"
#include "playlist/CueSheet.h"
#include "playlist/Playlist.h"
#include "playlist/UrlDownload.h"

namespace ListCommands {
namespace {
std::vector<int> Identity(const Playlist& playlist) {
  std::vector<int> order(size_t(playlist.GetCount()));
  std::iota(order.begin(), order.end(), 0);
  return order;
}

// A text, and where in its file a cue sheet's track starts (0 for a whole file).
using SortKey = std::pair<QString, double>;

SortKey PathKey(const QString& path) {
  const QString file = CueSheet::FileOfPath(path);
  // The tracks of one file keep the order they play in, "#t=10" after "#t=2.4".
  return {file, file.size() == path.size() ? 0.0 : path.mid(file.size() + 3).section(u',', 0, 0).toDouble()};
}

template <typename Key>
void SortBy(Playlist& playlist, Key key) {
  std::vector<int> order = Identity(playlist);
  std::vector<SortKey> keys;
  keys.reserve(order.size());
  for (int row : order) keys.push_back(key(playlist.Row(row)));
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    const SortKey& x = keys[size_t(a)];
    const SortKey& y = keys[size_t(b)];
    const int c = x.first.compare(y.first, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : x.second < y.second;
  });
  playlist.Reorder(order);
}
}  // namespace

bool IsUrl(const QString& location) { return NamesScheme(location); }

void SortByTitle(Playlist& playlist) {
  SortBy(playlist, [](const PlaylistEntry& e) { return SortKey{e.title, 0.0}; });
}

void SortByFileName(Playlist& playlist) {
  SortBy(playlist, [](const PlaylistEntry& e) {
    SortKey key = PathKey(e.path);
    key.first = Playlist::TitleFromPath(key.first);
    return key;
  });
}

void SortByPath(Playlist& playlist) {
  SortBy(playlist, [](const PlaylistEntry& e) { return PathKey(e.path); });
}

void Reverse(Playlist& playlist) {
  std::vector<int> order = Identity(playlist);
  std::reverse(order.begin(), order.end());
  playlist.Reorder(order);
}

void Randomize(Playlist& playlist, const std::function<uint32_t()>& random) {
  std::vector<int> order = Identity(playlist);
  // Fisher-Yates: every order equally likely.
  for (size_t i = order.size(); i > 1; --i) {
    const uint32_t r = random ? random() : Platform::Random();
    std::swap(order[i - 1], order[r % i]);
  }
  playlist.Reorder(order);
}

int RemoveDeadFiles(Playlist& playlist) {
  int removed = 0;
  // From the end, so the rows still to check keep their numbers.
  for (int row = playlist.GetCount() - 1; row >= 0; --row) {
    const QString path = playlist.GetPath(row);
    // A cue sheet's track lives as long as its audio file.
    if (path.isEmpty() || IsUrl(path) || QFileInfo::exists(CueSheet::FileOfPath(path))) continue;
    if (playlist.RemoveRow(row)) ++removed;
  }
  return removed;
}

bool ApplyTrackInfo(Playlist& playlist, int row, const TrackInfo& info) {
  if (row < 0 || row >= playlist.GetCount()) return false;
  const QString title = info.DisplayTitle();
  if (!title.isEmpty()) playlist.SetTitle(row, title);
  if (info.lengthMs > 0) playlist.SetLength(row, (info.lengthMs + 500) / 1000);
  return true;
}

}  // namespace ListCommands
