#include "platform/Log.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/time.h>
#include <unistd.h>

namespace Platform {
namespace {

constexpr int kOff = -1;
constexpr int kUnread = -2;

std::mutex openLock;
std::atomic<int> target{kUnread};  // the descriptor lines go to, or kOff
int ownedFile = -1;                 // the descriptor we opened, closed on reopen

void WriteAll(int fd, const std::string& line) {
  const char* data = line.data();
  size_t left = line.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, data, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    data += n;
    left -= size_t(n);
  }
}

// Reads the variable and opens its file; openLock held.
int OpenTarget() {
  if (ownedFile >= 0) ::close(ownedFile);
  ownedFile = -1;
  const char* value = std::getenv("TARNELLO_LOG");
  if (!value || !*value || std::strcmp(value, "0") == 0) return kOff;
  if (std::strcmp(value, "1") == 0) return STDERR_FILENO;
  ownedFile = ::open(value, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (ownedFile >= 0) return ownedFile;
  WriteAll(STDERR_FILENO, std::string("tarnello: cannot open the log file ") + value + ": " +
                              std::strerror(errno) + "; logging to stderr\n");
  return STDERR_FILENO;
}

int Target() {
  int fd = target.load(std::memory_order_acquire);
  if (fd != kUnread) return fd;
  std::lock_guard<std::mutex> hold(openLock);
  fd = target.load(std::memory_order_relaxed);
  if (fd == kUnread) {
    fd = OpenTarget();
    target.store(fd, std::memory_order_release);
  }
  return fd;
}

std::string Stamp() {
  timeval now{};
  gettimeofday(&now, nullptr);
  tm local{};
  localtime_r(&now.tv_sec, &local);
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min, local.tm_sec,
                int(now.tv_usec / 1000));
  return text;
}

}  // namespace

bool LogEnabled() { return Target() != kOff; }

void Log(std::string_view area, std::string_view text) {
  const int fd = Target();
  if (fd == kOff) return;
  std::string line = "tarnello[" + std::to_string(getpid()) + "] " + Stamp() + ' ';
  line.append(area);
  line += ": ";
  for (char c : text) line += (c == '\n' || c == '\r') ? ' ' : c;
  line += '\n';
  WriteAll(fd, line);
}

void ReopenLog() {
  std::lock_guard<std::mutex> hold(openLock);
  target.store(OpenTarget(), std::memory_order_release);
}

}  // namespace Platform
