#include "playlist/RowText.h"

#include <QDir>
#include <sys/stat.h>

namespace {
using Platform::IsRawByte;
constexpr char16_t kRawByteBase = 0xDC00;

bool IsControl(char16_t c) { return c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0); }
}  // namespace

QString CleanTitle(QStringView title) {
  QString text = title.toString();
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    if (IsControl(c)) {
      text[i] = ' ';
    } else if (IsRawByte(text, i)) {
      text[i] = QChar(char16_t(c - kRawByteBase));
      if (IsControl(text[i].unicode())) text[i] = ' ';
    }
  }
  return text;
}

bool NeedsFileUri(QStringView path) {
  for (QChar c : path)
    if (c.unicode() < 0x20 || c.unicode() == 0x7F) return true;
  return HasRawBytes(path);
}

QString PathToFileUri(QStringView path) {
  // A relative path keeps no "//": "file:" and the encoded path.
  const QString scheme = path.startsWith('/') ? QStringLiteral("file://") : QStringLiteral("file:");
  return scheme + QString::fromLatin1(PathToBytes(path).toPercentEncoding("/"));
}

QString FileUriToPath(QStringView uri) {
  if (!uri.startsWith(u"file:", Qt::CaseInsensitive)) return QString();
  QStringView rest = uri.mid(5);
  if (rest.startsWith(u"//")) {
    rest = rest.mid(2);
    const qsizetype slash = rest.indexOf('/');
    if (slash < 0) return QString();
    const QStringView host = rest.left(slash);
    if (!host.isEmpty() && host.compare(u"localhost", Qt::CaseInsensitive) != 0) return QString();
    rest = rest.mid(slash);
  }
  if (rest.isEmpty()) return QString();
  return PathFromBytes(QByteArray::fromPercentEncoding(rest.toUtf8()));
}

QString ResolveListPath(QStringView line, const QString& folder) {
  if (line.isEmpty()) return QString();
  QString path = FileUriToPath(line);
  if (path.isEmpty()) {
    if (line.contains(u"://")) return line.toString();
    path = line.toString();
  }
  if (path.startsWith('/')) return path;
  return QDir::cleanPath(folder + '/' + path);
}

PathKind KindOfPath(const QString& path) {
  struct stat info {};
  if (path.isEmpty() || ::stat(PathToBytes(path).constData(), &info) != 0) return PathKind::None;
  if (S_ISREG(info.st_mode)) return PathKind::File;
  return S_ISDIR(info.st_mode) ? PathKind::Folder : PathKind::Other;
}
