#include "platform/HttpClient.h"

#include <QFile>
#include <QFileInfo>
#include <dlfcn.h>
#include <mutex>

#include "platform/HttpGet.h"
#include "platform/Log.h"
#include "platform/System.h"

namespace {
constexpr const char* kLibraryName = "libtarnello-http.so";

// The HTTP library lives in the program folder beside the platform library, which
// every program of ours (the player, the tests) loads from there.
QString LibraryFolder() {
  Dl_info info{};
  if (!dladdr(reinterpret_cast<void*>(&Platform::ProgramFolder), &info) || !info.dli_fname) return {};
  return QFileInfo(QFile::decodeName(info.dli_fname)).absolutePath() + '/';
}

TarnelloHttpGetFunction LoadHttpGet() {
  static std::once_flag loaded;
  static TarnelloHttpGetFunction get = nullptr;
  std::call_once(loaded, [] {
    // Kept loaded: libcurl's global state must not be unmapped.
    const QString path = LibraryFolder() + kLibraryName;
    if (Platform::LibraryHandle library = Platform::LoadLibrary(path))
      get = reinterpret_cast<TarnelloHttpGetFunction>(Platform::GetProcAddress(library, "TarnelloHttpGet"));
    else
      Platform::Log("http", QStringLiteral("cannot load %1: %2").arg(path, Platform::LastLibraryError()));
  });
  return get;
}
}  // namespace

namespace Platform {

bool HttpGetToFile(const QByteArray& url, const QString& localPath, int stallSeconds, int totalSeconds,
                   int64_t maxBytes, const QString& caBundle, const int* cancel) {
  const TarnelloHttpGetFunction get = LoadHttpGet();
  if (!get) return false;
  const QByteArray path = QFile::encodeName(localPath);
  const QByteArray bundle = QFile::encodeName(caBundle);
  return get(url.constData(), path.constData(), stallSeconds, totalSeconds, maxBytes,
             bundle.isEmpty() ? nullptr : bundle.constData(), cancel) != 0;
}

}  // namespace Platform
