#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "playlist/PlayOrder.h"
#include "playlist/Playlist.h"
#include "playlist/PlsFile.h"

namespace {
struct PlsFiles : ::testing::Test {
  QTemporaryDir dir;
  PlayOrder order;
  Playlist playlist{order};

  bool Load(const QByteArray& bytes) {
    const QString path = dir.filePath("temp.pls");
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    return ReadPls(playlist, path);
  }
};
}  // namespace

TEST_F(PlsFiles, MissingKeysGiveEmptyTextsAndEntriesInBetweenAreKept) {
  ASSERT_TRUE(Load("[playlist]\nNumberOfEntries=3\nFile1=http://radio/one\nTitle1=One\n"
                   "File3=/three.mp3\nLength3=-1\nVersion=2\n"));
  ASSERT_EQ(playlist.GetCount(), 3);
  EXPECT_EQ(playlist.GetPath(0), "http://radio/one");
  EXPECT_EQ(playlist.GetDisplayText(0), "1. One");
  EXPECT_EQ(playlist.GetLengthText(0), "0");  // no length key reads as 0
  EXPECT_EQ(playlist.GetPath(1), "");
  EXPECT_EQ(playlist.GetTitle(1), "");
  EXPECT_EQ(playlist.GetDisplayText(1), "2. ");
  EXPECT_EQ(playlist.GetPath(2), "/three.mp3");
  EXPECT_EQ(playlist.GetLengthText(2), "");  // -1: unknown
  EXPECT_EQ(order.GetItemCount(), 3);
}

TEST_F(PlsFiles, KeysFollowTheSettingsReaderRules) {
  // Section and keys compare case-insensitively; the first line of a key wins;
  // "File02" is not entry 2; keys of other sections do not count.
  ASSERT_TRUE(Load("[other]\nFile1=/wrong.mp3\n[Playlist]\nnumberofentries=2\nFILE1=/first.mp3\n"
                   "file1=/later.mp3\nLength1=  42\nFile02=/not-two.mp3\n[playlist]\nTitle2=Two\n"));
  ASSERT_EQ(playlist.GetCount(), 2);
  EXPECT_EQ(playlist.GetPath(0), "/first.mp3");
  EXPECT_EQ(playlist.GetLengthText(0), "42");
  EXPECT_EQ(playlist.GetTitle(1), "Two");
  EXPECT_EQ(playlist.GetPath(1), "");
}

TEST_F(PlsFiles, NoCountNoEntries) {
  ASSERT_TRUE(Load("[playlist]\nFile1=/a.mp3\n"));
  EXPECT_EQ(playlist.GetCount(), 0);
  ASSERT_TRUE(Load("[playlist]\nNumberOfEntries=0\nFile1=/a.mp3\n"));
  EXPECT_EQ(playlist.GetCount(), 0);
  EXPECT_FALSE(ReadPls(playlist, dir.filePath("missing.pls")));
}

TEST_F(PlsFiles, EveryEntryUpToTheCountIsAddedKeyedOrNot) {
  // Two keyed entries of three: the third is a row with empty texts.
  ASSERT_TRUE(Load("[playlist]\nNumberOfEntries=3\nFile1=/a.mp3\nTitle1=A\nFile2=/b.mp3\n"));
  ASSERT_EQ(playlist.GetCount(), 3);
  EXPECT_EQ(playlist.GetPath(1), "/b.mp3");
  EXPECT_EQ(playlist.GetPath(2), "");
  EXPECT_EQ(playlist.GetTitle(2), "");
  EXPECT_EQ(playlist.GetLengthText(2), "0");
  EXPECT_EQ(playlist.GetDisplayText(2), "3. ");
  // A count below the highest key limits the entries.
  playlist.ClearPlaylist();
  ASSERT_TRUE(Load("[playlist]\nNumberOfEntries=1\nFile1=/a.mp3\nFile2=/b.mp3\n"));
  EXPECT_EQ(playlist.GetCount(), 1);
  playlist.ClearPlaylist();
  ASSERT_TRUE(Load("[playlist]\nNumberOfEntries=6\nFile5=/five.mp3\nLength6=-5\nVersion=2\n"));
  ASSERT_EQ(playlist.GetCount(), 6);
  EXPECT_EQ(playlist.GetPath(4), "/five.mp3");
  EXPECT_EQ(playlist.GetLengthText(5), "");  // -5: unknown
}

TEST_F(PlsFiles, AHostileCountAddsNoMoreThanTheEntryLimit) {
  ASSERT_TRUE(Load("[playlist]\nNumberOfEntries=2000000000\nFile1=/a.mp3\nFile131073=/over.mp3\n"
                   "File131072=/last.mp3\nTitle4=Four\n"));
  ASSERT_EQ(playlist.GetCount(), PlsFile::kMaxEntries);
  EXPECT_EQ(playlist.GetPath(0), "/a.mp3");
  EXPECT_EQ(playlist.GetTitle(3), "Four");
  EXPECT_EQ(playlist.GetPath(1), "");
  EXPECT_EQ(playlist.GetPath(PlsFile::kMaxEntries - 1), "/last.mp3");
}
