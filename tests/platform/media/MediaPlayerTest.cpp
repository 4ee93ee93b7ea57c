#include <gtest/gtest.h>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>

#include <cmath>
#include <thread>

#include "MediaSink.h"
#include "TestMedia.h"
#include "platform/media/MediaPlayer.h"
#include "platform/media/PlayTimeline.h"
#include "platform/media/RenderQueue.h"
#include "support/LogCapture.h"

using namespace std::chrono_literals;

namespace {
constexpr double kFrameSeconds = 2048.0 / 44100.0;  // one WMA frame
constexpr int kSineAmplitude = 32768 / 8;            // ffmpeg's sine source level

double SecondsSince(std::chrono::steady_clock::time_point t) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}

class MediaPlayerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir = TestMedia::MakeTempDir();
    ASSERT_TRUE(TestMedia::MakeSine(dir + "/mono3.wma", 3.0, 1));
    ASSERT_TRUE(TestMedia::MakeSine(dir + "/short.wma", 0.3, 1));
  }
  static std::string dir;

  // Plays path through a wav output to the end and reads back what was written.
  TestMedia::Wav PlayToWav(const std::string& path, int32_t volume, double start = 0) {
    const std::string wavPath = dir + "/out" + std::to_string(counter++) + ".wav";
    RecordingSink sink;
    {
      auto player = MediaPlayer::Create(&sink, OpenSoundOutput("wav:" + wavPath));
      EXPECT_TRUE(player);
      if (!player) return {};
      player->SetVolume(volume);
      player->SetSource(path);
      if (start > 0) player->SetPosition(start);
      player->Play();
      EXPECT_TRUE(sink.WaitForEvents(1, 20s));
      EXPECT_EQ(sink.Events().at(0), MediaEvent::EndOfStream);
      EXPECT_EQ(player->PlayState(), MediaPlayer::kStopped);
    }
    TestMedia::Wav wav;
    EXPECT_TRUE(TestMedia::ReadWav(wavPath, wav));
    return wav;
  }
  int counter = 0;
};
std::string MediaPlayerTest::dir;

TEST_F(MediaPlayerTest, CreationFailsWithoutSoundOutput) {
  RecordingSink sink;
  EXPECT_EQ(MediaPlayer::Create(&sink, nullptr), nullptr);
  EXPECT_EQ(OpenSoundOutput("wav:/nonexistent-folder/x.wav"), nullptr);
  EXPECT_EQ(OpenSoundOutput("no-such-backend"), nullptr);
}

// A sound server that accepts the connection and never answers must not hang the
// player's start-up: opening the output gives up after a few seconds.
TEST_F(MediaPlayerTest, ASoundServerThatNeverAnswersIsGivenUp) {
  const std::string socketPath = dir + "/native";
  const int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(listener, 4), 0);
  setenv("PULSE_SERVER", ("unix:" + socketPath).c_str(), 1);
  LogCapture log;
  const auto before = std::chrono::steady_clock::now();
  EXPECT_EQ(OpenSoundOutput("pulse"), nullptr);
  EXPECT_LT(SecondsSince(before), 6.0);
  // The sound library says why; the control, that it has no output.
  EXPECT_EQ(log.Area("sound"), QStringList({"cannot connect to the sound server: no answer within 3 s",
                                            "no sound output for TARNELLO_AUDIO=pulse"}));
  unsetenv("PULSE_SERVER");
  close(listener);
}

// The test HTTP server on 127.0.0.1 serving dir, over https with a certificate.
class LocalServer {
 public:
  bool Start(const QString& root, const QStringList& tls = {}) {
    QStringList arguments{QStringLiteral(TARNELLO_HTTP_SERVER), "--root", root};
    if (tls.size() == 2) arguments << "--cert" << tls[0] << "--key" << tls[1];
    process_.start(QStandardPaths::findExecutable("python3"), arguments);
    if (!process_.waitForStarted(5000)) return false;
    while (!process_.canReadLine())
      if (!process_.waitForReadyRead(10000)) return false;
    port_ = process_.readLine().trimmed().toInt();
    return port_ > 0;
  }
  ~LocalServer() {
    process_.kill();
    process_.waitForFinished(5000);
  }
  std::string Url(const char* scheme, const std::string& name) const {
    return std::string(scheme) + "://127.0.0.1:" + std::to_string(port_) + "/" + name;
  }

 private:
  QProcess process_;
  int port_ = 0;
};

MediaEvent PlayUntilAnEvent(const std::string& source) {
  RecordingSink sink;
  auto player = MediaPlayer::Create(&sink, OpenSoundOutput("null-untimed"));
  if (!player) return MediaEvent::StreamInfoChanged;
  player->SetSource(source);
  player->Play();
  if (!sink.WaitForEvents(1, 20s)) return MediaEvent::StreamInfoChanged;
  return sink.Events().at(0);
}

TEST_F(MediaPlayerTest, AnHttpsStreamIsRefusedWhenNoTrustedAuthorityVouchesForItsCertificate) {
  const QString openssl = QStandardPaths::findExecutable("openssl");
  if (openssl.isEmpty()) GTEST_SKIP() << "no openssl to make a certificate";
  const QString folder = QString::fromStdString(dir);
  const QString cert = folder + "/cert.pem", key = folder + "/key.pem";
  QProcess make;
  make.start(openssl, {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1", "-subj", "/CN=127.0.0.1",
                       "-addext", "subjectAltName=IP:127.0.0.1", "-keyout", key, "-out", cert});
  ASSERT_TRUE(make.waitForFinished(30000));
  ASSERT_EQ(make.exitCode(), 0);
  LocalServer plain, secure;
  ASSERT_TRUE(plain.Start(folder));
  ASSERT_TRUE(secure.Start(folder, {cert, key}));
  // The same file plays over http; over https with a self-signed certificate it does not open.
  EXPECT_EQ(PlayUntilAnEvent(plain.Url("http", "short.wma")), MediaEvent::EndOfStream);
  EXPECT_EQ(PlayUntilAnEvent(secure.Url("https", "short.wma")), MediaEvent::OpenFailed);
}

TEST_F(MediaPlayerTest, PlaysEveryDecodedSampleWithMonoOnBothChannelsAtFullLevel) {
  const TestMedia::Wav wav = PlayToWav(dir + "/mono3.wma", 0);
  ASSERT_EQ(wav.channels, 2);
  ASSERT_EQ(wav.rate, 44100);
  EXPECT_NEAR(double(wav.Frames()) / 44100.0, 3.0, kFrameSeconds);
  EXPECT_NEAR(TestMedia::Peak(wav, 0), kSineAmplitude, kSineAmplitude * 0.05);
  EXPECT_NEAR(TestMedia::Peak(wav, 1), kSineAmplitude, kSineAmplitude * 0.05);
}

// ASF timestamps are whole milliseconds, so that is as close as a seek can land.
TEST_F(MediaPlayerTest, StartingAtAPositionDropsTheSamplesBeforeIt) {
  const TestMedia::Wav full = PlayToWav(dir + "/mono3.wma", 0);
  for (double start : {0.010, 1.5, 2.9}) {
    const TestMedia::Wav rest = PlayToWav(dir + "/mono3.wma", 0, start);
    const double skipped = double(full.Frames() - rest.Frames()) / 44100.0;
    EXPECT_NEAR(skipped, start, 0.001) << start;
  }
}

TEST_F(MediaPlayerTest, PositionFollowsRealTimeFreezesWhilePausedAndSeeks) {
  RecordingSink sink;
  auto player = MediaPlayer::Create(&sink, OpenSoundOutput("null"));
  ASSERT_TRUE(player);
  player->SetSource(dir + "/mono3.wma");
  EXPECT_EQ(player->Position(), 0.0);
  const auto started = std::chrono::steady_clock::now();
  ASSERT_TRUE(player->Play());
  std::this_thread::sleep_for(200ms);
  // Real time: never ahead of the clock, then following it.
  const double first = player->Position();
  const double firstAt = SecondsSince(started);
  EXPECT_LE(first, firstAt);
  std::this_thread::sleep_for(300ms);
  EXPECT_NEAR(player->Duration(), 3.0, kFrameSeconds);
  const double running = player->Position();
  EXPECT_NEAR(running - first, SecondsSince(started) - firstAt, 0.05);

  ASSERT_TRUE(player->Pause());
  EXPECT_EQ(player->PlayState(), MediaPlayer::kPaused);
  const double paused = player->Position();
  std::this_thread::sleep_for(300ms);
  EXPECT_NEAR(player->Position(), paused, 0.001);

  player->SetPosition(1.5);
  EXPECT_DOUBLE_EQ(player->Position(), 1.5);
  std::this_thread::sleep_for(100ms);
  EXPECT_NEAR(player->Position(), 1.5, kFrameSeconds);  // still paused, at the new place
  const auto resumed = std::chrono::steady_clock::now();
  ASSERT_TRUE(player->Play());
  std::this_thread::sleep_for(400ms);
  const double position = player->Position();
  EXPECT_GT(position, 1.5 + 0.2);
  EXPECT_LE(position, 1.5 + SecondsSince(resumed) + kFrameSeconds);

  ASSERT_TRUE(sink.WaitForEvents(1, 5s));
  EXPECT_EQ(sink.Events().at(0), MediaEvent::EndOfStream);
  EXPECT_EQ(player->Position(), 0.0);
}

TEST_F(MediaPlayerTest, StopReturnsAtOnceAndReportsNoEnd) {
  RecordingSink sink;
  auto player = MediaPlayer::Create(&sink, OpenSoundOutput("null"));
  ASSERT_TRUE(player);
  player->SetSource(dir + "/mono3.wma");
  player->Play();
  std::this_thread::sleep_for(200ms);
  const auto before = std::chrono::steady_clock::now();
  player->Stop();
  EXPECT_LT(std::chrono::steady_clock::now() - before, 200ms);
  EXPECT_EQ(player->PlayState(), MediaPlayer::kStopped);
  EXPECT_EQ(player->Position(), 0.0);
  // Paused at once on the next start: nothing of the earlier session counts as heard.
  player->Play();
  player->Pause();
  EXPECT_LT(player->Position(), kFrameSeconds);
  EXPECT_FALSE(sink.WaitForEvents(1, 300ms));
}

}  // namespace

namespace {
// A volume change while a tone plays to the timed wav backend, whose queue (like a
// sound server's) holds a second: heard within 60 ms of the position shown at the
// change, and the tone runs on without a frame lost or repeated.
TEST_F(MediaPlayerTest, AVolumeChangeRewritesTheQueueAndKeepsEveryFrame) {
  const std::string source = dir + "/tone.wav";
  ASSERT_TRUE(TestMedia::MakeFile(source, "sine=frequency=441:duration=3:sample_rate=44100", "-ac 2 -c:a pcm_s16le"));
  TestMedia::Wav tone;
  ASSERT_TRUE(TestMedia::ReadWav(source, tone));
  // As Brelwick hosts the control (the track's own format) and as Dovrel does.
  for (auto layout : {MediaDecoder::Layout::kNative, MediaDecoder::Layout::kFixed}) {
    SCOPED_TRACE(int(layout));
    const std::string wavPath = dir + "/rewritten" + std::to_string(int(layout)) + ".wav";
    RecordingSink sink;
    double changedAt = 0;
    {
      auto player = MediaPlayer::Create(&sink, OpenSoundOutput("wav-timed:" + wavPath), layout);
      ASSERT_TRUE(player);
      player->SetSource(source);
      player->Play();
      std::this_thread::sleep_for(1200ms);
      changedAt = player->Position();
      player->SetVolume(-2000);  // -20 dB
      ASSERT_TRUE(sink.WaitForEvents(1, 10s));
    }
    TestMedia::Wav wav;
    ASSERT_TRUE(TestMedia::ReadWav(wavPath, wav));
    ASSERT_EQ(wav.Frames(), tone.Frames());  // nothing lost, nothing twice
    // Frame for frame the tone, at full level up to the change and a tenth after it.
    size_t departed = 0;
    for (size_t f = 0; f < wav.Frames() && !departed; ++f)
      if (std::fabs(wav.values[2 * f] - tone.values[2 * f]) > 1e-6f) departed = f;
    ASSERT_GT(departed, 0u);
    const double latency = double(departed) / 44100.0 - changedAt;
    EXPECT_GE(latency, 0.0);
    EXPECT_LE(latency, 0.060);
    for (size_t f = departed + 441; f < wav.Frames(); ++f)
      ASSERT_NEAR(wav.values[2 * f], 0.1f * tone.values[2 * f], 1e-6f) << f;
  }
}
}  // namespace

namespace {
// A pause and a resume (twice, once during a seek) while a tone plays to the timed
// wav backend, whose queue holds a second: the file is the tone frame for frame,
// so the track went on at the first frame not heard, nothing skipped or repeated.
TEST_F(MediaPlayerTest, AResumeGoesOnWithTheNextUnheardFrame) {
  const std::string source = dir + "/tone2.wav";
  ASSERT_TRUE(TestMedia::MakeFile(source, "sine=frequency=441:duration=2.5:sample_rate=44100", "-ac 2 -c:a pcm_s16le"));
  TestMedia::Wav tone;
  ASSERT_TRUE(TestMedia::ReadWav(source, tone));
  const std::string wavPath = dir + "/paused.wav";
  RecordingSink sink;
  {
    auto player = MediaPlayer::Create(&sink, OpenSoundOutput("wav-timed:" + wavPath));
    ASSERT_TRUE(player);
    player->SetSource(source);
    player->Play();
    for (int i = 0; i < 2; ++i) {
      std::this_thread::sleep_for(500ms);
      ASSERT_TRUE(player->Pause());
      const double paused = player->Position();
      std::this_thread::sleep_for(250ms);
      EXPECT_NEAR(player->Position(), paused, 0.001);
      ASSERT_TRUE(player->Play());
    }
    ASSERT_TRUE(sink.WaitForEvents(1, 10s));
    EXPECT_EQ(sink.Events().at(0), MediaEvent::EndOfStream);
  }
  TestMedia::Wav wav;
  ASSERT_TRUE(TestMedia::ReadWav(wavPath, wav));
  ASSERT_EQ(wav.Frames(), tone.Frames());
  for (size_t i = 0; i < wav.values.size(); ++i) ASSERT_EQ(wav.values[i], tone.values[i]) << i / 2;
}

// Whether a sound output can be had is told without loading the sound library: a
// server's socket that accepts, the null outputs, a wav file's folder that can be written.
TEST(SoundOutputAvailable, IsToldFromTheSocketTheNullOutputsAndTheWavFolder) {
  const std::string dir = TestMedia::MakeTempDir();
  const char* saved = std::getenv("XDG_RUNTIME_DIR");
  const std::string savedRuntime = saved ? saved : "";
  unsetenv("TARNELLO_AUDIO");
  unsetenv("PULSE_SERVER");
  setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
  // A machine with a system-wide or session server of its own cannot show "none".
  const bool otherServer = access("/var/run/pulse/native", F_OK) == 0 ||
                           access(("/run/user/" + std::to_string(getuid()) + "/pulse/native").c_str(), F_OK) == 0;
  if (!otherServer) {
    EXPECT_FALSE(DefaultSoundOutputAvailable());
  }

  ASSERT_EQ(mkdir((dir + "/pulse").c_str(), 0700), 0);
  const int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::snprintf(address.sun_path, sizeof address.sun_path, "%s/pulse/native", dir.c_str());
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(listener, 4), 0);
  EXPECT_TRUE(DefaultSoundOutputAvailable());
  // PULSE_SERVER names the one server to use.
  setenv("PULSE_SERVER", "unix:/nonexistent/native", 1);
  EXPECT_FALSE(DefaultSoundOutputAvailable());
  setenv("PULSE_SERVER", address.sun_path, 1);
  EXPECT_TRUE(DefaultSoundOutputAvailable());
  unsetenv("PULSE_SERVER");
  close(listener);
  unlink(address.sun_path);
  if (!otherServer) {
    EXPECT_FALSE(DefaultSoundOutputAvailable());  // a socket nobody listens on
  }

  setenv("TARNELLO_AUDIO", "null", 1);
  EXPECT_TRUE(DefaultSoundOutputAvailable());
  setenv("TARNELLO_AUDIO", ("wav:" + dir + "/out.wav").c_str(), 1);
  EXPECT_TRUE(DefaultSoundOutputAvailable());
  setenv("TARNELLO_AUDIO", "wav:/nonexistent-folder/out.wav", 1);
  EXPECT_FALSE(DefaultSoundOutputAvailable());
  setenv("TARNELLO_AUDIO", "no-such-backend", 1);
  EXPECT_FALSE(DefaultSoundOutputAvailable());
  unsetenv("TARNELLO_AUDIO");
  if (saved) setenv("XDG_RUNTIME_DIR", savedRuntime.c_str(), 1);
  else unsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
