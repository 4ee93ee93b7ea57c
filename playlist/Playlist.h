#pragma once
#include <QString>
#include <vector>

#include "platform/PlatformApi.h"

class PlayOrder;
class PlaylistObserver;

// One playlist row: four texts, as the editor's list shows and stores them.
struct PlaylistEntry {
  QString displayText;  // "%d. %s": 1-based position and title
  QString title;        // may be empty
  QString lengthText;   // seconds as "%d"; empty when the length is unknown
  QString path;         // file path or URL
};

// The rows of the playlist, the current row and the selected row. This is the
// only copy of the rows: the editor's list control displays them through a
// PlaylistObserver. Every row added or removed is reported to the play order,
// exactly once per row, so its item count follows the rows.
class Playlist {
 public:
  // The main window's Stop command, sent when the playing row goes away.
  static constexpr int kStopCommand = 40047;

  // The play order must outlive the playlist. mainWindow receives the Stop
  // command; it may be null or a window that does not (yet) exist.
  explicit Playlist(PlayOrder& order, WindowHandle mainWindow = nullptr);

  void SetMainWindow(WindowHandle mainWindow) { mainWindow_ = mainWindow; }
  // Views are not owned; a view removes itself before it goes away.
  void AddObserver(PlaylistObserver* observer);
  void RemoveObserver(PlaylistObserver* observer);

  // Appends a row; a negative length is unknown. Control characters of the title
  // become blanks (CleanTitle). Always succeeds.
  bool AddEntry(int length, const QString& title, const QString& path);
  // Appends a row titled with the path's last part, length unknown.
  bool AddFile(const QString& path);
  void RemoveSelected();
  // Removes one row as RemoveSelected does (the stop command when it is the
  // current row); false for an index outside the rows.
  bool RemoveRow(int index);
  void CropToSelected();
  void ClearPlaylist();
  // Swaps rows a and b (neighbours, as a drag moves a row one step at a time).
  void MoveRow(int a, int b);
  // Puts the rows in a new order: new row i is old row from[i]; from must name
  // every row exactly once, else nothing changes (false). The current row and the
  // selection follow their tracks; the play order forgets its shuffle history.
  bool Reorder(const std::vector<int>& from);
  // A new title for a row (its display text follows); a length in seconds, or
  // negative for unknown.
  void SetTitle(int index, const QString& title);
  void SetLength(int index, int seconds);
  // Rewrites the display texts of rows first..last; last -1 means to the end.
  void Renumber(int first, int last = -1);

  // False (nothing changes) for an index at or beyond the row count; a negative
  // index clears the current row.
  bool SetCurrentRow(int index);
  int GetCurrentRow() const { return currentRow_; }

  // Single selection: the selected row is also the selection mark. -1 for none.
  void SelectRow(int index);
  int GetSelectionMark() const { return selectionMark_; }

  int GetCount() const { return int(rows_.size()); }
  // Texts of a row; empty for an index outside the rows.
  QString GetPath(int index) const;
  QString GetDisplayText(int index) const;
  QString GetTitle(int index) const;
  QString GetLengthText(int index) const;
  // index must be a row (0 <= index < GetCount()).
  const PlaylistEntry& Row(int index) const { return rows_[size_t(index)]; }

  // The title AddFile gives a path: the text after its last '/', or for a path
  // without '/' after its last '\'; empty when it has neither.
  static QString TitleFromPath(const QString& path);

 private:
  bool IsRow(int index) const { return index >= 0 && index < GetCount(); }
  void DeleteAllRows();
  void DeleteRow(int index);
  void SendStop();
  void NotifySelection();

  std::vector<PlaylistEntry> rows_;
  int currentRow_ = -1;
  int selectionMark_ = -1;
  PlayOrder& order_;
  WindowHandle mainWindow_;
  std::vector<PlaylistObserver*> observers_;
};
