#include "playlist/AddFolder.h"

#include <algorithm>
#include <set>
#include <sys/stat.h>
#include <utility>

#include "platform/FileNames.h"
#include "platform/System.h"
#include "playlist/CueSheet.h"
#include "playlist/Playlist.h"

namespace {
QStringView FromLastDot(const QString& text) {
  const qsizetype dot = text.lastIndexOf(u'.');
  return dot < 0 ? QStringView(text) : QStringView(text).mid(dot);
}

// A folder's identity on disk, whatever name or link leads to it.
using FolderId = std::pair<dev_t, ino_t>;

struct FolderWalk {
  Playlist& playlist;
  const QStringList& patterns;
  bool recurse;
  std::set<FolderId> visited;
  int added = 0;

  // False when the folder cannot be examined or has been walked already.
  bool FirstVisit(const QString& folder) {
    struct stat info;
    const QByteArray native = folder.isEmpty() ? QByteArray("/") : Platform::PathToBytes(folder);
    if (stat(native.constData(), &info) != 0) return false;
    return visited.insert({info.st_dev, info.st_ino}).second;
  }

  void Walk(const QString& folder) {
    if (!FirstVisit(folder)) return;
    const QString listed = folder.isEmpty() ? QStringLiteral("/") : folder;
    for (const Platform::FolderEntry& entry : Platform::ListFolder(listed)) {
      const QString path = folder + u'/' + entry.name;
      if (entry.isFolder) {
        if (recurse) Walk(path);
        continue;
      }
      // A cue sheet brings its tracks; the audio file it cuts is added as any file.
      if (CueSheet::IsCueSheet(entry.name)) added += std::max(0, CueSheet::AddToPlaylist(playlist, path));
      for (const QString& pattern : patterns) {
        if (!MatchesPattern(entry.name, pattern)) continue;
        playlist.AddFile(path);
        ++added;
      }
    }
  }
};
}  // namespace

bool MatchesPattern(const QString& name, const QString& pattern) {
  return FromLastDot(name).compare(FromLastDot(pattern), Qt::CaseInsensitive) == 0;
}

int AddFolderFiles(Playlist& playlist, const QString& folder, const QStringList& patterns, bool recurse) {
  // "/music/" names the same folder as "/music", and "/" the root, whose path is empty.
  QString start = folder;
  while (start.endsWith(u'/')) start.chop(1);
  FolderWalk walk{playlist, patterns, recurse, {}, 0};
  walk.Walk(start);
  return walk.added;
}
