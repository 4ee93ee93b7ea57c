#include "skin/SkinUnpacker.h"

#include <QFile>
#include <QStringList>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <minizip/unzip.h>
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
bool IsPlainEntry(const unz_file_info& info) {
  if ((info.version >> 8) != kUnixHost) return true;
  const unsigned mode = (info.external_fa >> 16) & S_IFMT;
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

SkinUnpacker::~SkinUnpacker() {
  if (archive_) unzClose(archive_);
}

bool SkinUnpacker::Unpack(const QString& package, const QString& destination) {
  const QByteArray path = QFile::encodeName(package);
  if (path.size() < kMaxPackagePathBytes) archive_ = unzOpen(path.constData());
  if (!archive_) {
    Say(QStringLiteral("Cannot open %1/%2").arg(package, package));
    unzClose(archive_);
    return false;
  }
  destination_ = destination;
  extracted_ = 0;
  MakeFolderPath(destination_);
  ExtractAll();
  unzCloseCurrentFile(archive_);
  unzClose(archive_);
  archive_ = nullptr;
  return true;
}

void SkinUnpacker::ExtractAll() {
  unz_global_info global{};
  int err = unzGetGlobalInfo(archive_, &global);
  if (err != UNZ_OK) Say(QStringLiteral("error %1 with zipfile in unzGetGlobalInfo \n").arg(err));
  if (global.number_entry > kMaxEntries) {
    Say(QStringLiteral("error: more than %1 entries in zipfile\n").arg(kMaxEntries));
    global.number_entry = kMaxEntries;
  }
  for (uLong i = 0; i < global.number_entry; ++i) {
    if (ExtractEntry() != UNZ_OK) return;
    if (i + 1 < global.number_entry) {
      err = unzGoToNextFile(archive_);
      if (err != UNZ_OK) {
        Say(QStringLiteral("error %1 with zipfile in unzGoToNextFile\n").arg(err));
        return;
      }
    }
  }
}

int SkinUnpacker::ExtractEntry() {
  char rawName[kMaxEntryNameBytes];
  unz_file_info info;
  int err = unzGetCurrentFileInfo(archive_, &info, rawName, sizeof rawName, nullptr, 0, nullptr, 0);
  if (err != UNZ_OK) {
    Say(QStringLiteral("error %1 with zipfile in unzGetCurrentFileInfo").arg(err));
    return err;
  }
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[kCopyBufferSize]);
  if (!buffer) {
    Say(QStringLiteral("Error allocating memory"));
    return UNZ_INTERNALERROR;
  }
  // A name that did not fit the buffer is refused below rather than cut short.
  const bool nameFits = info.size_filename < sizeof rawName;
  const QByteArray nameBytes(rawName, qsizetype(qstrnlen(rawName, nameFits ? info.size_filename : sizeof rawName)));
  const QString storedName = Platform::DecodeText(nameBytes);
  const QString name = QString(storedName).replace('\\', '/');
  const qsizetype slash = name.lastIndexOf('/');
  const QString folders = slash < 0 ? QString() : name.left(slash);
  const bool safe = nameFits && IsSafeEntryName(name) && IsPlainEntry(info);

  if (slash == name.size() - 1) {  // a folder entry
    if (safe) EntryFoldersSafe(destination_, name, true);
    return UNZ_OK;
  }

  err = unzOpenCurrentFile(archive_);
  if (err != UNZ_OK) {
    Say(QStringLiteral("error %1 with zipfile in unzOpenCurrentFile\n").arg(err));
    unzCloseCurrentFile(archive_);
    return err;
  }

  const QString path = destination_ + '/' + name;
  const bool fitsLimits = info.uncompressed_size <= uLong(kMaxEntrySize) &&
                          extracted_ + int64_t(info.uncompressed_size) <= kMaxPackageSize;
  FILE* file = nullptr;
  if (safe && fitsLimits && EntryFoldersSafe(destination_, folders, false)) {
    file = OpenForWriting(path);
    if (!file && !folders.isEmpty() && EntryFoldersSafe(destination_, folders, true)) file = OpenForWriting(path);
  }
  if (!file) {
    Say(QStringLiteral("error opening %1\n").arg(storedName));
  } else {
    err = CopyEntryData(file, buffer.get());
    if (err != UNZ_OK) {
      unzCloseCurrentFile(archive_);
      return err;
    }
  }

  err = unzCloseCurrentFile(archive_);
  if (err != UNZ_OK) {
    std::printf("error %d with zipfile in unzCloseCurrentFile\n", err);
    std::fflush(stdout);
    return err;
  }
  return UNZ_OK;
}

int SkinUnpacker::CopyEntryData(FILE* file, char* buffer) {
  // minizip never yields more than the entry declares, and the declared size was
  // checked against the limits before the file was opened.
  int err = UNZ_OK;
  for (;;) {
    const int count = unzReadCurrentFile(archive_, buffer, kCopyBufferSize);
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
  if (std::fclose(file) != 0 && err == UNZ_OK) {
    Say(QStringLiteral("error in writing extracted file\n"));
    err = -1;
  }
  return err;
}
