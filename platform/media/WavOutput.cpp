#include "platform/media/WavOutput.h"

#include <cstring>

namespace {
constexpr uint16_t kFloatFormat = 3;  // WAVE_FORMAT_IEEE_FLOAT
constexpr size_t kHeaderBytes = 58;   // RIFF, an 18-byte fmt chunk, fact, data

void Put16(unsigned char* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}
void Put32(unsigned char* p, uint32_t v) {
  Put16(p, v & 0xFFFF);
  Put16(p + 2, v >> 16);
}
}  // namespace

std::unique_ptr<WavOutput> WavOutput::Open(const std::string& path, bool timed) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return nullptr;
  auto output = std::unique_ptr<WavOutput>(new WavOutput(file, path, timed));
  output->WriteHeader(output->Format());
  return output;
}

WavOutput::WavOutput(std::FILE* file, std::string path, bool timed)
    : NullOutput(timed), file_(file), path_(std::move(path)) {}

WavOutput::~WavOutput() {
  if (file_) std::fclose(file_);
}

void WavOutput::WriteHeader(SoundFormat format) {
  const uint32_t channels = uint32_t(format.channels);
  unsigned char h[kHeaderBytes];
  std::memcpy(h, "RIFF", 4);
  Put32(h + 4, uint32_t(kHeaderBytes - 8) + dataBytes_);
  std::memcpy(h + 8, "WAVEfmt ", 8);
  Put32(h + 16, 18);
  Put16(h + 20, kFloatFormat);
  Put16(h + 22, channels);
  Put32(h + 24, uint32_t(format.rate));
  Put32(h + 28, uint32_t(format.rate) * channels * 4);
  Put16(h + 32, channels * 4);
  Put16(h + 34, 32);
  Put16(h + 36, 0);
  std::memcpy(h + 38, "fact", 4);
  Put32(h + 42, 4);
  Put32(h + 46, dataBytes_ / (channels * 4));
  std::memcpy(h + 50, "data", 4);
  Put32(h + 54, dataBytes_);
  std::fseek(file_, 0, SEEK_SET);
  std::fwrite(h, 1, sizeof h, file_);
  std::fseek(file_, 0, SEEK_END);
}

void WavOutput::FormatChanging(SoundFormat format) {
  if (!file_) return;
  if (dataBytes_ > 0) {
    std::FILE* fresh = std::freopen(path_.c_str(), "wb", file_);
    file_ = fresh;
    if (!file_) return;
    dataBytes_ = 0;
  }
  WriteHeader(format);
  std::fflush(file_);
}

void WavOutput::Consume(const float* samples, size_t frames) {
  if (!file_) return;
  // Samples go out little-endian, as the format wants, whatever the host order.
  const SoundFormat format = Format();
  unsigned char buffer[4096];
  const size_t total = frames * size_t(format.channels);
  for (size_t done = 0; done < total;) {
    const size_t n = std::min(total - done, sizeof buffer / 4);
    for (size_t i = 0; i < n; ++i) {
      uint32_t bits;
      std::memcpy(&bits, &samples[done + i], 4);
      Put32(buffer + 4 * i, bits);
    }
    std::fwrite(buffer, 4, n, file_);
    done += n;
  }
  dataBytes_ += uint32_t(total * 4);
  WriteHeader(format);
  std::fflush(file_);
}
