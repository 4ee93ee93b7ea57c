#include "playlist/PlaylistStorage.h"

#include "playlist/Playlist.h"
#include "playlist/PlaylistFile.h"
#include "settings/SettingsFile.h"

bool LoadPlaylist(Playlist& playlist, const QString& path, Window* owner) {
  PlaylistFile file;
  if (!file.ReadM3u(path, owner)) return false;
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
