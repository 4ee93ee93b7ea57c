#include <gtest/gtest.h>

#include "SkinTestFiles.h"
#include "skin/BmpReader.h"

using SkinTest::BmpParts;
using SkinTest::BuildBmp;

namespace {

using SkinTest::Decode;

// Rows of bytes, each padded to four bytes.
QByteArray Rows(std::initializer_list<QByteArray> rows) {
  QByteArray out;
  for (QByteArray row : rows) {
    row.resize((row.size() + 3) & ~3, '\0');
    out += row;
  }
  return out;
}

const std::vector<QRgb> kFourColours = {qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)};

BmpParts EightBit(int32_t height) {
  BmpParts p;
  p.width = 3;
  p.height = height;
  p.bitsPerPixel = 8;
  p.coloursUsed = 4;
  p.palette = kFourColours;
  p.pixels = Rows({QByteArray("\x01\x02\x03", 3), QByteArray("\x00\x01\x02", 3)});
  return p;
}

}  // namespace

TEST(BmpReader, TwentyFourBitsMatchTheImageBottomUpAndTopDown) {
  const QImage source = SkinTest::Pattern(5, 3, 9);  // 15-byte rows: padding matters
  const QImage bottomUp = Decode(SkinTest::EncodeBmp24(source));
  ASSERT_FALSE(bottomUp.isNull());
  EXPECT_EQ(bottomUp, source.convertToFormat(QImage::Format_RGB32));

  QByteArray topDown = SkinTest::EncodeBmp24(source.mirrored(false, true));
  const int32_t negative = -3;
  memcpy(topDown.data() + 22, &negative, 4);
  EXPECT_EQ(Decode(topDown), bottomUp);
}

TEST(BmpReader, IndexedRowsUseThePaletteInBothRowOrders) {
  const QImage up = Decode(BuildBmp(EightBit(2)));
  ASSERT_FALSE(up.isNull());
  EXPECT_EQ(up.pixel(0, 1), qRgb(255, 0, 0));  // first stored row is the bottom one
  EXPECT_EQ(up.pixel(2, 1), qRgb(0, 0, 255));
  EXPECT_EQ(up.pixel(0, 0), qRgb(0, 0, 0));
  const QImage down = Decode(BuildBmp(EightBit(-2)));
  EXPECT_EQ(down, up.mirrored(false, true));
}

TEST(BmpReader, OneTwoAndFourBitPixelsArePackedFromTheHighBits) {
  BmpParts one;
  one.width = 10;
  one.bitsPerPixel = 1;
  one.palette = {qRgb(1, 2, 3), qRgb(200, 100, 50)};
  one.pixels = Rows({QByteArray("\xA0\x40", 2)});  // 1010 0000 01..
  QImage image = Decode(BuildBmp(one));
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.pixel(0, 0), qRgb(200, 100, 50));
  EXPECT_EQ(image.pixel(1, 0), qRgb(1, 2, 3));
  EXPECT_EQ(image.pixel(2, 0), qRgb(200, 100, 50));
  EXPECT_EQ(image.pixel(9, 0), qRgb(200, 100, 50));

  BmpParts two = one;
  two.bitsPerPixel = 2;
  two.width = 4;
  two.palette = kFourColours;
  two.pixels = Rows({QByteArray("\x1B", 1)});  // 00 01 10 11
  image = Decode(BuildBmp(two));
  ASSERT_FALSE(image.isNull());
  for (int x = 0; x < 4; ++x) EXPECT_EQ(image.pixel(x, 0), kFourColours[x]);

  BmpParts four = two;
  four.bitsPerPixel = 4;
  four.width = 3;
  four.coloursUsed = 4;
  four.pixels = Rows({QByteArray("\x32\x10", 2)});
  image = Decode(BuildBmp(four));
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.pixel(0, 0), kFourColours[3]);
  EXPECT_EQ(image.pixel(1, 0), kFourColours[2]);
  EXPECT_EQ(image.pixel(2, 0), kFourColours[1]);
}

TEST(BmpReader, CoreHeaderWithThreeBytePalette) {
  BmpParts p = EightBit(2);
  p.infoSize = 12;
  p.palette.resize(256, qRgb(9, 9, 9));  // a core header has no colour count: the full table
  const QImage image = Decode(BuildBmp(p));
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.pixel(1, 1), qRgb(0, 255, 0));
}

TEST(BmpReader, SixteenBitsDefaultToFiveFiveFiveAndHonourMasks) {
  BmpParts p;
  p.width = 2;
  p.bitsPerPixel = 16;
  p.pixels = Rows({QByteArray("\x00\x7C\x1F\x00", 4)});  // pure red, pure blue in 5-5-5
  QImage image = Decode(BuildBmp(p));
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
  EXPECT_EQ(image.pixel(1, 0), qRgb(0, 0, 255));

  p.compression = 3;  // bit fields, 5-6-5
  p.masks = {0xF800, 0x07E0, 0x001F};
  p.pixels = Rows({QByteArray("\xE0\x07\x00\x84", 4)});  // green max; red 16/31, green 32/63
  image = Decode(BuildBmp(p));
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.pixel(0, 0), qRgb(0, 255, 0));
  EXPECT_EQ(image.pixel(1, 0), qRgb(132, 130, 0));

  p.infoSize = 108;  // masks inside a version 4 header
  EXPECT_EQ(Decode(BuildBmp(p)), image);
}

TEST(BmpReader, ThirtyTwoBitsIgnoreAlphaAndHonourMasks) {
  BmpParts p;
  p.width = 1;
  p.bitsPerPixel = 32;
  p.pixels = QByteArray("\x10\x20\x30\x80", 4);
  EXPECT_EQ(Decode(BuildBmp(p)).pixel(0, 0), qRgb(0x30, 0x20, 0x10));
  p.compression = 3;
  p.masks = {0x000000FF, 0x0000FF00, 0x00FF0000};
  EXPECT_EQ(Decode(BuildBmp(p)).pixel(0, 0), qRgb(0x10, 0x20, 0x30));
}

TEST(BmpReader, RunLengthEncodedEightAndFourBits) {
  BmpParts p;
  p.width = 4;
  p.height = 3;
  p.bitsPerPixel = 8;
  p.compression = 1;
  p.palette = kFourColours;
  p.coloursUsed = 4;
  // Bottom row: run of 2 × index 1, literal 3 indices (padded); next row: end of line;
  // top row: move 2 right, run of 2 × index 3; end of bitmap.
  p.pixels = QByteArray("\x02\x01\x00\x03\x02\x03\x01\x00\x00\x00\x00\x00\x00\x02\x02\x00\x02\x03\x00\x01", 20);
  QImage image = Decode(BuildBmp(p));
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.pixel(0, 2), kFourColours[1]);
  EXPECT_EQ(image.pixel(2, 2), kFourColours[2]);
  EXPECT_EQ(image.pixel(3, 2), kFourColours[3]);
  EXPECT_EQ(image.pixel(0, 1), kFourColours[0]);  // untouched pixels take entry 0
  EXPECT_EQ(image.pixel(1, 0), kFourColours[0]);
  EXPECT_EQ(image.pixel(2, 0), kFourColours[3]);
  EXPECT_EQ(image.pixel(3, 0), kFourColours[3]);

  BmpParts four = p;
  four.bitsPerPixel = 4;
  four.compression = 2;
  four.height = 1;
  four.width = 6;
  // Run of 3 alternating 1,2; literal of 3 indices 3,1,2 (two bytes); end of bitmap.
  four.pixels = QByteArray("\x03\x12\x00\x03\x31\x20\x00\x01", 8);
  image = Decode(BuildBmp(four));
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.pixel(0, 0), kFourColours[1]);
  EXPECT_EQ(image.pixel(1, 0), kFourColours[2]);
  EXPECT_EQ(image.pixel(2, 0), kFourColours[1]);
  EXPECT_EQ(image.pixel(3, 0), kFourColours[3]);
  EXPECT_EQ(image.pixel(4, 0), kFourColours[1]);
  EXPECT_EQ(image.pixel(5, 0), kFourColours[2]);

  p.pixels.chop(2);  // the end-of-bitmap mark is lost
  EXPECT_TRUE(Decode(BuildBmp(p)).isNull());
}

TEST(BmpReader, PaletteIndexBeyondAShortPaletteReadsAsBlack) {
  BmpParts p = EightBit(2);
  p.pixels[0] = 4;  // four colours only
  QImage image = Decode(BuildBmp(p));
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.pixel(0, 1), qRgb(0, 0, 0));
  EXPECT_EQ(image.pixel(1, 1), kFourColours[2]);
  p = EightBit(2);
  p.compression = 1;
  p.pixels = QByteArray("\x02\x09\x01\x02\x00\x00\x00\x01", 8);
  image = Decode(BuildBmp(p));
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.pixel(0, 1), qRgb(0, 0, 0));
  EXPECT_EQ(image.pixel(2, 1), kFourColours[2]);

  // No colour count, but the pixels begin after four entries: the palette ends there
  // rather than reading pixels as colours.
  p = EightBit(2);
  p.coloursUsed = 0;
  image = Decode(BuildBmp(p));
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image, Decode(BuildBmp(EightBit(2))));
  p.pixels[1] = char(200);
  EXPECT_EQ(Decode(BuildBmp(p)).pixel(1, 1), qRgb(0, 0, 0));
}

TEST(BmpReader, LayoutsOfSkinsFromTheWildReadAsTheirImage) {
  // Few colours, so that every layout can hold them; odd widths, so rows are padded.
  QImage image(13, 7, QImage::Format_RGB32);
  const QRgb colours[] = {qRgb(255, 0, 0), qRgb(0, 128, 255), qRgb(17, 34, 51), qRgb(255, 255, 255), qRgb(0, 0, 0)};
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, colours[(x / 3 + y * 2 + (x == y)) % 5]);
  using SkinTest::BmpLayout;
  for (BmpLayout layout : {BmpLayout::Indexed4, BmpLayout::Indexed8Implicit, BmpLayout::Rle8, BmpLayout::V5Bitfields32,
                           BmpLayout::V4Rgb32}) {
    const QByteArray file = SkinTest::EncodeBmp(image, layout);
    EXPECT_EQ(Decode(file), image) << int(layout);
    // Qt's own reader agrees where it reads the layout at all.
    const QImage qt = QImage::fromData(file, "BMP");
    if (!qt.isNull()) {
      EXPECT_EQ(qt.convertToFormat(QImage::Format_RGB32), image) << int(layout);
    }
  }
  const QImage sixteen = Decode(SkinTest::EncodeBmp(image, BmpLayout::Rgb16));
  ASSERT_EQ(sixteen.size(), image.size());
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) EXPECT_TRUE(SkinTest::CloseTo16Bit(sixteen.pixel(x, y), image.pixel(x, y)));
  EXPECT_EQ(sixteen.pixel(1, 0), qRgb(255, 0, 0));  // full channels stay full
}

TEST(BmpReader, EveryTruncationOfAValidFileGivesNoBitmap) {
  for (const QByteArray& file : {SkinTest::EncodeBmp24(SkinTest::Pattern(7, 5, 3)), BuildBmp(EightBit(2))}) {
    ASSERT_FALSE(Decode(file).isNull());
    for (qsizetype n = 0; n < file.size(); ++n) EXPECT_TRUE(Decode(file.left(n)).isNull()) << n;
  }
}

TEST(BmpReader, LyingHeadersGiveNoBitmap) {
  const QByteArray good = SkinTest::EncodeBmp24(SkinTest::Pattern(4, 4, 1));
  auto patched = [&](int offset, int32_t value) {
    QByteArray b = good;
    memcpy(b.data() + offset, &value, 4);
    return Decode(b);
  };
  EXPECT_TRUE(patched(18, 100000).isNull());        // width 100000 in a tiny file
  EXPECT_TRUE(patched(22, 100000).isNull());        // height 100000
  EXPECT_TRUE(patched(22, INT32_MIN).isNull());     // a top-down height that cannot be negated
  EXPECT_TRUE(patched(14, 200).isNull());           // header size beyond the file / unknown
  EXPECT_TRUE(patched(14, 0x7FFFFFF0).isNull());
  EXPECT_TRUE(patched(10, 0x7FFFFFF0).isNull());    // pixel data offset beyond the file
  EXPECT_TRUE(patched(10, 20).isNull());            // pixel data inside the header
  EXPECT_TRUE(patched(28, 7).isNull());             // 7 bits per pixel
  EXPECT_TRUE(patched(30, 9).isNull());             // unknown compression

  BmpParts huge;
  huge.width = 10000;  // within the side limit, far beyond the pixel budget
  huge.height = 10000;
  huge.compression = 1;
  huge.bitsPerPixel = 8;
  huge.palette = kFourColours;
  huge.pixels = QByteArray("\x00\x01", 2);
  EXPECT_TRUE(Decode(BuildBmp(huge)).isNull());

  BmpParts shortPalette = EightBit(2);
  shortPalette.coloursUsed = 200;  // claims more colours than the file holds
  shortPalette.pixels.clear();
  EXPECT_TRUE(Decode(BuildBmp(shortPalette)).isNull());
}

TEST(BmpReader, MissingFileGivesNoBitmap) { EXPECT_TRUE(Bmp::LoadDIBitmap("/nonexistent/x.bmp").isNull()); }
