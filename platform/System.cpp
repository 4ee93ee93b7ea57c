#include "platform/System.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <algorithm>
#include <csignal>
#include <dlfcn.h>
#include <filesystem>
#include <mutex>
#include <random>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/FileNames.h"

// Xlib comes last: its macros (None, Bool, Status) would break Qt's headers, and
// its window id type is renamed so that it does not clash with class Window.
#define Window XlibWindow
#include <X11/Xlib.h>
#undef Window

namespace fs = std::filesystem;

namespace Platform {

QString ProgramFolder() {
  QString folder = qEnvironmentVariable("TARNELLO_HOME");
  if (folder.isEmpty()) {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
    folder = QString::fromStdString(exe.parent_path().string());
  }
  if (!folder.endsWith('/')) folder += '/';
  return folder;
}

namespace {
QString WithSlash(QString folder) {
  if (!folder.endsWith('/')) folder += '/';
  return folder;
}

QString ConfigFolder() {
  QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (!QDir::isAbsolutePath(base)) base = QDir::homePath() + QStringLiteral("/.config");
  return WithSlash(base) + QStringLiteral("tarnello/");
}

// Copies source to target when target is missing; true when target exists afterwards.
bool CopyMissing(const QString& source, const QString& target) {
  if (QFileInfo::exists(target)) return true;
  if (!QFileInfo(source).isFile()) return false;
  if (!QFile::copy(source, target)) return false;
  // Installed files are read-only; the user's copies must be writable.
  QFile::setPermissions(target, QFile::permissions(target) | QFile::WriteOwner | QFile::ReadOwner);
  return true;
}
}  // namespace

QString DataFolder() {
  const QString home = qEnvironmentVariable("TARNELLO_HOME");
  if (!home.isEmpty()) return WithSlash(home);
  const QString program = ProgramFolder();
  if (program.isEmpty()) return program;
  const bool installed = QFileInfo::exists(program + kInstalledMarker);
  if (!installed && QFileInfo(program).isWritable()) return program;
  return ConfigFolder();
}

bool PrepareDataFolder() {
  const QString data = DataFolder();
  const QString program = ProgramFolder();
  if (data.isEmpty() || data == program) return true;
  const QString skin = QStringLiteral("Skins/Temporary/");
  if (!QDir().mkpath(data + skin)) return false;
  for (const char* name : {"tarnello.txt", "tarnello.m3u"}) CopyMissing(program + name, data + name);
  // The current skin is copied only into an empty folder, so a skin the user
  // chose is never mixed with the default one.
  if (QDir(data + skin).isEmpty()) {
    for (const QString& name : QDir(program + skin).entryList(QDir::Files)) CopyMissing(program + skin + name, data + skin + name);
  }
  return true;
}

std::vector<FolderEntry> ListFolder(const QString& folder) {
  std::vector<std::pair<std::string, bool>> raw;
  std::error_code ec;
  const QByteArray native = PathToBytes(folder);
  for (fs::directory_iterator it(native.toStdString(), ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code typeError;
    raw.emplace_back(it->path().filename().string(), it->is_directory(typeError));
  }
  std::sort(raw.begin(), raw.end());
  std::vector<FolderEntry> entries;
  entries.reserve(raw.size());
  // Names keep their bytes, also those that are not UTF-8.
  for (auto& [name, isFolder] : raw) entries.push_back({PathFromBytes(name), isFolder});
  return entries;
}

LibraryHandle LoadLibrary(const QString& path) { return dlopen(path.toUtf8().constData(), RTLD_NOW | RTLD_LOCAL); }

QString LastLibraryError() {
  const char* error = dlerror();
  return error ? QString::fromLocal8Bit(error) : QString();
}

void* GetProcAddress(LibraryHandle library, const char* name) { return library ? dlsym(library, name) : nullptr; }

void FreeLibrary(LibraryHandle library) {
  if (library) dlclose(library);
}

bool StartSockets() { return true; }

void ShellFullScreen(Window*, int) {}

void ResetIdleTimer() {
#if QT_CONFIG(xcb)
  // Qt answers with its own connection only when it runs on X11.
  if (!qGuiApp) return;
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  Display* display = x11 ? x11->display() : nullptr;
  if (!display) return;
  XResetScreenSaver(display);
  XFlush(display);
#endif
}

uint32_t Random() {
  static std::mutex mutex;
  static std::mt19937 generator{std::random_device{}()};
  std::lock_guard lock(mutex);
  return generator();
}

bool IsValidUtf8(QByteArrayView bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* end = p + bytes.size();
  while (p < end) {
    const int n = Utf8SequenceLength(p, end);
    if (n == 0) return false;
    p += n;
  }
  return true;
}

QString DecodeText(const QByteArray& bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
  const auto* end = p + bytes.size();
  // Fast path: the whole text is valid UTF-8.
  const auto* q = p;
  while (q < end) {
    const int n = Utf8SequenceLength(q, end);
    if (n == 0) break;
    q += n;
  }
  if (q == end) return QString::fromUtf8(bytes);
  QString text = QString::fromUtf8(reinterpret_cast<const char*>(p), q - p);
  while (q < end) {
    const int n = Utf8SequenceLength(q, end);
    if (n == 0) {
      text += QChar(char16_t(*q));
      ++q;
    } else {
      text += QString::fromUtf8(reinterpret_cast<const char*>(q), n);
      q += n;
    }
  }
  return text;
}

namespace {
int signalPipe[2] = {-1, -1};

void WriteSignal(int signal) {
  const char c = char(signal);
  [[maybe_unused]] ssize_t n = ::write(signalPipe[1], &c, 1);
}
}  // namespace

void OnTerminationSignal(std::function<void()> handler) {
  // One notifier for the process; a later call replaces the handler (an empty
  // one removes it), so an object that goes away can take its handler with it.
  static std::function<void()> current;
  static QSocketNotifier* notifier = nullptr;
  current = std::move(handler);
  if (notifier) return;
  if (signalPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) return;
  notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read);
  QObject::connect(notifier, &QSocketNotifier::activated, [] {
    char c;
    if (::read(signalPipe[0], &c, 1) != 1) return;
    if (current) {
      current();
    } else {
      // Nobody is left to close the program: the signal takes its default course.
      ::signal(c, SIG_DFL);
      ::raise(c);
    }
  });
  struct sigaction action = {};
  action.sa_handler = WriteSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int s : {SIGTERM, SIGINT, SIGHUP}) sigaction(s, &action, nullptr);
}

}  // namespace Platform
