#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "platform/TrackInfo.h"

// What the equalizer hands a new track: its switch, ten bands and the preamp.
struct EqualizerState {
  int enabled = 0;
  std::array<int16_t, 10> bands{31, 31, 31, 31, 31, 31, 31, 31, 31, 31};
  int preamp = 31;
  bool operator==(const EqualizerState&) const = default;
};

// What a view or a listener of the player's state hears. Every call has an empty
// default; each comes after the state has changed.
class PlayerStateObserver {
 public:
  virtual ~PlayerStateObserver() = default;
  virtual void VolumeChanged(int volume) { (void)volume; }
  virtual void BalanceChanged(int balance) { (void)balance; }
  virtual void EqualizerChanged(const EqualizerState& equalizer) { (void)equalizer; }
  // Playing, paused, the track or its known length changed.
  virtual void PlaybackChanged() {}
  // The user moved the play position inside the playing track.
  virtual void PositionSeeked(int positionMs) { (void)positionMs; }
  // The time display shows elapsed time positionMs.
  virtual void TimeShown(int positionMs) { (void)positionMs; }
  // The position bar follows the track: positionMs of lengthMs (lengthMs != 0).
  virtual void PositionFollowed(int positionMs, int lengthMs) { (void)positionMs, (void)lengthMs; }
  // The position bar goes back to its start (the track stopped).
  virtual void PositionCleared() {}
  // The playing stream named its station or a new song (see StreamTags).
  virtual void StreamTagsChanged() {}
};

// The player's state, owned in one place: volume, balance, equalizer, speed, the
// A-B points, playing and paused, the known position and length, and the time on
// display. Changed only through the operations below, each of which tells the
// observers what changed. Plays nothing itself: playback control hands the values
// to the plug-in. UI thread only.
class PlayerState {
 public:
  static constexpr int kVolumeMax = 255;
  static constexpr int kBalanceMax = 127;

  void AddObserver(PlayerStateObserver* observer);
  void RemoveObserver(PlayerStateObserver* observer);

  // Kept within 0..255 and -127..127, the ranges of their sliders.
  void SetVolume(int volume);
  void SetBalance(int balance);
  int Volume() const { return volume_; }
  int Balance() const { return balance_; }

  void SetEqualizer(const EqualizerState& equalizer);
  const EqualizerState& Equalizer() const { return equalizer_; }

  void SetSpeed(float speed) { speed_ = speed; }
  float Speed() const { return speed_; }

  // Milliseconds of play position; -1 = unset.
  void SetLoop(int a, int b);
  int LoopA() const { return loopA_; }
  int LoopB() const { return loopB_; }

  // A track started: playing, not paused, position 0 and length unknown.
  void TrackStarted();
  // Playback stopped: neither playing nor paused, position 0, loop points cleared.
  void TrackStopped();
  void SetPaused(bool paused);
  bool IsPlaying() const { return playing_; }
  // Paused as playback control last made the plug-in.
  bool IsPaused() const { return playing_ && paused_; }

  // The position and length last polled; 0 and -1 until known.
  void SetKnownPosition(int positionMs) { knownPositionMs_ = positionMs; }
  void SetKnownLength(int lengthMs);
  int KnownPositionMs() const { return knownPositionMs_; }
  int KnownLengthMs() const { return knownLengthMs_; }
  // The user jumped to targetMs (what was asked for; never below 0).
  void Seek(int targetMs);
  // The position bar follows positionMs of lengthMs; the position becomes known.
  void FollowPosition(int positionMs, int lengthMs);

  // What the playing stream last said of its station and song; cleared when a
  // track starts or stops. Ignored while nothing plays (a late report).
  void SetStreamTags(const StreamMetadata& tags);
  const StreamMetadata& StreamTags() const { return streamTags_; }

  // The time display shows positionMs; it reads in whole seconds.
  void ShowTime(int positionMs);
  // The elapsed time on display in milliseconds, a whole number of seconds.
  int DisplayedTimeMs() const { return displayedTimeMs_; }

 private:
  template <typename Call>
  void Tell(Call call) {
    // A copy: an observer may add or remove observers while it hears of a change.
    const std::vector<PlayerStateObserver*> observers = observers_;
    for (PlayerStateObserver* o : observers) call(*o);
  }

  std::vector<PlayerStateObserver*> observers_;
  int volume_ = 0;
  int balance_ = 0;
  EqualizerState equalizer_;
  float speed_ = 1.0f;
  int loopA_ = -1;
  int loopB_ = -1;
  bool playing_ = false;
  bool paused_ = false;
  int knownPositionMs_ = 0;
  int knownLengthMs_ = -1;
  int displayedTimeMs_ = 0;
  StreamMetadata streamTags_;
};

// The value of a bar from minimum to maximum at positionMs of lengthMs (not 0);
// 64-bit, as range x position overflows 32 bits on long tracks. Not clamped.
int64_t PositionBarValue(int64_t minimum, int64_t maximum, int positionMs, int lengthMs);
