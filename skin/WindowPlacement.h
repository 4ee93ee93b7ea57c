#pragma once
#include <QString>

#include "platform/Geometry.h"

class SettingsFile;

// Where the options keep a skinned window's place and size: the keys
// prefix_x, prefix_y, prefix_width and prefix_height, and for a secondary
// window prefix_Visible, with the values taken when a key is absent.
struct WindowPlacement {
  const char* prefix;
  int x, y, width, height;
  // Whether the window writes prefix_Visible when it closes (the main window is
  // always shown, so it keeps no such key).
  bool keepsShown;

  QString Key(const char* field) const { return QString::fromLatin1(prefix) + '_' + QLatin1String(field); }
};

inline constexpr WindowPlacement kMainPlacement{"Main", 0, 26, 275, 116, false};
inline constexpr WindowPlacement kEqualizerPlacement{"EQ", 0, 100, 275, 116, true};
inline constexpr WindowPlacement kPlaylistPlacement{"PL", 0, 100, 275, 100, true};

namespace Placement {
// The stored rectangle, kept on a desktop of the given size: coordinates within
// what window systems hold, sizes from 1 up to the desktop's (a huge stored size
// would allocate its pixels).
Rect Read(const SettingsFile& settings, const WindowPlacement& place, int desktopWidth, int desktopHeight);
// prefix_Visible, when the window keeps it, then the rectangle.
void Write(SettingsFile& settings, const WindowPlacement& place, const Rect& rect, bool shown);
// Whether the window was shown when the player last closed; shown when the
// options do not say.
bool ReadShown(const SettingsFile& settings, const WindowPlacement& place);
}  // namespace Placement
