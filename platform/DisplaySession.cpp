#include "platform/DisplaySession.h"

#include <QGuiApplication>
#include <xcb/xcb.h>

namespace Platform {

SessionEnvironment CurrentSessionEnvironment() {
  return {qgetenv("QT_QPA_PLATFORM"), qgetenv("WAYLAND_DISPLAY"), qgetenv("XDG_SESSION_TYPE"), qgetenv("DISPLAY")};
}

QByteArray ChooseQtPlatform(const SessionEnvironment& e) {
  if (!e.qpaPlatform.isEmpty()) return {};
  const bool wayland = !e.waylandDisplay.isEmpty() || e.sessionType.toLower() == "wayland";
  if (!wayland) return {};
  // Without the choice Qt would run natively, or (on some desktops) try X11
  // even where there is no X server.
  return e.x11Display.isEmpty() ? QByteArray("wayland") : QByteArray("xcb");
}

bool X11Reachable(const QByteArray& display) {
  // A desktop that starts XWayland on demand starts it for this connection.
  xcb_connection_t* connection = xcb_connect(display.constData(), nullptr);
  const bool reachable = connection && xcb_connection_has_error(connection) == 0;
  if (connection) xcb_disconnect(connection);
  return reachable;
}

QtPlatformChoice::QtPlatformChoice() {
  SessionEnvironment environment = CurrentSessionEnvironment();
  chosen_ = ChooseQtPlatform(environment);
  // A DISPLAY left over from an X server that is gone would make Qt give up.
  if (chosen_ == "xcb" && !X11Reachable(environment.x11Display)) {
    environment.x11Display.clear();
    chosen_ = ChooseQtPlatform(environment);
  }
  if (!chosen_.isEmpty()) qputenv("QT_QPA_PLATFORM", chosen_);
  if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) {
    qputenv("QT_XCB_NO_MITSHM", "1");
    setNoShm_ = true;
  }
}

void QtPlatformChoice::Forget() {
  if (!chosen_.isEmpty() && qgetenv("QT_QPA_PLATFORM") == chosen_) qunsetenv("QT_QPA_PLATFORM");
  if (setNoShm_) qunsetenv("QT_XCB_NO_MITSHM");
  setNoShm_ = false;
}

namespace {
std::optional<bool> placesOverride;
}  // namespace

bool WindowPlacesKnown() {
  if (placesOverride) return *placesOverride;
  // Every Qt Wayland platform ("wayland", "wayland-egl", ...) has this name first.
  return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void OverrideWindowPlacesKnown(std::optional<bool> known) { placesOverride = known; }

}  // namespace Platform
