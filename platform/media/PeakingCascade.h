#pragma once
#include <array>
#include <cmath>
#include <cstddef>
#include <vector>

// The equalizer's filters: one peaking biquad per band (one octave wide, the
// audio-EQ-cookbook design), run in direct form I on float samples, which takes
// new coefficients in the middle of a signal without a jump. A band at 0 dB is the
// identity and is skipped; its state still follows the signal, so it can start
// moving at any time without a click. Interleaved frames, any channel count.
class PeakingCascade {
 public:
  static constexpr int kMaxBands = 10;
  static constexpr int kMaxChannels = 8;

  PeakingCascade(int rate, int channels) : rate_(rate), channels_(channels) {}

  // Band `band` at centre hz with gain db; bands not set pass unchanged.
  void SetBand(int band, double hz, double db) {
    Stage& s = stages_[size_t(band)];
    s.used = true;
    s.identity = db == 0.0;
    const double a = std::pow(10.0, db / 40.0);
    const double w0 = 2.0 * M_PI * hz / rate_;
    const double alpha = std::sin(w0) * std::sinh(std::log(2.0) / 2.0 * kWidthOctaves * w0 / std::sin(w0));
    const double a0 = 1.0 + alpha / a;
    s.b0 = float((1.0 + alpha * a) / a0);
    s.b1 = float(-2.0 * std::cos(w0) / a0);
    s.b2 = float((1.0 - alpha * a) / a0);
    s.a1 = s.b1;
    s.a2 = float((1.0 - alpha / a) / a0);
  }

  // Filters frames in place.
  void Process(float* samples, size_t frames) {
    const size_t channels = size_t(channels_);
    for (Stage& s : stages_) {
      if (!s.used) continue;
      for (size_t c = 0; c < channels; ++c) {
        History& h = s.history[c];
        float* x = samples + c;
        if (s.identity) {
          // What the stage would remember had it run.
          if (frames >= 2) h.x1 = h.y1 = x[(frames - 1) * channels], h.x2 = h.y2 = x[(frames - 2) * channels];
          else if (frames == 1) h.x2 = h.y2 = h.x1, h.x1 = h.y1 = x[0];
          continue;
        }
        float x1 = h.x1, x2 = h.x2, y1 = h.y1, y2 = h.y2;
        for (size_t f = 0; f < frames; ++f) {
          const float in = x[f * channels];
          const float out = s.b0 * in + s.b1 * x1 + s.b2 * x2 - s.a1 * y1 - s.a2 * y2;
          x2 = x1;
          x1 = in;
          y2 = y1;
          y1 = out;
          x[f * channels] = out;
        }
        h = {x1, x2, y1, y2};
      }
    }
  }

 private:
  static constexpr double kWidthOctaves = 1.0;
  struct History {
    float x1 = 0, x2 = 0, y1 = 0, y2 = 0;
  };
  struct Stage {
    bool used = false;
    bool identity = true;
    float b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    std::array<History, kMaxChannels> history{};
  };
  int rate_;
  int channels_;
  std::array<Stage, kMaxBands> stages_{};
};
