#include "playlist/Playlist.h"

#include <algorithm>

#include "platform/Messages.h"
#include "platform/PlatformApi.h"
#include "playlist/PlayOrder.h"
#include "playlist/PlaylistObserver.h"
#include "playlist/RowText.h"

namespace {
QString DisplayText(int row, const QString& title) { return QString::number(row + 1) + QStringLiteral(". ") + title; }
}  // namespace

Playlist::Playlist(PlayOrder& order, WindowHandle mainWindow) : order_(order), mainWindow_(mainWindow) {}

void Playlist::AddObserver(PlaylistObserver* observer) {
  if (observer && std::find(observers_.begin(), observers_.end(), observer) == observers_.end()) {
    observers_.push_back(observer);
  }
}

void Playlist::RemoveObserver(PlaylistObserver* observer) { std::erase(observers_, observer); }

bool Playlist::AddEntry(int length, const QString& text, const QString& path) {
  // A title from a tag, a file name or a list never carries a line break into the
  // display or into the saved list.
  const QString title = CleanTitle(text);
  const int row = GetCount();
  for (PlaylistObserver* o : observers_) o->BeginInsertRows(row, row);
  rows_.push_back({DisplayText(row, title), title, length < 0 ? QString() : QString::number(length), path});
  for (PlaylistObserver* o : observers_) o->EndInsertRows();
  order_.ItemAdded();
  return true;
}

bool Playlist::AddFile(const QString& path) { return AddEntry(-1, TitleFromPath(path), path); }

QString Playlist::TitleFromPath(const QString& path) {
  qsizetype cut = path.lastIndexOf('/');
  if (cut < 0) cut = path.lastIndexOf('\\');
  return cut < 0 ? QString("") : path.mid(cut + 1);
}

void Playlist::RemoveSelected() {
  const int row = selectionMark_;
  if (row < 0) return;
  if (row == currentRow_) SendStop();
  order_.ItemRemoved(row);
  DeleteRow(row);
  Renumber(row, -1);
  // ItemRemoved has already moved the play order's current row along.
  SetCurrentRow(order_.GetCurrent());
}

bool Playlist::RemoveRow(int index) {
  if (!IsRow(index)) return false;
  if (index == currentRow_) SendStop();
  order_.ItemRemoved(index);
  DeleteRow(index);
  Renumber(index, -1);
  SetCurrentRow(order_.GetCurrent());
  return true;
}

bool Playlist::Reorder(const std::vector<int>& from) {
  if (from.size() != rows_.size()) return false;
  std::vector<int> to(from.size(), -1);
  for (size_t i = 0; i < from.size(); ++i) {
    const int old = from[i];
    if (!IsRow(old) || to[size_t(old)] != -1) return false;
    to[size_t(old)] = int(i);
  }
  std::vector<PlaylistEntry> reordered;
  reordered.reserve(rows_.size());
  for (int old : from) reordered.push_back(std::move(rows_[size_t(old)]));
  rows_ = std::move(reordered);
  if (currentRow_ >= 0) currentRow_ = to[size_t(currentRow_)];
  const int current = order_.GetCurrent();
  if (IsRow(current)) order_.SetCurrent(to[size_t(current)]);
  // The rows the history names have moved: it starts again from the current row.
  order_.SetShuffle(order_.GetShuffle());
  if (selectionMark_ >= 0) {
    selectionMark_ = to[size_t(selectionMark_)];
    NotifySelection();
  }
  Renumber(0, -1);
  for (PlaylistObserver* o : observers_) o->CurrentRowChanged(currentRow_);
  return true;
}

void Playlist::SetTitle(int index, const QString& title) {
  if (!IsRow(index)) return;
  rows_[size_t(index)].title = CleanTitle(title);
  Renumber(index, index);
}

void Playlist::SetLength(int index, int seconds) {
  if (!IsRow(index)) return;
  rows_[size_t(index)].lengthText = seconds < 0 ? QString() : QString::number(seconds);
  for (PlaylistObserver* o : observers_) o->RowsChanged(index, index);
}

void Playlist::CropToSelected() {
  const int row = selectionMark_;
  if (row < 0) return;
  const bool keptCurrent = row == currentRow_;
  const QString path = rows_[size_t(row)].path;
  DeleteAllRows();
  order_.Reset(0);
  AddFile(path);
  SelectRow(0);
  if (!keptCurrent) {
    SendStop();
    SetCurrentRow(-1);
  } else {
    // The play order forgot the current row in Reset; tell it the playing track
    // is row 0, so Next does not start the same track again. Shuffle counts it
    // as played the way switching shuffle on does.
    order_.SetCurrent(0);
    order_.SetShuffle(order_.GetShuffle());
    SetCurrentRow(0);
  }
}

void Playlist::ClearPlaylist() {
  SetCurrentRow(-1);
  DeleteAllRows();
  order_.Reset(0);
  SendStop();
}

void Playlist::MoveRow(int a, int b) {
  if (a == b || !IsRow(a) || !IsRow(b)) return;
  if (selectionMark_ == a || selectionMark_ == b) {
    selectionMark_ = selectionMark_ == a ? b : a;
    NotifySelection();
  }
  order_.ItemsSwapped(a, b);
  // The highlight follows the track. No scrolling here: the user is dragging.
  const int oldCurrent = currentRow_;
  const int newCurrent = order_.GetCurrent();
  currentRow_ = newCurrent < GetCount() ? std::max(newCurrent, -1) : currentRow_;
  // Rows a and b are repainted by the renumbering below; any other row that
  // gained or lost the highlight is repainted here.
  if (oldCurrent != currentRow_) {
    for (int row : {oldCurrent, currentRow_}) {
      if (!IsRow(row) || row == a || row == b) continue;
      for (PlaylistObserver* o : observers_) o->RowsChanged(row, row);
    }
  }
  PlaylistEntry& x = rows_[size_t(a)];
  PlaylistEntry& y = rows_[size_t(b)];
  std::swap(x.title, y.title);
  std::swap(x.lengthText, y.lengthText);
  std::swap(x.path, y.path);
  // Only the two swapped rows change position text; renumbering every later row
  // would give the same texts at the cost of a full pass per step of a drag.
  Renumber(std::min(a, b), std::max(a, b));
}

void Playlist::Renumber(int first, int last) {
  first = std::max(first, 0);
  if (last < 0 || last >= GetCount()) last = GetCount() - 1;
  if (first > last) return;
  for (int row = first; row <= last; ++row) {
    PlaylistEntry& entry = rows_[size_t(row)];
    entry.displayText = DisplayText(row, entry.title);
  }
  for (PlaylistObserver* o : observers_) o->RowsChanged(first, last);
}

bool Playlist::SetCurrentRow(int index) {
  if (index >= GetCount()) return false;
  currentRow_ = index < 0 ? -1 : index;
  for (PlaylistObserver* o : observers_) o->CurrentRowChanged(currentRow_);
  return true;
}

void Playlist::SelectRow(int index) {
  selectionMark_ = IsRow(index) ? index : -1;
  NotifySelection();
}

QString Playlist::GetPath(int index) const { return IsRow(index) ? Row(index).path : QString(); }
QString Playlist::GetDisplayText(int index) const { return IsRow(index) ? Row(index).displayText : QString(); }
QString Playlist::GetTitle(int index) const { return IsRow(index) ? Row(index).title : QString(); }
QString Playlist::GetLengthText(int index) const { return IsRow(index) ? Row(index).lengthText : QString(); }

void Playlist::DeleteAllRows() {
  if (rows_.empty()) return;
  const int last = GetCount() - 1;
  for (PlaylistObserver* o : observers_) o->BeginRemoveRows(0, last);
  rows_.clear();
  currentRow_ = -1;
  for (PlaylistObserver* o : observers_) o->EndRemoveRows();
  if (selectionMark_ != -1) {
    selectionMark_ = -1;
    NotifySelection();
  }
}

void Playlist::DeleteRow(int index) {
  for (PlaylistObserver* o : observers_) o->BeginRemoveRows(index, index);
  rows_.erase(rows_.begin() + index);
  // Rows below move up; the marks on them move with them.
  if (currentRow_ == index) currentRow_ = -1;
  else if (currentRow_ > index) --currentRow_;
  const int oldMark = selectionMark_;
  if (selectionMark_ == index) selectionMark_ = -1;
  else if (selectionMark_ > index) --selectionMark_;
  for (PlaylistObserver* o : observers_) o->EndRemoveRows();
  if (selectionMark_ != oldMark) NotifySelection();
}

void Playlist::SendStop() { PlatformSendMessage(mainWindow_, MSG_COMMAND, uintptr_t(kStopCommand), 0); }

void Playlist::NotifySelection() {
  for (PlaylistObserver* o : observers_) o->SelectionChanged(selectionMark_);
}
