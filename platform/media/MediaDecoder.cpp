#include "platform/media/MediaDecoder.h"

#include "platform/Log.h"

#include <dlfcn.h>
#include <mutex>
#include <string>
#include <unistd.h>

#include "platform/media/SpanDecoder.h"

namespace {
using CreateFunction = MediaDecoder* (*)(MediaDecoder::Cancelled*, int64_t, int32_t);

constexpr const char* kDecoderLibrary = "libtarnello-decoder.so";
constexpr const char* kFilterLibrary = "libtarnello-filters.so";
constexpr const char* kSoundLibrary = "libtarnello-sound.so";

// The folder of the object this code is linked into (a plug-in in Plugins/, or a
// test program), with a trailing '/'.
std::string OwnFolder() {
  Dl_info info{};
  if (!dladdr(reinterpret_cast<void*>(&OwnFolder), &info) || !info.dli_fname) return {};
  std::string path = info.dli_fname;
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The media libraries sit in the program folder, beside the platform library: one
// level above a plug-in (or beside a test program). Empty when it is missing.
std::string LibraryPath(const char* name) {
  const std::string folder = OwnFolder();
  for (const std::string& candidate : {folder + "../" + name, folder + name}) {
    if (access(candidate.c_str(), R_OK) == 0) return candidate;
  }
  return {};
}

void* OpenLibrary(const char* name) {
  const std::string path = LibraryPath(name);
  if (path.empty()) {
    Platform::Log("media", std::string("cannot find ") + name + " beside the plug-ins");
    return nullptr;
  }
  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (!library) {
    const char* error = dlerror();
    Platform::Log("media", "cannot load " + path + ": " + (error ? error : "unknown error"));
  }
  return library;
}
}  // namespace

bool MediaDecoder::IsInstalled() { return !LibraryPath(kDecoderLibrary).empty(); }

void* DecoderLibrarySymbol(const char* name) {
  static std::once_flag loaded;
  static void* library = nullptr;
  std::call_once(loaded, [] { library = OpenLibrary(kDecoderLibrary); });
  return library ? dlsym(library, name) : nullptr;
}

void* FilterLibrarySymbol(const char* name) {
  static std::once_flag loaded;
  static void* library = nullptr;
  std::call_once(loaded, [] { library = OpenLibrary(kFilterLibrary); });
  return library ? dlsym(library, name) : nullptr;
}

void* SoundLibrarySymbol(const char* name) {
  static std::once_flag loaded;
  static void* library = nullptr;
  std::call_once(loaded, [] { library = OpenLibrary(kSoundLibrary); });
  return library ? dlsym(library, name) : nullptr;
}

std::unique_ptr<MediaDecoder> MediaDecoder::Create(Cancelled cancelled, std::chrono::milliseconds stallTimeout,
                                                   Layout layout) {
  auto create = reinterpret_cast<CreateFunction>(DecoderLibrarySymbol("TarnelloCreateMediaDecoder"));
  if (!create) return nullptr;
  // Every source may name a span of a file (a cue sheet's track).
  return WrapSpanDecoder(
      std::unique_ptr<MediaDecoder>(create(&cancelled, int64_t(stallTimeout.count()), int32_t(layout))));
}
