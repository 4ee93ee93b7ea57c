#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

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
// while the thread that called it waits for someone else.
class MediaPlayer {
 public:
  enum State : int32_t { kStopped = 0, kPaused = 1, kPlaying = 2, kWaiting = 3 };
  static constexpr int32_t kMinVolume = -10000;  // hundredths of a dB; this is silence

  // Null when there is no sound output (TARNELLO_AUDIO, else PulseAudio) or no WMA decoder.
  static std::unique_ptr<MediaPlayer> Create(MediaEventSink* sink);
  // The same with a given output (tests).
  static std::unique_ptr<MediaPlayer> Create(MediaEventSink* sink, std::unique_ptr<SoundOutput> output);
  ~MediaPlayer();
  MediaPlayer(const MediaPlayer&) = delete;
  MediaPlayer& operator=(const MediaPlayer&) = delete;

  // A path or an http(s) URL. Stops what plays; the position goes back to 0.
  bool SetSource(const std::string& source);
  std::string Source() const;
  // Hundredths of a dB, -10000 ... 0; above 0 is taken as 0.
  bool SetVolume(int32_t hundredthsOfDb);
  int32_t Volume() const { return volume_.load(); }
  // Seconds heard since the start of the source.
  double Position() const;
  bool SetPosition(double seconds);
  // Seconds; 0 until the source has been opened or when it does not tell.
  double Duration() const { return duration_.load(); }
  int32_t PlayState() const;
  bool Play();
  bool Pause();
  bool Stop();
  // How long a source may deliver nothing before it is given up (default 10 s).
  void SetStallTimeout(std::chrono::milliseconds timeout) { stallTimeoutMs_ = timeout.count(); }

 private:
  struct Events;
  MediaPlayer(MediaEventSink* sink, std::unique_ptr<SoundOutput> output);
  void WorkerLoop();
  void RunSession(uint64_t session, const std::string& source, double start);
  bool Cancelled(uint64_t session) const;
  void ApplyGain(std::vector<int16_t>& samples) const;
  void EndSession(uint64_t session, MediaEvent event);

  std::unique_ptr<SoundOutput> output_;
  std::shared_ptr<Events> events_;

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  bool quit_ = false;
  std::string source_;
  std::atomic<uint64_t> session_{0};   // bumped by every stop and start
  uint64_t startedSession_ = 0;        // the session the worker was last asked to run
  bool runRequested_ = false;
  State state_ = kStopped;
  double startPosition_ = 0;            // where the next start begins
  std::optional<double> pendingSeek_;

  std::atomic<double> duration_{0};
  std::atomic<int64_t> sessionStartFrame_{0};  // output frame the session's samples start at
  std::atomic<int64_t> framesWritten_{0};      // written in this session
  std::atomic<int32_t> volume_{0};
  std::atomic<int64_t> stallTimeoutMs_{10000};

  std::thread worker_;
};
