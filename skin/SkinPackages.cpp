#include "skin/SkinPackages.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Log.h"
#include "platform/System.h"
#include "skin/SkinArchive.h"

namespace {
bool IsFolder(const QByteArray& path) {
  struct stat st;
  return ::stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}
}  // namespace

bool SkinFolderFits(const QString& folder) { return folder.size() + kLongestSkinFileName < kMaxSkinFolderChars; }

bool PackagePathFits(const QString& package) { return QFile::encodeName(package).size() < kMaxPackagePathBytes; }

namespace {
QString FileNameOf(const SkinPackage& package) { return package.path.mid(package.path.lastIndexOf('/') + 1); }

bool ByFileName(const SkinPackage& a, const SkinPackage& b) {
  const QString x = FileNameOf(a), y = FileNameOf(b);
  const int folded = x.compare(y, Qt::CaseInsensitive);
  return folded != 0 ? folded < 0 : x < y;
}

void Number(std::vector<SkinPackage>& packages) {
  int command = SKIN_FIRST_COMMAND;
  for (SkinPackage& package : packages) package.command = command++;
}
}  // namespace

std::vector<SkinPackage> ListSkinPackages(const QString& skinsFolder) {
  static const QString kExtension = QStringLiteral(".qsk");
  std::vector<SkinPackage> packages;
  for (const Platform::FolderEntry& entry : Platform::ListFolder(skinsFolder)) {
    if (entry.isFolder) continue;
    if (entry.name.lastIndexOf(kExtension, -1, Qt::CaseSensitive) < 0 && !SkinArchive::IsArchivePath(entry.name)) continue;
    packages.push_back({entry.name.left(entry.name.size() - 4), skinsFolder + '/' + entry.name, 0});
  }
  std::stable_sort(packages.begin(), packages.end(), ByFileName);
  Number(packages);
  return packages;
}

std::vector<SkinPackage> MergeSkinPackages(std::vector<SkinPackage> first, const std::vector<SkinPackage>& second) {
  first.insert(first.end(), second.begin(), second.end());
  std::stable_sort(first.begin(), first.end(), ByFileName);
  Number(first);
  return first;
}

QString SkinPackageForCommand(const QStringList& packages, int command) {
  if (command < SKIN_FIRST_COMMAND || command >= SKIN_COMMAND_END) return {};
  const int index = command - SKIN_FIRST_COMMAND;
  return index < packages.size() ? packages[index] : QString();
}

void DeleteFolderFiles(const QString& folder) {
  for (const Platform::FolderEntry& entry : Platform::ListFolder(folder)) {
    if (!entry.isFolder) QFile::remove(folder + '/' + entry.name);
  }
  ::rmdir(QFile::encodeName(folder).constData());
}

bool MakeFolderPath(const QString& path) {
  const QByteArray bytes = QFile::encodeName(path);
  if (IsFolder(bytes)) return true;
  // Each growing prefix in turn; a level that exists already just fails to be made.
  for (qsizetype i = 1; i <= bytes.size(); ++i) {
    if (i == bytes.size() || bytes[i] == '/') ::mkdir(bytes.left(i).constData(), 0755);
  }
  return IsFolder(bytes);
}

bool IsSkinFile(const QString& path) {
  if (!path.endsWith(QLatin1String(".qsk"), Qt::CaseSensitive) && !SkinArchive::IsArchivePath(path)) return false;
  return QFileInfo(path).isFile();
}

QString CopyIntoSkinsFolder(const QString& file, const QString& skinsFolder) {
  const QFileInfo source(file);
  const QString target = skinsFolder + '/' + source.fileName();
  const QFileInfo existing(target);
  if (existing.exists() && existing.canonicalFilePath() == source.canonicalFilePath()) return target;
  MakeFolderPath(skinsFolder);
  QFile in(file);
  // Written beside the target and renamed over it: a failed copy leaves the old file.
  QSaveFile out(target);
  const auto failed = [&](const QString& why) {
    Platform::Log("skin", QStringLiteral("cannot copy %1 into %2: %3").arg(file, skinsFolder, why));
    return QString();
  };
  if (!in.open(QIODevice::ReadOnly)) return failed(in.errorString());
  if (!out.open(QIODevice::WriteOnly)) return failed(out.errorString());
  char buffer[65536];
  qint64 n;
  while ((n = in.read(buffer, sizeof buffer)) > 0) {
    if (out.write(buffer, n) != n) return failed(out.errorString());
  }
  if (n != 0) return failed(in.errorString());
  return out.commit() ? target : failed(out.errorString());
}
