#pragma once

// Switching the display off and on. The service is replaceable so that tests record
// the calls instead of blanking a screen.
class DisplayPowerService {
 public:
  virtual ~DisplayPowerService() = default;
  // False once switched off; otherwise whether the display reports itself on.
  virtual bool IsScreenOn() = 0;
  virtual void ScreenOn() = 0;
  virtual void ScreenOff() = 0;
};

// Installs a service (null restores the default one). The default keeps an on/off
// flag and, where the X server has DPMS, switches the monitor with it; elsewhere
// (no X11, no DPMS) it keeps the flag alone.
void SetDisplayPowerService(DisplayPowerService* service);

namespace Platform {
bool IsScreenOn();
void ScreenOn();
void ScreenOff();
}  // namespace Platform
