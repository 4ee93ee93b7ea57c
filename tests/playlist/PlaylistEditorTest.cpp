// The playlist editor window: its group buttons, the list's drag and double tap,
// resizing, scaling, docking and what it keeps when it closes.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "SkinControlTestSupport.h"
#include "playback/OpenFilter.h"
#include "playback/PluginManager.h"
#include "platform/FileDialog.h"
#include "playlist/PlayOrder.h"
#include "playlist/Playlist.h"
#include "playlist/PlaylistDock.h"
#include "playlist/PlaylistEditorWindow.h"
#include "settings/SettingsFile.h"
#include "skin/PlayerWindows.h"
#include "skin/SkinSet.h"
#include "support/RecordingMessageBoxes.h"

using namespace SkinTest;
using Id = PlaylistEditorWindow::ButtonId;

namespace {

// Answers file dialogs with a prepared path.
class ChosenFiles : public FileDialogService {
 public:
  ChosenFiles() { SetFileDialogService(this); }
  ~ChosenFiles() override { SetFileDialogService(nullptr); }
  bool OpenFile(Window*, const QStringList& filters, QString& path) override {
    asked << filters.join(';');
    path = answer;
    return !answer.isEmpty();
  }
  bool SaveFile(Window*, const QStringList& filters, const QString& suffix, QString& path) override {
    asked << filters.join(';') + " " + suffix;
    path = answer;
    return !answer.isEmpty();
  }
  QString answer;
  QStringList asked;
};

// Stands in for the main window: answers the row request and counts stops.
class FakeMain : public Window {
 public:
  FakeMain() { CreateTopLevel("main", Rect::FromSize(40, 30, 275, 116), 0, nullptr, false); }
  intptr_t answer = 1;
  std::vector<int> requested;
  int stops = 0;

 protected:
  intptr_t OnMessage(uint32_t message, uintptr_t wParam, intptr_t) override {
    if (message == MSG_PLAY_ROW) requested.push_back(int(wParam));
    return message == MSG_PLAY_ROW ? answer : 0;
  }
  void OnCommand(int id) override { stops += id == Playlist::kStopCommand; }
};

class PlaylistEditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home_.isValid());
    qputenv("TARNELLO_HOME", home_.path().toUtf8());
    PublishPlayOrder(&order_);
    skin_.Load(TestSkinFolder());
    PlayerWindows::Publish(&main_, nullptr, nullptr);
  }
  void TearDown() override {
    editor_.reset();
    PlayerWindows::Publish(nullptr, nullptr, nullptr);
    PublishPlayOrder(nullptr);
    qunsetenv("TARNELLO_HOME");
  }
  void Write(const QString& name, const QByteArray& text) {
    QFile f(home_.path() + "/" + name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
  }
  QString Read(const QString& name) {
    QFile f(home_.path() + "/" + name);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
  }
  PlaylistEditorWindow& Create(int rows = 0) {
    QByteArray m3u = "#EXTM3U\n";
    for (int i = 1; i <= rows; ++i) m3u += "/music/" + QByteArray::number(i) + ".tst\n";
    if (rows) Write("tarnello.m3u", m3u);
    editor_ = std::make_unique<PlaylistEditorWindow>();
    EXPECT_TRUE(editor_->Create(skin_, OpenFilter(plugins_.BuildOpenFilter()), settings_, &main_, QString()));
    editor_->Show();
    QCoreApplication::processEvents();
    return *editor_;
  }
  // Tall enough to show every row of these tests.
  void MakeTall() {
    editor_->MoveWindow(Rect::FromSize(0, 100, 275, 300));
    QCoreApplication::processEvents();
  }
  void Click(Window& w) {
    Press(w, {2, 2});
    Release(w, {2, 2});
    DeliverPosted();
  }
  Point RowPoint(int visibleRow) { return {20, visibleRow * editor_->List().RowHeight() + 3}; }
  QStringList Paths() {
    QStringList out;
    for (int i = 0; i < editor_->GetPlaylist().GetCount(); ++i) out << editor_->GetPlaylist().GetPath(i);
    return out;
  }

  QTemporaryDir home_;
  PlayOrder order_{0};
  SkinSet skin_{QString()};
  PluginManager plugins_{nullptr, QString()};
  SettingsFile settings_;
  FakeMain main_;
  RecordingMessageBoxes boxes_;
  ChosenFiles files_;
  std::unique_ptr<PlaylistEditorWindow> editor_;
};

TEST_F(PlaylistEditorTest, GroupButtonsOpenOneColumnAndActOnTheSecondPress) {
  PlaylistEditorWindow& e = Create(3);
  Click(e.Button(Id::ID_ADD));
  EXPECT_TRUE(e.Button(Id::ID_ADD_FOLDER).IsVisible());
  EXPECT_TRUE(e.Button(Id::ID_ADD_URL).IsVisible());
  Click(e.Button(Id::ID_REMOVE));
  EXPECT_FALSE(e.Button(Id::ID_ADD_FOLDER).IsVisible());
  EXPECT_FALSE(e.IsGroupOpen(Id::ID_ADD));
  EXPECT_TRUE(e.IsGroupOpen(Id::ID_REMOVE));
  for (int id : {Id::ID_CROP, Id::ID_REMOVE_ALL, Id::ID_REMOVE_MENU}) EXPECT_TRUE(e.Button(id).IsVisible());

  // Second press of Remove: the column closes and the selected row goes.
  e.GetPlaylist().SelectRow(1);
  Click(e.Button(Id::ID_REMOVE));
  EXPECT_FALSE(e.Button(Id::ID_CROP).IsVisible());
  EXPECT_EQ(Paths(), (QStringList{"/music/1.tst", "/music/3.tst"}));

  // Second press of Add: the file dialog with the plug-ins' filter, then one row.
  files_.answer = "/music/new.tst";
  Click(e.Button(Id::ID_ADD));
  Click(e.Button(Id::ID_ADD));
  EXPECT_EQ(Paths().last(), "/music/new.tst");

  // The Select group and its sub-buttons only open and close.
  Click(e.Button(Id::ID_SELECT));
  Click(e.Button(Id::ID_SELECT_1));
  EXPECT_FALSE(e.IsGroupOpen(Id::ID_SELECT));
  EXPECT_FALSE(e.Button(Id::ID_SELECT_1).IsVisible());
  EXPECT_EQ(Paths().size(), 3);

  // A click in the list closes an open column.
  Click(e.Button(Id::ID_LIST));
  EXPECT_TRUE(e.Button(Id::ID_SAVE_LIST).IsVisible());
  Click(e.List());
  EXPECT_FALSE(e.Button(Id::ID_SAVE_LIST).IsVisible());
  EXPECT_FALSE(e.IsGroupOpen(Id::ID_LIST));
}

TEST_F(PlaylistEditorTest, ListsAreSavedAndLoadedThroughTheM3uDialogs) {
  PlaylistEditorWindow& e = Create(2);
  files_.answer = home_.path() + "/saved.m3u";
  Click(e.Button(Id::ID_LIST));
  Click(e.Button(Id::ID_SAVE_LIST));
  EXPECT_EQ(files_.asked.last(), "M3U Playlist (*.[mM]3[uU]) M3U");
  EXPECT_TRUE(Read("saved.m3u").contains("/music/2.tst"));

  Click(e.Button(Id::ID_LIST));
  Click(e.Button(Id::ID_NEW_LIST));
  EXPECT_EQ(e.GetPlaylist().GetCount(), 0);
  EXPECT_GE(main_.stops, 1);
  // Second press of List: the list is cleared and the chosen file loaded.
  e.GetPlaylist().AddFile("/music/other.tst");
  Click(e.Button(Id::ID_LIST));
  Click(e.Button(Id::ID_LIST));
  EXPECT_EQ(Paths(), (QStringList{"/music/1.tst", "/music/2.tst"}));
}

TEST_F(PlaylistEditorTest, LoadingAListPeopleHaveGivesItsEntries) {
  PlaylistEditorWindow& e = Create(1);
  // Header-less, CRLF and a UTF-8 BOM, relative to the list's own folder.
  QDir().mkpath(home_.path() + "/lists/sub");
  Write("lists/mix.m3u8", "\xEF\xBB\xBFsub/a.tst\r\n# comment\r\n../b.tst\r\nfile:///music/c%20c.tst\r\n");
  files_.answer = home_.path() + "/lists/mix.m3u8";
  Click(e.Button(Id::ID_LIST));
  Click(e.Button(Id::ID_LIST));
  EXPECT_EQ(Paths(), (QStringList{home_.path() + "/lists/sub/a.tst", home_.path() + "/b.tst", "/music/c c.tst"}));
  EXPECT_EQ(files_.asked.last().section(';', 0, 0), "M3U Playlist (*.[mM]3[uU])");
  // A PLS list chosen there brings its entries too.
  Write("lists/radio.pls", "[playlist]\nNumberOfEntries=2\nFile1=sub/a.tst\nFile2=http://radio/live\n");
  files_.answer = home_.path() + "/lists/radio.pls";
  Click(e.Button(Id::ID_LIST));
  Click(e.Button(Id::ID_LIST));
  EXPECT_EQ(Paths(), (QStringList{home_.path() + "/lists/sub/a.tst", "http://radio/live"}));
  EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(PlaylistEditorTest, ADragCarriesTheRowAndTheHighlightFollowsTheTrack) {
  PlaylistEditorWindow& e = Create(6);
  MakeTall();
  Playlist& p = e.GetPlaylist();
  order_.SetCurrent(2);
  p.SetCurrentRow(2);  // "/music/3.tst" is playing
  PlaylistListControl& list = e.List();
  Press(list, RowPoint(4));
  Move(list, RowPoint(0));
  Release(list, RowPoint(0));
  EXPECT_EQ(Paths(), (QStringList{"/music/5.tst", "/music/1.tst", "/music/2.tst", "/music/3.tst", "/music/4.tst",
                                  "/music/6.tst"}));
  EXPECT_EQ(p.GetSelectionMark(), 0);
  EXPECT_EQ(p.GetCurrentRow(), 3);
  EXPECT_EQ(p.GetPath(p.GetCurrentRow()), "/music/3.tst");
  EXPECT_TRUE(p.GetDisplayText(0).startsWith("1. "));
  EXPECT_TRUE(p.GetDisplayText(4).startsWith("5. "));

  // A press without a move selects and leaves the order alone.
  Press(list, RowPoint(5));
  Release(list, RowPoint(5));
  EXPECT_EQ(p.GetSelectionMark(), 5);
  EXPECT_EQ(Paths().first(), "/music/5.tst");
}

TEST_F(PlaylistEditorTest, ADoubleTapPlaysTheRowAndOnlyASuccessMakesItCurrent) {
  PlaylistEditorWindow& e = Create(3);
  MakeTall();
  Playlist& p = e.GetPlaylist();
  main_.answer = 0;
  Stylus(e.List(), QEvent::MouseButtonDblClick, RowPoint(1));
  EXPECT_EQ(main_.requested, std::vector<int>{1});
  EXPECT_EQ(p.GetCurrentRow(), -1);
  main_.answer = 1;
  Stylus(e.List(), QEvent::MouseButtonDblClick, RowPoint(2));
  EXPECT_EQ(p.GetCurrentRow(), 2);
  // Empty space below the rows is no row.
  Stylus(e.List(), QEvent::MouseButtonDblClick, RowPoint(5));
  EXPECT_EQ(main_.requested.size(), 2u);
}

TEST_F(PlaylistEditorTest, TheGripResizesDownToTheMinimumAtEveryScale) {
  PlaylistEditorWindow& e = Create();
  EXPECT_EQ(e.GetWindowRect(), Rect::FromSize(0, 100, 275, 100));
  auto dragGrip = [&e](Point to) {
    const Rect c = e.GetClientRect();
    const Point grip{c.right - 5, c.bottom - 5};
    Press(e, grip);
    Move(e, to);
    Release(e, to);
  };
  dragGrip({300, 150});
  EXPECT_EQ(e.GetWindowRect(), Rect::FromSize(0, 100, 275 + 30, 100 + 55));
  dragGrip({-400, -400});
  EXPECT_EQ(e.GetWindowRect(), Rect::FromSize(0, 100, 275, 100));
  e.SetScale(50);
  dragGrip({-400, -400});
  EXPECT_EQ(e.GetWindowRect().Width(), 138);
  EXPECT_EQ(e.GetWindowRect().Height(), 50);
}

TEST_F(PlaylistEditorTest, AScaleChangeResizesTheWindowAndItsButtons) {
  PlaylistEditorWindow& e = Create();
  const QRect before = e.Button(Id::ID_LIST).Widget()->geometry();
  EXPECT_EQ(before, QRect(275 - 44, 100 - 30, 22, 18));
  e.ChangeScale(200);
  EXPECT_EQ(e.GetWindowRect(), Rect::FromSize(0, 100, 550, 200));
  EXPECT_EQ(e.Button(Id::ID_ADD).Widget()->geometry(), QRect(28, 200 - 60, 44, 36));
  EXPECT_EQ(e.Button(Id::ID_LIST).Widget()->geometry(), QRect(550 - 88, 200 - 60, 44, 36));
  EXPECT_EQ(e.List().Widget()->geometry(), QRect(24, 40, 550 - 64, 200 - 116));
  // The rows grow with the rest of the window.
  EXPECT_EQ(e.List().RowHeight(), 28);
  // SetScale alone keeps the size.
  e.SetScale(100);
  EXPECT_EQ(e.GetWindowRect().Width(), 550);
}

TEST_F(PlaylistEditorTest, ClosingWritesItsKeysAndThePlaylist) {
  PlaylistEditorWindow& e = Create(2);
  e.GetPlaylist().SetCurrentRow(1);
  e.MoveWindow(Rect::FromSize(7, 300, 300, 180));
  e.Close();
  QStringList keys;
  for (const QString& line : settings_.Lines()) keys << line;
  EXPECT_EQ(keys, (QStringList{"[tarnello]", "PL_Visible=1", "PL_x=7", "PL_y=300", "PL_width=300", "PL_height=180",
                               "Resume=1"}));
  EXPECT_EQ(Read("tarnello.m3u").count(".tst"), 2);
}

TEST(PlaylistDock, EdgesAndDockingUnderTheOtherWindows) {
  const Rect main = Rect::FromSize(40, 30, 275, 116);
  const Rect eq = Rect::FromSize(40, 146, 275, 116);
  EXPECT_EQ(DockPlaylistEditor(Rect::FromSize(5, 400, 275, 100), eq, main, 1024, 768).left, 0);
  EXPECT_EQ(DockPlaylistEditor(Rect::FromSize(10, 400, 275, 100), eq, main, 1024, 768).left, 10);
  EXPECT_EQ(DockPlaylistEditor(Rect::FromSize(745, 400, 275, 100), eq, main, 1024, 768).left, 1024 - 275);
  EXPECT_EQ(DockPlaylistEditor(Rect::FromSize(300, 660, 275, 100), eq, main, 1024, 768).top, 668);
  // Top 8 below the main window's bottom, left 3 off its left: docked under it.
  EXPECT_EQ(DockPlaylistEditor(Rect::FromSize(43, 154, 275, 100), std::nullopt, main, 1024, 768),
            Rect::FromSize(40, 146, 275, 100));
  // Under the equalizer; the main window wins when both match.
  EXPECT_EQ(DockPlaylistEditor(Rect::FromSize(37, 265, 275, 100), eq, main, 1024, 768),
            Rect::FromSize(40, 262, 275, 100));
  const Rect sameBottom = Rect::FromSize(45, 146, 275, 116);
  EXPECT_EQ(DockPlaylistEditor(Rect::FromSize(42, 150, 275, 100), sameBottom, main, 1024, 768),
            Rect::FromSize(40, 146, 275, 100));
}

}  // namespace
