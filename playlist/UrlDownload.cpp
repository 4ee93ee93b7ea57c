#include "playlist/UrlDownload.h"

#include <QFile>
#include <algorithm>
#include <chrono>
#include <curl/curl.h>
#include <memory>
#include <mutex>

namespace {
using Clock = std::chrono::steady_clock;

// State the transfer's callbacks share.
struct Transfer {
  QFile* file = nullptr;
  int64_t written = 0;
  int64_t maxBytes = 0;
  Clock::time_point lastActivity = Clock::now();
  std::chrono::seconds stall{30};
};

size_t WriteBody(char* data, size_t size, size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  const size_t bytes = size * count;
  transfer->lastActivity = Clock::now();
  // Returning less than given makes libcurl stop with a write error.
  if (transfer->written + int64_t(bytes) > transfer->maxBytes) return 0;
  if (transfer->file->write(data, qint64(bytes)) != qint64(bytes)) return 0;
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
  return Clock::now() - transfer->lastActivity > transfer->stall ? 1 : 0;
}

struct EasyDeleter {
  void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};

CURL* NewHandle() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  return curl_easy_init();
}

void SetRequest(CURL* curl, const QByteArray& url, Transfer& transfer, const QByteArray& caBundle) {
  curl_easy_setopt(curl, CURLOPT_URL, url.constData());
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
  if (!caBundle.isEmpty()) curl_easy_setopt(curl, CURLOPT_CAINFO, caBundle.constData());
}
}  // namespace

bool DownloadUrlToFile(const QString& url, const QString& localPath, const DownloadOptions& options) {
  std::unique_ptr<CURL, EasyDeleter> curl(NewHandle());
  if (!curl) return false;
  QFile file(localPath);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;

  Transfer transfer;
  transfer.file = &file;
  transfer.maxBytes = options.maxBytes;
  transfer.stall = std::chrono::seconds(std::max(1, options.stallSeconds));
  const QByteArray fullUrl = NormalizeUrl(url).toUtf8();
  const QByteArray caBundle = QFile::encodeName(options.caBundle);
  SetRequest(curl.get(), fullUrl, transfer, caBundle);
  const CURLcode result = curl_easy_perform(curl.get());
  file.close();
  return result == CURLE_OK && file.error() == QFileDevice::NoError;
}

bool DownloadUrlToFile(const QString& url, const QString& localPath, int stallSeconds) {
  DownloadOptions options;
  options.stallSeconds = stallSeconds;
  return DownloadUrlToFile(url, localPath, options);
}

bool NamesScheme(const QString& text) {
  // scheme = letter *( letter / digit / "+" / "-" / "." ), then "://".
  const auto isLetter = [](char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); };
  if (text.isEmpty() || !isLetter(text[0].unicode())) return false;
  for (qsizetype i = 1; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    if (c == u':') return QStringView(text).mid(i).startsWith(u"://");
    if (!isLetter(c) && !(c >= u'0' && c <= u'9') && c != u'+' && c != u'-' && c != u'.') return false;
  }
  return false;
}

QString NormalizeUrl(const QString& text) { return NamesScheme(text) ? text : QStringLiteral("http://") + text; }

bool NamesPlsList(const QString& url) {
  return url.contains(QLatin1String(".pls"), Qt::CaseSensitive) || url.contains(QLatin1String(".PLS"), Qt::CaseSensitive);
}
