#include "skin/MovableWindow.h"

#include <QWidget>
#include <QWindow>

#include "platform/DisplaySession.h"
#include "platform/OutlineWindow.h"

namespace {
Rect Offset(const Rect& r, int dx, int dy) { return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; }
}  // namespace

MovableWindow::MovableWindow(DragMode mode) : mode_(mode) {}

MovableWindow::~MovableWindow() = default;

bool MovableWindow::SetTopMost(int flag) {
  if (!Widget() || !Widget()->isWindow()) return false;
  Window::SetTopMost(flag != 0);
  topMost_ = flag;
  return true;
}

Rect MovableWindow::ParentArea() const {
  if (Window* parent = GetParent()) return parent->GetWindowRect();
  return Rect::FromSize(0, 0, ScreenWidth(), ScreenHeight());
}

Point MovableWindow::ToScreen(Point client) const {
  const Rect w = GetWindowRect();
  return {client.x + w.left, client.y + w.top};
}

bool MovableWindow::CompositorMoves() const {
  return !Platform::WindowPlacesKnown() && Widget() && Widget()->isWindow();
}

void MovableWindow::OnStylusDown(Point client) {
  dragging_ = true;
  // The compositor moves the window once the stylus moves; a tap stays a tap.
  if (CompositorMoves()) return;
  dragStart_ = GetWindowRect();
  if (mode_.outline) {
    dragRect_ = dragStart_;
    lastPoint_ = client;
  } else {
    const Rect p = ParentArea();
    dragRect_ = Offset(dragStart_, -p.left, -p.top);
    lastPoint_ = ToScreen(client);
  }
  Send(MSG_DRAG_BEGIN);
}

void MovableWindow::OnStylusMove(Point client) {
  if (!dragging_) return;
  if (CompositorMoves()) {
    HandDragToCompositor();
    return;
  }
  if (mode_.outline) {
    OutlineStep(client);
  } else {
    LiveStep(client);
  }
  if (Window* parent = GetParent()) {
    const Rect now = GetWindowRect();
    parent->Send(MSG_WINDOW_MOVING, reinterpret_cast<uintptr_t>(&now), 0);
  }
}

void MovableWindow::LiveStep(Point client) {
  const Rect p = ParentArea();
  const Rect w = GetWindowRect();
  Rect r = Offset(w, -p.left, -p.top);
  const Point screen = ToScreen(client);
  const int dx = screen.x - lastPoint_.x;
  const int dy = screen.y - lastPoint_.y;
  // The pull-back works on the position before this step, so a window may leave
  // its parent by one step and comes back with the next.
  if (mode_.keepInside) {
    if (w.left < p.left) {
      r = Offset(r, -r.left, 0);
    } else if (w.right > p.right) {
      r = Offset(r, p.Width() - r.right, 0);
    }
    if (w.top < p.top) {
      r = Offset(r, 0, -r.top);
    } else if (w.bottom > p.bottom) {
      r = Offset(r, 0, p.Height() - r.bottom);
    }
  }
  if (!mode_.lockVertical) r = Offset(r, 0, dy);
  if (!mode_.lockHorizontal) r = Offset(r, dx, 0);
  MoveWindow(r, true);
  lastPoint_ = screen;
  dragRect_ = r;
}

void MovableWindow::OutlineStep(Point client) {
  // The window stays put while the outline moves, so client points are comparable.
  const int dx = client.x - lastPoint_.x;
  const int dy = client.y - lastPoint_.y;
  lastPoint_ = client;
  dragRect_ = Offset(dragRect_, mode_.lockHorizontal ? 0 : dx, mode_.lockVertical ? 0 : dy);
  // A window locked on both axes cannot go anywhere: no outline to show.
  if (mode_.lockHorizontal && mode_.lockVertical) return;
  if (!outline_) outline_ = std::make_unique<OutlineWindow>();
  outline_->ShowAt(dragRect_);
}

void MovableWindow::HandDragToCompositor() {
  dragging_ = false;
  // A window that cannot move on either axis stays where it is.
  if (mode_.lockHorizontal && mode_.lockVertical) return;
  // From here the compositor holds the pointer until the button is released; the
  // release may never reach the player, so the capture ends now.
  ReleaseCapture();
  if (QWindow* handle = Widget()->windowHandle()) handle->startSystemMove();
}

void MovableWindow::OnStylusUp(Point) {
  if (!dragging_) return;
  if (CompositorMoves()) {
    dragging_ = false;
    return;
  }
  if (outline_) outline_->Hide();
  if (mode_.outline) {
    // Moving back to the start would undo a move made by someone else meanwhile
    // (a button whose command re-lays out its window), so an unmoved outline is left alone.
    if (dragRect_ != dragStart_) {
      Rect target = dragRect_;
      if (Window* parent = GetParent()) {
        const Rect p = parent->GetWindowRect();
        target = Offset(target, -p.left, -p.top);
      }
      MoveWindow(target, true);
    }
  } else {
    MoveWindow(dragRect_, false);
  }
  dragging_ = false;
  Send(MSG_DRAG_END);
}
