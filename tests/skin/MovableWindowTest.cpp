// Dragging windows with the stylus: outline and live modes, axis locks,
// keeping a child inside its parent, the drag messages, and staying on top.
#include <gtest/gtest.h>

#include <QWidget>

#include "SkinControlTestSupport.h"
#include "platform/DisplaySession.h"
#include "skin/MovableWindow.h"

using namespace SkinTest;

namespace {
// A movable window that hears its own drag messages, in order.
class DragRecorder : public MovableWindow {
 public:
  using MovableWindow::MovableWindow;
  std::vector<uint32_t> heard;
  Rect rectAtEnd;

 protected:
  intptr_t OnMessage(uint32_t m, uintptr_t w, intptr_t l) override {
    heard.push_back(m);
    if (m == MSG_DRAG_END) rectAtEnd = GetWindowRect();
    return MovableWindow::OnMessage(m, w, l);
  }
};

// Visible top-level widgets other than the given one, placed at r.
bool OutlineShownAt(const Rect& r, const QWidget* except) {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w == except || !w->isVisible()) continue;
    const QRect g = w->geometry();
    if (g == QRect(r.left, r.top, r.Width(), r.Height())) return true;
  }
  return false;
}

// Drags with screen points, since a live window moves under the stylus.
void DragOnScreen(MovableWindow& w, std::initializer_list<Point> screenPoints) {
  auto it = screenPoints.begin();
  Press(w, ClientOf(w, *it));
  for (++it; it != screenPoints.end(); ++it) Move(w, ClientOf(w, *it));
}
}  // namespace

TEST(MovableWindow, OutlineDragMovesOnlyOnRelease) {
  DragRecorder w(DragMode{});
  ASSERT_TRUE(w.CreateTopLevel("outline", Rect::FromSize(100, 100, 150, 80), 1));
  Press(w, {10, 10});
  EXPECT_TRUE(w.IsDragging());
  Move(w, {25, 15});
  Move(w, {40, 30});
  EXPECT_EQ(w.GetWindowRect(), Rect::FromSize(100, 100, 150, 80));
  EXPECT_TRUE(OutlineShownAt(Rect::FromSize(130, 120, 150, 80), w.Widget()));
  Release(w, {40, 30});
  EXPECT_FALSE(w.IsDragging());
  EXPECT_EQ(w.GetWindowRect(), Rect::FromSize(130, 120, 150, 80));
  // The window has moved by the time it hears the end of the drag; the outline is gone.
  EXPECT_EQ(w.rectAtEnd, Rect::FromSize(130, 120, 150, 80));
  EXPECT_FALSE(OutlineShownAt(Rect::FromSize(130, 120, 150, 80), w.Widget()));
  EXPECT_EQ(w.heard, (std::vector<uint32_t>{MSG_DRAG_BEGIN, MSG_DRAG_END}));
}

TEST(MovableWindow, OutlineDragHonoursAxisLocks) {
  DragRecorder w(DragMode{.lockVertical = true});
  ASSERT_TRUE(w.CreateTopLevel("locked", Rect::FromSize(100, 100, 50, 50), 1));
  Press(w, {5, 5});
  Move(w, {35, 25});
  Release(w, {35, 25});
  EXPECT_EQ(w.GetWindowRect(), Rect::FromSize(130, 100, 50, 50));
  w.SetDragMode(DragMode{.lockHorizontal = true});
  Press(w, {5, 5});
  Move(w, {35, 25});
  Release(w, {35, 25});
  EXPECT_EQ(w.GetWindowRect(), Rect::FromSize(130, 120, 50, 50));
}

TEST(MovableWindow, ReleaseWithoutPressDoesNothing) {
  DragRecorder w(DragMode{});
  ASSERT_TRUE(w.CreateTopLevel("idle", Rect::FromSize(10, 10, 50, 50), 1));
  Move(w, {30, 30});
  Release(w, {30, 30});
  EXPECT_TRUE(w.heard.empty());
  EXPECT_EQ(w.GetWindowRect(), Rect::FromSize(10, 10, 50, 50));
}

TEST(MovableWindow, LiveDragFollowsTheStylus) {
  DragRecorder w(DragMode{.outline = false});
  ASSERT_TRUE(w.CreateTopLevel("live", Rect::FromSize(100, 100, 150, 80), 1));
  DragOnScreen(w, {{110, 110}, {125, 105}});
  EXPECT_EQ(w.GetWindowRect(), Rect::FromSize(115, 95, 150, 80));
  Move(w, ClientOf(w, {140, 130}));
  EXPECT_EQ(w.GetWindowRect(), Rect::FromSize(130, 120, 150, 80));
  Release(w, ClientOf(w, {140, 130}));
  EXPECT_EQ(w.GetWindowRect(), Rect::FromSize(130, 120, 150, 80));
  EXPECT_EQ(w.heard, (std::vector<uint32_t>{MSG_DRAG_BEGIN, MSG_DRAG_END}));
}

TEST(MovableWindow, LiveChildReportsEveryStepToItsParent) {
  RecordingWindow parent;
  ASSERT_TRUE(parent.CreateTopLevel("parent", Rect::FromSize(50, 40, 200, 200), 1));
  DragRecorder child(DragMode{.outline = false, .lockVertical = true});
  ASSERT_TRUE(child.CreateChild(&parent, Rect::FromSize(20, 30, 40, 20), 2));
  DragOnScreen(child, {{75, 75}, {85, 95}, {95, 60}});
  // Vertically locked: only x follows.
  EXPECT_EQ(child.GetWindowRect(), Rect::FromSize(90, 70, 40, 20));
  ASSERT_EQ(parent.movingRects.size(), 2u);
  EXPECT_EQ(parent.movingRects[0], Rect::FromSize(80, 70, 40, 20));
  EXPECT_EQ(parent.movingRects[1], Rect::FromSize(90, 70, 40, 20));
  Release(child, ClientOf(child, {95, 60}));
  EXPECT_EQ(child.GetWindowRect(), Rect::FromSize(90, 70, 40, 20));
  EXPECT_EQ(CountMessages(parent, MSG_DRAG_END), 0);  // the end goes to the window itself
}

TEST(MovableWindow, KeepInsidePullsBackOneStepLate) {
  RecordingWindow parent;
  ASSERT_TRUE(parent.CreateTopLevel("parent", Rect::FromSize(0, 0, 200, 100), 1));
  DragRecorder child(DragMode{.outline = false, .keepInside = true});
  ASSERT_TRUE(child.CreateChild(&parent, Rect::FromSize(150, 10, 40, 20), 2));
  // One step may leave the parent...
  DragOnScreen(child, {{155, 15}, {195, 15}});
  EXPECT_EQ(child.GetWindowRect(), Rect::FromSize(190, 10, 40, 20));
  // ...the next starts from the pulled-back place (right edge on the parent's).
  Move(child, ClientOf(child, {196, 15}));
  EXPECT_EQ(child.GetWindowRect(), Rect::FromSize(161, 10, 40, 20));
  // Still one pixel out on the right; now also above the top, then back to 0 plus the step.
  Move(child, ClientOf(child, {196, -15}));
  EXPECT_EQ(child.GetWindowRect(), Rect::FromSize(160, -20, 40, 20));
  Move(child, ClientOf(child, {196, -13}));
  EXPECT_EQ(child.GetWindowRect(), Rect::FromSize(160, 2, 40, 20));
  Release(child, ClientOf(child, {196, -13}));
}

TEST(MovableWindow, TopMostIsKeptForTopLevelWindowsOnly) {
  MovableWindow w(DragMode{});
  EXPECT_FALSE(w.SetTopMost(true));  // not created yet
  ASSERT_TRUE(w.CreateTopLevel("top", Rect::FromSize(0, 0, 50, 50), 1));
  EXPECT_FALSE(w.IsTopMost());
  EXPECT_TRUE(w.SetTopMost(true));
  EXPECT_TRUE(w.IsTopMost());
  EXPECT_TRUE(w.Widget()->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_TRUE(w.IsVisible());
  EXPECT_EQ(w.GetWindowRect(), Rect::FromSize(0, 0, 50, 50));
  EXPECT_TRUE(w.SetTopMost(false));
  EXPECT_FALSE(w.IsTopMost());
  EXPECT_TRUE(w.SetTopMost(5));  // stored as given, for the options file
  EXPECT_EQ(5, w.IsTopMost());
  MovableWindow child(DragMode{});
  ASSERT_TRUE(child.CreateChild(&w, Rect::FromSize(0, 0, 10, 10), 2));
  EXPECT_FALSE(child.SetTopMost(true));
  EXPECT_FALSE(child.IsTopMost());
}

// Where the compositor places windows (Wayland) it moves a dragged top-level
// window itself; the player shows no outline, sends no drag messages (so nothing
// snaps or docks) and lets go of the pointer.
class CompositorPlacedWindows : public ::testing::Test {
 protected:
  void SetUp() override { Platform::OverrideWindowPlacesKnown(false); }
  void TearDown() override { Platform::OverrideWindowPlacesKnown(std::nullopt); }
};

TEST_F(CompositorPlacedWindows, TopLevelDragGoesToTheCompositor) {
  DragRecorder w(DragMode{});
  ASSERT_TRUE(w.CreateTopLevel("wayland", Rect::FromSize(100, 100, 150, 80), 1));
  w.SetCapture();  // as the player's windows take it before the drag starts
  Press(w, {10, 10});
  EXPECT_TRUE(w.IsDragging());
  Move(w, {25, 15});
  EXPECT_FALSE(w.IsDragging());
  EXPECT_FALSE(w.HasCapture());
  Move(w, {40, 30});
  EXPECT_FALSE(OutlineShownAt(Rect::FromSize(115, 105, 150, 80), w.Widget()));
  EXPECT_FALSE(OutlineShownAt(Rect::FromSize(130, 120, 150, 80), w.Widget()));
  Release(w, {40, 30});
  EXPECT_EQ(w.GetWindowRect(), Rect::FromSize(100, 100, 150, 80));
  EXPECT_TRUE(w.heard.empty());
  // A tap is no drag either: nothing is sent, so no snapping moves the window.
  Press(w, {10, 10});
  Release(w, {10, 10});
  EXPECT_FALSE(w.IsDragging());
  EXPECT_TRUE(w.heard.empty());
}

TEST_F(CompositorPlacedWindows, ChildrenStillMoveInsideTheirWindowWithoutAnOutline) {
  RecordingWindow parent;
  ASSERT_TRUE(parent.CreateTopLevel("parent", Rect::FromSize(50, 60, 200, 100), 1));
  DragRecorder child(DragMode{});
  ASSERT_TRUE(child.CreateChild(&parent, Rect::FromSize(10, 10, 20, 20), 2));
  Press(child, {5, 5});
  Move(child, {25, 15});
  EXPECT_FALSE(OutlineShownAt(Rect::FromSize(80, 80, 20, 20), parent.Widget()));
  Release(child, {25, 15});
  EXPECT_EQ(child.GetWindowRect(), Rect::FromSize(80, 80, 20, 20));
  EXPECT_EQ(child.Widget()->geometry(), QRect(30, 20, 20, 20));
  EXPECT_EQ(child.heard, (std::vector<uint32_t>{MSG_DRAG_BEGIN, MSG_DRAG_END}));
}

TEST_F(CompositorPlacedWindows, WindowRectsAreThePlacesThePlayerGave) {
  RecordingWindow top;
  ASSERT_TRUE(top.CreateTopLevel("top", Rect::FromSize(300, 200, 120, 90), 1));
  RecordingWindow child;
  ASSERT_TRUE(child.CreateChild(&top, Rect::FromSize(7, 9, 20, 10), 2));
  // The compositor puts the window somewhere else and does not say so.
  top.Widget()->move(0, 0);
  EXPECT_EQ(top.GetWindowRect(), Rect::FromSize(300, 200, 120, 90));
  EXPECT_EQ(child.GetWindowRect(), Rect::FromSize(307, 209, 20, 10));
  // A move of the player's own is the new place; the size is the window's own.
  top.MoveWindow(Rect::FromSize(40, 50, 160, 70));
  EXPECT_EQ(top.GetWindowRect(), Rect::FromSize(40, 50, 160, 70));
  EXPECT_EQ(child.GetWindowRect(), Rect::FromSize(47, 59, 20, 10));
  // Where places are known, the display system's answer counts.
  Platform::OverrideWindowPlacesKnown(true);
  top.Widget()->move(5, 6);
  EXPECT_EQ(top.GetWindowRect(), Rect::FromSize(5, 6, 160, 70));
}
