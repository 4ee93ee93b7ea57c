// The playlist editor's menu entries that need the desktop (trash, browser,
// prompts, file details) and files, folders and URLs dropped on the editor.
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <QWindow>
#include <gtest/gtest.h>

#include "SkinControlTestSupport.h"
#include "playback/OpenFilter.h"
#include "playback/PluginManager.h"
#include "platform/DesktopServices.h"
#include "platform/FileNames.h"
#include "playback/PlayerState.h"
#include "playlist/FileInfoDialog.h"
#include "playlist/ListCommands.h"
#include "playlist/PlayOrder.h"
#include "playlist/Playlist.h"
#include "playlist/PlaylistEditorWindow.h"
#include "settings/SettingsFile.h"
#include "skin/PlayerWindows.h"
#include "skin/SkinSet.h"
#include "skin/SkinToggle.h"
#include "support/RecordingMessageBoxes.h"

using namespace SkinTest;

namespace {

class RecordingBrowser : public BrowserService {
 public:
  RecordingBrowser() { SetBrowserService(this); }
  ~RecordingBrowser() override { SetBrowserService(nullptr); }
  bool OpenPage(const QString& path) override {
    opened << path;
    return true;
  }
  QStringList opened;
};

class PlaylistMenuCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home_.isValid());
    qputenv("TARNELLO_HOME", home_.path().toUtf8());
    qputenv("XDG_DATA_HOME", (home_.path() + "/data").toUtf8());
    PublishPlayOrder(&order_);
    skin_.Load(TestSkinFolder());
    // The test plug-in claims "*.tst": the folder walk of a drop adds those.
    QDir().mkpath(home_.path() + "/Plugins");
    ASSERT_TRUE(QFile::copy(TARNELLO_TEST_PLUGIN, home_.path() + "/Plugins/TestPlugin.so"));
    plugins_ = std::make_unique<PluginManager>(nullptr, home_.path() + "/Plugins");
    plugins_->LoadAll();
    editor_ = std::make_unique<PlaylistEditorWindow>();
    ASSERT_TRUE(editor_->Create(skin_, OpenFilter(plugins_->BuildOpenFilter()), settings_, nullptr, QString()));
    editor_->MoveWindow(Rect::FromSize(0, 100, 275, 300));
    editor_->Show();
    QCoreApplication::processEvents();
  }
  void TearDown() override {
    editor_.reset();
    plugins_->UnloadAll();
    SetTextPrompt({});
    SetFileInfoPresenter({});
    PublishPlayOrder(nullptr);
    qunsetenv("TARNELLO_HOME");
    qunsetenv("XDG_DATA_HOME");
  }
  QString MakeFile(const QString& relative) {
    const QString path = home_.path() + "/" + relative;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("x");
    return path;
  }
  Playlist& List() { return editor_->GetPlaylist(); }
  QStringList Paths() {
    QStringList out;
    for (int i = 0; i < List().GetCount(); ++i) out << List().GetPath(i);
    return out;
  }
  // A drag from a file manager entering the editor over its list, then the drop,
  // delivered to the window the way the display server's events are.
  void DropOnList(const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    QWindow* window = editor_->Widget()->windowHandle();
    ASSERT_NE(window, nullptr);
    const QPointF point(60, 40);
    QDragEnterEvent enter(point.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &drop);
  }

  QTemporaryDir home_;
  PlayOrder order_{0};
  SkinSet skin_{QString()};
  std::unique_ptr<PluginManager> plugins_;
  SettingsFile settings_;
  RecordingMessageBoxes boxes_;
  std::unique_ptr<PlaylistEditorWindow> editor_;
};

TEST_F(PlaylistMenuCommandsTest, DroppedFilesFoldersAndUrlsAreAppended) {
  List().AddFile("/music/first.tst");
  const QString single = MakeFile("drop/one.tst");
  MakeFile("folder/a.tst");
  MakeFile("folder/notes.txt");
  MakeFile("folder/sub/b.tst");
  DropOnList({QUrl::fromLocalFile(single), QUrl::fromLocalFile(home_.path() + "/folder"),
              QUrl("http://radio.example/live.mp3")});
  EXPECT_EQ(Paths(), (QStringList{"/music/first.tst", single, home_.path() + "/folder/a.tst",
                                  home_.path() + "/folder/sub/b.tst", "http://radio.example/live.mp3"}));
  // Playlist files bring their entries.
  const QString m3u = MakeFile("lists/a.m3u");
  {
    QFile f(m3u);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("#EXTM3U\n#EXTINF:30,From M3U\n/music/m3u.tst\n");
  }
  const QString pls = MakeFile("lists/b.PLS");
  {
    QFile f(pls);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[playlist]\nNumberOfEntries=1\nFile1=/music/pls.tst\nTitle1=From PLS\n");
  }
  EXPECT_EQ(editor_->AddItems({m3u, pls}), 5);
  EXPECT_EQ(Paths().mid(5), (QStringList{"/music/m3u.tst", "/music/pls.tst"}));
  EXPECT_EQ(List().GetTitle(5), "From M3U");
  List().RemoveRow(6);
  List().RemoveRow(5);
  // What is neither a file nor a URL the player can open is left out.
  EXPECT_EQ(editor_->AddItems({home_.path() + "/missing.tst"}), -1);
  EXPECT_EQ(editor_->AddItems({single}), 5);
}

TEST_F(PlaylistMenuCommandsTest, DroppedListsWithoutHeaderOrWithRelativePathsBringTheirFiles) {
  const QString a = MakeFile("lists/sub/a.tst");
  const QString b = MakeFile("b.tst");
  const QString plain = MakeFile("lists/plain.M3U");
  {
    QFile f(plain);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("\xEF\xBB\xBF# exported\r\nsub/a.tst\r\n../b.tst\r\n");
  }
  const QString headed = MakeFile("lists/headed.m3u8");
  {
    QFile f(headed);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("#EXTM3U\n#EXTINF:9,A\nsub/a.tst\n#EXTINF:8,B\nfile://" + QUrl::toPercentEncoding(b, "/") + "\n");
  }
  DropOnList({QUrl::fromLocalFile(plain), QUrl::fromLocalFile(headed)});
  EXPECT_EQ(Paths(), (QStringList{a, b, a, b}));
  EXPECT_EQ(List().GetTitle(0), "a.tst");
  EXPECT_EQ(List().GetTitle(3), "B");
  // A file whose name is not UTF-8 is dropped with its bytes.
  const QByteArray raw = QFile::encodeName(home_.path()) + "/caf\xE9.tst";
  QFile(QString::fromUtf8(raw)).remove();
  {
    QFile f;
    ASSERT_TRUE(f.open(fopen(raw.constData(), "w"), QIODevice::WriteOnly, QFileDevice::AutoCloseHandle));
  }
  DropOnList({QUrl::fromEncoded("file://" + raw.toPercentEncoding("/"))});
  ASSERT_EQ(List().GetCount(), 5);
  EXPECT_EQ(Platform::PathToBytes(List().GetPath(4)), raw);
  List().RemoveRow(4);
  // A "file:" URI handed over names the list, whose entries come.
  EXPECT_EQ(editor_->AddItems({QUrl::fromLocalFile(plain).toString()}), 4);
  EXPECT_EQ(Paths().mid(4), (QStringList{a, b}));
}

TEST_F(PlaylistMenuCommandsTest, PhysicalRemovalAsksThenMovesTheFileToTheTrash) {
  const QString path = MakeFile("music/doomed.tst");
  List().AddFile("/music/keep.tst");
  List().AddFile(path);
  List().SelectRow(1);

  boxes_.answer = false;
  editor_->SendCommand(CMD_REMOVE_PHYSICALLY);
  ASSERT_EQ(boxes_.questions.size(), 1u);
  EXPECT_TRUE(boxes_.questions[0].text.contains(path));
  EXPECT_TRUE(QFile::exists(path));
  EXPECT_EQ(List().GetCount(), 2);

  boxes_.answer = true;
  editor_->SendCommand(CMD_REMOVE_PHYSICALLY);
  EXPECT_EQ(boxes_.questions.size(), 2u);
  EXPECT_FALSE(QFile::exists(path));
  EXPECT_TRUE(QFile::exists(home_.path() + "/data/Trash/files/doomed.tst"));
  EXPECT_TRUE(QFile::exists(home_.path() + "/data/Trash/info/doomed.tst.trashinfo"));
  EXPECT_EQ(Paths(), QStringList{"/music/keep.tst"});

  // A row without a file behind it is not asked about.
  List().SelectRow(0);
  editor_->SendCommand(CMD_REMOVE_PHYSICALLY);
  EXPECT_EQ(boxes_.questions.size(), 2u);
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(List().GetCount(), 1);
}

TEST_F(PlaylistMenuCommandsTest, PlaylistEntryEditsTheTitleOfTheSelectedRow) {
  List().AddFile("/music/a.tst");
  List().AddFile("/music/b.tst");
  QString shown;
  bool confirm = true;
  SetTextPrompt([&](Window*, const QString&, const QString&, QString& text) {
    shown = text;
    text = "Renamed";
    return confirm;
  });
  editor_->SendCommand(CMD_PLAYLIST_ENTRY);  // nothing selected: nothing asked
  EXPECT_TRUE(shown.isEmpty());
  List().SelectRow(1);
  confirm = false;
  editor_->SendCommand(CMD_PLAYLIST_ENTRY);
  EXPECT_EQ(shown, "b.tst");
  EXPECT_EQ(List().GetTitle(1), "b.tst");
  confirm = true;
  editor_->SendCommand(CMD_PLAYLIST_ENTRY);
  EXPECT_EQ(List().GetTitle(1), "Renamed");
  EXPECT_EQ(List().GetDisplayText(1), "2. Renamed");
}

TEST_F(PlaylistMenuCommandsTest, HtmlPlaylistIsWrittenAndOpenedInTheBrowser) {
  RecordingBrowser browser;
  List().AddEntry(90, "Song <one>", "/music/1.tst");
  editor_->SendCommand(CMD_HTML_PLAYLIST);
  ASSERT_EQ(browser.opened.size(), 1);
  EXPECT_EQ(browser.opened[0], home_.path() + "/playlist.html");
  QFile page(browser.opened[0]);
  ASSERT_TRUE(page.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(page.readAll());
  EXPECT_TRUE(text.contains("Song &lt;one&gt;"));
  EXPECT_TRUE(text.contains("1:30"));
}

TEST_F(PlaylistMenuCommandsTest, FileInfoAndExtendedInfoReadTheFilesTags) {
  const QString demo = TARNELLO_DEMO_TRACK;
  List().AddFile(demo);
  List().AddFile("/music/missing.wma");
  QString text;
  SetFileInfoPresenter([&](QWidget*, const QString&, const QString& shown) { text = shown; });
  List().SelectRow(0);
  editor_->SendCommand(CMD_FILE_INFO);
  EXPECT_TRUE(text.contains("Format: asf")) << text.toStdString();
  EXPECT_TRUE(text.contains("Sample rate: 44100 Hz"));
  EXPECT_TRUE(text.contains("Channels: 2 (stereo)"));
  EXPECT_TRUE(text.contains("Length: 0:12"));
  EXPECT_TRUE(text.contains("title: First Light"));

  editor_->SendCommand(CMD_READ_INFO);
  EXPECT_EQ(List().GetTitle(0), "Tarnello - First Light");
  EXPECT_EQ(List().GetLengthText(0), "12");

  // A file that cannot be read says so and changes nothing.
  List().SelectRow(1);
  editor_->SendCommand(CMD_FILE_INFO);
  EXPECT_TRUE(text.contains("cannot be read"));
  editor_->SendCommand(CMD_READ_INFO);
  EXPECT_EQ(List().GetTitle(1), "missing.wma");
  EXPECT_EQ(List().GetLengthText(1), "");
}

TEST_F(PlaylistMenuCommandsTest, FileInfoOfThePlayingStreamShowsWhatItsStationSays) {
  List().AddFile("http://radio.example/stream");
  List().AddFile("http://radio.example/other");
  List().SetCurrentRow(0);
  PlayerState state;
  editor_->ShareState(state);
  QString text;
  SetFileInfoPresenter([&](QWidget*, const QString&, const QString& shown) { text = shown; });
  List().SelectRow(0);
  // Nothing plays yet: a URL is no file that could be read.
  editor_->SendCommand(CMD_FILE_INFO);
  EXPECT_TRUE(text.contains("cannot be read")) << text.toStdString();

  state.TrackStarted();
  StreamMetadata tags;
  tags.station = "Radio Q";
  tags.genre = "Jazz";
  tags.bitRateKbps = 128;
  tags.title = "Alpha - One";
  state.SetStreamTags(tags);
  editor_->SendCommand(CMD_FILE_INFO);
  EXPECT_EQ(text, "File: http://radio.example/stream\nStation: Radio Q\nGenre: Jazz\nBit rate: 128 kbit/s\n"
                  "Playing: Alpha - One");
  // Another row is not the stream that plays.
  List().SelectRow(1);
  editor_->SendCommand(CMD_FILE_INFO);
  EXPECT_TRUE(text.contains("cannot be read"));
  // Nor is the stream once it stopped.
  List().SelectRow(0);
  state.TrackStopped();
  editor_->SendCommand(CMD_FILE_INFO);
  EXPECT_TRUE(text.contains("cannot be read"));
}

TEST_F(PlaylistMenuCommandsTest, MenuSortAndRemoveEntriesReachTheList) {
  List().AddFile("/music/c.tst");
  List().AddFile("/music/a.tst");
  const QString real = MakeFile("b.tst");
  List().AddFile(real);
  editor_->SendCommand(CMD_SORT_FILENAME);
  EXPECT_EQ(Paths(), (QStringList{"/music/a.tst", real, "/music/c.tst"}));
  editor_->SendCommand(CMD_REVERSE);
  EXPECT_EQ(Paths(), (QStringList{"/music/c.tst", real, "/music/a.tst"}));
  editor_->SendCommand(CMD_REMOVE_DEAD);
  EXPECT_EQ(Paths(), QStringList{real});
}

TEST_F(PlaylistMenuCommandsTest, AnOpenColumnLiesAboveTheListSoItsButtonsCanBePressed) {
  using Id = PlaylistEditorWindow::ButtonId;
  for (int group : {Id::ID_ADD, Id::ID_REMOVE, Id::ID_MISC, Id::ID_LIST}) {
    SkinToggle& toggle = static_cast<SkinToggle&>(editor_->Button(group));
    toggle.SetState(1);
    editor_->SendCommand(group);
    const int sub = group + 2;  // the upper sub-button of each column
    QWidget* button = editor_->Button(sub).Widget();
    ASSERT_TRUE(button->isVisible()) << sub;
    // The button's top rows overlap the list; the pointer there finds the button.
    const QPoint top = button->geometry().topLeft() + QPoint(button->width() / 2, 1);
    EXPECT_EQ(editor_->Widget()->childAt(top), button) << sub;
  }
}

}  // namespace
