#pragma once
#include <QString>
#include <array>
#include <memory>

#include "app/TextPanel.h"
#include "buttons/HotkeyWindow.h"
#include "equalizer/EqualizerWindow.h"
#include "playlist/PlaylistEditorWindow.h"
#include "playback/PlaybackControl.h"
#include "playback/PluginManager.h"
#include "settings/SettingsFile.h"
#include "skin/SkinButton.h"
#include "skin/SkinPackages.h"
#include "skin/SkinSet.h"
#include "skin/SkinSlider.h"
#include "skin/SkinToggle.h"
#include "skin/SkinnedWindow.h"

class MediaBridge;
class PluginOptionFile;
struct MediaCommands;
class Playlist;

// The main player window. Creating it builds every long-lived object of the
// player in a fixed order; closing it lets each save its state, writes the
// settings file once and ends the program. Its buttons, menu, timers and the
// messages of plug-ins and other windows drive the playback control it owns;
// the player's state lives in its PlayerState, which its sliders and time
// display show.
class MainWindow : public SkinnedWindow, public PlaybackHost, private PlayerStateObserver {
 public:
  static constexpr int kWindowId = 0;

  MainWindow();
  ~MainWindow() override;

  // Creates the window and everything it owns. False when the window cannot be created.
  bool Create(const QString& title);
  // Closes the player because the session ends (a logout's signal): as the close
  // command, but a failed save is reported on stderr, as no one may answer a box.
  void EndSession();

  SettingsFile& Settings() { return *settings_; }
  PluginManager* Plugins() { return pluginManager_.get(); }
  // The program's arguments joined by single blanks; set before Create.
  void SetCommandLine(const QString& text) { commandLine_ = text; }
  SkinSet& Skin() { return *skin_; }
  PlaybackControl* Playback() { return playback_.get(); }
  PlayerState& State() { return state_; }
  Playlist* GetPlaylist() const;
  EqualizerWindow& Equalizer() { return *equalizerWindow_; }
  PlaylistEditorWindow& PlaylistEditor() { return *playlistWindow_; }
  HotkeyWindow* ButtonWindow() { return buttonWindow_.get(); }
  int GetUnMap() const { return unmap_; }

  // Refills the package list of the Skins menus from the "Skins" folder and returns
  // the entries to show (label, path, command), in listing order.
  std::vector<SkinPackage> RefreshSkinPackages();
  // A skin entry of the Skins menus: loads that package and applies it to every
  // window; "qsk load Fail!" when refused.
  void ChooseSkin(int command);
  // Skin packages and archives among dropped items are applied and copied into the
  // user's "Skins" folder; the other items are returned.
  QStringList TakeDroppedSkins(const QStringList& items);

  // Display.
  void SetScale(int scale);
  void ApplySkin();
  // Loads a skin package, archive or folder and applies it to the three windows;
  // "qsk load Fail!" and false when it is refused.
  bool LoadAndApplySkin(const QString& source);
  void SetChannels(int channels);
  void SetBitRate(int kbps);
  void SetSampleRate(int hz);
  int GetChannels() const { return channels_; }
  int GetMinutes() const { return minutes_; }
  int GetSeconds() const { return seconds_; }
  bool IsMessageArmed() const { return osdShown_; }
  // The time display counts down the rest of the track instead of the time played.
  void SetTimeRemaining(bool remaining);
  bool IsTimeRemaining() const { return timeRemaining_; }

  // Files, folders and URLs from the desktop (a drop, a second start, a media
  // controller): appended to the playlist, and the first row added plays.
  void OpenItems(const QStringList& items);
  MediaBridge* Media() { return media_.get(); }

  // The controls, by identifier (push buttons, toggles, title-bar buttons, sliders
  // and text panels); null for an unknown identifier.
  Window* Control(int id);
  SkinToggle& Toggle(int id);
  SkinSlider& VolumeSlider() { return volumeSlider_; }
  SkinSlider& BalanceSlider() { return balanceSlider_; }
  SkinSlider& PositionSlider() { return positionSlider_; }
  TextPanel& TitlePanel() { return titleText_; }
  TextPanel& BitRatePanel() { return bitRateText_; }
  TextPanel& SampleRatePanel() { return sampleRateText_; }

  // The time display: elapsed ms, or the rest of the track when chosen. What the
  // state puts on display comes through here.
  void SetTimeMs(int ms);
  // The elapsed time the state last put on display, in whole seconds.
  int DisplayedTimeMs() const { return state_.DisplayedTimeMs(); }
  // The settings a new track starts with, as the equalizer window last set them.
  EqualizerState GetEqualizer() const { return state_.Equalizer(); }

  // PlaybackHost: what playback control shows and asks through this window.
  void SetTitle(const QString& text) override;
  void ShowMessage(const QString& text, bool armed) override;
  void RestoreTitle() override;
  void StartTimer(int id, int periodMs) override;
  void StopTimer(int id) override;
  void RestPlaybackTimer(int id, bool rest) override;
  bool AskOpenFile(const QString& filter, QString& path) override;
  bool AskSpeed(int& position) override;
  bool IsPositionDragged() const override { return positionSlider_.IsDragging(); }
  void ClearStreamDetails() override;
  void CloseMainWindow() override;
  void ToggleScreen() override;
  void PowerOff() override;
  void ResetIdleTimer() override;
  void SetSleepInhibited(bool inhibited) override;

 protected:
  intptr_t OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
  void OnCommand(int commandId) override;
  void OnTimer(int timerId) override;
  void OnPaint(Canvas& canvas) override;
  void OnSize(int width, int height) override;
  void OnClose() override;
  void OnDestroy() override;
  // A press outside the controls drags the window (see MovableWindow).
  void OnStylusDown(Point client) override;
  void OnStylusUp(Point client) override;
  void OnDrop(const QStringList& items) override;

 private:
  // Creation steps.
  void CreateControls();
  void CreateSecondaryWindows();
  void CreateButtonWindow();
  void ReadToggles();
  void ReadOptions();
  void WriteOptions();
  // One message box when the options, the playlist or both could not be written at exit.
  void ReportUnsavedFiles(bool optionsSaved, bool playlistSaved);

  // Display (MainDisplay.cpp).
  void PlaceControls();
  void DrawPiece(Canvas& canvas, SkinSlot slot, const SourceRect& source, const Rect& place);
  void DrawTitleBar(Canvas& canvas);
  void DrawLamps(Canvas& canvas);
  void DrawTime(Canvas& canvas, const Rect& dirty);
  void ShowTime(int minutes, int seconds);
  void RedrawTitleStrip() override;
  // The player gains or loses the focus: the hardware buttons are taken or let
  // go, unless "UnMap" is 0.
  void PlayerFocusGained() override;
  void PlayerFocusLost() override;
  void SkinButtons();
  void SkinSliders();

  // PlayerStateObserver: the sliders and the time display show the state.
  void VolumeChanged(int volume) override { volumeSlider_.SetPosition(volume); }
  void BalanceChanged(int balance) override { balanceSlider_.SetPosition(balance); }
  void TimeShown(int positionMs) override { SetTimeMs(positionMs); }
  void PositionFollowed(int positionMs, int lengthMs) override;
  void PositionCleared() override { positionSlider_.SetPosition(0); }
  // What the desktop's media controllers may ask, as this window runs it.
  MediaCommands MediaCommandsOf();
  // A slider moved by the user: its value becomes the state's.
  int SliderMoved(int sliderId, bool released);

  // Commands and menu (MainCommands.cpp).
  bool RouteSpecialCommand(int commandId);
  void ShowPopupMenu();
  void ScaleAllWindows(int scale);
  void FitToScreen();
  void ToggleWindow(int toggleId);
  void FlipToggle(int toggleId);
  void SnapAndCarryAfterDrag();
  void AddJumpKeys();
  void TimerMessageTick();

  // The places the dialogs and device functions of the player fill (MainDialogs.cpp).
  void ButtonSettingDialog();
  void VolumeDialog();
  void PreferencesWindow();
  void AboutBox();
  void RegisterButtons();
  void ReleaseButtons();

  // Outlives every view and writer of it.
  PlayerState state_;
  // Creation order of the owned objects; the destructor releases them in this order:
  // plug-in manager, button window, settings, skin, equalizer, playlist.
  std::unique_ptr<PluginManager> pluginManager_;
  std::unique_ptr<HotkeyWindow> buttonWindow_;
  std::unique_ptr<SettingsFile> settings_;
  std::unique_ptr<PluginOptionFile> pluginOptions_;  // settings_ as the plug-ins' store
  QString commandLine_;
  std::unique_ptr<SkinSet> skin_;
  std::unique_ptr<EqualizerWindow> equalizerWindow_;
  std::unique_ptr<PlaylistEditorWindow> playlistWindow_;
  QStringList skinPackages_;  // paths behind the Skins-menu entries, by command order

  std::array<SkinButton, 6> pushButtons_;  // previous, play, pause, stop, next, open
  SkinToggle equalizerToggle_;
  SkinToggle playlistToggle_;
  SkinToggle repeatToggle_;
  SkinToggle shuffleToggle_;
  SkinToggle unplacedToggle_;
  std::array<SkinButton, 3> titleButtons_;  // menu, minimize, close
  SkinSlider volumeSlider_;
  SkinSlider balanceSlider_;
  SkinSlider positionSlider_;
  TextPanel titleText_;
  TextPanel bitRateText_;
  TextPanel sampleRateText_;
  std::unique_ptr<PlaybackControl> playback_;
  std::unique_ptr<MediaBridge> media_;

  Rect dragStartRect_;
  bool closing_ = false;
  bool closePending_ = false;       // a close waits for nested loops to return
  bool powerOffAfterClose_ = false;  // "Exit & Power off" during such a wait
  bool sessionEnding_ = false;       // closed by a signal: nobody may be there to answer a box
  int unmap_ = 1;
  bool osdShown_ = false;  // an armed message ends at the next tick of timer 104
  int channels_ = 0;
  int minutes_ = 0;
  int seconds_ = 0;
  bool timeRemaining_ = false;
};
