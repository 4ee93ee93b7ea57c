#include "playlist/UrlDownload.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <mutex>
#include <thread>

#include "platform/HttpClient.h"
#include "platform/ModalLoops.h"
#include "platform/System.h"

bool DownloadUrlToFile(const QString& url, const QString& localPath, const DownloadOptions& options) {
  const QByteArray fullUrl = NormalizeUrl(url).toUtf8();
  int cancel = 0;
  const auto fetch = [&] {
    return Platform::HttpGetToFile(fullUrl, localPath, options.stallSeconds, options.totalSeconds, options.maxBytes,
                                   options.caBundle, &cancel);
  };
  QCoreApplication* application = QCoreApplication::instance();
  if (!application || QThread::currentThread() != application->thread()) return fetch();

  // The caller waits, as the command blocks the player until the list is here, but
  // the windows keep painting and a close (a logout's signal) can cut it short.
  // The user's input waits in the queue meanwhile. A second download started from
  // inside this wait (a media controller's Open) would share the file: it fails.
  static bool running = false;
  if (running) return false;
  running = true;
  bool ok = false;
  QEventLoop loop;
  std::thread worker([&] {
    ok = fetch();
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  {
    const Platform::InterruptibleWait wait([&cancel] { __atomic_store_n(&cancel, 1, __ATOMIC_RELEASE); });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
  }
  // Only the worker's quit ends the loop, unless the application exits meanwhile.
  __atomic_store_n(&cancel, 1, __ATOMIC_RELEASE);
  worker.join();
  running = false;
  return ok;
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
