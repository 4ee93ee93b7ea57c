#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "SkinTestFiles.h"
#include "skin/SkinSet.h"

using namespace SkinTest;

namespace {

class SkinSetTest : public ::testing::Test {
 protected:
  QString Folder(const QString& name) {
    const QString path = dir_.path() + '/' + name;
    QDir().mkpath(path);
    return path;
  }
  QTemporaryDir dir_;
};

SkinColours Parse(const QByteArray& text) {
  SkinColours colours;
  ParseColourText(text, colours);
  return colours;
}

}  // namespace

TEST_F(SkinSetTest, ValidityNeedsThirteenOfTheFourteenNames) {
  const QString folder = Folder("skin");
  WriteSkinFolder(folder);
  QFile::remove(folder + "/balance.bmp");  // not one of the names
  QFile::remove(folder + "/nums_ex.bmp");
  QFile::remove(folder + "/text.bmp");
  EXPECT_FALSE(SkinSet::IsValidSource(folder));  // 12 names
  WriteFile(folder + "/TEXT.BMP", "x");
  EXPECT_TRUE(SkinSet::IsValidSource(folder));
  QFile::remove(folder + "/TEXT.BMP");
  WriteFile(folder + "/nums_ex.bmp", "x");
  EXPECT_TRUE(SkinSet::IsValidSource(folder));

  // Differently cased copies of one name count once; a folder never counts.
  QFile::remove(folder + "/nums_ex.bmp");
  WriteFile(folder + "/MAIN.BMP", "x");
  QDir().mkdir(folder + "/text.bmp");
  EXPECT_FALSE(SkinSet::IsValidSource(folder));

  EXPECT_FALSE(SkinSet::IsValidSource(dir_.path() + "/missing"));
  EXPECT_TRUE(SkinSet::IsValidSource(dir_.path() + "/missing.qsk"));  // packages are not looked at
}

TEST_F(SkinSetTest, PackagePathsEndInLowerCaseQsk) {
  EXPECT_TRUE(SkinSet::IsPackagePath("/a/Blue.qsk"));
  EXPECT_FALSE(SkinSet::IsPackagePath("/a/Blue.QSK"));
  EXPECT_FALSE(SkinSet::IsPackagePath("/a/Blue.qsk.bak"));
  EXPECT_FALSE(SkinSet::IsPackagePath("qsk"));
}

TEST_F(SkinSetTest, LoadsEverySlotWithUpperCaseNamesAndFallbacks) {
  const QString folder = Folder("skin");
  WriteSkinFolder(folder);
  QFile::rename(folder + "/main.bmp", folder + "/MAIN.BMP");
  QFile::remove(folder + "/balance.bmp");
  QFile::remove(folder + "/Numbers.bmp");
  SkinSet skin(Folder("Temporary"));
  ASSERT_TRUE(skin.Load(folder));

  for (int slot = 0; slot < SLOT_COUNT; ++slot) EXPECT_FALSE(skin.Bitmaps()[slot].isNull()) << slot;
  EXPECT_EQ(skin.Bitmap(SLOT_MAIN), Decode(ReadFile(folder + "/MAIN.BMP")));
  EXPECT_EQ(skin.Bitmap(SLOT_BALANCE), skin.Bitmap(SLOT_VOLUME));
  EXPECT_EQ(skin.Bitmap(SLOT_NUMBERS), Decode(ReadFile(folder + "/nums_ex.bmp")));
  EXPECT_EQ(skin.Bitmap(SLOT_TITLEBAR), Decode(ReadFile(folder + "/TitleBar.bmp")));
  EXPECT_EQ(skin.NormalText(), MakeColour(0x10, 0x20, 0x30));
}

TEST_F(SkinSetTest, ARefusedFolderKeepsTheCurrentSkin) {
  const QString good = Folder("good");
  WriteSkinFolder(good, "[Text]\nCurrent=#abcdef\n");
  SkinSet skin(Folder("Temporary"));
  ASSERT_TRUE(skin.Load(good));
  const QImage main = skin.Bitmap(SLOT_MAIN);

  const QString poor = Folder("poor");
  WriteFile(poor + "/main.bmp", EncodeBmp24(Pattern(3, 3, 3)));
  WriteFile(poor + "/pledit.txt", "[Text]\nCurrent=#000000\n");
  EXPECT_FALSE(skin.Load(poor));
  EXPECT_EQ(skin.Bitmap(SLOT_MAIN), main);
  EXPECT_EQ(skin.CurrentText(), MakeColour(0xab, 0xcd, 0xef));

  // A folder too long for the path buffer is refused, not truncated.
  const QString deep = Folder(QString(120, 'd'));
  WriteSkinFolder(deep);
  EXPECT_FALSE(skin.Load(deep));
  EXPECT_EQ(skin.Bitmap(SLOT_MAIN), main);
}

TEST_F(SkinSetTest, BrokenBitmapsLeaveTheirSlotEmpty) {
  const QString folder = Folder("skin");
  WriteSkinFolder(folder);
  WriteFile(folder + "/Posbar.bmp", "BM not really");
  SkinSet skin(Folder("Temporary"));
  ASSERT_TRUE(skin.Load(folder));
  EXPECT_TRUE(skin.Bitmap(SLOT_POSBAR).isNull());
  EXPECT_FALSE(skin.Bitmap(SLOT_SHUFREP).isNull());
  skin.ReleaseBitmaps();
  for (const QImage& bitmap : skin.Bitmaps()) EXPECT_TRUE(bitmap.isNull());
}

TEST(SkinColours, KeysAreExactAndValuesAreReadAsHashRrGgBb) {
  const SkinColours defaults;
  SkinColours c = Parse("[Text]\nNormal=#ff8000\nCurrent=#0A0b0C\nNormalBG=#000001\nSelectedBG=#FFFFFF\n");
  EXPECT_EQ(c.normalText, MakeColour(255, 128, 0));
  EXPECT_EQ(c.currentText, MakeColour(10, 11, 12));
  EXPECT_EQ(c.normalBackground, MakeColour(0, 0, 1));
  EXPECT_EQ(c.selectedBackground, MakeColour(255, 255, 255));

  c = Parse("[Text]\nNormal = #ff8000\nnormal=#ff8000\nOther=#123456\n");
  EXPECT_EQ(c.normalText, defaults.normalText);

  c = Parse("Normal=#ff8000");  // a single line is the ignored header
  EXPECT_EQ(c.normalText, defaults.normalText);

  // The first character is skipped whatever it is; 'g' counts as 'g' - '0' = 55,
  // so "gg" gives (55 * 16 + 55) mod 256.
  c = Parse("[Text]\nNormal=Xgg0102\n");
  EXPECT_EQ(c.normalText, MakeColour((55 * 16 + 55) % 256, 1, 2));

  // Digits missing at the end of the file read as 0.
  c = Parse("[Text]\nNormalBG=#ff");
  EXPECT_EQ(c.normalBackground, MakeColour(255, 0, 0));
}

TEST(SkinColours, LongLinesArriveInPiecesAndPiecesWithoutEqualsRepeat) {
  // 127 characters fill the line buffer; the rest of the line is read as its own line.
  const QByteArray filler(127, 'x');
  SkinColours c = Parse("[Text]\n" + filler + "Normal=#112233\n");
  EXPECT_EQ(c.normalText, MakeColour(0x11, 0x22, 0x33));

  // The header line is read in pieces too: its second piece is a line of its own.
  c = Parse(filler + "Current=#445566\n");
  EXPECT_EQ(c.currentText, MakeColour(0x44, 0x55, 0x66));

  // A line without '=' repeats the previous assignment, after the same key changed meaning.
  c = Parse("[Text]\nSelectedBG=#010203\nno equals sign\n");
  EXPECT_EQ(c.selectedBackground, MakeColour(1, 2, 3));
  c = Parse("[Text]\nno equals sign\n");
  EXPECT_EQ(c.selectedBackground, SkinColours().selectedBackground);
}

TEST_F(SkinSetTest, ColoursNotSetKeepThePreviousSkins) {
  const QString a = Folder("a"), b = Folder("b"), c = Folder("c");
  WriteSkinFolder(a, "[Text]\nSelectedBG=#102030\nNormal=#010101\n");
  WriteSkinFolder(b, "[Text]\nNormal=#020202\n");
  WriteSkinFolder(c);
  QFile::remove(c + "/pledit.txt");
  WriteFile(c + "/text.bmp", "x");
  SkinSet skin(Folder("Temporary"));
  ASSERT_TRUE(skin.Load(a));
  ASSERT_TRUE(skin.Load(b));
  EXPECT_EQ(skin.SelectedBackground(), MakeColour(0x10, 0x20, 0x30));
  EXPECT_EQ(skin.NormalText(), MakeColour(2, 2, 2));
  EXPECT_FALSE(skin.ReadColours(c));
  ASSERT_TRUE(skin.Load(c));  // 13 names without a colour file
  EXPECT_EQ(skin.NormalText(), MakeColour(2, 2, 2));
  EXPECT_EQ(skin.CurrentText(), MakeColour(255, 255, 255));
}
