#pragma once
#include <array>
#include <memory>
#include <vector>

#include "platform/media/ReplayGain.h"
#include "platform/media/SoundOutput.h"

// What the listener set: ReplayGain, the ten-band equalizer with its preamplifier,
// the balance and the playback speed.
struct SoundSettings {
  static constexpr int kBands = 10;
  static constexpr std::array<double, kBands> kBandHz = {60, 170, 310, 600, 1000, 3000, 6000, 12000, 14000, 16000};

  bool equalizerOn = false;
  std::array<float, kBands> bandDb{};  // -12 ... +12 dB
  float preampDb = 0;                  // -12 ... +12 dB
  int balance = 0;                     // -127 (left) ... 127 (right)
  float speed = 1.0f;                  // 0.6 ... 1.4, pitch kept
  ReplayGainSettings replayGain;
  // The current track's ReplayGain as a factor, applied before the equalizer: the
  // control works it out from replayGain and the track's tags.
  float trackGain = 1.0f;
  bool operator==(const SoundSettings&) const = default;
  // Nothing to do: the samples pass unchanged.
  bool Neutral() const { return !equalizerOn && balance == 0 && speed == 1.0f && trackGain == 1.0f; }
};

// The sound processing between the decoder and the output, on float samples of one
// format. Equalizer and speed run on FFmpeg's libavfilter (the peaking biquad
// "equalizer" and the WSOLA "atempo"), in libtarnello-filters.so beside the decoding
// library. Every change
// of a setting is ramped over a few milliseconds so it is heard without a click;
// neutral settings pass the samples bit for bit.
class SoundProcessor {
 public:
  virtual ~SoundProcessor() = default;
  // Null when the processing library is missing.
  static std::unique_ptr<SoundProcessor> Create(SoundFormat format);

  // Takes effect with the next block.
  virtual void SetSettings(const SoundSettings& settings) = 0;
  // Processes one block of interleaved samples; out gets what is ready, which at
  // another speed is more or fewer frames than went in. False after a failure of
  // the filters (the block then passes unprocessed).
  virtual bool Process(const std::vector<float>& in, std::vector<float>& out) = 0;
  // What the filters still hold at the end of the stream.
  virtual void Finish(std::vector<float>& out) = 0;
  // Forgets the filters' history (after a seek).
  virtual void Reset() = 0;
};
