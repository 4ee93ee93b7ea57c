#include "platform/media/SoundOutput.h"

#include <cstdlib>

#include "platform/Log.h"
#include "platform/media/MediaDecoder.h"
#include "platform/media/SoundLibrary.h"

std::unique_ptr<SoundOutput> OpenSoundOutput(const std::string& spec) {
  using OpenFunction = SoundOutput* (*)(const char* spec);
  auto open = reinterpret_cast<OpenFunction>(SoundLibrarySymbol(TARNELLO_SOUND_OUTPUT_FUNCTION));
  std::unique_ptr<SoundOutput> output(open ? open(spec.c_str()) : nullptr);
  if (!output) Platform::Log("sound", "no sound output" + (spec.empty() ? std::string() : " for TARNELLO_AUDIO=" + spec));
  return output;
}

std::unique_ptr<SoundOutput> OpenDefaultSoundOutput() {
  const char* spec = std::getenv("TARNELLO_AUDIO");
  return OpenSoundOutput(spec ? spec : "");
}
