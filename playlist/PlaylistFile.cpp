#include "playlist/PlaylistFile.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>

#include "platform/LegacyText.h"
#include "platform/MessageBox.h"
#include "platform/System.h"
#include "playlist/Playlist.h"
#include "playlist/RowText.h"
#include "settings/RegularFile.h"
#include "settings/SafeFile.h"
#include "settings/SettingsFile.h"

namespace {
constexpr QStringView kHeader = u"#EXTM3U";
constexpr QStringView kInfo = u"#EXTINF:";

// True when a path goes to a path line as a "file:" URI: no line can carry it, or
// the reader would take it for a directive or for the URI it is not.
bool NeedsUriLine(const QString& path) {
  return NeedsFileUri(path) || path.startsWith('#') || path.contains(kInfo) || path.contains(kHeader) ||
         !FileUriToPath(path).isEmpty();
}

// Reads the next line of file into buffer, without its '\n' and the carriage
// returns before it; false at the end. A line longer than the limit is read to its
// end in pieces (never past the byte bound) and handed back empty.
bool ReadLine(QFile& file, QByteArray& buffer, QByteArrayView& line) {
  qint64 n = file.readLine(buffer.data(), buffer.size());
  if (n <= 0) return false;
  if (buffer[n - 1] == '\n') {
    --n;
  } else if (n > PlaylistFile::kMaxLineBytes) {
    while (n > 0 && buffer[n - 1] != '\n' && file.pos() < PlaylistFile::kMaxReadBytes)
      n = file.readLine(buffer.data(), buffer.size());
    n = 0;
  }
  while (n > 0 && buffer[n - 1] == '\r') --n;
  line = QByteArrayView(buffer.constData(), n);
  return true;
}

// The state of one read: the entry being assembled from an info line and the
// path line after it, and what was seen so far.
class ListReader {
 public:
  ListReader(std::vector<PlaylistFileEntry>& entries, Window* owner, ListOrigin origin, const QString& path)
      : entries_(entries), owner_(owner), opened_(origin == ListOrigin::Opened) {
    if (opened_) folder_ = QFileInfo(path).absolutePath();
  }

  bool Full() const { return entries_.size() >= PlaylistFile::kMaxEntries; }

  // Lines that cannot change the entries need no decoding: '\n', '#' and the
  // directives are ASCII, which no other byte decodes to.
  bool CanMatter(QByteArrayView line) const {
    if (line.isEmpty()) return false;
    if (line.contains("#EXTM3U")) return true;
    if (!headerSeen_) return opened_ && !line.startsWith('#') && plain_.size() < PlaylistFile::kMaxEntries;
    return !line.startsWith('#') || line.contains("#EXTINF:");
  }

  // line is the decoded text of bytes (empty: the text is all there is).
  void Parse(QStringView line, QByteArrayView bytes = {}) {
    if (line.contains(kHeader)) {
      headerSeen_ = true;
      plain_.clear();
      return;
    }
    if (!headerSeen_) return KeepPlain(line, bytes);
    const qsizetype info = line.indexOf(kInfo);
    if (info >= 0) return ParseInfo(line, info);
    // Other directives and comments ("#EXTVLCOPT:...", "# ...") are not paths.
    if (line.startsWith('#') || line.size() > PlaylistFile::kMaxTextLength) return;
    // A path after a path: the earlier one becomes an entry of its own (without info).
    if (!pending_.path.isEmpty()) Flush();
    pending_.path = PathOfLine(line, bytes);
  }

  // At the end of the file; false when the last entry found no room.
  bool Finish() {
    if (!headerSeen_ && opened_) {
      entries_ = std::move(plain_);
      return true;
    }
    if (pending_.IsEmpty()) return true;
    if (Full()) return false;
    Flush();
    return true;
  }

 private:
  struct Pending {
    QString lengthText;
    QString title;
    QString path;
    bool IsEmpty() const { return lengthText.isEmpty() && title.isEmpty() && path.isEmpty(); }
  };

  void ParseInfo(QStringView line, qsizetype info) {
    Flush();
    const qsizetype start = info + kInfo.size();
    const qsizetype comma = line.indexOf(',', start);
    if (comma < 0) {
      // One box for a file, however many lines are broken.
      if (!syntaxErrorShown_) ShowMessageBox(owner_, QStringLiteral("M3U syntax error!"));
      syntaxErrorShown_ = true;
      return;
    }
    if (line.size() - comma - 1 > PlaylistFile::kMaxTextLength || comma - start > PlaylistFile::kMaxTextLength) return;
    pending_.lengthText = line.mid(start, comma - start).toString();
    pending_.title = CleanTitle(line.mid(comma + 1));
  }

  // A list without "#EXTM3U" names one path a line; comments are skipped.
  void KeepPlain(QStringView line, QByteArrayView bytes) {
    if (line.startsWith('#') || line.trimmed().isEmpty() || line.size() > PlaylistFile::kMaxTextLength) return;
    if (plain_.size() >= PlaylistFile::kMaxEntries) return;
    const QString path = PathOfLine(line, bytes);
    plain_.push_back({-1, CleanTitle(Playlist::TitleFromPath(path)), path});
  }

  // The path a path line names. The own list holds paths as written, and a
  // "file:" URI only for a path no line can carry; an opened list's "file:" URIs
  // are paths, and its relative paths start at the list's folder.
  QString LocalPath(QStringView line) const {
    if (opened_) return ResolveListPath(line, folder_);
    const QString path = FileUriToPath(line);
    return !path.isEmpty() && NeedsUriLine(path) ? path : line.toString();
  }

  // A line that is not UTF-8 is read in a legacy code page, unless only its bytes
  // as they are name an existing file (a name written on this system in another
  // code page, which the player keeps byte for byte).
  QString PathOfLine(QStringView line, QByteArrayView bytes) const {
    const QString path = LocalPath(line);
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; })) return path;
    const QString raw = PathFromBytes(bytes);
    if (!HasRawBytes(raw) || raw.size() > PlaylistFile::kMaxTextLength) return path;
    const QString rawPath = LocalPath(raw);
    return KindOfPath(path) == PathKind::None && KindOfPath(rawPath) != PathKind::None ? rawPath : path;
  }

  void Flush() {
    if (pending_.IsEmpty()) return;
    entries_.push_back({ParseDecimal(pending_.lengthText), pending_.title, pending_.path});
    pending_ = Pending{};
  }

  std::vector<PlaylistFileEntry>& entries_;
  std::vector<PlaylistFileEntry> plain_;  // a header-less opened list, until a header shows up
  Window* owner_;
  bool opened_;
  QString folder_;
  Pending pending_;
  bool headerSeen_ = false;
  bool syntaxErrorShown_ = false;
};

// Reads the UTF-8 lines of file (a line that is not UTF-8 in the legacy code page
// detected in such lines); false when it stopped at a bound
// before the end. Lines are taken whole up to the limit: a path split at some
// buffer size would come back as a different file. '\n' is never part of a UTF-8
// sequence, so decoding line by line reads the same text as decoding the whole file.
bool ReadBytes(QFile& file, ListReader& reader) {
  QByteArray buffer(PlaylistFile::kMaxLineBytes + 2, Qt::Uninitialized);
  QByteArrayView bytes;
  LegacyTextDecoder decoder(&file);
  while (!reader.Full() && file.pos() < PlaylistFile::kMaxReadBytes) {
    if (!ReadLine(file, buffer, bytes)) return true;
    if (reader.CanMatter(bytes)) reader.Parse(decoder.Decode(bytes), bytes);
  }
  return file.atEnd();
}

// Reads a UTF-16 file after its byte order mark; false when it stopped at a bound.
bool ReadUtf16(QFile& file, ListReader& reader, bool bigEndian) {
  QByteArray bytes = file.read(PlaylistFile::kMaxReadBytes + 1);
  bool whole = bytes.size() <= PlaylistFile::kMaxReadBytes;
  if (!whole) bytes.truncate(PlaylistFile::kMaxReadBytes);
  QStringDecoder decoder(bigEndian ? QStringConverter::Utf16BE : QStringConverter::Utf16LE,
                         QStringConverter::Flag::Stateless);
  const QString text = decoder.decode(bytes);
  for (QStringView line : QStringView(text).split('\n')) {
    while (line.endsWith('\r')) line.chop(1);
    if (line.isEmpty()) continue;
    if (reader.Full()) return false;
    reader.Parse(line);
  }
  return whole;
}
}  // namespace

bool PlaylistFile::ReadM3u(const QString& path, Window* owner, ListOrigin origin) {
  entries.clear();
  readWhole = true;
  QFile file;
  const RegularFileOpen opened = OpenRegularFile(file, path);
  if (opened != RegularFileOpen::Opened) {
    readWhole = opened == RegularFileOpen::Missing;
    return false;
  }
  ListReader reader(entries, owner, origin, path);
  const QByteArray head = file.peek(3);
  if (head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF")) {
    file.skip(2);
    readWhole = ReadUtf16(file, reader, head.startsWith("\xFE\xFF"));
  } else {
    if (head == "\xEF\xBB\xBF") file.skip(3);
    readWhole = ReadBytes(file, reader);
  }
  if (!reader.Finish()) readWhole = false;
  return true;
}

namespace {
// A title as an info line holds it: on one line, and never read as the header.
QString TitleLine(const QString& title) {
  QString text = CleanTitle(title);
  text.replace(kHeader.toString(), QStringLiteral("#EXT M3U"));
  return text;
}

QString PathLine(const QString& path) { return NeedsUriLine(path) ? PathToFileUri(path) : path; }
}  // namespace

bool PlaylistFile::WriteM3u(const QString& path) const {
  QString text = QStringLiteral("#EXTM3U\n");
  for (const PlaylistFileEntry& entry : entries) {
    text += kInfo;
    text += QString::number(entry.length);
    text += ',';
    text += TitleLine(entry.title);
    text += '\n';
    text += PathLine(entry.path);
    text += '\n';
  }
  return ReplaceFileSafely(path, text.toUtf8());
}
