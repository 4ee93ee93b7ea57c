// Any package is unpacked without fault, and nothing is written beside the
// destination folder (every file must end up inside it).
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

#include "platform/MessageBox.h"
#include "skin/SkinUnpacker.h"

namespace {
class SilentMessageBoxes : public MessageBoxService {
 public:
  void Show(Window*, const QString&, const QString&) override {}
};

QTemporaryDir* workspace;
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
  QDirIterator it(root + "/out", QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System | QDir::Hidden,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    if (!path.startsWith(destination) && path != root + "/out/Skins") std::abort();
  }
  QDir(root + "/out").removeRecursively();
  return 0;
}
