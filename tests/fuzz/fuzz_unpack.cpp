// Any package is unpacked without fault, and nothing is written beside the
// destination folder (every file must end up inside it). Read as a skin archive,
// the same bytes unpack flat: plain files directly in the destination, one per
// name in any letter case, and a folder that loads as a skin whenever the archive
// held one.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

#include "platform/MessageBox.h"
#include "skin/SkinArchive.h"
#include "skin/SkinSet.h"
#include "skin/SkinUnpacker.h"

namespace {
class SilentMessageBoxes : public MessageBoxService {
 public:
  void Show(Window*, const QString&, const QString&) override {}
};

QTemporaryDir* workspace;

QStringList Everything(const QString& folder) {
  QStringList paths;
  QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System | QDir::Hidden,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) paths << it.next();
  return paths;
}

void CheckArchive(const QString& archive, const QString& root) {
  const QString destination = root + "/flat/Skins/Temporary";
  const std::optional<std::vector<SkinArchive::File>> files = SkinArchive::ReadSkinFiles(archive);
  if (!files) return;
  SkinArchive::InstallSkinFiles(destination, *files);
  QSet<QString> names;
  for (const SkinArchive::File& file : *files) {
    if (file.name.contains('/') || file.name.isEmpty()) std::abort();
    if (names.contains(file.name.toLower())) std::abort();  // one entry per name in any case
    names.insert(file.name.toLower());
  }
  for (const QString& path : Everything(root + "/flat")) {
    if (path == root + "/flat/Skins" || path == destination) continue;
    const QFileInfo info(path);
    if (info.path() != destination || !info.isFile() || info.isSymLink()) std::abort();
  }
  if (!SkinSet::IsValidSource(destination)) std::abort();
  QDir(root + "/flat").removeRecursively();
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static SilentMessageBoxes silent;
  SetMessageBoxService(&silent);
  workspace = new QTemporaryDir;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString root = workspace->path();
  const QString package = root + "/in.qsk";
  const QString destination = root + "/out/Skins/Temporary";
  QFile file(package);
  if (!file.open(QIODevice::WriteOnly)) std::abort();
  file.write(reinterpret_cast<const char*>(data), qint64(size));
  file.close();

  SkinUnpacker unpacker;
  unpacker.Unpack(package, destination);

  // Only the destination's own levels may appear outside it.
  for (const QString& path : Everything(root + "/out")) {
    if (!path.startsWith(destination) && path != root + "/out/Skins") std::abort();
  }
  QDir(root + "/out").removeRecursively();

  CheckArchive(package, root);
  return 0;
}
