#include "settings/Options.h"

#include "settings/SettingsFile.h"

namespace Options {

int ReadInt(const SettingsFile& settings, const QString& key, int defaultValue) {
  QString value;
  settings.GetString(kSection, key, QString::number(defaultValue), value);
  return ParseDecimal(value);
}

void WriteInt(SettingsFile& settings, const QString& key, int value) {
  settings.WriteString(kSection, key, QString::number(value));
}

}  // namespace Options
