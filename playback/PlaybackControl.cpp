#include "playback/PlaybackControl.h"

#include <algorithm>
#include <climits>

#include "playback/PluginManager.h"
#include "playlist/CueSheet.h"
#include "playlist/PlayOrder.h"
#include "playlist/Playlist.h"
#include "skin/SkinSlider.h"

namespace {

constexpr int kVolumeMax = 255;
constexpr int kSeekStepMs = 5000;
// Just above 100 / 255, so that 255 shows 100 and 128 shows 50.
constexpr double kVolumePercent = 0.3921568627450981;
// Just below 100 / 127, so that full right shows 99.
constexpr double kBalancePercent = 0.7874015748031495;
constexpr float kSpeedStep = 0.1f;
constexpr float kSpeedMax = 1.4f;
constexpr float kSpeedMin = 0.6f;

QString VolumeText(int v) { return QString::asprintf(" VOLUME : %d%%", int(v * kVolumePercent)); }

QString BalanceText(int b) {
  if (b > 0) return QString::asprintf(" BALANCE: %d%% RIGHT", int(b * kBalancePercent));
  if (b == 0) return QString::asprintf(" BALANCE: CENTER");
  return QString::asprintf(" BALANCE: %d%% LEFT", int(-double(b) * kBalancePercent));
}

void RestartTimer(PlaybackHost& host, int id, int periodMs) {
  host.StopTimer(id);
  host.StartTimer(id, periodMs);
}

int ClampToInt(int64_t value) { return int(std::clamp<int64_t>(value, INT_MIN, INT_MAX)); }

}  // namespace

PlaybackControl::PlaybackControl(PluginManager& plugins, PlaybackHost& host, SkinSlider& volume,
                                 SkinSlider& balance, SkinSlider& position)
    : plugins_(plugins), host_(host), volumeSlider_(volume), balanceSlider_(balance), positionSlider_(position) {}

PlaybackControl::AwakeScope::~AwakeScope() {
  if (--control_.awakeDepth_ > 0) return;
  const bool awake = control_.playing_ && !control_.paused_ && !control_.ended_;
  if (awake == control_.awake_) return;
  control_.awake_ = awake;
  control_.host_.SetSleepInhibited(awake);
}

bool PlaybackControl::PlayPath(const QString& path) {
  const AwakeScope awake(*this);
  StopPlay();
  if (plugins_.PlayFile(path) != 0) {
    // The details of the track stopped above belong to no track now.
    host_.ClearStreamDetails();
    return false;
  }
  const EqualizerState eq = host_.GetEqualizer();
  plugins_.ApplyEqualizer(eq.enabled, eq.bands.data(), eq.preamp);
  plugins_.ApplyVolume(volumeSlider_.GetPosition());
  plugins_.ApplySpeed(speed_);
  playing_ = true;
  paused_ = ended_ = false;
  knownPositionMs_ = 0;
  knownLengthMs_ = -1;
  RestartTimer(host_, TIMER_TIME_DISPLAY, 200);
  RestartTimer(host_, TIMER_POSITION, 500);
  RestartTimer(host_, TIMER_AB_LOOP, 300);
  host_.PlaybackChanged();
  return true;
}

bool PlaybackControl::PlayRow(int row) {
  const AwakeScope awake(*this);
  // A row that does not exist has no path to play; the track playing now goes on.
  if (!playlist_ || row < 0 || row >= playlist_->GetCount()) return false;
  if (!PlayPath(playlist_->GetPath(row))) return false;
  playlist_->SetCurrentRow(row);
  host_.SetTitle(playlist_->GetDisplayText(row));
  return true;
}

void PlaybackControl::StopPlay() {
  const AwakeScope awake(*this);
  paused_ = false;
  if (playing_) {
    // The plug-in may still report the end of the track just stopped.
    stoppedByUser_ = true;
    playing_ = false;
  }
  // Timer 102 keeps running: without loop points it does nothing.
  host_.StopTimer(TIMER_TIME_DISPLAY);
  host_.StopTimer(TIMER_POSITION);
  host_.SetTime(0, 0);
  positionSlider_.SetPosition(0);
  plugins_.StopPlayback();
  loopA_ = loopB_ = -1;
  paused_ = false;
  knownPositionMs_ = 0;
  host_.PlaybackChanged();
}

void PlaybackControl::PlayCommand() {
  const AwakeScope awake(*this);
  if (plugins_.IsPlaybackPaused() != 0) {
    Resume();
    return;
  }
  if (!playlist_) return;
  if (playlist_->GetCount() < 1) {
    OpenCommand();
    return;
  }
  StopPlay();
  PlayOrder* order = ThePlayOrder();
  int row = order ? order->GetCurrent() : -1;
  if (row == -1) {
    row = 0;
    if (order) order->SetCurrent(0);
  }
  PlayRow(row);
}

void PlaybackControl::PauseCommand() {
  const AwakeScope awake(*this);
  if (plugins_.IsPlaybackPaused() != 0) {
    Resume();
  } else {
    Pause();
  }
}

void PlaybackControl::Pause() {
  plugins_.PausePlayback();
  paused_ = playing_;
  host_.PlaybackChanged();
}

void PlaybackControl::Resume() {
  plugins_.ResumePlayback();
  paused_ = false;
  host_.PlaybackChanged();
}

void PlaybackControl::PreviousCommand() {
  const AwakeScope awake(*this);
  PlayOrder* order = ThePlayOrder();
  if (!order || !playlist_) return;
  const int row = order->Previous();
  if (row == -1) return;
  playlist_->SetCurrentRow(row);
  if (playing_) PlayRow(row);
}

void PlaybackControl::NextCommand() {
  const AwakeScope awake(*this);
  PlayOrder* order = ThePlayOrder();
  if (!order || !playlist_) return;
  const int row = order->Next();
  // At the end without repeat nothing happens: playing stays true until the user stops.
  if (row == -1) return;
  playlist_->SetCurrentRow(row);
  if (playing_) PlayRow(row);
}

void PlaybackControl::OpenCommand() {
  const AwakeScope awake(*this);
  // Without rows to hold the file there is nothing to open it into.
  if (!playlist_) return;
  QString path;
  if (!host_.AskOpenFile(plugins_.BuildOpenFilter(), path)) return;
  playlist_->ClearPlaylist();
  // A cue sheet opens as its tracks, the first of them playing; one whose audio
  // file is missing opens nothing.
  if (!CueSheet::IsCueSheet(path) || CueSheet::AddToPlaylist(*playlist_, path) < 0) playlist_->AddFile(path);
  if (playlist_->GetCount() == 0) return;
  // The cleared play order has no current row; without this the end of the
  // track would make row 0 "next" and play the file a second time.
  if (PlayOrder* order = ThePlayOrder()) order->SetCurrent(0);
  PlayRow(0);
}

int PlaybackControl::TrackEnded() {
  const AwakeScope awake(*this);
  // One end report after a stop belongs to the stopped track, whichever it is.
  // Otherwise the track has ended; a next row that plays starts afresh.
  if (!stoppedByUser_) {
    ended_ = true;
    NextCommand();
  }
  stoppedByUser_ = false;
  return 0;
}

int PlaybackControl::RowRequest(int row) {
  const AwakeScope awake(*this);
  if (PlayOrder* order = ThePlayOrder()) order->SetCurrent(row);
  return PlayRow(row) ? 1 : 0;
}

int PlaybackControl::SliderTrack(int sliderId) {
  if (sliderId == SLIDER_VOLUME) {
    const int v = volumeSlider_.GetPosition();
    plugins_.ApplyVolume(v);
    host_.ShowMessage(VolumeText(v), false);
    host_.PlaybackChanged();
  } else if (sliderId == SLIDER_BALANCE) {
    const int b = balanceSlider_.GetPosition();
    plugins_.ApplyBalance(b);
    host_.ShowMessage(BalanceText(b), false);
  }
  // The position slider seeks only when it is released.
  return 0;
}

int PlaybackControl::SliderSet(int sliderId) {
  if (sliderId == SLIDER_VOLUME) {
    plugins_.ApplyVolume(volumeSlider_.GetPosition());
    host_.RestoreTitle();
    host_.PlaybackChanged();
  } else if (sliderId == SLIDER_BALANCE) {
    plugins_.ApplyBalance(balanceSlider_.GetPosition());
    host_.RestoreTitle();
  } else if (sliderId == SLIDER_POSITION) {
    const int64_t minimum = positionSlider_.GetMinimum();
    const int64_t range = positionSlider_.GetMaximum() - minimum;
    // An empty range says nothing about where to go.
    if (range == 0) return 0;
    // 64-bit: range x length overflows 32 bits on long tracks. A length of 0
    // (or a failed read) seeks to 0; the plug-in gets the result as it is.
    const int64_t target = (positionSlider_.GetPosition() - minimum) * plugins_.TrackLengthMs() / range;
    plugins_.SeekToMs(ClampToInt(target));
    Seeked(ClampToInt(target));
  }
  return 0;
}

int PlaybackControl::RunFunction(int number) {
  const AwakeScope awake(*this);
  switch (number) {
    case 0: PlayCommand(); break;
    case 1:
      if (plugins_.IsPlaybackPaused() != 0) {
        Resume();
      } else if (plugins_.PlayPositionMs() <= 0) {
        PlayCommand();
      } else {
        Pause();
      }
      break;
    case 2: StopPlay(); break;
    case 3: PauseCommand(); break;
    case 4: PreviousCommand(); break;
    case 5: NextCommand(); break;
    case 6:
    case 7: {
      const int target = plugins_.PlayPositionMs() + (number == 6 ? -kSeekStepMs : kSeekStepMs);
      plugins_.SeekToMs(target);
      Seeked(target);
      break;
    }
    case 8: VolumeStep(true); break;
    case 9: VolumeStep(false); break;
    case 10: host_.ToggleScreen(); break;
    case 11: host_.CloseMainWindow(); break;
    case 12:
      host_.CloseMainWindow();
      host_.PowerOff();
      break;
    case 13: LoopStep(); break;
    case 14:
    case 15:
    case 16: SpeedStep(number); break;
    default: break;
  }
  return 0;
}

void PlaybackControl::SpeedDialog() {
  // Single precision on purpose: 0.79999995 x 10 opens the dialog at 7.
  int position = int(speed_ * 10.0f);
  if (!host_.AskSpeed(position)) return;
  speed_ = float(position) * 0.1f;
  plugins_.ApplySpeed(speed_);
}

void PlaybackControl::SeekToMs(int ms) {
  if (!playing_) return;
  plugins_.SeekToMs(std::max(0, ms));
  knownPositionMs_ = plugins_.PlayPositionMs();
  host_.SetTimeMs(knownPositionMs_);
  FollowPosition();
}

void PlaybackControl::SetVolume(int volume) {
  const int v = std::clamp(volume, 0, kVolumeMax);
  volumeSlider_.SetPosition(v);
  plugins_.ApplyVolume(v);
  host_.ShowMessage(VolumeText(v), true);
  host_.PlaybackChanged();
}

void PlaybackControl::OnTimer(int timerId) {
  switch (timerId) {
    case TIMER_TIME_DISPLAY:
      knownPositionMs_ = plugins_.PlayPositionMs();
      host_.SetTimeMs(knownPositionMs_);
      break;
    case TIMER_POSITION: FollowPosition(); break;
    case TIMER_AB_LOOP: CheckLoop(); break;
    case TIMER_IDLE_RESET:
      // Also once the last track has ended by itself: playing is still true then.
      if (playing_) host_.ResetIdleTimer();
      break;
    default: break;
  }
}

void PlaybackControl::VolumeStep(bool up) {
  // Summed wide: a step near the integer limit saturates instead of wrapping
  // round to the other end of the range.
  const long long position = volumeSlider_.GetPosition();
  long long v = 0;
  if (up) {
    v = position + volume_.volumeUpStep;
    if (v >= kVolumeMax) v = kVolumeMax;
  } else {
    v = position - volume_.volumeDownStep;
    if (v <= 0) v = 0;
  }
  const int volume = int(std::clamp<long long>(v, INT_MIN, INT_MAX));
  volumeSlider_.SetPosition(volume);
  plugins_.ApplyVolume(volume);
  host_.ShowMessage(VolumeText(volume), true);
  host_.PlaybackChanged();
}

void PlaybackControl::SpeedStep(int function) {
  // Compared widened to double, so the accumulated 1.4000001 is clamped while 1.3000001 is not.
  if (function == 14) {
    speed_ = speed_ + kSpeedStep;
    if (double(speed_) > 1.4) speed_ = kSpeedMax;
  } else if (function == 15) {
    speed_ = speed_ - kSpeedStep;
    if (double(speed_) < 0.6) speed_ = kSpeedMin;
  } else {
    speed_ = 1.0f;
  }
  plugins_.ApplySpeed(speed_);
  host_.ShowMessage(QString::asprintf(" SPEED : x%1.1f", double(speed_)), true);
}

void PlaybackControl::LoopStep() {
  // Without a plug-in the position is -1, which leaves A unset.
  const int t = plugins_.PlayPositionMs();
  if (loopA_ < 0) {
    loopA_ = t;
    host_.ShowMessage(" A<->B : Set A", false);
  } else if (loopB_ < 0) {
    loopB_ = t;
    // A B point before A (after seeking back between the presses) would seek to A
    // on every check and stall there; the earlier point starts the loop instead.
    if (loopB_ >= 0 && loopB_ < loopA_) std::swap(loopA_, loopB_);
    host_.ShowMessage(" A<->B : Loop", false);
  } else {
    loopA_ = loopB_ = -1;
    host_.ShowMessage(" A<->B : Release", true);
  }
}

void PlaybackControl::FollowPosition() {
  if (positionSlider_.IsDragging()) return;
  const int length = plugins_.TrackLengthMs();
  KnowLength(length);
  // A length of 0 gives no fraction: the slider stays where it is (at the start,
  // since every new track begins with a stop that puts it there).
  if (length == 0) return;
  const int64_t minimum = positionSlider_.GetMinimum();
  const int64_t maximum = positionSlider_.GetMaximum();
  // 64-bit, as range x position overflows 32 bits on long tracks. A negative
  // length lands below the minimum, which the slider clamps.
  knownPositionMs_ = plugins_.PlayPositionMs();
  const int64_t value = minimum + (maximum - minimum) * knownPositionMs_ / length;
  positionSlider_.SetPosition(ClampToInt(value));
}

void PlaybackControl::KnowLength(int lengthMs) {
  if (lengthMs == knownLengthMs_) return;
  knownLengthMs_ = lengthMs;
  host_.PlaybackChanged();
}

void PlaybackControl::Seeked(int targetMs) {
  // What was asked for; the next tick of the time display polls where it landed.
  knownPositionMs_ = std::max(0, targetMs);
  if (playing_) host_.PlaybackSeeked();
}

void PlaybackControl::CheckLoop() {
  // The display shows whole seconds, so the jump comes up to a second after B.
  if (loopA_ > 0 && loopB_ > 0 && loopB_ < host_.DisplayedTimeMs()) plugins_.SeekToMs(loopA_);
}
