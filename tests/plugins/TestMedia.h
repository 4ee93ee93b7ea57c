#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Audio files made at test time with ffmpeg, and reading back what the wav output wrote.
namespace TestMedia {

// A fresh private folder under the system's temporary folder.
std::string MakeTempDir();

// A sine of frequency Hz at ffmpeg's default level (amplitude 1/8) for seconds,
// encoded as WMA version 2 in an ASF container (".wma" and ".asf" alike).
bool MakeSine(const std::string& path, double seconds, int channels = 1, int frequency = 1000,
              int sampleRate = 44100);

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadBytes(const std::string& path);

struct Wav {
  int channels = 0;
  int rate = 0;
  std::vector<int16_t> samples;  // interleaved
  size_t Frames() const { return channels ? samples.size() / size_t(channels) : 0; }
};
bool ReadWav(const std::string& path, Wav& wav);
// Largest absolute sample of one channel.
int Peak(const Wav& wav, int channel);

}  // namespace TestMedia
