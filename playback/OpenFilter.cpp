#include "playback/OpenFilter.h"

QStringList OpenFilterToNameFilters(const QString& filter) {
  const QStringList fields = filter.split(u'|');
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
