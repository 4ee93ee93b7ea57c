// Writes the starting corpora of the fuzz targets: small valid bitmaps of every
// format, colour files, and packages with nested and hostile entry names.
#include <QDir>

#include "SkinTestFiles.h"

using namespace SkinTest;

namespace {
void WriteBitmaps(const QString& folder) {
  const std::vector<QRgb> palette = {qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)};
  int n = 0;
  auto put = [&](const QByteArray& bytes) { WriteFile(folder + QString("/seed%1.bmp").arg(n++), bytes); };
  put(EncodeBmp24(Pattern(5, 3, 1)));
  for (int bpp : {1, 2, 4, 8}) {
    BmpParts p;
    p.width = 5;
    p.height = bpp == 8 ? -2 : 2;
    p.bitsPerPixel = bpp;
    p.palette = bpp == 1 ? std::vector<QRgb>(palette.begin(), palette.begin() + 2) : palette;
    p.coloursUsed = uint32_t(p.palette.size());
    p.pixels = QByteArray(8, '\x11');
    put(BuildBmp(p));
    p.infoSize = 12;
    if (bpp == 8) p.height = 2;
    p.palette.resize(size_t(1) << bpp, qRgb(1, 2, 3));
    put(BuildBmp(p));
  }
  BmpParts rle;
  rle.width = 4;
  rle.height = 3;
  rle.bitsPerPixel = 8;
  rle.compression = 1;
  rle.palette = palette;
  rle.pixels = QByteArray("\x02\x01\x00\x03\x02\x03\x01\x00\x00\x00\x00\x02\x02\x00\x02\x03\x00\x01", 18);
  put(BuildBmp(rle));
  rle.bitsPerPixel = 4;
  rle.compression = 2;
  rle.pixels = QByteArray("\x03\x12\x00\x03\x31\x20\x00\x00\x00\x01", 10);
  put(BuildBmp(rle));
  for (int bpp : {16, 32}) {
    BmpParts p;
    p.width = 2;
    p.bitsPerPixel = bpp;
    p.pixels = QByteArray(8, '\x5a');
    put(BuildBmp(p));
    p.compression = 3;
    p.masks = bpp == 16 ? std::vector<uint32_t>{0xF800, 0x07E0, 0x001F} : std::vector<uint32_t>{0xFF, 0xFF00, 0xFF0000};
    put(BuildBmp(p));
    p.infoSize = 124;
    put(BuildBmp(p));
  }
}

void WriteWildBitmaps(const QString& folder) {
  int n = 0;
  for (BmpLayout layout : {BmpLayout::Indexed4, BmpLayout::Indexed8Implicit, BmpLayout::Rle8, BmpLayout::Rgb16,
                           BmpLayout::V5Bitfields32, BmpLayout::V4Rgb32})
    WriteFile(folder + QString("/wild%1.bmp").arg(n++), EncodeBmp(Pattern(5, 3, 7), layout));
}

void WriteColourFiles(const QString& folder) {
  WriteFile(folder + "/a.txt", "[Text]\nNormal=#00FF00\nCurrent=#FFFFFF\nNormalBG=#000000\nSelectedBG=#0000FF\n");
  WriteFile(folder + "/b.txt", "[Text]\r\nNormal = #ff8000\r\nno equals\r\nCurrent=#zz\r\n" + QByteArray(140, 'x') + "NormalBG=#123\n");
}

void WritePackages(const QString& folder) {
  WriteZip(folder + "/skin.qsk", {{"main.bmp", EncodeBmp24(Pattern(3, 2, 1))},
                                  {"pledit.txt", "[Text]\nNormal=#102030\n"},
                                  {"sub/", {}},
                                  {"sub/deeper/x.bmp", "x"},
                                  {"..\\up.txt", "x"},
                                  {"../up.txt", "x"}});
  WriteZip(folder + "/stored.qsk", {{"a", "a"}, {"b/c", QByteArray(300, 'c')}});
  // Archive layouts: a skin in a folder, '\' separators, names differing in case,
  // extras beside it and a second, smaller folder.
  WriteZip(folder + "/wild.wsz", {{"Skin/", {}},
                                  {"skin/main.bmp", EncodeBmp24(Pattern(3, 2, 2))},
                                  {"Skin\\MAIN.BMP", EncodeBmp24(Pattern(3, 2, 3))},
                                  {"Skin\\CButtons.bmp", EncodeBmp(Pattern(4, 2, 4), BmpLayout::Rle8)},
                                  {"Skin/PLEDIT.TXT", "[Text]\r\nNormal=#102030\r\n"},
                                  {"Skin/Thumbs.db", "x"},
                                  {"Skin/cursors/normal.cur", "x"},
                                  {"__MACOSX/Skin/._main.bmp", "x"},
                                  {"Other/titlebar.bmp", EncodeBmp24(Pattern(2, 2, 5))},
                                  {"../Skin/volume.bmp", "x"}});
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const QString root = QString::fromLocal8Bit(argv[1]);
  for (const char* sub : {"bmp", "colours", "unpack", "artifacts"}) QDir().mkpath(root + '/' + sub);
  WriteBitmaps(root + "/bmp");
  WriteWildBitmaps(root + "/bmp");
  WriteColourFiles(root + "/colours");
  WritePackages(root + "/unpack");
  return 0;
}
