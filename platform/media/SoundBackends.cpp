#include "platform/media/SoundBackends.h"

#include "platform/media/NullOutput.h"
#include "platform/media/PulseOutput.h"
#include "platform/media/WavOutput.h"

std::unique_ptr<SoundOutput> CreateSoundOutput(const std::string& spec) {
  if (spec.empty() || spec == "pulse") return PulseOutput::Open();
  if (spec == "null") return std::make_unique<NullOutput>(true);
  if (spec == "null-untimed") return std::make_unique<NullOutput>(false);
  if (spec.rfind("wav:", 0) == 0 && spec.size() > 4) return WavOutput::Open(spec.substr(4));
  if (spec.rfind("wav-timed:", 0) == 0 && spec.size() > 10) return WavOutput::Open(spec.substr(10), true);
  return nullptr;
}
