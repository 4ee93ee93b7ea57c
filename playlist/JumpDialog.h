#pragma once
#include <QDialog>

#include "playlist/PlaylistObserver.h"
#include "playlist/TrackSearch.h"

class Playlist;
class QLineEdit;
class QListView;
class Window;
class JumpRowModel;

// The command of the "Jump to file..." entries of the main window's menu and the
// editor's misc menu (and of the J key in every player window).
constexpr int kJumpToFileCommand = 33101;

// "Jump to file": a search field over the list of the rows that match it, filtered
// as the user types. Enter or a double-click plays the chosen row the way a
// double-click in the editor does, and the dialog closes; Escape closes it. It
// does not block the player (no modal loop), follows changes of the playlist, and
// there is at most one.
class JumpDialog : public QDialog, public PlaylistObserver {
 public:
  JumpDialog(Playlist& playlist, QWidget* parent);
  ~JumpDialog() override;

  // Opens the dialog over owner's window, or brings the open one to the front.
  static JumpDialog* Open(Window* owner, Playlist& playlist);
  // The open dialog, or null.
  static JumpDialog* Current();

  QLineEdit* SearchField() const { return search_; }
  QListView* List() const { return list_; }
  // The playlist rows shown, in order.
  const std::vector<int>& ShownRows() const { return matches_.Matches(); }
  // Plays the chosen row (the highlighted one); false when none is or it did not start.
  bool PlayChosen();

  // PlaylistObserver: the rows changed, so the index is made again.
  void EndInsertRows() override { Reindex(); }
  void EndRemoveRows() override { Reindex(); }
  void RowsChanged(int, int) override { Reindex(); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void PlaceBeside(Window* owner);
  void Refilter();
  void Reindex();

  Playlist& playlist_;
  TrackSearch matches_;
  JumpRowModel* model_;
  QLineEdit* search_;
  QListView* list_;
  bool reindexQueued_ = false;
  bool played_ = false;
};
