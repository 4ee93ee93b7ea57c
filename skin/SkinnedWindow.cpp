#include "skin/SkinnedWindow.h"

#include "platform/System.h"
#include "skin/PlayerWindows.h"

SkinnedWindow::SkinnedWindow(const WindowPlacement& placement)
    : MovableWindow(DragMode{.outline = true}), placement_(placement) {}

bool SkinnedWindow::CreateSkinned(const QString& title, int id, Window* owner) {
  return CreateTopLevel(title, Rect{}, id, owner, false);
}

void SkinnedWindow::ReadPlacement(const SettingsFile& settings) {
  MoveWindow(Placement::Read(settings, placement_, DesktopWidth(), DesktopHeight()), true);
}

void SkinnedWindow::WritePlacement(SettingsFile& settings) const {
  Placement::Write(settings, placement_, GetWindowRect(), IsVisible());
}

Rect SkinnedWindow::ScaledControlRect(int x, int y, int width, int height) const {
  return ScaleControlRect(scale_, x, y, width, height);
}

Rect SkinnedWindow::ScaledControlRect(const Rect& base) const {
  return ScaleControlRect(scale_, base.left, base.top, base.Width(), base.Height());
}

Rect SkinnedWindow::ScaledPanelRect(int x, int y, int width, int height) const {
  return ScalePanelRect(scale_, x, y, width, height);
}

void SkinnedWindow::SizeToScale(int width, int height) {
  const Rect r = GetWindowRect();
  MoveWindow(Rect::FromSize(r.left, r.top, ScaledControl(width), ScaledControl(height)), true);
}

void SkinnedWindow::PlayerFocusGained() {
  if (Window* main = PlayerWindows::Main()) main->Send(MSG_CHILD_FOCUS_GAINED);
}

void SkinnedWindow::PlayerFocusLost() {
  if (Window* main = PlayerWindows::Main()) main->Send(MSG_CHILD_FOCUS_LOST);
}

void SkinnedWindow::OnFocusGained() {
  RedrawTitleStrip();
  PlayerFocusGained();
  Platform::ShellFullScreen(this, Platform::SHELL_HIDE_TASKBAR);
  Platform::ShellFullScreen(this, Platform::SHELL_HIDE_INPUT_BUTTON);
}

void SkinnedWindow::OnFocusLost(Window* newFocus) {
  RedrawTitleStrip();
  if (PlayerWindows::IsPlayerWindow(newFocus)) return;
  PlayerFocusLost();
}
