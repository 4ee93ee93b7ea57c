#include "platform/media/FilterProcessor.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {
float DbToGain(float db) { return std::pow(10.0f, db / 20.0f); }
}  // namespace

FilterProcessor::FilterProcessor(SoundFormat format) : format_(format) {
  trackGain_.Jump(1.0f);
  preamp_.Jump(1.0f);
  left_.Jump(1.0f);
  right_.Jump(1.0f);
}

float FilterProcessor::Limit(float x) {
  const float magnitude = std::fabs(x);
  if (!(magnitude > kLimiterKnee)) return std::isnan(x) ? 0.0f : x;
  constexpr float room = 1.0f - kLimiterKnee;
  const float bent = kLimiterKnee + room * std::tanh((magnitude - kLimiterKnee) / room);
  return std::copysign(bent, x);
}

// A band above 45 % of the rate cannot be a peaking filter at this rate; it is left out.
bool FilterProcessor::BandUsable(int band) const {
  return SoundSettings::kBandHz[size_t(band)] < 0.45 * format_.rate;
}

void FilterProcessor::SetSettings(const SoundSettings& s) {
  if (s == settings_) return;
  settings_ = s;
  for (int i = 0; i < SoundSettings::kBands; ++i) bands_[size_t(i)].Set(s.bandDb[size_t(i)]);
  trackGain_.Set(s.trackGain);
  preamp_.Set(DbToGain(s.preampDb));
  wet_.Set(s.equalizerOn ? 1.0f : 0.0f);
  const int balance = std::clamp(s.balance, -127, 127);
  left_.Set(balance > 0 ? float(127 - balance) / 127.0f : 1.0f);
  right_.Set(balance < 0 ? float(127 + balance) / 127.0f : 1.0f);
}

bool FilterProcessor::StartEqualizer() {
  // The filters start at the current gains; the cross-fade from the dry signal
  // hides their start.
  equalizer_ = std::make_unique<PeakingCascade>(format_.rate, format_.channels);
  for (int i = 0; i < SoundSettings::kBands; ++i) {
    if (!BandUsable(i)) continue;
    bands_[size_t(i)].Jump(bands_[size_t(i)].target);
    equalizer_->SetBand(i, SoundSettings::kBandHz[size_t(i)], bands_[size_t(i)].current);
  }
  return true;
}

void FilterProcessor::EqualizeChunk(float* samples, size_t frames) {
  const size_t channels = size_t(format_.channels);
  const size_t count = frames * channels;
  for (int i = 0; i < SoundSettings::kBands; ++i) {
    Ramp& band = bands_[size_t(i)];
    if (!band.Moving()) continue;
    const float db = band.Advance();
    if (BandUsable(i)) equalizer_->SetBand(i, SoundSettings::kBandHz[size_t(i)], db);
  }
  const float pre0 = preamp_.current, pre1 = preamp_.Advance();
  const float wet0 = wet_.current, wet1 = wet_.Advance();
  dry_.assign(samples, samples + count);
  wetSamples_.assign(samples, samples + count);
  equalizer_->Process(wetSamples_.data(), frames);
  // Gain and cross-fade move linearly across the chunk.
  const float invFrames = 1.0f / float(frames);
  for (size_t f = 0; f < frames; ++f) {
    const float t = float(f + 1) * invFrames;
    const float pre = pre0 + (pre1 - pre0) * t;
    const float wet = wet0 + (wet1 - wet0) * t;
    for (size_t c = 0; c < channels; ++c) {
      const size_t k = f * channels + c;
      const float dry = dry_[k];
      samples[k] = Limit(dry + (wetSamples_[k] * pre - dry) * wet);
    }
  }
}

// Scales by the track's gain, ramped when it changes during the track. A boost
// passes the soft limiter unless the equalizer, which ends in it, follows.
void FilterProcessor::ProcessTrackGain(std::vector<float>& samples, bool limit) {
  const size_t channels = size_t(format_.channels);
  const size_t count = samples.size();
  for (size_t done = 0; done < count;) {
    const bool moving = trackGain_.Moving();
    if (!moving && trackGain_.current == 1.0f) return;
    const size_t n = moving ? std::min(kRampFrames * channels, count - done) : count - done;
    const float g0 = trackGain_.current, g1 = moving ? trackGain_.Advance() : g0;
    const bool bend = limit && (g0 > 1.0f || g1 > 1.0f);
    const float invFrames = channels / float(n);
    for (size_t k = 0; k < n; ++k) {
      const float t = float(k / channels + 1) * invFrames;
      const float value = samples[done + k] * (g0 + (g1 - g0) * t);
      samples[done + k] = bend ? Limit(value) : value;
    }
    done += n;
  }
}

bool FilterProcessor::EqualizerNeeded() const {
  return settings_.equalizerOn || wet_.current > 0.0f || wet_.Moving();
}

bool FilterProcessor::ProcessEqualizer(std::vector<float>& samples) {
  if (!EqualizerNeeded()) {
    equalizer_.reset();
    return true;
  }
  if (!equalizer_ && !StartEqualizer()) return false;
  const size_t channels = size_t(format_.channels);
  const size_t frames = samples.size() / channels;
  for (size_t done = 0; done < frames && equalizer_;) {
    bool ramping = wet_.Moving() || preamp_.Moving();
    for (const Ramp& b : bands_) ramping = ramping || b.Moving();
    // While something moves, chunk by chunk; then the rest of the block at once.
    const size_t n = ramping ? std::min(kRampFrames, frames - done) : frames - done;
    EqualizeChunk(samples.data() + done * channels, n);
    done += n;
  }
  if (!settings_.equalizerOn && !wet_.Moving()) equalizer_.reset();
  return equalizer_ != nullptr || !settings_.equalizerOn;
}

void FilterProcessor::ProcessBalance(std::vector<float>& samples) {
  if (format_.channels != 2) return;
  const size_t frames = samples.size() / 2;
  for (size_t done = 0; done < frames;) {
    const bool moving = left_.Moving() || right_.Moving();
    if (!moving && left_.current == 1.0f && right_.current == 1.0f) return;
    const size_t n = moving ? std::min(kRampFrames, frames - done) : frames - done;
    const float l0 = left_.current, l1 = moving ? left_.Advance() : l0;
    const float r0 = right_.current, r1 = moving ? right_.Advance() : r0;
    for (size_t f = 0; f < n; ++f) {
      const float t = float(f + 1) / float(n);
      samples[2 * (done + f)] *= l0 + (l1 - l0) * t;
      samples[2 * (done + f) + 1] *= r0 + (r1 - r0) * t;
    }
    done += n;
  }
}

bool FilterProcessor::StartTempo(float speed) {
  tempo_ = FilterChain::Create(format_, "atempo=tempo=" + FilterChain::Number(speed));
  tempoSpeed_ = speed;
  return tempo_ != nullptr;
}

bool FilterProcessor::ProcessTempo(const std::vector<float>& in, std::vector<float>& out) {
  const float speed = std::clamp(settings_.speed, 0.5f, 2.0f);
  if (speed == 1.0f) {
    // Back to normal speed: what the stretcher still holds is played first.
    if (tempo_) Finish(out);
    out.insert(out.end(), in.begin(), in.end());
    return true;
  }
  if (!tempo_ && !StartTempo(speed)) {
    out.insert(out.end(), in.begin(), in.end());
    return false;
  }
  if (speed != tempoSpeed_) {
    tempo_->Command("atempo", "tempo", speed);
    tempoSpeed_ = speed;
  }
  if (!tempo_->Push(in.data(), in.size() / size_t(format_.channels)) || !tempo_->Pull(out)) {
    tempo_.reset();
    return false;
  }
  return true;
}

bool FilterProcessor::Process(const std::vector<float>& in, std::vector<float>& out) {
  out.clear();
  if (!started_) {
    // Settings given before the first block apply from its first sample.
    Reset();
    started_ = true;
  }
  if (settings_.Neutral() && !equalizer_ && !tempo_ && !wet_.Moving() && !left_.Moving() && !right_.Moving() &&
      left_.current == 1.0f && right_.current == 1.0f && !trackGain_.Moving() && trackGain_.current == 1.0f) {
    out = in;
    return true;
  }
  std::vector<float> samples = in;
  ProcessTrackGain(samples, !EqualizerNeeded());
  const bool equalized = ProcessEqualizer(samples);
  ProcessBalance(samples);
  const bool stretched = ProcessTempo(samples, out);
  return equalized && stretched;
}

void FilterProcessor::Finish(std::vector<float>& out) {
  if (!tempo_) return;
  if (tempo_->Push(nullptr, 0)) tempo_->Pull(out);
  tempo_.reset();
}

void FilterProcessor::Reset() {
  equalizer_.reset();
  tempo_.reset();
  for (int i = 0; i < SoundSettings::kBands; ++i) bands_[size_t(i)].Jump(settings_.bandDb[size_t(i)]);
  trackGain_.Jump(settings_.trackGain);
  preamp_.Jump(DbToGain(settings_.preampDb));
  wet_.Jump(settings_.equalizerOn ? 1.0f : 0.0f);
  left_.Jump(left_.target);
  right_.Jump(right_.target);
}

extern "C" __attribute__((visibility("default"))) SoundProcessor* TarnelloCreateSoundProcessor(int32_t rate,
                                                                                                int32_t channels) {
  if (rate <= 0 || channels <= 0 || channels > 8) return nullptr;
  return new FilterProcessor(SoundFormat{rate, channels});
}
