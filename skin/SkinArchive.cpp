#include "skin/SkinArchive.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/MessageBox.h"
#include "platform/System.h"
#include "platform/ZipArchive.h"
#include "skin/SkinPackages.h"
#include "skin/SkinSet.h"
#include "skin/SkinUnpacker.h"

namespace SkinArchive {
namespace {

constexpr unsigned kUtf8NameFlag = 0x800;  // general purpose bit 11
constexpr int kUnixHost = 3;
constexpr int kNameBuffer = 1024;
constexpr int kMaxNameBytes = 255;  // longest file name the file system takes

// An archive entry, split into its folder (lower case, '/'-separated, no trailing
// '/') and its own name.
struct Entry {
  Platform::ZipPosition position{};
  QString folderKey;
  QString name;
  qint64 size = 0;
  int depth = 0;
};

// Links, devices and pipes recorded by Unix zips are never taken.
bool IsPlainFile(const Platform::ZipEntryInfo& info) {
  if ((info.versionMadeBy >> 8) != kUnixHost) return true;
  const unsigned mode = (info.externalAttributes >> 16) & S_IFMT;
  return mode == 0 || mode == S_IFREG;
}

std::optional<Entry> DescribeEntry(Platform::ZipArchive& zip, const Platform::ZipEntryInfo& info, const char* rawName) {
  if (info.nameSize >= kNameBuffer || !IsPlainFile(info)) return std::nullopt;
  const QByteArray bytes(rawName, qsizetype(info.nameSize));
  QString path = (info.flags & kUtf8NameFlag) ? QString::fromUtf8(bytes) : Platform::DecodeText(bytes);
  path.replace('\\', '/');
  const qsizetype slash = path.lastIndexOf('/');
  Entry e;
  e.name = path.mid(slash + 1);
  if (e.name.isEmpty() || e.name == QLatin1String(".") || e.name == QLatin1String("..") || e.name.contains(QChar(0)) ||
      QFile::encodeName(e.name).size() > kMaxNameBytes)
    return std::nullopt;
  QStringList levels = path.left(std::max<qsizetype>(slash, 0)).toLower().split('/', Qt::SkipEmptyParts);
  levels.removeAll(QStringLiteral("."));
  if (!levels.isEmpty() && levels.front() == QLatin1String("__macosx")) return std::nullopt;
  e.folderKey = levels.join('/');
  e.depth = int(levels.size());
  e.size = qint64(info.uncompressedSize);
  if (zip.CurrentPosition(e.position) != Platform::ZipArchive::kZipOk) return std::nullopt;
  return e;
}

std::vector<Entry> ListEntries(Platform::ZipArchive& zip) {
  std::vector<Entry> entries;
  char name[kNameBuffer];
  unsigned long seen = 0;
  for (int r = zip.GoToFirst(); r == Platform::ZipArchive::kZipOk && seen < SkinUnpacker::kMaxEntries; r = zip.GoToNext(), ++seen) {
    Platform::ZipEntryInfo info;
    if (zip.CurrentInfo(info, name, sizeof name) != Platform::ZipArchive::kZipOk) break;
    if (std::optional<Entry> e = DescribeEntry(zip, info, name)) entries.push_back(std::move(*e));
  }
  return entries;
}

// Skin file names counted for choosing the folder: those of the folder check and
// the balance bitmap.
int SkinNameIndex(const QString& name) {
  const auto& names = SkinSet::SkinFileNames();
  for (size_t i = 0; i < names.size(); ++i) {
    if (name.compare(QLatin1String(names[i]), Qt::CaseInsensitive) == 0) return int(i);
  }
  return name.compare(QLatin1String("balance.bmp"), Qt::CaseInsensitive) == 0 ? int(names.size()) : -1;
}

// The folder key holding the most distinct skin names; nothing when none holds any.
std::optional<QString> SkinFolder(const std::vector<Entry>& entries) {
  struct Score {
    std::vector<bool> names = std::vector<bool>(SkinSet::SkinFileNames().size() + 1);
    int count = 0;
    int depth = 0;
    size_t first = 0;
  };
  std::map<QString, Score> folders;
  for (size_t i = 0; i < entries.size(); ++i) {
    const int index = SkinNameIndex(entries[i].name);
    if (index < 0) continue;
    auto [it, added] = folders.try_emplace(entries[i].folderKey);
    if (added) it->second.depth = entries[i].depth, it->second.first = i;
    if (!it->second.names[size_t(index)]) it->second.names[size_t(index)] = true, ++it->second.count;
  }
  const auto best = std::min_element(folders.begin(), folders.end(), [](const auto& a, const auto& b) {
    return std::tie(b.second.count, a.second.depth, a.second.first) < std::tie(a.second.count, b.second.depth, b.second.first);
  });
  if (best == folders.end()) return std::nullopt;
  return best->first;
}

// Reads an entry whole; nothing when it is damaged or larger than it claimed.
std::optional<QByteArray> ReadEntry(Platform::ZipArchive& zip, const Entry& e) {
  if (zip.GoTo(e.position) != Platform::ZipArchive::kZipOk || zip.OpenCurrent() != Platform::ZipArchive::kZipOk) return std::nullopt;
  QByteArray data(qsizetype(e.size), Qt::Uninitialized);
  qint64 done = 0;
  int r = 0;
  while (done < e.size && (r = zip.ReadCurrent(data.data() + done, unsigned(std::min<qint64>(e.size - done, 1 << 20)))) > 0)
    done += r;
  char extra;
  const bool whole = r >= 0 && done == e.size && zip.ReadCurrent(&extra, 1) == 0;
  // The checksum is compared when the entry is closed.
  const bool intact = zip.CloseCurrent() == Platform::ZipArchive::kZipOk;
  if (!whole || !intact) return std::nullopt;
  return data;
}

// The last entry of each name (in any case) that lies in the folder, in archive order.
std::vector<const Entry*> EntriesOf(const std::vector<Entry>& entries, const QString& folderKey) {
  std::vector<const Entry*> chosen;
  std::map<QString, size_t> byName;
  for (const Entry& e : entries) {
    if (e.folderKey != folderKey) continue;
    auto [it, added] = byName.try_emplace(e.name.toLower(), chosen.size());
    if (added) chosen.push_back(&e);
    else chosen[it->second] = &e;
  }
  return chosen;
}

void Say(const QString& text) { ShowMessageBox(nullptr, text); }

// Removes every entry of the folder; a link is removed itself, never followed.
void EmptyFolder(const QString& folder) {
  namespace fs = std::filesystem;
  std::error_code ec;
  for (fs::directory_iterator it(QFile::encodeName(folder).toStdString(), ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code ignored;
    fs::remove_all(it->path(), ignored);
  }
}

bool WriteNewFile(const QString& path, const QByteArray& data) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  qsizetype done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(fd, data.constData() + done, size_t(data.size() - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  return ::close(fd) == 0 && done == data.size();
}

}  // namespace

bool IsArchivePath(const QString& path) { return path.endsWith(QLatin1String(".wsz"), Qt::CaseInsensitive); }

std::optional<std::vector<File>> ReadSkinFiles(const QString& archive) {
  Platform::ZipArchive zip;
  if (!zip.Open(QFile::encodeName(archive))) return std::nullopt;
  const std::vector<Entry> entries = ListEntries(zip);
  std::optional<std::vector<File>> files;
  if (const std::optional<QString> folder = SkinFolder(entries)) {
    files.emplace();
    qint64 total = 0;
    for (const Entry* e : EntriesOf(entries, *folder)) {
      if (e->size > kMaxFileSize || total + e->size > kMaxTotalSize) continue;
      if (std::optional<QByteArray> data = ReadEntry(zip, *e)) {
        total += e->size;
        files->push_back({e->name, std::move(*data)});
      }
    }
  }
  return files;
}

bool InstallSkinFiles(const QString& folder, const std::vector<File>& files) {
  EmptyFolder(folder);
  MakeFolderPath(folder);
  bool ok = true;
  std::vector<bool> present(SkinSet::SkinFileNames().size() + 1);
  for (const File& file : files) {
    if (!WriteNewFile(folder + '/' + file.name, file.data)) {
      Say(QStringLiteral("error opening %1\n").arg(file.name));
      ok = false;
      continue;
    }
    if (const int index = SkinNameIndex(file.name); index >= 0) present[size_t(index)] = true;
  }
  const auto& names = SkinSet::SkinFileNames();
  for (size_t i = 0; i < names.size(); ++i) {
    if (!present[i] && !WriteNewFile(folder + '/' + QLatin1String(names[i]), {})) {
      Say(QStringLiteral("error in writing extracted file\n"));
      return false;
    }
  }
  return ok;
}

}  // namespace SkinArchive
