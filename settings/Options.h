#pragma once
#include <QString>

class SettingsFile;

// The player's numeric options in section "tarnello" of the settings store:
// decimal text, read with the plain decimal conversion, written with "%d".
namespace Options {
inline const QString kSection = QStringLiteral("tarnello");

// The key's value as a number, defaultValue when the key is absent.
int ReadInt(const SettingsFile& settings, const QString& key, int defaultValue);
void WriteInt(SettingsFile& settings, const QString& key, int value);
}  // namespace Options
