#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "app/MainWindow.h"
#include "playback/HostCallbacks.h"
#include "playback/OpenFilter.h"
#include "playback/PluginManager.h"
#include "platform/Messages.h"
#include "platform/Window.h"
#include "support/LogCapture.h"
#include "support/RecordingMessageBoxes.h"

namespace {

// A window that records the messages it receives.
class Receiver : public Window {
 public:
  struct Message {
    uint32_t message;
    intptr_t wParam;
    intptr_t lParam;
  };
  Receiver() { CreateTopLevel("receiver", Rect::FromSize(0, 0, 10, 10), 0, nullptr, false); }
  std::vector<Message> messages;

 protected:
  intptr_t OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
    messages.push_back({message, intptr_t(wParam), lParam});
    // The report lives only while the message is handled.
    if (message == MSG_STREAM_TAGS) tags.push_back(*reinterpret_cast<const StreamMetadata*>(lParam));
    return 0;
  }

 public:
  std::vector<StreamMetadata> tags;
};

class PluginManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(root.isValid());
    QDir(root.path()).mkpath("Plugins");
    QDir(root.path()).mkpath("control");
    pluginDir = root.path() + "/Plugins";
    controlDir = root.path() + "/control";
    qputenv("TARNELLO_TEST_PLUGIN_DIR", controlDir.toUtf8());
  }
  void TearDown() override {
    HostCallbacks::PublishMainWindow(nullptr);
    qunsetenv("TARNELLO_TEST_PLUGIN_DIR");
  }

  void AddPlugin(const QString& name, const QString& types = QString(), const QString& claims = QString()) {
    ASSERT_TRUE(QFile::copy(TEST_PLUGIN, pluginDir + "/" + name));
    if (!types.isNull()) WriteControl(name + ".types", types);
    if (!claims.isNull()) WriteControl(name + ".claims", claims);
  }
  void WriteControl(const QString& name, const QString& text) {
    QFile f(controlDir + "/" + name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text.toUtf8());
  }
  QStringList Log() {
    QFile f(controlDir + "/log.txt");
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
  }
  // The log lines of one operation, without the plug-in name for single-plug-in tests.
  QStringList LogOf(const QString& operation) {
    QStringList lines;
    for (const QString& line : Log())
      if (line.section(' ', 1, 1) == operation) lines.append(line);
    return lines;
  }

  QTemporaryDir root;
  QString pluginDir;
  QString controlDir;
  RecordingMessageBoxes boxes;
};

TEST_F(PluginManagerTest, LoadsEveryFileWhoseNameHoldsDotSoInSortedOrder) {
  AddPlugin("d.sox");
  AddPlugin("a.so");
  AddPlugin("B.SO");
  AddPlugin("c.so.bak");
  AddPlugin("e.txt");
  QDir(pluginDir).mkdir("x.so");
  QFile text(pluginDir + "/f.so");
  ASSERT_TRUE(text.open(QIODevice::WriteOnly));
  text.write("not a library");
  text.close();
  ASSERT_TRUE(QFile::copy(NO_ENTRY_PLUGIN, pluginDir + "/g.so"));

  Receiver host;
  PluginManager manager(host.GetHandle(), pluginDir);
  EXPECT_EQ(manager.LoadAll(), 1);
  ASSERT_EQ(manager.Count(), 3);
  EXPECT_EQ(LogOf("startup"), QStringList({"a.so startup hostWindow=set library=set",
                                           "c.so.bak startup hostWindow=set library=set",
                                           "d.sox startup hostWindow=set library=set"}));
  // The file that is not a library and the library without the entry point.
  ASSERT_EQ(boxes.boxes.size(), 2u);
  EXPECT_EQ(boxes.boxes[0].text, "LoadDll Fail!");
  EXPECT_EQ(boxes.boxes[1].text, "LoadDll Fail!");

  for (int i = 0; i < manager.Count(); ++i) {
    const PluginEntry& row = manager.Entry(i);
    EXPECT_EQ(row.module->hostWindow, host.GetHandle());
    EXPECT_EQ(row.module->libraryHandle, row.library);
    EXPECT_EQ(row.module->apiVersion, 255);  // accepted all the same
  }
  const InputModule& m = *manager.Entry(0).module;
  m.hostHook1(), m.hostHook2(), m.hostHook3(), m.hostHook5(), m.hostHook6(), m.hostHook8(), m.hostHook9();
  EXPECT_EQ(m.hostHook4() + m.hostHook7() + m.hostHook10() + m.hostHook11(), 0);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_TRUE(LogOf("reservedFn1").isEmpty());

  manager.UnloadAll();
  EXPECT_EQ(LogOf("shutdown"), QStringList({"a.so shutdown", "c.so.bak shutdown", "d.sox shutdown"}));
  manager.UnloadAll();
  EXPECT_EQ(LogOf("shutdown").size(), 3);
  EXPECT_EQ(manager.Count(), 0);
}

TEST_F(PluginManagerTest, TheLogSaysWhichPluginsWereFoundLoadedOrRefusedAndWhy) {
  AddPlugin("a.so");
  QFile text(pluginDir + "/b.so");
  ASSERT_TRUE(text.open(QIODevice::WriteOnly));
  text.write("not a library");
  text.close();
  ASSERT_TRUE(QFile::copy(NO_ENTRY_PLUGIN, pluginDir + "/c.so"));

  LogCapture log;
  PluginManager manager(nullptr, pluginDir);
  manager.LoadAll();
  ASSERT_EQ(manager.Count(), 1);
  const QStringList lines = log.Area("plugins");
  ASSERT_EQ(lines.size(), 6) << lines.join('\n').toStdString();
  EXPECT_EQ(lines[0], "found " + pluginDir + "/a.so");
  EXPECT_EQ(lines[1], "loaded " + pluginDir + "/a.so as plug-in 1");
  EXPECT_EQ(lines[2], "found " + pluginDir + "/b.so");
  EXPECT_TRUE(lines[3].startsWith("refused " + pluginDir + "/b.so: cannot be loaded: ")) << lines[3].toStdString();
  EXPECT_TRUE(lines[3].contains("b.so")) << "the loader's reason names the file";
  EXPECT_EQ(lines[5], "refused " + pluginDir + "/c.so: no entry point orvaneGetInModule2");
  EXPECT_EQ(boxes.boxes.size(), 2u);

  // A path too long for the plug-in's buffer is never tried.
  QString deep = root.path();
  while (deep.size() < PluginManager::kMaxPath) deep += "/" + QString(60, u'd');
  ASSERT_TRUE(QDir().mkpath(deep));
  ASSERT_TRUE(QFile::copy(TEST_PLUGIN, deep + "/a.so"));
  PluginManager deepManager(nullptr, deep);
  deepManager.LoadAll();
  EXPECT_EQ(deepManager.Count(), 0);
  const QString last = log.Area("plugins").last();
  EXPECT_EQ(last, QStringLiteral("refused %1/a.so: the path is %2 characters long, at most %3 fit")
                      .arg(deep)
                      .arg(deep.size() + 5)
                      .arg(PluginManager::kMaxPath - 1));
}

TEST_F(PluginManagerTest, AMissingFolderLoadsNothingSilently) {
  PluginManager manager(nullptr, root.path() + "/NoSuchFolder");
  EXPECT_EQ(manager.LoadAll(), 1);
  EXPECT_EQ(manager.Count(), 0);
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_EQ(manager.BuildOpenFilter(), "All supported types|||");
  EXPECT_EQ(manager.PlayFile("x.tst"), -1);
}

TEST_F(PluginManagerTest, TheTableHoldsAtMost256PluginsAndLoadingStopsThere) {
  qunsetenv("TARNELLO_TEST_PLUGIN_DIR");
  // Links to one library: each load is a new reference, which is all the table counts.
  for (int i = 0; i < 258; ++i)
    ASSERT_TRUE(QFile::link(TEST_PLUGIN, pluginDir + QString::asprintf("/p%03d.so", i)));
  PluginManager manager(nullptr, pluginDir);
  manager.LoadAll();
  EXPECT_EQ(manager.Count(), PluginManager::kMaxPlugins);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, "LoadDll Fail!");
  EXPECT_FALSE(manager.LoadPlugin(pluginDir + "/p257.so"));
}

TEST_F(PluginManagerTest, APathThatDoesNotFitItsBufferIsRefused) {
  QString deep = pluginDir;
  while (deep.size() < PluginManager::kMaxPath - 20) deep += "/" + QString(40, 'd');
  ASSERT_TRUE(QDir().mkpath(deep));
  ASSERT_TRUE(QFile::copy(TEST_PLUGIN, deep + "/a-plugin-with-a-long-name.so"));
  PluginManager manager(nullptr, deep);
  manager.LoadAll();
  EXPECT_EQ(manager.Count(), 0);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_TRUE(LogOf("startup").isEmpty());
}

TEST_F(PluginManagerTest, OpenFilterListsAllPatternsThenEveryPluginsTypes) {
  {
    AddPlugin("a.so", "Windows Media Audio Files (*.wma)|*.wma|");
    PluginManager one(nullptr, pluginDir);
    one.LoadAll();
    EXPECT_EQ(one.BuildOpenFilter(), "All supported types|*.wma;|Windows Media Audio Files (*.wma)|*.wma||");
  }
  QFile::remove(pluginDir + "/a.so");
  AddPlugin("a.so", "A|*.mp3|");
  AddPlugin("b.so", "B|*.mp3;*.mp2|");
  AddPlugin("c.so", "");  // offers nothing
  PluginManager two(nullptr, pluginDir);
  two.LoadAll();
  EXPECT_EQ(two.BuildOpenFilter(), "All supported types|*.mp3;*.mp3;*.mp2;|A|*.mp3|B|*.mp3;*.mp2||");
}

TEST_F(PluginManagerTest, OpenFilterTrimsPatternsAndSkipsEmptyOnes) {
  AddPlugin("a.so", "Ogg| *.ogg ; *.oga |");
  AddPlugin("b.so", "None||");
  AddPlugin("c.so", "X|*.x;;*.y|");
  PluginManager manager(nullptr, pluginDir);
  manager.LoadAll();
  const QString filter = manager.BuildOpenFilter();
  EXPECT_EQ(filter, "All supported types|*.ogg;*.oga;*.x;*.y;|Ogg| *.ogg ; *.oga |None||X|*.x;;*.y||");

  // The dialog gets the same groups in Qt's form, the first one selected.
  const QStringList nameFilters = OpenFilter(filter).NameFilters();
  EXPECT_EQ(nameFilters, QStringList({"All supported types (*.ogg *.oga *.x *.y)", "Ogg (*.ogg *.oga)"}));
  QFileDialog dialog;
  dialog.setNameFilters(OpenFilter("All supported types|*.wma;|Windows Media Audio Files (*.wma)|*.wma||").NameFilters());
  EXPECT_EQ(dialog.nameFilters().size(), 2);
  EXPECT_EQ(dialog.selectedNameFilter(), "All supported types (*.wma)");
}

TEST_F(PluginManagerTest, TypesThatDoNotFitTheFilterBufferAreLeftOutWhole) {
  AddPlugin("a.so", "Big|" + QString(2100, 'b') + "|");
  AddPlugin("b.so", "Small|*.s|");
  PluginManager manager(nullptr, pluginDir);
  manager.LoadAll();
  EXPECT_EQ(manager.BuildOpenFilter(), "All supported types|*.s;|Small|*.s||");
}

TEST_F(PluginManagerTest, PlayFileChoosesTheFirstClaimerAndForwardsToIt) {
  AddPlugin("a.so", "", ".tst\n.mp3");
  AddPlugin("b.so", "", ".tst\n.ogg");
  PluginManager manager(nullptr, pluginDir);
  manager.LoadAll();
  EXPECT_EQ(manager.TrackLengthMs(), -1);
  EXPECT_EQ(manager.PlayPositionMs(), -1);
  EXPECT_EQ(manager.IsPlaybackPaused(), 0);
  manager.StopPlayback();  // nothing to stop
  EXPECT_EQ(manager.PlayFile("/music/x.wav"), -1);
  EXPECT_EQ(manager.Current(), nullptr);
  EXPECT_TRUE(LogOf("stopPlayback").isEmpty());

  EXPECT_EQ(manager.PlayFile("/music/song.TST"), 0);
  EXPECT_EQ(manager.Current(), manager.Entry(0).module);
  EXPECT_EQ(LogOf("playFile"), QStringList({"a.so playFile /music/song.TST -> 0"}));
  EXPECT_TRUE(LogOf("claimsFile").filter("b.so").filter("song").isEmpty());

  // The current plug-in is stopped first, also when it plays the next path itself.
  EXPECT_EQ(manager.PlayFile("http://host/next.mp3"), 0);
  QStringList log = Log();
  ASSERT_GE(log.size(), 2);
  EXPECT_EQ(log[log.size() - 2], "a.so stopPlayback");
  EXPECT_EQ(log.last(), "a.so playFile http://host/next.mp3 -> 0");

  EXPECT_EQ(manager.PlayFile("y.ogg"), 0);
  log = Log();
  EXPECT_EQ(log[log.size() - 2], "a.so stopPlayback");
  EXPECT_EQ(log.last(), "b.so playFile y.ogg -> 0");
  EXPECT_EQ(manager.Current(), manager.Entry(1).module);

  // Nobody claims: nothing is stopped and the current plug-in stays.
  EXPECT_EQ(manager.PlayFile("z.flac"), -1);
  EXPECT_EQ(manager.Current(), manager.Entry(1).module);
  EXPECT_EQ(Log().last(), "b.so claimsFile z.flac -> 0");

  const int16_t bands[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  manager.PausePlayback();
  manager.ResumePlayback();
  manager.SeekToMs(1500);
  manager.ApplyVolume(200);
  manager.ApplyBalance(-127);
  manager.ApplySpeed(1.25f);
  manager.ApplyEqualizer(1, bands, -3);
  EXPECT_EQ(manager.TrackLengthMs(), 60000);
  log = Log().mid(Log().size() - 8);
  EXPECT_EQ(log, QStringList({"b.so pausePlayback", "b.so resumePlayback", "b.so seekToMs 1500",
                              "b.so applyVolume 200", "b.so applyBalance -127", "b.so applySpeed 1.250",
                              "b.so applyEqualizer 1 1,2,3,4,5,6,7,8,9,10 -3", "b.so trackLengthMs -> 60000"}));

  manager.UnloadAll();
  EXPECT_EQ(manager.Current(), nullptr);
  EXPECT_EQ(manager.TrackLengthMs(), -1);
  EXPECT_EQ(manager.PlayPositionMs(), -1);
  EXPECT_EQ(manager.PlayFile("song.tst"), -1);
}

TEST_F(PluginManagerTest, APluginWhosePlayFailsStaysCurrent) {
  AddPlugin("a.so", "", ".tst");
  AddPlugin("b.so", "", ".tst");
  WriteControl("a.so.play", "7");
  PluginManager manager(nullptr, pluginDir);
  manager.LoadAll();
  EXPECT_EQ(manager.PlayFile("song.tst"), 7);
  EXPECT_EQ(manager.Current(), manager.Entry(0).module);
  manager.SeekToMs(10);
  EXPECT_EQ(Log().last(), "a.so seekToMs 10");
  EXPECT_EQ(manager.PlayFile("other.tst"), 7);
  EXPECT_EQ(LogOf("stopPlayback"), QStringList({"a.so stopPlayback"}));
}

TEST_F(PluginManagerTest, StreamInfoReachesTheMainWindowOnlyOnceItIsPublished) {
  AddPlugin("a.so", "", ".tst");
  WriteControl("a.so.startupinfo", "64 22050 1");
  WriteControl("a.so.playinfo", "-1 48000 5");
  Receiver host;
  PluginManager manager(host.GetHandle(), pluginDir);
  manager.LoadAll();
  EXPECT_TRUE(host.messages.empty());

  HostCallbacks::PublishMainWindow(host.GetHandle());
  ASSERT_EQ(manager.PlayFile("a.tst"), 0);
  ASSERT_EQ(host.messages.size(), 2u);
  EXPECT_EQ(host.messages[0].message, uint32_t(MSG_STREAM_RATES));
  EXPECT_EQ(host.messages[0].wParam, -1);
  EXPECT_EQ(host.messages[0].lParam, 48000);
  EXPECT_EQ(host.messages[1].message, uint32_t(MSG_STREAM_CHANNELS));
  EXPECT_EQ(host.messages[1].wParam, 5);
  EXPECT_EQ(host.messages[1].lParam, 0);
}

TEST_F(PluginManagerTest, AStreamsTagsReachTheMainWindowFromThePluginsThread) {
  AddPlugin("a.so", "", ".tst");
  Receiver host;
  PluginManager manager(host.GetHandle(), pluginDir);
  manager.LoadAll();
  EXPECT_NE(manager.Entry(0).module->reportStreamTags, nullptr);
  HostCallbacks::PublishMainWindow(host.GetHandle());
  ASSERT_EQ(manager.PlayFile("a.tst"), 0);
  WriteControl("a.so.tags", "Radio Q\n\nAlpha - One\n");
  QElapsedTimer clock;
  clock.start();
  while (host.tags.empty() && clock.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  ASSERT_EQ(host.tags.size(), 1u);
  EXPECT_EQ(host.tags[0].station, "Radio Q");
  EXPECT_TRUE(host.tags[0].artist.isEmpty());
  EXPECT_EQ(host.tags[0].title, "Alpha - One");
  HostCallbacks::PublishMainWindow(nullptr);
}

TEST(StreamTagReport, IsReadAsFarAsItsSizeGoesWithTextsBoundedAndOnOneLine) {
  std::u16string longText(100000, u'x');
  const StreamTagReport full{int32_t(sizeof(StreamTagReport)), 128, u"  Radio\nQ ", nullptr, u"A\tB", longText.c_str()};
  StreamMetadata m = HostCallbacks::ReadStreamTags(full);
  EXPECT_EQ(m.station, "Radio Q");
  EXPECT_EQ(m.genre, "");
  EXPECT_EQ(m.artist, "A B");
  EXPECT_EQ(m.title.size(), HostCallbacks::kMaxTextLength);
  EXPECT_EQ(m.bitRateKbps, 128);

  // A plug-in that knew only the first fields: the rest is not read (it may be
  // whatever lies behind its shorter record).
  StreamTagReport older = full;
  older.size = int32_t(offsetof(StreamTagReport, artist));
  m = HostCallbacks::ReadStreamTags(older);
  EXPECT_EQ(m.station, "Radio Q");
  EXPECT_TRUE(m.artist.isEmpty() && m.title.isEmpty());
  older.size = -5;
  EXPECT_TRUE(HostCallbacks::ReadStreamTags(older).IsEmpty());
  StreamTagReport absurd = full;
  absurd.bitRateKbps = -3;
  EXPECT_EQ(HostCallbacks::ReadStreamTags(absurd).bitRateKbps, 0);
}

std::u16string U16(const char* utf8) { return QString::fromUtf8(utf8).toStdU16String(); }

// Bytes as a plug-in passes those of a text that is not UTF-8: U+DC00 + byte above 0x7F.
std::u16string Passed(const std::string& bytes) {
  std::u16string out;
  for (char b : bytes) out += char16_t(uint8_t(b) < 0x80 ? uint8_t(b) : 0xDC00 + uint8_t(b));
  return out;
}

TEST(StreamTagReport, TextsPassedAsBytesAreReadInTheirDetectedCodePage) {
  // A Western station that still sends Windows-1252, beside a title in UTF-8.
  const std::u16string station = Passed("Caf\xE9 Radio"), title = Passed("Caf\xE9 Ol\xE9 - Three");
  const std::u16string artist = U16("Ñandú");
  StreamTagReport report{int32_t(sizeof(StreamTagReport)), 0, station.c_str(), nullptr, artist.c_str(), title.c_str()};
  StreamMetadata m = HostCallbacks::ReadStreamTags(report);
  EXPECT_EQ(m.station, QString::fromUtf8("Café Radio"));
  EXPECT_EQ(m.title, QString::fromUtf8("Café Olé - Three"));
  EXPECT_EQ(m.artist, QString::fromUtf8("Ñandú"));

  // A Russian one in Windows-1251, its texts read together.
  const std::u16string cyrStation = Passed("\xD0\xE0\xE4\xE8\xEE \xCA\xE8\xED\xEE");
  const std::u16string cyrTitle = Passed("\xC3\xF0\xF3\xEF\xEF\xE0 \xEA\xF0\xEE\xE2\xE8 - \xC7\xE2\xE5\xE7\xE4\xE0");
  report = {int32_t(sizeof(StreamTagReport)), 0, cyrStation.c_str(), nullptr, nullptr, cyrTitle.c_str()};
  m = HostCallbacks::ReadStreamTags(report);
  EXPECT_EQ(m.station, QString::fromUtf8("Радио Кино"));
  EXPECT_EQ(m.title, QString::fromUtf8("Группа крови - Звезда"));

  // Bytes no code page makes sense of still come out as characters, never lost,
  // but control characters (C1 included) become blanks; a character beyond U+FFFF
  // whose second half looks like a passed byte is a character.
  const std::u16string junk = Passed("\xFF\xFE\xFD\xFC\xFB"), controls = Passed("a\x81\x8D\x8F\x90\x9D" "b");
  report = {int32_t(sizeof(StreamTagReport)), 0, controls.c_str(), nullptr, junk.c_str(), u"\U00010080"};
  m = HostCallbacks::ReadStreamTags(report);
  EXPECT_EQ(m.artist.size(), 5);
  EXPECT_EQ(m.station, "a b");
  EXPECT_EQ(m.title, QString::fromUtf8("\U00010080"));
}

TEST_F(PluginManagerTest, ThePluginEndsATrackOnRequestFromItsOwnThread) {
  AddPlugin("a.so", "", ".tst");
  Receiver host;
  PluginManager manager(host.GetHandle(), pluginDir);
  manager.LoadAll();
  ASSERT_EQ(manager.PlayFile("a.tst"), 0);
  WriteControl("a.so.end", "");
  EXPECT_TRUE(QTest::qWaitFor([&] { return !host.messages.empty(); }, 5000));
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].message, uint32_t(MSG_TRACK_ENDED));
  EXPECT_FALSE(QFile::exists(controlDir + "/a.so.end"));
}

// The main window loads the plug-ins first, publishes its handle after they have
// started, and releases them when it closes.
TEST_F(PluginManagerTest, TheMainWindowOwnsThePluginsFromCreationToClose) {
  AddPlugin("a.so", "", ".tst");
  qputenv("TARNELLO_HOME", root.path().toUtf8());
  {
    MainWindow window;
    ASSERT_TRUE(window.Create("Tarnello"));
    ASSERT_NE(window.Plugins(), nullptr);
    EXPECT_EQ(window.Plugins()->Count(), 1);
    EXPECT_EQ(window.Plugins()->Entry(0).module->hostWindow, window.GetHandle());
    EXPECT_EQ(HostCallbacks::MainWindow(), window.GetHandle());
    EXPECT_EQ(LogOf("startup").size(), 1);
    window.Close();
    EXPECT_EQ(LogOf("shutdown"), QStringList({"a.so shutdown"}));
    EXPECT_EQ(window.Plugins()->Count(), 0);
  }
  EXPECT_EQ(LogOf("shutdown").size(), 1);  // the destructor's second unload calls nobody
  EXPECT_EQ(HostCallbacks::MainWindow(), nullptr);
  qunsetenv("TARNELLO_HOME");
}

}  // namespace
