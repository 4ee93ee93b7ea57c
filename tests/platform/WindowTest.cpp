#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QWidget>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

#include "platform/Canvas.h"
#include "platform/PlatformApi.h"
#include "platform/Window.h"
#include "support/RecordingMessageBoxes.h"

namespace {
// A window that records what reaches it.
class ProbeWindow : public Window {
 public:
  std::vector<uint32_t> messages;
  std::vector<int> commands, ticks;
  std::vector<std::pair<char, Point>> stylus;
  std::thread::id handledOn;
  int closes = 0;
  std::vector<Window*> focus;  // this = gained; otherwise the window that took the focus

 protected:
  intptr_t OnMessage(uint32_t m, uintptr_t w, intptr_t l) override {
    messages.push_back(m);
    handledOn = std::this_thread::get_id();
    return intptr_t(w) + l;
  }
  void OnCommand(int id) override { commands.push_back(id); }
  void OnTimer(int id) override {
    ticks.push_back(id);
    Window::OnTimer(id);
  }
  void OnStylusDown(Point p) override { stylus.push_back({'d', p}); }
  void OnStylusMove(Point p) override { stylus.push_back({'m', p}); }
  void OnStylusUp(Point p) override { stylus.push_back({'u', p}); }
  void OnFocusGained() override { focus.push_back(this); }
  void OnFocusLost(Window* to) override { focus.push_back(to); }
  void OnClose() override {
    ++closes;
    Window::OnClose();
  }
};

void SpinUntil(const std::function<bool()>& done, int ms = 2000) {
  QElapsedTimer t;
  t.start();
  while (!done() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

TEST(Window, SendFromAnotherThreadBlocksUntilTheUiThreadHandledIt) {
  ProbeWindow w;
  ASSERT_TRUE(w.CreateTopLevel("probe", Rect::FromSize(10, 20, 50, 40), 7));
  std::atomic<intptr_t> result{-1};
  std::atomic<bool> returned{false};
  std::thread sender([&] {
    result = PlatformSendMessage(w.GetHandle(), 0x402, 40, 2);
    returned = true;
  });
  // Nothing can be handled until the UI thread runs its loop.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(returned);
  SpinUntil([&] { return returned.load(); });
  sender.join();
  EXPECT_EQ(42, result);
  EXPECT_EQ(std::vector<uint32_t>{0x402}, w.messages);
  EXPECT_EQ(std::this_thread::get_id(), w.handledOn);
}

TEST(Window, PostIsQueuedAndSendOnTheUiThreadIsDirect) {
  ProbeWindow w;
  ASSERT_TRUE(w.CreateTopLevel("probe", Rect::FromSize(0, 0, 10, 10), 1, nullptr, false));
  EXPECT_EQ(1, PlatformPostMessage(w.GetHandle(), 0x40B, 1, 2));
  w.PostCommand(10011);
  EXPECT_TRUE(w.messages.empty());
  EXPECT_EQ(5, w.Send(0x40D, 2, 3));
  EXPECT_EQ(std::vector<uint32_t>{0x40D}, w.messages);
  SpinUntil([&] { return w.commands.size() == 1; });
  EXPECT_EQ((std::vector<uint32_t>{0x40D, 0x40B}), w.messages);
  EXPECT_EQ(std::vector<int>{10011}, w.commands);
}

TEST(Window, HandlesOfDeadWindowsAreRefused) {
  auto* w = new ProbeWindow;
  ASSERT_TRUE(w->CreateTopLevel("probe", Rect::FromSize(0, 0, 10, 10), 1, nullptr, false));
  WindowHandle h = w->GetHandle();
  EXPECT_EQ(w, Window::FromHandle(h));
  delete w;
  EXPECT_EQ(nullptr, Window::FromHandle(h));
  EXPECT_EQ(0, PlatformSendMessage(h, 0x402, 0, 0));
  EXPECT_EQ(0, PlatformPostMessage(h, 0x402, 0, 0));
  EXPECT_EQ(0, PlatformSendMessage(nullptr, 0x402, 0, 0));
}

TEST(Window, TimersTickByIdUntilKilled) {
  ProbeWindow w;
  ASSERT_TRUE(w.CreateTopLevel("probe", Rect::FromSize(0, 0, 10, 10), 1, nullptr, false));
  w.SetTimer(103, 5);
  w.SetTimer(104, 5);
  SpinUntil([&] { return std::count(w.ticks.begin(), w.ticks.end(), 104) >= 2; });
  EXPECT_GE(std::count(w.ticks.begin(), w.ticks.end(), 103), 1);
  w.KillTimer(103);
  w.KillTimer(104);
  w.ticks.clear();
  QTest::qWait(30);
  EXPECT_TRUE(w.ticks.empty());
}

TEST(Window, ARestingTimerStaysQuietAndWakesOnTheGridItStartedWith) {
  ProbeWindow w;
  ASSERT_TRUE(w.CreateTopLevel("probe", Rect::FromSize(0, 0, 10, 10), 1, nullptr, false));
  QElapsedTimer clock;
  w.SetTimer(105, 200);
  clock.start();
  w.RestTimer(105, true);
  EXPECT_TRUE(w.IsTimerResting(105));
  // Two ticks' worth of rest, then woken 30 ms before its next tick would have come.
  SpinUntil([&] { return clock.elapsed() >= 570; });
  EXPECT_TRUE(w.ticks.empty());
  const qint64 woken = clock.elapsed();
  w.RestTimer(105, false);
  EXPECT_FALSE(w.IsTimerResting(105));
  std::vector<qint64> at;
  SpinUntil(
      [&] {
        if (w.ticks.size() > at.size()) at.push_back(clock.elapsed());
        return at.size() >= 2;
      },
      3000);
  ASSERT_EQ(at.size(), 2u);
  // On the 200 ms grid from SetTimer (600 ms), not a period after waking (770 ms).
  const qint64 grid = (woken / 200 + 1) * 200;
  EXPECT_GE(at[0], grid - 2);
  EXPECT_LT(at[0], grid + 150);
  // Then periodic again.
  EXPECT_GE(at[1], at[0] + 150);
  w.KillTimer(105);
  EXPECT_FALSE(w.IsTimerResting(105));
}

TEST(Window, StylusArrivesInClientCoordinatesOfChildWindows) {
  ProbeWindow top, child;
  ASSERT_TRUE(top.CreateTopLevel("probe", Rect::FromSize(100, 100, 200, 100), 1));
  ASSERT_TRUE(child.CreateChild(&top, Rect::FromSize(20, 30, 50, 40), 10008));
  EXPECT_EQ(&top, child.GetParent());
  EXPECT_EQ(Rect::FromSize(0, 0, 50, 40), child.GetClientRect());
  QTest::mousePress(child.Widget(), Qt::LeftButton, {}, QPoint(5, 6));
  QTest::mouseMove(child.Widget(), QPoint(7, 8));
  QTest::mouseRelease(child.Widget(), Qt::LeftButton, {}, QPoint(9, 10));
  ASSERT_GE(child.stylus.size(), 2u);
  EXPECT_EQ('d', child.stylus.front().first);
  EXPECT_EQ((Point{5, 6}), child.stylus.front().second);
  EXPECT_EQ('u', child.stylus.back().first);
  EXPECT_EQ((Point{9, 10}), child.stylus.back().second);
  EXPECT_TRUE(top.stylus.empty());
}

TEST(Window, MoveAndRectangles) {
  ProbeWindow w;
  ASSERT_TRUE(w.CreateTopLevel("probe", Rect::FromSize(0, 26, 275, 116), 0));
  w.MoveWindow(Rect::FromSize(30, 40, 120, 60), false);
  EXPECT_EQ(Rect::FromSize(30, 40, 120, 60), w.GetWindowRect());
  EXPECT_EQ(Rect::FromSize(0, 0, 120, 60), w.GetClientRect());
  EXPECT_TRUE(w.IsVisible());
  w.Hide();
  EXPECT_FALSE(w.IsVisible());
  EXPECT_TRUE(w.Widget()->windowFlags() & Qt::FramelessWindowHint);
}

TEST(Window, FocusLossTellsWhichWindowTookTheFocus) {
  ProbeWindow a, b;
  ASSERT_TRUE(a.CreateTopLevel("a", Rect::FromSize(0, 0, 10, 10), 1));
  ASSERT_TRUE(b.CreateTopLevel("b", Rect::FromSize(20, 0, 10, 10), 2));
  a.SetFocus();
  SpinUntil([&] { return a.HasFocus(); });
  ASSERT_FALSE(a.focus.empty());
  EXPECT_EQ(&a, a.focus.back());
  b.SetFocus();
  SpinUntil([&] { return b.HasFocus(); });
  EXPECT_EQ(&b, a.focus.back());  // a heard that b took the focus
  ASSERT_FALSE(b.focus.empty());
  EXPECT_EQ(&b, b.focus.back());
}

TEST(Window, CloseGoesThroughOnCloseAndDestroyEndsTheWindow) {
  ProbeWindow w;
  ASSERT_TRUE(w.CreateTopLevel("probe", Rect::FromSize(0, 0, 10, 10), 1));
  w.Widget()->close();  // as the window manager's close does
  EXPECT_EQ(1, w.closes);
  EXPECT_FALSE(w.Exists());
  EXPECT_EQ(0, w.Send(0x402));
  EXPECT_FALSE(w.Post(0x402));
}

TEST(Window, MessageBoxesFromPlugInThreadsAreShownOnTheUiThread) {
  RecordingMessageBoxes boxes;
  std::atomic<bool> done{false};
  std::thread t([&] {
    PlatformMessageBox(nullptr, u"LoadDll Fail!", u" Error! / x.so");
    done = true;
  });
  SpinUntil([&] { return done.load(); });
  t.join();
  ASSERT_EQ(1u, boxes.boxes.size());
  EXPECT_EQ("LoadDll Fail!", boxes.boxes[0].text);
  EXPECT_EQ(" Error! / x.so", boxes.boxes[0].caption);
}
}  // namespace
