#include "playback/OpenFilter.h"

namespace {
// Removes white space at both ends and, if anything is left (and, with distinct,
// not already there), keeps the pattern.
void FinishPattern(QString& pattern, QStringList& patterns, bool distinct) {
  const QString trimmed = pattern.trimmed();
  if (!trimmed.isEmpty() && !(distinct && patterns.contains(trimmed, Qt::CaseSensitive))) patterns.append(trimmed);
  pattern.clear();
}

QStringList ReadPatterns(const QString& text, bool distinct) {
  QStringList patterns;
  QString pattern;
  bool inPatterns = false;
  for (QChar c : text) {
    if (c == u'|') {
      if (inPatterns) FinishPattern(pattern, patterns, distinct);
      inPatterns = !inPatterns;
    } else if (inPatterns) {
      if (c == u';') FinishPattern(pattern, patterns, distinct);
      else pattern.append(c);
    }
  }
  return patterns;
}
}  // namespace

OpenFilter OpenFilter::ForTypes(const QString& types) {
  QString text = QStringLiteral("All supported types|");
  for (const QString& p : ReadPatterns(types, false)) text += p + u';';
  text += u'|';
  text += types;
  return OpenFilter(std::move(text));
}

QStringList OpenFilter::Patterns() const { return ReadPatterns(text_, false); }

QStringList OpenFilter::DistinctPatterns() const { return ReadPatterns(text_, true); }

QStringList OpenFilter::NameFilters() const {
  const QStringList fields = text_.split(u'|');
  QStringList result;
  for (qsizetype i = 0; i + 1 < fields.size(); i += 2) {
    // Any empty field is a doubled '|', which ends the filter for the dialog.
    const QString& description = fields[i];
    if (description.isEmpty() || fields[i + 1].isEmpty()) break;
    QStringList patterns;
    for (const QString& p : fields[i + 1].split(u';', Qt::SkipEmptyParts))
      if (!p.trimmed().isEmpty()) patterns.append(p.trimmed());
    // Qt reads the patterns from the last parenthesised group of the text.
    result.append(description + QStringLiteral(" (") + patterns.join(u' ') + u')');
  }
  return result;
}
