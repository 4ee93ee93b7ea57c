#include "app/FirstStart.h"

#include "settings/Options.h"
#include "settings/SettingsFile.h"
#include "skin/Scale.h"
#include "skin/WindowPlacement.h"

namespace FirstStart {
namespace {
constexpr double kHighDpi = 168;
// Beyond this a screen's physical size is misreported (a monitor without size
// data can claim a few millimetres); such a figure says nothing.
constexpr double kImplausibleDpi = 1000;
constexpr int kHighDensityScale = 200;

// A secondary window of the shipped layout, moved and sized as it would be at
// the new scale around the main window's corner, so docked windows stay docked.
void ScaleWindow(SettingsFile& s, const WindowPlacement& place, int originX, int originY, int from, int to) {
  using Options::ReadInt;
  using Options::WriteInt;
  const auto scaled = [from, to](int value) { return Rescale(value, from, to); };
  const int x = ReadInt(s, place.Key("x"), place.x);
  const int y = ReadInt(s, place.Key("y"), place.y);
  WriteInt(s, place.Key("x"), Options::BoundCoordinate(originX + scaled(x - originX)));
  WriteInt(s, place.Key("y"), Options::BoundCoordinate(originY + scaled(y - originY)));
  WriteInt(s, place.Key("width"), Options::BoundSize(scaled(ReadInt(s, place.Key("width"), place.width)), 1, 0));
  WriteInt(s, place.Key("height"), Options::BoundSize(scaled(ReadInt(s, place.Key("height"), place.height)), 1, 0));
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
  const int x = Options::BoundCoordinate(Options::ReadInt(s, kMainPlacement.Key("x"), kMainPlacement.x));
  const int y = Options::BoundCoordinate(Options::ReadInt(s, kMainPlacement.Key("y"), kMainPlacement.y));
  Options::WriteInt(s, "Scale", kHighDensityScale);
  ScaleWindow(s, kEqualizerPlacement, x, y, from, kHighDensityScale);
  ScaleWindow(s, kPlaylistPlacement, x, y, from, kHighDensityScale);
  return true;
}

}  // namespace FirstStart
