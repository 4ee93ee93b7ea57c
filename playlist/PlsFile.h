#pragma once
#include <QString>

#include "settings/SettingsFile.h"

class Playlist;

// A PLS playlist, read with the settings-file reader: section "playlist" with
// "NumberOfEntries" and "File%d", "Title%d", "Length%d" for entries 1 to n.
class PlsFile : public SettingsFile {
 public:
  // Appends entries 1 to "NumberOfEntries" to the playlist (an entry for every
  // number, with empty texts for missing keys), and returns how many. A count
  // beyond the highest entry number that has any key is not believed, nor an
  // entry number beyond the file's line count: a downloaded file claiming two
  // billion entries adds only the ones it holds.
  int AppendTo(Playlist& playlist) const;
};

// Loads the PLS file at path and appends its entries; false when it cannot be opened.
bool ReadPls(Playlist& playlist, const QString& path);
