#include "playlist/PlaylistFile.h"

#include <QFile>

#include "platform/LegacyText.h"
#include "platform/MessageBox.h"
#include "platform/System.h"
#include "settings/SafeFile.h"
#include "settings/SettingsFile.h"

namespace {
constexpr QStringView kHeader = u"#EXTM3U";
constexpr QStringView kInfo = u"#EXTINF:";

// Reads the next line of file into buffer, without its '\n' and the carriage
// returns before it; false at the end. A line longer than the limit is read to its
// end in pieces and handed back empty.
bool ReadLine(QFile& file, QByteArray& buffer, QByteArrayView& line) {
  qint64 n = file.readLine(buffer.data(), buffer.size());
  if (n <= 0) return false;
  if (buffer[n - 1] == '\n') {
    --n;
  } else if (n > PlaylistFile::kMaxLineBytes) {
    while (n > 0 && buffer[n - 1] != '\n') n = file.readLine(buffer.data(), buffer.size());
    n = 0;
  }
  while (n > 0 && buffer[n - 1] == '\r') --n;
  line = QByteArrayView(buffer.constData(), n);
  return true;
}

// Lines that cannot change the entries need no decoding: '\n', '#' and the
// directives are ASCII, which no other byte decodes to.
bool CanMatter(QByteArrayView line, bool headerSeen) {
  if (line.isEmpty()) return false;
  if (line.contains("#EXTM3U")) return true;
  if (!headerSeen) return false;
  return !line.startsWith('#') || line.contains("#EXTINF:");
}
}  // namespace

bool PlaylistFile::ReadM3u(const QString& path, Window* owner) {
  entries.clear();
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  Pending pending;
  bool headerSeen = false;
  // Lines are taken whole up to the limit: a path split at some buffer size would
  // come back as a different file. '\n' is never part of a UTF-8 sequence, so
  // decoding line by line reads the same text as decoding the whole file.
  QByteArray buffer(kMaxLineBytes + 2, Qt::Uninitialized);
  QByteArrayView bytes;
  LegacyTextDecoder decoder(&file);
  while (entries.size() < kMaxEntries && file.pos() < kMaxReadBytes && ReadLine(file, buffer, bytes)) {
    if (!CanMatter(bytes, headerSeen)) continue;
    const QString text = decoder.Decode(bytes);
    ParseLine(text, pending, headerSeen, owner);
  }
  if (entries.size() < kMaxEntries) Flush(pending);
  return true;
}

void PlaylistFile::ParseLine(QStringView line, Pending& pending, bool& headerSeen, Window* owner) {
  if (line.contains(kHeader)) {
    headerSeen = true;
    return;
  }
  if (!headerSeen) return;
  const qsizetype info = line.indexOf(kInfo);
  if (info >= 0) {
    Flush(pending);
    const qsizetype start = info + kInfo.size();
    const qsizetype comma = line.indexOf(',', start);
    if (comma < 0) {
      ShowMessageBox(owner, QStringLiteral("M3U syntax error!"));
      return;
    }
    if (line.size() - comma - 1 > kMaxTextLength || comma - start > kMaxTextLength) return;
    pending.lengthText = line.mid(start, comma - start).toString();
    pending.title = line.mid(comma + 1).toString();
    return;
  }
  // Other directives and comments ("#EXTVLCOPT:...", "# ...") are not paths.
  if (line.startsWith('#') || line.size() > kMaxTextLength) return;
  // A path after a path: the earlier one becomes an entry of its own (without info).
  if (!pending.path.isEmpty()) Flush(pending);
  pending.path = line.toString();
}

void PlaylistFile::Flush(Pending& pending) {
  if (pending.IsEmpty()) return;
  entries.push_back({ParseDecimal(pending.lengthText), pending.title, pending.path});
  pending = Pending{};
}

bool PlaylistFile::WriteM3u(const QString& path) const {
  QString text = QStringLiteral("#EXTM3U\n");
  for (const PlaylistFileEntry& entry : entries) {
    text += kInfo;
    text += QString::number(entry.length);
    text += ',';
    text += entry.title;
    text += '\n';
    text += entry.path;
    text += '\n';
  }
  return ReplaceFileSafely(path, text.toUtf8());
}
