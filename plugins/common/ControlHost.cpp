#include "plugins/common/ControlHost.h"

#include "platform/PlatformApi.h"
#include "plugins/common/PluginText.h"

namespace ControlHost {
namespace {

ControlAccess access = nullptr;

MediaPlayer* Control() { return access ? access() : nullptr; }

void ReservedNothing() {}
int32_t ReservedZero() { return 0; }

void PausePlayback() {
  if (MediaPlayer* c = Control()) c->Pause();
}

void ResumePlayback() {
  if (MediaPlayer* c = Control())
    if (c->PlayState() == MediaPlayer::kPaused) c->Play();
}

int32_t IsPlaybackPaused() {
  MediaPlayer* c = Control();
  return c && c->PlayState() == MediaPlayer::kPaused ? 1 : 0;
}

void StopPlayback() {
  if (MediaPlayer* c = Control()) c->Stop();
}

int32_t PlayPositionMs() {
  MediaPlayer* c = Control();
  return c ? PluginText::ToMs(c->Position()) : 0;
}

// 0 ... 255 becomes -10000 ... 200 hundredths of a dB; 250 is full level.
void ApplyVolume(int32_t volume) {
  if (MediaPlayer* c = Control()) c->SetVolume((volume - 250) * 40);
}

void ApplyBalance(int32_t) {}
void ApplyEqualizer(int32_t, const int16_t*, int32_t) {}
void ApplySpeed(float) {}

}  // namespace

int32_t TrackLengthMs() {
  MediaPlayer* c = Control();
  return c ? PluginText::ToMs(c->Duration()) : 0;
}

void SeekToMs(int32_t ms) {
  if (MediaPlayer* c = Control()) c->SetPosition(double(ms) * 0.001);
}

void Wire(InputModule& m, ControlAccess control) {
  access = control;
  m.apiVersion = INPUT_MODULE_API_VERSION;
  m.reservedFn1 = ReservedNothing;
  m.reservedFn2 = ReservedZero;
  m.pausePlayback = PausePlayback;
  m.resumePlayback = ResumePlayback;
  m.isPlaybackPaused = IsPlaybackPaused;
  m.stopPlayback = StopPlayback;
  m.trackLengthMs = TrackLengthMs;
  m.playPositionMs = PlayPositionMs;
  m.seekToMs = SeekToMs;
  m.applyVolume = ApplyVolume;
  m.applyBalance = ApplyBalance;
  m.applyEqualizer = ApplyEqualizer;
  m.applySpeed = ApplySpeed;
}

bool ForwardEndOfStream(const InputModule& module, MediaEvent event) {
  if (event != MediaEvent::EndOfStream) return false;
  PlatformSendMessage(module.hostWindow, MSG_TRACK_ENDED, 0, 0);
  return true;
}

}  // namespace ControlHost
