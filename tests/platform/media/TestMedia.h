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

// Any file ffmpeg makes from a lavfi source: source is the filter text
// ("sine=frequency=1000:duration=2"), encoding the output options ("-ac 2 -c:a flac").
bool MakeFile(const std::string& path, const std::string& source, const std::string& encoding);

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadBytes(const std::string& path);

struct Wav {
  int channels = 0;
  int rate = 0;
  std::vector<int16_t> samples;  // interleaved, at 16 bits (rounded, clamped)
  std::vector<float> values;     // interleaved, full scale 1.0, as written
  size_t Frames() const { return channels ? samples.size() / size_t(channels) : 0; }
};
bool ReadWav(const std::string& path, Wav& wav);
// Reads 16- and 24-bit PCM and 32-bit float files.
// Largest absolute sample of one channel.
int Peak(const Wav& wav, int channel);
// Root mean square of one channel over frames [from, to), full scale 1.0.
double Rms(const Wav& wav, int channel, size_t from, size_t to);
// Frequency of a tone from its zero crossings over frames [from, to).
double ToneHz(const Wav& wav, int channel, size_t from, size_t to);

}  // namespace TestMedia
