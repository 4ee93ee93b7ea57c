#include "plugins/wma/WmaPlayer.h"

#include "plugins/common/ControlHost.h"

bool WmaPlayer::Create() {
  control_ = MediaPlayer::Create(this);
  return control_ != nullptr;
}

void WmaPlayer::OnMediaEvent(MediaEvent event) {
  ControlHost::ForwardEndOfStream(module_, event);
}
