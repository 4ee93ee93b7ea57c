#include "app/PopupMenu.h"

#include <QMenu>

namespace {
QAction* Item(QMenu* menu, const QString& text, int command, bool enabled = true, bool checked = false) {
  QAction* action = menu->addAction(text);
  action->setData(command);
  action->setEnabled(enabled);
  if (checked) {
    action->setCheckable(true);
    action->setChecked(true);
  }
  return action;
}

QMenu* GrayedSubmenu(QMenu* menu, const QString& title, const QString& item, int command) {
  QMenu* sub = menu->addMenu(title);
  Item(sub, item, command, false);
  sub->menuAction()->setEnabled(false);
  return sub;
}

void AddSkins(QMenu* menu, const std::vector<SkinPackage>& packages) {
  QMenu* skins = menu->addMenu(QStringLiteral("Skins"));
  Item(skins, QStringLiteral("<BaseSkin>"), SKIN_BASE_COMMAND, false);
  for (const SkinPackage& package : packages) Item(skins, package.label, package.command);
}

void AddOptions(QMenu* menu, const MenuState& state, const std::vector<SkinPackage>& packages) {
  QMenu* option = menu->addMenu(QStringLiteral("&Option"));
  Item(option, QStringLiteral("Preferences..."), CMD_PREFERENCES);
  AddSkins(option, packages);
  option->addSeparator();
  Item(option, QStringLiteral("Time elapsed"), CMD_TIME_ELAPSED, true, !state.timeRemaining);
  Item(option, QStringLiteral("Time remaining"), CMD_TIME_REMAINING, true, state.timeRemaining);
  option->addSeparator();
  Item(option, QStringLiteral("Always on top"), CMD_TOPMOST, true, state.topMost);
  Item(option, QStringLiteral("Double size"), CMD_DOUBLE_SIZE, false);
  option->addSeparator();
  Item(option, QStringLiteral("Shuffle"), CMD_SHUFFLE, true, state.shuffle);
  Item(option, QStringLiteral("Repeat"), CMD_REPEAT, true, state.repeat);
  option->addSeparator();
  Item(option, QStringLiteral("Buttons"), CMD_BUTTONS);
  Item(option, QStringLiteral("Volume"), CMD_VOLUME);
  Item(option, QStringLiteral("Speed"), CMD_SPEED);
}

void AddScale(QMenu* menu) {
  QMenu* scale = menu->addMenu(QStringLiteral("Scale"));
  Item(scale, QStringLiteral("50%"), CMD_SCALE_50);
  Item(scale, QStringLiteral("75%"), CMD_SCALE_75);
  Item(scale, QStringLiteral("(240 * 320)"), CMD_FIT_SCREEN);
  Item(scale, QStringLiteral("100%"), CMD_SCALE_100);
  Item(scale, QStringLiteral("150%"), CMD_SCALE_150);
  Item(scale, QStringLiteral("200%"), CMD_SCALE_200);
}
}  // namespace

std::unique_ptr<QMenu> BuildPopupMenu(const QString& programName, const MenuState& state,
                                      const std::vector<SkinPackage>& packages) {
  auto menu = std::make_unique<QMenu>();
  menu->setTitle(QStringLiteral("Popup"));
  Item(menu.get(), programName, CMD_ABOUT);
  menu->addSeparator();
  Item(menu.get(), QStringLiteral("Main Window"), CMD_SHOW_MAIN, true, true);
  Item(menu.get(), QStringLiteral("Playlist &Editor"), CMD_SHOW_PLAYLIST, true, state.playlistVisible);
  Item(menu.get(), QStringLiteral("E&qualizer"), CMD_SHOW_EQUALIZER, true, state.equalizerVisible);
  menu->addSeparator();
  GrayedSubmenu(menu.get(), QStringLiteral("Language"), QStringLiteral("(default)"), CMD_LANGUAGE_DEFAULT);
  GrayedSubmenu(menu.get(), QStringLiteral("Plugins"), QStringLiteral("(none)"), CMD_PLUGINS_NONE);
  AddOptions(menu.get(), state, packages);
  AddScale(menu.get());
  AddSkins(menu.get(), packages);
  // After the designed items, so "&Option" and "Skins" keep their places.
  Item(menu.get(), QStringLiteral("Jump to file...\tJ"), CMD_JUMP_TO_FILE);
  menu->addSeparator();
  Item(menu.get(), QStringLiteral("&Exit"), CMD_EXIT);
  return menu;
}
