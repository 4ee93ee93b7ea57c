#include "TestMedia.h"

#include <algorithm>
#include <cmath>
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
  if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 || std::memcmp(b.data() + 8, "WAVE", 4) != 0)
    return false;
  uint32_t tag = 0, bits = 0;
  for (size_t at = 12; at + 8 <= b.size();) {
    const size_t size = u32(at + 4);
    if (std::memcmp(&b[at], "fmt ", 4) == 0 && at + 24 <= b.size()) {
      tag = u16(at + 8);
      wav.channels = int(u16(at + 10));
      wav.rate = int(u32(at + 12));
      bits = u16(at + 22);
      if (tag == 0xFFFE && size >= 40) tag = u16(at + 32);  // extensible: the subformat's tag
    } else if (std::memcmp(&b[at], "data", 4) == 0) {
      const size_t bytes = std::min(size, b.size() - at - 8);
      const size_t width = bits / 8;
      if (width == 0 || wav.channels == 0) return false;
      const size_t count = bytes / width;
      wav.values.resize(count);
      wav.samples.resize(count);
      for (size_t i = 0; i < count; ++i) {
        const size_t p = at + 8 + i * width;
        float v = 0;
        if (tag == 3 && bits == 32) {
          const uint32_t raw = u32(p);
          std::memcpy(&v, &raw, 4);
        } else if (tag == 1 && bits == 16) {
          v = float(int16_t(u16(p))) / 32768.0f;
        } else if (tag == 1 && bits == 24) {
          const int32_t raw = int32_t((u16(p) | uint32_t(b[p + 2]) << 16) << 8) >> 8;
          v = float(raw) / 8388608.0f;
        } else {
          return false;
        }
        wav.values[i] = v;
        wav.samples[i] = int16_t(std::clamp<long>(std::lround(double(v) * 32768.0), -32768, 32767));
      }
      return true;
    }
    at += 8 + size + (size & 1);
  }
  return false;
}

double Rms(const Wav& wav, int channel, size_t from, size_t to) {
  to = std::min(to, wav.Frames());
  double sum = 0;
  size_t n = 0;
  for (size_t f = from; f < to; ++f, ++n) {
    const double v = wav.values[f * size_t(wav.channels) + size_t(channel)];
    sum += v * v;
  }
  return n ? std::sqrt(sum / double(n)) : 0.0;
}

double ToneHz(const Wav& wav, int channel, size_t from, size_t to) {
  to = std::min(to, wav.Frames());
  const size_t c = size_t(wav.channels);
  double first = -1, last = -1;
  int crossings = 0;
  for (size_t f = from + 1; f < to; ++f) {
    const float a = wav.values[(f - 1) * c + size_t(channel)], b = wav.values[f * c + size_t(channel)];
    if (a < 0 && b >= 0) {
      const double at = double(f - 1) + double(-a) / double(b - a);
      if (first < 0) first = at;
      else ++crossings;
      last = at;
    }
  }
  return crossings > 0 ? crossings * wav.rate / (last - first) : 0.0;
}

bool MakeFile(const std::string& path, const std::string& source, const std::string& encoding) {
  const std::string command = "ffmpeg -nostdin -loglevel error -y -f lavfi -i '" + source + "' " + encoding + " '" +
                              path + "'";
  return std::system(command.c_str()) == 0;
}

int Peak(const Wav& wav, int channel) {
  int peak = 0;
  for (size_t i = size_t(channel); i < wav.samples.size(); i += size_t(wav.channels))
    peak = std::max(peak, std::abs(int(wav.samples[i])));
  return peak;
}

}  // namespace TestMedia
