#pragma once
#include <QString>
#include <cstdint>

#include "playback/PlaybackPlugins.h"
#include "playback/PlayerFunction.h"
#include "playback/PlayerState.h"

class Playlist;

// Timers of the main window, by id.
constexpr int TIMER_TIME_DISPLAY = 10;  // 200 ms while a track plays: the time display
constexpr int TIMER_POSITION = 101;     // 500 ms while a track plays: the position slider
constexpr int TIMER_AB_LOOP = 102;      // 300 ms once a track started: the A-B loop check (rests without a loop)
constexpr int TIMER_IDLE_RESET = 103;   // 29000 ms from creation: keep the system awake while playing
constexpr int TIMER_MESSAGE = 104;      // 1000 ms from creation: end an armed on-screen message

// Slider ids of the main window, as the slider messages carry them in lParam.
constexpr int SLIDER_VOLUME = 10;
constexpr int SLIDER_BALANCE = 11;
constexpr int SLIDER_POSITION = 12;

// The volume behaviour options. Only the two steps act; the ramp options are
// stored and edited, never played.
struct VolumeOptions {
  int useStartVolume = 0;
  int useEndVolume = 0;
  int startVolume = 50;
  int endVolume = 0;
  int volumeUpStep = 10;
  int volumeDownStep = 10;
};

// What playback control needs of the window that shows it (the main window).
// The time and the sliders are not here: the window shows them as the
// PlayerState tells it.
// Tests implement it with a recorder.
class PlaybackHost {
 public:
  virtual ~PlaybackHost() = default;
  virtual void SetTitle(const QString& text) = 0;
  // A temporary text in the title panel; an armed one ends at the next tick of
  // timer 104, the others stay until the title changes.
  virtual void ShowMessage(const QString& text, bool armed) = 0;
  virtual void RestoreTitle() = 0;
  virtual void StartTimer(int id, int periodMs) = 0;
  virtual void StopTimer(int id) = 0;
  // A started timer with nothing to do stops waking the program; woken again, it
  // keeps the tick times it started with.
  virtual void RestPlaybackTimer(int id, bool rest) = 0;
  // The open-file dialog with a plug-in filter; false when cancelled or failed.
  virtual bool AskOpenFile(const QString& filter, QString& path) = 0;
  // The speed dialog, opened at position (speed x 10); false when cancelled.
  virtual bool AskSpeed(int& position) = 0;
  // The user holds the position slider: it does not follow the track meanwhile.
  virtual bool IsPositionDragged() const = 0;
  // Blanks the bit rate, sample rate and channels shown for the track before.
  virtual void ClearStreamDetails() = 0;
  // Sends the close message to the main window (it saves everything and exits).
  virtual void CloseMainWindow() = 0;
  virtual void ToggleScreen() = 0;
  virtual void PowerOff() = 0;
  // Keeps the system from blanking or suspending while a track plays.
  virtual void ResetIdleTimer() = 0;
  // Holds (true) or lets go of (false) the session's idle-sleep inhibitor: held
  // while a track plays, never while paused, stopped or after the last track ended.
  virtual void SetSleepInhibited(bool inhibited) { (void)inhibited; }
};

// The transport of the player: starting rows and files, stop, pause, previous,
// next, moving on at the end of a track, seeking, volume, balance, speed and the
// A-B loop. Every request reaches the plug-in through the plug-in table; what
// the player is doing is kept in the PlayerState; the order of rows is the
// process-wide PlayOrder's. UI thread only.
class PlaybackControl {
 public:
  // All three must outlive this object.
  PlaybackControl(PlaybackPlugins& plugins, PlaybackHost& host, PlayerState& state);

  // The rows that are played; null plays nothing.
  void SetPlaylist(Playlist* playlist) { playlist_ = playlist; }
  Playlist* GetPlaylist() const { return playlist_; }

  bool PlayPath(const QString& path);
  bool PlayRow(int row);
  void StopPlay();
  void PlayCommand();
  void PauseCommand();
  void PreviousCommand();
  void NextCommand();
  void OpenCommand();
  // MSG_TRACK_ENDED; returns 0.
  int TrackEnded();
  // The plug-in's reportStreamTags: the state keeps them, and while a song is named
  // the title panel shows "station – song" (the station's name, else the row's
  // text). The row's text in the list stays as it is. Returns 0.
  int StreamTagsReported(const StreamMetadata& tags);
  // The playlist editor asks for a row (message 0x40E): 1 if it started, else 0.
  int RowRequest(int row);
  // MSG_SLIDER_TRACK and MSG_SLIDER_SET of the volume and balance sliders, by
  // slider id, once the state holds the slider's value; return 0.
  int SliderTrack(int sliderId);
  int SliderSet(int sliderId);
  // The position slider released at offset of range (its value and its maximum,
  // both less its minimum): a jump to that fraction of the track. Returns 0.
  int SeekToFraction(int64_t offset, int64_t range);
  // A player function of the button window; other numbers do nothing. Returns 0.
  int RunFunction(PlayerFunction function);
  // Command 32837.
  void SpeedDialog();
  // A jump inside the playing track, shown at once on the time display and the
  // position slider (a media controller's seek).
  void SeekToMs(int ms);
  // The volume set from outside the window, with the volume message.
  void SetVolume(int volume);
  // Paused as playback control last made the plug-in (the plug-in is not asked).
  bool IsPaused() const { return state_.IsPaused(); }
  // The position and length the timers last polled (a seek sets the position it
  // asked for); 0 for the position and -1 for the length until known.
  int KnownPositionMs() const { return state_.KnownPositionMs(); }
  int KnownLengthMs() const { return state_.KnownLengthMs(); }
  // Timers 10, 101, 102 and 103; other ids are ignored.
  void OnTimer(int timerId);

  bool IsPlaying() const { return state_.IsPlaying(); }
  // A track is playing, not paused and not ended: the session should stay awake.
  bool KeepsAwake() const { return awake_; }
  bool IsStoppedByUser() const { return stoppedByUser_; }
  int LoopA() const { return state_.LoopA(); }
  int LoopB() const { return state_.LoopB(); }
  float Speed() const { return state_.Speed(); }
  VolumeOptions& Volume() { return volume_; }
  const VolumeOptions& Volume() const { return volume_; }

 private:
  // Tells the host once, at the end of the outermost operation, when whether the
  // session should stay awake has changed; a new track replacing the old one
  // (a stop and a start inside one operation) tells it nothing.
  class AwakeScope {
   public:
    explicit AwakeScope(PlaybackControl& control) : control_(control) { ++control_.awakeDepth_; }
    ~AwakeScope();
    AwakeScope(const AwakeScope&) = delete;
    AwakeScope& operator=(const AwakeScope&) = delete;

   private:
    PlaybackControl& control_;
  };

  void VolumeStep(bool up);
  void SpeedStep(PlayerFunction function);
  void LoopStep();
  void FollowPosition();
  void CheckLoop();
  void RestLoopTimer();
  void Pause();
  void Resume();
  void ApplyVolume(int volume, bool armed);
  QString TitleWithSong() const;

  PlaybackPlugins& plugins_;
  PlaybackHost& host_;
  PlayerState& state_;
  Playlist* playlist_ = nullptr;

  bool stoppedByUser_ = false;
  bool ended_ = false;  // the last track ended by itself and nothing followed
  bool awake_ = false;  // what the host was last told
  int awakeDepth_ = 0;
  VolumeOptions volume_;
};
