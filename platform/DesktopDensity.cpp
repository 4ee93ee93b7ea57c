#include "platform/DesktopDensity.h"

#include <QGuiApplication>
#include <QScreen>
#include <QString>
#include <QtGui/qguiapplication_platform.h>
#include <X11/Xlib.h>
#include <algorithm>

namespace {
// QT_SCALE_FACTOR as the desktop set it, once taken out of Qt's hands; -1 before.
double takenQtScaleFactor = -1;

double EnvironmentNumber(const char* name) {
  bool ok = false;
  const double value = qEnvironmentVariable(name).trimmed().toDouble(&ok);
  return ok ? value : 0;
}

// The X server's own figure for the screen: its size in pixels over its size in
// millimetres (set by the display's description or the server's -dpi). Qt reads
// the outputs' sizes instead, which a server without real outputs makes up.
double X11ScreenDpi() {
  auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  auto* x11 = app ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  Display* display = x11 ? x11->display() : nullptr;
  if (!display) return 0;
  const int screen = DefaultScreen(display);
  const int widthMm = DisplayWidthMM(display, screen);
  const int heightMm = DisplayHeightMM(display, screen);
  if (widthMm <= 0 || heightMm <= 0) return 0;
  return std::min(DisplayWidth(display, screen) * 25.4 / widthMm, DisplayHeight(display, screen) * 25.4 / heightMm);
}
}  // namespace

namespace Platform {

void TakeQtScaleFactor() {
  takenQtScaleFactor = EnvironmentNumber("QT_SCALE_FACTOR");
  qunsetenv("QT_SCALE_FACTOR");
}

DesktopDensity ReadDesktopDensity() {
  DesktopDensity density;
  density.qtScaleFactor = takenQtScaleFactor >= 0 ? takenQtScaleFactor : EnvironmentNumber("QT_SCALE_FACTOR");
  density.gdkScale = EnvironmentNumber("GDK_SCALE");
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    // Without Qt's own scaling (the player draws in device pixels) the logical
    // value is what the desktop announces: on X11 the Xft.dpi resource, else 96.
    density.logicalDpi = screen->logicalDotsPerInch() * screen->devicePixelRatio();
    density.physicalDpi = screen->physicalDotsPerInch() * screen->devicePixelRatio();
  }
  density.physicalDpi = std::max(density.physicalDpi, X11ScreenDpi());
  return density;
}

}  // namespace Platform
