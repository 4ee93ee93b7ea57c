#include "platform/Sound.h"

#include <cstdint>
#include <dlfcn.h>
#include <mutex>
#include <string>
#include <vector>

#include "platform/media/SoundLibrary.h"

// The click's samples, embedded by the build from resources/click.raw.
extern const unsigned char kClickBytes[];
extern const size_t kClickByteCount;

namespace {
using PlayFunction = int32_t (*)(const int16_t*, size_t);

// The folder of the platform library with a trailing '/': the program folder, where
// the sound library sits too.
std::string OwnFolder() {
  Dl_info info{};
  if (!dladdr(reinterpret_cast<void*>(&OwnFolder), &info) || !info.dli_fname) return {};
  const std::string path = info.dli_fname;
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The sound library is opened at the first click only, so an idle player maps no
// sound-server client. Null when it is missing or lacks its entry.
PlayFunction LoadPlayFunction() {
  const std::string path = OwnFolder() + TARNELLO_SOUND_LIBRARY;
  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (!library) return nullptr;
  auto play = reinterpret_cast<PlayFunction>(dlsym(library, TARNELLO_SOUND_FUNCTION));
  if (!play) dlclose(library);
  return play;
}

const std::vector<int16_t>& ClickSamples() {
  static const std::vector<int16_t> samples = [] {
    std::vector<int16_t> s(kClickByteCount / 2);
    for (size_t i = 0; i < s.size(); ++i) s[i] = int16_t(kClickBytes[2 * i] | kClickBytes[2 * i + 1] << 8);
    return s;
  }();
  return samples;
}
}  // namespace

namespace Platform {
void PlayClickAndWait() {
  static std::once_flag loaded;
  static PlayFunction play = nullptr;
  std::call_once(loaded, [] { play = LoadPlayFunction(); });
  if (play) play(ClickSamples().data(), ClickSamples().size());
}
}  // namespace Platform
