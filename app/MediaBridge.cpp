#include "app/MediaBridge.h"

#include <algorithm>
#include <cstdint>

#include <QTimer>

#include "app/PopupMenu.h"
#include "playlist/Playlist.h"

MediaBridge::MediaBridge(PlayerState& state, Playlist* playlist, MediaCommands commands)
    : state_(state), playlist_(playlist), commands_(std::move(commands)) {
  state_.AddObserver(this);
}

MediaBridge::~MediaBridge() {
  state_.RemoveObserver(this);
  if (observed_) observed_->RemoveObserver(this);
}

void MediaBridge::Start() {
  if (control_) return;
  control_ = MediaControl::Start(*this);
  // Rows added, removed, renamed or made current change what controllers show.
  observed_ = control_ ? playlist_ : nullptr;
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

void MediaBridge::PositionSeeked(int) {
  if (control_) control_->Seeked(GetPositionUs());
}

MediaStatus MediaBridge::GetMediaStatus() {
  MediaStatus s;
  const bool playing = state_.IsPlaying();
  s.state = !playing ? MediaStatus::State::Stopped
                     : (state_.IsPaused() ? MediaStatus::State::Paused : MediaStatus::State::Playing);
  s.volume = state_.Volume();
  const int count = playlist_ ? playlist_->GetCount() : 0;
  s.canGoNext = s.canGoPrevious = s.canPlay = count > 0;
  s.canPause = playing;
  if (playlist_) s.row = playlist_->GetCurrentRow();
  if (s.row >= 0 && s.row < count) {
    s.title = playlist_->GetTitle(s.row);
    if (s.title.isEmpty()) s.title = Playlist::TitleFromPath(playlist_->GetPath(s.row));
    s.location = playlist_->GetPath(s.row);
    bool ok = false;
    const int seconds = playlist_->GetLengthText(s.row).toInt(&ok);
    if (ok && seconds > 0) s.lengthUs = int64_t(seconds) * 1000000;
  } else {
    s.row = -1;
  }
  // A live stream's current song, as the plug-in reported it.
  if (playing && s.row >= 0) {
    const auto [artist, title] = state_.StreamTags().ArtistAndTitle();
    if (!title.isEmpty()) {
      s.title = title;
      s.artist = artist;
    }
  }
  // The length the position slider last polled; controllers never make the player
  // ask the plug-in anything it would not ask without them.
  if (playing && state_.KnownLengthMs() > 0) s.lengthUs = int64_t(state_.KnownLengthMs()) * 1000;
  s.canSeek = playing && s.lengthUs > 0;
  return s;
}

int64_t MediaBridge::GetPositionUs() {
  // The position the time display last polled (or a seek asked for).
  if (!state_.IsPlaying()) return 0;
  return std::max(0, state_.KnownPositionMs()) * int64_t(1000);
}

// The transport goes through the commands other windows send the main window.
void MediaBridge::MediaPlay() {
  // Play on a playing track would start it again; a controller's Play only resumes.
  if (IsRunning()) return;
  commands_.send(CMD_REMOTE_PLAY);
}

void MediaBridge::MediaPause() {
  if (IsRunning()) commands_.send(CMD_REMOTE_PAUSE);
}

void MediaBridge::MediaPlayPause() { commands_.send(IsRunning() ? CMD_REMOTE_PAUSE : CMD_REMOTE_PLAY); }

void MediaBridge::MediaStop() { commands_.send(CMD_REMOTE_STOP); }
void MediaBridge::MediaNext() { commands_.send(CMD_REMOTE_NEXT); }
void MediaBridge::MediaPrevious() { commands_.send(CMD_REMOTE_PREVIOUS); }

void MediaBridge::MediaSeekTo(int64_t positionUs) {
  commands_.seek(int(std::min<int64_t>(positionUs / 1000, INT32_MAX)));
}

void MediaBridge::MediaSetVolume(int volume) { commands_.setVolume(volume); }
void MediaBridge::MediaOpen(const QStringList& items) { commands_.open(items); }
void MediaBridge::MediaRaise() { commands_.raise(); }
void MediaBridge::MediaQuit() { commands_.quit(); }
