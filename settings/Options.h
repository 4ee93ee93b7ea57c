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

// The scales the windows are drawn at, in percent.
inline constexpr int kScales[] = {50, 75, 88, 100, 150, 200};
// A scale read from the options, made one the windows are drawn at: the nearest
// of kScales (the larger of two equally near), 100 for none at all (0 or below).
// 1 to 49 would give windows too small to reach the menu, thousands windows no
// screen can hold.
int NearestScale(int scale);

// A window's place or size read from the options, kept inside what a screen can
// show: a size from minimum to the larger of minimum and limit (kMaxCoordinate
// when limit is 0 or below: no screen to measure), a coordinate
// within +-kMaxCoordinate (window systems keep 16-bit coordinates, and the right
// and bottom edges must not overflow).
inline constexpr int kMaxCoordinate = 32767;
int BoundSize(int size, int minimum, int limit);
int BoundCoordinate(int coordinate);
}  // namespace Options
