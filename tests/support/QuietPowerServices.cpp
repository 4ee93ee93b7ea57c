#include "tests/support/QuietPowerServices.h"

#include "platform/DisplayPower.h"
#include "platform/SessionPower.h"
#include "platform/SleepInhibit.h"

namespace {
class QuietPower : public DisplayPowerService, public SessionPowerService, public SleepInhibitService {
 public:
  void SetInhibited(bool inhibited) override { held = inhibited; }
  bool IsInhibited() const override { return held; }
  bool IsScreenOn() override { return on; }
  void ScreenOn() override { on = true; }
  void ScreenOff() override { on = false; }
  void Suspend() override {}

 private:
  bool on = true;
  bool held = false;
};
}  // namespace

void InstallQuietPowerServices() {
  static QuietPower quiet;
  SetDisplayPowerService(&quiet);
  SetSessionPowerService(&quiet);
  SetSleepInhibitService(&quiet);
}
