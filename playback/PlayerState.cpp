#include "playback/PlayerState.h"

#include <algorithm>

void PlayerState::AddObserver(PlayerStateObserver* observer) {
  if (observer && std::find(observers_.begin(), observers_.end(), observer) == observers_.end()) {
    observers_.push_back(observer);
  }
}

void PlayerState::RemoveObserver(PlayerStateObserver* observer) { std::erase(observers_, observer); }

void PlayerState::SetVolume(int volume) {
  volume_ = std::clamp(volume, 0, kVolumeMax);
  Tell([this](PlayerStateObserver& o) { o.VolumeChanged(volume_); });
}

void PlayerState::SetBalance(int balance) {
  balance_ = std::clamp(balance, -kBalanceMax, kBalanceMax);
  Tell([this](PlayerStateObserver& o) { o.BalanceChanged(balance_); });
}

void PlayerState::SetEqualizer(const EqualizerState& equalizer) {
  if (equalizer == equalizer_) return;
  equalizer_ = equalizer;
  Tell([this](PlayerStateObserver& o) { o.EqualizerChanged(equalizer_); });
}

void PlayerState::SetLoop(int a, int b) {
  loopA_ = a;
  loopB_ = b;
}

void PlayerState::TrackStarted() {
  playing_ = true;
  paused_ = false;
  knownPositionMs_ = 0;
  knownLengthMs_ = -1;
  streamTags_ = StreamMetadata{};
  Tell([](PlayerStateObserver& o) { o.PlaybackChanged(); });
}

void PlayerState::TrackStopped() {
  playing_ = paused_ = false;
  loopA_ = loopB_ = -1;
  knownPositionMs_ = 0;
  streamTags_ = StreamMetadata{};
  Tell([](PlayerStateObserver& o) { o.PositionCleared(); });
  Tell([](PlayerStateObserver& o) { o.PlaybackChanged(); });
}

void PlayerState::SetPaused(bool paused) {
  paused_ = paused;
  Tell([](PlayerStateObserver& o) { o.PlaybackChanged(); });
}

void PlayerState::SetStreamTags(const StreamMetadata& tags) {
  if (!playing_ || tags == streamTags_) return;
  streamTags_ = tags;
  Tell([](PlayerStateObserver& o) { o.StreamTagsChanged(); });
}

void PlayerState::SetKnownLength(int lengthMs) {
  if (lengthMs == knownLengthMs_) return;
  knownLengthMs_ = lengthMs;
  Tell([](PlayerStateObserver& o) { o.PlaybackChanged(); });
}

void PlayerState::Seek(int targetMs) {
  // What was asked for; the next tick of the time display polls where it landed.
  knownPositionMs_ = std::max(0, targetMs);
  if (playing_) Tell([this](PlayerStateObserver& o) { o.PositionSeeked(knownPositionMs_); });
}

void PlayerState::FollowPosition(int positionMs, int lengthMs) {
  knownPositionMs_ = positionMs;
  Tell([=](PlayerStateObserver& o) { o.PositionFollowed(positionMs, lengthMs); });
}

void PlayerState::ShowTime(int positionMs) {
  displayedTimeMs_ = positionMs / 1000 * 1000;
  Tell([=](PlayerStateObserver& o) { o.TimeShown(positionMs); });
}

int64_t PositionBarValue(int64_t minimum, int64_t maximum, int positionMs, int lengthMs) {
  return minimum + (maximum - minimum) * positionMs / lengthMs;
}
