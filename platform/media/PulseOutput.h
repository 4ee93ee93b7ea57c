#pragma once
#include <pulse/pulseaudio.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/media/PlayClock.h"
#include "platform/media/SoundOutput.h"

// Plays to the PulseAudio server (or PipeWire's PulseAudio service): a threaded main
// loop and a playback stream. Write scales the frames into a stage of one request's
// size; the library's thread hands the stage to the server when the server asks for
// more, so in steady playback the writer never takes the loop's lock and wakes once
// per request, and the library's thread is not woken by writes. The server holds a large
// queue (well over a second), so the server and the player both sleep most of the
// time; what must be heard at once gets there anyway: a pause corks the stream, a
// seek flushes it, and a changed setting rewrites the queued frames in place
// (Rewrite, at absolute positions of the server's queue).
//
// The playback stream exists only while there is something to play: it opens at
// the first write, corks while paused and closes on CloseStream, so an idle player
// holds no stream and the sink may suspend. When the server goes away it
// reconnects on the next write. Timing comes from the server only when a position
// is asked for and the last measurement is old; in between the system clock
// carries it forward.
class PulseOutput : public SoundOutput {
 public:
  // Null when no server answers within a few seconds.
  static std::unique_ptr<PulseOutput> Open();
  ~PulseOutput() override;

  size_t Write(const float* samples, size_t frames, uint64_t epoch, float gain) override;
  bool Drain(uint64_t epoch) override;
  void StartQueued() override;
  void Flush() override;
  void SetPaused(bool paused) override;
  bool PausesExactly() const override { return false; }
  void CloseStream() override;
  int64_t PlayedFrames() override;
  int64_t WrittenFrames() override;
  int64_t MeasurePlayedFrames() override;
  bool Rewrite(int64_t from, const float* samples, size_t frames) override;
  size_t PreferredWriteFrames() const override;

 protected:
  void Wake() override;

 private:
  // The sound library's lock, held for a scope.
  struct LoopLock {
    explicit LoopLock(pa_threaded_mainloop* l) : loop(l) { pa_threaded_mainloop_lock(loop); }
    ~LoopLock() { pa_threaded_mainloop_unlock(loop); }
    pa_threaded_mainloop* loop;
  };
  PulseOutput();
  bool ConnectLocked();
  bool OpenStreamLocked();
  void CloseStreamLocked();
  void DisconnectLocked();
  bool ReadyLocked() const;
  bool ContextReadyLocked() const;
  bool UpdateTimingLocked(bool wait);
  int64_t PlayedLocked();
  std::optional<int64_t> DryPlayedLocked(const pa_timing_info* timing);
  int64_t PendingLocked(const pa_timing_info* timing);
  void AskTimingSoonLocked();
  void CancelTimingSoonLocked();
  void StaleTimingLocked();
  size_t WriteOfflineLocked(size_t frames);
  size_t WriteUnstaged(size_t frames, uint64_t epoch);
  void SendStaged();
  size_t StageLocked(const float* samples, size_t frames, float gain);
  void SendStagedLocked(bool all);
  size_t SendLocked(const float* samples, size_t frames);
  void DropStagedLocked();
  void WakeWriterLocked();

  static void OnContextState(pa_context* c, void* self);
  static void OnStreamState(pa_stream* s, void* self);
  static void OnStreamWrite(pa_stream* s, size_t bytes, void* self);
  static void OnSuccess(pa_stream* s, int success, void* self);
  static void OnTiming(pa_stream* s, int success, void* self);
  static void OnTimeout(pa_mainloop_api* api, pa_time_event* e, const struct timeval* tv, void* self);
  static void OnStartCheck(pa_mainloop_api* api, pa_time_event* e, const struct timeval* tv, void* self);

  pa_threaded_mainloop* loop_ = nullptr;
  pa_context* context_ = nullptr;
  pa_stream* stream_ = nullptr;
  bool paused_ = false;
  int64_t written_ = 0;  // frames given to the server since the output opened
  std::atomic<int64_t> writtenShared_{0};  // written_, for reads without the loop's lock
  // The stage: frames taken by Write, scaled, that the server has not asked for yet.
  // Guarded by stageMutex_, which is taken after the loop's lock, never before it.
  std::mutex stageMutex_;
  std::condition_variable stageRoom_;  // the stage was emptied, or the writer is woken
  std::vector<float> stage_;
  size_t staged_ = 0;  // frames in stage_
  bool serverHasRoom_ = false;  // the server can take a whole piece now: Write sends it at once
  std::atomic<bool> streamUp_{false};  // the stream is ready: Write may stage without the loop's lock
  std::atomic<size_t> pieceFrames_{0};  // frames the server asks for at a time (0: no stream yet)
  int64_t streamBase_ = 0;  // written_ when the current stream opened
  int64_t startFrames_ = 0;  // frames written since the stream opened or flushed, until playback starts; then -1
  bool timedOut_ = false;
  int drainsDone_ = 0;
  int timingsDone_ = 0;
  int timingsAsked_ = 0;
  int staleTimings_ = 0;  // the answers up to this one were asked before the clock last changed
  int timingWaiters_ = 0;  // threads waiting for a timing answer; only they are woken by one
  bool timingPending_ = false;
  std::chrono::steady_clock::time_point lastTiming_{};
  std::chrono::steady_clock::time_point timingAt_{};  // when the last timing answer came
  pa_time_event* startCheck_ = nullptr;  // the next timing asked while the device starts
  std::chrono::steady_clock::time_point startCheckSince_{};  // the first answer while it started
  std::chrono::steady_clock::time_point nextReconnect_{};
  // The stream ran dry (the server handed all it had to the device): written_ then,
  // when that was first seen and what the device still held (-1: not dry).
  int64_t dryWritten_ = -1;
  std::chrono::steady_clock::time_point dryAt_{};
  int64_t dryHeld_ = 0;
  PlayClock clock_;
};
