// The main window as the player creates it, in a program folder of its own, drawn
// from the colour-coded test skin so that a grabbed pixel names the sprite.
#include <QDialog>
#include <QDir>
#include <QTest>
#include <QTimer>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWindow>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "SkinControlTestSupport.h"
#include "app/MainLayout.h"
#include "app/MainWindow.h"
#include "app/PopupMenu.h"
#include "buttons/ButtonSettingDialog.h"
#include "buttons/HotkeyWindow.h"
#include "platform/DisplayPower.h"
#include "platform/PlatformApi.h"
#include "platform/SessionPower.h"
#include "playlist/PlayOrder.h"
#include "playlist/Playlist.h"
#include "support/RecordingMessageBoxes.h"
#include "tests/support/QuietPowerServices.h"

using namespace MainLayout;
using namespace SkinTest;

namespace {

// Timers are driven by hand so the tests do not wait for them.
class TestMainWindow : public MainWindow {
 public:
  using MainWindow::OnTimer;
};

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home_.isValid());
    qputenv("TARNELLO_HOME", home_.path().toUtf8());
    CopyFolder(TestSkinFolder(), home_.path() + "/Skins/Temporary");
    PublishPlayOrder(&order_);
  }
  void TearDown() override {
    window_.reset();
    PublishPlayOrder(nullptr);
    qunsetenv("TARNELLO_HOME");
  }

  static void CopyFolder(const QString& from, const QString& to) {
    QDir().mkpath(to);
    for (const QString& name : QDir(from).entryList(QDir::Files)) QFile::copy(from + "/" + name, to + "/" + name);
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
  TestMainWindow& Start(const QByteArray& options = {}) {
    if (!options.isEmpty()) Write("tarnello.txt", "[tarnello]\n" + options);
    window_ = std::make_unique<TestMainWindow>();
    EXPECT_TRUE(window_->Create("Tarnello"));
    window_->Show();
    QCoreApplication::processEvents();
    return *window_;
  }
  Rect Place(int id) {
    const QRect g = window_->Control(id)->Widget()->geometry();
    return Rect::FromSize(g.x(), g.y(), g.width(), g.height());
  }
  QImage Grab() { return window_->Widget()->grab().toImage(); }

  QTemporaryDir home_;
  PlayOrder order_{0};
  RecordingMessageBoxes boxes_;
  std::unique_ptr<TestMainWindow> window_;
};

TEST_F(MainWindowTest, ControlsAndWindowFollowTheScale) {
  TestMainWindow& w = Start("Scale=150\n");
  EXPECT_EQ(w.GetWindowRect().Width(), 413);
  EXPECT_EQ(w.GetWindowRect().Height(), 174);
  EXPECT_EQ(Place(ID_PLAY), Rect::FromSize(59, 132, 35, 27));
  EXPECT_EQ(Place(ID_CLOSE), Rect::FromSize(396, 5, 14, 14));
  EXPECT_EQ(Place(SLIDER_POSITION), Rect::FromSize(24, 108, 372, 15));
  EXPECT_EQ(w.VolumeSlider().ValueToThumb(0).Width(), 21);
  EXPECT_EQ(w.VolumeSlider().ValueToThumb(0).Height(), 17);
  EXPECT_EQ(w.PositionSlider().ValueToThumb(0).Width(), 44);
  EXPECT_EQ(w.TitlePanel().FontHeight(), 21);
  EXPECT_EQ(w.BitRatePanel().FontHeight(), 20);
  // The unplaced toggle never gets a place.
  EXPECT_TRUE(Place(ID_UNPLACED).IsEmpty());

  w.Send(MSG_COMMAND, CMD_SCALE_50);
  EXPECT_EQ(w.GetWindowRect().Width(), 138);
  EXPECT_EQ(w.GetWindowRect().Height(), 58);
  EXPECT_EQ(Place(ID_PLAY), Rect::FromSize(20, 44, 12, 9));
  w.Send(MSG_COMMAND, CMD_SCALE_200);
  EXPECT_EQ(w.GetWindowRect().Width(), 550);
  EXPECT_EQ(Place(ID_NEXT), Rect::FromSize(216, 176, 44, 36));
}

TEST_F(MainWindowTest, FitToScreenUses88AndGoesBelowTheTaskBar) {
  TestMainWindow& w = Start("Main_x=300\nMain_y=200\n");
  w.Send(MSG_COMMAND, CMD_FIT_SCREEN);
  EXPECT_EQ(w.GetScale(), 88);
  EXPECT_EQ(w.GetWindowRect(), Rect::FromSize(0, 26, 242, 102));
}

TEST_F(MainWindowTest, ScalesThatAreNoneAreTakenAs100AndOthersAsTheNearestDrawnOne) {
  for (const char* scale : {"0", "-5", "abc", "120"}) {
    TestMainWindow& w = Start(QByteArray("Scale=") + scale + "\n");
    EXPECT_EQ(w.GetScale(), 100) << scale;
    EXPECT_EQ(w.GetWindowRect().Width(), 275) << scale;
  }
  for (const char* scale : {"1", "49"}) {
    TestMainWindow& w = Start(QByteArray("Scale=") + scale + "\n");
    EXPECT_EQ(w.GetScale(), 50) << scale;
    EXPECT_EQ(w.GetWindowRect(), Rect::FromSize(0, 26, 138, 58)) << scale;
  }
  EXPECT_EQ(Start("Scale=400\n").GetScale(), 200);
  EXPECT_EQ(Start("Scale=2147483647\n").GetWindowRect().Width(), 550);
}

TEST_F(MainWindowTest, OptionsReachTheirControlsAndAreWrittenBack) {
  TestMainWindow& w = Start("Volume=300\nPan=-200\nRepeat=5\nShuffle=0\nStartVolume=200\nEQ_Visible=0\n");
  EXPECT_EQ(w.VolumeSlider().GetPosition(), 255);
  EXPECT_EQ(w.BalanceSlider().GetPosition(), -127);
  EXPECT_EQ(w.Toggle(ID_REPEAT).GetState(), 1);
  EXPECT_TRUE(order_.GetRepeat());
  EXPECT_EQ(w.Toggle(ID_SHUFFLE).GetState(), 0);
  EXPECT_EQ(w.Toggle(ID_EQUALIZER).GetState(), 0);
  EXPECT_EQ(w.Toggle(ID_PLAYLIST).GetState(), 1);
  EXPECT_EQ(w.TitlePanel().Text(), " Tarnello v1.0 Beta");
  w.Close();
  const QString text = Read("tarnello.txt");
  EXPECT_TRUE(text.contains("\nRepeat=1\n"));
  EXPECT_TRUE(text.contains("\nVolume=255\n"));
  EXPECT_TRUE(text.contains("\nPan=-127\n"));
  EXPECT_TRUE(text.contains("\nStartVolume=200\n"));
  EXPECT_TRUE(text.contains("\nEQ_Visible=0\n"));
}

TEST_F(MainWindowTest, TimeLampsAndBackgroundAreDrawnFromTheSkin) {
  const SkinMap map = LoadTestSkinMap();
  TestMainWindow& w = Start();
  w.SetTimeMs(61500);
  w.SetChannels(1);
  QImage image = Grab();
  const char* expected[] = {"numbers.blank", "numbers.digit0", "numbers.digit1", "numbers.digit0", "numbers.digit1"};
  for (size_t i = 0; i < kGlyphPlaces.size(); ++i)
    EXPECT_EQ(PixelAt(image, kGlyphPlaces[i].x + 4, kGlyphPlaces[i].y + 6), map.Colour(expected[i])) << i;
  EXPECT_EQ(PixelAt(image, 212 + 13, 41 + 6), map.Colour("monoster.mono.lit"));
  EXPECT_EQ(PixelAt(image, 239 + 14, 41 + 6), map.Colour("monoster.stereo.dark"));
  EXPECT_EQ(PixelAt(image, 3, 60), map.Colour("main.background"));
  EXPECT_EQ(PixelAt(image, 50 + 5, 92), map.Colour("cbuttons.play.normal"));

  w.SetTimeMs(6000000);
  w.SetChannels(5);
  EXPECT_EQ(w.GetChannels(), 2);
  image = Grab();
  EXPECT_EQ(PixelAt(image, 36 + 4, 26 + 6), map.Colour("numbers.digit1"));
  EXPECT_EQ(PixelAt(image, 239 + 14, 41 + 6), map.Colour("monoster.stereo.lit"));
  EXPECT_EQ(PixelAt(image, 212 + 13, 41 + 6), map.Colour("monoster.mono.dark"));
  w.SetChannels(-1);
  EXPECT_EQ(w.GetChannels(), 0);
  EXPECT_EQ(PixelAt(Grab(), 239 + 14, 41 + 6), map.Colour("monoster.stereo.dark"));
}

TEST_F(MainWindowTest, StreamMessagesFillTheRateTexts) {
  TestMainWindow& w = Start();
  w.Send(MSG_STREAM_RATES, 128, 44100);
  w.Send(MSG_STREAM_CHANNELS, 2, 0);
  EXPECT_EQ(w.BitRatePanel().Shown(), "128");
  EXPECT_EQ(w.SampleRatePanel().Shown(), "44");
  EXPECT_EQ(w.GetChannels(), 2);
  w.SetSampleRate(22050);
  EXPECT_EQ(w.SampleRatePanel().Shown(), "22");
  w.Send(MSG_STREAM_RATES, uintptr_t(intptr_t(-1)), -1);
  EXPECT_EQ(w.BitRatePanel().Shown(), "");
  EXPECT_EQ(w.SampleRatePanel().Shown(), "");
}

TEST_F(MainWindowTest, TheSlidersShowThePlayersStateAndADragChangesIt) {
  TestMainWindow& w = Start("Volume=100\nEQ_Visible=0\nPL_Visible=0\n");
  PlayerState& state = w.State();
  EXPECT_EQ(state.Volume(), 100);
  state.SetVolume(40);
  state.SetBalance(-20);
  EXPECT_EQ(w.VolumeSlider().GetPosition(), 40);
  EXPECT_EQ(w.BalanceSlider().GetPosition(), -20);

  // The position bar: a fraction of its range, clamped to it; back to its start on a stop.
  state.FollowPosition(150000, 300000);
  EXPECT_EQ(w.PositionSlider().GetPosition(), 127);
  state.FollowPosition(1000, -1);
  EXPECT_EQ(w.PositionSlider().GetPosition(), 0);
  state.FollowPosition(2000000000, 2147483647);
  EXPECT_EQ(w.PositionSlider().GetPosition(), 237);
  state.TrackStopped();
  EXPECT_EQ(w.PositionSlider().GetPosition(), 0);

  // Dragging the volume thumb to the far left: the state follows, and is what is saved.
  SkinSlider& volume = w.VolumeSlider();
  const Rect thumb = volume.ValueToThumb(40);
  Press(volume, {thumb.left + 2, 2});
  Move(volume, {0, 2});
  Release(volume, {0, 2});
  DeliverPosted();
  EXPECT_EQ(state.Volume(), 0);
  w.Close();
  QCoreApplication::processEvents();
  EXPECT_TRUE(Read("tarnello.txt").contains("\nVolume=0\n"));
}

TEST_F(MainWindowTest, ArmedMessagesEndAtTheNextTickOthersStay) {
  TestMainWindow& w = Start();
  w.SetTitle("1. Song");
  w.ShowMessage(" VOLUME : 50%", true);
  EXPECT_EQ(w.TitlePanel().Shown(), " VOLUME : 50%");
  w.OnTimer(TIMER_MESSAGE);
  EXPECT_EQ(w.TitlePanel().Shown(), "1. Song");
  EXPECT_FALSE(w.IsMessageArmed());

  w.ShowMessage(" A<->B : Set A", false);
  w.OnTimer(TIMER_MESSAGE);
  w.OnTimer(TIMER_MESSAGE);
  EXPECT_EQ(w.TitlePanel().Shown(), " A<->B : Set A");
  w.SetTitle("2. Next");
  EXPECT_EQ(w.TitlePanel().Shown(), "2. Next");
}

TEST_F(MainWindowTest, MenuCommandsFlipTogglesAndTheTopMostFlag) {
  TestMainWindow& w = Start();
  w.Send(MSG_COMMAND, CMD_REPEAT);
  EXPECT_EQ(w.Toggle(ID_REPEAT).GetState(), 1);
  EXPECT_TRUE(order_.GetRepeat());
  w.Send(MSG_COMMAND, CMD_SHUFFLE);
  EXPECT_TRUE(order_.GetShuffle());
  w.Send(MSG_COMMAND, CMD_SHUFFLE);
  EXPECT_FALSE(order_.GetShuffle());
  w.Send(MSG_COMMAND, CMD_SHOW_PLAYLIST);
  EXPECT_EQ(w.Toggle(ID_PLAYLIST).GetState(), 0);
  w.Send(MSG_COMMAND, CMD_TOPMOST);
  EXPECT_EQ(w.IsTopMost(), 1);

  // "Main Window" and the grayed items change nothing.
  const Rect before = w.GetWindowRect();
  for (int command : {int(CMD_SHOW_MAIN), int(CMD_TIME_ELAPSED), int(CMD_DOUBLE_SIZE), int(CMD_LANGUAGE_DEFAULT),
                      int(CMD_PLUGINS_NONE), SKIN_BASE_COMMAND, 32814})
    w.Send(MSG_COMMAND, uintptr_t(command));
  EXPECT_EQ(w.GetWindowRect(), before);
  EXPECT_EQ(w.Toggle(ID_REPEAT).GetState(), 1);
  EXPECT_TRUE(boxes_.boxes.empty() || boxes_.boxes.size() == 1);  // only "Option read fail!"
}

TEST_F(MainWindowTest, AQuickSecondTapIsASecondPress) {
  Write("tarnello.m3u", "#EXTM3U\na.tst\nb.tst\nc.tst\nd.tst\n");
  TestMainWindow& w = Start();
  ASSERT_EQ(w.GetPlaylist()->GetCount(), 4);
  Window& next = *w.Control(ID_NEXT);
  Press(next, {5, 5});
  Release(next, {5, 5});
  Stylus(next, QEvent::MouseButtonDblClick, {5, 5});
  Release(next, {5, 5});
  // Not playing: Next only marks the row; twice from the start is the second row.
  EXPECT_EQ(order_.GetCurrent(), 1);
  EXPECT_EQ(w.GetPlaylist()->GetCurrentRow(), 1);
}

TEST_F(MainWindowTest, ASkinChosenFromTheMenuIsAppliedAndARefusedOneIsReported) {
  const SkinMap map = LoadTestSkinMap();
  QDir(home_.path() + "/Skins/Temporary").removeRecursively();
  CopyFolder(DefaultSkinFolder(), home_.path() + "/Skins/Temporary");
  QFile::copy(TARNELLO_TEST_SKIN_PACKAGE, home_.path() + "/Skins/Test.qsk");
  // Listed (its name holds ".qsk") but neither a package nor a skin folder.
  Write("Skins/Test.qsk.bak", "x");
  TestMainWindow& w = Start();
  EXPECT_NE(PixelAt(Grab(), 3, 60), map.Colour("main.background"));

  const std::vector<SkinPackage> packages = w.RefreshSkinPackages();
  ASSERT_EQ(packages.size(), 2u);
  ASSERT_EQ(packages[0].label, "Test");
  w.Send(MSG_COMMAND, uintptr_t(packages[1].command));
  ASSERT_FALSE(boxes_.boxes.empty());
  EXPECT_EQ(boxes_.boxes.back().text, "qsk load Fail!");
  EXPECT_NE(PixelAt(Grab(), 3, 60), map.Colour("main.background"));
  w.Send(MSG_COMMAND, uintptr_t(packages[0].command));
  QCoreApplication::processEvents();
  const QImage image = Grab();
  EXPECT_EQ(PixelAt(image, 3, 60), map.Colour("main.background"));
  EXPECT_EQ(PixelAt(image, 50 + 5, 92), map.Colour("cbuttons.play.normal"));
  EXPECT_EQ(w.TitlePanel().TextColour(), w.Skin().NormalText());
}

TEST_F(MainWindowTest, TheEqualizerFollowsItsToggleTheScaleAndTheMainWindow) {
  TestMainWindow& w = Start("Main_x=100\nMain_y=200\nEQ_x=100\nEQ_y=316\n");
  EqualizerWindow& eq = w.Equalizer();
  EXPECT_TRUE(eq.IsVisible());
  EXPECT_EQ(w.Toggle(ID_EQUALIZER).GetState(), 1);
  w.Send(MSG_COMMAND, CMD_SHOW_EQUALIZER);
  EXPECT_FALSE(eq.IsVisible());
  EXPECT_EQ(w.Toggle(ID_EQUALIZER).GetState(), 0);
  Press(*w.Control(ID_EQUALIZER), {2, 2});
  Release(*w.Control(ID_EQUALIZER), {2, 2});
  DeliverPosted();
  EXPECT_TRUE(eq.IsVisible());

  // Docked under the main window: a drag of the main window carries it along.
  w.Send(MSG_DRAG_BEGIN);
  w.MoveWindow(Rect::FromSize(300, 150, 275, 116));
  w.Send(MSG_DRAG_END);
  EXPECT_EQ(eq.GetWindowRect(), Rect::FromSize(300, 266, 275, 116));

  w.Send(MSG_COMMAND, CMD_SCALE_50);
  EXPECT_EQ(eq.GetWindowRect().Width(), 138);
  EXPECT_EQ(eq.GetScale(), 50);
  w.Send(MSG_COMMAND, CMD_FIT_SCREEN);
  EXPECT_EQ(eq.GetScale(), 88);
  EXPECT_EQ(eq.GetWindowRect(), Rect::FromSize(0, 26 + 102, 242, 102));

  w.Close();
  const QString text = Read("tarnello.txt");
  // The equalizer writes its keys before the main window writes its own.
  EXPECT_LT(text.indexOf("EQ_Visible=1"), text.indexOf("Scale="));
  EXPECT_TRUE(text.contains("\nEQ_y=128\n"));
}

TEST_F(MainWindowTest, AHiddenEqualizerStaysHiddenAndStillHandsItsStateToATrack) {
  TestMainWindow& w = Start("EQ_Visible=0\nEQOn=1\nEQ5=10\n");
  EXPECT_FALSE(w.Equalizer().IsVisible());
  const EqualizerState state = w.GetEqualizer();
  EXPECT_EQ(state.enabled, 1);
  EXPECT_EQ(state.bands[5], 10);
}

class RecordedPower : public DisplayPowerService, public SessionPowerService {
 public:
  RecordedPower() {
    SetDisplayPowerService(this);
    SetSessionPowerService(this);
  }
  ~RecordedPower() override {
    InstallQuietPowerServices();
  }
  bool IsScreenOn() override { return on; }
  void ScreenOn() override { calls << "on", on = true; }
  void ScreenOff() override { calls << "off", on = false; }
  void Suspend() override { calls << "suspend"; }
  bool on = true;
  QStringList calls;
};

TEST_F(MainWindowTest, ScreenToggleAndPowerOffReachTheReplaceableServices) {
  RecordedPower power;
  TestMainWindow& w = Start();
  w.Send(MSG_BUTTON_EVENT, 10, 1 | (1 << 16));
  w.Send(MSG_BUTTON_EVENT, 10, 1 | (1 << 16));
  EXPECT_EQ(power.calls, (QStringList{"off", "on"}));
  // "Exit & Power off": the player closes (its options are saved), then the suspend.
  w.Send(MSG_BUTTON_EVENT, 12, 1 | (1 << 16));
  EXPECT_EQ(power.calls.last(), "suspend");
  EXPECT_FALSE(w.Exists());
  EXPECT_TRUE(Read("tarnello.txt").contains("Main_x="));
}

// The Button Setting dialog in place of a person: what it was given, whether the
// player's keys were let go meanwhile, and the answer it gives.
struct ButtonDialogStand {
  static inline HotkeyWindow* watched = nullptr;
  static inline QStringList given, answer;
  static inline bool registeredMeanwhile = true, ok = false;
  static inline int unmapGiven = -1, unmapAnswer = 0;
  static bool Run(QWidget*, const QStringList& bindings, int& unmap, QStringList& result) {
    given = bindings;
    unmapGiven = unmap;
    registeredMeanwhile = watched->IsRegistered();
    if (!ok) return false;
    unmap = unmapAnswer;
    result = answer;
    return true;
  }
};

TEST_F(MainWindowTest, ButtonsDialogLetsTheKeysGoAndOnlyOkRewritesTheBindings) {
  SetButtonSettingRunner(&ButtonDialogStand::Run);
  TestMainWindow& w = Start("UnMap=1\n[buttons]\nHotkey0=5/1/179\n");
  ButtonDialogStand::watched = w.ButtonWindow();
  ASSERT_TRUE(w.ButtonWindow()->IsRegistered());

  // Cancel: the keys come back, the bindings stay.
  ButtonDialogStand::ok = false;
  w.Send(MSG_COMMAND, CMD_BUTTONS);
  EXPECT_FALSE(ButtonDialogStand::registeredMeanwhile);
  EXPECT_EQ(ButtonDialogStand::given, QStringList{"5/1/179"});
  EXPECT_EQ(ButtonDialogStand::unmapGiven, 1);
  EXPECT_TRUE(w.ButtonWindow()->IsRegistered());
  ASSERT_EQ(w.ButtonWindow()->GetBindingCount(), 1);

  // OK: the dialog's rows replace the bindings, its check box the option.
  ButtonDialogStand::ok = true;
  ButtonDialogStand::answer = {"2/1/178", "5/2/179"};
  ButtonDialogStand::unmapAnswer = 0;
  w.Send(MSG_COMMAND, CMD_BUTTONS);
  EXPECT_TRUE(w.ButtonWindow()->IsRegistered());
  ASSERT_EQ(w.ButtonWindow()->GetBindingCount(), 2);
  EXPECT_EQ(w.ButtonWindow()->GetBinding(1)->presses, 2);
  SetButtonSettingRunner(nullptr);

  w.Close();
  const QString options = Read("tarnello.txt");
  EXPECT_TRUE(options.contains("UnMap=0"));
  EXPECT_TRUE(options.contains("[buttons]\nHotkey0=2/1/178\nHotkey1=5/2/179\n")) << options.toStdString();
}

// A player with the test plug-in (it claims "*.tst", its tracks last a minute).
class MainWindowPlayingTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    QDir().mkpath(home_.path() + "/Plugins");
    ASSERT_TRUE(QFile::copy(TARNELLO_TEST_PLUGIN, home_.path() + "/Plugins/TestPlugin.so"));
  }
  QString Track(const QString& name) {
    const QString path = home_.path() + "/music/" + name;
    QDir().mkpath(home_.path() + "/music");
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    return path;
  }
};

TEST_F(MainWindowPlayingTest, DroppedFilesAreAppendedAndTheFirstOnePlays) {
  Write("tarnello.m3u", "#EXTM3U\n/music/old.tst\n");
  TestMainWindow& w = Start("EQ_Visible=0\nPL_Visible=0\n");
  const QString a = Track("a.tst"), b = Track("b.tst");
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)});
  QWindow* window = w.Widget()->windowHandle();
  ASSERT_NE(window, nullptr);
  QDragEnterEvent enter(QPoint(100, 60), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(window, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(100, 60), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(window, &drop);
  Playlist* list = w.GetPlaylist();
  ASSERT_EQ(list->GetCount(), 3);
  EXPECT_EQ(list->GetPath(1), a);
  EXPECT_EQ(list->GetPath(2), b);
  EXPECT_TRUE(w.Playback()->IsPlaying());
  EXPECT_EQ(list->GetCurrentRow(), 1);
  EXPECT_EQ(order_.GetCurrent(), 1);
  EXPECT_EQ(w.TitlePanel().Text(), "2. a.tst");
}

TEST_F(MainWindowPlayingTest, TimeRemainingCountsDownAndIsRemembered) {
  TestMainWindow& w = Start("EQ_Visible=0\nPL_Visible=0\n");
  w.OpenItems({Track("a.tst")});
  ASSERT_TRUE(w.Playback()->IsPlaying());
  w.OnTimer(TIMER_TIME_DISPLAY);
  EXPECT_LE(w.GetMinutes() * 60 + w.GetSeconds(), 1);

  w.SendCommand(CMD_TIME_REMAINING);
  EXPECT_TRUE(w.IsTimeRemaining());
  w.OnTimer(TIMER_TIME_DISPLAY);
  // A minute long, a moment played: 1:00 or 0:59 to go.
  const int shown = w.GetMinutes() * 60 + w.GetSeconds();
  EXPECT_GE(shown, 59);
  EXPECT_LE(shown, 60);
  // The A-B loop still compares with the time played.
  EXPECT_LT(w.DisplayedTimeMs(), 2000);

  w.Close();
  QCoreApplication::processEvents();
  EXPECT_TRUE(Read("tarnello.txt").contains("TimeRemaining=1\n"));
  window_.reset();
  TestMainWindow& again = Start();
  EXPECT_TRUE(again.IsTimeRemaining());
  again.SendCommand(CMD_TIME_ELAPSED);
  EXPECT_FALSE(again.IsTimeRemaining());
}

TEST_F(MainWindowPlayingTest, ATrackThatCannotBePlayedClearsTheStreamDetails) {
  const QString control = home_.path() + "/plugin";
  QDir().mkpath(control);
  qputenv("TARNELLO_TEST_PLUGIN_DIR", control.toUtf8());
  auto write = [&](const QString& name, const QByteArray& text) {
    QFile f(control + "/TestPlugin.so." + name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
  };
  write("playinfo", "128 44100 2");
  TestMainWindow& w = Start("EQ_Visible=0\nPL_Visible=0\n");
  w.OpenItems({Track("a.tst"), Track("b.tst")});
  ASSERT_TRUE(w.Playback()->IsPlaying());
  EXPECT_EQ(w.BitRatePanel().Shown(), "128");
  EXPECT_EQ(w.SampleRatePanel().Shown(), "44");
  EXPECT_EQ(w.GetChannels(), 2);

  write("play", "1");
  w.SendCommand(ID_NEXT);
  EXPECT_FALSE(w.Playback()->IsPlaying());
  EXPECT_EQ(w.BitRatePanel().Shown(), "");
  EXPECT_EQ(w.SampleRatePanel().Shown(), "");
  EXPECT_EQ(w.GetChannels(), 0);
  // Otherwise a failed start is as it was: the title stays, no message.
  EXPECT_EQ(w.TitlePanel().Text(), "1. a.tst");
  EXPECT_TRUE(boxes_.boxes.empty());
  qunsetenv("TARNELLO_TEST_PLUGIN_DIR");
}

TEST_F(MainWindowTest, ACloseInsideADialogEndsTheDialogFirstThenClosesAsDesigned) {
  // A window closed by an earlier test asked the application to quit, which makes
  // every loop started afterwards return at once; a loop of the application clears it.
  QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
  QCoreApplication::exec();
  RecordedPower power;
  TestMainWindow& w = Start();
  bool existedAfterClose = false;
  // "Exit & Power off" arrives while a modal dialog runs its loop over the player.
  QTimer::singleShot(50, [&] {
    w.Send(MSG_BUTTON_EVENT, 12, 1 | (1 << 16));
    existedAfterClose = w.Exists();
  });
  {
    // On the stack of its handler, as every dialog of the player.
    QDialog dialog(w.Widget());
    dialog.setModal(true);
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
  }
  EXPECT_TRUE(existedAfterClose);
  // The dialog's handler has returned; the close follows from the loop.
  EXPECT_TRUE(w.Exists());
  EXPECT_TRUE(power.calls.isEmpty());
  for (int i = 0; i < 100 && w.Exists(); ++i) QTest::qWait(10);
  EXPECT_FALSE(w.Exists());
  EXPECT_TRUE(Read("tarnello.txt").contains("Main_x="));
  EXPECT_EQ(power.calls, QStringList{"suspend"});
}

TEST_F(MainWindowTest, TheTimeRemainingKeyIsWrittenOnlyOnceChosen) {
  TestMainWindow& w = Start("EQ_Visible=0\nPL_Visible=0\n");
  w.Close();
  QCoreApplication::processEvents();
  EXPECT_FALSE(Read("tarnello.txt").contains("TimeRemaining"));
}

}  // namespace

// A plug-in's section lives in the player's copy of the file: what a plug-in writes
// while the player runs reaches the disk with the player's own keys when it closes,
// and sections nobody wrote stay as they were.
TEST_F(MainWindowTest, APluginsSectionAndThePlayersKeysBothSurviveTheClose) {
  Write("tarnello.txt", "[tarnello]\nVolume=77\n[Brelwick]\nReplayGainMode=2\n[Other]\nKept=yes\n");
  char16_t value[16];
  EXPECT_EQ(PlatformReadOption(u"Brelwick", u"ReplayGainMode", value, 16), -1);  // no player, no store
  TestMainWindow& w = Start();
  EXPECT_EQ(PlatformReadOption(u"brelwick", u"replaygainmode", value, 16), 1);
  EXPECT_EQ(std::u16string(value), u"2");
  EXPECT_EQ(PlatformReadOption(u"Brelwick", u"ReplayGainPreamp", value, 16), -1);
  EXPECT_EQ(PlatformWriteOption(u"Brelwick", u"ReplayGainMode", u"1"), 1);
  EXPECT_EQ(PlatformWriteOption(u"Brelwick", u"ReplayGainPreamp", u"-2.5"), 1);
  // The player's own sections, and lines that would read back as something else, are refused.
  for (const char16_t* section : {u"tarnello", u"TARNELLO", u"buttons", u"", u"a]b", u"[x"})
    EXPECT_EQ(PlatformWriteOption(section, u"Volume", u"0"), 0);
  EXPECT_EQ(PlatformWriteOption(u"Brelwick", u"a=b", u"0"), 0);
  EXPECT_EQ(PlatformWriteOption(u"Brelwick", u"Key", u"[Other]"), 0);
  EXPECT_EQ(PlatformWriteOption(u"Brelwick", u"Key", u"1\n[tarnello]"), 0);
  // A value longer than the buffer is cut, its whole length told.
  EXPECT_EQ(PlatformWriteOption(u"Brelwick", u"Long", u"0123456789abcdefXYZ"), 1);
  EXPECT_EQ(PlatformReadOption(u"Brelwick", u"Long", value, 16), 19);
  EXPECT_EQ(std::u16string(value), u"0123456789abcde");
  w.Close();
  const QString text = Read("tarnello.txt");
  EXPECT_TRUE(text.contains("\nVolume=77\n")) << qPrintable(text);
  EXPECT_TRUE(text.contains("[Brelwick]\nReplayGainMode=1\nReplayGainPreamp=-2.5\n")) << qPrintable(text);
  EXPECT_TRUE(text.contains("[Other]\nKept=yes\n")) << qPrintable(text);
  EXPECT_FALSE(text.contains("\nVolume=0\n"));
  window_.reset();
  EXPECT_EQ(PlatformWriteOption(u"Brelwick", u"ReplayGainMode", u"0"), 0);  // the store went with the player
}
