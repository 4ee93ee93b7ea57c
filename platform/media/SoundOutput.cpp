#include "platform/media/SoundOutput.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "platform/Log.h"
#include "platform/media/MediaDecoder.h"
#include "platform/media/SoundLibrary.h"

namespace {
// Whether something listens on the Unix socket at path.
bool SocketAnswers(const std::string& path) {
  sockaddr_un address{};
  if (path.empty() || path.size() >= sizeof address.sun_path) return false;
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const bool answers = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return answers;
}

// The places a PulseAudio client looks for its server, as far as they can be told
// without the client library: PULSE_SERVER, the user's runtime folder, the system's.
bool SoundServerAnswers() {
  if (const char* server = std::getenv("PULSE_SERVER"); server && *server) {
    const std::string text = server;
    if (text.find(' ') == std::string::npos && text.rfind("unix:", 0) == 0) return SocketAnswers(text.substr(5));
    if (text.find(' ') == std::string::npos && text[0] == '/') return SocketAnswers(text);
    return true;  // a list, or a server over the network: the client library decides
  }
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
    if (SocketAnswers(std::string(runtime) + "/pulse/native")) return true;
  if (SocketAnswers("/run/user/" + std::to_string(getuid()) + "/pulse/native")) return true;
  return SocketAnswers("/var/run/pulse/native");
}

bool FolderWritable(const std::string& file) {
  const size_t slash = file.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : file.substr(0, slash);
  return access(folder.c_str(), W_OK) == 0;
}
}  // namespace

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

bool DefaultSoundOutputAvailable() {
  const char* value = std::getenv("TARNELLO_AUDIO");
  const std::string spec = value ? value : "";
  if (spec.empty() || spec == "pulse") return SoundServerAnswers();
  if (spec == "null" || spec == "null-untimed") return true;
  if (spec.rfind("wav:", 0) == 0 && spec.size() > 4) return FolderWritable(spec.substr(4));
  if (spec.rfind("wav-timed:", 0) == 0 && spec.size() > 10) return FolderWritable(spec.substr(10));
  return false;
}
