#include "SkinControlTestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include "skin/BmpReader.h"

namespace SkinTest {

QColor SkinMap::Colour(const QString& name) const {
  auto it = sprites.find(name);
  return it == sprites.end() ? QColor() : it->second.colour;
}

SourceRect SkinMap::Rect(const QString& name) const {
  auto it = sprites.find(name);
  return it == sprites.end() ? SourceRect{} : it->second.rect;
}

SkinMap LoadTestSkinMap() {
  SkinMap map;
  QFile file(QStringLiteral(TARNELLO_TEST_SKIN_MAP));
  if (!file.open(QIODevice::ReadOnly)) return map;
  const QJsonObject sprites = QJsonDocument::fromJson(file.readAll()).object()["sprites"].toObject();
  for (auto it = sprites.begin(); it != sprites.end(); ++it) {
    const QJsonObject s = it.value().toObject();
    map.sprites[it.key()] = {s["file"].toString(),
                             SourceRect{s["x"].toInt(), s["y"].toInt(), s["w"].toInt(), s["h"].toInt()},
                             QColor(s["colour"].toString())};
  }
  return map;
}

QString TestSkinFolder() { return QStringLiteral(TARNELLO_TEST_SKIN_FOLDER); }
QString DefaultSkinFolder() { return QStringLiteral(TARNELLO_DEFAULT_SKIN_FOLDER); }

std::map<QString, QImage> LoadSkinImages(const QString& folder) {
  std::map<QString, QImage> images;
  for (const QString& name : QDir(folder).entryList({"*.bmp"}, QDir::Files)) {
    // Through the player's own reader, so the generated files are proven readable by it.
    images[name] = Bmp::LoadDIBitmap(folder + "/" + name);
  }
  return images;
}

}  // namespace SkinTest
