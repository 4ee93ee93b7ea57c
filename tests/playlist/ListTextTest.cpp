// Lists as people have them (no header, relative paths, "file:" URIs, UTF-16,
// BOMs, CRLF), texts that must never break a line of the saved list, paths that
// are not UTF-8, and state files that are no regular files.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QStringDecoder>
#include <sys/stat.h>

#include "PlaylistTestSupport.h"
#include "playlist/PlayOrder.h"
#include "playlist/PlaylistFile.h"
#include "playlist/PlaylistSession.h"
#include "playlist/PlaylistStorage.h"
#include "playlist/PlsFile.h"
#include "playlist/RowText.h"
#include "settings/SettingsFile.h"
#include "support/RecordingMessageBoxes.h"

namespace {
struct Lists : ::testing::Test {
  QTemporaryDir dir;
  PlayOrder order;
  Playlist playlist{order};
  RecordingMessageBoxes boxes;

  QString Write(const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
  }
  QStringList Paths() const {
    QStringList paths;
    for (int i = 0; i < playlist.GetCount(); ++i) paths << playlist.GetPath(i);
    return paths;
  }
  QString At(const QString& name) const { return dir.path() + '/' + name; }
};

QByteArray Utf16(const QString& text, bool bigEndian) {
  QStringEncoder encoder(bigEndian ? QStringConverter::Utf16BE : QStringConverter::Utf16LE,
                         QStringConverter::Flag::WriteBom);
  return encoder.encode(text);
}
}  // namespace

TEST_F(Lists, AnOpenedListWithoutHeaderIsOnePathALineInEveryLineEnding) {
  for (const QByteArray& bytes :
       {QByteArray("# made by a tool\nsub/a.mp3\n../b.mp3\n\n   \n/abs/c.mp3\nhttp://radio/live\n"),
        QByteArray("\xEF\xBB\xBFsub/a.mp3\r\n../b.mp3\r\n#EXTINF:5,skipped comment\r\n/abs/c.mp3\r\nhttp://radio/live\r\n")}) {
    playlist.ClearPlaylist();
    const QString list = Write("mix.m3u", bytes);
    ASSERT_TRUE(AddListFile(playlist, list));
    const QString parent = QFileInfo(dir.path()).absolutePath();
    EXPECT_EQ(Paths(), QStringList({At("sub/a.mp3"), parent + "/b.mp3", "/abs/c.mp3", "http://radio/live"}));
    EXPECT_EQ(Titles(playlist), QStringList({"a.mp3", "b.mp3", "c.mp3", "live"}));
    EXPECT_EQ(playlist.GetLengthText(0), "");
  }
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(Lists, AnOpenedListWithHeaderKeepsItsReadingAndGetsLocalPaths) {
  const QString list = Write("with.M3U8",
                             "\xEF\xBB\xBFignored.mp3\r\n#EXTM3U\r\n#EXTINF:12,One\r\nsub/one.mp3\r\n"
                             "#EXTINF:-1,Two\r\nfile:///music/two%20%C3%A9.mp3\r\n#EXTINF:3,Three\r\n");
  ASSERT_TRUE(AddListFile(playlist, list));
  EXPECT_EQ(Paths(), QStringList({At("sub/one.mp3"), QString::fromUtf8("/music/two é.mp3"), ""}));
  EXPECT_EQ(Titles(playlist), QStringList({"One", "Two", "Three"}));
  EXPECT_EQ(playlist.GetLengthText(0), "12");

  // The player's own list is read as written: relative paths and URIs stay.
  PlaylistFile own;
  ASSERT_TRUE(own.ReadM3u(Write("tarnello.m3u", "#EXTM3U\nsub/one.mp3\nfile:///x.mp3\n")));
  ASSERT_EQ(own.entries.size(), 2u);
  EXPECT_EQ(own.entries[0].path, "sub/one.mp3");
  EXPECT_EQ(own.entries[1].path, "file:///x.mp3");
  // Without its header it has no entries.
  ASSERT_TRUE(own.ReadM3u(Write("tarnello.m3u", "/a.mp3\n/b.mp3\n")));
  EXPECT_TRUE(own.entries.empty());
}

TEST_F(Lists, AnOpenedPlsListGetsLocalPathsWhileADownloadedOneStaysAsWritten) {
  const QByteArray pls = "[playlist]\nNumberOfEntries=3\nFile1=sub/a.mp3\nFile2=file:///b%20b.mp3\nFile3=http://r/x\n";
  ASSERT_TRUE(AddListFile(playlist, Write("radio.PLS", pls)));
  EXPECT_EQ(Paths(), QStringList({At("sub/a.mp3"), "/b b.mp3", "http://r/x"}));
  playlist.ClearPlaylist();
  ASSERT_TRUE(ReadPls(playlist, Write("temp.pls", pls)));
  EXPECT_EQ(Paths(), QStringList({"sub/a.mp3", "file:///b%20b.mp3", "http://r/x"}));
}

TEST_F(Lists, Utf16ListsWithAByteOrderMarkAreRead) {
  const QString text = QString::fromUtf8("#EXTM3U\r\n#EXTINF:7,Überall 𝄞\r\n/music/ü.mp3\r\n");
  for (bool bigEndian : {false, true}) {
    PlaylistFile file;
    ASSERT_TRUE(file.ReadM3u(Write("tarnello.m3u", Utf16(text, bigEndian))));
    ASSERT_EQ(file.entries.size(), 1u) << bigEndian;
    EXPECT_EQ(file.entries[0].title, QString::fromUtf8("Überall 𝄞"));
    EXPECT_EQ(file.entries[0].path, QString::fromUtf8("/music/ü.mp3"));
    EXPECT_TRUE(file.readWhole);
  }
}

TEST_F(Lists, NoTextCanAddLinesToTheSavedList) {
  // A tag title carrying a whole entry, a file name with line breaks, a path
  // that looks like a directive, and one that is not UTF-8.
  const QString rawPath = PathFromBytes("/music/caf\xE9\x01.mp3");
  ASSERT_TRUE(HasRawBytes(rawPath));
  EXPECT_EQ(PathToBytes(rawPath), QByteArray("/music/caf\xE9\x01.mp3"));
  // A byte-order mark in a name is part of it, also where a run of UTF-8 starts.
  for (const QByteArray& bytes : {QByteArray("\xEF\xBB\xBF" "a.mp3"), QByteArray("/m/\xE9\xEF\xBB\xBF\x9F\x94.mp3")})
    EXPECT_EQ(PathToBytes(PathFromBytes(bytes)), bytes);
  const QString bomPath = QString(QChar(0xFEFF)) + "/music/bom.mp3";
  const QStringList paths{"/a\n#EXTINF:1,injected\n/etc/passwd", "rel\r\nx.mp3", "#EXTM3U.mp3",
                          "/m/#EXTINF:2,x.mp3", rawPath, "file:///lit%0Aeral.mp3", bomPath, ""};
  for (const QString& path : paths) playlist.AddEntry(3, "x\n#EXTINF:1,injected\t/some/other/file\x7f", path);
  playlist.SetTitle(1, "tag\r\ntitle");
  EXPECT_EQ(playlist.GetTitle(0), "x #EXTINF:1,injected /some/other/file ");
  EXPECT_EQ(playlist.GetDisplayText(1), "2. tag  title");

  const QString saved = At("tarnello.m3u");
  ASSERT_TRUE(SavePlaylist(playlist, saved));
  QFile file(saved);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll().count('\n'), 1 + 2 * paths.size());
  PlaylistFile back;
  ASSERT_TRUE(back.ReadM3u(saved));
  ASSERT_EQ(back.entries.size(), size_t(paths.size()));
  for (int i = 0; i < paths.size(); ++i) {
    EXPECT_EQ(back.entries[size_t(i)].path, paths[i]) << i;
    EXPECT_EQ(back.entries[size_t(i)].title, playlist.GetTitle(i)) << i;
  }
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(Lists, ManyMalformedInfoLinesShowOneBoxPerRead) {
  QByteArray bytes = "#EXTM3U\n";
  for (int i = 0; i < 1000; ++i) bytes += "#EXTINF:no comma\n/x.mp3\n";
  const QString list = Write("bad.m3u", bytes);
  PlaylistFile file;
  ASSERT_TRUE(file.ReadM3u(list));
  EXPECT_EQ(file.entries.size(), 1000u);  // each bare path an entry of its own
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, "M3U syntax error!");
  ASSERT_TRUE(file.ReadM3u(list));
  EXPECT_EQ(boxes.boxes.size(), 2u);
}

TEST_F(Lists, SpecialFilesAreRefusedAtOnce) {
  const QString fifo = At("fifo");
  ASSERT_EQ(mkfifo(fifo.toUtf8().constData(), 0600), 0);
  const QString zero = At("zero.m3u");
  ASSERT_TRUE(QFile::link("/dev/zero", zero));
  QElapsedTimer timer;
  timer.start();
  for (const QString& path : {fifo, zero, dir.path()}) {
    PlaylistFile file;
    EXPECT_FALSE(file.ReadM3u(path)) << path.toStdString();
    EXPECT_FALSE(file.readWhole) << path.toStdString();
    SettingsFile settings;
    EXPECT_EQ(settings.LoadFromFile(path), 0) << path.toStdString();
  }
  PlaylistFile missing;
  EXPECT_FALSE(missing.ReadM3u(At("none.m3u")));
  EXPECT_TRUE(missing.readWhole);
  EXPECT_LT(timer.elapsed(), 5000);
}

namespace {
struct UnreadList : Lists {
  CommandRecorder main;
  SettingsFile settings;
  void SetUp() override { qputenv("TARNELLO_HOME", dir.path().toUtf8()); }
  void TearDown() override { qunsetenv("TARNELLO_HOME"); }
};
}  // namespace

TEST_F(UnreadList, AListBeyondTheBoundsIsToldAndKeptWhenTheRowsAreSaved) {
  QByteArray bytes = "#EXTM3U\n";
  for (size_t i = 0; i <= PlaylistFile::kMaxEntries; ++i) bytes += "#EXTINF:1,t\n/m/" + QByteArray::number(qulonglong(i)) + "\n";
  Write("tarnello.m3u", bytes);
  {
    PlayOrder fresh;
    PlaylistSession session(fresh, main.GetHandle());
    session.Load("", settings);
    EXPECT_EQ(session.GetPlaylist().GetCount(), int(PlaylistFile::kMaxEntries));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_TRUE(boxes.boxes[0].text.contains("tarnello.m3u.bak")) << boxes.boxes[0].text.toStdString();
    ASSERT_TRUE(session.Save(settings));
  }
  QFile kept(At("tarnello.m3u.bak"));
  ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
  EXPECT_EQ(kept.readAll(), bytes);
  EXPECT_LT(QFileInfo(At("tarnello.m3u")).size(), bytes.size());

  // A list that reads whole is saved over as before, with no word.
  PlayOrder again;
  PlaylistSession second(again, main.GetHandle());
  second.Load("", settings);
  ASSERT_TRUE(second.Save(settings));
  EXPECT_EQ(boxes.boxes.size(), 1u);
  EXPECT_FALSE(QFile::exists(At("tarnello.m3u.bak2")));
}

TEST_F(UnreadList, ALinkToADeviceIsPutAsideNotFollowed) {
  ASSERT_TRUE(QFile::link("/dev/zero", At("tarnello.m3u")));
  Write("tarnello.m3u.bak", "older");
  PlaylistSession session(order, main.GetHandle());
  session.Load("", settings);
  EXPECT_EQ(session.GetPlaylist().GetCount(), 0);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  session.GetPlaylist().AddFile("/m/new.mp3");
  ASSERT_TRUE(session.Save(settings));
  EXPECT_TRUE(QFileInfo(At("tarnello.m3u.bak2")).isSymLink());
  EXPECT_FALSE(QFileInfo(At("tarnello.m3u")).isSymLink());
  QFile older(At("tarnello.m3u.bak"));
  ASSERT_TRUE(older.open(QIODevice::ReadOnly));
  EXPECT_EQ(older.readAll(), "older");
}

TEST_F(Lists, ALineThatIsNotUtf8NamesTheFileThatExists) {
  // One file named in a legacy code page, one whose name was converted to UTF-8.
  const QByteArray folder = QFile::encodeName(dir.path());
  for (const QByteArray& name : {QByteArray("/caf\xE9.mp3"), QByteArray("/na\xC3\xAFve.mp3")}) {
    FILE* f = fopen((folder + name).constData(), "w");
    ASSERT_NE(f, nullptr);
    fclose(f);
  }
  const QString list = Write("legacy.m3u", "caf\xE9.mp3\nna\xEFve.mp3\n");
  ASSERT_TRUE(AddListFile(playlist, list));
  ASSERT_EQ(playlist.GetCount(), 2);
  EXPECT_EQ(PathToBytes(playlist.GetPath(0)), folder + "/caf\xE9.mp3");
  EXPECT_EQ(playlist.GetPath(1), At(QString::fromUtf8("na\xC3\xAFve.mp3")));
  EXPECT_EQ(Titles(playlist), QStringList({QString::fromLatin1("caf\xE9.mp3"), QString::fromUtf8("na\xC3\xAFve.mp3")}));
}
