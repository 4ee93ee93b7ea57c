#include "settings/SettingsFile.h"

#include <QFile>
#include <limits>

#include "platform/System.h"
#include "settings/RegularFile.h"
#include "settings/SafeFile.h"

namespace {
bool IsHeader(const QString& line) { return line.contains(']'); }

// Text after the first '[' and before the last ']'; without '[', all text before the last ']'.
QString SectionName(const QString& line) {
  const qsizetype close = line.lastIndexOf(']');
  const qsizetype open = line.indexOf('[');
  const qsizetype start = open < 0 ? 0 : open + 1;
  return start <= close ? line.mid(start, close - start) : QString();
}

bool SameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

bool IsHeaderOf(const QString& line, const QString& section) {
  return IsHeader(line) && SameName(SectionName(line), section);
}

bool KeyMatches(const QString& line, const QString& key) {
  const qsizetype eq = line.indexOf('=');
  return eq >= 0 && SameName(line.left(eq), key);
}
// Up to limit bytes of file, without reserving room for the limit: a file that
// grew past its size, or a device that never ends, still stops there.
QByteArray ReadAtMost(QFile& file, qint64 limit) {
  QByteArray bytes;
  char buffer[16384];
  while (bytes.size() < limit) {
    const qint64 n = file.read(buffer, std::min<qint64>(sizeof buffer, limit - bytes.size()));
    if (n <= 0) break;
    bytes.append(buffer, qsizetype(n));
  }
  return bytes;
}
}  // namespace

int SettingsFile::LoadFromFile(const QString& path, qint64 maxBytes) {
  QFile file;
  if (OpenRegularFile(file, path) != RegularFileOpen::Opened) return 0;
  if (file.size() > maxBytes) return 0;
  const QByteArray bytes = ReadAtMost(file, maxBytes + 1);
  if (bytes.size() > maxBytes) return 0;
  const QString text = Platform::DecodeText(bytes);
  // Every line is kept whole, however long: a line cut in two would come back
  // as two lines, the second a key or a header of its own. The file's size
  // bounds the lines.
  for (QStringView line : QStringView(text).split('\n')) {
    // Carriage returns at a line's end are line-end bytes, never text: the
    // file would not give them back once the line is written again.
    while (line.endsWith('\r')) line.chop(1);
    if (!line.isEmpty()) lines_.append(line.toString());
  }
  return 1;
}

int SettingsFile::SaveToFile(const QString& path, qint64 maxBytes) const {
  QByteArray bytes;
  for (const QString& line : lines_) {
    bytes += line.toUtf8();
    bytes += '\n';
  }
  // A file the next start would refuse to read is never written: the old one stays.
  if (bytes.size() > maxBytes) return 0;
  return ReplaceFileSafely(path, bytes) ? 1 : 0;
}

int SettingsFile::GetString(const QString& section, const QString& key, const QString& defaultValue,
                            QString& value) const {
  bool inSection = false;
  for (const QString& line : lines_) {
    if (IsHeader(line)) {
      inSection = SameName(SectionName(line), section);
    } else if (inSection && KeyMatches(line, key)) {
      value = line.mid(line.indexOf('=') + 1);
      return 1;
    }
  }
  value = defaultValue;
  return 0;
}

int SettingsFile::WriteString(const QString& section, const QString& key, const QString& value) {
  if (key.isNull() || value.isNull()) return 0;
  // One line stays one line: a line break in a value (a pasted URL, say) would
  // otherwise add lines of its choosing to the file.
  QString entry = key + '=' + value;
  entry.replace('\r', ' ').replace('\n', ' ');
  bool inSection = false;
  bool sectionFound = false;
  for (qsizetype i = 0; i < lines_.size(); ++i) {
    const QString& line = lines_[i];
    if (IsHeader(line)) {
      if (inSection) {
        lines_.insert(i, entry);
        return 1;
      }
      inSection = SameName(SectionName(line), section);
      sectionFound = sectionFound || inSection;
    } else if (inSection && KeyMatches(line, key)) {
      lines_[i] = entry;
      return 1;
    }
  }
  if (!sectionFound) {
    QString header = '[' + section + ']';
    lines_.append(header.replace('\r', ' ').replace('\n', ' '));
  }
  lines_.append(entry);
  return 1;
}

int SettingsFile::FindHeader(const QString& section) const {
  for (qsizetype i = 0; i < lines_.size(); ++i) {
    if (IsHeaderOf(lines_[i], section)) return int(i);
  }
  return -1;
}

int SettingsFile::CountKeys(const QString& section) const {
  const int header = FindHeader(section);
  if (header < 0) return -1;
  int count = 0;
  for (qsizetype i = header + 1; i < lines_.size() && !IsHeader(lines_[i]); ++i) ++count;
  return count;
}

QString SettingsFile::GetLine(int index, const QString& section) const {
  const int header = FindHeader(section);
  if (header < 0 || index < 0) return QString("");
  const qsizetype i = qsizetype(header) + 1 + index;
  for (qsizetype j = header + 1; j <= i && j < lines_.size(); ++j) {
    if (IsHeader(lines_[j])) return QString("");
  }
  return i < lines_.size() ? lines_[i] : QString("");
}

int SettingsFile::ClearSection(const QString& section) {
  const int header = FindHeader(section);
  if (header < 0) return 1;
  qsizetype end = header + 1;
  while (end < lines_.size() && !IsHeader(lines_[end])) ++end;
  lines_.erase(lines_.begin() + header + 1, lines_.begin() + end);
  return 1;
}

int ParseDecimal(const QString& text) {
  qsizetype i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = std::min<long long>(value * 10 + (text[i].unicode() - '0'), 1LL << 32);
  }
  if (negative) value = -value;
  return int(std::clamp<long long>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}
