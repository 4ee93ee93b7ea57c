#include "settings/SafeFile.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QDirIterator>

#include "platform/Log.h"

namespace {
bool WriteAll(int fd, const char* data, qsizetype size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size_t(size));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= n;
  }
  return true;
}

// The mode a newly created file gets: the old file's, else the usual 0666 less the umask.
mode_t TargetMode(const QByteArray& path) {
  struct stat old;
  if (::stat(path.constData(), &old) == 0) return old.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

bool SyncFolder(const QByteArray& path) {
  const qsizetype slash = path.lastIndexOf('/');
  const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
  const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = ::fsync(fd) == 0;
  ::close(fd);
  return synced;
}

// Logs why path could not be saved; false, for the caller to return.
bool LogSaveFailure(const QString& path, const char* step, int error) {
  QString line = QStringLiteral("cannot save %1: %2").arg(path, QLatin1String(step));
  if (error != 0) line += QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(error));
  Platform::Log("save", line);
  return false;
}
}  // namespace

bool ReplaceFileSafely(const QString& path, const QByteArray& bytes) {
  // A link keeps pointing at the file it names; that file is the one replaced.
  const QFileInfo info(path);
  const QByteArray target = QFile::encodeName(info.isSymLink() ? info.symLinkTarget() : path);
  if (target.isEmpty()) return LogSaveFailure(path, "no file name to write", 0);
  QByteArray temporary = target + ".XXXXXX";
  const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) return LogSaveFailure(path, "cannot create a file beside it", errno);
  // Locked while it is written, so a start-up tidying stale temporaries never
  // takes the one a running player is still writing.
  ::flock(fd, LOCK_EX | LOCK_NB);
  bool written = WriteAll(fd, bytes.constData(), bytes.size()) && ::fchmod(fd, TargetMode(target)) == 0 &&
                 ::fsync(fd) == 0;
  int error = written ? 0 : errno;
  if (::close(fd) != 0 && written) {
    written = false;
    error = errno;
  }
  if (written && ::rename(temporary.constData(), target.constData()) != 0) {
    written = false;
    error = errno;
  }
  if (!written) {
    ::unlink(temporary.constData());
    return LogSaveFailure(path, "cannot write it", error);
  }
  // The new file is in place; a folder that cannot be flushed (some file systems
  // refuse) leaves it there all the same.
  SyncFolder(target);
  return true;
}

namespace {
// A temporary of ReplaceFileSafely for this name: regular, ours, and no writer
// holds it (a killed writer's lock goes with the process).
bool IsStaleTemporary(const QByteArray& path) {
  const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info;
  const bool stale = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::getuid() &&
                     ::flock(fd, LOCK_EX | LOCK_NB) == 0;
  ::close(fd);
  return stale;
}

// Exactly the name, a dot and the six letters or digits mkostemp puts after it.
bool IsTemporaryName(const QString& entry, const QString& name) {
  if (entry.size() != name.size() + 7 || !entry.startsWith(name) || entry[name.size()] != QLatin1Char('.')) return false;
  for (qsizetype i = name.size() + 1; i < entry.size(); ++i) {
    const char16_t c = entry[i].unicode();
    if (!((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'))) return false;
  }
  return true;
}
}  // namespace

int RemoveStaleTemporaries(const QString& path) {
  const QFileInfo info(path);
  const QFileInfo target(info.isSymLink() ? info.symLinkTarget() : info.absoluteFilePath());
  const QString name = target.fileName();
  if (name.isEmpty()) return 0;
  const QDir folder = target.absoluteDir();
  int removed = 0;
  // Matched by hand rather than by a name filter: this runs at every start, and
  // a filter costs a compiled pattern.
  QDirIterator entries(folder.path(), QDir::Files | QDir::Hidden | QDir::System);
  while (entries.hasNext()) {
    entries.next();
    if (!IsTemporaryName(entries.fileName(), name)) continue;
    const QByteArray full = QFile::encodeName(folder.filePath(entries.fileName()));
    if (IsStaleTemporary(full) && ::unlink(full.constData()) == 0) ++removed;
  }
  return removed;
}
