#pragma once
#include <memory>

#include "platform/Window.h"

class OutlineWindow;

// How a window follows the stylus when dragged.
struct DragMode {
  // A dotted outline follows the stylus and the window jumps there on release;
  // otherwise the window itself follows (live).
  bool outline = true;
  // A live child window is pulled back inside its parent.
  bool keepInside = false;
  // No movement up and down, or left and right.
  bool lockVertical = false;
  bool lockHorizontal = false;
};

// A window the user drags around with the stylus: either a dotted outline follows
// the stylus and the window jumps there on release (outline mode), or the window
// itself follows (live mode). Derived windows take the pointer capture and then
// call OnStylusDown, and call OnStylusUp before releasing it; moves come here
// directly.
//
// The window sends itself MSG_DRAG_BEGIN on stylus-down and MSG_DRAG_END after a
// drag, and tells its parent MSG_WINDOW_MOVING (wParam: const Rect* of its screen
// rectangle) after every drag step.
//
// Where the compositor places the windows (Wayland), a top-level window is moved
// by the compositor instead: the first stylus move hands the drag over, and no
// outline, drag message or snapping follows.
class MovableWindow : public Window {
 public:
  explicit MovableWindow(DragMode mode = {});
  ~MovableWindow() override;

  void SetDragMode(DragMode mode) { mode_ = mode; }
  // Keeps the window above all others when flag is non-zero (or not) without moving
  // it, and stores the flag as given; false when the window cannot be re-stacked (it
  // does not exist or is a child).
  bool SetTopMost(int flag);
  // The flag as stored: the options file writes it back unchanged.
  int IsTopMost() const { return topMost_; }
  bool IsDragging() const { return dragging_; }

 protected:
  void OnStylusDown(Point client) override;
  void OnStylusMove(Point client) override;
  void OnStylusUp(Point client) override;

 private:
  // The rectangle live drags are measured against: the parent's window rectangle,
  // or the whole screen for a top-level window.
  Rect ParentArea() const;
  Point ToScreen(Point client) const;
  void LiveStep(Point client);
  bool CompositorMoves() const;
  void HandDragToCompositor();
  void OutlineStep(Point client);

  int topMost_ = 0;
  DragMode mode_;
  bool dragging_ = false;
  Rect dragRect_;
  Rect dragStart_;
  Point lastPoint_;
  std::unique_ptr<OutlineWindow> outline_;
};
