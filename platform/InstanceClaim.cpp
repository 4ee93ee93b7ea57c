#include "platform/InstanceClaim.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace Platform {
namespace {
// FNV-1a: the same name in every build, for every player of the session.
uint64_t Fnv1a(const std::string& text) {
  uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : text) hash = (hash ^ c) * 1099511628211ull;
  return hash;
}

// What names the session: its bus, else the display.
std::string SessionName() {
  const std::string bus = SessionBusAddress();
  if (!bus.empty()) return bus;
  const char* display = std::getenv("DISPLAY");
  return display && *display ? std::string("display:") + display : std::string();
}
}  // namespace

std::string SessionBusAddress() {
  const char* bus = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  if (bus && *bus) return bus;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && *runtime) {
    const std::string socket = std::string(runtime) + "/bus";
    if (access(socket.c_str(), F_OK) == 0) return "unix:path=" + socket;
  }
  return {};
}

InstanceClaim ClaimInstance() {
  static int held = -1;  // kept open for the life of the process
  if (held >= 0) return InstanceClaim::kFirst;
  const std::string session = SessionName();
  if (session.empty()) return InstanceClaim::kUnknown;
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return InstanceClaim::kUnknown;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  // Abstract (a leading zero byte): no file to leave behind.
  const int length = std::snprintf(address.sun_path + 1, sizeof address.sun_path - 1, "tarnello-%u-%016llx",
                                   unsigned(getuid()), static_cast<unsigned long long>(Fnv1a(session)));
  const socklen_t size = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + size_t(length));
  if (bind(fd, reinterpret_cast<const sockaddr*>(&address), size) == 0) {
    held = fd;
    return InstanceClaim::kFirst;
  }
  const int error = errno;
  close(fd);
  return error == EADDRINUSE ? InstanceClaim::kTaken : InstanceClaim::kUnknown;
}

}  // namespace Platform
