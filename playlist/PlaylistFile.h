#pragma once
#include <QString>
#include <vector>

class Window;

// One entry of a playlist file while it is read or written.
struct PlaylistFileEntry {
  int length = -1;  // seconds; -1 when unknown
  QString title;
  QString path;
};

// Where a list comes from, which decides how its path lines are taken.
enum class ListOrigin {
  // The player's own "tarnello.m3u": read exactly as written.
  Own,
  // A list the user opens (loaded, dropped, opened from the file manager): a
  // path relative to the list's folder, or a "file:" URI, names a local file,
  // and a list with no "#EXTM3U" line at all is a plain list of paths.
  Opened,
};

// The entries of an M3U file, in file order. Lives only while a file is read or
// written; the Playlist rows are the lasting copy. Files are UTF-8 with '\n' line
// ends; a '\r' before the '\n' is dropped, and a line that is not valid UTF-8 is
// read in the legacy code page detected in such lines (Latin-1 when none fits), so
// an old file keeps its entries and their texts. A file that starts with a UTF-16
// byte order mark is read as UTF-16; a UTF-8 one is skipped.
//
// Reading is bounded, so any file found on a disk loads in bounded memory: a path
// or title longer than kMaxTextLength characters (a line longer than kMaxLineBytes)
// is skipped with its line, and reading ends after kMaxEntries entries or
// kMaxReadBytes bytes, keeping what came before. Only regular files are read.
// Whatever the reader returns, the writer writes in lines the reader takes back
// whole: titles lose their control characters, and a path no line can carry (a
// line break, a byte that is not UTF-8) is written as a "file:" URI.
class PlaylistFile {
 public:
  static constexpr qsizetype kMaxTextLength = 32 * 1024;
  // A UTF-8 character of a text takes at most 3 bytes per UTF-16 unit; room for the info.
  static constexpr qint64 kMaxLineBytes = 3 * kMaxTextLength + 64;
  static constexpr size_t kMaxEntries = 250000;
  static constexpr qint64 kMaxReadBytes = 64 * 1024 * 1024;

  // Replaces the entries with the file's. False when the file cannot be opened
  // (missing, or no regular file). A malformed "#EXTINF:" line is skipped; the
  // first one of the file shows "M3U syntax error!" (owned by owner).
  bool ReadM3u(const QString& path, Window* owner = nullptr, ListOrigin origin = ListOrigin::Own);
  // Writes "#EXTM3U" and an info line and a path line per entry. The old file is
  // replaced only once the new one is complete. False when it cannot be written.
  bool WriteM3u(const QString& path) const;

  std::vector<PlaylistFileEntry> entries;
  // After ReadM3u: false when a file exists at the path but its entries were not
  // all read (no regular file, or cut at a bound); writing the entries over it
  // would lose the rest.
  bool readWhole = true;
};
