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
// application object created. The physical figure is the higher of Qt's (the
// outputs' sizes) and the X server's screen size.
DesktopDensity ReadDesktopDensity();

// Skins are drawn in device pixels: Qt must not scale the windows on its own.
// Call before the application object exists: QT_SCALE_FACTOR is taken out of
// the environment and kept as a signal of the desktop's density for the
// player's own scale.
void TakeQtScaleFactor();

}  // namespace Platform
