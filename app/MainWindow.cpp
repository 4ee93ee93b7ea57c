#include "app/MainWindow.h"

#include <cstdio>

#include <QCoreApplication>
#include <QFile>
#include <QWidget>

#include "app/FirstStart.h"
#include "app/MainLayout.h"
#include "app/MediaBridge.h"
#include "app/PlayerOptions.h"
#include "app/PluginOptionFile.h"
#include "buttons/ButtonMapping.h"
#include "playback/HostCallbacks.h"
#include "playback/OpenFilter.h"
#include "platform/DesktopDensity.h"
#include "platform/MessageBox.h"
#include "platform/SleepInhibit.h"
#include "platform/ModalLoops.h"
#include "platform/SessionPower.h"
#include "platform/System.h"
#include "playlist/AddCommands.h"
#include "playlist/PlayOrder.h"
#include "playlist/PlaylistSession.h"
#include "settings/SafeFile.h"
#include "skin/PlayerWindows.h"

using namespace MainLayout;
using PlayerOptions::ReadInt;
using PlayerOptions::WriteInt;

namespace {
const QString kTitleText = QStringLiteral(" Tarnello v1.0 Beta");
// 1 when the time display counts down the rest of the track.
const char* const kTimeRemainingKey = "TimeRemaining";
// 1 when Next, Previous, repeat and shuffle cover every row, not only the first 255.
const char* const kWholeListKey = "WholeList";

}  // namespace

MainWindow::MainWindow()
    : SkinnedWindow(kMainPlacement),
      settings_(std::make_unique<SettingsFile>()),
      equalizerWindow_(std::make_unique<EqualizerWindow>()),
      playlistWindow_(std::make_unique<PlaylistEditorWindow>()) {}

MainWindow::~MainWindow() {
  Window::SetDropFilter(nullptr);
  media_.reset();
  playback_.reset();
  // Owned objects go in this order: plug-in manager, button window, settings,
  // skin, equalizer window, playlist editor window.
  pluginManager_.reset();
  buttonWindow_.reset();
  if (pluginOptions_) SetPluginOptionStore(nullptr);
  pluginOptions_.reset();
  settings_.reset();
  skin_.reset();
  if (PlayerWindows::Main() == this) PlayerWindows::Publish(nullptr, nullptr, nullptr);
  equalizerWindow_.reset();
  playlistWindow_.reset();
  if (HostCallbacks::MainWindow() == GetHandle()) HostCallbacks::PublishMainWindow(nullptr);
}

Playlist* MainWindow::GetPlaylist() const { return playback_ ? playback_->GetPlaylist() : nullptr; }

bool MainWindow::Create(const QString& title) {
  // 1. The window itself; shown by the application once creation is complete.
  if (!CreateSkinned(title, kWindowId, nullptr)) return false;

  // 2. The plug-in manager loads and starts every plug-in of "Plugins".
  const QString folder = Platform::ProgramFolder();
  pluginManager_ = std::make_unique<PluginManager>(GetHandle(), folder + QStringLiteral("Plugins"));
  pluginManager_->LoadAll();

  // 3. The main window's handle is published for the plug-in host callbacks; a
  // plug-in reporting stream details while it started reached no window.
  HostCallbacks::PublishMainWindow(GetHandle());

  // 4. The skin is loaded from "Skins/Temporary" ("Load Fail!" when it cannot be).
  // The files the player writes live in the data folder (the program folder,
  // unless that is installed or read-only).
  const QString data = Platform::DataFolder();
  skin_ = std::make_unique<SkinSet>(data + "Skins/Temporary");
  if (!skin_->Load(skin_->Folder())) ShowMessageBox(this, "Load Fail!");

  // 5. The settings store. Temporaries of a save that was killed go first.
  RemoveStaleTemporaries(data + PlayerOptions::kFileName);
  RemoveStaleTemporaries(data + PlaylistSession::kDefaultPlaylist);
  // A download always removes its list, so one found now was left by a killed player.
  QFile::remove(data + kTempPlsName);
  if (!settings_->LoadFromFile(data + PlayerOptions::kFileName)) ShowMessageBox(this, "Option read fail!");
  FirstStart::FitShippedOptions(*settings_, FirstStart::IsHighDensity(Platform::ReadDesktopDensity()));
  // Plug-ins keep their sections in the same store; they read it when they need
  // it, which is after start-up.
  pluginOptions_ = std::make_unique<PluginOptionFile>(*settings_);
  SetPluginOptionStore(pluginOptions_.get());

  // 6. The skinned child controls and text panels.
  CreateControls();
  playback_ = std::make_unique<PlaybackControl>(*pluginManager_, *this, state_);
  state_.AddObserver(this);

  // 7. Placement. The scale gives the window its size; until then it is kept
  // within the desktop.
  ReadPlacement(*settings_);

  // 8.-10. The hardware-button window, fed from "hotkeys.ini" and section "buttons".
  CreateButtonWindow();

  // 11. Repeat, then shuffle, handed to the play order as their toggles do.
  ReadToggles();

  // 12. The equalizer and playlist editor windows, which read their own options.
  CreateSecondaryWindows();

  // 13. The scale of all three windows.
  const int scale = Options::NearestScale(ReadInt(*settings_, "Scale", 100));
  SetScale(scale);
  equalizerWindow_->SetScale(scale);
  playlistWindow_->SetScale(scale);

  // 14.-17. Which secondary windows are shown, always-on-top, the volume behaviour,
  // volume and balance.
  ReadOptions();

  // 18. Timers of the display: idle reset while playing, end of armed messages.
  SetTimer(TIMER_IDLE_RESET, 29000);
  SetTimer(TIMER_MESSAGE, 1000);
  RestTimer(TIMER_MESSAGE, !osdShown_);

  // 19. The skin applied to the main window.
  ApplySkin();

  // Files, folders and URLs dropped from the desktop; the desktop's media controllers;
  // the J key of every player window.
  AcceptDrops(true);
  AddJumpKeys();
  // A skin dropped on any of the player's windows is applied.
  Window::SetDropFilter([this](const QStringList& items) { return TakeDroppedSkins(items); });
  media_ = std::make_unique<MediaBridge>(state_, GetPlaylist(), MediaCommandsOf());
  media_->Start();
  return true;
}

void MainWindow::CreateControls() {
  const Rect none{};
  for (size_t i = 0; i < pushButtons_.size(); ++i) {
    const bool created = pushButtons_[i].Create(none, this, kPushButtons[i].id);
    if (i == 0 && !created) ShowMessageBox(this, "Fail?");
  }
  equalizerToggle_.Create(none, this, ID_EQUALIZER);
  playlistToggle_.Create(none, this, ID_PLAYLIST);
  shuffleToggle_.Create(none, this, ID_SHUFFLE);
  repeatToggle_.Create(none, this, ID_REPEAT);
  volumeSlider_.Create(none, 14, 11, 0, this, SLIDER_VOLUME);
  volumeSlider_.SetRange(0, 255, false);
  balanceSlider_.Create(none, 14, 11, 0, this, SLIDER_BALANCE);
  balanceSlider_.SetRange(-127, 127, false);
  positionSlider_.Create(none, 29, 10, 0, this, SLIDER_POSITION);
  positionSlider_.SetRange(0, 255, false);
  titleText_.Create(none, this, ID_TITLE_TEXT);
  titleText_.SetText(kTitleText);
  titleText_.SetTextOffset(0, -1);
  titleText_.SetFontHeight(14);
  bitRateText_.Create(none, this, ID_BITRATE_TEXT);
  bitRateText_.SetTextOffset(0, -2);
  bitRateText_.SetFontHeight(13);
  bitRateText_.SetFitWidth(true);
  sampleRateText_.Create(none, this, ID_SAMPLERATE_TEXT);
  sampleRateText_.SetTextOffset(1, -2);
  sampleRateText_.SetFontHeight(13);
  sampleRateText_.SetFitWidth(true);
  for (size_t i = 0; i < titleButtons_.size(); ++i) titleButtons_[i].Create(none, this, kTitleButtons[i].id);
  // Created for its identifier only: never placed, never given a command.
  unplacedToggle_.Create(none, this, ID_UNPLACED);
  // The transport buttons and the menu button never move.
  constexpr DragMode kFixed{.outline = false, .keepInside = true, .lockVertical = true, .lockHorizontal = true};
  for (SkinButton& button : pushButtons_) button.SetDragMode(kFixed);
  titleButtons_[0].SetDragMode(kFixed);
}

void MainWindow::CreateButtonWindow() {
  buttonWindow_ = std::make_unique<HotkeyWindow>(this, 11111);
  SettingsFile hotkeys;
  hotkeys.LoadFromFile(Platform::ProgramFolder() + ButtonMapping::kHotkeysFile);
  unmap_ = ReadInt(*settings_, "UnMap", 1);
  ButtonMapping::AddButtons(hotkeys, *buttonWindow_);
  ButtonMapping::AddBindings(ButtonMapping::BindingValues(*settings_), *buttonWindow_);
  buttonWindow_->SetBeep(ReadInt(*settings_, "Beep", 1) != 0);
  buttonWindow_->RegisterButtons();
}

void MainWindow::CreateSecondaryWindows() {
  PluginManager* plugins = pluginManager_.get();
  equalizerWindow_->Create(
      *skin_, [plugins](int enabled, const int16_t* bands, int preamp) { plugins->ApplyEqualizer(enabled, bands, preamp); },
      *settings_, this);
  equalizerWindow_->ShareState(state_);
  // The editor fills the playlist from the command line or "tarnello.m3u".
  if (playlistWindow_->Create(*skin_, OpenFilter(pluginManager_->BuildOpenFilter()), *settings_, this, commandLine_))
    playback_->SetPlaylist(&playlistWindow_->GetPlaylist());
  playlistWindow_->ShareState(state_);
  PlayerWindows::Publish(this, equalizerWindow_.get(), playlistWindow_.get());
}

void MainWindow::ReadToggles() {
  if (PlayOrder* order = ThePlayOrder()) order->SetWholeList(ReadInt(*settings_, kWholeListKey, 0) != 0, 0);
  repeatToggle_.SetState(ReadInt(*settings_, "Repeat", 0) > 0);
  if (PlayOrder* order = ThePlayOrder()) order->SetRepeat(repeatToggle_.GetState());
  shuffleToggle_.SetState(ReadInt(*settings_, "Shuffle", 0) > 0);
  if (PlayOrder* order = ThePlayOrder()) order->SetShuffle(shuffleToggle_.GetState());
}

void MainWindow::ReadOptions() {
  equalizerToggle_.SetState(Placement::ReadShown(*settings_, kEqualizerPlacement));
  ToggleWindow(ID_EQUALIZER);
  playlistToggle_.SetState(Placement::ReadShown(*settings_, kPlaylistPlacement));
  ToggleWindow(ID_PLAYLIST);
  SetTopMost(ReadInt(*settings_, "TopMost", 0));
  timeRemaining_ = ReadInt(*settings_, kTimeRemainingKey, 0) != 0;
  VolumeOptions& v = playback_->Volume();
  v.useStartVolume = ReadInt(*settings_, "UseStartVol", 0);
  v.useEndVolume = ReadInt(*settings_, "UseEndVol", 0);
  v.startVolume = ReadInt(*settings_, "StartVolume", 50);
  v.endVolume = ReadInt(*settings_, "EndVolume", 0);
  v.volumeUpStep = ReadInt(*settings_, "VolUpStep", 10);
  v.volumeDownStep = ReadInt(*settings_, "VolDownStep", 10);
  // Kept within the sliders' ranges.
  state_.SetVolume(ReadInt(*settings_, "Volume", 128));
  state_.SetBalance(ReadInt(*settings_, "Pan", 0));
}

void MainWindow::WriteOptions() {
  SettingsFile& s = *settings_;
  WritePlacement(s);
  WriteInt(s, "Scale", GetScale());
  WriteInt(s, "Repeat", repeatToggle_.GetState() ? 1 : 0);
  WriteInt(s, "Shuffle", shuffleToggle_.GetState() ? 1 : 0);
  WriteInt(s, "TopMost", IsTopMost());
  // Written once chosen, so the file of a user who never did keeps its keys.
  QString ignored;
  if (timeRemaining_ || s.GetString(PlayerOptions::kSection, kTimeRemainingKey, {}, ignored))
    WriteInt(s, kTimeRemainingKey, timeRemaining_ ? 1 : 0);
  const bool wholeList = ThePlayOrder() && ThePlayOrder()->GetWholeList();
  if (wholeList || s.GetString(PlayerOptions::kSection, kWholeListKey, {}, ignored))
    WriteInt(s, kWholeListKey, wholeList ? 1 : 0);
  const VolumeOptions& v = playback_->Volume();
  WriteInt(s, "UseStartVol", v.useStartVolume);
  WriteInt(s, "UseEndVol", v.useEndVolume);
  WriteInt(s, "StartVolume", v.startVolume);
  WriteInt(s, "EndVolume", v.endVolume);
  WriteInt(s, "VolUpStep", v.volumeUpStep);
  WriteInt(s, "VolDownStep", v.volumeDownStep);
  WriteInt(s, "Beep", buttonWindow_->GetBeep() ? 1 : 0);
  ButtonMapping::WriteBindings(s, *buttonWindow_);
  buttonWindow_->ReleaseButtons();
  WriteInt(s, "UnMap", unmap_);
  WriteInt(s, "Volume", state_.Volume());
  WriteInt(s, "Pan", state_.Balance());
}

void MainWindow::OnClose() {
  if (closing_ || closePending_) return;
  // A close that arrives inside a dialog, a menu or a download (a logout's signal,
  // a media controller's Quit, the window manager) would destroy what the handler
  // of that loop still uses. The loops are ended first; the close follows from the
  // main loop once their handlers have returned.
  if (Platform::InNestedLoop()) {
    closePending_ = true;
    Platform::RunAfterNestedLoops(Widget(), [this] {
      closePending_ = false;
      OnClose();
      if (powerOffAfterClose_) Platform::Suspend();
    });
    return;
  }
  closing_ = true;
  // Media controllers see the player leave at once; a new start may take the name.
  media_.reset();
  // 1. The equalizer and playlist editor windows save their options (and the playlist).
  equalizerWindow_->Send(MSG_CLOSE);
  playlistWindow_->Send(MSG_CLOSE);
  // 2. Every plug-in is shut down and released; the session may sleep again.
  if (pluginManager_) pluginManager_->UnloadAll();
  Platform::InhibitSleep(false);
  // 3. The task bar is shown again.
  Platform::ShellFullScreen(this, Platform::SHELL_SHOW_TASKBAR);
  // 4. The main window's options.
  WriteOptions();
  // 5. The store goes to disk, once. The old files stay when a save fails (a
  // full disk, a read-only folder); the user hears of it once.
  const bool optionsSaved = settings_->SaveToFile(Platform::DataFolder() + PlayerOptions::kFileName);
  ReportUnsavedFiles(optionsSaved, playlistWindow_->PlaylistSaved());
  // 6. The window goes away, which ends the message loop.
  Destroy();
}

void MainWindow::EndSession() {
  sessionEnding_ = true;
  Close();
}

void MainWindow::ReportUnsavedFiles(bool optionsSaved, bool playlistSaved) {
  if (optionsSaved && playlistSaved) return;
  const char* what = !optionsSaved && !playlistSaved ? "The options and the playlist"
                     : !optionsSaved                 ? "The options"
                                                     : "The playlist";
  const QString text = QStringLiteral("%1 could not be saved.").arg(QLatin1String(what));
  if (sessionEnding_) {
    fprintf(stderr, "tarnello: %s\n", qPrintable(text));
    return;
  }
  ShowMessageBox(this, text);
}

void MainWindow::OnDestroy() {
  // Queued, so the message loop ends after the destroy work is done.
  QMetaObject::invokeMethod(QCoreApplication::instance(), [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

void MainWindow::PlayerFocusGained() {
  if (unmap_) RegisterButtons();
}

void MainWindow::PlayerFocusLost() {
  if (unmap_) ReleaseButtons();
}

intptr_t MainWindow::OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  switch (message) {
    case MSG_TRACK_ENDED:
      return playback_->TrackEnded();
    case MSG_STREAM_RATES:
      SetBitRate(int(intptr_t(wParam)));
      SetSampleRate(int(lParam));
      return 0;
    case MSG_STREAM_CHANNELS:
      SetChannels(int(intptr_t(wParam)));
      return 0;
    case MSG_PLAY_ROW:
      return playback_->RowRequest(int(intptr_t(wParam)));
    case MSG_STREAM_TAGS:
      return lParam ? playback_->StreamTagsReported(*reinterpret_cast<const StreamMetadata*>(lParam)) : 0;
    case MSG_CHILD_FOCUS_GAINED:
      PlayerFocusGained();
      return 0;
    case MSG_CHILD_FOCUS_LOST:
      PlayerFocusLost();
      return 0;
    case MSG_SLIDER_TRACK:
      return SliderMoved(int(lParam), false);
    case MSG_SLIDER_SET:
      return SliderMoved(int(lParam), true);
    case MSG_DRAG_BEGIN:
      dragStartRect_ = GetWindowRect();
      return 0;
    case MSG_DRAG_END:
      SnapAndCarryAfterDrag();
      return 0;
    case MSG_BUTTON_EVENT:
      return playback_->RunFunction(PlayerFunction(int(intptr_t(wParam))));
    default:
      return SkinnedWindow::OnMessage(message, wParam, lParam);
  }
}

void MainWindow::OnTimer(int timerId) {
  if (timerId == TIMER_MESSAGE) {
    TimerMessageTick();
  } else {
    playback_->OnTimer(timerId);
  }
  SkinnedWindow::OnTimer(timerId);
}

void MainWindow::OnStylusDown(Point client) {
  SetCapture();
  SkinnedWindow::OnStylusDown(client);
}

void MainWindow::OnStylusUp(Point client) {
  SkinnedWindow::OnStylusUp(client);
  ReleaseCapture();
}

void MainWindow::OnDrop(const QStringList& items) { OpenItems(items); }

void MainWindow::OpenItems(const QStringList& items) {
  const int first = playlistWindow_->AddItems(items);
  if (first >= 0) playback_->RowRequest(first);
}

MediaCommands MainWindow::MediaCommandsOf() {
  MediaCommands c;
  c.send = [this](int command) { SendCommand(command); };
  c.seek = [this](int ms) { playback_->SeekToMs(ms); };
  c.setVolume = [this](int volume) { playback_->SetVolume(volume); };
  c.open = [this](const QStringList& items) { OpenItems(items); };
  c.raise = [this] {
    Show();
    SetFocus();
  };
  c.quit = [this] { Post(MSG_CLOSE); };
  return c;
}

int MainWindow::SliderMoved(int sliderId, bool released) {
  // The value the slider holds now: it may have moved on since it posted.
  if (sliderId == SLIDER_VOLUME) state_.SetVolume(volumeSlider_.GetPosition());
  if (sliderId == SLIDER_BALANCE) state_.SetBalance(balanceSlider_.GetPosition());
  if (sliderId == SLIDER_POSITION) {
    // The position slider seeks only when it is released.
    if (!released) return 0;
    const int64_t minimum = positionSlider_.GetMinimum();
    return playback_->SeekToFraction(positionSlider_.GetPosition() - minimum,
                                     positionSlider_.GetMaximum() - minimum);
  }
  return released ? playback_->SliderSet(sliderId) : playback_->SliderTrack(sliderId);
}
