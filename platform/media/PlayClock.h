#pragma once
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>

// The frames a device has played, carried forward by the system clock from its
// last measurement, so that most position reads need neither the device's
// library nor its lock (the display asks several times a second). A measurement
// is trusted for maxAge; whatever stops, starts or moves the device's clock (a
// pause, a flush, the start of playback) forgets it. What it tells never goes
// back between two forgets and never runs ahead of what was written.
class PlayClock {
 public:
  using Clock = std::chrono::steady_clock;
  explicit PlayClock(Clock::duration maxAge) : maxAge_(maxAge) {}

  // The device had played `played` frames at `at`, and plays on at `rate` frames a second.
  void Measured(Clock::time_point at, int64_t played, int rate) {
    std::lock_guard lock(mutex_);
    at_ = at;
    played_ = played;
    rate_ = rate;
    valid_ = rate > 0;
  }
  void Forget() {
    std::lock_guard lock(mutex_);
    valid_ = false;
    told_ = INT64_MIN;
  }
  // The frames played at `now`; nothing without a measurement younger than maxAge.
  std::optional<int64_t> Played(Clock::time_point now, int64_t written) const {
    std::lock_guard lock(mutex_);
    if (!valid_ || now < at_ || now - at_ >= maxAge_) return std::nullopt;
    const int64_t elapsedUs = std::chrono::duration_cast<std::chrono::microseconds>(now - at_).count();
    const int64_t played = std::min(written, played_ + elapsedUs * rate_ / 1000000);
    told_ = std::max(told_, played);
    return told_;
  }

 private:
  const Clock::duration maxAge_;
  mutable std::mutex mutex_;
  bool valid_ = false;
  Clock::time_point at_{};
  int64_t played_ = 0;
  int rate_ = 0;
  mutable int64_t told_ = INT64_MIN;  // the most told since the last forget
};
