// Cue sheets as rows: what the sheet's lines give, the spans and lengths of the
// tracks, sheets from other systems and encodings, and the rows' life in lists.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <fcntl.h>
#include <unistd.h>

#include "platform/FileNames.h"
#include "playlist/CueSheet.h"
#include "playlist/ListCommands.h"
#include "playlist/PlayOrder.h"
#include "playlist/Playlist.h"
#include "playlist/PlaylistFile.h"
#include "playlist/PlaylistStorage.h"
#include "support/LegacyEncoding.h"

inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace {
const QString kDash = QStringLiteral(" \u2013 ");

class CueSheetTest : public ::testing::Test {
 protected:
  QString Write(const QString& name, const QByteArray& bytes) {
    const QString path = dir_.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
  }
  // Rows of a sheet, every audio file 300 s long.
  std::vector<CueSheet::Row> RowsOf(const QString& text, const QString& sheet = QStringLiteral("album.cue")) {
    return CueSheet::Rows(CueSheet::Parse(text), dir_.filePath(sheet), [](const QString&) { return 300000; });
  }
  QTemporaryDir dir_;
};

TEST_F(CueSheetTest, TracksTakeTheirPerformerTitleAndSpanUpToTheNextIndex) {
  Write("album.flac", "x");
  const QString sheet = QStringLiteral(
      "REM GENRE Rock\n"
      "PERFORMER \"The Band\"\n"
      "TITLE \"The Album\"\n"
      "FILE \"album.flac\" WAVE\n"
      "  TRACK 01 AUDIO\n"
      "    TITLE \"Opening, Part One\"\n"
      "    INDEX 01 00:00:00\n"
      "  TRACK 02 AUDIO\n"
      "    TITLE \"Guest Spot\"\n"
      "    PERFORMER \"Someone Else\"\n"
      "    INDEX 00 01:04:70\n"
      "    INDEX 01 01:05:37\n"
      "  TRACK 03 AUDIO\n"
      "    INDEX 01 102:00:00\n");
  const std::vector<CueSheet::Row> rows = RowsOf(sheet);
  ASSERT_EQ(rows.size(), 3u);
  // INDEX 00 (the pregap) is not the start: track 1 runs to track 2's INDEX 01.
  EXPECT_EQ(rows[0].title, "The Band" + kDash + "Opening, Part One");
  EXPECT_EQ(rows[0].path, dir_.filePath("album.flac") + "#t=0,65.493333");
  EXPECT_EQ(rows[0].length, 65);
  EXPECT_EQ(rows[1].title, "Someone Else" + kDash + "Guest Spot");
  EXPECT_EQ(rows[1].path, dir_.filePath("album.flac") + "#t=65.493333,6120");
  EXPECT_EQ(rows[1].length, 6055);
  // No title of its own: named by its number. The last runs to the end of the file.
  EXPECT_EQ(rows[2].title, "The Band" + kDash + "Track 03");
  EXPECT_EQ(rows[2].path, dir_.filePath("album.flac") + "#t=6120");
  // A file shorter than the last index leaves a length of 0, never a negative one.
  EXPECT_EQ(rows[2].length, 0);
}

TEST_F(CueSheetTest, OnlyPlayableFilesThatExistGiveRows) {
  Write("one.mp3", "x");
  Write("three.wav", "x");
  const QString sheet = QStringLiteral(
      "FILE one.mp3 MP3\n"
      "TRACK 1 AUDIO\nTITLE A\nINDEX 01 00:00:00\n"
      "TRACK 2 AUDIO\nTITLE \"No start\"\nINDEX 00 00:10:00\n"
      "FILE \"data.bin\" BINARY\n"
      "TRACK 3 MODE1/2352\nTITLE Data\nINDEX 01 00:00:00\n"
      "FILE \"missing.flac\" FLAC\n"
      "TRACK 4 AUDIO\nTITLE Gone\nINDEX 01 00:00:00\n"
      "file \"C:\\Rips\\three.wav\" wave\n"
      "track 5 audio\ntitle Last\nindex 01 00:01:00\n");
  const std::vector<CueSheet::Row> rows = RowsOf(sheet);
  ASSERT_EQ(rows.size(), 2u);
  // A track without INDEX 01 is skipped, and its file's last track runs to the end.
  EXPECT_EQ(rows[0].title, "A");
  EXPECT_EQ(rows[0].path, dir_.filePath("one.mp3") + "#t=0");
  EXPECT_EQ(rows[0].length, 300);
  // A Windows path finds the file beside the sheet; keywords in any case.
  EXPECT_EQ(rows[1].title, "Last");
  EXPECT_EQ(rows[1].path, dir_.filePath("three.wav") + "#t=1");
  EXPECT_EQ(rows[1].length, 299);
}

TEST_F(CueSheetTest, ASheetWhoseAudioIsMissingAddsNothing) {
  PlayOrder order;
  Playlist playlist(order);
  const QString sheet = Write("lost.cue", "FILE \"lost.flac\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n");
  EXPECT_EQ(CueSheet::AddToPlaylist(playlist, sheet), 0);
  // As a list the user opens, it is read (not a failure) and still adds nothing.
  EXPECT_TRUE(AddListFile(playlist, sheet));
  EXPECT_EQ(playlist.GetCount(), 0);
  EXPECT_EQ(order.GetItemCount(), 0);
  EXPECT_EQ(CueSheet::AddToPlaylist(playlist, dir_.filePath("absent.cue")), -1);
  EXPECT_FALSE(AddListFile(playlist, dir_.filePath("absent.cue")));
  EXPECT_EQ(CueSheet::AddToPlaylist(playlist, dir_.path()), -1);
}

TEST_F(CueSheetTest, SheetsInOtherEncodingsReadAsTheirWords) {
  Write("Café.flac", "x");
  const QString text = QStringLiteral(
      "PERFORMER \"Mötley Crüe\"\r\nFILE \"Café.flac\" WAVE\r\n"
      "TRACK 01 AUDIO\r\nTITLE \"Déjà vu\"\r\nINDEX 01 00:00:00\r\n"
      "TRACK 02 AUDIO\r\nTITLE \"Señorita à la carte\"\r\nINDEX 01 00:30:00\r\n");
  PlayOrder order;
  for (const char* charset : {"ISO-8859-1", "CP1252", "UTF-8"}) {
    SCOPED_TRACE(charset);
    QByteArray bytes = EncodeLegacy(text, charset);
    if (QByteArray(charset) == "UTF-8") bytes.prepend("\xEF\xBB\xBF");
    Playlist playlist(order);
    ASSERT_EQ(CueSheet::AddToPlaylist(playlist, Write("old.cue", bytes)), 2);
    EXPECT_EQ(playlist.GetTitle(0), "Mötley Crüe" + kDash + "Déjà vu");
    EXPECT_EQ(playlist.GetTitle(1), "Mötley Crüe" + kDash + "Señorita à la carte");
    EXPECT_EQ(playlist.GetPath(1), dir_.filePath("Café.flac") + "#t=30");
    EXPECT_EQ(playlist.GetLengthText(0), "30");
  }
}

TEST_F(CueSheetTest, ALegacySheetFindsAnAudioFileNamedInItsBytes) {
  // Copied from an old system: the file's name is in Latin-1 bytes, as in the sheet.
  const QByteArray name = QFile::encodeName(dir_.path()) + "/Caf\xE9.flac";
  const int fd = ::open(name.constData(), O_CREAT | O_WRONLY, 0644);
  ASSERT_GE(fd, 0);
  ::close(fd);
  PlayOrder order;
  Playlist playlist(order);
  ASSERT_EQ(CueSheet::AddToPlaylist(playlist, Write("old.cue", "FILE \"Caf\xE9.flac\" WAVE\r\nTRACK 01 AUDIO\r\n"
                                                               "TITLE \"Th\xE9\"\r\nINDEX 01 00:00:00\r\n")),
            1);
  EXPECT_EQ(playlist.GetTitle(0), "Th\u00E9");
  EXPECT_EQ(playlist.GetPath(0), Platform::PathFromBytes(name) + "#t=0");
  // Such a path goes to a list as a "file:" URI, and comes back whole.
  ASSERT_TRUE(SavePlaylist(playlist, dir_.filePath("raw.m3u")));
  Playlist again(order);
  ASSERT_TRUE(LoadPlaylist(again, dir_.filePath("raw.m3u")));
  ASSERT_EQ(again.GetCount(), 1);
  EXPECT_EQ(again.GetPath(0), playlist.GetPath(0));
}

TEST_F(CueSheetTest, RowsSurviveTheOwnListAndAnOpenedOne) {
  Write("a b#1.flac", "x");
  const QString sheet = Write("rows.cue",
                              "PERFORMER P\nFILE \"a b#1.flac\" WAVE\nTRACK 01 AUDIO\nTITLE One\nINDEX 01 00:00:00\n"
                              "TRACK 02 AUDIO\nTITLE Two\nINDEX 01 00:01:01\n");
  PlayOrder order;
  Playlist playlist(order);
  ASSERT_TRUE(AddListFile(playlist, sheet));
  ASSERT_EQ(playlist.GetCount(), 2);
  EXPECT_EQ(playlist.GetPath(0), dir_.filePath("a b#1.flac") + "#t=0,1.013333");
  const QString saved = dir_.filePath("saved.m3u");
  ASSERT_TRUE(SavePlaylist(playlist, saved));
  for (ListOrigin origin : {ListOrigin::Own, ListOrigin::Opened}) {
    Playlist again(order);
    ASSERT_TRUE(LoadPlaylist(again, saved, nullptr, origin));
    ASSERT_EQ(again.GetCount(), 2);
    for (int row = 0; row < 2; ++row) {
      EXPECT_EQ(again.GetPath(row), playlist.GetPath(row));
      EXPECT_EQ(again.GetTitle(row), playlist.GetTitle(row));
      EXPECT_EQ(again.GetLengthText(row), playlist.GetLengthText(row));
    }
  }
}

TEST_F(CueSheetTest, TracksAreDeadOnlyWithTheirAudioFile) {
  Write("kept.flac", "x");
  const QString gone = Write("gone.flac", "x");
  const QString sheet = Write("two.cue", "FILE kept.flac WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n"
                                         "FILE gone.flac WAVE\nTRACK 02 AUDIO\nINDEX 01 00:00:00\n");
  PlayOrder order;
  Playlist playlist(order);
  ASSERT_EQ(CueSheet::AddToPlaylist(playlist, sheet), 2);
  QFile::remove(gone);
  EXPECT_EQ(ListCommands::RemoveDeadFiles(playlist), 1);
  ASSERT_EQ(playlist.GetCount(), 1);
  EXPECT_EQ(playlist.GetPath(0), dir_.filePath("kept.flac") + "#t=0");
}

TEST_F(CueSheetTest, SpanPathsAndSheetNames) {
  EXPECT_EQ(CueSheet::FileOfPath("/m/a.flac#t=1.5,20"), "/m/a.flac");
  EXPECT_EQ(CueSheet::FileOfPath("/m/a#t=1/b.flac#t=0"), "/m/a#t=1/b.flac");
  for (const char* whole : {"/m/a.flac", "/m/a.flac#t=1,x", "/m/a.flac#t=", "#t=1", "http://h/a.mp3#t=1"})
    EXPECT_EQ(CueSheet::FileOfPath(whole), whole);
  EXPECT_EQ(CueSheet::SpanPath("/m/a.flac", 0, 2.4), "/m/a.flac#t=0,2.4");
  EXPECT_EQ(CueSheet::SpanPath("/m/a.flac", 1.0 / 75, -1), "/m/a.flac#t=0.013333");
  EXPECT_TRUE(CueSheet::IsCueSheet("/m/Album.CUE"));
  EXPECT_TRUE(IsListFile("/m/album.cue"));
  EXPECT_FALSE(CueSheet::IsCueSheet("/m/album.cue/a.flac"));
  EXPECT_FALSE(CueSheet::IsCueSheet("/m.cue/album"));
}
}  // namespace
