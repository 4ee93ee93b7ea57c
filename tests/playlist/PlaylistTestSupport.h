#pragma once
#include <QStringList>
#include <vector>

#include "platform/Window.h"
#include "playlist/Playlist.h"

// A hidden window standing in for the main window: records the commands it gets.
class CommandRecorder : public Window {
 public:
  CommandRecorder() { CreateTopLevel("main", Rect::FromSize(0, 0, 20, 20), 0, nullptr, false); }
  std::vector<int> commands;

 protected:
  void OnCommand(int commandId) override { commands.push_back(commandId); }
};

inline QStringList Titles(const Playlist& playlist) {
  QStringList titles;
  for (int i = 0; i < playlist.GetCount(); ++i) titles << playlist.GetTitle(i);
  return titles;
}

inline QStringList DisplayTexts(const Playlist& playlist) {
  QStringList texts;
  for (int i = 0; i < playlist.GetCount(); ++i) texts << playlist.GetDisplayText(i);
  return texts;
}
