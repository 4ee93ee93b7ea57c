#include "platform/media/WavOutput.h"

#include <cstring>

namespace {
void Put16(unsigned char* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}
void Put32(unsigned char* p, uint32_t v) {
  Put16(p, v & 0xFFFF);
  Put16(p + 2, v >> 16);
}
}  // namespace

std::unique_ptr<WavOutput> WavOutput::Open(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return nullptr;
  auto output = std::unique_ptr<WavOutput>(new WavOutput(file));
  output->WriteHeader();
  return output;
}

WavOutput::WavOutput(std::FILE* file) : NullOutput(false), file_(file) {}

WavOutput::~WavOutput() { std::fclose(file_); }

void WavOutput::WriteHeader() {
  unsigned char h[44];
  std::memcpy(h, "RIFF", 4);
  Put32(h + 4, 36 + dataBytes_);
  std::memcpy(h + 8, "WAVEfmt ", 8);
  Put32(h + 16, 16);
  Put16(h + 20, 1);  // PCM
  Put16(h + 22, kChannels);
  Put32(h + 24, kRate);
  Put32(h + 28, kRate * kChannels * 2);
  Put16(h + 32, kChannels * 2);
  Put16(h + 34, 16);
  std::memcpy(h + 36, "data", 4);
  Put32(h + 40, dataBytes_);
  std::fseek(file_, 0, SEEK_SET);
  std::fwrite(h, 1, sizeof h, file_);
  std::fseek(file_, 0, SEEK_END);
}

void WavOutput::Consume(const int16_t* samples, size_t frames) {
  // Samples go out little-endian, as the format wants, whatever the host order.
  unsigned char buffer[4096];
  const size_t total = frames * kChannels;
  for (size_t done = 0; done < total;) {
    const size_t n = std::min(total - done, sizeof buffer / 2);
    for (size_t i = 0; i < n; ++i) Put16(buffer + 2 * i, uint16_t(samples[done + i]));
    std::fwrite(buffer, 2, n, file_);
    done += n;
  }
  dataBytes_ += uint32_t(total * 2);
  WriteHeader();
  std::fflush(file_);
}
