#include "tools/TestSkin.h"

#include <QColor>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <cmath>
#include <cstdlib>

#include "tools/SkinLayout.h"

namespace {
struct ColouredSprite {
  QString file;
  SkinSprite sprite;
  QColor colour;
};

bool FarEnough(const QColor& c, const std::vector<QColor>& taken) {
  for (const QColor& t : taken) {
    const int d = std::max({std::abs(c.red() - t.red()), std::abs(c.green() - t.green()),
                            std::abs(c.blue() - t.blue())});
    if (d < 12) return false;
  }
  return true;
}

// Bright, well separated colours in a fixed order; none is near black.
std::vector<ColouredSprite> Colour() {
  std::vector<ColouredSprite> out;
  std::vector<QColor> taken;
  int i = 0;
  for (const SkinBitmap& b : SkinLayout()) {
    for (const SkinSprite& s : b.sprites) {
      QColor c;
      do {
        const double hue = std::fmod(i * 0.618033988749895, 1.0);
        const double saturation = 0.45 + 0.5 * ((i * 7) % 5) / 4.0;
        const double value = 0.5 + 0.5 * ((i * 3) % 4) / 3.0;
        c = QColor::fromHsvF(float(hue), float(saturation), float(value)).toRgb();
        ++i;
      } while (!FarEnough(c, taken));
      taken.push_back(c);
      out.push_back({b.file, s, c});
    }
  }
  return out;
}

const char* kPlaylistColours[][2] = {
    {"Normal", "#11EE22"}, {"Current", "#EEDD33"}, {"NormalBG", "#221133"}, {"SelectedBG", "#3344CC"}};
}  // namespace

std::vector<SkinFile> TestSkinFiles() {
  const std::vector<ColouredSprite> sprites = Colour();
  std::vector<SkinFile> files;
  for (const SkinBitmap& b : SkinLayout()) {
    QImage image(b.width, b.height, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    for (const ColouredSprite& s : sprites) {
      if (s.file == b.file) painter.fillRect(s.sprite.rect, s.colour);
    }
    painter.end();
    files.push_back({b.file, EncodeBmp(image)});
  }
  QByteArray colours = "[Text]\r\n";
  for (const auto& c : kPlaylistColours) colours += QByteArray(c[0]) + "=" + c[1] + "\r\n";
  files.push_back({"pledit.txt", colours});
  return files;
}

QByteArray TestSkinMap() {
  QJsonObject sprites;
  for (const ColouredSprite& s : Colour()) {
    const QRect& r = s.sprite.rect;
    sprites[s.sprite.name] = QJsonObject{{"file", s.file},        {"x", r.x()},
                                         {"y", r.y()},            {"w", r.width()},
                                         {"h", r.height()},       {"colour", s.colour.name()}};
  }
  QJsonObject bitmaps;
  for (const SkinBitmap& b : SkinLayout()) bitmaps[b.file] = QJsonObject{{"width", b.width}, {"height", b.height}};
  QJsonObject text;
  for (const auto& c : kPlaylistColours) text[c[0]] = QString(c[1]).toLower();
  const QJsonObject root{{"bitmaps", bitmaps}, {"sprites", sprites}, {"pledit", text}, {"unused", "#000000"}};
  return QJsonDocument(root).toJson(QJsonDocument::Indented);
}
