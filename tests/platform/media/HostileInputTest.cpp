// Damaged, foreign and stalling sources: each plays what can be decoded and ends,
// or fails to open, without a crash, a hang or a leak (also run under
// AddressSanitizer with leak checking).
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "MediaSink.h"
#include "StaticHttpServer.h"
#include "TestMedia.h"
#include "platform/media/MediaPlayer.h"

using namespace std::chrono_literals;

namespace {
// Accepts connections on 127.0.0.1; sends each the given bytes (maybe none) and then
// stays silent with the connection open until it is destroyed.
class StallingServer {
 public:
  explicit StallingServer(std::vector<uint8_t> reply) : reply_(std::move(reply)) {
    listen_ = ListenOnLoopback(port_);
    if (pipe(stop_) != 0) stop_[0] = stop_[1] = -1;
    thread_ = std::thread([this] { Run(); });
  }
  ~StallingServer() {
    [[maybe_unused]] ssize_t n = write(stop_[1], "x", 1);
    thread_.join();
    for (int c : clients_) close(c);
    close(listen_);
    close(stop_[0]);
    close(stop_[1]);
  }
  std::string Url(const std::string& name) const {
    return "http://127.0.0.1:" + std::to_string(port_) + "/" + name;
  }
  int Connections() const { return connections_.load(); }

 private:
  void Run() {
    for (;;) {
      pollfd fds[2] = {{listen_, POLLIN, 0}, {stop_[0], POLLIN, 0}};
      if (poll(fds, 2, -1) < 0 || (fds[1].revents & POLLIN)) return;
      const int client = accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
      if (client < 0) continue;
      ++connections_;
      clients_.push_back(client);
      if (!reply_.empty()) [[maybe_unused]] ssize_t n = send(client, reply_.data(), reply_.size(), MSG_NOSIGNAL);
    }
  }
  std::vector<uint8_t> reply_;
  int listen_ = -1;
  int stop_[2] = {-1, -1};
  int port_ = 0;
  std::atomic<int> connections_{0};
  std::vector<int> clients_;
  std::thread thread_;
};

// A kind of source as a plug-in plays it: Dovrel's WMA at the fixed format, and
// Brelwick's formats at their own with the sound processing busy.
struct SourceKind {
  const char* name;
  const char* extension;
  const char* encoding;  // ffmpeg output options
  MediaDecoder::Layout layout;
  const char* source = "sine=frequency=1000:duration=2";
  // Whether the start of a file plays when its end is missing. FFmpeg's Ogg demuxer
  // reads the last page while it opens, so a cut Ogg file fails to open instead
  // (cleanly: that is all it is asked to do then).
  bool cutPlays = true;
};
const SourceKind kKinds[] = {
    {"Wma", ".wma", "-c:a wmav2 -b:a 128k -f asf", MediaDecoder::Layout::kFixed},
    {"Mp3", ".mp3", "-c:a libmp3lame -b:a 128k", MediaDecoder::Layout::kNative},
    {"Flac", ".flac", "-c:a flac", MediaDecoder::Layout::kNative},
    {"Ogg", ".ogg", "-c:a libvorbis -b:a 192k", MediaDecoder::Layout::kNative, "anoisesrc=d=2:a=0.3:c=pink",
     false},
};

class HostileInputTest : public ::testing::TestWithParam<SourceKind> {
 protected:
  void SetUp() override {
    if (dir.empty()) dir = TestMedia::MakeTempDir();
    const std::string path = dir + "/good" + Ext();
    if (TestMedia::ReadBytes(path).empty()) {
      ASSERT_TRUE(
          TestMedia::MakeFile(path, GetParam().source, std::string("-ac 2 ") + GetParam().encoding));
    }
    good = TestMedia::ReadBytes(path);
    ASSERT_GT(good.size(), 20000u);
  }
  static std::string Ext() { return GetParam().extension; }
  static std::string dir;
  std::vector<uint8_t> good;

  std::unique_ptr<MediaPlayer> Create(RecordingSink& sink) {
    auto player = MediaPlayer::Create(&sink, OpenSoundOutput("null-untimed"), GetParam().layout);
    if (player && GetParam().layout == MediaDecoder::Layout::kNative) {
      // Every stage of the processing at work on whatever the decoder makes of it.
      SoundSettings settings;
      settings.equalizerOn = true;
      settings.bandDb = {12, -12, 6, 0, 3, -3, 12, 12, -12, 12};
      settings.preampDb = 12;
      settings.balance = 40;
      settings.speed = 1.2f;
      player->SetSoundSettings(settings);
    }
    return player;
  }

  // Plays source to its end; the control must report exactly one event in time.
  MediaEvent PlayOnce(const std::string& source, std::chrono::milliseconds stall = 1000ms) {
    RecordingSink sink;
    auto player = Create(sink);
    EXPECT_TRUE(player);
    if (!player) return MediaEvent::OpenFailed;
    player->SetStallTimeout(stall);
    player->SetSource(source);
    player->Play();
    EXPECT_TRUE(sink.WaitForEvents(1, 15s)) << source;
    const std::vector<MediaEvent> events = sink.Events();
    EXPECT_EQ(events.size(), 1u) << source;
    EXPECT_EQ(player->PlayState(), MediaPlayer::kStopped);
    return events.empty() ? MediaEvent::OpenFailed : events[0];
  }
};
std::string HostileInputTest::dir;

TEST_P(HostileInputTest, TruncatedFilesPlayWhatTheyHoldOrFailToOpen) {
  for (size_t length : {size_t(0), size_t(16), size_t(600), size_t(5000), good.size() / 3, good.size() / 2,
                        good.size() - 100}) {
    const std::string path = dir + "/cut" + std::to_string(length) + Ext();
    ASSERT_TRUE(TestMedia::WriteBytes(path, std::vector<uint8_t>(good.begin(), good.begin() + long(length))));
    const MediaEvent e = PlayOnce(path);
    // Past the header there is audio to play, so the stream ends normally.
    if (length >= good.size() / 3 && GetParam().cutPlays) {
      EXPECT_EQ(e, MediaEvent::EndOfStream) << length;
    }
  }
}

TEST_P(HostileInputTest, RandomBytesAndCorruptedPacketsNeverHarmThePlayer) {
  std::mt19937 random(12345);
  std::vector<uint8_t> noise(64 * 1024);
  for (uint8_t& b : noise) b = uint8_t(random());
  ASSERT_TRUE(TestMedia::WriteBytes(dir + "/noise" + Ext(), noise));
  EXPECT_EQ(PlayOnce(dir + "/noise" + Ext()), MediaEvent::OpenFailed);

  // A valid header followed by damaged packets.
  std::vector<uint8_t> damaged = good;
  for (size_t i = 6000; i < damaged.size(); i += 97) damaged[i] = uint8_t(random());
  ASSERT_TRUE(TestMedia::WriteBytes(dir + "/damaged" + Ext(), damaged));
  PlayOnce(dir + "/damaged" + Ext());

  EXPECT_EQ(PlayOnce(dir + "/does-not-exist" + Ext()), MediaEvent::OpenFailed);
  // Only files and http(s) are sources, even when the name looks like a WMA file.
  EXPECT_EQ(PlayOnce("concat:" + dir + "/good" + Ext() + "|" + dir + "/good" + Ext()), MediaEvent::OpenFailed);
}

TEST_P(HostileInputTest, AServerThatNeverAnswersIsGivenUpAfterTheStallTime) {
  StallingServer server({});
  const auto before = std::chrono::steady_clock::now();
  EXPECT_EQ(PlayOnce(server.Url("song" + Ext()), 800ms), MediaEvent::OpenFailed);
  EXPECT_LT(std::chrono::steady_clock::now() - before, 5s);
  EXPECT_GE(server.Connections(), 1);
}

TEST_P(HostileInputTest, AStreamThatStallsMidwayEndsAfterWhatItDelivered) {
  const std::string header = "HTTP/1.0 200 OK\r\nContent-Type: audio/x-ms-wma\r\nContent-Length: " +
                             std::to_string(good.size()) + "\r\n\r\n";
  std::vector<uint8_t> reply(header.begin(), header.end());
  reply.insert(reply.end(), good.begin(), good.begin() + long(good.size() / 2));
  StallingServer server(reply);
  const MediaEvent e = PlayOnce(server.Url("song" + Ext()), 800ms);
  if (GetParam().cutPlays) {
    EXPECT_EQ(e, MediaEvent::EndOfStream);
  }
}

TEST_P(HostileInputTest, StoppingWhileAUrlOpensNeverWaitsForTheNetwork) {
  StallingServer server({});
  RecordingSink sink;
  auto player = Create(sink);
  ASSERT_TRUE(player);
  player->SetSource(server.Url("song" + Ext()));
  const auto before = std::chrono::steady_clock::now();
  player->Play();
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(player->PlayState(), MediaPlayer::kWaiting);
  player->Stop();
  player.reset();  // the worker gives the source up at once
  EXPECT_LT(std::chrono::steady_clock::now() - before, 2s);
  EXPECT_TRUE(sink.Events().empty());
}

INSTANTIATE_TEST_SUITE_P(Sources, HostileInputTest, ::testing::ValuesIn(kKinds),
                         [](const ::testing::TestParamInfo<SourceKind>& info) { return std::string(info.param.name); });

}  // namespace
