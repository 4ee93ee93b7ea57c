#pragma once
#include "platform/Window.h"
#include "playlist/PlaylistObserver.h"

class Playlist;

// What a double tap on a row does: asks the main window to play the row
// (MSG_PLAY_ROW) and, when it started, makes it the editor's current row.
bool RequestRowPlay(Playlist& playlist, int row);

// The playlist editor's list: one line of display text per row, drawn by the
// control itself so that only the visible rows cost anything, however long the
// list. Single selection; the current row's text and the selected row's
// background have colours of their own. Dragging a selected row carries it to
// the row under the pointer; a double tap asks the main window to play the row.
class PlaylistListControl : public Window, public PlaylistObserver {
 public:
  static constexpr int kId = 117;

  explicit PlaylistListControl(Playlist& playlist);
  ~PlaylistListControl() override;

  bool Create(Window* parent);
  // Current, Normal, NormalBG, SelectedBG, as the skin gives them.
  void SetColours(Colour current, Colour normal, Colour normalBackground, Colour selectedBackground);

  int TopRow() const { return topRow_; }
  int RowsPerPage() const;
  int RowHeight() const { return rowHeight_; }
  // Rows and their text grow with the editor's scale, like everything around them.
  void SetScale(int scale);
  // The row at a client point, -1 for empty space.
  int RowAt(Point client) const;
  // Scrolls so that row is the top visible row, within what the list allows.
  void ScrollTo(int row);
  bool IsDragging() const { return dragging_; }

  // PlaylistObserver.
  void EndInsertRows() override;
  void EndRemoveRows() override;
  void RowsChanged(int first, int last) override;
  void CurrentRowChanged(int row) override;
  void SelectionChanged(int row) override;

 protected:
  void OnPaint(Canvas& canvas) override;
  void OnStylusDown(Point client) override;
  void OnStylusMove(Point client) override;
  void OnStylusUp(Point client) override;
  void OnStylusDoubleClick(Point client) override;
  void OnWheel(int notches) override;
  void OnSize(int width, int height) override;
  void OnFocusGained() override;

 private:
  static constexpr int kRowHeight = 14;  // at 100 %
  static constexpr int kFontHeight = 13;
  static constexpr int kDragDistance = 4;  // pixels moved before a press becomes a drag

  void CarrySelected(int target);
  void KeepRowInView(int row);
  void ClampTop();
  void NotifyScrolled();

  Playlist& playlist_;
  int topRow_ = 0;
  int rowHeight_ = kRowHeight;
  int fontHeight_ = kFontHeight;
  bool pressed_ = false;
  bool dragging_ = false;
  Point pressPoint_;
  Colour current_ = MakeColour(255, 255, 255);
  Colour normal_ = MakeColour(0, 255, 0);
  Colour normalBackground_ = MakeColour(0, 0, 0);
  Colour selectedBackground_ = MakeColour(50, 50, 255);
};
