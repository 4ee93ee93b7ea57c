#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "platform/media/PlayClock.h"
#include "platform/media/PlayTimeline.h"
#include "platform/media/RenderQueue.h"
#include "platform/media/SampleRing.h"

namespace {

// The bookkeeping of a pause made by silencing the queue (for a sound server that
// skips or repeats a little around a pause of its stream): the frames from the
// silence on are numbered behind it while the track stands still over it, and on
// the resume they move to where the silence is cut short.
TEST(RenderQueue, RenumberedFramesFollowASilenceAndTheTrackStandsStillOverIt) {
  RenderQueue q;
  q.Start(1, 1000, 0);
  std::vector<float> frames(3000);
  for (size_t i = 0; i < frames.size(); ++i) frames[i] = float(i);
  q.AddOutput(frames);
  q.MarkSent(2000);  // output frames 1000..2999 are with the output
  PlayTimeline t;
  t.Reset(1000, 0.0, 1.0 / 100);
  t.Change(2500, 2.0 / 100);  // a speed change queued ahead
  // Paused: silence from frame 1400 to what was sent; those frames follow it.
  q.Renumber(1400, q.Sent());
  t.Hold(1400, 3000 - 1400);
  EXPECT_EQ(q.OutputStart(), 3000);
  EXPECT_EQ(q.Sent(), 3000);
  EXPECT_EQ(q.Unsent(), size_t(2600));
  EXPECT_EQ(q.OutputSample(3000, 0), 400.0f);
  EXPECT_DOUBLE_EQ(t.At(1399), 3.99);
  EXPECT_DOUBLE_EQ(t.At(1400), 4.0);
  EXPECT_DOUBLE_EQ(t.At(2999), 4.0);
  EXPECT_DOUBLE_EQ(t.At(3050), 4.5);
  EXPECT_DOUBLE_EQ(t.At(4099), 14.99);
  EXPECT_DOUBLE_EQ(t.At(4200), 17.0);  // the queued speed change moved along
  // Resumed with the output at 1700: the frames written over the rest of the silence.
  q.MarkSent(500);
  q.Renumber(3000, 1750);
  t.Shift(3000, 1750 - 3000);
  EXPECT_EQ(q.Sent(), 3500);
  EXPECT_EQ(q.OutputSample(1750, 0), 400.0f);
  EXPECT_EQ(q.OutputSample(3500, 0), 400.0f + 1750);
  EXPECT_DOUBLE_EQ(t.At(1749), 4.0);
  EXPECT_DOUBLE_EQ(t.At(1750), 4.0);
  EXPECT_DOUBLE_EQ(t.At(1850), 5.0);
  EXPECT_DOUBLE_EQ(t.At(2950), 17.0);
}

// A ring that has wrapped around its memory and then grows keeps its frames in
// order; runs never reach past the wrap.
TEST(SampleRing, GrowsWhileWrappedAndKeepsItsFramesInOrder) {
  SampleRing ring;
  ring.Reset(3);
  std::vector<float> frames;
  float next = 0, first = 0;
  auto append = [&](size_t n) {
    frames.clear();
    for (size_t i = 0; i < n * 3; ++i) frames.push_back(next + float(i / 3));
    next += float(n);
    ring.Append(frames.data(), n);
  };
  append(4000);
  ring.DropFront(3000);
  first = 3000;
  append(3000);  // wraps: its end lies before its start
  const auto [samples, run] = ring.Run(0, ring.Frames());
  EXPECT_LT(run, ring.Frames());
  EXPECT_EQ(samples[0], first);
  append(20000);  // grows while wrapped
  ring.DropFront(500);
  first += 500;
  ASSERT_EQ(ring.Frames(), size_t(next - first));
  for (size_t f = 0; f < ring.Frames(); ++f)
    for (size_t c = 0; c < 3; ++c) ASSERT_EQ(ring.Sample(f, c), first + float(f)) << f;
  std::vector<float> copy;
  ring.CopyTo(10, ring.Frames(), copy);
  ASSERT_EQ(copy.size(), (ring.Frames() - 10) * 3);
  EXPECT_EQ(copy.back(), next - 1);
  ring.Truncate(5);
  ring.AppendSilence(2);
  EXPECT_EQ(ring.Frames(), 7u);
  EXPECT_EQ(ring.Sample(4, 2), first + 4);
  EXPECT_EQ(ring.Sample(6, 0), 0.0f);
}

// A long play with the queue dropping what was heard: every frame that may still be
// rendered again reads as itself, nothing unsent is dropped, the kept frames are
// only those still needed, and the frames read and written in runs (which wrap
// around the queue's memory many times here) come out whole and in order.
TEST(RenderQueue, DropsHeardFramesKeepingEverythingStillNeeded) {
  constexpr int64_t kBlock = 1152, kQueued = 44100, kPreroll = 8820;
  RenderQueue q;
  q.Start(2, 5000, 0);
  std::vector<float> block(size_t(kBlock) * 2), copy;
  int64_t written = 0;
  for (int b = 0; b < 300; ++b) {
    for (int64_t f = 0; f < kBlock; ++f) block[size_t(f) * 2] = block[size_t(f) * 2 + 1] = float(written + f);
    written += kBlock;
    q.AddInput(block);
    if (b % 2) q.AddOutput(block);
    else q.AddOutputFromInput(q.InputEnd() - kBlock);
    // Written in the runs the queue hands out, all but the last block.
    for (size_t left = size_t(q.OutputEnd() - kBlock - q.Sent()); left > 0;) {
      const auto [samples, run] = q.UnsentRun();
      ASSERT_GT(run, 0u);
      const size_t n = std::min(run, left);
      for (size_t f = 0; f < n; ++f) ASSERT_EQ(samples[f * 2 + 1], float(q.Sent() - 5000 + int64_t(f))) << b;
      q.MarkSent(n);
      left -= n;
    }
    const int64_t played = std::max<int64_t>(5000, q.Sent() - kQueued);
    const int64_t keepInput = std::max<int64_t>(0, played - 5000 - kPreroll);
    q.DropBefore(played, keepInput);
    ASSERT_EQ(q.OutputStart(), played);
    ASSERT_EQ(q.InputStart(), keepInput);
    ASSERT_EQ(q.Unsent(), size_t(kBlock));
    for (int64_t f : {played, q.Sent(), q.OutputEnd() - 1}) ASSERT_EQ(q.OutputSample(f, 0), float(f - 5000)) << b;
    for (int64_t f : {keepInput, q.InputEnd() - 1}) ASSERT_EQ(q.InputSample(f, 1), float(f)) << b;
    q.CopyInput(keepInput, q.InputEnd(), copy);
    ASSERT_EQ(copy.size(), size_t(q.InputEnd() - keepInput) * 2);
    for (size_t i = 0; i < copy.size(); ++i) ASSERT_EQ(copy[i], float(keepInput + int64_t(i / 2))) << b;
  }
  // A drop asked for beyond what was sent keeps the unsent frames.
  const int64_t sent = q.Sent();
  q.DropBefore(q.OutputEnd(), q.InputEnd());
  EXPECT_EQ(q.OutputStart(), sent);
  EXPECT_EQ(q.OutputSample(q.OutputEnd() - 1, 0), float(written - 1));
  // Output cut and rendered again reads as the new frames, across the wrap too.
  q.CutOutput(sent + 100);
  q.AddSilence(50);
  q.CopyOutput(sent, q.OutputEnd(), copy);
  ASSERT_EQ(copy.size(), size_t(150) * 2);
  EXPECT_EQ(copy[199 * 1], float(sent - 5000 + 99));
  EXPECT_EQ(copy[200], 0.0f);
  EXPECT_EQ(copy[299], 0.0f);
}
// Between two measurements the clock carries the played frames forward in real
// time, never past what was written and never backwards; a measurement too old or
// forgotten tells nothing, so the caller asks the device again.
TEST(PlayClock, CarriesTheMeasurementForwardWithinItsAgeAndNeverBack) {
  using namespace std::chrono_literals;
  PlayClock clock(1000ms);
  const auto t0 = PlayClock::Clock::time_point{} + 100s;
  EXPECT_FALSE(clock.Played(t0, 1000000));
  clock.Measured(t0, 44100, 44100);
  EXPECT_EQ(clock.Played(t0, 1000000), 44100);
  EXPECT_EQ(clock.Played(t0 + 300ms, 50000), 50000);  // no further than written
  EXPECT_EQ(clock.Played(t0 + 500ms, 1000000), 44100 + 22050);
  EXPECT_FALSE(clock.Played(t0 + 1000ms, 1000000));  // too old
  EXPECT_FALSE(clock.Played(t0 - 1ms, 1000000));
  // A new measurement a little behind what was told: the told position stands
  // until the clock catches up.
  clock.Measured(t0 + 600ms, 66000, 44100);
  EXPECT_EQ(clock.Played(t0 + 600ms, 1000000), 44100 + 22050);
  EXPECT_EQ(clock.Played(t0 + 700ms, 1000000), 66000 + 4410);
  // Forgotten (a flush, a pause): nothing until measured again, then from there.
  clock.Forget();
  EXPECT_FALSE(clock.Played(t0 + 700ms, 1000000));
  clock.Measured(t0 + 800ms, 1000, 48000);
  EXPECT_EQ(clock.Played(t0 + 810ms, 1000000), 1000 + 480);
}
}  // namespace
