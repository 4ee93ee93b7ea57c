#include <QApplication>

#include "app/PlayerApp.h"
#include "platform/DesktopDensity.h"
#include "platform/DisplaySession.h"
#include "platform/MediaControl.h"
#include "platform/Warmup.h"
#include "playlist/RowText.h"

int main(int argc, char** argv) {
  // Skins are drawn in device pixels: one skin pixel is one screen pixel at scale 100.
  if (qEnvironmentVariableIsEmpty("QT_ENABLE_HIGHDPI_SCALING")) qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
  // Unless the user chose Qt's scaling, QT_SCALE_FACTOR only tells the player's own scale.
  if (qgetenv("QT_ENABLE_HIGHDPI_SCALING") == "0") Platform::TakeQtScaleFactor();
  // On a Wayland desktop the windows go through XWayland where there is one, so
  // that they keep their places and docking; decided before Qt picks a platform.
  Platform::QtPlatformChoice platformChoice;
  QApplication application(argc, argv);
  platformChoice.Forget();
  const Platform::Warmup fonts = Platform::WarmFonts();
  const Platform::Warmup bus = Platform::WarmSessionBus();
  // The last window closing must not end the program: the main window's close
  // handler saves everything first and ends the loop itself.
  application.setQuitOnLastWindowClosed(false);
  // The arguments as their bytes are (Qt has taken out its own): a file name that
  // is not UTF-8 still names its file.
  QStringList arguments;
  for (int i = 1; i < argc; ++i) arguments << PathFromBytes(argv[i]);
  PlayerApp player;
  if (!player.InitInstance(arguments)) return 0;
  const int code = application.exec();
  player.ExitInstance();
  return code;
}
