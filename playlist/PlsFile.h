#pragma once
#include <QString>

#include "settings/SettingsFile.h"

class Playlist;

// A PLS playlist, read with the settings-file reader: section "playlist" with
// "NumberOfEntries" and "File%d", "Title%d", "Length%d" for entries 1 to n.
class PlsFile : public SettingsFile {
 public:
  // Appends entries 1 to "NumberOfEntries" to the playlist (an entry for every
  // number, with empty texts for missing keys), and returns how many. At most
  // kMaxEntries are added, whatever count a downloaded file claims.
  // With a folder (a list the user opened from there), "File%d" values are taken
  // as ResolveListPath takes them.
  int AppendTo(Playlist& playlist, const QString& folder = QString()) const;

  // The most entries a list of kMaxPlsBytes can name: at least 8 bytes an entry.
  static constexpr int kMaxEntries = 1024 * 1024 / 8;
};

// A PLS list is a few lines; a larger file is no PLS list (the download stops there too).
constexpr qint64 kMaxPlsBytes = 1024 * 1024;

// Loads the PLS file at path and appends its entries; false when it cannot be
// opened or is larger than kMaxPlsBytes. An opened list's relative paths and
// "file:" URIs name local files (see AppendTo).
bool ReadPls(Playlist& playlist, const QString& path, bool opened = false);
