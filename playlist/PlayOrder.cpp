#include "playlist/PlayOrder.h"

#include <algorithm>

#include "platform/System.h"

namespace {
PlayOrder* publishedPlayOrder = nullptr;
}

PlayOrder* ThePlayOrder() { return publishedPlayOrder; }
void PublishPlayOrder(PlayOrder* order) { publishedPlayOrder = order; }

PlayOrder::PlayOrder(int itemCount, RandomSource random)
    : random_(random ? std::move(random) : RandomSource(&Platform::Random)) {
  history_.reserve(kHistorySlots);
  Reset(itemCount);
}

void PlayOrder::Reset(int itemCount) {
  ClearHistory();
  itemCount_ = itemCount;
  current_ = -1;
  backSteps_ = 0;
}

bool PlayOrder::ItemAdded() {
  if (itemCount_ >= kMaxItems && !wholeList_) return false;
  ++itemCount_;
  return true;
}

void PlayOrder::ItemRemoved(int index) {
  const int length = HistoryLength();
  auto slot = std::find(history_.begin(), history_.end(), index);
  if (slot != history_.end()) {
    // Keep the walk back through the history on the entry it stands at: without
    // this, removing a later entry would make the next Next read before the
    // first slot once the history is shorter than the steps taken back.
    if (int(slot - history_.begin()) > length - backSteps_ - 1) --backSteps_;
    history_.erase(slot);
  }
  if (itemCount_ > 0) --itemCount_;
  for (int32_t& value : history_) {
    if (value > index) --value;
  }
  if (current_ == index) {
    current_ = -1;
  } else if (current_ > index) {
    --current_;
  }
}

void PlayOrder::ItemsSwapped(int a, int b) {
  if (a == b) return;
  for (int32_t& value : history_) {
    if (value == a) {
      value = b;
    } else if (value == b) {
      value = a;
    }
  }
  if (current_ == a) {
    current_ = b;
  } else if (current_ == b) {
    current_ = a;
  }
}

int PlayOrder::PickRandom() {
  if (itemCount_ <= 0) return -1;
  if (wholeList_) return PickUnplayed();
  const int length = HistoryLength();
  for (;;) {
    const int r = int(random_() % uint32_t(itemCount_));
    if (!InHistory(r)) return r;
    if (length >= itemCount_) return -1;
  }
}

int PlayOrder::Next() {
  if (!shuffle_) {
    if (current_ >= itemCount_ - 1) {
      // With no rows known there is no row 0 to wrap to, repeat or not.
      if (!repeat_ || itemCount_ <= 0) return -1;
      current_ = 0;
    } else {
      current_ = current_ + 1;
    }
    return current_;
  }
  if (backSteps_ > 0) {
    --backSteps_;
    current_ = history_[HistoryLength() - backSteps_ - 1];
    return current_;
  }
  int r = PickRandom();
  if (r < 0) {
    if (!repeat_) return -1;
    ClearHistory();
    r = PickRandom();
    if (r < 0) return -1;
  }
  AppendHistory(r);
  current_ = r;
  return r;
}

int PlayOrder::Previous() {
  if (shuffle_) {
    if (HistoryLength() - backSteps_ - 1 <= 0) return -1;
    ++backSteps_;
    current_ = history_[HistoryLength() - backSteps_ - 1];
    return current_;
  }
  if (current_ > 0) {
    current_ = current_ - 1;
  } else if (repeat_) {
    current_ = itemCount_ - 1;
  } else {
    current_ = -1;
  }
  return current_;
}

void PlayOrder::SetShuffle(bool on) {
  shuffle_ = on;
  ClearHistory();
  backSteps_ = 0;
  // The track playing now counts as played, so shuffle does not pick it again.
  if (on && current_ >= 0) AppendHistory(current_);
}

// One draw, whatever the list's length: the r-th of the rows not yet played.
// Drawing until an unplayed row comes up would take thousands of draws, each
// searching the history, near the end of a round of a long list.
int PlayOrder::PickUnplayed() {
  std::vector<char> played(size_t(itemCount_), 0);
  int unplayed = itemCount_;
  for (int32_t row : history_) {
    if (row >= 0 && row < itemCount_ && !played[size_t(row)]) {
      played[size_t(row)] = 1;
      --unplayed;
    }
  }
  if (unplayed <= 0) return -1;
  uint32_t r = random_() % uint32_t(unplayed);
  for (int row = 0; row < itemCount_; ++row) {
    if (played[size_t(row)]) continue;
    if (r == 0) return row;
    --r;
  }
  return -1;
}

void PlayOrder::SetWholeList(bool on, int rowCount) {
  wholeList_ = on;
  itemCount_ = on ? std::max(rowCount, 0) : std::clamp(rowCount, 0, int(kMaxItems));
  SetShuffle(shuffle_);
}

void PlayOrder::ClearHistory() { history_.clear(); }

void PlayOrder::AppendHistory(int index) {
  // Only rows swapped in from beyond the limit can fill every slot; the oldest
  // entry then makes room, so the history stays terminated by an empty slot.
  if (!wholeList_ && HistoryLength() >= kHistorySlots - 1) history_.erase(history_.begin());
  history_.push_back(index);
}

bool PlayOrder::InHistory(int index) const {
  return std::find(history_.begin(), history_.end(), index) != history_.end();
}
