#pragma once

namespace Platform {

// How densely the desktop draws, as the desktop itself announces it. 0 where a
// signal is absent.
struct DesktopDensity {
  double qtScaleFactor = 0;  // QT_SCALE_FACTOR
  double gdkScale = 0;       // GDK_SCALE
  double logicalDpi = 0;     // the screen's logical dots per inch (X11: Xft.dpi)
  double physicalDpi = 0;    // dots per inch of the screen's physical size
};

// The signals of the primary screen and the environment; call with the
// application object created.
DesktopDensity ReadDesktopDensity();

}  // namespace Platform
