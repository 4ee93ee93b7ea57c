#include <gtest/gtest.h>

#include "playlist/PlayOrder.h"
#include "playlist/Playlist.h"
#include "playlist/PlaylistObserver.h"
#include "PlaylistTestSupport.h"

namespace {
constexpr int kStop = Playlist::kStopCommand;

// Six rows "/m/A.mp3" ... "/m/F.mp3" with main window and play order attached.
struct SixRows : ::testing::Test {
  PlayOrder order{0, [] { return 0u; }};
  CommandRecorder main;
  Playlist playlist{order, main.GetHandle()};
  void SetUp() override {
    for (const char* name : {"A", "B", "C", "D", "E", "F"}) playlist.AddFile(QString("/m/%1.mp3").arg(name));
  }
  // Marks a row current the way the player does: play order first, then the row.
  void PlayRow(int row) {
    order.SetCurrent(row);
    playlist.SetCurrentRow(row);
  }
};

// Checks that every change is announced as a matching pair with consistent counts.
struct RecordingView : PlaylistObserver {
  explicit RecordingView(const Playlist& p) : playlist(p) {}
  void BeginInsertRows(int first, int last) override {
    EXPECT_EQ(first, playlist.GetCount());
    pendingDelta = last - first + 1;
    countBefore = playlist.GetCount();
  }
  void EndInsertRows() override { EXPECT_EQ(playlist.GetCount(), countBefore + pendingDelta); ++inserts; }
  void BeginRemoveRows(int first, int last) override {
    EXPECT_LE(last, playlist.GetCount() - 1);
    pendingDelta = -(last - first + 1);
    countBefore = playlist.GetCount();
  }
  void EndRemoveRows() override { EXPECT_EQ(playlist.GetCount(), countBefore + pendingDelta); ++removes; }
  void RowsChanged(int first, int last) override { changed.push_back({first, last}); }
  void CurrentRowChanged(int row) override { currentRows.push_back(row); }
  void SelectionChanged(int row) override { selections.push_back(row); }

  const Playlist& playlist;
  int countBefore = 0, pendingDelta = 0, inserts = 0, removes = 0;
  std::vector<std::pair<int, int>> changed;
  std::vector<int> currentRows, selections;
};
}  // namespace

TEST(Playlist, RowsCarryTheirFourTexts) {
  PlayOrder order;
  Playlist playlist(order);
  playlist.AddEntry(245, "Song, live", "/music/song.mp3");
  playlist.AddEntry(-1, "", "http://radio.example/stream");
  playlist.AddFile("bare.mp3");
  playlist.AddFile("C:\\Music\\Old Song.wma");
  playlist.AddFile("/home/u/Music/a\\b.mp3");
  EXPECT_EQ(order.GetItemCount(), 5);

  EXPECT_EQ(playlist.GetDisplayText(0), "1. Song, live");
  EXPECT_EQ(playlist.GetLengthText(0), "245");
  EXPECT_EQ(playlist.GetPath(0), "/music/song.mp3");
  EXPECT_EQ(playlist.GetLengthText(1), "");
  // No separator: empty title, the display text is the position, a full stop and a blank.
  EXPECT_EQ(playlist.GetTitle(2), "");
  EXPECT_EQ(playlist.GetDisplayText(2), "3. ");
  EXPECT_EQ(playlist.GetLengthText(2), "");
  EXPECT_EQ(playlist.GetTitle(3), "Old Song.wma");
  EXPECT_EQ(playlist.GetTitle(4), "a\\b.mp3");  // '/' wins over '\' when both occur
  EXPECT_EQ(playlist.GetPath(9), "");
  EXPECT_EQ(playlist.GetDisplayText(-1), "");
}

TEST_F(SixRows, RemovingTheCurrentRowStopsAndLeavesNoCurrentRow) {
  PlayRow(2);
  playlist.SelectRow(2);
  playlist.RemoveSelected();
  EXPECT_EQ(main.commands, std::vector<int>{kStop});
  EXPECT_EQ(playlist.GetCurrentRow(), -1);
  EXPECT_EQ(order.GetCurrent(), -1);
  EXPECT_EQ(order.GetItemCount(), 5);
  EXPECT_EQ(Titles(playlist), QStringList({"A.mp3", "B.mp3", "D.mp3", "E.mp3", "F.mp3"}));
  EXPECT_EQ(DisplayTexts(playlist).last(), "5. F.mp3");
  EXPECT_EQ(playlist.GetSelectionMark(), -1);
  playlist.RemoveSelected();  // nothing selected: nothing happens
  EXPECT_EQ(playlist.GetCount(), 5);
}

TEST_F(SixRows, RemovingARowAboveTheCurrentKeepsTheTrackCurrent) {
  PlayRow(3);
  playlist.SelectRow(1);
  playlist.RemoveSelected();
  EXPECT_TRUE(main.commands.empty());
  EXPECT_EQ(playlist.GetCurrentRow(), 2);
  EXPECT_EQ(order.GetCurrent(), 2);
  EXPECT_EQ(playlist.GetPath(2), "/m/D.mp3");
  EXPECT_EQ(DisplayTexts(playlist),
            QStringList({"1. A.mp3", "2. C.mp3", "3. D.mp3", "4. E.mp3", "5. F.mp3"}));
  // Removing a row below leaves the current row where it is.
  playlist.SelectRow(4);
  playlist.RemoveSelected();
  EXPECT_EQ(playlist.GetCurrentRow(), 2);
}

TEST_F(SixRows, CropOnTheCurrentRowKeepsPlaying) {
  playlist.AddEntry(300, "Kept title", "/m/G.mp3");
  PlayRow(6);
  playlist.SelectRow(6);
  playlist.CropToSelected();
  EXPECT_TRUE(main.commands.empty());
  ASSERT_EQ(playlist.GetCount(), 1);
  // The kept row is rebuilt from its path: title from the path, length unknown.
  EXPECT_EQ(playlist.GetDisplayText(0), "1. G.mp3");
  EXPECT_EQ(playlist.GetLengthText(0), "");
  EXPECT_EQ(playlist.GetCurrentRow(), 0);
  EXPECT_EQ(playlist.GetSelectionMark(), 0);
  EXPECT_EQ(order.GetItemCount(), 1);
  EXPECT_EQ(order.GetCurrent(), 0);
  EXPECT_EQ(order.Next(), -1);  // the playing track is the last one, not a new start
  // The same in shuffle order: the playing track counts as played.
  order.SetShuffle(true);
  playlist.AddFile("/m/H.mp3");
  PlayRow(1);
  playlist.SelectRow(1);
  playlist.CropToSelected();
  EXPECT_EQ(order.Next(), -1);
}

TEST_F(SixRows, CropOnAnotherRowStops) {
  PlayRow(1);
  playlist.SelectRow(4);
  playlist.CropToSelected();
  EXPECT_EQ(main.commands, std::vector<int>{kStop});
  EXPECT_EQ(Titles(playlist), QStringList({"E.mp3"}));
  EXPECT_EQ(playlist.GetCurrentRow(), -1);
  EXPECT_EQ(order.GetItemCount(), 1);
}

TEST_F(SixRows, ClearStopsAndResetsThePlayOrder) {
  order.SetShuffle(true);
  order.Next();
  PlayRow(order.GetCurrent());
  playlist.SelectRow(0);
  playlist.ClearPlaylist();
  EXPECT_EQ(main.commands, std::vector<int>{kStop});
  EXPECT_EQ(playlist.GetCount(), 0);
  EXPECT_EQ(playlist.GetCurrentRow(), -1);
  EXPECT_EQ(playlist.GetSelectionMark(), -1);
  EXPECT_EQ(order.GetItemCount(), 0);
  EXPECT_EQ(order.HistoryLength(), 0);
  EXPECT_EQ(order.GetCurrent(), -1);
}

TEST(Playlist, ClearWithoutAMainWindowIsHarmless) {
  PlayOrder order;
  Playlist playlist(order);
  playlist.AddFile("/a.mp3");
  playlist.ClearPlaylist();
  EXPECT_EQ(playlist.GetCount(), 0);
  {
    CommandRecorder gone;
    playlist.SetMainWindow(gone.GetHandle());
  }
  playlist.AddFile("/a.mp3");
  playlist.ClearPlaylist();  // the window no longer exists
  EXPECT_EQ(playlist.GetCount(), 0);
}

TEST_F(SixRows, DraggingARowByNeighbourSwapsShiftsTheRowsBetween) {
  PlayRow(2);  // track C is playing
  playlist.SelectRow(4);
  // Row 5 (E) dragged to position 1 in one move: swaps 4-3, 3-2, 2-1, 1-0.
  for (int s = 4; s > 0; --s) playlist.MoveRow(s, s - 1);
  EXPECT_EQ(Titles(playlist), QStringList({"E.mp3", "A.mp3", "B.mp3", "C.mp3", "D.mp3", "F.mp3"}));
  EXPECT_EQ(DisplayTexts(playlist),
            QStringList({"1. E.mp3", "2. A.mp3", "3. B.mp3", "4. C.mp3", "5. D.mp3", "6. F.mp3"}));
  EXPECT_EQ(playlist.GetSelectionMark(), 0);
  // The highlight follows the track, not the position.
  EXPECT_EQ(playlist.GetCurrentRow(), 3);
  EXPECT_EQ(order.GetCurrent(), 3);
  // And back down two rows.
  for (int s = 0; s < 2; ++s) playlist.MoveRow(s, s + 1);
  EXPECT_EQ(Titles(playlist), QStringList({"A.mp3", "B.mp3", "E.mp3", "C.mp3", "D.mp3", "F.mp3"}));
  EXPECT_EQ(playlist.GetSelectionMark(), 2);
  EXPECT_EQ(playlist.GetDisplayText(2), "3. E.mp3");
}

TEST_F(SixRows, IndicesOutsideTheRowsChangeNothing) {
  playlist.MoveRow(6, 5);
  playlist.MoveRow(-1, 0);
  playlist.MoveRow(5, 6);
  playlist.MoveRow(3, 3);
  playlist.Renumber(-3, 99);
  playlist.Renumber(4, 2);
  playlist.SelectRow(6);
  EXPECT_EQ(playlist.GetSelectionMark(), -1);
  EXPECT_EQ(DisplayTexts(playlist).last(), "6. F.mp3");
  EXPECT_EQ(Titles(playlist), QStringList({"A.mp3", "B.mp3", "C.mp3", "D.mp3", "E.mp3", "F.mp3"}));
}

TEST_F(SixRows, SetCurrentRowRefusesIndicesBeyondTheRows) {
  EXPECT_FALSE(playlist.SetCurrentRow(6));
  EXPECT_EQ(playlist.GetCurrentRow(), -1);
  EXPECT_TRUE(playlist.SetCurrentRow(5));
  EXPECT_TRUE(playlist.SetCurrentRow(-7));
  EXPECT_EQ(playlist.GetCurrentRow(), -1);
}

TEST(Playlist, ViewsHearEveryChangeAsPairs) {
  PlayOrder order;
  Playlist playlist(order);
  RecordingView view(playlist);
  playlist.AddObserver(&view);
  for (int i = 0; i < 4; ++i) playlist.AddFile(QString("/x/%1").arg(i));
  EXPECT_EQ(view.inserts, 4);
  playlist.SelectRow(1);
  playlist.SetCurrentRow(2);
  playlist.RemoveSelected();
  EXPECT_EQ(view.removes, 1);
  ASSERT_FALSE(view.changed.empty());
  EXPECT_EQ(view.changed.back(), std::make_pair(1, 2));  // renumbered from the removed row
  playlist.MoveRow(0, 1);
  EXPECT_EQ(view.changed.back(), std::make_pair(0, 1));
  playlist.ClearPlaylist();
  EXPECT_EQ(view.removes, 2);
  EXPECT_EQ(view.currentRows.front(), 2);
  EXPECT_EQ(view.currentRows.back(), -1);
  EXPECT_EQ(view.selections.front(), 1);
  EXPECT_EQ(view.selections.back(), -1);
  playlist.RemoveObserver(&view);
  playlist.AddFile("/y");
  EXPECT_EQ(view.inserts, 4);
}
