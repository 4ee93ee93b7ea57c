#pragma once
#include <memory>

class QMenu;

// The playlist editor's pop-up menus, by their place in the player's menu: 2
// "RemMisc", 3 "SortList", 4 "FileInf", 5 "MiscOpts". Their entries carry the
// commands 32814 to 32824 (the action's data); "MiscOpts" ends with "Jump to
// file..." (kJumpToFileCommand). Null for any other index.
std::unique_ptr<QMenu> BuildPlaylistMenu(int index);
