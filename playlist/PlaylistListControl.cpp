#include "playlist/PlaylistListControl.h"

#include <algorithm>

#include "platform/Canvas.h"
#include "playlist/Playlist.h"
#include "skin/PlayerWindows.h"
#include "skin/Scale.h"

PlaylistListControl::PlaylistListControl(Playlist& playlist) : playlist_(playlist) { playlist_.AddObserver(this); }

PlaylistListControl::~PlaylistListControl() { playlist_.RemoveObserver(this); }

bool PlaylistListControl::Create(Window* parent) { return CreateChild(parent, Rect{}, kId, true); }

void PlaylistListControl::SetColours(Colour current, Colour normal, Colour normalBackground,
                                     Colour selectedBackground) {
  current_ = current;
  normal_ = normal;
  normalBackground_ = normalBackground;
  selectedBackground_ = selectedBackground;
  Invalidate(false);
}

void PlaylistListControl::SetScale(int scale) {
  rowHeight_ = std::max(1, ScaleControl(scale, kRowHeight));
  fontHeight_ = std::max(1, ScaleControl(scale, kFontHeight));
  ClampTop();
  Invalidate(false);
}

int PlaylistListControl::RowsPerPage() const { return std::max(1, GetClientRect().Height() / rowHeight_); }

int PlaylistListControl::RowAt(Point client) const {
  const Rect c = GetClientRect();
  if (client.y < 0 || client.y >= c.Height() || client.x < 0 || client.x >= c.Width()) return -1;
  const int row = topRow_ + client.y / rowHeight_;
  return row < playlist_.GetCount() ? row : -1;
}

void PlaylistListControl::ClampTop() {
  const int last = std::max(0, playlist_.GetCount() - RowsPerPage());
  topRow_ = std::clamp(topRow_, 0, last);
}

void PlaylistListControl::NotifyScrolled() {
  // The editor draws the scroll thumb on its border.
  if (Window* parent = GetParent()) parent->Invalidate(false);
}

void PlaylistListControl::ScrollTo(int row) {
  const int before = topRow_;
  topRow_ = row;
  ClampTop();
  if (topRow_ == before) return;
  Invalidate(false);
  NotifyScrolled();
}

void PlaylistListControl::KeepRowInView(int row) {
  if (row < 0) return;
  if (row < topRow_) {
    ScrollTo(row);
  } else if (row >= topRow_ + RowsPerPage()) {
    ScrollTo(row - RowsPerPage() + 1);
  }
}

void PlaylistListControl::OnPaint(Canvas& canvas) {
  const Rect client = GetClientRect();
  const Rect dirty = canvas.DirtyRect();
  canvas.Fill(dirty, normalBackground_);
  const int count = playlist_.GetCount();
  const int first = topRow_ + std::max(0, dirty.top) / rowHeight_;
  const int selected = playlist_.GetSelectionMark();
  const int currentRow = playlist_.GetCurrentRow();
  for (int row = first; row < count; ++row) {
    const int y = (row - topRow_) * rowHeight_;
    if (y >= dirty.bottom || y >= client.bottom) break;
    const Rect line = Rect::FromSize(0, y, client.Width(), rowHeight_);
    if (row == selected) canvas.Fill(line, selectedBackground_);
    const Rect text{2, y, client.right - 2, y + rowHeight_};
    canvas.DrawTextTopLeft(text, playlist_.Row(row).displayText, fontHeight_, QString(),
                           row == currentRow ? current_ : normal_);
  }
}

void PlaylistListControl::OnStylusDown(Point client) {
  // Open button groups of the editor close on any click in the list.
  if (Window* parent = GetParent()) parent->Send(MSG_LIST_CLICK);
  SetCapture();
  pressed_ = true;
  dragging_ = false;
  pressPoint_ = client;
  playlist_.SelectRow(RowAt(client));
}

void PlaylistListControl::OnStylusMove(Point client) {
  if (!pressed_) return;
  if (!dragging_) {
    const bool moved = std::abs(client.x - pressPoint_.x) + std::abs(client.y - pressPoint_.y) >= kDragDistance;
    if (!moved || playlist_.GetSelectionMark() < 0) return;
    dragging_ = true;
  }
  // Above or below the list the rows scroll by, so a row can go anywhere.
  if (client.y < 0) {
    ScrollTo(topRow_ - 1);
  } else if (client.y >= GetClientRect().Height()) {
    ScrollTo(topRow_ + 1);
  }
  const int y = std::clamp(client.y, 0, GetClientRect().Height() - 1);
  CarrySelected(RowAt({std::clamp(client.x, 0, GetClientRect().Width() - 1), y}));
}

void PlaylistListControl::CarrySelected(int target) {
  int s = playlist_.GetSelectionMark();
  if (target < 0 || s < 0 || target == s) return;
  // Neighbour swaps: the rows between move one place; the selection travels with
  // the row it marks.
  const int step = target > s ? 1 : -1;
  for (; s != target; s += step) playlist_.MoveRow(s, s + step);
}

void PlaylistListControl::OnStylusUp(Point) {
  pressed_ = false;
  dragging_ = false;
  ReleaseCapture();
}

bool RequestRowPlay(Playlist& playlist, int row) {
  Window* main = PlayerWindows::Main();
  if (!main || main->Send(MSG_PLAY_ROW, uintptr_t(row)) == 0) return false;
  playlist.SetCurrentRow(row);
  return true;
}

void PlaylistListControl::OnStylusDoubleClick(Point client) {
  const int row = RowAt(client);
  if (row >= 0) RequestRowPlay(playlist_, row);
}

void PlaylistListControl::OnWheel(int notches) { ScrollTo(topRow_ - 3 * notches); }

void PlaylistListControl::OnSize(int, int) {
  const int before = topRow_;
  ClampTop();
  if (before != topRow_) NotifyScrolled();
}

void PlaylistListControl::OnFocusGained() {
  // The editor keeps the keyboard focus.
  if (Window* parent = GetParent()) parent->SetFocus();
}

void PlaylistListControl::EndInsertRows() {
  // Rows are only ever appended: only the new part and the thumb need drawing.
  Invalidate(false);
  NotifyScrolled();
}

void PlaylistListControl::EndRemoveRows() {
  ClampTop();
  Invalidate(false);
  NotifyScrolled();
}

void PlaylistListControl::RowsChanged(int, int) { Invalidate(false); }

void PlaylistListControl::CurrentRowChanged(int row) {
  KeepRowInView(row);
  Invalidate(false);
}

void PlaylistListControl::SelectionChanged(int row) {
  KeepRowInView(row);
  Invalidate(false);
}
