#include <QFile>
#include <QDir>
#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>

#include "TestMedia.h"
#include "playback/PluginManager.h"
#include "platform/Window.h"
#include "support/RecordingMessageBoxes.h"

namespace {
constexpr int kFrameMs = 47;  // one WMA frame (2048 samples at 44.1 kHz), rounded up
constexpr int kSineAmplitude = 32768 / 8;

const QString kMissingControlText =
    QString::fromUtf8("Windows Media Player Control for PocketIE 가 설치 되어 있지 않아\nwma를 재생할수 없습니다.");

// The player's main window as far as Dovrel sees it: counts MSG_TRACK_ENDED.
class HostWindow : public Window {
 public:
  HostWindow() { CreateTopLevel("host", Rect::FromSize(0, 0, 10, 10), 0, nullptr, false); }
  int tracksEnded = 0;
  std::function<void()> onTrackEnded;

 protected:
  intptr_t OnMessage(uint32_t message, uintptr_t, intptr_t) override {
    if (message == MSG_TRACK_ENDED) {
      ++tracksEnded;
      if (onTrackEnded) onTrackEnded();
    }
    return 0;
  }
};

class DovrelTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir = TestMedia::MakeTempDir();
    ASSERT_TRUE(TestMedia::MakeSine(dir + "/sine.wma", 3.0));
    ASSERT_TRUE(TestMedia::MakeSine(dir + "/SINE.ASF", 3.0));
    ASSERT_TRUE(TestMedia::MakeSine(dir + "/short.wma", 0.3));
  }
  void TearDown() override { qunsetenv("TARNELLO_AUDIO"); }

  // Dovrel alone loaded by the plug-in manager as the player loads it, with the given output.
  std::unique_ptr<PluginManager> Load(const char* audio) {
    qputenv("TARNELLO_AUDIO", audio);
    auto manager = std::make_unique<PluginManager>(host.GetHandle(), DOVREL_FOLDER);
    manager->LoadPlugin(DOVREL_FOLDER "/Dovrel.so");
    EXPECT_EQ(manager->Count(), 1);
    return manager;
  }
  static QString Path(const char* name) { return QString::fromStdString(dir + "/" + name); }

  static std::string dir;
  RecordingMessageBoxes boxes;
  HostWindow host;
};
std::string DovrelTest::dir;

// Runs first, while the library has never been started in this process.
TEST_F(DovrelTest, SettingsAndAboutWorkBeforeStartup) {
  Platform::LibraryHandle library = Platform::LoadLibrary(DOVREL_FOLDER "/Dovrel.so");
  ASSERT_NE(library, nullptr);
  auto entry = reinterpret_cast<GetInModuleFunction>(Platform::GetProcAddress(library, "orvaneGetInModule2"));
  ASSERT_NE(entry, nullptr);
  InputModule* m = entry();
  EXPECT_EQ(m, entry());
  EXPECT_EQ(m->apiVersion, 256);
  EXPECT_EQ(QString::fromUtf16(m->description),
            "Use WMT(Windows Media Technology) Component at PocketPC\nVersion v0.1");
  EXPECT_EQ(QString::fromUtf16(m->fileTypes), "");
  EXPECT_EQ(m->hostWindow, nullptr);
  EXPECT_EQ(m->reserved3, nullptr);
  EXPECT_EQ(m->reservedFn2(), 0);
  EXPECT_EQ(m->claimsFile(u"song.wma"), 0);
  EXPECT_EQ(m->trackLengthMs(), 0);

  m->showAbout(nullptr);
  m->showConfig(nullptr);
  ASSERT_EQ(boxes.boxes.size(), 2u);
  EXPECT_EQ(boxes.boxes[0].text, QString::fromUtf8("about 입니다용~"));
  EXPECT_EQ(boxes.boxes[0].caption, "");
  EXPECT_EQ(boxes.boxes[1].text, "");
  EXPECT_EQ(boxes.boxes[1].caption, "");
  Platform::FreeLibrary(library);
}

TEST_F(DovrelTest, WithoutSoundOutputItSaysSoOnceAndClaimsNothing) {
  auto manager = Load("wav:/nonexistent-folder/out.wav");
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, kMissingControlText);
  EXPECT_EQ(boxes.boxes[0].caption, " Error! / Dovrel.so");
  const InputModule* m = manager->Entry(0).module;
  EXPECT_EQ(QString::fromUtf16(m->fileTypes), "");
  EXPECT_EQ(m->claimsFile(u"song.wma"), 0);
  EXPECT_EQ(m->trackLengthMs(), 0);
  EXPECT_EQ(m->playPositionMs(), 0);
  EXPECT_EQ(m->isPlaybackPaused(), 0);
  EXPECT_EQ(manager->BuildOpenFilter(), "All supported types|||");
  EXPECT_EQ(manager->PlayFile(Path("sine.wma")), -1);
  manager->UnloadAll();
}

TEST_F(DovrelTest, WithoutTheDecodingLibraryItSaysSoOnceAndClaimsNothing) {
  // A program folder holding the plug-in but not the decoding library beside it.
  const QString home = QString::fromStdString(TestMedia::MakeTempDir());
  ASSERT_TRUE(QDir(home).mkdir("Plugins"));
  ASSERT_TRUE(QFile::copy(DOVREL_FOLDER "/Dovrel.so", home + "/Plugins/Dovrel.so"));
  qputenv("TARNELLO_AUDIO", "null-untimed");
  PluginManager manager(host.GetHandle(), home + "/Plugins");
  manager.LoadAll();
  ASSERT_EQ(manager.Count(), 1);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, kMissingControlText);
  EXPECT_EQ(manager.Entry(0).module->claimsFile(u"song.wma"), 0);
  manager.UnloadAll();
}

TEST_F(DovrelTest, ClaimsByTheFirstFourCharactersOfTheLastDot) {
  auto manager = Load("null-untimed");
  EXPECT_TRUE(boxes.boxes.empty());
  const InputModule* m = manager->Entry(0).module;
  EXPECT_EQ(QString::fromUtf16(m->fileTypes), "Windows Media Audio Files (*.wma)|*.wma|");
  EXPECT_EQ(manager->BuildOpenFilter(), "All supported types|*.wma;|Windows Media Audio Files (*.wma)|*.wma||");
  for (const char16_t* yes : {u"song.wma", u"SONG.ASF", u"x.WMA", u"a.wmaq", u"/a.b/c.Asf", u"http://h/x.wma",
                             u"http://h.wma/x"}) {
    EXPECT_EQ(m->claimsFile(yes), 1) << QString::fromUtf16(yes).toStdString();
  }
  for (const char16_t* no : {u"song.wm", u"songwma", u"x.wma.bak", u"", u"wma", u".wm", u"http://h/x.wmv"}) {
    EXPECT_EQ(m->claimsFile(no), 0) << QString::fromUtf16(no).toStdString();
  }
  manager->UnloadAll();
}

TEST_F(DovrelTest, PlaysWithPositionPauseSeekAndEndOfTrack) {
  auto manager = Load("null");
  QElapsedTimer clock;
  clock.start();
  ASSERT_EQ(manager->PlayFile(Path("sine.wma")), 0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return manager->TrackLengthMs() > 0; }, 5000));
  EXPECT_NEAR(manager->TrackLengthMs(), 3000, kFrameMs);
  // The null output plays in real time: the position never runs ahead of the clock
  // and then follows it.
  QTest::qWait(200);
  const int first = manager->PlayPositionMs();
  const int firstAt = int(clock.elapsed());
  EXPECT_LE(first, firstAt);
  QTest::qWait(300);
  const int second = manager->PlayPositionMs();
  const int secondAt = int(clock.elapsed());
  EXPECT_NEAR(second - first, secondAt - firstAt, 50);

  manager->PausePlayback();
  EXPECT_EQ(manager->IsPlaybackPaused(), 1);
  const int paused = manager->PlayPositionMs();
  QTest::qWait(300);
  EXPECT_EQ(manager->PlayPositionMs(), paused);
  manager->ResumePlayback();
  EXPECT_EQ(manager->IsPlaybackPaused(), 0);
  manager->ResumePlayback();  // while playing: nothing happens
  EXPECT_EQ(manager->IsPlaybackPaused(), 0);

  clock.restart();
  manager->SeekToMs(1500);
  EXPECT_EQ(manager->PlayPositionMs(), 1500);
  QTest::qWait(50);
  const int afterSeek = manager->PlayPositionMs();
  EXPECT_GE(afterSeek, 1500 - kFrameMs);
  EXPECT_LE(afterSeek, 1500 + int(clock.elapsed()) + kFrameMs);
  EXPECT_EQ(host.tracksEnded, 0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return host.tracksEnded == 1; }, 4000));
  QTest::qWait(100);
  EXPECT_EQ(host.tracksEnded, 1);
  manager->UnloadAll();
}

TEST_F(DovrelTest, PlaysAsfFilesAndStopsOnRequest) {
  auto manager = Load("null");
  ASSERT_EQ(manager->PlayFile(Path("SINE.ASF")), 0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return manager->PlayPositionMs() > 100; }, 3000));
  EXPECT_NEAR(manager->TrackLengthMs(), 3000, kFrameMs);
  manager->StopPlayback();
  EXPECT_EQ(manager->PlayPositionMs(), 0);
  QTest::qWait(300);
  EXPECT_EQ(host.tracksEnded, 0);
  manager->UnloadAll();
}

// The end of the track arrives by a synchronous message from the control's thread,
// and handling it restarts playback at once, as the player does.
TEST_F(DovrelTest, RestartingFromTheEndOfTrackMessageNeverDeadlocks) {
  auto manager = Load("null-untimed");
  const QString path = Path("short.wma");
  host.onTrackEnded = [&] {
    if (host.tracksEnded < 200) {
      EXPECT_EQ(manager->PlayFile(path), 0);
    }
  };
  ASSERT_EQ(manager->PlayFile(path), 0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return host.tracksEnded >= 200; }, 60000)) << host.tracksEnded;
  host.onTrackEnded = nullptr;
  manager->UnloadAll();
}

TEST_F(DovrelTest, VolumeMapsZeroToSilenceAnd250ToFullLevel) {
  const int volumes[] = {0, 250, 255, 200};
  int peaks[4] = {};
  for (int i = 0; i < 4; ++i) {
    const std::string wavPath = dir + "/volume" + std::to_string(i) + ".wav";
    auto manager = Load(("wav:" + wavPath).c_str());
    manager->Entry(0).module->applyVolume(volumes[i]);
    const int ended = host.tracksEnded;
    ASSERT_EQ(manager->PlayFile(Path("short.wma")), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return host.tracksEnded > ended; }, 10000));
    manager->UnloadAll();
    TestMedia::Wav wav;
    ASSERT_TRUE(TestMedia::ReadWav(wavPath, wav));
    ASSERT_GT(wav.Frames(), 10000u);
    peaks[i] = std::max(TestMedia::Peak(wav, 0), TestMedia::Peak(wav, 1));
  }
  EXPECT_EQ(peaks[0], 0);
  EXPECT_NEAR(peaks[1], kSineAmplitude, kSineAmplitude * 0.05);
  EXPECT_EQ(peaks[2], peaks[1]);  // above 0 dB nothing is added
  EXPECT_NEAR(peaks[3], kSineAmplitude * std::pow(10.0, -2000.0 / 2000.0), kSineAmplitude * 0.05);
}

}  // namespace
