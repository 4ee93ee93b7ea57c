#include "playlist/ListCommands.h"

#include <QFileInfo>
#include <algorithm>
#include <numeric>
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

template <typename Key>
void SortBy(Playlist& playlist, Key key) {
  std::vector<int> order = Identity(playlist);
  std::vector<QString> keys;
  keys.reserve(order.size());
  for (int row : order) keys.push_back(key(playlist.Row(row)));
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    return keys[size_t(a)].compare(keys[size_t(b)], Qt::CaseInsensitive) < 0;
  });
  playlist.Reorder(order);
}
}  // namespace

bool IsUrl(const QString& location) { return NamesScheme(location); }

void SortByTitle(Playlist& playlist) {
  SortBy(playlist, [](const PlaylistEntry& e) { return e.title; });
}

void SortByFileName(Playlist& playlist) {
  SortBy(playlist, [](const PlaylistEntry& e) { return Playlist::TitleFromPath(e.path); });
}

void SortByPath(Playlist& playlist) {
  SortBy(playlist, [](const PlaylistEntry& e) { return e.path; });
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
