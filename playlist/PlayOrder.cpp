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
  Reset(itemCount);
}

void PlayOrder::Reset(int itemCount) {
  ClearHistory();
  itemCount_ = itemCount;
  current_ = -1;
  backSteps_ = 0;
}

bool PlayOrder::ItemAdded() {
  if (itemCount_ >= kMaxItems) return false;
  ++itemCount_;
  return true;
}

void PlayOrder::ItemRemoved(int index) {
  const int length = HistoryLength();
  auto end = history_.begin() + length;
  auto slot = std::find(history_.begin(), end, index);
  if (slot != end) {
    // Keep the walk back through the history on the entry it stands at: without
    // this, removing a later entry would make the next Next read before the
    // first slot once the history is shorter than the steps taken back.
    if (int(slot - history_.begin()) > length - backSteps_ - 1) --backSteps_;
    std::move(slot + 1, end, slot);
    *(end - 1) = -1;
    --end;
  }
  if (itemCount_ > 0) --itemCount_;
  for (auto it = history_.begin(); it != end; ++it) {
    if (*it > index) --*it;
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

int PlayOrder::HistoryLength() const {
  return int(std::find(history_.begin(), history_.end(), -1) - history_.begin());
}

void PlayOrder::ClearHistory() { history_.fill(-1); }

void PlayOrder::AppendHistory(int index) {
  int length = HistoryLength();
  // Only rows swapped in from beyond the limit can fill every slot; the oldest
  // entry then makes room, so the history stays terminated by an empty slot.
  if (length >= kHistorySlots - 1) {
    std::move(history_.begin() + 1, history_.end(), history_.begin());
    history_[kHistorySlots - 1] = -1;
    length = HistoryLength();
  }
  history_[length] = index;
}

bool PlayOrder::InHistory(int index) const {
  const auto end = history_.begin() + HistoryLength();
  return std::find(history_.begin(), end, index) != end;
}
