#include "platform/media/NullOutput.h"

#include <algorithm>

namespace {
constexpr int64_t kBufferMs = 1000;  // the device queue
constexpr int64_t kWriteMs = 250;    // the writer's pieces
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

// Hands what has been heard by now to Consume.
void NullOutput::ConsumePlayedLocked(Clock::time_point now) {
  if (!timed_) return;
  const size_t channels = size_t(Format().channels);
  const int64_t played = PlayedLocked(now);
  if (played > consumed_) {
    const size_t frames = size_t(played - consumed_);
    Consume(queue_.data() + queueHead_, frames);
    queueHead_ += frames * channels;
    consumed_ = played;
  }
  if (queueHead_ > queue_.size() / 2) {
    queue_.erase(queue_.begin(), queue_.begin() + std::ptrdiff_t(queueHead_));
    queueHead_ = 0;
  }
}

size_t NullOutput::PreferredWriteFrames() const { return size_t(Format().rate * kWriteMs / 1000); }

size_t NullOutput::Write(const float* samples, size_t frames, uint64_t epoch, float gain) {
  std::unique_lock lock(mutex_);
  const int64_t capacity = Rate() * kBufferMs / 1000;
  const size_t channels = size_t(Format().channels);
  for (;;) {
    if (WriteCancelled(epoch)) return 0;
    if (paused_) {
      wake_.wait(lock);
      continue;
    }
    const auto now = Clock::now();
    ConsumePlayedLocked(now);
    const int64_t played = PlayedLocked(now);
    if (timed_ && played == written_) {
      // The device ran dry: it starts consuming again from now.
      playedBase_ = written_;
      anchor_ = now;
    }
    // A block that fits is taken at once; otherwise the writer sleeps until a
    // writer's piece is free, so it wakes a few times a second, not once per block.
    const int64_t room = timed_ ? capacity - (written_ - played) : int64_t(frames);
    const int64_t piece = std::min<int64_t>(int64_t(PreferredWriteFrames()), capacity / 2);
    if (room > 0 && room >= std::min<int64_t>(int64_t(frames), piece)) {
      const size_t n = std::min(frames, size_t(room));
      written_ += int64_t(n);
      if (timed_) {
        queue_.resize(queue_.size() + n * channels);
        ScaledCopy(queue_.data() + queue_.size() - n * channels, samples, n * channels, gain);
      } else if (gain == 1.0f) {
        Consume(samples, n);
      } else {
        scaled_.resize(n * channels);
        ScaledCopy(scaled_.data(), samples, n * channels, gain);
        Consume(scaled_.data(), n);
      }
      return n;
    }
    wake_.wait_until(lock, TimeOfFrameLocked(written_ - capacity + piece));
  }
}

bool NullOutput::Rewrite(int64_t from, const float* samples, size_t frames) {
  std::lock_guard lock(mutex_);
  if (!timed_ || from + int64_t(frames) != written_) return false;
  ConsumePlayedLocked(Clock::now());
  // What was heard meanwhile stays; the rest is replaced in place.
  const size_t channels = size_t(Format().channels);
  const int64_t skip = std::max<int64_t>(0, consumed_ - from);
  if (skip >= int64_t(frames)) return true;
  std::copy(samples + size_t(skip) * channels, samples + frames * channels,
            queue_.begin() + std::ptrdiff_t(queueHead_ + size_t(from + skip - consumed_) * channels));
  return true;
}

bool NullOutput::Drain(uint64_t epoch) {
  std::unique_lock lock(mutex_);
  for (;;) {
    if (Interrupted(epoch)) return false;
    if (paused_) {
      wake_.wait(lock);
      continue;
    }
    const auto now = Clock::now();
    ConsumePlayedLocked(now);
    if (PlayedLocked(now) >= written_) return true;
    wake_.wait_until(lock, TimeOfFrameLocked(written_));
  }
}

void NullOutput::Flush() {
  std::lock_guard lock(mutex_);
  ConsumePlayedLocked(Clock::now());
  queue_.clear();
  queueHead_ = 0;
  consumed_ = written_;
  playedBase_ = written_;
  anchor_ = Clock::now();
  wake_.notify_all();
}

void NullOutput::SetPaused(bool paused) {
  std::lock_guard lock(mutex_);
  if (paused == paused_) return;
  const auto now = Clock::now();
  ConsumePlayedLocked(now);
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
