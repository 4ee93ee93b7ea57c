#pragma once
#include <array>
#include <cstdint>
#include <functional>

// Decides which playlist row is played next or before: plain order, repeat
// (wrap at the ends) and shuffle (random rows, each once, with a history the
// user can step back through). It knows the rows only by their number and
// hears of every row added, removed or swapped.
class PlayOrder {
 public:
  // Rows at this index and above are never chosen by Next, Previous or shuffle.
  static constexpr int kMaxItems = 255;
  static constexpr int kHistorySlots = 256;

  using RandomSource = std::function<uint32_t()>;

  // random defaults to the platform's 32-bit generator.
  explicit PlayOrder(int itemCount = 0, RandomSource random = {});

  void Reset(int itemCount);
  // False when the play order already knows kMaxItems rows.
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

  // A random row not yet in the history, or -1 when every row has been played.
  int PickRandom();

  int GetItemCount() const { return itemCount_; }
  int GetBackSteps() const { return backSteps_; }
  // Number of history slots before the first empty one.
  int HistoryLength() const;
  int HistoryAt(int slot) const { return history_[slot]; }

 private:
  void ClearHistory();
  void AppendHistory(int index);
  bool InHistory(int index) const;

  bool repeat_ = false;
  bool shuffle_ = false;
  int current_ = -1;
  std::array<int32_t, kHistorySlots> history_;
  int itemCount_ = 0;
  int backSteps_ = 0;
  RandomSource random_;
};

// The application's one play order; null before start-up and after exit.
PlayOrder* ThePlayOrder();
void PublishPlayOrder(PlayOrder* order);
