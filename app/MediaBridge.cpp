#include "app/MediaBridge.h"

#include <algorithm>
#include <cstdint>

#include <QTimer>

#include "app/MainWindow.h"
#include "app/PopupMenu.h"
#include "playlist/Playlist.h"

MediaBridge::MediaBridge(MainWindow& window) : window_(window) {}

MediaBridge::~MediaBridge() {
  if (observed_) observed_->RemoveObserver(this);
}

void MediaBridge::Start() {
  if (control_) return;
  control_ = MediaControl::Start(*this);
  // Rows added, removed, renamed or made current change what controllers show.
  observed_ = control_ ? window_.GetPlaylist() : nullptr;
  if (observed_) observed_->AddObserver(this);
}

void MediaBridge::Refresh() {
  // Once the command or message that changed something has run to its end: Next
  // stops one track and starts another, and controllers should see only the result.
  if (!control_ || refreshPending_) return;
  refreshPending_ = true;
  QTimer::singleShot(0, &context_, [this] {
    refreshPending_ = false;
    if (control_) control_->Refresh();
  });
}

void MediaBridge::Seeked() {
  if (control_) control_->Seeked(GetPositionUs());
}

MediaStatus MediaBridge::GetMediaStatus() {
  MediaStatus s;
  PlaybackControl* playback = window_.Playback();
  const Playlist* playlist = window_.GetPlaylist();
  if (!playback) return s;
  const bool playing = playback->IsPlaying();
  s.state = !playing ? MediaStatus::State::Stopped
                     : (playback->IsPaused() ? MediaStatus::State::Paused : MediaStatus::State::Playing);
  s.volume = window_.VolumeSlider().GetPosition();
  const int count = playlist ? playlist->GetCount() : 0;
  s.canGoNext = s.canGoPrevious = s.canPlay = count > 0;
  s.canPause = playing;
  if (playlist) s.row = playlist->GetCurrentRow();
  if (s.row >= 0 && s.row < count) {
    s.title = playlist->GetTitle(s.row);
    if (s.title.isEmpty()) s.title = Playlist::TitleFromPath(playlist->GetPath(s.row));
    s.location = playlist->GetPath(s.row);
    bool ok = false;
    const int seconds = playlist->GetLengthText(s.row).toInt(&ok);
    if (ok && seconds > 0) s.lengthUs = int64_t(seconds) * 1000000;
  } else {
    s.row = -1;
  }
  // The length the position slider last polled; controllers never make the player
  // ask the plug-in anything it would not ask without them.
  if (playing && playback->KnownLengthMs() > 0) s.lengthUs = int64_t(playback->KnownLengthMs()) * 1000;
  s.canSeek = playing && s.lengthUs > 0;
  return s;
}

int64_t MediaBridge::GetPositionUs() {
  PlaybackControl* playback = window_.Playback();
  // The position the time display last polled (or a seek asked for).
  if (!playback || !playback->IsPlaying()) return 0;
  return std::max(0, playback->KnownPositionMs()) * int64_t(1000);
}

// The transport goes through the commands other windows send the main window.
void MediaBridge::MediaPlay() {
  PlaybackControl* playback = window_.Playback();
  // Play on a playing track would start it again; a controller's Play only resumes.
  if (playback && playback->IsPlaying() && !playback->IsPaused()) return;
  window_.SendCommand(CMD_REMOTE_PLAY);
}

void MediaBridge::MediaPause() {
  PlaybackControl* playback = window_.Playback();
  if (playback && playback->IsPlaying() && !playback->IsPaused()) window_.SendCommand(CMD_REMOTE_PAUSE);
}

void MediaBridge::MediaPlayPause() {
  PlaybackControl* playback = window_.Playback();
  if (playback && playback->IsPlaying() && !playback->IsPaused()) {
    window_.SendCommand(CMD_REMOTE_PAUSE);
  } else {
    window_.SendCommand(CMD_REMOTE_PLAY);
  }
}

void MediaBridge::MediaStop() { window_.SendCommand(CMD_REMOTE_STOP); }
void MediaBridge::MediaNext() { window_.SendCommand(CMD_REMOTE_NEXT); }
void MediaBridge::MediaPrevious() { window_.SendCommand(CMD_REMOTE_PREVIOUS); }

void MediaBridge::MediaSeekTo(int64_t positionUs) {
  if (PlaybackControl* playback = window_.Playback()) playback->SeekToMs(int(std::min<int64_t>(positionUs / 1000, INT32_MAX)));
}

void MediaBridge::MediaSetVolume(int volume) {
  if (PlaybackControl* playback = window_.Playback()) playback->SetVolume(volume);
}

void MediaBridge::MediaOpen(const QStringList& items) { window_.OpenItems(items); }

void MediaBridge::MediaRaise() {
  window_.Show();
  window_.SetFocus();
}

// Queued: closing releases the bus object whose call is running now.
void MediaBridge::MediaQuit() { window_.Post(MSG_CLOSE); }
