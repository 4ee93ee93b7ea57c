#include "platform/media/PulseOutput.h"

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "platform/Log.h"

namespace {
constexpr pa_usec_t kConnectTimeoutUs = 3 * PA_USEC_PER_SEC;
constexpr int kTargetLatencyMs = 100;

struct LoopLock {
  explicit LoopLock(pa_threaded_mainloop* l) : loop(l) { pa_threaded_mainloop_lock(loop); }
  ~LoopLock() { pa_threaded_mainloop_unlock(loop); }
  pa_threaded_mainloop* loop;
};

// Why the context or stream failed: the server's error, or the wait that ran out.
void LogFailure(const char* what, pa_context* context, bool timedOut) {
  if (!Platform::LogEnabled()) return;
  const std::string why = timedOut ? "no answer within 3 s" : context ? pa_strerror(pa_context_errno(context)) : "out of memory";
  Platform::Log("sound", std::string(what) + ": " + why);
}

// A quarter of a second of the format.
size_t RingFrames(SoundFormat f) { return size_t(f.rate) / 4; }
}  // namespace

PulseOutput::PulseOutput() : ring_(RingFrames(SoundFormat{}) * kChannels), ringFrames_(RingFrames(SoundFormat{})) {}

std::unique_ptr<PulseOutput> PulseOutput::Open() {
  auto output = std::unique_ptr<PulseOutput>(new PulseOutput());
  output->loop_ = pa_threaded_mainloop_new();
  if (!output->loop_ || pa_threaded_mainloop_start(output->loop_) < 0) return nullptr;
  LoopLock lock(output->loop_);
  if (!output->ConnectLocked()) return nullptr;
  return output;
}

PulseOutput::~PulseOutput() {
  if (!loop_) return;
  {
    LoopLock lock(loop_);
    DisconnectLocked();
  }
  pa_threaded_mainloop_stop(loop_);
  pa_threaded_mainloop_free(loop_);
}

// Connects the context only: a connected context is no stream on the server.
bool PulseOutput::ConnectLocked() {
  DisconnectLocked();
  context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "Tarnello");
  if (!context_) return false;
  pa_context_set_state_callback(context_, OnContextState, this);
  // Never start a server of our own: without one, opening fails fast.
  if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
    LogFailure("cannot connect to the sound server", context_, false);
    DisconnectLocked();
    return false;
  }
  timedOut_ = false;
  pa_time_event* timer = pa_context_rttime_new(context_, pa_rtclock_now() + kConnectTimeoutUs, OnTimeout, this);
  bool ok = true;
  for (;;) {
    const pa_context_state_t s = pa_context_get_state(context_);
    if (s == PA_CONTEXT_READY) break;
    if (!PA_CONTEXT_IS_GOOD(s) || timedOut_) {
      ok = false;
      break;
    }
    pa_threaded_mainloop_wait(loop_);
  }
  if (timer) pa_threaded_mainloop_get_api(loop_)->time_free(timer);
  if (!ok) LogFailure("cannot connect to the sound server", context_, timedOut_);
  if (!ok) DisconnectLocked();
  return ok;
}

bool PulseOutput::OpenStreamLocked() {
  CloseStreamLocked();
  const SoundFormat format = Format();
  const pa_sample_spec spec{PA_SAMPLE_FLOAT32LE, uint32_t(format.rate), uint8_t(format.channels)};
  pa_channel_map map;
  if (!pa_channel_map_init_auto(&map, spec.channels, PA_CHANNEL_MAP_DEFAULT)) return false;
  stream_ = pa_stream_new(context_, "Tarnello", &spec, &map);
  if (!stream_) {
    LogFailure("cannot create a stream", context_, false);
    return false;
  }
  pa_stream_set_state_callback(stream_, OnStreamState, this);
  pa_stream_set_write_callback(stream_, OnStreamWrite, this);
  pa_buffer_attr attr;
  attr.maxlength = uint32_t(-1);
  attr.tlength = uint32_t(pa_usec_to_bytes(kTargetLatencyMs * PA_USEC_PER_MSEC, &spec));
  attr.prebuf = uint32_t(-1);
  attr.minreq = uint32_t(-1);
  attr.fragsize = uint32_t(-1);
  const auto flags = pa_stream_flags_t(PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE |
                                       PA_STREAM_ADJUST_LATENCY | (paused_ ? PA_STREAM_START_CORKED : 0));
  timedOut_ = false;
  pa_time_event* timer = pa_context_rttime_new(context_, pa_rtclock_now() + kConnectTimeoutUs, OnTimeout, this);
  bool ok = pa_stream_connect_playback(stream_, nullptr, &attr, flags, nullptr, nullptr) >= 0;
  while (ok) {
    const pa_stream_state_t s = pa_stream_get_state(stream_);
    if (s == PA_STREAM_READY) break;
    if (!PA_STREAM_IS_GOOD(s) || timedOut_) ok = false;
    else pa_threaded_mainloop_wait(loop_);
  }
  if (timer) pa_threaded_mainloop_get_api(loop_)->time_free(timer);
  if (!ok) LogFailure("the server refused the stream", context_, timedOut_);
  if (!ok) CloseStreamLocked();
  return ok;
}

void PulseOutput::CloseStreamLocked() {
  ring_.Clear();
  if (!stream_) return;
  pa_stream_set_state_callback(stream_, nullptr, nullptr);
  pa_stream_set_write_callback(stream_, nullptr, nullptr);
  pa_stream_disconnect(stream_);
  pa_stream_unref(stream_);
  stream_ = nullptr;
}

void PulseOutput::DisconnectLocked() {
  CloseStreamLocked();
  if (context_) {
    pa_context_set_state_callback(context_, nullptr, nullptr);
    pa_context_disconnect(context_);
    pa_context_unref(context_);
    context_ = nullptr;
  }
}

bool PulseOutput::ContextReadyLocked() const { return context_ && pa_context_get_state(context_) == PA_CONTEXT_READY; }

bool PulseOutput::ReadyLocked() const {
  return ContextReadyLocked() && stream_ && pa_stream_get_state(stream_) == PA_STREAM_READY;
}

// Hands the server as much of the ring as it asked for.
void PulseOutput::FeedLocked(size_t bytes) {
  if (!ReadyLocked()) return;
  const size_t channels = size_t(Format().channels);
  std::vector<float> chunk(std::min(bytes, ring_.Size() * sizeof(float)) / sizeof(float));
  chunk.resize(chunk.size() - chunk.size() % channels);
  if (chunk.empty()) return;
  ring_.Pop(chunk.data(), chunk.size());
  pa_stream_write(stream_, chunk.data(), chunk.size() * sizeof(float), nullptr, 0, PA_SEEK_RELATIVE);
  // The writer waits for half the ring (see Write); waking it earlier is wasted.
  if (ring_.Room() >= ringFrames_ / 2 * channels) pa_threaded_mainloop_signal(loop_, 0);
}

size_t PulseOutput::Write(const float* samples, size_t frames, uint64_t epoch) {
  LoopLock lock(loop_);
  const SoundFormat format = Format();
  const size_t channels = size_t(format.channels);
  // A stream closed while idle opens again in the current format.
  if (ContextReadyLocked() && !stream_) OpenStreamLocked();
  while (!ReadyLocked()) {
    // The server went away: try again at most once a second, and meanwhile take the
    // frames at real-time pace so playback goes on silently instead of racing ahead.
    if (Interrupted(epoch)) return 0;
    const auto now = std::chrono::steady_clock::now();
    if (now >= nextReconnect_) {
      nextReconnect_ = now + std::chrono::seconds(1);
      ring_.Clear();
      if (ConnectLocked() && OpenStreamLocked()) break;
    }
    const size_t n = std::min(frames, size_t(format.rate / 20));
    pa_threaded_mainloop_unlock(loop_);
    std::this_thread::sleep_for(std::chrono::microseconds(int64_t(n) * 1000000 / format.rate));
    pa_threaded_mainloop_lock(loop_);
    written_ += int64_t(n);
    return n;
  }
  for (;;) {
    if (Interrupted(epoch)) return 0;
    if (!ReadyLocked()) return 0;
    // A block that fits is taken at once; otherwise the writer sleeps until half the
    // ring is free, so it wakes a few times a second, not once per block.
    const size_t room = ring_.Room() / channels;
    if (room >= std::min(frames, ringFrames_ / 2)) {
      const size_t n = std::min(frames, room);
      ring_.Push(samples, n * channels);
      written_ += int64_t(n);
      const size_t wanted = pa_stream_writable_size(stream_);
      if (wanted != size_t(-1) && wanted > 0) FeedLocked(wanted);
      return n;
    }
    pa_threaded_mainloop_wait(loop_);
  }
}

bool PulseOutput::Drain(uint64_t epoch) {
  LoopLock lock(loop_);
  if (!stream_) return !Interrupted(epoch);
  while (ring_.Size() > 0) {
    if (Interrupted(epoch) || !ReadyLocked()) return !ReadyLocked() && !Interrupted(epoch);
    // Start playback even if less than the server's start threshold was written.
    if (pa_operation* op = pa_stream_trigger(stream_, nullptr, nullptr)) pa_operation_unref(op);
    pa_threaded_mainloop_wait(loop_);
  }
  if (!ReadyLocked()) return !Interrupted(epoch);
  const int target = drainsDone_ + 1;
  pa_operation* op = pa_stream_drain(stream_, OnSuccess, this);
  if (!op) return false;
  while (drainsDone_ < target && !Interrupted(epoch) && ReadyLocked()) pa_threaded_mainloop_wait(loop_);
  pa_operation_unref(op);
  return drainsDone_ >= target;
}

void PulseOutput::Flush() {
  LoopLock lock(loop_);
  ring_.Clear();
  if (ReadyLocked()) {
    if (pa_operation* op = pa_stream_flush(stream_, nullptr, nullptr)) pa_operation_unref(op);
  }
  pa_threaded_mainloop_signal(loop_, 0);
}

void PulseOutput::SetPaused(bool paused) {
  LoopLock lock(loop_);
  paused_ = paused;
  if (ReadyLocked()) {
    if (pa_operation* op = pa_stream_cork(stream_, paused ? 1 : 0, nullptr, nullptr)) pa_operation_unref(op);
  }
  pa_threaded_mainloop_signal(loop_, 0);
}

void PulseOutput::CloseStream() {
  LoopLock lock(loop_);
  CloseStreamLocked();
  pa_threaded_mainloop_signal(loop_, 0);
}

void PulseOutput::FormatChanging(SoundFormat format) {
  LoopLock lock(loop_);
  CloseStreamLocked();
  ringFrames_ = RingFrames(format);
  ring_ = SampleRing(ringFrames_ * size_t(format.channels));
}

int64_t PulseOutput::PlayedFrames() {
  LoopLock lock(loop_);
  const int rate = Format().rate;
  int64_t pending = int64_t(ring_.Size() / size_t(Format().channels));
  pa_usec_t usec = 0;
  int negative = 0;
  if (ReadyLocked() && pa_stream_get_latency(stream_, &usec, &negative) == 0 && !negative)
    pending += int64_t(usec * pa_usec_t(rate) / PA_USEC_PER_SEC);
  return std::max<int64_t>(0, written_ - pending);
}

int64_t PulseOutput::WrittenFrames() {
  LoopLock lock(loop_);
  return written_;
}

void PulseOutput::Wake() {
  LoopLock lock(loop_);
  pa_threaded_mainloop_signal(loop_, 0);
}

void PulseOutput::OnContextState(pa_context*, void* self) {
  pa_threaded_mainloop_signal(static_cast<PulseOutput*>(self)->loop_, 0);
}

void PulseOutput::OnStreamState(pa_stream*, void* self) {
  pa_threaded_mainloop_signal(static_cast<PulseOutput*>(self)->loop_, 0);
}

void PulseOutput::OnStreamWrite(pa_stream*, size_t bytes, void* self) {
  static_cast<PulseOutput*>(self)->FeedLocked(bytes);
}

void PulseOutput::OnSuccess(pa_stream*, int, void* self) {
  auto* output = static_cast<PulseOutput*>(self);
  ++output->drainsDone_;
  pa_threaded_mainloop_signal(output->loop_, 0);
}

void PulseOutput::OnTimeout(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self) {
  auto* output = static_cast<PulseOutput*>(self);
  output->timedOut_ = true;
  pa_threaded_mainloop_signal(output->loop_, 0);
}
