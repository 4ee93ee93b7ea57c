#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "playback/InputModule.h"
#include "platform/media/MediaPlayer.h"

// The media player control as Brelwick hosts it, at the track's own rate and
// channels with the sound processing: created at start-up, released at shutdown;
// the end of a stream goes to the player's main window, stream details to its
// reportStreamInfo, a live stream's station and song to its reportStreamTags
// (when the player wrote one). Holds the player's equalizer, balance and speed and
// the plug-in's ReplayGain settings as the control wants them.
class BrelwickPlayer : public MediaEventSink {
 public:
  explicit BrelwickPlayer(const InputModule& module) : module_(module) {}

  // False when the control cannot be created (no sound output, no decoder).
  bool Create();
  void Release() {
    current_ = nullptr;
    control_.reset();
  }
  MediaPlayer* Control() const { return control_.get(); }

  void SetEqualizer(int32_t enabled, const int16_t* bands, int32_t preamp);
  void SetBalance(int32_t balance);
  void SetSpeed(float factor);
  // Heard from the next block on: the current track moves to its new gain in some
  // 50 ms, a track that starts has it from its first sample.
  void SetReplayGain(const ReplayGainSettings& replayGain);
  // A new track: its stream details are reported afresh.
  void TrackStarting();

  // Slider position 0 ... 63 in dB: 0 is +12, 31 is 0, 63 is -12, linear between.
  static float SliderDb(int32_t position);

  // On the control's event thread; no lock is held while the player is told.
  void OnMediaEvent(MediaEvent event) override;

 private:
  void Apply();
  void ReportTags(MediaPlayer& control);

  const InputModule& module_;
  std::unique_ptr<MediaPlayer> control_;
  std::atomic<MediaPlayer*> current_{nullptr};  // control_, for the event thread
  std::mutex mutex_;
  SoundSettings settings_;
  StreamInfo reported_;  // what the player was last told about the current track, under mutex_
  StreamTags reportedTags_;  // likewise for its tags
};
