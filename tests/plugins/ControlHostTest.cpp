// The shared wiring of the plug-ins that host the media player control: the record
// it fills and the requests it passes on to whatever control the plug-in gives it.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "MediaSink.h"
#include "TestMedia.h"
#include "plugins/common/ControlHost.h"

namespace {

MediaPlayer* control = nullptr;
MediaPlayer* CurrentControl() { return control; }

InputModule Wired() {
  InputModule m{};
  ControlHost::Wire(m, CurrentControl);
  return m;
}

TEST(ControlHostTest, WithoutAControlEveryRequestIsHarmlessAndReportsNothing) {
  control = nullptr;
  const InputModule m = Wired();
  EXPECT_EQ(m.apiVersion, INPUT_MODULE_API_VERSION);
  m.reservedFn1();
  EXPECT_EQ(m.reservedFn2(), 0);
  m.pausePlayback();
  m.resumePlayback();
  m.stopPlayback();
  m.seekToMs(1000);
  m.applyVolume(100);
  m.applyBalance(-128);
  const int16_t bands[10] = {};
  m.applyEqualizer(1, bands, 0);
  m.applySpeed(2.0f);
  EXPECT_EQ(m.isPlaybackPaused(), 0);
  EXPECT_EQ(m.trackLengthMs(), 0);
  EXPECT_EQ(m.playPositionMs(), 0);
  // The entries the plug-in sets itself stay empty.
  EXPECT_EQ(m.playFile, nullptr);
  EXPECT_EQ(m.claimsFile, nullptr);
}

TEST(ControlHostTest, RequestsReachTheControlThePlugInGives) {
  const std::string dir = TestMedia::MakeTempDir();
  ASSERT_TRUE(TestMedia::MakeSine(dir + "/three.wma", 3.0, 1));
  RecordingSink sink;
  auto player = MediaPlayer::Create(&sink, OpenSoundOutput("null"));
  ASSERT_TRUE(player);
  ASSERT_TRUE(player->SetSource(dir + "/three.wma"));
  const InputModule m = Wired();
  control = player.get();

  m.resumePlayback();  // resumes a pause only, never starts a stopped track
  EXPECT_EQ(player->PlayState(), MediaPlayer::kStopped);

  ASSERT_TRUE(player->Play());
  m.pausePlayback();
  EXPECT_EQ(m.isPlaybackPaused(), 1);
  for (int i = 0; i < 500 && m.trackLengthMs() == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_NEAR(m.trackLengthMs(), 3000, 50);
  m.seekToMs(1500);
  EXPECT_NEAR(m.playPositionMs(), 1500, 50);
  m.resumePlayback();
  EXPECT_EQ(m.isPlaybackPaused(), 0);
  EXPECT_EQ(player->PlayState(), MediaPlayer::kPlaying);
  m.stopPlayback();
  EXPECT_EQ(player->PlayState(), MediaPlayer::kStopped);

  control = nullptr;  // the plug-in's control is gone: nothing reaches the old one
  EXPECT_EQ(m.trackLengthMs(), 0);
  player.reset();
  std::filesystem::remove_all(dir);
}

}  // namespace
