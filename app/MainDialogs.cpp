// The places where the main window opens its dialogs and reaches the device's
// services. Each dialog is one function here, filled by the dialog it opens.
#include "app/MainWindow.h"
#include "buttons/ButtonMapping.h"
#include "buttons/ButtonSettingDialog.h"
#include "dialogs/Dialogs.h"
#include "playback/OpenFilter.h"
#include "platform/DisplayPower.h"
#include "platform/FileDialog.h"
#include "platform/SessionPower.h"
#include "platform/SleepInhibit.h"
#include "platform/System.h"
#include "playlist/CueSheet.h"
#include "playlist/PlayOrder.h"
#include "playlist/Playlist.h"

// "Buttons": the Button Setting dialog, which rewrites the bindings of the button window.
void MainWindow::ButtonSettingDialog() {
  buttonWindow_->ReleaseButtons();
  int unmap = unmap_;
  QStringList result;
  if (RunButtonSettingDialog(Widget(), ButtonMapping::BindingValues(*settings_), unmap, result)) {
    buttonWindow_->ClearBindings();
    ButtonMapping::AddBindings(result, *buttonWindow_);
    unmap_ = unmap;
    ButtonMapping::WriteBindings(*settings_, *buttonWindow_);
  }
  buttonWindow_->RegisterButtons();
}

// "Volume": the Volume Setting dialog over the volume options.
void MainWindow::VolumeDialog() {
  VolumeOptions& v = playback_->Volume();
  VolumeSettings values{v.volumeUpStep, v.volumeDownStep, v.useStartVolume, v.useEndVolume, v.startVolume,
                        v.endVolume};
  if (!RunVolumeDialog(this, values)) return;
  v = {values.useStartVolume, values.useEndVolume, values.startVolume, values.endVolume, values.volumeUpStep,
       values.volumeDownStep};
}

// "Preferences...": the preferences window with its plug-in page.
// Its "Whole list" box switches the play order between every row and the first 255.
void MainWindow::PreferencesWindow() {
  PlayOrder* order = ThePlayOrder();
  bool wholeList = order && order->GetWholeList();
  RunPreferences(this, *pluginManager_, wholeList);
  if (order && wholeList != order->GetWholeList()) {
    const Playlist* playlist = GetPlaylist();
    order->SetWholeList(wholeList, playlist ? playlist->GetCount() : 0);
  }
}

// The program-name item: the about box.
void MainWindow::AboutBox() { ShowAboutBox(this); }

// "Speed": the speed dialog, opened at position; false leaves the speed alone.
bool MainWindow::AskSpeed(int& position) { return RunSpeedDialog(this, position); }

// The hardware-button window registers and releases the player's keys.
void MainWindow::RegisterButtons() {
  if (buttonWindow_) buttonWindow_->RegisterButtons();
}
void MainWindow::ReleaseButtons() {
  if (buttonWindow_) buttonWindow_->ReleaseButtons();
}

// "Screen Toggle": the display off if it is on, else on.
void MainWindow::ToggleScreen() {
  if (Platform::IsScreenOn()) {
    Platform::ScreenOff();
  } else {
    Platform::ScreenOn();
  }
}

// "Exit & Power off", after the close: the session is asked to suspend.
void MainWindow::PowerOff() {
  // The close has to come first; when it waits for a dialog to end, so does this.
  if (closePending_) {
    powerOffAfterClose_ = true;
    return;
  }
  Platform::Suspend();
}


bool MainWindow::AskOpenFile(const QString& filter, QString& path) {
  // A cue sheet opens too: it brings its tracks.
  return ShowOpenFileDialog(this, OpenFilter(filter).NameFilters() << CueSheet::kOpenFilter,
                            path);
}

void MainWindow::CloseMainWindow() { Close(); }

void MainWindow::ResetIdleTimer() { Platform::ResetIdleTimer(); }

void MainWindow::SetSleepInhibited(bool inhibited) { Platform::InhibitSleep(inhibited); }

void MainWindow::StartTimer(int id, int periodMs) { SetTimer(id, periodMs); }

void MainWindow::StopTimer(int id) { KillTimer(id); }

void MainWindow::RestPlaybackTimer(int id, bool rest) { RestTimer(id, rest); }
