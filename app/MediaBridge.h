#pragma once
#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>

#include "platform/MediaControl.h"
#include "playback/PlayerState.h"
#include "playlist/PlaylistObserver.h"

class Playlist;

// What the desktop's media controllers may ask of the player, run as the player's
// own windows would run it.
struct MediaCommands {
  // A command id as the player's other windows send it (Play, Pause, Stop, ...).
  std::function<void(int command)> send;
  // A jump inside the playing track.
  std::function<void(int positionMs)> seek;
  std::function<void(int volume)> setVolume;
  // Files, folders and URLs to append and play.
  std::function<void(const QStringList& items)> open;
  std::function<void()> raise;
  // Queued: closing releases the bus object whose call is running then.
  std::function<void()> quit;
};

// The player as the desktop's media controllers see it: the status comes from the
// player's state and the playlist, and every request runs a command the player's
// own windows send. It never calls the plug-in: the play state, position and
// length are playback control's own bookkeeping, so a plug-in sees the same calls
// with or without a session bus. Changes are announced as the state and the
// playlist report them.
class MediaBridge : public MediaControlTarget, public PlaylistObserver, public PlayerStateObserver {
 public:
  // state and playlist (null for none) must outlive the bridge.
  MediaBridge(PlayerState& state, Playlist* playlist, MediaCommands commands);
  ~MediaBridge() override;

  // Joins the session bus; without one the player runs as before.
  void Start();
  bool IsStarted() const { return control_ != nullptr; }

  // PlaylistObserver.
  void EndInsertRows() override { Refresh(); }
  void EndRemoveRows() override { Refresh(); }
  void RowsChanged(int, int) override { Refresh(); }
  void CurrentRowChanged(int) override { Refresh(); }

  // PlayerStateObserver.
  void VolumeChanged(int) override { Refresh(); }
  void PlaybackChanged() override { Refresh(); }
  void StreamTagsChanged() override { Refresh(); }
  void PositionSeeked(int) override;

  MediaStatus GetMediaStatus() override;
  int64_t GetPositionUs() override;
  void MediaPlay() override;
  void MediaPause() override;
  void MediaPlayPause() override;
  void MediaStop() override;
  void MediaNext() override;
  void MediaPrevious() override;
  void MediaSeekTo(int64_t positionUs) override;
  void MediaSetVolume(int volume) override;
  void MediaOpen(const QStringList& items) override;
  void MediaRaise() override;
  void MediaQuit() override;

 private:
  // Announces what changed, once the current command or message has been handled.
  void Refresh();
  bool IsRunning() const { return state_.IsPlaying() && !state_.IsPaused(); }

  PlayerState& state_;
  Playlist* playlist_;
  MediaCommands commands_;
  std::unique_ptr<MediaControl> control_;
  Playlist* observed_ = nullptr;
  // Carries the deferred announcement; it goes away with the bridge.
  QObject context_;
  bool refreshPending_ = false;
};
