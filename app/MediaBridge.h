#pragma once
#include <memory>

#include "platform/MediaControl.h"

class MainWindow;

// The player as the desktop's media controllers see it: the status comes from the
// main window's playback control and playlist, and every request runs the same
// command the main window's buttons and other windows send.
class MediaBridge : public MediaControlTarget {
 public:
  explicit MediaBridge(MainWindow& window);
  ~MediaBridge() override;

  // Joins the session bus; without one the player runs as before.
  void Start();
  bool IsStarted() const { return control_ != nullptr; }
  // Announces what changed since the last call.
  void Refresh();
  void Seeked();

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
};
