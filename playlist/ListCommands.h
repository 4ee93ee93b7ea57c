#pragma once
#include <QString>
#include <cstdint>
#include <functional>

class Playlist;
struct TrackInfo;

// The entries of the editor's remove, sort, info and misc menus.
enum ListCommand : int {
  CMD_REMOVE_DEAD = 32814,
  CMD_REMOVE_PHYSICALLY = 32815,
  CMD_SORT_TITLE = 32816,
  CMD_SORT_FILENAME = 32817,
  CMD_SORT_PATH = 32818,
  CMD_REVERSE = 32819,
  CMD_RANDOMIZE = 32820,
  CMD_FILE_INFO = 32821,
  CMD_PLAYLIST_ENTRY = 32822,
  CMD_HTML_PLAYLIST = 32823,
  CMD_READ_INFO = 32824,
};

// Reordering and pruning the playlist. The sorts compare without regard to case
// and keep rows that compare equal in their order; the current row and the
// selection follow their tracks.
namespace ListCommands {

void SortByTitle(Playlist& playlist);
// By the file name: the text after the path's last '/' (or '\').
void SortByFileName(Playlist& playlist);
void SortByPath(Playlist& playlist);
void Reverse(Playlist& playlist);
// Every row once, in an order drawn from random (the platform's generator when empty).
void Randomize(Playlist& playlist, const std::function<uint32_t()>& random = {});
// Removes the rows naming local files that no longer exist; URLs stay. Returns
// the number of rows removed.
int RemoveDeadFiles(Playlist& playlist);
// True when a row's location is a URL rather than a local file.
bool IsUrl(const QString& location);

// Takes the title and length of a row from its file's tags (the title only when
// the file has one). False when the file could not be read.
bool ApplyTrackInfo(Playlist& playlist, int row, const TrackInfo& info);

}  // namespace ListCommands
