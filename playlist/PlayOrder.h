#pragma once
#include <cstdint>
#include <functional>
#include <vector>

// Decides which playlist row is played next or before: plain order, repeat
// (wrap at the ends) and shuffle (random rows, each once, with a history the
// user can step back through). It knows the rows only by their number and
// hears of every row added, removed or swapped.
//
// By default it knows at most kMaxItems rows. In whole-list mode it knows every
// row: Next, Previous, repeat and shuffle cover the whole list, and the shuffle
// history grows with it (each row once per round).
class PlayOrder {
 public:
  // Rows at this index and above are never chosen by Next, Previous or shuffle
  // (unless whole-list mode is on).
  static constexpr int kMaxItems = 255;
  static constexpr int kHistorySlots = 256;

  using RandomSource = std::function<uint32_t()>;

  // random defaults to the platform's 32-bit generator.
  explicit PlayOrder(int itemCount = 0, RandomSource random = {});

  void Reset(int itemCount);
  // False when the play order already knows kMaxItems rows (never in whole-list mode).
  bool ItemAdded();
  void ItemRemoved(int index);
  void ItemsSwapped(int a, int b);

  void SetCurrent(int index) { current_ = index; }
  int GetCurrent() const { return current_; }
  // The next or previous row, made current; -1 (nothing changed) when there is none.
  int Next();
  int Previous();

  void SetShuffle(bool on);
  bool GetShuffle() const { return shuffle_; }
  void SetRepeat(bool on) { repeat_ = on; }
  bool GetRepeat() const { return repeat_; }

  // Switches whole-list mode; rowCount is the number of rows the playlist holds
  // now, of which the play order then knows all or the first kMaxItems. The
  // shuffle history starts over (with the current row, as when shuffle is
  // switched on), so no row beyond the new limit stays in it.
  void SetWholeList(bool on, int rowCount);
  bool GetWholeList() const { return wholeList_; }

  // A random row not yet in the history, or -1 when every row has been played.
  int PickRandom();

  int GetItemCount() const { return itemCount_; }
  int GetBackSteps() const { return backSteps_; }
  // Number of history slots before the first empty one.
  int HistoryLength() const { return int(history_.size()); }
  // The row in a history slot, -1 for an empty slot.
  int HistoryAt(int slot) const { return slot >= 0 && slot < HistoryLength() ? history_[size_t(slot)] : -1; }

 private:
  void ClearHistory();
  void AppendHistory(int index);
  bool InHistory(int index) const;
  int PickUnplayed();

  bool repeat_ = false;
  bool shuffle_ = false;
  int current_ = -1;
  bool wholeList_ = false;
  // The rows chosen, oldest first; at most kHistorySlots - 1 unless whole-list mode is on.
  std::vector<int32_t> history_;
  int itemCount_ = 0;
  int backSteps_ = 0;
  RandomSource random_;
};

// The application's one play order; null before start-up and after exit.
PlayOrder* ThePlayOrder();
void PublishPlayOrder(PlayOrder* order);
