#pragma once
#include <memory>

#include "playback/InputModule.h"
#include "platform/media/MediaPlayer.h"

// The media player control as Dovrel hosts it: created at start-up, released at
// shutdown, its end-of-stream event forwarded to the player's main window.
class WmaPlayer : public MediaEventSink {
 public:
  explicit WmaPlayer(const InputModule& module) : module_(module) {}

  // False when the control cannot be created (no sound output, no decoder).
  bool Create();
  void Release() { control_.reset(); }
  MediaPlayer* Control() const { return control_.get(); }

  // On the control's event thread: the end of the stream goes to hostWindow.
  void OnMediaEvent(MediaEvent event) override;

 private:
  const InputModule& module_;
  std::unique_ptr<MediaPlayer> control_;
};
