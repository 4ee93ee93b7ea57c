#include "platform/media/SoundProcessor.h"

#include "platform/media/MediaDecoder.h"

std::unique_ptr<SoundProcessor> SoundProcessor::Create(SoundFormat format) {
  using CreateFunction = SoundProcessor* (*)(int32_t rate, int32_t channels);
  auto create = reinterpret_cast<CreateFunction>(FilterLibrarySymbol("TarnelloCreateSoundProcessor"));
  if (!create) return nullptr;
  return std::unique_ptr<SoundProcessor>(create(format.rate, format.channels));
}
