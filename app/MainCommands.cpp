// The main window's commands: its buttons and toggles, the popup menu, the
// commands other windows send, the scale and fit-to-screen, and where the
// windows go after a drag.
#include <QCursor>
#include <QMenu>
#include <QShortcut>

#include "app/MainLayout.h"
#include "app/MainWindow.h"
#include "app/PopupMenu.h"
#include "app/SnapCarry.h"
#include "platform/MessageBox.h"
#include "platform/System.h"
#include "playlist/PlayOrder.h"

using namespace MainLayout;

bool MainWindow::RouteSpecialCommand(int commandId) {
  // Commands of other windows and of the Skins menus come before the table.
  switch (commandId) {
    case CMD_REMOTE_PREVIOUS:
      playback_->PreviousCommand();
      return true;
    case CMD_REMOTE_PLAY:
      playback_->PlayCommand();
      return true;
    case CMD_REMOTE_PAUSE:
      playback_->PauseCommand();
      return true;
    case CMD_REMOTE_STOP:
      playback_->StopPlay();
      return true;
    case CMD_REMOTE_NEXT:
      playback_->NextCommand();
      return true;
    default:
      break;
  }
  if (commandId >= SKIN_BASE_COMMAND && commandId < SKIN_COMMAND_END) {
    // The placeholder entry is grayed; ChooseSkin ignores it.
    ChooseSkin(commandId);
    return true;
  }
  return false;
}

void MainWindow::OnCommand(int commandId) {
  if (RouteSpecialCommand(commandId)) return;
  switch (commandId) {
    case ID_CLOSE:
    case CMD_EXIT:
      Close();
      break;
    case ID_MINIMIZE:
      Minimize();
      break;
    case ID_MENU:
      ShowPopupMenu();
      break;
    case ID_PREVIOUS:
      playback_->PreviousCommand();
      break;
    case ID_PLAY:
      playback_->PlayCommand();
      break;
    case ID_PAUSE:
      playback_->PauseCommand();
      break;
    case ID_STOP:
      playback_->StopPlay();
      break;
    case ID_NEXT:
      playback_->NextCommand();
      break;
    case ID_OPEN:
      playback_->OpenCommand();
      break;
    case ID_EQUALIZER:
    case ID_PLAYLIST:
      ToggleWindow(commandId);
      break;
    case ID_REPEAT:
      if (PlayOrder* order = ThePlayOrder()) order->SetRepeat(repeatToggle_.GetState());
      break;
    case ID_SHUFFLE:
      if (PlayOrder* order = ThePlayOrder()) order->SetShuffle(shuffleToggle_.GetState());
      break;
    case CMD_SCALE_50:
      ScaleAllWindows(50);
      break;
    case CMD_SCALE_75:
      ScaleAllWindows(75);
      break;
    case CMD_SCALE_100:
      ScaleAllWindows(100);
      break;
    case CMD_SCALE_150:
      ScaleAllWindows(150);
      break;
    case CMD_SCALE_200:
      ScaleAllWindows(200);
      break;
    case CMD_FIT_SCREEN:
      FitToScreen();
      break;
    case CMD_BUTTONS:
      ButtonSettingDialog();
      break;
    case CMD_VOLUME:
      VolumeDialog();
      break;
    case CMD_SHOW_EQUALIZER:
      FlipToggle(ID_EQUALIZER);
      ToggleWindow(ID_EQUALIZER);
      break;
    case CMD_SHOW_PLAYLIST:
      FlipToggle(ID_PLAYLIST);
      ToggleWindow(ID_PLAYLIST);
      break;
    case CMD_ABOUT:
      AboutBox();
      break;
    case CMD_TOPMOST:
      SetTopMost(IsTopMost() ? 0 : 1);
      break;
    case CMD_PREFERENCES:
      PreferencesWindow();
      break;
    case CMD_SHUFFLE:
      FlipToggle(ID_SHUFFLE);
      OnCommand(ID_SHUFFLE);
      break;
    case CMD_REPEAT:
      FlipToggle(ID_REPEAT);
      OnCommand(ID_REPEAT);
      break;
    case CMD_SPEED:
      playback_->SpeedDialog();
      break;
    case CMD_TIME_ELAPSED:
      SetTimeRemaining(false);
      break;
    case CMD_TIME_REMAINING:
      SetTimeRemaining(true);
      break;
    case CMD_JUMP_TO_FILE:
      JumpDialog::Open(this, playlistWindow_->GetPlaylist());
      break;
    default:
      // "Main Window", the grayed items and the playlist editor's own commands.
      break;
  }
}

void MainWindow::AddJumpKeys() {
  for (Window* window : {static_cast<Window*>(this), static_cast<Window*>(equalizerWindow_.get()),
                         static_cast<Window*>(playlistWindow_.get())}) {
    if (!window || !window->Widget()) continue;
    // While that window is the active one; a key grabbed as a hot key never gets here.
    auto* key = new QShortcut(QKeySequence(Qt::Key_J), window->Widget());
    QObject::connect(key, &QShortcut::activated, key, [this] { OnCommand(CMD_JUMP_TO_FILE); });
  }
}

void MainWindow::FlipToggle(int toggleId) {
  SkinToggle& toggle = Toggle(toggleId);
  toggle.SetState(!toggle.GetState());
}

void MainWindow::ToggleWindow(int toggleId) {
  // Shows (on) or hides (off) the equalizer or the playlist editor.
  Window& window = toggleId == ID_EQUALIZER ? static_cast<Window&>(*equalizerWindow_) : *playlistWindow_;
  if (Toggle(toggleId).GetState()) {
    window.Show();
  } else {
    window.Hide();
  }
}

void MainWindow::ScaleAllWindows(int scale) {
  SetScale(scale);
  equalizerWindow_->SetScale(scale);
  playlistWindow_->ChangeScale(scale);
}

void MainWindow::FitToScreen() {
  Platform::ShellFullScreen(this, Platform::SHELL_HIDE_TASKBAR);
  ScaleAllWindows(88);
  const Rect r = GetWindowRect();
  MoveWindow(Rect::FromSize(0, 26, r.Width(), r.Height()), true);
  int y = 26 + r.Height();
  if (equalizerWindow_->IsVisible()) {
    const Rect client = equalizerWindow_->GetClientRect();
    equalizerWindow_->MoveWindow(Rect::FromSize(0, y, client.Width(), client.Height()), true);
    y += client.Height();
  }
  // The playlist editor fills the rest of the screen below, shown or not.
  playlistWindow_->MoveWindow(Rect::FromSize(0, y, ScreenWidth(), ScreenHeight() - y), true);
}

void MainWindow::ShowPopupMenu() {
  MenuState state;
  state.equalizerVisible = equalizerWindow_->IsVisible();
  state.playlistVisible = playlistWindow_->IsVisible();
  state.topMost = IsTopMost() != 0;
  state.timeRemaining = timeRemaining_;
  if (const PlayOrder* order = ThePlayOrder()) {
    state.repeat = order->GetRepeat();
    state.shuffle = order->GetShuffle();
  }
  std::unique_ptr<QMenu> menu = BuildPopupMenu(QStringLiteral("Tarnello"), state, RefreshSkinPackages());
  const QAction* chosen = menu->exec(QCursor::pos());
  // The command runs once the menu has gone, as a menu's command message does.
  if (chosen && chosen->isEnabled() && chosen->data().isValid()) PostCommand(chosen->data().toInt());
}

void MainWindow::SnapAndCarryAfterDrag() {
  auto docked = [](const Window& w) -> std::optional<DockedWindow> {
    if (!w.Exists()) return std::nullopt;
    return DockedWindow{w.GetWindowRect(), w.IsVisible()};
  };
  const SnapResult moved = SnapAndCarry(dragStartRect_, GetWindowRect(), docked(*equalizerWindow_),
                                        docked(*playlistWindow_), ScreenWidth(), ScreenHeight());
  MoveWindow(moved.main, true);
  if (moved.playlist) playlistWindow_->MoveWindow(*moved.playlist, true);
  if (moved.equalizer) equalizerWindow_->MoveWindow(*moved.equalizer, true);
}

std::vector<SkinPackage> MainWindow::RefreshSkinPackages() {
  std::vector<SkinPackage> packages = ListSkinPackages(Platform::ProgramFolder() + "Skins");
  // An installed copy also offers the skins the user put into the "Skins" folder of
  // the data folder, sorted in among the installed ones.
  const QString data = Platform::DataFolder();
  if (data != Platform::ProgramFolder()) packages = MergeSkinPackages(std::move(packages), ListSkinPackages(data + "Skins"));
  skinPackages_.clear();
  for (const SkinPackage& package : packages) skinPackages_.append(package.path);
  return packages;
}

void MainWindow::ChooseSkin(int command) {
  const QString package = SkinPackageForCommand(skinPackages_, command);
  if (!package.isEmpty()) LoadAndApplySkin(package);
}

bool MainWindow::LoadAndApplySkin(const QString& source) {
  if (!skin_->Load(source)) {
    ShowMessageBox(this, "qsk load Fail!");
    return false;
  }
  ApplySkin();
  equalizerWindow_->ApplySkin();
  playlistWindow_->ApplySkin();
  return true;
}

QStringList MainWindow::TakeDroppedSkins(const QStringList& items) {
  QStringList rest;
  for (const QString& item : items) {
    if (!IsSkinFile(item)) {
      rest << item;
      continue;
    }
    // Applied from where it lies; kept only when it loaded, so a file that is no
    // skin never joins the Skins menus.
    if (LoadAndApplySkin(item)) CopyIntoSkinsFolder(item, Platform::DataFolder() + "Skins");
  }
  return rest;
}
