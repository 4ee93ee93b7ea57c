// The skins the build generates: complete, readable, packed as they are unpacked,
// and (for the test skin) one distinct colour per sprite as its map says.
#include <gtest/gtest.h>
#include <minizip/unzip.h>

#include <QDir>
#include <QFile>
#include <set>

#include "SkinControlTestSupport.h"

using namespace SkinTest;

namespace {
// The names that make a folder a skin, plus the balance bitmap.
const char* kSkinFiles[] = {"balance.bmp", "cbuttons.bmp", "EqMain.bmp",   "main.bmp",   "MonoSter.bmp",
                            "Numbers.bmp", "nums_ex.bmp",  "PlayPaus.bmp", "PlEdit.bmp", "Posbar.bmp",
                            "ShufRep.bmp", "text.bmp",     "TitleBar.bmp", "volume.bmp", "pledit.txt"};

std::map<QString, QByteArray> ReadPackage(const QString& path) {
  std::map<QString, QByteArray> entries;
  unzFile zip = unzOpen(QFile::encodeName(path).constData());
  if (!zip) return entries;
  for (int r = unzGoToFirstFile(zip); r == UNZ_OK; r = unzGoToNextFile(zip)) {
    char name[256];
    unz_file_info info;
    if (unzGetCurrentFileInfo(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK) break;
    QByteArray data(int(info.uncompressed_size), '\0');
    if (unzOpenCurrentFile(zip) != UNZ_OK) break;
    const int read = unzReadCurrentFile(zip, data.data(), unsigned(data.size()));
    if (unzCloseCurrentFile(zip) != UNZ_OK || read != data.size()) break;
    entries[QString::fromUtf8(name)] = data;
  }
  unzClose(zip);
  return entries;
}

void ExpectCompleteSkin(const QString& folder, const QString& package) {
  const std::map<QString, QByteArray> packed = ReadPackage(package);
  EXPECT_EQ(packed.size(), std::size(kSkinFiles)) << package.toStdString();
  for (const char* name : kSkinFiles) {
    QFile file(folder + "/" + name);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    const QByteArray bytes = file.readAll();
    ASSERT_TRUE(packed.count(name)) << name;
    EXPECT_EQ(packed.at(name), bytes) << name;
    if (QString(name).endsWith(".bmp")) {
      // 24 bits per pixel, uncompressed: the depth every reader knows.
      ASSERT_GT(bytes.size(), 54);
      EXPECT_EQ(bytes[28], 24) << name;
      EXPECT_EQ(bytes[30], 0) << name;
      EXPECT_FALSE(QImage(folder + "/" + name).isNull()) << name;
    }
  }
}
}  // namespace

TEST(GeneratedSkins, DefaultSkinIsPackedAndUnpackedWhole) {
  ExpectCompleteSkin(DefaultSkinFolder(), QStringLiteral(TARNELLO_DEFAULT_SKIN_PACKAGE));
  QFile colours(DefaultSkinFolder() + "/pledit.txt");
  ASSERT_TRUE(colours.open(QIODevice::ReadOnly));
  const QList<QByteArray> lines = colours.readAll().split('\n');
  // The first line is a header; then the four keys, exactly spelled, as #RRGGBB.
  ASSERT_GE(lines.size(), 5);
  std::set<QByteArray> keys;
  for (int i = 1; i < lines.size(); ++i) {
    const QByteArray line = lines[i].trimmed();
    if (line.isEmpty()) continue;
    const int eq = line.indexOf('=');
    ASSERT_GT(eq, 0) << line.toStdString();
    keys.insert(line.left(eq));
    EXPECT_TRUE(QColor(QString::fromLatin1(line.mid(eq + 1))).isValid()) << line.toStdString();
  }
  EXPECT_EQ(keys, (std::set<QByteArray>{"Normal", "Current", "NormalBG", "SelectedBG"}));
}

TEST(GeneratedSkins, TestSkinPaintsEachSpriteInItsOwnColour) {
  ExpectCompleteSkin(TestSkinFolder(), QStringLiteral(TARNELLO_TEST_SKIN_PACKAGE));
  const SkinMap map = LoadTestSkinMap();
  const std::map<QString, QImage> images = LoadSkinImages(TestSkinFolder());
  ASSERT_FALSE(map.sprites.empty());
  std::set<QRgb> colours;
  for (const auto& [name, s] : map.sprites) {
    EXPECT_TRUE(colours.insert(s.colour.rgb()).second) << "colour used twice: " << name.toStdString();
    EXPECT_NE(s.colour.rgb(), qRgb(0, 0, 0)) << name.toStdString();
    const QImage& image = images.at(s.file);
    const SourceRect& r = s.rect;
    ASSERT_LE(r.x + r.width, image.width()) << name.toStdString();
    ASSERT_LE(r.y + r.height, image.height()) << name.toStdString();
    // Flat: every corner and the middle carry the sprite's colour.
    for (auto [x, y] : {std::pair{r.x, r.y}, {r.x + r.width - 1, r.y + r.height - 1}, {r.x + r.width / 2, r.y + r.height / 2}}) {
      EXPECT_EQ(image.pixel(x, y), s.colour.rgb()) << name.toStdString();
    }
  }
  // Each digit glyph and each slider frame is told apart.
  for (int n = 0; n < 10; ++n) EXPECT_TRUE(map.sprites.count(QString("numbers.digit%1").arg(n)));
  EXPECT_TRUE(map.sprites.count("numbers.blank"));
  for (int k = 0; k < 28; ++k) EXPECT_TRUE(map.sprites.count(QString("volume.frame%1").arg(k)));
}
