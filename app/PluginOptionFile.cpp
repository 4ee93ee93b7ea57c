#include "app/PluginOptionFile.h"

#include "app/PlayerOptions.h"
#include "settings/SettingsFile.h"

bool PluginOptionFile::Read(const QString& section, const QString& key, QString& value) const {
  return file_.GetString(section, key, {}, value) != 0;
}

bool PluginOptionFile::Write(const QString& section, const QString& key, const QString& value) {
  for (const QString& own : {PlayerOptions::kSection, PlayerOptions::kButtonsSection})
    if (section.compare(own, Qt::CaseInsensitive) == 0) return false;
  return file_.WriteString(section, key, value) != 0;
}
