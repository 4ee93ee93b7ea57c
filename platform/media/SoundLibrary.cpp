#include "platform/media/SoundLibrary.h"

#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "platform/media/SoundBackends.h"

namespace {
constexpr int kSourceRate = 22050;
static_assert(SoundOutput::kRate == 2 * kSourceRate, "each source sample becomes two output frames");

std::mutex lock;
// Opened at the first sound that finds an output, then kept for the life of the
// process (the system reclaims it at exit); its stream is closed between sounds so
// an idle player holds none and the sound device may sleep.
SoundOutput* output = nullptr;

std::unique_ptr<SoundOutput> OpenOutput() {
  if (const char* own = std::getenv("TARNELLO_CLICK_AUDIO")) return CreateSoundOutput(own);
  const char* shared = std::getenv("TARNELLO_AUDIO");
  const std::string spec = shared ? shared : "";
  return CreateSoundOutput(spec.rfind("wav", 0) == 0 ? std::string("null") : spec);
}
}  // namespace

extern "C" __attribute__((visibility("default"))) int32_t PlayPcmAndWait(const int16_t* samples, size_t frames) {
  std::lock_guard guard(lock);
  if (!output) output = OpenOutput().release();
  if (!output) return 0;
  output->SetFormat(SoundFormat{SoundOutput::kRate, SoundOutput::kChannels});
  // 22050 Hz mono to 44100 Hz stereo: each sample twice, on both channels.
  const size_t perSample = 2 * size_t(SoundOutput::kChannels);
  std::vector<float> out(frames * perSample);
  for (size_t i = 0; i < frames; ++i)
    for (size_t k = 0; k < perSample; ++k) out[i * perSample + k] = float(samples[i]) / 32768.0f;
  const uint64_t epoch = output->Epoch();
  const size_t outFrames = frames * 2;
  for (size_t done = 0; done < outFrames;) {
    const size_t n = output->Write(out.data() + done * SoundOutput::kChannels, outFrames - done, epoch, 1.0f);
    if (n == 0) break;
    done += n;
  }
  output->Drain(epoch);
  output->CloseStream();
  return 1;
}

extern "C" __attribute__((visibility("default"))) SoundOutput* TarnelloOpenSoundOutput(const char* spec) {
  return CreateSoundOutput(spec ? spec : "").release();
}
