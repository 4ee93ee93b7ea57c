#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// The sound device the media player control plays to: interleaved 16-bit stereo
// at a fixed rate. One implementation per backend (pulse, null, null-untimed, wav).
class SoundOutput {
 public:
  static constexpr int kRate = 44100;
  static constexpr int kChannels = 2;

  virtual ~SoundOutput() = default;

  // Takes frames for playing. Blocks while the device has no room or is paused, so
  // the writer is paced by the device; returns the frames taken, fewer only when
  // Interrupt() was called after the writer read epoch.
  virtual size_t Write(const int16_t* samples, size_t frames, uint64_t epoch) = 0;
  // Blocks until everything written has been heard; false when interrupted first.
  virtual bool Drain(uint64_t epoch) = 0;
  // Drops everything written and not yet heard.
  virtual void Flush() = 0;
  virtual void SetPaused(bool paused) = 0;
  // Frames heard since the output opened: those written less those still on their
  // way (the output latency). Counted under the output's own lock, so it never runs
  // ahead of what was written, and it stands still while paused.
  virtual int64_t PlayedFrames() = 0;

  uint64_t Epoch() const { return epoch_.load(); }
  // Makes a blocked Write or Drain return at once, and every later one given an older epoch.
  void Interrupt() {
    ++epoch_;
    Wake();
  }

 protected:
  bool Interrupted(uint64_t epoch) const { return epoch_.load() != epoch; }
  // Wakes a blocked writer; implementations take their own lock so no wake-up is lost.
  virtual void Wake() = 0;

 private:
  std::atomic<uint64_t> epoch_{0};
};

// The output named by spec: "pulse" (also for an empty spec), "null", "null-untimed"
// or "wav:PATH". Null when that output cannot be opened (no sound server, a bad path).
std::unique_ptr<SoundOutput> OpenSoundOutput(const std::string& spec);
// The output named by the environment variable TARNELLO_AUDIO.
std::unique_ptr<SoundOutput> OpenDefaultSoundOutput();
