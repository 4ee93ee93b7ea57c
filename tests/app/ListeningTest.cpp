// The whole player while it plays with the test plug-in: the J key and the menus
// open the jump dialog, whose choice plays like a double-click; the session is
// kept awake while a track is heard and let go at pause, stop and exit.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "SkinControlTestSupport.h"
#include "app/MainWindow.h"
#include "app/PopupMenu.h"
#include "platform/SleepInhibit.h"
#include "playlist/JumpDialog.h"
#include "playlist/PlayOrder.h"
#include "playlist/Playlist.h"
#include "playlist/PlaylistMenus.h"
#include "support/RecordingMessageBoxes.h"
#include "tests/support/QuietPowerServices.h"


namespace {

// Counts what is taken and let go; fails the test if a second one is taken.
class RecordingSleep : public SleepInhibitService {
 public:
  void SetInhibited(bool inhibited) override {
    if (inhibited == held) return;
    held = inhibited;
    changes.push_back(inhibited);
  }
  bool IsInhibited() const override { return held; }
  bool held = false;
  std::vector<bool> changes;
};

class ListeningTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home_.isValid());
    qputenv("TARNELLO_HOME", home_.path().toUtf8());
    const QString skin = SkinTest::TestSkinFolder();
    QDir().mkpath(home_.path() + "/Skins/Temporary");
    for (const QString& name : QDir(skin).entryList(QDir::Files))
      QFile::copy(skin + "/" + name, home_.path() + "/Skins/Temporary/" + name);
    QDir().mkpath(home_.path() + "/Plugins");
    ASSERT_TRUE(QFile::copy(TARNELLO_TEST_PLUGIN, home_.path() + "/Plugins/TestPlugin.so"));
    PublishPlayOrder(&order_);
    SetSleepInhibitService(&sleep_);
  }
  void TearDown() override {
    if (JumpDialog* open = JumpDialog::Current()) delete open;
    window_.reset();
    PublishPlayOrder(nullptr);
    InstallQuietPowerServices();
    qunsetenv("TARNELLO_HOME");
  }

  // A saved list of tracks the test plug-in plays (a minute each).
  MainWindow& Start(const QStringList& titles) {
    QDir().mkpath(home_.path() + "/music");
    QByteArray list = "#EXTM3U\n";
    for (const QString& title : titles) {
      const QString path = home_.path() + "/music/" + title + ".tst";
      QFile(path).open(QIODevice::WriteOnly);
      list += "#EXTINF:60," + title.toUtf8() + "\n" + path.toUtf8() + "\n";
    }
    QFile m3u(home_.path() + "/tarnello.m3u");
    EXPECT_TRUE(m3u.open(QIODevice::WriteOnly));
    m3u.write(list);
    m3u.close();
    window_ = std::make_unique<MainWindow>();
    EXPECT_TRUE(window_->Create("Tarnello"));
    window_->Show();
    QCoreApplication::processEvents();
    return *window_;
  }

  static JumpDialog* PressJ(Window& window) {
    QApplication::setActiveWindow(window.Widget()->window());
    QTest::keyClick(window.Widget(), Qt::Key_J);
    return JumpDialog::Current();
  }

  QTemporaryDir home_;
  PlayOrder order_{0};
  RecordingMessageBoxes boxes_;
  RecordingSleep sleep_;
  std::unique_ptr<MainWindow> window_;
};

TEST_F(ListeningTest, JInEveryPlayerWindowOpensTheDialogAndItsChoicePlays) {
  MainWindow& w = Start({"Kino - Gruppa krovi", "Beyoncé - Halo", "DDT - Osen"});
  for (Window* window : {static_cast<Window*>(&w), static_cast<Window*>(&w.Equalizer()),
                         static_cast<Window*>(&w.PlaylistEditor())}) {
    JumpDialog* dialog = PressJ(*window);
    ASSERT_NE(dialog, nullptr) << window->GetId();
    delete dialog;
  }
  // The menu entries open it as well.
  w.SendCommand(CMD_JUMP_TO_FILE);
  ASSERT_NE(JumpDialog::Current(), nullptr);
  delete JumpDialog::Current();
  w.PlaylistEditor().SendCommand(kJumpToFileCommand);
  JumpDialog* dialog = JumpDialog::Current();
  ASSERT_NE(dialog, nullptr);

  QTest::keyClicks(dialog->SearchField(), "beyonce");
  QTest::keyClick(dialog->SearchField(), Qt::Key_Return);
  EXPECT_TRUE(w.Playback()->IsPlaying());
  EXPECT_EQ(w.GetPlaylist()->GetCurrentRow(), 1);
  EXPECT_EQ(order_.GetCurrent(), 1);
  EXPECT_EQ(w.TitlePanel().Text(), "2. Beyoncé - Halo");
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(JumpDialog::Current(), nullptr);
}

TEST_F(ListeningTest, TheJumpEntriesFollowTheDesignedOnesInBothMenus) {
  const auto popup = BuildPopupMenu("Tarnello", MenuState{}, {});
  const QList<QAction*> top = popup->actions();
  ASSERT_EQ(top.size(), 14);
  EXPECT_EQ(top[10]->text(), "Skins");
  EXPECT_EQ(top[11]->data().toInt(), int(CMD_JUMP_TO_FILE));
  EXPECT_EQ(top[13]->data().toInt(), int(CMD_EXIT));
  const auto misc = BuildPlaylistMenu(EditorMenu::Misc);
  const QList<QAction*> entries = misc->actions();
  ASSERT_EQ(entries.size(), 3);
  EXPECT_EQ(entries[0]->data().toInt(), 32823);
  EXPECT_EQ(entries[1]->data().toInt(), 32824);
  EXPECT_EQ(entries[2]->data().toInt(), kJumpToFileCommand);
}

TEST_F(ListeningTest, TheSessionStaysAwakeWhileATrackIsHeardAndNotAfterExit) {
  MainWindow& w = Start({"One", "Two"});
  EXPECT_FALSE(sleep_.held);
  w.SendCommand(CMD_REMOTE_PLAY);
  EXPECT_TRUE(sleep_.held);
  w.SendCommand(CMD_REMOTE_PAUSE);
  EXPECT_FALSE(sleep_.held);
  w.SendCommand(CMD_REMOTE_PAUSE);
  EXPECT_TRUE(sleep_.held);
  w.SendCommand(CMD_REMOTE_NEXT);
  EXPECT_TRUE(sleep_.held);
  w.SendCommand(CMD_REMOTE_STOP);
  EXPECT_FALSE(sleep_.held);
  w.SendCommand(CMD_REMOTE_PLAY);
  EXPECT_TRUE(sleep_.held);
  w.Close();
  EXPECT_FALSE(sleep_.held);
  EXPECT_EQ(sleep_.changes, (std::vector<bool>{true, false, true, false, true, false}));
}

}  // namespace
