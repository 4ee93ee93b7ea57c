#include "platform/media/SoundOutput.h"

#include <cstdlib>

#include "platform/media/NullOutput.h"
#include "platform/media/PulseOutput.h"
#include "platform/media/WavOutput.h"

void SoundOutput::SetFormat(SoundFormat format) {
  if (format.rate <= 0 || format.channels <= 0 || format == format_.load()) return;
  // The frames of the old format are heard in full before the stream changes.
  Drain(Epoch());
  FormatChanging(format);
  format_ = format;
}

std::unique_ptr<SoundOutput> OpenSoundOutput(const std::string& spec) {
  if (spec.empty() || spec == "pulse") return PulseOutput::Open();
  if (spec == "null") return std::make_unique<NullOutput>(true);
  if (spec == "null-untimed") return std::make_unique<NullOutput>(false);
  if (spec.rfind("wav:", 0) == 0 && spec.size() > 4) return WavOutput::Open(spec.substr(4));
  if (spec.rfind("wav-timed:", 0) == 0 && spec.size() > 10) return WavOutput::Open(spec.substr(10), true);
  return nullptr;
}

std::unique_ptr<SoundOutput> OpenDefaultSoundOutput() {
  const char* spec = std::getenv("TARNELLO_AUDIO");
  return OpenSoundOutput(spec ? spec : "");
}
