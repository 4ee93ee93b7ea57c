// Any text typed as a URL: the scheme test agrees with the scheme grammar, a URL
// without a scheme becomes an http one and nothing else changes, and normalising
// twice changes nothing more. The scheme and host parts libcurl would split off
// are checked against our reading of the same text.
#include <curl/curl.h>

#include "FuzzSupport.h"
#include "platform/System.h"
#include "playlist/UrlDownload.h"

namespace {
// scheme = letter *( letter / digit / "+" / "-" / "." ), followed by "://".
bool HasScheme(const QString& text) {
  const qsizetype end = text.indexOf(QStringLiteral("://"));
  if (end < 1) return false;
  for (qsizetype i = 0; i < end; ++i) {
    const char16_t c = text[i].unicode();
    const bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
    if (i == 0 ? !letter : !(letter || (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.')) return false;
  }
  return true;
}

// The scheme libcurl reads from url, or "" when it cannot parse it.
QString CurlScheme(const QByteArray& url) {
  CURLU* handle = curl_url();
  QString scheme;
  if (curl_url_set(handle, CURLUPART_URL, url.constData(), CURLU_NON_SUPPORT_SCHEME) == CURLUE_OK) {
    char* part = nullptr;
    if (curl_url_get(handle, CURLUPART_SCHEME, &part, 0) == CURLUE_OK) scheme = QString::fromUtf8(part);
    curl_free(part);
  }
  curl_url_cleanup(handle);
  return scheme;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString text = Platform::DecodeText(Fuzz::Bytes(data, size));
  FUZZ_CHECK(NamesScheme(text) == HasScheme(text));
  const QString url = NormalizeUrl(text);
  FUZZ_CHECK(NamesScheme(url));
  FUZZ_CHECK(url == (HasScheme(text) ? text : QStringLiteral("http://") + text));
  FUZZ_CHECK(NormalizeUrl(url) == url);
  FUZZ_CHECK(NamesPlsList(url) == (text.contains(QLatin1String(".pls")) || text.contains(QLatin1String(".PLS"))));

  // Where libcurl parses the URL the download hands it, it finds our scheme.
  const QString scheme = CurlScheme(url.toUtf8());
  if (!scheme.isEmpty()) FUZZ_CHECK(scheme.compare(url.left(url.indexOf(QStringLiteral("://"))), Qt::CaseInsensitive) == 0);
  return 0;
}
