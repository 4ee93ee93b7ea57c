#include "platform/media/SoundLibrary.h"

#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "platform/media/SoundOutput.h"

namespace {
constexpr int kSourceRate = 22050;
static_assert(SoundOutput::kRate == 2 * kSourceRate, "each source sample becomes two output frames");

std::mutex lock;
// Opened at the first sound that finds an output, then kept for the life of the
// process (the system reclaims it at exit); paused between sounds so an idle
// stream does not keep the sound device awake.
SoundOutput* output = nullptr;

std::unique_ptr<SoundOutput> OpenOutput() {
  if (const char* own = std::getenv("TARNELLO_CLICK_AUDIO")) return OpenSoundOutput(own);
  const char* shared = std::getenv("TARNELLO_AUDIO");
  const std::string spec = shared ? shared : "";
  return OpenSoundOutput(spec.rfind("wav:", 0) == 0 ? std::string("null") : spec);
}
}  // namespace

extern "C" __attribute__((visibility("default"))) int32_t PlayPcmAndWait(const int16_t* samples, size_t frames) {
  std::lock_guard guard(lock);
  if (!output) output = OpenOutput().release();
  if (!output) return 0;
  // 22050 Hz mono to 44100 Hz stereo: each sample twice, on both channels.
  std::vector<int16_t> out(frames * 2 * SoundOutput::kChannels);
  for (size_t i = 0; i < frames; ++i)
    for (size_t k = 0; k < 2 * size_t(SoundOutput::kChannels); ++k) out[i * 2 * SoundOutput::kChannels + k] = samples[i];
  output->SetPaused(false);
  const uint64_t epoch = output->Epoch();
  const size_t outFrames = frames * 2;
  for (size_t done = 0; done < outFrames;) {
    const size_t n = output->Write(out.data() + done * SoundOutput::kChannels, outFrames - done, epoch);
    if (n == 0) break;
    done += n;
  }
  output->Drain(epoch);
  output->SetPaused(true);
  return 1;
}
