#pragma once
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/media/SoundOutput.h"

// What the media player control reports, on its own event thread.
enum class MediaEvent {
  EndOfStream,  // the source played to its end (or as far as it could be decoded)
  OpenFailed,   // the source could not be opened or holds no playable audio
};

class MediaEventSink {
 public:
  virtual ~MediaEventSink() = default;
  virtual void OnMediaEvent(MediaEvent event) = 0;
};

// The media player control plug-ins host: plays a file or an http(s) URL to the sound
// output. Opening, demuxing and decoding run on the control's worker thread, events
// are delivered on its event thread, and every operation returns at once: none waits
// for either thread, so an event handler may call back into the control freely, even
// while the thread that called it waits for someone else. Destroying the control
// waits a short while at most; a worker still stuck in the network (a name lookup
// cannot be interrupted) finishes on its own afterwards.
class MediaPlayer {
 public:
  enum State : int32_t { kStopped = 0, kPaused = 1, kPlaying = 2, kWaiting = 3 };
  static constexpr int32_t kMinVolume = -10000;  // hundredths of a dB; this is silence

  // Null when there is no sound output (TARNELLO_AUDIO, else PulseAudio) or the
  // decoding library is not installed. The decoder itself is loaded when a source
  // is first opened; a source it cannot decode ends with OpenFailed.
  static std::unique_ptr<MediaPlayer> Create(MediaEventSink* sink);
  // The same with a given output (tests).
  static std::unique_ptr<MediaPlayer> Create(MediaEventSink* sink, std::unique_ptr<SoundOutput> output);
  ~MediaPlayer();
  MediaPlayer(const MediaPlayer&) = delete;
  MediaPlayer& operator=(const MediaPlayer&) = delete;

  // A path or an http(s) URL. Stops what plays; the position goes back to 0.
  bool SetSource(const std::string& source);
  // Hundredths of a dB, -10000 ... 0; above 0 is taken as 0.
  bool SetVolume(int32_t hundredthsOfDb);
  // Seconds heard since the start of the source.
  double Position() const;
  bool SetPosition(double seconds);
  // Seconds; 0 until the source has been opened or when it does not tell.
  double Duration() const;
  int32_t PlayState() const;
  bool Play();
  bool Pause();
  bool Stop();
  // How long a source may deliver nothing before it is given up (default 10 s).
  void SetStallTimeout(std::chrono::milliseconds timeout);

 private:
  class Core;
  explicit MediaPlayer(std::shared_ptr<Core> core) : core_(std::move(core)) {}
  std::shared_ptr<Core> core_;
};
