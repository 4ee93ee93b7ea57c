#include "skin/WindowPlacement.h"

#include "settings/Options.h"

namespace Placement {

Rect Read(const SettingsFile& settings, const WindowPlacement& place, int desktopWidth, int desktopHeight) {
  using Options::ReadInt;
  const int x = Options::BoundCoordinate(ReadInt(settings, place.Key("x"), place.x));
  const int y = Options::BoundCoordinate(ReadInt(settings, place.Key("y"), place.y));
  const int width = Options::BoundSize(ReadInt(settings, place.Key("width"), place.width), 1, desktopWidth);
  const int height = Options::BoundSize(ReadInt(settings, place.Key("height"), place.height), 1, desktopHeight);
  return Rect::FromSize(x, y, width, height);
}

void Write(SettingsFile& settings, const WindowPlacement& place, const Rect& rect, bool shown) {
  using Options::WriteInt;
  if (place.keepsShown) WriteInt(settings, place.Key("Visible"), shown ? 1 : 0);
  WriteInt(settings, place.Key("x"), rect.left);
  WriteInt(settings, place.Key("y"), rect.top);
  WriteInt(settings, place.Key("width"), rect.Width());
  WriteInt(settings, place.Key("height"), rect.Height());
}

bool ReadShown(const SettingsFile& settings, const WindowPlacement& place) {
  return Options::ReadInt(settings, place.Key("Visible"), 1) != 0;
}

}  // namespace Placement
