#include "platform/DisplaySession.h"

#include <QGuiApplication>

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

QtPlatformChoice::QtPlatformChoice() : chosen_(ChooseQtPlatform(CurrentSessionEnvironment())) {
  if (!chosen_.isEmpty()) qputenv("QT_QPA_PLATFORM", chosen_);
}

void QtPlatformChoice::Forget() {
  if (!chosen_.isEmpty() && qgetenv("QT_QPA_PLATFORM") == chosen_) qunsetenv("QT_QPA_PLATFORM");
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
