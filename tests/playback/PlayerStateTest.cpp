#include <gtest/gtest.h>

#include "playback/PlayerState.h"

namespace {

// Writes down what it hears as short lines.
class Listener : public PlayerStateObserver {
 public:
  void VolumeChanged(int volume) override { heard.push_back("volume " + std::to_string(volume)); }
  void BalanceChanged(int balance) override { heard.push_back("balance " + std::to_string(balance)); }
  void EqualizerChanged(const EqualizerState& eq) override { heard.push_back("eq " + std::to_string(eq.preamp)); }
  void PlaybackChanged() override { heard.push_back("playback"); }
  void PositionSeeked(int ms) override { heard.push_back("seeked " + std::to_string(ms)); }
  void TimeShown(int ms) override { heard.push_back("time " + std::to_string(ms)); }
  void PositionFollowed(int ms, int length) override {
    heard.push_back("follow " + std::to_string(ms) + "/" + std::to_string(length));
  }
  void PositionCleared() override { heard.push_back("cleared"); }
  std::vector<std::string> heard;
};

using Heard = std::vector<std::string>;

TEST(PlayerState, VolumeAndBalanceStayInTheirSlidersRangesAndAreAlwaysTold) {
  PlayerState state;
  Listener l;
  state.AddObserver(&l);
  state.AddObserver(&l);  // once only
  state.SetVolume(300);
  state.SetVolume(-5);
  state.SetBalance(200);
  state.SetBalance(-128);
  state.SetBalance(-128);
  EXPECT_EQ(state.Volume(), 0);
  EXPECT_EQ(state.Balance(), -127);
  EXPECT_EQ(l.heard, (Heard{"volume 255", "volume 0", "balance 127", "balance -127", "balance -127"}));

  // The same equalizer again is no change.
  state.SetEqualizer(EqualizerState{});
  EqualizerState eq;
  eq.preamp = 40;
  state.SetEqualizer(eq);
  EXPECT_EQ(l.heard.back(), "eq 40");
  EXPECT_EQ(l.heard.size(), 6u);
}

TEST(PlayerState, ATrackStartsAndStopsWithItsPositionLengthAndLoopPoints) {
  PlayerState state;
  Listener l;
  state.AddObserver(&l);
  state.Seek(5000);  // nothing plays: nobody hears of it
  state.TrackStarted();
  EXPECT_TRUE(state.IsPlaying());
  EXPECT_EQ(state.KnownPositionMs(), 0);
  EXPECT_EQ(state.KnownLengthMs(), -1);
  state.SetKnownLength(90000);
  state.SetKnownLength(90000);
  state.Seek(-300);
  state.SetPaused(true);
  EXPECT_TRUE(state.IsPaused());
  state.SetLoop(1000, 2000);
  state.FollowPosition(4000, 90000);
  EXPECT_EQ(state.KnownPositionMs(), 4000);

  state.TrackStopped();
  EXPECT_FALSE(state.IsPlaying());
  EXPECT_FALSE(state.IsPaused());
  EXPECT_EQ(state.LoopA(), -1);
  EXPECT_EQ(state.LoopB(), -1);
  EXPECT_EQ(state.KnownPositionMs(), 0);
  // Paused is meaningful only while playing.
  state.SetPaused(true);
  EXPECT_FALSE(state.IsPaused());
  EXPECT_EQ(l.heard, (Heard{"playback", "playback", "seeked 0", "playback", "follow 4000/90000", "cleared",
                            "playback", "playback"}));
}

TEST(PlayerState, TheDisplayedTimeIsWholeSecondsOfWhatWasShown) {
  PlayerState state;
  Listener l;
  state.AddObserver(&l);
  state.ShowTime(20999);
  EXPECT_EQ(state.DisplayedTimeMs(), 20000);
  state.ShowTime(-1);
  EXPECT_EQ(state.DisplayedTimeMs(), 0);
  // Polled positions and seeks leave the display alone.
  state.TrackStarted();
  state.SetKnownPosition(45000);
  state.Seek(50000);
  EXPECT_EQ(state.DisplayedTimeMs(), 0);
  EXPECT_EQ(l.heard, (Heard{"time 20999", "time -1", "playback", "seeked 50000"}));
}

TEST(PlayerState, AnObserverMayLeaveWhileItHearsAndTheOthersStillHear) {
  PlayerState state;
  struct Leaving : Listener {
    PlayerState* state = nullptr;
    void PlaybackChanged() override {
      Listener::PlaybackChanged();
      state->RemoveObserver(this);
    }
  } first;
  first.state = &state;
  Listener second;
  state.AddObserver(&first);
  state.AddObserver(&second);
  state.TrackStarted();
  state.TrackStarted();
  EXPECT_EQ(first.heard, Heard{"playback"});
  EXPECT_EQ(second.heard, (Heard{"playback", "playback"}));
}

}  // namespace
