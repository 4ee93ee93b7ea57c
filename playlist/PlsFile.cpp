#include "playlist/PlsFile.h"

#include <QFileInfo>
#include <QHash>
#include <algorithm>

#include "playlist/Playlist.h"
#include "playlist/RowText.h"

namespace {
const QString kSection = QStringLiteral("playlist");

enum class Field { File, Title, Length };

struct PlsEntry {
  QString texts[3];  // by Field
  bool seen[3] = {false, false, false};
};

// The entry number of a key "File%d", "Title%d" or "Length%d" (case-insensitive,
// the number written exactly as "%d" writes it), or 0 for any other key.
int EntryNumber(QStringView key, Field& field) {
  static const struct {
    QStringView prefix;
    Field field;
  } kPrefixes[] = {{u"File", Field::File}, {u"Title", Field::Title}, {u"Length", Field::Length}};
  for (const auto& p : kPrefixes) {
    if (!key.startsWith(p.prefix, Qt::CaseInsensitive)) continue;
    const QStringView digits = key.mid(p.prefix.size());
    if (digits.isEmpty() || digits.size() > 9 || digits[0] == '0') return 0;
    int number = 0;
    for (QChar c : digits) {
      if (c < '0' || c > '9') return 0;
      number = number * 10 + (c.unicode() - '0');
    }
    field = p.field;
    return number;
  }
  return 0;
}

// Section name of a header line, as the settings reader takes it.
QStringView SectionName(QStringView line) {
  const qsizetype close = line.lastIndexOf(']');
  const qsizetype open = line.indexOf('[');
  const qsizetype start = open < 0 ? 0 : open + 1;
  return start <= close ? line.mid(start, close - start) : QStringView();
}
}  // namespace

int PlsFile::AppendTo(Playlist& playlist, const QString& folder) const {
  QString countText;
  GetString(kSection, QStringLiteral("NumberOfEntries"), QStringLiteral("-1"), countText);
  const int count = ParseDecimal(countText);
  if (count < 1) return 0;

  // One pass over the section instead of three look-ups per entry. As in a
  // look-up, the first line of a key wins, in every block of the section. Every
  // entry up to the count is added, those without keys with empty texts, but never
  // more than kMaxEntries: a count of two billion must not add two billion rows.
  const int last = std::min(count, kMaxEntries);
  QHash<int, PlsEntry> found;
  bool inSection = false;
  for (const QString& line : Lines()) {
    if (line.contains(']')) {
      inSection = SectionName(line).compare(kSection, Qt::CaseInsensitive) == 0;
      continue;
    }
    const qsizetype eq = line.indexOf('=');
    if (!inSection || eq < 0) continue;
    Field field;
    const int number = EntryNumber(QStringView(line).left(eq), field);
    if (number < 1 || number > last) continue;
    PlsEntry& entry = found[number];
    const int f = int(field);
    if (!entry.seen[f]) entry.texts[f] = line.mid(eq + 1);
    entry.seen[f] = true;
  }

  for (int i = 1; i <= last; ++i) {
    const PlsEntry entry = found.value(i);
    const QString& length = entry.texts[int(Field::Length)];
    const QString& file = entry.texts[int(Field::File)];
    playlist.AddEntry(ParseDecimal(length), entry.texts[int(Field::Title)],
                      folder.isEmpty() ? file : ResolveListPath(file, folder));
  }
  return last;
}

bool ReadPls(Playlist& playlist, const QString& path, bool opened) {
  PlsFile file;
  if (!file.LoadFromFile(path, kMaxPlsBytes)) return false;
  file.AppendTo(playlist, opened ? QFileInfo(path).absolutePath() : QString());
  return true;
}
