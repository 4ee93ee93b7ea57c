#include "playlist/PlsFile.h"

#include <QHash>
#include <algorithm>

#include "playlist/Playlist.h"

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

int PlsFile::AppendTo(Playlist& playlist) const {
  QString countText;
  GetString(kSection, QStringLiteral("NumberOfEntries"), QStringLiteral("-1"), countText);
  const int count = ParseDecimal(countText);
  if (count < 1) return 0;

  // One pass over the section instead of three look-ups per entry. As in a
  // look-up, the first line of a key wins, in every block of the section. An
  // entry number beyond kMaxEntries is not believed either, so the rows added stay
  // bounded: one key "File999999999" must not add a billion empty rows. (Numbers
  // need not be dense: a key "Length6" in a file of five lines is entry 6.)
  const int maxNumber = kMaxEntries;
  QHash<int, PlsEntry> found;
  int highest = 0;
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
    if (number < 1 || number > maxNumber) continue;
    PlsEntry& entry = found[number];
    const int f = int(field);
    if (!entry.seen[f]) entry.texts[f] = line.mid(eq + 1);
    entry.seen[f] = true;
    highest = std::max(highest, number);
  }

  const int last = std::min(count, highest);
  for (int i = 1; i <= last; ++i) {
    const PlsEntry entry = found.value(i);
    const QString& length = entry.texts[int(Field::Length)];
    playlist.AddEntry(ParseDecimal(length), entry.texts[int(Field::Title)], entry.texts[int(Field::File)]);
  }
  return last;
}

bool ReadPls(Playlist& playlist, const QString& path) {
  PlsFile file;
  if (!file.LoadFromFile(path, kMaxPlsBytes)) return false;
  file.AppendTo(playlist);
  return true;
}
