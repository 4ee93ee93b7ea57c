#pragma once
#include <cstdio>
#include <string>

#include "platform/media/NullOutput.h"

// Writes what it is given to a 16-bit stereo WAV file as fast as it comes, keeping
// the header's sizes current so the file can be read while it grows.
class WavOutput : public NullOutput {
 public:
  static std::unique_ptr<WavOutput> Open(const std::string& path);
  ~WavOutput() override;

 protected:
  void Consume(const int16_t* samples, size_t frames) override;

 private:
  explicit WavOutput(std::FILE* file);
  void WriteHeader();

  std::FILE* file_;
  uint32_t dataBytes_ = 0;
};
