// Brelwick as the player loads it, measured on the wav backend: claims, the
// equalizer's response, bit-exact bypass at the track's own format, balance,
// pitch-preserving speed, stream details, gapless joins and internet radio.
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <thread>
#include <unistd.h>

#include "TestMedia.h"
#include "playback/HostCallbacks.h"
#include "playback/PluginManager.h"
#include "playlist/CueSheet.h"
#include "playlist/PlayOrder.h"
#include "playlist/Playlist.h"
#include "platform/Messages.h"
#include "platform/Window.h"
#include "support/RecordingMessageBoxes.h"
#include "StaticHttpServer.h"

namespace {
double Db(double ratio) { return 20.0 * std::log10(ratio); }

// The player's main window as far as the plug-in sees it.
class HostWindow : public Window {
 public:
  HostWindow() { CreateTopLevel("host", Rect::FromSize(0, 0, 10, 10), 0, nullptr, false); }
  int tracksEnded = 0;
  int bitRate = 0, sampleRate = 0, channels = 0, reports = 0;
  std::vector<StreamMetadata> tags;
  std::function<void()> onTrackEnded;

 protected:
  intptr_t OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
    if (message == MSG_TRACK_ENDED) {
      ++tracksEnded;
      if (onTrackEnded) onTrackEnded();
    } else if (message == MSG_STREAM_RATES) {
      bitRate = int(wParam);
      sampleRate = int(lParam);
    } else if (message == MSG_STREAM_CHANNELS) {
      channels = int(wParam);
      ++reports;
    } else if (message == MSG_STREAM_TAGS) {
      tags.push_back(*reinterpret_cast<const StreamMetadata*>(lParam));
    }
    return 0;
  }
};

class BrelwickTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir = TestMedia::MakeTempDir();
    for (double hz : {60, 170, 310, 600, 1000, 3000, 6000, 12000, 14000, 16000})
      ASSERT_TRUE(MakeTone(Name("band", hz), hz, 1.0, 44100, 1));
    ASSERT_TRUE(MakeTone(dir + "/tone1k.flac", 1000, 4.0, 44100, 2));
    ASSERT_TRUE(TestMedia::MakeFile(dir + "/noise48.flac", "anoisesrc=d=1.5:r=48000:a=0.5:c=pink",
                                    "-ac 2 -c:a flac -sample_fmt s16"));
    ASSERT_TRUE(TestMedia::MakeFile(dir + "/noise96.flac", "anoisesrc=d=1.5:r=96000:a=0.5:c=pink",
                                    "-ac 2 -c:a flac -sample_fmt s32 -bits_per_raw_sample 24"));
    ASSERT_TRUE(TestMedia::MakeFile(dir + "/mono.flac", "anoisesrc=d=1:r=44100:a=0.3", "-ac 1 -c:a flac"));
    ASSERT_TRUE(TestMedia::MakeFile(dir + "/song.mp3", "sine=frequency=440:duration=3",
                                    "-ac 2 -c:a libmp3lame -b:a 128k"));
    ASSERT_TRUE(TestMedia::MakeFile(dir + "/mono.opus", "sine=frequency=440:duration=8:sample_rate=48000",
                                    "-ac 1 -c:a libopus -b:a 64k"));
    for (const char* part : {"a", "b"})
      ASSERT_TRUE(TestMedia::MakeFile(dir + "/gap-" + part + ".mp3", "sine=frequency=441:duration=1",
                                      "-ac 2 -c:a libmp3lame -b:a 192k"));
  }
  void SetUp() override { HostCallbacks::PublishMainWindow(host.GetHandle()); }
  void TearDown() override {
    HostCallbacks::PublishMainWindow(nullptr);
    qunsetenv("TARNELLO_AUDIO");
  }

  static bool MakeTone(const std::string& path, double hz, double seconds, int rate, int channels) {
    return TestMedia::MakeFile(path,
                               "sine=frequency=" + std::to_string(hz) + ":sample_rate=" + std::to_string(rate) +
                                   ":duration=" + std::to_string(seconds),
                               "-ac " + std::to_string(channels) + " -c:a flac");
  }
  static std::string Name(const char* stem, double hz) {
    return dir + "/" + stem + std::to_string(int(hz)) + ".flac";
  }

  // Brelwick alone, as the player loads it, playing to the given output.
  std::unique_ptr<PluginManager> Load(const std::string& audio) {
    qputenv("TARNELLO_AUDIO", audio.c_str());
    auto manager = std::make_unique<PluginManager>(host.GetHandle(), BRELWICK_FOLDER);
    EXPECT_TRUE(manager->LoadPlugin(BRELWICK_FOLDER "/Brelwick.so"));
    return manager;
  }

  // Plays path to its end on a fresh wav output, with settings applied first by
  // `setup`, and reads back what reached the output.
  TestMedia::Wav PlayToWav(const std::string& path, const std::function<void(const InputModule&)>& setup = {}) {
    const std::string wavPath = dir + "/out" + std::to_string(counter++) + ".wav";
    {
      auto manager = Load("wav:" + wavPath);
      // The player applies its settings right after playFile; they are given to
      // the plug-in first as well, so the very first block is processed with them
      // (the untimed output may take the whole file before playFile returns).
      const int16_t flat[10] = {31, 31, 31, 31, 31, 31, 31, 31, 31, 31};
      const InputModule* m = manager->Entry(0).module;
      m->applyEqualizer(0, flat, 31);
      m->applyBalance(0);
      m->applySpeed(1.0f);
      if (setup) setup(*m);
      const int ended = host.tracksEnded;
      EXPECT_EQ(manager->PlayFile(QString::fromStdString(path)), 0);
      manager->ApplyVolume(250);
      if (setup) setup(*m);
      EXPECT_TRUE(QTest::qWaitFor([&] { return host.tracksEnded > ended; }, 20000)) << path;
      manager->UnloadAll();
    }
    TestMedia::Wav wav;
    EXPECT_TRUE(TestMedia::ReadWav(wavPath, wav)) << wavPath;
    return wav;
  }

  static std::string dir;
  int counter = 0;
  RecordingMessageBoxes boxes;
  HostWindow host;
};
std::string BrelwickTest::dir;

TEST_F(BrelwickTest, ClaimsItsFormatsAndUrlsButNeverWhatDovrelPlays) {
  auto manager = Load("null-untimed");
  const InputModule* m = manager->Entry(0).module;
  for (const char16_t* yes :
       {u"a.mp3", u"a.MP3", u"a.mp2", u"a.flac", u"a.FLAC", u"a.ogg", u"a.oga", u"a.opus", u"a.m4a", u"a.m4b",
        u"a.aac", u"a.mp4", u"a.wav", u"a.aif", u"a.aiff", u"a.aifc", u"a.wv", u"a.ape", u"a.mka", u"a.mpc",
        u"a.tta", u"/x.y/z.Ogg", u"http://radio.example/stream", u"HTTPS://h/live.aac", u"http://h/a.mp3?x=1"}) {
    EXPECT_EQ(m->claimsFile(yes), 1) << QString::fromUtf16(yes).toStdString();
  }
  for (const char16_t* no : {u"a.wma", u"a.WMA", u"a.asf", u"a.wmaq", u"http://h/x.wma", u"http://h.wma/x",
                            u"https://h/a.ASF", u"a.mp3.bak", u"a.mp33", u"mp3", u"a.mp3/b", u"", u"ftp://h/a",
                            u"a.txt", u"a."}) {
    EXPECT_EQ(m->claimsFile(no), 0) << QString::fromUtf16(no).toStdString();
  }
  // Every group ends with '|'; the add-folder walk finds all the extensions.
  const QString types = QString::fromUtf16(m->fileTypes);
  EXPECT_TRUE(types.endsWith(u'|'));
  EXPECT_EQ(types.count(u'|') % 2, 0);
  for (const char* pattern : {"*.mp3", "*.flac", "*.ogg", "*.opus", "*.m4a", "*.wav", "*.aiff", "*.wv", "*.ape",
                              "*.mka", "*.mpc"})
    EXPECT_TRUE(manager->BuildOpenFilter().section(u'|', 1, 1).contains(pattern)) << pattern;
  EXPECT_FALSE(types.contains("wma"));
  manager->UnloadAll();
}

TEST_F(BrelwickTest, EachBandGivesTwelveDecibelsAtItsCentreEitherWay) {
  int band = 0;
  for (double hz : {60, 170, 310, 600, 1000, 3000, 6000, 12000, 14000, 16000}) {
    const std::string path = Name("band", hz);
    const TestMedia::Wav flat = PlayToWav(path);
    double levels[2];
    for (int side = 0; side < 2; ++side) {
      const TestMedia::Wav wav = PlayToWav(path, [&](const InputModule& m) {
        int16_t bands[10] = {31, 31, 31, 31, 31, 31, 31, 31, 31, 31};
        bands[band] = side == 0 ? 0 : 63;
        m.applyEqualizer(1, bands, 31);
      });
      ASSERT_EQ(wav.Frames(), flat.Frames());
      levels[side] = Db(TestMedia::Rms(wav, 0, 11025, 40000) / TestMedia::Rms(flat, 0, 11025, 40000));
    }
    EXPECT_NEAR(levels[0], 12.0, 0.5) << hz << " Hz";
    EXPECT_NEAR(levels[1], -12.0, 0.5) << hz << " Hz";
    ++band;
  }
}

TEST_F(BrelwickTest, PreampAndBoostNeverClipOrWrap) {
  const TestMedia::Wav wav = PlayToWav(dir + "/tone1k.flac", [](const InputModule& m) {
    const int16_t bands[10] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    m.applyEqualizer(1, bands, 0);  // +24 dB on a -18 dB tone
  });
  float peak = 0;
  for (float v : wav.values) peak = std::max(peak, std::fabs(v));
  EXPECT_LE(peak, 1.0f);  // full scale at most
  EXPECT_GT(peak, 0.85f);
  // The tone's sign pattern survives: no wrap-around turns a peak into a trough.
  EXPECT_NEAR(TestMedia::ToneHz(wav, 0, 4410, 100000), 1000.0, 5.0);
}

TEST_F(BrelwickTest, WithEverythingNeutralTheSamplesArriveUnchangedAtTheirOwnFormat) {
  for (const char* name : {"noise48.flac", "noise96.flac", "mono.flac"}) {
    const std::string source = dir + "/" + name;
    const std::string reference = source + ".ref.wav";
    ASSERT_EQ(std::system(("ffmpeg -nostdin -loglevel error -y -i '" + source + "' -c:a pcm_f32le '" + reference + "'")
                              .c_str()),
              0);
    TestMedia::Wav expected;
    ASSERT_TRUE(TestMedia::ReadWav(reference, expected));
    // The equalizer switched off is a bypass, whatever its sliders say.
    const TestMedia::Wav wav = PlayToWav(source, [](const InputModule& m) {
      const int16_t bands[10] = {0, 63, 0, 63, 0, 63, 0, 63, 0, 63};
      m.applyEqualizer(0, bands, 10);
      m.applyBalance(0);
      m.applySpeed(1.0f);
    });
    EXPECT_EQ(wav.rate, expected.rate) << name;
    EXPECT_EQ(wav.channels, expected.channels) << name;
    ASSERT_EQ(wav.values.size(), expected.values.size()) << name;
    EXPECT_TRUE(wav.values == expected.values) << name;
  }
}

TEST_F(BrelwickTest, BalanceAttenuatesTheOtherSideLinearlyToSilence) {
  const TestMedia::Wav centre = PlayToWav(dir + "/tone1k.flac");
  const double level = TestMedia::Rms(centre, 0, 4410, 150000);
  ASSERT_GT(level, 0.05);
  for (int balance : {-127, -64, 0, 64, 127}) {
    const TestMedia::Wav wav = PlayToWav(dir + "/tone1k.flac", [&](const InputModule& m) { m.applyBalance(balance); });
    const double left = TestMedia::Rms(wav, 0, 4410, 150000) / level;
    const double right = TestMedia::Rms(wav, 1, 4410, 150000) / level;
    const double quiet = 1.0 - std::abs(balance) / 127.0;
    EXPECT_NEAR(balance <= 0 ? left : right, 1.0, 0.01) << balance;
    EXPECT_NEAR(balance <= 0 ? right : left, quiet, 0.01) << balance;
  }
}

TEST_F(BrelwickTest, SpeedKeepsThePitchAndScalesTheDuration) {
  const TestMedia::Wav normal = PlayToWav(dir + "/tone1k.flac");
  const TestMedia::Wav fast = PlayToWav(dir + "/tone1k.flac", [](const InputModule& m) { m.applySpeed(1.3f); });
  const TestMedia::Wav slow = PlayToWav(dir + "/tone1k.flac", [](const InputModule& m) { m.applySpeed(0.6f); });
  EXPECT_NEAR(double(fast.Frames()) / double(normal.Frames()), 1 / 1.3, 0.01);
  EXPECT_NEAR(double(slow.Frames()) / double(normal.Frames()), 1 / 0.6, 0.02);
  EXPECT_NEAR(TestMedia::ToneHz(fast, 0, 4410, fast.Frames() - 4410), 1000.0, 10.0);
  EXPECT_NEAR(TestMedia::ToneHz(slow, 0, 4410, slow.Frames() - 4410), 1000.0, 10.0);
  // No warble: the level stays even across the stretched tone.
  const double level = TestMedia::Rms(normal, 0, 4410, 150000);
  for (size_t at = 4410; at + 4410 < fast.Frames(); at += 4410)
    EXPECT_NEAR(Db(TestMedia::Rms(fast, 0, at, at + 4410) / level), 0.0, 1.0) << at;
}

TEST_F(BrelwickTest, PositionAndSeeksAreInTrackTimeAtAnySpeed) {
  auto manager = Load("null");
  ASSERT_EQ(manager->PlayFile(QString::fromStdString(dir + "/tone1k.flac")), 0);
  manager->ApplySpeed(1.4f);
  ASSERT_TRUE(QTest::qWaitFor([&] { return manager->PlayPositionMs() > 100; }, 3000));
  EXPECT_NEAR(manager->TrackLengthMs(), 4000, 5);
  const int first = manager->PlayPositionMs();
  QTest::qWait(700);
  EXPECT_NEAR(manager->PlayPositionMs() - first, 700 * 1.4, 120);
  manager->SeekToMs(2000);
  // At once at the target; the timed null output may have played a few ms since.
  const int afterSeek = manager->PlayPositionMs();
  EXPECT_GE(afterSeek, 2000);
  EXPECT_LT(afterSeek, 2040);
  QTest::qWait(300);
  EXPECT_NEAR(manager->PlayPositionMs(), 2000 + 300 * 1.4, 150);
  EXPECT_EQ(host.tracksEnded, 0);
  manager->UnloadAll();
}

TEST_F(BrelwickTest, ReportsBitRateSampleRateAndChannelsWhenATrackStarts) {
  // The bit rate is the nominal one where the stream states it (MP3), else the
  // file's average over its length (FLAC, Ogg Opus).
  auto average = [](const char* name, double seconds) {
    return int(double(TestMedia::ReadBytes(dir + "/" + name).size()) * 8.0 / seconds / 1000.0 + 0.5);
  };
  struct Case {
    const char* name;
    int kbps, rate, channels;
  };
  for (const Case& c : {Case{"song.mp3", 128, 44100, 2}, Case{"noise96.flac", average("noise96.flac", 1.5), 96000, 2},
                        Case{"mono.opus", average("mono.opus", 8.0), 48000, 1}}) {
    host.reports = 0;
    PlayToWav(dir + "/" + c.name);
    EXPECT_EQ(host.reports, 1) << c.name;
    EXPECT_EQ(host.sampleRate, c.rate) << c.name;
    EXPECT_EQ(host.channels, c.channels) << c.name;
    EXPECT_NEAR(host.bitRate, c.kbps, 1 + c.kbps / 50) << c.name;
  }
}

TEST_F(BrelwickTest, ASourceThatCannotBeOpenedBlanksTheDetailsOfTheTrackBefore) {
  const std::string broken = dir + "/broken.mp3";
  {
    std::ofstream out(broken, std::ios::binary);
    out << std::string(4096, '\x5a');
  }
  auto manager = Load("null-untimed");
  ASSERT_EQ(manager->PlayFile(QString::fromStdString(dir + "/song.mp3")), 0);
  // Rates and channels come in two messages.
  ASSERT_TRUE(QTest::qWaitFor([&] { return host.sampleRate == 44100 && host.channels == 2; }, 10000));
  // Brelwick opens on its own thread: playFile succeeds, the failure comes later.
  EXPECT_EQ(manager->PlayFile(QString::fromStdString(broken)), 0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return host.sampleRate == -1 && host.channels == 0; }, 10000));
  EXPECT_EQ(host.bitRate, -1);
  // The next good track is reported again.
  ASSERT_EQ(manager->PlayFile(QString::fromStdString(dir + "/song.mp3")), 0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return host.sampleRate == 44100 && host.channels == 2; }, 10000));
  manager->UnloadAll();
}

TEST_F(BrelwickTest, TheNextTrackStartedAtTheEndFollowsWithoutAGap) {
  const std::string wavPath = dir + "/gapless.wav";
  auto manager = Load("wav-timed:" + wavPath);
  manager->ApplyVolume(250);
  host.onTrackEnded = [&] {
    if (host.tracksEnded == 1) {
      EXPECT_EQ(manager->PlayFile(QString::fromStdString(dir + "/gap-b.mp3")), 0);
    }
  };
  ASSERT_EQ(manager->PlayFile(QString::fromStdString(dir + "/gap-a.mp3")), 0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return host.tracksEnded == 2; }, 8000));
  host.onTrackEnded = nullptr;
  manager->UnloadAll();
  TestMedia::Wav wav;
  ASSERT_TRUE(TestMedia::ReadWav(wavPath, wav));
  // Decoder delay and padding trimmed: two seconds of tone, and no silence between.
  EXPECT_NEAR(double(wav.Frames()) / wav.rate, 2.0, 0.01);
  size_t run = 0, longest = 0;
  for (size_t f = 2205; f + 2205 < wav.Frames(); ++f) {
    run = wav.values[f * 2] == 0.0f ? run + 1 : 0;
    longest = std::max(longest, run);
  }
  EXPECT_LE(longest, size_t(wav.rate / 1000));
}

TEST_F(BrelwickTest, InternetRadioPlaysWithoutALength) {
  // A live stream: no length header, the connection closes when the "show" ends.
  const std::vector<uint8_t> mp3 = TestMedia::ReadBytes(dir + "/song.mp3");
  StaticHttpServer server("audio/mpeg", mp3, /*withLength=*/false);
  auto manager = Load("null");
  ASSERT_EQ(manager->PlayFile(QString::fromStdString(server.Url("live"))), 0);
  EXPECT_EQ(manager->TrackLengthMs(), -1);
  ASSERT_TRUE(QTest::qWaitFor([&] { return manager->PlayPositionMs() > 300; }, 5000));
  EXPECT_EQ(manager->TrackLengthMs(), -1);
  EXPECT_EQ(host.sampleRate, 44100);
  ASSERT_TRUE(QTest::qWaitFor([&] { return host.tracksEnded == 1; }, 8000));
  manager->UnloadAll();
}

// An ICY stream: the audio cut every metaint bytes by a metadata block (a length
// byte in 16-byte units, then the zero-padded text); blocks[k] follows the k-th piece,
// an empty one being the single zero byte of "nothing new".
std::vector<uint8_t> IcyBody(const std::vector<uint8_t>& audio, size_t metaint, const std::vector<std::string>& blocks) {
  std::vector<uint8_t> body;
  for (size_t at = 0, k = 0; at < audio.size(); at += metaint, ++k) {
    body.insert(body.end(), audio.begin() + std::ptrdiff_t(at), audio.begin() + std::ptrdiff_t(std::min(audio.size(), at + metaint)));
    const std::string text = k < blocks.size() ? blocks[k] : std::string();
    const size_t units = std::min<size_t>(255, (text.size() + 15) / 16);
    body.push_back(uint8_t(units));
    std::string padded = text.substr(0, units * 16);
    padded.resize(units * 16, '\0');
    body.insert(body.end(), padded.begin(), padded.end());
  }
  return body;
}

TEST_F(BrelwickTest, AnIcyStreamReportsItsStationAndEachNewSongAndAPlayerWithoutTheHookHearsNone) {
  // Six seconds at 16000 bytes a second; the songs change past what opening reads ahead.
  const std::string path = dir + "/icy.mp3";
  ASSERT_TRUE(TestMedia::MakeFile(path, "sine=frequency=440:duration=6", "-ac 2 -c:a libmp3lame -b:a 128k"));
  const std::vector<uint8_t> mp3 = TestMedia::ReadBytes(path);
  const size_t metaint = 8000;
  const std::vector<uint8_t> body = IcyBody(mp3, metaint,
      {"StreamTitle='Alpha - One';StreamUrl='';", "", "StreamTitle='Alpha - One';", std::string(4080, '\''), "", "",
       "StreamTitle='Beta\r\n - Two; Too';", "", "", "StreamTitle='Caf\xE9 Ol\xE9';"});
  StaticHttpServer server("audio/mpeg", body, /*withLength=*/false,
                          "icy-metaint: " + std::to_string(metaint) + "\r\nicy-name: Radio Q\r\nicy-genre: Jazz\r\n"
                          "icy-br: 128\r\n");
  // In real time: a handler that runs late reads only the latest tags.
  auto manager = Load("null");
  ASSERT_EQ(manager->PlayFile(QString::fromStdString(server.Url("live"))), 0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return host.tracksEnded == 1; }, 10000));
  // Each new state once: the repeated title and the hostile block say nothing new.
  ASSERT_EQ(host.tags.size(), 3u);
  for (const StreamMetadata& t : host.tags) {
    EXPECT_EQ(t.station, "Radio Q");
    EXPECT_EQ(t.genre, "Jazz");
    EXPECT_EQ(t.bitRateKbps, 128);
    EXPECT_TRUE(t.artist.isEmpty());
  }
  EXPECT_EQ(host.tags[0].title, "Alpha - One");
  EXPECT_EQ(host.tags[1].title, "Beta - Two; Too");
  EXPECT_EQ(host.tags[2].title, QString::fromUtf8("Café Olé"));

  // A player that wrote no hook (an older one): the stream plays all the same.
  host.tags.clear();
  manager->Entry(0).module->reportStreamTags = nullptr;
  ASSERT_EQ(manager->PlayFile(QString::fromStdString(server.Url("live"))), 0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return manager->PlayPositionMs() > 1500; }, 10000));
  EXPECT_TRUE(host.tags.empty());
  manager->UnloadAll();
}

TEST_F(BrelwickTest, AStreamThatChangesItsRateIsReportedAgainAndPlaysOn) {
  // A radio stream whose second half is MP3 at 48 kHz mono after 44.1 kHz stereo:
  // reported at the start and at the change (the decoder takes the new rate one
  // frame before the new channel count, which is a state of its own), the bit rate
  // staying the stream's nominal one from its start.
  const std::string first = dir + "/radio44.mp3", second = dir + "/radio48.mp3";
  ASSERT_TRUE(TestMedia::MakeFile(first, "sine=frequency=440:duration=2",
                                  "-ac 2 -ar 44100 -c:a libmp3lame -b:a 128k -write_xing 0 -id3v2_version 0"));
  ASSERT_TRUE(TestMedia::MakeFile(second, "sine=frequency=440:duration=2",
                                  "-ac 1 -ar 48000 -c:a libmp3lame -b:a 64k -write_xing 0 -id3v2_version 0"));
  std::vector<uint8_t> body = TestMedia::ReadBytes(first);
  const std::vector<uint8_t> more = TestMedia::ReadBytes(second);
  body.insert(body.end(), more.begin(), more.end());
  StaticHttpServer server("audio/mpeg", body, /*withLength=*/false);
  const std::string wavPath = dir + "/radio.wav";
  auto manager = Load("wav:" + wavPath);
  host.reports = 0;
  ASSERT_EQ(manager->PlayFile(QString::fromStdString(server.Url("live"))), 0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return host.tracksEnded == 1; }, 10000));
  manager->UnloadAll();
  EXPECT_GE(host.reports, 2);
  EXPECT_LE(host.reports, 3);
  EXPECT_EQ(host.bitRate, 128);
  EXPECT_EQ(host.sampleRate, 48000);
  EXPECT_EQ(host.channels, 1);
  // The output keeps the stream's first format; the rest is converted to it.
  TestMedia::Wav wav;
  ASSERT_TRUE(TestMedia::ReadWav(wavPath, wav));
  EXPECT_EQ(wav.rate, 44100);
  EXPECT_EQ(wav.channels, 2);
  EXPECT_NEAR(double(wav.Frames()) / wav.rate, 4.0, 0.1);
}


// A file whose every sample tells its own index (mod 32768), cut by a cue sheet
// into tracks starting at 0, 2.4 s and 4 s; it lasts 6 s.
class BrelwickCueTest : public BrelwickTest {
 protected:
  static constexpr int kRate = 44100;
  void SetUp() override {
    BrelwickTest::SetUp();
    const std::string flac = dir + "/ramp.flac";
    if (access(flac.c_str(), R_OK) != 0) {
      ASSERT_TRUE(TestMedia::MakeFile(flac, "aevalsrc=exprs=mod(n\\,32768)/32768:s=44100:d=6",
                                      "-ac 1 -c:a flac -sample_fmt s16"));
    }
    std::ofstream(dir + "/ramp.cue") << "PERFORMER \"Ramp\"\nFILE \"ramp.flac\" WAVE\n"
                                        "  TRACK 01 AUDIO\n    TITLE \"Up\"\n    INDEX 01 00:00:00\n"
                                        "  TRACK 02 AUDIO\n    TITLE \"Higher\"\n    INDEX 01 00:02:30\n"
                                        "  TRACK 03 AUDIO\n    TITLE \"Top\"\n    INDEX 01 00:04:00\n";
    ASSERT_EQ(CueSheet::AddToPlaylist(playlist, QString::fromStdString(dir + "/ramp.cue")), 3);
  }
  std::string Track(int row) const { return playlist.GetPath(row).toStdString(); }
  // How many frames the output holds before the first one whose value is not its
  // file index less first (mod 32768): the whole output when it is one unbroken run.
  static size_t RunFrom(const TestMedia::Wav& wav, int64_t first) {
    size_t f = 0;
    for (; f < wav.Frames(); ++f)
      if ((int64_t(wav.samples[f]) - first - int64_t(f)) % 32768 != 0) break;
    return f;
  }
  PlayOrder order;
  Playlist playlist{order};
};

TEST_F(BrelwickCueTest, TheRowsAreTheSheetsTracks) {
  const QString flac = QString::fromStdString(dir + "/ramp.flac");
  const char* titles[] = {"Ramp \u2013 Up", "Ramp \u2013 Higher", "Ramp \u2013 Top"};
  const char* paths[] = {"#t=0,2.4", "#t=2.4,4", "#t=4"};
  for (int row = 0; row < 3; ++row) {
    EXPECT_EQ(playlist.GetTitle(row).toStdString(), titles[row]);
    EXPECT_EQ(playlist.GetPath(row), flac + paths[row]);
    // 2.4 s, 1.6 s and the 2 s up to the end of the file, in whole seconds.
    EXPECT_EQ(playlist.GetLengthText(row), "2");
  }
  auto manager = Load("null-untimed");
  const InputModule* m = manager->Entry(0).module;
  EXPECT_EQ(m->claimsFile(reinterpret_cast<const char16_t*>(playlist.GetPath(1).utf16())), 1);
  for (const char16_t* no : {u"a.txt#t=1,2", u"a.wma#t=1,2", u"a.flac#t=2,1", u"a.flac#t=x", u"a.flac#t=1,2,3",
                            u"a.flac#t=", u"a.flac#t=.5", u"a.flac#t=1#t=1,2"})
    EXPECT_EQ(m->claimsFile(no), 0) << QString::fromUtf16(no).toStdString();
  manager->UnloadAll();
}

TEST_F(BrelwickCueTest, EachTrackPlaysExactlyItsSpan) {
  struct Case {
    int row;
    int64_t first, frames;
  };
  // Track 1 ends where track 2 starts; the last runs to the end of the file.
  for (const Case& c : {Case{0, 0, 105840}, Case{1, 105840, 70560}, Case{2, 176400, 88200}}) {
    SCOPED_TRACE(c.row);
    const TestMedia::Wav wav = PlayToWav(Track(c.row));
    ASSERT_EQ(wav.rate, kRate);
    ASSERT_GT(wav.Frames(), 0u);
    // Its first frame is the file's frame at the index (10 ms would be 441 frames).
    EXPECT_EQ((int64_t(wav.samples[0]) - c.first) % 32768, 0) << wav.samples[0];
    EXPECT_EQ(int64_t(wav.Frames()), c.frames);
    EXPECT_EQ(RunFrom(wav, c.first), wav.Frames());
  }
}

TEST_F(BrelwickCueTest, AFileNamedLikeASpanPlaysWhole) {
  const std::string named = dir + "/ramp.flac#t=1,2";
  ASSERT_EQ(::link((dir + "/ramp.flac").c_str(), named.c_str()), 0);
  const TestMedia::Wav wav = PlayToWav(named);
  ::unlink(named.c_str());
  EXPECT_EQ(int64_t(wav.Frames()), 6 * kRate);
}

TEST_F(BrelwickCueTest, PositionLengthAndSeeksAreTheTracksOwn) {
  auto manager = Load("null");
  const int ended = host.tracksEnded;
  ASSERT_EQ(manager->PlayFile(QString::fromStdString(Track(1))), 0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return manager->TrackLengthMs() > 0; }, 5000));
  EXPECT_EQ(manager->TrackLengthMs(), 1600);
  EXPECT_LT(manager->PlayPositionMs(), 1000);
  manager->SeekToMs(1300);
  EXPECT_EQ(manager->PlayPositionMs(), 1300);
  // It ends as any track does, long before the file's end.
  EXPECT_TRUE(QTest::qWaitFor([&] { return host.tracksEnded > ended; }, 3000));
  EXPECT_LE(manager->PlayPositionMs(), 1600);
  manager->UnloadAll();
}

TEST_F(BrelwickCueTest, OneTrackFollowsTheOtherWithoutAGap) {
  const std::string wavPath = dir + "/cue-gapless.wav";
  auto manager = Load("wav-timed:" + wavPath);
  manager->ApplyVolume(250);
  host.onTrackEnded = [&] {
    if (host.tracksEnded == 1) {
      EXPECT_EQ(manager->PlayFile(QString::fromStdString(Track(1))), 0);
    }
  };
  const int ended = host.tracksEnded;
  ASSERT_EQ(ended, 0);
  ASSERT_EQ(manager->PlayFile(QString::fromStdString(Track(0))), 0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return host.tracksEnded == 2; }, 10000));
  host.onTrackEnded = nullptr;
  manager->UnloadAll();
  TestMedia::Wav wav;
  ASSERT_TRUE(TestMedia::ReadWav(wavPath, wav));
  // Four seconds, every frame the one after the frame before: nothing lost, nothing doubled.
  EXPECT_EQ(int64_t(wav.Frames()), 176400);
  EXPECT_EQ(RunFrom(wav, 0), wav.Frames());
}
}  // namespace

TEST_F(BrelwickTest, PlaysAFileWhoseNameIsNotUtf8) {
  // The player passes each byte of such a name as U+DC00 + the byte.
  const std::string raw = dir + "/caf\xE9.flac";
  ASSERT_EQ(::link((dir + "/mono.flac").c_str(), raw.c_str()), 0);
  auto manager = Load("null-untimed");
  const int ended = host.tracksEnded;
  const QString path = QString::fromStdString(dir) + "/caf" + QChar(char16_t(0xDCE9)) + ".flac";
  EXPECT_EQ(manager->PlayFile(path), 0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return host.tracksEnded > ended; }, 20000));
  manager->UnloadAll();
}
