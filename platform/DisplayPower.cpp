#include "platform/DisplayPower.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>

namespace {
// The X display of the application when its server can switch the monitor, else null.
Display* DpmsDisplay() {
  auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  auto* x11 = app ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  Display* display = x11 ? x11->display() : nullptr;
  int event = 0, error = 0;
  if (!display || !DPMSQueryExtension(display, &event, &error) || !DPMSCapable(display)) return nullptr;
  return display;
}

class DpmsDisplayPower : public DisplayPowerService {
 public:
  bool IsScreenOn() override {
    if (!on_) return false;
    Display* display = DpmsDisplay();
    if (!display) return true;
    CARD16 level = DPMSModeOn;
    BOOL enabled = False;
    if (!DPMSInfo(display, &level, &enabled)) return true;
    return !enabled || level == DPMSModeOn;
  }

  void ScreenOn() override {
    on_ = true;
    if (Display* display = DpmsDisplay()) {
      DPMSForceLevel(display, DPMSModeOn);
      XFlush(display);
    }
  }

  void ScreenOff() override {
    if (Display* display = DpmsDisplay()) {
      // The server refuses to force a level while DPMS is disabled.
      CARD16 level = DPMSModeOn;
      BOOL enabled = False;
      if (DPMSInfo(display, &level, &enabled) && !enabled) DPMSEnable(display);
      DPMSForceLevel(display, DPMSModeOff);
      XFlush(display);
    }
    on_ = false;
  }

 private:
  bool on_ = true;
};

DisplayPowerService* installed = nullptr;

DisplayPowerService& Service() {
  static DpmsDisplayPower dpms;
  return installed ? *installed : dpms;
}
}  // namespace

void SetDisplayPowerService(DisplayPowerService* service) { installed = service; }

namespace Platform {
bool IsScreenOn() { return Service().IsScreenOn(); }
void ScreenOn() { Service().ScreenOn(); }
void ScreenOff() { Service().ScreenOff(); }
}  // namespace Platform
