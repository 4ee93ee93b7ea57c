#pragma once
#include <QObject>
#include <memory>

#include "platform/MediaControl.h"
#include "playlist/PlaylistObserver.h"

class MainWindow;
class Playlist;

// The player as the desktop's media controllers see it: the status comes from the
// main window's playback control and playlist, and every request runs the same
// command the main window's buttons and other windows send. It never calls the
// plug-in: the play state, position and length are playback control's own
// bookkeeping, so a plug-in sees the same calls with or without a session bus.
// Changes are announced when playback control or the playlist reports them.
class MediaBridge : public MediaControlTarget, public PlaylistObserver {
 public:
  explicit MediaBridge(MainWindow& window);
  ~MediaBridge() override;

  // Joins the session bus; without one the player runs as before.
  void Start();
  bool IsStarted() const { return control_ != nullptr; }
  // Announces what changed, once the current command or message has been handled.
  void Refresh();
  void Seeked();

  // PlaylistObserver.
  void EndInsertRows() override { Refresh(); }
  void EndRemoveRows() override { Refresh(); }
  void RowsChanged(int, int) override { Refresh(); }
  void CurrentRowChanged(int) override { Refresh(); }

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
  MainWindow& window_;
  std::unique_ptr<MediaControl> control_;
  Playlist* observed_ = nullptr;
  // Carries the deferred announcement; it goes away with the bridge.
  QObject context_;
  bool refreshPending_ = false;
};
