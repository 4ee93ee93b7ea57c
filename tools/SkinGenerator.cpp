// Writes the player's skins: the default skin, and the colour-coded test skin
// with its sprite map. Each goes into a folder and, packed, into a package.
//
//   tarnello-skingen default FOLDER PACKAGE
//   tarnello-skingen test FOLDER PACKAGE MAP.json
#include <QFile>
#include <QGuiApplication>
#include <QSaveFile>
#include <cstdio>

#include "tools/DefaultSkin.h"
#include "tools/SkinFiles.h"
#include "tools/TestSkin.h"

namespace {
int Fail(const QString& message) {
  std::fprintf(stderr, "tarnello-skingen: %s\n", qPrintable(message));
  return 1;
}
}  // namespace

int main(int argc, char** argv) {
  // Fonts need a GUI application; no display is wanted at build time.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const QStringList args = app.arguments();
  const bool test = args.size() == 5 && args[1] == "test";
  if (!test && !(args.size() == 4 && args[1] == "default")) {
    return Fail("usage: tarnello-skingen default FOLDER PACKAGE | test FOLDER PACKAGE MAP.json");
  }
  const std::vector<SkinFile> files = test ? TestSkinFiles() : DefaultSkinFiles();
  QString error;
  if (!WriteSkinFolder(args[2], files, &error) || !WriteSkinPackage(args[3], files, &error)) return Fail(error);
  if (test) {
    QSaveFile map(args[4]);
    const QByteArray json = TestSkinMap();
    if (!map.open(QIODevice::WriteOnly) || map.write(json) != json.size() || !map.commit()) {
      return Fail("cannot write " + args[4]);
    }
  }
  return 0;
}
