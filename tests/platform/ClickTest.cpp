#include <QFile>
#include <algorithm>
#include <QTemporaryDir>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

#include "platform/Sound.h"

namespace {
std::vector<int16_t> Samples(const QByteArray& bytes, int from = 0) {
  std::vector<int16_t> s;
  for (int i = from; i + 1 < bytes.size(); i += 2) s.push_back(int16_t(uint8_t(bytes[i]) | (uint8_t(bytes[i + 1]) << 8)));
  return s;
}

// The samples of a 32-bit float WAV file (its data after the 58-byte header) at 16 bits.
std::vector<int16_t> FloatSamples(const QByteArray& bytes) {
  std::vector<int16_t> s;
  for (int i = 58; i + 3 < bytes.size(); i += 4) {
    const uint32_t bits = uint32_t(uint8_t(bytes[i])) | uint32_t(uint8_t(bytes[i + 1])) << 8 |
                          uint32_t(uint8_t(bytes[i + 2])) << 16 | uint32_t(uint8_t(bytes[i + 3])) << 24;
    float v;
    std::memcpy(&v, &bits, 4);
    s.push_back(int16_t(std::lround(v * 32768.0f)));
  }
  return s;
}

std::vector<int16_t> CommittedClick() {
  QFile raw(TARNELLO_SOURCE_DIR "/resources/click.raw");
  return raw.open(QIODevice::ReadOnly) ? Samples(raw.readAll()) : std::vector<int16_t>{};
}

TEST(Click, TheCommittedSoundIsAShortTickThatStartsAndEndsInSilence) {
  const std::vector<int16_t> click = CommittedClick();
  ASSERT_EQ(click.size(), 2292u);  // 0.104 s at 22050 Hz
  EXPECT_EQ(click.front(), 0);
  EXPECT_EQ(click.back(), 0);
  int peak = 0;
  for (int16_t s : click) peak = std::max(peak, std::abs(int(s)));
  EXPECT_GT(peak, 6000);   // heard
  EXPECT_LT(peak, 24000);  // not clipped or harsh
}

// The click goes through the sound library to the output TARNELLO_CLICK_AUDIO names;
// the library keeps the first output it could open.
TEST(Click, PlaysTheEmbeddedSamplesAt44100HzStereoAndSkipsWithoutAnOutput) {
  QTemporaryDir dir;
  const QByteArray wav = dir.filePath("click.wav").toUtf8();
  // No output can be opened: nothing is played, nothing is written, nothing fails.
  setenv("TARNELLO_CLICK_AUDIO", ("wav:" + dir.filePath("missing/click.wav")).toUtf8().constData(), 1);
  Platform::PlayClickAndWait();
  setenv("TARNELLO_CLICK_AUDIO", ("wav:" + wav).constData(), 1);
  Platform::PlayClickAndWait();
  Platform::PlayClickAndWait();
  unsetenv("TARNELLO_CLICK_AUDIO");

  QFile file(QString::fromUtf8(wav));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "no click was played";
  const std::vector<int16_t> heard = FloatSamples(file.readAll());
  const std::vector<int16_t> click = CommittedClick();
  ASSERT_EQ(heard.size(), 2 * click.size() * 4);  // two clicks, each sample two frames of two channels
  for (size_t played = 0; played < 2; ++played) {
    for (size_t i = 0; i < click.size(); ++i) {
      const size_t at = (played * click.size() + i) * 4;
      for (size_t k = 0; k < 4; ++k) ASSERT_EQ(heard[at + k], click[i]) << "sample " << i << " of click " << played;
    }
  }
}
}  // namespace
