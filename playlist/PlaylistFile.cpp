#include "playlist/PlaylistFile.h"

#include <QFile>
#include <QSaveFile>

#include "platform/MessageBox.h"
#include "platform/System.h"
#include "settings/SettingsFile.h"

namespace {
constexpr QStringView kHeader = u"#EXTM3U";
constexpr QStringView kInfo = u"#EXTINF:";
}  // namespace

bool PlaylistFile::ReadM3u(const QString& path, Window* owner) {
  entries.clear();
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QString text = Platform::DecodeText(file.readAll());
  Pending pending;
  bool headerSeen = false;
  // Lines are taken whole, however long: a path split at some buffer size would
  // come back as a different file.
  for (QStringView line : QStringView(text).split('\n')) {
    if (line.endsWith('\r')) line.chop(1);
    if (line.isEmpty()) continue;
    ParseLine(line, pending, headerSeen, owner);
  }
  Flush(pending);
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
    pending.lengthText = line.mid(start, comma - start).toString();
    pending.title = line.mid(comma + 1).toString();
    return;
  }
  // Other directives and comments ("#EXTVLCOPT:...", "# ...") are not paths.
  if (line.startsWith('#')) return;
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
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
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
  const QByteArray bytes = text.toUtf8();
  if (file.write(bytes) != bytes.size()) return false;
  return file.commit();
}
