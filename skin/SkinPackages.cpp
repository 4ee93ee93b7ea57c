#include "skin/SkinPackages.h"

#include <QFile>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/System.h"

namespace {
bool IsFolder(const QByteArray& path) {
  struct stat st;
  return ::stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}
}  // namespace

bool SkinFolderFits(const QString& folder) { return folder.size() + kLongestSkinFileName < kMaxSkinFolderChars; }

bool PackagePathFits(const QString& package) { return QFile::encodeName(package).size() < kMaxPackagePathBytes; }

std::vector<SkinPackage> ListSkinPackages(const QString& skinsFolder) {
  static const QString kExtension = QStringLiteral(".qsk");
  std::vector<SkinPackage> packages;
  int command = SKIN_FIRST_COMMAND;
  for (const Platform::FolderEntry& entry : Platform::ListFolder(skinsFolder)) {
    if (entry.isFolder || entry.name.lastIndexOf(kExtension, -1, Qt::CaseSensitive) < 0) continue;
    packages.push_back({entry.name.left(entry.name.size() - 4), skinsFolder + '/' + entry.name, command++});
  }
  return packages;
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
