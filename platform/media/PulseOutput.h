#pragma once
#include <pulse/pulseaudio.h>

#include <chrono>

#include "platform/media/SampleRing.h"
#include "platform/media/SoundOutput.h"

// Plays to the PulseAudio server (or PipeWire's PulseAudio service): a threaded main
// loop and a playback stream fed from a ring buffer by the server's write requests.
// The playback stream exists only while there is something to play: it opens at
// the first write, corks while paused and closes on CloseStream, so an idle player
// holds no stream and the sink may suspend. When the server goes away it
// reconnects on the next write.
class PulseOutput : public SoundOutput {
 public:
  // Null when no server answers within a few seconds.
  static std::unique_ptr<PulseOutput> Open();
  ~PulseOutput() override;

  size_t Write(const float* samples, size_t frames, uint64_t epoch) override;
  bool Drain(uint64_t epoch) override;
  void Flush() override;
  void SetPaused(bool paused) override;
  void CloseStream() override;
  int64_t PlayedFrames() override;
  int64_t WrittenFrames() override;

 protected:
  void Wake() override;
  void FormatChanging(SoundFormat format) override;

 private:
  PulseOutput();
  bool ConnectLocked();
  bool OpenStreamLocked();
  void CloseStreamLocked();
  void DisconnectLocked();
  bool WaitReadyLocked();
  bool ReadyLocked() const;
  bool ContextReadyLocked() const;
  void FeedLocked(size_t bytes);

  static void OnContextState(pa_context* c, void* self);
  static void OnStreamState(pa_stream* s, void* self);
  static void OnStreamWrite(pa_stream* s, size_t bytes, void* self);
  static void OnSuccess(pa_stream* s, int success, void* self);
  static void OnTimeout(pa_mainloop_api* api, pa_time_event* e, const struct timeval* tv, void* self);

  pa_threaded_mainloop* loop_ = nullptr;
  pa_context* context_ = nullptr;
  pa_stream* stream_ = nullptr;
  SampleRing ring_;
  size_t ringFrames_ = 0;
  bool paused_ = false;
  int64_t written_ = 0;  // frames taken by Write since the output opened
  bool timedOut_ = false;
  int drainsDone_ = 0;
  std::chrono::steady_clock::time_point nextReconnect_{};
};
