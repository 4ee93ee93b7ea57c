#pragma once
#include <cstdio>
#include <string>

#include "platform/media/NullOutput.h"

// Writes what it is given to a 32-bit float WAV file as fast as it comes (or, timed,
// at real-time pace like the null device), keeping
// the header's sizes current so the file can be read while it grows. A file holds
// one format: a track in another format starts the file afresh.
class WavOutput : public NullOutput {
 public:
  static std::unique_ptr<WavOutput> Open(const std::string& path, bool timed = false);
  ~WavOutput() override;

 protected:
  void Consume(const float* samples, size_t frames) override;
  void FormatChanging(SoundFormat format) override;

 private:
  WavOutput(std::FILE* file, std::string path, bool timed);
  void WriteHeader(SoundFormat format);

  std::FILE* file_;
  std::string path_;
  uint32_t dataBytes_ = 0;
};
