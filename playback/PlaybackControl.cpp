#include "playback/PlaybackControl.h"

#include <algorithm>
#include <climits>

#include "playlist/CueSheet.h"
#include "playlist/PlayOrder.h"
#include "playlist/Playlist.h"

namespace {

constexpr int kVolumeMax = PlayerState::kVolumeMax;
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

PlaybackControl::PlaybackControl(PlaybackPlugins& plugins, PlaybackHost& host, PlayerState& state)
    : plugins_(plugins), host_(host), state_(state) {}

PlaybackControl::AwakeScope::~AwakeScope() {
  if (--control_.awakeDepth_ > 0) return;
  const bool awake = control_.state_.IsPlaying() && !control_.state_.IsPaused() && !control_.ended_;
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
  const EqualizerState& eq = state_.Equalizer();
  plugins_.ApplyEqualizer(eq.enabled, eq.bands.data(), eq.preamp);
  plugins_.ApplyVolume(state_.Volume());
  plugins_.ApplySpeed(state_.Speed());
  ended_ = false;
  RestartTimer(host_, TIMER_TIME_DISPLAY, 200);
  RestartTimer(host_, TIMER_POSITION, 500);
  RestartTimer(host_, TIMER_AB_LOOP, 300);
  RestLoopTimer();
  state_.TrackStarted();
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

int PlaybackControl::StreamTagsReported(const StreamMetadata& tags) {
  // A report that arrives after its track stopped belongs to no track.
  if (!state_.IsPlaying() || tags == state_.StreamTags()) return 0;
  const QString before = TitleWithSong();
  state_.SetStreamTags(tags);
  const QString after = TitleWithSong();
  if (after != before) host_.SetTitle(after);
  return 0;
}

QString PlaybackControl::TitleWithSong() const {
  const int row = playlist_ ? playlist_->GetCurrentRow() : -1;
  if (row < 0 || row >= playlist_->GetCount()) return state_.StreamTags().Song();
  const StreamMetadata& tags = state_.StreamTags();
  const QString song = tags.Song();
  if (song.isEmpty()) return playlist_->GetDisplayText(row);
  // Without a station name the row's title stands for it (without its number).
  QString station = tags.station;
  if (station.isEmpty()) station = playlist_->GetTitle(row);
  if (station.isEmpty()) station = Playlist::TitleFromPath(playlist_->GetPath(row));
  return station.isEmpty() ? song : station + QStringLiteral(" \u2013 ") + song;
}

void PlaybackControl::StopPlay() {
  const AwakeScope awake(*this);
  // The plug-in may still report the end of the track just stopped.
  if (state_.IsPlaying()) stoppedByUser_ = true;
  // Timer 102 keeps running: without loop points it does nothing.
  host_.StopTimer(TIMER_TIME_DISPLAY);
  host_.StopTimer(TIMER_POSITION);
  // Not playing first: the time display shows 0:00, not the rest of a track.
  state_.TrackStopped();
  state_.ShowTime(0);
  plugins_.StopPlayback();
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
  state_.SetPaused(state_.IsPlaying());
}

void PlaybackControl::Resume() {
  plugins_.ResumePlayback();
  state_.SetPaused(false);
}

void PlaybackControl::PreviousCommand() {
  const AwakeScope awake(*this);
  PlayOrder* order = ThePlayOrder();
  if (!order || !playlist_) return;
  const int row = order->Previous();
  if (row == -1) return;
  playlist_->SetCurrentRow(row);
  if (state_.IsPlaying()) PlayRow(row);
}

void PlaybackControl::NextCommand() {
  const AwakeScope awake(*this);
  PlayOrder* order = ThePlayOrder();
  if (!order || !playlist_) return;
  const int row = order->Next();
  // At the end without repeat nothing happens: playing stays true until the user stops.
  if (row == -1) return;
  playlist_->SetCurrentRow(row);
  if (state_.IsPlaying()) PlayRow(row);
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
    const int v = state_.Volume();
    plugins_.ApplyVolume(v);
    host_.ShowMessage(VolumeText(v), false);
  } else if (sliderId == SLIDER_BALANCE) {
    const int b = state_.Balance();
    plugins_.ApplyBalance(b);
    host_.ShowMessage(BalanceText(b), false);
  }
  // The position slider seeks only when it is released.
  return 0;
}

int PlaybackControl::SliderSet(int sliderId) {
  if (sliderId == SLIDER_VOLUME) {
    plugins_.ApplyVolume(state_.Volume());
    host_.RestoreTitle();
  } else if (sliderId == SLIDER_BALANCE) {
    plugins_.ApplyBalance(state_.Balance());
    host_.RestoreTitle();
  }
  return 0;
}

int PlaybackControl::SeekToFraction(int64_t offset, int64_t range) {
  // An empty range says nothing about where to go.
  if (range == 0) return 0;
  // 64-bit: range x length overflows 32 bits on long tracks. A length of 0
  // (or a failed read) seeks to 0; the plug-in gets the result as it is.
  const int target = ClampToInt(offset * plugins_.TrackLengthMs() / range);
  plugins_.SeekToMs(target);
  state_.Seek(target);
  return 0;
}

int PlaybackControl::RunFunction(PlayerFunction function) {
  const AwakeScope awake(*this);
  using F = PlayerFunction;
  switch (function) {
    case F::Play: PlayCommand(); break;
    case F::PlayPause:
      if (plugins_.IsPlaybackPaused() != 0) {
        Resume();
      } else if (plugins_.PlayPositionMs() <= 0) {
        PlayCommand();
      } else {
        Pause();
      }
      break;
    case F::Stop: StopPlay(); break;
    case F::Pause: PauseCommand(); break;
    case F::Previous: PreviousCommand(); break;
    case F::Next: NextCommand(); break;
    case F::Rewind:
    case F::FastForward: {
      const int target = plugins_.PlayPositionMs() + (function == F::Rewind ? -kSeekStepMs : kSeekStepMs);
      plugins_.SeekToMs(target);
      state_.Seek(target);
      break;
    }
    case F::VolumeUp: VolumeStep(true); break;
    case F::VolumeDown: VolumeStep(false); break;
    case F::ScreenToggle: host_.ToggleScreen(); break;
    case F::Exit: host_.CloseMainWindow(); break;
    case F::ExitAndPowerOff:
      host_.CloseMainWindow();
      host_.PowerOff();
      break;
    case F::ABLoop: LoopStep(); break;
    case F::SpeedUp:
    case F::SpeedDown:
    case F::SpeedReset: SpeedStep(function); break;
    default: break;
  }
  return 0;
}

void PlaybackControl::SpeedDialog() {
  // Single precision on purpose: 0.79999995 x 10 opens the dialog at 7.
  int position = int(state_.Speed() * 10.0f);
  if (!host_.AskSpeed(position)) return;
  state_.SetSpeed(float(position) * 0.1f);
  plugins_.ApplySpeed(state_.Speed());
}

void PlaybackControl::SeekToMs(int ms) {
  if (!state_.IsPlaying()) return;
  plugins_.SeekToMs(std::max(0, ms));
  state_.SetKnownPosition(plugins_.PlayPositionMs());
  state_.ShowTime(state_.KnownPositionMs());
  FollowPosition();
}

void PlaybackControl::SetVolume(int volume) { ApplyVolume(std::clamp(volume, 0, kVolumeMax), true); }

void PlaybackControl::ApplyVolume(int volume, bool armed) {
  state_.SetVolume(volume);
  plugins_.ApplyVolume(volume);
  host_.ShowMessage(VolumeText(volume), armed);
}

void PlaybackControl::OnTimer(int timerId) {
  switch (timerId) {
    case TIMER_TIME_DISPLAY:
      state_.SetKnownPosition(plugins_.PlayPositionMs());
      state_.ShowTime(state_.KnownPositionMs());
      break;
    case TIMER_POSITION: FollowPosition(); break;
    case TIMER_AB_LOOP: CheckLoop(); break;
    case TIMER_IDLE_RESET:
      // Also once the last track has ended by itself: playing is still true then.
      if (state_.IsPlaying()) host_.ResetIdleTimer();
      break;
    default: break;
  }
}

void PlaybackControl::VolumeStep(bool up) {
  // Summed wide: a step near the integer limit saturates instead of wrapping
  // round to the other end of the range.
  const long long position = state_.Volume();
  long long v = 0;
  if (up) {
    v = position + volume_.volumeUpStep;
    if (v >= kVolumeMax) v = kVolumeMax;
  } else {
    v = position - volume_.volumeDownStep;
    if (v <= 0) v = 0;
  }
  ApplyVolume(int(std::clamp<long long>(v, INT_MIN, INT_MAX)), true);
}

void PlaybackControl::SpeedStep(PlayerFunction function) {
  // Compared widened to double, so the accumulated 1.4000001 is clamped while 1.3000001 is not.
  float speed = state_.Speed();
  if (function == PlayerFunction::SpeedUp) {
    speed = speed + kSpeedStep;
    if (double(speed) > 1.4) speed = kSpeedMax;
  } else if (function == PlayerFunction::SpeedDown) {
    speed = speed - kSpeedStep;
    if (double(speed) < 0.6) speed = kSpeedMin;
  } else {
    speed = 1.0f;
  }
  state_.SetSpeed(speed);
  plugins_.ApplySpeed(speed);
  host_.ShowMessage(QString::asprintf(" SPEED : x%1.1f", double(speed)), true);
}

void PlaybackControl::LoopStep() {
  // Without a plug-in the position is -1, which leaves A unset.
  const int t = plugins_.PlayPositionMs();
  const int a = state_.LoopA();
  if (a < 0) {
    state_.SetLoop(t, -1);
    host_.ShowMessage(" A<->B : Set A", false);
  } else if (state_.LoopB() < 0) {
    // A B point before A (after seeking back between the presses) would seek to A
    // on every check and stall there; the earlier point starts the loop instead.
    if (t >= 0 && t < a) {
      state_.SetLoop(t, a);
    } else {
      state_.SetLoop(a, t);
    }
    host_.ShowMessage(" A<->B : Loop", false);
  } else {
    state_.SetLoop(-1, -1);
    host_.ShowMessage(" A<->B : Release", true);
  }
  RestLoopTimer();
}

// The loop check does nothing until both points are set.
void PlaybackControl::RestLoopTimer() { host_.RestPlaybackTimer(TIMER_AB_LOOP, !(state_.LoopA() > 0 && state_.LoopB() > 0)); }

void PlaybackControl::FollowPosition() {
  if (host_.IsPositionDragged()) return;
  const int length = plugins_.TrackLengthMs();
  state_.SetKnownLength(length);
  // A length of 0 gives no fraction: the slider stays where it is (at the start,
  // since every new track begins with a stop that puts it there).
  if (length == 0) return;
  state_.FollowPosition(plugins_.PlayPositionMs(), length);
}

void PlaybackControl::CheckLoop() {
  // The display shows whole seconds, so the jump comes up to a second after B.
  const int a = state_.LoopA();
  const int b = state_.LoopB();
  if (a <= 0 || b <= 0) {
    RestLoopTimer();
    return;
  }
  if (b < state_.DisplayedTimeMs()) plugins_.SeekToMs(a);
}
