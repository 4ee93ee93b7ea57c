// The playlist editor's menu entries (remove, sort, info and misc menus) and the
// files, folders and URLs it takes from the desktop.
#include <QFileInfo>

#include "platform/DesktopServices.h"
#include "platform/MessageBox.h"
#include "platform/System.h"
#include "platform/TrackInfo.h"
#include "playlist/AddCommands.h"
#include "playlist/AddFolder.h"
#include "playlist/CueSheet.h"
#include "playback/PlayerState.h"
#include "playlist/FileInfoDialog.h"
#include "playlist/HtmlPlaylist.h"
#include "playlist/JumpDialog.h"
#include "playlist/ListCommands.h"
#include "playlist/PlaylistEditorWindow.h"
#include "playlist/PlaylistStorage.h"
#include "playlist/PlsFile.h"
#include "playlist/RowText.h"
#include "playlist/UrlDownload.h"

namespace {
const QString kHtmlPageName = QStringLiteral("playlist.html");
}  // namespace

bool PlaylistEditorWindow::RunListCommand(int commandId) {
  Playlist& playlist = GetPlaylist();
  switch (commandId) {
    case CMD_REMOVE_DEAD: ListCommands::RemoveDeadFiles(playlist); break;
    case CMD_REMOVE_PHYSICALLY: TrashSelected(); break;
    case CMD_SORT_TITLE: ListCommands::SortByTitle(playlist); break;
    case CMD_SORT_FILENAME: ListCommands::SortByFileName(playlist); break;
    case CMD_SORT_PATH: ListCommands::SortByPath(playlist); break;
    case CMD_REVERSE: ListCommands::Reverse(playlist); break;
    case CMD_RANDOMIZE: ListCommands::Randomize(playlist); break;
    case CMD_FILE_INFO: FileInfoOfSelected(); break;
    case CMD_PLAYLIST_ENTRY: EditSelectedEntry(); break;
    case CMD_HTML_PLAYLIST: HtmlPlaylistCommand(); break;
    case CMD_READ_INFO: ReadInfoOfSelected(); break;
    case kJumpToFileCommand: JumpDialog::Open(this, playlist); break;
    default: return false;
  }
  return true;
}

void PlaylistEditorWindow::TrashSelected() {
  Playlist& playlist = GetPlaylist();
  const int row = playlist.GetSelectionMark();
  if (row < 0) return;
  const QString path = playlist.GetPath(row);
  // A URL has no file here to remove.
  if (ListCommands::IsUrl(path) || !QFileInfo::exists(path)) {
    ShowMessageBox(this, QStringLiteral("There is no file to remove:\n") + path);
    return;
  }
  if (!AskMessageBox(this, QStringLiteral("Move this file to the trash?\n") + path)) return;
  if (!Platform::MoveToTrash(path)) {
    ShowMessageBox(this, QStringLiteral("The file could not be moved to the trash:\n") + path);
    return;
  }
  playlist.RemoveRow(row);
}

void PlaylistEditorWindow::FileInfoOfSelected() {
  const Playlist& playlist = GetPlaylist();
  const int row = playlist.GetSelectionMark();
  if (row < 0) return;
  // A cue sheet's track shows its audio file.
  const QString path = CueSheet::FileOfPath(playlist.GetPath(row));
  // The stream playing now: what its station said of itself.
  if (playerState_ && playerState_->IsPlaying() && row == playlist.GetCurrentRow() && ListCommands::IsUrl(path) &&
      !playerState_->StreamTags().IsEmpty()) {
    ShowFileInfo(Widget(), path, StreamInfoText(path, playerState_->StreamTags()));
    return;
  }
  TrackInfo info;
  const bool readable = Platform::ReadTrackInfo(path, info);
  ShowFileInfo(Widget(), path, FileInfoText(path, info, readable));
}

void PlaylistEditorWindow::EditSelectedEntry() {
  Playlist& playlist = GetPlaylist();
  const int row = playlist.GetSelectionMark();
  if (row < 0) return;
  QString title = playlist.GetTitle(row);
  if (!Platform::AskText(this, QStringLiteral("Playlist entry"), QStringLiteral("Title:"), title)) return;
  playlist.SetTitle(row, title);
}

void PlaylistEditorWindow::ReadInfoOfSelected() {
  Playlist& playlist = GetPlaylist();
  const int row = playlist.GetSelectionMark();
  if (row < 0) return;
  TrackInfo info;
  if (Platform::ReadTrackInfo(playlist.GetPath(row), info)) ListCommands::ApplyTrackInfo(playlist, row, info);
}

void PlaylistEditorWindow::HtmlPlaylistCommand() {
  const QString path = Platform::DataFolder() + kHtmlPageName;
  if (!WriteHtmlPlaylist(GetPlaylist(), path)) {
    ShowMessageBox(this, QStringLiteral("The playlist page could not be written:\n") + path);
    return;
  }
  Platform::OpenInBrowser(path);
}

int PlaylistEditorWindow::AddItems(const QStringList& items) {
  Playlist& playlist = GetPlaylist();
  const int first = playlist.GetCount();
  const QStringList patterns = openFilter_.DistinctPatterns();
  for (const QString& item : items) {
    // A "file:" URI is a local path (its bytes exactly, also when not UTF-8).
    const QString local = FileUriToPath(item);
    if (local.isEmpty() && ListCommands::IsUrl(item)) {
      AddUrl(playlist, item, Platform::DataFolder() + kTempPlsName);
      continue;
    }
    const QString path = QFileInfo(local.isEmpty() ? item : local).absoluteFilePath();
    const PathKind kind = KindOfPath(path);
    if (kind == PathKind::Folder) {
      // A folder as the add-folder command walks it, subfolders included.
      AddFolderFiles(playlist, path, patterns, true);
    } else if (kind == PathKind::File && IsListFile(path)) {
      // A playlist file (M3U, M3U8, PLS) brings its entries, not itself.
      AddListFile(playlist, path, this);
    } else if (kind == PathKind::File) {
      playlist.AddFile(path);
    }
  }
  return playlist.GetCount() > first ? first : -1;
}

void PlaylistEditorWindow::OnDrop(const QStringList& items) { AddItems(items); }
