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

// The entries of an M3U file, in file order. Lives only while a file is read or
// written; the Playlist rows are the lasting copy. Files are UTF-8 with '\n' line
// ends; a '\r' before the '\n' is dropped, and a line that is not valid UTF-8 is
// read in the legacy code page detected in such lines (Latin-1 when none fits), so
// an old file keeps its entries and their texts.
//
// Reading is bounded, so any file found on a disk loads in bounded memory: a path
// or title longer than kMaxTextLength characters (a line longer than kMaxLineBytes)
// is skipped with its line, and reading ends after kMaxEntries entries or
// kMaxReadBytes bytes, keeping what came before. Whatever the reader returns,
// the writer writes in lines the reader takes back whole.
class PlaylistFile {
 public:
  static constexpr qsizetype kMaxTextLength = 32 * 1024;
  // A UTF-8 character of a text takes at most 3 bytes per UTF-16 unit; room for the info.
  static constexpr qint64 kMaxLineBytes = 3 * kMaxTextLength + 64;
  static constexpr size_t kMaxEntries = 250000;
  static constexpr qint64 kMaxReadBytes = 64 * 1024 * 1024;

  // Replaces the entries with the file's. False when the file cannot be opened.
  // A malformed "#EXTINF:" line shows "M3U syntax error!" (owned by owner) and is skipped.
  bool ReadM3u(const QString& path, Window* owner = nullptr);
  // Writes "#EXTM3U" and an info line and a path line per entry. The old file is
  // replaced only once the new one is complete. False when it cannot be written.
  bool WriteM3u(const QString& path) const;

  std::vector<PlaylistFileEntry> entries;

 private:
  // Entry being assembled from an info line and the path line after it.
  struct Pending {
    QString lengthText;
    QString title;
    QString path;
    bool IsEmpty() const { return lengthText.isEmpty() && title.isEmpty() && path.isEmpty(); }
  };
  void ParseLine(QStringView line, Pending& pending, bool& headerSeen, Window* owner);
  void Flush(Pending& pending);
};
