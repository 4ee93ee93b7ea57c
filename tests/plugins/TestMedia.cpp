#include "TestMedia.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace TestMedia {

std::string MakeTempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/tarnello-media-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back(0);
  return mkdtemp(buffer.data()) ? std::string(buffer.data()) : std::string();
}

bool MakeSine(const std::string& path, double seconds, int channels, int frequency, int sampleRate) {
  char command[1024];
  std::snprintf(command, sizeof command,
                "ffmpeg -nostdin -loglevel error -y -f lavfi -i sine=frequency=%d:sample_rate=%d:duration=%.3f "
                "-ac %d -c:a wmav2 -b:a 128k -f asf '%s'",
                frequency, sampleRate, seconds, channels, path.c_str());
  return std::system(command) == 0;
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return bool(out);
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool ReadWav(const std::string& path, Wav& wav) {
  const std::vector<uint8_t> b = ReadBytes(path);
  auto u16 = [&](size_t i) { return uint32_t(b[i]) | uint32_t(b[i + 1]) << 8; };
  auto u32 = [&](size_t i) { return u16(i) | u16(i + 2) << 16; };
  if (b.size() < 44 || std::memcmp(b.data(), "RIFF", 4) != 0 || std::memcmp(b.data() + 8, "WAVE", 4) != 0)
    return false;
  wav.channels = int(u16(22));
  wav.rate = int(u32(24));
  const size_t bytes = std::min<size_t>(u32(40), b.size() - 44);
  wav.samples.resize(bytes / 2);
  for (size_t i = 0; i < wav.samples.size(); ++i) wav.samples[i] = int16_t(u16(44 + 2 * i));
  return true;
}

int Peak(const Wav& wav, int channel) {
  int peak = 0;
  for (size_t i = size_t(channel); i < wav.samples.size(); i += size_t(wav.channels))
    peak = std::max(peak, std::abs(int(wav.samples[i])));
  return peak;
}

}  // namespace TestMedia
