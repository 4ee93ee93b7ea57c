#include "app/FirstStart.h"

#include "settings/Options.h"
#include "settings/SettingsFile.h"

namespace FirstStart {
namespace {
constexpr double kHighDpi = 168;
// Beyond this a screen's physical size is misreported (a monitor without size
// data can claim a few millimetres); such a figure says nothing.
constexpr double kImplausibleDpi = 1000;
constexpr int kHighDensityScale = 200;

// A secondary window of the shipped layout, moved and sized as it would be at
// the new scale around the main window's corner, so docked windows stay docked.
void ScaleWindow(SettingsFile& s, const QString& prefix, int originX, int originY, int from, int to,
                 int defaultY, int defaultHeight) {
  using Options::ReadInt;
  using Options::WriteInt;
  const auto scaled = [from, to](int value) { return int(qint64(value) * to / from); };
  const int x = ReadInt(s, prefix + "_x", 0);
  const int y = ReadInt(s, prefix + "_y", defaultY);
  WriteInt(s, prefix + "_x", Options::BoundCoordinate(originX + scaled(x - originX)));
  WriteInt(s, prefix + "_y", Options::BoundCoordinate(originY + scaled(y - originY)));
  WriteInt(s, prefix + "_width", Options::BoundSize(scaled(ReadInt(s, prefix + "_width", 275)), 1, 0));
  WriteInt(s, prefix + "_height", Options::BoundSize(scaled(ReadInt(s, prefix + "_height", defaultHeight)), 1, 0));
}
}  // namespace

bool IsHighDensity(const Platform::DesktopDensity& d) {
  const auto dense = [](double dpi) { return dpi >= kHighDpi && dpi < kImplausibleDpi; };
  return d.qtScaleFactor >= 2 || d.gdkScale >= 2 || dense(d.logicalDpi) || dense(d.physicalDpi);
}

bool FitShippedOptions(SettingsFile& s, bool highDensity) {
  if (Options::ReadInt(s, kKey, 0) == 0) return false;
  Options::WriteInt(s, kKey, 0);
  const int from = Options::NearestScale(Options::ReadInt(s, "Scale", 100));
  if (!highDensity || from >= kHighDensityScale) return true;
  const int x = Options::BoundCoordinate(Options::ReadInt(s, "Main_x", 0));
  const int y = Options::BoundCoordinate(Options::ReadInt(s, "Main_y", 26));
  Options::WriteInt(s, "Scale", kHighDensityScale);
  ScaleWindow(s, "EQ", x, y, from, kHighDensityScale, 100, 116);
  ScaleWindow(s, "PL", x, y, from, kHighDensityScale, 100, 100);
  return true;
}

}  // namespace FirstStart
