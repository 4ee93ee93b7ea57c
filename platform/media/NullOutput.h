#pragma once
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "platform/media/SoundOutput.h"

// An ideal device without sound. Timed, it consumes frames at real-time pace from a
// queue of about a second, like the sound server's, so positions advance as on a real
// device and queued frames can be rewritten; untimed, it takes them as fast as they
// come.
class NullOutput : public SoundOutput {
 public:
  explicit NullOutput(bool timed);
  size_t Write(const float* samples, size_t frames, uint64_t epoch, float gain) override;
  bool Drain(uint64_t epoch) override;
  void Flush() override;
  void SetPaused(bool paused) override;
  int64_t PlayedFrames() override;
  int64_t WrittenFrames() override;
  bool Rewrite(int64_t from, const float* samples, size_t frames) override;
  size_t PreferredWriteFrames() const override;

 protected:
  void Wake() override;
  // Hands the frames on as they are heard (the wav backend writes them to its file).
  virtual void Consume(const float*, size_t) {}

 private:
  using Clock = std::chrono::steady_clock;
  int64_t PlayedLocked(Clock::time_point now) const;
  Clock::time_point TimeOfFrameLocked(int64_t frame) const;
  int64_t Rate() const { return Format().rate; }
  void ConsumePlayedLocked(Clock::time_point now);

  const bool timed_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool paused_ = false;
  int64_t written_ = 0;
  int64_t playedBase_ = 0;   // frames heard at anchor_
  Clock::time_point anchor_;  // when the device last started consuming
  // Timed: the frames written and not yet handed to Consume, from queueHead_ on.
  std::vector<float> queue_;
  size_t queueHead_ = 0;
  int64_t consumed_ = 0;  // frames handed to Consume or dropped by a flush
  std::vector<float> scaled_;  // untimed: the frames of a write at their volume
};
