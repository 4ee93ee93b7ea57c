#include "playlist/PlaylistMenus.h"

#include <QMenu>
#include <initializer_list>

#include "playlist/JumpDialog.h"

namespace {
std::unique_ptr<QMenu> Menu(const char* title, int firstCommand, std::initializer_list<const char*> items) {
  auto menu = std::make_unique<QMenu>();
  menu->setTitle(QString::fromUtf8(title));
  int command = firstCommand;
  for (const char* item : items) menu->addAction(QString::fromUtf8(item))->setData(command++);
  return menu;
}
}  // namespace

std::unique_ptr<QMenu> BuildPlaylistMenu(EditorMenu which) {
  switch (which) {
    case EditorMenu::Remove:
      return Menu("RemMisc", 32814, {"Remove all dead files", "Physically remove selected file(s)"});
    case EditorMenu::Sort:
      return Menu("SortList", 32816,
                  {"Sort list by title", "Sort list by filename", "Sort list by path and filename", "Reverse list",
                   "Randomize list"});
    case EditorMenu::FileInfo:
      return Menu("FileInf", 32821, {"File Info", "Playlist entry"});
    case EditorMenu::Misc:
    {
      auto menu = Menu("MiscOpts", 32823, {"Generate HTML playlist", "Read extended info on selection"});
      menu->addAction(QStringLiteral("Jump to file...\tJ"))->setData(kJumpToFileCommand);
      return menu;
    }
    default:
      return nullptr;
  }
}
