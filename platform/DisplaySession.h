#pragma once
#include <QByteArray>
#include <optional>

// Which display system the player's windows live on, chosen before the
// application object exists, and what that system lets the player do.
namespace Platform {

// The environment variables the choice depends on (empty = unset).
struct SessionEnvironment {
  QByteArray qpaPlatform;     // QT_QPA_PLATFORM: the user's own choice
  QByteArray waylandDisplay;  // WAYLAND_DISPLAY
  QByteArray sessionType;     // XDG_SESSION_TYPE
  QByteArray x11Display;      // DISPLAY
};
SessionEnvironment CurrentSessionEnvironment();

// The Qt platform to run on, or empty to leave Qt's own choice. A Wayland
// session with an X server beside it (XWayland) runs through X11, where the
// player may place its windows itself; one without an X server runs natively.
// A platform the user chose is kept.
QByteArray ChooseQtPlatform(const SessionEnvironment& environment);

// True when an X server answers on the display.
bool X11Reachable(const QByteArray& display);

// Sets QT_QPA_PLATFORM for the application object about to be created (X11
// only when its server answers), and
// takes it back out of the environment once that exists, so programs the
// player starts make their own choice. On X11 the small windows are drawn
// without shared-memory images (QT_XCB_NO_MITSHM), unless the user said otherwise:
// for a few changed pixels Qt would otherwise wait for a round trip to the X
// server before each repaint of a region it showed last.
class QtPlatformChoice {
 public:
  QtPlatformChoice();
  ~QtPlatformChoice() { Forget(); }
  QtPlatformChoice(const QtPlatformChoice&) = delete;
  QtPlatformChoice& operator=(const QtPlatformChoice&) = delete;
  // Call once the application object exists.
  void Forget();
  const QByteArray& Chosen() const { return chosen_; }

 private:
  QByteArray chosen_;
  bool setNoShm_ = false;
};

// False where the compositor places top-level windows and never tells the
// program where they are (Wayland): the player can neither place them nor read
// their places back.
bool WindowPlacesKnown();
// Tests pretend either kind of display system; nullopt goes back to the real one.
void OverrideWindowPlacesKnown(std::optional<bool> known);

}  // namespace Platform
