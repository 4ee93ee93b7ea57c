#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "PlaylistTestSupport.h"
#include "playlist/PlayOrder.h"
#include "playlist/PlaylistSession.h"
#include "settings/SettingsFile.h"

namespace {
// A program folder of its own with a three-row default playlist.
struct Session : ::testing::Test {
  QTemporaryDir dir;
  PlayOrder order;
  CommandRecorder main;
  PlaylistSession session{order, main.GetHandle()};
  SettingsFile settings;

  void SetUp() override {
    qputenv("TARNELLO_HOME", dir.path().toUtf8());
    QFile file(dir.filePath("tarnello.m3u"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#EXTM3U\n#EXTINF:1,a\n/a.mp3\n#EXTINF:2,b\n/b.mp3\n#EXTINF:3,c\n/c.mp3\n");
  }
  void TearDown() override { qunsetenv("TARNELLO_HOME"); }
  void SetResume(const QString& value) { settings.WriteString("tarnello", "Resume", value); }
  QByteArray SavedList() {
    QFile file(dir.filePath("tarnello.m3u"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
  }
};
}  // namespace

TEST_F(Session, DefaultPlaylistAndResumeRow) {
  SetResume("2");
  session.Load("", settings);
  EXPECT_EQ(Titles(session.GetPlaylist()), QStringList({"a", "b", "c"}));
  EXPECT_EQ(session.GetPlaylist().GetCurrentRow(), 2);
  EXPECT_EQ(order.GetCurrent(), 2);
  EXPECT_EQ(order.GetItemCount(), 3);
  EXPECT_TRUE(main.commands.empty());  // nothing starts or stops here
}

TEST_F(Session, ResumeOutsideTheRowsMeansNoCurrentRow) {
  for (const char* value : {"3", "-5", "junk"}) {
    PlayOrder fresh;
    PlaylistSession s(fresh, nullptr);
    SetResume(value);
    s.Load("", settings);
    EXPECT_EQ(s.GetPlaylist().GetCurrentRow(), value == QString("junk") ? 0 : -1) << value;
    EXPECT_EQ(fresh.GetCurrent(), value == QString("junk") ? 0 : -1) << value;
  }
}

TEST_F(Session, CommandLineBecomesTheOnlyRowAndReplacesTheDefaultList) {
  SetResume("0");
  session.Load("/music/My Song.mp3 -x \"quoted\"", settings);
  ASSERT_EQ(session.GetPlaylist().GetCount(), 1);
  EXPECT_EQ(session.GetPlaylist().GetPath(0), "/music/My Song.mp3 -x \"quoted\"");
  EXPECT_EQ(session.GetPlaylist().GetTitle(0), "My Song.mp3 -x \"quoted\"");
  EXPECT_EQ(session.GetPlaylist().GetCurrentRow(), 0);
  ASSERT_TRUE(session.Save(settings));
  EXPECT_EQ(SavedList(), "#EXTM3U\n#EXTINF:-1,My Song.mp3 -x \"quoted\"\n/music/My Song.mp3 -x \"quoted\"\n");
}

TEST_F(Session, ACueSheetOnTheCommandLineBringsItsTracksOrItselfWhenUnreadable) {
  QFile(dir.filePath("disc.wav")).open(QIODevice::WriteOnly);
  QFile sheet(dir.filePath("disc.cue"));
  ASSERT_TRUE(sheet.open(QIODevice::WriteOnly));
  sheet.write("FILE disc.wav WAVE\nTRACK 01 AUDIO\nTITLE a\nINDEX 01 00:00:00\n"
              "TRACK 02 AUDIO\nTITLE b\nINDEX 01 01:00:00\n");
  sheet.close();
  session.Load(sheet.fileName(), settings);
  EXPECT_EQ(Titles(session.GetPlaylist()), QStringList({"a", "b"}));
  EXPECT_EQ(session.GetPlaylist().GetPath(1), dir.filePath("disc.wav") + "#t=60");

  // A sheet that cannot be read at all stays one row, as any other file named there.
  PlayOrder fresh;
  PlaylistSession other(fresh, nullptr);
  other.Load(dir.filePath("absent.cue"), settings);
  ASSERT_EQ(other.GetPlaylist().GetCount(), 1);
  EXPECT_EQ(other.GetPlaylist().GetPath(0), dir.filePath("absent.cue"));
}

TEST_F(Session, SaveWritesResumeThenTheList) {
  session.Load("", settings);
  order.SetCurrent(1);  // as the player marks a row it plays
  session.GetPlaylist().SetCurrentRow(1);
  session.GetPlaylist().SelectRow(0);
  session.GetPlaylist().RemoveSelected();
  ASSERT_TRUE(session.Save(settings));
  QString resume;
  ASSERT_TRUE(settings.GetString("tarnello", "Resume", "", resume));
  EXPECT_EQ(resume, "0");  // b moved up to row 0
  EXPECT_EQ(SavedList(), "#EXTM3U\n#EXTINF:2,b\n/b.mp3\n#EXTINF:3,c\n/c.mp3\n");
  session.GetPlaylist().ClearPlaylist();
  session.Save(settings);
  settings.GetString("tarnello", "Resume", "", resume);
  EXPECT_EQ(resume, "-1");
  EXPECT_EQ(SavedList(), "#EXTM3U\n");
}
