#include <algorithm>
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "app/MainWindow.h"
#include "app/PlayerApp.h"
#include "playlist/PlayOrder.h"
#include "support/RecordingMessageBoxes.h"

namespace {
// The whole player started on a program folder of its own and closed again.
struct PlayerRun : ::testing::Test {
  QTemporaryDir home;
  RecordingMessageBoxes boxes;

  void SetUp() override { qputenv("TARNELLO_HOME", home.path().toUtf8()); }
  void TearDown() override { qunsetenv("TARNELLO_HOME"); }
  void WriteFile(const QString& name, const QByteArray& bytes) {
    QFile file(home.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  }
  QByteArray ReadFile(const QString& name) {
    QFile file(home.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    return file.readAll();
  }
  static void Close(PlayerApp& app) {
    app.GetMainWindow()->Close();
    app.ExitInstance();
  }
};
}  // namespace

TEST_F(PlayerRun, DefaultPlaylistIsResumedAndWrittenBack) {
  WriteFile("tarnello.m3u", "#EXTM3U\n#EXTINF:1,a\n/a.mp3\n#EXTINF:2,b\n/b.mp3\n");
  WriteFile("tarnello.txt", "[tarnello]\nShuffle=1\nRepeat=1\nResume=1\n");
  {
    PlayerApp app;
    ASSERT_TRUE(app.InitInstance({}));
    PlayOrder* order = ThePlayOrder();
    ASSERT_NE(order, nullptr);
    EXPECT_EQ(order->GetItemCount(), 2);
    EXPECT_EQ(order->GetCurrent(), 1);
    EXPECT_TRUE(order->GetShuffle());
    EXPECT_TRUE(order->GetRepeat());
    Close(app);
    EXPECT_EQ(ThePlayOrder(), nullptr);
  }
  EXPECT_EQ(ReadFile("tarnello.m3u"), "#EXTM3U\n#EXTINF:1,a\n/a.mp3\n#EXTINF:2,b\n/b.mp3\n");
  EXPECT_TRUE(ReadFile("tarnello.txt").contains("Resume=1\n"));
}

TEST_F(PlayerRun, CommandLineReplacesTheDefaultPlaylist) {
  WriteFile("tarnello.m3u", "#EXTM3U\n#EXTINF:1,a\n/a.mp3\n");
  PlayerApp app;
  ASSERT_TRUE(app.InitInstance({"/music/two", "words.mp3"}));
  EXPECT_EQ(ThePlayOrder()->GetItemCount(), 1);
  Close(app);
  EXPECT_EQ(ReadFile("tarnello.m3u"), "#EXTM3U\n#EXTINF:-1,two words.mp3\n/music/two words.mp3\n");
  // No "tarnello.txt" at start: reported once; at exit the playlist's key is
  // written before the main window's.
  EXPECT_EQ(1, std::count_if(boxes.boxes.begin(), boxes.boxes.end(),
                             [](const auto& box) { return box.text == "Option read fail!"; }));
  const QByteArray options = ReadFile("tarnello.txt");
  ASSERT_TRUE(options.contains("Resume=-1\n"));
  EXPECT_LT(options.indexOf("Resume="), options.indexOf("Main_x="));
}
