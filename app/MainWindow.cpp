#include "app/MainWindow.h"

#include <QCoreApplication>

#include "app/PlayerOptions.h"
#include "playback/HostCallbacks.h"
#include "platform/MessageBox.h"
#include "platform/System.h"
#include "playlist/PlayOrder.h"
#include "playlist/PlaylistSession.h"

using PlayerOptions::ReadInt;
using PlayerOptions::WriteInt;

MainWindow::MainWindow() : MovableWindow(true, false, false, false), settings_(std::make_unique<SettingsFile>()) {}

MainWindow::~MainWindow() {
  // Owned objects go in this order: plug-in manager, button window, settings,
  // skin, equalizer window, playlist editor window.
  pluginManager_.reset();
  settings_.reset();
  skin_.reset();
  playlistSession_.reset();
  if (HostCallbacks::MainWindow() == GetHandle()) HostCallbacks::PublishMainWindow(nullptr);
}

bool MainWindow::Create(const QString& title) {
  // 1. The window itself; shown by the application once creation is complete.
  if (!CreateTopLevel(title, Rect{}, 0, nullptr, false)) return false;

  // 2. The plug-in manager loads and starts every plug-in of "Plugins".
  const QString folder = Platform::ProgramFolder();
  pluginManager_ = std::make_unique<PluginManager>(GetHandle(), folder + QStringLiteral("Plugins"));
  pluginManager_->LoadAll();

  // 3. The main window's handle is published for the plug-in host callbacks; a
  // plug-in reporting stream details while it started reached no window.
  HostCallbacks::PublishMainWindow(GetHandle());

  // 4. The skin is loaded from "Skins/Temporary" ("Load Fail!" when it cannot be).
  skin_ = std::make_unique<SkinSet>(folder + "Skins/Temporary");
  if (!skin_->Load(skin_->Folder())) ShowMessageBox(this, "Load Fail!");

  // 5. The settings store.
  if (!settings_->LoadFromFile(folder + PlayerOptions::kFileName)) ShowMessageBox(this, "Option read fail!");

  // 6. The skinned child controls and text panels.

  // 7. Placement.
  ReadPlacement();

  // 8.-10. The hardware-button window, fed from "hotkeys.ini" and section "buttons".
  unmap_ = ReadInt(*settings_, "UnMap", 1);
  beep_ = ReadInt(*settings_, "Beep", 1);

  // 11. Repeat, then shuffle, handed to the play order as their toggles do.
  repeatOn_ = ReadInt(*settings_, "Repeat", 0) > 0;
  shuffleOn_ = ReadInt(*settings_, "Shuffle", 0) > 0;
  if (PlayOrder* order = ThePlayOrder()) {
    order->SetRepeat(repeatOn_);
    order->SetShuffle(shuffleOn_);
  }

  // 12. The equalizer and playlist editor windows, which read their own options.
  // Until the editor window exists its playlist is filled here, as the editor's
  // creation does: from the command line or "tarnello.m3u", then "Resume".
  if (PlayOrder* order = ThePlayOrder()) {
    playlistSession_ = std::make_unique<PlaylistSession>(*order, GetHandle());
    playlistSession_->Load(commandLine_, *settings_, this);
  }

  // 13.-14. Scale of all three windows, then which secondary windows are shown.
  scale_ = ReadInt(*settings_, "Scale", 100);

  // 15.-17. Always-on-top, the volume behaviour, volume and balance.
  ReadOptions();

  // 18. Timers 103 and 104 of the display.
  // 19. The skin applied to the main window.
  return true;
}

std::vector<SkinPackage> MainWindow::RefreshSkinPackages() {
  std::vector<SkinPackage> packages = ListSkinPackages(Platform::ProgramFolder() + "Skins");
  skinPackages_.clear();
  for (const SkinPackage& package : packages) skinPackages_.append(package.path);
  return packages;
}

void MainWindow::ChooseSkin(int command) {
  const QString package = SkinPackageForCommand(skinPackages_, command);
  if (package.isEmpty()) return;
  if (!skin_->Load(package)) {
    ShowMessageBox(this, "qsk load Fail!");
    return;
  }
  // The main window, the equalizer and the playlist editor re-apply the skin here.
}

void MainWindow::ReadPlacement() {
  const int x = ReadInt(*settings_, "Main_x", 0);
  const int y = ReadInt(*settings_, "Main_y", 26);
  const int width = ReadInt(*settings_, "Main_width", 275);
  const int height = ReadInt(*settings_, "Main_height", 116);
  MoveWindow(Rect::FromSize(x, y, width, height), true);
}

void MainWindow::ReadOptions() {
  SetTopMost(ReadInt(*settings_, "TopMost", 0));
  useStartVolume_ = ReadInt(*settings_, "UseStartVol", 0);
  useEndVolume_ = ReadInt(*settings_, "UseEndVol", 0);
  startVolume_ = ReadInt(*settings_, "StartVolume", 50);
  endVolume_ = ReadInt(*settings_, "EndVolume", 0);
  volumeUpStep_ = ReadInt(*settings_, "VolUpStep", 10);
  volumeDownStep_ = ReadInt(*settings_, "VolDownStep", 10);
  volume_ = ReadInt(*settings_, "Volume", 128);
  pan_ = ReadInt(*settings_, "Pan", 0);
}

void MainWindow::WriteOptions() {
  SettingsFile& s = *settings_;
  const Rect r = GetWindowRect();
  WriteInt(s, "Main_x", r.left);
  WriteInt(s, "Main_y", r.top);
  WriteInt(s, "Main_width", r.Width());
  WriteInt(s, "Main_height", r.Height());
  WriteInt(s, "Scale", scale_);
  WriteInt(s, "Repeat", repeatOn_ ? 1 : 0);
  WriteInt(s, "Shuffle", shuffleOn_ ? 1 : 0);
  WriteInt(s, "TopMost", IsTopMost());
  WriteInt(s, "UseStartVol", useStartVolume_);
  WriteInt(s, "UseEndVol", useEndVolume_);
  WriteInt(s, "StartVolume", startVolume_);
  WriteInt(s, "EndVolume", endVolume_);
  WriteInt(s, "VolUpStep", volumeUpStep_);
  WriteInt(s, "VolDownStep", volumeDownStep_);
  WriteInt(s, "Beep", beep_);
  // Section "buttons" is rewritten from the button window's bindings; until that
  // window exists the section stays exactly as it was read.
  WriteInt(s, "UnMap", unmap_);
  WriteInt(s, "Volume", volume_);
  WriteInt(s, "Pan", pan_);
}

void MainWindow::OnClose() {
  if (closing_) return;
  closing_ = true;
  // 1. The equalizer and playlist editor windows save their options (and the playlist).
  if (playlistSession_) playlistSession_->Save(*settings_);
  // 2. Every plug-in is shut down and released.
  if (pluginManager_) pluginManager_->UnloadAll();
  // 3. The task bar is shown again.
  Platform::ShellFullScreen(this, Platform::SHELL_SHOW_TASKBAR);
  // 4. The main window's options.
  WriteOptions();
  // 5. The store goes to disk, once; a failure is not reported.
  settings_->SaveToFile(Platform::ProgramFolder() + PlayerOptions::kFileName);
  // 6. The window goes away, which ends the message loop.
  Destroy();
}

void MainWindow::OnDestroy() {
  // Queued, so the message loop ends after the destroy work is done.
  QMetaObject::invokeMethod(QCoreApplication::instance(), [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

void MainWindow::OnFocusGained() {
  Platform::ShellFullScreen(this, Platform::SHELL_HIDE_TASKBAR);
  Platform::ShellFullScreen(this, Platform::SHELL_HIDE_INPUT_BUTTON);
}

void MainWindow::OnStylusDown(Point client) {
  SetCapture();
  MovableWindow::OnStylusDown(client);
}

void MainWindow::OnStylusUp(Point client) {
  MovableWindow::OnStylusUp(client);
  ReleaseCapture();
}
