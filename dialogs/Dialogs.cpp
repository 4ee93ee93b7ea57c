// The main window's entry points: each builds its dialog, runs it modally over the
// main window and reads the result back.
#include "dialogs/Dialogs.h"

#include "dialogs/AboutDialog.h"
#include "dialogs/PreferencesDialog.h"
#include "dialogs/SpeedDialog.h"
#include "dialogs/VolumeDialog.h"
#include "playback/PluginManager.h"
#include "platform/Window.h"

namespace {
QWidget* ParentOf(Window* owner) { return owner ? owner->Widget() : nullptr; }
}  // namespace

bool RunVolumeDialog(Window* owner, VolumeSettings& values) {
  VolumeDialog dialog(ParentOf(owner));
  dialog.SetValues(values);
  if (dialog.exec() != QDialog::Accepted) return false;
  values = dialog.Values();
  return true;
}

bool RunSpeedDialog(Window* owner, int& position) {
  SpeedDialog dialog(ParentOf(owner));
  dialog.SetPosition(position);
  if (dialog.exec() != QDialog::Accepted) return false;
  position = dialog.Position();
  return true;
}

void RunPreferences(Window* owner, const PluginManager& plugins, bool& wholeList) {
  PreferencesDialog dialog(plugins.Folder(), ParentOf(owner));
  dialog.SetWholeList(wholeList);
  dialog.exec();
  wholeList = dialog.WholeList();
}

void ShowAboutBox(Window* owner) {
  AboutDialog dialog(ParentOf(owner));
  dialog.exec();
}
