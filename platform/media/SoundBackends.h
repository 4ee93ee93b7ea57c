#pragma once
#include <memory>
#include <string>

#include "platform/media/SoundOutput.h"

// The sound output backends themselves, built into libtarnello-sound.so only: the
// output named by spec, as OpenSoundOutput describes it.
std::unique_ptr<SoundOutput> CreateSoundOutput(const std::string& spec);
