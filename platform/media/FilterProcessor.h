#pragma once
#include <array>
#include <memory>

#include "platform/media/FilterChain.h"
#include "platform/media/PeakingCascade.h"
#include "platform/media/SoundProcessor.h"

// A value that moves to its target in kRampSteps steps, one per chunk of
// kRampFrames frames, so a change is complete within some 50 ms and never jumps.
struct Ramp {
  static constexpr int kRampSteps = 8;
  float current = 0;
  float target = 0;
  float step = 0;
  int stepsLeft = 0;

  void Jump(float value) {
    current = target = value;
    stepsLeft = 0;
  }
  void Set(float value) {
    if (value == target) return;
    target = value;
    step = (target - current) / kRampSteps;
    stepsLeft = kRampSteps;
  }
  bool Moving() const { return stepsLeft > 0; }
  // The value after the next step.
  float Advance() {
    if (stepsLeft > 0 && --stepsLeft == 0) current = target;
    else if (stepsLeft > 0) current += step;
    return current;
  }
};

// The sound processing: the track's ReplayGain, the equalizer as ten peaking biquads in float with the
// preamplifier and a soft limiter, the balance, and the speed through libavfilter's
// atempo.
// Built into libtarnello-decoder.so only.
class FilterProcessor : public SoundProcessor {
 public:
  static constexpr size_t kRampFrames = 256;
  explicit FilterProcessor(SoundFormat format);

  void SetSettings(const SoundSettings& settings) override;
  bool Process(const std::vector<float>& in, std::vector<float>& out) override;
  void Finish(std::vector<float>& out) override;
  void Reset() override;

  // The soft limiter: unchanged up to kLimiterKnee, then bending towards full scale
  // without reaching it, so a boosted peak never wraps or clips hard.
  static float Limit(float x);
  static constexpr float kLimiterKnee = 0.9f;

 private:
  void ProcessTrackGain(std::vector<float>& samples, bool limit);
  bool EqualizerNeeded() const;
  bool StartEqualizer();
  bool ProcessEqualizer(std::vector<float>& samples);
  void EqualizeChunk(float* samples, size_t frames);
  void ProcessBalance(std::vector<float>& samples);
  bool ProcessTempo(const std::vector<float>& in, std::vector<float>& out);
  bool StartTempo(float speed);
  bool BandUsable(int band) const;

  SoundFormat format_;
  SoundSettings settings_;
  std::unique_ptr<PeakingCascade> equalizer_;
  std::unique_ptr<FilterChain> tempo_;
  float tempoSpeed_ = 1.0f;
  bool started_ = false;  // a block was processed: later changes ramp
  std::array<Ramp, SoundSettings::kBands> bands_{};
  Ramp trackGain_;  // linear, before the equalizer
  Ramp preamp_;     // linear gain
  Ramp wet_;     // 0 = the equalizer bypassed, 1 = fully in
  Ramp left_, right_;
  std::vector<float> dry_, wetSamples_;
};
