#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "PlaylistTestSupport.h"
#include "playlist/PlayOrder.h"
#include "playlist/Playlist.h"
#include "playlist/PlaylistFile.h"
#include "playlist/PlaylistStorage.h"
#include "support/RecordingMessageBoxes.h"

namespace {
struct M3uFiles : ::testing::Test {
  QTemporaryDir dir;
  PlayOrder order;
  Playlist playlist{order};
  RecordingMessageBoxes boxes;

  QString Write(const QByteArray& bytes, const QString& name = "list.m3u") {
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
  }
  QByteArray Read(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
  }
  PlaylistFile Parse(const QByteArray& bytes) {
    PlaylistFile file;
    EXPECT_TRUE(file.ReadM3u(Write(bytes)));
    return file;
  }
};
}  // namespace

TEST_F(M3uFiles, EmptyTitleAndUnknownLengthSurviveARoundTrip) {
  playlist.AddFile("/music/bare");
  playlist.AddEntry(-1, "", "/music/track.mp3");
  const QString path = dir.filePath("out.m3u");
  ASSERT_TRUE(SavePlaylist(playlist, path));
  EXPECT_EQ(Read(path), "#EXTM3U\n#EXTINF:-1,bare\n/music/bare\n#EXTINF:-1,\n/music/track.mp3\n");

  PlayOrder order2;
  Playlist back(order2);
  ASSERT_TRUE(LoadPlaylist(back, path));
  ASSERT_EQ(back.GetCount(), 2);
  EXPECT_EQ(back.GetLengthText(1), "");
  EXPECT_EQ(back.GetTitle(1), "");
  EXPECT_EQ(back.GetDisplayText(1), "2. ");
  EXPECT_EQ(back.GetPath(1), "/music/track.mp3");
  EXPECT_EQ(order2.GetItemCount(), 2);
}

TEST_F(M3uFiles, TextsAndLongPathsSurviveARoundTrip) {
  const QString longPath = "/music/" + QString(600, QChar(u'\u00e9')) + "/end.mp3";
  playlist.AddEntry(245, "Ärger, 日本語 \U0001F3B5", longPath);
  playlist.AddEntry(0, "zero", "http://example.com/a?b=c,d");
  const QString path = dir.filePath("round.m3u");
  ASSERT_TRUE(SavePlaylist(playlist, path));
  PlayOrder order2;
  Playlist back(order2);
  ASSERT_TRUE(LoadPlaylist(back, path));
  ASSERT_EQ(back.GetCount(), 2);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(back.Row(i).displayText, playlist.Row(i).displayText);
    EXPECT_EQ(back.Row(i).lengthText, playlist.Row(i).lengthText);
    EXPECT_EQ(back.Row(i).path, playlist.Row(i).path);
  }
}

TEST_F(M3uFiles, InfoLineTitleKeepsItsCommasAndLengthReadsLikeAtol) {
  const PlaylistFile f = Parse("#EXTM3U\n#EXTINF:245,Artist, Song, Live\n/a.mp3\n#EXTINF: 12abc,x\n/b.mp3\n"
                               "#EXTINF:,no length\n/c.mp3\n");
  ASSERT_EQ(f.entries.size(), 3u);
  EXPECT_EQ(f.entries[0].length, 245);
  EXPECT_EQ(f.entries[0].title, "Artist, Song, Live");
  EXPECT_EQ(f.entries[1].length, 12);
  EXPECT_EQ(f.entries[2].length, 0);
  EXPECT_EQ(f.entries[2].title, "no length");
}

TEST_F(M3uFiles, InfoLineWithoutPathStillMakesAnEntry) {
  const PlaylistFile f = Parse("#EXTM3U\n#EXTINF:1,one\n#EXTINF:2,two\n/two.mp3\n#EXTINF:3,three");
  ASSERT_EQ(f.entries.size(), 3u);
  EXPECT_EQ(f.entries[0].title, "one");
  EXPECT_EQ(f.entries[0].path, "");
  EXPECT_EQ(f.entries[1].path, "/two.mp3");
  EXPECT_EQ(f.entries[2].length, 3);
  EXPECT_EQ(f.entries[2].path, "");
}

TEST_F(M3uFiles, EveryBarePathIsAnEntryAndDirectivesAreNot) {
  const PlaylistFile f = Parse("#EXTM3U\n/a.mp3\n/b.mp3\n#EXTINF:7,c\n#EXTVLCOPT:start-time=3\n/c.mp3\n"
                               "# comment\n\n/d.mp3\n");
  ASSERT_EQ(f.entries.size(), 4u);
  EXPECT_EQ(f.entries[0].path, "/a.mp3");
  EXPECT_EQ(f.entries[0].length, 0);  // no info: length text empty reads as 0
  EXPECT_EQ(f.entries[0].title, "");
  EXPECT_EQ(f.entries[1].path, "/b.mp3");
  EXPECT_EQ(f.entries[2].path, "/c.mp3");
  EXPECT_EQ(f.entries[2].length, 7);
  EXPECT_EQ(f.entries[3].path, "/d.mp3");
}

TEST_F(M3uFiles, HeaderRules) {
  // Lines before the header are ignored; a later header line changes nothing.
  PlaylistFile f = Parse("/before.mp3\n#EXTINF:1,before\n#EXTM3U\n/a.mp3\n#EXTM3U\n/b.mp3\n");
  ASSERT_EQ(f.entries.size(), 2u);
  EXPECT_EQ(f.entries[0].path, "/a.mp3");
  EXPECT_EQ(f.entries[1].path, "/b.mp3");
  // No header at all: an empty list, no message.
  f = Parse("#EXTINF:1,a\n/a.mp3\n");
  EXPECT_TRUE(f.entries.empty());
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(M3uFiles, MalformedInfoLineIsReportedAndSkipped) {
  const PlaylistFile f = Parse("#EXTM3U\n#EXTINF:5,first\n/first.mp3\n#EXTINF:99 no comma\n/second.mp3\n");
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, "M3U syntax error!");
  ASSERT_EQ(f.entries.size(), 2u);
  EXPECT_EQ(f.entries[0].path, "/first.mp3");
  EXPECT_EQ(f.entries[1].path, "/second.mp3");
  EXPECT_EQ(f.entries[1].length, 0);
}

TEST_F(M3uFiles, WindowsLineEndsAndLegacyBytesAreRead) {
  // "Café" in Latin-1 (an old file) next to a UTF-8 line and CRLF line ends.
  const PlaylistFile f = Parse("#EXTM3U\r\n#EXTINF:10,Caf\xe9\r\n/m/caf\xe9.mp3\r\n#EXTINF:11,Gr\xc3\xbc\xc3\x9f\r\n/g\r\n");
  ASSERT_EQ(f.entries.size(), 2u);
  EXPECT_EQ(f.entries[0].title, QString::fromUtf8("Café"));
  EXPECT_EQ(f.entries[0].path, QString::fromUtf8("/m/café.mp3"));
  EXPECT_EQ(f.entries[1].title, QString::fromUtf8("Grüß"));
  EXPECT_EQ(f.entries[1].path, "/g");
}

TEST_F(M3uFiles, LoadingAppendsAndAMissingFileAddsNothing) {
  playlist.AddFile("/existing.mp3");
  EXPECT_FALSE(LoadPlaylist(playlist, dir.filePath("missing.m3u")));
  EXPECT_EQ(playlist.GetCount(), 1);
  EXPECT_TRUE(boxes.boxes.empty());
  ASSERT_TRUE(LoadPlaylist(playlist, Write("#EXTM3U\n#EXTINF:3,x\n/x.mp3\n")));
  EXPECT_EQ(Titles(playlist), QStringList({"existing.mp3", "x"}));
  EXPECT_EQ(playlist.GetDisplayText(1), "2. x");
  EXPECT_EQ(playlist.GetLengthText(1), "3");
}

TEST_F(M3uFiles, SavingReplacesTheWholeFileOrFailsWithoutTouchingIt) {
  const QString path = Write(QByteArray(4096, 'x'));
  playlist.AddEntry(1, "t", "/p");
  ASSERT_TRUE(SavePlaylist(playlist, path));
  EXPECT_EQ(Read(path), "#EXTM3U\n#EXTINF:1,t\n/p\n");
  EXPECT_FALSE(SavePlaylist(playlist, dir.filePath("no/such/folder/list.m3u")));
  // A folder where the file should be: the write fails, nothing is left behind.
  ASSERT_TRUE(QDir(dir.path()).mkdir("taken.m3u"));
  EXPECT_FALSE(SavePlaylist(playlist, dir.filePath("taken.m3u")));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"list.m3u"}));
}

TEST_F(M3uFiles, CarriageReturnsEndingALineAreNeverPartOfATitleOrPath) {
  PlaylistFile file = Parse("#EXTM3U\r\n#EXTINF:3,Title\r\r\n/music/a.mp3\r\r\r\n");
  ASSERT_EQ(file.entries.size(), 1u);
  EXPECT_EQ(file.entries[0].title, "Title");
  EXPECT_EQ(file.entries[0].path, "/music/a.mp3");
}
