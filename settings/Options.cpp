#include "settings/Options.h"

#include <algorithm>
#include <cstdlib>

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

int NearestScale(int scale) {
  if (scale <= 0) return 100;
  int nearest = kScales[0];
  for (int candidate : kScales) {
    if (std::abs(candidate - scale) <= std::abs(nearest - scale)) nearest = candidate;
  }
  return nearest;
}

int BoundSize(int size, int minimum, int limit) {
  if (limit <= 0) limit = kMaxCoordinate;  // no screen to measure
  return std::clamp(size, minimum, std::max(minimum, std::min(limit, kMaxCoordinate)));
}

int BoundCoordinate(int coordinate) { return std::clamp(coordinate, -kMaxCoordinate, kMaxCoordinate); }

}  // namespace Options
