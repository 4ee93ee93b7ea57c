#pragma once
#include <QString>

class SettingsFile;

// Section and defaults of the main window's options in "tarnello.txt".
namespace PlayerOptions {
inline const QString kSection = QStringLiteral("tarnello");
inline const QString kButtonsSection = QStringLiteral("buttons");
inline const QString kFileName = QStringLiteral("tarnello.txt");

// Reads key of section "tarnello" as a decimal number, defaultValue when absent.
int ReadInt(const SettingsFile& settings, const QString& key, int defaultValue);
// Writes value formatted "%d" into section "tarnello".
void WriteInt(SettingsFile& settings, const QString& key, int value);
}  // namespace PlayerOptions
