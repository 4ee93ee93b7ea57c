// The sound processing on its own, block by block as the control feeds it: a
// setting moved while a tone plays reaches its new level within 50 ms and without
// a click, and neutral settings pass the samples bit for bit.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

#include "platform/media/FilterChain.h"
#include "platform/media/PeakingCascade.h"
#include "platform/media/SoundProcessor.h"

namespace {
constexpr int kRate = 44100;
constexpr size_t kBlock = 1152;  // an MP3 frame

// Interleaved stereo blocks of a 1 kHz tone at -18 dB, continuing across calls.
class Tone {
 public:
  std::vector<float> Next() {
    std::vector<float> block(kBlock * 2);
    for (size_t f = 0; f < kBlock; ++f, ++n_) {
      const float v = 0.125f * float(std::sin(2.0 * M_PI * 1000.0 * double(n_) / kRate));
      block[2 * f] = block[2 * f + 1] = v;
    }
    return block;
  }

 private:
  int64_t n_ = 0;
};

// Processes blocks, applying `change` before block number `at`; returns the left channel.
std::vector<float> PlayTone(SoundSettings before, SoundSettings after, int at, int blocks) {
  auto processor = SoundProcessor::Create(SoundFormat{kRate, 2});
  EXPECT_TRUE(processor);
  if (!processor) return {};
  Tone tone;
  std::vector<float> left, out;
  processor->SetSettings(before);
  for (int b = 0; b < blocks; ++b) {
    if (b == at) processor->SetSettings(after);
    EXPECT_TRUE(processor->Process(tone.Next(), out));
    for (size_t i = 0; i < out.size(); i += 2) left.push_back(out[i]);
  }
  return left;
}

double RmsDb(const std::vector<float>& s, size_t from, size_t count) {
  double sum = 0;
  for (size_t i = from; i < from + count; ++i) sum += double(s[i]) * s[i];
  return 10.0 * std::log10(sum / double(count));
}

// Largest jump of the second difference: a smooth tone has a small one everywhere;
// a step in level or phase (a click) makes it spike.
double LargestKink(const std::vector<float>& s, size_t from, size_t to) {
  double largest = 0;
  for (size_t i = from + 2; i < to; ++i)
    largest = std::max(largest, std::fabs(double(s[i]) - 2.0 * s[i - 1] + s[i - 2]));
  return largest;
}

TEST(SoundProcessor, ABandMovedWhilePlayingArrivesWithin50MsWithoutAClick) {
  SoundSettings flat;
  flat.equalizerOn = true;
  SoundSettings boosted = flat;
  boosted.bandDb[4] = 12;  // the 1 kHz band
  const int at = 20;
  const std::vector<float> left = PlayTone(flat, boosted, at, 40);
  const size_t change = size_t(at) * kBlock;
  const double before = RmsDb(left, change - 4410, 4410);
  const double after = RmsDb(left, change + 2205, 4410);  // from 50 ms after the change on
  EXPECT_NEAR(after - before, 12.0, 0.5);
  // The tone's own second difference is (2 pi f / rate)^2 times its amplitude.
  const double smooth = std::pow(2.0 * M_PI * 1000.0 / kRate, 2) * 0.125 * 4.0;  // at +12 dB
  EXPECT_LT(LargestKink(left, change - 4410, change + 8820), smooth * 1.5);
}

TEST(SoundProcessor, SwitchingTheEqualizerOnAndBalanceCrossFadeWithoutAClick) {
  SoundSettings off;
  SoundSettings on;
  on.equalizerOn = true;
  on.bandDb[4] = 12;  // the 1 kHz band
  on.balance = 100;
  const std::vector<float> left = PlayTone(off, on, 10, 30);
  const size_t change = 10 * kBlock;
  const double smooth = std::pow(2.0 * M_PI * 1000.0 / kRate, 2) * 0.125 * 4.0;
  EXPECT_LT(LargestKink(left, change - 2000, change + 8000), smooth * 1.5);
  // Balance 100: the left side at 27/127 of the equalized level.
  const double expected = 20.0 * std::log10(27.0 / 127.0) + 12.0;
  EXPECT_NEAR(RmsDb(left, change + 4410, 8820) - RmsDb(left, change - 4410, 4410), expected, 0.7);
}

TEST(SoundProcessor, NeutralSettingsPassEverySampleUnchanged) {
  auto processor = SoundProcessor::Create(SoundFormat{kRate, 2});
  ASSERT_TRUE(processor);
  Tone tone;
  SoundSettings settings;
  settings.bandDb = {12, -12, 12, -12, 12, -12, 12, -12, 12, -12};  // ignored while off
  processor->SetSettings(settings);
  std::vector<float> out;
  for (int b = 0; b < 10; ++b) {
    const std::vector<float> in = tone.Next();
    ASSERT_TRUE(processor->Process(in, out));
    ASSERT_EQ(out, in);
  }
}

TEST(SoundProcessor, ATracksGainHoldsFromItsFirstSampleAndMovesSmoothlyLater) {
  // Given before the first block: every sample at the gain, no fade-in.
  SoundSettings half;
  half.trackGain = 0.5f;
  auto processor = SoundProcessor::Create(SoundFormat{kRate, 2});
  ASSERT_TRUE(processor);
  processor->SetSettings(half);
  Tone tone, reference;
  std::vector<float> out;
  for (int b = 0; b < 3; ++b) {
    const std::vector<float> in = tone.Next();
    ASSERT_TRUE(processor->Process(in, out));
    ASSERT_EQ(out.size(), in.size());
    for (size_t i = 0; i < in.size(); ++i) ASSERT_EQ(out[i], in[i] * 0.5f) << b << " " << i;
  }
  // Changed while playing: -6 dB to +6 dB within 50 ms, without a click.
  SoundSettings louder = half;
  louder.trackGain = 2.0f;
  const std::vector<float> left = PlayTone(half, louder, 10, 30);
  const size_t change = 10 * kBlock;
  EXPECT_NEAR(RmsDb(left, change + 2205, 4410) - RmsDb(left, change - 4410, 4410), 12.0, 0.05);
  const double smooth = std::pow(2.0 * M_PI * 1000.0 / kRate, 2) * 0.125 * 2.0;
  EXPECT_LT(LargestKink(left, change - 2000, change + 4000), smooth * 1.5);
}

TEST(SoundProcessor, ABoostingTrackGainNeverGoesPastFullScale) {
  for (bool equalizer : {false, true}) {
    SoundSettings boosted;
    boosted.trackGain = 16.0f;  // a -18 dB tone to +6 dB
    boosted.equalizerOn = equalizer;
    const std::vector<float> left = PlayTone(boosted, boosted, 0, 10);
    float peak = 0;
    for (float v : left) peak = std::max(peak, std::fabs(v));
    EXPECT_LE(peak, 1.0f) << equalizer;
    EXPECT_GT(peak, 0.9f) << equalizer;
  }
}

TEST(SoundProcessor, SpeedChangesWhilePlayingKeepTheStreamContinuous) {
  SoundSettings normal;
  SoundSettings fast;
  fast.speed = 1.25f;
  const std::vector<float> left = PlayTone(normal, fast, 10, 60);
  // 10 blocks at normal speed, 50 at 1.25: the frames are in proportion, no more
  // than the stretcher's window off.
  const double expected = 10.0 * kBlock + 50.0 * kBlock / 1.25;
  EXPECT_NEAR(double(left.size()), expected, 0.05 * kRate);
  // Back to normal speed: what the stretcher held comes out first.
  const std::vector<float> back = PlayTone(fast, normal, 30, 40);
  EXPECT_NEAR(double(back.size()), 30.0 * kBlock / 1.25 + 10.0 * kBlock, 0.05 * kRate);
}

// The biquads in float give the response of libavfilter's peaking "equalizer"
// (one octave wide, the same design) that they replace: the same noise through
// both, at several rates and band settings, sample by sample.
TEST(SoundProcessor, TheEqualizerFiltersMatchLibavfiltersEqualizer) {
  struct Case {
    int rate;
    std::array<float, 10> db;
  };
  const Case cases[] = {{44100, {12, -12, 6, 0, 3.5f, -7, 12, 0, -12, 9}},
                        {48000, {-3, 4, 0, 12, -12, 0, 0, 2, 5, -6}},
                        {22050, {12, 12, 12, 12, 12, 12, 12, 0, 0, 0}}};
  for (const Case& c : cases) {
    std::string description;
    PeakingCascade cascade(c.rate, 2);
    for (int i = 0; i < 10; ++i) {
      if (SoundSettings::kBandHz[size_t(i)] >= 0.45 * c.rate) continue;
      cascade.SetBand(i, SoundSettings::kBandHz[size_t(i)], c.db[size_t(i)]);
      if (!description.empty()) description += ',';
      description += "equalizer=f=" + FilterChain::Number(SoundSettings::kBandHz[size_t(i)]) +
                     ":t=o:w=1:g=" + FilterChain::Number(c.db[size_t(i)]) + ":r=f32:a=svf";
    }
    auto reference = FilterChain::Create(SoundFormat{c.rate, 2}, description, true);
    ASSERT_TRUE(reference) << description;
    uint32_t seed = 12345;
    std::vector<float> noise(size_t(c.rate) * 2), expected;
    for (float& v : noise) {
      seed = seed * 1664525u + 1013904223u;
      v = (float(seed >> 8) / float(1 << 24) - 0.5f) * 0.1f;
    }
    ASSERT_TRUE(reference->Push(noise.data(), noise.size() / 2));
    ASSERT_TRUE(reference->Push(nullptr, 0));
    ASSERT_TRUE(reference->Pull(expected));
    ASSERT_EQ(expected.size(), noise.size());
    std::vector<float> ours = noise;
    for (size_t at = 0; at < ours.size(); at += 2 * 1152)
      cascade.Process(ours.data() + at, std::min<size_t>(1152, (ours.size() - at) / 2));
    double worst = 0, peak = 0;
    for (size_t i = 0; i < ours.size(); ++i) {
      worst = std::max(worst, std::fabs(double(ours[i]) - expected[i]));
      peak = std::max(peak, std::fabs(double(expected[i])));
    }
    // Within -70 dB of the peak: float rounding in two filter forms, not a response.
    EXPECT_LT(worst, peak * 3e-4) << "rate " << c.rate;
  }
}

// Channels filtered in pairs come out exactly as each channel filtered alone, for
// an odd channel count too, with a band at 0 dB (skipped) between moved ones, in
// blocks of any length (one frame included), and that band moving in the middle.
TEST(SoundProcessor, EqualizerChannelsInPairsMatchEachChannelAlone) {
  constexpr int kRate = 44100, kChannels = 3;
  PeakingCascade together(kRate, kChannels);
  std::vector<PeakingCascade> alone(kChannels, PeakingCascade(kRate, 1));
  auto setBand = [&](int band, double db) {
    together.SetBand(band, SoundSettings::kBandHz[size_t(band)], db);
    for (PeakingCascade& c : alone) c.SetBand(band, SoundSettings::kBandHz[size_t(band)], db);
  };
  setBand(0, 9);
  setBand(1, 0);
  setBand(4, -6);
  setBand(9, 12);
  uint32_t seed = 777;
  std::vector<float> signal(size_t(kRate) * kChannels);
  for (float& v : signal) {
    seed = seed * 1664525u + 1013904223u;
    v = (float(seed >> 8) / float(1 << 24) - 0.5f) * 0.5f;
  }
  std::vector<float> mixed = signal;
  std::vector<std::vector<float>> single(kChannels);
  for (size_t f = 0; f < signal.size() / kChannels; ++f)
    for (size_t c = 0; c < kChannels; ++c) single[c].push_back(signal[f * kChannels + c]);
  size_t at = 0;
  for (size_t length : {1u, 1000u, 1u, 2u, 4410u, 30000u}) {
    length = std::min(length, signal.size() / kChannels - at);
    together.Process(mixed.data() + at * kChannels, length);
    for (size_t c = 0; c < kChannels; ++c) alone[c].Process(single[c].data() + at, length);
    at += length;
    if (at == 1002) setBand(1, -3);  // starts moving from the state it followed
  }
  for (size_t f = 0; f < at; ++f)
    for (size_t c = 0; c < kChannels; ++c) ASSERT_EQ(mixed[f * kChannels + c], single[c][f]) << f << " " << c;
}

}  // namespace
