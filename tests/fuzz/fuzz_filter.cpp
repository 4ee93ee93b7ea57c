// Any plug-in filter text gives name filters a file dialog can show, one per
// complete description and pattern pair in order, and a pattern list of trimmed,
// distinct patterns that all come from the text.
#include <QSet>
#include <algorithm>
#include <QStringList>

#include "FuzzSupport.h"
#include "platform/System.h"
#include "playback/OpenFilter.h"
#include "playlist/AddFolder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString filter = Platform::DecodeText(Fuzz::Bytes(data, size));
  const QStringList fields = filter.split(u'|');

  const QStringList names = OpenFilter(filter).NameFilters();
  FUZZ_CHECK(names.size() <= fields.size() / 2);
  for (qsizetype i = 0; i < names.size(); ++i) {
    // The pair i: its description first, its patterns in the last parentheses.
    FUZZ_CHECK(!fields[2 * i].isEmpty() && !fields[2 * i + 1].isEmpty());
    FUZZ_CHECK(names[i].startsWith(fields[2 * i] + QStringLiteral(" (")) && names[i].endsWith(u')'));
    const QString patterns = names[i].mid(fields[2 * i].size() + 2).chopped(1);
    for (const QString& p : patterns.split(u' ', Qt::SkipEmptyParts)) FUZZ_CHECK(fields[2 * i + 1].contains(p));
  }
  // Ended by the first empty field: a pair after it never shows.
  qsizetype complete = 0;
  while (2 * complete + 1 < fields.size() && !fields[2 * complete].isEmpty() && !fields[2 * complete + 1].isEmpty())
    ++complete;
  FUZZ_CHECK(names.size() == complete);

  const QStringList patterns = OpenFilter(filter).DistinctPatterns();
  FUZZ_CHECK(QSet<QString>(patterns.begin(), patterns.end()).size() == patterns.size());
  // The distinct patterns are every pattern, repeats left out, in first-seen order.
  QStringList firstSeen;
  for (const QString& p : OpenFilter(filter).Patterns())
    if (!firstSeen.contains(p)) firstSeen.append(p);
  FUZZ_CHECK(firstSeen == patterns);
  for (const QString& p : patterns) {
    FUZZ_CHECK(!p.isEmpty() && p == p.trimmed() && !p.contains(u'|') && !p.contains(u';'));
    FUZZ_CHECK(filter.contains(p));
    FUZZ_CHECK(MatchesPattern(p, p));
    // A name matches by what follows its last dot, ignoring case.
    const qsizetype dot = p.lastIndexOf(u'.');
    const QString extension = p.mid(dot);
    const bool ascii = std::all_of(extension.begin(), extension.end(), [](QChar c) { return c.unicode() < 128; });
    if (dot >= 0 && ascii) FUZZ_CHECK(MatchesPattern(QStringLiteral("name") + p.mid(dot).toUpper(), p));
  }
  return 0;
}
