#include "platform/media/NullOutput.h"

#include <algorithm>

namespace {
constexpr int64_t kBufferMs = 400;  // the device buffer
}

NullOutput::NullOutput(bool timed) : timed_(timed), anchor_(Clock::now()) {}

int64_t NullOutput::PlayedLocked(Clock::time_point now) const {
  if (!timed_) return written_;
  if (paused_) return playedBase_;
  const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(now - anchor_).count();
  return std::min(written_, playedBase_ + elapsed * Rate() / 1000000);
}

NullOutput::Clock::time_point NullOutput::TimeOfFrameLocked(int64_t frame) const {
  return anchor_ + std::chrono::microseconds((frame - playedBase_) * 1000000 / Rate() + 1);
}

size_t NullOutput::Write(const float* samples, size_t frames, uint64_t epoch) {
  std::unique_lock lock(mutex_);
  const int64_t capacity = Rate() * kBufferMs / 1000;
  for (;;) {
    if (Interrupted(epoch)) return 0;
    if (paused_) {
      wake_.wait(lock);
      continue;
    }
    const auto now = Clock::now();
    const int64_t played = PlayedLocked(now);
    if (timed_ && played == written_) {
      // The device ran dry: it starts consuming again from now.
      playedBase_ = written_;
      anchor_ = now;
    }
    // A block that fits is taken at once; otherwise the writer sleeps until half the
    // device buffer is free, so it wakes a few times a second, not once per block.
    const int64_t room = timed_ ? capacity - (written_ - played) : int64_t(frames);
    const int64_t half = capacity / 2;
    if (room >= std::min<int64_t>(int64_t(frames), half)) {
      const size_t n = std::min(frames, size_t(room));
      written_ += int64_t(n);
      Consume(samples, n);
      return n;
    }
    wake_.wait_until(lock, TimeOfFrameLocked(written_ - capacity + half));
  }
}

bool NullOutput::Drain(uint64_t epoch) {
  std::unique_lock lock(mutex_);
  for (;;) {
    if (Interrupted(epoch)) return false;
    if (paused_) {
      wake_.wait(lock);
      continue;
    }
    if (PlayedLocked(Clock::now()) >= written_) return true;
    wake_.wait_until(lock, TimeOfFrameLocked(written_));
  }
}

void NullOutput::Flush() {
  std::lock_guard lock(mutex_);
  playedBase_ = written_;
  anchor_ = Clock::now();
  wake_.notify_all();
}

void NullOutput::SetPaused(bool paused) {
  std::lock_guard lock(mutex_);
  if (paused == paused_) return;
  const auto now = Clock::now();
  if (paused) playedBase_ = PlayedLocked(now);
  anchor_ = now;
  paused_ = paused;
  wake_.notify_all();
}

int64_t NullOutput::PlayedFrames() {
  std::lock_guard lock(mutex_);
  return PlayedLocked(Clock::now());
}

int64_t NullOutput::WrittenFrames() {
  std::lock_guard lock(mutex_);
  return written_;
}

void NullOutput::Wake() {
  { std::lock_guard lock(mutex_); }
  wake_.notify_all();
}
