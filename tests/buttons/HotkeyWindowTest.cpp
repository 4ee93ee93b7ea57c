// Press counting, bindings and the button lists of the hardware-button window,
// with presses and timer ticks driven by the test.
#include <gtest/gtest.h>

#include "buttons/ButtonMapping.h"
#include "buttons/ButtonSettingDialog.h"
#include "buttons/HotkeyWindow.h"
#include "settings/SettingsFile.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QComboBox>
#include <QTableWidget>

namespace {

struct Event {
  int value, count, bound;
  bool operator==(const Event&) const = default;
};

class Target : public Window {
 public:
  Target() { CreateTopLevel("target", Rect::FromSize(0, 0, 10, 10), 0, nullptr, false); }
  std::vector<Event> events;

 protected:
  intptr_t OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
    if (message == MSG_BUTTON_EVENT) events.push_back({int(intptr_t(wParam)), int(lParam & 0xFFFF), int(lParam >> 16)});
    return 0;
  }
};

int clicks = 0;

class HotkeyWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    clicks = 0;
    HotkeyWindow::SetClickPlayer([] { ++clicks; });
    window_.SetBeep(1);
  }
  void TearDown() override { HotkeyWindow::SetClickPlayer({}); }
  void Ticks(int n) {
    for (int i = 0; i < n; ++i) window_.Tick();
  }

  Target target_;
  HotkeyWindow window_{&target_, 11111};
};

constexpr int kKeyA = 0xC1;
constexpr int kKeyB = 0xC2;

TEST_F(HotkeyWindowTest, TheOnlyBindingOfAKeyActsAtOnceWhateverItsCount) {
  window_.AddBinding(5, 2, kKeyA);
  window_.KeyPressed(kKeyA);
  EXPECT_EQ(target_.events, (std::vector<Event>{{5, 1, 1}}));
  EXPECT_EQ(clicks, 1);
  Ticks(10);
  EXPECT_EQ(target_.events.size(), 1u);
}

TEST_F(HotkeyWindowTest, PressesAreCountedUntilTheSixthTick) {
  window_.AddBinding(5, 1, kKeyA);
  window_.AddBinding(2, 2, kKeyA);
  window_.KeyPressed(kKeyA);
  Ticks(5);
  EXPECT_TRUE(target_.events.empty());
  Ticks(1);
  EXPECT_EQ(target_.events, (std::vector<Event>{{5, 1, 1}}));
  EXPECT_EQ(clicks, 1);

  // Two quick presses: the count-2 function, clicked twice.
  target_.events.clear();
  clicks = 0;
  window_.KeyPressed(kKeyA);
  Ticks(3);
  window_.KeyPressed(kKeyA);
  Ticks(5);
  EXPECT_TRUE(target_.events.empty());
  Ticks(1);
  EXPECT_EQ(target_.events, (std::vector<Event>{{2, 2, 1}}));
  EXPECT_EQ(clicks, 2);

  // Three presses: nothing is bound to that, the key itself is reported.
  target_.events.clear();
  clicks = 0;
  for (int i = 0; i < 3; ++i) window_.KeyPressed(kKeyA);
  Ticks(6);
  EXPECT_EQ(target_.events, (std::vector<Event>{{kKeyA, 3, 0}}));
  EXPECT_EQ(clicks, 1);
}

TEST_F(HotkeyWindowTest, ThePressTimerRestsBetweenSequencesAndDecidesOnItsOwnTicks) {
  window_.AddBinding(5, 1, kKeyA);
  window_.AddBinding(2, 2, kKeyA);
  window_.RegisterButtons();
  EXPECT_TRUE(window_.IsTimerResting(HotkeyWindow::TIMER_PRESSES));
  QElapsedTimer clock;
  clock.start();
  window_.KeyPressed(kKeyA);
  EXPECT_FALSE(window_.IsTimerResting(HotkeyWindow::TIMER_PRESSES));
  while (target_.events.empty() && clock.elapsed() < 3000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  // Six ticks of 100 ms, the first at most one period after the press.
  EXPECT_EQ(target_.events, (std::vector<Event>{{5, 1, 1}}));
  EXPECT_GE(clock.elapsed(), 480);
  // The tick after the decision finds nothing open and rests the timer.
  while (!window_.IsTimerResting(HotkeyWindow::TIMER_PRESSES) && clock.elapsed() < 4000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  EXPECT_TRUE(window_.IsTimerResting(HotkeyWindow::TIMER_PRESSES));
  window_.ReleaseButtons();
}

TEST_F(HotkeyWindowTest, AnotherKeyDropsTheOpenSequenceAndBeepOffIsSilent) {
  window_.SetBeep(0);
  window_.AddBinding(5, 1, kKeyA);
  window_.AddBinding(6, 2, kKeyA);
  window_.KeyPressed(kKeyA);
  window_.KeyPressed(kKeyB);
  Ticks(6);
  EXPECT_EQ(target_.events, (std::vector<Event>{{kKeyB, 1, 0}}));
  EXPECT_EQ(clicks, 0);
  window_.SetBeep(7);
  EXPECT_EQ(window_.GetBeep(), 1);
}

TEST_F(HotkeyWindowTest, TablesRefuseDuplicatesAndStopAtTheirLimits) {
  EXPECT_EQ(window_.GetFunctionCount(), 17);
  EXPECT_EQ(window_.GetFunctionName(12), "Exit & Power off");
  EXPECT_EQ(window_.GetFunctionName(13), "A<->B");
  EXPECT_EQ(window_.GetFunctionName(17), "");
  EXPECT_EQ(window_.AddButton("F7", 1, 0, 0x76), 1);
  EXPECT_EQ(window_.AddButton("Other F7", 2, 2, 0x76), 0);
  EXPECT_EQ(window_.GetButtonName(0x76), QString("F7"));
  EXPECT_FALSE(window_.GetButtonName(0x77));
  for (int k = 0; k < 300; ++k) window_.AddButton(QString::number(k), k, 0, 1000 + k);
  EXPECT_EQ(window_.Buttons().size(), 256u);

  window_.AddBinding(5, 1, kKeyA);
  window_.AddBinding(7, 1, kKeyA);  // same key and count: replaces
  window_.AddBinding(2, 2, kKeyA);
  ASSERT_EQ(window_.GetBindingCount(), 2);
  EXPECT_EQ(window_.GetBinding(0)->function, 7);
  EXPECT_FALSE(window_.GetBinding(2));
  for (int k = 0; k < 300; ++k) window_.AddBinding(1, 1, 2000 + k);
  EXPECT_EQ(window_.GetBindingCount(), 256);
}

TEST(ButtonMapping, FilesAreReadSkippingMalformedLinesAndWrittenFromTheBindings) {
  SettingsFile hotkeys;
  hotkeys.WriteString("hotkeys", "Play", "1/0/179");
  hotkeys.WriteString("hotkeys", "Broken", "2/0");
  hotkeys.WriteString("hotkeys", "Ctrl Right", "3/2/39/extra");
  Target target;
  HotkeyWindow window(&target, 11111);
  ButtonMapping::AddButtons(hotkeys, window);
  ASSERT_EQ(window.Buttons().size(), 2u);
  EXPECT_EQ(window.Buttons()[1].modifiers, 2);
  EXPECT_EQ(window.Buttons()[1].virtualKey, 39);  // "39/extra" reads as 39

  SettingsFile options;
  options.WriteString("buttons", "Hotkey0", "5/1/179");
  options.WriteString("buttons", "Anything", "4/2/179");
  options.WriteString("buttons", "Hotkey2", "junk");
  options.WriteString("tarnello", "Volume", "1");
  ButtonMapping::AddBindings(ButtonMapping::BindingValues(options), window);
  ASSERT_EQ(window.GetBindingCount(), 2);
  ButtonMapping::WriteBindings(options, window);
  EXPECT_EQ(options.Lines(),
            (QStringList{"[buttons]", "Hotkey0=5/1/179", "Hotkey1=4/2/179", "[tarnello]", "Volume=1"}));
}

TEST(ButtonSettingDialog, PressesLearnRowsAndOkReturnsThem) {
  ButtonSettingDialog dialog({"5/1/193", "nonsense"}, 1, nullptr);
  ASSERT_EQ(dialog.Functions()->count(), 17);
  EXPECT_EQ(dialog.Functions()->currentIndex(), -1);
  EXPECT_EQ(dialog.Rows()->rowCount(), 1);
  EXPECT_TRUE(dialog.UnMapBox()->isChecked());

  // Without a function chosen, presses are ignored.
  dialog.ButtonPressed(194, 1);
  EXPECT_EQ(dialog.Rows()->rowCount(), 1);
  dialog.Functions()->setCurrentIndex(5);  // "Next"
  dialog.ButtonPressed(194, 2);
  dialog.ButtonPressed(194, 1);
  ASSERT_EQ(dialog.Rows()->rowCount(), 3);
  EXPECT_EQ(dialog.Rows()->item(1, 2)->text(), "Next");
  dialog.Functions()->setCurrentIndex(2);  // "Stop" replaces the count-1 row's function
  dialog.ButtonPressed(194, 1);
  ASSERT_EQ(dialog.Rows()->rowCount(), 3);
  EXPECT_EQ(dialog.Rows()->item(2, 2)->text(), "Stop");
  dialog.UnMapBox()->setChecked(false);
  dialog.accept();
  EXPECT_EQ(dialog.Result(), (QStringList{"5/1/193", "5/2/194", "2/1/194"}));
  EXPECT_EQ(dialog.UnMap(), 0);
  EXPECT_FALSE(dialog.Buttons().IsRegistered());

  ButtonSettingDialog cleared({"5/1/193"}, 0, nullptr);
  cleared.ClearRows();
  cleared.accept();
  EXPECT_TRUE(cleared.Result().isEmpty());
}

}  // namespace
