// ReplayGain in Brelwick as the player loads it, measured on the wav backend: the
// tags of each format, the modes, the peak bound, the bit-exact bypass, and the
// settings dialog with its keys in the player's options.
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QMap>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "TestMedia.h"
#include "playback/HostCallbacks.h"
#include "playback/PluginManager.h"
#include "platform/PluginOptions.h"
#include "platform/Window.h"
#include "support/RecordingMessageBoxes.h"

namespace {
double Db(double ratio) { return 20.0 * std::log10(ratio); }

class HostWindow : public Window {
 public:
  HostWindow() { CreateTopLevel("host", Rect::FromSize(0, 0, 10, 10), 0, nullptr, false); }
  int tracksEnded = 0;

 protected:
  intptr_t OnMessage(uint32_t message, uintptr_t, intptr_t) override {
    if (message == MSG_TRACK_ENDED) ++tracksEnded;
    return 0;
  }
};

// The player's options as the plug-in reaches them, in memory.
class OptionStore : public PluginOptionStore {
 public:
  OptionStore() { SetPluginOptionStore(this); }
  ~OptionStore() override { SetPluginOptionStore(nullptr); }
  bool Read(const QString& section, const QString& key, QString& value) const override {
    const auto found = values.find(Name(section, key));
    if (found == values.end()) return false;
    value = *found;
    return true;
  }
  bool Write(const QString& section, const QString& key, const QString& value) override {
    values[Name(section, key)] = value;
    return true;
  }
  static QString Name(const QString& section, const QString& key) { return (section + '/' + key).toLower(); }
  void Set(const QString& key, const QString& value) { values[Name("Brelwick", key)] = value; }
  QString Get(const QString& key) const { return values.value(Name("Brelwick", key), "(none)"); }
  QMap<QString, QString> values;
};

class BrelwickGainTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir = TestMedia::MakeTempDir();
    // Track -6 dB, album -9 dB in each format's own tags. Opus' R128 gains are
    // towards -23 LUFS: -11 and -14 dB there are -6 and -9 dB for ReplayGain.
    const std::string tags = " -metadata 'REPLAYGAIN_TRACK_GAIN=-6.00 dB' -metadata 'replaygain_album_gain=-9.00 dB'";
    const std::string sine = "sine=frequency=1000:duration=2";
    ASSERT_TRUE(TestMedia::MakeFile(dir + "/gain.mp3", sine, "-ac 1 -c:a libmp3lame -b:a 192k" + tags));
    ASSERT_TRUE(TestMedia::MakeFile(dir + "/gain.flac", sine, "-ac 1 -c:a flac" + tags));
    ASSERT_TRUE(TestMedia::MakeFile(dir + "/gain.ogg", sine, "-ac 1 -c:a libvorbis" + tags));
    ASSERT_TRUE(TestMedia::MakeFile(dir + "/gain.m4a", sine, "-ac 1 -c:a aac -movflags use_metadata_tags" + tags));
    // WavPack keeps its tags as APEv2.
    ASSERT_TRUE(TestMedia::MakeFile(dir + "/gain.wv", sine, "-ac 1 -c:a wavpack" + tags));
    ASSERT_TRUE(TestMedia::MakeFile(dir + "/gain.opus", sine + ":sample_rate=48000",
                                    "-ac 1 -c:a libopus -metadata R128_TRACK_GAIN=-2816 -metadata R128_ALBUM_GAIN=-3584"));
    ASSERT_TRUE(TestMedia::MakeFile(dir + "/trackonly.flac", sine, "-ac 1 -c:a flac -metadata REPLAYGAIN_TRACK_GAIN=-4dB"));
    ASSERT_TRUE(TestMedia::MakeFile(dir + "/plain.flac", sine, "-ac 1 -c:a flac"));
    // +24 dB asked of a tone peaking at 1/8: a peak tag of 0.25 allows x4, the
    // true peak x8 (full scale).
    ASSERT_TRUE(TestMedia::MakeFile(dir + "/loosepeak.flac", sine,
                                    "-ac 1 -c:a flac -metadata REPLAYGAIN_TRACK_GAIN=+24.00dB -metadata REPLAYGAIN_TRACK_PEAK=0.25"));
    ASSERT_TRUE(TestMedia::MakeFile(dir + "/truepeak.flac", sine,
                                    "-ac 1 -c:a flac -metadata REPLAYGAIN_ALBUM_GAIN=+24.00dB -metadata REPLAYGAIN_TRACK_PEAK=0.125"));
  }
  void SetUp() override { HostCallbacks::PublishMainWindow(host.GetHandle()); }
  void TearDown() override {
    HostCallbacks::PublishMainWindow(nullptr);
    qunsetenv("TARNELLO_AUDIO");
  }

  std::unique_ptr<PluginManager> Load(const std::string& audio) {
    qputenv("TARNELLO_AUDIO", audio.c_str());
    auto manager = std::make_unique<PluginManager>(host.GetHandle(), BRELWICK_FOLDER);
    EXPECT_TRUE(manager->LoadPlugin(BRELWICK_FOLDER "/Brelwick.so"));
    return manager;
  }

  // Plays path to its end with the ReplayGain keys given (none: no key at all).
  TestMedia::Wav Play(const std::string& name, const QString& mode = {}, const QString& preamp = {},
                      const QString& untagged = {}) {
    options.values.clear();
    if (!mode.isNull()) options.Set("ReplayGainMode", mode);
    if (!preamp.isNull()) options.Set("ReplayGainPreamp", preamp);
    if (!untagged.isNull()) options.Set("ReplayGainUntagged", untagged);
    const std::string wavPath = dir + "/out" + std::to_string(counter++) + ".wav";
    {
      auto manager = Load("wav:" + wavPath);
      const int ended = host.tracksEnded;
      EXPECT_EQ(manager->PlayFile(QString::fromStdString(dir + "/" + name)), 0);
      manager->ApplyVolume(250);
      EXPECT_TRUE(QTest::qWaitFor([&] { return host.tracksEnded > ended; }, 20000)) << name;
      manager->UnloadAll();
    }
    TestMedia::Wav wav;
    EXPECT_TRUE(TestMedia::ReadWav(wavPath, wav)) << wavPath;
    return wav;
  }
  static double Level(const TestMedia::Wav& wav) { return TestMedia::Rms(wav, 0, 4410, wav.Frames() - 4410); }
  static float PeakOf(const TestMedia::Wav& wav) {
    float peak = 0;
    for (float v : wav.values) peak = std::max(peak, std::fabs(v));
    return peak;
  }

  static std::string dir;
  int counter = 0;
  OptionStore options;
  RecordingMessageBoxes boxes;
  HostWindow host;
};
std::string BrelwickGainTest::dir;

TEST_F(BrelwickGainTest, EachFormatsTagsGiveTheTrackAndAlbumLevels) {
  for (const char* name : {"gain.mp3", "gain.flac", "gain.ogg", "gain.opus", "gain.m4a", "gain.wv"}) {
    SCOPED_TRACE(name);
    const TestMedia::Wav off = Play(name);
    // The tone itself (amplitude 1/8) is heard as it is without the keys.
    ASSERT_NEAR(Db(Level(off)), Db(0.125 / std::sqrt(2.0)), 0.5);
    const TestMedia::Wav track = Play(name, "1");
    const TestMedia::Wav album = Play(name, "2", "1.5");
    ASSERT_EQ(track.Frames(), off.Frames());
    EXPECT_NEAR(Db(Level(track) / Level(off)), -6.0, 0.1);
    EXPECT_NEAR(Db(Level(album) / Level(off)), -9.0 + 1.5, 0.1);
    // From the first sample on: no fade-in at the start of the track.
    EXPECT_NEAR(Db(TestMedia::Rms(track, 0, 0, 2048) / TestMedia::Rms(off, 0, 0, 2048)), -6.0, 0.1);
  }
}

TEST_F(BrelwickGainTest, AlbumModeFallsBackToTheTrackGainAndUntaggedFilesTakeTheirOwnGain) {
  const double plain = Level(Play("plain.flac"));
  EXPECT_NEAR(Db(Level(Play("trackonly.flac", "2", "0")) / plain), -4.0, 0.1);
  // The preamp is for tagged files, the untagged gain for the others.
  EXPECT_NEAR(Db(Level(Play("trackonly.flac", "2", "2", "-10")) / plain), -2.0, 0.1);
  EXPECT_NEAR(Db(Level(Play("plain.flac", "1", "2", "-3")) / plain), -3.0, 0.1);
  EXPECT_NEAR(Db(Level(Play("plain.flac", "2", "2", "+6.5")) / plain), 6.5, 0.1);
}

TEST_F(BrelwickGainTest, APeakTagBoundsTheGainSoNothingClips) {
  const double plain = Level(Play("plain.flac"));
  // Allowed x4 by its peak tag instead of the +24 dB it asks.
  const TestMedia::Wav loose = Play("loosepeak.flac", "1");
  EXPECT_NEAR(Db(Level(loose) / plain), Db(4.0), 0.1);
  EXPECT_NEAR(PeakOf(loose), 0.5f, 0.01f);
  // Album mode without an album peak takes the track's: up to full scale, never past it.
  const TestMedia::Wav full = Play("truepeak.flac", "2");
  EXPECT_LE(PeakOf(full), 1.0f);
  EXPECT_GT(PeakOf(full), 0.95f);
  EXPECT_NEAR(Db(Level(full) / plain), Db(8.0), 0.5);
}

TEST_F(BrelwickGainTest, OffOrExactlyZeroDecibelsPassesTheSamplesBitForBit) {
  for (const char* name : {"gain.mp3", "gain.flac"}) {
    SCOPED_TRACE(name);
    const TestMedia::Wav off = Play(name, "0", "5", "5");
    EXPECT_TRUE(Play(name).values == off.values);           // no key at all is off
    EXPECT_TRUE(Play(name, "1", "6.0").values == off.values);  // -6 dB + 6 dB
    EXPECT_TRUE(Play(name, "2", "9").values == off.values);
    EXPECT_FALSE(Play(name, "1", "5.9").values == off.values);
  }
  const TestMedia::Wav plain = Play("plain.flac");
  EXPECT_TRUE(Play("plain.flac", "1", "3", "0").values == plain.values);
}

// Drives the dialog the next showConfig opens: checks what it shows, then sets it
// and presses OK, or presses Cancel.
struct DialogDriver {
  int mode = 0;
  double preamp = 0, untagged = 0;
  bool ok = true;
  std::vector<double> shown;

  void Arm() {
    QTimer::singleShot(0, [this] {
      QWidget* dialog = QApplication::activeModalWidget();
      ASSERT_TRUE(dialog);
      auto* modes = dialog->findChild<QComboBox*>("field0");
      auto* pre = dialog->findChild<QDoubleSpinBox*>("field1");
      auto* plain = dialog->findChild<QDoubleSpinBox*>("field2");
      auto* buttons = dialog->findChild<QDialogButtonBox*>();
      ASSERT_TRUE(modes && pre && plain && buttons);
      EXPECT_EQ(modes->count(), 3);
      shown = {double(modes->currentIndex()), pre->value(), plain->value()};
      modes->setCurrentIndex(mode);
      pre->setValue(preamp);
      plain->setValue(untagged);
      buttons->button(ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
    });
  }
};

TEST_F(BrelwickGainTest, ADialogChangeReachesTheTrackThatPlays) {
  const TestMedia::Wav reference = Play("plain.flac");
  options.Set("ReplayGainMode", "1");
  options.Set("ReplayGainUntagged", "-12");
  const std::string wavPath = dir + "/change.wav";
  auto manager = Load("wav-timed:" + wavPath);
  manager->ApplyVolume(250);
  const int ended = host.tracksEnded;
  ASSERT_EQ(manager->PlayFile(QString::fromStdString(dir + "/plain.flac")), 0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return manager->PlayPositionMs() > 700; }, 5000));
  DialogDriver driver;
  driver.mode = 1;
  driver.untagged = 0;
  driver.Arm();
  manager->Entry(0).module->showConfig(host.GetHandle());
  EXPECT_EQ(options.Get("ReplayGainUntagged"), "0.0");
  ASSERT_TRUE(QTest::qWaitFor([&] { return host.tracksEnded > ended; }, 5000));
  manager->UnloadAll();
  TestMedia::Wav wav;
  ASSERT_TRUE(TestMedia::ReadWav(wavPath, wav));
  ASSERT_EQ(wav.Frames(), reference.Frames());
  const double level = TestMedia::Rms(reference, 0, 0, reference.Frames());
  EXPECT_NEAR(Db(TestMedia::Rms(wav, 0, 0, 22050) / level), -12.0, 0.1);
  EXPECT_NEAR(Db(TestMedia::Rms(wav, 0, wav.Frames() - 22050, wav.Frames()) / level), 0.0, 0.1);
}

TEST_F(BrelwickGainTest, TheDialogShowsAndKeepsItsKeysInThePlayersOptions) {
  auto manager = Load("null-untimed");
  const InputModule* m = manager->Entry(0).module;
  DialogDriver driver;
  driver.mode = 2;
  driver.preamp = 3.5;
  driver.untagged = -2;
  driver.Arm();
  m->showConfig(host.GetHandle());
  EXPECT_EQ(driver.shown, std::vector<double>({0, 0, 0}));  // no keys: off, 0 dB
  EXPECT_EQ(options.Get("ReplayGainMode"), "2");
  EXPECT_EQ(options.Get("ReplayGainPreamp"), "3.5");
  EXPECT_EQ(options.Get("ReplayGainUntagged"), "-2.0");
  // Shown again as kept; Cancel changes nothing.
  driver.mode = 1;
  driver.ok = false;
  driver.Arm();
  m->showConfig(host.GetHandle());
  EXPECT_EQ(driver.shown, std::vector<double>({2, 3.5, -2}));
  EXPECT_EQ(options.Get("ReplayGainMode"), "2");
  EXPECT_TRUE(boxes.boxes.empty());
  // Values that are no setting read as the defaults, or within the range offered.
  options.Set("ReplayGainMode", "7");
  options.Set("ReplayGainPreamp", "99");
  options.Set("ReplayGainUntagged", "loud");
  driver.Arm();
  m->showConfig(host.GetHandle());
  EXPECT_EQ(driver.shown, std::vector<double>({0, 20, 0}));
  manager->UnloadAll();
  // Without a player's options the choice lasts until the host closes, and says so.
  SetPluginOptionStore(nullptr);
  auto alone = Load("null-untimed");
  driver.ok = true;
  driver.mode = 1;
  driver.Arm();
  alone->Entry(0).module->showConfig(host.GetHandle());
  ASSERT_EQ(boxes.boxes.size(), 1u);
  driver.ok = false;
  driver.Arm();
  alone->Entry(0).module->showConfig(host.GetHandle());
  EXPECT_EQ(driver.shown[0], 1);
  alone->UnloadAll();
  SetPluginOptionStore(&options);
}
}  // namespace
