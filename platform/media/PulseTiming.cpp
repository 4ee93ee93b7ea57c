// The position side of the sound-server output: what the server has played,
// from its timing answers, carried forward by the clock between them.
#include <algorithm>

#include "platform/media/PulseOutput.h"

namespace {
// Timing is asked of the server at most this often while positions are read;
// between two measurements the system clock carries the position forward (a sound
// card's clock drifts from it by a few parts in 10,000: well under a millisecond).
constexpr auto kTimingInterval = std::chrono::milliseconds(2000);
// A stream the device has not started to play yet is asked this often: its position
// stands still until an answer says it plays (a device may start a second late).
constexpr auto kStartingInterval = std::chrono::milliseconds(100);
// While the device has not started, the server is asked again this soon after each
// answer, whoever reads the position, for this long at most (a stream the server
// holds back is then asked as usual).
constexpr pa_usec_t kStartCheckUs = 50 * PA_USEC_PER_MSEC;
constexpr auto kStartCheckFor = std::chrono::seconds(5);

// Frames at rate in a server's span of microseconds, and in a span of the clock.
int64_t FramesIn(pa_usec_t usec, int rate) { return int64_t(usec * pa_usec_t(rate) / PA_USEC_PER_SEC); }
int64_t FramesIn(std::chrono::steady_clock::duration span, int rate) {
  return std::chrono::duration_cast<std::chrono::microseconds>(span).count() * rate / 1000000;
}
}  // namespace

// A measurement is carried forward by the clock until the next is due.
PulseOutput::PulseOutput() : clock_(kTimingInterval) {}

// Asks the server for its timing; with wait, returns once the answer is in.
bool PulseOutput::UpdateTimingLocked(bool wait) {
  if (!ReadyLocked()) return false;
  lastTiming_ = std::chrono::steady_clock::now();
  if (timingPending_ && !wait) return true;
  pa_operation* op = pa_stream_update_timing_info(stream_, OnTiming, this);
  if (!op) return false;
  ++timingsAsked_;
  timingPending_ = true;
  const int target = timingsDone_ + 1;
  if (wait) ++timingWaiters_;
  while (wait && timingsDone_ < target && ReadyLocked()) pa_threaded_mainloop_wait(loop_);
  if (wait) --timingWaiters_;
  pa_operation_unref(op);
  return !wait || timingsDone_ >= target;
}

// What the stream has played now, from the server's last answer; one that can be
// carried forward by the clock is kept.
int64_t PulseOutput::PlayedLocked() {
  if (!ReadyLocked()) return written_;
  const int rate = Format().rate;
  const pa_timing_info* timing = pa_stream_get_timing_info(stream_);
  if (const auto dry = DryPlayedLocked(timing)) return *dry;
  const int64_t played = std::max<int64_t>(streamBase_, written_ - PendingLocked(timing));
  // Only an answer since the clock last changed, with the stream under way, tells
  // how it runs on.
  if (timingsDone_ <= staleTimings_ || paused_ || startFrames_ >= 0 || !timing || !timing->playing) return played;
  const auto now = std::chrono::steady_clock::now();
  clock_.Measured(now, played, rate);
  return clock_.Played(now, written_).value_or(played);
}

// The frames written that were not heard yet, from the server's counts at its last
// answer: those it still held (the library counts what was written since), those in
// the device, less what played since the answer while the stream played. The
// library's own estimate between answers is not used: it runs on while a device has
// not started to play yet, and is then ahead for seconds.
int64_t PulseOutput::PendingLocked(const pa_timing_info* timing) {
  const int rate = Format().rate;
  if (!timing || timing->read_index_corrupt || timing->write_index_corrupt || timingsDone_ <= staleTimings_) {
    pa_usec_t usec = 0;
    int negative = 0;
    if (pa_stream_get_latency(stream_, &usec, &negative) != 0) return written_ - streamBase_;
    return negative ? 0 : FramesIn(usec, rate);
  }
  const int64_t frameBytes = int64_t(Format().channels) * int64_t(sizeof(float));
  const int64_t held = std::max<int64_t>(0, (timing->write_index - timing->read_index) / frameBytes);
  int64_t pending = held + FramesIn(timing->sink_usec, rate);
  if (timing->playing && !paused_) {
    pending -= FramesIn(std::chrono::steady_clock::now() - timingAt_, rate);
  }
  return std::max<int64_t>(0, pending);
}

// A stream that ran dry (the end of the last track) is reported by the server as
// never quite played: its last frames stay a device's latency short of it, as the
// device fills up with silence behind them. What is left of them is counted down by
// the clock from when the dry stream was first seen, at most the device's latency
// then; the count ends late rather than early. Nothing while frames are staged or
// the stream is paused (its frames wait at the server then).
std::optional<int64_t> PulseOutput::DryPlayedLocked(const pa_timing_info* timing) {
  const bool dry = timing && !paused_ && !timing->read_index_corrupt && !timing->write_index_corrupt &&
                   timing->read_index >= timing->write_index && timingsDone_ > staleTimings_;
  {
    std::lock_guard stage(stageMutex_);
    if (!dry || staged_ > 0) {
      dryWritten_ = -1;
      return std::nullopt;
    }
  }
  const auto now = std::chrono::steady_clock::now();
  const int rate = Format().rate;
  if (dryWritten_ != written_) {
    dryWritten_ = written_;
    dryAt_ = now;
    dryHeld_ = FramesIn(timing->sink_usec, rate);
  }
  const int64_t elapsed = FramesIn(now - dryAt_, rate);
  return std::max<int64_t>(streamBase_, written_ - std::max<int64_t>(0, dryHeld_ - elapsed));
}

int64_t PulseOutput::PlayedFrames() {
  // Between the server's answers the clock carries the position forward without
  // the sound library's lock.
  if (const auto played = clock_.Played(std::chrono::steady_clock::now(), writtenShared_.load())) return *played;
  LoopLock lock(loop_);
  // A paused stream's clock stands still: asking the server again would only wake
  // it and the sound library's thread (the resume asks afresh).
  if (ReadyLocked() && !paused_) {
    const pa_timing_info* timing = pa_stream_get_timing_info(stream_);
    const auto interval = timing && !timing->playing ? kStartingInterval : kTimingInterval;
    if (std::chrono::steady_clock::now() - lastTiming_ >= interval) UpdateTimingLocked(false);
  }
  return PlayedLocked();
}

int64_t PulseOutput::MeasurePlayedFrames() {
  LoopLock lock(loop_);
  UpdateTimingLocked(true);
  return PlayedLocked();
}

// The stream's clock stops, starts or moves: what was measured no longer tells
// where it is, until the server answers again.
void PulseOutput::StaleTimingLocked() {
  lastTiming_ = {};
  staleTimings_ = timingsAsked_;  // answers to what was asked so far tell the old clock
  timingPending_ = false;
  clock_.Forget();
}

void PulseOutput::OnTiming(pa_stream*, int, void* self) {
  auto* output = static_cast<PulseOutput*>(self);
  ++output->timingsDone_;
  output->timingPending_ = false;
  output->timingAt_ = std::chrono::steady_clock::now();
  // Until the device plays what it was given, an answer tells nothing that runs on:
  // the next is asked for shortly, so the position moves as soon as the device does.
  const pa_timing_info* timing = output->stream_ ? pa_stream_get_timing_info(output->stream_) : nullptr;
  if (timing && !timing->playing && !output->paused_ && timing->write_index > timing->read_index) {
    if (output->startCheckSince_ == std::chrono::steady_clock::time_point{}) output->startCheckSince_ = output->timingAt_;
    if (output->timingAt_ - output->startCheckSince_ < kStartCheckFor) output->AskTimingSoonLocked();
  } else {
    output->startCheckSince_ = {};
  }
  // An answer nobody waits for (the position's periodic refresh) must not wake the
  // writer, which waits for room in the queue.
  if (output->timingWaiters_ > 0) pa_threaded_mainloop_signal(output->loop_, 0);
}

void PulseOutput::AskTimingSoonLocked() {
  if (startCheck_ || !context_) return;
  startCheck_ = pa_context_rttime_new(context_, pa_rtclock_now() + kStartCheckUs, OnStartCheck, this);
}

void PulseOutput::CancelTimingSoonLocked() {
  if (startCheck_) pa_threaded_mainloop_get_api(loop_)->time_free(startCheck_);
  startCheck_ = nullptr;
  startCheckSince_ = {};
}

void PulseOutput::OnStartCheck(pa_mainloop_api* api, pa_time_event* e, const struct timeval*, void* self) {
  auto* output = static_cast<PulseOutput*>(self);
  api->time_free(e);
  output->startCheck_ = nullptr;
  if (output->ReadyLocked() && !output->paused_) output->UpdateTimingLocked(false);
}
