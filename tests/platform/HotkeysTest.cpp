#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <QWidget>
#include <X11/XF86keysym.h>
#include <X11/keysym.h>
#include <gtest/gtest.h>
#include <vector>

#include "platform/HotkeyServices.h"
#include "platform/Hotkeys.h"
#include "platform/VirtualKeys.h"
#include "platform/Window.h"

namespace {
struct Hotkey {
  uintptr_t id;
  intptr_t lParam;
};

class HotkeyProbe : public Window {
 public:
  std::vector<Hotkey> hotkeys;

 protected:
  intptr_t OnMessage(uint32_t m, uintptr_t w, intptr_t l) override {
    if (m == MSG_HOTKEY) hotkeys.push_back({w, l});
    return Window::OnMessage(m, w, l);
  }
};

void Settle() {
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
}

TEST(VirtualKeys, RangesAndNamedKeysMapBothWays) {
  using namespace Platform;
  const struct {
    int vk;
    uint32_t keysym;
  } cases[] = {{0x30, XK_0},         {0x39, XK_9},         {0x41, XK_a},          {0x5A, XK_z},
               {0x70, XK_F1},        {0x76, XK_F7},        {0x87, XK_F24},        {0x25, XK_Left},
               {0x26, XK_Up},        {0x27, XK_Right},     {0x28, XK_Down},       {0x0D, XK_Return},
               {0x1B, XK_Escape},    {0x20, XK_space},     {0x24, XK_Home},       {0x23, XK_End},
               {0x21, XK_Prior},     {0x22, XK_Next},      {0xB3, XF86XK_AudioPlay}, {0xB2, XF86XK_AudioStop},
               {0xB0, XF86XK_AudioNext}, {0xB1, XF86XK_AudioPrev}, {0xAF, XF86XK_AudioRaiseVolume},
               {0xAE, XF86XK_AudioLowerVolume}, {0xAD, XF86XK_AudioMute}};
  for (const auto& c : cases) {
    EXPECT_EQ(KeysymForVirtualKey(c.vk), c.keysym) << "vk " << c.vk;
    EXPECT_EQ(VirtualKeyForKeysym(c.keysym), c.vk) << "vk " << c.vk;
  }
  // Shifted letters are the same key.
  EXPECT_EQ(VirtualKeyForKeysym(XK_Q), 0x51);
}

TEST(VirtualKeys, CodesOutsideTheTableHaveNoKey) {
  using namespace Platform;
  for (int vk : {0, 0x2F, 0x3A, 0x40, 0x5B, 0x6F, 0x88, 0xAC, 0xB4, 0xDF, 0xFFFF, -1})
    EXPECT_EQ(KeysymForVirtualKey(vk), 0u) << "vk " << vk;
  EXPECT_EQ(VirtualKeyForKeysym(XK_Num_Lock), 0);
  EXPECT_EQ(VirtualKeyForQtKey(Qt::Key_Shift), 0);
}

TEST(VirtualKeys, QtKeysMapToTheDeviceCodes) {
  using namespace Platform;
  EXPECT_EQ(VirtualKeyForQtKey(Qt::Key_7), 0x37);
  EXPECT_EQ(VirtualKeyForQtKey(Qt::Key_M), 0x4D);
  EXPECT_EQ(VirtualKeyForQtKey(Qt::Key_F1), 0x70);
  EXPECT_EQ(VirtualKeyForQtKey(Qt::Key_F24), 0x87);
  EXPECT_EQ(VirtualKeyForQtKey(Qt::Key_Left), 0x25);
  EXPECT_EQ(VirtualKeyForQtKey(Qt::Key_Down), 0x28);
  EXPECT_EQ(VirtualKeyForQtKey(Qt::Key_Return), 0x0D);
  EXPECT_EQ(VirtualKeyForQtKey(Qt::Key_Enter), 0x0D);
  EXPECT_EQ(VirtualKeyForQtKey(Qt::Key_PageUp), 0x21);
  EXPECT_EQ(VirtualKeyForQtKey(Qt::Key_PageDown), 0x22);
  EXPECT_EQ(VirtualKeyForQtKey(Qt::Key_MediaPlay), 0xB3);
  EXPECT_EQ(VirtualKeyForQtKey(Qt::Key_MediaTogglePlayPause), 0xB3);
  EXPECT_EQ(VirtualKeyForQtKey(Qt::Key_VolumeMute), 0xAD);
}

TEST(KeyRepeatFilter, AHeldKeyCountsOnceWhicheverWayTheServerRepeats) {
  KeyRepeatFilter f;
  EXPECT_TRUE(f.Press(70, 1000));
  // Detectable auto-repeat: presses without releases.
  EXPECT_FALSE(f.Press(70, 1500));
  EXPECT_FALSE(f.Press(70, 1530));
  // Plain auto-repeat: a release and a press with the same timestamp.
  f.Release(70, 1560);
  EXPECT_FALSE(f.Press(70, 1560));
  f.Release(70, 1590);
  EXPECT_FALSE(f.Press(70, 1590));
  // The real release, then a real press.
  f.Release(70, 1700);
  EXPECT_TRUE(f.Press(70, 1800));
  // Keys are independent; a forgotten key is new again.
  EXPECT_TRUE(f.Press(71, 1810));
  f.Forget(70);
  EXPECT_TRUE(f.Press(70, 1820));
}

// Under offscreen there is no X11: keys reach registered windows while the program has the focus.
class FocusHotkeysTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(probe.CreateTopLevel("probe", Rect::FromSize(0, 0, 60, 40), 3));
    focus.show();
    focus.activateWindow();
    focus.setFocus();
    Settle();
  }
  void TearDown() override {
    for (int id : {1, 2, 3}) UnregisterHotKey(&probe, id);
  }
  void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, bool autoRepeat = false) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, QString(), autoRepeat);
    QApplication::sendEvent(&focus, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, QString(), autoRepeat);
    QApplication::sendEvent(&focus, &release);
    Settle();
  }
  HotkeyProbe probe;
  QWidget focus;
};

TEST_F(FocusHotkeysTest, ARegisteredKeyPostsItsIdVirtualKeyAndModifiers) {
  ASSERT_TRUE(RegisterHotKey(&probe, 1, 0, 0x76));                             // F7
  ASSERT_TRUE(RegisterHotKey(&probe, 2, HOTKEY_CONTROL | HOTKEY_ALT, 0x25));  // Ctrl+Alt+Left
  Press(Qt::Key_F7);
  Press(Qt::Key_Left, Qt::ControlModifier | Qt::AltModifier);
  Press(Qt::Key_Left);                         // other modifiers: not registered
  Press(Qt::Key_F7, Qt::ShiftModifier);        // likewise
  Press(Qt::Key_F8);                           // not registered
  ASSERT_EQ(probe.hotkeys.size(), 2u);
  EXPECT_EQ(probe.hotkeys[0].id, 1u);
  EXPECT_EQ(probe.hotkeys[0].lParam, intptr_t(0x76) << 16);
  EXPECT_EQ(probe.hotkeys[1].id, 2u);
  EXPECT_EQ(probe.hotkeys[1].lParam, (intptr_t(0x25) << 16) | (HOTKEY_CONTROL | HOTKEY_ALT));
}

TEST_F(FocusHotkeysTest, AutoRepeatIsIgnoredAndUnregisterStopsTheKey) {
  ASSERT_TRUE(RegisterHotKey(&probe, 1, 0, 0xB3));
  Press(Qt::Key_MediaPlay);
  Press(Qt::Key_MediaPlay, Qt::NoModifier, true);
  Press(Qt::Key_MediaPlay, Qt::NoModifier, true);
  EXPECT_EQ(probe.hotkeys.size(), 1u);
  UnregisterHotKey(&probe, 1);
  Press(Qt::Key_MediaPlay);
  EXPECT_EQ(probe.hotkeys.size(), 1u);
  // Registered again, it works again.
  ASSERT_TRUE(RegisterHotKey(&probe, 1, 0, 0xB3));
  Press(Qt::Key_MediaPlay);
  EXPECT_EQ(probe.hotkeys.size(), 2u);
}

TEST_F(FocusHotkeysTest, UnknownKeysTakenIdsAndTakenKeysAreRefused) {
  HotkeyProbe other;
  ASSERT_TRUE(other.CreateTopLevel("other", Rect::FromSize(0, 0, 10, 10), 4));
  EXPECT_FALSE(RegisterHotKey(&probe, 1, 0, 0xDF));  // no such key here
  ASSERT_TRUE(RegisterHotKey(&probe, 1, 0, 0x77));
  EXPECT_FALSE(RegisterHotKey(&probe, 1, 0, 0x78));  // id taken for this window
  EXPECT_FALSE(RegisterHotKey(&other, 9, 0, 0x77));  // key and modifiers taken
  EXPECT_TRUE(RegisterHotKey(&other, 1, HOTKEY_SHIFT, 0x77));
  Press(Qt::Key_F8, Qt::ShiftModifier);
  EXPECT_TRUE(probe.hotkeys.empty());
  ASSERT_EQ(other.hotkeys.size(), 1u);
  EXPECT_EQ(other.hotkeys[0].lParam, (intptr_t(0x77) << 16) | HOTKEY_SHIFT);
  UnregisterHotKey(&other, 1);
}

TEST_F(FocusHotkeysTest, ATakenKeyDoesNotReachTheWidget) {
  struct KeyCounter : QWidget {
    int keys = 0;
    void keyPressEvent(QKeyEvent*) override { ++keys; }
  } widget;
  widget.show();
  widget.setFocus();
  ASSERT_TRUE(RegisterHotKey(&probe, 1, 0, 0x20));
  QTest::keyClick(&widget, Qt::Key_Space);
  QTest::keyClick(&widget, Qt::Key_X);
  Settle();
  EXPECT_EQ(probe.hotkeys.size(), 1u);
  EXPECT_EQ(widget.keys, 1);  // only X
}

// A service of the test's own replaces the default one, and null brings the default back.
TEST(HotkeyService, AnInstalledServiceReceivesEveryCall) {
  struct Recorder : HotkeyService {
    std::vector<int> calls;
    bool Register(Window*, int id, int modifiers, int vk) override {
      calls.insert(calls.end(), {id, modifiers, vk});
      return id == 5;
    }
    void Unregister(Window*, int id) override { calls.push_back(-id); }
  } recorder;
  HotkeyProbe probe;
  ASSERT_TRUE(probe.CreateTopLevel("probe", Rect::FromSize(0, 0, 10, 10), 5));
  SetHotkeyService(&recorder);
  EXPECT_TRUE(RegisterHotKey(&probe, 5, 2, 0x25));
  EXPECT_FALSE(RegisterHotKey(&probe, 6, 0, 0x26));
  UnregisterHotKey(&probe, 5);
  SetHotkeyService(nullptr);
  EXPECT_EQ(recorder.calls, (std::vector<int>{5, 2, 0x25, 6, 0, 0x26, -5}));
  EXPECT_TRUE(RegisterHotKey(&probe, 5, 0, 0x25));
  UnregisterHotKey(&probe, 5);
}
}  // namespace
