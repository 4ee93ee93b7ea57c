#pragma once
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>

#include "platform/Warmup.h"

// What a desktop media controller (media keys, panel applets, playerctl) sees of
// the player: a snapshot taken whenever the controller asks or the player says
// something may have changed.
struct MediaStatus {
  enum class State { Stopped, Playing, Paused };
  State state = State::Stopped;
  int row = -1;           // the current row, -1 for none
  QString title;
  QString artist;         // empty when unknown
  QString location;       // file path or URL of the current row
  int64_t lengthUs = 0;   // 0 when unknown
  int volume = 0;         // the volume slider, 0..255
  bool canGoNext = false;
  bool canGoPrevious = false;
  bool canPlay = false;
  bool canPause = false;
  bool canSeek = false;

  bool operator==(const MediaStatus&) const = default;
};

// What the player offers a media controller; the application implements it with
// the same playback operations its buttons use. UI thread only.
class MediaControlTarget {
 public:
  virtual ~MediaControlTarget() = default;
  virtual MediaStatus GetMediaStatus() = 0;
  virtual int64_t GetPositionUs() = 0;
  virtual void MediaPlay() = 0;
  virtual void MediaPause() = 0;
  virtual void MediaPlayPause() = 0;
  virtual void MediaStop() = 0;
  virtual void MediaNext() = 0;
  virtual void MediaPrevious() = 0;
  // An absolute position inside the current track.
  virtual void MediaSeekTo(int64_t positionUs) = 0;
  virtual void MediaSetVolume(int volume) = 0;
  // Files, folders or URLs to add to the playlist; the first one added plays.
  virtual void MediaOpen(const QStringList& items) = 0;
  virtual void MediaRaise() = 0;
  virtual void MediaQuit() = 0;
};

// The player as a media player of the desktop session. Only platform/ knows how
// that is spoken (MPRIS on the D-Bus session bus).
class MediaControl {
 public:
  virtual ~MediaControl() = default;
  // Null when there is no session bus or another player holds the name; the
  // player then runs without it.
  static std::unique_ptr<MediaControl> Start(MediaControlTarget& target);
  // Compares the target's status with the one last announced and announces what changed.
  virtual void Refresh() = 0;
  // Tells controllers that the position jumped (a seek).
  virtual void Seeked(int64_t positionUs) = 0;
};

namespace Platform {
// Connects to the session bus on a thread of its own while the player starts, so
// that the desktop's media controls are offered without the UI thread waiting for
// the bus's handshake (the connection is shared by every thread). Nothing to do
// when the session has no bus.
Warmup WarmSessionBus();

// Hands items (absolute paths or URLs) to a player already running in this
// session; true when one took them. An empty list only brings it to the front.
bool HandToRunningPlayer(const QStringList& items);
}  // namespace Platform
