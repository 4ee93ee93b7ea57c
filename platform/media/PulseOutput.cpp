#include "platform/media/PulseOutput.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "platform/Log.h"

namespace {
constexpr pa_usec_t kConnectTimeoutUs = 3 * PA_USEC_PER_SEC;
// The server's queue: it asks for a second more at a time, so the writer and the
// sound library's thread wake about once a second. A changed setting is not held
// up by it: the queued frames are rewritten. What is beyond two requests (half a
// second here) the server gives to the device's own buffer;
// TARNELLO_PULSE_QUEUE_MS chooses a longer queue (a device that holds more of it).
constexpr int kQueueMs = 2500;
constexpr int kRequestMs = 1000;
constexpr int kWriteMs = kRequestMs;  // the writer's pieces, one per request; playback starts with the first

int QueueMs() {
  const char* chosen = std::getenv("TARNELLO_PULSE_QUEUE_MS");
  const long ms = chosen ? std::strtol(chosen, nullptr, 10) : 0;
  return ms > 0 ? int(std::clamp<long>(ms, kQueueMs, 10000)) : kQueueMs;
}

uint32_t Bytes(int ms, const pa_sample_spec& spec) {
  return uint32_t(pa_usec_to_bytes(pa_usec_t(ms) * PA_USEC_PER_MSEC, &spec));
}

// Why the context or stream failed: the server's error, or the wait that ran out.
void LogFailure(const char* what, pa_context* context, bool timedOut) {
  if (!Platform::LogEnabled()) return;
  const std::string why = timedOut ? "no answer within 3 s" : context ? pa_strerror(pa_context_errno(context)) : "out of memory";
  Platform::Log("sound", std::string(what) + ": " + why);
}
}  // namespace

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
  // A large queue and no low-latency request: the device runs at its relaxed pace.
  pa_buffer_attr attr;
  attr.maxlength = uint32_t(-1);
  attr.tlength = Bytes(QueueMs(), spec);
  attr.prebuf = Bytes(kWriteMs, spec);
  attr.minreq = Bytes(kRequestMs, spec);
  attr.fragsize = uint32_t(-1);
  const auto flags = pa_stream_flags_t(PA_STREAM_INTERPOLATE_TIMING | (paused_ ? PA_STREAM_START_CORKED : 0));
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
  if (!ok) {
    LogFailure("the server refused the stream", context_, timedOut_);
    CloseStreamLocked();
    return false;
  }
  streamBase_ = written_;
  startFrames_ = 0;
  // The pieces are at most what the server asks for at a time: a server that grants a
  // smaller request than ours (a sound server with a short queue) still gets whole ones.
  const pa_buffer_attr* granted = pa_stream_get_buffer_attr(stream_);
  const size_t wanted = size_t(Format().rate) * kWriteMs / 1000;
  const size_t frameBytes = size_t(spec.channels) * sizeof(float);
  pieceFrames_ = granted && granted->minreq != uint32_t(-1) && granted->minreq >= frameBytes
                     ? std::min(wanted, size_t(granted->minreq) / frameBytes)
                     : wanted;
  streamUp_ = true;
  {
    // The new stream's queue is empty: the first pieces go to it at once.
    std::lock_guard stage(stageMutex_);
    serverHasRoom_ = true;
  }
  StaleTimingLocked();
  UpdateTimingLocked(false);
  return true;
}

void PulseOutput::CloseStreamLocked() {
  CancelTimingSoonLocked();
  if (!stream_) return;
  pa_stream_set_state_callback(stream_, nullptr, nullptr);
  pa_stream_set_write_callback(stream_, nullptr, nullptr);
  pa_stream_disconnect(stream_);
  pa_stream_unref(stream_);
  stream_ = nullptr;
  streamUp_ = false;
  StaleTimingLocked();
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

// The server went away: try again at most once a second, and meanwhile take the
// frames at real-time pace so playback goes on silently instead of racing ahead.
size_t PulseOutput::WriteOfflineLocked(size_t frames) {
  const int rate = Format().rate;
  const size_t n = std::min(frames, size_t(rate / 20));
  pa_threaded_mainloop_unlock(loop_);
  std::this_thread::sleep_for(std::chrono::microseconds(int64_t(n) * 1000000 / rate));
  pa_threaded_mainloop_lock(loop_);
  written_ += int64_t(n);
  writtenShared_ = written_;
  return n;
}

size_t PulseOutput::Write(const float* samples, size_t frames, uint64_t epoch, float gain) {
  std::unique_lock stage(stageMutex_);
  for (;;) {
    if (WriteCancelled(epoch)) return 0;
    if (!streamUp_) {
      stage.unlock();
      const size_t n = WriteUnstaged(frames, epoch);
      if (n > 0 || !streamUp_) return n;
      stage.lock();
      continue;
    }
    // Whole pieces: the server asks in large steps, and the writer sleeps until one is due.
    const size_t piece = PreferredWriteFrames();
    const size_t room = piece > staged_ ? piece - staged_ : 0;
    if (room > 0 && room >= std::min(frames, piece)) {
      const size_t n = StageLocked(samples, std::min(frames, room), gain);
      if (serverHasRoom_) {
        stage.unlock();
        SendStaged();
      }
      return n;
    }
    if (!serverHasRoom_) {
      stageRoom_.wait(stage);
      continue;
    }
    // A full stage and a server with room (a new stream): it goes at once.
    stage.unlock();
    SendStaged();
    stage.lock();
  }
}

// From the writer's thread, for a server that has room already.
void PulseOutput::SendStaged() {
  LoopLock lock(loop_);
  SendStagedLocked(false);
}

// Without a ready stream: opens one (the first write, or after a close) and returns
// 0 so the caller stages the frames. With the server gone it tries again at most
// once a second and meanwhile takes the frames at real-time pace.
size_t PulseOutput::WriteUnstaged(size_t frames, uint64_t epoch) {
  LoopLock lock(loop_);
  if (ContextReadyLocked() && !stream_) OpenStreamLocked();
  if (ReadyLocked() || WriteCancelled(epoch)) return 0;
  const auto now = std::chrono::steady_clock::now();
  if (now < nextReconnect_) return WriteOfflineLocked(frames);
  nextReconnect_ = now + std::chrono::seconds(1);
  if (!ConnectLocked() || !OpenStreamLocked()) return WriteOfflineLocked(frames);
  return 0;
}

// Scales the frames into the stage; the stage mutex is held.
size_t PulseOutput::StageLocked(const float* samples, size_t frames, float gain) {
  const size_t channels = size_t(Format().channels);
  const size_t need = PreferredWriteFrames() * channels;
  if (stage_.size() < need) stage_.resize(need);
  ScaledCopy(stage_.data() + staged_ * channels, samples, frames * channels, gain);
  staged_ += frames;
  return frames;
}

// Hands the stage to the server when it has room for all of it (or always, with
// all). Runs on the library's thread when the server asks for more, and on the
// writer's when the server had room already.
void PulseOutput::SendStagedLocked(bool all) {
  std::lock_guard stage(stageMutex_);
  const size_t writable = ReadyLocked() ? pa_stream_writable_size(stream_) : size_t(-1);
  if (writable == size_t(-1)) {
    serverHasRoom_ = false;
    return;
  }
  const size_t channels = size_t(Format().channels);
  size_t room = writable / (channels * sizeof(float));
  if (staged_ > 0 && (all || room >= staged_)) {
    const size_t sent = SendLocked(stage_.data(), staged_);
    std::copy(stage_.begin() + std::ptrdiff_t(sent * channels), stage_.begin() + std::ptrdiff_t(staged_ * channels),
              stage_.begin());
    staged_ -= sent;
    room = room > sent ? room - sent : 0;
    stageRoom_.notify_all();
  }
  serverHasRoom_ = room >= PreferredWriteFrames();
}

// Copies the frames into the library's buffers (which go to the server through
// shared memory). Returns the frames written, all of them unless the stream failed.
size_t PulseOutput::SendLocked(const float* samples, size_t frames) {
  const size_t channels = size_t(Format().channels);
  const size_t frameBytes = channels * sizeof(float);
  size_t done = 0;
  while (done < frames) {
    void* buffer = nullptr;
    size_t bytes = (frames - done) * frameBytes;
    if (pa_stream_begin_write(stream_, &buffer, &bytes) < 0 || !buffer) break;
    // The library may offer less than asked: whole frames of it.
    const size_t n = std::min(bytes / frameBytes, frames - done);
    if (n == 0) {
      pa_stream_cancel_write(stream_);
      break;
    }
    std::memcpy(buffer, samples + done * channels, n * frameBytes);
    if (pa_stream_write(stream_, buffer, n * frameBytes, nullptr, 0, PA_SEEK_RELATIVE) < 0) break;
    done += n;
  }
  written_ += int64_t(done);
  writtenShared_ = written_;
  // The write that starts playback makes the last timing stale: the clock the
  // library interpolates with stood still until now.
  if (done > 0 && startFrames_ >= 0 && (startFrames_ += int64_t(done)) >= int64_t(PreferredWriteFrames())) {
    startFrames_ = -1;
    StaleTimingLocked();
  }
  return done;
}

// The staged frames will not be heard (a flush, a closed or lost stream). They count
// as written, as the frames the server dropped with them do.
void PulseOutput::DropStagedLocked() {
  std::lock_guard stage(stageMutex_);
  written_ += int64_t(staged_);
  writtenShared_ = written_;
  staged_ = 0;
  serverHasRoom_ = false;
  stageRoom_.notify_all();
}

bool PulseOutput::Rewrite(int64_t from, const float* samples, size_t frames) {
  LoopLock lock(loop_);
  if (!ReadyLocked() || frames == 0 || from < streamBase_) return false;
  const int64_t frameBytes = int64_t(Format().channels) * int64_t(sizeof(float));
  // The server's write index (where written_ ends) is asked for first: the wait for
  // it lets the library's thread run, which takes the stage mutex.
  const pa_timing_info* timing = pa_stream_get_timing_info(stream_);
  if (from < written_ && (!timing || timing->write_index_corrupt)) {
    if (!UpdateTimingLocked(true)) return false;
    timing = pa_stream_get_timing_info(stream_);
    if (!timing || timing->write_index_corrupt) return false;
  }
  std::lock_guard stage(stageMutex_);
  if (from + int64_t(frames) != written_ + int64_t(staged_)) return false;
  // The frames still in the stage are replaced there.
  const size_t channels = size_t(Format().channels);
  const size_t inStage = size_t(written_ + int64_t(staged_) - std::max(from, written_));
  std::copy(samples + (frames - inStage) * channels, samples + frames * channels,
            stage_.begin() + std::ptrdiff_t((staged_ - inStage) * channels));
  if (from >= written_) return true;
  // The rest go in before the server's write index, at absolute places, so a late
  // arrival loses only what was already heard.
  const int64_t toServer = written_ - from;
  const int64_t start = timing->write_index - toServer * frameBytes;
  if (start < 0) return false;
  return pa_stream_write(stream_, samples, size_t(toServer * frameBytes), nullptr, start, PA_SEEK_ABSOLUTE) >= 0;
}

size_t PulseOutput::PreferredWriteFrames() const {
  const size_t piece = pieceFrames_.load();
  return piece > 0 ? piece : size_t(Format().rate) * kWriteMs / 1000;
}

// A stream that ran short (the server played all it had) waits for a whole
// prebuffer again before it plays on; the end of a source may be less than that,
// and would then never be heard nor reported as heard. Asking the server to start
// plays it out.
void PulseOutput::StartQueued() {
  LoopLock lock(loop_);
  SendStagedLocked(true);
  if (!ReadyLocked() || paused_) return;
  if (pa_operation* op = pa_stream_trigger(stream_, nullptr, nullptr)) pa_operation_unref(op);
}

bool PulseOutput::Drain(uint64_t epoch) {
  LoopLock lock(loop_);
  if (!ReadyLocked()) {
    // No server to hear them: the next stream may be in another format.
    DropStagedLocked();
    return !Interrupted(epoch);
  }
  SendStagedLocked(true);
  // Start playback even if less than the server's start threshold was written.
  if (pa_operation* op = pa_stream_trigger(stream_, nullptr, nullptr)) pa_operation_unref(op);
  StaleTimingLocked();
  const int target = drainsDone_ + 1;
  pa_operation* op = pa_stream_drain(stream_, OnSuccess, this);
  if (!op) return false;
  while (drainsDone_ < target && !Interrupted(epoch) && ReadyLocked()) pa_threaded_mainloop_wait(loop_);
  pa_operation_unref(op);
  return drainsDone_ >= target || (!ReadyLocked() && !Interrupted(epoch));
}

void PulseOutput::Flush() {
  LoopLock lock(loop_);
  if (ReadyLocked()) {
    if (pa_operation* op = pa_stream_flush(stream_, nullptr, nullptr)) pa_operation_unref(op);
    startFrames_ = 0;
  }
  DropStagedLocked();
  StaleTimingLocked();
  pa_threaded_mainloop_signal(loop_, 0);
}

void PulseOutput::SetPaused(bool paused) {
  LoopLock lock(loop_);
  paused_ = paused;
  if (ReadyLocked()) {
    if (pa_operation* op = pa_stream_cork(stream_, paused ? 1 : 0, nullptr, nullptr)) pa_operation_unref(op);
  }
  StaleTimingLocked();
  pa_threaded_mainloop_signal(loop_, 0);
}

void PulseOutput::CloseStream() {
  LoopLock lock(loop_);
  CloseStreamLocked();
  DropStagedLocked();
  pa_threaded_mainloop_signal(loop_, 0);
}


int64_t PulseOutput::WrittenFrames() {
  LoopLock lock(loop_);
  std::lock_guard stage(stageMutex_);
  return written_ + int64_t(staged_);
}

void PulseOutput::Wake() {
  LoopLock lock(loop_);
  pa_threaded_mainloop_signal(loop_, 0);
  WakeWriterLocked();
}

// A writer waiting for room in the stage looks again.
void PulseOutput::WakeWriterLocked() {
  std::lock_guard stage(stageMutex_);
  stageRoom_.notify_all();
}

void PulseOutput::OnContextState(pa_context* c, void* self) {
  auto* output = static_cast<PulseOutput*>(self);
  if (pa_context_get_state(c) != PA_CONTEXT_READY && output->streamUp_) {
    output->streamUp_ = false;
    output->WakeWriterLocked();
  }
  pa_threaded_mainloop_signal(output->loop_, 0);
}

void PulseOutput::OnStreamState(pa_stream* s, void* self) {
  auto* output = static_cast<PulseOutput*>(self);
  output->streamUp_ = output->ContextReadyLocked() && pa_stream_get_state(s) == PA_STREAM_READY;
  // A writer waiting for room must look again: the stream it waits on is gone. The
  // stage is kept for the stream of the next connection.
  if (!output->streamUp_) output->WakeWriterLocked();
  pa_threaded_mainloop_signal(output->loop_, 0);
}

// The server asks for more: the stage goes to it from here, on the library's thread.
void PulseOutput::OnStreamWrite(pa_stream*, size_t, void* self) { static_cast<PulseOutput*>(self)->SendStagedLocked(false); }

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
