#include "plugins/wma/WmaPlayer.h"

#include "platform/PlatformApi.h"

bool WmaPlayer::Create() {
  control_ = MediaPlayer::Create(this);
  return control_ != nullptr;
}

void WmaPlayer::OnMediaEvent(MediaEvent event) {
  // Sent even when the player has stopped meanwhile: the player decides what it means.
  if (event == MediaEvent::EndOfStream) PlatformSendMessage(module_.hostWindow, MSG_TRACK_ENDED, 0, 0);
}
