#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/FileNames.h"
#include "playlist/AddCommands.h"
#include "playlist/AddFolder.h"
#include "playlist/OpenFolderDialog.h"
#include "playlist/PlayOrder.h"
#include "playlist/Playlist.h"
#include "settings/SettingsFile.h"

namespace {
const QString kSection = QStringLiteral("tarnello");

QStringList Paths(const Playlist& playlist) {
  QStringList paths;
  for (int i = 0; i < playlist.GetCount(); ++i) paths << playlist.GetPath(i);
  return paths;
}

struct FolderWalk : ::testing::Test {
  QTemporaryDir temp;
  QString dir = temp.path();
  PlayOrder order;
  Playlist playlist{order};

  void Touch(const QString& relative) {
    const QString path = dir + '/' + relative;
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  void MakeFolder(const QString& relative) { ASSERT_TRUE(QDir().mkpath(dir + '/' + relative)); }
  void Link(const QString& target, const QString& relative) {
    ASSERT_TRUE(QFile::link(target, dir + '/' + relative));
  }
  QString At(const QString& relative) const { return dir + '/' + relative; }
};
}  // namespace

TEST(MatchesPattern, ComparesFromTheLastDotWithoutRegardToCase) {
  EXPECT_TRUE(MatchesPattern("SONG.MP3", "*.mp3"));
  EXPECT_TRUE(MatchesPattern("live.2001.mp3", "*.Mp3"));
  EXPECT_FALSE(MatchesPattern("song.mp3.txt", "*.mp3"));
  EXPECT_FALSE(MatchesPattern("mp3", "*.mp3"));  // no dot: compared whole
  EXPECT_FALSE(MatchesPattern("song.mp", "*.mp3"));
}

TEST_F(FolderWalk, AddsAMatchingFileOncePerPatternItMatches) {
  Touch("SONG.MP3");
  Touch("notes.txt");
  const QString sameTwice = QStringLiteral("All|*.mp3;*.wma;|MP3 files|*.mp3|");
  EXPECT_EQ(AddFolderFiles(playlist, dir, OpenFilter(sameTwice).DistinctPatterns(), false), 1);
  ASSERT_EQ(Paths(playlist), QStringList({At("SONG.MP3")}));
  EXPECT_EQ(playlist.GetTitle(0), "SONG.MP3");
  EXPECT_EQ(playlist.GetLengthText(0), "");
  EXPECT_EQ(order.GetItemCount(), 1);

  playlist.ClearPlaylist();
  const QString bothCases = QStringLiteral("A|*.mp3|B|*.MP3|");
  EXPECT_EQ(AddFolderFiles(playlist, dir, OpenFilter(bothCases).DistinctPatterns(), false), 2);
  EXPECT_EQ(Paths(playlist), QStringList({At("SONG.MP3"), At("SONG.MP3")}));
}

TEST_F(FolderWalk, SubfoldersAreEnteredWhereTheListingMeetsThemOnlyWithRecurse) {
  Touch("a.mp3");
  Touch("b/c.mp3");
  Touch("b/d/e.mp3");
  Touch("b/z.mp3");
  Touch("f.mp3");
  MakeFolder("empty");
  const QStringList patterns{"*.mp3"};

  AddFolderFiles(playlist, dir, patterns, true);
  EXPECT_EQ(Paths(playlist), QStringList({At("a.mp3"), At("b/c.mp3"), At("b/d/e.mp3"), At("b/z.mp3"), At("f.mp3")}));

  playlist.ClearPlaylist();
  AddFolderFiles(playlist, dir + "/", patterns, false);
  EXPECT_EQ(Paths(playlist), QStringList({At("a.mp3"), At("f.mp3")}));
}

TEST_F(FolderWalk, SymbolicLinkCyclesEndAndEveryFolderIsWalkedOnce) {
  Touch("sub/x.mp3");
  Touch("top.mp3");
  Link("..", "sub/up");     // back to the folder being walked
  Link(".", "sub/self");    // the folder itself
  Link(At("sub"), "twin");  // a second name of a folder walked already
  Link("missing", "sub/dangling.mp3");

  AddFolderFiles(playlist, dir, {"*.mp3"}, true);
  // The dangling link is a file entry like any other and matches by name.
  EXPECT_EQ(Paths(playlist), QStringList({At("sub/dangling.mp3"), At("sub/x.mp3"), At("top.mp3")}));
}

TEST_F(FolderWalk, ACueSheetBringsItsTracksWhereTheListingMeetsIt) {
  Touch("album.flac");
  Touch("extra.mp3");
  {
    QFile sheet(At("album.cue"));
    ASSERT_TRUE(sheet.open(QIODevice::WriteOnly));
    sheet.write("FILE \"album.flac\" WAVE\nTRACK 01 AUDIO\nTITLE One\nINDEX 01 00:00:00\n"
                "TRACK 02 AUDIO\nTITLE Two\nINDEX 01 00:10:00\n");
  }
  Touch("lost.cue");
  // Also without a pattern for sheets; the audio file it cuts is still a file of the folder.
  EXPECT_EQ(AddFolderFiles(playlist, dir, {"*.flac", "*.mp3"}, false), 4);
  EXPECT_EQ(Paths(playlist), QStringList({At("album.cue").chopped(4) + ".flac#t=0,10", At("album.flac") + "#t=10",
                                          At("album.flac"), At("extra.mp3")}));
  EXPECT_EQ(playlist.GetTitle(1), "Two");
  EXPECT_EQ(order.GetItemCount(), 4);
}

TEST_F(FolderWalk, AFolderThatCannotBeReadAddsNothing) {
  EXPECT_EQ(AddFolderFiles(playlist, At("missing"), {"*.mp3"}, true), 0);
  EXPECT_EQ(playlist.GetCount(), 0);
}

TEST_F(FolderWalk, AddFolderCommandUsesAndKeepsTheStoredFolderAndRecurseState) {
  Touch("one.mp3");
  Touch("deeper/two.mp3");
  SettingsFile settings;
  QString offeredFolder;
  int offeredRecurse = -1;
  bool confirm = true;
  SetFolderChooser([&](QWidget*, QString& folder, int& recurse) {
    offeredFolder = folder;
    offeredRecurse = recurse;
    folder = dir;
    recurse = 1;
    return confirm;
  });

  // Cancel writes nothing.
  confirm = false;
  AddFolderCommand(nullptr, playlist, settings, OpenFilter("MP3|*.mp3|"));
  EXPECT_EQ(offeredFolder, QDir::homePath());
  EXPECT_EQ(offeredRecurse, 0);
  EXPECT_EQ(settings.CountKeys(kSection), -1);
  EXPECT_EQ(playlist.GetCount(), 0);

  confirm = true;
  AddFolderCommand(nullptr, playlist, settings, OpenFilter("MP3|*.mp3|"));
  EXPECT_EQ(Paths(playlist), QStringList({At("deeper/two.mp3"), At("one.mp3")}));
  QString value;
  settings.GetString(kSection, "RecurseSubDir", "", value);
  EXPECT_EQ(value, "1");
  settings.GetString(kSection, "LatestOpenDir", "", value);
  EXPECT_EQ(value, dir);

  AddFolderCommand(nullptr, playlist, settings, OpenFilter("MP3|*.mp3|"));
  EXPECT_EQ(offeredFolder, dir);
  EXPECT_EQ(offeredRecurse, 1);
  SetFolderChooser(nullptr);
}

TEST_F(FolderWalk, TheRootIsStoredAsTheEmptyFolder) {
  SettingsFile settings;
  SetFolderChooser([](QWidget*, QString& folder, int& recurse) {
    folder = QString();  // the root, even as a null text
    recurse = 0;
    return true;
  });
  AddFolderCommand(nullptr, playlist, settings, OpenFilter("None|*.no-such-extension-here|"));
  SetFolderChooser(nullptr);
  EXPECT_EQ(playlist.GetCount(), 0);
  QString value = "unset";
  EXPECT_EQ(settings.GetString(kSection, "LatestOpenDir", "unset", value), 1);
  EXPECT_EQ(value, "");
}

TEST_F(FolderWalk, NamesThatAreNotUtf8KeepTheirBytes) {
  // A folder and a file named in a legacy code page, as old disks have them.
  const QByteArray folder = QFile::encodeName(dir) + "/Caf\xE9";
  ASSERT_EQ(::mkdir(folder.constData(), 0700), 0);
  const QByteArray file = folder + "/\xE0 la carte.mp3";
  ::close(::open(file.constData(), O_WRONLY | O_CREAT, 0600));
  EXPECT_EQ(AddFolderFiles(playlist, dir, {"*.mp3"}, true), 1);
  ASSERT_EQ(playlist.GetCount(), 1);
  EXPECT_EQ(Platform::PathToBytes(playlist.GetPath(0)), file);
  EXPECT_EQ(playlist.GetTitle(0), QString::fromLatin1("\xE0 la carte.mp3"));
}
