#include <QApplication>

#include "app/PlayerApp.h"
#include "platform/DisplaySession.h"

int main(int argc, char** argv) {
  // Skins are drawn in device pixels: one skin pixel is one screen pixel at scale 100.
  if (qEnvironmentVariableIsEmpty("QT_ENABLE_HIGHDPI_SCALING")) qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
  // On a Wayland desktop the windows go through XWayland where there is one, so
  // that they keep their places and docking; decided before Qt picks a platform.
  Platform::QtPlatformChoice platformChoice;
  QApplication application(argc, argv);
  platformChoice.Forget();
  // The last window closing must not end the program: the main window's close
  // handler saves everything first and ends the loop itself.
  application.setQuitOnLastWindowClosed(false);
  PlayerApp player;
  if (!player.InitInstance(application.arguments().mid(1))) return 0;
  const int code = application.exec();
  player.ExitInstance();
  return code;
}
