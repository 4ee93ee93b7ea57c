#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "platform/DisplayPower.h"
#include "tests/support/QuietPowerServices.h"
#include "platform/SessionPower.h"

namespace {
// Recorders in place of the real services: no test blanks a screen or suspends the machine.
struct DisplayRecorder : DisplayPowerService {
  std::vector<std::string> calls;
  bool on = true;
  bool IsScreenOn() override {
    calls.push_back("is-on");
    return on;
  }
  void ScreenOn() override {
    calls.push_back("on");
    on = true;
  }
  void ScreenOff() override {
    calls.push_back("off");
    on = false;
  }
};

struct SessionRecorder : SessionPowerService {
  int suspends = 0;
  void Suspend() override { ++suspends; }
};

TEST(PowerServices, TheDisplayFunctionsReachTheInstalledService) {
  DisplayRecorder first, second;
  SetDisplayPowerService(&first);
  // The player's "Screen Toggle", twice.
  for (int i = 0; i < 2; ++i) Platform::IsScreenOn() ? Platform::ScreenOff() : Platform::ScreenOn();
  SetDisplayPowerService(&second);
  Platform::ScreenOff();
  InstallQuietPowerServices();
  EXPECT_EQ(first.calls, (std::vector<std::string>{"is-on", "off", "is-on", "on"}));
  EXPECT_EQ(second.calls, (std::vector<std::string>{"off"}));
}

TEST(PowerServices, SuspendReachesTheInstalledService) {
  SessionRecorder first, second;
  SetSessionPowerService(&first);
  Platform::Suspend();
  SetSessionPowerService(&second);
  Platform::Suspend();
  Platform::Suspend();
  InstallQuietPowerServices();
  EXPECT_EQ(first.suspends, 1);
  EXPECT_EQ(second.suspends, 2);
}
}  // namespace
