// The sorts, reverse, randomize and dead-file removal of the playlist menus on a
// small list: orders, where the current row and the selection go, and what the
// play order is told.
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "platform/TrackInfo.h"
#include "playlist/HtmlPlaylist.h"
#include "playlist/ListCommands.h"
#include "playlist/PlayOrder.h"
#include "playlist/Playlist.h"

namespace {

class ListCommandsTest : public ::testing::Test {
 protected:
  void Add(const QString& title, const QString& path, int length = -1) { playlist_.AddEntry(length, title, path); }
  QStringList Titles() const {
    QStringList out;
    for (int i = 0; i < playlist_.GetCount(); ++i) out << playlist_.GetTitle(i);
    return out;
  }
  QStringList Displays() const {
    QStringList out;
    for (int i = 0; i < playlist_.GetCount(); ++i) out << playlist_.GetDisplayText(i);
    return out;
  }
  void MakeCurrent(int row) {
    order_.SetCurrent(row);
    playlist_.SetCurrentRow(row);
  }

  PlayOrder order_{0, [] { return 0u; }};
  Playlist playlist_{order_};
};

TEST_F(ListCommandsTest, SortsIgnoreCaseKeepEqualRowsAndCarryTheMarks) {
  Add("beta", "/z/2.tst");
  Add("Alpha", "/y/B.tst");
  Add("gamma", "/x/c.tst");
  Add("alpha", "/w/a.tst");
  MakeCurrent(2);          // gamma
  playlist_.SelectRow(0);  // beta

  ListCommands::SortByTitle(playlist_);
  EXPECT_EQ(Titles(), (QStringList{"Alpha", "alpha", "beta", "gamma"}));
  EXPECT_EQ(Displays(), (QStringList{"1. Alpha", "2. alpha", "3. beta", "4. gamma"}));
  EXPECT_EQ(playlist_.GetCurrentRow(), 3);
  EXPECT_EQ(order_.GetCurrent(), 3);
  EXPECT_EQ(playlist_.GetSelectionMark(), 2);

  // By file name: 2, a, B, c whatever the folders.
  ListCommands::SortByFileName(playlist_);
  EXPECT_EQ(Titles(), (QStringList{"beta", "alpha", "Alpha", "gamma"}));
  // By the whole path: the folders decide.
  ListCommands::SortByPath(playlist_);
  EXPECT_EQ(Titles(), (QStringList{"alpha", "gamma", "Alpha", "beta"}));
  EXPECT_EQ(playlist_.GetTitle(playlist_.GetCurrentRow()), "gamma");
  EXPECT_EQ(playlist_.GetTitle(playlist_.GetSelectionMark()), "beta");
}

TEST_F(ListCommandsTest, TracksOfACueSheetSortInTheOrderTheyPlay) {
  Add("t3", "/m/disc.flac#t=100.5");
  Add("x", "/m/disc.flac.mp3");
  Add("t2", "/m/disc.flac#t=20,100.5");
  Add("t1", "/m/disc.flac#t=3,20");
  Add("whole", "/m/disc.flac");
  ListCommands::SortByPath(playlist_);
  EXPECT_EQ(Titles(), (QStringList{"whole", "t1", "t2", "t3", "x"}));
  playlist_.Reorder({4, 3, 2, 1, 0});
  ListCommands::SortByFileName(playlist_);
  EXPECT_EQ(Titles(), (QStringList{"whole", "t1", "t2", "t3", "x"}));
}

TEST_F(ListCommandsTest, ReverseAndRandomizeKeepEveryRowOnce) {
  for (int i = 1; i <= 6; ++i) Add(QString::number(i), "/m/" + QString::number(i) + ".tst", i * 10);
  MakeCurrent(1);
  ListCommands::Reverse(playlist_);
  EXPECT_EQ(Titles(), (QStringList{"6", "5", "4", "3", "2", "1"}));
  EXPECT_EQ(playlist_.GetCurrentRow(), 4);
  EXPECT_EQ(playlist_.GetLengthText(0), "60");  // lengths travel with their rows

  // A sequence of draws gives a known order (Fisher-Yates from the end).
  std::vector<uint32_t> draws{0, 0, 0, 0, 0};
  size_t next = 0;
  ListCommands::Randomize(playlist_, [&] { return draws[next++ % draws.size()]; });
  EXPECT_EQ(Titles(), (QStringList{"5", "4", "3", "2", "1", "6"}));

  QStringList before = Titles();
  bool changed = false;
  uint32_t state = 12345;
  for (int round = 0; round < 20; ++round) {
    ListCommands::Randomize(playlist_, [&] { return state = state * 1103515245u + 12345u; });
    QStringList now = Titles();
    changed |= now != before;
    QStringList sorted = now;
    sorted.sort();
    ASSERT_EQ(sorted, (QStringList{"1", "2", "3", "4", "5", "6"}));
    EXPECT_EQ(playlist_.GetTitle(playlist_.GetCurrentRow()), "2");
  }
  EXPECT_TRUE(changed);
  EXPECT_EQ(order_.GetItemCount(), 6);
}

TEST_F(ListCommandsTest, ReorderRefusesWhatIsNotAPermutation) {
  Add("a", "/a");
  Add("b", "/b");
  EXPECT_FALSE(playlist_.Reorder({0, 0}));
  EXPECT_FALSE(playlist_.Reorder({0}));
  EXPECT_FALSE(playlist_.Reorder({0, 2}));
  EXPECT_EQ(Titles(), (QStringList{"a", "b"}));
  EXPECT_TRUE(playlist_.Reorder({1, 0}));
  EXPECT_EQ(Titles(), (QStringList{"b", "a"}));
}

TEST_F(ListCommandsTest, RemoveDeadFilesKeepsExistingFilesAndUrls) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  for (const char* name : {"a.tst", "c.tst"}) {
    QFile f(dir.path() + "/" + name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  Add("a", dir.path() + "/a.tst");
  Add("b", dir.path() + "/b.tst");
  Add("stream", "http://radio.example/live");
  Add("c", dir.path() + "/c.tst");
  Add("d", dir.path() + "/gone/d.tst");
  MakeCurrent(3);
  EXPECT_EQ(ListCommands::RemoveDeadFiles(playlist_), 2);
  EXPECT_EQ(Titles(), (QStringList{"a", "stream", "c"}));
  EXPECT_EQ(Displays(), (QStringList{"1. a", "2. stream", "3. c"}));
  EXPECT_EQ(playlist_.GetCurrentRow(), 2);
  EXPECT_EQ(order_.GetItemCount(), 3);
  EXPECT_EQ(ListCommands::RemoveDeadFiles(playlist_), 0);
}

TEST_F(ListCommandsTest, TrackInfoGivesTitleAndRoundedLength) {
  Add("old.wma", "/m/old.wma");
  TrackInfo info;
  info.tags = {{"TITLE", "First Light"}, {"Artist", "Tarnello"}};
  info.lengthMs = 12030;
  EXPECT_TRUE(ListCommands::ApplyTrackInfo(playlist_, 0, info));
  EXPECT_EQ(playlist_.GetTitle(0), "Tarnello - First Light");
  EXPECT_EQ(playlist_.GetDisplayText(0), "1. Tarnello - First Light");
  EXPECT_EQ(playlist_.GetLengthText(0), "12");
  // Without a title tag the row keeps its title; without an artist the title stands alone.
  EXPECT_TRUE(ListCommands::ApplyTrackInfo(playlist_, 0, TrackInfo{}));
  EXPECT_EQ(playlist_.GetTitle(0), "Tarnello - First Light");
  info.tags = {{"title", "Solo"}};
  ListCommands::ApplyTrackInfo(playlist_, 0, info);
  EXPECT_EQ(playlist_.GetTitle(0), "Solo");
  EXPECT_FALSE(ListCommands::ApplyTrackInfo(playlist_, 1, info));
}

TEST_F(ListCommandsTest, HtmlPageEscapesTitlesAndAddsUpKnownLengths) {
  Add("<b>Bold</b> & \"quoted\"", "/m/1.tst", 61);
  Add("", "/m/untitled.tst");
  Add("Long", "/m/3.tst", 3600);
  const QString page = QString::fromUtf8(HtmlPlaylistPage(playlist_));
  EXPECT_TRUE(page.contains("&lt;b&gt;Bold&lt;/b&gt; &amp; &quot;quoted&quot;"));
  EXPECT_FALSE(page.contains("<b>Bold"));
  EXPECT_TRUE(page.contains("<td>untitled.tst</td>"));
  EXPECT_TRUE(page.contains("1:01"));
  EXPECT_TRUE(page.contains("3 tracks, 1:01:01 (2 with a known length)"));
  EXPECT_EQ(LengthText(59), "0:59");
  EXPECT_EQ(LengthText(3600), "1:00:00");
}

}  // namespace
