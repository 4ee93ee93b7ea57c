#pragma once
#include <QString>
#include <memory>
#include <vector>

#include "playlist/JumpDialog.h"
#include "skin/SkinPackages.h"

class QMenu;

// Command identifiers of the main window's popup menu.
enum MenuCommand : int {
  CMD_SCALE_50 = 32779,
  CMD_SCALE_75 = 32780,
  CMD_FIT_SCREEN = 32781,  // "(240 * 320)"
  CMD_SCALE_100 = 32782,
  CMD_SCALE_150 = 32783,
  CMD_SCALE_200 = 32784,
  CMD_BUTTONS = 32785,
  CMD_VOLUME = 32786,
  CMD_PLUGINS_NONE = 32790,
  CMD_SHOW_EQUALIZER = 32792,
  CMD_SHOW_PLAYLIST = 32793,
  CMD_SHOW_MAIN = 32794,
  CMD_ABOUT = 32795,
  CMD_TOPMOST = 32797,
  CMD_LANGUAGE_DEFAULT = 32802,
  CMD_PREFERENCES = 32803,
  CMD_TIME_ELAPSED = 32804,
  CMD_TIME_REMAINING = 32805,
  CMD_DOUBLE_SIZE = 32806,
  CMD_SHUFFLE = 32807,
  CMD_REPEAT = 32808,
  CMD_SPEED = 32837,
  CMD_JUMP_TO_FILE = kJumpToFileCommand,  // our own, with an id outside the designed ones
  CMD_EXIT = 65535,
  // Sent by other windows: previous, play, pause, stop, next.
  CMD_REMOTE_PREVIOUS = 40044,
  CMD_REMOTE_PLAY = 40045,
  CMD_REMOTE_PAUSE = 40046,
  CMD_REMOTE_STOP = 40047,
  CMD_REMOTE_NEXT = 40048,
};

// What the menu shows checked before it opens.
struct MenuState {
  bool equalizerVisible = false;
  bool playlistVisible = false;
  bool topMost = false;
  bool repeat = false;
  bool shuffle = false;
  bool timeRemaining = false;  // the time display counts down
};

// The "Popup" menu, top to bottom, with its checks, grayed items and both Skins
// submenus filled with the packages. Every item carries its command identifier
// as the action's data.
std::unique_ptr<QMenu> BuildPopupMenu(const QString& programName, const MenuState& state,
                                      const std::vector<SkinPackage>& packages);
