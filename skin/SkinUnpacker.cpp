#include "skin/SkinUnpacker.h"

#include <QFile>
#include <QStringList>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/MessageBox.h"
#include "platform/System.h"
#include "skin/SkinPackages.h"

namespace {

constexpr int kCopyBufferSize = 8192;
constexpr int kUnixHost = 3;  // "version made by" host system of Unix zips

void Say(const QString& text) { ShowMessageBox(nullptr, text); }

// A name that stays inside the destination: relative, with no ".." level.
bool IsSafeEntryName(const QString& name) {
  if (name.isEmpty() || name.startsWith('/')) return false;
  if (name.size() >= 2 && name[1] == ':') return false;  // a drive letter
  for (const QString& level : name.split('/')) {
    if (level == QLatin1String("..")) return false;
  }
  return true;
}

// Links, devices and pipes recorded by Unix zips are never extracted.
bool IsPlainEntry(const Platform::ZipEntryInfo& info) {
  if ((info.versionMadeBy >> 8) != kUnixHost) return true;
  const unsigned mode = (info.externalAttributes >> 16) & S_IFMT;
  return mode == 0 || mode == S_IFREG || mode == S_IFDIR;
}

bool IsLink(const QByteArray& path) {
  struct stat st;
  return ::lstat(path.constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

// Walks the folder levels of an entry under the destination, creating the missing
// ones when asked. Refuses to go through a link (left there by someone else).
bool EntryFoldersSafe(const QString& destination, const QString& folders, bool create) {
  QString path = destination;
  for (const QString& level : folders.split('/', Qt::SkipEmptyParts)) {
    path += '/' + level;
    const QByteArray bytes = QFile::encodeName(path);
    if (IsLink(bytes)) return false;
    if (create) ::mkdir(bytes.constData(), 0755);
  }
  return true;
}

// Opens a file for writing without following a link at its place.
FILE* OpenForWriting(const QString& path) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return nullptr;
  FILE* file = ::fdopen(fd, "wb");
  if (!file) ::close(fd);
  return file;
}

}  // namespace

bool SkinUnpacker::Unpack(const QString& package, const QString& destination) {
  const QByteArray path = QFile::encodeName(package);
  if (path.size() >= kMaxPackagePathBytes || !archive_.Open(path)) {
    Say(QStringLiteral("Cannot open %1/%2").arg(package, package));
    return false;
  }
  destination_ = destination;
  extracted_ = 0;
  MakeFolderPath(destination_);
  ExtractAll();
  archive_.Close();
  return true;
}

void SkinUnpacker::ExtractAll() {
  uint64_t entries = 0;
  int err = archive_.EntryCount(entries);
  if (err != Platform::ZipArchive::kZipOk) Say(QStringLiteral("error %1 with zipfile in unzGetGlobalInfo \n").arg(err));
  if (entries > kMaxEntries) {
    Say(QStringLiteral("error: more than %1 entries in zipfile\n").arg(kMaxEntries));
    entries = kMaxEntries;
  }
  for (uint64_t i = 0; i < entries; ++i) {
    if (ExtractEntry() != Platform::ZipArchive::kZipOk) return;
    if (i + 1 < entries) {
      err = archive_.GoToNext();
      if (err != Platform::ZipArchive::kZipOk) {
        Say(QStringLiteral("error %1 with zipfile in unzGoToNextFile\n").arg(err));
        return;
      }
    }
  }
}

int SkinUnpacker::ExtractEntry() {
  char rawName[kMaxEntryNameBytes];
  Platform::ZipEntryInfo info;
  int err = archive_.CurrentInfo(info, rawName, sizeof rawName);
  if (err != Platform::ZipArchive::kZipOk) {
    Say(QStringLiteral("error %1 with zipfile in unzGetCurrentFileInfo").arg(err));
    return err;
  }
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[kCopyBufferSize]);
  if (!buffer) {
    Say(QStringLiteral("Error allocating memory"));
    return Platform::ZipArchive::kZipInternalError;
  }
  // A name that did not fit the buffer is refused below rather than cut short.
  const bool nameFits = info.nameSize < sizeof rawName;
  const QByteArray nameBytes(rawName, qsizetype(qstrnlen(rawName, nameFits ? info.nameSize : sizeof rawName)));
  const QString storedName = Platform::DecodeText(nameBytes);
  const QString name = QString(storedName).replace('\\', '/');
  const qsizetype slash = name.lastIndexOf('/');
  const QString folders = slash < 0 ? QString() : name.left(slash);
  const bool safe = nameFits && IsSafeEntryName(name) && IsPlainEntry(info);

  if (slash == name.size() - 1) {  // a folder entry
    if (safe) EntryFoldersSafe(destination_, name, true);
    return Platform::ZipArchive::kZipOk;
  }

  err = archive_.OpenCurrent();
  if (err != Platform::ZipArchive::kZipOk) {
    Say(QStringLiteral("error %1 with zipfile in unzOpenCurrentFile\n").arg(err));
    archive_.CloseCurrent();
    return err;
  }

  const QString path = destination_ + '/' + name;
  const bool fitsLimits = info.uncompressedSize <= uint64_t(kMaxEntrySize) &&
                          extracted_ + int64_t(info.uncompressedSize) <= kMaxPackageSize;
  FILE* file = nullptr;
  if (safe && fitsLimits && EntryFoldersSafe(destination_, folders, false)) {
    file = OpenForWriting(path);
    if (!file && !folders.isEmpty() && EntryFoldersSafe(destination_, folders, true)) file = OpenForWriting(path);
  }
  if (!file) {
    Say(QStringLiteral("error opening %1\n").arg(storedName));
  } else {
    err = CopyEntryData(file, buffer.get());
    if (err != Platform::ZipArchive::kZipOk) {
      archive_.CloseCurrent();
      return err;
    }
  }

  err = archive_.CloseCurrent();
  if (err != Platform::ZipArchive::kZipOk) {
    std::printf("error %d with zipfile in unzCloseCurrentFile\n", err);
    std::fflush(stdout);
    return err;
  }
  return Platform::ZipArchive::kZipOk;
}

int SkinUnpacker::CopyEntryData(FILE* file, char* buffer) {
  // minizip never yields more than the entry declares, and the declared size was
  // checked against the limits before the file was opened.
  int err = Platform::ZipArchive::kZipOk;
  for (;;) {
    const int count = archive_.ReadCurrent(buffer, kCopyBufferSize);
    if (count < 0) {
      Say(QStringLiteral("error %1 with zipfile in unzReadCurrentFile\n").arg(count));
      err = count;
      break;
    }
    if (count == 0) break;
    if (std::fwrite(buffer, 1, size_t(count), file) != size_t(count)) {
      Say(QStringLiteral("error in writing extracted file\n"));
      err = -1;
      break;
    }
    extracted_ += count;
  }
  // Buffered data reaches the disk only now; a full disk shows here.
  if (std::fclose(file) != 0 && err == Platform::ZipArchive::kZipOk) {
    Say(QStringLiteral("error in writing extracted file\n"));
    err = -1;
  }
  return err;
}
