#pragma once
#include <memory>

class QMenu;

// The playlist editor's pop-up menus, numbered by their place in the player's menu.
enum class EditorMenu {
  Remove = 2,    // "RemMisc"
  Sort = 3,      // "SortList"
  FileInfo = 4,  // "FileInf"
  Misc = 5,      // "MiscOpts"
};

// One of the editor's menus. Their entries carry the commands 32814 to 32824 (the
// action's data); "MiscOpts" ends with "Jump to file..." (kJumpToFileCommand).
// Null for a value that names no menu.
std::unique_ptr<QMenu> BuildPlaylistMenu(EditorMenu menu);
