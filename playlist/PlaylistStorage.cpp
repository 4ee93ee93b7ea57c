#include "playlist/PlaylistStorage.h"

#include <QFileInfo>

#include "playlist/CueSheet.h"
#include "playlist/Playlist.h"
#include "playlist/PlsFile.h"
#include "settings/SettingsFile.h"

bool LoadPlaylist(Playlist& playlist, const QString& path, Window* owner, ListOrigin origin) {
  PlaylistFile file;
  if (!file.ReadM3u(path, owner, origin)) return false;
  for (const PlaylistFileEntry& entry : file.entries) playlist.AddEntry(entry.length, entry.title, entry.path);
  return true;
}

bool SavePlaylist(const Playlist& playlist, const QString& path) {
  PlaylistFile file;
  file.entries.reserve(size_t(playlist.GetCount()));
  for (int row = 0; row < playlist.GetCount(); ++row) {
    const PlaylistEntry& entry = playlist.Row(row);
    const int length = entry.lengthText.isEmpty() ? -1 : ParseDecimal(entry.lengthText);
    file.entries.push_back({length, entry.title, entry.path});
  }
  return file.WriteM3u(path);
}

namespace {
QString Suffix(const QString& path) { return path.mid(path.lastIndexOf('.') + 1).toLower(); }
}  // namespace

bool IsListFile(const QString& path) {
  if (path.lastIndexOf('.') <= path.lastIndexOf('/')) return false;
  const QString suffix = Suffix(path);
  return suffix == u"m3u" || suffix == u"m3u8" || suffix == u"pls" || suffix == u"cue";
}

bool AddListFile(Playlist& playlist, const QString& path, Window* owner) {
  if (IsListFile(path) && Suffix(path) == u"pls") return ReadPls(playlist, path, true);
  if (IsListFile(path) && Suffix(path) == u"cue") return CueSheet::AddToPlaylist(playlist, path) >= 0;
  return LoadPlaylist(playlist, path, owner, ListOrigin::Opened);
}
