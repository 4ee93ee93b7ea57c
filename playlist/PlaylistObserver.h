#pragma once

// What a view of the playlist hears about changes to its rows. The calls pair up
// the way a Qt item model's do (begin before the rows change, end after), so an
// adapter model can forward them directly; a view that only repaints may ignore
// the Begin... calls. Every call has an empty default.
class PlaylistObserver {
 public:
  virtual ~PlaylistObserver() = default;

  // Rows first..last (inclusive) are about to be inserted / have been inserted.
  virtual void BeginInsertRows(int first, int last) { (void)first, (void)last; }
  virtual void EndInsertRows() {}
  // Rows first..last (inclusive) are about to be removed / have been removed.
  virtual void BeginRemoveRows(int first, int last) { (void)first, (void)last; }
  virtual void EndRemoveRows() {}
  // The texts of rows first..last changed.
  virtual void RowsChanged(int first, int last) { (void)first, (void)last; }
  // The current row was set (-1 for none): scroll it fully into view and repaint
  // without erasing. Called on every SetCurrentRow, also when the row is the same.
  virtual void CurrentRowChanged(int row) { (void)row; }
  // The selected row (the selection mark) changed; -1 for none.
  virtual void SelectionChanged(int row) { (void)row; }
};
