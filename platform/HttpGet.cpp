#include "platform/HttpGet.h"

#include <curl/curl.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>

namespace {
using Clock = std::chrono::steady_clock;

// State the transfer's callbacks share.
struct Transfer {
  std::FILE* file = nullptr;
  int64_t written = 0;
  int64_t maxBytes = 0;
  Clock::time_point lastActivity = Clock::now();
  std::chrono::seconds stall{30};
  const int* cancel = nullptr;  // set to nonzero by another thread to end the transfer
};

size_t WriteBody(char* data, size_t size, size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  const size_t bytes = size * count;
  transfer->lastActivity = Clock::now();
  // Returning less than given makes libcurl stop with a write error.
  if (transfer->written + int64_t(bytes) > transfer->maxBytes) return 0;
  if (std::fwrite(data, 1, bytes, transfer->file) != bytes) return 0;
  transfer->written += int64_t(bytes);
  return bytes;
}

size_t ReadHeader(char*, size_t size, size_t count, void* user) {
  static_cast<Transfer*>(user)->lastActivity = Clock::now();
  return size * count;
}

// Called by libcurl at least once a second, also while nothing arrives.
int CheckStall(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  const auto* transfer = static_cast<const Transfer*>(user);
  if (transfer->cancel && __atomic_load_n(transfer->cancel, __ATOMIC_ACQUIRE) != 0) return 1;
  return Clock::now() - transfer->lastActivity > transfer->stall ? 1 : 0;
}

struct EasyDeleter {
  void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

CURL* NewHandle() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  return curl_easy_init();
}

void SetRequest(CURL* curl, const char* url, Transfer& transfer, int totalSeconds, const char* caBundle) {
  curl_easy_setopt(curl, CURLOPT_URL, url);
  curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
  // The player is single-threaded; no signals for time-outs of the resolver.
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, ReadHeader);
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, &transfer);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, CheckStall);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  // A server that trickles a byte now and then never stalls; this bounds the whole GET.
  if (totalSeconds > 0) curl_easy_setopt(curl, CURLOPT_TIMEOUT, long(totalSeconds));
  if (caBundle && *caBundle) curl_easy_setopt(curl, CURLOPT_CAINFO, caBundle);
}
}  // namespace

extern "C" __attribute__((visibility("default"))) int TarnelloHttpGet(const char* url, const char* localPath,
                                                                      int stallSeconds, int totalSeconds,
                                                                      int64_t maxBytes, const char* caBundle,
                                                                      const int* cancel) {
  std::unique_ptr<CURL, EasyDeleter> curl(NewHandle());
  if (!curl || !url || !localPath) return 0;
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(localPath, "wb"));
  if (!file) return 0;
  Transfer transfer;
  transfer.file = file.get();
  transfer.maxBytes = maxBytes;
  transfer.stall = std::chrono::seconds(stallSeconds < 1 ? 1 : stallSeconds);
  transfer.cancel = cancel;
  SetRequest(curl.get(), url, transfer, totalSeconds, caBundle);
  const CURLcode result = curl_easy_perform(curl.get());
  const bool written = std::fflush(file.get()) == 0 && !std::ferror(file.get());
  return result == CURLE_OK && written ? 1 : 0;
}
