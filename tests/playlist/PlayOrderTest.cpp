#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "playlist/PlayOrder.h"

namespace {
// A repeatable stand-in for the platform generator that counts its draws.
struct CountingRandom {
  uint32_t state = 12345;
  int draws = 0;
  uint32_t operator()() {
    ++draws;
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  }
};

PlayOrder MakeOrder(int items, CountingRandom& random) {
  return PlayOrder(items, [&random] { return random(); });
}
}  // namespace

TEST(PlayOrder, PlainOrderStopsOrWrapsAtTheLastKnownRow) {
  CountingRandom random;
  PlayOrder order = MakeOrder(3, random);
  EXPECT_EQ(order.Next(), 0);
  EXPECT_EQ(order.Next(), 1);
  EXPECT_EQ(order.Next(), 2);
  EXPECT_EQ(order.Next(), -1);
  EXPECT_EQ(order.GetCurrent(), 2);  // unchanged
  order.SetRepeat(true);
  EXPECT_EQ(order.Next(), 0);
  EXPECT_EQ(order.Previous(), 2);  // wraps backwards with repeat
  order.SetRepeat(false);
  order.SetCurrent(0);
  EXPECT_EQ(order.Previous(), -1);
  EXPECT_EQ(order.GetCurrent(), -1);
  EXPECT_EQ(random.draws, 0);
}

TEST(PlayOrder, ItemCountStopsAt255AndSequentialOrderNeverPassesIt) {
  CountingRandom random;
  PlayOrder order = MakeOrder(0, random);
  int accepted = 0;
  for (int i = 0; i < 300; ++i) accepted += order.ItemAdded() ? 1 : 0;
  EXPECT_EQ(accepted, 255);
  EXPECT_EQ(order.GetItemCount(), 255);
  order.SetCurrent(254);
  EXPECT_EQ(order.Next(), -1);
  order.SetRepeat(true);
  EXPECT_EQ(order.Next(), 0);
  // A row beyond the limit, chosen directly, still leads back into the known rows.
  order.SetCurrent(280);
  EXPECT_EQ(order.Next(), 0);
}

TEST(PlayOrder, NoRowsMeansNoNextEvenWithRepeat) {
  CountingRandom random;
  PlayOrder order = MakeOrder(0, random);
  order.SetRepeat(true);
  EXPECT_EQ(order.Next(), -1);
  EXPECT_EQ(order.Previous(), -1);
  order.SetShuffle(true);
  EXPECT_EQ(order.Next(), -1);
  EXPECT_EQ(order.PickRandom(), -1);
  EXPECT_EQ(order.HistoryLength(), 0);
}

TEST(PlayOrder, ShufflePlaysEveryRowOnceThenEndsOrStartsOver) {
  CountingRandom random;
  PlayOrder order = MakeOrder(20, random);
  order.SetShuffle(true);
  std::set<int> played;
  for (int i = 0; i < 20; ++i) {
    const int row = order.Next();
    ASSERT_GE(row, 0);
    ASSERT_LT(row, 20);
    EXPECT_TRUE(played.insert(row).second) << "row " << row << " played twice";
  }
  EXPECT_EQ(order.HistoryLength(), 20);
  const int last = order.GetCurrent();
  EXPECT_EQ(order.Next(), -1);
  EXPECT_EQ(order.GetCurrent(), last);

  order.SetRepeat(true);
  const int again = order.Next();
  EXPECT_GE(again, 0);
  EXPECT_EQ(order.HistoryLength(), 1);
  EXPECT_EQ(order.HistoryAt(0), again);
}

TEST(PlayOrder, ShuffleWithFullRowLimitTerminatesAndKeepsAnEmptySlot) {
  CountingRandom random;
  PlayOrder order = MakeOrder(255, random);
  order.SetShuffle(true);
  std::set<int> played;
  for (int i = 0; i < 255; ++i) played.insert(order.Next());
  EXPECT_EQ(played.size(), 255u);
  EXPECT_EQ(order.Next(), -1);
  EXPECT_EQ(order.HistoryLength(), 255);
  EXPECT_EQ(order.HistoryAt(255), -1);
}

TEST(PlayOrder, PreviousThenNextRetracesTheHistoryWithoutDrawing) {
  CountingRandom random;
  PlayOrder order = MakeOrder(50, random);
  order.SetShuffle(true);
  const int first = order.Next();
  const int second = order.Next();
  ASSERT_NE(first, second);
  EXPECT_EQ(order.Previous(), first);
  EXPECT_EQ(order.GetBackSteps(), 1);
  EXPECT_EQ(order.Previous(), -1);  // nothing before the first
  const int draws = random.draws;
  EXPECT_EQ(order.Next(), second);
  EXPECT_EQ(random.draws, draws);
  EXPECT_EQ(order.GetBackSteps(), 0);
  order.Next();
  EXPECT_GT(random.draws, draws);
}

TEST(PlayOrder, ShuffleToggleAndResetDropStaleBackSteps) {
  CountingRandom random;
  PlayOrder order = MakeOrder(50, random);
  order.SetShuffle(true);
  order.Next();
  order.Next();
  const int back = order.Previous();
  order.SetShuffle(false);
  order.SetShuffle(true);
  EXPECT_EQ(order.GetBackSteps(), 0);
  // The row playing now opens the new history, so it is not drawn again at once.
  ASSERT_EQ(order.HistoryLength(), 1);
  EXPECT_EQ(order.HistoryAt(0), back);
  const int draws = random.draws;
  EXPECT_NE(order.Next(), back);
  EXPECT_GT(random.draws, draws);

  order.Previous();
  order.Reset(10);
  EXPECT_EQ(order.GetBackSteps(), 0);
  EXPECT_EQ(order.HistoryLength(), 0);
  EXPECT_EQ(order.GetCurrent(), -1);
  EXPECT_EQ(order.Previous(), -1);
  EXPECT_GE(order.Next(), 0);
}

TEST(PlayOrder, RemovingARowShiftsHistoryAndCurrent) {
  // Draw a fixed sequence: rows 4, 1, 7, 2.
  std::vector<uint32_t> draws = {4, 1, 7, 2};
  size_t next = 0;
  PlayOrder order(10, [&] { return draws[next++ % draws.size()]; });
  order.SetShuffle(true);
  for (int i = 0; i < 4; ++i) order.Next();
  ASSERT_EQ(order.GetCurrent(), 2);

  order.ItemRemoved(1);
  EXPECT_EQ(order.GetItemCount(), 9);
  ASSERT_EQ(order.HistoryLength(), 3);
  EXPECT_EQ(order.HistoryAt(0), 3);  // 4 moved up
  EXPECT_EQ(order.HistoryAt(1), 6);  // 7 moved up
  EXPECT_EQ(order.HistoryAt(2), 1);  // 2 moved up
  EXPECT_EQ(order.GetCurrent(), 1);

  order.ItemRemoved(1);  // the current row itself
  EXPECT_EQ(order.GetCurrent(), -1);
  ASSERT_EQ(order.HistoryLength(), 2);
  EXPECT_EQ(order.HistoryAt(0), 2);
  EXPECT_EQ(order.HistoryAt(1), 5);

  order.ItemRemoved(8);  // a row after everything: only the count drops
  EXPECT_EQ(order.GetItemCount(), 7);
  EXPECT_EQ(order.HistoryAt(0), 2);
  EXPECT_EQ(order.HistoryAt(1), 5);

  // Stepped back to the first of 4, 1, 7, 2, then 7 and 2 removed: Next goes on
  // from where Previous stood, inside the shorter history.
  next = 0;
  PlayOrder back(10, [&] { return draws[next++ % draws.size()]; });
  back.SetShuffle(true);
  for (int i = 0; i < 4; ++i) back.Next();
  for (int i = 0; i < 3; ++i) back.Previous();
  ASSERT_EQ(back.GetCurrent(), 4);
  back.ItemRemoved(7);
  back.ItemRemoved(2);
  EXPECT_EQ(back.GetBackSteps(), 1);
  EXPECT_EQ(back.Next(), 1);
  EXPECT_EQ(back.GetBackSteps(), 0);
}

TEST(PlayOrder, SwappingRowsSwapsThemInHistoryAndCurrent) {
  std::vector<uint32_t> draws = {3, 5};
  size_t next = 0;
  PlayOrder order(10, [&] { return draws[next++ % draws.size()]; });
  order.SetShuffle(true);
  order.Next();
  order.Next();
  order.ItemsSwapped(3, 4);  // only 3 is in the history
  EXPECT_EQ(order.HistoryAt(0), 4);
  EXPECT_EQ(order.HistoryAt(1), 5);
  order.ItemsSwapped(4, 5);  // both are
  EXPECT_EQ(order.HistoryAt(0), 5);
  EXPECT_EQ(order.HistoryAt(1), 4);
  EXPECT_EQ(order.GetCurrent(), 4);
  order.ItemsSwapped(7, 7);
  EXPECT_EQ(order.GetCurrent(), 4);
}

namespace {
constexpr int kBigList = 2000;

// A play order that heard of kBigList rows, as the playlist tells it of each.
PlayOrder BigOrder(CountingRandom& random, bool wholeList) {
  PlayOrder order = MakeOrder(0, random);
  order.SetWholeList(wholeList, 0);
  for (int i = 0; i < kBigList; ++i) order.ItemAdded();
  return order;
}
}  // namespace

TEST(PlayOrderWholeList, SequentialOrderReachesTheLastRowAndWrapsWithRepeat) {
  CountingRandom random;
  PlayOrder order = BigOrder(random, true);
  EXPECT_EQ(order.GetItemCount(), kBigList);
  int last = -1;
  for (int i = 0; i < kBigList; ++i) {
    const int row = order.Next();
    ASSERT_EQ(row, i);
    last = row;
  }
  EXPECT_EQ(last, kBigList - 1);
  EXPECT_EQ(order.Next(), -1);
  order.SetRepeat(true);
  EXPECT_EQ(order.Next(), 0);
  EXPECT_EQ(order.Previous(), kBigList - 1);
  EXPECT_EQ(order.Previous(), kBigList - 2);
  EXPECT_EQ(random.draws, 0);
}

TEST(PlayOrderWholeList, ShufflePlaysEveryRowOncePerRoundWithOneDrawEach) {
  CountingRandom random;
  PlayOrder order = BigOrder(random, true);
  order.SetShuffle(true);
  for (int round = 0; round < 2; ++round) {
    std::vector<bool> played(kBigList, false);
    for (int i = 0; i < kBigList; ++i) {
      const int row = order.Next();
      ASSERT_GE(row, 0);
      ASSERT_LT(row, kBigList);
      ASSERT_FALSE(played[size_t(row)]) << "row " << row << " twice in round " << round;
      played[size_t(row)] = true;
    }
    EXPECT_EQ(order.HistoryLength(), kBigList);
    if (round == 0) {
      EXPECT_EQ(order.Next(), -1);  // without repeat the round ends the shuffle
      order.SetRepeat(true);
    }
  }
  // The rows beyond the 255-row limit are drawn as often as the others.
  EXPECT_EQ(random.draws, 2 * kBigList);
  EXPECT_GE(order.Next(), 0);  // repeat starts a third round
  EXPECT_EQ(order.HistoryLength(), 1);
}

TEST(PlayOrderWholeList, PreviousWalksBackThroughTheWholeHistoryAndNextRetracesIt) {
  CountingRandom random;
  PlayOrder order = BigOrder(random, true);
  order.SetShuffle(true);
  std::vector<int> history;
  for (int i = 0; i < 600; ++i) history.push_back(order.Next());
  const int draws = random.draws;
  for (int i = 598; i >= 0; --i) ASSERT_EQ(order.Previous(), history[size_t(i)]) << i;
  EXPECT_EQ(order.Previous(), -1);
  EXPECT_EQ(order.GetBackSteps(), 599);
  for (int i = 1; i < 600; ++i) ASSERT_EQ(order.Next(), history[size_t(i)]) << i;
  EXPECT_EQ(random.draws, draws);
  // Removing a row deep in the history keeps the walk on its entries.
  order.ItemRemoved(history[300]);
  EXPECT_EQ(order.HistoryLength(), 599);
  EXPECT_EQ(order.GetItemCount(), kBigList - 1);
  const int expected = history[299] > history[300] ? history[299] - 1 : history[299];
  for (int i = 0; i < 299; ++i) order.Previous();
  EXPECT_EQ(order.GetCurrent(), expected);
}

TEST(PlayOrderWholeList, WithoutTheModeTheFirst255RowsAreAllThatPlay) {
  CountingRandom random;
  PlayOrder order = BigOrder(random, false);
  EXPECT_EQ(order.GetItemCount(), PlayOrder::kMaxItems);
  order.SetShuffle(true);
  std::set<int> played;
  for (int i = 0; i < 255; ++i) played.insert(order.Next());
  EXPECT_EQ(played.size(), 255u);
  EXPECT_LT(*played.rbegin(), 255);
  EXPECT_EQ(order.Next(), -1);
  order.SetShuffle(false);
  order.SetCurrent(254);
  EXPECT_EQ(order.Next(), -1);
}

TEST(PlayOrderWholeList, SwitchingTheModeFollowsThePlaylistAndDropsTheHistory) {
  CountingRandom random;
  PlayOrder order = BigOrder(random, false);
  order.SetShuffle(true);
  order.SetCurrent(100);
  order.SetWholeList(true, kBigList);
  EXPECT_EQ(order.GetItemCount(), kBigList);
  // The track playing now opens the history, as when shuffle is switched on.
  ASSERT_EQ(order.HistoryLength(), 1);
  EXPECT_EQ(order.HistoryAt(0), 100);
  for (int i = 0; i < 500; ++i) order.Next();
  order.Previous();
  order.SetCurrent(1500);
  order.SetWholeList(false, kBigList);
  EXPECT_EQ(order.GetItemCount(), PlayOrder::kMaxItems);
  EXPECT_EQ(order.GetBackSteps(), 0);
  EXPECT_EQ(order.HistoryLength(), 1);
  for (int i = 0; i < 200; ++i) {
    const int row = order.Next();
    ASSERT_GE(row, 0);
    ASSERT_LT(row, PlayOrder::kMaxItems);
  }
  EXPECT_FALSE(order.ItemAdded());
  order.SetWholeList(true, 3);
  EXPECT_TRUE(order.ItemAdded());
  EXPECT_EQ(order.GetItemCount(), 4);
}
