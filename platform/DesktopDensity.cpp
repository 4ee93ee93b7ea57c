#include "platform/DesktopDensity.h"

#include <QGuiApplication>
#include <QScreen>
#include <QString>

namespace {
double EnvironmentNumber(const char* name) {
  bool ok = false;
  const double value = qEnvironmentVariable(name).trimmed().toDouble(&ok);
  return ok ? value : 0;
}
}  // namespace

namespace Platform {

DesktopDensity ReadDesktopDensity() {
  DesktopDensity density;
  density.qtScaleFactor = EnvironmentNumber("QT_SCALE_FACTOR");
  density.gdkScale = EnvironmentNumber("GDK_SCALE");
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    // Without Qt's own scaling (the player draws in device pixels) the logical
    // value is what the desktop announces: on X11 the Xft.dpi resource, else 96.
    density.logicalDpi = screen->logicalDotsPerInch() * screen->devicePixelRatio();
    density.physicalDpi = screen->physicalDotsPerInch() * screen->devicePixelRatio();
  }
  return density;
}

}  // namespace Platform
