#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

// Copies count samples scaled by gain; at full volume a plain copy.
inline void ScaledCopy(float* __restrict to, const float* __restrict from, size_t count, float gain) {
  if (gain == 1.0f) {
    std::memcpy(to, from, count * sizeof(float));
    return;
  }
  // In runs of eight, which the compiler turns into vector multiplies at -O2.
  size_t i = 0;
  for (; i + 8 <= count; i += 8)
    for (size_t k = 0; k < 8; ++k) to[i + k] = from[i + k] * gain;
  for (; i < count; ++i) to[i] = from[i] * gain;
}

// The frames a sound output takes: interleaved 32-bit float samples (full scale
// ±1.0) at a rate and channel count that the track decides.
struct SoundFormat {
  int rate = 44100;
  int channels = 2;
  bool operator==(const SoundFormat&) const = default;
};

// The sound device the media player control plays to. One implementation per
// backend (pulse, null, null-untimed, wav). Float samples carry 24 bits of
// precision, so 16- and 24-bit sources reach the device unchanged.
class SoundOutput {
 public:
  // The format of the fixed path (resampled, stereo) and the default of every output.
  static constexpr int kRate = 44100;
  static constexpr int kChannels = 2;

  virtual ~SoundOutput() = default;

  // The format of the frames written from now on. Meant for the start of a track:
  // a different format first lets what was written play out, then closes the
  // device stream, and the next Write opens one in the new format. The same format
  // changes nothing, so the next track follows without a gap.
  void SetFormat(SoundFormat format) {
    if (format.rate <= 0 || format.channels <= 0 || format == format_.load()) return;
    // The frames of the old format are heard in full before the stream changes.
    Drain(Epoch());
    FormatChanging(format);
    format_ = format;
  }
  SoundFormat Format() const { return format_.load(); }

  // Takes frames for playing, scaled by gain (the volume) on their way to the
  // device, opening the device stream if it is closed. Blocks while the device has
  // no room or is paused, so the writer is paced by the device; returns the frames
  // taken, fewer only when Interrupt() was called after the writer read epoch.
  virtual size_t Write(const float* samples, size_t frames, uint64_t epoch, float gain) = 0;
  // Blocks until everything written has been heard; false when interrupted first.
  virtual bool Drain(uint64_t epoch) = 0;
  // Drops everything written and not yet heard.
  virtual void Flush() = 0;
  // Nothing more follows for now (the source ended): what was written plays out even
  // where it is less than the device waits for before it starts, as after an underrun.
  virtual void StartQueued() {}
  virtual void SetPaused(bool paused) = 0;
  // Whether a pause stops the sound exactly after the last frame heard and a resume
  // goes on with the next one. A sound server may skip or repeat a few ms around a
  // pause of its stream; the control then silences the queue itself first.
  virtual bool PausesExactly() const { return true; }
  // Closes the device stream (the sound server then holds no stream of ours) until
  // the next Write; what was not heard yet is dropped, so Drain first.
  virtual void CloseStream() {}
  // Frames heard since the output opened: those written less those still on their
  // way (the output latency). Counted under the output's own lock, so it never runs
  // ahead of what was written, and it stands still while paused.
  virtual int64_t PlayedFrames() = 0;
  // Frames taken by Write since the output opened.
  virtual int64_t WrittenFrames() = 0;
  // PlayedFrames measured afresh at the device rather than interpolated since the
  // last measurement: slower, for the moment a rewrite is planned.
  virtual int64_t MeasurePlayedFrames() { return PlayedFrames(); }
  // Replaces the frames written from output frame `from` on with `frames` others
  // (exactly WrittenFrames() - from of them), so that a change is heard without
  // waiting for the queue to play out. Frames the device has played meanwhile are
  // skipped, so each frame is heard once and in its place. False when this output
  // keeps nothing that could be replaced: the change then follows the queue.
  virtual bool Rewrite(int64_t /*from*/, const float* /*samples*/, size_t /*frames*/) { return false; }
  // Frames the writer is best given at once: the device takes them in pieces this
  // large, so fewer, larger writes wake both sides less often.
  virtual size_t PreferredWriteFrames() const { return size_t(Format().rate) / 10; }

  uint64_t Epoch() const { return epoch_.load(); }
  // Makes a blocked Write or Drain return at once, and every later one given an older epoch.
  void Interrupt() {
    ++epoch_;
    Wake();
  }
  // Makes a blocked Write return at once (with 0) so the writer can look at a change;
  // unlike Interrupt, a Drain goes on and later writes are taken as before.
  void Nudge() {
    nudged_ = true;
    Wake();
  }

 protected:
  bool Interrupted(uint64_t epoch) const { return epoch_.load() != epoch; }
  // For Write: interrupted, or nudged since the last look.
  bool WriteCancelled(uint64_t epoch) { return Interrupted(epoch) || nudged_.exchange(false); }
  // Wakes a blocked writer; implementations take their own lock so no wake-up is lost.
  virtual void Wake() = 0;
  // Called by SetFormat once the old frames have played out and before the new
  // format is taken: implementations close their stream or file for the old one.
  virtual void FormatChanging(SoundFormat) {}

 private:
  std::atomic<SoundFormat> format_{SoundFormat{}};
  std::atomic<uint64_t> epoch_{0};
  std::atomic<bool> nudged_{false};
};

// The output named by spec: "pulse" (also for an empty spec), "null", "null-untimed",
// "wav:PATH" or "wav-timed:PATH" (the file written at real-time pace). Null when that output cannot be opened (no sound server, a bad path).
std::unique_ptr<SoundOutput> OpenSoundOutput(const std::string& spec);
// The output named by the environment variable TARNELLO_AUDIO.
std::unique_ptr<SoundOutput> OpenDefaultSoundOutput();
// Whether OpenDefaultSoundOutput is likely to succeed, found without loading the sound
// library: a sound server's socket that accepts a connection, a null output, a wav
// file's folder that can be written.
bool DefaultSoundOutputAvailable();
