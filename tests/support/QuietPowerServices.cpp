#include "tests/support/QuietPowerServices.h"

#include "platform/DisplayPower.h"
#include "platform/SessionPower.h"

namespace {
class QuietPower : public DisplayPowerService, public SessionPowerService {
 public:
  bool IsScreenOn() override { return on; }
  void ScreenOn() override { on = true; }
  void ScreenOff() override { on = false; }
  void Suspend() override {}

 private:
  bool on = true;
};
}  // namespace

void InstallQuietPowerServices() {
  static QuietPower quiet;
  SetDisplayPowerService(&quiet);
  SetSessionPowerService(&quiet);
}
